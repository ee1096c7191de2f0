#include "SelectionDlg.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "settings/Settings.h"
#include "text/MessageIds.h"
#include "view/ViewShared.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace velkaro {

CSelectionDlg::CSelectionDlg(const std::string& searchText, bool permanent, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("selectionDialog"));
    setWindowTitle(ToQt(Text(dlg::Selection)));
    KeepTitleWhole(this);

    auto* layout = new QVBoxLayout(this);

    auto* searchRow = new QHBoxLayout;
    auto* searchLabel = new QLabel(ToQt(Text(ctl::SelectionBy)), this);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("searchText"));
    m_search->setMaxLength(kSelectTextMax);
    m_search->setText(ToQt(searchText));
    searchLabel->setBuddy(m_search);
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(m_search, 1);
    layout->addLayout(searchRow);

    m_permanent = new QCheckBox(ToQt(Text(ctl::Permanent)), this);
    m_permanent->setObjectName(QStringLiteral("permanent"));
    m_permanent->setChecked(permanent);
    layout->addWidget(m_permanent);

    auto* group = new QGroupBox(ToQt(Text(ctl::PredefinedTerms)), this);
    auto* grid = new QGridLayout(group);
    CSettings& settings = CSettings::Instance();
    for (int i = 1; i <= kPredefinedTerms; ++i) {
        auto* edit = new QLineEdit(group);
        edit->setObjectName(QStringLiteral("term%1").arg(i));
        // Without a name of its own every box would be read as the group's title.
        edit->setAccessibleName(ToQt(FormatText(ctl::PredefinedTermName, i)));
        edit->setMaxLength(kSelectTextMax);
        edit->setText(ToQt(LimitSelectText(settings.DefaultSelect(i))));
        edit->installEventFilter(this);
        m_terms[static_cast<std::size_t>(i - 1)] = edit;
        grid->addWidget(edit, (i - 1) % 3, (i - 1) / 3);
    }
    layout->addWidget(group);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Ok);
    buttons->addButton(ToQt(Text(ctl::Cancel)), QDialogButtonBox::RejectRole);
    QPushButton* help = buttons->addButton(ToQt(Text(ctl::Help)), QDialogButtonBox::HelpRole);
    m_helpButton = help;
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, &CSelectionDlg::ShowHelp);
    layout->addWidget(buttons);

    m_search->setFocus();
    m_search->selectAll();
}

std::string CSelectionDlg::SearchText() const
{
    return LimitSelectText(FromQt(m_search->text()));
}

bool CSelectionDlg::Permanent() const
{
    return m_permanent->isChecked();
}

std::string CSelectionDlg::Term(int i) const
{
    if (i < 1 || i > kPredefinedTerms)
        return {};
    return LimitSelectText(FromQt(TermEdit(i)->text()));
}

void CSelectionDlg::accept()
{
    CSettings& settings = CSettings::Instance();
    for (int i = 1; i <= kPredefinedTerms; ++i)
        settings.SetDefaultSelect(i, Term(i));
    QDialog::accept();
}

bool CSelectionDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        for (QLineEdit* edit : m_terms) {
            if (watched == edit)
                m_search->setText(edit->text());
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CSelectionDlg::ShowHelp()
{
    if (m_helpHandler) {
        m_helpHandler(kHelpTopic);
        return;
    }
    QMessageBox::information(this, windowTitle(), ToQt(Text(msg::SelectionHelp)));
}

}  // namespace velkaro
