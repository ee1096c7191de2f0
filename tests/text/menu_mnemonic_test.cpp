// The letters underlined in the menus: within one menu bar or one menu no
// two entries share a letter, in any of the three languages, so Alt and the
// letter always reach one entry. Only texts the telephone's own program
// fixed (German "&Einfügen" and "S&elektion") may share theirs.

#include "text/Language.h"
#include "text/Menus.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace velkaro;

namespace {

// The letter after the single '&', lower case (Windows-1252 accents folded
// by their capital's offset), 0 for a text without one.
unsigned char Mnemonic(const std::string& text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        unsigned char c = static_cast<unsigned char>(text[i + 1]);
        if (c == '&') {
            ++i;
            continue;
        }
        if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
            c = static_cast<unsigned char>(c + 0x20);
        return static_cast<unsigned char>(std::tolower(c));
    }
    return 0;
}

// Pairs whose letters the telephone's own program chose.
bool FixedPair(const std::string& a, const std::string& b)
{
    const std::set<std::string> fixed = { "&Einf\xFCgen\tStrg+V", "S&elektion\tCtrl+S" };
    return fixed.count(a) && fixed.count(b);
}

void ExpectUnique(const std::vector<MenuItem>& items, const std::string& where)
{
    std::map<unsigned char, std::string> seen;
    for (const MenuItem& item : items) {
        if (item.IsSeparator())
            continue;
        const unsigned char m = Mnemonic(item.text);
        EXPECT_NE(m, 0) << where << ": " << item.text << " has no letter";
        auto [it, inserted] = seen.emplace(m, item.text);
        if (!inserted) {
            EXPECT_TRUE(FixedPair(it->second, item.text))
                << where << ": \"" << it->second << "\" and \"" << item.text << "\" share the letter";
        }
        if (item.IsPopup())
            ExpectUnique(item.items, where + " > " + item.text);
    }
}

}  // namespace

TEST(MenuMnemonics, UniqueInEveryMenuOfEveryLanguage)
{
    for (int language : { kLangGerman, kLangEnglish, kLangFrench })
        ExpectUnique(MainMenu(language), "language " + std::to_string(language));
}
