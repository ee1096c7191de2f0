// velkaro import / velkaro export: the import run into a card file and the
// export of its cards, as the desktop program's commands do them.

#include "Cli.h"
#include "Streams.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "device/DialableCards.h"
#include "exchange/Contacts.h"
#include "exchange/Export.h"
#include "exchange/FileDialogs.h"
#include "exchange/ImportConfig.h"
#include "exchange/ImportReader.h"
#include "exchange/ImportRun.h"
#include "exchange/LocaleSeparators.h"
#include "model/Archive.h"
#include "model/Charset.h"
#include "model/Document.h"
#include "model/UserInterface.h"
#include "model/Selection.h"
#include "settings/Settings.h"
#include "text/MessageIds.h"
#include "text/SystemError.h"

#include <algorithm>
#include <filesystem>

namespace velkaro::cli {

namespace {

constexpr char kImportArgs[] = "FILE --into ARCHIVE [--mode add|replace|add-replace] [--config CONFIG.icf] "
                               "[--map LINE=COLUMN[,...]] [--sheet NAME|N] [--skip-first] [--only-numbers] [--dos] "
                               "[--structure] [--name-order family|given|as-is] "
                               "[--dialable [--home-country CC] [--outside-line DIGITS]]";
constexpr char kExportArgs[] = "ARCHIVE -o OUT --format xls|csv|tab|vcf|csv-utf8 [--select TEXT] [--structure]";

std::string ImportUsage()
{
    return std::string("import ") + kImportArgs;
}

std::string ExportUsage()
{
    return std::string("export ") + kExportArgs;
}

// One --map entry as typed: a card line (number from 1, or its label) and an
// import column (number from 1, the header text in the first record, or "-"
// for none).
struct MapEntry {
    std::string line;
    std::string column;
};

bool IsNumber(const std::string& text)
{
    return !text.empty() && text.size() < 6
        && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Splits "LINE=COLUMN[,...]"; false with a reason when an entry cannot be
// right whatever the files hold.
bool ParseMap(const std::string& text, std::vector<MapEntry>& entries, std::string& reason)
{
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string entry = text.substr(start, end - start);
        const std::size_t eq = entry.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == entry.size()) {
            reason = "--map takes LINE=COLUMN[,...], not '" + entry + "'";
            return false;
        }
        MapEntry map { entry.substr(0, eq), entry.substr(eq + 1) };
        if (IsNumber(map.line) && (std::stoi(map.line) < 1 || std::stoi(map.line) > kMaxLines)) {
            reason = "--map: card lines are numbered 1 to " + std::to_string(kMaxLines) + ", not " + map.line;
            return false;
        }
        if (IsNumber(map.column) && std::stoi(map.column) < 1) {
            reason = "--map: columns are numbered from 1, not " + map.column;
            return false;
        }
        entries.push_back(std::move(map));
        start = end + 1;
    }
    return true;
}

// Messages of the flows: errors go to standard error, each after `prefix`
// (the file a writer failed on); the success message is printed by the
// command itself (with the file name as typed, in UTF-8). The import's
// assignment is the automatic one or the configuration file's, changed by
// --map; without a column for the name line nothing is imported unless
// --map leaves the name line empty on purpose ("Name=-").
class CliUi : public IUserInterface {
public:
    CliUi() = default;
    CliUi(int mode, std::vector<MapEntry> map) : m_mode(mode), m_map(std::move(map)) {}

    MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon icon) override
    {
        if (icon != MsgIcon::Information)
            Refuse(text);
        // No one is there to answer: a question is declined.
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : (buttons == MsgButtons::OkCancel ? MsgAnswer::Cancel : MsgAnswer::No);
    }
    // A failure is refused whatever its icon; one without words has been
    // told already.
    void Show(const Outcome& outcome, MsgIcon icon) override
    {
        if (outcome.Ok() || !outcome.HasMessage())
            IUserInterface::Show(outcome, icon);
        else
            Refuse(outcome.Message());
    }
    std::optional<std::string> ChooseFile(FileRequest&) override { return std::nullopt; }
    std::optional<int> ChooseImportMode(int) override { return m_mode; }
    bool EditImportConfig(const CImportTable& table, CImportConfig& config, const CKarte* fieldNames) override;

    std::string prefix;
    // The input the reader's messages name, when it is read from a stream.
    const CInputFile* input = nullptr;

private:
    void Refuse(const std::string& text) { Fail(prefix + (input ? input->Named(text) : text)); }

    int m_mode = static_cast<int>(ImportMode::Mix);
    std::vector<MapEntry> m_map;
};

