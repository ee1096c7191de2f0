#include "ImportModeDlg.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "text/MessageIds.h"
#include "view/ViewShared.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace velkaro {

CImportModeDlg::CImportModeDlg(int mode, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("importModeDialog"));
    setWindowTitle(ToQt(Text(dlg::ImportMode)));
    KeepTitleWhole(this);

    constexpr unsigned choices[kModes] = { ctl::ModeDeleteOld, ctl::ModeMix, ctl::ModeMixReplace };
    constexpr unsigned explanations[kModes] = { ctl::ModeDeleteOldText, ctl::ModeMixText, ctl::ModeMixReplaceText };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(4);
    auto* question = new QLabel(ToQt(Text(ctl::ImportModeQuestion)), this);
    QFont bold = question->font();
    bold.setBold(true);
    question->setFont(bold);
    layout->addWidget(question);
    layout->addSpacing(8);

    m_group = new QButtonGroup(this);
    // The explanation stands under its choice, in line with the choice's text.
    const int indent = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth)
        + style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    for (int m = 0; m < kModes; ++m) {
        auto* choice = new QRadioButton(ToQt(Text(choices[m])), this);
        choice->setObjectName(QStringLiteral("mode%1").arg(m));
        m_group->addButton(choice, m);
        m_choices[static_cast<std::size_t>(m)] = choice;
        auto* text = new QLabel(ToQt(Text(explanations[m])), this);
        text->setObjectName(QStringLiteral("explanation%1").arg(m));
        text->setWordWrap(true);
        text->setContentsMargins(indent, 0, 0, 0);
        text->setMinimumWidth(360);
        text->setBuddy(choice);
        m_explanations[static_cast<std::size_t>(m)] = text;
        layout->addWidget(choice);
        layout->addWidget(text);
        if (m + 1 < kModes)
            layout->addSpacing(10);
    }
    layout->addSpacing(14);

    const OkCancel buttons = AddOkCancelRow(this, layout);
    m_ok = buttons.ok;
    m_cancel = buttons.cancel;

    SetMode(mode);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int CImportModeDlg::Mode() const
{
    const int id = m_group->checkedId();
    return id >= 0 ? id : 0;
}

void CImportModeDlg::SetMode(int mode)
{
    if (mode < 0 || mode >= kModes)
        mode = 0;
    m_choices[static_cast<std::size_t>(mode)]->setChecked(true);
}

std::optional<int> AskImportMode(int current, QWidget* parent)
{
    CImportModeDlg dialog(current, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Mode();
}

}  // namespace velkaro
