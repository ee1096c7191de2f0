#pragma once

// The windows of an address-book sync: the preview shown before the fetched
// contacts change any card, and the progress of the fetch. They show what
// the sync reports; fetching and merging are the caller's.

#include "carddav/SyncTypes.h"

#include <QDialog>
#include <QMessageBox>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

namespace velkaro {

// "Mit Adressbuch abgleichen": what applying the sync would do, as counts
// (new, changed, removed, unchanged; kept as changed here and damaged
// contacts when there are any), "Übernehmen" to apply it, Cancel to leave
// every card as it is, and "Details…" with a line per card. A message box,
// as the question about received cards is.
class CSyncPreviewDlg : public QMessageBox {
    Q_OBJECT
public:
    // details: Windows-1252 lines, one per card the sync touches.
    CSyncPreviewDlg(const SyncCounts& counts, std::vector<std::string> details, QWidget* parent = nullptr);

    // True once the user chose "Übernehmen" (Escape and closing: false).
    bool Applied() const { return m_applied; }

    QPushButton* ApplyButton() const { return m_apply; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* DetailsButton() const { return m_details; }

    // The counts as the box says them (Windows-1252): one line of the four
    // counts, then a line each for kept and damaged contacts when not zero.
    static std::string CountsText(const SyncCounts& counts);

signals:
    // The details window opened (tests close it).
    void detailsShown(QDialog* details);

private:
    void ShowDetails();

    std::vector<std::string> m_detailLines;
    bool m_applied = false;
    QPushButton* m_apply = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_details = nullptr;
};

// "Das Adressbuch wird geladen...": a step text and a bar while the
// contacts are fetched. Cancel (and Escape, and closing) calls the cancel
// function once and waits for the fetch to end: the fetch is what stops,
// the cards stay as they were. The caller closes the window with Finish.
class CSyncProgressDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSyncProgressDlg(std::function<void()> cancel, QWidget* parent = nullptr);

    QString StepText() const;
    QProgressBar* Bar() const { return m_bar; }
    QPushButton* CancelButton() const { return m_cancel; }
    bool CancelRequested() const { return m_cancelRequested; }

    void reject() override;

public slots:
    // What is fetched now (Windows-1252), such as an address book's name.
    void SetStep(const std::string& text);
    // done of total; a total of 0 shows a busy bar.
    void SetProgress(int done, int total);
    // The fetch ended (done, failed or cancelled): the window goes.
    void Finish();

signals:
    void cancelRequested();

private:
    std::function<void()> m_cancelFetch;
    bool m_cancelRequested = false;
    QLabel* m_step = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace velkaro
