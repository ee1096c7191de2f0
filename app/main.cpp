// velkaro-desktop: the desktop program.

#include "app/Application.h"
#include "settings/Settings.h"
#include "app/TransferCommands.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velkaro"));
    QCoreApplication::setApplicationName(QStringLiteral("Velkaro Desktop"));
    QCoreApplication::setApplicationVersion(QStringLiteral("4.0"));
    velkaro::CPcxApp app(velkaro::CSettings::Instance());
    // The serial port opens once the main window shows.
    velkaro::CTransferCommands::Install(app);
    // Ending by signal writes what File > Exit writes.
    app.EndOnSignals();
    return app.Run();
}
