// velkaro cards / velkaro convert: a working or backup file read with the
// document's load rules, printed card by card or written again as the
// program writes its working file.

#include "Cli.h"

#include "model/Archive.h"
#include "model/History.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "text/SystemError.h"

#include <ctime>

#include <iostream>

namespace velkaro::cli {

namespace {

// An option this command does not know, left over after the known ones.
bool IsOption(const std::string& arg)
{
    return arg.size() > 1 && arg[0] == '-';
}

std::string CardJson(const CKarte& card)
{
    std::string json = "{\"edited\":" + std::to_string(card.EditedByte()) + ",\"marked\":" + std::to_string(card.MarkByte())
        + ",\"lines\":[";
    bool first = true;
    for (const auto& line : card.RawLines()) {
        if (!first)
            json += ',';
        first = false;
        json += JsonString(line);
    }
    return json + "]}";
}

int RunCards(std::vector<std::string>& args)
{
    if (args.size() != 1 || IsOption(args[0]))
        return UsageError("cards FILE");
    CCardList list;
    ArchiveResult result = LoadCardFile(args[0], list);
    if (!result)
        return FailReading(args[0], result.message);
    ReportControlCharacters(args[0], result.cardsWithControls);
    // The field-names card is printed where it sorts, as it is stored.
    list.InsertFieldNames();
    for (const auto& card : list.Cards())
        std::cout << CardJson(*card) << '\n';
    return FinishOutput();
}

int RunConvert(std::vector<std::string>& args)
{
    if (args.size() != 2 || IsOption(args[0]) || IsOption(args[1]))
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

const CliRegistration kCards({ "cards", "FILE  print the cards of a working or backup file as JSON lines", RunCards });
const CliRegistration kConvert({ "convert", "IN OUT  read a card file (any readable version) and write it as version 12",
                                 RunConvert });

}  // namespace

}  // namespace velkaro::cli
