#pragma once

// The About window (dialog 176). In splash mode it is shown modeless at
// start-up and closes itself after four seconds; the About command shows it
// modally.

#include <QDialog>

class QLabel;
class QTimer;

namespace velkaro {

class CSettings;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kSplashMilliseconds = 4000;
    static constexpr const char* kVersion = VELKARO_VERSION;

    CAboutDlg(bool splash, CSettings& settings, QWidget* parent = nullptr);

    bool IsSplash() const { return m_splash; }
    // The place the window takes, from its size and the stored position of
    // the main window (5000 = not stored): centred over the main window's
    // future place, or on the screen.
    static QPoint SplashPosition(QSize size, int storedX, int storedY, QRect screen);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_splash;
    CSettings& m_settings;
    QLabel* m_version = nullptr;
    QTimer* m_timer = nullptr;
};

}  // namespace velkaro
