#pragma once

// printf-style formatting of the string tables' texts, checked: every
// conversion of the format (%i, %d, %u, %c, %s, with flags, width,
// precision and an l or ll length) takes one argument of its kind, an
// integer for the integer conversions, a text for %s. An argument's value is
// carried with its type, so a conversion never reads one of another type; a
// conversion whose argument is missing or of the wrong kind stays as written
// in the result, and a debug build stops on it. No buffer of fixed size:
// the result is cut at kFormatLimit characters as the program's texts
// always were.

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace velkaro {

constexpr std::size_t kFormatLimit = 499;

// One argument of a formatted text, held by value (a text is copied, so a
// message can be formatted later than it was made).
class FormatArg {
public:
    enum class Kind { Signed, Unsigned, Text };

    template <typename T>
        requires(std::is_integral_v<T> && !std::is_same_v<T, bool>)
    FormatArg(T value)  // NOLINT(google-explicit-constructor): stands for a printf argument
        : m_kind(std::is_signed_v<T> ? Kind::Signed : Kind::Unsigned)
        , m_signed(static_cast<long long>(value))
        , m_unsigned(static_cast<unsigned long long>(value))
    {
    }
    FormatArg(const char* text) : m_kind(Kind::Text), m_text(text ? text : "(null)") {}  // NOLINT
    FormatArg(std::string text) : m_kind(Kind::Text), m_text(std::move(text)) {}          // NOLINT
    FormatArg(std::string_view text) : m_kind(Kind::Text), m_text(text) {}                // NOLINT

    Kind GetKind() const { return m_kind; }
    long long Signed() const { return m_signed; }
    unsigned long long Unsigned() const { return m_unsigned; }
    const std::string& Text() const { return m_text; }

private:
    Kind m_kind;
    long long m_signed = 0;
    unsigned long long m_unsigned = 0;
    std::string m_text;
};

using FormatArgs = std::vector<FormatArg>;

// What the conversions of the format take, in order: 'd' a signed integer
// (%i, %d, %c), 'u' an unsigned one (%u, %x, %X, %o), 's' a text, '?' a
// conversion the formatter does not know, which no argument fits.
std::string FormatConversions(std::string_view format);
// Whether the arguments fit the conversions of the format, one each.
bool FormatArgumentsFit(std::string_view format, const FormatArgs& args);
// The format with its conversions replaced by the arguments, cut at
// kFormatLimit characters.
std::string FormatChecked(std::string_view format, const FormatArgs& args);

}  // namespace velkaro
