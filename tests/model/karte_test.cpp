#include "model/Charset.h"
#include "model/Karte.h"

#include "text/Language.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

CKarte Card(std::initializer_list<std::string> lines)
{
    CKarte card;
    int i = 0;
    for (const auto& line : lines)
        card.SetLine(i++, line);
    return card;
}

TEST(CharOrder, PunctuationSortsBeforeDigitsAndLetters)
{
    EXPECT_EQ(CharOrder(' '), 2);
    EXPECT_EQ(CharOrder('/'), 17);
    EXPECT_LT(CharOrder(':'), CharOrder('0'));
    EXPECT_LT(CharOrder('~'), CharOrder('0'));
    EXPECT_LT(CharOrder(0x80), CharOrder('0'));  // euro sign
    EXPECT_LT(CharOrder('@'), CharOrder('~'));
    EXPECT_LT(CharOrder('9'), CharOrder('A'));
}

TEST(CharOrder, AccentedLettersSitBesideTheirBase)
{
    EXPECT_EQ(CharOrder('A'), CharOrder('a'));
    EXPECT_EQ(CharOrder(0xC4), CharOrder(0xE4));  // Ä ä
    EXPECT_LT(CharOrder('A'), CharOrder(0xC4));
    EXPECT_LT(CharOrder(0xE0), CharOrder('B'));   // à
    EXPECT_GT(CharOrder(0xE0), CharOrder(0xC4));
    EXPECT_LT(CharOrder('Z'), CharOrder(0xC5));   // Å after Z
    EXPECT_EQ(CharOrder(0xC5), 73);
    EXPECT_EQ(CharOrder(0xE5), 73);
    EXPECT_EQ(CharOrder(0xC0), kNotOnTelephone);  // À
    EXPECT_EQ(CharOrder(0xC9), kNotOnTelephone);  // É
    EXPECT_EQ(CharOrder('['), kNotOnTelephone);
    EXPECT_EQ(CharOrder('_'), kNotOnTelephone);
    EXPECT_EQ(CharOrder(0x7F), kNotOnTelephone);
}

TEST(Charset, DeviceCodesRoundTrip)
{
    const unsigned char pairs[][2] = { { 0xC4, 0x8E }, { 0xC5, 0x8F }, { 0xE9, 0x82 }, { 0xF8, 0xE5 }, { 0xFC, 0x81 } };
    for (auto [ansi, device] : pairs) {
        EXPECT_EQ(AnsiToDevice(ansi), device);
        EXPECT_EQ(DeviceToAnsi(device), ansi);
    }
    for (int c = 0; c < 0x80; ++c)
        EXPECT_EQ(AnsiToDevice(static_cast<unsigned char>(c)), c);
    EXPECT_EQ(AnsiToDevice(0xC9), 0xC9);  // É is not on the telephone: unchanged
    // 0xE5 is å on this side and ø's code on the telephone's.
    EXPECT_EQ(AnsiToDevice(0xE5), 0x86);
    EXPECT_EQ(DeviceToAnsi(0xE5), 0xF8);
}

TEST(Charset, MapToDeviceCharset)
{
    EXPECT_EQ(MapToDeviceCharset('a'), 'a');
    EXPECT_EQ(MapToDeviceCharset(0xE4), 0xE4);
    EXPECT_EQ(MapToDeviceCharset('['), '(');
    EXPECT_EQ(MapToDeviceCharset('}'), ')');
    EXPECT_EQ(MapToDeviceCharset('|'), '/');
    EXPECT_EQ(MapToDeviceCharset('_'), '-');
    EXPECT_EQ(MapToDeviceCharset(0xC9), 'E');  // É
    EXPECT_EQ(MapToDeviceCharset(0xC0), 'A');  // À
    EXPECT_EQ(MapToDeviceCharset(0xFF), 'y');  // ÿ
    EXPECT_EQ(MapToDeviceCharset(0xE9), 0xE9); // é is on the telephone
    EXPECT_EQ(MapToDeviceCharset('\t'), ' ');
    EXPECT_EQ(MapToDeviceCharset('^'), ' ');
    EXPECT_EQ(MapToDeviceCharset(0xDF), ' ');  // ß
}

TEST(Charset, UpperCaseTakesAccentedLetters)
{
    EXPECT_EQ(AnsiToUpper(std::string("m\xfcller \xe9t\xe9 \xff")), "M\xdcLLER \xc9T\xc9 \x9f");
    EXPECT_EQ(AnsiToUpper(static_cast<unsigned char>(0xF7)), 0xF7);  // ÷ has no case
    EXPECT_EQ(AnsiToUpper(static_cast<unsigned char>(0xDF)), 0xDF);  // ß stays
}

