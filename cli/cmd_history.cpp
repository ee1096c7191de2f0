// velkaro history / velkaro restore: the copies a card file's history keeps
// of it (the folder "Verlauf" beside it), and putting one of them back.

#include "Cli.h"

#include "model/Archive.h"
#include "model/History.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "text/SystemError.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>

namespace velkaro::cli {

namespace {

// N as a positive number, else 0.
std::size_t EntryNumber(const std::string& text)
{
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return static_cast<std::size_t>(std::atoi(text.c_str()));
}

int RunHistory(std::vector<std::string>& args)
{
    if (args.size() != 1)
        return UsageError("history FILE");
    const auto entries = ListHistory(args[0]);
    // A name typed wrong lists nothing; a file deleted since still shows
    // the copies it left, to be restored.
    std::error_code ec;
    if (entries.empty() && !std::filesystem::exists(args[0], ec))
        return FailReading(args[0], SystemErrorText(ec ? ec.value() : ENOENT));
    if (entries.empty())
        PrintLine(FormatText(msg::CliNoHistory, Utf8ToAnsi(args[0]).c_str()));
    std::size_t n = 0;
    for (const HistoryEntry& entry : entries) {
        CCardList list;
        const std::string count = LoadCardFile(entry.path, list) ? std::to_string(list.Count()) : "?";
        PrintLine(std::to_string(++n) + "  " + entry.time + "  " + count + "  " + HistoryStepText(entry.action));
    }
    return FinishOutput();
}

int RunRestore(std::vector<std::string>& args)
{
    if (args.size() != 2 || EntryNumber(args[1]) == 0)
        return UsageError("restore FILE N");
    CWorkingFileLock lock(args[0], "velkaro");
    if (!lock)
        return Fail(lock.Message());
    const auto entries = ListHistory(args[0]);
    const std::size_t n = EntryNumber(args[1]);
    if (n > entries.size())
        return Fail(args[1] + ": no such copy in the history (" + std::to_string(entries.size()) + " kept)");
    CCardList list;
    ArchiveResult result = LoadCardFile(entries[n - 1].path, list);
    if (!result)
        return Fail(result.message);
    // The cards held now go into the history too, so the restore can be
    // taken back in the same way; a restore that could not write leaves
    // no copy.
    CHistoryCopy copy;
    if (int error = copy.Keep(args[0], history::Restore, std::time(nullptr)))
        return Fail(FormatText(msg::HistoryWriteFailed, SystemErrorText(error).c_str()));
    result = SaveCardFile(args[0], list);
    if (!result) {
        copy.Withdraw();
        return Fail(result.message);
    }
    Say(std::to_string(list.Count()) + " cards restored from " + entries[n - 1].time);
    return FinishOutput();
}

const CliRegistration kHistory({ "history", RunHistory });
const CliRegistration kRestore({ "restore", RunRestore });

}  // namespace

}  // namespace velkaro::cli
