// velkaro import / velkaro export: the import run into a card file and the
// export of its cards, as the desktop program's commands do them.

#include "Cli.h"

#include "app/Cp1252.h"
#include "app/Language.h"
#include "exchange/Export.h"
#include "exchange/FileDialogs.h"
#include "exchange/ImportConfig.h"
#include "exchange/ImportReader.h"
#include "exchange/ImportRun.h"
#include "model/Archive.h"
#include "model/Document.h"
#include "model/Selection.h"
#include "resources/MessageIds.h"

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <langinfo.h>

namespace velkaro::cli {

namespace {

// Messages of the flows: errors go to standard error; the success message
// is printed by the command itself (with the file name as typed, in UTF-8).
class CliUi : public IUserInterface {
public:
    explicit CliUi(std::optional<int> mode = std::nullopt) : m_mode(mode) {}

    MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon icon) override
    {
        if (icon != MsgIcon::Information) {
            Fail(text);
            failed = true;
        }
        // No one is there to answer: a question is declined.
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : (buttons == MsgButtons::OkCancel ? MsgAnswer::Cancel : MsgAnswer::No);
    }
    std::optional<std::string> ChooseFile(FileRequest&) override { return std::nullopt; }
    std::optional<int> ChooseImportMode(int current) override { return m_mode ? *m_mode : current; }

    bool failed = false;

private:
    std::optional<int> m_mode;
};

// The separators numbers and dates are shown with in the user's locale.
NumberSeparators SystemSeparators()
{
    NumberSeparators seps;
    const char* previous = std::setlocale(LC_ALL, nullptr);
    std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_ALL, "")) {
        const std::lconv* lc = std::localeconv();
        if (lc->decimal_point && lc->decimal_point[0] && !lc->decimal_point[1])
            seps.decimal = lc->decimal_point[0];
        if (lc->thousands_sep && lc->thousands_sep[0] && !lc->thousands_sep[1])
            seps.thousands = lc->thousands_sep[0];
        else
            seps.thousands = seps.decimal == ',' ? '.' : ',';
        // The first character of the date format that is no conversion.
        std::string format = nl_langinfo(D_FMT);
        for (std::size_t i = 0; i < format.size(); ++i) {
            if (format[i] == '%') {
                ++i;
                continue;
            }
            seps.date = format[i];
            break;
        }
    }
    std::setlocale(LC_ALL, saved.c_str());
    return seps;
}

int LoadArchive(const std::string& path, CCardList& cards, bool mayBeMissing)
{
    std::error_code ec;
    if (mayBeMissing && !std::filesystem::exists(path, ec))
        return 0;
    auto result = LoadCardFile(path, cards);
    if (!result)
        return Fail(result.message.empty() ? "cannot read " + path : result.message);
    return 0;
}

int RunImport(std::vector<std::string>& args)
{
    std::string archive, configPath, modeText;
    bool hasArchive = TakeOption(args, "--into", archive);
    bool hasConfig = TakeOption(args, "--config", configPath);
    bool hasMode = TakeOption(args, "--mode", modeText);
    ImportSettings settings;
    settings.skipFirst = TakeFlag(args, "--skip-first");
    settings.onlyNumbers = TakeFlag(args, "--only-numbers");
    settings.dosCharacters = TakeFlag(args, "--dos");
    bool structure = TakeFlag(args, "--structure");
    if (!hasArchive || args.size() != 1)
        return Fail("usage: velkaro import FILE --into ARCHIVE [--config CONFIG.icf] [--mode 0|1|2] "
                    "[--skip-first] [--only-numbers] [--dos] [--structure]");
    std::optional<int> mode;
    if (hasMode) {
        if (modeText != "0" && modeText != "1" && modeText != "2")
            return Fail("--mode takes 0 (delete old cards), 1 (mix) or 2 (mix and replace duplicates)");
        mode = modeText[0] - '0';
    }

    CImportConfig config;
    if (hasConfig) {
        auto read = ReadImportConfig(configPath, config);
        if (!read)
            return Fail(configPath + ": " + read.message);
        // The file's options are on as if loaded in the dialog; flags add to them.
        settings.skipFirst = settings.skipFirst || config.skipFirst;
        settings.onlyNumbers = settings.onlyNumbers || config.onlyNumbers;
        settings.dosCharacters = settings.dosCharacters || config.characterSet == 1;
    }

    CWorkingFileLock lock(archive, "velkaro"); if (!lock) return Fail(lock.Message());
    CPcxDoc doc;
    if (int rc = LoadArchive(archive, doc.Cards(), true))
        return rc;
    doc.SetWorkingPath(archive);

    CliUi ui(mode);
    NumberSeparators seps = SystemSeparators();
    ImportFileReader reader = [&seps](const std::string& path, CImportTable& table, IUserInterface& u) {
        return ReadImportFile(path, table, u, seps) != 0;
    };
    ImportFileRequest request;
    request.path = args[0];
    request.config = hasConfig ? &config : nullptr;
    request.structureActive = structure;
    auto outcome = ImportFile(doc, ui, settings, request, reader);
    if (!outcome.imported)
        return 1;
    if (!outcome.saved)
        return Fail("cannot write " + archive);
    std::error_code ec;
    std::string full = std::filesystem::absolute(args[0], ec).lexically_normal().string();
    PrintLine(FormatText(msg::CardsLoadedFromFile, outcome.count, Utf8ToAnsi(ec ? args[0] : full).c_str()));
    return 0;
}

int RunExport(std::vector<std::string>& args)
{
    std::string out, format, select;
    bool hasOut = TakeOption(args, "-o", out) || TakeOption(args, "--output", out);
    bool hasFormat = TakeOption(args, "--format", format);
    bool hasSelect = TakeOption(args, "--select", select);
    bool structure = TakeFlag(args, "--structure");
    if (!hasOut || !hasFormat || args.size() != 1)
        return Fail("usage: velkaro export ARCHIVE -o OUT --format xls|csv|tab [--select TEXT] [--structure]");
    int filter = format == "xls" ? kFilterExcel : format == "csv" ? kFilterComma : format == "tab" ? kFilterTab : 0;
    if (filter == 0)
        return Fail("--format takes xls, csv or tab");

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
    auto outcome = ExportCards(cards, hasSelect ? &selection : nullptr, structure, out, filter, ui);
    if (!outcome.written)
        return 1;
    std::string selected = hasSelect ? Text(msg::WordSelected) : std::string();
    PrintLine(FormatText(msg::AllCardsSavedInFile, outcome.count, selected.c_str(), Utf8ToAnsi(out).c_str()));
    return 0;
}

CliRegistration importCommand({ "import",
                                "FILE --into ARCHIVE [--config CONFIG.icf] [--mode 0|1|2] [--skip-first] "
                                "[--only-numbers] [--dos] [--structure]",
                                RunImport });
CliRegistration exportCommand({ "export", "ARCHIVE -o OUT --format xls|csv|tab [--select TEXT] [--structure]",
                                RunExport });

}  // namespace

}  // namespace velkaro::cli