TEST(Charset, Oem850ToAnsi)
{
    EXPECT_EQ(OemToAnsi(std::string("M\x81ller \x84\x94\x8e\x99\x9a\xe1")), "M\xfcller \xe4\xf6\xc4\xd6\xdc\xdf");
    EXPECT_EQ(OemToAnsi(static_cast<unsigned char>(0x82)), 0xE9);  // é
    EXPECT_EQ(OemToAnsi(static_cast<unsigned char>(0xC4)), '-');   // box drawing line
    EXPECT_EQ(OemToAnsi(static_cast<unsigned char>(0xDB)), '?');   // full block
    EXPECT_EQ(OemToAnsi(static_cast<unsigned char>('A')), 'A');
}

TEST(Charset, NameLetterTest)
{
    EXPECT_TRUE(IsNameLetter('M'));
    EXPECT_TRUE(IsNameLetter(0xC4));   // Ä
    EXPECT_TRUE(IsNameLetter(0xE8));   // è
    EXPECT_FALSE(IsNameLetter(0xE9));  // é: on the telephone, but not as first letter
    EXPECT_FALSE(IsNameLetter(0xE0));  // à
    EXPECT_FALSE(IsNameLetter(0xC9));  // É: not on the telephone
    EXPECT_FALSE(IsNameLetter('1'));
    EXPECT_FALSE(IsNameLetter(0x80));  // euro sign: on the telephone, not a letter
}

TEST(CKarte, LineLimitsAndTrailingBlanks)
{
    CKarte card;
    card.SetLine(1, std::string(25, '1'));
    EXPECT_EQ(card.GetLine(1).size(), 20u);
    card.SetLine(2, std::string(40, 'x'));
    EXPECT_EQ(card.GetLine(2).size(), 30u);
    card.SetLine(32, "ignored");
    card.SetLine(-1, "ignored");
    EXPECT_EQ(card.LineCount(), 3);
    card.SetLine(0, "  Meier \t ");
    EXPECT_EQ(card.GetLine(0), "  Meier");
    EXPECT_EQ(card.GetLine(40), "");
    EXPECT_EQ(card.LineLength(7), 0);
    card.SetLine(9, "x");
    EXPECT_EQ(card.LineCount(), 10);  // grown with empty lines
    EXPECT_EQ(card.GetLine(5), "");
    EXPECT_EQ(card.LastUsedLine(), 9);
    EXPECT_EQ(card.CountUsedExtraLines(), 2);
}

// A card's lines lie in one block, each after its length: lines of any
// length (a damaged or foreign archive has them) come back as they were, and
// a line set from another of the same card is copied before the block moves.
TEST(CKarte, StoredLinesOfAnyLengthComeBackAsTheyWere)
{
    const std::vector<std::string> lines { "", "Meier", std::string(254, 'a'), std::string(255, 'b'),
                                           std::string(70000, 'c'), "", "Ende" };
    CKarte card;
    card.SetStoredLines(lines);
    EXPECT_EQ(card.StoredLines(), lines);
    EXPECT_EQ(card.LineCount(), 7);
    EXPECT_EQ(card.Name(), "");
    card.SetLine(0, card.GetLine(6));
    card.SetLine(5, card.GetLine(1));
    EXPECT_EQ(card.Name(), "Ende");
    EXPECT_EQ(card.GetLine(5), "Meier");
    EXPECT_EQ(card.StoredLine(4).size(), 70000u);

    std::vector<std::string> many(40, "x");
    card.SetStoredLines(many);
    EXPECT_EQ(card.GetLine(35), "");  // beyond the telephone's lines
    EXPECT_EQ(card.StoredLine(35), "x");

    CKarte shortCard;
    shortCard.SetLine(0, "Meier");
    shortCard.SetLine(1, "030 1");
    EXPECT_EQ(shortCard.HeapBytes(), 0u);
}

TEST(CKarte, InsertIntoFullCardDropsLastLine)
{
    CKarte card;
    for (int i = 0; i < kMaxLines; ++i)
        card.SetLine(i, "L" + std::to_string(i));
    card.InsertLine(5);
    EXPECT_EQ(card.LineCount(), 32);
    EXPECT_EQ(card.GetLine(5), "");
    EXPECT_EQ(card.GetLine(6), "L5");
    EXPECT_EQ(card.GetLine(31), "L30");
    card.InsertLine(32);  // no such line
    EXPECT_EQ(card.GetLine(31), "L30");
    card.DeleteLine(0);
    EXPECT_EQ(card.GetLine(0), "L1");
    EXPECT_EQ(card.LineCount(), 31);
}

