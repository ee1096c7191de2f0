#include "AboutDialog.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "settings/SettingValues.h"
#include "settings/Settings.h"
#include "text/MessageIds.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace velkaro {

namespace {
// The main window's size as the splash centres over it.
constexpr int kFrameWidth = 666;
constexpr int kFrameHeight = 450;
}  // namespace

CAboutDlg::CAboutDlg(bool splash, CSettings& settings, QWidget* parent)
    : QDialog(parent)
    , m_splash(splash)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("about"));
    setWindowTitle(ToQt(Text(dlg::About)));
    auto* layout = new QVBoxLayout(this);

    auto* name = new QLabel(QStringLiteral("Velkaro Desktop"), this);
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    layout->addWidget(name);

    m_version = new QLabel(ToQt(Text(ctl::Version)) + QString::fromLatin1(kVersion), this);
    m_version->setObjectName(QStringLiteral("ctl1030"));
    layout->addWidget(m_version);

    for (unsigned id : { ctl::AboutNotice1, ctl::AboutNotice2 }) {
        auto* notice = new QLabel(ToQt(Text(id)), this);
        notice->setObjectName(QStringLiteral("ctl%1").arg(id));
        notice->setWordWrap(true);
        notice->setMinimumWidth(320);
        layout->addWidget(notice);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    if (m_splash) {
        // Modeless; gone after the time or on OK.
        setAttribute(Qt::WA_DeleteOnClose);
        setAttribute(Qt::WA_QuitOnClose, false);
        setModal(false);
        m_timer = new QTimer(this);
        m_timer->setSingleShot(true);
        connect(m_timer, &QTimer::timeout, this, &QDialog::accept);
        m_timer->start(kSplashMilliseconds);
    }
}

QPoint CAboutDlg::SplashPosition(QSize size, int storedX, int storedY, QRect screen)
{
    if (storedX != kWindowPositionUnknown && storedY != kWindowPositionUnknown)
        return { CentredOver(storedX, kFrameWidth, size.width()), CentredOver(storedY, kFrameHeight, size.height()) };
    return { screen.left() + (screen.width() - size.width()) / 2, screen.top() + (screen.height() - size.height()) / 2 };
}

void CAboutDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (m_splash) {
        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        move(SplashPosition(size(), m_settings.WindowPositionX(kWindowPositionUnknown),
                            m_settings.WindowPositionY(kWindowPositionUnknown), area));
    } else if (parentWidget()) {
        move(parentWidget()->geometry().center() - QPoint(width() / 2, height() / 2));
    }
}

}  // namespace velkaro
