#include "SendFlows.h"

#include "text/Language.h"
#include "device/ReceiveHandler.h"
#include "text/MessageIds.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace velkaro {

namespace {
// How long the telephone is given to refuse a transfer: it answers its start
// at once with 00 0B when its transfers are locked.
constexpr int kLockedAnswerMs = 300;
}

std::string SingleCardTransfer(const CKarte& card, bool dial)
{
    std::string bytes;
    bytes.reserve(1280);
    bytes.push_back(static_cast<char>(wire::Command));
    bytes.push_back(static_cast<char>(dial ? wire::StartDial : wire::StartCards));
    card.EncodeForDevice(bytes);
    bytes.push_back(static_cast<char>(wire::Command));
    bytes.push_back(static_cast<char>(wire::End));
    return bytes;
}

namespace {

// The cards a bulk send takes: those the selection lets through (or all),
// only the edited ones when asked. The field names go along, last as their
// name sorts, unless a selection picks the cards.
std::vector<CKarte*> CardsToSend(CCardList& list, bool onlyEdited, const CSelection* selection)
{
    const bool selectionActive = selection && selection->IsActive();
    std::vector<CKarte*> cards = selectionActive ? selection->Filter(list, onlyEdited)
                                                 : list.BuildSubset(onlyEdited, std::string());
    if (CKarte* names = list.FieldNames(); names && !selectionActive && (!onlyEdited || names->IsEdited()))
        cards.push_back(names);
    return cards;
}

// The cards of a transfer as the user counts them: the field-names card,
// when it goes along, is last and no card of the list.
int CardsShown(const CCardList& list, const std::vector<CKarte*>& cards)
{
    const int count = static_cast<int>(cards.size());
    return !cards.empty() && cards.back() == list.FieldNames() ? count - 1 : count;
}

struct SenderRun {
    SendEnd code = SendEnd::None;
    bool started = false;
    bool refused = false;  // the telephone's transfers are locked
};

// Hands the cards to the port's sender and runs the event loop, with the
// send progress, until the send is done, cancelled or failed.
SenderRun RunSender(CComPortEx& port, ITransferUi& ui, const std::vector<CKarte*>& cards, int cardsShown,
                    const std::string& heading, const std::string& speed)
{
    SenderRun run;
    const int cardCount = static_cast<int>(cards.size());
    QEventLoop loop;
    auto finish = [&](SendEnd endCode) {
        if (run.code != SendEnd::None)
            return;
        port.StopSender();
        port.SetTransferMode(Transfer::Idle);
        run.code = endCode;
        loop.quit();
    };
    ui.SendProgressBegin(heading, speed, [&] { finish(SendEnd::Cancelled); });
    if (!port.IsOpen()) {
        // The line did not come back at high speed (the open error has been
        // shown): nothing can go out.
        run.code = SendEnd::Failed;
        return run;
    }
    QObject::connect(
        &port, &CComPortEx::SenderData, &loop,
        [&](int sent) {
            if (run.code != SendEnd::None)
                return;
            if (sent >= 0) {
                ui.SendProgressUpdate(std::min(sent, cardsShown), port.HardwareErrorCount(),
                                     static_cast<int>(1000LL * sent / cardCount));
                return;
            }
            bool complete = port.PendingError() == PortError::None && port.IsOpen() && port.SentCount() == cardCount;
            if (!complete) {
                finish(SendEnd::Failed);
                return;
            }
            // A short transfer is out before the telephone's refusal
            // is in: only silence after it means the cards were taken.
            QTimer::singleShot(kLockedAnswerMs, &loop, [&] { finish(run.refused ? SendEnd::Failed : SendEnd::Done); });
        },
        Qt::QueuedConnection);
    // A telephone whose transfers are locked takes none of the cards;
    // the receiver says why. The send ends after that, as failed.
    QObject::connect(&port, &CComPortEx::PortModeChanged, &loop, [&](Transfer mode) {
        if (mode != Transfer::Locked || run.code != SendEnd::None)
            return;
        run.refused = true;
        QTimer::singleShot(0, &loop, [&] { finish(SendEnd::Failed); });
    });
    run.started = port.StartSender(cards);
    if (!run.started)
        run.code = SendEnd::Failed;
    else if (run.code == SendEnd::None)
        loop.exec();
    return run;
}

// "Senden erfolgreich?": on Yes the cards that went out are no longer
// edited, as one undo step.
void AskSentFlags(CPcxDoc& doc, ITransferUi& ui, const std::string& text, MsgIcon icon,
                  const std::vector<CKarte*>& cards, SendOutcome& outcome)
{
    if (ui.AskAfter(text, msg::SendSuccessful, icon) != MsgAnswer::Yes)
        return;
    outcome.confirmed = true;
    int n = std::min(outcome.cardCount, outcome.sentCount);
    doc.BeginChange(StepLabel::Message(msg::StepSentFlags));
    for (int i = 0; i < n; ++i)
        cards[static_cast<std::size_t>(i)]->SetEdited(false);
    if (n > 0) {
        doc.UpdateAllViews(UpdateHint::All);
        doc.AutoSave(false);
    } else {
        doc.CommitChange();
    }
}

}  // namespace

