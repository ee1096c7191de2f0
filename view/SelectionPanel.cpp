#include "SelectionPanel.h"

#include "settings/QtText.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

namespace velkaro {

namespace {
constexpr int kWidth = 96;
constexpr int kHeight = 28;
}  // namespace

CSelectionPanel::CSelectionPanel(const CSelection* selection, QWidget* parent)
    : QWidget(parent)
    , m_selection(selection)
{
    setObjectName(QStringLiteral("selectionPanel"));
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void CSelectionPanel::SetResources(const ViewResources* resources)
{
    m_resources = resources;
    update();
}

void CSelectionPanel::Sync()
{
    setVisible(m_selection && m_selection->IsPanelVisible());
    update();
}

QSize CSelectionPanel::sizeHint() const
{
    return { kWidth, kHeight };
}

void CSelectionPanel::DrawPicture(QPainter& painter, const QRect& rect)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    // A small index card ...
    QRectF card(rect.left() + 1.5, rect.top() + 4.5, rect.width() * 0.62, rect.height() * 0.62);
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(QColor(255, 255, 235));
    painter.drawRect(card);
    painter.setPen(QPen(QColor(120, 120, 200), 1));
    for (int i = 1; i <= 3; ++i) {
        qreal y = card.top() + card.height() * i / 4.0;
        painter.drawLine(QPointF(card.left() + 2, y), QPointF(card.right() - 2, y));
    }
    // ... under a magnifying glass.
    QPointF centre(rect.left() + rect.width() * 0.58, rect.top() + rect.height() * 0.45);
    qreal radius = rect.height() * 0.28;
    painter.setPen(QPen(QColor(40, 40, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre + QPointF(radius * 0.7, radius * 0.7),
                     QPointF(rect.right() - 1.5, rect.bottom() - 1.5));
    painter.setPen(QPen(QColor(40, 40, 40), 1.6));
    painter.setBrush(QColor(200, 230, 255, 170));
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(QPen(Qt::white, 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(centre.x() - radius * 0.6, centre.y() - radius * 0.6, radius * 1.2, radius * 1.2),
                    100 * 16, 70 * 16);
    painter.restore();
}

void CSelectionPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect r = rect();
    painter.fillRect(r, QColor(255, 255, 225));
    DrawEdge3D(painter, r);
    DrawPicture(painter, QRect(4, 3, 22, 22));

    painter.setPen(Qt::black);
    painter.setFont(Res().label);
    painter.drawText(TextRect(), Qt::AlignVCenter | Qt::AlignLeft,
                     painter.fontMetrics().elidedText(ShownText(), Qt::ElideRight, TextRect().width()));
}

QString CSelectionPanel::ShownText() const
{
    QString text = m_selection ? ToQt(m_selection->SearchText()) : QString();
    return text.isEmpty() ? QStringLiteral("*") : text;
}

QRect CSelectionPanel::TextRect() const
{
    return { 29, 3, width() - 33, height() - 6 };
}

bool CSelectionPanel::TextShortened() const
{
    return QFontMetrics(Res().label).horizontalAdvance(ShownText()) > TextRect().width();
}

bool CSelectionPanel::event(QEvent* event)
{
    // A search text too long for the panel is shown whole in a tool tip.
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (TextShortened())
            QToolTip::showText(help->globalPos(), ShownText(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

}  // namespace velkaro
