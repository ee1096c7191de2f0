// The spreadsheet reader: files written by LibreOffice and SheetJS in every
// BIFF version, number and date formats in both kinds of locale, record
// streams built here for what those programs do not write, and damage.

#include "exchange/BiffReader.h"
#include "exchange/ImportReader.h"
#include "exchange/WorkbookReader.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "support/ScriptedUi.h"

#include "ReaderTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace velkaro {
namespace {

using namespace test;

// ---- record streams built by hand ----

std::string Le16(unsigned v)
{
    return { static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF) };
}

std::string Le32(std::uint32_t v)
{
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}

std::string Rec(unsigned type, const std::string& body)
{
    return Le16(type) + Le16(static_cast<unsigned>(body.size())) + body;
}

std::string Double(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    return Le32(static_cast<std::uint32_t>(bits)) + Le32(static_cast<std::uint32_t>(bits >> 32));
}

// A BIFF 8 string with 8-bit characters.
std::string Str8(const std::string& s)
{
    return Le16(static_cast<unsigned>(s.size())) + '\0' + s;
}

std::string Bof8(unsigned substream)
{
    return Rec(0x0809, Le16(0x0600) + Le16(substream) + std::string(12, '\0'));
}

std::string Eof()
{
    return Rec(0x000A, "");
}

std::string Xf8(unsigned format)
{
    return Rec(0x00E0, Le16(0) + Le16(format) + std::string(16, '\0'));
}

std::string Number8(unsigned row, unsigned col, unsigned xf, double v)
{
    return Rec(0x0203, Le16(row) + Le16(col) + Le16(xf) + Double(v));
}

std::string LabelSst(unsigned row, unsigned col, std::uint32_t index)
{
    return Rec(0x00FD, Le16(row) + Le16(col) + Le16(0) + Le32(index));
}

CImportTable ReadStream(const std::string& stream, CBiffReader& reader, bool expectRead = true)
{
    CImportTable t;
    EXPECT_EQ(bool(reader.ReadStream(stream, t)), expectRead);
    return t;
}

class BiffReaderTest : public ::testing::Test {
protected:
    void SetUp() override { SetLanguageOffset(kLangGerman); }
};

// ---- files from real programs ----

TEST_F(BiffReaderTest, LibreOfficeWorkbookInGermanLocale)
{
    CBiffReader reader(kGerman, kLangGerman);
    test::ScriptedUi ui;
    CImportTable t;
    ASSERT_TRUE(reader.ReadSpreadsheet(FixturePath("libreoffice_biff8.xls"), t, ui));
    EXPECT_EQ(reader.Version(), 8);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(Row(t, 0), (Fields { "Name", "Telefon", "Betrag", "Datum", "Anteil", "", "Notiz" }));
    EXPECT_EQ(Row(t, 1), (Fields { A("Müller"), "030 123456", "1.234,50", "01.01.2000", "12,50%", "", A("Straße 5") }));
    EXPECT_EQ(Row(t, 2),
              (Fields { A("Özdemir"), "0000000042", "0,50", A("15. März 2021"), "3,0", "", A("Ärger & Öl") }));
    // The formula in column 4 gives no field; LibreOffice stores the boolean as a number.
    Fields zoe = Row(t, 3);
    ASSERT_EQ(zoe.size(), 7u);
    EXPECT_EQ(zoe[0], A("Zoë"));
    EXPECT_EQ(zoe[1], "-005");
    EXPECT_EQ(zoe[2], "-1.234.567");
    EXPECT_EQ(zoe[3], "123");
    EXPECT_EQ(zoe[4], "");
    EXPECT_EQ(Row(t, 4), (Fields { "", "", A("nach Lücke") }));
}

TEST_F(BiffReaderTest, LibreOfficeSharedStringsAcrossContinueRecords)
{
    CBiffReader reader(kGerman, kLangGerman);
    CImportTable t;
    ASSERT_TRUE(reader.ReadFileBytes(Fixture("libreoffice_biff8.xls"), t));
    // 400 distinct texts after the five address rows, then one text of 9005 characters.
    ASSERT_EQ(t.RecordCount(), 406);
    for (int i = 0; i < 400; ++i) {
        char expected[80];
        std::snprintf(expected, sizeof expected, "Eintrag %03d mit Umlauten \xE4\xF6\xFC und etwas Text zum F\xFCllen", i);
        ASSERT_EQ(t.FieldText(5 + i, 0), expected) << i;
    }
    std::string longText = t.FieldText(405, 0);
    ASSERT_EQ(longText.size(), 9005u);
    EXPECT_EQ(longText.substr(0, 5), "Lang:");
    for (std::size_t i = 5; i < longText.size(); ++i)
        ASSERT_EQ(longText[i], "abcdefghij"[(i - 5) % 10]) << i;
}

TEST_F(BiffReaderTest, OnlyTheFirstWorksheetIsRead)
{
    for (const char* name : { "libreoffice_biff8.xls", "sheetjs_biff8.xls", "sheetjs_biff5.xls" }) {
        CBiffReader reader(kGerman, kLangGerman);
        CImportTable t;
        ASSERT_TRUE(reader.ReadFileBytes(Fixture(name), t)) << name;
        for (int r = 0; r < t.RecordCount(); ++r)
            for (int c = 0; c < t.RecordLength(r); ++c)
                ASSERT_NE(t.FieldText(r, c), "Zweites Blatt") << name;
    }
}

