#include "model/Archive.h"

#include "text/Language.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace velkaro {
namespace {

// Hand-made archives, byte by byte.
struct Bytes {
    std::string s;
    Bytes& b(uint8_t v)
    {
        s += static_cast<char>(v);
        return *this;
    }
    Bytes& w(uint16_t v) { return b(static_cast<uint8_t>(v & 0xFF)).b(static_cast<uint8_t>(v >> 8)); }
    Bytes& d(uint32_t v) { return w(static_cast<uint16_t>(v & 0xFFFF)).w(static_cast<uint16_t>(v >> 16)); }
    Bytes& raw(const std::string& t)
    {
        s += t;
        return *this;
    }
    Bytes& str(const std::string& t) { return b(static_cast<uint8_t>(t.size())).raw(t); }
    Bytes& header(uint8_t version) { return raw(std::string("\x12\x0C\x04\x21\x19\x02\x61\x00", 8)).b(version); }
    Bytes& newClass(uint16_t schema, const std::string& name = "CKarte")
    {
        return w(0xFFFF).w(schema).w(static_cast<uint16_t>(name.size())).raw(name);
    }
    Bytes& card2(uint8_t edited, uint8_t marked, std::initializer_list<std::string> lines)
    {
        b(edited).b(marked).w(static_cast<uint16_t>(lines.size()));
        for (const auto& line : lines)
            str(line);
        return *this;
    }
};

std::unique_ptr<CKarte> NewCard(std::initializer_list<std::string> lines)
{
    auto card = std::make_unique<CKarte>();
    int i = 0;
    for (const auto& line : lines)
        card->SetLine(i++, line);
    return card;
}

std::string Hex(const std::string& bytes)
{
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    return out;
}

TEST(Archive, ExampleCollectionBytes)
{
    CCardList list;
    list.InsertSorted(NewCard({ "Ab", "1" }), false);
    const unsigned char expected[] = { 0x12, 0x0C, 0x04, 0x21, 0x19, 0x02, 0x61, 0x00, 0x0C, 0x01, 0x00,
                                       0xFF, 0xFF, 0x02, 0x00, 0x06, 0x00, 0x43, 0x4B, 0x61, 0x72, 0x74,
                                       0x65, 0x00, 0x00, 0x02, 0x00, 0x02, 0x41, 0x62, 0x01, 0x31 };
    EXPECT_EQ(Hex(WriteArchive(list)), Hex(std::string(reinterpret_cast<const char*>(expected), sizeof expected)));
}

TEST(Archive, EmptyCollectionIsHeaderAndZeroCount)
{
    CCardList list;
    EXPECT_EQ(Hex(WriteArchive(list)), Hex(Bytes().header(12).w(0).s));
}

TEST(Archive, LaterCardsReferToTheClassAndAllLinesAreWritten)
{
    CCardList list;
    list.InsertSorted(NewCard({ "Ab" }), false);
    auto second = NewCard({ "Cd", "", "x" });
    second->SetEditedByte(1);
    second->SetMarkByte(1);
    list.InsertSorted(std::move(second), false);
    std::string expected = Bytes().header(12).w(2).newClass(2).card2(0, 0, { "Ab" }).w(0x8001).card2(1, 1, { "Cd", "", "x" }).s;
    EXPECT_EQ(Hex(WriteArchive(list)), Hex(expected));
}

TEST(Archive, FieldNamesCardIsWrittenWhereItSortsAndHeldApartAfterwards)
{
    CCardList list;
    list.SetFieldNames(NewCard({ ReservedName(), "Mobil" }));
    std::string bytes = WriteArchive(list);
    EXPECT_EQ(Hex(bytes), Hex(Bytes().header(12).w(1).newClass(2).card2(0, 0, { ReservedName(), "Mobil" }).s));
    EXPECT_TRUE(list.IsEmpty());
    ASSERT_NE(list.FieldNames(), nullptr);

    CCardList read;
    ASSERT_TRUE(ReadArchive(bytes, read));
    EXPECT_TRUE(read.IsEmpty());
    ASSERT_NE(read.FieldNames(), nullptr);
    EXPECT_EQ(read.FieldNames()->GetLine(1), "Mobil");
}

// A file made elsewhere may put control characters into card lines: they are
// read as blanks and counted, so that nothing steers the telephone's line.
TEST(Archive, ControlCharactersInCardsAreReadAsBlanks)
{
    CCardList list;
    list.InsertSorted(NewCard({ "Anna", std::string("030\r1\x1B", 6) }), false);
    list.InsertSorted(NewCard({ "Berg", "0401" }), false);
    CCardList read;
    const ArchiveResult result = ReadArchive(WriteArchive(list), read);
    ASSERT_TRUE(result);
    EXPECT_EQ(result.cardsWithControls, 1);
    EXPECT_EQ(read.At(0)->GetLine(1), "030 1");
}

TEST(Archive, StringLengthPrefixes)
{
    CCardList list;
    list.InsertSorted(NewCard({ "A" }), false);
    auto lines = list.At(0)->StoredLines();
    lines.push_back(std::string(254, 'a'));
    lines.push_back(std::string(255, 'b'));
    lines.push_back(std::string(0xFFFE, 'c'));
    list.At(0)->SetStoredLines(lines);
    std::string bytes = WriteArchive(list);
    std::string expected = Bytes().header(12).w(1).newClass(2).b(0).b(0).w(4).str("A").b(254).raw(std::string(254, 'a'))
                               .b(0xFF).w(255).raw(std::string(255, 'b'))
                               .b(0xFF).w(0xFFFF).d(0xFFFE).raw(std::string(0xFFFE, 'c')).s;
    EXPECT_EQ(bytes, expected);

    CCardList read;
    ASSERT_TRUE(ReadArchive(bytes, read));
    EXPECT_EQ(read.At(0)->StoredLines(), list.At(0)->StoredLines());
}

TEST(Archive, Version12IsReadAsStored)
{
    std::string bytes = Bytes().header(12).w(2).newClass(2).card2(1, 1, { "Meier", "0441", "" }).w(0x8001).card2(0, 0, { "Zora" }).s;
    CCardList list;
    ArchiveResult r = ReadArchive(bytes, list);
    ASSERT_TRUE(r) << r.message;
    EXPECT_EQ(r.fileVersion, 12);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.At(0)->EditedByte(), 1);
    EXPECT_EQ(list.At(0)->MarkByte(), 1);
    EXPECT_EQ(list.At(0)->LineCount(), 3);  // the empty stored line is kept
    EXPECT_EQ(list.At(1)->Name(), "Zora");
    EXPECT_EQ(WriteArchive(list), bytes);
}

