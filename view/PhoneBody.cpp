#include "PhoneBody.h"

#include "settings/Colors.h"
#include "settings/QtText.h"
#include "text/Language.h"
#include "text/Menus.h"
#include "text/MessageIds.h"
#include "view/SelectionPanel.h"
#include "view/SoftkeyBar.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace velkaro {

namespace {

// Where the pieces stand. The window has a fixed size, so the front is laid
// out once in view coordinates.
constexpr int kViewWidth = 650;
constexpr int kViewHeight = 372;
constexpr int kBodyMargin = 6;
constexpr int kScreenLeft = 130;
constexpr int kScreenTop = 108;
constexpr int kScreenWidth = 340;
constexpr int kPanelSize = 34;
constexpr int kPanelGap = 6;

constexpr int kRowButtonWidth = 20;
constexpr int kRowButtonHeight = 12;
constexpr int kRowButtonX = 38;
constexpr int kSoftButtonWidth = 30;
constexpr int kSoftButtonHeight = 12;
constexpr int kSoftButtonGap = 10;

constexpr int kKeyPadCentreX = 577;
constexpr int kArrowWidth = 26;
constexpr int kArrowHeight = 22;
constexpr int kArrowTop = 112;
constexpr int kCommandButtonWidth = 32;
constexpr int kCommandButtonHeight = 22;
constexpr int kCommandButtonTop = 214;
constexpr int kCommandButtonPitch = 42;
constexpr int kCommandLabelGap = 4;
// The least room between two softkey captions.
constexpr int kCaptionGap = 10;

constexpr int kPictureTop = 40;

// The body's label font, made smaller until the text fits the width (the
// substitute faces of some systems run wider than the telephone's own).
QFont FittingFont(const QFont& base, const QString& text, int width)
{
    QFont font = base;
    int size = font.pixelSize() > 0 ? font.pixelSize() : 12;
    while (size > 8) {
        font.setPixelSize(size);
        if (QFontMetrics(font).horizontalAdvance(text) <= width)
            break;
        --size;
    }
    // Still too wide at the smallest readable size: narrowed, not cut.
    font.setPixelSize(size);
    const int advance = QFontMetrics(font).horizontalAdvance(text);
    if (advance > width)
        font.setStretch(std::max(60, 100 * width / advance));
    return font;
}

QColor ToQColor(ColorRef c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

}  // namespace

// ---------------------------------------------------------------------------
// The keys of the telephone body.

CFrontButton::CFrontButton(Kind kind, unsigned commandId, QWidget* parent)
    : QAbstractButton(parent)
    , m_kind(kind)
{
    setFocusPolicy(Qt::NoFocus);
    setObjectName(QStringLiteral("button%1").arg(commandId));
    setCursor(Qt::PointingHandCursor);
    resize(sizeHint());
}

QSize CFrontButton::sizeHint() const
{
    switch (m_kind) {
    case Kind::Row: return { kRowButtonWidth, kRowButtonHeight };
    case Kind::Softkey: return { kSoftButtonWidth, kSoftButtonHeight };
    case Kind::Stop:
    case Kind::NewCard:
    case Kind::Selection: return { kCommandButtonWidth, kCommandButtonHeight };
    default: return { kArrowWidth, kArrowHeight };
    }
}

void CFrontButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const bool down = isDown();
    QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

