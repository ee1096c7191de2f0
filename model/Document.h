#pragma once

// The program's one document: it owns the card collection and writes it to
// the working file after every change.

#include "Archive.h"
#include "CardList.h"
#include "UserInterface.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velkaro {

// Update hints sent to the views.
enum class UpdateHint { All = 0, NewList = 1 };

class CPcxDoc {
public:
    CPcxDoc();

    CCardList& Cards() { return *m_cards; }
    const CCardList& Cards() const { return *m_cards; }
    uint8_t FileVersion() const { return m_fileVersion; }
    const std::string& LastWrittenPath() const { return m_lastWrittenPath; }

    // The working file; empty means nothing is written during this run.
    void SetWorkingPath(const std::string& path) { m_workingPath = path; }
    const std::string& WorkingPath() const { return m_workingPath; }

    // Views register to be told of changes (hint, and the new list for NewList).
    using ViewListener = std::function<void(UpdateHint, CCardList*)>;
    int AddView(ViewListener listener);
    void RemoveView(int handle);
    void UpdateAllViews(UpdateHint hint, CCardList* list = nullptr);

    // Opening and saving files as the framework does.
    ArchiveResult Open(const std::string& path);  // keeps the cards on failure
    ArchiveResult Save(const std::string& path);

    // Writes the working file (when its path is set); true on success.
    bool AutoSave(bool forced);
    void ReplaceCollection(std::unique_ptr<CCardList> newList);
    // Shows 34048 and returns true when there are no cards.
    bool NoCards(IUserInterface& ui) const;
    // Asks with OK/Cancel when there are cards; true to go on.
    bool Confirm(IUserInterface& ui, unsigned messageId) const;
    void DeleteContents();

    // Command flows.
    void OnSaveBackup(IUserInterface& ui);
    void OnLoadBackup(IUserInterface& ui);
    void OnDeleteAllCards(IUserInterface& ui);

    // Enable rules.
    bool CanSaveBackup() const { return !m_cards->IsEmpty(); }
    bool CanSendAll() const { return !m_cards->IsEmpty(); }
    bool CanSendEdited() const { return !m_cards->IsEmpty(); }
    std::string StatusCountText() const;  // "%i Karten"

private:
    std::unique_ptr<CCardList> m_cards;
    uint8_t m_fileVersion = 0;
    std::string m_lastWrittenPath;
    std::string m_workingPath;
    std::vector<std::pair<int, ViewListener>> m_views;
    int m_nextView = 1;
};

}  // namespace velkaro