SendOutcome SendCards(CPcxDoc& doc, CComPortEx& port, ITransferUi& ui, bool onlyEdited,
                      const CSelection* selection)
{
    SendOutcome outcome;
    if (!PortCheck(port, ui))
        return outcome;
    bool selectionActive = selection && selection->IsActive();
    if (selection && !selection->ConfirmFor(ui, msg::VerbSent))
        return outcome;

    ReceptionBlock block;
    const std::vector<CKarte*> cards = CardsToSend(doc.Cards(), onlyEdited, selection);
    if (cards.empty()) {
        ui.Message(Text(msg::NothingToSend), MsgButtons::Ok, MsgIcon::Information);
        return outcome;
    }
    outcome.ran = true;
    outcome.cardCount = static_cast<int>(cards.size());

    std::string edited = onlyEdited ? Text(msg::SendWordEdited) : std::string();
    std::string both = onlyEdited && selectionActive ? Text(msg::SendWordAnd) : std::string();
    std::string selected = selectionActive ? Text(msg::WordSelected) : std::string();

    port.ForgetTelephoneHeard();
    if (port.HighSpeedAllowedFlag())
        port.RequestHighSpeed();
    std::string speed = Text(port.BaudRate() != kNormalBaud ? msg::SpeedHigh : msg::SpeedNormal);
    const int cardsShown = CardsShown(doc.Cards(), cards);
    const SenderRun run = RunSender(port, ui, cards, cardsShown,
                                    FormatText(msg::SendHeading, edited.c_str(), both.c_str(), selected.c_str()), speed);
    port.StopSender();
    outcome.sentCount = run.started && !run.refused ? port.SentCount() : 0;
    outcome.heard = port.TelephoneHeard();
    if (run.code == SendEnd::Failed && port.TransferMode() == Transfer::Sending)
        port.SetTransferMode(Transfer::Idle);
    ui.SendProgressEnd();
    outcome.endCode = run.code;

    const std::string countLine = "\n" + FormatText(msg::SentCardCount, std::min(outcome.sentCount, cardsShown));
    std::string text;
    MsgIcon icon = MsgIcon::Warning;
    if (run.code == SendEnd::Done && !outcome.heard) {
        text = Text(msg::SentUnconfirmed) + countLine;
    } else if (run.code == SendEnd::Done) {
        text = FormatText(msg::AllCardsSent, edited.c_str(), both.c_str(), selected.c_str()) + countLine;
        icon = MsgIcon::Information;
    } else {
        text = Text(run.code == SendEnd::Cancelled ? msg::SendCancelled : msg::SendAborted) + countLine;
    }
    port.ReportPortError();
    port.SetBaudRate(kNormalBaud);
    AskSentFlags(doc, ui, text, icon, cards, outcome);
    return outcome;
}

bool SendCurrentCard(CPcxDoc& doc, CComPortEx& port, IMessageUi& ui, CKarte* card, bool dial)
{
    if (!PortCheck(port, ui) || !card)
        return false;
    ReceptionBlock block;
    if (!card->CheckFirstLine(false)) {
        ui.Message(Text(msg::FirstLineNotAlphabetic), MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    if (dial && ui.Message(Text(msg::DialQuestion), MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
        return false;
    if (!port.Write(SingleCardTransfer(*card, dial), true) || !port.WaitWritten(true))
        return false;
    // A telephone whose transfers are locked answers the card at once with
    // 00 0B (the receiver shows why); only silence means it took the card.
    bool refused = false;
    {
        QEventLoop wait;
        QTimer::singleShot(kLockedAnswerMs, &wait, &QEventLoop::quit);
        QObject::connect(&port, &CComPortEx::PortModeChanged, &wait, [&](Transfer mode) {
            if (mode == Transfer::Locked) {
                refused = true;
                wait.quit();
            }
        });
        QObject::connect(&port, &CComPort::OutputFailed, &wait, &QEventLoop::quit);
        wait.exec();
    }
    if (refused || !port.IsOpen())
        return false;
    std::string text = Text(msg::CurrentCard) + Text(dial ? msg::CardDialled : msg::CardSent);
    if (dial) {
        ui.Message(text, MsgButtons::Ok, MsgIcon::Information);
    } else {
        if (ui.AskAfter(text, msg::SendSuccessful, MsgIcon::Information) == MsgAnswer::Yes) {
            doc.BeginChange(StepLabel::Message(msg::StepSentFlags));
            card->SetEdited(false);
            doc.UpdateAllViews(UpdateHint::All);
            doc.AutoSave(false);
        }
    }
    return true;
}

}  // namespace velkaro
