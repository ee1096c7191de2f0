// The multistatus reader and the href resolution over any bytes a server
// might send: no read outside the input, and every href of an answer that
// was read resolves to one spelling, which resolves to itself again.
#include "carddav/Multistatus.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velkaro;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Multistatus ms;
    if (!ParseMultistatus(bytes, ms))
        return 0;
    const std::string_view base = "https://dav.example.org/user/book/";
    for (const auto& r : ms.responses) {
        for (std::string_view href : { std::string_view(r.href), std::string_view(r.principal) }) {
            std::string url = ResolveHref(base, href);
            if (url.empty() || ResolveHref(base, url) != url || CanonicalPath(url) != CanonicalPath(CanonicalPath(url)))
                std::abort();
        }
        ParseStatusLine(r.href);
    }
    return 0;
}
