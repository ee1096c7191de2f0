#include "view/SoftkeyBar.h"

#include "view/Accessibility.h"

#include "view/LineEditor.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace velkaro {

namespace {

// The cells of the four sets, left to right.
constexpr int kSets[4][kSoftkeyCells] = {
    { 12, 12, 12, 12, 12, 12, 12 },
    { 0, 1, 2, 12, 12, 12, 3 },
    { 0, 4, 5, 12, 12, 12, 12 },
    { 0, 7, 8, 9, 10, 11, 12 },
};

constexpr int kSymbolWidth = 39;
// The symbols are drawn for a 39 x 25 box and scaled into the room the
// label leaves them.
constexpr int kSymbolDesignHeight = 25;
constexpr int kSymbolHeight = 34 - kSoftkeyLabelHeight;

const QColor kInk(0x20, 0x20, 0x28);

}  // namespace

CSoftkeyBar::CSoftkeyBar(QWidget* parent)
    : QWidget(parent)
{
    m_codes.fill(softkey::Empty);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    InstallAccessibleInterfaces();
}

QSize CSoftkeyBar::sizeHint() const
{
    return { kSoftkeyBarWidth, kSoftkeyBarHeight };
}

void CSoftkeyBar::SetResources(const ViewResources* resources)
{
    m_resources = resources;
    update();
}

void CSoftkeyBar::SetDisplay(const CLineEditor* display)
{
    m_display = display;
    update();
}

void CSoftkeyBar::SetSet(int set)
{
    m_codes.fill(softkey::Empty);
    if (set >= 0 && set < 4) {
        for (int i = 0; i < kSoftkeyCells; ++i)
            m_codes[static_cast<std::size_t>(i)] = kSets[set][i];
    }
    update();
    NotifySoftkeysChanged(this);
}

void CSoftkeyBar::Toggle(int stateSet)
{
    if (m_codes[1] == softkey::Page1)
        SetSet(stateSet);
    else
        SetSet(softkey::SetPages);
}

int CSoftkeyBar::ActionCode(int cell) const
{
    if (cell < 0 || cell >= kSoftkeyCells)
        return softkey::Empty;
    return m_codes[static_cast<std::size_t>(cell)];
}

QRect CSoftkeyBar::CellRect(int cell) const
{
    if (cell < 0 || cell >= kSoftkeyCells)
        return {};
    return QRect(kSoftkeyCellWidth * cell - 1, -1, kSoftkeyCellWidth, kSoftkeyBarHeight);
}

int CSoftkeyBar::CellAt(const QPoint& point) const
{
    int found = -1;
    for (int i = 0; i < kSoftkeyCells; ++i) {
        if (CellRect(i).contains(point))
            found = i;
    }
    return found;
}

void CSoftkeyBar::PressCell(int cell)
{
    if (cell < 0 || cell >= kSoftkeyCells)
        return;
    emit cellPressed(cell);
    emit actionPressed(ActionCode(cell));
}

bool CSoftkeyBar::IsHighlighted(int cell) const
{
    int code = ActionCode(cell);
    const CKarte* card = m_display ? m_display->ShownCard() : nullptr;
    if (code == softkey::More)
        return card && card->LastUsedLine() > 7;
    if (code >= softkey::Page1 && code <= softkey::Page5)
        return m_display && code - 6 == m_display->Page();
    return false;
}

void CSoftkeyBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    int cell = CellAt(event->position().toPoint());
    if (cell >= 0)
        PressCell(cell);
}

void CSoftkeyBar::keyPressEvent(QKeyEvent* event)
{
    int key = event->key();
    if ((event->modifiers() & Qt::ControlModifier) && key >= Qt::Key_F1 && key <= Qt::Key_F7) {
        PressCell(key - Qt::Key_F1);
        return;
    }
    event->ignore();
}

void CSoftkeyBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const ViewResources& res = Res();
    painter.fillRect(rect(), res.Color(kColorSoftkeyBackground));
    const CKarte* card = m_display ? m_display->ShownCard() : nullptr;
    const int language = LanguageRow();

    for (int i = 0; i < kSoftkeyCells; ++i) {
        int code = ActionCode(i);
        if (code == softkey::Empty || code == 6)
            continue;
        const QRect cell = CellRect(i);
        const bool highlighted = IsHighlighted(i);
        painter.fillRect(cell, highlighted ? res.Color(kColorSoftkeySelected) : res.Color(kColorSoftkeyGround));
        DrawEdge3D(painter, cell);
        if (code <= softkey::Mark) {
            int offset = code == softkey::Mark && card && card->IsMarked() ? 1 : 0;
            QRect symbol(cell.left() + 3, cell.top() + 3, kSymbolWidth, kSymbolHeight);
            DrawSymbol(painter, code, offset, symbol, highlighted);
            QRect label(cell.left() + 3, symbol.bottom() + 1, kSymbolWidth, kSoftkeyLabelHeight);
            DrawLabel(painter, code, language, label, highlighted);
        } else {
            PaintThumbnail(painter, cell, code - 6, highlighted);
        }
    }
}

void CSoftkeyBar::PaintThumbnail(QPainter& painter, const QRect& cell, int page, bool highlighted) const
{
    const ViewResources& res = Res();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QRect thumb(cell.left() + (cell.width() - 34) / 2, cell.top() + 4, 34, 16);
    painter.fillRect(thumb, highlighted ? QColor(Qt::white) : res.Color(kColorSoftkeyGround));
    painter.setPen(Qt::black);
    painter.drawRect(thumb.adjusted(0, 0, -1, -1));

    // One black pixel for every character of the page's six lines.
    const CKarte* card = m_display ? m_display->ShownCard() : nullptr;
    if (card) {
        for (int k = 0; k < kLinesPerPage; ++k) {
            const std::string_view line = card->GetLine(kLinesPerPage * page - 4 + k);
            for (std::size_t c = 0; c < line.size(); ++c) {
                if (line[c] != ' ')
                    painter.drawPoint(thumb.left() + 2 + static_cast<int>(c), cell.top() + 6 + 2 * k);
            }
        }
    }

    painter.setFont(res.label);
    painter.setPen(highlighted ? Qt::white : Qt::black);
    QRect number(cell.left(), thumb.bottom() + 1, cell.width(), cell.bottom() - thumb.bottom() - 1);
    painter.drawText(number, Qt::AlignHCenter | Qt::AlignVCenter, QString::number(page));
    painter.restore();
}

// --- the pictures ------------------------------------------------------------

QString CSoftkeyBar::LabelText(int action, int languageRow)
{
    static const char* const kLabels[6][3] = {
        { "mehr", "more", "plus" },
        { "Liste", "List", "Liste" },
        { "Wählen", "Dial", "Appel" },
        { "Löschen", "Delete", "Effacer" },
        { "Sichern", "Save", "Enreg." },
        { "Privat", "Private", "Privé" },
    };
    if (action < 0 || action > 5 || languageRow < 0 || languageRow > 2)
        return {};
    return QString::fromUtf8(kLabels[action][languageRow]);
}

QFont CSoftkeyBar::LabelFont(const QString& text, int width)
{
    // The face and size are chosen by what they measure, so tails (p, g)
    // and accents (é, ä) stay inside the strip.
    static const QFont fitted = FitFont({ QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                                          QStringLiteral("DejaVu Sans"), QStringLiteral("Nimbus Sans") },
                                        QFont::SansSerif, QFont::Normal, kSoftkeyLabelHeight, kSoftkeyLabelHeight, 0,
                                        0);
    QFont font = fitted;
    // Long words are narrowed to the strip's width rather than cut; a face
    // that will not narrow enough gets a smaller size.
    for (int stretch = 100; QFontMetrics(font).boundingRect(text).width() > width - 1 && font.pixelSize() > 6;) {
        stretch = std::max(50, stretch - 5);
        font.setStretch(stretch);
        if (stretch == 50)
            font.setPixelSize(font.pixelSize() - 1);
    }
    return font;
}

