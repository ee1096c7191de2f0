#pragma once

// "Anrufliste Vorschau": the telephone's call list as a table of seven
// columns, in ascending or descending order, with rows to select; saves
// all rows or the selected ones as a spreadsheet or a separated text file.
// The rows' selection is kept in the records, so it survives a change of
// order and reopening the window. A call the telephone listed without a
// name shows the name the cards give its number (set by the caller), in
// italics and the link colour; it is saved only when the user asks for it.

#include "device/AnrufObj.h"
#include "device/ReceptionBlocked.h"
#include "exchange/ImportTable.h"
#include "model/MessageUi.h"

#include <QDialog>
#include <QIcon>

#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace velkaro {

class CCallListDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids (their texts are looked up by the same ids).
    static constexpr int kList = 1060;
    static constexpr int kAscending = 1061;
    static constexpr int kOnlySelected = 1062;
    static constexpr int kSave = 1063;
    static constexpr int kColumnCount = 7;

    // The list stays the caller's; "CallListRising" and
    // "CallListOnlySelected" are read now and written back when the window
    // goes.
    CCallListDlg(CCallList& list, IMessageUi& ui, QWidget* parent = nullptr);
    ~CCallListDlg() override;

    QTreeWidget* List() const { return m_list; }
    QCheckBox* AscendingBox() const { return m_ascending; }
    QCheckBox* OnlySelectedBox() const { return m_onlySelected; }
    QCheckBox* NamesFromCardsBox() const { return m_namesFromCards; }
    QLabel* CardNameNote() const { return m_cardNameNote; }
    QPushButton* SaveButton() const { return m_save; }

    // Removes all rows and makes one row per record in the chosen order;
    // a record whose selected flag is set comes back selected.
    void Fill();
    // Copies the rows' selection into the records.
    void StoreSelections();
    // The record shown in a row (nullptr for none).
    CAnrufObj* RecordOfRow(int row) const;
    // The text of a cell as the table shows it.
    static QString CellText(const CAnrufObj& record, int column);
    // The name column shows the cards' name for the number.
    static bool ShowsCardName(const CAnrufObj& record);
    // The duration without its leading zeros, but with two digits before
    // the first ":" (0001:23 -> 01:23); all zeros show nothing.
    static std::string DurationText(const std::string& field);
    // The arrows of the direction: 0 out (black, up right), 1 in (blue,
    // down right).
    static QIcon DirectionIcon(int image);

    // The rows to save in display order (all, or the selected ones), each
    // the record's fields in the order received; with namesFromCards the
    // cards' names fill the name fields the telephone left empty.
    CImportTable SaveTable(bool onlySelected, bool namesFromCards = false) const;
    // "Speichern...": file dialog, write, msg::CallListSaved.
    void OnSave();

    void accept() override;
    void done(int result) override;

signals:
    void helpRequested();

private:
    void OnAscendingClicked();

    ReceptionBlock m_block;
    CCallList& m_calls;
    IMessageUi& m_ui;
    QTreeWidget* m_list = nullptr;
    QCheckBox* m_ascending = nullptr;
    QCheckBox* m_onlySelected = nullptr;
    QCheckBox* m_namesFromCards = nullptr;
    QLabel* m_cardNameNote = nullptr;
    QPushButton* m_save = nullptr;
    bool m_stored = false;
};

}  // namespace velkaro