TEST_F(BiffReaderTest, SheetJsBiff8AndBiff5InBothLocales)
{
    for (const char* name : { "sheetjs_biff8.xls", "sheetjs_biff5.xls" }) {
        bool biff8 = std::string(name) == "sheetjs_biff8.xls";
        CBiffReader german(kGerman, kLangGerman);
        CImportTable t;
        ASSERT_TRUE(german.ReadFileBytes(Fixture(name), t)) << name;
        EXPECT_EQ(german.Version(), biff8 ? 8 : 7);
        ASSERT_EQ(t.RecordCount(), 5) << name;
        // SheetJS writes BIFF 5 texts in ASCII and puts "_" for other characters.
        EXPECT_EQ(Row(t, 1), (Fields { biff8 ? A("Müller") : "M_ller", "030 123456", "1.234,50", "01.01.2000", "12,50%" }));
        EXPECT_EQ(Row(t, 2), (Fields { biff8 ? A("Özdemir") : "_zdemir", "0000000042", "0,50", A("15 März 2021"), "3,0" }));
        EXPECT_EQ(Row(t, 3), (Fields { biff8 ? A("Zoë") : "Zo_", "-005", "-1.234.567", "123", "2,75" }));

        CBiffReader english(kEnglish, kLangEnglish);
        CImportTable e;
        ASSERT_TRUE(english.ReadFileBytes(Fixture(name), e));
        EXPECT_EQ(Row(e, 1)[2], "1,234.50");
        EXPECT_EQ(Row(e, 1)[3], "01/01/2000");
        EXPECT_EQ(Row(e, 1)[4], "12.50%");
        EXPECT_EQ(Row(e, 2)[3], "15 March 2021");
        EXPECT_EQ(Row(e, 3)[2], "-1,234,567");
        EXPECT_EQ(Row(e, 3)[4], "2.75");
    }
}

TEST_F(BiffReaderTest, SheetJsBiff2IsReadAsGeneralNumbers)
{
    CBiffReader reader(kGerman, kLangGerman);
    CImportTable t;
    ASSERT_TRUE(reader.ReadFileBytes(Fixture("sheetjs_biff2.xls"), t));
    EXPECT_EQ(reader.Version(), 2);
    EXPECT_EQ(Row(t, 0), (Fields { "Name", "Telefon", "Betrag", "Datum", "Anteil" }));
    EXPECT_EQ(Row(t, 1), (Fields { "M_ller", "030 123456", "1234,5", "36526", "0,125" }));
    EXPECT_EQ(Row(t, 3), (Fields { "Zo_", "-5", "-1234567", "123", "2,75" }));
    EXPECT_EQ(Row(t, 4), (Fields { "", "", "nach L_cke" }));
}

TEST_F(BiffReaderTest, SheetJsBiff3AndBiff4AreReadWithoutFault)
{
    // SheetJS keeps BIFF 2 cell records in these, so only the texts come out right.
    for (const char* name : { "sheetjs_biff3.xls", "sheetjs_biff4.xls" }) {
        CBiffReader reader(kGerman, kLangGerman);
        CImportTable t;
        ASSERT_TRUE(reader.ReadFileBytes(Fixture(name), t)) << name;
        EXPECT_EQ(reader.Version(), std::string(name).find("biff3") != std::string::npos ? 3 : 4);
        EXPECT_EQ(Row(t, 0), (Fields { "Name", "Telefon", "Betrag", "Datum", "Anteil" }));
    }
}

TEST_F(BiffReaderTest, DatesInTheProgramsLanguage)
{
    const std::pair<int, const char*> cases[] = {
        { kLangGerman, "15. März 2021" }, { kLangEnglish, "15. March 2021" }, { kLangFrench, "15. mars 2021" } };
    for (auto [lang, expected] : cases) {
        CBiffReader reader(kGerman, lang);
        CImportTable t;
        ASSERT_TRUE(reader.ReadFileBytes(Fixture("libreoffice_biff8.xls"), t));
        EXPECT_EQ(t.FieldText(2, 3), A(expected));
    }
}

TEST_F(BiffReaderTest, ProgressWhileReading)
{
    struct Ui : test::ScriptedUi {
        void ProgressBegin(const std::string& c) override { caption = c; }
        void ProgressStep(int p) override { steps.push_back(p); }
        std::string caption;
        std::vector<int> steps;
    } ui;
    CBiffReader reader(kGerman, kLangGerman);
    CImportTable t;
    ASSERT_TRUE(reader.ReadSpreadsheet(FixturePath("libreoffice_biff8.xls"), t, ui));
    EXPECT_EQ(ui.caption, "Datei analysieren...");
    ASSERT_GT(ui.steps.size(), 5u);
    EXPECT_TRUE(std::is_sorted(ui.steps.begin(), ui.steps.end()));
    EXPECT_LE(ui.steps.back(), 1000);
}

