#include "SheetChoiceDlg.h"

#include "settings/QtText.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "view/ViewShared.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velkaro {

CSheetChoiceDlg::CSheetChoiceDlg(const std::vector<std::string>& names, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("sheetChoiceDialog"));
    setWindowTitle(ToQt(Text(msg::SheetChoiceTitle)));
    KeepTitleWhole(this);

    auto* layout = new QVBoxLayout(this);
    auto* question = new QLabel(ToQt(Text(msg::SheetChoiceQuestion)), this);
    question->setWordWrap(true);
    layout->addWidget(question);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("sheets"));
    for (const auto& name : names)
        m_list->addItem(ToQt(name));
    m_list->setCurrentRow(0);
    question->setBuddy(m_list);
    layout->addWidget(m_list);

    const OkCancel buttons = AddOkCancelRow(this, layout);
    m_ok = buttons.ok;
    m_cancel = buttons.cancel;
    // A double-click on a sheet takes it.
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
}

int CSheetChoiceDlg::Chosen() const
{
    return std::max(m_list->currentRow(), 0);
}

std::optional<int> AskSheet(const std::vector<std::string>& names, QWidget* parent)
{
    CSheetChoiceDlg dialog(names, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Chosen();
}

}  // namespace velkaro
