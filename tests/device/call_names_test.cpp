// Telephone numbers compared as numbers, and the names the cards give to the
// calls the telephone listed without one.

#include "device/CallListNames.h"
#include "device/PhoneNumbers.h"
#include "model/CardList.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>

using namespace velkaro;

namespace {

std::unique_ptr<CAnrufObj> Call(const std::string& number, const std::string& name, int fieldCount = 12)
{
    auto record = std::make_unique<CAnrufObj>();
    for (int i = 0; i < fieldCount; ++i)
        record->AddField(i == callfield::Number ? number : i == callfield::Name ? name : std::to_string(i));
    return record;
}

void AddCard(CCardList& cards, const std::string& name, const std::string& number)
{
    auto card = std::make_unique<CKarte>();
    card->SetLine(0, name);
    card->SetLine(1, number);
    cards.InsertSorted(std::move(card), false);
}

}  // namespace

TEST(PhoneNumbers, OneNumberInItsNationalAndInternationalForms)
{
    const CPhoneNumbers swiss("CH");
    const std::string key = swiss.Key("+41 44 123 45 67");
    EXPECT_FALSE(key.empty());
    for (const char* form : { "0041441234567", "044 123 45 67", "044/123 45 67", "+41 (0)44 123 45 67", "+41441234567" })
        EXPECT_EQ(swiss.Key(form), key) << form;
    EXPECT_NE(swiss.Key("044 123 45 68"), key);
    // The same digits dialled from Germany are another number.
    EXPECT_NE(CPhoneNumbers("DE").Key("044 123 45 67"), key);
    EXPECT_EQ(CPhoneNumbers("DE").Key("0041 44 123 45 67"), key);
    // A German number called from Switzerland.
    EXPECT_EQ(swiss.Key("0049 89 1234567"), swiss.Key("+49 89 1234567"));
    // An extension belongs to the number.
    EXPECT_EQ(swiss.Key("044 123 45 67 ext. 12"), swiss.Key("+41441234567;ext=12"));
    EXPECT_NE(swiss.Key("044 123 45 67 ext. 12"), key);
    // The country code in any case.
    EXPECT_EQ(CPhoneNumbers("ch").Key("044 123 45 67"), key);
    EXPECT_EQ(CPhoneNumbers("ch").HomeCountry(), "CH");
}

TEST(PhoneNumbers, WithoutAHomeCountryOrANumberTheDigitsDecide)
{
    const CPhoneNumbers nowhere("");
    EXPECT_EQ(nowhere.HomeCountry(), "");
    EXPECT_EQ(CPhoneNumbers("XX").HomeCountry(), "");
    // Written with its country code a number is understood anywhere.
    EXPECT_EQ(nowhere.Key("+41 44 123 45 67"), CPhoneNumbers("CH").Key("044 123 45 67"));
    // Otherwise only the same digits are the same number.
    EXPECT_EQ(nowhere.Key("044 123 45 67"), nowhere.Key("044-1234567"));
    EXPECT_NE(nowhere.Key("044 123 45 67"), nowhere.Key("+41 44 123 45 67"));
    // Too long for any country, and service codes: their digits.
    const CPhoneNumbers swiss("CH");
    EXPECT_EQ(swiss.Key("12345678901234567890"), swiss.Key("1234 5678 9012 3456 7890"));
    EXPECT_EQ(swiss.Key("**21#"), swiss.Key("* * 21 #"));
    // A name or an empty field is no number.
    EXPECT_EQ(swiss.Key("Anna"), "");
    EXPECT_EQ(swiss.Key(""), "");
    EXPECT_EQ(swiss.Key(" -/ "), "");
    // Windows-1252 text around a number.
    EXPECT_EQ(swiss.Key("\xA0" "044 123 45 67\xB7"), swiss.Key("044 123 45 67"));
}

