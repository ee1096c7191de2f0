// The colour settings: the stored text form, its lenient parsing, and the
// round trip through section "Colors".

#include "settings/Colors.h"

#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

constexpr ColorRef kDefault = MakeRgb(1, 2, 3);

TEST(ColorParse, ThreeNumbersSeparatedByAnyNonDigits)
{
    EXPECT_EQ(ParseColor("149,185,234", kDefault), MakeRgb(149, 185, 234));
    EXPECT_EQ(ParseColor("12;34 56", kDefault), MakeRgb(12, 34, 56));
    EXPECT_EQ(ParseColor("  7 / / 8 x 9", kDefault), MakeRgb(7, 8, 9));
    EXPECT_EQ(ParseColor("r=10 g=20 b=30", kDefault), MakeRgb(10, 20, 30));
}

TEST(ColorParse, NumbersWrapAtAByte)
{
    EXPECT_EQ(ParseColor("300,0,0", kDefault), MakeRgb(44, 0, 0));
    EXPECT_EQ(ParseColor("256,257,511", kDefault), MakeRgb(0, 1, 255));
}

TEST(ColorParse, FewerThanThreeNumbersGiveTheDefault)
{
    EXPECT_EQ(ParseColor("", kDefault), kDefault);
    EXPECT_EQ(ParseColor("1,2", kDefault), kDefault);
    EXPECT_EQ(ParseColor("1,2,", kDefault), kDefault);
    EXPECT_EQ(ParseColor("red", kDefault), kDefault);
}

TEST(ColorParse, TextAfterTheThirdNumberIsIgnored)
{
    EXPECT_EQ(ParseColor("1,2,3,4,5", MakeRgb(9, 9, 9)), MakeRgb(1, 2, 3));
    EXPECT_EQ(ParseColor("10,20,30 blue", kDefault), MakeRgb(10, 20, 30));
}

TEST(ColorFormat, RedGreenBlueWithCommas)
{
    EXPECT_EQ(FormatColor(MakeRgb(149, 185, 234)), "149,185,234");
    EXPECT_EQ(FormatColor(MakeRgb(0, 0, 0)), "0,0,0");
    // Red in the low byte, blue in the high byte.
    EXPECT_EQ(MakeRgb(1, 2, 3), 0x030201u);
}

TEST(ColorTable, NamesAndDefaults)
{
    EXPECT_STREQ(ColorValueName(0), "Background");
    EXPECT_STREQ(ColorValueName(2), "ListGround");
    EXPECT_STREQ(ColorValueName(19), "UnusedMargin");
    EXPECT_EQ(DefaultColor(2), MakeRgb(149, 185, 234));
    EXPECT_EQ(DefaultColor(11), MakeRgb(64, 0, 64));
    EXPECT_EQ(DefaultColor(18), MakeRgb(66, 66, 66));
}

TEST(ColorTable, StoredValuesAreReadAndWrittenBackWithCommas)
{
    CSettings& store = CSettings::Instance();
    store.WriteString(section::Colors, "Background", "12;34 56");
    store.WriteString(section::Colors, "Display", "1,2");
    store.WriteString(section::Colors, "PageNumber", "300 0 0");
    ResetColors();
    LoadColors();
    EXPECT_EQ(GetColor(0), MakeRgb(12, 34, 56));
    EXPECT_EQ(GetColor(1), DefaultColor(1));
    EXPECT_EQ(GetColor(12), MakeRgb(44, 0, 0));
    EXPECT_EQ(GetColor(8), DefaultColor(8));  // never stored

    SaveColors();
    EXPECT_EQ(store.ReadString(section::Colors, "Background", ""), "12,34,56");
    EXPECT_EQ(store.ReadString(section::Colors, "Display", ""), "210,210,210");
    EXPECT_EQ(store.ReadString(section::Colors, "PageNumber", ""), "44,0,0");
    EXPECT_EQ(store.ReadString(section::Colors, "CardGround", ""), "185,240,200");
    ResetColors();
}

}  // namespace
}  // namespace velkaro
