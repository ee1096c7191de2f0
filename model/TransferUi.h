#pragma once

// What the transfer flows show beside their messages: the send and receive
// progress and the call-list request.

#include "CardComparison.h"
#include "MessageUi.h"

#include <functional>
#include <optional>
#include <string>

namespace velkaro {

// The answer to received cards that would replace stored ones.
enum class ReceivedCardsChoice { Replace, Keep, Merge };

class ITransferUi : public virtual IMessageUi {
public:
    // The send progress dialog of a bulk send. cancel asks the sender to stop
    // after its current card; the flow ends the dialog with SendProgressEnd.
    virtual void SendProgressBegin(const std::string& /*heading*/, const std::string& /*speedText*/,
                                   std::function<void()> /*cancel*/)
    {
    }
    virtual void SendProgressUpdate(int /*sentCount*/, int /*errorCount*/, int /*perMille*/) {}
    virtual void SendProgressEnd() {}

    // The receive progress dialog while the telephone sends cards or its
    // call list; cancel ends the reception (what arrived is kept).
    virtual void ReceiveProgressBegin(bool /*callList*/, std::function<void()> /*cancel*/) {}
    virtual void ReceiveProgressUpdate(int /*count*/, int /*errorCount*/, const std::string& /*speedText*/) {}
    virtual void ReceiveProgressEnd() {}

    // The call-list request dialog: choice 0 all entries, 1 only entries newer
    // than date ("DD.MM.YYYY", empty = no date). Preset from the settings;
    // nothing on Cancel. Without a dialog the preset is taken.
    // The result box of received cards that would replace the stored ones:
    // the box's text is what was received, then the warning (a message id)
    // that the stored cards go. OK replaces every stored card, Cancel keeps
    // them. A window adds the comparison's counts line, a merge choice and
    // the details; without one the box is the plain OK/Cancel message.
    virtual ReceivedCardsChoice AskReceivedCards(const std::string& received, unsigned warning, MsgIcon icon,
                                                 const CardComparison& /*comparison*/)
    {
        return Message(received + Text(warning), MsgButtons::OkCancel, icon) == MsgAnswer::Ok
                   ? ReceivedCardsChoice::Replace
                   : ReceivedCardsChoice::Keep;
    }

    struct CallListRange {
        int choice = 0;
        std::string date;
    };
    virtual std::optional<CallListRange> AskCallListRange(const CallListRange& preset) { return preset; }
};

}  // namespace velkaro
