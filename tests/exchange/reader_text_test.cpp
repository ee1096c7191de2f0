// The separated-text reader over hand-made files: separator choice, quoting,
// line ends as a text-mode read delivers them, over-long lines, errors.

#include "exchange/TextReader.h"

#include "text/Language.h"
#include "exchange/ImportConfig.h"
#include "exchange/ImportRun.h"
#include "model/CardList.h"
#include "model/Charset.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace velkaro {
namespace {

using Fields = std::vector<std::string>;

class ProgressUi : public test::ScriptedUi {
public:
    void BeginWait() override { ++waits; }
    void EndWait() override { --waits; }
    void ProgressBegin(const std::string& caption) override { captions.push_back(caption); }
    void ProgressStep(int perMille) override { steps.push_back(perMille); }
    void ProgressEnd() override { ++ends; }

    int waits = 0;
    int ends = 0;
    std::vector<std::string> captions;
    std::vector<int> steps;
};

class TextReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLanguageOffset(kLangGerman);
        dir = std::filesystem::temp_directory_path()
            / ("velkaro_text_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_"
               + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string Write(const std::string& bytes, const std::string& name = "in.csv")
    {
        auto path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // Reads the bytes as a file and returns every record (absent ones empty).
    std::vector<Fields> Read(const std::string& bytes)
    {
        table.RemoveAll();
        EXPECT_EQ(test::Shown(ui, ReadTextFile(Write(bytes), table, ui)), 1);
        std::vector<Fields> records;
        for (int r = 0; r < table.RecordCount(); ++r) {
            Fields f;
            for (int c = 0; c < table.RecordLength(r); ++c)
                f.push_back(table.FieldText(r, c));
            records.push_back(f);
        }
        return records;
    }

    std::filesystem::path dir;
    CImportTable table;
    ProgressUi ui;
};

TEST_F(TextReaderTest, SplitsLinesAtTheSemicolon)
{
    EXPECT_EQ(Read("A;B;C\nD;E;F\n"), (std::vector<Fields> { { "A", "B", "C" }, { "D", "E", "F" } }));
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(TextReaderTest, SeparatorTiesGoToTheEarlierInTheOrderTabSemicolonCommaBar)
{
    EXPECT_EQ(DetectSeparator("a,b;c"), ';');
    EXPECT_EQ(DetectSeparator("a|b\tc,d;e"), '\t');
    EXPECT_EQ(DetectSeparator("a|b|c,d"), '|');
    EXPECT_EQ(DetectSeparator("a,b,c;d"), ',');
    EXPECT_EQ(DetectSeparator("no separator here"), 0);
    EXPECT_EQ(Read("x,y;z\n"), (std::vector<Fields> { { "x,y", "z" } }));
}

TEST_F(TextReaderTest, SeparatorIsDetectedOverTheFirst10000BytesOnly)
{
    std::string head;
    while (head.size() < 10000)
        head += "a;b\n";
    head.resize(10000);
    std::string tail(20, ',');
    auto records = Read(head + tail + "\n");
    EXPECT_EQ(records[0], (Fields { "a", "b" }));
}

TEST_F(TextReaderTest, FileWithoutSeparatorsGivesOneFieldPerLine)
{
    EXPECT_EQ(Read("Meier Hans\n'quoted'\nx\"y\n"),
              (std::vector<Fields> { { "Meier Hans" }, { "quoted" }, { "x\"y" } }));
}

TEST_F(TextReaderTest, QuotedFieldKeepsItsSeparator)
{
    EXPECT_EQ(Read("\"Meier, Hans\",12\n"), (std::vector<Fields> { { "Meier, Hans", "12" } }));
}

TEST_F(TextReaderTest, DoubledQuotesStayAndCharactersAfterTheClosingQuoteBelongToTheField)
{
    EXPECT_EQ(Read("'O''N',x\n"), (std::vector<Fields> { { "O''N", "x" } }));
    EXPECT_EQ(Read("\"ab\"cd\",x\n"), (std::vector<Fields> { { "ab\"cd", "x" } }));
    // The closing quote stays when other text follows it.
    EXPECT_EQ(Read("\"ab\"cd,x\n"), (std::vector<Fields> { { "ab\"cd", "x" } }));
    // A quote only opens at the start of a field.
    EXPECT_EQ(Read("a\"b,c\n"), (std::vector<Fields> { { "a\"b", "c" } }));
    EXPECT_EQ(Read("\"\",x\n"), (std::vector<Fields> { { "", "x" } }));
}

TEST_F(TextReaderTest, EmptyFieldsAndEmptyLines)
{
    EXPECT_EQ(Read("a,,b\n"), (std::vector<Fields> { { "a", "", "b" } }));
    EXPECT_EQ(Read("a,b,\n"), (std::vector<Fields> { { "a", "b", "" } }));
    EXPECT_EQ(Read("a,b\n\nc,d\n"), (std::vector<Fields> { { "a", "b" }, { "" }, { "c", "d" } }));
    table.DropEmptyRecords();
    EXPECT_EQ(table.RecordCount(), 3);
}

TEST_F(TextReaderTest, LastLineWithoutLineEndKeepsAllFields)
{
    EXPECT_EQ(Read("a;b\nc;\"d\""), (std::vector<Fields> { { "a", "b" }, { "c", "d" } }));
    EXPECT_EQ(Read("a;b\nc;"), (std::vector<Fields> { { "a", "b" }, { "c", "" } }));
}

TEST_F(TextReaderTest, QuotedFieldsAsAddressBooksWriteThem)
{
    const std::string longField(kTextPieceMax + 5, 'x');
    const struct {
        std::string bytes;
        std::vector<Fields> records;
    } cases[] = {
        // A line end in double quotes is one blank; the record goes on.
        { "x,\"a\nb\",c\nd,e\n", { { "x", "a b", "c" }, { "d", "e" } } },
        { "x,\"a\r\n\r\nb\"\r\nd,e\r\n", { { "x", "a  b" }, { "d", "e" } } },
        // A doubled quote is one quote, in double quotes only.
        { "\"Notiz mit \"\"Zitat\"\", Komma; Semi\",x\n", { { "Notiz mit \"Zitat\", Komma; Semi", "x" } } },
        { "\"\"\"\"\"\",'a''b'\n", { { "\"\"", "a''b" } } },
        // A quoted field longer than a piece stays whole.
        { "a,\"" + longField + "\",y\nz\n", { { "a", longField, "y" }, { "z" } } },
        // An apostrophe that does not close its field is text.
        { "'t Hart Bakkerij,Amsterdam,'s-Hertogenbosch\nnext,x\n",
          { { "'t Hart Bakkerij", "Amsterdam", "'s-Hertogenbosch" }, { "next", "x" } } },
        { "'abc,x\ny',z\n", { { "'abc", "x" }, { "y'", "z" } } },
        { "'c,d',e\n'O'Neil,f\n", { { "c,d", "e" }, { "O'Neil", "f" } } },
        // A double quote that never closes hides nothing: its line is read
        // as written, the lines after it as their records.
        { "a,\"b,c\nd,e\n", { { "a", "\"b", "c" }, { "d", "e" } } },
        { "a,\"x\ny\",b,\"open\nmore,1\n", { { "a", "x y", "b", "\"open" }, { "more", "1" } } },
        { "\"only", { { "\"only" } } },
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Read(c.bytes) == c.records) << c.bytes.substr(0, 80);
}

TEST_F(TextReaderTest, ContactExportsOfAddressBooksComeWhole)
{
    // The exports (tests/exchange/fixtures/contacts, made as each program
    // writes them) hold multi-line addresses and notes, doubled quotes and
    // names that begin with an apostrophe: every record keeps its fields.
    const struct {
        const char* file;
        int records;
        int fields;
    } cases[] = {
        { "google.csv", 7, 54 },     { "outlook_en.csv", 3, 92 },     { "outlook_de.csv", 2, 91 },
        { "outlook_fr.csv", 2, 92 }, { "thunderbird.csv", 3, 38 },
    };
    for (const auto& c : cases) {
        table.RemoveAll();
        ASSERT_EQ(test::Shown(ui, ReadTextFile(std::string(VELKARO_SOURCE_DIR) + "/tests/exchange/fixtures/contacts/" + c.file, table, ui)), 1);
        EXPECT_EQ(table.RecordCount(), c.records) << c.file;
        for (int r = 0; r < table.RecordCount(); ++r)
            EXPECT_EQ(table.RecordLength(r), c.fields) << c.file << " record " << r;
    }
}

TEST_F(TextReaderTest, CrLfIsOneLineEndAndCtrlZEndsTheFile)
{
    EXPECT_EQ(Read("a;b\r\nc;d\r\n\x1A" "e;f\r\n"), (std::vector<Fields> { { "a", "b" }, { "c", "d" } }));
    // A CR alone is text.
    EXPECT_EQ(Read("a\rb;c\n"), (std::vector<Fields> { { "a\rb", "c" } }));
}

TEST_F(TextReaderTest, NulByteEndsThePiecesText)
{
    EXPECT_EQ(Read(std::string("a;b\0c;d\ne;f\n", 12)), (std::vector<Fields> { { "a", "b" }, { "e", "f" } }));
}

TEST_F(TextReaderTest, OverLongLineArrivesInPiecesOf9998)
{
    std::string line(25000, 'x');
    auto records = Read(line + "\nnext\n");
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0][0].size(), 9998u);
    EXPECT_EQ(records[1][0].size(), 9998u);
    EXPECT_EQ(records[2][0].size(), 5004u);
    EXPECT_EQ(records[3], (Fields { "next" }));
    // A line of exactly 9998 characters leaves its line end for a piece of its own.
    records = Read(std::string(9998, 'y') + "\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1], (Fields { "" }));
}

TEST_F(TextReaderTest, EmptyFileShowsTheMessageAndReadsNothing)
{
    table.SetField("kept", 0, 0);
    EXPECT_EQ(test::Shown(ui, ReadTextFile(Write(""), table, ui)), 0);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Datei ist leer");
    EXPECT_EQ(ui.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(ui.shown[0].icon, MsgIcon::None);
    EXPECT_EQ(table.FieldText(0, 0), "kept");
    EXPECT_TRUE(ui.captions.empty());
}

TEST_F(TextReaderTest, MissingFileShowsTheSystemsErrorText)
{
    EXPECT_EQ(test::Shown(ui, ReadTextFile((dir / "missing.csv").string(), table, ui)), 0);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, std::strerror(ENOENT));
    EXPECT_EQ(ui.shown[0].icon, MsgIcon::None);
}

TEST_F(TextReaderTest, DirectoryIsAReadError)
{
    EXPECT_EQ(test::Shown(ui, ReadTextFile(dir.string(), table, ui)), 0);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, std::strerror(EISDIR));
}

TEST_F(TextReaderTest, ProgressEvery200PiecesInPerMilleOfTheFile)
{
    std::string bytes;
    for (int i = 0; i < 450; ++i)
        bytes += "1234;6789\n";  // 10 bytes a line
    Read(bytes);
    EXPECT_EQ(table.RecordCount(), 450);
    EXPECT_EQ(ui.captions, (std::vector<std::string> { "Datei analysieren..." }));
    // The position is where the reading stands, ahead of the pieces parsed.
    ASSERT_EQ(ui.steps.size(), 2u);
    EXPECT_GE(ui.steps[0], 200 * 1000 / 450);
    EXPECT_LE(ui.steps[0], ui.steps[1]);
    EXPECT_LE(ui.steps[1], 1000);
    EXPECT_EQ(ui.ends, 1);
    EXPECT_EQ(ui.waits, 0);
}

TEST_F(TextReaderTest, Utf8FileWithByteOrderMarkIsConverted)
{
    // "\"Müller\";Łódź" after the mark: the quote still opens the first field.
    auto records = Read("\xEF\xBB\xBF\"M\xC3\xBCller\";\xC5\x81\xC3\xB3" "d\xC5\xBA\n");
    EXPECT_TRUE(table.TextIsUtf8());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], (Fields { "M\xFCller", "L\xF3" "dz" }));
    // The file's own bytes stay beside the converted fields.
    ASSERT_NE(table.RawRecord(0), nullptr);
    EXPECT_EQ((*table.RawRecord(0))[0], "M\xC3\xBCller");
}

