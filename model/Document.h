#pragma once

// The program's one document: it owns the card collection and writes it to
// the working file after every change.

#include "Archive.h"
#include "CardList.h"
#include "History.h"
#include "MessageUi.h"
#include "UndoStack.h"

#include <ctime>
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

    // Where AutoSave reports a failed write (may be null: not reported).
    void SetUserInterface(IMessageUi* ui) { m_ui = ui; }

    // Opening and saving files. Open reads into a new collection and takes
    // it over only after a complete read, so a failure keeps the cards; an
    // archive without a field-names card keeps the one held.
    ArchiveResult Open(const std::string& path);
    ArchiveResult Save(const std::string& path);

    // Start-up: opens the working file as the document; the temporaries
    // that cut-off saves left beside it are removed first. A missing file:
    // its folder is created and the document starts empty with the working
    // path set. A damaged file (or one of another format) is renamed to
    // DamagedName(path, today, n) beside it, untouched, the user is told why,
    // and the run goes on with a fresh, empty working file (written at
    // once). A file that cannot be read, or moved aside, gives
    // msg::WorkingFileNotLoaded with the reason, an empty document and an empty working path, so that
    // nothing overwrites it in this run (returns false).
    bool OpenWorkingFile(const std::string& path, IMessageUi& ui);
    // path + ".damaged-YYYY-MM-DD", from the second on with "-n" added.
    static std::string DamagedName(const std::string& path, const std::tm& day, int attempt);

    // Writes the working file when its path is set. The non-forced form is
    // used after each change, the forced one at exit; both write. Returns
    // false only when a write failed (reported through the user interface
    // set above).
    bool AutoSave(bool forced);
    // Takes over a new collection (received cards): its field-names card is
    // taken out of the array, the views are told, the working file written.
    // The collection object itself stays the same, so pointers to it held
    // by views remain valid.
    // Returns false when the working file could not be kept in the history
    // first (reported; the cards stay as they were), or when the new cards
    // could not be written to it (reported; they are shown all the same).
    bool ReplaceCollection(std::unique_ptr<CCardList> newList);
    // Takes over received cards merged with the stored ones in one step: the
    // telephone's new and changed cards, and the cards only the computer
    // holds, marked as edited (MergeInto). Views, working file, history and
    // the return value as above.
    bool MergeCollection(std::unique_ptr<CCardList> received);
    // Says "no cards" (msg::NoCardsAvailable) and returns true when there are
    // no cards.
    bool NoCards(IMessageUi& ui) const;
    // Asks with OK/Cancel when there are cards; true to go on.
    bool Confirm(IMessageUi& ui, unsigned messageId) const;
    void DeleteContents();

    // Command flows.
    void OnSaveBackup(IMessageUi& ui);
    void OnLoadBackup(IMessageUi& ui);
    // The same for a backup named beforehand (a file given to the program,
    // say by a double-click in the file manager): the replace question, then
    // the file without the open dialog.
    void LoadBackupFrom(IMessageUi& ui, const std::string& path);
    void OnDeleteAllCards(IMessageUi& ui);

    // Undo and redo. BeginChange is called before a change with the name
    // the menu shows for it and copies the cards as they are; the next
    // AutoSave (or CommitChange, for a change that is not written) makes it
    // one undo step, unless the cards did not change, and lets the copy go:
    // the step keeps only what the change did. SetChangeLabel names a change
    // whose size is known only afterwards. Undo and Redo put the cards back,
    // tell the views of a new list and write the working file; when the
    // cards were changed without a step since, they stay as they are, the
    // steps are dropped and the result is false.
    void BeginChange(StepLabel label);
    void SetChangeLabel(StepLabel label);
    void CommitChange();
    bool CanUndo() const { return m_undo.CanUndo(); }
    bool CanRedo() const { return m_undo.CanRedo(); }
    std::string UndoLabel() const { return m_undo.UndoLabel(); }
    std::string RedoLabel() const { return m_undo.RedoLabel(); }
    bool Undo();
    bool Redo();
    CUndoStack& UndoStack() { return m_undo; }

    // Before a step that replaces or deletes many cards: keeps the working
    // file as it is in its history (History.h). A failure is reported and
    // returns false: the step must not be taken without the copy.
    bool KeepHistory(IMessageUi& ui, const char* action);
    // Takes back the copy the last KeepHistory kept, for a run that ends
    // because the step's write failed (the command line): the working file
    // holds that state still.
    void WithdrawHistory();
    // Puts a copy from the history back, as one undoable step, after keeping
    // the cards held now in the history too.
    bool RestoreHistory(IMessageUi& ui, const std::string& entryPath);

    // Enable rules.
    bool CanSaveBackup() const { return !m_cards->IsEmpty(); }
    bool CanSendAll() const { return !m_cards->IsEmpty(); }
    bool CanSendEdited() const { return !m_cards->IsEmpty(); }
    std::string StatusCountText() const;  // "%i Karten"

    // The file-dialog filter of backup files; the open dialog adds "all files".
    static std::string BackupFilter(bool withAllFiles);

private:
    // Replaces the collection with newList (its field names taken out
    // already), after keeping the working file in its history, as one step.
    bool TakeReceived(std::unique_ptr<CCardList> newList, StepLabel step);

    // Reads the backup at path into the document and says how it went.
    void ReadBackup(IMessageUi& ui, const std::string& path);
    // Puts cards read from a file of that version in place of those held.
    void TakeLoaded(CCardList list, uint8_t fileVersion);
    // After an undo or redo: tells the views and writes the working file.
    void PutBack();
    CUndoStack m_undo;
    bool m_changePending = false;
    StepLabel m_changeLabel;
    CCardSnapshot m_beforeChange;
    std::unique_ptr<CCardList> m_cards;
    uint8_t m_fileVersion = 0;
    std::string m_lastWrittenPath;
    std::string m_workingPath;
    CHistoryCopy m_historyCopy;
    IMessageUi* m_ui = nullptr;
    std::vector<std::pair<int, ViewListener>> m_views;
    int m_nextView = 1;
};

}  // namespace velkaro