TEST(Archive, Version11IsResortedAndNumbered)
{
    std::string bytes = Bytes().header(11).w(3).newClass(2)
                            .card2(0, 1, { "Zora" })
                            .w(0x8001).card2(0, 0, { "M\xfcller", "1" })
                            .w(0x8001).card2(1, 0, { "M\xdcLLER", "2" }).s;
    CCardList list;
    ArchiveResult r = ReadArchive(bytes, list);
    ASSERT_TRUE(r) << r.message;
    EXPECT_EQ(r.fileVersion, 11);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.At(0)->Name(), "M\xfcller");
    EXPECT_EQ(list.At(1)->Name(), "M\xdcLLER" + std::string(13, ' ') + "1");
    EXPECT_EQ(list.At(1)->GetLine(1), "2");
    EXPECT_EQ(list.At(2)->Name(), "Zora");
    EXPECT_EQ(list.At(2)->MarkByte(), 1);
}

TEST(Archive, Version10SchemaOneHasNoMark)
{
    // Schema 1: edited, the name, (the mark from version 11 on), the other lines.
    std::string bytes = Bytes().header(10).w(2).newClass(1)
                            .b(1).str("Zora").w(1).str("0441")
                            .w(0x8001).b(0).str("Anna").w(0).s;
    CCardList list;
    ArchiveResult r = ReadArchive(bytes, list);
    ASSERT_TRUE(r) << r.message;
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.At(0)->Name(), "Anna");
    EXPECT_EQ(list.At(0)->LineCount(), 1);
    EXPECT_EQ(list.At(1)->Name(), "Zora");
    EXPECT_EQ(list.At(1)->GetLine(1), "0441");
    EXPECT_EQ(list.At(1)->EditedByte(), 1);
    EXPECT_EQ(list.At(1)->MarkByte(), 0);
}

TEST(Archive, Version11SchemaOneCarriesTheMark)
{
    std::string bytes = Bytes().header(11).w(1).newClass(1).b(0).str("Zora").b(1).w(0).s;
    CCardList list;
    ASSERT_TRUE(ReadArchive(bytes, list));
    EXPECT_EQ(list.At(0)->MarkByte(), 1);
}

