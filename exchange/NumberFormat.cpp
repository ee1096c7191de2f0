#include "NumberFormat.h"

#include "text/Ascii.h"
#include "text/Language.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace velkaro {

namespace {

// Month and weekday names (Windows-1252), German, English, French.
constexpr const char* kMonths[3][12] = {
    { "Januar", "Februar", "M\xE4rz", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober",
      "November", "Dezember" },
    { "January", "February", "March", "April", "May", "June", "July", "August", "September", "October",
      "November", "December" },
    { "janvier", "f\xE9vrier", "mars", "avril", "mai", "juin", "juillet", "ao\xFBt", "septembre", "octobre",
      "novembre", "d\xE9" "cembre" },
};
constexpr const char* kWeekdays[3][7] = {
    { "Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag" },
    { "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday" },
    { "dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi" },
};

// The built-in number formats that BIFF 5 and later files use without a
// FORMAT record, in the forms this program shows them.
struct BuiltIn {
    int index;
    const char* text;
};
constexpr BuiltIn kBuiltIns[] = {
    { 14, "dd/mm/yyyy" }, { 15, "d/mmm/yy" }, { 16, "d/mmm" },    { 17, "mmm/yy" },    { 22, "dd/mm/yyyy" },
    { 1, "0" },           { 2, "0.00" },      { 3, "#,##0" },     { 4, "#,##0.00" },   { 5, "#,##0" },
    { 6, "#,##0" },       { 7, "#,##0.00" },  { 8, "#,##0.00" },  { 9, "0%" },         { 10, "0.00%" },
    { 37, "#,##0" },      { 38, "#,##0" },    { 39, "#,##0.00" }, { 40, "#,##0.00" },  { 41, "#,##0" },
    { 42, "#,##0" },      { 43, "#,##0.00" }, { 44, "#,##0.00" },
};

// More placeholders than these make no sense in a cell; such a format is
// shown in general form rather than as a text of thousands of zeros.
constexpr int kMaxIntegerDigits = 255;
constexpr int kMaxDecimals = 30;
constexpr int kMaxExponentDigits = 10;

// From 1970-01-01 back to the civil date (proleptic Gregorian).
void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d)
{
    z += 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    unsigned doe = static_cast<unsigned>(z - era * 146097);
    unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<long long>(yoe) + era * 400;
    unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

int LanguageRow(int offset)
{
    if (offset == kLangEnglish)
        return 1;
    if (offset == kLangFrench)
        return 2;
    return 0;
}

bool IsDateLetter(char c)
{
    char l = AsciiToLower(c);
    return l == 'd' || l == 'm' || l == 'y';
}

bool IsPlaceholder(char c)
{
    return c == '0' || c == '#' || c == '?';
}

// Where the part of a format before its first ";" ends (a ";" in quotes is
// text).
std::size_t FirstSection(std::string_view f)
{
    bool quoted = false;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] == '"')
            quoted = !quoted;
        else if (f[i] == ';' && !quoted)
            return i;
    }
    return f.size();
}

// True when the format shows a date: a day, month or year letter outside
// quoted text, escapes and brackets.
bool HasDateLetter(std::string_view part)
{
    for (std::size_t i = 0; i < part.size(); ++i) {
        switch (part[i]) {
        case '\\':
        case '_':
        case '*':
            ++i;
            break;
        case '"':
            while (++i < part.size() && part[i] != '"') {
            }
            break;
        case '[':
            while (++i < part.size() && part[i] != ']') {
            }
            break;
        default:
            if (IsDateLetter(part[i]))
                return true;
        }
    }
    return false;
}

void AppendNumber(std::string& out, long long v, int width)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", width, v);
    out += buf;
}

std::string ToChars(double x, std::chars_format fmt, int precision)
{
    char buf[512];
    auto result = std::to_chars(buf, buf + sizeof buf, x, fmt, precision);
    if (result.ec != std::errc())
        return {};
    return std::string(buf, result.ptr);
}

}  // namespace

long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = static_cast<unsigned>(y - era * 400);
    unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

CNumberFormats::CNumberFormats(NumberSeparators separators, int language)
    : m_sep(separators)
    , m_language(language < 0 ? LanguageOffset() : language)
{
}

