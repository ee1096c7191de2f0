#pragma once

// The selection dialog: the search text, "Permanent", and six predefined
// terms kept in "DefaultSelect1".."DefaultSelect6". Entering a predefined
// term's edit copies it into the search text.

#include "model/Selection.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace velkaro {

class CSelectionDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids (their texts are looked up by the same ids).
    static constexpr int kSearchEdit = 1046;
    static constexpr int kPermanent = 1038;
    static constexpr int kFirstTerm = 1040;  // .. 1045

    // Opens with the search text and the permanent value given; the terms
    // are read from the settings.
    CSelectionDlg(const std::string& searchText, bool permanent, QWidget* parent = nullptr);

    std::string SearchText() const;
    bool Permanent() const;
    std::string Term(int i) const;  // i = 1..6

    QLineEdit* SearchEdit() const { return m_search; }
    QLineEdit* TermEdit(int i) const { return m_terms[static_cast<std::size_t>(i - 1)]; }
    QCheckBox* PermanentBox() const { return m_permanent; }

    // OK: the six terms are stored (empty ones too), then the dialog closes.
    void accept() override;

    static constexpr int kHelpTopic = 101;
    // Where the Help button sends its topic. Without a handler the button
    // explains the selection in a message box of its own.
    void SetHelpHandler(std::function<void(int topic)> handler) { m_helpHandler = std::move(handler); }
    QPushButton* HelpButton() const { return m_helpButton; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowHelp();

    QLineEdit* m_search = nullptr;
    QCheckBox* m_permanent = nullptr;
    std::array<QLineEdit*, kPredefinedTerms> m_terms {};
    QPushButton* m_helpButton = nullptr;
    std::function<void(int)> m_helpHandler;
};

}  // namespace velkaro
