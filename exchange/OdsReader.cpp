#include "OdsReader.h"

#include "XmlParser.h"
#include "ZipArchive.h"
#include "text/Language.h"
#include "text/MessageIds.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace velkaro {

namespace {

constexpr std::string_view kOffice = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view kTable = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr std::string_view kText = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr std::string_view kStyle = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
constexpr std::string_view kNumber = "urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0";
constexpr std::string_view kLoExt = "urn:org:documentfoundation:names:experimental:office:xmlns:loext:1.0";
constexpr std::string_view kMimeType = "application/vnd.oasis.opendocument.spreadsheet";

// Format indices above those of the BIFF formats, one per data style.
constexpr int kFirstStyleFormat = 0x1000;
constexpr int kMaxStyleFormats = 0xE000;

std::string_view Attr(const std::vector<XmlAttribute>& a, std::string_view ns, std::string_view local)
{
    const std::string_view* v = FindAttribute(a, ns, local);
    return v ? *v : std::string_view {};
}

long long ParseInteger(std::string_view s, long long fallback)
{
    long long v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p == s.data() + s.size() ? v : fallback;
}

struct DataStyle {
    enum Kind { None, Number, Percentage, Date } kind = None;
    std::string code;  // the number format in the BIFF formats' notation
    bool timeSeen = false;
    bool automaticOrder = false;  // day, month and year in the locale's order
    // Where the day (0), month (1) and year (2) stand in the code.
    struct Part {
        int what;
        std::size_t at, length;
    };
    std::vector<Part> dateParts;
    // number:number and the texts embedded in its integer digits.
    long long decimals = 0, minDecimals = 0, integers = 1;
    bool grouping = false;
    std::vector<std::pair<long long, std::string>> embedded;  // digits to its right, text
    bool inNumber = false;
    bool general = false;
    // The text a cell shows does not depend on the locale: no decimals, no
    // grouping. The writer's own text of such a cell is taken, since Calc
    // keeps the leading zeros of "0#########" there and not in the style.
    bool localeFree = false;
};

// Text as a literal of the number format: every character behind a backslash.
std::string Literal(std::string_view text)
{
    std::string code;
    for (char c : text) {
        code += '\\';
        code += c;
    }
    return code;
}

class OdsHandler : public IXmlHandler {
public:
    OdsHandler(CSheetSink& sink, CNumberFormats& formats)
        : m_sink(sink)
        , m_formats(formats)
    {
    }

    void StartElement(const XmlName& name, const std::vector<XmlAttribute>& a) override
    {
        if (name.ns == kNumber)
            StartDataStyle(name, a);
        else if (name.Is(kStyle, "style"))
            StartCellStyle(a);
        else if (name.Is(kStyle, "map") && m_inStyle)
            StartStyleMap(a);
        if (m_done)
            return;
        if (name.Is(kTable, "table")) {
            // Tables inside a cell belong to the cell's table.
            if (++m_tableDepth == 1 && m_tableIndex++ == m_target) {
                m_inTable = true;
                m_row = 0;
            }
            return;
        }
        if (!m_inTable)
            return;
        if (name.Is(kTable, "table-column")) {
            long long n = std::clamp(ParseInteger(Attr(a, kTable, "number-columns-repeated"), 1), 1LL, 1LL << 30);
            std::string style(Attr(a, kTable, "default-cell-style-name"));
            for (long long i = 0; i < n && m_columnStyles.size() < static_cast<std::size_t>(m_sink.Limits().columns); ++i)
                m_columnStyles.push_back(style);
        } else if (name.Is(kTable, "table-row")) {
            m_rowRepeat = std::clamp(ParseInteger(Attr(a, kTable, "number-rows-repeated"), 1), 1LL, 1LL << 40);
            m_column = 0;
            m_rowCells.clear();
        } else if (name.Is(kTable, "table-cell") || name.Is(kTable, "covered-table-cell")) {
            StartCell(a);
        } else if (name.Is(kOffice, "annotation")) {
            ++m_annotation;  // a comment on the cell is no part of its text
        } else if (m_inCell && m_annotation == 0) {
            if (name.Is(kText, "p") || name.Is(kText, "h")) {
                if (m_paragraphs++ > 0)
                    AddText("\n");
                m_inParagraph = true;
            } else if (m_inParagraph && name.Is(kText, "s")) {
                // A few bytes of the file for up to a thousand blanks.
                long long n = std::clamp(ParseInteger(Attr(a, kText, "c"), 1), 1LL, 1000LL);
                if (m_sink.Spend(static_cast<std::size_t>(n)))
                    m_text.append(static_cast<std::size_t>(n), ' ');
            } else if (m_inParagraph && name.Is(kText, "tab")) {
                AddText("\t");
            } else if (m_inParagraph && name.Is(kText, "line-break")) {
                AddText("\n");
            }
        }
    }