void CNumberFormats::Set(int index, std::string_view formatText)
{
    if (index < 0 || index > 0xFFFF)
        return;
    if (static_cast<std::size_t>(index) >= m_formats.size())
        m_formats.resize(static_cast<std::size_t>(index) + 1);
    m_formats[static_cast<std::size_t>(index)] = Convert(formatText);
}

void CNumberFormats::RegisterBuiltIns()
{
    for (const auto& b : kBuiltIns) {
        std::size_t i = static_cast<std::size_t>(b.index);
        if (i >= m_formats.size() || !m_formats[i].present || m_formats[i].kind != Convert(b.text).kind)
            Set(b.index, b.text);
    }
}

bool CNumberFormats::IsDate(int index) const
{
    return index > 0 && static_cast<std::size_t>(index) < m_formats.size()
        && m_formats[static_cast<std::size_t>(index)].kind == 2;
}

CNumberFormats::Format CNumberFormats::Convert(std::string_view text) const
{
    std::string_view part = text.substr(0, FirstSection(text));
    return HasDateLetter(part) ? ConvertDate(part) : ConvertNumber(part);
}

// The reading of a number format, one character (or quoted or bracketed
// run) at a time.
struct CNumberFormats::NumberReader {
    std::string_view part;
    Format f;
    bool point = false;
    std::size_t exponent = 0;  // the exponent's piece + 1; 0 while none
    int integers = 0, decimals = 0;

    static Format General()
    {
        Format g;
        g.present = true;
        return g;
    }

    void Literal(std::string_view text)
    {
        if (f.pieces.empty() || f.pieces.back().kind != Piece::Literal)
            f.pieces.push_back({ Piece::Literal, 0, {} });
        f.pieces.back().text += text;
    }

    // The position of the closing character, or the end of the format.
    std::size_t Closing(char c, std::size_t i) const
    {
        std::size_t end = part.find(c, i + 1);
        return end == std::string_view::npos ? part.size() : end;
    }

    std::size_t Bracket(std::size_t i)
    {
        // Colours, conditions and locales show nothing; "[$€-407]" shows
        // its currency symbol.
        const std::size_t end = Closing(']', i);
        std::string_view inside = part.substr(i + 1, end - i - 1);
        if (!inside.empty() && inside[0] == '$')
            Literal(inside.substr(1, inside.find('-', 1) - 1));  // npos - 1 is still to the end
        return end;
    }

    void Placeholder(char c)
    {
        if (exponent) {
            f.pieces[exponent - 1].text += c;
        } else {
            (point ? decimals : integers) += 1;
            f.pieces.push_back({ Piece::Digit, c, {} });
        }
    }

    void Point()
    {
        if (point || exponent) {
            Literal(".");
        } else {
            point = true;
            f.pieces.push_back({ Piece::Point, 0, {} });
        }
    }

    std::size_t Comma(std::size_t i)
    {
        if (exponent || f.pieces.empty() || f.pieces.back().kind != Piece::Digit) {
            Literal(",");
            return i;
        }
        // Between integer digits a comma groups; after the last digit
        // each comma divides by a thousand.
        std::size_t end = part.find_first_not_of(',', i);
        if (end == std::string_view::npos)
            end = part.size();
        if (!point && end < part.size() && IsPlaceholder(part[end]))
            f.grouping = true;
        else
            f.scaling += static_cast<int>(end - i);
        return end - 1;
    }

    std::size_t Exponent(std::size_t i)
    {
        if (!exponent && integers + decimals > 0 && i + 1 < part.size() && (part[i + 1] == '+' || part[i + 1] == '-')) {
            f.pieces.push_back({ Piece::Exponent, part[++i], {} });
            exponent = f.pieces.size();
        } else {
            Literal(part.substr(i, 1));
        }
        return i;
    }

