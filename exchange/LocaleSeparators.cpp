#include "LocaleSeparators.h"

#include "text/Cp1252.h"

#include <algorithm>
#include <string_view>

#include <langinfo.h>
#include <locale.h>

namespace velkaro {

namespace {

// The first code point of UTF-8 text and its byte length; 0 when malformed.
char32_t FirstCodePoint(const std::string& text, std::size_t& length)
{
    const auto c = static_cast<unsigned char>(text[0]);
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || text.size() < static_cast<std::size_t>(extra) + 1)
        return length = 0;
    char32_t u = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const auto cc = static_cast<unsigned char>(text[k]);
        if ((cc & 0xC0) != 0x80)
            return length = 0;
        u = u << 6 | (cc & 0x3F);
    }
    length = static_cast<std::size_t>(extra) + 1;
    return u;
}

bool IsSpace(char32_t u)
{
    return u == 0x20 || u == 0xA0 || u == 0x1680 || (u >= 0x2000 && u <= 0x200A) || u == 0x202F || u == 0x205F
        || u == 0x3000;
}

// The text of a locale item in UTF-8: the locale's own codeset is taken as
// Windows-1252 when it is not UTF-8 (the Latin-1 locales agree on every
// separator).
std::string ItemUtf8(nl_item item, locale_t locale)
{
    const char* text = nl_langinfo_l(item, locale);
    std::string value = text ? text : "";
    const char* codeset = nl_langinfo_l(CODESET, locale);
    const std::string cs = codeset ? codeset : "";
    if (cs == "UTF-8" || cs == "utf8")
        return value;
    return AnsiToUtf8(value);
}

// The first character of a date format that is not a conversion.
std::string DateSeparator(const std::string& format)
{
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%') {
            ++i;
            // Flags and widths between '%' and the conversion letter.
            while (i + 1 < format.size() && (format[i] == 'E' || format[i] == 'O' || format[i] == '-'
                                             || format[i] == '_' || format[i] == '0' || format[i] == '^'))
                ++i;
            continue;
        }
        std::size_t length = 0;
        FirstCodePoint(format.substr(i), length);
        return format.substr(i, length ? length : 1);
    }
    return {};
}

// The order of day, month and year in a date format ("%d.%m.%Y",
// "%m/%d/%y", "%Y年%m月%d日"); day, month, year when it names none.
DateOrder DateOrderOf(const std::string& format)
{
    std::size_t day = std::string::npos, month = std::string::npos, year = std::string::npos;
    for (std::size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        std::size_t at = i++;
        while (i + 1 < format.size() && std::string_view("EO-_0^#").find(format[i]) != std::string_view::npos)
            ++i;
        switch (format[i]) {
        case 'd': case 'e': day = std::min(day, at); break;
        case 'm': case 'b': case 'B': case 'h': month = std::min(month, at); break;
        case 'y': case 'Y': case 'C': year = std::min(year, at); break;
        case 'D': return DateOrder::MonthDayYear;   // %m/%d/%y
        case 'F': return DateOrder::YearMonthDay;   // %Y-%m-%d
        default: break;
        }
    }
    if (year < day && year < month)
        return DateOrder::YearMonthDay;
    if (month < day)
        return DateOrder::MonthDayYear;
    return DateOrder::DayMonthYear;
}

// The category (with the character set) of the named locale, or of "C" when
// that cannot be loaded.
locale_t OpenLocale(int mask, const std::string& name)
{
    locale_t locale = newlocale(mask | LC_CTYPE_MASK, name.c_str(), static_cast<locale_t>(0));
    if (!locale)
        locale = newlocale(mask | LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

}  // namespace

char SeparatorByte(const std::string& utf8, char fallback)
{
    if (utf8.empty())
        return fallback;
    std::size_t length = 0;
    const char32_t u = FirstCodePoint(utf8, length);
    if (length == 0 || length != utf8.size())
        return fallback;
    const int b = UnicodeToCp1252(u);
    if (b >= 0)
        return static_cast<char>(b);
    return IsSpace(u) ? '\xA0' : fallback;
}

NumberSeparators LocaleSeparators(const std::string& localeName)
{
    NumberSeparators seps;
    // Numbers and dates each from their own category (with the character
    // set), so that one missing locale does not take the other along.
    locale_t numeric = OpenLocale(LC_NUMERIC_MASK, localeName);
    if (numeric) {
        seps.decimal = SeparatorByte(ItemUtf8(RADIXCHAR, numeric), '.');
        seps.thousands = SeparatorByte(ItemUtf8(THOUSEP, numeric), seps.decimal == ',' ? '.' : ',');
        freelocale(numeric);
    }
    locale_t time = OpenLocale(LC_TIME_MASK, localeName);
    if (time) {
        const std::string format = ItemUtf8(D_FMT, time);
        seps.date = SeparatorByte(DateSeparator(format), '.');
        seps.dateOrder = DateOrderOf(format);
        freelocale(time);
    }
    return seps;
}

}  // namespace velkaro
