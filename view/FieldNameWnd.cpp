#include "view/FieldNameWnd.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "model/CardList.h"
#include "model/CardStructure.h"
#include "text/MessageIds.h"
#include "view/Accessibility.h"
#include "view/LineEditor.h"

#include <QPainter>

namespace velkaro {

CFieldNameWnd::CFieldNameWnd(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    InstallAccessibleInterfaces();
}

QSize CFieldNameWnd::sizeHint() const
{
    return { kFieldNameWidth, kDisplayHeight };
}

void CFieldNameWnd::SetResources(const ViewResources* resources)
{
    m_resources = resources;
    update();
}

void CFieldNameWnd::SetCardList(CCardList* list)
{
    m_list = list;
    Refresh();
}

void CFieldNameWnd::SetDisplay(const CLineEditor* display)
{
    m_display = display;
    Refresh();
}

bool CFieldNameWnd::HasLabels() const
{
    return m_list && m_list->FieldNames();
}

void CFieldNameWnd::Refresh()
{
    update();
    NotifyFieldNamesChanged(this);
}

std::string CFieldNameWnd::RowLabel(int row) const
{
    const CKarte* names = m_list ? m_list->FieldNames() : nullptr;
    if (!names || row < 0 || row >= kDisplayRows)
        return {};
    return FieldColumnLabel(*names, row, m_display ? m_display->Page() : 1);
}

void CFieldNameWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const ViewResources& res = Res();
    painter.fillRect(rect(), res.Color(kColorStructureGround));

    if (m_list && m_list->FieldNames()) {
        painter.setFont(res.fieldName);
        painter.setPen(res.Color(kColorStructureFont));
        const QFontMetrics fm(res.fieldName);
        for (int row = 0; row < kDisplayRows; ++row) {
            const QString label = ToQt(RowLabel(row));
            if (!label.isEmpty())
                painter.drawText(kFieldNameLeft, BaselineIn(fm, kRowHeight * row + kLargeTextTop, kLargeTextHeight),
                                 label);
        }
    }

    const int page = m_display ? m_display->Page() : 1;
    if (page > 1) {
        painter.setFont(res.bold);
        painter.setPen(res.Color(kColorPageNumber));
        painter.drawText(width() - 20, QFontMetrics(res.bold).ascent(), QString::number(page));
    }

    painter.setPen(res.Color(kColorStructureLine));
    for (int row = 1; row <= kDisplayRows; ++row)
        painter.drawLine(0, kRowHeight * row, width(), kRowHeight * row);
}

}  // namespace velkaro