    // Reads the character at i; returns the position of the last character
    // read, or npos for a format shown in general form.
    std::size_t Read(std::size_t i)
    {
        const char c = part[i];
        switch (c) {
        case '"': {
            const std::size_t end = Closing('"', i);
            Literal(part.substr(i + 1, end - i - 1));
            return end;
        }
        case '\\':
            if (i + 1 < part.size())
                Literal(part.substr(++i, 1));
            return i;
        case '_':
        case '*': return i + 1;  // room the width of the next character, or padding: nothing on a card
        case '[': return Bracket(i);
        case '0':
        case '#':
        case '?': Placeholder(c); return i;
        case '.': Point(); return i;
        case ',': return Comma(i);
        case '%':
            ++f.percent;
            Literal("%");
            return i;
        case 'E':
        case 'e': return Exponent(i);
        case '@': return i;  // the place of a text: none in a number
        case '/': return std::string_view::npos;  // a fraction: shown in general form
        default: Literal(part.substr(i, 1)); return i;
        }
    }

    Format Finish()
    {
        const bool tooMany = integers > kMaxIntegerDigits || decimals > kMaxDecimals
            || (exponent && f.pieces[exponent - 1].text.size() > static_cast<std::size_t>(kMaxExponentDigits))
            || f.percent > 4 || f.scaling > 4;
        if ((integers + decimals == 0 && !point) || tooMany)
            return General();
        f.kind = 1;
        return std::move(f);
    }
};

CNumberFormats::Format CNumberFormats::ConvertNumber(std::string_view part) const
{
    NumberReader reader;
    reader.part = part;
    reader.f.present = true;
    for (std::size_t i = 0; i < part.size(); ++i) {
        i = reader.Read(i);
        if (i == std::string_view::npos)
            return NumberReader::General();
    }
    return reader.Finish();
}

CNumberFormats::Format CNumberFormats::ConvertDate(std::string_view part) const
{
    Format f;
    f.present = true;
    f.kind = 2;
    // The pattern with "/" as the locale's date separator. A character
    // after a backslash, and quoted text, are shown as they are: they
    // are kept behind a backslash here. Colours and locales in brackets
    // are dropped, and so is the time of day (from the first hour or
    // second), since only the day is shown.
    std::vector<std::pair<char, bool>> chars;  // character, taken literally
    bool cut = false;
    for (std::size_t i = 0; i < part.size() && !cut; ++i) {
        char c = part[i];
        switch (c) {
        case '\\':
            if (i + 1 < part.size())
                chars.emplace_back(part[++i], true);
            break;
        case '"':
            while (++i < part.size() && part[i] != '"')
                chars.emplace_back(part[i], true);
            break;
        case '[':
            while (++i < part.size() && part[i] != ']') {
            }
            break;
        case '_':
        case '*':
            ++i;
            break;
        case '/':
            chars.emplace_back(m_sep.date, true);
            break;
        case 'h':
        case 'H':
        case 's':
        case 'S':
            cut = true;
            break;
        default:
            chars.emplace_back(c, false);
        }
    }
    if (cut) {
        while (!chars.empty() && (chars.back().first == ' ' || chars.back().first == ':'))
            chars.pop_back();
    }
    bool anyDateLetter = false;
    for (auto [c, literal] : chars) {
        if (literal || c == '\\')
            f.pattern += '\\';
        else if (IsDateLetter(c))
            anyDateLetter = true;
        f.pattern += c;
    }
    if (!anyDateLetter) {
        f.kind = 0;  // a time of day alone
        f.pattern.clear();
    }
    return f;
}

std::string CNumberFormats::Text(int formatIndex, double x) const
{
    if (formatIndex > 0 && static_cast<std::size_t>(formatIndex) < m_formats.size()) {
        const Format& f = m_formats[static_cast<std::size_t>(formatIndex)];
        if (f.kind == 2) {
            std::string text = DateText(f.pattern, x);
            if (!text.empty())
                return text;
        } else if (f.kind == 1) {
            return NumberText(f, x);
        }
    }
    return GeneralText(x);
}

std::string CNumberFormats::GeneralText(double x) const
{
    // A telephone number kept as a number has up to 15 digits: shown whole,
    // never as 4,91761234568e+12.
    if (std::isfinite(x) && std::trunc(x) == x && std::fabs(x) < 1e15)
        return ToChars(x, std::chars_format::fixed, 0);
    std::string text = ToChars(x, std::chars_format::general, 12);
    std::size_t point = text.find('.');
    if (point == std::string::npos)
        point = text.find(',');
    if (point != std::string::npos)
        text[point] = m_sep.decimal;
    return text;
}