    // The key cap: a rounded block lit from the top left; pressed, it sinks.
    QColor base;
    switch (m_kind) {
    case Kind::Stop: base = QColor(196, 52, 44); break;
    case Kind::NewCard: base = QColor(70, 120, 190); break;
    case Kind::Selection: base = QColor(224, 176, 48); break;
    case Kind::Row:
    case Kind::Softkey: base = QColor(92, 96, 104); break;
    default: base = QColor(150, 154, 160); break;
    }
    if (down)
        base = base.darker(125);
    qreal radius = m_kind == Kind::Row || m_kind == Kind::Softkey ? r.height() / 2 : 4;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawRoundedRect(r.translated(down ? 0.5 : 1.2, down ? 0.5 : 1.5), radius, radius);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, base.lighter(down ? 110 : 150));
    g.setColorAt(0.5, base);
    g.setColorAt(1, base.darker(135));
    p.setBrush(g);
    p.setPen(QPen(base.darker(200), 1));
    QRectF cap = down ? r.translated(0.6, 0.8) : r;
    p.drawRoundedRect(cap, radius, radius);

    QPointF c = cap.center();
    QColor ink = m_kind == Kind::Up || m_kind == Kind::Down || m_kind == Kind::Left || m_kind == Kind::Right
        ? QColor(30, 30, 30)
        : QColor(255, 255, 255);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    auto triangle = [&](QPointF a, QPointF b, QPointF d) {
        QPainterPath path;
        path.moveTo(a);
        path.lineTo(b);
        path.lineTo(d);
        path.closeSubpath();
        p.drawPath(path);
    };
    const qreal s = 5;
    switch (m_kind) {
    case Kind::Up: triangle(c + QPointF(0, -s), c + QPointF(-s - 1, s - 1), c + QPointF(s + 1, s - 1)); break;
    case Kind::Down: triangle(c + QPointF(0, s), c + QPointF(-s - 1, -s + 1), c + QPointF(s + 1, -s + 1)); break;
    case Kind::Left: triangle(c + QPointF(-s, 0), c + QPointF(s - 1, -s - 1), c + QPointF(s - 1, s + 1)); break;
    case Kind::Right: triangle(c + QPointF(s, 0), c + QPointF(-s + 1, -s - 1), c + QPointF(-s + 1, s + 1)); break;
    case Kind::Stop:
        p.drawRect(QRectF(c.x() - 4, c.y() - 4, 8, 8));
        break;
    case Kind::NewCard: {
        // A card with a plus sign.
        p.setBrush(Qt::white);
        p.drawRect(QRectF(c.x() - 8, c.y() - 6, 13, 11));
        p.setPen(QPen(base.darker(150), 1.6));
        p.drawLine(QPointF(c.x() - 1.5, c.y() - 3.5), QPointF(c.x() - 1.5, c.y() + 2.5));
        p.drawLine(QPointF(c.x() - 4.5, c.y() - 0.5), QPointF(c.x() + 1.5, c.y() - 0.5));
        p.setPen(QPen(Qt::white, 1.6));
        p.drawLine(QPointF(c.x() + 7, c.y() - 7), QPointF(c.x() + 7, c.y() - 1));
        p.drawLine(QPointF(c.x() + 4, c.y() - 4), QPointF(c.x() + 10, c.y() - 4));
        break;
    }
    case Kind::Selection:
        CSelectionPanel::DrawPicture(p, QRect(int(c.x()) - 9, int(c.y()) - 9, 18, 18));
        break;
    case Kind::Row:
    case Kind::Softkey:
        // A small highlight line on the cap.
        p.setPen(QPen(QColor(255, 255, 255, 70), 1));
        p.drawLine(QPointF(cap.left() + radius, cap.top() + 2), QPointF(cap.right() - radius, cap.top() + 2));
        break;
    }
}

// ---------------------------------------------------------------------------

CPhoneBody::CPhoneBody(QWidget* parent)
    : QWidget(parent)
    , m_res(MakeDefaultViewResources())
{
    ApplyColors();
}

void CPhoneBody::ApplyColors()
{
    for (int i = 0; i < kColorCount && i < kColorEntries; ++i)
        m_res.colors[static_cast<std::size_t>(i)] = ToQColor(GetColor(i));
    update();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->update();
}

QRect CPhoneBody::BodyRect() const
{
    return QRect(kBodyMargin, kBodyMargin, kViewWidth - 2 * kBodyMargin, std::max(height(), kViewHeight) - 2 * kBodyMargin);
}

QRect CPhoneBody::ScreenRect() const
{
    return QRect(kScreenLeft, kScreenTop, kScreenWidth, kDisplayHeight + kSoftkeyBarHeight);
}

QRect CPhoneBody::DisplayRect() const
{
    return QRect(kScreenLeft, kScreenTop, kScreenWidth, kDisplayHeight);
}

QSize CPhoneBody::sizeHint() const
{
    return { kViewWidth, kViewHeight };
}