TEST_F(TextReaderTest, ValidUtf8WithMultiByteCharactersIsConverted)
{
    auto records = Read("Stra\xC3\x9F" "e;\xE2\x82\xAC 5\n\n\xE4\xB8\xAD;x\n");
    EXPECT_TRUE(table.TextIsUtf8());
    // The euro sign has a Windows-1252 form; a character of another script
    // becomes its Latin transliteration.
    EXPECT_EQ(records[0], (Fields { "Stra\xDF" "e", "\x80 5" }));
    EXPECT_EQ(records[2], (Fields { "Zhong", "x" }));
    table.DropEmptyRecords();
    EXPECT_EQ((*table.RawRecord(2))[0], "\xE4\xB8\xAD");
}

TEST_F(TextReaderTest, WindowsAndAsciiFilesStayAsTheyAre)
{
    // Windows-1252 "Müller": 0xFC is no UTF-8.
    EXPECT_EQ(Read("M\xFCller;x\n"), (std::vector<Fields> { { "M\xFCller", "x" } }));
    EXPECT_FALSE(table.TextIsUtf8());
    EXPECT_EQ(table.RawRecord(0), table.Record(0));
    EXPECT_EQ(Read("plain;ascii\n"), (std::vector<Fields> { { "plain", "ascii" } }));
    EXPECT_FALSE(table.TextIsUtf8());
    // A DOS file (code page 850 "ä" = 0x84) neither.
    EXPECT_FALSE(LooksLikeUtf8("B\x84r;x\n"));
    // Overlong forms and surrogates are no UTF-8.
    EXPECT_FALSE(LooksLikeUtf8("\xC0\xAF"));
    EXPECT_FALSE(LooksLikeUtf8("\xED\xA0\x80"));
    EXPECT_FALSE(LooksLikeUtf8("\xC3"));
    EXPECT_TRUE(LooksLikeUtf8("\xF0\x9F\x98\x80"));
}

