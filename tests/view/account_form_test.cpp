// The account dialog's address-book list without its widgets: which books
// it shows checked, and what the checked ones are as the stored choice.

#include "view/AccountForm.h"

#include <gtest/gtest.h>

using namespace velkaro;

namespace {

const std::vector<AddressBook> kFound = { { "https://h/a/", "Privat" }, { "https://h/b/", "" } };

std::vector<bool> Checks(const std::vector<BookChoice>& lines)
{
    std::vector<bool> checks;
    for (const BookChoice& line : lines)
        checks.push_back(line.checked);
    return checks;
}

TEST(BookChoices, TheStoredChoiceIsCheckedAndAStoredBookTheServerDroppedStays)
{
    EXPECT_EQ(Checks(BookChoices({}, kFound)), (std::vector<bool> { true, true }));
    const auto lines = BookChoices({ "https://h/b/", "https://h/gone/" }, kFound);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Checks(lines), (std::vector<bool> { false, true, true }));
    EXPECT_EQ(lines[1].displayName, "https://h/b/");  // no name from the server
    EXPECT_EQ(lines[2].url, "https://h/gone/");
    EXPECT_FALSE(lines[2].offered);
    // Before a search: the stored books alone, as they are.
    EXPECT_EQ(BookChoices({ "https://h/a/" }, {}).size(), 1u);
    EXPECT_TRUE(BookChoices({}, {}).empty());
}

TEST(BookChoices, CheckedLinesBecomeTheStoredChoice)
{
    auto lines = BookChoices({}, kFound);
    EXPECT_EQ(ChosenBooks(lines), std::vector<std::string> {});  // every book: all, new ones too
    lines[0].checked = false;
    EXPECT_EQ(ChosenBooks(lines), std::vector<std::string> { "https://h/b/" });
    lines[1].checked = false;
    EXPECT_FALSE(ChosenBooks(lines).has_value());
    // A stored choice shown before any search stays that choice.
    EXPECT_EQ(ChosenBooks(BookChoices({ "https://h/a/" }, {})), std::vector<std::string> { "https://h/a/" });
    EXPECT_EQ(ChosenBooks({}), std::vector<std::string> {});
}

}  // namespace
