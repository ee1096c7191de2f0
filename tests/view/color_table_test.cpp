// The painters' colour roles and the stored colour table name the same
// colours with the same defaults.

#include "settings/Colors.h"
#include "view/ViewShared.h"

#include <gtest/gtest.h>

#include <cstring>

namespace velkaro {
namespace {

TEST(ColorRoles, AgreeWithTheStoredTable)
{
    ASSERT_EQ(kColorCount, kColorEntries);
    const auto& roles = ColorDefaults();
    for (int i = 0; i < kColorCount; ++i) {
        const ColorDefault& role = roles[static_cast<std::size_t>(i)];
        EXPECT_STREQ(role.name, ColorValueName(i)) << i;
        EXPECT_EQ(MakeRgb(role.red, role.green, role.blue), DefaultColor(i)) << role.name;
    }
    EXPECT_STREQ(ColorValueName(kColorSoftkeySelected), "SoftkeySelected");
    EXPECT_STREQ(ColorValueName(kColorUnusedMargin), "UnusedMargin");
}

}  // namespace
}  // namespace velkaro
