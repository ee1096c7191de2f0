#pragma once

// The send commands of the card view: send all cards, send the edited cards,
// send the current card, and have the telephone dial the current card. Each
// is a flow over the document, the port and the user interface.

#include "device/ComPortEx.h"
#include "model/Document.h"
#include "model/Selection.h"
#include "model/TransferUi.h"

namespace velkaro {

// How a send ended (the end code of the send progress).
enum class SendEnd : int {
    None = 0,  // it did not run
    Done = 1,
    Cancelled = 2,
    Failed = 3,
};

struct SendOutcome {
    bool ran = false;        // the cards went to the sender (false: stopped before)
    SendEnd endCode = SendEnd::None;
    int cardCount = 0;       // cards in the transfer
    int sentCount = 0;       // cards that went out
    bool confirmed = false;  // "Senden erfolgreich?" answered Yes
    bool heard = false;      // the line showed the telephone (CComPort::TelephoneHeard)
};

// Send all (onlyEdited false) or the edited cards. selection may be null.
// The cards go out from the sender thread while this runs the event loop;
// it returns when the transfer and the result question are over. A send
// that ended well but that nothing on the line confirmed says so in its
// result, before the question.
SendOutcome SendCards(CPcxDoc& doc, CComPortEx& port, ITransferUi& ui, bool onlyEdited,
                      const CSelection* selection);

// Send (dial false) or dial one card: one write at the current speed.
// True when the card was written.
bool SendCurrentCard(CPcxDoc& doc, CComPortEx& port, IMessageUi& ui, CKarte* card, bool dial);

// The bytes of a single-card transfer: 0x00 0x02 (or 0x04 to dial), the
// card's record, 0x00 0x01.
std::string SingleCardTransfer(const CKarte& card, bool dial);

}  // namespace velkaro
