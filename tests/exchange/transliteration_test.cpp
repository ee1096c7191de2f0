// Text the telephone cannot show made readable: other scripts in Latin, the
// signs its table would blank out in their plain forms, through the readers
// and the import run; what the table itself maps stays as it was.

#include "exchange/ImportRun.h"
#include "exchange/TextReader.h"
#include "exchange/Transliteration.h"

#include "text/Cp1252.h"
#include "model/Charset.h"
#include "model/Karte.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

std::string A(const char* utf8)
{
    return Utf8ToAnsi(utf8);
}

TEST(Transliteration, OtherScriptsBecomeLatin)
{
    EXPECT_EQ(TransliterateToAnsi("Олег"), "Oleg");
    EXPECT_EQ(TransliterateToAnsi("Ιωάννης"), "Ioannes");
    // Through the UTF-8 reading of the text and vCard readers.
    EXPECT_EQ(Utf8FieldToAnsi("Олег Петров, Müller"), A("Oleg Petrov, Müller"));
    // Letters with a Latin base letter keep the existing mapping.
    EXPECT_EQ(Utf8FieldToAnsi("Erdős"), "Erdos");
    EXPECT_EQ(Utf8FieldToAnsi("\xFF" "a"), " a");
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
    FillCardFromRecord(card, { Utf8FieldToAnsi("Олег Петров"), A("Stra\xC3\x9F" "e") }, config);
    EXPECT_EQ(card.GetLine(0), "Oleg Petrov");
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
