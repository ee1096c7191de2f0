#pragma once

// The commands of the File and Edit menus that work on whole files or on
// all cards: import, export, saving and loading a backup, deleting all
// cards. Each runs one command flow over the document with the user
// interface given and holds back cards the telephone sends meanwhile.

#include "device/DialableCards.h"
#include "exchange/BiffReader.h"
#include "exchange/Export.h"
#include "exchange/ImportRun.h"
#include "exchange/LocaleSeparators.h"

class QWidget;

namespace velkaro {

class CMainFrame;
class CPcxApp;
class CPcxDoc;
class CSelection;
class CSettings;
class IImportUi;
class IMessageUi;

// "ImportWithoutFirstLine", "ImportOnlyNumbers", "ImportCharDOS",
// "DeleteOldCardsOnImport" and "ImportDialable".
ImportSettings ReadImportSettings(const CSettings& settings);
void StoreImportSettings(CSettings& settings, const ImportSettings& values);

// Import: file choice, reading with progress, the import dialog, the mode
// question, the run with progress, the working file and the message how
// many cards were loaded (msg::CardsLoadedFromFile). The
// options are stored after OK in the import dialog, the mode after OK in
// the mode question. The numbers of the new cards are made dialable when
// the dialog's option asks for it (DialableNumbersOf).
ImportOutcome ImportCommand(CPcxDoc& doc, IImportUi& ui, CSettings& settings, bool structureActive);
// Export: the cards of the selection (or all) in the format of the filter
// chosen in the save dialog.
ExportOutcome ExportCommand(const CPcxDoc& doc, IMessageUi& ui, const CSelection* selection,
                            bool structureActive);
// The earlier states of the working file's history to choose from; the
// chosen one is restored as one undoable step.
void RestoreHistoryCommand(CPcxDoc& doc, IMessageUi& ui, QWidget* parent);
// Save a backup, load a backup, delete all cards.
void SaveBackupCommand(CPcxDoc& doc, IMessageUi& ui);
void LoadBackupCommand(CPcxDoc& doc, IMessageUi& ui);
// A backup given to the program when it starts: loaded as the command
// "load backup" loads it,
// with its question, without the open dialog.
void LoadBackupFileCommand(CPcxDoc& doc, IMessageUi& ui, const std::string& path);
void DeleteAllCardsCommand(CPcxDoc& doc, IMessageUi& ui);
// The numbers as the telephone dials them from the home country (the
// setting "HomeCountry", else the locale's) behind the outside line
// ("OutsideLinePrefix").
CDialableNumbers DialableNumbersOf(const CSettings& settings);
// Edit, make numbers dialable: every card's number lines (exchange/
// NumberLines.h) converted in one undoable step, and how many lines changed
// (msg::NumbersMadeDialable); msg::NumbersAlreadyDialable and no step when
// none did, msg::HomeCountryUnknown when no home country is known. Returns
// the lines changed.
int MakeDialableCommand(CPcxDoc& doc, IMessageUi& ui, const CDialableNumbers& numbers);

// Carries out import, export, save and load backup and delete all cards
// from the frame's menus, accelerators and toolbar, over the application's
// document, user interface and settings; export sees the card view's
// selection.
void AttachFileCommands(CMainFrame& frame, CPcxApp& app);

}  // namespace velkaro