// The whole text up to its Ctrl-Z decides the character set before a line
// is read: what lies beyond the reader's first block, or after a NUL, too.
TEST_F(TextReaderTest, TheWholeTextDecidesItsCharacterSet)
{
    std::string lines;
    while (lines.size() < 70000)
        lines += "abc;def\r\n";
    const std::pair<std::string, bool> cases[] = {
        { "M\xC3\xBCller;x\r\n", true },
        { "plain;ascii\r\n", false },
        { lines + "M\xC3\xBCller\n", true },
        { lines.substr(0, 65535) + "\xC3\xBC\n", true },  // a character across the blocks
        { "M\xC3\xBCller\n" + lines + "M\xFCller\n", false },
        { "M\xC3\xBCller\n\x1A\xFC", true },
        { std::string("M\xC3\xBCller;\0\xFC\n", 11), false },
    };
    for (const auto& [bytes, utf8] : cases) {
        const auto records = Read(bytes);
        EXPECT_EQ(table.TextIsUtf8(), utf8) << bytes.size();
        ASSERT_FALSE(records.empty());
        if (bytes.starts_with("M")) {
            EXPECT_EQ(records[0][0], utf8 ? "M\xFCller" : "M\xC3\xBCller") << bytes.size();
        }
    }
}

// A text read as UTF-8 for its first megabyte that shows a byte of
// Windows-1252 near its end is read as Windows-1252 from its first line:
// every record as its bytes stand.
TEST_F(TextReaderTest, AWindows1252ByteNearTheEndMakesTheWholeTextWindows1252)
{
    const Fields utf8Line { "M\xC3\xBCller", "Stra\xC3\x9F" "e" };
    std::string bytes;
    std::size_t lines = 0;
    for (; bytes.size() < (1u << 20); ++lines)
        bytes += utf8Line[0] + ";" + utf8Line[1] + "\r\n";
    bytes += "G\xF6tz;x\r\n" + utf8Line[0] + "\r\n";
    const auto records = Read(bytes);
    EXPECT_FALSE(table.TextIsUtf8());
    ASSERT_EQ(records.size(), lines + 2);
    for (std::size_t r = 0; r < lines; ++r)
        ASSERT_EQ(records[r], utf8Line) << r;
    EXPECT_EQ(records[lines], (Fields { "G\xF6tz", "x" }));
    EXPECT_EQ(records[lines + 1], Fields { utf8Line[0] });
}

