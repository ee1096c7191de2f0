// The command registry: a command runs only while enabled, an unknown id
// goes to its handler, and every dispatch that did something is followed by
// the refresh the frame hangs on it.

#include "view/CommandRegistry.h"

#include <gtest/gtest.h>

#include <vector>

using namespace velkaro;

namespace {

class CommandRegistryTest : public ::testing::Test {
protected:
    CCommandRegistry registry;
    std::vector<unsigned> ran;
    std::vector<unsigned> unknown;
    int refreshes = 0;
    bool enabled = false;

    void SetUp() override
    {
        registry.SetUnknownCommandHandler([this](unsigned id) { unknown.push_back(id); });
        registry.SetAfterDispatch([this] { ++refreshes; });
        registry.Register(1, { [this] { ran.push_back(1); }, [this] { return enabled; }, [this] { return enabled; } });
        registry.Register(2, { [this] { ran.push_back(2); }, {}, {} });
    }
};

TEST_F(CommandRegistryTest, RunsOnlyWhileEnabled)
{
    EXPECT_FALSE(registry.IsEnabled(1));
    registry.Dispatch(1);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(refreshes, 0);

    enabled = true;
    EXPECT_TRUE(registry.IsEnabled(1));
    EXPECT_TRUE(registry.IsChecked(1));
    registry.Dispatch(1);
    registry.Dispatch(2);
    EXPECT_EQ(ran, (std::vector<unsigned> { 1, 2 }));
    EXPECT_EQ(refreshes, 2);
    EXPECT_FALSE(registry.IsChecked(2));  // no rule: never checked
}

TEST_F(CommandRegistryTest, UnknownIdsGoToTheirHandlerAndALaterRegistrationReplaces)
{
    EXPECT_TRUE(registry.IsEnabled(3));  // offered until someone says otherwise
    registry.Dispatch(3);
    EXPECT_EQ(unknown, (std::vector<unsigned> { 3 }));
    EXPECT_EQ(refreshes, 1);

    registry.Register(2, { [this] { ran.push_back(20); }, {}, {} });
    registry.Dispatch(2);
    EXPECT_EQ(ran, (std::vector<unsigned> { 20 }));
}

}  // namespace
