#pragma once

// The seven softkey cells under the display. The bar only shows and
// reports: the view chooses the set and carries out the action of a pressed
// cell.

#include "view/SoftkeyCodes.h"
#include "view/ViewShared.h"

#include <QWidget>

#include <array>

namespace velkaro {

class CLineEditor;

class CSoftkeyBar : public QWidget {
    Q_OBJECT
public:
    explicit CSoftkeyBar(QWidget* parent = nullptr);

    void SetResources(const ViewResources* resources);
    // The display whose shown card and page the cells reflect.
    void SetDisplay(const CLineEditor* display);

    // Softkey set 0..3; any other value leaves every cell empty.
    void SetSet(int set);
    // Action 0: the page set, or back to stateSet (1 or 2) when the page
    // set is shown.
    void Toggle(int stateSet);
    int ActionCode(int cell) const;
    // Cell i spans x 45i-1 .. 45i+44 and y -1 .. 39, right and bottom edges
    // outside; an empty rectangle for a cell number outside 0..6.
    QRect CellRect(int cell) const;
    // The last cell containing the point, -1 for none.
    int CellAt(const QPoint& point) const;
    // A press of cell 0..6 by mouse or Ctrl+F1..Ctrl+F7.
    void PressCell(int cell);

    // Whether a cell is drawn highlighted now.
    bool IsHighlighted(int cell) const;

    QSize sizeHint() const override;

    // The pictures, drawn as vectors: the symbol of action 0..5 (offset 1 =
    // the second form, the marked card for action 5), designed 39 x 25 and
    // scaled down into a lower box, and the 39 x kSoftkeyLabelHeight label
    // in language row 0..2.
    static void DrawSymbol(QPainter& painter, int action, int offset, const QRect& rect, bool highlighted);
    static void DrawLabel(QPainter& painter, int action, int languageRow, const QRect& rect, bool highlighted);
    static QString LabelText(int action, int languageRow);
    // The font a label is drawn in within a strip `width` pixels wide.
    static QFont LabelFont(const QString& text, int width);

signals:
    // The softkey command of the cell (cmd::Softkey1 + cell) for the view; the code is the cell's action.
    void cellPressed(int cell);
    void actionPressed(int code);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const ViewResources& Res() const { return m_resources ? *m_resources : DefaultViewResources(); }
    void PaintThumbnail(QPainter& painter, const QRect& cell, int page, bool highlighted) const;

    std::array<int, kSoftkeyCells> m_codes;
    const ViewResources* m_resources = nullptr;
    const CLineEditor* m_display = nullptr;
};

}  // namespace velkaro
