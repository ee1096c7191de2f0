#pragma once

// The question how imported cards join the existing ones: delete the old
// cards, mix, or mix and let a new card replace an old one of the same name.

#include <QDialog>

#include <array>
#include <optional>

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;

namespace velkaro {

class CImportModeDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kModes = 3;

    // mode 0 delete old cards, 1 mix, 2 mix and replace duplicates; a value
    // outside 0..2 presets the first.
    explicit CImportModeDlg(int mode, QWidget* parent = nullptr);

    int Mode() const;
    void SetMode(int mode);

    QRadioButton* ModeButton(int mode) const { return m_choices[static_cast<std::size_t>(mode)]; }
    QLabel* Explanation(int mode) const { return m_explanations[static_cast<std::size_t>(mode)]; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

private:
    QButtonGroup* m_group = nullptr;
    std::array<QRadioButton*, kModes> m_choices {};
    std::array<QLabel*, kModes> m_explanations {};
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

// Runs the dialog modally: the chosen mode, or nothing on Cancel.
std::optional<int> AskImportMode(int current, QWidget* parent = nullptr);

}  // namespace velkaro