void CSoftkeyBar::DrawLabel(QPainter& painter, int action, int languageRow, const QRect& rect, bool highlighted)
{
    const QString text = LabelText(action, languageRow);
    if (text.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const QFont font = LabelFont(text, rect.width());
    painter.setFont(font);
    painter.setPen(highlighted ? Qt::white : kInk);
    const QFontMetrics fm(font);
    painter.drawText(rect.left() + std::max(0, (rect.width() - fm.horizontalAdvance(text)) / 2),
                     BaselineIn(fm, rect.top(), rect.height()), text);
    painter.restore();
}

namespace {

void DrawMore(QPainter& p, const QRectF& r, const QColor& ink, const QColor& paper)
{
    // Three pages fanned out, and a chevron pointing on.
    QPen pen(ink, 1.2);
    p.setPen(pen);
    for (int i = 2; i >= 0; --i) {
        QRectF page(r.left() + 6 + 3 * i, r.top() + 3 + 2.5 * i, 13, 15);
        p.setBrush(paper);
        p.drawRect(page);
        if (i == 0) {
            for (int k = 0; k < 4; ++k)
                p.drawLine(QPointF(page.left() + 2.5, page.top() + 3.5 + 3 * k),
                           QPointF(page.right() - 2.5, page.top() + 3.5 + 3 * k));
        }
    }
    QPen chevron(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(chevron);
    p.setBrush(Qt::NoBrush);
    for (int k = 0; k < 2; ++k) {
        qreal x = r.left() + 27 + 5 * k;
        QPolygonF arrow;
        arrow << QPointF(x, r.top() + 7) << QPointF(x + 4, r.top() + 12.5) << QPointF(x, r.top() + 18);
        p.drawPolyline(arrow);
    }
}

void DrawList(QPainter& p, const QRectF& r, const QColor& ink, const QColor& accent)
{
    // A name list with a caret pointing back to it.
    QPen pen(ink, 1.6, Qt::SolidLine, Qt::RoundCap);
    for (int k = 0; k < 4; ++k) {
        qreal y = r.top() + 5 + 5 * k;
        p.setPen(Qt::NoPen);
        p.setBrush(k == 1 ? accent : ink);
        p.drawEllipse(QPointF(r.left() + 15, y), 1.6, 1.6);
        p.setPen(pen);
        p.drawLine(QPointF(r.left() + 19, y), QPointF(r.left() + 33 - (k % 2) * 4, y));
    }
    QPainterPath back;
    back.moveTo(r.left() + 3, r.top() + 10);
    back.lineTo(r.left() + 10, r.top() + 5.5);
    back.lineTo(r.left() + 10, r.top() + 14.5);
    back.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    p.drawPath(back);
}

void DrawDial(QPainter& p, const QRectF& r, const QColor& ink, const QColor& accent)
{
    // A handset lifted off the cradle with its ringing waves.
    QPainterPath handset;
    const qreal cx = r.left() + 16;
    const qreal cy = r.top() + 13;
    handset.moveTo(cx - 10, cy + 2);
    handset.cubicTo(cx - 10, cy - 9, cx + 10, cy - 9, cx + 10, cy + 2);
    handset.lineTo(cx + 6, cy + 4);
    handset.cubicTo(cx + 5, cy - 2, cx - 5, cy - 2, cx - 6, cy + 4);
    handset.closeSubpath();
    p.setPen(QPen(ink, 1.0));
    p.setBrush(ink);
    p.drawPath(handset);
    // Ear and mouth pieces.
    p.drawRoundedRect(QRectF(cx - 13, cy + 1, 8, 5), 2, 2);
    p.drawRoundedRect(QRectF(cx + 5, cy + 1, 8, 5), 2, 2);
    // The cradle.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 1.4));
    p.drawLine(QPointF(cx - 8, cy + 10), QPointF(cx + 8, cy + 10));
    p.setPen(QPen(accent, 1.4, Qt::SolidLine, Qt::RoundCap));
    for (int k = 0; k < 2; ++k) {
        QRectF arc(r.left() + 19 + 3 * k, r.top() + 4 - 3 * k, 8 + 6 * k, 10 + 6 * k);
        p.drawArc(arc, -60 * 16, 120 * 16);
    }
}

void DrawDelete(QPainter& p, const QRectF& r, const QColor& ink, const QColor& accent, const QColor& paper)
{
    // A waste bin with its lid.
    const qreal cx = r.center().x();
    QPolygonF bin;
    bin << QPointF(cx - 6.5, r.top() + 7) << QPointF(cx + 6.5, r.top() + 7) << QPointF(cx + 5, r.top() + 22)
        << QPointF(cx - 5, r.top() + 22);
    p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(paper);
    p.drawPolygon(bin);
    for (int k = -1; k <= 1; ++k)
        p.drawLine(QPointF(cx + 2.8 * k, r.top() + 10), QPointF(cx + 2.3 * k, r.top() + 19.5));
    p.setBrush(accent);
    p.drawRoundedRect(QRectF(cx - 8.5, r.top() + 3.5, 17, 3), 1, 1);
    p.drawRect(QRectF(cx - 2.5, r.top() + 1.5, 5, 2));
}

void DrawSave(QPainter& p, const QRectF& r, const QColor& ink, const QColor& accent, const QColor& paper)
{
    // A diskette with its label and shutter.
    QRectF disk(r.center().x() - 10, r.top() + 2, 20, 21);
    QPainterPath body;
    body.moveTo(disk.topLeft());
    body.lineTo(disk.right() - 3, disk.top());
    body.lineTo(disk.right(), disk.top() + 3);
    body.lineTo(disk.bottomRight());
    body.lineTo(disk.bottomLeft());
    body.closeSubpath();
    p.setPen(QPen(ink, 1.2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(accent);
    p.drawPath(body);
    p.setBrush(paper);
    p.drawRect(QRectF(disk.left() + 3.5, disk.top() + 11, 13, 9));
    p.setBrush(ink);
    p.drawRect(QRectF(disk.left() + 5, disk.top(), 9, 6));
    p.setBrush(paper);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(disk.left() + 10.5, disk.top() + 1, 2, 4));
    p.setPen(QPen(ink, 0.8));
    for (int k = 0; k < 2; ++k)
        p.drawLine(QPointF(disk.left() + 5.5, disk.top() + 14 + 3 * k), QPointF(disk.left() + 14.5, disk.top() + 14 + 3 * k));
}

void DrawMark(QPainter& p, const QRectF& r, bool marked, const QColor& ink)
{
    // A star: hollow for an ordinary card, filled for a private one.
    QPolygonF star;
    const QPointF c(r.center().x(), r.top() + 13);
    for (int k = 0; k < 10; ++k) {
        qreal radius = (k % 2 == 0) ? 11 : 4.6;
        qreal angle = -M_PI / 2 + k * M_PI / 5;
        star << QPointF(c.x() + radius * std::cos(angle), c.y() + radius * std::sin(angle));
    }
    p.setPen(QPen(ink, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(marked ? QColor(0xFF, 0xD8, 0x00) : QColor(Qt::transparent));
    p.drawPolygon(star);
}

}  // namespace

void CSoftkeyBar::DrawSymbol(QPainter& painter, int action, int offset, const QRect& rect, bool highlighted)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setClipRect(rect);
    const QColor ink = highlighted ? QColor(Qt::white) : kInk;
    const QColor paper = highlighted ? QColor(0x60, 0x60, 0x60) : QColor(0xF4, 0xF4, 0xEE);
    // A box lower than the design's gets the symbol scaled down, centred.
    const qreal scale = std::min(1.0, static_cast<qreal>(rect.height()) / kSymbolDesignHeight);
    painter.translate(rect.left() + rect.width() * (1 - scale) / 2, rect.top());
    painter.scale(scale, scale);
    const QRectF r(0, 0, rect.width(), kSymbolDesignHeight);
    switch (action) {
    case softkey::More: DrawMore(painter, r, ink, paper); break;
    case softkey::List: DrawList(painter, r, ink, QColor(0x1F, 0x5F, 0xB0)); break;
    case softkey::Dial: DrawDial(painter, r, ink, QColor(0x1E, 0x8C, 0x3A)); break;
    case softkey::Delete: DrawDelete(painter, r, ink, QColor(0xC0, 0x30, 0x28), paper); break;
    case softkey::Save: DrawSave(painter, r, ink, QColor(0x2C, 0x4C, 0x9C), paper); break;
    case softkey::Mark: DrawMark(painter, r, offset == 1, ink); break;
    default: break;
    }
    painter.restore();
}

}  // namespace velkaro
