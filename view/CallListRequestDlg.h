#pragma once

// "Anrufsliste empfangen": all entries of the telephone's call list, or only
// those newer than a date (picked from 1.1.1980 on).

#include "device/ReceptionBlocked.h"

#include <QDate>
#include <QDialog>

#include <string>

class QDateEdit;
class QRadioButton;

namespace velkaro {

class CCallListRequestDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids (their texts are looked up by the same ids).
    static constexpr int kEntries = 1052;
    static constexpr int kAllEntries = 1053;
    static constexpr int kNewerThan = 1054;
    static constexpr int kDatePicker = 1055;

    // choice 0 all entries, 1 only newer ones; date as stored in
    // "CallListDate" (shown when it reads as a date).
    CCallListRequestDlg(int choice, const std::string& date, QWidget* parent = nullptr);

    int Choice() const;
    QDate Date() const;
    // The picked date as "DD.MM.YYYY".
    std::string DateText() const;

    QRadioButton* AllButton() const { return m_all; }
    QRadioButton* NewerButton() const { return m_newer; }
    QDateEdit* DatePicker() const { return m_date; }

    // A stored date: day, month and year as runs of digits; two-digit years
    // below 80 are 20xx, others 19xx. Invalid before 1.1.1980.
    static QDate ParseDate(const std::string& text);
    static QDate MinimumDate() { return QDate(1980, 1, 1); }

signals:
    void helpRequested();

private:
    void ChoiceChanged();

    ReceptionBlock m_block;
    QRadioButton* m_all = nullptr;
    QRadioButton* m_newer = nullptr;
    QDateEdit* m_date = nullptr;
};

}  // namespace velkaro
