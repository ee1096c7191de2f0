// The spreadsheet writer's bytes, record by record, against hand-counted
// file positions.

#include "exchange/ImportTable.h"
#include "exchange/SpreadsheetWriter.h"

#include "support/ScriptedUi.h"
#include "text/SystemError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace velkaro {
namespace {

std::string U16(unsigned v)
{
    return { static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF) };
}
std::string U32(unsigned long v)
{
    return U16(v & 0xFFFF) + U16(v >> 16);
}
std::string Dbl(double d)
{
    std::string s(8, '\0');
    std::memcpy(s.data(), &d, 8);
    return s;
}
std::string Rec(unsigned number, const std::string& data)
{
    return U16(number) + U16(static_cast<unsigned>(data.size())) + data;
}
std::string Str(const std::string& s)
{
    return std::string(1, static_cast<char>(s.size())) + s;
}

// Records 3 to 19a, the same in every file but for the bold fifth font.
std::string FixedPart(bool header)
{
    std::string s;
    s += Rec(0x42, U16(0x8001));
    s += Rec(0x0D, U16(1));
    s += Rec(0x0C, U16(100));
    s += Rec(0x0F, U16(1));
    s += Rec(0x11, U16(0));
    s += Rec(0x10, Dbl(0.001));
    s += Rec(0x0E, U16(1));
    s += Rec(0x22, U16(0));
    s += Rec(0x2A, U16(0));
    s += Rec(0x2B, U16(0));
    s += Rec(0x25, U16(0x80F0));
    for (int f = 0; f < (header ? 5 : 4); ++f) {
        s += Rec(0x31, U16(180) + U16(f == 4 ? 1 : 0) + Str("Arial"));
        s += Rec(0x45, U16(0x7FFF));
    }
    s += Rec(0x14, "");
    s += Rec(0x15, "");
    s += Rec(0x26, Dbl(0.787401575));
    s += Rec(0x27, Dbl(0.787401575));
    s += Rec(0x28, Dbl(0.984251969));
    s += Rec(0x29, Dbl(0.984251969));
    s += Rec(0x40, U16(0));
    s += Rec(0x1F, U16(21));
    const char* formats[] = { "General", "0", "0.00", "#,##0", "#,##0.00",
                              R"("SFr."\ #,##0;"SFr."\ \-#,##0)",
                              R"("SFr."\ #,##0;[Red]"SFr."\ \-#,##0)",
                              R"("SFr."\ #,##0.00;"SFr."\ \-#,##0.00)",
                              R"("SFr."\ #,##0.00;[Red]"SFr."\ \-#,##0.00)",
                              "0%", "0.00%", "0.00E+00", "dd/mm/yyyy", R"(dd/\ mmm\ yy)", R"(dd/\ mmm)",
                              R"(mmm\ yy)", R"(h:mm\ AM/PM)", R"(h:mm:ss\ AM/PM)", "hh:mm", "hh:mm:ss",
                              R"(dd/mm/yyyy\ hh:mm)", R"(#,##0;\-#,##0)", R"(#,##0;[Red]\-#,##0)",
                              R"(#,##0.00;\-#,##0.00)", R"(#,##0.00;[Red]\-#,##0.00)", "##0.0E+0", "mm:ss",
                              "@" };
    for (const char* f : formats)
        s += Rec(0x1E, Str(f));
    return s;
}

std::string Bof()
{
    return Rec(0x09, U16(7) + U16(0x10));
}

std::string Row(unsigned index, unsigned columns, unsigned offset)
{
    return Rec(0x08, U16(index) + U16(0) + U16(columns) + U16(0x80F0) + U16(0) + std::string(1, '\0') + U16(offset));
}

std::string Label(unsigned row, unsigned column, const std::string& text, bool bold = false)
{
    return Rec(0x04, U16(row) + U16(column) + std::string(1, bold ? '\x41' : '\x40') + std::string(2, '\0') + Str(text));
}

TEST(SpreadsheetWriter, EmptyTableHasOneBlockAndNoRows)
{
    CImportTable table;
    std::string expected = Bof();
    // INDEX: record 20 stands at 742 (8 + 16 + 72 + 80 + 8 + 48 + 12 + 140 + 358).
    expected += Rec(0x20B, U32(742) + U16(0) + U16(0) + U32(0));
    expected += FixedPart(false);
    ASSERT_EQ(expected.size(), 742u);
    expected += Rec(0x19, U16(0));
    expected += Rec(0x43, std::string("\x00\x00\x40\x00", 4));
    expected += Rec(0x55, U16(10));
    expected += Rec(0x00, U16(0) + U16(0) + U16(0) + U16(0));
    expected += Rec(0x0A, "");
    EXPECT_EQ(CSpreadsheetWriter::Build(table, false), expected);
}

