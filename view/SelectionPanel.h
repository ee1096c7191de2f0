#pragma once

// The selection panel of the card view: a small picture with the search
// text, standing on the telephone while a selection is active.

#include "model/Selection.h"
#include "view/ViewShared.h"

#include <QWidget>

namespace velkaro {

class CSelectionPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kControlId = 4004;

    CSelectionPanel(const CSelection* selection, QWidget* parent = nullptr);

    void SetResources(const ViewResources* resources);
    // Shows or hides the panel as the selection says.
    void Sync();

    QSize sizeHint() const override;

    // The panel's picture: a magnifying glass over a card, drawn as vectors.
    static void DrawPicture(QPainter& painter, const QRect& rect);

    // The search text as shown, and whether the panel has to shorten it.
    QString ShownText() const;
    bool TextShortened() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect TextRect() const;

    const ViewResources& Res() const { return m_resources ? *m_resources : DefaultViewResources(); }

    const CSelection* m_selection;
    const ViewResources* m_resources = nullptr;
};

}  // namespace velkaro
