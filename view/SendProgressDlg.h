#pragma once

// The progress windows of card transfers. Both stand on one layout: a
// heading of two lines, three label/value rows (count, errors, speed), the
// place of a progress bar and Cancel. They show what the transfer flows
// report; the flows do the transferring.

#include <QDialog>

#include <string>

class QFrame;
class QLabel;
class QPushButton;

namespace velkaro {

class CProgressBar;

class CTransferProgressDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids of the layout.
    static constexpr int kHeading = 1011;
    static constexpr int kCountLabel = 1012;
    static constexpr int kErrorLabel = 1013;
    static constexpr int kSpeedLabel = 1014;
    static constexpr int kCount = 1015;
    static constexpr int kErrors = 1016;
    static constexpr int kSpeed = 1017;

    QString HeadingText() const;
    QString CountLabelText() const;
    QString CountText() const;
    QString SpeedText() const;
    QPushButton* CancelButton() const { return m_cancel; }

    // Escape and the title bar's close ask to cancel like the button; the
    // flow decides when the window goes.
    void reject() override;

signals:
    void cancelRequested();

protected:
    explicit CTransferProgressDlg(QWidget* parent);
    void SetTexts(const std::string& caption, const std::string& heading, const std::string& countLabel);
    void SetValues(int count, int errors, const std::string& speedText);
    // The frame the progress bar goes into (hidden when there is none).
    QFrame* BarFrame() const { return m_barFrame; }

private:
    QLabel* m_heading = nullptr;
    QLabel* m_countLabel = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_errors = nullptr;
    QLabel* m_speed = nullptr;
    QFrame* m_barFrame = nullptr;
    QPushButton* m_cancel = nullptr;
};

// "Karten senden": the heading names what goes out (all, edited, selected
// cards), the bar shows the sent part in per mille of the cards.
class CSendProgressDlg : public CTransferProgressDlg {
    Q_OBJECT
public:
    static constexpr int kBarRange = 1000;

    CSendProgressDlg(const std::string& heading, const std::string& speedText, QWidget* parent = nullptr);

    void Update(int sentCount, int errorCount, int perMille);
    int ProgressValue() const;
    QString ProgressText() const;
    CProgressBar* ProgressBar() const { return m_bar; }

private:
    CProgressBar* m_bar = nullptr;
    std::string m_speed;
};

}  // namespace velkaro
