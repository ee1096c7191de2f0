// The locale's separators as Windows-1252 bytes, as every front end shows
// spreadsheet numbers and dates with them.

#include "exchange/LocaleSeparators.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale.h>
#include <string>

namespace velkaro {
namespace {

TEST(LocaleSeparators, OneCharacterBecomesOneWindows1252Byte)
{
    EXPECT_EQ(SeparatorByte(",", '?'), ',');
    EXPECT_EQ(SeparatorByte("\xC2\xA0", '?'), '\xA0');       // no-break space
    EXPECT_EQ(SeparatorByte("\xE2\x80\xAF", '?'), '\xA0');   // narrow no-break space (French)
    EXPECT_EQ(SeparatorByte("\xE2\x80\x89", '?'), '\xA0');   // thin space
    EXPECT_EQ(SeparatorByte("\xE2\x80\x99", '?'), '\x92');   // right single quotation mark (Swiss)
    EXPECT_EQ(SeparatorByte("\xD9\xAB", '?'), '?');          // Arabic decimal separator: none in Windows-1252
    EXPECT_EQ(SeparatorByte("", '?'), '?');
    EXPECT_EQ(SeparatorByte(",,", '?'), '?');
    EXPECT_EQ(SeparatorByte("\xE2\x80", '?'), '?');          // cut short
}

bool HaveLocale(const char* name)
{
    locale_t locale = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
    if (!locale)
        return false;
    freelocale(locale);
    return true;
}

void ExpectSeparators(const NumberSeparators& seps, char decimal, char thousands, char date)
{
    EXPECT_EQ(seps.decimal, decimal);
    EXPECT_EQ(seps.thousands, thousands);
    EXPECT_EQ(seps.date, date);
}

TEST(LocaleSeparators, OfGermanFrenchAndTheCLocale)
{
    const std::string before = std::setlocale(LC_ALL, nullptr);
    ExpectSeparators(LocaleSeparators("C"), '.', ',', '/');
    // A locale that cannot be loaded counts as C.
    ExpectSeparators(LocaleSeparators("xx_NOWHERE.UTF-8"), '.', ',', '/');
    if (!HaveLocale("de_DE.UTF-8") || !HaveLocale("fr_FR.UTF-8"))
        GTEST_SKIP() << "de_DE.UTF-8 or fr_FR.UTF-8 not generated (scripts/install-test-deps.sh makes them)";
    ExpectSeparators(LocaleSeparators("de_DE.UTF-8"), ',', '.', '.');
    // French groups with a narrow no-break space.
    ExpectSeparators(LocaleSeparators("fr_FR.UTF-8"), ',', '\xA0', '/');
    // The order of a date: what .ods dates in automatic order follow.
    EXPECT_EQ(LocaleSeparators("C").dateOrder, DateOrder::MonthDayYear);
    EXPECT_EQ(LocaleSeparators("de_DE.UTF-8").dateOrder, DateOrder::DayMonthYear);
    EXPECT_EQ(LocaleSeparators("fr_FR.UTF-8").dateOrder, DateOrder::DayMonthYear);
    // The process's own locale stays as it was.
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
}

}  // namespace
}  // namespace velkaro
