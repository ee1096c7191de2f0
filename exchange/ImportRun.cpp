#include "ImportRun.h"

#include "exchange/Contacts.h"
#include "exchange/NumberLines.h"
#include "exchange/Transliteration.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "model/Charset.h"
#include "model/Document.h"
#include "model/History.h"
#include "model/MessageUi.h"
#include "text/MessageIds.h"

#include <algorithm>
#include <filesystem>

#ifdef __GLIBC__
#include <malloc.h>
#endif
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

namespace {

// The fields as they go into the card: Windows-1252 text has what the
// telephone would show as blanks transliterated first (DOS text is
// converted inside the card).
const std::vector<std::string>& CardFields(const std::vector<std::string>& fields, const CImportConfig& config,
                                           std::vector<std::string>& readable)
{
    if (config.characterSet == static_cast<uint8_t>(CharacterSet::Dos))
        return fields;
    readable.clear();
    readable.reserve(fields.size());
    for (const auto& field : fields)
        readable.push_back(ReadableForDevice(field));
    return readable;
}

// The fields with the values of the number lines as the telephone dials
// them: converted whole, before the line's length cuts them, since a cut
// number would be converted into someone else's.
const std::vector<std::string>& DialableFields(const std::vector<std::string>& fields, const CImportConfig& config,
                                               const ImportNumbers& numbers, std::vector<std::string>& dialled)
{
    const bool dos = config.characterSet == static_cast<uint8_t>(CharacterSet::Dos);
    bool copied = false;
    for (int line : numbers.lines) {
        const int column = config.assignment[static_cast<std::size_t>(line)];
        if (column < 0 || static_cast<std::size_t>(column) >= fields.size())
            continue;
        const std::string& field = fields[static_cast<std::size_t>(column)];
        const std::string text = dos ? OemToAnsi(field) : field;
        std::string converted = numbers.dialable(text, line);
        if (converted == text)
            continue;
        if (!copied)
            dialled = fields;
        copied = true;
        // Keypad characters, the same in both character sets.
        dialled[static_cast<std::size_t>(column)] = std::move(converted);
    }
    return copied ? dialled : fields;
}

// What the record loses to the card: values longer than their line (blanks
// past the end cost nothing), and whether it has a name.
void Account(const std::vector<std::string>& fields, const CImportConfig& config, ImportReport& report)
{
    for (int line = 0; line < kMaxLines; ++line) {
        const int column = config.assignment[line];
        if (column < 0 || static_cast<std::size_t>(column) >= fields.size())
            continue;
        const std::string& text = fields[static_cast<std::size_t>(column)];
        const auto limit = static_cast<std::size_t>(MaxLineLength(line));
        if (text.size() > limit && text.find_first_not_of(" \t", limit) != std::string::npos)
            ++report.cut;
    }
    const int name = config.assignment[0];
    if (name < 0 || static_cast<std::size_t>(name) >= fields.size()
        || fields[static_cast<std::size_t>(name)].find_first_not_of(" \t") == std::string::npos)
        ++report.nameless;
}

// The columns that hold values no line takes, by their titles.
void ColumnsLeftOut(const CImportTable& table, const CImportConfig& config, int first, ImportReport& report)
{
    std::vector<bool> assigned(static_cast<std::size_t>(table.WidestRecord()), false);
    for (int column : config.assignment)
        if (column >= 0 && static_cast<std::size_t>(column) < assigned.size())
            assigned[static_cast<std::size_t>(column)] = true;
    std::vector<bool> holds(assigned.size(), false);
    for (int r = first; r < table.RecordCount(); ++r)
        for (int c = 0; c < table.RecordLength(r); ++c)
            if (!assigned[static_cast<std::size_t>(c)] && !holds[static_cast<std::size_t>(c)]
                && table.FieldView(r, c).find_first_not_of(" \t") != std::string_view::npos)
                holds[static_cast<std::size_t>(c)] = true;
    report.columnsLeftOut = table.Layout().columnsLeftOut;
    const int heading = first > 0 ? std::max(table.Layout().headingRecord, 0) : -1;
    for (std::size_t c = 0; c < holds.size(); ++c) {
        if (!holds[c])
            continue;
        std::string title = heading >= 0 ? table.FieldText(heading, static_cast<int>(c)) : std::string();
        if (title.find_first_not_of(' ') == std::string::npos)
            title = FormatText(msg::ImportColumnNumber, static_cast<int>(c) + 1);
        report.columnsLeftOut.push_back(std::move(title));
    }
}

}  // namespace

