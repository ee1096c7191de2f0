#pragma once

// The small progress window shown while an import file is read, its records
// are loaded into the import dialog and cards are imported. All that work
// runs on the user-interface thread without returning to the event loop, so
// the window paints itself at once at every step.

#include <QString>
#include <QWidget>

namespace velkaro {

// A progress bar with its own painting: the filled part in the highlight
// colour, the rest white, and the percentage over both.
class CProgressBar : public QWidget {
    Q_OBJECT
public:
    enum Style {
        kVertical = 1,  // fills from the bottom
        kNoText = 2,    // no percentage
        kSunken = 4,    // sunken edge
    };

    explicit CProgressBar(int style = kSunken, QWidget* parent = nullptr);

    int Style() const { return m_style; }
    int Range() const { return m_range; }
    void SetRange(int range);
    int Pos() const { return m_pos; }
    // Clamped to 0..range; repaints at once when the picture changes.
    void SetPos(int pos);

    // position / (range * 0.01), truncated.
    static int Percent(int pos, int range);
    // "%i%%" of the present position.
    QString PercentText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_style;
    int m_range = 1000;
    int m_pos = 0;
};

class CProgressWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 280;
    static constexpr int kHeight = 80;
    static constexpr int kRange = 1000;

    // Shown and painted at once, centred on the main window. Without a main
    // window it stands alone in the middle of the screen.
    explicit CProgressWnd(const QString& caption, QWidget* mainWindow = nullptr);
    ~CProgressWnd() override;

    QString Caption() const { return m_caption; }
    CProgressBar* Bar() const { return m_bar; }
    // Per mille, 0..1000; painted before the call returns.
    void SetPos(int perMille);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect ClientRect() const;
    void PlaceBar();
    void PaintNow();

    QString m_caption;
    CProgressBar* m_bar = nullptr;
};

}  // namespace velkaro
