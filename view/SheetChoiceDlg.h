#pragma once

// The question which sheet of a workbook to import, asked when several of
// its sheets are visible: the sheets' names in the workbook's order, the
// first one chosen.

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace velkaro {

class CSheetChoiceDlg : public QDialog {
    Q_OBJECT
public:
    // names: Windows-1252, as the readers give them.
    explicit CSheetChoiceDlg(const std::vector<std::string>& names, QWidget* parent = nullptr);

    int Chosen() const;
    QListWidget* List() const { return m_list; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

private:
    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

// Runs the dialog modally: the index of the chosen name, or nothing on Cancel.
std::optional<int> AskSheet(const std::vector<std::string>& names, QWidget* parent = nullptr);

}  // namespace velkaro