TEST(SpreadsheetWriter, ThirtyThreeRowsMakeTwoBlocks)
{
    CImportTable table;
    for (int r = 0; r < 33; ++r)
        table.SetField("x", r, 0);
    std::string expected = Bof();
    // Two block positions make INDEX 4 bytes longer: record 20 at 746, the
    // first ROW at 778, the cells of block 0 at 778 + 32 * 17 = 1322, the
    // second block at 1322 + 32 * 13 = 1738.
    expected += Rec(0x20B, U32(746) + U16(0) + U16(33) + U32(778) + U32(1738));
    expected += FixedPart(false);
    ASSERT_EQ(expected.size(), 746u);
    expected += Rec(0x19, U16(0));
    expected += Rec(0x43, std::string("\x00\x00\x40\x00", 4));
    expected += Rec(0x55, U16(10));
    expected += Rec(0x00, U16(0) + U16(33) + U16(0) + U16(1));
    ASSERT_EQ(expected.size(), 778u);
    // Row 0's offset field ends at 778 + 17 = 795; its cells start at 1322.
    expected += Row(0, 1, 1322 - 795);
    for (unsigned r = 1; r < 32; ++r)
        expected += Row(r, 1, 13);
    for (unsigned r = 0; r < 32; ++r)
        expected += Label(r, 0, "x");
    ASSERT_EQ(expected.size(), 1738u);
    // The second block's ROW is followed by its cells at once.
    expected += Row(32, 1, 0);
    expected += Label(32, 0, "x");
    expected += Rec(0x0A, "");
    EXPECT_EQ(CSpreadsheetWriter::Build(table, false), expected);
}

TEST(SpreadsheetWriter, HeaderFormatWidthsAndEmptyCells)
{
    CImportTable table;
    table.SetField("Name", 0, 0);
    table.SetField("Ort", 0, 2);  // column 1 of the header is empty
    table.SetField("Meier", 1, 0);
    table.SetField("", 1, 1);
    table.SetField("Bern", 1, 3);
    std::vector<uint16_t> widths = { 12, 12, 0, 20 };

    std::string expected = Bof();
    // The bold font adds 20 bytes: record 20 at 762.
    expected += Rec(0x20B, U32(762) + U16(0) + U16(2) + U32(818));
    expected += FixedPart(true);
    ASSERT_EQ(expected.size(), 762u);
    expected += Rec(0x19, U16(0));
    expected += Rec(0x43, std::string("\x00\x00\x40\x00", 4));
    expected += Rec(0x43, std::string("\x05\x00\x40\x00", 4));
    expected += Rec(0x55, U16(10));
    expected += Rec(0x24, std::string("\x00\x01", 2) + U16(12 * 256));
    expected += Rec(0x24, std::string("\x03\x03", 2) + U16(20 * 256));
    expected += Rec(0x00, U16(0) + U16(2) + U16(0) + U16(4));
    ASSERT_EQ(expected.size(), 818u);
    // Cells begin at 818 + 34 = 852; the header row's labels take 16 + 15.
    expected += Row(0, 4, 852 - (818 + 17));
    expected += Row(1, 4, 31);
    expected += Label(0, 0, "Name", true);
    expected += Label(0, 2, "Ort", true);
    expected += Label(1, 0, "Meier");
    expected += Label(1, 3, "Bern");
    expected += Rec(0x0A, "");
    EXPECT_EQ(CSpreadsheetWriter::Build(table, true, &widths), expected);
}

TEST(SpreadsheetWriter, WidthRunsSkipZeroAndSplitOnChange)
{
    CImportTable table;
    std::vector<uint16_t> widths = { 25, 20, 30, 30, 30, 30, 30, 30 };
    std::string bytes = CSpreadsheetWriter::Build(table, true, &widths);
    std::string runs = Rec(0x24, std::string("\x00\x00", 2) + U16(25 * 256))
        + Rec(0x24, std::string("\x01\x01", 2) + U16(20 * 256))
        + Rec(0x24, std::string("\x02\x07", 2) + U16(30 * 256))
        + Rec(0x00, std::string(8, '\0'));
    EXPECT_NE(bytes.find(runs), std::string::npos);
}

TEST(SpreadsheetWriter, LongTextIsCutTo255Bytes)
{
    CImportTable table;
    table.SetField(std::string(300, 'a'), 0, 0);
    std::string bytes = CSpreadsheetWriter::Build(table, false);
    std::string label = Label(0, 0, std::string(255, 'a'));
    EXPECT_NE(bytes.find(label + Rec(0x0A, "")), std::string::npos);
}

TEST(SpreadsheetWriter, FileIsWrittenAndErrorsAreTold)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "velkaro-writer-test";
    fs::create_directories(dir);
    CImportTable table;
    table.SetField("Meier", 0, 0);
    std::string path = (dir / "out.xls").string();
    ASSERT_TRUE(WriteSpreadsheet(path, table));
    std::ifstream in(path, std::ios::binary);
    std::string read((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(read, CSpreadsheetWriter::Build(table, false));

    const Outcome failed = WriteSpreadsheet((dir / "missing" / "out.xls").string(), table);
    EXPECT_EQ(failed.Kind(), OutcomeKind::IoError);
    EXPECT_EQ(failed.Message(), SystemErrorText(ENOENT));
    fs::remove_all(dir);
}

}  // namespace
}  // namespace velkaro
