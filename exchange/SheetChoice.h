#pragma once

// Which sheet of a workbook is read. The readers list the workbook's sheets
// in their order (hidden ones too, as the tab bar of the spreadsheet program
// would with them shown) and ask a picker which one to read; without one
// they read the first visible sheet, since a hidden sheet is what the
// workbook's author kept out of sight (a lookup table, a template).

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkaro {

struct SheetInfo {
    std::string name;  // Windows-1252
    bool visible = true;
};

// The index of the sheet to read, or nothing to read none (the picker has
// told the user why, or the user cancelled).
using SheetPicker = std::function<std::optional<int>(const std::vector<SheetInfo>&)>;

// The first visible sheet; the first sheet when none is visible.
int FirstVisibleSheet(const std::vector<SheetInfo>& sheets);

// A sheet as the user names it (`--sheet`): empty, or holding a character
// no spreadsheet program allows in a sheet's name (: \ / ? * [ ]), names
// none in any file.
bool IsWellFormedSheetChoice(std::string_view choice);

// The sheet a choice names: the sheet of that name (exactly, else ignoring
// case), else, for a choice of digits, the sheet of that number counted
// from 1 in the workbook's order. -1 when there is none.
int FindSheet(const std::vector<SheetInfo>& sheets, const std::string& ansiChoice);

// The sheets for a message: "1 Versteckt (hidden), 2 Kontakte, ...", the
// word for a hidden sheet in the user's language.
std::string SheetListText(const std::vector<SheetInfo>& sheets);

}  // namespace velkaro
