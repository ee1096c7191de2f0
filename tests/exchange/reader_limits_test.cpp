// What a hostile import file cannot do: small workbooks whose cells stand for
// gigabytes of text are refused with their message, a real-sized sheet still
// reads, XML nested without end is damage, and devices, named pipes and
// files beyond the size limit are refused before they are read. The files
// are built here, in the test's scratch folder.

#include "exchange/FileAccess.h"
#include "exchange/ImportReader.h"
#include "exchange/ReadBudget.h"
#include "exchange/XmlParser.h"

#include "text/Language.h"
#include "text/MessageIds.h"
#include "support/ScriptedUi.h"

#include "ReaderTestSupport.h"

#include <gtest/gtest.h>

#include <zip.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;
using Entries = std::vector<std::pair<std::string, std::string>>;

std::string Times(const std::string& s, std::size_t n)
{
    std::string out;
    out.reserve(s.size() * n);
    for (std::size_t i = 0; i < n; ++i)
        out += s;
    return out;
}

// ---- the parts of the files ----

std::string Le16(unsigned v)
{
    return { static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF) };
}

std::string Rec(unsigned type, const std::string& body)
{
    return Le16(type) + Le16(static_cast<unsigned>(body.size())) + body;
}

std::string Bof8(unsigned substream)
{
    return Rec(0x0809, Le16(0x0600) + Le16(substream) + std::string(12, '\0'));
}

// A BIFF 8 record stream (what an .xls without its compound file is) whose
// one shared string of 8000 bytes is used by 300 x 256 cells.
std::string XlsSharingOneString()
{
    // The SST: uses (not read), strings, then the string: length, 8-bit characters.
    std::string stream = Bof8(0x0005)
        + Rec(0x00FC, Le16(0) + Le16(0) + Le16(1) + Le16(0) + Le16(8000) + '\0' + std::string(8000, 'x'))
        + Rec(0x000A, "") + Bof8(0x0010);
    for (unsigned row = 0; row < 300; ++row)
        for (unsigned column = 0; column < 256; ++column)
            stream += Rec(0x00FD, Le16(row) + Le16(column) + Le16(0) + Le16(0) + Le16(0));  // LABELSST of string 0
    return stream + Rec(0x000A, "");
}

Entries Xlsx(const std::string& sheetData, const std::string& sharedStrings)
{
    return { { "xl/workbook.xml", "<workbook><sheets><sheet name=\"Adressen\"/></sheets></workbook>" },
             { "xl/worksheets/sheet1.xml", "<worksheet><sheetData>" + sheetData + "</sheetData></worksheet>" },
             { "xl/sharedStrings.xml", "<sst>" + sharedStrings + "</sst>" } };
}

Entries Ods(const std::string& rows)
{
    return { { "mimetype", "application/vnd.oasis.opendocument.spreadsheet" },
             { "content.xml",
               "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
               " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
               " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
               "<table:table table:name=\"Adressen\">" + rows
                   + "</table:table></office:spreadsheet></office:body></office:document-content>" } };
}

class ReaderLimits : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLanguageOffset(kLangEnglish);
        dir = fs::temp_directory_path() / ("velkaro-limits-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        SetLanguageOffset(kLangGerman);
        fs::remove_all(dir);
    }

    std::string Zip(const std::string& name, const Entries& entries)
    {
        const std::string path = (dir / name).string();
        int error = 0;
        zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        for (const auto& [entry, data] : entries)
            zip_file_add(zip, entry.c_str(), zip_source_buffer(zip, data.data(), data.size(), 0), ZIP_FL_OVERWRITE);
        zip_close(zip);
        return path;
    }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream((dir / name), std::ios::binary) << bytes;
        return (dir / name).string();
    }

    // Reads the file as the import does: 1 or 0, and the last message.
    std::pair<int, std::string> Import(const std::string& path)
    {
        test::ScriptedUi ui;
        table.RemoveAll();
        const int read = test::Shown(ui, ReadImportFile(path, table, ui, test::kGerman));
        return { read, ui.shown.empty() ? std::string() : ui.shown.back().text };
    }

    fs::path dir;
    CImportTable table;
};

// The cells of each file stand for gigabytes of text in a file of at most a
// megabyte (or its shared strings for far more memory than it takes): each
// is refused at its budget, and nothing of it is kept.
TEST_F(ReaderLimits, WorkbooksWhoseCellsMultiplyTheirTextAreRefused)
{
    const std::string megabyte(1 << 20, 'x');
    const std::string paths[] = {
        Zip("geteilt.xlsx", Xlsx(Times("<row>" + Times("<c t=\"s\"><v>0</v></c>", 100) + "</row>", 200),
                                 "<si><t>" + megabyte + "</t></si>")),
        Zip("wiederholt.ods",
            Ods("<table:table-row table:number-rows-repeated=\"10000\"><table:table-cell office:value-type=\"string\""
                " table:number-columns-repeated=\"256\"><text:p>" + megabyte
                + "</text:p></table:table-cell></table:table-row>")),
        Zip("leerzeichen.ods", Ods("<table:table-row><table:table-cell office:value-type=\"string\"><text:p>"
                                   + Times("<text:s text:c=\"1000\"/>", 100000)
                                   + "</text:p></table:table-cell></table:table-row>")),
        Write("geteilt.xls", XlsSharingOneString()),
        Zip("leer.xlsx", Xlsx("", Times("<si/>", 300000))),  // strings that take a few bits each
    };
    for (const std::string& path : paths) {
        const auto size = static_cast<std::size_t>(fs::file_size(path));
        EXPECT_LT(size, 1200u << 10) << path;
        const auto [read, message] = Import(path);
        EXPECT_EQ(read, 0) << path;
        EXPECT_EQ(message, FormatText(msg::ImportTooMuchText, static_cast<int>(BuildBudget(size) >> 20))) << path;
        EXPECT_EQ(table.RecordCount(), 0) << path;
    }
}