void CPhoneBody::CreateButtons()
{
    auto add = [this](CFrontButton::Kind kind, unsigned id) {
        auto* b = new CFrontButton(kind, id, this);
        m_buttons[id] = b;
        connect(b, &QAbstractButton::clicked, this, [this, id] { emit keyClicked(id); });
        return b;
    };
    for (int i = 0; i < kRowKeyCount; ++i)
        add(CFrontButton::Kind::Row, cmd::RowKey1 + static_cast<unsigned>(i));
    for (int i = 0; i < kSoftkeyCount; ++i)
        add(CFrontButton::Kind::Softkey, cmd::Softkey1 + static_cast<unsigned>(i));
    add(CFrontButton::Kind::Stop, cmd::Stop);
    add(CFrontButton::Kind::NewCard, cmd::NewCard);
    add(CFrontButton::Kind::Selection, cmd::Selection);
    add(CFrontButton::Kind::Up, cmd::ArrowUp);
    add(CFrontButton::Kind::Down, cmd::ArrowDown);
    add(CFrontButton::Kind::Left, cmd::ArrowLeft);
    add(CFrontButton::Kind::Right, cmd::ArrowRight);
    // The arrow keys repeat while held, as on the telephone.
    for (unsigned id : { cmd::ArrowUp, cmd::ArrowDown, cmd::ArrowLeft, cmd::ArrowRight }) {
        m_buttons[id]->setAutoRepeat(true);
        m_buttons[id]->setAutoRepeatDelay(400);
        m_buttons[id]->setAutoRepeatInterval(120);
    }
}

void CPhoneBody::NameKeys()
{
    // The keys are painted, so they carry their names, tool tips and
    // status prompts here: what a screen reader speaks and what the status
    // bar shows when the pointer rests on a key.
    auto name = [this](unsigned id, const QString& text, const QString& prompt) {
        CFrontButton* b = Button(id);
        b->setAccessibleName(text);
        b->setAccessibleDescription(prompt);
        b->setToolTip(text);
        b->setStatusTip(prompt);
    };
    for (int i = 0; i < kRowKeyCount; ++i) {
        const unsigned id = cmd::RowKey1 + static_cast<unsigned>(i);
        if (i < kActiveRowKeys)
            name(id, ToQt(FormatText(msg::AccRowKey, i + 1, i + 1)), ToQt(Text(msg::AccRowKeyPrompt)));
        else
            name(id, ToQt(FormatText(msg::AccSpareKey, i + 1)), ToQt(Text(msg::AccSpareKeyPrompt)));
    }
    for (int i = 0; i < kSoftkeyCount; ++i)
        name(cmd::Softkey1 + static_cast<unsigned>(i), ToQt(FormatText(msg::AccSoftkey, i + 1, i + 1)),
             ToQt(Text(msg::AccSoftkeyPrompt)));
    name(cmd::Stop, ToQt(Text(msg::AccStop)), ToQt(Text(msg::AccStopPrompt)));
    name(cmd::NewCard, ToQt(Text(msg::AccNewCard)), ToQt(Text(msg::AccNewCardPrompt)));
    name(cmd::Selection, ToQt(Text(msg::AccSelection)), ToQt(Text(msg::AccSelectionPrompt)));
    name(cmd::ArrowUp, ToQt(Text(msg::AccArrowUp)), ToQt(Text(msg::AccArrowPrompt)));
    name(cmd::ArrowDown, ToQt(Text(msg::AccArrowDown)), ToQt(Text(msg::AccArrowPrompt)));
    name(cmd::ArrowLeft, ToQt(Text(msg::AccArrowLeft)), ToQt(Text(msg::AccArrowPrompt)));
    name(cmd::ArrowRight, ToQt(Text(msg::AccArrowRight)), ToQt(Text(msg::AccArrowPrompt)));
}

CFrontButton* CPhoneBody::Button(unsigned commandId) const
{
    auto it = m_buttons.find(commandId);
    return it == m_buttons.end() ? nullptr : it->second;
}

QRect CPhoneBody::SoftkeyBarRect() const
{
    const QRect d = DisplayRect();
    return QRect(d.left() + (d.width() - kSoftkeyBarWidth) / 2, d.bottom() + 1, kSoftkeyBarWidth, kSoftkeyBarHeight);
}

QRect CPhoneBody::TopPanelRect() const
{
    const QRect d = DisplayRect();
    return QRect(d.left() - kPanelGap, d.top() - kPanelGap - kPanelSize, d.width() + 2 * kPanelGap, kPanelSize);
}

