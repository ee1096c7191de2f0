// velkaro send, send-card, dial, receive, calllist: the device link on the
// command line. Each runs the same flows as the desktop program, with an
// event loop of its own and the user's answers given by options. Usage
// errors (status 2) are found before any port is opened; every other
// failure ends with status 1 and its reasons on standard error.

#include "Cli.h"
#include "Streams.h"

#include "text/Ascii.h"
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
#include <functional>
#include <iostream>
#include <memory>
#include <optional>

namespace velkaro::cli {

namespace {

// The flows' messages are collected and written when the command ends: to
// standard output when it succeeded, to standard error when it failed, so
// that a script sees every failure's reason where it looks for it.
// Who answers "Senden erfolgreich?" on the command line.
enum class MarkSent {
    Never,
    WhenHeard,  // the line showed the telephone (the sync's send)
    Always,     // --mark-sent: the user vouches for the reception
};

class CliUi : public IUserInterface {
public:
    MarkSent markSent = MarkSent::Never;
    std::function<bool()> telephoneHeard;
    bool failed = false;       // a failure was shown
    bool keepsCards = false;   // a dry run or a merge: no stored card is lost
    ReceivedCardsChoice receivedChoice = ReceivedCardsChoice::Replace;

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
    // "Senden erfolgreich?" is answered by --mark-sent, or for the sync's
    // send by the line: the telephone itself confirms no card.
    MsgAnswer AskAfter(const std::string& result, unsigned /*question*/, MsgIcon icon) override
    {
        Message(result, MsgButtons::Ok, icon);
        const bool yes = markSent == MarkSent::Always
                         || (markSent == MarkSent::WhenHeard && telephoneHeard && telephoneHeard());
        return yes ? MsgAnswer::Yes : MsgAnswer::No;
    }
    // Received cards beside stored ones are taken as the options say; the
    // warning that the stored cards go does not hold when they stay. The
    // counts of a merge are kept for its report.
    ReceivedCardsChoice AskReceivedCards(const std::string& received, unsigned warning, MsgIcon icon,
                                         const CardComparison& comparison) override
    {
        Message(keepsCards ? received : received + Text(warning), MsgButtons::Ok, icon);
        m_mergedText = FormatText(msg::CliMerged, static_cast<int>(comparison.added.size()),
                                  static_cast<int>(comparison.changed.size()),
                                  static_cast<int>(comparison.onlyHere.size()));
        return receivedChoice;
    }
    // The report of a merge; into a file without cards every one is new.
    std::string MergedText(int receivedCount) const
    {
        return m_mergedText.empty() ? FormatText(msg::CliMerged, receivedCount, 0, 0) : m_mergedText;
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
        // A failure's lines each name the program, as every error does;
        // --quiet leaves out the lines of a success.
        std::ostream& out = status == 0 ? std::cout : std::cerr;
        for (const std::string& line : m_lines)
            if (status != 0 || !Quiet())
                out << (status != 0 ? "velkaro: " : "") << ForTerminal(line) << '\n';
        out.flush();
        m_lines.clear();
        const int flushed = FinishOutput();
        return status != 0 ? status : flushed;
    }

private:
    std::vector<std::string> m_lines;
    std::string m_mergedText;
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

bool AllDigits(const std::string& text);

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
    // A bare number is COMn, as the desktop program's settings number them.
    if (AllDigits(text)) {
        port.number = std::stoi(text);
        return port.number >= 1 && port.number <= kHighestPort;
    }
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
    status = UsageError("bad --port: " + text + " (a number or COMn from 1 to 20, or a device path)");
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

// markWhenHeard: without --mark-sent, the sent cards are marked when the
// line showed the telephone.
int RunSend(std::vector<std::string>& args, bool markWhenHeard)
{
    bool onlyEdited = TakeFlag(args, "--edited");
    bool noHighSpeed = TakeFlag(args, "--no-high-speed");
    const MarkSent markSent = TakeFlag(args, "--mark-sent") ? MarkSent::Always
                              : markWhenHeard                ? MarkSent::WhenHeard
                                                             : MarkSent::Never;
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
    if (markSent != MarkSent::Never && !(lock = std::make_unique<CWorkingFileLock>(path, "velkaro"))->operator bool())
        return Fail(lock->Message());
    Session s;
    s.ui.markSent = markSent;
    s.ui.telephoneHeard = [&s] { return s.port && s.port->TelephoneHeard(); };
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
    return s.ui.Finish(out.endCode == SendEnd::Done && out.sentCount == out.cardCount && !s.ui.failed ? 0 : 1);
}

}  // namespace

int SendEditedCards(const std::string& path, const std::string& port)
{
    std::vector<std::string> args { path, "--edited" };
    if (!port.empty())
        args.insert(args.end(), { "--port", port });
    return RunSend(args, true);
}

namespace {

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
    s.ui.markSent = markSent ? MarkSent::Always : MarkSent::Never;
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
    // The send clears the card's edited flag: then the file is written.
    const uint8_t edited = card->EditedByte();
    if (!SendCurrentCard(doc, *s.port, s.ui, card, dial))
        return s.ui.Finish(1);
    if (!dial && card->EditedByte() != edited) {
        ArchiveResult w = SaveCardFile(args[0], doc.Cards());
        if (!w)
            return s.Fail(w.message);
    }
    return s.ui.Finish(s.ui.failed ? 1 : 0);
}

int RunSendCommand(std::vector<std::string>& args)
{
    return RunSend(args, false);
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
        copy->CopyStoredLines(*card);
        copy->SetEditedByte(card->EditedByte());
        copy->SetMarkByte(card->MarkByte());
        into.Append(std::move(copy));
    }
    if (const CKarte* names = list.FieldNames()) {
        auto copy = std::make_unique<CKarte>();
        copy->CopyStoredLines(*names);
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
            json += std::string(",\"") + key + "\":{\"marked\":" + std::to_string(card->MarkByte()) + ",\"lines\":[";
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

// The options of `receive`. --dry-run compares and leaves FILE alone;
// --merge keeps the cards only FILE holds, as edited. Without either the
// received cards replace FILE's.
struct ReceiveOptions {
    std::string into;
    std::string waitText = "60";
    bool acceptPartial = false;
    bool dryRun = false;
    bool merge = false;
    PortChoice port;
};

// The options, or the exit status of a mistake in the command line.
std::optional<int> TakeReceiveOptions(std::vector<std::string>& args, ReceiveOptions& o)
{
    bool hasInto = TakeOption(args, "--into", o.into);
    TakeOption(args, "--wait", o.waitText);
    o.acceptPartial = TakeFlag(args, "--accept-partial");
    o.dryRun = TakeFlag(args, "--dry-run");
    o.merge = TakeFlag(args, "--merge");
    int status = 2;
    if (!TakePort(args, o.port, status))
        return status;
    std::string error;
    if (!hasInto || Unexpected(args, error))
        return UsageError(error.empty() ? "usage: velkaro receive --into FILE [--wait SECONDS] [--accept-partial] "
                                          "[--dry-run | --merge] [--port PORT]"
                                        : error);
    if (o.dryRun && o.merge)
        return UsageError("--dry-run and --merge exclude each other");
    if (!AllDigits(o.waitText))
        return UsageError("bad --wait: " + o.waitText + " (seconds)");
    return std::nullopt;
}

// How the wait for the telephone's cards ended.
struct Reception {
    bool finished = false;  // cards came, or a transfer stopped at its limits
    bool taken = false;     // the document took them
    bool empty = false;     // a transfer of no cards
    ReceiveEnd code = ReceiveEnd::Done;
};

// Runs the event loop until the cards came, or until no transfer has begun
// within waitSeconds; a running one is seen to its end (the watchdog or the
// transfer's limits end it at the latest).
Reception WaitForCards(CComPortEx& port, CReceiveHandler& handler, int waitSeconds)
{
    QEventLoop loop;
    Reception r;
    QObject::connect(&handler, &CReceiveHandler::ReceptionFinished, &loop, [&](Received kind, ReceiveEnd endCode, bool cardsTaken) {
        // A transfer stopped at its limits ends the wait whatever it brought.
        if (kind != Received::Cards && !cardsTaken && endCode != ReceiveEnd::TooLong)
            return;
        r.finished = true;
        r.taken = cardsTaken;
        r.code = endCode;
        loop.quit();
    });
    QObject::connect(&handler, &CReceiveHandler::EmptyTransfer, &loop, [&](Transfer mode) {
        if (mode != Transfer::ReceivingCards)
            return;
        r.finished = r.empty = true;
        loop.quit();
    });
    QTimer deadline;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        if (!port.IsOpen() || (clock.elapsed() >= waitSeconds * 1000LL && port.TransferMode() == Transfer::Idle
                               && !handler.ReceiveDialogOpen()))
            loop.quit();
    });
    deadline.start(100);
    loop.exec();
    return r;
}

// A dry run's result: the counts, or the comparison as JSON.
void ReportDryRun(CliUi& ui, const CCardList& before, const CCardList& received)
{
    CardComparison comparison = CompareCollections(before, received);
    if (JsonOutput()) {
        ui.Clear();
        std::cout << ComparisonJson(comparison) << '\n';
    } else {
        ui.Add(ComparisonCountsText(comparison));
    }
}

int RunReceive(std::vector<std::string>& args)
{
    ReceiveOptions o;
    if (std::optional<int> status = TakeReceiveOptions(args, o))
        return *status;
    const int waitSeconds = std::stoi(o.waitText);
    CWorkingFileLock lock(o.into, "velkaro");
    if (!lock)
        return Fail(lock.Message());
    Session s;
    s.ui.keepsCards = o.dryRun || o.merge;
    s.ui.receivedChoice = o.merge ? ReceivedCardsChoice::Merge : ReceivedCardsChoice::Replace;
    CPcxDoc doc;
    std::string error;
    if (!LoadInto(doc, o.into, true, error))
        return s.Fail(error);
    // Taking the received cards writes the file (its history first), as the
    // working file is; a dry run takes them in memory and compares.
    CCardList before;
    if (o.dryRun)
        CopyCards(doc.Cards(), before);
    else
        doc.SetWorkingPath(o.into);
    // Where a failed copy into the file's history is told (the cards are
    // then not taken).
    doc.SetUserInterface(&s.ui);
    if (!OpenPort(s, o.port, true) || !PortCheck(*s.port, s.ui))
        return s.ui.Finish(1);

    CReceiveHandler handler(*s.port, s.ui, &doc);
    // Only a transfer that ended with its end sequence replaces the file,
    // unless the user takes what arrived of a broken one.
    handler.SetTakePolicy([&o](ReceiveEnd code) { return code == ReceiveEnd::Done || o.acceptPartial; });
    const Reception r = WaitForCards(*s.port, handler, waitSeconds);
    if (!r.finished) {
        // A lost line has said so already.
        if (s.port->IsOpen())
            s.ui.Add(FormatText(msg::CliNoCards, o.waitText.c_str()));
        return s.ui.Finish(1);
    }
    if (r.empty)
        return s.Fail(FormatText(msg::CliNoCards, o.waitText.c_str()));
    if (r.taken && o.dryRun)
        ReportDryRun(s.ui, before, doc.Cards());
    else if (r.taken && o.merge)
        s.ui.Add(s.ui.MergedText(doc.Cards().Count()));
    if (r.code != ReceiveEnd::Done) {
        // A dry run never writes the file, whatever arrived; a merge keeps
        // the cards that did not arrive.
        const unsigned id = !r.taken || o.dryRun ? msg::CliPartialKept
            : o.merge                            ? msg::CliPartialMerged
                                                 : msg::CliPartialTaken;
        return s.Fail(FormatText(id, Utf8ToAnsi(o.into).c_str()));
    }
    return s.ui.Finish(r.taken && !s.ui.failed ? 0 : 1);
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

// How the wait for the call list ended.
enum class CallListWait { NotAsked, Empty, Broken, Whole };

// Asks the telephone for its call list (entries after the date threshold)
// and runs the event loop until the list came, the telephone refused or did
// not answer, or the line was lost.
CallListWait WaitForCallList(CComPortEx& port, CReceiveHandler& handler, int threshold)
{
    QEventLoop loop;
    bool received = false, over = false, failed = false, empty = false;
    ReceiveEnd code = ReceiveEnd::Done;
    auto fail = [&] {
        over = failed = true;
        loop.quit();
    };
    QObject::connect(&handler, &CReceiveHandler::CallListReceived, &loop, [&] { received = true; });
    QObject::connect(&handler, &CReceiveHandler::ReceptionFinished, &loop, [&](Received kind, ReceiveEnd endCode, bool) {
        if (kind == Received::CallList || endCode == ReceiveEnd::TooLong) {
            over = true;
            code = endCode;
            loop.quit();
        }
    });
    QObject::connect(&handler, &CReceiveHandler::CallListUnanswered, &loop, fail);
    QObject::connect(&handler, &CReceiveHandler::TransferRefused, &loop, fail);
    QObject::connect(&handler, &CReceiveHandler::EmptyTransfer, &loop, [&](Transfer mode) {
        empty = mode == Transfer::ReceivingCallList;
        fail();
    });
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (!port.IsOpen())
            loop.quit();
    });
    watch.start(200);
    if (!handler.SendCallListRequest(threshold))
        return CallListWait::NotAsked;
    loop.exec();
    if (empty)
        return CallListWait::Empty;
    if (!over || failed || code != ReceiveEnd::Done || !received || !port.Parser().CallList())
        return CallListWait::Broken;
    return CallListWait::Whole;
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
    // Standard output ("-") and other streams take the list as .csv: their
    // names say nothing of a format.
    const bool stream = IsStreamOutput(out);
    const std::string ext = stream ? std::string(".csv") : AsciiLower(std::filesystem::path(out).extension().string());
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
    const CallListWait wait = WaitForCallList(*s.port, handler, threshold);
    // Every way this ends without a whole list has said why by now: no
    // answer, locked transfers, an empty list, a lost line, a time-out.
    if (wait == CallListWait::Empty)
        return s.Fail(Text(msg::CallListEmpty));
    if (wait != CallListWait::Whole)
        return s.ui.Finish(1);
    const CCallList* list = s.port->Parser().CallList();