// A sheet of 100 000 addresses with a long note shared by every row builds
// some 15 MB of text from a file of about a megabyte: it is read whole.
TEST_F(ReaderLimits, RealSizedSheetIsReadWhole)
{
    std::string rows;
    for (int r = 1; r <= 100000; ++r)
        rows += "<row r=\"" + std::to_string(r) + "\"><c t=\"inlineStr\"><is><t>Kunde " + std::to_string(r)
            + "</t></is></c><c><v>" + std::to_string(30000000 + 7 * r) + "</v></c><c t=\"s\"><v>" + std::to_string(r % 40)
            + "</v></c><c t=\"s\"><v>40</v></c></row>";
    std::string strings;
    for (int s = 0; s < 40; ++s)
        strings += "<si><t>Ort " + std::to_string(s) + "</t></si>";
    strings += "<si><t>Kunde seit Jahren, bitte nur vormittags anrufen, nicht am Wochenende</t></si>";
    const auto [read, message] = Import(Zip("kunden.xlsx", Xlsx(rows, strings)));
    EXPECT_EQ(read, 1);
    EXPECT_EQ(message, "");
    ASSERT_EQ(table.RecordCount(), 100000);
    EXPECT_EQ(test::Row(table, 99999),
              (test::Fields { "Kunde 100000", "30700000", "Ort 0",
                              "Kunde seit Jahren, bitte nur vormittags anrufen, nicht am Wochenende" }));
}

TEST_F(ReaderLimits, XmlNestedDeeperThanAnyWorkbookIsDamage)
{
    struct Count : IXmlHandler {
        int elements = 0;
        void StartElement(const XmlName&, const std::vector<XmlAttribute>&) override { ++elements; }
        void EndElement(const XmlName&) override {}
        void Characters(std::string_view) override {}
    } count;
    EXPECT_TRUE(ParseXml(Times("<a>", 256) + Times("</a>", 256), count));
    EXPECT_EQ(count.elements, 256);
    EXPECT_FALSE(ParseXml(Times("<a>", 257) + Times("</a>", 257), count));
    const std::string deep = "<row><c t=\"inlineStr\"><is>" + Times("<r>", 1000) + Times("</r>", 1000) + "</is></c></row>";
    EXPECT_EQ(Import(Zip("tief.xlsx", Xlsx(deep, ""))).second, Text(msg::WorkbookDamaged));
}

// A spreadsheet saved with a password says so, whatever its kind: an .ods
// whose manifest names ciphered parts, an .xlsx (a compound file holding
// the ciphered package).
TEST_F(ReaderLimits, WorkbooksSavedWithAPasswordSaySo)
{
    const std::string manifest = "<manifest:manifest><manifest:file-entry manifest:full-path=\"content.xml\">"
                                 "<manifest:encryption-data manifest:checksum-type=\"SHA1/1K\"/>"
                                 "</manifest:file-entry></manifest:manifest>";
    const std::string ods = Zip("geheim.ods", { { "mimetype", "application/vnd.oasis.opendocument.spreadsheet" },
                                                { "content.xml", std::string("\x8f\x12\x00ciphered", 11) },
                                                { "META-INF/manifest.xml", manifest } });
    EXPECT_EQ(Import(ods).second, Text(msg::PasswordProtected));
}

// A link to a device, or a named pipe, under every name a reader is chosen
// by: refused before it is opened, so that nothing waits or grows.
TEST_F(ReaderLimits, DevicesPipesAndOversizedFilesAreRefusedUnread)
{
    ASSERT_EQ(::mkfifo((dir / "pipe.csv").c_str(), 0600), 0);
    std::vector<std::string> paths { (dir / "pipe.csv").string() };
    for (const char* name : { "null.xls", "null.xlsx", "null.csv", "null.vcf" }) {
        fs::create_symlink("/dev/zero", dir / name);
        paths.push_back((dir / name).string());
    }
    for (const std::string& path : paths)
        EXPECT_EQ(Import(path), (std::pair<int, std::string> { 0, Text(msg::NotARegularFile) })) << path;
    std::string bytes;
    EXPECT_EQ(LoadWholeFile((dir / "pipe.csv").string(), bytes, 100).status, FileReadResult::Status::NotRegular);

    // Sparse: they take no room on the disk.
    const std::string tooLarge = FormatText(msg::FileTooLarge, static_cast<int>(kMaxImportFileBytes >> 20));
    for (const char* name : { "gross.xls", "gross.csv" }) {
        std::ofstream(dir / name).put('x');
        fs::resize_file(dir / name, kMaxImportFileBytes + 1);
        EXPECT_EQ(Import((dir / name).string()), (std::pair<int, std::string> { 0, tooLarge })) << name;
    }
}

}  // namespace
}  // namespace velkaro
