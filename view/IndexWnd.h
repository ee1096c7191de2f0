#pragma once

// The card index list of the card view's list mode, in the display's place:
// eight rows of names. The logic lives in CIndexList.

#include "view/IndexList.h"
#include "view/ViewShared.h"

#include <QBasicTimer>
#include <QWidget>

namespace velkaro {

class CIndexWnd : public QWidget {
    Q_OBJECT
public:
    explicit CIndexWnd(QWidget* parent = nullptr);

    static constexpr int kTypeAheadTimer = 3;

    void SetResources(const ViewResources* resources);
    void SetCardList(CCardList* list);
    void SetSelection(SelectionState* selection);

    void KeyDown(IndexKey key);
    // Typed input, also the letter the view passes on from the display.
    void TypeCharacter(unsigned char c);

    int RowToCard(int row) const { return m_list.RowToCard(row); }
    void Reset();
    void ResetForSelection();

    CIndexList& List() { return m_list; }
    const CIndexList& List() const { return m_list; }
    void SetClock(CIndexList::Clock clock) { m_list.SetClock(std::move(clock)); }

    QSize sizeHint() const override;

signals:
    // A click on row 0..7: the view treats it as the row key of that row
    // (cmd::RowKey1 + row).
    void rowClicked(int row);
    // Typing a name ended a selection that was not permanent.
    void selectionEnded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    const ViewResources& Res() const { return m_resources ? *m_resources : DefaultViewResources(); }
    void SyncTimer();
    void PaintList(QPainter& painter) const;

    CIndexList m_list;
    const ViewResources* m_resources = nullptr;
    QBasicTimer m_timer;
};

}  // namespace velkaro
