#pragma once

// The import: a read import table becomes cards that join the document's
// collection in one of three ways.

#include "FileDialogs.h"
#include "ImportConfig.h"
#include "ImportTable.h"

#include "model/CardList.h"
#include "model/ImportUi.h"

#include <functional>
#include <string>
#include <vector>

namespace velkaro {

class CPcxDoc;


enum class ImportMode : int {
    DeleteOld = 0,        // the existing cards are deleted first
    Mix = 1,              // a name that exists already is numbered
    MixReplace = 2,       // a name that exists already replaces the old card
};

// What an import could not keep whole, so that it can say so.
struct ImportReport {
    int cut = 0;       // values longer than their line, cut to it
    int nameless = 0;  // records without a name (their cards are named "A")
    // The titles of columns holding values that no line took (Windows-1252;
    // "Spalte 3" where a column has no title).
    std::vector<std::string> columnsLeftOut;
};

// The report as lines of text for the user; empty when nothing was lost.
std::string ImportReportText(const ImportReport& report);

// The first record that becomes a card: after the headings, and after the
// first record when the configuration skips it.
int FirstCardRecord(const CImportTable& table, const CImportConfig& config);

// Fills one card from a record of the import table as the configuration
// assigns its columns.
void FillCardFromRecord(CKarte& card, const std::vector<std::string>& fields, const CImportConfig& config);

// A number as written (Windows-1252) into the form the telephone dials, for
// card line `line`; a text it cannot dial so comes back unchanged. The rules
// (the home country's, the outside line's) live with the device link, above
// the import, which is handed them.
using DialableLine = std::function<std::string(const std::string& ansiText, int line)>;

// The lines of the new cards that hold numbers, and their conversion.
struct ImportNumbers {
    std::vector<int> lines;
    DialableLine dialable;
};

// The lines that hold numbers in the cards of this import: those of
// NumberLines(fieldNames), and those fed by a column whose title names a kind
// of telephone number (a contact table's "Mobil" put into "Zeile 3").
std::vector<int> ImportNumberLines(const CImportTable& table, const CImportConfig& config,
                                   const CKarte* fieldNames);

// The import run over the collection: every record from FirstCardRecord
// becomes a card. A record whose name is
// the reserved name becomes the field-names card. Returns the number of
// records processed. mode outside 0..2 counts as 1.
// With a report, what could not be kept whole is added to it. With numbers,
// the values of its lines are converted before they are cut to their line.
int ImportRun(CCardList& cards, const CImportTable& table, const CImportConfig& config, int mode,
              IMessageUi* ui = nullptr, ImportReport* report = nullptr, const ImportNumbers* numbers = nullptr);
// The same, emptying the table as it goes: the columns no line takes are
// dropped before the cards are made, the rest before the cards are filed, so
// that a large import never holds its table and all its cards in full.
int ImportRunTakingTable(CCardList& cards, CImportTable& table, const CImportConfig& config, int mode,
                         IMessageUi* ui = nullptr, ImportReport* report = nullptr,
                         const ImportNumbers* numbers = nullptr);

// The values the import keeps between runs ("ImportWithoutFirstLine",
// "ImportOnlyNumbers", "ImportCharDOS", "DeleteOldCardsOnImport",
// "ImportDialable").
struct ImportSettings {
    bool skipFirst = false;
    bool onlyNumbers = false;
    bool dosCharacters = false;
    int mode = 0;
    bool dialable = false;
};

// Reads the chosen file into the table by the extension rule; false when
// nothing was read (the reader has told the user why).
using ImportFileReader = std::function<bool(const std::string& path, CImportTable& table, IMessageUi& ui)>;

struct ImportOutcome {
    bool imported = false;  // false: cancelled or nothing read, the cards untouched
    bool saved = false;     // the automatic save wrote the working file
    int count = 0;
    std::string path;
    ImportReport report;
};

// The import command: file choice, reading, the import dialog, the mode
// question when there are cards, the run, the views, the automatic save and
// the message how many cards were loaded (msg::CardsLoadedFromFile).
// settings comes in as stored and goes out as to be stored:
// the options after OK in the import dialog, the mode after OK in the mode
// question. The field-names card labels the lines when the card structure is
// active. With settings.dialable (the import dialog's option), the numbers
// of the new cards are converted by dialable.
ImportOutcome OnImport(CPcxDoc& doc, IImportUi& ui, ImportSettings& settings, bool structureActive,
                       const ImportFileReader& read, const DialableLine& dialable = {});

// The same after the file choice, for a known file and configuration source:
// used by the command line.
struct ImportFileRequest {
    std::string path;
    const CImportConfig* config = nullptr;  // nullptr: the automatic assignment
    bool structureActive = false;
    DialableLine dialable;  // used when the settings ask for dialable numbers
};
ImportOutcome ImportFile(CPcxDoc& doc, IImportUi& ui, ImportSettings& settings,
                         const ImportFileRequest& request, const ImportFileReader& read);

}  // namespace velkaro
