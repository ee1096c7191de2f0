// velkaro send, send-card, dial, receive, calllist: the device link on the
// command line. Each runs the same flows as the desktop program, with an
// event loop of its own and the user's answers given by options. Usage
// errors (status 2) are found before any port is opened; every other
// failure ends with status 1 and its reasons on standard error.

#include "Cli.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "settings/Settings.h"
#include "device/CallListNames.h"
#include "device/PhoneNumbers.h"
#include "device/ReceiveHandler.h"
#include "device/SendFlows.h"
#include "exchange/ImportTable.h"
#include "exchange/SpreadsheetWriter.h"
#include "exchange/TextWriter.h"
#include "model/Archive.h"
#include "model/CardComparison.h"
#include "model/Document.h"
#include "model/History.h"
#include "model/UserInterface.h"
#include "model/Selection.h"
#include "text/MessageIds.h"
#include "text/SystemError.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>

namespace velkaro::cli {

namespace {

// The flows' messages are collected and written when the command ends: to
// standard output when it succeeded, to standard error when it failed, so
// that a script sees every failure's reason where it looks for it.
class CliUi : public IUserInterface {
public:
    bool confirmSent = false;  // "Senden erfolgreich?"
    bool failed = false;       // a failure was shown
    bool keepsCards = false;   // a dry run or a merge: no stored card is lost

    MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon icon) override
    {
        std::string shown = text;
        while (!shown.empty() && shown.back() == '\n')
            shown.pop_back();
        // The questions themselves are answered by the options.
        if (!shown.empty() && icon != MsgIcon::Question)
            m_lines.push_back(shown);
        return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? MsgAnswer::Ok : MsgAnswer::Yes;
    }
    void Show(const Outcome& outcome, MsgIcon icon) override
    {
        failed = failed || !outcome.Ok();
        IUserInterface::Show(outcome, icon);
    }
    // "Senden erfolgreich?" is answered by --mark-sent.
    MsgAnswer AskAfter(const std::string& result, unsigned /*question*/, MsgIcon icon) override
    {
        Message(result, MsgButtons::Ok, icon);
        return confirmSent ? MsgAnswer::Yes : MsgAnswer::No;
    }
    // The warning that the stored cards go does not hold when they stay.
    ReceivedCardsChoice AskReceivedCards(const std::string& received, unsigned warning, MsgIcon icon,
                                         const CardComparison& /*comparison*/) override
    {
        Message(keepsCards ? received : received + Text(warning), MsgButtons::Ok, icon);
        return ReceivedCardsChoice::Replace;
    }
    std::optional<std::string> ChooseFile(FileRequest&) override { return std::nullopt; }

    void Add(const std::string& ansiText) { m_lines.push_back(ansiText); }
    // Drops what was collected (a result given as JSON instead).
    void Clear() { m_lines.clear(); }

    // Writes what was collected; status 0 to standard output, else to
    // standard error. Returns the status, or 1 when standard output could
    // not take what was written to it (a full disk, a closed descriptor).
    int Finish(int status)
    {
        std::ostream& out = status == 0 ? std::cout : std::cerr;
        for (const std::string& line : m_lines)
            out << ForTerminal(line) << '\n';
        out.flush();
        m_lines.clear();
        const int flushed = FinishOutput();
        return status != 0 ? status : flushed;
    }

private:
    std::vector<std::string> m_lines;
};

struct Session {
    int argc = 1;
    char name[8] = "velkaro";
    char* argv[2] = { name, nullptr };
    std::unique_ptr<QCoreApplication> app;
    CliUi ui;
    std::unique_ptr<CComPortEx> port;

    Session() : app(QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv)) {}

    // A failure: the message after what the flow said, all on standard error.
    int Fail(const std::string& ansiMessage)
    {
        ui.Add(ansiMessage);
        return ui.Finish(1);
    }
};

// A usage error: standard error, exit status 2, before any port is opened.
int UsageError(const std::string& message)
{
    std::cerr << ForTerminal(message) << std::endl;
    return 2;
}

struct PortChoice {
    int number = 0;
    std::string device;
};