TEST(CKarte, CopyFromAndIsSameAs)
{
    CKarte a = Card({ "Meier", "123", "", "" });
    a.SetMarkByte(1);
    a.SetEditedByte(1);
    CKarte b;
    b.CopyFrom(&a);
    EXPECT_EQ(b.LineCount(), 2);  // up to the last used line only
    EXPECT_EQ(b.MarkByte(), 1);
    EXPECT_EQ(b.EditedByte(), 0);       // not copied
    EXPECT_TRUE(a.IsSameAs(&b));
    b.SetLine(0, "meier");
    EXPECT_FALSE(a.IsSameAs(&b));  // case matters here
    EXPECT_FALSE(a.IsSameAs(nullptr));
    b.CopyFrom(nullptr);
    EXPECT_EQ(b.LineCount(), 0);
    EXPECT_EQ(b.MarkByte(), 0);
    a.CopyFrom(&a);
    EXPECT_EQ(a.GetLine(1), "123");
}

TEST(CKarte, CompareNameFoldsCaseByTheCharacterOrder)
{
    CKarte meier = Card({ "meier" });
    NameCompare c = meier.CompareName("MEIER");
    EXPECT_EQ(c.order, 0);
    EXPECT_EQ(c.kind, MatchKind::Equal);

    CKarte full = Card({ "Meier" });
    c = full.CompareName("Mei");
    EXPECT_EQ(c.order, 1);
    EXPECT_EQ(c.kind, MatchKind::Prefix);

    c = Card({ "Mei" }).CompareName("Meier");
    EXPECT_EQ(c.order, -1);
    EXPECT_EQ(c.kind, MatchKind::None);

    EXPECT_EQ(Card({ "\xc4pfel" }).CompareName("Bach").order, -1);  // Äpfel before Bach
    EXPECT_EQ(Card({ "\xc4pfel" }).CompareName("Azur").order, 1);   // after Azur
    EXPECT_EQ(Card({ "\xc5se" }).CompareName("Zurbriggen").order, 1);
    EXPECT_EQ(Card({ "[x]" }).CompareName("\xc5").order, 1);  // not on the telephone: above all
    EXPECT_EQ(CKarte().CompareName("").kind, MatchKind::Equal);
}

TEST(CKarte, MakeNameUniqueEndsInColumn20)
{
    CKarte card = Card({ "Meier" });
    card.MakeNameUnique(1);
    EXPECT_EQ(card.Name(), "Meier" + std::string(14, ' ') + "1");
    card.MakeNameUnique(12);
    EXPECT_EQ(card.Name(), "Meier" + std::string(13, ' ') + "12");

    CKarte longName = Card({ "ABCDEFGHIJKLMNOPQRST" });
    longName.MakeNameUnique(12);
    EXPECT_EQ(longName.Name(), "ABCDEFGHIJKLMNOPQR12");
}

TEST(CKarte, FirstLineRule)
{
    EXPECT_TRUE(Card({ "Meier" }).CheckFirstLine(false));
    CKarte digit = Card({ "1st" });
    EXPECT_FALSE(digit.CheckFirstLine(true));
    EXPECT_EQ(digit.Name(), "A1st");
    CKarte eAcute = Card({ "\xe9t\xe9" });  // été
    EXPECT_FALSE(eAcute.CheckFirstLine(false));
    CKarte eAcuteUpper = Card({ "\xc9mile" });  // Émile
    EXPECT_FALSE(eAcuteUpper.CheckFirstLine(true));
    EXPECT_EQ(eAcuteUpper.Name(), "A\xc9mile");
    CKarte empty;
    EXPECT_FALSE(empty.CheckFirstLine(true));
    EXPECT_EQ(empty.Name(), "A");
    CKarte full = Card({ "12345678901234567890" });
    full.CheckFirstLine(true);
    EXPECT_EQ(full.Name(), "A1234567890123456789");  // cut to 20
}

TEST(CKarte, CleanTelephoneLine)
{
    CKarte card = Card({ "Meier", "+41 (0)44-123" });
    card.CleanTelephoneLine();
    EXPECT_EQ(card.GetLine(1), "+41  0 44 123");
    CKarte trailing = Card({ "Meier", "*12#/x" });
    trailing.CleanTelephoneLine();
    EXPECT_EQ(trailing.GetLine(1), "*12#");  // trailing blanks removed by SetLine
}

