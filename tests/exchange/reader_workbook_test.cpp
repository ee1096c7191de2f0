// The .xlsx and .ods readers: workbooks written by LibreOffice and SheetJS,
// sheet parts built here for what those programs do not write, the zip
// container and its limits, and the choice of reader by content.

#include "exchange/ImportReader.h"
#include "exchange/OdsReader.h"
#include "exchange/WorkbookReader.h"
#include "exchange/XlsxReader.h"
#include "exchange/XmlParser.h"
#include "exchange/ZipArchive.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "support/ScriptedUi.h"

#include "ReaderTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace velkaro {
namespace {

using namespace test;

namespace fs = std::filesystem;

bool Contains(const CImportTable& t, const std::string& text)
{
    for (int r = 0; r < t.RecordCount(); ++r)
        for (int c = 0; c < t.RecordLength(r); ++c)
            if (t.FieldText(r, c) == text)
                return true;
    return false;
}

class WorkbookReaderTest : public ::testing::Test {
protected:
    void SetUp() override { SetLanguageOffset(kLangGerman); }
};

// ---- workbooks from real programs ----

TEST_F(WorkbookReaderTest, LibreOfficeXlsxAndOdsReadAsCalcShowsThem)
{
    for (const char* name : { "libreoffice.xlsx", "libreoffice.ods" }) {
        bool ods = std::string(name).ends_with(".ods");
        CImportTable t;
        ASSERT_EQ(ReadWorkbookBytes(Fixture(name), t, kGerman, kLangGerman), SheetResult::Ok) << name;
        EXPECT_EQ(Row(t, 0), (Fields { "Name", "Telefon", "Betrag", "Datum", "Anteil", "", "Notiz" })) << name;
        EXPECT_EQ(Row(t, 1),
                  (Fields { A("Müller"), "030 123456", "1.234,50", "01.01.2000", "12,50%", "", A("Straße 5") }))
            << name;
        EXPECT_EQ(Row(t, 2),
                  (Fields { A("Özdemir"), "0000000042", "0,50", A("15. März 2021"), "3,0", "", A("Ärger & Öl") }))
            << name;
        // Calc recalculated the formula to an error and keeps the boolean as the number 1.
        EXPECT_EQ(Row(t, 3), (Fields { A("Zoë"), "-005", "-1.234.567", "123", ods ? "Err:510" : "#VALUE!", "1", "" }))
            << name;
        EXPECT_EQ(Row(t, 4), (Fields { "", "", A("nach Lücke") })) << name;
        // The 400 texts and the long one follow; the second sheet is not read.
        ASSERT_EQ(t.RecordCount(), 406) << name;
        EXPECT_EQ(t.FieldText(404, 0), A("Eintrag 399 mit Umlauten äöü und etwas Text zum Füllen")) << name;
        EXPECT_EQ(t.FieldText(405, 0).size(), 9005u) << name;
        EXPECT_FALSE(Contains(t, "Zweites Blatt")) << name;
    }
}

// A cell in a named style with a number format that is also bold is
// written by Calc as an automatic style inheriting the format; Calc's own
// reading is libreoffice_inherited_ods.csv beside the file.
TEST_F(WorkbookReaderTest, LibreOfficeOdsFormatsInheritedFromNamedStyles)
{
    CImportTable t;
    ASSERT_EQ(ReadWorkbookBytes(Fixture("libreoffice_inherited.ods"), t, kEnglish, kLangEnglish), SheetResult::Ok);
    EXPECT_EQ(Row(t, 0), (Fields { "Name", "Geburtstag", "Guthaben", "Beigetreten" }));
    EXPECT_EQ(Row(t, 1), (Fields { "Anna", "17.05.1980", "1,234.50", "02.01.2024" }));
    EXPECT_EQ(Row(t, 2), (Fields { "Bruno", "01.12.1975", "-7.00", "30.11.2023" }));
}

TEST_F(WorkbookReaderTest, SheetJsWorkbooksInBothLocales)
{
    for (const char* name : { "sheetjs.xlsx", "sheetjs_sst.xlsx" }) {
        CImportTable t;
        ASSERT_EQ(ReadWorkbookBytes(Fixture(name), t, kGerman, kLangGerman), SheetResult::Ok) << name;
        ASSERT_EQ(t.RecordCount(), 5) << name;
        EXPECT_EQ(Row(t, 0), (Fields { "Name", "Telefon", "Betrag", "Datum", "Anteil" })) << name;
        EXPECT_EQ(Row(t, 1), (Fields { A("Müller"), "030 123456", "1.234,50", "01.01.2000", "12,50%", "WAHR", "2469" }))
            << name;
        EXPECT_EQ(Row(t, 2),
                  (Fields { A("Özdemir"), "0000000042", "0,50", A("15 März 2021"), "3,0", "FALSCH", A("Özdemir!") }))
            << name;
        EXPECT_EQ(Row(t, 3), (Fields { A("Zoë"), "-005", "-1.234.567", "123", "2,75" })) << name;
        EXPECT_EQ(Row(t, 4), (Fields { "", "", A("nach Lücke") })) << name;
        EXPECT_FALSE(Contains(t, "Zweites Blatt")) << name;

        SetLanguageOffset(kLangEnglish);
        CImportTable e;
        ASSERT_EQ(ReadWorkbookBytes(Fixture(name), e, kEnglish, kLangEnglish), SheetResult::Ok) << name;
        EXPECT_EQ(Row(e, 1)[2], "1,234.50") << name;
        EXPECT_EQ(Row(e, 1)[3], "01/01/2000") << name;
        EXPECT_EQ(Row(e, 1)[5], "TRUE") << name;
        EXPECT_EQ(Row(e, 2)[3], "15 March 2021") << name;
        EXPECT_EQ(Row(e, 3)[4], "2.75") << name;
        SetLanguageOffset(kLangGerman);
    }
}

TEST_F(WorkbookReaderTest, SheetJsOdsHoldsNoNumberFormats)
{
    // SheetJS writes the values of an .ods without data styles: numbers and
    // date serials are shown in general form.
    CImportTable t;
    ASSERT_EQ(ReadWorkbookBytes(Fixture("sheetjs.ods"), t, kGerman, kLangGerman), SheetResult::Ok);
    ASSERT_EQ(t.RecordCount(), 5);
    EXPECT_EQ(Row(t, 1), (Fields { A("Müller"), "030 123456", "1234,5", "36526", "0,125", "WAHR", "2469" }));
    EXPECT_EQ(Row(t, 2), (Fields { A("Özdemir"), "42", "0,5", "44270", "3", "FALSCH", A("Özdemir!") }));
    EXPECT_EQ(Row(t, 3), (Fields { A("Zoë"), "-5", "-1234567", "123", "2,75" }));
    EXPECT_EQ(Row(t, 4), (Fields { "", "", A("nach Lücke") }));
    EXPECT_FALSE(Contains(t, "Zweites Blatt"));
}

// A hidden first sheet, telephone numbers kept as numbers in General and
// custom formats, a date: make_sheets.py (openpyxl, LibreOffice) and
// make_sheetjs.js. Each workbook lists its three sheets to the picker, and
// the last one is read on request.
TEST_F(WorkbookReaderTest, FirstVisibleSheetAsTheSpreadsheetShowsIt)
{
    const Fields formatted { "030 123 4567", "0301234567", "+4930123456", "15.03.1970" };
    // With a section of its own for negative numbers (SheetJS has none).
    Fields withNegative = formatted;
    withNegative.push_back("-1.234,50");
    const struct {
        const char* name;
        Fields shown;
    } cases[] = {
        { "openpyxl_sheets.xlsx", withNegative },
        { "libreoffice_sheets.xlsx", withNegative },
        { "libreoffice_sheets.ods", withNegative },
        { "sheetjs_sheets.xlsx", formatted },
        // SheetJS writes an .ods without number formats and without hidden
        // sheets; its date style follows the user's order of a date.
        { "sheetjs_sheets.ods", { "301234567", "301234567", "4930123456", "15.03.70" } },
    };
    for (const auto& c : cases) {
        std::vector<SheetInfo> listed;
        auto first = [&listed](const std::vector<SheetInfo>& sheets) {
            listed = sheets;
            return FirstVisibleSheet(sheets);
        };
        CImportTable t;
        ASSERT_EQ(ReadWorkbookBytes(Fixture(c.name), t, kGerman, kLangGerman, {}, first), SheetResult::Ok) << c.name;
        Fields expected { WorkbookText("Юлия Щербакова"), "4917612345678" };
        expected.insert(expected.end(), c.shown.begin(), c.shown.end());
        EXPECT_EQ(Row(t, 1), expected) << c.name;
        ASSERT_FALSE(listed.empty()) << c.name;
        EXPECT_EQ(listed.back().name, "Weitere") << c.name;
        EXPECT_EQ(listed.front().visible, listed.size() == 2) << c.name;  // "Versteckt" is hidden

        auto last = [](const std::vector<SheetInfo>& sheets) { return static_cast<int>(sheets.size()) - 1; };
        CImportTable third;
        ASSERT_EQ(ReadWorkbookBytes(Fixture(c.name), third, kGerman, kLangGerman, {}, last), SheetResult::Ok);
        EXPECT_EQ(Row(third, 0), (Fields { "Drittes Blatt" })) << c.name;
        auto none = [](const std::vector<SheetInfo>&) { return std::optional<int>(); };
        EXPECT_EQ(ReadWorkbookBytes(Fixture(c.name), third, kGerman, kLangGerman, {}, none), SheetResult::NoSheetChosen);
    }
    CImportTable american;
    const NumberSeparators monthFirst { '.', ',', '/', DateOrder::MonthDayYear };
    ASSERT_EQ(ReadWorkbookBytes(Fixture("sheetjs_sheets.ods"), american, monthFirst, kLangEnglish), SheetResult::Ok);
    EXPECT_EQ(Row(american, 1)[5], "03/15/70");
}

// ---- sheet parts built by hand ----

CImportTable Xlsx(const std::string& sheetData, const std::string& strings = {}, const std::string& styles = {},
                  SheetResult expect = SheetResult::Ok, const SheetLimits& limits = {})
{
    const std::string ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
    std::string sheet = "<worksheet " + ns + "><sheetData>" + sheetData + "</sheetData></worksheet>";
    std::string sst = strings.empty() ? std::string() : "<sst " + ns + ">" + strings + "</sst>";
    std::string st = styles.empty() ? std::string() : "<styleSheet " + ns + ">" + styles + "</styleSheet>";
    CImportTable t;
    EXPECT_EQ(ReadXlsxSheet(sheet, sst, st, t, kGerman, kLangGerman, limits), expect);
    return t;
}

TEST_F(WorkbookReaderTest, XlsxStringsInlineRichPhoneticAndEscaped)
{
    CImportTable t = Xlsx("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Inline Ü</t></is></c>"
                          "<c r=\"B1\" t=\"s\"><v>0</v></c><c r=\"C1\" t=\"s\"><v>1</v></c>"
                          "<c r=\"D1\" t=\"s\"><v>7</v></c><c r=\"E1\" t=\"e\"><v>#DIV/0!</v></c></row>",
                          "<si><r><t>Fett</t></r><r><t xml:space=\"preserve\"> und normal</t></r></si>"
                          "<si><t>Tab_x0009_und_x00e9_</t><rPh><t>lesung</t></rPh></si>");
    EXPECT_EQ(Row(t, 0), (Fields { A("Inline Ü"), "Fett und normal", A("Tab\tundé"), "", "#DIV/0!" }));
}

TEST_F(WorkbookReaderTest, XlsxCellsWithoutReferencesAndFarAwayRows)
{
    // Cells and rows without "r" follow the one before; a row far beyond
    // what is read is dropped, not allocated.
    CImportTable t = Xlsx("<row><c t=\"inlineStr\"><is><t>a</t></is></c><c t=\"inlineStr\"><is><t>b</t></is></c></row>"
                          "<row><c r=\"C2\"><v>1.5</v></c><c><v>2</v></c></row>"
                          "<row r=\"1000000000\"><c r=\"A1000000000\"><v>9</v></c></row>"
                          "<row r=\"3\"><c r=\"XFD3\"><v>9</v></c><c r=\"A3\" t=\"b\"><v>0</v></c></row>");
    EXPECT_EQ(t.RecordCount(), 3);
    EXPECT_EQ(Row(t, 0), (Fields { "a", "b" }));
    EXPECT_EQ(Row(t, 1), (Fields { "", "", "1,5", "2" }));
    EXPECT_EQ(Row(t, 2), (Fields { "FALSCH" }));
}

TEST_F(WorkbookReaderTest, XlsxNumberFormatsThroughTheStylesCellXfs)
{
    // Built-in 14 is a date, 10 a percentage; 164 is the file's own. The
    // cell style formats (cellStyleXfs) do not count.
    std::string styles = "<numFmts><numFmt numFmtId=\"164\" formatCode=\"0000\"/></numFmts>"
                         "<cellStyleXfs><xf numFmtId=\"10\"/></cellStyleXfs>"
                         "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"10\"/><xf numFmtId=\"164\"/></cellXfs>";
    CImportTable t = Xlsx("<row r=\"1\"><c s=\"0\"><v>0.1</v></c><c s=\"1\"><v>44270</v></c><c s=\"2\"><v>0.5</v></c>"
                          "<c s=\"3\"><v>7</v></c><c s=\"99\"><v>3</v></c><c><v>kein</v></c></row>"
                          "<row r=\"2\"><c t=\"d\" s=\"1\"><v>2021-03-15T00:00:00</v></c><c t=\"d\"><v>1900-03-01</v></c>"
                          "<c t=\"d\"><v>gestern</v></c></row>",
                          {}, styles);
    EXPECT_EQ(Row(t, 0), (Fields { "0,1", "15.03.2021", "50,00%", "0007", "3" }));
    // Dates written in ISO form, through the cell's date format or the day's.
    EXPECT_EQ(Row(t, 1), (Fields { "15.03.2021", "01.03.1900", "gestern" }));
}

TEST_F(WorkbookReaderTest, XlsxCellLimitRefusesAndBrokenXmlIsDamage)
{
    SheetLimits limits;
    limits.cells = 3;
    Xlsx("<row><c><v>1</v></c><c><v>2</v></c><c><v>3</v></c><c><v>4</v></c></row>", {}, {}, SheetResult::TooLarge,
         limits);
    Xlsx("<row><c><v>1</v></c><c><v>2</v></c><c><v>3</v></c></row>", {}, {}, SheetResult::Ok, limits);
    Xlsx("<row><c><v>1</v></row>", {}, {}, SheetResult::Damaged);
    // Empty shared strings take five bytes each: their number is bounded too.
    Xlsx("<row><c t=\"s\"><v>0</v></c></row>", "<si/><si/><si/><si/>", {}, SheetResult::TooLarge, limits);
}

TEST_F(WorkbookReaderTest, XlsxDatesOfThe1904System)
{
    const std::string ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
    std::string sheet = "<worksheet " + ns + "><sheetData><row><c s=\"1\"><v>42808</v></c><c><v>42808</v></c>"
                        "</row></sheetData></worksheet>";
    std::string styles = "<styleSheet " + ns + "><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>";
    CImportTable t;
    ASSERT_EQ(ReadXlsxSheet(sheet, {}, styles, t, kGerman, kLangGerman, {}, true), SheetResult::Ok);
    // Only the date moves by the 1462 days between the systems.
    EXPECT_EQ(Row(t, 0), (Fields { "15.03.2021", "42808" }));
}

CImportTable Ods(const std::string& table, SheetResult expect = SheetResult::Ok, const SheetLimits& limits = {},
                 const std::string& styles = {})
{
    std::string doc = "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
                      " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
                      " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
                      " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
                      " xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\">"
                      "<office:automatic-styles>" + styles + "</office:automatic-styles>"
                      "<office:body><office:spreadsheet><table:table table:name=\"Eins\">" + table +
                      "</table:table><table:table table:name=\"Zwei\"><table:table-row><table:table-cell "
                      "office:value-type=\"string\"><text:p>Zweites Blatt</text:p></table:table-cell></table:table-row>"
                      "</table:table></office:spreadsheet></office:body></office:document-content>";
    CImportTable t;
    EXPECT_EQ(ReadOdsContent(doc, {}, t, kGerman, kLangGerman, limits), expect);
    return t;
}

std::string TextCell(const std::string& text, const std::string& attrs = {})
{
    return "<table:table-cell office:value-type=\"string\"" + attrs + "><text:p>" + text + "</text:p></table:table-cell>";
}

TEST_F(WorkbookReaderTest, TextWindows1252LacksIsReadableInBothKinds)
{
    // Other scripts are written in Latin letters, Polish letters lose their
    // marks: as in a UTF-8 text file, never a question mark.
    CImportTable x = Xlsx("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Олег Łódź</t></is></c></row>");
    EXPECT_EQ(Row(x, 0), (Fields { "Oleg L\xF3" "dz" }));
    CImportTable o = Ods("<table:table-row>" + TextCell("Олег Łódź") + "</table:table-row>");
    EXPECT_EQ(Row(o, 0), (Fields { "Oleg L\xF3" "dz" }));
}

TEST_F(WorkbookReaderTest, OdsRepeatedRowsAndColumns)
{
    // The trailing empty rows and columns Calc writes claim a million cells
    // and cost nothing; repeated content is stored as often as it is
    // repeated.
    CImportTable t = Ods("<table:table-column table:number-columns-repeated=\"16384\"/>"
                         "<table:table-row>" + TextCell("x", " table:number-columns-repeated=\"3\"") +
                         "<table:table-cell table:number-columns-repeated=\"1000000\"/></table:table-row>"
                         "<table:table-row table:number-rows-repeated=\"2\">" +
                         "<table:table-cell/>" + TextCell("y") + "</table:table-row>"
                         "<table:table-row table:number-rows-repeated=\"1000000000\"><table:table-cell "
                         "table:number-columns-repeated=\"1024\"/></table:table-row>"
                         "<table:table-row>" + TextCell("z") + "</table:table-row>");
    ASSERT_EQ(t.RecordCount(), 3);
    EXPECT_EQ(Row(t, 0), (Fields { "x", "x", "x" }));
    EXPECT_EQ(Row(t, 1), (Fields { "", "y" }));
    EXPECT_EQ(Row(t, 2), (Fields { "", "y" }));
    EXPECT_FALSE(Contains(t, "z"));  // beyond the rows read
    EXPECT_FALSE(Contains(t, "Zweites Blatt"));
}

TEST_F(WorkbookReaderTest, OdsRepeatedContentPastTheCellLimitIsRefused)
{
    SheetLimits limits;
    limits.cells = 1000;
    Ods("<table:table-row table:number-rows-repeated=\"1000000000\">" + TextCell("voll") + "</table:table-row>",
        SheetResult::TooLarge, limits);
    Ods("<table:table-row>" + TextCell("voll", " table:number-columns-repeated=\"1000000000\"") + "</table:table-row>",
        SheetResult::Ok, limits);  // columns beyond the 256 read
    Ods("<table:table-row><table:table-cell>", SheetResult::Damaged);
}

TEST_F(WorkbookReaderTest, OdsParagraphsSpacesAndCommentsOfACell)
{
    CImportTable t = Ods("<table:table-row><table:table-cell office:value-type=\"string\">"
                         "<office:annotation><text:p>Kommentar</text:p></office:annotation>"
                         "<text:p>a<text:s text:c=\"3\"/>b<text:tab/>c</text:p><text:p>zweite <text:span>Zeile</text:span></text:p>"
                         "</table:table-cell>"
                         "<table:table-cell office:value-type=\"string\" office:string-value=\"Wert\"/>"
                         "<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"true\"><text:p>WAHR</text:p></table:table-cell>"
                         "<table:table-cell office:value-type=\"currency\" office:value=\"3\"><text:p>3,00 \xE2\x82\xAC</text:p></table:table-cell>"
                         "</table:table-row>");
    EXPECT_EQ(Row(t, 0), (Fields { "a   b\tc\nzweite Zeile", "Wert", "WAHR", A("3,00 €") }));
}

TEST_F(WorkbookReaderTest, OdsDataStylesOfCellsAndColumns)
{
    std::string styles =
        "<number:date-style style:name=\"D\"><number:year number:style=\"long\"/><number:text>-</number:text>"
        "<number:month number:style=\"long\"/><number:text>-</number:text><number:day number:style=\"long\"/>"
        "<number:text> </number:text><number:hours/></number:date-style>"
        "<number:number-style style:name=\"N\"><number:number number:decimal-places=\"1\" number:grouping=\"true\" "
        "number:min-integer-digits=\"1\"/></number:number-style>"
        "<style:style style:name=\"cd\" style:family=\"table-cell\" style:data-style-name=\"D\"/>"
        "<style:style style:name=\"cn\" style:family=\"table-cell\" style:data-style-name=\"N\"/>";
    CImportTable t = Ods("<table:table-column table:default-cell-style-name=\"cn\"/>"
                         "<table:table-column table:default-cell-style-name=\"Default\"/>"
                         "<table:table-row>"
                         "<table:table-cell office:value-type=\"float\" office:value=\"12345.67\"/>"
                         "<table:table-cell office:value-type=\"float\" office:value=\"12345.67\"/>"
                         "<table:table-cell table:style-name=\"cd\" office:value-type=\"date\" office:date-value=\"1999-12-31T10:00:00\"/>"
                         "<table:table-cell office:value-type=\"date\" office:date-value=\"1900-01-01\"/>"
                         "</table:table-row>",
                         SheetResult::Ok, {}, styles);
    EXPECT_EQ(Row(t, 0), (Fields { "12.345,7", "12345,67", "1999-12-31", "01.01.1900" }));
}

// A style's parent lends its data style; a chain that loops or runs on
// without one shows the general form.
TEST_F(WorkbookReaderTest, OdsDataStylesThroughParentStyles)
{
    std::string styles =
        "<number:number-style style:name=\"N\"><number:number number:decimal-places=\"2\" "
        "number:min-integer-digits=\"1\"/></number:number-style>"
        "<style:style style:name=\"named\" style:family=\"table-cell\" style:data-style-name=\"N\"/>"
        "<style:style style:name=\"bold\" style:family=\"table-cell\" style:parent-style-name=\"named\"/>"
        "<style:style style:name=\"bolder\" style:family=\"table-cell\" style:parent-style-name=\"bold\"/>"
        "<style:style style:name=\"own\" style:family=\"table-cell\" style:parent-style-name=\"named\" "
        "style:data-style-name=\"none\"/>"
        "<style:style style:name=\"a\" style:family=\"table-cell\" style:parent-style-name=\"b\"/>"
        "<style:style style:name=\"b\" style:family=\"table-cell\" style:parent-style-name=\"a\"/>"
        "<style:style style:name=\"para\" style:family=\"paragraph\" style:data-style-name=\"N\"/>";
    std::string row = "<table:table-row>";
    for (const char* style : { "bold", "bolder", "own", "a", "para" })
        row += std::string("<table:table-cell table:style-name=\"") + style
            + "\" office:value-type=\"float\" office:value=\"3.5\"/>";
    CImportTable t = Ods(row + "</table:table-row>", SheetResult::Ok, {}, styles);
    EXPECT_EQ(Row(t, 0), (Fields { "3,50", "3,50", "3,5", "3,5", "3,5" }));
}

// A number style without decimal places is the general form (Calc's own
// "N0"); a number that is no integer is shown by the reader, whatever text
// the writer put beside it.
TEST_F(WorkbookReaderTest, OdsNumberStyleWithoutDecimalPlacesIsGeneral)
{
    std::string styles =
        "<number:number-style style:name=\"G\"><number:number number:min-integer-digits=\"1\"/></number:number-style>"
        "<number:number-style style:name=\"I\"><number:number number:decimal-places=\"0\" "
        "number:min-integer-digits=\"1\"/></number:number-style>"
        "<style:style style:name=\"g\" style:family=\"table-cell\" style:data-style-name=\"G\"/>"
        "<style:style style:name=\"i\" style:family=\"table-cell\" style:data-style-name=\"I\"/>";
    std::string row = "<table:table-row>";
    for (auto [style, value, shown] : { std::tuple { "g", "0.5", "0.5" }, { "i", "0.4", "0.4" }, { "i", "7", "007" } })
        row += std::string("<table:table-cell table:style-name=\"") + style + "\" office:value-type=\"float\" "
            + "office:value=\"" + value + "\"><text:p>" + shown + "</text:p></table:table-cell>";
    CImportTable t = Ods(row + "</table:table-row>", SheetResult::Ok, {}, styles);
    EXPECT_EQ(Row(t, 0), (Fields { "0,5", "0", "007" }));
}

// ---- the container ----

TEST_F(WorkbookReaderTest, ZipEntriesAreReadWithinTheirLimit)
{
    std::string bytes = Fixture("zeros.zip");
    CZipArchive zip;
    ASSERT_TRUE(CZipArchive::HasSignature(bytes));
    ASSERT_TRUE(zip.Open(bytes));
    std::string out;
    EXPECT_EQ(zip.Read("klein.txt", 100, out), CZipArchive::Status::Ok);
    EXPECT_EQ(out, "klein\n");
    EXPECT_EQ(zip.Read("fehlt.txt", 100, out), CZipArchive::Status::Missing);
    EXPECT_EQ(zip.Read("nullen.bin", 1 << 20, out), CZipArchive::Status::TooLarge);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(zip.Read("nullen.bin", 2 << 20, out), CZipArchive::Status::Ok);
    EXPECT_EQ(out.size(), std::size_t { 2 } << 20);
}

TEST_F(WorkbookReaderTest, ZipEntryLyingAboutItsSizeStopsAtTheLimit)
{
    std::string bytes = Fixture("lying_size.zip");
    CZipArchive zip;
    ASSERT_TRUE(zip.Open(bytes));
    std::string out;
    // The directory claims 100 bytes; the entry inflates to a mebibyte.
    EXPECT_EQ(zip.Read("daten.txt", 1000, out), CZipArchive::Status::TooLarge);
    EXPECT_TRUE(out.empty());
}

TEST_F(WorkbookReaderTest, BrokenAndForeignContainers)
{
    CImportTable t;
    EXPECT_EQ(ReadWorkbookBytes(Fixture("no_workbook.zip"), t, kGerman), SheetResult::NotAWorkbook);
    std::string xlsx = Fixture("sheetjs.xlsx");
    EXPECT_EQ(ReadWorkbookBytes(xlsx.substr(0, xlsx.size() / 2), t, kGerman), SheetResult::Damaged);
    EXPECT_EQ(ReadWorkbookBytes("PK\x03\x04 kein zip", t, kGerman), SheetResult::Damaged);
    SheetLimits small;
    small.partBytes = 1000;  // the worksheet part inflates to more
    EXPECT_EQ(ReadWorkbookBytes(xlsx, t, kGerman, kLangGerman, small), SheetResult::TooLarge);
    EXPECT_EQ(ReadWorkbookBytes(Fixture("libreoffice.ods"), t, kGerman, kLangGerman, small), SheetResult::TooLarge);
}

TEST_F(WorkbookReaderTest, XmlWithADocumentTypeIsRefused)
{
    struct Count : IXmlHandler {
        int elements = 0;
        void StartElement(const XmlName&, const std::vector<XmlAttribute>&) override { ++elements; }
        void EndElement(const XmlName&) override {}
        void Characters(std::string_view) override {}
    } count;
    EXPECT_FALSE(ParseXml("<!DOCTYPE a [<!ENTITY x \"xxxxxxxx\"><!ENTITY y \"&x;&x;&x;&x;\">]><a>&y;</a>", count));
    EXPECT_TRUE(ParseXml("<a><b/><c/></a>", count));
    EXPECT_EQ(count.elements, 3);
}

// A part that inflates from its zip reaches the parser in pieces cut
// anywhere, within a name, an attribute or a character: the events are
// those of the whole document, and a broken one stays broken.
TEST_F(WorkbookReaderTest, XmlInPiecesCutAnywhereReadsAsWhole)
{
    struct Log : IXmlHandler {
        std::string events;
        void StartElement(const XmlName& name, const std::vector<XmlAttribute>& attributes) override
        {
            events += "<" + std::string(name.ns) + "|" + std::string(name.local);
            for (const auto& a : attributes)
                events += " " + std::string(a.name.local) + "=" + std::string(a.value);
        }
        void EndElement(const XmlName& name) override { events += "/" + std::string(name.local); }
        void Characters(std::string_view text) override { events += text; }
    };
    const std::string document = "<?xml version=\"1.0\"?><t:a xmlns:t=\"urn:x\" v=\"1 &amp; 2\">"
                                 "M\xC3\xBCller<t:b/>&lt;x&gt;</t:a>";
    Log whole;
    ASSERT_TRUE(ParseXml(document, whole));
    for (const std::string& text : { document, document.substr(0, document.size() - 3) }) {
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            Log pieces;
            CXmlStream stream(pieces);
            stream.Feed(std::string_view(text).substr(0, cut));
            stream.Feed(std::string_view(text).substr(cut));
            EXPECT_EQ(stream.Finish(), text == document) << cut;
            if (text == document) {
                EXPECT_EQ(pieces.events, whole.events) << cut;
            }
        }
    }
}

