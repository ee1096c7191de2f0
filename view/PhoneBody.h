#pragma once

// The telephone's front as drawn: the desk, the body with its raised edge,
// the panels round the screen, the emblem, the loudspeaker and the lamp,
// and the keys (row keys F1..F8, softkey buttons, Stop / New card /
// Selection, the arrow cross) with their labels. The body only paints and
// reports a key's click; the card view puts its windows into the screen.

#include "view/ViewShared.h"

#include <QAbstractButton>
#include <QWidget>

#include <map>

namespace velkaro {

class CSoftkeyBar;

// A key on the telephone body, drawn as vectors.
class CFrontButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { Row, Softkey, Stop, NewCard, Selection, Up, Down, Left, Right };

    CFrontButton(Kind kind, unsigned commandId, QWidget* parent);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind m_kind;
};

class CPhoneBody : public QWidget {
    Q_OBJECT
public:
    explicit CPhoneBody(QWidget* parent = nullptr);

    CFrontButton* Button(unsigned commandId) const;

    const ViewResources& Resources() const { return m_res; }
    // Takes the colours of the colour table (after they were loaded).
    void ApplyColors();

    // Where the pieces stand on the telephone.
    QRect ScreenRect() const;   // display and softkey bar
    QRect DisplayRect() const;  // the display's full rectangle
    QRect BodyRect() const;

    QSize sizeHint() const override;

signals:
    void keyClicked(unsigned commandId);

protected:
    // The keys come after the windows of the screen, so that they follow
    // them in the order of the children.
    void CreateButtons();
    // Names, tool tips and status prompts of the keys in the current
    // language.
    void NameKeys();
    QRect SoftkeyBarRect() const;
    QRect TopPanelRect() const;
    // The softkey buttons stand under the cells of the bar.
    void PlaceKeys(const CSoftkeyBar& softkeys);
    void paintEvent(QPaintEvent* event) override;

    ViewResources m_res;

private:
    QRect RightPanelRect() const;
    void PaintBody(QPainter& painter);
    void PaintCase(QPainter& painter);
    void PaintPanels(QPainter& painter);
    void PaintPicture(QPainter& painter, const QRect& rect);
    void PaintSpeaker(QPainter& painter, const QRect& rect);
    void PaintRowKeyMarks(QPainter& painter);
    void PaintKeyLabels(QPainter& painter);
    void PaintArrowRocker(QPainter& painter);

    std::map<unsigned, CFrontButton*> m_buttons;
};

}  // namespace velkaro