TEST(CKarte, ContainsTextUpperCasesTheLines)
{
    CKarte card = Card({ "M\xfcller", "", "Bahnhofstrasse" });
    EXPECT_TRUE(card.ContainsText("M\xdcLL"));
    EXPECT_TRUE(card.ContainsText("HOFS"));
    EXPECT_FALSE(card.ContainsText("hofs"));  // the pattern comes upper-cased
}

TEST(CKarte, ToggleMark)
{
    CKarte card;
    card.ToggleMark();
    EXPECT_EQ(card.MarkByte(), 1);
    card.ToggleMark();
    EXPECT_EQ(card.MarkByte(), 0);
    card.SetMarkByte(2);
    card.ToggleMark();
    EXPECT_EQ(card.MarkByte(), 2);
}

TEST(DeviceRecord, NameAndMark)
{
    CKarte card = Card({ "Ab" });
    card.SetMarkByte(1);
    std::string record;
    EXPECT_EQ(card.EncodeForDevice(record), 8);
    EXPECT_EQ(record, std::string("1Ab\rQb\r\x1b"));
}

TEST(DeviceRecord, LineIndexesAccentsAndSkippedLines)
{
    CKarte card = Card({ "M\xfcller", "0441", "", "" });
    card.SetLine(9, "x");
    card.SetLine(31, "\xc5");
    std::string record = "prefix";
    int n = card.EncodeForDevice(record);
    const std::string expected = "1M\x81ller\r" "20441\r" ":x\r" "P\x8f\r" "\x1b";
    EXPECT_EQ(record, "prefix" + expected);
    EXPECT_EQ(n, static_cast<int>(expected.size()));

    std::string empty;
    EXPECT_EQ(CKarte().EncodeForDevice(empty), 1);
    EXPECT_EQ(empty, "\x1b");
}

// Control characters in a line (only a file made elsewhere holds them)
// never reach the line: CR would end the line, ESC the card, 00 01 start a
// transfer. They go out as blanks; reading a file makes them blanks.
TEST(DeviceRecord, ControlCharactersGoOutAsBlanks)
{
    CKarte card = Card({ std::string("Ab\rC", 4), std::string("1\x1B" "2\x00\x01" "3\x7F", 7) });
    std::string record;
    card.EncodeForDevice(record);
    EXPECT_EQ(record, std::string("1Ab C\r" "21 2  3 \r\x1b"));
    EXPECT_TRUE(card.ReplaceControlCharacters());
    EXPECT_EQ(card.GetLine(0), "Ab C");
    EXPECT_FALSE(card.ReplaceControlCharacters());
}

TEST(DeviceRecord, FullCardFitsTheBuffer)
{
    CKarte card;
    for (int i = 0; i < kMaxLines; ++i)
        card.SetLine(i, std::string(40, 'x'));
    card.SetMarkByte(1);
    std::string record;
    EXPECT_EQ(card.EncodeForDevice(record), kMaxDeviceRecord);
}

TEST(CKarte, FillFromFields)
{
    std::vector<std::string> fields = { "  m\x81ller [AG]", "+41 (0)44 / 123", "Bahnhof_strasse 1", "\xc9" "cole" };
    int16_t assignment[kMaxLines];
    std::fill(std::begin(assignment), std::end(assignment), int16_t { -1 });
    assignment[0] = 0;
    assignment[1] = 1;
    assignment[2] = 2;
    assignment[3] = 3;
    assignment[4] = 7;  // no such field
    CKarte card;
    card.FillFromFields(fields, assignment, { true, true });
    EXPECT_EQ(card.Name(), "m\xfcller (AG)");
    EXPECT_EQ(card.GetLine(1), "+41  0 44   123");
    EXPECT_EQ(card.GetLine(2), "Bahnhof-strasse 1");
    // 0xC9 is ╔ in code page 850.
    EXPECT_EQ(card.GetLine(3), "+cole");
    EXPECT_EQ(card.LineCount(), 4);
    EXPECT_EQ(card.EditedByte(), 1);

    CKarte ansi;
    assignment[0] = 3;
    ansi.FillFromFields(fields, assignment, {});
    EXPECT_EQ(ansi.Name(), "Ecole");  // É is not on the telephone: E
    EXPECT_EQ(ansi.GetLine(1), "+41 (0)44 / 123");
}

TEST(LineEditor, DeleteRange)
{
    CKarte card = Card({ "Meier", "0441", "Hauptstrasse", "Zurich" });
    card.DeleteRange({ 2, 0 }, { 4, 0 });
    EXPECT_EQ(card.Name(), "Mer");
    card.DeleteRange({ 2, 1 }, { 4, 2 });
    EXPECT_EQ(card.GetLine(1), "04tstrasse");
    EXPECT_EQ(card.LineCount(), 3);
    // An end beyond the last line becomes the end of the last line.
    card.DeleteRange({ 3, 1 }, { 0, 20 });
    EXPECT_EQ(card.GetLine(1), "04t");
    EXPECT_EQ(card.LineCount(), 2);
    card.DeleteRange({ 0, 5 }, { 0, 6 });  // no such line
    EXPECT_EQ(card.LineCount(), 2);
}

