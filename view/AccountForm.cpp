#include "AccountForm.h"

#include <algorithm>

namespace velkaro {

std::vector<BookChoice> BookChoices(const std::vector<std::string>& chosen, const std::vector<AddressBook>& found)
{
    auto isChosen = [&chosen](const std::string& url) {
        return chosen.empty() || std::find(chosen.begin(), chosen.end(), url) != chosen.end();
    };
    std::vector<BookChoice> lines;
    for (const AddressBook& book : found)
        lines.push_back({ book.url, book.displayName.empty() ? book.url : book.displayName, isChosen(book.url),
                          true });
    for (const std::string& url : chosen) {
        const bool listed
            = std::any_of(lines.begin(), lines.end(), [&url](const BookChoice& c) { return c.url == url; });
        if (!listed)
            lines.push_back({ url, url, true, false });
    }
    return lines;
}

std::optional<std::vector<std::string>> ChosenBooks(const std::vector<BookChoice>& lines)
{
    std::vector<std::string> urls;
    bool allOffered = true;
    for (const BookChoice& line : lines) {
        if (line.checked)
            urls.push_back(line.url);
        allOffered = allOffered && line.offered;
    }
    if (urls.size() == lines.size() && allOffered)
        return std::vector<std::string> {};
    if (urls.empty())
        return std::nullopt;
    return urls;
}

}  // namespace velkaro