// The places of a number format: how many integer digits, from which one
// on they show zeros, the decimal placeholders and the exponent.
struct CNumberFormats::NumberPlaces {
    int integers = 0, firstZero = -1;
    const Piece* exponent = nullptr;
    std::string fractionPlaces;  // the decimal placeholders, left to right

    explicit NumberPlaces(const Format& f)
    {
        bool afterPoint = false;
        for (const Piece& p : f.pieces) {
            if (p.kind == Piece::Point)
                afterPoint = true;
            else if (p.kind == Piece::Exponent)
                exponent = &p;
            else if (p.kind == Piece::Digit && afterPoint)
                fractionPlaces += p.placeholder;
            else if (p.kind == Piece::Digit) {
                if (p.placeholder == '0' && firstZero < 0)
                    firstZero = integers;
                ++integers;
            }
        }
    }

    // The digits of x with the format's decimals, as "-123.45"; with an
    // exponent, the mantissa, its power of ten in power.
    std::string Digits(double x, int& power) const
    {
        const int decimals = static_cast<int>(fractionPlaces.size());
        if (!exponent || x == 0)
            return ToChars(x, std::chars_format::fixed, decimals);
        // The exponent leaves as many integer digits as the format has places.
        const int places = std::max(integers, 1);
        power = static_cast<int>(std::floor(std::log10(std::fabs(x)))) - (places - 1);
        std::string text = ToChars(x / std::pow(10.0, power), std::chars_format::fixed, decimals);
        const std::size_t digits = text.find('.') == std::string::npos ? text.size() : text.find('.');
        if (digits - (text[0] == '-' ? 1 : 0) > static_cast<std::size_t>(places)) {
            ++power;  // 9.99 rounded up to 10.0
            text = ToChars(x / std::pow(10.0, power), std::chars_format::fixed, decimals);
        }
        return text;
    }
};

// The digits of a number laid into the pieces of its format.
struct CNumberFormats::NumberLayout {
    const Format& f;
    const NumberPlaces& places;
    const NumberSeparators& sep;
    int power = 0;
    std::string whole;                        // the integer digits to show
    std::vector<std::string> decimalsShown;  // per decimal place
    std::string out;
    std::size_t left = 0;  // integer digits still to show
    int integerPlace = 0;
    std::size_t decimalPlace = 0;
    bool afterPoint = false;

    NumberLayout(const Format& format, const NumberPlaces& numberPlaces, const NumberSeparators& separators)
        : f(format)
        , places(numberPlaces)
        , sep(separators)
    {
    }

    // Splits "-123.45" into the sign, the integer digits and the decimals shown.
    void Take(std::string text)
    {
        const bool negative = text[0] == '-';
        if (negative)
            text.erase(0, 1);
        const std::size_t dot = text.find('.');
        whole = text.substr(0, dot);
        std::string fraction = dot == std::string::npos ? std::string() : text.substr(dot + 1);
        if (whole == "0")
            whole.clear();  // a zero shows only where the format has a "0"
        // From the first "0" place on, every place shows a digit.
        const std::size_t minimum =
            places.firstZero < 0 ? 0 : static_cast<std::size_t>(places.integers - places.firstZero);
        if (whole.size() < minimum)
            whole.insert(0, minimum - whole.size(), '0');
        // Trailing zeros of the decimals show only in "0" places ("?" as blanks).
        const std::string& fractionPlaces = places.fractionPlaces;
        decimalsShown.assign(fraction.size(), {});
        for (std::size_t k = 0; k < fraction.size(); ++k)
            decimalsShown[k] = std::string(1, fraction[k]);
        for (std::size_t k = fraction.size(); k-- > 0;) {
            if (fraction[k] != '0' || fractionPlaces[k] == '0')
                break;
            decimalsShown[k] = fractionPlaces[k] == '?' ? " " : "";
        }
        out = negative ? "-" : "";
        left = whole.size();
    }

    void Digit()
    {
        out += whole[whole.size() - left];
        --left;
        if (f.grouping && left > 0 && left % 3 == 0)
            out += sep.thousands;
    }