bool ParsePort(const std::string& text, PortChoice& port)
{
    if (text.size() > 3 && (text[0] == 'C' || text[0] == 'c') && (text[1] == 'O' || text[1] == 'o')
        && (text[2] == 'M' || text[2] == 'm')) {
        std::string digits = text.substr(3);
        if (digits.empty() || digits.size() > 2
            || !std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            return false;
        port.number = std::stoi(digits);
        return port.number >= 1 && port.number <= kHighestPort;
    }
    if (text.empty())
        return false;
    port.number = 1;
    port.device = text;
    return true;
}

// Takes --port out of args. False (after the usage message) for a bad value.
bool TakePort(std::vector<std::string>& args, PortChoice& port, int& status)
{
    std::string text;
    if (!TakeOption(args, "--port", text)) {
        port.number = CSettings::Instance().PortCOM();
        if (port.number < 1 || port.number > kHighestPort)
            port.number = 0;
        return true;
    }
    if (ParsePort(text, port))
        return true;
    status = UsageError("bad --port: " + text + " (a device path or COM1..COM20)");
    return false;
}

// Opens the chosen port. False when none is chosen or it does not open; the
// reason is then with the session's messages.
bool OpenPort(Session& s, const PortChoice& choice, bool allowHighSpeed)
{
    s.port = std::make_unique<CComPortEx>();
    s.port->SetUserInterface(&s.ui);
    // The telephone paces the PC with XON/XOFF; RTS and DTR are simply on.
    s.port->Settings().handshake = kHandshakeXonXoff;
    s.port->SetHighSpeedAllowed(allowHighSpeed && CSettings::Instance().CanSpeedChange() != 0);
    s.port->SetPortNumber(choice.number);
    s.port->SetDeviceOverride(choice.device);
    if (choice.number <= 0) {
        s.ui.Add(Text(msg::CliNoPort));
        return false;
    }
    return s.port->Report(s.port->Open());
}

bool LoadInto(CPcxDoc& doc, const std::string& path, bool mayBeMissing, std::string& error)
{
    if (mayBeMissing && !std::filesystem::exists(path))
        return true;
    ArchiveResult r = doc.Open(path);
    if (!r)
        error = NamingFile(path, r.message);
    ReportControlCharacters(path, r.cardsWithControls);
    return static_cast<bool>(r);
}

bool Unexpected(const std::vector<std::string>& args, std::string& error)
{
    if (args.empty())
        return false;
    error = "unexpected argument: " + args.front();
    return true;
}

// DD.MM.YYYY (or DD.MM.YY) naming a day of the calendar from 1980 on.
bool ValidDate(const std::string& text)
{
    int parts[3] = { 0, 0, 0 };
    int digits[3] = { 0, 0, 0 };
    int part = 0;
    for (char c : text) {
        if (c == '.') {
            if (++part > 2)
                return false;
        } else if (c >= '0' && c <= '9' && digits[part] < 4) {
            parts[part] = parts[part] * 10 + (c - '0');
            ++digits[part];
        } else {
            return false;
        }
    }
    if (part != 2 || digits[0] == 0 || digits[0] > 2 || digits[1] == 0 || digits[1] > 2
        || (digits[2] != 2 && digits[2] != 4))
        return false;
    int day = parts[0], month = parts[1], year = parts[2];
    if (digits[2] == 2)
        year += year < 80 ? 2000 : 1900;
    if (year < 1980 || month < 1 || month > 12 || day < 1)
        return false;
    static const int kDays[12] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= last;
}

bool AllDigits(const std::string& text)
{
    return !text.empty() && text.size() <= 6
           && std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

int RunSend(std::vector<std::string>& args)
{
    bool onlyEdited = TakeFlag(args, "--edited");
    bool noHighSpeed = TakeFlag(args, "--no-high-speed");
    bool markSent = TakeFlag(args, "--mark-sent");
    std::string selectText;
    bool select = TakeOption(args, "--select", selectText);
    PortChoice choice;
    int status = 2;
    if (!TakePort(args, choice, status))
        return status;
    if (args.size() != 1)
        return UsageError("usage: velkaro send FILE [--edited] [--select TEXT] [--no-high-speed] [--mark-sent] [--port PORT]");
    std::string path = args[0];
    // Marking the sent cards writes the file back.
    std::unique_ptr<CWorkingFileLock> lock;
    if (markSent && !(lock = std::make_unique<CWorkingFileLock>(path, "velkaro"))->operator bool())
        return Fail(lock->Message());
    Session s;
    s.ui.confirmSent = markSent;
    CPcxDoc doc;
    std::string error;
    if (!LoadInto(doc, path, false, error))
        return s.Fail(error);
    if (!OpenPort(s, choice, !noHighSpeed))
        return s.ui.Finish(1);
    CSelection selection;
    if (select) {
        selection.SetSearchText(Utf8ToAnsi(selectText));
        selection.Start(true);
    }
    // The receiver reads the telephone's answer: 00 0B when its transfers
    // are locked.
    CReceiveHandler handler(*s.port, s.ui, nullptr);
    SendOutcome out = SendCards(doc, *s.port, s.ui, onlyEdited, select ? &selection : nullptr);
    if (!out.ran)
        return s.ui.Finish(1);
    if (out.confirmed && out.sentCount > 0) {
        ArchiveResult w = SaveCardFile(path, doc.Cards());
        if (!w)
            return s.Fail(w.message);
    }
    return s.ui.Finish(out.endCode == kSendDone && out.sentCount == out.cardCount && !s.ui.failed ? 0 : 1);
}

int RunSingle(std::vector<std::string>& args, bool dial)
{
    bool markSent = TakeFlag(args, "--mark-sent");
    PortChoice choice;
    int status = 2;
    if (!TakePort(args, choice, status))
        return status;
    if (args.size() != 2)
        return UsageError(dial ? "usage: velkaro dial FILE NAME [--port PORT]"
                               : "usage: velkaro send-card FILE NAME [--mark-sent] [--port PORT]");
    std::unique_ptr<CWorkingFileLock> lock;
    if (markSent && !dial && !(lock = std::make_unique<CWorkingFileLock>(args[0], "velkaro"))->operator bool())
        return Fail(lock->Message());
    Session s;
    s.ui.confirmSent = markSent;
    CPcxDoc doc;
    std::string error;
    if (!LoadInto(doc, args[0], false, error))
        return s.Fail(error);
    std::string name = Utf8ToAnsi(args[1]);
    FindResult found = doc.Cards().FindName(name);
    if (found.index < 0 || found.kind != MatchKind::Equal)
        return s.Fail("no card named " + name);
    if (!OpenPort(s, choice, false))
        return s.ui.Finish(1);
    // The receiver reads the telephone's answer: 00 0B when its transfers
    // are locked.
    CReceiveHandler handler(*s.port, s.ui, nullptr);
    CKarte* card = doc.Cards().At(found.index);
    bool edited = card->edited != 0;
    if (!SendCurrentCard(doc, *s.port, s.ui, card, dial))
        return s.ui.Finish(1);
    if (!dial && edited && card->edited == 0) {
        ArchiveResult w = SaveCardFile(args[0], doc.Cards());
        if (!w)
            return s.Fail(w.message);
    }
    return s.ui.Finish(s.ui.failed ? 1 : 0);
}

int RunSendCard(std::vector<std::string>& args)
{
    return RunSingle(args, false);
}

int RunDial(std::vector<std::string>& args)
{
    return RunSingle(args, true);
}

// A copy of every card of list, field-names card included, with its flags.
void CopyCards(const CCardList& list, CCardList& into)
{
    for (const CKarte* card : list.Cards()) {
        auto copy = std::make_unique<CKarte>();
        copy->SetStoredLines(card->RawLines());
        copy->edited = card->edited;
        copy->marked = card->marked;
        into.Append(std::move(copy));
    }
    if (const CKarte* names = list.FieldNames()) {
        auto copy = std::make_unique<CKarte>();
        copy->SetStoredLines(names->RawLines());
        into.SetFieldNames(std::move(copy));
    }
}

std::string NamesJson(const std::vector<const CKarte*>& cards)
{
    std::string json = "[";
    for (const CKarte* card : cards) {
        if (json.size() > 1)
            json += ',';
        AppendJsonString(json, card->Name());
    }
    return json + "]";
}

// The comparison as one JSON object: the names of each group; a changed card
// with the lines of both versions.
std::string ComparisonJson(const CardComparison& c)
{
    std::string json = "{\"new\":" + NamesJson(c.added) + ",\"changed\":[";
    bool first = true;
    for (const auto& [here, phone] : c.changed) {
        if (!first)
            json += ',';
        first = false;
        json += "{\"name\":";
        AppendJsonString(json, here->Name());
        for (const auto& [key, card] : { std::pair{ "here", here }, std::pair{ "telephone", phone } }) {
            json += std::string(",\"") + key + "\":{\"marked\":" + std::to_string(card->marked) + ",\"lines\":[";
            for (int i = 0; i <= card->LastUsedLine(); ++i) {
                if (i > 0)
                    json += ',';
                AppendJsonString(json, card->GetLine(i));
            }
            json += "]}";
        }
        json += '}';
    }
    json += "],\"onlyHere\":" + NamesJson(c.onlyHere) + ",\"unchanged\":" + NamesJson(c.unchanged) + "}";
    return json;
}

int RunReceive(std::vector<std::string>& args)
{
    std::string into, waitText = "60";
    bool hasInto = TakeOption(args, "--into", into);
    TakeOption(args, "--wait", waitText);
    bool acceptPartial = TakeFlag(args, "--accept-partial");
    // --dry-run compares and leaves FILE alone; --merge keeps the cards only
    // FILE holds, as edited. Without either the received cards replace FILE's.
    bool dryRun = TakeFlag(args, "--dry-run");
    bool merge = TakeFlag(args, "--merge");
    PortChoice choice;
    int status = 2;
    if (!TakePort(args, choice, status))
        return status;
    std::string error;
    if (!hasInto || Unexpected(args, error))
        return UsageError(error.empty() ? "usage: velkaro receive --into FILE [--wait SECONDS] [--accept-partial] "
                                          "[--dry-run | --merge] [--port PORT]"
                                        : error);
    if (dryRun && merge)
        return UsageError("--dry-run and --merge exclude each other");
    if (!AllDigits(waitText))
        return UsageError("bad --wait: " + waitText + " (seconds)");
    const int waitSeconds = std::stoi(waitText);
    CWorkingFileLock lock(into, "velkaro");
    if (!lock)
        return Fail(lock.Message());
    Session s;
    s.ui.keepsCards = dryRun || merge;
    CPcxDoc doc;
    if (!LoadInto(doc, into, true, error))
        return s.Fail(error);
    // Taking the received cards writes the file, as the working file is;
    // a dry run or a merge takes them in memory and decides afterwards.
    CCardList before;
    if (dryRun || merge)
        CopyCards(doc.Cards(), before);
    else
        doc.SetWorkingPath(into);
    // Where a failed copy into the file's history is told (the cards are
    // then not taken).
    doc.SetUserInterface(&s.ui);
    if (!OpenPort(s, choice, true) || !PortCheck(*s.port, s.ui))
        return s.ui.Finish(1);

    CReceiveHandler handler(*s.port, s.ui, &doc);
    // Only a transfer that ended with its end sequence replaces the file,
    // unless the user takes what arrived of a broken one.
    handler.SetTakePolicy([acceptPartial](int code) { return code == kReceiveDone || acceptPartial; });
    QEventLoop loop;
    bool taken = false, finished = false, empty = false;
    int code = 0;
    QObject::connect(&handler, &CReceiveHandler::ReceptionFinished, &loop, [&](int kind, int endCode, bool cardsTaken) {
        // A transfer stopped at its limits ends the wait whatever it brought.
        if (kind != kReceivedCards && !cardsTaken && endCode != kReceiveTooLong)
            return;
        finished = true;
        taken = cardsTaken;
        code = endCode;
        loop.quit();
    });
    QObject::connect(&handler, &CReceiveHandler::EmptyTransfer, &loop, [&](int mode) {
        if (mode != kModeReceivingCards)
            return;
        finished = empty = true;
        loop.quit();
    });
    // The wait ends when no transfer has begun in time; a running one is
    // seen to its end (the watchdog or the transfer's limits end it at the latest).
    QTimer deadline;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        if (!s.port->IsOpen() || (clock.elapsed() >= waitSeconds * 1000LL && s.port->TransferMode() == kModeIdle
                                  && !handler.ReceiveDialogOpen()))
            loop.quit();
    });
    deadline.start(100);
    loop.exec();
    if (!finished) {
        // A lost line has said so already.
        if (s.port->IsOpen())
            s.ui.Add(FormatText(msg::CliNoCards, waitText.c_str()));
        return s.ui.Finish(1);
    }
    if (empty)
        return s.Fail(FormatText(msg::CliNoCards, waitText.c_str()));
    std::string shownPath = Utf8ToAnsi(into);
    if (taken && (dryRun || merge)) {
        CardComparison comparison = CompareCollections(before, doc.Cards());
        if (dryRun) {
            if (JsonOutput()) {
                s.ui.Clear();
                std::cout << ComparisonJson(comparison) << '\n';
            } else {
                s.ui.Add(ComparisonCountsText(comparison));
            }
        } else {
            s.ui.Add(FormatText(msg::CliMerged, static_cast<int>(comparison.added.size()),
                                static_cast<int>(comparison.changed.size()),
                                static_cast<int>(comparison.onlyHere.size())));
            // The file as it was goes into its history first, as for a
            // reception that replaces it.
            if (int error = KeepHistory(into, history::Receive, std::time(nullptr)))
                return s.Fail(FormatText(msg::HistoryWriteFailed, SystemErrorText(error).c_str()));
            MergeInto(doc.Cards(), before);
            ArchiveResult w = doc.Save(into);
            if (!w)
                return s.Fail(w.message);
        }
    }
    if (code != kReceiveDone) {
        // A dry run never writes the file, whatever arrived; a merge keeps
        // the cards that did not arrive.
        const unsigned id = !taken || dryRun ? msg::CliPartialKept
            : merge                          ? msg::CliPartialMerged
                                             : msg::CliPartialTaken;
        return s.Fail(FormatText(id, shownPath.c_str()));
    }
    return s.ui.Finish(taken && !s.ui.failed ? 0 : 1);
}

