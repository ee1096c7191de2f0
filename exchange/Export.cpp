#include "Export.h"

#include "FileDialogs.h"
#include "SpreadsheetWriter.h"
#include "TextWriter.h"
#include "VCardWriter.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "model/Selection.h"
#include "model/MessageUi.h"
#include "text/MessageIds.h"

namespace velkaro {

namespace {

// Characters of the first eight columns: name, telephone, six further lines.
const std::vector<uint16_t> kExportWidths = { 25, 20, 30, 30, 30, 30, 30, 30 };

bool SelectionOn(const CSelection* selection)
{
    return selection && selection->IsActive();
}

}  // namespace

CImportTable BuildExportTable(const std::vector<const CKarte*>& cards, const CKarte* fieldNames)
{
    CImportTable table;
    for (int k = 0; k < kMaxLines; ++k)
        table.SetField(GetFieldLabel(k, fieldNames), 0, k);
    int row = 1;
    for (const CKarte* card : cards) {
        int k = 0;
        card->VisitStoredLines([&table, &k, row](std::string_view line) { table.SetField(line, row, k++); });
        ++row;
    }
    return table;
}

Outcome WriteExportTable(const std::string& path, const CImportTable& table, int filterIndex)
{
    switch (filterIndex) {
    case kFilterExcel: return CSpreadsheetWriter::WriteFile(path, table, true, &kExportWidths);
    case kFilterComma: return WriteDelimitedText(path, table, ';', true);
    case kFilterTab: return WriteDelimitedText(path, table, '\t', false);
    case kFilterVCard: return WriteVCardFile(path, table);
    case kFilterCsvUtf8: return WriteCsvUtf8(path, table);
    default: return Outcome(OutcomeKind::BadInput);
    }
}

std::vector<const CKarte*> CardsToExport(const CCardList& cards, const CSelection* selection)
{
    if (selection)
        return selection->Filter(cards, false);
    return cards.BuildSubset(false, std::string());
}

ExportOutcome ExportCards(const CCardList& cards, const CSelection* selection, bool structureActive,
                          const std::string& path, int filterIndex, IMessageUi& ui)
{
    ExportOutcome outcome;
    outcome.path = path;
    const std::vector<const CKarte*> chosen = CardsToExport(cards, selection);
    CImportTable table = BuildExportTable(chosen, structureActive ? cards.FieldNames() : nullptr);
    const Outcome written = WriteExportTable(path, table, filterIndex);
    ui.Show(written, MsgIcon::None);
    if (!written)
        return outcome;
    outcome.written = true;
    outcome.count = static_cast<int>(chosen.size());
    std::string selected = SelectionOn(selection) ? Text(msg::WordSelected) : std::string();
    const std::string shownPath = PathForDisplay(path);
    ui.Message(FormatText(msg::AllCardsSavedInFile, outcome.count, selected.c_str(), shownPath.c_str()), MsgButtons::Ok,
               MsgIcon::Information);
    return outcome;
}

ExportOutcome OnExport(const CCardList& cards, const CSelection* selection, bool structureActive,
                       IMessageUi& ui)
{
    // The same box as every other command that needs cards shows.
    if (cards.IsEmpty()) {
        ui.Message(Text(msg::NoCardsAvailable), MsgButtons::Ok, MsgIcon::Warning);
        return {};
    }
    if (selection && !selection->ConfirmFor(ui, msg::VerbExported))
        return {};
    FileRequest request = CardImportExportFileRequest(true);
    auto path = ui.ChooseFile(request);
    if (!path)
        return {};
    return ExportCards(cards, selection, structureActive, *path, request.filterIndex, ui);
}

}  // namespace velkaro
