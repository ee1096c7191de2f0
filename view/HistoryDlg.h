#pragma once

// The earlier states the working file's history keeps: one row each with
// its time, the step that followed and its card count, newest first; the
// names of the cards of the chosen one beside the list. OK restores it.

#include "model/History.h"

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;
class QTreeWidget;

namespace velkaro {

class CHistoryDlg : public QDialog {
    Q_OBJECT
public:
    CHistoryDlg(const std::vector<HistoryEntry>& entries, QWidget* parent = nullptr);

    // The file of the chosen state; empty when none is chosen.
    std::string ChosenPath() const;
    QTreeWidget* List() const { return m_list; }
    QListWidget* Cards() const { return m_cards; }

private:
    void ShowCards();
    std::vector<HistoryEntry> m_entries;
    QTreeWidget* m_list = nullptr;
    QListWidget* m_cards = nullptr;
};

}  // namespace velkaro