bool CliUi::EditImportConfig(const CImportTable& table, CImportConfig& config, const CKarte* fieldNames)
{
    bool nameLineLeftEmpty = false;
    const int columns = table.WidestRecord();
    for (const MapEntry& entry : m_map) {
        const std::string lineText = Utf8ToAnsi(entry.line);
        const int line = IsNumber(lineText) ? std::stoi(lineText) - 1 : FindLineByLabel(lineText, fieldNames);
        if (line < 0 || line >= kMaxLines) {
            Fail(FormatText(msg::CliMapUnknownLine, lineText.c_str()));
            return false;
        }
        const std::string columnText = Utf8ToAnsi(entry.column);
        int column = -1;
        if (IsNumber(columnText)) {
            column = std::stoi(columnText) - 1;
        } else if (columnText != "-") {
            const std::string upper = AnsiToUpper(columnText);
            const int heading = std::max(table.Layout().headingRecord, 0);
            for (int c = 0; c < table.RecordLength(heading) && column < 0; ++c)
                if (AnsiToUpper(table.FieldText(heading, c)) == upper)
                    column = c;
            if (column < 0)
                column = columns;  // reported below
        }
        if (column >= columns) {
            Fail(FormatText(msg::CliMapUnknownColumn, columnText.c_str()));
            return false;
        }
        // A column goes into one line only, as in the dialog.
        if (column >= 0)
            for (auto& assigned : config.assignment)
                if (assigned == column)
                    assigned = -1;
        config.assignment[line] = static_cast<int16_t>(column);
        if (line == 0)
            nameLineLeftEmpty = column < 0;
    }
    if (config.assignment[0] == -1 && !nameLineLeftEmpty) {
        Fail(Text(msg::CliNoNameColumn));
        return false;
    }
    return true;
}

int LoadArchive(const std::string& path, CCardList& cards, bool mayBeMissing)
{
    std::error_code ec;
    if (mayBeMissing && !std::filesystem::exists(path, ec))
        return 0;
    auto result = LoadCardFile(path, cards);
    ReportControlCharacters(path, result.cardsWithControls);
    return result ? 0 : FailReading(path, result.message);
}

// What the import's command line asks for.
struct ImportOptions {
    std::string archive, configPath;
    bool hasConfig = false;
    bool structure = false;
    std::vector<MapEntry> map;
    SheetRequest sheet;
    ImportSettings settings;
    CImportConfig config;
    std::string homeCountry, outsideLine;  // for --dialable; empty: the settings'
};

// The import mode by name or number; false for neither.
bool ParseImportMode(const std::string& text, ImportMode& mode)
{
    if (text == "replace" || text == "0")
        mode = ImportMode::DeleteOld;
    else if (text == "add" || text == "1")
        mode = ImportMode::Mix;
    else if (text == "add-replace" || text == "2")
        mode = ImportMode::MixReplace;
    else
        return false;
    return true;
}

// --dialable and the options that go with it.
std::optional<int> TakeDialableOptions(std::vector<std::string>& args, ImportOptions& o)
{
    o.settings.dialable = TakeFlag(args, "--dialable");
    const bool hasCountry = TakeOption(args, "--home-country", o.homeCountry);
    const bool hasOutside = TakeOption(args, "--outside-line", o.outsideLine);
    if ((hasCountry || hasOutside) && !o.settings.dialable)
        return UsageError("--home-country and --outside-line go with --dialable", ImportUsage());
    if (hasCountry && !CPhoneNumbers::IsKnownCountry(o.homeCountry))
        return UsageError("bad --home-country: " + o.homeCountry + " (a two-letter country code such as CH)",
                          ImportUsage());
    if (hasOutside
        && (o.outsideLine.empty() || o.outsideLine.find_first_not_of("0123456789*#") != std::string::npos))
        return UsageError("--outside-line takes what the telephone dials for an outside line: digits, * and #",
                          ImportUsage());
    if (!o.settings.dialable)
        return std::nullopt;
    // Without the options, the settings'.
    if (!hasCountry)
        o.homeCountry = CPhoneNumbers::HomeCountry(CSettings::Instance().HomeCountry());
    if (!hasOutside)
        o.outsideLine = CSettings::Instance().OutsideLinePrefix();
    return std::nullopt;
}