    void EndElement(const XmlName& name) override
    {
        if (name.ns == kNumber)
            EndDataStyle(name);
        if (m_done)
            return;
        if (name.Is(kTable, "table")) {
            if (--m_tableDepth == 0 && m_inTable)
                m_done = true;  // only the chosen table is read
            return;
        }
        if (!m_inTable)
            return;
        if (name.Is(kTable, "table-cell") || name.Is(kTable, "covered-table-cell")) {
            EndCell();
        } else if (name.Is(kTable, "table-row")) {
            EndRow();
        } else if (name.Is(kOffice, "annotation")) {
            --m_annotation;
        } else if (name.Is(kText, "p") || name.Is(kText, "h")) {
            m_inParagraph = false;
        }
    }

    void Characters(std::string_view text) override
    {
        if (m_inParagraph && m_annotation == 0)
            AddText(text);
    }

    bool Stop() const override { return m_done || m_sink.Full(); }

    // The table read, counted from 0 in the document's order.
    void SetTarget(int index) { m_target = index; }

private:
    // The text of the cell being read is built within the budget.
    void AddText(std::string_view text)
    {
        if (m_sink.Spend(text.size()))
            m_text += text;
    }

    // ---- data styles and cell styles ----

    void StartDataStyle(const XmlName& name, const std::vector<XmlAttribute>& a)
    {
        const std::string_view& n = name.local;
        if (n == "number-style" || n == "percentage-style" || n == "date-style") {
            m_style = {};
            m_style.kind = n == "number-style" ? DataStyle::Number
                : n == "percentage-style"      ? DataStyle::Percentage
                                               : DataStyle::Date;
            m_style.automaticOrder = Attr(a, kNumber, "automatic-order") == "true";
            m_styleName = Attr(a, kStyle, "name");
            m_inStyle = true;
            return;
        }
        if (!m_inStyle)
            return;
        bool isLong = Attr(a, kNumber, "style") == "long";
        if (m_style.kind == DataStyle::Date) {
            if (m_style.timeSeen)
                return;
            if (n == "day")
                DatePart(0, isLong ? "dd" : "d");
            else if (n == "month")
                DatePart(1, Attr(a, kNumber, "textual") == "true" ? (isLong ? "mmmm" : "mmm") : (isLong ? "mm" : "m"));
            else if (n == "year")
                DatePart(2, isLong ? "yyyy" : "yy");
            else if (n == "day-of-week")
                m_style.code += isLong ? "dddd" : "ddd";
            else if (n == "hours" || n == "minutes" || n == "seconds" || n == "am-pm")
                EndOfDay();
            else if (n == "text")
                m_inStyleText = true;
        } else if (n == "number") {
            // Without decimal places the number is shown in general form.
            m_style.general = m_style.kind == DataStyle::Number && FindAttribute(a, kNumber, "decimal-places") == nullptr;
            m_style.decimals = std::clamp(ParseInteger(Attr(a, kNumber, "decimal-places"), 0), 0LL, 30LL);
            // ODF 1.3 names it in the number namespace, LibreOffice before in its own.
            std::string_view minText = Attr(a, kNumber, "min-decimal-places");
            if (minText.empty())
                minText = Attr(a, kLoExt, "min-decimal-places");
            m_style.minDecimals = std::clamp(ParseInteger(minText, m_style.decimals), 0LL, m_style.decimals);
            m_style.integers = std::clamp(ParseInteger(Attr(a, kNumber, "min-integer-digits"), 1), 0LL, 30LL);
            m_style.grouping = Attr(a, kNumber, "grouping") == "true";
            m_style.inNumber = true;
        } else if (n == "embedded-text" && m_style.inNumber && m_style.embedded.size() < 32) {
            m_style.embedded.emplace_back(std::clamp(ParseInteger(Attr(a, kNumber, "position"), 0), 0LL, 30LL),
                                          std::string());
            m_inStyleText = true;
        } else if (n == "text" && m_style.kind == DataStyle::Number) {
            m_inStyleText = true;  // "+" before the number, " Stk." after it
        }
    }

