#pragma once

// The main menus (128 German, 129 English, 130 French), the command ids that
// menus, accelerators and the toolbar share, and the accelerator table.
// Standard library only; the frame builds its Qt menu bar from this data.
// Texts are Windows-1252 at this interface; "&" marks the mnemonic and "\t"
// leads the accelerator shown beside the item.

#include <string>
#include <vector>

namespace velkaro {

namespace cmd {
// File
constexpr unsigned Export = 32782;
constexpr unsigned Import = 32783;
constexpr unsigned SaveBackup = 32780;
constexpr unsigned LoadBackup = 32781;
// The address-book sync; its prompt lies at the id, in the block of its texts.
constexpr unsigned SyncAddressBook = 36281;
constexpr unsigned Print = 57607;
constexpr unsigned PrintPreview = 57609;
constexpr unsigned PrintSetup = 57606;
constexpr unsigned Exit = 57665;
// Edit
constexpr unsigned ToggleInsert = 32770;
constexpr unsigned InsertLine = 32790;
constexpr unsigned DeleteLine = 32791;
constexpr unsigned InsertLineOnPage = 32792;
constexpr unsigned DeleteLineOnPage = 32793;
constexpr unsigned Copy = 57634;
constexpr unsigned Cut = 57635;
constexpr unsigned Paste = 57637;
constexpr unsigned CopyCard = 32794;
constexpr unsigned NewCard = 32795;
constexpr unsigned DeleteAllCards = 32796;
constexpr unsigned Stop = 32797;
constexpr unsigned Selection = 32800;
// Takes its id from the block of its texts, like undo and redo below.
constexpr unsigned MakeDialable = 36240;
// Undo and redo take their ids from the block of their texts, whose prompts
// lie at the command id like every command's.
constexpr unsigned Undo = 35508;
constexpr unsigned Redo = 35509;
constexpr unsigned RestoreHistory = 35507;
// Telephone
constexpr unsigned SendAll = 32805;
constexpr unsigned SendEdited = 32806;
constexpr unsigned SendCurrent = 32807;
constexpr unsigned DialCurrent = 32808;
constexpr unsigned ReceiveCards = 32809;
constexpr unsigned ReceiveCallList = 32810;
constexpr unsigned ShowCallList = 32811;
// Options
constexpr unsigned PortSettings = 32820;
constexpr unsigned LanguageGerman = 32821;
constexpr unsigned LanguageEnglish = 32822;
constexpr unsigned LanguageFrench = 32823;
constexpr unsigned CardStructure = 32824;
constexpr unsigned AddressBookAccount = 36280;  // its prompt lies at the id, as above
// Help
constexpr unsigned About = 57664;
constexpr unsigned HelpIndex = 57666;
// Buttons of the telephone front
constexpr unsigned ArrowUp = 32900;
constexpr unsigned ArrowDown = 32901;
constexpr unsigned ArrowRight = 32902;
constexpr unsigned ArrowLeft = 32903;
constexpr unsigned Softkey1 = 32904;  // and the six cells after it
constexpr unsigned RowKey1 = 32916;   // and the nine keys after it; only the first eight act
// Status bar panes
constexpr unsigned PaneCardCount = 32769;
constexpr unsigned PanePort = 59141;
constexpr unsigned PaneOverwrite = 59140;
constexpr unsigned PaneCaps = 59137;
constexpr unsigned PaneNum = 59138;
}  // namespace cmd

constexpr int kSoftkeyCount = 7;
constexpr int kRowKeyCount = 10;
constexpr int kActiveRowKeys = 8;

struct MenuItem {
    unsigned id = 0;               // 0 = separator (or a popup when items is set)
    std::string text;              // Windows-1252
    std::vector<MenuItem> items;   // the items of a popup
    bool IsSeparator() const { return id == 0 && items.empty(); }
    bool IsPopup() const { return !items.empty(); }
};

// The main menu of a language offset (0, 256, 512); other offsets give the
// German menu.
const std::vector<MenuItem>& MainMenu(int languageOffset);

// The text of a command in the current language's main menu, "" when the
// command is in no menu.
std::string MenuItemText(unsigned id);

// Keys bound to commands (accelerator table 128). Keys are named as
// QKeySequence's portable text ("Ctrl+N", "Shift+Del", "F1").
struct Accelerator {
    const char* key;
    unsigned id;
};
const std::vector<Accelerator>& Accelerators();

// The toolbar of resource 128, left to right; 0 = separator.
const std::vector<unsigned>& ToolbarButtons();

// The parts of a command's prompt string text(id): the status-bar prompt
// before the first line break, and the tool tip after it (at most 80
// characters; empty when there is no line break or nothing follows).
std::string StatusPrompt(const std::string& promptText);
std::string ToolTipText(const std::string& promptText);

}  // namespace velkaro