TEST_F(TextReaderTest, Utf8FieldToAnsiUsesBaseLetters)
{
    EXPECT_EQ(Utf8FieldToAnsi("\xC5\x91\xC5\xA1\xE1\xBB\x87"), "o\x9A" "e");  // ő š ệ
    EXPECT_EQ(Utf8FieldToAnsi("a\xFF" "b"), "a b");  // a malformed byte
    // Appended to what another field left, a field reads as it does alone:
    // a blank dropped with an emoji looks at the field's own text only.
    for (const char* before : { "", "x ", "y" }) {
        for (const char* field : { "\xF0\x9F\x98\x80 a", " \xF0\x9F\x98\x80 b", "x \xF0\x9F\x98\x80", "M\xC3\xBCller" }) {
            std::string out = before;
            AppendUtf8FieldAsAnsi(out, field);
            EXPECT_EQ(out, before + Utf8FieldToAnsi(field)) << before << field;
        }
    }
}

TEST_F(TextReaderTest, ImportOfAUtf8FileTakesTheConvertedTextUnlessDosIsChosen)
{
    Read("M\xC3\xBCller;1\n");
    CImportConfig config;
    config.assignment[0] = 0;
    CCardList windows;
    ASSERT_EQ(ImportRun(windows, table, config, 0, nullptr), 1);
    EXPECT_EQ(windows.At(0)->GetLine(0), "M\xFCller");
    // With the DOS character set the file's bytes are taken as code page 850.
    config.characterSet = static_cast<uint8_t>(CharacterSet::Dos);
    CCardList dos;
    ASSERT_EQ(ImportRun(dos, table, config, 0, nullptr), 1);
    std::string expected;
    for (char c : OemToAnsi("M\xC3\xBCller"))
        expected += static_cast<char>(MapToDeviceCharset(static_cast<unsigned char>(c)));
    EXPECT_EQ(dos.At(0)->GetLine(0), expected);
    EXPECT_NE(expected, "M\xFCller");
}