TEST(PhoneNumbers, DialableFromTheHomeCountry)
{
    struct Case {
        const char* country;
        const char* number;
        const char* outsideLine;
        const char* dialled;
    };
    const Case cases[] = {
        { "DE", "+49 30 1234567", "", "0301234567" },
        { "DE", "+49 (0)30 1234567", "", "0301234567" },
        { "DE", "030/123 45-67", "", "0301234567" },
        { "CH", "+49 30 1234567", "", "0049301234567" },
        { "CH", "044 123 45 67", "", "0441234567" },
        { "DE", "+49 30 1234567", "0", "00301234567" },
        { "FR", "+33 1 23 45 67 89", "", "0123456789" },
        { "US", "+49 30 1234567", "", "01149301234567" },
        { "DE", "23", "0", "23" },                  // an internal short number
        { "DE", "110", "0", "110" },                // the police
        { "DE", "0800 FLOWERS", "", "0800 FLOWERS" },
        { "", "+49 30 1234567", "", "+49 30 1234567" },  // no home country known
    };
    for (const Case& c : cases)
        EXPECT_EQ(CPhoneNumbers(c.country).Dialable(c.number, c.outsideLine), c.dialled)
            << c.country << " " << c.number;
}

TEST(PhoneNumbers, TheHomeCountryFromTheSettingOrTheLocale)
{
    EXPECT_EQ(CPhoneNumbers::CountryOfLocale("de_CH.UTF-8"), "CH");
    EXPECT_EQ(CPhoneNumbers::CountryOfLocale("fr_BE@euro"), "BE");
    EXPECT_EQ(CPhoneNumbers::CountryOfLocale("en_gb"), "GB");
    EXPECT_EQ(CPhoneNumbers::CountryOfLocale("de"), "");
    EXPECT_EQ(CPhoneNumbers::CountryOfLocale("C"), "");
    EXPECT_EQ(CPhoneNumbers::CountryOfLocale("C.UTF-8"), "");
    EXPECT_EQ(CPhoneNumbers::CountryOfLocale("xx_QQ.UTF-8"), "");
    EXPECT_TRUE(CPhoneNumbers::IsKnownCountry("DE"));
    EXPECT_FALSE(CPhoneNumbers::IsKnownCountry("ZZ"));
    EXPECT_FALSE(CPhoneNumbers::IsKnownCountry("Schweiz"));

    // LC_ALL before LC_TELEPHONE before LANG; the setting before them all.
    const char* names[] = { "LC_ALL", "LC_TELEPHONE", "LANG" };
    std::map<std::string, std::string> saved;
    for (const char* name : names)
        if (const char* value = std::getenv(name))
            saved[name] = value;
    ::setenv("LANG", "fr_FR.UTF-8", 1);
    ::setenv("LC_TELEPHONE", "de_AT.UTF-8", 1);
    ::unsetenv("LC_ALL");
    EXPECT_EQ(CPhoneNumbers::CountryFromEnvironment(), "AT");
    ::setenv("LC_ALL", "it_CH.UTF-8", 1);
    EXPECT_EQ(CPhoneNumbers::CountryFromEnvironment(), "CH");
    EXPECT_EQ(CPhoneNumbers::HomeCountry("de"), "DE");
    EXPECT_EQ(CPhoneNumbers::HomeCountry(""), "CH");
    EXPECT_EQ(CPhoneNumbers::HomeCountry("Schweiz"), "CH");
    for (const char* name : names) {
        if (saved.count(name))
            ::setenv(name, saved[name].c_str(), 1);
        else
            ::unsetenv(name);
    }
}

TEST(CallListNames, ACardWrittenWithoutItsAreaCodeStillNamesTheCall)
{
    // Madagascar's numbering puts "20" before a local number written alone.
    CCardList cards;
    AddCard(cards, "Rakoto", "+261 4750268");
    CCallList calls;
    calls.AddHead(Call("00261204750268", ""));
    EXPECT_EQ(TakeCardNames(calls, cards, CPhoneNumbers("CH")), 1);
    EXPECT_EQ(calls.InOrder(false)[0]->cardName, "Rakoto");
}

