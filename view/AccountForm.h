#pragma once

// What the account dialog decides without its widgets: which address books
// its list shows and checks, and what the checked ones are as the stored
// choice.

#include "carddav/SyncTypes.h"

#include <optional>
#include <string>
#include <vector>

namespace velkaro {

// One line of the dialog's address-book list.
struct BookChoice {
    std::string url;
    std::string displayName;  // UTF-8; the URL when the server gave no name
    bool checked = false;
    bool offered = false;  // the server listed it in the last search
};

// The lines for the books the server offers (found) and the stored choice
// (chosen; empty: all). A stored book the server no longer lists stays as
// a checked line of its URL, so that OK keeps the choice as it was. Before
// any search (found empty) the lines are the stored books alone.
std::vector<BookChoice> BookChoices(const std::vector<std::string>& chosen, const std::vector<AddressBook>& found);

// The choice to store: empty (all) when there are no lines or every line is
// checked and offered by the server; the checked URLs otherwise; nothing
// when lines are shown and none is checked.
std::optional<std::vector<std::string>> ChosenBooks(const std::vector<BookChoice>& lines);

}  // namespace velkaro
