#include "view/IndexWnd.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "view/Accessibility.h"
#include "text/MessageIds.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

namespace velkaro {

namespace {

// Text placed by its top left corner, as the telephone's list lays it out.
void DrawTextAt(QPainter& painter, int x, int y, const QString& text)
{
    painter.drawText(x, y + painter.fontMetrics().ascent(), text);
}

// A name in its row, below the row's rule and above the next.
void DrawRowText(QPainter& painter, int x, int rowTop, const QString& text)
{
    painter.drawText(x, BaselineIn(painter.fontMetrics(), rowTop + kLargeTextTop, kLargeTextHeight), text);
}

}  // namespace

CIndexWnd::CIndexWnd(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    InstallAccessibleInterfaces();
}

QSize CIndexWnd::sizeHint() const
{
    return { kDisplayTextWidth + 2 * kDisplayMaxMargin, kDisplayHeight };
}

void CIndexWnd::SetResources(const ViewResources* resources)
{
    m_resources = resources;
    update();
}

void CIndexWnd::SetCardList(CCardList* list)
{
    m_list.SetCardList(list);
    SyncTimer();
    update();
}

void CIndexWnd::SetSelection(SelectionState* selection)
{
    m_list.SetSelection(selection);
    update();
}

void CIndexWnd::KeyDown(IndexKey key)
{
    m_list.KeyDown(key);
    SyncTimer();
    update();
    NotifyIndexListChanged(this);
}

void CIndexWnd::TypeCharacter(unsigned char c)
{
    bool ended = m_list.TypeCharacter(c);
    SyncTimer();
    update();
    NotifyIndexListChanged(this);
    if (ended)
        emit selectionEnded();
}

void CIndexWnd::Reset()
{
    m_list.Reset();
    SyncTimer();
    update();
    NotifyIndexListChanged(this);
}

void CIndexWnd::ResetForSelection()
{
    m_list.ResetForSelection();
    SyncTimer();
    update();
    NotifyIndexListChanged(this);
}

void CIndexWnd::SyncTimer()
{
    // The window's timer runs out when the list's deadline does, also after
    // events that left the deadline alone.
    if (m_list.TimerMs() > 0)
        m_timer.start(m_list.RemainingMs(), this);
    else
        m_timer.stop();
}

void CIndexWnd::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    m_timer.stop();
    m_list.TimerExpired();
    update();
}

void CIndexWnd::keyPressEvent(QKeyEvent* event)
{
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (plain) {
        switch (event->key()) {
        case Qt::Key_Up: KeyDown(IndexKey::Up); return;
        case Qt::Key_Down: KeyDown(IndexKey::Down); return;
        case Qt::Key_PageUp: KeyDown(IndexKey::PageUp); return;
        case Qt::Key_PageDown: KeyDown(IndexKey::PageDown); return;
        case Qt::Key_Home: KeyDown(IndexKey::Home); return;
        case Qt::Key_End: KeyDown(IndexKey::End); return;
        default: break;
        }
        const QString text = event->text();
        bool taken = false;
        for (char32_t u : text.toUcs4()) {
            int b = u >= 32 ? UnicodeToCp1252(u) : -1;
            if (b < 0)
                continue;
            TypeCharacter(static_cast<unsigned char>(b));
            taken = true;
        }
        if (taken)
            return;
    }
    event->ignore();
}

void CIndexWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    int y = event->position().toPoint().y();
    if (y < 0)
        return;
    int row = y / kRowHeight;
    if (row < CIndexList::kRows)
        emit rowClicked(row);
}

void CIndexWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintList(painter);
    DrawFocusFrame(painter, *this);
}

void CIndexWnd::PaintList(QPainter& painter) const
{
    const ViewResources& res = Res();
    const CCardList* cards = m_list.CardList();

    painter.fillRect(rect(), res.Color(kColorListGround));
    painter.setPen(res.Color(kColorListFont));

    if (!cards || cards->IsEmpty()) {
        painter.setFont(res.small);
        DrawTextAt(painter, 20, 43, ToQt(Text(msg::NoCardsAvailable)));
        return;
    }

    const QString search = ToQt(m_list.SearchString());
    const bool typing = m_list.IsTyping();

    if (m_list.Top() < 0) {
        painter.setFont(res.small);
        DrawTextAt(painter, 20, 43, ToQt(Text(msg::NoEntryWith)));
        painter.setFont(res.large);
        if (typing) {
            const QFontMetrics fm(res.large);
            painter.fillRect(QRect(20, 60, fm.horizontalAdvance(search), fm.height()), res.Color(kColorListAlpha));
        }
        DrawTextAt(painter, 20, 60, search);
        return;
    }

    painter.setPen(res.Color(kColorListLine));
    for (int row = 1; row <= CIndexList::kRows; ++row)
        painter.drawLine(0, kRowHeight * row, width(), kRowHeight * row);

    const QFontMetrics fm(res.large);
    const int bandWidth = fm.horizontalAdvance(search);
    const bool band = typing && !search.isEmpty();
    if (band)
        painter.fillRect(QRect(20, 0, bandWidth, height()), res.Color(kColorListAlpha));

    painter.setFont(res.large);
    const auto shown = m_list.ShownCards();
    for (int row = 0; row < CIndexList::kRows; ++row) {
        const CKarte* card = cards->At(shown[static_cast<std::size_t>(row)]);
        if (!card)
            continue;
        const int y = kRowHeight * row;
        if (card->IsMarked()) {
            const int top = row == 0 ? y : y + 1;
            painter.fillRect(QRect(0, top, width(), y + kRowHeight - top), res.Color(kColorListPrivat));
            if (band)
                painter.fillRect(QRect(20, top, bandWidth, y + kRowHeight - top), res.Color(kColorListAlphaPriv));
        }
        painter.setPen(res.Color(kColorListFont));
        DrawRowText(painter, 20, y, ToQt(card->Name()));
    }
}

}  // namespace velkaro