// ---- number and date formats ----

TEST_F(BiffReaderTest, NumberFormatsWithBothKindsOfSeparators)
{
    CBiffReader german(kGerman);
    german.SetFormat(1, "#,##0.00");
    EXPECT_EQ(german.NumberToText(1, 1234.5), "1.234,50");
    CBiffReader english(kEnglish);
    english.SetFormat(1, "#,##0.00");
    english.SetFormat(2, "0.00");
    english.SetFormat(3, "0.0#");
    english.SetFormat(4, "0000000000");
    english.SetFormat(5, "000");
    english.SetFormat(6, "#,##0");
    english.SetFormat(7, "0.");
    english.SetFormat(8, "#,##0.00;[Red]-#,##0.00");
    english.SetFormat(9, "0.00%");
    EXPECT_EQ(english.NumberToText(1, 1234.5), "1,234.50");
    EXPECT_EQ(english.NumberToText(2, 0.5), "0.50");
    EXPECT_EQ(english.NumberToText(3, 3), "3.0");
    EXPECT_EQ(english.NumberToText(3, 3.25), "3.25");
    EXPECT_EQ(english.NumberToText(4, 42), "0000000042");
    EXPECT_EQ(english.NumberToText(5, -5), "-005");
    EXPECT_EQ(english.NumberToText(6, -1234567), "-1,234,567");
    EXPECT_EQ(english.NumberToText(6, -123), "-123");
    EXPECT_EQ(english.NumberToText(6, 999999.6), "1,000,000");
    EXPECT_EQ(english.NumberToText(7, 3), "3.");
    EXPECT_EQ(english.NumberToText(8, -1234.5), "-1,234.50");
    EXPECT_EQ(english.NumberToText(9, 0.125), "12.50%");
}

// Telephone numbers kept as numbers, in the formats users give them; the
// places and literal text as the spreadsheet programs show them.
TEST_F(BiffReaderTest, NumberFormatsShowTheirLiteralTextAndPlaces)
{
    const struct {
        const char* format;
        double value;
        const char* shown;
    } cases[] = {
        { "General", 4917612345678, "4917612345678" },
        { "General", -123456789012345, "-123456789012345" },
        { "General", 1e15, "1e+15" },
        { "0## ### ####", 301234567, "030 123 4567" },
        { "0#########", 301234567, "0301234567" },
        { "\"+\"0", 4930123456, "+4930123456" },
        { "\\+0", 4930123456, "+4930123456" },
        { "(###) ###-####", 3015551234, "(301) 555-1234" },
        { "??0", 5, "  5" },
        { "#.00", 0.5, ".50" },
        { "#,##0,", 1234567, "1,235" },
        { "0.00E+00", 4917612345678, "4.92E+12" },
        { "_-* #,##0.00 [$\x80-407]_-", 1234.5, "1,234.50 \x80" },
        { "# ?/?", 0.5, "0.5" },  // a fraction: general form
    };
    CBiffReader english(kEnglish);
    for (const auto& c : cases) {
        english.SetFormat(1, c.format);
        EXPECT_EQ(english.NumberToText(1, c.value), c.shown) << c.format;
    }
}

TEST_F(BiffReaderTest, GeneralNumbersUseTwelveSignificantDigits)
{
    CBiffReader german(kGerman);
    german.SetFormat(1, "General");
    german.SetFormat(2, "@");
    EXPECT_EQ(german.NumberToText(0, 123), "123");
    EXPECT_EQ(german.NumberToText(1, 0.1 + 0.2), "0,3");
    EXPECT_EQ(german.NumberToText(2, 1.0 / 3), "0,333333333333");
    EXPECT_EQ(german.NumberToText(-1, 1e20), "1e+20");
    EXPECT_EQ(german.NumberToText(99, 2.5), "2,5");  // no such format
}

TEST_F(BiffReaderTest, DateSerialsAndPatterns)
{
    CBiffReader slash({ '.', ',', '/' }, kLangGerman);
    CBiffReader dot({ ',', '.', '.' }, kLangEnglish);
    for (CBiffReader* r : { &slash, &dot }) {
        r->SetFormat(14, "dd/mm/yyyy");
        r->SetFormat(15, "d/mmm/yy");
        r->SetFormat(16, "DDDD, D. MMMM YYYY");
        r->SetFormat(17, "ddd dd\\/mm \"Tag\" y");
        r->SetFormat(18, "dd/mm/yyyy hh:mm");
        r->SetFormat(19, "[$-407]mmmmm yyyy");
        r->SetFormat(20, "hh:mm");
    }
    EXPECT_EQ(slash.NumberToText(14, 36526), "01/01/2000");
    EXPECT_EQ(dot.NumberToText(14, 36526), "01.01.2000");
    EXPECT_EQ(dot.NumberToText(14, 36526.75), "01.01.2000");  // the time of day is dropped
    // The spreadsheet's 29 February 1900 that never was.
    EXPECT_EQ(dot.NumberToText(14, 59), "28.02.1900");
    EXPECT_EQ(dot.NumberToText(14, 60), "28.02.1900");
    EXPECT_EQ(dot.NumberToText(14, 61), "01.03.1900");
    EXPECT_EQ(dot.NumberToText(14, 1), "01.01.1900");
    EXPECT_EQ(slash.NumberToText(15, 44270), A("15/Mär/21"));
    EXPECT_EQ(dot.NumberToText(15, 44270), "15.Mar.21");
    EXPECT_EQ(slash.NumberToText(16, 36526), "Samstag, 1. Januar 2000");
    EXPECT_EQ(dot.NumberToText(16, 36526), "Saturday, 1. January 2000");
    EXPECT_EQ(slash.NumberToText(17, 36526), "Sa 01/01 Tag 0");
    EXPECT_EQ(dot.NumberToText(18, 36526.5), "01.01.2000");
    EXPECT_EQ(slash.NumberToText(19, 36526), "Jan 2000");
    // A time of day alone is no date.
    EXPECT_EQ(dot.NumberToText(20, 0.5), "0,5");
    // A serial beyond the year 9999 is shown as a number.
    EXPECT_EQ(dot.NumberToText(14, 1e9), "1000000000");
}

