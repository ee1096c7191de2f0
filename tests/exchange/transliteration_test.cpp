// Text the telephone cannot show made readable: other scripts in Latin, the
// signs its table would blank out in their plain forms, through the readers
// and the import run; what the table itself maps stays as it was.

#include "exchange/ImportRun.h"
#include "exchange/TextReader.h"
#include "exchange/Transliteration.h"

#include "text/Cp1252.h"
#include "model/Charset.h"
#include "model/Karte.h"
#include "text/Language.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

std::string A(const char* utf8)
{
    return Utf8ToAnsi(utf8);
}

TEST(Transliteration, OtherScriptsBecomeLatin)
{
    SetLanguageOffset(kLangGerman);
    EXPECT_EQ(TransliterateToAnsi("Олег", kLangEnglish), "Oleg");
    EXPECT_EQ(TransliterateToAnsi("Ιωάννης"), "Ioannis");
    // Through the UTF-8 reading of the text and vCard readers.
    EXPECT_EQ(Utf8FieldToAnsi("Олег Петров, Müller"), A("Oleg Petrow, Müller"));
    // Letters with a Latin base letter keep the existing mapping.
    EXPECT_EQ(Utf8FieldToAnsi("Erdős"), "Erdos");
    EXPECT_EQ(Utf8FieldToAnsi("\xFF" "a"), " a");
}

TEST(Transliteration, EachScriptAsItsReadersWriteItInTheUsersLanguage)
{
    const struct {
        const char* text;
        const char* german;
        const char* english;  // French users read the English forms
    } cases[] = {
        { "Юлия Щербакова", "Julija Schtscherbakowa", "Yuliya Shcherbakova" },
        { "Фёдор Достоевский, ХРУЩЁВ", "Fjodor Dostojewski, CHRUSCHTSCHOW", "Fyodor Dostoyevskiy, KHRUSHCHYOV" },
        { "Ιωάννης Παπαδόπουλος", "Ioannis Papadopoulos", "Ioannis Papadopoulos" },
        // Pinyin a word at a time; a name is its family name and given name.
        { "李小龙", "Li Xiaolong", "Li Xiaolong" },
        { "周杰伦 毛泽东", "Zhou Jielun Mao Zedong", "Zhou Jielun Mao Zedong" },
        { "西安", "Xi'an", "Xi'an" },
        { "やまだ たろう", "Yamada Taro", "Yamada Taro" },
        { "ジョン・スミス", "Jon Sumisu", "Jon Sumisu" },
        { "김민준 신라 종로", "Gimminjun Silla Jongno", "Gimminjun Silla Jongno" },
        // What becomes nothing leaves no run of blanks; Windows-1252 stays.
        { "Anna 😀 Berg 😀", "Anna Berg", "Anna Berg" },
        { "Müller Ærø", "Müller Ærø", "Müller Ærø" },
    };
    for (const auto& c : cases) {
        for (int language : { kLangGerman, kLangEnglish, kLangFrench }) {
            SetLanguageOffset(language);
            EXPECT_EQ(Utf8FieldToAnsi(c.text), A(language == kLangGerman ? c.german : c.english))
                << c.text << " " << language;
        }
    }
    SetLanguageOffset(kLangGerman);
}

TEST(Transliteration, OnlyWhatTheTelephoneWouldBlankOutIsReplaced)
{
    EXPECT_EQ(ReadableForDevice(A("Hauptstraße 5")), "Hauptstrasse 5");
    EXPECT_EQ(ReadableForDevice(A("Œuvre, cœur")), "OEuvre, coeur");
    EXPECT_EQ(ReadableForDevice(A("l’Église „Zitat“ – gut…")), A("l'Église \"Zitat\" - gut..."));
    // The table's own mapping (É to E, [ to ( ) is left to the table.
    const std::string kept = A("ÀÉ[ä] Müller");
    EXPECT_EQ(ReadableForDevice(kept), kept);
    // The name of the field-names card keeps its bytes.
    EXPECT_EQ(ReadableForDevice(ReservedName()), ReservedName());
}

TEST(Transliteration, ImportRunTransliteratesWindowsTextOnly)
{
    CImportConfig config;
    config.assignment[0] = 0;
    config.assignment[1] = 1;
    CKarte card;
    SetLanguageOffset(kLangGerman);
    FillCardFromRecord(card, { Utf8FieldToAnsi("Олег Петров"), A("Stra\xC3\x9F" "e") }, config);
    EXPECT_EQ(card.GetLine(0), "Oleg Petrow");
    EXPECT_EQ(card.GetLine(1), "Strasse");

    // DOS text is the file's bytes: 0xE1 is ß in code page 850.
    config.characterSet = static_cast<uint8_t>(CharacterSet::Dos);
    CKarte dos;
    FillCardFromRecord(dos, { "Stra\xE1" "e" }, config);
    CKarte expected;
    expected.FillFromFields({ "Stra\xE1" "e" }, config.assignment.data(), config.Options());
    EXPECT_EQ(dos.GetLine(0), expected.GetLine(0));
}

}  // namespace
}  // namespace velkaro