// ---- the choice of reader ----

class WorkbookImportFile : public WorkbookReaderTest {
protected:
    void SetUp() override
    {
        WorkbookReaderTest::SetUp();
        dir = fs::temp_directory_path() / ("velkaro-workbook-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Copy(const std::string& fixture, const std::string& as)
    {
        fs::copy_file(FixturePath(fixture), dir / as, fs::copy_options::overwrite_existing);
        return (dir / as).string();
    }
    fs::path dir;
};

TEST_F(WorkbookImportFile, WorkbookIsReadByItsContentWhateverItsName)
{
    for (auto [fixture, as] : { std::pair { "sheetjs.xlsx", "adressen.xlsx" }, { "sheetjs.xlsx", "adressen.txt" },
                                { "sheetjs.ods", "adressen.xls" }, { "libreoffice.ods", "adressen" } }) {
        test::ScriptedUi ui;
        CImportTable t;
        ASSERT_EQ(test::Shown(ui, ReadImportFile(Copy(fixture, as), t, ui, kGerman)), 1) << as;
        EXPECT_TRUE(ui.shown.empty()) << as;
        EXPECT_EQ(t.FieldText(1, 0), A("Müller")) << as;
    }
}

// The sheet the user names, by name or number, or chooses among the
// visible ones; a name the workbook lacks is refused with its sheets.
TEST_F(WorkbookImportFile, SheetByNameNumberOrTheUsersChoice)
{
    const std::string notFound =
        A("Die Arbeitsmappe hat kein Blatt „9“. Ihre Blätter: 1 Versteckt (ausgeblendet), 2 Kontakte, 3 Weitere");
    const struct {
        const char* sheet;
        bool ask;
        std::optional<int> answer;
        const char* first;  // nullptr: nothing read
        std::string message;
    } cases[] = {
        { "", false, {}, "Name", "" },
        { "weitere", false, {}, "Drittes Blatt", "" },
        { "1", false, {}, "Versteckt", "" },  // hidden sheets count
        { "9", false, {}, nullptr, notFound },
        { "", true, 1, "Drittes Blatt", "" },
        { "", true, std::nullopt, nullptr, "" },  // Cancel
    };
    for (const char* fixture : { "libreoffice_sheets.xls", "libreoffice_sheets.xlsx", "libreoffice_sheets.ods" }) {
        const std::string path = Copy(fixture, fixture);
        for (const auto& c : cases) {
            test::ScriptedUi ui;
            if (c.ask)
                ui.sheets.push_back(c.answer);
            CImportTable t;
            const int read = test::Shown(ui, ReadImportFile(path, t, ui, kGerman, SheetRequest { c.sheet, c.ask ? &ui : nullptr }));
            EXPECT_EQ(read, c.first ? 1 : 0) << fixture << " " << c.sheet;
            if (c.first) {
                EXPECT_EQ(t.FieldText(0, 0), c.first) << fixture << " " << c.sheet;
            }
            EXPECT_EQ(ui.LastText(), c.message) << fixture << " " << c.sheet;
            if (c.ask) {
                EXPECT_EQ(ui.sheetChoices, (std::vector<std::vector<std::string>> { { "Kontakte", "Weitere" } }));
            }
        }
    }
    // A text file has no sheets to name.
    std::ofstream(dir / "adressen.csv") << "Name;Telefon\n";
    test::ScriptedUi ui;
    CImportTable t;
    EXPECT_EQ(test::Shown(ui, ReadImportFile((dir / "adressen.csv").string(), t, ui, kGerman, SheetRequest { "2", nullptr })), 0);
    EXPECT_EQ(ui.LastText(), Text(msg::SheetOfNoWorkbook));
}

TEST_F(WorkbookImportFile, ForeignAndDamagedContainersShowTheirMessage)
{
    std::string xlsx = Fixture("sheetjs.xlsx");
    std::ofstream(dir / "halb.xlsx", std::ios::binary) << xlsx.substr(0, xlsx.size() / 2);
    const std::pair<std::string, unsigned> cases[] = {
        { Copy("no_workbook.zip", "archiv.zip"), msg::UnknownFileFormat },
        { (dir / "halb.xlsx").string(), msg::WorkbookDamaged },
    };
    for (const auto& [path, id] : cases) {
        test::ScriptedUi ui;
        CImportTable t;
        EXPECT_EQ(test::Shown(ui, ReadImportFile(path, t, ui, kGerman)), 0) << path;
        ASSERT_EQ(ui.shown.size(), 1u) << path;
        EXPECT_EQ(ui.shown[0].text, Text(id)) << path;
    }
}

}  // namespace
}  // namespace velkaro