// The options into o, the file left in args; a status when the command
// ends here (a usage error, an unreadable configuration).
std::optional<int> TakeImportOptions(std::vector<std::string>& args, ImportOptions& o)
{
    std::string modeText, mapText;
    bool hasArchive = TakeOption(args, "--into", o.archive);
    o.hasConfig = TakeOption(args, "--config", o.configPath);
    bool hasMode = TakeOption(args, "--mode", modeText);
    while (TakeOption(args, "--map", mapText)) {
        std::string reason;
        if (!ParseMap(mapText, o.map, reason))
            return UsageError(reason, ImportUsage());
    }
    if (TakeOption(args, "--sheet", o.sheet.sheet) && !IsWellFormedSheetChoice(o.sheet.sheet))
        return UsageError(kSheetOptionUsage, ImportUsage());
    o.sheet.sheet = Utf8ToAnsi(o.sheet.sheet);
    o.settings.skipFirst = TakeFlag(args, "--skip-first");
    o.settings.onlyNumbers = TakeFlag(args, "--only-numbers");
    o.settings.dosCharacters = TakeFlag(args, "--dos");
    o.structure = TakeFlag(args, "--structure");
    if (std::optional<int> status = TakeDialableOptions(args, o))
        return status;
    std::string nameOrderReason;
    if (!TakeNameOrder(args, nameOrderReason))
        return UsageError(nameOrderReason, ImportUsage());
    if (!hasArchive || args.size() != 1)
        return UsageError(ImportUsage());
    // A line that no number and no label of any language names is a mistake
    // in the command line. With --structure the archive's own labels name
    // lines too: those are known only once it is read.
    if (!o.structure)
        for (const MapEntry& entry : o.map)
            if (!IsNumber(entry.line) && FindLineByLabel(Utf8ToAnsi(entry.line), nullptr) < 0)
                return UsageError(AnsiToUtf8(FormatText(msg::CliMapUnknownLine, Utf8ToAnsi(entry.line).c_str())),
                                  ImportUsage());
    // The command line never deletes cards unless told: by default the new
    // cards are added and a name that exists already is numbered.
    ImportMode mode = ImportMode::Mix;
    if (hasMode && !ParseImportMode(modeText, mode))
        return UsageError("--mode takes add (the default: the new cards are added), replace (the existing "
                          "cards are deleted first) or add-replace (a new card replaces the one of the same name)",
                          ImportUsage());
    o.settings.mode = static_cast<int>(mode);

    if (o.hasConfig) {
        auto read = ReadImportConfig(o.configPath, o.config);
        if (!read)
            return FailReading(o.configPath, read.Message());
        // The file's options are on as if loaded in the dialog; flags add to them.
        o.settings.skipFirst = o.settings.skipFirst || o.config.skipFirst;
        o.settings.onlyNumbers = o.settings.onlyNumbers || o.config.onlyNumbers;
        o.settings.dosCharacters = o.settings.dosCharacters || o.config.characterSet == 1;
    }
    return std::nullopt;
}

// The count and what the cards could not keep, a line each, and for
// scripts as numbers.
int ReportImport(const ImportOutcome& outcome, const CInputFile& input)
{
    std::error_code ec;
    const std::string path = input.Shown();
    std::string full = input.Path() == path ? std::filesystem::absolute(path, ec).lexically_normal().string() : path;
    Say(FormatText(msg::CardsLoadedFromFile, outcome.count, Utf8ToAnsi(ec ? path : full).c_str()));
    if (const std::string lost = ImportReportText(outcome.report); !lost.empty())
        Say(lost);
    std::string leftOut;
    for (const auto& title : outcome.report.columnsLeftOut) {
        if (!leftOut.empty())
            leftOut += ',';
        AppendJsonString(leftOut, title);
    }
    AddJsonResult("report", "{\"cut\":" + std::to_string(outcome.report.cut) + ",\"nameless\":"
                                + std::to_string(outcome.report.nameless) + ",\"columnsLeftOut\":[" + leftOut + "]}");
    return FinishOutput();
}

