// The compound-file reader: streams of files written by LibreOffice and
// SheetJS, a file built here sector by sector, and damaged files.

#include "exchange/BiffReader.h"
#include "exchange/CompoundFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace velkaro {
namespace {

constexpr std::uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSect = 0xFFFFFFFD, kDifSect = 0xFFFFFFFC;

std::string Fixture(const std::string& name)
{
    std::ifstream in(std::string(VELKARO_SOURCE_DIR) + "/tests/exchange/fixtures/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void Put16(std::string& b, std::size_t at, std::uint32_t v)
{
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}

void Put32(std::string& b, std::size_t at, std::uint32_t v)
{
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

std::uint32_t Get32(const std::string& b, std::size_t at)
{
    auto u = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + i])); };
    return u(0) | u(1) << 8 | u(2) << 16 | u(3) << 24;
}

// A version 3 compound file (512-byte sectors) holding one stream in
// regular sectors: FAT sectors, DIFAT sectors when more than 109 FAT
// sectors are needed, one directory sector, then the stream.
struct Built {
    std::string bytes;
    std::uint32_t firstFat = 0, firstStream = 0, dirSector = 0;
    std::size_t Offset(std::uint32_t sector) const { return (sector + 1) * 512u; }
};

Built BuildCompound(const std::string& name, const std::string& data)
{
    std::uint32_t n = static_cast<std::uint32_t>((data.size() + 511) / 512);
    std::uint32_t f = 1, d = 0;
    for (;;) {
        std::uint32_t total = n + 1 + f + d;
        std::uint32_t f2 = (total + 127) / 128;
        std::uint32_t d2 = f2 > 109 ? (f2 - 109 + 126) / 127 : 0;
        if (f2 == f && d2 == d)
            break;
        f = f2;
        d = d2;
    }
    Built b;
    b.dirSector = f + d;
    b.firstStream = f + d + 1;
    std::uint32_t total = b.firstStream + n;
    b.bytes.assign((total + 1) * 512u, '\0');

    std::string& s = b.bytes;
    const unsigned char sig[] = { 0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1 };
    for (int i = 0; i < 8; ++i)
        s[i] = static_cast<char>(sig[i]);
    Put16(s, 0x18, 0x3E);
    Put16(s, 0x1A, 3);
    Put16(s, 0x1C, 0xFFFE);
    Put16(s, 0x1E, 9);
    Put16(s, 0x20, 6);
    Put32(s, 0x2C, f);
    Put32(s, 0x30, b.dirSector);
    Put32(s, 0x38, 4096);
    Put32(s, 0x3C, kEnd);
    Put32(s, 0x44, d ? f : kEnd);
    Put32(s, 0x48, d);
    for (std::uint32_t i = 0; i < 109; ++i)
        Put32(s, 0x4C + 4 * i, i < f ? i : kFree);
    // DIFAT sectors: 127 FAT sector numbers and the next DIFAT sector.
    for (std::uint32_t k = 0; k < d; ++k) {
        std::size_t at = b.Offset(f + k);
        for (std::uint32_t i = 0; i < 127; ++i) {
            std::uint32_t fat = 109 + k * 127 + i;
            Put32(s, at + 4 * i, fat < f ? fat : kFree);
        }
        Put32(s, at + 508, k + 1 < d ? f + k + 1 : kEnd);
    }
    // The allocation table.
    auto setFat = [&](std::uint32_t sector, std::uint32_t value) {
        Put32(s, b.Offset(sector / 128) + 4 * (sector % 128), value);
    };
    for (std::uint32_t i = 0; i < f * 128; ++i)
        setFat(i, kFree);
    for (std::uint32_t i = 0; i < f; ++i)
        setFat(i, kFatSect);
    for (std::uint32_t i = 0; i < d; ++i)
        setFat(f + i, kDifSect);
    setFat(b.dirSector, kEnd);
    for (std::uint32_t i = 0; i < n; ++i)
        setFat(b.firstStream + i, i + 1 < n ? b.firstStream + i + 1 : kEnd);
    // The directory: the root, the stream, two unused entries.
    std::size_t dir = b.Offset(b.dirSector);
    auto entry = [&](std::size_t at, const std::string& entryName, int type, std::uint32_t child,
                     std::uint32_t start, std::uint32_t size) {
        for (std::size_t i = 0; i < entryName.size(); ++i)
            Put16(s, at + 2 * i, static_cast<unsigned char>(entryName[i]));
        Put16(s, at + 0x40, static_cast<std::uint32_t>(2 * entryName.size() + 2));
        s[at + 0x42] = static_cast<char>(type);
        Put32(s, at + 0x44, kFree);
        Put32(s, at + 0x48, kFree);
        Put32(s, at + 0x4C, child);
        Put32(s, at + 0x74, start);
        Put32(s, at + 0x78, size);
    };
    entry(dir, "Root Entry", 5, 1, kEnd, 0);
    entry(dir + 128, name, 2, kFree, b.firstStream, static_cast<std::uint32_t>(data.size()));
    entry(dir + 256, "", 0, kFree, 0, 0);
    entry(dir + 384, "", 0, kFree, 0, 0);
    s.replace(b.Offset(b.firstStream), data.size(), data);
    return b;
}

