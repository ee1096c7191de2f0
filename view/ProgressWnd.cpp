#include "ProgressWnd.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <qdrawutil.h>

#include <algorithm>

namespace velkaro {

namespace {

// The dialog frame drawn around the window: two pixels of raised edge and one
// of button face.
constexpr int kFrame = 3;
// The sunken edge of the bar.
constexpr int kEdge = 2;

}  // namespace

CProgressBar::CProgressBar(int style, QWidget* parent)
    : QWidget(parent)
    , m_style(style)
{
    setObjectName(QStringLiteral("progressBar"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CProgressBar::SetRange(int range)
{
    m_range = std::max(range, 1);
    m_pos = std::clamp(m_pos, 0, m_range);
    update();
}

void CProgressBar::SetPos(int pos)
{
    pos = std::clamp(pos, 0, m_range);
    if (pos == m_pos)
        return;
    m_pos = pos;
    // The caller does not return to the event loop before the next step.
    repaint();
}

int CProgressBar::Percent(int pos, int range)
{
    if (range <= 0)
        return 0;
    return static_cast<int>(pos / (range * 0.01));
}

QString CProgressBar::PercentText() const
{
    return QStringLiteral("%1%").arg(Percent(m_pos, m_range));
}

void CProgressBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    QRect inner = rect();
    if (m_style & kSunken) {
        qDrawWinPanel(&p, rect(), pal, true);
        inner.adjust(kEdge, kEdge, -kEdge, -kEdge);
    }
    if (inner.isEmpty())
        return;

    QRect filled = inner;
    if (m_style & kVertical) {
        const int h = static_cast<int>(static_cast<long long>(inner.height()) * m_pos / m_range);
        filled.setTop(inner.bottom() + 1 - h);
    } else {
        const int w = static_cast<int>(static_cast<long long>(inner.width()) * m_pos / m_range);
        filled.setWidth(w);
    }
    p.fillRect(inner, Qt::white);
    if (!filled.isEmpty())
        p.fillRect(filled, pal.color(QPalette::Highlight));

    if (m_style & kNoText)
        return;
    const QString text = PercentText();
    p.setFont(font());
    p.save();
    p.setClipRect(inner);
    p.setPen(pal.color(QPalette::WindowText));
    p.drawText(inner, Qt::AlignCenter, text);
    p.restore();
    if (!filled.isEmpty()) {
        p.setClipRect(filled);
        p.setPen(pal.color(QPalette::HighlightedText));
        p.drawText(inner, Qt::AlignCenter, text);
    }
}

CProgressWnd::CProgressWnd(const QString& caption, QWidget* mainWindow)
    : QWidget(mainWindow && mainWindow->isVisible() ? mainWindow : nullptr)
    , m_caption(caption)
{
    setObjectName(QStringLiteral("progressWindow"));
    if (!parentWidget()) {
        // No main window to stand in: a small window of its own, still
        // belonging to the program's main window when there is one.
        setParent(mainWindow, Qt::Tool | Qt::FramelessWindowHint);
        setAttribute(Qt::WA_ShowWithoutActivating);
    }
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    setCursor(Qt::WaitCursor);
    setFont(QApplication::font());
    setWindowTitle(caption);

    m_bar = new CProgressBar(CProgressBar::kSunken, this);
    m_bar->SetRange(kRange);
    m_bar->setCursor(Qt::WaitCursor);

    setFixedSize(kWidth, kHeight);
    QRect area;
    if (parentWidget() && !isWindow()) {
        area = parentWidget()->rect();
    } else if (mainWindow && mainWindow->isVisible()) {
        area = mainWindow->frameGeometry();
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isValid())
        move(area.x() + (area.width() - kWidth) / 2, area.y() + (area.height() - kHeight) / 2);
    PlaceBar();

    show();
    raise();
    PaintNow();
}

CProgressWnd::~CProgressWnd() = default;

QRect CProgressWnd::ClientRect() const
{
    return rect().adjusted(kFrame, kFrame, -kFrame, -kFrame);
}

void CProgressWnd::PlaceBar()
{
    const QRect client = ClientRect();
    const int w = client.width() - 40;
    const int h = fontMetrics().height() + 4 + 4;
    m_bar->setGeometry(client.left() + (client.width() - w) / 2, client.top() + (client.height() - h) / 2, w, h);
}

void CProgressWnd::SetPos(int perMille)
{
    m_bar->SetPos(perMille);
}

void CProgressWnd::PaintNow()
{
    // A window of its own must first be put on the screen; inside the main
    // window the painting goes straight to it.
    if (isWindow())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

void CProgressWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceBar();
}

void CProgressWnd::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    qDrawWinPanel(&p, rect(), palette(), false);
    p.setPen(palette().color(QPalette::Button));
    p.drawRect(rect().adjusted(2, 2, -3, -3));

    const QRect bar = m_bar->geometry();
    p.setFont(font());
    p.setPen(palette().color(QPalette::ButtonText));
    const QFontMetrics fm = fontMetrics();
    const QRect textRect(bar.left() + 2, bar.top() - 20, ClientRect().right() - bar.left() - 2, fm.height());
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_caption);
}

}  // namespace velkaro