void CPhoneBody::PlaceKeys(const CSoftkeyBar& softkeys)
{
    const QRect d = DisplayRect();
    const QRect bar = SoftkeyBarRect();
    // Row keys in a zigzag: the first eight beside the display rows, the
    // last two above the display.
    for (int i = 0; i < kRowKeyCount; ++i) {
        int centreY = i < kActiveRowKeys ? d.top() + kRowHeight * i + kRowHeight / 2
                                         : d.top() - kRowHeight * (i - kActiveRowKeys) - kRowHeight / 2;
        int x = kRowButtonX + (i % 2 ? kRowButtonWidth + 8 : 0);
        Button(cmd::RowKey1 + static_cast<unsigned>(i))->move(x, centreY - kRowButtonHeight / 2);
    }
    for (int i = 0; i < kSoftkeyCount; ++i) {
        QRect cell = softkeys.CellRect(i).translated(bar.topLeft());
        int centreX = cell.left() + (cell.width() + 1) / 2;
        Button(cmd::Softkey1 + static_cast<unsigned>(i))
            ->move(centreX - kSoftButtonWidth / 2, bar.bottom() + 1 + kSoftButtonGap);
    }
    const unsigned commands[3] = { cmd::Stop, cmd::NewCard, cmd::Selection };
    for (int i = 0; i < 3; ++i) {
        int centreX = kKeyPadCentreX + (i - 1) * kCommandButtonPitch;
        Button(commands[i])->move(centreX - kCommandButtonWidth / 2, kCommandButtonTop);
    }
    int left = kKeyPadCentreX - kArrowWidth / 2;
    Button(cmd::ArrowUp)->move(left, kArrowTop);
    Button(cmd::ArrowLeft)->move(left - kArrowWidth - 4, kArrowTop + kArrowHeight + 4);
    Button(cmd::ArrowRight)->move(left + kArrowWidth + 4, kArrowTop + kArrowHeight + 4);
    Button(cmd::ArrowDown)->move(left, kArrowTop + 2 * (kArrowHeight + 4));
}

// ---------------------------------------------------------------------------
// Painting the telephone.

void CPhoneBody::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    PaintBody(p);
}