std::string Pattern(std::size_t size)
{
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>(i * 7 + i / 511);
    return data;
}

TEST(CompoundFile, ReadsTheWorkbookStreamOfLibreOfficeAndSheetJsFiles)
{
    for (const char* name : { "libreoffice_biff8.xls", "sheetjs_biff8.xls" }) {
        std::string bytes = Fixture(name);
        ASSERT_TRUE(CCompoundFile::HasSignature(bytes)) << name;
        CCompoundFile file;
        ASSERT_TRUE(file.Open(bytes)) << name;
        auto stream = file.ReadStream("Workbook");
        ASSERT_TRUE(stream) << name;
        // Every workbook stream begins with a BIFF 8 BOF.
        ASSERT_GE(stream->size(), 8u);
        EXPECT_EQ(stream->substr(0, 2), std::string("\x09\x08", 2)) << name;
        EXPECT_EQ(stream->substr(4, 2), std::string("\x00\x06", 2)) << name;
        EXPECT_TRUE(file.ReadStream("workbook")) << "names compare without case";
        EXPECT_FALSE(file.ReadStream("Book"));
    }
    CCompoundFile biff5;
    std::string bytes = Fixture("sheetjs_biff5.xls");
    ASSERT_TRUE(biff5.Open(bytes));
    EXPECT_TRUE(biff5.ReadStream("Book"));
}

TEST(CompoundFile, DocumentWithoutWorkbookHasOtherStreams)
{
    std::string bytes = Fixture("no_workbook.doc");
    CCompoundFile file;
    ASSERT_TRUE(file.Open(bytes));
    auto names = file.RootNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "WordDocument"), names.end());
    EXPECT_FALSE(file.ReadStream("Workbook"));
    EXPECT_FALSE(file.ReadStream("Book"));
}

// A workbook of today's format saved with a password is a compound file
// holding its ciphered package: it says so rather than "unknown format".
TEST(CompoundFile, CipheredWorkbookSaysItHasAPassword)
{
    CImportTable table;
    CBiffReader reader;
    EXPECT_FALSE(reader.ReadFileBytes(BuildCompound("EncryptionInfo", std::string(5000, 'x')).bytes, table, nullptr));
    EXPECT_EQ(reader.ErrorCode(), BiffError::PasswordProtected);
}

TEST(CompoundFile, BuiltFileGivesItsStreamBackExactly)
{
    std::string data = Pattern(5000);
    Built b = BuildCompound("Workbook", data);
    CCompoundFile file;
    ASSERT_TRUE(file.Open(b.bytes));
    EXPECT_EQ(file.ReadStream("Workbook"), data);
    EXPECT_FALSE(file.ReadStream("Work"));
}