    if (hasNames) {
        const CPhoneNumbers numbers(hasCountry ? country : CPhoneNumbers::HomeCountry(CSettings::Instance().HomeCountry()));
        s.ui.Add(FormatText(msg::CliCardNames, TakeCardNames(*s.port->Parser().CallList(), cards.Cards(), numbers)));
    }
    CImportTable table = CallTable(*list, !descending, hasNames);
    // A stream cannot be renamed over: the list goes to a scratch file that
    // is then copied into it.
    CScratchFolder scratch;
    const std::string target = stream ? scratch.PathOf("calls.csv") : out;
    const Outcome written = ext == ".xls" ? WriteSpreadsheet(target, table)
                                          : WriteDelimitedText(target, table, ext == ".csv" ? ';' : '\t', ext == ".csv");
    if (!written)
        return s.Fail(Utf8ToAnsi(out) + ": " + written.Message());
    if (stream) {
        if (const int error = CopyIntoStream(target, out))
            return s.Fail(Utf8ToAnsi(out) + ": " + SystemErrorText(error));
        // The stream is often standard output: no message joins the list.
        s.ui.Clear();
        return s.ui.Finish(s.ui.failed ? 1 : 0);
    }
    s.ui.Add(FormatText(msg::CallListSaved, Text(msg::AllWord).c_str(), Utf8ToAnsi(out).c_str()));
    return s.ui.Finish(s.ui.failed ? 1 : 0);
}

const CliRegistration kSend({ "send", RunSendCommand });
const CliRegistration kSendCard({ "send-card", RunSendCard });
const CliRegistration kDial({ "dial", RunDial });
const CliRegistration kReceive({ "receive", RunReceive });
const CliRegistration kCallList({ "calllist", RunCallList });

}  // namespace

}  // namespace velkaro::cli
