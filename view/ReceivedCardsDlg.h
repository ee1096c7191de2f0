#pragma once

// The result box of received cards that would replace the stored ones: the
// box's text, one line with what the cards would change, OK (replace every
// stored card), "Zusammenführen" (take the telephone's new and changed cards,
// keep the ones only here) and Cancel (keep every stored card); "Details…"
// lists the cards of each group, a changed card with both versions.

#include "model/CardComparison.h"
#include "model/TransferUi.h"

#include <QMessageBox>

#include <string>

class QPushButton;

namespace velkaro {

// A message box, as the plain result box is: the same look, the same
// keyboard, and whoever answers message boxes answers this one too.
class CReceivedCardsDlg : public QMessageBox {
    Q_OBJECT
public:
    CReceivedCardsDlg(const std::string& text, const CardComparison& comparison, QWidget* parent = nullptr);

    // The user's choice once the dialog ended (Escape and closing: Keep).
    ReceivedCardsChoice Choice() const { return m_choice; }

    QPushButton* OkButton() const { return m_ok; }
    QPushButton* MergeButton() const { return m_merge; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* DetailsButton() const { return m_details; }

    // The details as text: each group with its heading, a changed card line
    // by line in both versions (Windows-1252).
    static std::string DetailsText(const CardComparison& comparison);

signals:
    // The details window opened (tests close it).
    void detailsShown(QDialog* details);

private:
    void ShowDetails();

    const CardComparison& m_comparison;
    ReceivedCardsChoice m_choice = ReceivedCardsChoice::Keep;
    QPushButton* m_ok = nullptr;
    QPushButton* m_merge = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_details = nullptr;
};

}  // namespace velkaro