TEST(CompoundFile, FatBeyondTheHeadersSectorsComesFromTheDifatChain)
{
    // More than 109 FAT sectors: a stream of more than 109 * 128 sectors.
    std::string data = Pattern(110 * 128 * 512);
    Built b = BuildCompound("Workbook", data);
    ASSERT_GT(Get32(b.bytes, 0x48), 0u);
    CCompoundFile file;
    ASSERT_TRUE(file.Open(b.bytes));
    EXPECT_EQ(file.ReadStream("Workbook"), data);
}

TEST(CompoundFile, CyclesAndSectorsOutsideTheFileAreRefused)
{
    std::string data = Pattern(5000);
    Built good = BuildCompound("Workbook", data);
    auto fatEntry = [&](std::uint32_t sector) { return good.Offset(sector / 128) + 4 * (sector % 128); };

    Built cycle = good;
    Put32(cycle.bytes, fatEntry(good.firstStream + 3), good.firstStream);
    CCompoundFile a;
    ASSERT_TRUE(a.Open(cycle.bytes));
    EXPECT_FALSE(a.ReadStream("Workbook"));

    Built outside = good;
    Put32(outside.bytes, fatEntry(good.firstStream + 1), 100000);
    CCompoundFile b;
    ASSERT_TRUE(b.Open(outside.bytes));
    EXPECT_FALSE(b.ReadStream("Workbook"));

    Built dirCycle = good;
    Put32(dirCycle.bytes, fatEntry(good.dirSector), good.dirSector);
    CCompoundFile c;
    EXPECT_FALSE(c.Open(dirCycle.bytes));
}

TEST(CompoundFile, StreamLargerThanItsChainIsRefusedWithoutAllocatingIt)
{
    Built b = BuildCompound("Workbook", Pattern(5000));
    Put32(b.bytes, b.Offset(b.dirSector) + 128 + 0x78, 0xFFFFFF00u);
    CCompoundFile file;
    ASSERT_TRUE(file.Open(b.bytes));
    EXPECT_FALSE(file.ReadStream("Workbook"));
}

TEST(CompoundFile, DamagedMiniStreamChainIsRefused)
{
    // SheetJS keeps its small workbook stream in the mini stream.
    std::string bytes = Fixture("sheetjs_biff8.xls");
    std::uint32_t miniFatSector = Get32(bytes, 0x3C);
    ASSERT_NE(miniFatSector, kEnd);
    std::size_t at = (miniFatSector + 1) * 512u;
    for (std::size_t i = 0; i < 128; ++i)
        Put32(bytes, at + 4 * i, static_cast<std::uint32_t>(i));  // every mini sector points at itself
    CCompoundFile file;
    ASSERT_TRUE(file.Open(bytes));
    EXPECT_FALSE(file.ReadStream("Workbook"));
}

TEST(CompoundFile, HeaderDamageIsRefused)
{
    Built b = BuildCompound("Workbook", Pattern(600));
    CCompoundFile file;
    EXPECT_FALSE(file.Open(b.bytes.substr(0, 511)));
    EXPECT_FALSE(file.Open(b.bytes.substr(0, 512)));
    std::string badShift = b.bytes;
    Put16(badShift, 0x1E, 40);
    EXPECT_FALSE(file.Open(badShift));
    std::string badOrder = b.bytes;
    Put16(badOrder, 0x1C, 0xFEFF);
    EXPECT_FALSE(file.Open(badOrder));
    EXPECT_FALSE(CCompoundFile::HasSignature("\x09\x08\x10\x00"));
}

TEST(CompoundFile, TruncatedFixturesNeverReadPastTheirBytes)
{
    std::string bytes = Fixture("libreoffice_biff8.xls");
    for (std::size_t size = 0; size < bytes.size(); size += 509) {
        std::string cut = bytes.substr(0, size);
        CCompoundFile file;
        if (file.Open(cut))
            file.ReadStream("Workbook");
    }
}

}  // namespace
}  // namespace velkaro
