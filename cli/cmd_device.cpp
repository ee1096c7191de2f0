// velkaro send, send-card, dial, receive, calllist: the device link on the
// command line. Each runs the same flows as the desktop program, with an
// event loop of its own and the user's answers given by options.

#include "Cli.h"

#include "app/Cp1252.h"
#include "app/Language.h"
#include "app/Settings.h"
#include "device/ReceiveHandler.h"
#include "device/SendFlows.h"
#include "exchange/ImportTable.h"
#include "exchange/TextWriter.h"
#include "model/Archive.h"
#include "model/Document.h"
#include "model/Selection.h"
#include "resources/MessageIds.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <memory>

namespace velkaro::cli {

namespace {

// Messages go to standard output (errors to standard error); questions are
// answered as the options say.
class CliUi : public IUserInterface {
public:
    bool confirmSent = false;  // "Senden erfolgreich?"
    bool failed = false;       // an error box was shown

    MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon icon) override
    {
        std::string shown = text;
        std::string question = "\n" + Text(msg::SendSuccessful);
        bool sentQuestion = shown.size() >= question.size()
                            && shown.compare(shown.size() - question.size(), question.size(), question) == 0;
        if (sentQuestion)
            shown.resize(shown.size() - question.size());
        else if (shown == Text(msg::SendSuccessful))
            shown.clear();
        while (!shown.empty() && shown.back() == '\n')
            shown.pop_back();
        // The questions themselves are answered by the options.
        if (!shown.empty() && icon != MsgIcon::Question) {
            if (icon == MsgIcon::Error) {
                failed = true;
                std::cerr << AnsiToUtf8(shown) << std::endl;
            } else {
                PrintLine(shown);
            }
        }
        switch (buttons) {
        case MsgButtons::Ok: return MsgAnswer::Ok;
        case MsgButtons::OkCancel: return MsgAnswer::Ok;
        default: return sentQuestion && !confirmSent ? MsgAnswer::No : MsgAnswer::Yes;
        }
    }
    std::optional<std::string> ChooseFile(FileRequest&) override { return std::nullopt; }
};

struct Session {
    int argc = 1;
    char name[8] = "velkaro";
    char* argv[2] = { name, nullptr };
    std::unique_ptr<QCoreApplication> app;
    CliUi ui;
    std::unique_ptr<CComPortEx> port;

    Session() : app(QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv)) {}
};

