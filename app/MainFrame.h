#pragma once

// The program's one main window: the menu of the current language, the
// toolbar, the status bar with the card count and the port state, and the
// card view in its client area. Every command goes through the frame's
// command registry: the frame registers its own (language, help, exit,
// About, undo, printing), the card view, the file and the transfer commands
// theirs. The command states follow the notices of the view, the document
// and the port; nothing is polled.

#include "view/CommandRegistry.h"

#include "device/PortState.h"

#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

class QAction;
class QLabel;
class QToolBar;

namespace velkaro {

class CPcxApp;
class CPcxView;

// The keyboard's Caps Lock and Num Lock, as the caps and num panes show them.
struct LockStates {
    bool caps = false;
    bool num = false;
};

// The lock states a key event carries on X11 and Wayland, whose native
// modifier state has Lock in bit 1 and Num Lock in Mod2, bit 4. Other
// platforms do not tell: nothing.
std::optional<LockStates> LockStatesFromNative(std::uint32_t nativeModifiers, const QString& platformName);

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kWidth = 650;
    static constexpr int kHeight = 450;

    explicit CMainFrame(CPcxApp& app);
    ~CMainFrame() override;

    CPcxView* View() const { return m_view; }
    QToolBar* ToolBar() const { return m_toolBar; }
    // The action of a command id (menus, accelerators and toolbar share it).
    QAction* CommandAction(unsigned id) const;
    // Status bar panes by id (cmd::PaneCardCount, PanePort, PaneOverwrite,
    // PaneCaps, PaneNum); the message pane is the status bar's message.
    QLabel* Pane(unsigned id) const;
    QString MessagePaneText() const;
    // The card count pane's text ("%i Karten").
    QString CardCountText() const;

    CCommandRegistry& Commands() { return m_commands; }
    void Dispatch(unsigned id) { m_commands.Dispatch(id); }
    bool IsCommandEnabled(unsigned id) const { return m_commands.IsEnabled(id); }

    // Where the port pane reads the port state from (the serial part).
    void SetPortStateProvider(std::function<PortState()> provider);

public slots:
    // The serial part's notice that the transfer mode changed: the port
    // pane, and undo and redo, which wait for a transfer to end.
    void OnPortModeChanged();
    void UpdateCommandUI();
    // The undo and redo items name their steps.
    void UpdateUndoTexts();
    void RefreshStatusPanes();
    // The caps and num panes follow these; the frame learns them from the
    // key events that pass through the program.
    void SetLockStates(LockStates locks);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RegisterCommands();
    void CreateActions();
    void BuildMenu();
    void CreateToolBar();
    void CreateStatusBar();
    void ApplyLanguage();
    void NameBars();
    void ShowHelp();
    void ShowReady();
    static QPoint OnNearestScreen(const QRect& window);
    QAction* ActionFor(unsigned id);

    CPcxApp& m_app;
    CCommandRegistry m_commands;
    CPcxView* m_view = nullptr;
    QToolBar* m_toolBar = nullptr;
    std::map<unsigned, QAction*> m_actions;
    std::map<unsigned, QLabel*> m_panes;
    std::function<PortState()> m_portState;
    QPoint m_normalPos;
    LockStates m_locks;
    int m_viewHandle = 0;
};

}  // namespace velkaro
