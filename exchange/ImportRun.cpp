#include "ImportRun.h"

#include "exchange/Transliteration.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "model/Document.h"
#include "model/History.h"
#include "model/MessageUi.h"
#include "text/MessageIds.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <new>

namespace velkaro {

namespace {

const std::vector<std::string> kNoFields;

std::string FullPath(const std::string& path)
{
    std::error_code ec;
    auto full = std::filesystem::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

}  // namespace

void FillCardFromRecord(CKarte& card, const std::vector<std::string>& fields, const CImportConfig& config)
{
    // Windows-1252 text has what the telephone would show as blanks
    // transliterated first (DOS text is converted inside the card).
    if (config.characterSet != static_cast<uint8_t>(CharacterSet::Dos)) {
        std::vector<std::string> readable;
        readable.reserve(fields.size());
        for (const auto& field : fields)
            readable.push_back(ReadableForDevice(field));
        card.FillFromFields(readable, config.assignment.data(), config.Options());
        return;
    }
    card.FillFromFields(fields, config.assignment.data(), config.Options());
}

int ImportRun(CCardList& cards, const CImportTable& table, const CImportConfig& config, int mode,
              IMessageUi* ui)
{
    if (ui) {
        ui->BeginWait();
        ui->ProgressBegin(Text(msg::Importing));
    }
    if (mode == static_cast<int>(ImportMode::DeleteOld))
        cards.DeleteAllCards();  // the field-names card stays

    const bool replace = mode == static_cast<int>(ImportMode::MixReplace);
    const int records = table.RecordCount();
    int count = 0;
    // The cards join the collection together, in record order, as if one by
    // one: sorting them in singly costs the square of their number.
    std::vector<std::unique_ptr<CKarte>> made;
    made.reserve(static_cast<std::size_t>(std::max(records, 0)));
    for (int r = config.skipFirst ? 1 : 0; r < records; ++r) {
        // A UTF-8 text file's fields are already Windows-1252; the DOS
        // character set, when chosen, applies to the file's own bytes.
        const bool dos = config.characterSet == static_cast<uint8_t>(CharacterSet::Dos);
        const auto* fields = table.TextIsUtf8() && dos ? table.RawRecord(r) : table.Record(r);
        std::unique_ptr<CKarte> card(new (std::nothrow) CKarte);
        if (!card)
            continue;  // a card that cannot be made is skipped, the run goes on
        FillCardFromRecord(*card, fields ? *fields : kNoFields, config);
        made.push_back(std::move(card));
        ++count;
        if (ui && r % 50 == 0)
            ui->ProgressStep(static_cast<int>(1000LL * r / records));
    }
    cards.InsertAllSorted(std::move(made), replace);
    // A record named with the reserved name brings a new card structure.
    cards.ExtractFieldNames();

    if (ui) {
        ui->ProgressEnd();
        ui->EndWait();
    }
    return count;
}

ImportOutcome ImportFile(CPcxDoc& doc, IImportUi& ui, ImportSettings& settings,
                         const ImportFileRequest& request, const ImportFileReader& read)
{
    ImportOutcome outcome;
    outcome.path = FullPath(request.path);

    CImportTable table;
    if (!read(request.path, table, ui))
        return outcome;
    table.DropEmptyRecords();
    if (table.RecordCount() == 0) {
        ui.Message(Text(msg::EmptyFile), MsgButtons::Ok, MsgIcon::None);
        return outcome;
    }

    CCardList& cards = doc.Cards();
    const CKarte* fieldNames = request.structureActive ? cards.FieldNames() : nullptr;
    CImportConfig config;
    if (request.config)
        config.assignment = request.config->assignment;
    else
        AutoAssign(table, fieldNames, config);
    config.skipFirst = settings.skipFirst ? 1 : 0;
    config.onlyNumbers = settings.onlyNumbers ? 1 : 0;
    config.characterSet = static_cast<uint8_t>(settings.dosCharacters ? CharacterSet::Dos : CharacterSet::Windows);
    if (!ui.EditImportConfig(table, config, fieldNames))
        return outcome;
    settings.skipFirst = config.skipFirst != 0;
    settings.onlyNumbers = config.onlyNumbers != 0;
    settings.dosCharacters = config.characterSet == static_cast<uint8_t>(CharacterSet::Dos);

    int mode = static_cast<int>(ImportMode::DeleteOld);
    if (!cards.IsEmpty()) {
        auto chosen = ui.ChooseImportMode(settings.mode);
        if (!chosen)
            return outcome;
        mode = *chosen;
        settings.mode = mode;
    }

    // Modes that delete or replace cards keep the cards as they were.
    if ((mode == static_cast<int>(ImportMode::DeleteOld) || mode == static_cast<int>(ImportMode::MixReplace))
        && !doc.KeepHistory(ui, history::Import))
        return outcome;
    doc.BeginChange(StepLabel());
    outcome.count = ImportRun(cards, table, config, mode, &ui);
    doc.SetChangeLabel(StepLabel::Counted(msg::StepImport, outcome.count));
    outcome.imported = true;
    doc.UpdateAllViews(UpdateHint::All);
    outcome.saved = doc.AutoSave(false);
    ui.Message(FormatText(msg::CardsLoadedFromFile, outcome.count, PathForDisplay(outcome.path).c_str()),
               MsgButtons::Ok, MsgIcon::Information);
    return outcome;
}

ImportOutcome OnImport(CPcxDoc& doc, IImportUi& ui, ImportSettings& settings, bool structureActive,
                       const ImportFileReader& read)
{
    FileRequest request = CardImportExportFileRequest(false);
    auto path = ui.ChooseFile(request);
    if (!path)
        return {};
    ImportFileRequest file;
    file.path = *path;
    file.structureActive = structureActive;
    return ImportFile(doc, ui, settings, file, read);
}

}  // namespace velkaro
