// velkaro sync: the cards brought in step with the address book on a CardDAV
// server, unattended (a systemd timer runs it), and optionally sent to the
// telephone in the same run.

#include "Cli.h"

#include "carddav/AccountFetch.h"
#include "carddav/AccountStore.h"
#include "carddav/Secrets.h"
#include "carddav/SyncOrigin.h"
#include "carddav/SyncPlan.h"
#include "exchange/Contacts.h"
#include "model/Document.h"
#include "model/UserInterface.h"
#include "settings/Settings.h"
#include "text/Cp1252.h"
#include "text/Language.h"
#include "text/MessageIds.h"

#include <QFile>

#include <filesystem>
#include <iostream>
#include <optional>

namespace velkaro::cli {

namespace {

constexpr char kSyncUsage[] = "sync [--into FILE] [--url URL] [--user USER] [--password-file FILE] "
                              "[--ca-file FILE] [--addressbook NAME] [--dry-run] [--send [--port PORT]] "
                              "[--name-order family|given|as-is]";

struct SyncOptions {
    std::string into;
    std::string url, user, passwordFile, caFile;
    std::string addressBook;
    bool dryRun = false;
    bool send = false;
    std::string port;
};

// The options, or the exit status of a mistake in the command line.
std::optional<int> TakeSyncOptions(std::vector<std::string>& args, SyncOptions& o)
{
    TakeOption(args, "--into", o.into);
    TakeOption(args, "--url", o.url);
    TakeOption(args, "--user", o.user);
    TakeOption(args, "--password-file", o.passwordFile);
    TakeOption(args, "--ca-file", o.caFile);
    TakeOption(args, "--addressbook", o.addressBook);
    o.dryRun = TakeFlag(args, "--dry-run");
    o.send = TakeFlag(args, "--send");
    const bool port = TakeOption(args, "--port", o.port);
    std::string reason;
    if (!TakeNameOrder(args, reason))
        return UsageError(reason, kSyncUsage);
    if (!args.empty())
        return UsageError("unexpected argument: " + args.front(), kSyncUsage);
    if (o.dryRun && o.send)
        return UsageError("--dry-run and --send exclude each other", kSyncUsage);
    if (port && !o.send)
        return UsageError("--port goes with --send", kSyncUsage);
    return std::nullopt;
}

// Messages go to standard error, the counts to standard output; nobody is
// there to answer a question.
class SyncUi : public IUserInterface {
public:
    MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon icon) override
    {
        if (icon == MsgIcon::Information) {
            Say(text);
        } else {
            Fail(text);
            failed = true;
        }
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
    }
    std::optional<std::string> ChooseFile(FileRequest&) override { return std::nullopt; }
    bool failed = false;
};

// The stored account with this run's options over it.
CardDavAccount AccountOfRun(const SyncOptions& o)
{
    CardDavAccount account = LoadAccount(CSettings::Instance());
    if (!o.url.empty()) {
        // Another server: its address books are not the stored one's.
        if (o.url != account.url)
            account.addressBooks.clear();
        account.url = o.url;
    }
    if (!o.user.empty())
        account.user = o.user;
    return account;
}

std::string WorkingFileOf(const SyncOptions& o)
{
    if (!o.into.empty())
        return o.into;
    return QFile::encodeName(CSettings::Instance().WorkingFilePath()).toStdString();
}

std::string CountsJson(const SyncCounts& c, int requests)
{
    return "{\"new\":" + std::to_string(c.added) + ",\"changed\":" + std::to_string(c.changed) + ",\"removed\":"
        + std::to_string(c.removed) + ",\"unchanged\":" + std::to_string(c.unchanged) + ",\"keptChangedHere\":"
        + std::to_string(c.keptChangedHere) + ",\"damaged\":" + std::to_string(c.damaged) + ",\"requests\":"
        + std::to_string(requests) + "}";
}

// The counts, and what the user must know of single cards: those kept
// because they were changed here, the vCards that could not be read.
void ReportPlan(const SyncPlan& plan, bool dryRun, int requests)
{
    const SyncCounts& c = plan.counts;
    Say(FormatText(dryRun ? msg::SyncWouldCount : msg::SyncCount, c.added, c.changed, c.removed, c.unchanged));
    for (const std::string& line : plan.notices)
        std::cerr << ForTerminal(line) << std::endl;
    AddJsonResult("counts", CountsJson(c, requests));
}

Outcome Fetch(const SyncOptions& o, const CardDavAccount& account, const SyncOrigin& origin, const std::string& mapping,
              std::vector<FetchResult>& fetched, int& requests)
{
    std::string password;
    CSecretServiceStore store(5000);
    Outcome resolved = ResolvePassword(o.passwordFile, account.url, account.user, store, password);
    if (!resolved)
        return resolved;
    DavLogin login { account.url, account.user, password, o.caFile };
    auto stateOf = [&](const std::string& url) { return StateOfBook(origin, url, mapping); };
    return FetchAccountNow(login, account.addressBooks, o.addressBook, stateOf, fetched, &requests);
}

int RunSync(std::vector<std::string>& args)
{
    SyncOptions o;
    if (std::optional<int> status = TakeSyncOptions(args, o))
        return *status;
    const CardDavAccount account = AccountOfRun(o);
    // Without a stored account the command line must name the server.
    if (!HasAccount(account))
        return UsageError(AnsiToUtf8(Text(msg::SyncNoAccount)), kSyncUsage);
    if (Outcome checked = CheckAccount(account); !checked)
        return UsageError(AnsiToUtf8(checked.Message()), kSyncUsage);

    const std::string path = WorkingFileOf(o);
    std::optional<CWorkingFileLock> lock;
    if (!o.dryRun && !lock.emplace(path, "velkaro"))
        return Fail(lock->Message());
    SyncUi ui;
    CPcxDoc doc;
    doc.SetUserInterface(&ui);
    if (std::filesystem::exists(path)) {
        ArchiveResult r = doc.Open(path);
        if (!r)
            return FailReading(path, r.message);
    }
    doc.SetWorkingPath(o.dryRun ? std::string() : path);
    SyncOrigin origin;
    if (Outcome read = ReadSyncOrigin(SyncOriginPath(path), origin); !read)
        std::cerr << ForTerminal(read.Message()) << std::endl;

    const CKarte* fieldNames = CSettings::Instance().StructureActive() ? doc.Cards().FieldNames() : nullptr;
    const CardMapping mapping
        = MappingFromSettings(account.filters, CSettings::Instance().OutsideLinePrefix(), fieldNames);
    std::vector<FetchResult> fetched;
    int requests = 0;
    if (Outcome got = Fetch(o, account, origin, MappingFingerprint(mapping), fetched, requests); !got)
        return Fail(got.Message());
    const SyncPlan plan = PlanSync(doc.Cards(), origin, fetched, mapping);
    ReportPlan(plan, o.dryRun, requests);
    if (o.dryRun)
        return plan.counts.damaged > 0 ? 1 : FinishOutput();
    if (Outcome applied = ApplySync(doc, origin, plan, ui); !applied)
        return applied.HasMessage() ? Fail(applied.Message()) : 1;
    int status = plan.counts.damaged > 0 || ui.failed ? 1 : 0;
    if (o.send) {
        // The send marks what it sent and takes the file's lock itself.
        lock.reset();
        const int sent = SendEditedCards(path, o.port);
        status = std::max(status, sent);
    }
    return status != 0 ? status : FinishOutput();
}

const CliRegistration kSync({ "sync", RunSync });

}  // namespace

}  // namespace velkaro::cli