TEST_F(BiffReaderTest, PackedNumbers)
{
    auto rkInt = [](int v) { return static_cast<std::uint32_t>(v) << 2 | 0x02; };
    EXPECT_EQ(CBiffReader::DecodeRk(rkInt(-5)), -5.0);
    EXPECT_EQ(CBiffReader::DecodeRk(rkInt(123456) | 0x01), 1234.56);
    // The upper 30 bits of a double.
    EXPECT_EQ(CBiffReader::DecodeRk(0x3FF00000u), 1.0);
    EXPECT_EQ(CBiffReader::DecodeRk(0x3FF00000u | 0x01), 0.01);
    EXPECT_EQ(CBiffReader::DecodeRk(0xC0280000u), -12.0);
}

// ---- streams built by hand ----

TEST_F(BiffReaderTest, Biff8CellsThroughXfAndBuiltInFormats)
{
    auto rk = [](unsigned row, unsigned col, unsigned xf, std::uint32_t v) {
        return Rec(0x027E, Le16(row) + Le16(col) + Le16(xf) + Le32(v));
    };
    std::string stream = Bof8(0x0005) + Xf8(0) + Xf8(14) + Xf8(3) + Xf8(0xA4)
        + Rec(0x041E, Le16(0xA4) + Str8("0.000")) + Rec(0x00FC, Le32(2) + Le32(2) + Str8("Name") + Str8("Meier"))
        + Eof() + Bof8(0x0010) + LabelSst(0, 0, 0) + Number8(0, 1, 0, 123) + Number8(0, 2, 1, 36526)
        + rk(0, 3, 2, static_cast<std::uint32_t>(-1234567) << 2 | 2) + LabelSst(1, 0, 1) + LabelSst(1, 1, 7)
        + Number8(1, 2, 3, 2.5) + Number8(1, 3, 99, 7)
        // MULRK: row 2, columns 1 to 3
        + Rec(0x00BD, Le16(2) + Le16(1) + Le16(0) + Le32(5 << 2 | 2) + Le16(2) + Le32(1000 << 2 | 2) + Le16(1)
                          + Le32(36526 << 2 | 2) + Le16(3))
        // A formula cell with its result, a blank and a boolean: no fields.
        + Rec(0x0006, Le16(3) + Le16(0) + Le16(0) + Double(9) + std::string(8, '\0'))
        + Rec(0x0201, Le16(3) + Le16(1) + Le16(0)) + Rec(0x0205, Le16(3) + Le16(2) + Le16(0) + "\x01\x00")
        + Eof() + Bof8(0x0010) + LabelSst(9, 0, 0) + Eof();
    CBiffReader reader(kEnglish, kLangEnglish);
    CImportTable t = ReadStream(stream, reader);
    EXPECT_EQ(reader.ErrorCode(), BiffError::None);
    ASSERT_EQ(t.RecordCount(), 3);
    EXPECT_EQ(Row(t, 0), (Fields { "Name", "123", "01/01/2000", "-1,234,567" }));
    // The shared-string index 7 does not exist; XF 99 neither.
    EXPECT_EQ(Row(t, 1), (Fields { "Meier", "", "2.500", "7" }));
    EXPECT_EQ(Row(t, 2), (Fields { "", "5", "1,000", "01/01/2000" }));
    EXPECT_FALSE(t.HasRecord(3));
}

TEST_F(BiffReaderTest, FormatOfTheFileWinsOverABuiltInOfTheSameKind)
{
    std::string stream = Bof8(0x0005) + Xf8(14) + Xf8(3) + Rec(0x041E, Le16(14) + Str8("yyyy-mm-dd"))
        + Rec(0x041E, Le16(3) + Str8("dd/mm/yy")) + Eof() + Bof8(0x0010) + Number8(0, 0, 0, 36526)
        + Number8(0, 1, 1, 1234) + Eof();
    CBiffReader reader(kEnglish);
    CImportTable t = ReadStream(stream, reader);
    // Format 3 had the other kind in the file, so the built-in replaced it.
    EXPECT_EQ(Row(t, 0), (Fields { "2000-01-01", "1,234" }));
}

