#pragma once

// The number formats of spreadsheets and the text a cell shows through one:
// the one renderer the .xls, .xlsx and .ods readers share. Formats are
// given in the notation of the Excel formats ("#,##0.00", "0## ### ####",
// "\"+\"0", "dd/mm/yyyy"); the .ods reader translates its data styles into
// it. Only the part before the first ";" counts.
//
// A number format shows its digit placeholders ("0" a digit or a zero, "#" a
// digit or nothing, "?" a digit or a blank), the decimal point, grouping,
// percent and exponent, and between them its literal text: quoted text,
// characters after a backslash, other signs as they stand, the currency
// symbol of "[$€-407]". A date format shows the day; the time of day is
// dropped. Everything else is shown in general form.

#include <string>
#include <string_view>
#include <vector>

namespace velkaro {

// In which order the user writes day, month and year.
enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

// The separators a number or date is written with: the first character of
// the user's locale settings, and the locale's order of a date.
struct NumberSeparators {
    char decimal = '.';
    char thousands = '.';
    char date = '.';
    DateOrder dateOrder = DateOrder::DayMonthYear;
};

class CNumberFormats {
public:
    // language: the program's language offset (kLangGerman ...), for the
    // month and weekday names of dates; -1 for the current one.
    explicit CNumberFormats(NumberSeparators separators = {}, int language = -1);

    // The format at `index` (0..0xFFFF), as a file defines it.
    void Set(int index, std::string_view formatText);
    // The built-in formats that files of BIFF 5 and later (and .xlsx
    // workbooks) use by index without defining them; an index that has a
    // format of the same kind keeps it.
    void RegisterBuiltIns();
    void Clear() { m_formats.clear(); }

    // True when the format at `index` shows a date.
    bool IsDate(int index) const;
    // The text a cell with format index f and value x shows; index 0, an
    // unknown index and a general format give the general form.
    std::string Text(int formatIndex, double x) const;
    // The general form: an integer of up to 15 digits whole, as the
    // spreadsheet programs show it; other values with 12 significant digits.
    std::string GeneralText(double x) const;

    const NumberSeparators& Separators() const { return m_sep; }

private:
    // One piece of a number format, in the order it is shown.
    struct Piece {
        enum Kind { Digit, Point, Literal, Exponent } kind = Literal;
        char placeholder = '0';  // Digit: '0', '#' or '?'; Exponent: its sign '+' or '-'
        std::string text;        // Literal
    };
    struct Format {
        bool present = false;
        int kind = 0;  // 0 general, 1 number, 2 date
        std::string pattern;  // date: the pattern, literal characters behind a backslash
        std::vector<Piece> pieces;  // number
        bool grouping = false;
        int percent = 0;  // "%" signs: each multiplies by 100
        int scaling = 0;  // commas after the last integer digit: each divides by 1000
    };

    struct NumberReader;
    struct NumberPlaces;
    struct NumberLayout;

    Format Convert(std::string_view formatText) const;
    Format ConvertNumber(std::string_view part) const;
    Format ConvertDate(std::string_view part) const;
    std::string DateText(const std::string& pattern, double x) const;
    std::string NumberText(const Format& format, double x) const;

    NumberSeparators m_sep;
    int m_language;
    std::vector<Format> m_formats;
};

// Days from 1970-01-01 to the civil date (proleptic Gregorian); dates of
// every spreadsheet format are counted from it.
long long DaysFromCivil(long long y, unsigned m, unsigned d);

}  // namespace velkaro
