#include "CardCommands.h"

#include "text/Language.h"
#include "text/MessageIds.h"

#include <memory>
#include <new>

namespace velkaro {

SaveCardResult SaveCard(CCardList& list, const CKarte& working, int currentIndex)
{
    SaveCardResult result;

    CKarte check;
    check.CopyFrom(&working);
    if (!check.CheckFirstLine(false)) {
        result.messageId = msg::FirstLineNotAlphabetic;
        return result;
    }
    if (working.CompareName(ReservedName()).kind == MatchKind::Equal) {
        result.messageId = msg::NameExists;
        return result;
    }
    FindResult found = list.FindName(working.Name());
    if (found.kind == MatchKind::Equal && found.index != currentIndex) {
        result.messageId = msg::NameExists;
        return result;
    }

    // Allocate before anything is removed, so that a failure loses nothing.
    std::unique_ptr<CKarte> card;
    try {
        card = std::make_unique<CKarte>();
        card->CopyFrom(&working);
    } catch (const std::bad_alloc&) {
        result.messageId = msg::NotEnoughMemory;
        return result;
    }
    card->SetEdited(true);

    if (list.At(currentIndex))
        list.DeleteCardAt(currentIndex);
    int index = list.InsertSorted(std::move(card), false);
    if (index < 0) {
        // Cannot happen after the checks above; report it rather than lose
        // the edit silently.
        result.messageId = msg::NameExists;
        return result;
    }
    result.saved = true;
    result.newIndex = index;
    return result;
}

SaveCardResult SaveCard(CCardList& list, const CKarte& working, int currentIndex, IMessageUi& ui)
{
    SaveCardResult result = SaveCard(list, working, currentIndex);
    if (!result.saved && result.messageId != 0)
        ui.Message(Text(result.messageId), MsgButtons::Ok, MsgIcon::Warning);
    return result;
}

bool DeleteCard(CCardList& list, int currentIndex, IMessageUi& ui)
{
    if (!list.At(currentIndex))
        return false;
    if (ui.Message(Text(msg::ReallyDeleteCard), MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
        return false;
    list.DeleteCardAt(currentIndex);
    return true;
}

}  // namespace velkaro
