#pragma once

// The command flows' questions, messages and file choices as Qt message
// boxes and file dialogs. Message text is Windows-1252 as everywhere below
// Qt; a chosen file comes back in the file system's own encoding, ready to
// be opened.

#include "model/UserInterface.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;

namespace velkaro {

class CProgressWnd;

class QtUserInterface : public IUserInterface {
public:
    // owner gives the window the boxes belong to (the main window once it
    // exists); it may give nullptr.
    explicit QtUserInterface(std::function<QWidget*()> owner = {});
    ~QtUserInterface() override;

    MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon icon) override;
    // The box with the comparison's counts, the merge choice and the details.
    ReceivedCardsChoice AskReceivedCards(const std::string& received, unsigned warning, MsgIcon icon,
                                         const CardComparison& comparison) override;
    std::optional<std::string> ChooseFile(FileRequest& request) override;
    void BeginWait() override;
    void EndWait() override;
    void ProgressBegin(const std::string& caption) override;
    void ProgressStep(int perMille) override;
    void ProgressEnd() override;
    void Beep() override;
    // The import dialog and the import mode question.
    bool EditImportConfig(const CImportTable& table, CImportConfig& config, const CKarte* fieldNames) override;
    std::optional<int> ChooseImportMode(int current) override;
    // The sheet chooser of a workbook with several visible sheets.
    std::optional<int> ChooseSheet(const std::vector<std::string>& names) override;

    // Where the Help buttons of the import dialog send their topic (105).
    void SetHelpHandler(std::function<void(int topic)> help) { m_help = std::move(help); }

    // Tests and special dialogs use the plain widgets (no native dialogs).
    void SetUseNativeDialogs(bool on) { m_native = on; }

    // "Text (*.x)|*.x|Other (*.y, *.z)|*.y;*.z|" as Qt name filters
    // "Text (*.x)", "Other (*.y *.z)": the pattern part decides.
    static QStringList QtFilters(const std::string& platformFilter);

private:
    QWidget* Owner() const;
    // A box or dialog asked for from within a modal dialog belongs to it.
    QWidget* DialogOwner() const;

    std::function<QWidget*()> m_owner;
    // A child of the main window while one is shown: the window may go with
    // its parent, so it is held by a guarded pointer.
    QPointer<CProgressWnd> m_progress;
    std::function<void(int)> m_help;
    QString m_lastDir;  // where the last file dialog of the run ended
    int m_waits = 0;
    bool m_native = true;
};

}  // namespace velkaro
