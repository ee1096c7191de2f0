#pragma once

// What the transfer flows show beside their messages: the send and receive
// progress and the call-list request.

#include "MessageUi.h"

#include <functional>
#include <optional>
#include <string>

namespace velkaro {

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
    struct CallListRange {
        int choice = 0;
        std::string date;
    };
    virtual std::optional<CallListRange> AskCallListRange(const CallListRange& preset) { return preset; }
};

}  // namespace velkaro