TEST_F(BiffReaderTest, EmbeddedChartDoesNotEndTheFirstWorksheet)
{
    std::string stream = Bof8(0x0005) + Eof() + Bof8(0x0010) + Number8(0, 0, 0, 1) + Bof8(0x0020) + Eof()
        + Number8(1, 0, 0, 2) + Eof() + Bof8(0x0010) + Number8(2, 0, 0, 3) + Eof();
    CBiffReader reader(kEnglish);
    CImportTable t = ReadStream(stream, reader);
    ASSERT_EQ(t.RecordCount(), 2);
    EXPECT_EQ(t.FieldText(1, 0), "2");
}

TEST_F(BiffReaderTest, SharedStringSplitAcrossContinueChangesItsWidth)
{
    // "Müller" starts with 8-bit characters and continues with 16-bit ones.
    std::string first = Le16(6) + '\0' + "Mu";
    first[4] = '\xFC';
    std::string sst = Rec(0x00FC, Le32(2) + Le32(3) + first);
    std::string cont = Rec(0x003C, std::string("\x01", 1) + Le16('l') + Le16('l') + Le16('e') + Le16('r') + Str8("B"));
    // The third string needs a CONTINUE that is not there: it is dropped.
    std::string stream = Bof8(0x0005) + sst + cont + Eof() + Bof8(0x0010)
        + LabelSst(0, 0, 0) + LabelSst(0, 1, 1) + LabelSst(0, 2, 2) + Eof();
    CBiffReader reader(kEnglish);
    CImportTable t = ReadStream(stream, reader);
    EXPECT_EQ(Row(t, 0), (Fields { "M\xFCller", "B" }));
}

TEST_F(BiffReaderTest, RichAndExtendedStringsSkipTheirRunsAndData)
{
    std::string rich = Le16(2) + std::string("\x0C", 1) + Le16(1) + Le32(3) + "ab" + Le32(0) + "xyz";
    std::string stream = Bof8(0x0005) + Rec(0x00FC, Le32(2) + Le32(2) + rich + Str8("cd")) + Eof() + Bof8(0x0010)
        + LabelSst(0, 0, 0) + LabelSst(0, 1, 1) + Eof();
    CBiffReader reader(kEnglish);
    CImportTable t = ReadStream(stream, reader);
    EXPECT_EQ(Row(t, 0), (Fields { "ab", "cd" }));
}

TEST_F(BiffReaderTest, WideCharactersBeyondLatin1BecomeWindows1252)
{
    // The euro sign is Windows-1252's own; a Cyrillic letter is
    // transliterated as in an .xlsx workbook, never a question mark.
    std::string wide = Le16(3) + std::string("\x01", 1) + Le16(0x20AC) + Le16(0x0416) + Le16('x');
    std::string stream = Bof8(0x0010) + Rec(0x0204, Le16(0) + Le16(0) + Le16(0) + wide) + Eof();
    CBiffReader reader(kEnglish);
    CImportTable t = ReadStream(stream, reader);
    EXPECT_EQ(t.FieldText(0, 0), WorkbookText("\xE2\x82\xAC\xD0\x96x"));
    EXPECT_EQ(t.FieldText(0, 0).find('?'), std::string::npos);
}

TEST_F(BiffReaderTest, Biff2FormatsByOrderAndTheCellsAttributeByte)
{
    auto format2 = [](const std::string& f) { return Rec(0x001E, std::string(1, static_cast<char>(f.size())) + f); };
    auto number2 = [](unsigned row, unsigned col, unsigned fmt, double v) {
        return Rec(0x0003, Le16(row) + Le16(col) + '\0' + static_cast<char>(fmt | 0x40) + '\0' + Double(v));
    };
    std::string stream = Rec(0x0009, Le16(2) + Le16(0x0010)) + format2("General") + format2("0.00")
        + format2("dd/mm/yy") + number2(0, 0, 1, 2) + number2(0, 1, 2, 36526) + number2(0, 2, 0, 2.5)
        + Rec(0x0002, Le16(0) + Le16(3) + '\0' + '\x01' + '\0' + Le16(7))
        + Rec(0x0004, Le16(1) + Le16(0) + std::string(3, '\0') + '\x05' + "Meier") + Eof()
        + Rec(0x0004, Le16(2) + Le16(0) + std::string(3, '\0') + '\x01' + "X");
    CBiffReader reader(kEnglish);
    CImportTable t = ReadStream(stream, reader);
    EXPECT_EQ(reader.Version(), 2);
    EXPECT_EQ(Row(t, 0), (Fields { "2.00", "01/01/00", "2.5", "7.00" }));
    EXPECT_EQ(Row(t, 1), (Fields { "Meier" }));
    EXPECT_EQ(t.RecordCount(), 2);
}