bool ParsePort(const std::string& text, int& number, std::string& device)
{
    if (text.size() > 3 && (text[0] == 'C' || text[0] == 'c') && (text[1] == 'O' || text[1] == 'o')
        && (text[2] == 'M' || text[2] == 'm')) {
        std::string digits = text.substr(3);
        if (digits.empty() || digits.size() > 2
            || !std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            return false;
        number = std::stoi(digits);
        return number >= 1 && number <= kHighestPort;
    }
    if (text.empty())
        return false;
    number = 1;
    device = text;
    return true;
}

// Opens the port of --port (else the desktop program's PortCOM). An
// unopenable port leaves it closed: the flows then say so.
int OpenPort(Session& s, std::vector<std::string>& args, bool allowHighSpeed)
{
    std::string portText;
    int number = 0;
    std::string device;
    if (TakeOption(args, "--port", portText)) {
        if (!ParsePort(portText, number, device))
            return Fail("bad --port: " + portText + " (a device path or COM1..COM20)");
    } else {
        number = CSettings::Instance().PortCOM();
        if (number < 1 || number > kHighestPort)
            number = 0;
    }
    s.port = std::make_unique<CComPortEx>();
    s.port->SetUserInterface(&s.ui);
    // The telephone paces the PC with XON/XOFF; RTS and DTR are simply on.
    s.port->Settings().handshake = kHandshakeXonXoff;
    s.port->SetHighSpeedAllowed(allowHighSpeed && CSettings::Instance().CanSpeedChange() != 0);
    s.port->SetPortNumber(number);
    s.port->SetDeviceOverride(device);
    if (number > 0)
        s.port->Open(true);
    return 0;
}

bool LoadInto(CPcxDoc& doc, const std::string& path, bool mayBeMissing, std::string& error)
{
    if (mayBeMissing && !std::filesystem::exists(path))
        return true;
    ArchiveResult r = doc.Open(path);
    if (!r)
        error = r.message.empty() ? "cannot read " + path : r.message;
    return static_cast<bool>(r);
}

bool Unexpected(const std::vector<std::string>& args, std::string& error)
{
    if (args.empty())
        return false;
    error = "unexpected argument: " + args.front();
    return true;
}

int RunSend(std::vector<std::string>& args)
{
    Session s;
    bool onlyEdited = TakeFlag(args, "--edited");
    bool noHighSpeed = TakeFlag(args, "--no-high-speed");
    s.ui.confirmSent = TakeFlag(args, "--mark-sent");
    std::string selectText;
    bool select = TakeOption(args, "--select", selectText);
    if (int rc = OpenPort(s, args, !noHighSpeed))
        return rc;
    if (args.size() != 1)
        return Fail("usage: velkaro send FILE [--edited] [--select TEXT] [--no-high-speed] [--mark-sent] [--port PORT]");
    std::string path = args[0];
    CPcxDoc doc;
    std::string error;
    if (!LoadInto(doc, path, false, error))
        return Fail(error);
    CSelection selection;
    if (select) {
        selection.SetSearchText(Utf8ToAnsi(selectText));
        selection.Start(true);
    }
    SendOutcome out = SendCards(doc, *s.port, s.ui, onlyEdited, select ? &selection : nullptr);
    if (!out.ran)
        return 1;
    if (out.confirmed && out.sentCount > 0) {
        ArchiveResult w = SaveCardFile(path, doc.Cards());
        if (!w)
            return Fail(w.message);
    }
    return out.endCode == kSendDone && out.sentCount == out.cardCount ? 0 : 1;
}

int RunSingle(std::vector<std::string>& args, bool dial)
{
    Session s;
    s.ui.confirmSent = TakeFlag(args, "--mark-sent");
    if (int rc = OpenPort(s, args, false))
        return rc;
    if (args.size() != 2)
        return Fail(dial ? "usage: velkaro dial FILE NAME [--port PORT]"
                         : "usage: velkaro send-card FILE NAME [--mark-sent] [--port PORT]");
    CPcxDoc doc;
    std::string error;
    if (!LoadInto(doc, args[0], false, error))
        return Fail(error);
    std::string name = Utf8ToAnsi(args[1]);
    FindResult found = doc.Cards().FindName(name);
    if (found.index < 0 || found.kind != MatchKind::Equal)
        return Fail("no card named " + name);
    CKarte* card = doc.Cards().At(found.index);
    bool edited = card->edited != 0;
    if (!SendCurrentCard(doc, *s.port, s.ui, card, dial))
        return 1;
    if (!dial && edited && card->edited == 0) {
        ArchiveResult w = SaveCardFile(args[0], doc.Cards());
        if (!w)
            return Fail(w.message);
    }
    return 0;
}

int RunSendCard(std::vector<std::string>& args)
{
    return RunSingle(args, false);
}

int RunDial(std::vector<std::string>& args)
{
    return RunSingle(args, true);
}

int RunReceive(std::vector<std::string>& args)
{
    Session s;
    std::string into, waitText = "60";
    bool hasInto = TakeOption(args, "--into", into);
    TakeOption(args, "--wait", waitText);
    if (int rc = OpenPort(s, args, true))
        return rc;
    std::string error;
    if (!hasInto || Unexpected(args, error))
        return Fail(error.empty() ? "usage: velkaro receive --into FILE [--wait SECONDS] [--port PORT]" : error);
    int waitSeconds = 0;
    try {
        waitSeconds = std::stoi(waitText);
    } catch (...) {
        return Fail("bad --wait: " + waitText);
    }
    CWorkingFileLock lock(into, "velkaro"); if (!lock) return Fail(lock.Message());
    CPcxDoc doc;
    if (!LoadInto(doc, into, true, error))
        return Fail(error);
    // Taking the received cards writes the file, as the working file is.
    doc.SetWorkingPath(into);
    if (!PortCheck(*s.port, s.ui))
        return 1;

    CReceiveHandler handler(*s.port, s.ui, &doc);
    QEventLoop loop;
    bool taken = false, finished = false;
    QObject::connect(&handler, &CReceiveHandler::ReceptionFinished, &loop, [&](int kind, int, bool cardsTaken) {
        if (kind != kReceivedCards && !cardsTaken)
            return;
        finished = true;
        taken = cardsTaken;
        loop.quit();
    });
    // The wait ends when no transfer has begun in time; a running one is
    // seen to its end (the watchdog ends it at the latest).
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
    if (!finished)
        return Fail(s.port->IsOpen() ? "no cards received within " + waitText + " s" : "the line was lost");
    return taken ? 0 : 1;
}

// The preview's order: ascending walks the list from its head.
CImportTable CallTable(const CCallList& list, bool ascending)
{
    CImportTable table;
    int row = 0;
    for (const CAnrufObj* record : list.InOrder(ascending)) {
        for (int f = 0; f < record->FieldCount(); ++f)
            table.SetField(record->Field(f), row, f);
        ++row;
    }
    return table;
}

int RunCallList(std::vector<std::string>& args)
{
    Session s;
    std::string out, since;
    bool hasOut = TakeOption(args, "-o", out) || TakeOption(args, "--output", out);
    bool hasSince = TakeOption(args, "--since", since);
    bool descending = TakeFlag(args, "--descending");
    if (int rc = OpenPort(s, args, true))
        return rc;
    std::string error;
    if (!hasOut || Unexpected(args, error))
        return Fail(error.empty() ? "usage: velkaro calllist -o OUT [--since DD.MM.YYYY] [--descending] [--port PORT]"
                                  : error);
    std::string ext = std::filesystem::path(out).extension().string();
    for (auto& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext != ".csv" && ext != ".txt" && ext != ".tab")
        return Fail("the output must end in .csv, .txt or .tab: " + out);
    int threshold = 0;
    if (hasSince) {
        threshold = DateOrdinal(since);
        if (threshold <= 0)
            return Fail("bad --since: " + since + " (DD.MM.YYYY)");
    }
    if (!PortCheck(*s.port, s.ui))
        return 1;

    CReceiveHandler handler(*s.port, s.ui, nullptr);
    QEventLoop loop;
    bool received = false, over = false;
    QObject::connect(&handler, &CReceiveHandler::CallListReceived, &loop, [&] { received = true; });
    QObject::connect(&handler, &CReceiveHandler::ReceptionFinished, &loop, [&](int kind, int, bool) {
        if (kind == kReceivedCallList) {
            over = true;
            loop.quit();
        }
    });
    QObject::connect(&handler, &CReceiveHandler::CallListUnanswered, &loop, [&] {
        over = true;
        loop.quit();
    });
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (!s.port->IsOpen())
            loop.quit();
    });
    watch.start(200);
    if (!handler.SendCallListRequest(threshold))
        return 1;
    loop.exec();
    const CCallList* list = s.port->Parser().CallList();
    if (!over || !received || !list)
        return over ? 0 : Fail("the line was lost");

    CImportTable table = CallTable(*list, !descending);
    bool csv = ext == ".csv";
    if (auto failure = WriteDelimitedTextFile(out, table, csv ? ';' : '\t', csv))
        return Fail(*failure);
    PrintLine(FormatText(msg::CallListSaved, Text(msg::AllWord).c_str(), Utf8ToAnsi(out).c_str()));
    return 0;
}

const CliRegistration kSend({ "send", "FILE [--edited] [--select TEXT] [--no-high-speed] [--mark-sent] [--port PORT]",
                              RunSend });
const CliRegistration kSendCard({ "send-card", "FILE NAME [--mark-sent] [--port PORT]", RunSendCard });
const CliRegistration kDial({ "dial", "FILE NAME [--port PORT]", RunDial });
const CliRegistration kReceive({ "receive", "--into FILE [--wait SECONDS] [--port PORT]", RunReceive });
const CliRegistration kCallList({ "calllist", "-o OUT [--since DD.MM.YYYY] [--descending] [--port PORT]",
                                  RunCallList });

}  // namespace

}  // namespace velkaro::cli