TEST(CallListNames, NamelessCallsTakeTheFirstCardWithTheirNumber)
{
    CCardList cards;
    AddCard(cards, "Meier Hans", "+41 44 123 45 67");
    AddCard(cards, "Meier Zweit", "044 123 45 67");
    AddCard(cards, "Zeller", "+49 89 1234567");
    AddCard(cards, "Vanity", "0800 FLOWERS");
    AddCard(cards, "Ohne Nummer", "");
    AddCard(cards, "Langer Name der Karte", "031 765 43 21");
    // The field-names card labels the lines; its telephone line is a label.
    AddCard(cards, ReservedName(), "0215550000");

    CCallList calls;
    calls.AddHead(Call("0441234567", ""));
    calls.AddHead(Call("0041441234567", "   "));
    calls.AddHead(Call("0049891234567", "Dupont"));
    calls.AddHead(Call("0800 356 93 77", ""));
    calls.AddHead(Call("0215550000", ""));
    calls.AddHead(Call("", ""));
    calls.AddHead(Call("0317654321", "", 11));
    calls.AddHead(Call("0317654321", "", 10));
    const int named = TakeCardNames(calls, cards, CPhoneNumbers("CH"));

    const std::vector<CAnrufObj*> inOrder = calls.InOrder(false);
    EXPECT_EQ(inOrder[0]->cardName, "Meier Hans");
    EXPECT_EQ(inOrder[1]->cardName, "Meier Hans");
    // The telephone's own name stays, and nothing is taken for it.
    EXPECT_EQ(inOrder[2]->cardName, "");
    EXPECT_EQ(inOrder[3]->cardName, "Vanity");
    EXPECT_EQ(inOrder[4]->cardName, "");
    EXPECT_EQ(inOrder[5]->cardName, "");
    EXPECT_EQ(inOrder[6]->cardName, cards.At(cards.FindName("Langer").index)->Name());
    EXPECT_EQ(inOrder[7]->cardName, inOrder[6]->cardName);
    EXPECT_EQ(named, 5);

    // Saved as sent unless asked; asked, the name fills the name field,
    // which a short record gets.
    EXPECT_EQ(FieldsToSave(*inOrder[1], false), inOrder[1]->fields);
    std::vector<std::string> fields = FieldsToSave(*inOrder[1], true);
    EXPECT_EQ(fields[callfield::Name], "Meier Hans");
    EXPECT_EQ(fields.size(), 12u);
    EXPECT_EQ(FieldsToSave(*inOrder[2], true), inOrder[2]->fields);
    fields = FieldsToSave(*inOrder[7], true);
    ASSERT_EQ(fields.size(), 11u);
    EXPECT_EQ(fields[9], "0317654321");
    EXPECT_EQ(fields[10], inOrder[6]->cardName);

    // Looked up again, an old name goes with the card that gave it.
    cards.DeleteAllCards();
    EXPECT_EQ(TakeCardNames(calls, cards, CPhoneNumbers("CH")), 0);
    for (const CAnrufObj* record : calls.InOrder(true))
        EXPECT_EQ(record->cardName, "");
}

// Cards are parsed only when their digits could end a wanted number; the
// names found must be those of parsing every card.
TEST(CallListNames, TheQuickSearchFindsWhatParsingEveryCardFinds)
{
    std::mt19937 random(20261210);
    const char* const prefixes[] = { "0", "0041 ", "+41 ", "+41 (0)", "0049 ", "+49 ", "", "00", "+" };
    const char* const separators[] = { "", " ", "-", "/", "." };
    auto number = [&] {
        std::string text = prefixes[random() % std::size(prefixes)];
        const int digits = 2 + static_cast<int>(random() % 9);
        for (int i = 0; i < digits; ++i) {
            text += static_cast<char>('0' + random() % 3 + (i == 0 ? 1 : 0));
            if (random() % 4 == 0)
                text += separators[random() % std::size(separators)];
        }
        if (random() % 20 == 0)
            text += " ext. " + std::to_string(random() % 30);
        return text;
    };
    const CPhoneNumbers numbers("CH");
    for (int round = 0; round < 20; ++round) {
        CCardList cards;
        for (int i = 0; i < 300; ++i)
            AddCard(cards, "Karte " + std::to_string(i), number());
        CCallList calls;
        for (int i = 0; i < 40; ++i)
            calls.AddHead(Call(number(), ""));
        TakeCardNames(calls, cards, numbers);
        std::vector<std::pair<std::string, std::string>> cardKeys;
        for (const CKarte* card : cards.Cards())
            cardKeys.emplace_back(numbers.Key(std::string(card->GetLine(1))), card->Name());
        for (const CAnrufObj* record : calls.InOrder(true)) {
            const std::string key = numbers.Key(record->Field(callfield::Number));
            std::string expected;
            for (const auto& [cardKey, name] : cardKeys) {
                if (!key.empty() && cardKey == key) {
                    expected = name;
                    break;
                }
            }
            EXPECT_EQ(record->cardName, expected) << record->Field(callfield::Number);
        }
    }
}