int RunImport(std::vector<std::string>& args)
{
    ImportOptions o;
    if (std::optional<int> status = TakeImportOptions(args, o))
        return *status;
    if (o.settings.dialable && !CPhoneNumbers::IsKnownCountry(o.homeCountry))
        return Fail(Text(msg::HomeCountryUnknown));

    // Standard input and pipes are read once, into a file the reader opens.
    CInputFile input(args[0]);
    if (const std::string reason = input.Open(kMaxImportFileBytes, true); !reason.empty())
        return FailReading(input.Shown(), reason);
    CWorkingFileLock lock(o.archive, "velkaro"); if (!lock) return Fail(lock.Message());
    CPcxDoc doc;
    if (int rc = LoadArchive(o.archive, doc.Cards(), true))
        return rc;
    doc.SetWorkingPath(o.archive);

    CliUi ui(o.settings.mode, std::move(o.map));
    ui.input = &input;
    // A failed save says why, with the system's reason, through the
    // document's own message.
    doc.SetUserInterface(&ui);
    const NumberSeparators seps = LocaleSeparators();
    // The reader's messages say what is wrong; the file they are about
    // goes before them.
    ImportFileReader reader = [&seps, &ui, &o, &input](const std::string& path, CImportTable& table, IMessageUi& u) {
        ui.prefix = Utf8ToAnsi(input.Shown()) + ": ";
        // A UTF-8 file's own bytes serve the DOS character set only, which
        // the command line chooses before the file is read.
        table.SetKeepsRawFields(o.settings.dosCharacters);
        Outcome read = ReadImportFile(path, table, u, seps, o.sheet);
        // A file without a record is told here, where its name is known.
        if (read) {
            table.DropEmptyRecords();
            if (table.RecordCount() == 0)
                read = Outcome(OutcomeKind::BadInput, msg::EmptyFile);
        }
        u.Show(read, MsgIcon::None);
        ui.prefix.clear();
        return read.Ok();
    };
    ImportFileRequest request;
    request.path = input.Path();
    request.config = o.hasConfig ? &o.config : nullptr;
    request.structureActive = o.structure;
    const CDialableNumbers numbers(o.homeCountry, o.outsideLine);
    if (o.settings.dialable)
        request.dialable = [&numbers](const std::string& text, int line) { return numbers.Line(text, line); };
    auto outcome = ImportFile(doc, ui, o.settings, request, reader);
    if (!outcome.imported || !outcome.saved) {
        // The archive is as it was: the copy of it the import kept goes.
        doc.WithdrawHistory();
        return 1;
    }
    return ReportImport(outcome, input);
}

int RunExport(std::vector<std::string>& args)
{
    std::string out, format, select;
    bool hasOut = TakeOption(args, "-o", out) || TakeOption(args, "--output", out);
    bool hasFormat = TakeOption(args, "--format", format);
    bool hasSelect = TakeOption(args, "--select", select);
    bool structure = TakeFlag(args, "--structure");
    if (!hasOut || !hasFormat || args.size() != 1)
        return UsageError(ExportUsage());
    int filter = format == "xls" ? kFilterExcel
        : format == "csv"        ? kFilterComma
        : format == "tab"        ? kFilterTab
        : format == "vcf"        ? kFilterVCard
        : format == "csv-utf8"   ? kFilterCsvUtf8
                                 : 0;
    if (filter == 0)
        return UsageError("--format takes xls, csv, tab, vcf or csv-utf8", ExportUsage());
    // The cards would be read and their file then written over with the
    // export. The input is not locked: the lock is one program's alone and
    // would refuse every export while the desktop program holds its file.
    if (SameFile(args[0], out))
        return Fail(FormatText(msg::CliOutputIsInput, Utf8ToAnsi(out).c_str()));

    CCardList cards;
    if (int rc = LoadArchive(args[0], cards, false))
        return rc;
    if (cards.IsEmpty())
        return Fail(Text(msg::NoCardsAvailable));

    CSelection selection;
    if (hasSelect) {
        selection.SetSearchText(Utf8ToAnsi(select));
        selection.Start(true);
    }
    CliUi ui;
    // The writers give the system's reason only; the file goes before it.
    const std::string shown = out == "-" ? Text(msg::CliStandardOutput) : Utf8ToAnsi(out);
    ui.prefix = shown + ": ";
    // A stream cannot be renamed over: the export goes to a scratch file
    // that is then copied into it.
    const bool stream = IsStreamOutput(out);
    CScratchFolder scratch;
    const std::string written = stream ? scratch.PathOf("export") : out;
    auto outcome = ExportCards(cards, hasSelect ? &selection : nullptr, structure, written, filter, ui);
    if (!outcome.written)
        return 1;
    if (stream)
        if (const int error = CopyIntoStream(written, out))
            return Fail(shown + ": " + SystemErrorText(error));
    // A stream is often standard output under another name (/dev/stdout):
    // no message joins the export there.
    std::string selected = hasSelect ? Text(msg::WordSelected) : std::string();
    if (!stream)
        Say(FormatText(msg::AllCardsSavedInFile, outcome.count, selected.c_str(), shown.c_str()));
    return FinishOutput();
}

}  // namespace

bool TakeNameOrder(std::vector<std::string>& args, std::string& reason)
{
    std::string text;
    const bool given = TakeOption(args, "--name-order", text);
    if (!given)
        text = CSettings::Instance().NameOrder();
    const auto order = ParseNameOrder(text);
    if (given && !order) {
        reason = "--name-order takes family (the family name first, the default), given (the given name first) "
                 "or as-is (the full name as the address book writes it)";
        return false;
    }
    SetContactNameOrder(order.value_or(NameOrder::Family));
    return true;
}

namespace {

CliRegistration importCommand({ "import", RunImport });
CliRegistration exportCommand({ "export", RunExport });

}  // namespace

}  // namespace velkaro::cli