// The preview's order: ascending walks the list from its head.
CImportTable CallTable(const CCallList& list, bool ascending, bool namesFromCards)
{
    CImportTable table;
    int row = 0;
    for (const CAnrufObj* record : list.InOrder(ascending)) {
        const std::vector<std::string> fields = FieldsToSave(*record, namesFromCards);
        for (std::size_t f = 0; f < fields.size(); ++f)
            table.SetField(fields[f], row, static_cast<int>(f));
        ++row;
    }
    return table;
}

constexpr const char* kCallListUsage
    = "usage: velkaro calllist -o OUT [--since DD.MM.YYYY] [--descending] [--names-from FILE [--home-country CC]] "
      "[--port PORT]";

int RunCallList(std::vector<std::string>& args)
{
    std::string out, since;
    bool hasOut = TakeOption(args, "-o", out) || TakeOption(args, "--output", out);
    bool hasSince = TakeOption(args, "--since", since);
    bool descending = TakeFlag(args, "--descending");
    // Calls listed without a name take the name of the card in FILE with
    // the same number, compared as numbers dialled from the home country.
    std::string namesFrom, country;
    bool hasNames = TakeOption(args, "--names-from", namesFrom);
    bool hasCountry = TakeOption(args, "--home-country", country);
    PortChoice choice;
    int status = 2;
    if (!TakePort(args, choice, status))
        return status;
    std::string error;
    if (!hasOut || Unexpected(args, error))
        return UsageError(error.empty() ? kCallListUsage : error);
    if (hasCountry && !hasNames)
        return UsageError("--home-country goes with --names-from");
    if (hasCountry && !CPhoneNumbers::IsKnownCountry(country))
        return UsageError("bad --home-country: " + country + " (a two-letter country code such as CH)");
    std::string ext = std::filesystem::path(out).extension().string();
    for (auto& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext != ".xls" && ext != ".csv" && ext != ".txt" && ext != ".tab")
        return UsageError("the output must end in .xls, .csv, .txt or .tab: " + out);
    int threshold = 0;
    if (hasSince) {
        threshold = ValidDate(since) ? DateOrdinal(since) : 0;
        if (threshold <= 0)
            return UsageError("bad --since: " + since + " (DD.MM.YYYY)");
    }
    // The cards would be read and then written over with the call list.
    if (hasNames && SameFile(namesFrom, out))
        return Fail(FormatText(msg::CliOutputIsInput, Utf8ToAnsi(out).c_str()));
    // The cards are read before the telephone is asked, so a wrong file
    // costs no transfer.
    CPcxDoc cards;
    if (hasNames && !LoadInto(cards, namesFrom, false, error))
        return Fail(error);
    Session s;
    if (!OpenPort(s, choice, true) || !PortCheck(*s.port, s.ui))
        return s.ui.Finish(1);

    CReceiveHandler handler(*s.port, s.ui, nullptr);
    QEventLoop loop;
    bool received = false, over = false, failed = false;
    int code = 0;
    auto fail = [&] {
        over = failed = true;
        loop.quit();
    };
    QObject::connect(&handler, &CReceiveHandler::CallListReceived, &loop, [&] { received = true; });
    QObject::connect(&handler, &CReceiveHandler::ReceptionFinished, &loop, [&](int kind, int endCode, bool) {
        if (kind == kReceivedCallList || endCode == kReceiveTooLong) {
            over = true;
            code = endCode;
            loop.quit();
        }
    });
    QObject::connect(&handler, &CReceiveHandler::CallListUnanswered, &loop, fail);
    QObject::connect(&handler, &CReceiveHandler::TransferRefused, &loop, fail);
    bool empty = false;
    QObject::connect(&handler, &CReceiveHandler::EmptyTransfer, &loop, [&](int mode) {
        empty = mode == kModeReceivingCallList;
        fail();
    });
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (!s.port->IsOpen())
            loop.quit();
    });
    watch.start(200);
    if (!handler.SendCallListRequest(threshold))
        return s.ui.Finish(1);
    loop.exec();
    const CCallList* list = s.port->Parser().CallList();
    // Every way this ends without a whole list has said why by now: no
    // answer, locked transfers, an empty list, a lost line, a time-out.
    if (empty)
        return s.Fail(Text(msg::CallListEmpty));
    if (!over || failed || code != kReceiveDone || !received || !list)
        return s.ui.Finish(1);

    if (hasNames) {
        const CPhoneNumbers numbers(hasCountry ? country : CPhoneNumbers::HomeCountry(CSettings::Instance().HomeCountry()));
        s.ui.Add(FormatText(msg::CliCardNames, TakeCardNames(*s.port->Parser().CallList(), cards.Cards(), numbers)));
    }
    CImportTable table = CallTable(*list, !descending, hasNames);
    const Outcome written = ext == ".xls" ? WriteSpreadsheet(out, table)
                                          : WriteDelimitedText(out, table, ext == ".csv" ? ';' : '\t', ext == ".csv");
    if (!written)
        return s.Fail(Utf8ToAnsi(out) + ": " + written.Message());
    s.ui.Add(FormatText(msg::CallListSaved, Text(msg::AllWord).c_str(), Utf8ToAnsi(out).c_str()));
    return s.ui.Finish(s.ui.failed ? 1 : 0);
}

const CliRegistration kSend({ "send", "FILE [--edited] [--select TEXT] [--no-high-speed] [--mark-sent] [--port PORT]",
                              RunSend });
const CliRegistration kSendCard({ "send-card", "FILE NAME [--mark-sent] [--port PORT]", RunSendCard });
const CliRegistration kDial({ "dial", "FILE NAME [--port PORT]", RunDial });
const CliRegistration kReceive({ "receive", "--into FILE [--wait SECONDS] [--accept-partial] [--dry-run | --merge] [--port PORT]",
                                 RunReceive });
const CliRegistration kCallList({ "calllist",
                                  "-o OUT [--since DD.MM.YYYY] [--descending] [--names-from FILE [--home-country CC]] "
                                  "[--port PORT]",
                                  RunCallList });

}  // namespace

}  // namespace velkaro::cli