    void DatePart(int what, std::string_view code)
    {
        m_style.dateParts.push_back({ what, m_style.code.size(), code.size() });
        m_style.code += code;
    }

    // number:number with its embedded texts in the BIFF formats' notation.
    void EndNumber()
    {
        DataStyle& s = m_style;
        s.inNumber = false;
        if (s.general) {
            s.code.clear();  // no format: the general form
            return;
        }
        // A text at position p has p digits to its right and a place for a
        // digit to its left, shown when the number reaches it.
        long long places = std::max(s.integers, 1LL);
        for (const auto& e : s.embedded)
            places = std::max(places, e.first + 1);
        std::string integer;  // built from the right
        for (long long i = 0; i < places; ++i) {
            for (const auto& [position, text] : s.embedded)
                if (position == i)
                    integer.insert(0, Literal(text));
            integer.insert(0, 1, i < s.integers ? '0' : '#');
        }
        std::string code = s.grouping ? "#," + integer : integer;
        if (s.decimals > 0)
            code += "." + std::string(static_cast<std::size_t>(s.minDecimals), '0')
                + std::string(static_cast<std::size_t>(s.decimals - s.minDecimals), '#');
        s.code += code;
        s.localeFree = s.kind == DataStyle::Number && s.decimals == 0 && !s.grouping;
    }

    // Only the day is shown: the time of day and the text before it go.
    void EndOfDay()
    {
        m_style.timeSeen = true;
        std::string& code = m_style.code;
        while (code.size() >= 2 && code[code.size() - 2] == '\\'
               && (code.back() == ' ' || code.back() == ':' || code.back() == ',' || code.back() == 'T'))
            code.resize(code.size() - 2);
    }

    // A date style in automatic order shows day, month and year in the
    // order the user's locale writes them: SheetJS writes its dates as
    // month/day/year in such a style.
    void ApplyAutomaticOrder()
    {
        DataStyle& s = m_style;
        if (!s.automaticOrder || s.dateParts.size() < 2)
            return;
        static constexpr int kOrders[3][3] = { { 0, 1, 2 }, { 1, 0, 2 }, { 2, 1, 0 } };
        std::vector<DataStyle::Part> wanted;
        for (int what : kOrders[static_cast<int>(m_formats.Separators().dateOrder)])
            for (const auto& part : s.dateParts)
                if (part.what == what)
                    wanted.push_back(part);
        if (wanted.size() != s.dateParts.size())
            return;
        std::string code;
        std::size_t at = 0;
        for (std::size_t k = 0; k < s.dateParts.size(); ++k) {
            code += s.code.substr(at, s.dateParts[k].at - at);
            code += s.code.substr(wanted[k].at, wanted[k].length);
            at = s.dateParts[k].at + s.dateParts[k].length;
        }
        s.code = code + s.code.substr(at);
    }

    void EndDataStyle(const XmlName& name)
    {
        const std::string_view& n = name.local;
        if (n == "text" || n == "embedded-text") {
            m_inStyleText = false;
        } else if (n == "number" && m_inStyle && m_style.inNumber) {
            EndNumber();
        } else if (m_inStyle && (n == "number-style" || n == "percentage-style" || n == "date-style")) {
            m_inStyle = false;
            if (m_style.kind == DataStyle::Percentage)
                m_style.code += '%';
            ApplyAutomaticOrder();
            if (m_dataStyles.size() < static_cast<std::size_t>(kMaxStyleFormats) && !m_style.code.empty()) {
                int index = kFirstStyleFormat + static_cast<int>(m_dataStyles.size());
                m_formats.Set(index, m_style.code);
                m_dataStyles[m_styleName] = index;
                if (m_style.localeFree)
                    m_localeFree.insert(index);
            }
        }
    }

