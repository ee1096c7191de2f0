#pragma once

// A plain main window: the title, the menus of the current language with the
// language commands and the About command working, and the status bar with
// the card count. The full frame with the card view takes its place.

#include <QMainWindow>

class QLabel;

namespace velkaro {

class CPcxApp;

class CPlainMainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kWidth = 650;
    static constexpr int kHeight = 450;

    explicit CPlainMainWindow(CPcxApp& app);
    ~CPlainMainWindow() override;

    // The status bar's card count text ("%i Karten").
    QString CardCountText() const;
    // The action of a command id in the menu, or nullptr.
    QAction* CommandAction(unsigned id) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenu();
    void RefreshStatus();
    void OnCommand(unsigned id);

    CPcxApp& m_app;
    QLabel* m_count = nullptr;
    int m_viewHandle = 0;
};

}  // namespace velkaro
