#include "sim/PhonePanel.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "text/MessageIds.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velkaro::sim {

namespace {
// The room a title bar's buttons (close, maximise, minimise) take.
constexpr int kTitleButtonsWidth = 120;
}  // namespace

CPhonePanel::CPhonePanel(std::function<void(const std::string&)> command, QWidget* parent)
    : QWidget(parent), m_command(std::move(command))
{
    auto* layout = new QVBoxLayout(this);
    m_intro = new QLabel(this);
    m_sendCards = new QPushButton(this);
    m_sendCallList = new QPushButton(this);
    m_lock = new QCheckBox(this);
    m_hangUp = new QPushButton(this);
    m_sendCards->setObjectName(QStringLiteral("sendCards"));
    m_sendCallList->setObjectName(QStringLiteral("sendCallList"));
    m_lock->setObjectName(QStringLiteral("lock"));
    m_hangUp->setObjectName(QStringLiteral("hangUp"));
    layout->addWidget(m_intro);
    layout->addWidget(m_sendCards);
    layout->addWidget(m_sendCallList);
    layout->addWidget(m_lock);
    layout->addWidget(m_hangUp);

    connect(m_sendCards, &QPushButton::clicked, this, [this] { m_command("send"); });
    connect(m_sendCallList, &QPushButton::clicked, this, [this] { m_command("calllist"); });
    connect(m_lock, &QCheckBox::toggled, this, [this](bool on) { m_command(on ? "lock" : "unlock"); });
    connect(m_hangUp, &QPushButton::clicked, this, [this] {
        m_command("hangup");
        // The line stays cut: nothing more can be sent over it.
        m_sendCards->setEnabled(false);
        m_sendCallList->setEnabled(false);
        m_lock->setEnabled(false);
        m_hangUp->setEnabled(false);
    });
    Retranslate();
}

void CPhonePanel::Retranslate()
{
    setWindowTitle(ToQt(Text(msg::PanelTitle)));
    // Wide enough that a window manager's title bar shows the whole title
    // beside its buttons.
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) * 3 / 2 + kTitleButtonsWidth);
    m_intro->setText(ToQt(Text(msg::PanelIntro)));
    m_sendCards->setText(ToQt(Text(msg::PanelSendCards)));
    m_sendCards->setToolTip(ToQt(Text(msg::PanelSendCardsTip)));
    m_sendCallList->setText(ToQt(Text(msg::PanelSendCallList)));
    m_sendCallList->setToolTip(ToQt(Text(msg::PanelSendCallListTip)));
    m_lock->setText(ToQt(Text(msg::PanelLock)));
    m_lock->setToolTip(ToQt(Text(msg::PanelLockTip)));
    m_hangUp->setText(ToQt(Text(msg::PanelHangUp)));
    m_hangUp->setToolTip(ToQt(Text(msg::PanelHangUpTip)));
}

}  // namespace velkaro::sim
