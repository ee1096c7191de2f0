// velkaro cards / velkaro convert: a working or backup file read with the
// document's load rules, printed card by card or written again as the
// program writes its working file.

#include "Cli.h"
#include "Streams.h"

#include "model/Archive.h"
#include "model/History.h"
#include "exchange/ImportReader.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "text/SystemError.h"

#include <ctime>

#include <iostream>

namespace velkaro::cli {

namespace {

std::string CardJson(const CKarte& card)
{
    std::string json = "{\"edited\":" + std::to_string(card.EditedByte()) + ",\"marked\":" + std::to_string(card.MarkByte())
        + ",\"lines\":[";
    bool first = true;
    card.VisitStoredLines([&json, &first](std::string_view line) {
        if (!first)
            json += ',';
        first = false;
        json += JsonString(line);
    });
    return json + "]}";
}

int RunCards(std::vector<std::string>& args)
{
    if (args.size() != 1)
        return UsageError("cards FILE");
    // Standard input and pipes are read once, into a file the reader opens.
    CInputFile input(args[0]);
    if (const std::string reason = input.Open(kMaxImportFileBytes, false); !reason.empty())
        return FailReading(input.Shown(), reason);
    CCardList list;
    ArchiveResult result = LoadCardFile(input.Path(), list);
    if (!result)
        return FailReading(input.Shown(), input.Named(result.message));
    ReportControlCharacters(input.Shown(), result.cardsWithControls);
    // The field-names card is printed where it sorts, as it is stored.
    list.InsertFieldNames();
    for (const auto& card : list.Cards())
        std::cout << CardJson(*card) << '\n';
    return FinishOutput();
}

int RunConvert(std::vector<std::string>& args)
{
    if (args.size() != 2)
        return UsageError("convert IN OUT");
    CWorkingFileLock lock(args[1], "velkaro"); if (!lock) return Fail(lock.Message());
    CCardList list;
    ArchiveResult result = LoadCardFile(args[0], list);
    if (!result)
        return FailReading(args[0], result.message);
    // A file written over is kept in its history first; a write that
    // fails (a full disk) takes the copy back.
    CHistoryCopy copy;
    if (int error = copy.Keep(args[1], history::Convert, std::time(nullptr)))
        return Fail(FormatText(msg::HistoryWriteFailed, SystemErrorText(error).c_str()));
    result = SaveCardFile(args[1], list);
    if (!result) {
        copy.Withdraw();
        return Fail(result.message);
    }
    return 0;
}

const CliRegistration kCards({ "cards", RunCards });
const CliRegistration kConvert({ "convert", RunConvert });

}  // namespace

}  // namespace velkaro::cli