    void Point()
    {
        while (integerPlace == 0 && left > 0)
            Digit();  // ".00" shows the integer digits too
        afterPoint = true;
        out += sep.decimal;
    }

    void Place(const Piece& p)
    {
        if (afterPoint) {
            if (decimalPlace < decimalsShown.size())
                out += decimalsShown[decimalPlace++];
            return;
        }
        const int integers = places.integers;
        // The digits are placed from the right; those beyond the places
        // go to the first one.
        if (integerPlace == 0)
            while (left > static_cast<std::size_t>(integers))
                Digit();
        if (left == static_cast<std::size_t>(integers - integerPlace))
            Digit();
        else if (p.placeholder == '?')
            out += ' ';
        ++integerPlace;
    }

    void Exponent(const Piece& p)
    {
        out += 'E';
        if (power < 0)
            out += '-';
        else if (p.placeholder == '+')
            out += '+';
        std::string digits = std::to_string(power < 0 ? -power : power);
        const std::size_t zeros = static_cast<std::size_t>(std::count(p.text.begin(), p.text.end(), '0'));
        if (digits.size() < zeros)
            digits.insert(0, zeros - digits.size(), '0');
        out += digits;
    }

    std::string Show()
    {
        for (const Piece& p : f.pieces) {
            switch (p.kind) {
            case Piece::Literal: out += p.text; break;
            case Piece::Point: Point(); break;
            case Piece::Digit: Place(p); break;
            case Piece::Exponent: Exponent(p); break;
            }
        }
        return std::move(out);
    }
};

std::string CNumberFormats::NumberText(const Format& f, double x) const
{
    if (!std::isfinite(x))
        return GeneralText(x);
    for (int i = 0; i < f.percent; ++i)
        x *= 100;
    for (int i = 0; i < f.scaling; ++i)
        x /= 1000;
    if (!std::isfinite(x))
        return GeneralText(x);

    const NumberPlaces places(f);
    NumberLayout layout(f, places, m_sep);
    std::string text = places.Digits(x, layout.power);
    if (text.empty())
        return GeneralText(x);
    layout.Take(std::move(text));
    return layout.Show();
}

std::string CNumberFormats::DateText(const std::string& pattern, double x) const
{
    // Serials beyond the years 1..9999 are no dates.
    if (!(x > -693593.0 && x < 2958466.0))
        return {};
    long long serial = static_cast<long long>(std::trunc(x));
    // Day 1 is 1 January 1900; the spreadsheet counts a 29 February 1900
    // that did not exist.
    long long offset = serial - 1;
    if (offset > 58)
        --offset;
    long long days = DaysFromCivil(1900, 1, 1) + offset;
    long long year;
    unsigned month, day;
    CivilFromDays(days, year, month, day);
    int weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday
    int lang = LanguageRow(m_language);
    std::string monthName = kMonths[lang][month - 1];
    std::string dayName = kWeekdays[lang][weekday];

    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        char c = pattern[i];
        if (c == '\\' && i + 1 < pattern.size()) {
            out += pattern[i + 1];
            i += 2;
            continue;
        }
        if (!IsDateLetter(c)) {
            out += c;
            ++i;
            continue;
        }
        char letter = AsciiToLower(c);
        std::size_t run = 1;
        while (i + run < pattern.size() && AsciiToLower(pattern[i + run]) == letter)
            ++run;
        i += run;
        if (letter == 'd') {
            if (run <= 2)
                AppendNumber(out, day, static_cast<int>(run));
            else if (run == 3)
                out += dayName.substr(0, 2);
            else
                out += dayName;
        } else if (letter == 'm') {
            if (run >= 5)
                run -= 2;  // "mmmmm" is shown as "mmm"
            if (run <= 2)
                AppendNumber(out, month, static_cast<int>(run));
            else if (run == 3)
                out += monthName.substr(0, 3);
            else
                out += monthName;
        } else {
            long long y = year < 0 ? -year : year;
            if (run == 1)
                AppendNumber(out, y % 10, 1);
            else if (run < 4)
                AppendNumber(out, y % 100, 2);
            else
                AppendNumber(out, year, 4);
        }
    }
    return out;
}

}  // namespace velkaro
