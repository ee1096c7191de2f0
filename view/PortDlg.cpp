#include "PortDlg.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "device/ComPort.h"
#include "text/MessageIds.h"
#include "view/ViewShared.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace velkaro {

CPortDlg::CPortDlg(int portIndex, bool highSpeed, int openPort, IMessageUi& ui, QWidget* parent)
    : QDialog(parent)
    , m_ui(ui)
    , m_probe(&CComPort::ProbePort)
    , m_openPort(openPort)
{
    setObjectName(QStringLiteral("portDialog"));
    setWindowTitle(ToQt(Text(dlg::Port)));
    KeepTitleWhole(this);

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    auto* label = new QLabel(ToQt(Text(ctl::SerialPortLabel)), this);
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("portCombo"));
    label->setBuddy(m_combo);
    const std::map<QString, QString> descriptions = SystemPortDescriptions();
    m_combo->addItem(QStringLiteral("----"));
    for (int port = 1; port <= kHighestPort; ++port)
        m_combo->addItem(PortItemText(port, descriptions));
    m_combo->setCurrentIndex(portIndex >= 0 && portIndex <= kHighestPort ? portIndex : 0);
    m_combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_combo, 0, 1);

    m_highSpeed = new QCheckBox(ToQt(Text(ctl::HighSpeedAllowed)), this);
    m_highSpeed->setObjectName(QStringLiteral("highSpeed"));
    m_highSpeed->setChecked(highSpeed);
    grid->addWidget(m_highSpeed, 1, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    QPushButton* help = AddOkCancelHelpBox(this, layout, true);
    connect(help, &QPushButton::clicked, this, &CPortDlg::helpRequested);
    m_combo->setFocus();
}

std::map<QString, QString> CPortDlg::SystemPortDescriptions()
{
    std::map<QString, QString> descriptions;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        QString text = info.description();
        if (text.isEmpty())
            text = info.manufacturer();
        if (text.isEmpty())
            continue;
        descriptions[info.systemLocation()] = text;
        // A port named through a link (/dev/serial/by-id/...) finds the
        // description of the device it leads to.
        const QString target = QFileInfo(info.systemLocation()).canonicalFilePath();
        if (!target.isEmpty())
            descriptions.emplace(target, text);
    }
    return descriptions;
}

QString CPortDlg::PortItemText(int port, const std::map<QString, QString>& descriptions)
{
    QString text = QStringLiteral("COM%1").arg(port);
    const QString path = QString::fromStdString(DevicePathForPort(port));
    if (path.isEmpty())
        return text;
    text += QStringLiteral("  (") + path;
    auto it = descriptions.find(path);
    if (it == descriptions.end()) {
        const QString target = QFileInfo(path).canonicalFilePath();
        if (!target.isEmpty())
            it = descriptions.find(target);
    }
    if (it != descriptions.end())
        text += QStringLiteral(": ") + it->second;
    return text + u')';
}

int CPortDlg::PortIndex() const
{
    return m_combo->currentIndex() < 0 ? 0 : m_combo->currentIndex();
}

bool CPortDlg::HighSpeed() const
{
    return m_highSpeed->isChecked();
}

void CPortDlg::accept()
{
    const int port = PortIndex();
    if (port > 0 && port != m_openPort && m_probe) {
        std::string error;
        if (!m_probe(port, &error)) {
            m_ui.Message(FormatText(msg::PortOpenError, port, error.c_str()), MsgButtons::Ok, MsgIcon::Error);
            m_combo->setFocus();
            return;
        }
    }
    QDialog::accept();
}

}  // namespace velkaro
