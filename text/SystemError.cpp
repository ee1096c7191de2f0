#include "SystemError.h"

#include "Cp1252.h"

#include <cstring>

#include <langinfo.h>

namespace velkaro {

namespace {

constexpr std::size_t kMaxErrorText = 255;

}  // namespace

std::string SystemErrorText(int error)
{
    std::string text = std::strerror(error);
    // In a translated locale the C library answers in the locale's
    // character set; the programs hold text as Windows-1252.
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
        text = Utf8ToAnsi(text);
    if (text.size() > kMaxErrorText)
        text.resize(kMaxErrorText);
    return text;
}

Outcome SystemFailure(int error)
{
    return Outcome::Verbatim(OutcomeKind::IoError, SystemErrorText(error));
}

}  // namespace velkaro
