#pragma once

// The field-name column left of the display: beside each display row the
// name of the field the row holds, from the field-names card.

#include "view/ViewShared.h"

#include <QWidget>

namespace velkaro {

class CCardList;
class CLineEditor;

class CFieldNameWnd : public QWidget {
    Q_OBJECT
public:
    explicit CFieldNameWnd(QWidget* parent = nullptr);

    void SetResources(const ViewResources* resources);
    void SetCardList(CCardList* list);
    void SetDisplay(const CLineEditor* display);

    // The label beside a row (0..7) on the display's page, cut to ten
    // characters; empty when there is no field-names card.
    std::string RowLabel(int row) const;
    bool HasLabels() const;
    // Repaints the labels and tells an assistive program of new ones.
    void Refresh();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ViewResources& Res() const { return m_resources ? *m_resources : DefaultViewResources(); }

    const ViewResources* m_resources = nullptr;
    CCardList* m_list = nullptr;
    const CLineEditor* m_display = nullptr;
};

}  // namespace velkaro