// UTF-16 of the text, little-endian or big-endian, without a mark.
std::string Utf16(std::u16string_view text, bool bigEndian = false)
{
    std::string bytes;
    for (char16_t unit : text) {
        char lo = static_cast<char>(unit & 0xFF), hi = static_cast<char>(unit >> 8);
        bytes += bigEndian ? std::string { hi, lo } : std::string { lo, hi };
    }
    return bytes;
}

TEST_F(TextReaderTest, UnicodeTextOfASpreadsheetProgramIsConverted)
{
    // LibreOffice Calc's "Unicode text": UTF-16 LE with its mark, tabs.
    std::ifstream in(std::string(VELKARO_SOURCE_DIR) + "/tests/exchange/fixtures/libreoffice_utf16.txt",
                     std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto records = Read(bytes);
    EXPECT_TRUE(table.TextIsUtf8());
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], (Fields { "Name", "Telefon", "Ort" }));
    EXPECT_EQ(records[1], (Fields { "M\xFCller, Hans", "030 123456", "L\xF3" "dz" }));
    // The euro sign is in Windows-1252; a character beyond the basic plane
    // with no Latin form is left out, and the blank before it with it.
    EXPECT_EQ(records[2], (Fields { "\xC6r\xF8 \x80 5", "0049 (89) 1;2", "Smile" }));
    // The raw fields, which the DOS character set applies to, are the text in UTF-8.
    EXPECT_EQ((*table.RawRecord(1))[0], "M\xC3\xBCller, Hans");
}

