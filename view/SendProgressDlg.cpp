#include "SendProgressDlg.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "text/MessageIds.h"
#include "view/ProgressWnd.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velkaro {

CTransferProgressDlg::CTransferProgressDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);

    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("heading"));
    m_heading->setTextFormat(Qt::PlainText);
    m_heading->setWordWrap(true);
    // Room for two lines, so a long heading does not make the window jump.
    m_heading->setMinimumHeight(m_heading->fontMetrics().lineSpacing() * 2 + 2);
    m_heading->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_heading);

    auto* grid = new QGridLayout;
    auto value = [this](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
        return label;
    };
    m_countLabel = new QLabel(this);
    m_count = value("count");
    auto* errorLabel = new QLabel(ToQt(Text(ctl::ErrorCountLabel)), this);
    m_errors = value("errors");
    auto* speedLabel = new QLabel(ToQt(Text(ctl::SpeedLabel)), this);
    m_speed = value("speed");
    grid->addWidget(m_countLabel, 0, 0);
    grid->addWidget(m_count, 0, 1);
    grid->addWidget(errorLabel, 1, 0);
    grid->addWidget(m_errors, 1, 1);
    grid->addWidget(speedLabel, 2, 0);
    grid->addWidget(m_speed, 2, 1);
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);

    m_barFrame = new QFrame(this);
    m_barFrame->setObjectName(QStringLiteral("barFrame"));
    m_barFrame->hide();
    layout->addWidget(m_barFrame);

    auto* buttons = new QDialogButtonBox(this);
    m_cancel = buttons->addButton(ToQt(Text(ctl::Cancel)), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    connect(m_cancel, &QPushButton::clicked, this, &CTransferProgressDlg::cancelRequested);
    layout->addWidget(buttons, 0, Qt::AlignHCenter);
    setMinimumWidth(320);
}

void CTransferProgressDlg::SetTexts(const std::string& caption, const std::string& heading,
                                    const std::string& countLabel)
{
    setWindowTitle(ToQt(caption));
    m_heading->setText(ToQt(heading));
    m_countLabel->setText(ToQt(countLabel));
}

void CTransferProgressDlg::SetValues(int count, int errors, const std::string& speedText)
{
    m_count->setText(QString::number(count));
    m_errors->setText(QString::number(errors));
    m_speed->setText(ToQt(speedText));
}

QString CTransferProgressDlg::HeadingText() const
{
    return m_heading->text();
}

QString CTransferProgressDlg::CountLabelText() const
{
    return m_countLabel->text();
}

QString CTransferProgressDlg::CountText() const
{
    return m_count->text();
}

QString CTransferProgressDlg::SpeedText() const
{
    return m_speed->text();
}

void CTransferProgressDlg::reject()
{
    emit cancelRequested();
}

CSendProgressDlg::CSendProgressDlg(const std::string& heading, const std::string& speedText, QWidget* parent)
    : CTransferProgressDlg(parent)
    , m_speed(speedText)
{
    setObjectName(QStringLiteral("sendProgressDialog"));
    SetTexts(Text(dlg::SendProgress), heading, Text(ctl::SentCountLabel));

    // The bar stands where the layout keeps its place: range 1000, the
    // percentage over it, a sunken edge.
    QFrame* frame = BarFrame();
    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(0, 0, 0, 0);
    m_bar = new CProgressBar(CProgressBar::kSunken, frame);
    m_bar->setObjectName(QStringLiteral("progress"));
    m_bar->SetRange(kBarRange);
    m_bar->SetPos(0);
    m_bar->setMinimumHeight(20);
    inner->addWidget(m_bar);
    frame->show();

    SetValues(0, 0, m_speed);
}

void CSendProgressDlg::Update(int sentCount, int errorCount, int perMille)
{
    SetValues(sentCount, errorCount, m_speed);
    m_bar->SetPos(std::clamp(perMille, 0, kBarRange));
}

int CSendProgressDlg::ProgressValue() const
{
    return m_bar->Pos();
}

QString CSendProgressDlg::ProgressText() const
{
    return m_bar->PercentText();
}

}  // namespace velkaro