TEST(Archive, ObjectFraming)
{
    // A back reference to card 2 (class 1, card 2), a null object, and a
    // class given by the big tag.
    std::string bytes = Bytes().header(12).w(4).newClass(2).card2(0, 1, { "Anna" })
                            .w(0x0002).w(0x0000)
                            .w(0x7FFF).d(0x80000001).card2(0, 0, { "Bert" }).s;
    CCardList list;
    ArchiveResult r = ReadArchive(bytes, list);
    ASSERT_TRUE(r) << r.message;
    ASSERT_EQ(list.Count(), 3);
    // The copy is a second card of the same name: it is numbered.
    EXPECT_EQ(list.At(0)->Name(), "Anna");
    EXPECT_EQ(list.At(1)->Name(), "Anna" + std::string(15, ' ') + "1");
    EXPECT_NE(list.At(0), list.At(1));  // its own copy
    EXPECT_EQ(list.At(1)->MarkByte(), 1);
    EXPECT_EQ(list.At(2)->Name(), "Bert");
}

// Each of these fails cleanly and leaves the target list alone.
void ExpectFailure(const std::string& bytes, ArchiveError error)
{
    CCardList list;
    list.InsertSorted(NewCard({ "Keep" }), false);
    ArchiveResult r = ReadArchive(bytes, list, "file.vlx");
    EXPECT_EQ(r.error, error) << Hex(bytes.substr(0, 64));
    EXPECT_FALSE(r.message.empty());
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.At(0)->Name(), "Keep");
}

TEST(Archive, BadMagicAndVersion)
{
    SetLanguageOffset(kLangGerman);
    std::string good = Bytes().header(12).w(0).s;
    std::string badZero = good;
    badZero[7] = 1;
    ExpectFailure(badZero, ArchiveError::BadFormat);
    ExpectFailure(Bytes().header(13).w(0).s, ArchiveError::BadFormat);
    ExpectFailure(Bytes().header(9).w(0).s, ArchiveError::BadFormat);
    ExpectFailure(good.substr(0, 8), ArchiveError::BadFormat);  // no version byte
    ExpectFailure("", ArchiveError::BadFormat);

    CCardList list;
    EXPECT_EQ(ReadArchive(badZero, list).message, "Falsches Datei-Format");
}

TEST(Archive, EveryTruncationFails)
{
    std::string bytes = Bytes().header(12).w(2).newClass(2).card2(0, 0, { "Anna", "1" }).w(0x8001).card2(0, 0, { "Bert" }).s;
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        CCardList list;
        list.InsertSorted(NewCard({ "Keep" }), false);
        EXPECT_FALSE(ReadArchive(bytes.substr(0, n), list)) << n;
        EXPECT_EQ(list.Count(), 1);
    }
}

TEST(Archive, DamagedFramingAndImpossibleCounts)
{
    const auto head = [] { return Bytes().header(12); };
    // Counts and lengths no file of this size could hold.
    ExpectFailure(head().w(0xFFFF).d(0xFFFFFFFF).s, ArchiveError::Damaged);
    ExpectFailure(head().w(1).newClass(2).b(0).b(0).w(0xFFFF).d(0x7FFFFFFF).s, ArchiveError::Damaged);
    ExpectFailure(head().w(1).newClass(2).b(0).b(0).w(1).b(0xFF).w(0xFFFF).d(0xFFFFFFF0).s, ArchiveError::Damaged);
    ExpectFailure(head().w(1).newClass(2).b(0).b(0).w(1).b(0xFF).w(0xFFFE).b(0xFF).w(0xFFFF).d(0x80000000).s,
                  ArchiveError::Damaged);
    // Unknown class, overlong class name, bad schema.
    ExpectFailure(head().w(1).newClass(2, "CFoo").card2(0, 0, { "A" }).s, ArchiveError::Damaged);
    ExpectFailure(head().w(1).newClass(2, std::string(64, 'C')).card2(0, 0, { "A" }).s, ArchiveError::Damaged);
    ExpectFailure(head().w(1).newClass(3).card2(0, 0, { "A" }).s, ArchiveError::Damaged);
    // References to things not read yet, or of the wrong kind.
    ExpectFailure(head().w(1).w(0x8001).card2(0, 0, { "A" }).s, ArchiveError::Damaged);
    ExpectFailure(head().w(1).w(0x0005).s, ArchiveError::Damaged);
    ExpectFailure(head().w(2).newClass(2).card2(0, 0, { "A" }).w(0x0001).s, ArchiveError::Damaged);
    ExpectFailure(head().w(2).newClass(2).card2(0, 0, { "A" }).w(0x8002).card2(0, 0, { "B" }).s, ArchiveError::Damaged);
}