TEST_F(TextReaderTest, Utf16InBothByteOrdersWithCrLfAndBrokenUnits)
{
    const std::u16string text = u"Stra\u00DFe;\u20AC\r\n\u00C4rger;\U0001F600x\r\n";
    const Fields first { "Stra\xDF" "e", "\x80" };
    const Fields second { "\xC4rger", "x" };
    for (bool bigEndian : { false, true }) {
        std::string mark = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        EXPECT_EQ(Read(mark + Utf16(text, bigEndian)), (std::vector<Fields> { first, second })) << bigEndian;
        EXPECT_EQ(table.RawRecord(0)->at(0), "Stra\xC3\x9F" "e");
    }
    // A lone surrogate and an odd byte at the end become blanks; a
    // character 26 ends the file as in any text file.
    std::u16string broken = u"a;b";
    broken += char16_t(0xDC00);
    broken += u"\n";
    broken += char16_t(0xD800);
    broken += u"c\n\u001Aafter\n";
    EXPECT_EQ(Read("\xFF\xFE" + Utf16(broken)), (std::vector<Fields> { { "a", "b " }, { " c" } }));
    // An odd last byte is no character; a file of only its mark no line.
    EXPECT_EQ(Read("\xFF\xFE" + Utf16(u"x;y") + "z"), (std::vector<Fields> { { "x", "y" } }));
    EXPECT_EQ(Read("\xFF\xFE"), (std::vector<Fields> {}));
    EXPECT_EQ(Read("\xEF\xBB\xBF"), (std::vector<Fields> {}));
    // Without a mark the bytes stay bytes: the first NUL ends each piece.
    EXPECT_EQ(Read(Utf16(u"ab;c\n")), (std::vector<Fields> { { "a" }, { "" } }));
    EXPECT_FALSE(table.TextIsUtf8());
    // A mark alone reads as a UTF-8 file holding only its mark.
    EXPECT_EQ(Read("\xFE\xFF"), Read("\xEF\xBB\xBF"));
}

TEST_F(TextReaderTest, Utf16ImportWithTheDosOptionTakesTheUtf8Bytes)
{
    // As for a UTF-8 file, the DOS character set applies to the file's text
    // in UTF-8, never to the UTF-16 bytes with their NULs.
    Read("\xFF\xFE" + Utf16(u"M\u00FCller;1\n"));
    CImportConfig config;
    config.assignment[0] = 0;
    config.characterSet = static_cast<uint8_t>(CharacterSet::Dos);
    CCardList dos;
    ASSERT_EQ(ImportRun(dos, table, config, 0, nullptr), 1);
    std::string expected;
    for (char c : OemToAnsi("M\xC3\xBCller"))
        expected += static_cast<char>(MapToDeviceCharset(static_cast<unsigned char>(c)));
    EXPECT_EQ(dos.At(0)->GetLine(0), expected);
    config.characterSet = static_cast<uint8_t>(CharacterSet::Windows);
    CCardList windows;
    ASSERT_EQ(ImportRun(windows, table, config, 0, nullptr), 1);
    EXPECT_EQ(windows.At(0)->GetLine(0), "M\xFCller");
}

TEST_F(TextReaderTest, SeparatorSampleAndLineEndsAcrossReadBlocks)
{
    // The file is read in blocks of 64 KiB: a CR LF pair split between two
    // blocks is still one line end. The separator comes from the first
    // 10000 characters only, here all x: none.
    std::string bytes(65535, 'x');
    bytes += "\r\nA,B\r\n";
    auto records = Read(bytes);
    ASSERT_EQ(records.size(), 8u);  // 6 pieces of 9998 characters, the rest, and A,B
    EXPECT_EQ(records[6], (Fields { std::string(65535 - 6 * 9998, 'x') }));
    EXPECT_EQ(records[7], (Fields { "A,B" }));
    // A CR alone stays a character of the text.
    EXPECT_EQ(Read("a;b\rc\n"), (std::vector<Fields> { { "a", "b\rc" } }));
    EXPECT_EQ(Read("a;b\r"), (std::vector<Fields> { { "a", "b\r" } }));
}

TEST_F(TextReaderTest, BytesInMemoryReadAsTheFile)
{
    CImportTable memory;
    EXPECT_TRUE(ReadTextBytes("a|b\r\n'c|d'|e\x1Aignored", memory));
    EXPECT_EQ(memory.RecordCount(), 2);
    EXPECT_EQ(memory.FieldText(1, 0), "c|d");
    EXPECT_EQ(memory.FieldText(1, 1), "e");
    EXPECT_FALSE(ReadTextBytes("", memory));
}

}  // namespace
}  // namespace velkaro