TEST_F(BiffReaderTest, Biff3And4FormatsThroughTheXfTable)
{
    for (unsigned version : { 3u, 4u }) {
        unsigned bof = version == 3 ? 0x0209 : 0x0409;
        unsigned xfType = version == 3 ? 0x0243 : 0x0443;
        auto format = [&](const std::string& f) {
            std::string skip = version == 4 ? std::string(2, '\0') : std::string();
            return Rec(version == 4 ? 0x041E : 0x001E, skip + std::string(1, static_cast<char>(f.size())) + f);
        };
        auto xf = [&](unsigned fmt) { return Rec(xfType, std::string("\0", 1) + static_cast<char>(fmt) + std::string(10, '\0')); };
        std::string stream = Rec(bof, Le16(version) + Le16(0x0010) + Le16(0)) + format("General") + format("#,##0")
            + xf(0) + xf(1) + Number8(0, 0, 1, 1234567) + Number8(0, 1, 0, 1234567)
            + Rec(0x0204, Le16(0) + Le16(2) + Le16(0) + Le16(3) + "abc") + Eof();
        CBiffReader reader(kGerman);
        CImportTable t = ReadStream(stream, reader);
        EXPECT_EQ(reader.Version(), static_cast<int>(version));
        EXPECT_EQ(Row(t, 0), (Fields { "1.234.567", "1234567", "abc" }));
    }
}

TEST_F(BiffReaderTest, VersionAndFormatErrorsWithTheirMessages)
{
    test::ScriptedUi ui;
    CBiffReader reader(kEnglish);
    ReadStream(Rec(0x0809, Le16(0x0400) + Le16(0x0010)), reader, false);
    EXPECT_EQ(reader.ErrorCode(), BiffError::UnsupportedVersion);
    ui.Show(reader.Result(), MsgIcon::None);
    ReadStream(Rec(0x0203, std::string(14, '\0')), reader, false);
    EXPECT_EQ(reader.ErrorCode(), BiffError::WrongFormat);
    ui.Show(reader.Result(), MsgIcon::None);
    ReadStream("\x09\x08", reader, false);
    EXPECT_EQ(reader.ErrorCode(), BiffError::WrongFormat);
    CImportTable t;
    EXPECT_FALSE(reader.ReadFileBytes("", t));
    EXPECT_EQ(reader.ErrorCode(), BiffError::Empty);
    ui.Show(reader.Result(), MsgIcon::None);
    // A word processor's compound file holds no workbook: a wrong format.
    EXPECT_FALSE(reader.ReadFileBytes(Fixture("no_workbook.doc"), t));
    EXPECT_EQ(reader.ErrorCode(), BiffError::WrongFormat);
    ui.Show(reader.Result(), MsgIcon::None);
    // A compound file cut after its signature cannot be opened at all.
    EXPECT_FALSE(reader.ReadFileBytes(Fixture("no_workbook.doc").substr(0, 100), t));
    EXPECT_EQ(reader.ErrorCode(), BiffError::StorageFailure);
    ui.Show(reader.Result(), MsgIcon::None);
    ASSERT_EQ(ui.shown.size(), 5u);
    EXPECT_EQ(ui.shown[0].text, "Diese Datei-Version kann das Programm nicht lesen");
    EXPECT_EQ(ui.shown[1].text, "Falsches Datei-Format");
    EXPECT_EQ(ui.shown[2].text, "Datei ist leer");
    EXPECT_EQ(ui.shown[3].text, "Falsches Datei-Format");
    EXPECT_EQ(ui.shown[4].text, A("Fehler beim Öffnen der Datei"));
    for (const auto& s : ui.shown)
        EXPECT_EQ(s.icon, MsgIcon::None);
    // A file that cannot be opened is the system's refusal, the rest the file's fault.
    EXPECT_EQ(ui.outcomeKinds, (std::vector<OutcomeKind> { OutcomeKind::BadInput, OutcomeKind::BadInput,
                                                           OutcomeKind::BadInput, OutcomeKind::BadInput,
                                                           OutcomeKind::IoError }));

    SetLanguageOffset(kLangEnglish);
    test::ScriptedUi english;
    english.Show(reader.Result(), MsgIcon::None);
    EXPECT_EQ(english.LastText(), "Error while opening file");
}