    // Calc writes a number format with a section for negative numbers
    // ("#,##0.00;[RED]-#,##0.00") as the negative style, its "-" as text,
    // with a map to the style of the numbers from zero up. As the first
    // section of a BIFF format, that style shows every number; the minus
    // sign comes with the number.
    void StartStyleMap(const std::vector<XmlAttribute>& a)
    {
        const std::string_view condition = Attr(a, kStyle, "condition");
        if (condition.substr(0, 9) == "value()>=" && m_positiveStyles.size() < static_cast<std::size_t>(kMaxStyleFormats))
            m_positiveStyles.emplace(m_styleName, Attr(a, kStyle, "apply-style-name"));
    }

    void StartCellStyle(const std::vector<XmlAttribute>& a)
    {
        const std::string_view family = Attr(a, kStyle, "family");
        if (!family.empty() && family != "table-cell")
            return;
        std::string_view data = Attr(a, kStyle, "data-style-name");
        std::string_view parent = Attr(a, kStyle, "parent-style-name");
        if ((!data.empty() || !parent.empty()) && m_cellStyles.size() < static_cast<std::size_t>(kMaxStyleFormats))
            m_cellStyles[std::string(Attr(a, kStyle, "name"))] = { std::string(data), std::string(parent) };
    }

    int FormatOfCellStyle(const std::string& style) const
    {
        // A style without a data style of its own has its parent's: Calc
        // writes a cell in the named style "Datum" that is also bold as an
        // automatic style whose parent is "Datum". A chain ends after a few
        // steps in any file Calc writes; a longer one (or a loop) is general.
        std::string_view name = style;
        for (int depth = 0; depth < 16; ++depth) {
            auto s = m_cellStyles.find(name);
            if (s == m_cellStyles.end())
                return 0;
            if (!s->second.dataStyle.empty()) {
                std::string_view data = s->second.dataStyle;
                if (auto positive = m_positiveStyles.find(data); positive != m_positiveStyles.end())
                    data = positive->second;
                auto d = m_dataStyles.find(data);
                return d == m_dataStyles.end() ? 0 : d->second;
            }
            name = s->second.parent;
        }
        return 0;
    }

    // ---- cells and rows ----

    void StartCell(const std::vector<XmlAttribute>& a)
    {
        m_inCell = true;
        m_cellRepeat = std::clamp(ParseInteger(Attr(a, kTable, "number-columns-repeated"), 1), 1LL, 1LL << 40);
        m_valueType = Attr(a, kOffice, "value-type");
        m_value = Attr(a, kOffice, "value");
        m_dateValue = Attr(a, kOffice, "date-value");
        m_boolValue = Attr(a, kOffice, "boolean-value");
        m_stringValue = Attr(a, kOffice, "string-value");
        m_hasStringValue = FindAttribute(a, kOffice, "string-value") != nullptr;
        m_cellStyle = Attr(a, kTable, "style-name");
        m_text.clear();
        m_paragraphs = 0;
    }

    void EndCell()
    {
        m_inCell = false;
        m_inParagraph = false;
        std::optional<std::string> shown = CellText();
        // A repeated cell is held once; it is stored as often as it is
        // repeated when its row ends.
        const long long columns = m_sink.Limits().columns;
        if (shown && m_column < columns)
            m_rowCells.push_back({ m_column, std::min(m_cellRepeat, columns - m_column), std::move(*shown) });
        m_column = std::min<long long>(m_column + m_cellRepeat, 1LL << 40);
    }

