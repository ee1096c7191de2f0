#pragma once

// The export of cards: all of them, or those of the active selection, as a
// spreadsheet, a semicolon-separated text with quoted fields, or a
// tab-separated text. The first row holds the line labels.

#include "ImportTable.h"

#include "model/CardList.h"
#include "text/Outcome.h"

#include <string>
#include <vector>

namespace velkaro {

class CSelection;
class IMessageUi;

// Row 0: the 32 labels (the field-names card's when given); then one row per
// card with its lines as stored.
CImportTable BuildExportTable(const std::vector<const CKarte*>& cards, const CKarte* fieldNames);

// Writes the table in the format of the filter index (1 spreadsheet, 2
// semicolon, 3 tab, 4 vCard, 5 CSV UTF-8); on failure the system's words.
// Nothing is written for any other index: a bad input without a message.
Outcome WriteExportTable(const std::string& path, const CImportTable& table, int filterIndex);

struct ExportOutcome {
    bool written = false;
    int count = 0;
    std::string path;
};

// The cards an export takes: those the selection lets through, or all.
std::vector<const CKarte*> CardsToExport(const CCardList& cards, const CSelection* selection);

// The export command: no cards, the selection question, the save dialog,
// the writer chosen by the filter index (not by the extension typed), and
// the message how many cards were saved (msg::AllCardsSavedInFile).
ExportOutcome OnExport(const CCardList& cards, const CSelection* selection, bool structureActive,
                       IMessageUi& ui);

// The same after the file choice.
ExportOutcome ExportCards(const CCardList& cards, const CSelection* selection, bool structureActive,
                          const std::string& path, int filterIndex, IMessageUi& ui);

}  // namespace velkaro