TEST_F(BiffReaderTest, MissingFileIsAStorageFailure)
{
    test::ScriptedUi ui;
    CBiffReader reader(kGerman);
    CImportTable t;
    EXPECT_EQ(reader.ReadSpreadsheet(FixturePath("missing.xls"), t, ui).Kind(), OutcomeKind::IoError);
    EXPECT_EQ(reader.ErrorCode(), BiffError::StorageFailure);
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(BiffReaderTest, TruncatedAndDamagedStreamsGiveFewerCells)
{
    std::string stream = Fixture("sheetjs_biff2.xls");
    for (std::size_t size = 0; size <= stream.size(); ++size) {
        CBiffReader reader(kGerman);
        CImportTable t;
        reader.ReadStream(std::string_view(stream).substr(0, size), t);
        ASSERT_LE(t.RecordCount(), 5);
    }
    // Cells beyond the 256 columns of the format are damage.
    std::string wide = Bof8(0x0010) + Number8(0, 255, 0, 1) + Number8(0, 60000, 0, 2) + Eof();
    CBiffReader reader(kGerman);
    CImportTable t = ReadStream(wide, reader);
    EXPECT_EQ(t.RecordLength(0), 256);
}

// ---- rich texts and encrypted workbooks ----

TEST_F(BiffReaderTest, RichTextCellsFromGnumericAreReadLikeLabels)
{
    // Gnumeric writes "Müller, Hans" with a bold "Müller" as a rich text
    // record, with 16-bit characters in BIFF 8 and 8-bit ones in BIFF 7.
    for (const char* name : { "gnumeric_rich_biff8.xls", "gnumeric_rich_biff7.xls" }) {
        CBiffReader reader(kGerman);
        CImportTable t;
        ASSERT_TRUE(reader.ReadFileBytes(Fixture(name), t)) << name;
        ASSERT_EQ(t.RecordCount(), 2) << name;
        EXPECT_EQ(Row(t, 0), (Fields { "Name", "Telefon" })) << name;
        EXPECT_EQ(Row(t, 1), (Fields { A("Müller, Hans"), "030 123456" })) << name;
    }
    // The formatting runs after the text are no part of it, and the cell
    // after the rich text is still read.
    std::string runs = Le16(2) + Le16(0) + Le16(1) + Le16(6) + Le16(0);
    std::string stream = Bof8(0x0010) + Rec(0x00D6, Le16(0) + Le16(0) + Le16(0) + Str8("Ab") + runs)
        + Number8(0, 1, 0, 7) + Eof();
    CBiffReader reader(kGerman);
    EXPECT_EQ(Row(ReadStream(stream, reader), 0), (Fields { "Ab", "7" }));
}

TEST_F(BiffReaderTest, PasswordProtectedWorkbookIsRefusedWithItsMessage)
{
    // An encrypted workbook has FILEPASS after its first BOF; every record
    // after it is ciphered, so its cells would come out as random values.
    std::string stream = Bof8(0x0005) + Rec(0x002F, Le16(1) + Le16(1) + Le16(1) + std::string(48, '\x5A')) + Eof()
        + Bof8(0x0010) + Number8(0, 0, 0, 4711) + Eof();
    CBiffReader reader(kGerman);
    CImportTable t = ReadStream(stream, reader, false);
    EXPECT_EQ(reader.ErrorCode(), BiffError::PasswordProtected);
    EXPECT_EQ(t.RecordCount(), 0);
    test::ScriptedUi ui;
    ui.Show(reader.Result(), MsgIcon::None);
    EXPECT_EQ(ui.LastText(), A("Die Datei ist durch ein Kennwort geschützt und kann nicht gelesen werden"));
    SetLanguageOffset(kLangEnglish);
    ui.Show(reader.Result(), MsgIcon::None);
    EXPECT_EQ(ui.LastText(), "The file is protected by a password and cannot be read");
    SetLanguageOffset(kLangFrench);
    ui.Show(reader.Result(), MsgIcon::None);
    EXPECT_EQ(ui.LastText(), A("Le fichier est protégé par un mot de passe et ne peut pas être lu"));
}

// ---- the choice of reader ----

// A hidden first sheet and telephone numbers kept as numbers, written by
// LibreOffice (make_sheets.py) and SheetJS (make_sheetjs.js).
TEST_F(BiffReaderTest, FirstVisibleSheetAsTheSpreadsheetShowsIt)
{
    for (const char* name : { "libreoffice_sheets.xls", "sheetjs_sheets.xls" }) {
        CBiffReader reader(kGerman, kLangGerman);
        CImportTable t;
        ASSERT_TRUE(reader.ReadFileBytes(Fixture(name), t)) << name;
        Fields expected { WorkbookText("Юлия Щербакова"), "4917612345678", "030 123 4567", "0301234567", "+4930123456",
                          "15.03.1970" };
        if (std::string(name).starts_with("libreoffice"))
            expected.push_back("-1.234,50");  // a section of its own for negative numbers
        EXPECT_EQ(Row(t, 1), expected) << name;
        ASSERT_EQ(reader.Sheets().size(), 3u) << name;
        EXPECT_EQ(reader.Sheets()[0].name, "Versteckt") << name;
        EXPECT_FALSE(reader.Sheets()[0].visible) << name;
        EXPECT_TRUE(reader.Sheets()[2].visible) << name;

        reader.SetSheetPicker([](const std::vector<SheetInfo>& sheets) { return static_cast<int>(sheets.size()) - 1; });
        CImportTable third;
        ASSERT_TRUE(reader.ReadFileBytes(Fixture(name), third)) << name;
        EXPECT_EQ(Row(third, 0), (Fields { "Drittes Blatt" })) << name;
        reader.SetSheetPicker([](const std::vector<SheetInfo>&) { return std::nullopt; });
        EXPECT_FALSE(reader.ReadFileBytes(Fixture(name), third)) << name;
        EXPECT_EQ(reader.ErrorCode(), BiffError::NoSheetChosen) << name;
    }
}

TEST_F(BiffReaderTest, ExtensionChoosesTheReader)
{
    EXPECT_TRUE(IsSpreadsheetFileName("Adressen.xls"));
    EXPECT_TRUE(IsSpreadsheetFileName("/a.b/ADRESSEN.XLS"));
    EXPECT_FALSE(IsSpreadsheetFileName("Adressen.xlsx"));
    EXPECT_FALSE(IsSpreadsheetFileName("Adressen.csv"));
    EXPECT_FALSE(IsSpreadsheetFileName("xls"));
    EXPECT_FALSE(IsSpreadsheetFileName("Adressen."));

    test::ScriptedUi ui;
    CImportTable t;
    ASSERT_EQ(test::Shown(ui, ReadImportFile(FixturePath("sheetjs_biff8.xls"), t, ui, kEnglish)), 1);
    EXPECT_EQ(t.FieldText(1, 2), "1,234.50");

    // A spreadsheet under another name is read as text: its bytes are fields.
    auto dir = std::filesystem::temp_directory_path() / "velkaro_reader_choice";
    std::filesystem::create_directories(dir);
    auto copy = (dir / "sheet.txt").string();
    std::filesystem::copy_file(FixturePath("sheetjs_biff2.xls"), copy, std::filesystem::copy_options::overwrite_existing);
    CImportTable asText;
    EXPECT_EQ(test::Shown(ui, ReadImportFile(copy, asText, ui, kEnglish)), 1);
    EXPECT_GT(asText.RecordCount(), 0);

    // A failed spreadsheet read shows the message for its error.
    auto broken = (dir / "broken.xls").string();
    std::ofstream(broken, std::ios::binary) << "not a spreadsheet";
    CImportTable none;
    EXPECT_EQ(test::Shown(ui, ReadImportFile(broken, none, ui, kEnglish)), 0);
    EXPECT_EQ(ui.LastText(), "Falsches Datei-Format");
    std::filesystem::remove_all(dir);
}

TEST_F(BiffReaderTest, FirstBytesChooseTheReaderBeforeTheName)
{
    const std::string compound = Fixture("no_workbook.doc").substr(0, kImportFileHeadSize);
    const std::string zip = Fixture("gnumeric_rich.xlsx").substr(0, kImportFileHeadSize);
    EXPECT_EQ(DetectImportFileKind("brief.doc", compound), ImportFileKind::CompoundFile);
    EXPECT_EQ(DetectImportFileKind("tabelle.csv", compound), ImportFileKind::CompoundFile);
    EXPECT_EQ(DetectImportFileKind("tabelle.xlsx", zip), ImportFileKind::ZipContainer);
    EXPECT_EQ(DetectImportFileKind("tabelle.xls", zip), ImportFileKind::ZipContainer);
    EXPECT_EQ(DetectImportFileKind("leer.ods", std::string("PK\x05\x06\0\0\0\0", 8)), ImportFileKind::ZipContainer);
    // Anything else goes by the name: BIFF 2 to 4 files are bare records.
    EXPECT_EQ(DetectImportFileKind("alt.xls", Fixture("sheetjs_biff2.xls").substr(0, 8)), ImportFileKind::Spreadsheet);
    EXPECT_EQ(DetectImportFileKind("alt.txt", Fixture("sheetjs_biff2.xls").substr(0, 8)), ImportFileKind::Text);
    EXPECT_EQ(DetectImportFileKind("PK.csv", "PK;Name\n"), ImportFileKind::Text);
    EXPECT_EQ(DetectImportFileKind("kurz.csv", "P"), ImportFileKind::Text);
    EXPECT_EQ(DetectImportFileKind("leer.xls", ""), ImportFileKind::Spreadsheet);

    auto dir = std::filesystem::temp_directory_path() / ("velkaro_reader_content_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto copy = [&](const char* fixture, const char* name) {
        auto path = (dir / name).string();
        std::filesystem::copy_file(FixturePath(fixture), path, std::filesystem::copy_options::overwrite_existing);
        return path;
    };
    // A word processor's document and a zip container that holds no workbook
    // are no text to import.
    for (auto [fixture, name] : { std::pair { "no_workbook.doc", "brief.doc" }, { "no_workbook.zip", "adressen.xlsx" },
                                  { "no_workbook.zip", "adressen.csv" } }) {
        test::ScriptedUi ui;
        CImportTable t;
        EXPECT_EQ(test::Shown(ui, ReadImportFile(copy(fixture, name), t, ui, kGerman)), 0) << name;
        ASSERT_EQ(ui.shown.size(), 1u) << name;
        EXPECT_EQ(ui.shown[0].text, "Falsches Datei-Format") << name;
        EXPECT_EQ(ui.shown[0].icon, MsgIcon::None);
        EXPECT_EQ(t.RecordCount(), 0) << name;
    }
    // A workbook saved under a text name is still a workbook, of either kind.
    for (const char* fixture : { "gnumeric_rich_biff8.xls", "gnumeric_rich.xlsx" }) {
        test::ScriptedUi ui;
        CImportTable t;
        ASSERT_EQ(test::Shown(ui, ReadImportFile(copy(fixture, "adressen.csv"), t, ui, kGerman)), 1) << fixture;
        EXPECT_EQ(Row(t, 1), (Fields { A("Müller, Hans"), "030 123456" })) << fixture;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace velkaro