void FillCardFromRecord(CKarte& card, const std::vector<std::string>& fields, const CImportConfig& config)
{
    std::vector<std::string> readable;
    card.FillFromFields(CardFields(fields, config, readable), config.assignment.data(), config.Options());
}

int FirstCardRecord(const CImportTable& table, const CImportConfig& config)
{
    return std::max(config.skipFirst ? 1 : 0, table.Layout().headingRecord + 1);
}

std::string ImportReportText(const ImportReport& report)
{
    std::string text;
    const auto add = [&text](const std::string& line) {
        text += text.empty() ? "" : "\n";
        text += line;
    };
    if (report.cut > 0)
        add(FormatText(msg::ImportValuesCut, report.cut));
    if (report.nameless > 0)
        add(FormatText(msg::ImportRecordsWithoutName, report.nameless));
    if (!report.columnsLeftOut.empty()) {
        std::string columns;
        for (const auto& title : report.columnsLeftOut)
            columns += (columns.empty() ? "" : ", ") + title;
        add(FormatText(msg::ImportColumnsLeftOut, columns.c_str()));
    }
    return text;
}

std::vector<int> ImportNumberLines(const CImportTable& table, const CImportConfig& config, const CKarte* fieldNames)
{
    std::vector<int> lines = NumberLines(fieldNames);
    const int heading = FirstCardRecord(table, config) > 0 ? std::max(table.Layout().headingRecord, 0) : -1;
    if (heading < 0)
        return lines;
    for (int line = 2; line < kMaxLines; ++line) {
        const int column = config.assignment[static_cast<std::size_t>(line)];
        if (column >= 0 && std::find(lines.begin(), lines.end(), line) == lines.end()
            && IsNumberLabel(table.FieldText(heading, column)))
            lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

namespace {

// The columns a line takes: all that an import keeps of its table.
std::vector<bool> AssignedColumns(const CImportConfig& config)
{
    std::vector<bool> assigned;
    for (int column : config.assignment) {
        if (column < 0)
            continue;
        if (assigned.size() <= static_cast<std::size_t>(column))
            assigned.resize(static_cast<std::size_t>(column) + 1, false);
        assigned[static_cast<std::size_t>(column)] = true;
    }
    return assigned;
}

// Every record from `first` on as a card, in record order.
std::vector<std::unique_ptr<CKarte>> MakeCards(const CImportTable& table, const CImportConfig& config, int first,
                                               IMessageUi* ui, ImportReport* report, const ImportNumbers* numbers)
{
    const int records = table.RecordCount();
    std::vector<std::unique_ptr<CKarte>> made;
    made.reserve(static_cast<std::size_t>(std::max(records - first, 0)));
    std::vector<std::string> readable, dialled;
    // A UTF-8 text file's fields are already Windows-1252; the DOS
    // character set, when chosen, applies to the file's own bytes.
    const bool dos = config.characterSet == static_cast<uint8_t>(CharacterSet::Dos);
    for (int r = first; r < records; ++r) {
        const auto* fields = table.TextIsUtf8() && dos ? table.RawRecord(r) : table.Record(r);
        std::unique_ptr<CKarte> card(new (std::nothrow) CKarte);
        if (!card)
            continue;  // a card that cannot be made is skipped, the run goes on
        const auto* cardFields = &CardFields(fields ? *fields : kNoFields, config, readable);
        if (numbers && numbers->dialable)
            cardFields = &DialableFields(*cardFields, config, *numbers, dialled);
        if (report)
            Account(*cardFields, config, *report);
        card->FillFromFields(*cardFields, config.assignment.data(), config.Options());
        made.push_back(std::move(card));
        if (ui && r % 50 == 0)
            ui->ProgressStep(static_cast<int>(1000LL * r / records));
    }
    return made;
}

// `taken`, when given, is `table` itself, which the run may empty: its
// other columns go before the cards are made, the rest before they are
// filed.
int Run(CCardList& cards, const CImportTable& table, CImportTable* taken, const CImportConfig& config, int mode,
        IMessageUi* ui, ImportReport* report, const ImportNumbers* numbers)
{
    if (ui) {
        ui->BeginWait();
        ui->ProgressBegin(Text(msg::Importing));
    }
    if (mode == static_cast<int>(ImportMode::DeleteOld))
        cards.DeleteAllCards();  // the field-names card stays

    const bool replace = mode == static_cast<int>(ImportMode::MixReplace);
    const int first = FirstCardRecord(table, config);
    if (report)
        ColumnsLeftOut(table, config, first, *report);
    if (taken)
        taken->KeepColumns(AssignedColumns(config));
    // The cards join the collection together, in record order, as if one by
    // one: sorting them in singly costs the square of their number.
    std::vector<std::unique_ptr<CKarte>> made = MakeCards(table, config, first, ui, report, numbers);
    const int count = static_cast<int>(made.size());
    if (taken)
        taken->RemoveAll();
    cards.InsertAllSorted(std::move(made), replace);
    // A record named with the reserved name brings a new card structure.
    cards.ExtractFieldNames();
#ifdef __GLIBC__
    // The table and the filing's indexes leave free pages between the
    // cards; they go back to the system before the archive is written.
    if (taken)
        malloc_trim(0);
#endif

    if (ui) {
        ui->ProgressEnd();
        ui->EndWait();
    }
    return count;
}

}  // namespace

int ImportRun(CCardList& cards, const CImportTable& table, const CImportConfig& config, int mode,
              IMessageUi* ui, ImportReport* report, const ImportNumbers* numbers)
{
    return Run(cards, table, nullptr, config, mode, ui, report, numbers);
}

int ImportRunTakingTable(CCardList& cards, CImportTable& table, const CImportConfig& config, int mode,
                         IMessageUi* ui, ImportReport* report, const ImportNumbers* numbers)
{
    return Run(cards, table, &table, config, mode, ui, report, numbers);
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
    if (request.config) {
        config.assignment = request.config->assignment;
    } else {
        // An address book's contact export becomes a contact table, its
        // columns assigned like a vCard's.
        RecogniseContactExport(table, ContactNameOrder());
        // The headings that assign the columns are not a card, nor is a
        // title above them.
        TableLayout layout = table.Layout();
        layout.headingRecord = FindHeadingRecord(table, fieldNames);
        table.SetLayout(std::move(layout));
        AutoAssign(table, fieldNames, config);
    }
    config.skipFirst = settings.skipFirst ? 1 : 0;
    config.onlyNumbers = settings.onlyNumbers ? 1 : 0;
    config.characterSet = static_cast<uint8_t>(settings.dosCharacters ? CharacterSet::Dos : CharacterSet::Windows);
    config.dialable = settings.dialable ? 1 : 0;
    if (!ui.EditImportConfig(table, config, fieldNames))
        return outcome;
    settings.skipFirst = config.skipFirst != 0;
    settings.onlyNumbers = config.onlyNumbers != 0;
    settings.dosCharacters = config.characterSet == static_cast<uint8_t>(CharacterSet::Dos);
    settings.dialable = config.dialable != 0;
    // The file's own bytes of a UTF-8 text serve the DOS character set only.
    if (config.characterSet != static_cast<uint8_t>(CharacterSet::Dos))
        table.DropRawFields();
    ImportNumbers numbers;
    if (settings.dialable && request.dialable)
        numbers = { ImportNumberLines(table, config, fieldNames), request.dialable };

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
    // The cards hold what the table did: it goes as they are made.
    outcome.count = ImportRunTakingTable(cards, table, config, mode, &ui, &outcome.report, &numbers);
    doc.SetChangeLabel(StepLabel::Counted(msg::StepImport, outcome.count));
    outcome.imported = true;
    doc.UpdateAllViews(UpdateHint::All);
    outcome.saved = doc.AutoSave(false);
    std::string message = FormatText(msg::CardsLoadedFromFile, outcome.count, PathForDisplay(outcome.path).c_str());
    const std::string lost = ImportReportText(outcome.report);
    if (!lost.empty())
        message += "\n\n" + lost;
    ui.Message(message, MsgButtons::Ok, MsgIcon::Information);
    return outcome;
}

ImportOutcome OnImport(CPcxDoc& doc, IImportUi& ui, ImportSettings& settings, bool structureActive,
                       const ImportFileReader& read, const DialableLine& dialable)
{
    FileRequest request = CardImportExportFileRequest(false);
    auto path = ui.ChooseFile(request);
    if (!path)
        return {};
    ImportFileRequest file;
    file.path = *path;
    file.structureActive = structureActive;
    file.dialable = dialable;
    return ImportFile(doc, ui, settings, file, read);
}

}  // namespace velkaro