    std::optional<std::string> CellText() const
    {
        std::string style = m_cellStyle;
        if (style.empty() && m_column < static_cast<long long>(m_columnStyles.size()))
            style = m_columnStyles[static_cast<std::size_t>(m_column)];
        double x = 0;
        if (m_valueType == "float" || m_valueType == "percentage") {
            auto [p, ec] = std::from_chars(m_value.data(), m_value.data() + m_value.size(), x);
            if (ec == std::errc() && p == m_value.data() + m_value.size()) {
                const int format = FormatOfCellStyle(style);
                if (m_localeFree.count(format) && std::trunc(x) == x && m_paragraphs == 1 && !m_text.empty())
                    return WorkbookText(m_text);
                return m_formats.Text(format, x);
            }
        } else if (m_valueType == "date") {
            if (IsoDateSerial(m_dateValue, x)) {
                int format = FormatOfCellStyle(style);
                return m_formats.Text(format != 0 ? format : 14, x);
            }
        } else if (m_valueType == "boolean") {
            return Text(m_boolValue == "true" ? msg::SheetTrue : msg::SheetFalse);
        } else if (m_valueType == "string" && m_hasStringValue && m_paragraphs == 0) {
            return WorkbookText(m_stringValue);  // a formula's text result without its shown text
        }
        // Texts, and currency and time as the writer showed them.
        if (m_paragraphs == 0)
            return std::nullopt;
        return WorkbookText(m_text);
    }

    void EndRow()
    {
        if (m_rowCells.empty()) {
            // Empty rows, however many are claimed, only move on.
            m_row = std::min<long long>(m_row + m_rowRepeat, 1LL << 40);
            return;
        }
        for (long long r = m_row; r < m_row + m_rowRepeat && r < m_sink.Limits().rows && !m_sink.Full(); ++r)
            for (const RowCell& cell : m_rowCells)
                for (long long c = cell.column; c < cell.column + cell.repeat; ++c)
                    if (!m_sink.Store(cell.text, r, c))
                        return;
        m_row = std::min<long long>(m_row + m_rowRepeat, 1LL << 40);
        m_rowCells.clear();
    }

    CSheetSink& m_sink;
    CNumberFormats& m_formats;

    std::map<std::string, int, std::less<>> m_dataStyles;      // data style name -> format index
    std::set<int> m_localeFree;  // formats whose shown text the writer's own is
    std::map<std::string, std::string, std::less<>> m_positiveStyles;  // data style -> its style for numbers >= 0
    struct CellStyle {
        std::string dataStyle;  // empty: the parent's
        std::string parent;
    };
    std::map<std::string, CellStyle, std::less<>> m_cellStyles;
    DataStyle m_style;
    std::string m_styleName;
    bool m_inStyle = false, m_inStyleText = false;

    int m_tableDepth = 0, m_tableIndex = 0, m_target = 0;
    bool m_inTable = false, m_done = false;
    std::vector<std::string> m_columnStyles;
    long long m_row = 0, m_column = 0, m_rowRepeat = 1, m_cellRepeat = 1;
    struct RowCell {
        long long column, repeat;
        std::string text;
    };
    std::vector<RowCell> m_rowCells;

    bool m_inCell = false, m_inParagraph = false, m_hasStringValue = false;
    int m_annotation = 0, m_paragraphs = 0;
    std::string m_valueType, m_value, m_dateValue, m_boolValue, m_stringValue, m_cellStyle, m_text;

public:
    // The literal text of a style: "/" of a date is the locale's date
    // separator, everything else is shown as it stands.
    void StyleText(std::string_view text)
    {
        if (m_style.inNumber && !m_style.embedded.empty()) {
            m_style.embedded.back().second += text;
            return;
        }
        for (char c : text) {
            if (c != '/' || m_style.kind != DataStyle::Date)
                m_style.code += '\\';
            m_style.code += c;
        }
    }
    bool InStyleText() const { return m_inStyle && m_inStyleText && !m_style.timeSeen; }
};

// The date style's literal text arrives as characters.
class OdsParser : public IXmlHandler {
public:
    explicit OdsParser(OdsHandler& h)
        : m_h(h)
    {
    }
    void StartElement(const XmlName& n, const std::vector<XmlAttribute>& a) override { m_h.StartElement(n, a); }
    void EndElement(const XmlName& n) override { m_h.EndElement(n); }
    void Characters(std::string_view t) override
    {
        if (m_h.InStyleText())
            m_h.StyleText(t);
        else
            m_h.Characters(t);
    }
    bool Stop() const override { return m_h.Stop(); }

private:
    OdsHandler& m_h;
};

// The tables of content.xml with their names, and whether their style
// hides them (table:display="false", as Calc writes a hidden sheet).
class OdsSheetList : public IXmlHandler {
public:
    void StartElement(const XmlName& name, const std::vector<XmlAttribute>& a) override
    {
        if (name.Is(kStyle, "style")) {
            m_style = Attr(a, kStyle, "family") == "table" ? Attr(a, kStyle, "name") : std::string_view {};
        } else if (name.Is(kStyle, "table-properties") && !m_style.empty()) {
            if (Attr(a, kTable, "display") == "false" && m_hidden.size() < CZipArchive::kMaxEntries)
                m_hidden.insert(m_style);
        } else if (name.Is(kTable, "table") && ++m_depth == 1 && m_sheets.size() < CZipArchive::kMaxEntries) {
            m_sheets.push_back({ WorkbookText(Attr(a, kTable, "name")), true });
            m_styles.emplace_back(Attr(a, kTable, "style-name"));
        }
    }
    void EndElement(const XmlName& name) override
    {
        if (name.Is(kStyle, "style"))
            m_style = {};
        else if (name.Is(kTable, "table"))
            --m_depth;
    }
    void Characters(std::string_view) override {}

