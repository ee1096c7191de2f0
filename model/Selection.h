#pragma once

// The card selection: while it is active, the card view, the index list,
// printing, export and sending see only the cards that contain its search
// text somewhere in their lines.
//
// A selection is permanent (it stays until the selection command is given
// again) or not (it also ends at Stop and when a name is typed into the index
// list). The selection panel of the card view shows while a selection is
// active and the view allows it (the view forbids it while the field-name
// column takes its place).

#include "CardList.h"
#include "MessageUi.h"

#include <functional>
#include <string>
#include <vector>

namespace velkaro {

constexpr int kSelectTextMax = 20;
constexpr int kPredefinedTerms = 6;

class CSelection {
public:
    bool IsActive() const { return m_active; }
    // The option value: true = permanent.
    bool IsPermanent() const { return m_permanent; }
    bool IsAllowed() const { return m_allowed; }
    // The panel shows exactly while active and allowed.
    bool IsPanelVisible() const { return m_active && m_allowed; }

    // The search text as the user typed it (at most 20 characters). It stays
    // after the selection ends and is offered again by the dialog.
    const std::string& SearchText() const { return m_text; }
    void SetSearchText(const std::string& text);
    // The text the card filters compare with (upper case).
    std::string FilterText() const;

    void Start(bool permanent);
    void End();
    void Allow(bool allowed);
    // Stop and typing end a selection that is not permanent; true when it ended.
    bool EndIfNotPermanent();

    // Asks msg::SelectionConfirm with the verb (msg::VerbPrinted ..
    // msg::VerbSent) when an active selection has a
    // search text; true to go on. No question otherwise.
    bool ConfirmFor(IMessageUi& ui, unsigned verbId) const;

    // Whether a card passes the selection (every card when none is active).
    bool Passes(const CKarte& card) const;
    // The cards of the list that the selection lets through, or all cards.
    std::vector<const CKarte*> Filter(const CCardList& list, bool onlyEdited) const;
    std::vector<CKarte*> Filter(CCardList& list, bool onlyEdited) const;

    // Called after every change of active, permanent or allowed.
    std::function<void()> onChanged;

private:
    void Changed()
    {
        if (onChanged)
            onChanged();
    }

    bool m_active = false;
    bool m_permanent = false;
    bool m_allowed = true;
    std::string m_text;
};

// Cuts a term or search text to the length the dialog's edits allow.
std::string LimitSelectText(const std::string& text);

}  // namespace velkaro
