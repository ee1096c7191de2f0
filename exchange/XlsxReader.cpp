#include "XlsxReader.h"

#include "XmlParser.h"
#include "ZipArchive.h"
#include "text/Language.h"
#include "text/MessageIds.h"

#include <charconv>
#include <map>
#include <vector>

namespace velkaro {

namespace {

// The elements of SpreadsheetML are told by their local names: the
// transitional and the strict namespace name the same elements.
constexpr std::string_view kRelationshipType = "/officeDocument";
constexpr std::string_view kSharedStringsType = "/sharedStrings";
constexpr std::string_view kStylesType = "/styles";

bool EndsWith(std::string_view s, std::string_view tail)
{
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

std::string_view Attr(const std::vector<XmlAttribute>& attrs, std::string_view local)
{
    const std::string_view* v = FindAttribute(attrs, {}, local);
    return v ? *v : std::string_view {};
}

long long ParseInteger(std::string_view s, long long fallback)
{
    long long v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p == s.data() + s.size() ? v : fallback;
}

// "BC12": column 54, row 11 (both from 0). A part may be missing.
void ParseCellReference(std::string_view ref, long long& column, long long& row)
{
    std::size_t i = 0;
    long long c = 0;
    while (i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && c < (1LL << 40))
        c = c * 26 + (ref[i++] - 'A' + 1);
    if (i > 0)
        column = c - 1;
    if (i < ref.size()) {
        long long r = ParseInteger(ref.substr(i), 0);
        if (r > 0)
            row = r - 1;
    }
}

// Characters XML cannot hold are written as "_xHHHH_".
std::string DecodeEscapes(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    auto hex = [](char c) {
        return (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '_' && i + 6 < s.size() && s[i + 1] == 'x' && s[i + 6] == '_') {
            int v = 0;
            bool ok = true;
            for (std::size_t k = 2; k < 6; ++k) {
                int h = hex(s[i + k]);
                ok = ok && h >= 0;
                v = v * 16 + h;
            }
            if (ok) {
                if (v < 0x80) {
                    out += static_cast<char>(v);
                } else if (v < 0x800) {
                    out += static_cast<char>(0xC0 | v >> 6);
                    out += static_cast<char>(0x80 | (v & 0x3F));
                } else {
                    out += static_cast<char>(0xE0 | v >> 12);
                    out += static_cast<char>(0x80 | (v >> 6 & 0x3F));
                    out += static_cast<char>(0x80 | (v & 0x3F));
                }
                i += 6;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::string Text(std::string_view utf8)
{
    return WorkbookText(DecodeEscapes(utf8));
}

// ---- package relationships and the workbook ----

struct Relationships : IXmlHandler {
    std::map<std::string, std::pair<std::string, std::string>> byId;  // id -> type, target
    void StartElement(const XmlName& name, const std::vector<XmlAttribute>& a) override
    {
        if (name.local == "Relationship" && byId.size() < CZipArchive::kMaxEntries)
            byId[std::string(Attr(a, "Id"))] = { std::string(Attr(a, "Type")), std::string(Attr(a, "Target")) };
    }
    void EndElement(const XmlName&) override {}
    void Characters(std::string_view) override {}
};

struct Workbook : IXmlHandler {
    std::vector<SheetInfo> sheets;
    std::vector<std::string> sheetIds;  // each sheet's relationship id
    bool date1904 = false;
    void StartElement(const XmlName& name, const std::vector<XmlAttribute>& a) override
    {
        if (name.local == "workbookPr") {
            std::string_view v = Attr(a, "date1904");
            date1904 = v == "1" || v == "true";
        }
        if (name.local != "sheet" || sheets.size() >= CZipArchive::kMaxEntries)
            return;
        std::string id;
        for (const auto& at : a)
            if (at.name.local == "id" && !at.name.ns.empty())
                id = at.value;
        // "hidden", or "veryHidden": shown again only by a macro.
        const std::string_view state = Attr(a, "state");
        sheets.push_back({ Text(Attr(a, "name")), state != "hidden" && state != "veryHidden" });
        sheetIds.push_back(std::move(id));
    }
    void EndElement(const XmlName&) override {}
    void Characters(std::string_view) override {}
};

// A target relative to the folder of `from` ("xl/workbook.xml"), or from
// the root when it starts with "/".
std::string ResolveTarget(const std::string& from, const std::string& target)
{
    std::vector<std::string> parts;
    std::string path = target;
    if (!path.empty() && path[0] == '/') {
        path.erase(0, 1);
    } else {
        std::size_t slash = from.rfind('/');
        if (slash != std::string::npos)
            path = from.substr(0, slash + 1) + path;
    }
    std::size_t at = 0;
    while (at <= path.size()) {
        std::size_t next = path.find('/', at);
        if (next == std::string::npos)
            next = path.size();
        std::string part = path.substr(at, next - at);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = next + 1;
    }
    std::string out;
    for (const auto& p : parts)
        out += (out.empty() ? "" : "/") + p;
    return out;
}

std::string RelsPathOf(const std::string& part)
{
    std::size_t slash = part.rfind('/');
    std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
    std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
    return folder + "_rels/" + file + ".rels";
}

std::string WorkbookPath(const CZipArchive& zip)
{
    std::string rels;
    if (zip.Read("_rels/.rels", 1 << 20, rels) == CZipArchive::Status::Ok) {
        Relationships r;
        if (ParseXml(rels, r))
            for (const auto& [id, rel] : r.byId)
                if (EndsWith(rel.first, kRelationshipType))
                    return ResolveTarget("", rel.second);
    }
    return "xl/workbook.xml";
}

// ---- shared strings and styles ----

struct SharedStrings : IXmlHandler {
    // More distinct texts than cells can be read is no address list; the
    // count is bounded, and each text is built within the read's budget,
    // since an empty <si/> takes five bytes of the part and less of the file.
    SharedStrings(std::size_t limit, CSheetSink& s)
        : maxStrings(limit)
        , sink(s)
    {
    }
    std::size_t maxStrings;
    CSheetSink& sink;
    bool tooMany = false;
    bool Stop() const override { return tooMany || sink.Full(); }
    std::vector<std::string> strings;
    std::string current;
    bool inItem = false, inText = false;
    int phonetic = 0;
    void StartElement(const XmlName& name, const std::vector<XmlAttribute>&) override
    {
        if (name.local == "si") {
            inItem = true;
            current.clear();
        } else if (name.local == "rPh") {
            ++phonetic;  // the reading aid of East Asian text is no part of it
        } else if (name.local == "t" && inItem && phonetic == 0) {
            inText = true;
        }
    }
    void EndElement(const XmlName& name) override
    {
        if (name.local == "si") {
            if (strings.size() >= maxStrings)
                tooMany = true;
            else if (sink.Spend(sizeof(std::string) + current.size()))
                strings.push_back(Text(current));
            inItem = false;
        } else if (name.local == "rPh") {
            --phonetic;
        } else if (name.local == "t") {
            inText = false;
        }
    }
    void Characters(std::string_view text) override
    {
        if (inText)
            current += text;
    }
};

struct Styles : IXmlHandler {
    CNumberFormats& formats;
    std::vector<int> xfFormats;
    bool inCellXfs = false;
    explicit Styles(CNumberFormats& f)
        : formats(f)
    {
    }
    void StartElement(const XmlName& name, const std::vector<XmlAttribute>& a) override
    {
        if (name.local == "numFmt") {
            long long id = ParseInteger(Attr(a, "numFmtId"), -1);
            if (id > 0 && id <= 0xFFFF)
                formats.Set(static_cast<int>(id), WorkbookText(Attr(a, "formatCode")));
        } else if (name.local == "cellXfs") {
            inCellXfs = true;
        } else if (name.local == "xf" && inCellXfs && xfFormats.size() < 0x10000) {
            xfFormats.push_back(static_cast<int>(ParseInteger(Attr(a, "numFmtId"), 0)));
        }
    }
    void EndElement(const XmlName& name) override
    {
        if (name.local == "cellXfs")
            inCellXfs = false;
    }
    void Characters(std::string_view) override {}
};

// ---- the worksheet ----

struct Sheet : IXmlHandler {
    CSheetSink& sink;
    const std::vector<std::string>& strings;
    const std::vector<int>& xfFormats;
    const CNumberFormats& formats;
    bool date1904 = false;

    long long row = -1, column = -1;
    std::string type;
    int xf = 0;
    std::string value, inlineText;
    bool inCell = false, inValue = false, inInline = false, inText = false, done = false;
    int phonetic = 0;

    Sheet(CSheetSink& s, const std::vector<std::string>& str, const std::vector<int>& xfs, const CNumberFormats& f)
        : sink(s)
        , strings(str)
        , xfFormats(xfs)
        , formats(f)
    {
    }

    void StartElement(const XmlName& name, const std::vector<XmlAttribute>& a) override
    {
        const std::string_view& n = name.local;
        if (n == "row") {
            long long r = ParseInteger(Attr(a, "r"), 0);
            row = r > 0 ? r - 1 : row + 1;
            column = -1;
        } else if (n == "c") {
            inCell = true;
            long long nextColumn = column + 1, cellRow = row < 0 ? 0 : row;
            std::string_view ref = Attr(a, "r");
            if (!ref.empty())
                ParseCellReference(ref, nextColumn, cellRow);
            column = nextColumn;
            row = cellRow;
            type = Attr(a, "t");
            xf = static_cast<int>(ParseInteger(Attr(a, "s"), 0));
            value.clear();
            inlineText.clear();
        } else if (inCell && n == "v") {
            inValue = true;
        } else if (inCell && n == "is") {
            inInline = true;
        } else if (inInline && n == "rPh") {
            ++phonetic;
        } else if (inInline && n == "t" && phonetic == 0) {
            inText = true;
        }
    }

    void EndElement(const XmlName& name) override
    {
        const std::string_view& n = name.local;
        if (n == "v") {
            inValue = false;
        } else if (n == "t") {
            inText = false;
        } else if (n == "rPh") {
            --phonetic;
        } else if (n == "is") {
            inInline = false;
        } else if (n == "c" && inCell) {
            inCell = false;
            StoreCell();
        } else if (n == "sheetData") {
            done = true;
        }
    }

    void Characters(std::string_view text) override
    {
        // The value of a cell is short; a longer one is no number, and a
        // text is bounded by the part's size.
        if (inValue)
            value += text;
        else if (inText)
            inlineText += text;
    }

    bool Stop() const override { return done || sink.Full(); }

    int FormatOfXf() const
    {
        return xf >= 0 && static_cast<std::size_t>(xf) < xfFormats.size() ? xfFormats[static_cast<std::size_t>(xf)] : 0;
    }

    void StoreCell()
    {
        if (type == "inlineStr") {
            sink.Store(Text(inlineText), row, column);
        } else if (type == "s") {
            long long index = ParseInteger(value, -1);
            if (index >= 0 && static_cast<std::size_t>(index) < strings.size())
                sink.Store(strings[static_cast<std::size_t>(index)], row, column);
        } else if (type == "b") {
            if (!value.empty())
                sink.Store(velkaro::Text(value == "1" ? msg::SheetTrue : msg::SheetFalse), row, column);
        } else if (type == "d") {
            // A date in ISO form, shown through the cell's date format.
            double x = 0;
            int format = FormatOfXf();
            if (IsoDateSerial(value, x))
                sink.Store(formats.Text(formats.IsDate(format) ? format : 14, x), row, column);
            else
                sink.Store(Text(value), row, column);
        } else if (type == "str" || type == "e") {
            // A formula's text result, an error value: shown as they stand.
            sink.Store(Text(value), row, column);
        } else if (!value.empty()) {
            double x = 0;
            auto [p, ec] = std::from_chars(value.data(), value.data() + value.size(), x);
            if (ec != std::errc() || p != value.data() + value.size())
                return;
            int format = FormatOfXf();
            // Day 0 of the 1904 system is day 1462 of the 1900 one.
            if (date1904 && formats.IsDate(format))
                x += 1462;
            sink.Store(formats.Text(format, x), row, column);
        }
    }
};

}  // namespace

bool IsXlsxArchive(const CZipArchive& zip)
{
    return zip.Has(WorkbookPath(zip));
}

SheetResult ReadXlsxSheet(const CWorkbookPart& sheetXml, const CWorkbookPart& sharedStringsXml,
                          const CWorkbookPart& stylesXml, CImportTable& table, const NumberSeparators& separators,
                          int language, const SheetLimits& limits, bool date1904)
{
    CNumberFormats formats(separators, language);
    formats.RegisterBuiltIns();
    CSheetSink sink(table, limits, sheetXml.KnownSize() + sharedStringsXml.KnownSize() + stylesXml.KnownSize());
    SharedStrings strings(limits.cells, sink);
    if (const SheetResult read = sharedStringsXml.Parse(strings, &sink, false); read != SheetResult::Ok)
        return read;
    if (strings.tooMany)
        return SheetResult::TooLarge;
    if (sink.Full())
        return sink.Result();
    Styles styles(formats);
    if (const SheetResult read = stylesXml.Parse(styles, &sink, false); read != SheetResult::Ok)
        return read;
    Sheet sheet(sink, strings.strings, styles.xfFormats, formats);
    sheet.date1904 = date1904;
    if (const SheetResult read = sheetXml.Parse(sheet, &sink, true); read != SheetResult::Ok)
        return read;
    return sink.Result();
}

SheetResult ReadXlsxArchive(const CZipArchive& zip, CImportTable& table, const NumberSeparators& separators,
                            int language, const SheetLimits& limits, const SheetPicker& pick)
{
    using Status = CZipArchive::Status;
    std::string workbookPath = WorkbookPath(zip);
    std::string workbookXml, relsXml;
    Status status = zip.Read(workbookPath, limits.partBytes, workbookXml);
    if (status != Status::Ok)
        return status == Status::TooLarge ? SheetResult::TooLarge : SheetResult::Damaged;
    Workbook workbook;
    if (!ParseXml(workbookXml, workbook))
        return SheetResult::Damaged;
    Relationships rels;
    if (zip.Read(RelsPathOf(workbookPath), limits.partBytes, relsXml) == Status::Ok)
        ParseXml(relsXml, rels);
    std::string sheetId;
    if (!workbook.sheets.empty()) {
        int index = FirstVisibleSheet(workbook.sheets);
        if (pick) {
            std::optional<int> chosen = pick(workbook.sheets);
            if (!chosen || *chosen < 0 || static_cast<std::size_t>(*chosen) >= workbook.sheets.size())
                return SheetResult::NoSheetChosen;
            index = *chosen;
        }
        sheetId = workbook.sheetIds[static_cast<std::size_t>(index)];
    }

    // Where the workbook's relationships do not say, the names every
    // writer uses.
    std::string sheetPath = ResolveTarget(workbookPath, "worksheets/sheet1.xml");
    std::string stringsPath = ResolveTarget(workbookPath, "sharedStrings.xml");
    std::string stylesPath = ResolveTarget(workbookPath, "styles.xml");
    for (const auto& [id, rel] : rels.byId) {
        if (id == sheetId && !id.empty())
            sheetPath = ResolveTarget(workbookPath, rel.second);
        else if (EndsWith(rel.first, kSharedStringsType))
            stringsPath = ResolveTarget(workbookPath, rel.second);
        else if (EndsWith(rel.first, kStylesType))
            stylesPath = ResolveTarget(workbookPath, rel.second);
    }

    // The parts inflate into their parsers a piece at a time.
    return ReadXlsxSheet(CWorkbookPart(zip, sheetPath, limits.partBytes),
                         CWorkbookPart(zip, stringsPath, limits.partBytes),
                         CWorkbookPart(zip, stylesPath, limits.partBytes), table, separators, language, limits,
                         workbook.date1904);
}

}  // namespace velkaro
