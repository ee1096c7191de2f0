// velkaro-desktop: the desktop program.

#include "app/Application.h"
#include "app/Demo.h"
#include "settings/Settings.h"
#include "app/TransferCommands.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace {

constexpr const char* kHelp =
    "usage: velkaro-desktop [--demo] [FILE.vlx]\n"
    "\n"
    "Keeps the address book of a Velkaro R4 table telephone and moves it over\n"
    "the serial line. A backup file (.vlx) given here is offered for loading as\n"
    "File > Load backup offers it: the existing cards are replaced once the\n"
    "question is answered with OK.\n"
    "\n"
    "  --demo     try the program with a simulated telephone on a pseudo-terminal\n"
    "             of its own; your cards and settings stay as they are\n"
    "  --help     this text\n"
    "  --version  the program version\n"
    "\n"
    "Qt's own options (-platform, -style, ...) are accepted as well.\n"
    "See velkaro-desktop(1), velkaro(1) and velkaro-phone-sim(1).\n";

bool Write(const char* text)
{
    return std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    // Answered before Qt starts, so that they need no display and open no window.
    std::optional<std::string> backup;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return Write(kHelp) ? 0 : 1;
        if (std::strcmp(argv[i], "--version") == 0)
            return Write("Velkaro Desktop " VELKARO_VERSION "\n") ? 0 : 1;
    }
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--demo") == 0)
            return velkaro::StartDemo(argc, argv);
    QApplication qtApp(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velkaro"));
    QCoreApplication::setApplicationName(QStringLiteral("Velkaro Desktop"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELKARO_VERSION));
    // Qt has taken its own options out of argv; what is left and does not
    // look like an option is the backup to offer (the first one).
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-' && argv[i][0] != '\0') {
            // Absolute, because the message names it and the working
            // directory of a program started from the desktop is arbitrary.
            backup = QFile::encodeName(QDir::current().absoluteFilePath(QFile::decodeName(argv[i]))).toStdString();
            break;
        }
    }
    velkaro::CPcxApp app(velkaro::CSettings::Instance());
    // The serial port opens once the main window shows.
    velkaro::CTransferCommands::Install(app);
    // Ending by signal writes what File > Exit writes.
    app.EndOnSignals();
    if (backup)
        app.OfferBackupAtStart(QFile::decodeName(backup->c_str()));
    return app.Run();
}