TEST(Archive, WideStringsAreConverted)
{
    // The class library's UTF-16 form: FF FEFF, then the length in characters.
    std::string bytes = Bytes().header(12).w(1).newClass(2).b(0).b(0).w(1)
                            .b(0xFF).w(0xFFFE).b(3).w('A').w(0x00E9).w(0x4E2D).s;
    CCardList list;
    ASSERT_TRUE(ReadArchive(bytes, list));
    EXPECT_EQ(list.At(0)->Name(), "A\xe9?");
}

TEST(Archive, ReferencesCannotMultiplyACardBeyondWhatTheFileHolds)
{
    SetLanguageOffset(kLangGerman);
    // One card of 1000 empty lines, then 2000 references to it: 5 KB that
    // would become two million lines.
    Bytes file = Bytes().header(12).w(2001).newClass(2).b(0).b(0).w(1000);
    for (int i = 0; i < 1000; ++i)
        file.b(0);
    for (int i = 0; i < 2000; ++i)
        file.w(0x0002);
    ExpectFailure(file.s, ArchiveError::Damaged);
    CCardList list;
    EXPECT_EQ(ReadArchive(file.s, list, "bombe.vlx").message, "bombe.vlx hat ein unerwartetes Format.");
}

TEST(Archive, Version12OutOfOrderIsSortedAndNumberedLikeOlderVersions)
{
    // Written by hand or by another program: out of order, two equal names,
    // the field-names card in the middle.
    std::string bytes = Bytes().header(12).w(5).newClass(2)
                            .card2(0, 0, { "Zora", "1" })
                            .w(0x8001).card2(0, 0, { ReservedName(), "Mobil" })
                            .w(0x8001).card2(0, 0, { "Meier", "2" })
                            .w(0x8001).card2(1, 1, { "MEIER", "3" })
                            .w(0x8001).card2(0, 0, { "Anna", "4" }).s;
    CCardList list;
    ArchiveResult r = ReadArchive(bytes, list);
    ASSERT_TRUE(r) << r.message;
    EXPECT_EQ(r.fileVersion, 12);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.At(0)->Name(), "Anna");
    EXPECT_EQ(list.At(1)->Name(), "Meier");
    EXPECT_EQ(list.At(2)->Name(), "MEIER" + std::string(14, ' ') + "1");
    EXPECT_EQ(list.At(2)->GetLine(1), "3");
    EXPECT_EQ(list.At(2)->MarkByte(), 1);
    EXPECT_EQ(list.At(3)->Name(), "Zora");
    ASSERT_NE(list.FieldNames(), nullptr);
    EXPECT_EQ(list.FieldNames()->GetLine(1), "Mobil");
    // Every search finds its card again.
    EXPECT_EQ(list.FindName("zora").index, 3);
    EXPECT_EQ(list.FindName("meier").kind, MatchKind::Equal);

    // Written back, it is in order and reads as stored.
    std::string written = WriteArchive(list);
    CCardList again;
    ASSERT_TRUE(ReadArchive(written, again));
    EXPECT_EQ(WriteArchive(again), written);
}

class ArchiveFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("velkaro-archive-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

TEST_F(ArchiveFile, SaveReplacesTheTargetAndLeavesNoTemporaryFile)
{
    std::string path = (dir / "cards.vlx").string();
    {
        std::ofstream old(path, std::ios::binary);
        old << "old contents";
    }
    ::chmod(path.c_str(), 0640);
    CCardList list;
    list.InsertSorted(NewCard({ "Ab", "1" }), false);
    ArchiveResult r = SaveCardFile(path, list);
    ASSERT_TRUE(r) << r.message;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    CCardList read;
    r = LoadCardFile(path, read);
    ASSERT_TRUE(r) << r.message;
    ASSERT_EQ(read.Count(), 1);
    EXPECT_EQ(read.At(0)->GetLine(1), "1");
}

TEST_F(ArchiveFile, FileErrors)
{
    CCardList list;
    list.InsertSorted(NewCard({ "Keep" }), false);
    EXPECT_EQ(SaveCardFile((dir / "missing" / "x.vlx").string(), list).error, ArchiveError::FileError);
    EXPECT_EQ(LoadCardFile((dir / "absent.vlx").string(), list).error, ArchiveError::FileError);
    EXPECT_EQ(LoadCardFile(dir.string(), list).error, ArchiveError::FileError);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(std::filesystem::is_empty(dir));
    // A named pipe no one writes into is refused at once, not waited for.
    const std::string pipe = (dir / "pipe.vlx").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(LoadCardFile(pipe, list).error, ArchiveError::FileError);
    EXPECT_EQ(list.Count(), 1);
}

}  // namespace
}  // namespace velkaro
