#include "SheetChoice.h"

#include "model/Charset.h"
#include "text/Language.h"
#include "text/MessageIds.h"

#include <algorithm>
#include <charconv>

namespace velkaro {

int FirstVisibleSheet(const std::vector<SheetInfo>& sheets)
{
    auto visible = std::find_if(sheets.begin(), sheets.end(), [](const SheetInfo& s) { return s.visible; });
    return visible == sheets.end() ? 0 : static_cast<int>(visible - sheets.begin());
}

bool IsWellFormedSheetChoice(std::string_view choice)
{
    return !choice.empty() && choice.find_first_of(":\\/?*[]") == std::string_view::npos;
}

int FindSheet(const std::vector<SheetInfo>& sheets, const std::string& ansiChoice)
{
    // A name of digits ("2024") is a name first.
    for (std::size_t i = 0; i < sheets.size(); ++i)
        if (sheets[i].name == ansiChoice)
            return static_cast<int>(i);
    const std::string upper = AnsiToUpper(ansiChoice);
    for (std::size_t i = 0; i < sheets.size(); ++i)
        if (AnsiToUpper(sheets[i].name) == upper)
            return static_cast<int>(i);
    int number = 0;
    const char* end = ansiChoice.data() + ansiChoice.size();
    auto [p, ec] = std::from_chars(ansiChoice.data(), end, number);
    if (ec == std::errc() && p == end && number >= 1 && static_cast<std::size_t>(number) <= sheets.size())
        return number - 1;
    return -1;
}

std::string SheetListText(const std::vector<SheetInfo>& sheets)
{
    std::string text;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += std::to_string(i + 1) + " " + sheets[i].name;
        if (!sheets[i].visible)
            text += " (" + Text(msg::SheetHidden) + ")";
    }
    return text;
}

}  // namespace velkaro
