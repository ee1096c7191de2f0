#include "SendFlows.h"

#include "text/Language.h"
#include "device/ReceiveHandler.h"
#include "text/MessageIds.h"

#include <QEventLoop>
#include <QTimer>

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
    std::vector<CKarte*> cards = selectionActive ? selection->Filter(doc.Cards(), onlyEdited)
                                                 : doc.Cards().BuildSubset(onlyEdited, std::string());
    // The field names go along, last as their name sorts, unless a
    // selection picks the cards.
    if (CKarte* names = doc.Cards().FieldNames(); names && !selectionActive && (!onlyEdited || names->edited == 1))
        cards.push_back(names);
    if (cards.empty()) {
        ui.Message(Text(msg::NothingToSend), MsgButtons::Ok, MsgIcon::Information);
        return outcome;
    }
    outcome.ran = true;
    outcome.cardCount = static_cast<int>(cards.size());

    std::string edited = onlyEdited ? Text(msg::SendWordEdited) : std::string();
    std::string both = onlyEdited && selectionActive ? Text(msg::SendWordAnd) : std::string();
    std::string selected = selectionActive ? Text(msg::WordSelected) : std::string();

    if (port.HighSpeedAllowedFlag())
        port.RequestHighSpeed();
    std::string speed = Text(port.BaudRate() != kNormalBaud ? msg::SpeedHigh : msg::SpeedNormal);

    int code = 0;
    bool started = false, refused = false;
    QEventLoop loop;
    auto finish = [&](int endCode) {
        if (code != 0)
            return;
        port.StopSender();
        port.SetTransferMode(kModeIdle);
        code = endCode;
        loop.quit();
    };
    ui.SendProgressBegin(FormatText(msg::SendHeading, edited.c_str(), both.c_str(), selected.c_str()), speed,
                         [&] { finish(kSendCancelled); });
    if (!port.IsOpen()) {
        // The line did not come back at high speed (the open error has been
        // shown): nothing can go out.
        code = kSendFailed;
    } else {
        QObject::connect(
            &port, &CComPortEx::SenderData, &loop,
            [&](int sent) {
                if (code != 0)
                    return;
                if (sent >= 0) {
                    ui.SendProgressUpdate(sent, port.HardwareErrorCount(),
                                          static_cast<int>(1000LL * sent / outcome.cardCount));
                    return;
                }
                bool complete = port.PendingError() == PortError::None && port.IsOpen()
                                && port.SentCount() == outcome.cardCount;
                if (!complete) {
                    finish(kSendFailed);
                    return;
                }
                // A short transfer is out before the telephone's refusal
                // is in: only silence after it means the cards were taken.
                QTimer::singleShot(kLockedAnswerMs, &loop, [&] { finish(refused ? kSendFailed : kSendDone); });
            },
            Qt::QueuedConnection);
        // A telephone whose transfers are locked takes none of the cards;
        // the receiver says why. The send ends after that, as failed.
        QObject::connect(&port, &CComPortEx::PortModeChanged, &loop, [&](int mode) {
            if (mode != kModeLocked || code != 0)
                return;
            refused = true;
            QTimer::singleShot(0, &loop, [&] { finish(kSendFailed); });
        });
        started = port.StartSender(cards);
        if (!started)
            code = kSendFailed;
        else if (code == 0)
            loop.exec();
    }
    port.StopSender();
    outcome.sentCount = started && !refused ? port.SentCount() : 0;
    if (code == kSendFailed && port.TransferMode() == kModeSending)
        port.SetTransferMode(kModeIdle);
    ui.SendProgressEnd();
    outcome.endCode = code;

    std::string text;
    MsgIcon icon = MsgIcon::Warning;
    if (code == kSendDone) {
        text = FormatText(msg::AllCardsSent, edited.c_str(), both.c_str(), selected.c_str());
        icon = MsgIcon::Information;
    } else if (code == kSendCancelled) {
        text = Text(msg::SendCancelled);
    } else {
        text = Text(msg::SendAborted);
    }
    port.ReportPortError();
    port.SetBaudRate(kNormalBaud);
    text += "\n" + FormatText(msg::SentCardCount, outcome.sentCount);
    if (ui.AskAfter(text, msg::SendSuccessful, icon) == MsgAnswer::Yes) {
        outcome.confirmed = true;
        int n = std::min(outcome.cardCount, outcome.sentCount);
        doc.BeginChange(StepLabel::Message(msg::StepSentFlags));
        for (int i = 0; i < n; ++i)
            cards[static_cast<std::size_t>(i)]->edited = 0;
        if (n > 0) {
            doc.UpdateAllViews(UpdateHint::All);
            doc.AutoSave(false);
        } else {
            doc.CommitChange();
        }
    }
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
        QObject::connect(&port, &CComPortEx::PortModeChanged, &wait, [&](int mode) {
            if (mode == kModeLocked) {
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
            card->edited = 0;
            doc.UpdateAllViews(UpdateHint::All);
            doc.AutoSave(false);
        }
    }
    return true;
}

}  // namespace velkaro