TEST(LineEditor, CopyRangeAndCard)
{
    CKarte card = Card({ "Meier", "0441", "Hauptstrasse" });
    EXPECT_EQ(card.CopyRange({ 1, 0 }, { 3, 0 }), "ei");
    EXPECT_EQ(card.CopyRange({ 7, 0 }, { 9, 0 }), "");
    EXPECT_EQ(card.CopyRange({ 3, 0 }, { 4, 2 }), "er\r\n0441\r\nHaup\r\n");
    EXPECT_EQ(card.CopyRange({ 3, 1 }, { 0, 9 }), "1\r\nHauptstrasse\r\n");
    EXPECT_EQ(card.CopyRange({ 0, 3 }, { 1, 3 }), "");
    EXPECT_EQ(card.CopyCardText(), "Meier\r\n0441\r\nHauptstrasse\r\n");
    EXPECT_EQ(CKarte().CopyCardText(), "");
}

TEST(LineEditor, PasteSplitsTheLine)
{
    CKarte card = Card({ "Meier", "0441", "Hauptstrasse" });
    LinePos end = card.PasteText({ 5, 2 }, "Neben\r\nweg 1\r\n[b]");
    EXPECT_EQ(card.GetLine(2), "HauptNeben");
    EXPECT_EQ(card.GetLine(3), "weg 1");
    EXPECT_EQ(card.GetLine(4), "(b)strasse");
    EXPECT_EQ(end.line, 4);
    EXPECT_EQ(end.column, 3);

    LinePos one = card.PasteText({ 8, 1 }, "12");
    EXPECT_EQ(card.GetLine(1), "0441    12");  // padded up to the column
    EXPECT_EQ(one.line, 1);
    EXPECT_EQ(one.column, 10);

    LinePos none = card.PasteText({ 1, 1 }, "");
    EXPECT_EQ(none.column, 1);
    EXPECT_EQ(card.GetLine(1), "0441    12");
}

TEST(LineEditor, PasteKeepsLimitsAndFullCard)
{
    CKarte card;
    for (int i = 0; i < kMaxLines; ++i)
        card.SetLine(i, "L" + std::to_string(i));
    card.PasteText({ 0, 30 }, std::string(40, 'y') + "\nz");
    EXPECT_EQ(card.GetLine(30), std::string(30, 'y'));
    EXPECT_EQ(card.GetLine(31), "zL30");  // line 31 fell off
    EXPECT_EQ(card.LineCount(), 32);

    CKarte name = Card({ "Meier" });
    LinePos end = name.PasteText({ 5, 0 }, std::string(30, 'x'));
    EXPECT_EQ(name.Name().size(), 20u);
    EXPECT_EQ(end.column, 20);
}

TEST(FieldLabel, DefaultsAndFieldNamesCard)
{
    SetLanguageOffset(kLangGerman);
    EXPECT_EQ(GetFieldLabel(0, nullptr), "Name");
    EXPECT_EQ(GetFieldLabel(1, nullptr), "Telefon");
    EXPECT_EQ(GetFieldLabel(2, nullptr), "Zeile 1");
    EXPECT_EQ(GetFieldLabel(31, nullptr), "Zeile 30");

    CKarte names;
    names.SetLine(0, ReservedName());
    names.SetLine(1, "Mobil");
    names.SetLine(3, "Strasse");
    EXPECT_EQ(GetFieldLabel(0, &names), "Name");  // never the reserved name
    EXPECT_EQ(GetFieldLabel(1, &names), "Mobil");
    EXPECT_EQ(GetFieldLabel(2, &names), "Zeile 1");
    EXPECT_EQ(GetFieldLabel(3, &names), "Strasse");

    SetLanguageOffset(kLangEnglish);
    EXPECT_EQ(GetFieldLabel(1, nullptr), "Telephone number");
    EXPECT_EQ(GetFieldLabel(4, nullptr), "Line 3");
    SetLanguageOffset(kLangFrench);
    EXPECT_EQ(GetFieldLabel(1, nullptr), "Num\xe9ro de t\xe9l\xe9phone");
    EXPECT_EQ(GetFieldLabel(0, nullptr), "Nom");
    SetLanguageOffset(kLangGerman);
}

}  // namespace
}  // namespace velkaro
