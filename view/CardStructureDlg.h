#pragma once

// The card structure dialog: the field names of the card lines, page by
// page, and whether the card view shows them beside the display ("Aktiv").
// It works on a CCardStructure: a working copy of the field-names card.

#include "model/CardStructure.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velkaro {

class CCardStructureDlg : public QDialog {
    Q_OBJECT
public:
    CCardStructureDlg(const CKarte* fieldNames, bool active, QWidget* parent = nullptr);

    CCardStructure& Structure() { return m_structure; }
    const CCardStructure& Structure() const { return m_structure; }
    bool Active() const;

    // The widgets by their control ids (for the tests).
    QLineEdit* Edit(int id) const;
    QLabel* Label(int id) const;
    QPushButton* PreviousButton() const { return m_prev; }
    QPushButton* NextButton() const { return m_next; }
    QCheckBox* ActiveBox() const { return m_active; }
    QLineEdit* PageField() const { return m_pageField; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The steps of the constructor.
    QLineEdit* MakeEdit(int id, bool readOnly);
    QLabel* MakeLabel(int id, const std::string& text);
    QGridLayout* MakeFieldGrid();
    int LabelColumnWidth() const;
    QHBoxLayout* MakePageRow();

    void ShowPage();
    void StoreEdit(int id);
    void StoreVisibleEdits();

    CCardStructure m_structure;
    QCheckBox* m_active = nullptr;
    QLineEdit* m_nameField = nullptr;   // 1111
    QLineEdit* m_telEdit = nullptr;     // 1112
    QLabel* m_nameLabel = nullptr;      // 1119
    QLabel* m_telLabel = nullptr;       // 1120
    std::array<QLineEdit*, kLinesPerPage> m_lineEdits {};  // 1113..1118
    std::array<QLabel*, kLinesPerPage> m_rowLabels {};     // 1121..1126
    QLineEdit* m_pageField = nullptr;   // 1127
    QPushButton* m_prev = nullptr;      // 1129 "<<"
    QPushButton* m_next = nullptr;      // 1128 ">>"
};

}  // namespace velkaro
