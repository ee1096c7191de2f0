#include "carddav/SyncTypes.h"

#include <gtest/gtest.h>

using namespace velkaro;

TEST(SyncCounts, OnlyNewChangedOrRemovedCardsAreAChange)
{
    SyncCounts counts;
    counts.unchanged = 5;
    counts.keptChangedHere = 1;
    counts.damaged = 1;
    EXPECT_FALSE(counts.ChangesCards());
    counts.removed = 1;
    EXPECT_TRUE(counts.ChangesCards());
}
