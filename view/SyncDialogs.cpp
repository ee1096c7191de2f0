#include "SyncDialogs.h"

#include "settings/QtText.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "view/ViewShared.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velkaro {

CSyncPreviewDlg::CSyncPreviewDlg(const SyncCounts& counts, std::vector<std::string> details, QWidget* parent)
    : QMessageBox(QMessageBox::Question, ToQt(Text(msg::SyncPreviewTitle)),
                  ToQt(Text(msg::SyncPreviewIntro) + "\n\n" + CountsText(counts)), QMessageBox::NoButton, parent)
    , m_detailLines(std::move(details))
{
    setObjectName(QStringLiteral("syncPreviewDialog"));
    setTextFormat(Qt::PlainText);
    KeepTitleWhole(this);

    m_apply = addButton(ToQt(Text(msg::SyncApply)), QMessageBox::AcceptRole);
    m_apply->setObjectName(QStringLiteral("applyButton"));
    m_cancel = addButton(ToQt(Text(ctl::Cancel)), QMessageBox::RejectRole);
    m_details = addButton(ToQt(Text(msg::ComparisonDetails)), QMessageBox::ActionRole);
    m_details->setObjectName(QStringLiteral("detailsButton"));
    m_details->setEnabled(!m_detailLines.empty());
    setDefaultButton(m_apply);
    setEscapeButton(m_cancel);
    // Every button of a message box ends it; Details must leave it open.
    for (QDialogButtonBox* box : findChildren<QDialogButtonBox*>())
        m_details->disconnect(box);
    connect(m_details, &QPushButton::clicked, this, &CSyncPreviewDlg::ShowDetails);
    connect(this, &QMessageBox::buttonClicked, this,
            [this](QAbstractButton* button) { m_applied = button == m_apply; });
}

std::string CSyncPreviewDlg::CountsText(const SyncCounts& counts)
{
    std::string text
        = FormatText(msg::SyncPreviewCounts, counts.added, counts.changed, counts.removed, counts.unchanged);
    if (counts.keptChangedHere != 0)
        text += "\n" + FormatText(msg::SyncCountKept, counts.keptChangedHere);
    if (counts.damaged != 0)
        text += "\n" + FormatText(msg::SyncCountDamaged, counts.damaged);
    return text;
}

void CSyncPreviewDlg::ShowDetails()
{
    std::string text;
    for (const std::string& line : m_detailLines)
        text += line + "\n";
    const auto details = MakeDetailsWindow(this, ToQt(Text(msg::SyncPreviewTitle)), ToQt(text),
                                           QStringLiteral("syncDetails"), QStringLiteral("syncDetailList"));
    emit detailsShown(details.get());
    details->exec();
}

CSyncProgressDlg::CSyncProgressDlg(std::function<void()> cancel, QWidget* parent)
    : QDialog(parent)
    , m_cancelFetch(std::move(cancel))
{
    setObjectName(QStringLiteral("syncProgressDialog"));
    setWindowTitle(ToQt(Text(msg::SyncPreviewTitle)));
    KeepTitleWhole(this);
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(ToQt(Text(msg::SyncFetching)), this);
    layout->addWidget(caption);
    m_step = new QLabel(this);
    m_step->setObjectName(QStringLiteral("syncStep"));
    layout->addWidget(m_step);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("syncBar"));
    m_bar->setAccessibleName(caption->text());
    m_bar->setRange(0, 0);
    m_bar->setMinimumWidth(320);
    layout->addWidget(m_bar);
    auto* buttons = new QDialogButtonBox(this);
    m_cancel = buttons->addButton(ToQt(Text(ctl::Cancel)), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &CSyncProgressDlg::reject);
    layout->addWidget(buttons);
}

QString CSyncProgressDlg::StepText() const
{
    return m_step->text();
}

void CSyncProgressDlg::reject()
{
    // The window stays until the fetch has stopped and says so by Finish.
    if (m_cancelRequested)
        return;
    m_cancelRequested = true;
    m_cancel->setEnabled(false);
    m_step->setText(ToQt(Text(msg::SyncCancelling)));
    emit cancelRequested();
    if (m_cancelFetch)
        m_cancelFetch();
}

void CSyncProgressDlg::SetStep(const std::string& text)
{
    if (!m_cancelRequested)
        m_step->setText(ToQt(text));
}

void CSyncProgressDlg::SetProgress(int done, int total)
{
    m_bar->setRange(0, total > 0 ? total : 0);
    if (total > 0)
        m_bar->setValue(std::clamp(done, 0, total));
}

void CSyncProgressDlg::Finish()
{
    done(QDialog::Accepted);
}

}  // namespace velkaro