void CPhoneBody::PaintPicture(QPainter& p, const QRect& rect)
{
    // The maker's emblem: a handset in a ring, and the model name.
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QRectF ring(rect.left() + 1, rect.top() + 1, rect.height() - 2, rect.height() - 2);
    QRadialGradient glow(ring.center() - QPointF(3, 3), ring.width() * 0.7);
    glow.setColorAt(0, QColor(90, 110, 150));
    glow.setColorAt(1, QColor(30, 40, 70));
    p.setBrush(glow);
    p.setPen(QPen(QColor(20, 24, 40), 1));
    p.drawEllipse(ring);

    // The handset: two ear pieces joined by a curved grip.
    QPointF c = ring.center();
    qreal s = ring.width() / 26.0;
    QPainterPath handset;
    handset.moveTo(c + QPointF(-8 * s, -3 * s));
    handset.cubicTo(c + QPointF(-6 * s, -9 * s), c + QPointF(6 * s, -9 * s), c + QPointF(8 * s, -3 * s));
    p.setPen(QPen(Qt::white, 3.2 * s, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(handset);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(c.x() - 10.5 * s, c.y() - 4 * s, 6 * s, 5 * s), 1.5 * s, 1.5 * s);
    p.drawRoundedRect(QRectF(c.x() + 4.5 * s, c.y() - 4 * s, 6 * s, 5 * s), 1.5 * s, 1.5 * s);
    // The base under the handset, with a keypad of dots.
    p.drawRoundedRect(QRectF(c.x() - 7 * s, c.y() + 2 * s, 14 * s, 6.5 * s), 2 * s, 2 * s);
    p.setBrush(QColor(30, 40, 70));
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawEllipse(QPointF(c.x() + (col - 1) * 3.6 * s, c.y() + (3.8 + row * 2.6) * s), 0.9 * s, 0.9 * s);

    // The name beside the emblem.
    QFont name = m_res.bold;
    name.setItalic(true);
    name.setPixelSize(std::max(10, rect.height() * 17 / 28));
    p.setFont(name);
    QRect textRect(int(ring.right()) + 5, rect.top(), rect.right() - int(ring.right()) - 5, rect.height() * 2 / 3 + 1);
    p.setPen(QColor(255, 255, 255, 150));
    p.drawText(textRect.translated(1, 1), Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Velkaro"));
    p.setPen(QColor(36, 44, 74));
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Velkaro"));
    QFont model = m_res.label;
    model.setPixelSize(std::max(8, rect.height() * 9 / 28));
    model.setBold(true);
    model.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(model);
    p.setPen(QColor(90, 90, 96));
    p.drawText(QRect(textRect.left() + 1, textRect.bottom() + 1, textRect.width(), rect.bottom() - textRect.bottom()),
               Qt::AlignLeft | Qt::AlignTop, QStringLiteral("R4 TABLE"));
    p.restore();
}

void CPhoneBody::PaintSpeaker(QPainter& p, const QRect& rect)
{
    // The loudspeaker grille in the right panel.
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    const int pitch = 6;
    for (int y = rect.top() + pitch / 2; y < rect.bottom(); y += pitch) {
        for (int x = rect.left() + pitch / 2; x < rect.right(); x += pitch) {
            p.setBrush(QColor(255, 255, 255, 150));
            p.drawEllipse(QPointF(x + 0.6, y + 0.6), 1.5, 1.5);
            p.setBrush(QColor(50, 50, 56));
            p.drawEllipse(QPointF(x, y), 1.5, 1.5);
        }
    }
    p.restore();
}

void CPhoneBody::PaintBody(QPainter& p)
{
    PaintCase(p);
    PaintPanels(p);
    // The picture left of the display.
    const QRect body = BodyRect();
    QRect column(body.left() + 4, kPictureTop, DisplayRect().left() - kPanelGap - body.left() - 10, 28);
    PaintPicture(p, column);
    PaintRowKeyMarks(p);
    PaintKeyLabels(p);
    PaintArrowRocker(p);
}

void CPhoneBody::PaintCase(QPainter& p)
{
    const QRect body = BodyRect();
    const QRect d = DisplayRect();
    const QRect screen = ScreenRect();

    // 1. The desk and the telephone body with its raised edge.
    p.fillRect(rect(), m_res.Color(kColorBackground));
    p.fillRect(body, m_res.Color(kColorDisplay));
    DrawEdge3D(p, body);

    // 2. The two panels that frame the screen, and the sunken frame around it.
    for (const QRect& panel : { TopPanelRect(), RightPanelRect() }) {
        p.fillRect(panel, m_res.Color(kColorUnusedMargin));
        DrawEdge3D(p, panel);
    }
    QRect frame = screen.adjusted(-2, -2, 1, 1);
    p.setPen(Qt::black);
    p.drawLine(frame.topLeft(), frame.topRight());
    p.drawLine(frame.topLeft(), frame.bottomLeft());
    p.setPen(Qt::white);
    p.drawLine(frame.bottomLeft(), frame.bottomRight());
    p.drawLine(frame.topRight(), frame.bottomRight());
    QRect inner = frame.adjusted(1, 1, -1, -1);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawLine(inner.topLeft(), inner.topRight());
    p.drawLine(inner.topLeft(), inner.bottomLeft());
    // The strip beside the narrower softkey bar belongs to the screen.
    p.fillRect(QRect(screen.left(), d.bottom() + 1, screen.width(), kSoftkeyBarHeight), m_res.Color(kColorSoftkeyBackground));

}

QRect CPhoneBody::RightPanelRect() const
{
    const QRect screen = ScreenRect();
    const QRect top = TopPanelRect();
    return QRect(screen.right() + 1 + kPanelGap, top.top(), kPanelSize, screen.bottom() + kPanelGap + 1 - top.top());
}

void CPhoneBody::PaintPanels(QPainter& p)
{
    const QRect top = TopPanelRect();
    const QRect right = RightPanelRect();

    // The model name on the top panel, pressed into the plastic.
    QFont brand = m_res.label;
    brand.setBold(true);
    brand.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(brand);
    QRect brandRect = top.adjusted(0, 0, -12, 0);
    p.setPen(Qt::white);
    p.drawText(brandRect.translated(1, 1), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("VELKARO R4"));
    p.setPen(QColor(0x70, 0x70, 0x70));
    p.drawText(brandRect, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("VELKARO R4"));
    PaintSpeaker(p, QRect(right.left() + 5, right.bottom() - 96, right.width() - 10, 88));
    // A line lamp at the top of the right panel.
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QPointF lamp(right.center().x() + 0.5, right.top() + 17);
    QRadialGradient lampGlow(lamp - QPointF(1.5, 1.5), 6);
    lampGlow.setColorAt(0, QColor(190, 255, 190));
    lampGlow.setColorAt(1, QColor(30, 140, 50));
    p.setBrush(lampGlow);
    p.setPen(QPen(QColor(40, 60, 40), 1));
    p.drawEllipse(lamp, 4.5, 4.5);
    p.restore();
}

void CPhoneBody::PaintRowKeyMarks(QPainter& p)
{
    const QRect body = BodyRect();
    const QRect d = DisplayRect();

    // 3. Circles and grooves of the row keys, and the labels F1..F8.
    p.setFont(m_res.label);
    for (int i = 0; i < kRowKeyCount; ++i) {
        const CFrontButton* b = Button(cmd::RowKey1 + static_cast<unsigned>(i));
        QRect g = b->geometry();
        int y = g.center().y();
        if (i % 2 == 0) {
            p.save();
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(g.right() + 7.5, y + 0.5), 2.5, 2.5);
            p.restore();
            p.setPen(QColor(0x80, 0x80, 0x80));
            p.drawLine(g.right() + 12, y, d.left() - 4, y);
            p.setPen(Qt::white);
            p.drawLine(g.right() + 12, y + 1, d.left() - 4, y + 1);
        }
        if (i < kActiveRowKeys) {
            QRect label(body.left() + 10, y - kRowHeight / 2, kRowButtonX - body.left() - 10, kRowHeight);
            p.setPen(Qt::black);
            p.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("F%1").arg(i + 1));
        }
    }

}