    std::vector<SheetInfo> Sheets() const
    {
        std::vector<SheetInfo> sheets = m_sheets;
        for (std::size_t i = 0; i < sheets.size(); ++i)
            sheets[i].visible = m_hidden.count(m_styles[i]) == 0;
        return sheets;
    }

private:
    std::string m_style;  // the table style being read
    std::set<std::string, std::less<>> m_hidden;
    std::vector<SheetInfo> m_sheets;
    std::vector<std::string> m_styles;
    int m_depth = 0;
};

}  // namespace

bool IsOdsArchive(const CZipArchive& zip)
{
    std::string mime;
    return zip.Read("mimetype", 256, mime) == CZipArchive::Status::Ok && mime == kMimeType && zip.Has("content.xml");
}

SheetResult ReadOdsContent(const CWorkbookPart& content, const CWorkbookPart& styles, CImportTable& table,
                           const NumberSeparators& separators, int language, const SheetLimits& limits,
                           const SheetPicker& pick)
{
    // The tables are known only once the whole content has passed: a first
    // pass lists them, the second reads the chosen one. From a zip the
    // content inflates twice rather than staying in memory.
    OdsSheetList list;
    if (const SheetResult listed = content.Parse(list, nullptr, true); listed != SheetResult::Ok)
        return listed;
    const std::vector<SheetInfo> sheets = list.Sheets();
    int target = FirstVisibleSheet(sheets);
    if (pick && !sheets.empty()) {
        std::optional<int> chosen = pick(sheets);
        if (!chosen || *chosen < 0 || static_cast<std::size_t>(*chosen) >= sheets.size())
            return SheetResult::NoSheetChosen;
        target = *chosen;
    }
    CNumberFormats formats(separators, language);
    formats.RegisterBuiltIns();
    CSheetSink sink(table, limits, content.KnownSize() + styles.KnownSize());
    OdsHandler handler(sink, formats);
    handler.SetTarget(target);
    OdsParser parser(handler);
    // The styles part only lends its data styles: it holds no table.
    if (const SheetResult read = styles.Parse(parser, &sink, false); read != SheetResult::Ok)
        return read;
    if (const SheetResult read = content.Parse(parser, &sink, true); read != SheetResult::Ok)
        return read;
    return sink.Result();
}

SheetResult ReadOdsArchive(const CZipArchive& zip, CImportTable& table, const NumberSeparators& separators,
                           int language, const SheetLimits& limits, const SheetPicker& pick)
{
    // A document saved with a password keeps its mimetype and manifest plain
    // and says there which parts are ciphered.
    std::string manifest;
    if (zip.Read("META-INF/manifest.xml", limits.partBytes, manifest) == CZipArchive::Status::Ok
        && manifest.find("encryption-data") != std::string::npos)
        return SheetResult::Encrypted;
    return ReadOdsContent(CWorkbookPart(zip, "content.xml", limits.partBytes),
                          CWorkbookPart(zip, "styles.xml", limits.partBytes), table, separators, language, limits,
                          pick);
}

}  // namespace velkaro
