#include "Transliteration.h"

#include "TextReader.h"

#include "text/Cp1252.h"
#include "model/Charset.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>
#include <mutex>

namespace velkaro {

namespace {

// ICU's transliterators are not meant for use from several threads at once;
// the import reads on one thread, but the clipboard is read on another.
std::mutex g_mutex;

icu::Transliterator* Transform()
{
    static std::unique_ptr<icu::Transliterator> transform = [] {
        // ICU writes the low quotes of German as two commas; they are
        // quotes here.
        const char* rules =
            "\\u201E > \\u0022; \\u201A > \\u0027;"
            ":: Any-Latin; :: Latin-ASCII;";
        UErrorCode status = U_ZERO_ERROR;
        UParseError error {};
        std::unique_ptr<icu::Transliterator> t(icu::Transliterator::createFromRules(
            icu::UnicodeString::fromUTF8("velkaro-plain"), icu::UnicodeString::fromUTF8(rules), UTRANS_FORWARD, error,
            status));
        return U_SUCCESS(status) ? std::move(t) : nullptr;
    }();
    return transform.get();
}

bool BlankOnTelephone(unsigned char c)
{
    return c != ' ' && MapToDeviceCharset(c) == ' ';
}

}  // namespace

std::string TransliterateToAnsi(std::string_view utf8)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    icu::Transliterator* transform = Transform();
    if (!transform)
        return std::string(utf8.empty() ? 0 : 1, ' ');
    icu::UnicodeString text = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    transform->transliterate(text);
    // What the telephone's character set still lacks becomes a blank.
    std::string out;
    out.reserve(static_cast<std::size_t>(text.length()));
    for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
        const int ansi = UnicodeToCp1252(static_cast<char32_t>(text.char32At(i)));
        out.push_back(ansi >= 0 ? static_cast<char>(ansi) : ' ');
    }
    return out;
}

std::string ReadableForDevice(const std::string& ansi)
{
    std::string out;
    out.reserve(ansi.size());
    std::size_t i = 0;
    while (i < ansi.size()) {
        if (!BlankOnTelephone(static_cast<unsigned char>(ansi[i]))) {
            out.push_back(ansi[i++]);
            continue;
        }
        // A run of such characters goes through ICU as one: some scripts'
        // transliteration depends on the neighbouring letters.
        std::size_t end = i;
        while (end < ansi.size() && BlankOnTelephone(static_cast<unsigned char>(ansi[end])))
            ++end;
        out += TransliterateToAnsi(AnsiToUtf8(ansi.substr(i, end - i)));
        i = end;
    }
    return out;
}

std::string ReadableForDeviceFromUtf8(std::string_view utf8)
{
    return ReadableForDevice(Utf8FieldToAnsi(utf8));
}

}  // namespace velkaro