void CPhoneBody::PaintKeyLabels(QPainter& p)
{
    const QRect body = BodyRect();

    // 4. Under each softkey button its label, between the button and the
    // bottom of the body; a clear gap between neighbours, so the seven
    // captions read as seven and not as one line.
    p.setFont(FittingFont(m_res.label, QStringLiteral("Ctrl+F7"), kSoftkeyCellWidth - kCaptionGap));
    for (int i = 0; i < kSoftkeyCount; ++i) {
        QRect g = Button(cmd::Softkey1 + static_cast<unsigned>(i))->geometry();
        QRect label(g.center().x() - 30, g.bottom() + 1, 61, body.bottom() - 2 - g.bottom());
        p.setPen(Qt::black);
        p.drawText(label, Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Ctrl+F%1").arg(i + 1));
    }

    // 5. The labels of Stop, New card and Selection, 4 pixels below them.
    const std::pair<unsigned, const char*> commands[3] = {
        { cmd::Stop, "ESC" }, { cmd::NewCard, "Ctrl+P" }, { cmd::Selection, "Ctrl+S" }
    };
    p.setFont(FittingFont(m_res.label, QStringLiteral("Ctrl+P"), kCommandButtonPitch - 4));
    int textHeight = p.fontMetrics().height();
    for (const auto& [id, text] : commands) {
        QRect g = Button(id)->geometry();
        QRect label(g.center().x() - 25, g.bottom() + 1 + kCommandLabelGap, 51, textHeight);
        p.drawText(label, Qt::AlignHCenter | Qt::AlignTop, QString::fromLatin1(text));
    }

}

void CPhoneBody::PaintArrowRocker(QPainter& p)
{
    // A thin outline round the arrow cross, like a rocker.
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QRect cross = Button(cmd::ArrowLeft)->geometry().united(Button(cmd::ArrowRight)->geometry())
                      .united(Button(cmd::ArrowUp)->geometry()).united(Button(cmd::ArrowDown)->geometry())
                      .adjusted(-6, -6, 6, 6);
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    p.setBrush(m_res.Color(kColorDisplay).darker(106));
    p.drawEllipse(QRectF(cross).adjusted(0.5, 0.5, -0.5, -0.5));
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(cross).adjusted(1.5, 1.5, -1.5, -1.5), 200 * 16, 180 * 16);
    p.restore();
}

}  // namespace velkaro
