#include "Help.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "text/MessageIds.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>

namespace velkaro {

namespace {

HelpOpener& Opener()
{
    static HelpOpener opener;
    return opener;
}

std::function<QWidget*()>& Parent()
{
    static std::function<QWidget*()> parent;
    return parent;
}

QString LanguageFolder(int offset)
{
    switch (offset) {
    case kLangEnglish: return QStringLiteral("en");
    case kLangFrench: return QStringLiteral("fr");
    default: return QStringLiteral("de");
    }
}

QString PageIn(const QString& dir, const QString& language)
{
    return dir + QLatin1Char('/') + language + QStringLiteral("/index.html");
}

bool HoldsManual(const QString& dir)
{
    return !dir.isEmpty() && QFileInfo::exists(PageIn(dir, QStringLiteral("de")));
}

}  // namespace

QString HelpTopicForId(int helpId)
{
    switch (helpId) {
    case 101: return QString::fromLatin1(help::Selection);
    case 105: return QString::fromLatin1(help::Import);
    default: return QString::fromLatin1(help::Start);
    }
}

QStringList ManualSearchPaths()
{
    return ManualSearchPathsFor(QCoreApplication::applicationDirPath());
}

QStringList ManualSearchPathsFor(const QString& programDir)
{
    QStringList paths;
    const QString fromEnvironment = qEnvironmentVariable("VELKARO_MANUAL_DIR");
    if (!fromEnvironment.isEmpty())
        paths << fromEnvironment;
    if (!programDir.isEmpty()) {
        // Where the install rules put it, relative to the program's folder,
        // so an installed tree may be moved as a whole.
        paths << QDir::cleanPath(programDir + QStringLiteral("/" VELKARO_MANUAL_FROM_BINDIR));
        paths << QDir::cleanPath(programDir + QStringLiteral("/../share/doc/velkaro-desktop/manual"));
        paths << QDir::cleanPath(programDir + QStringLiteral("/../share/velkaro-desktop/manual"));
    }
    // A program run from its build tree reads the source tree's pages.
    paths << QStringLiteral(VELKARO_MANUAL_SOURCE_DIR);
    // A program copied away from its installed tree.
    paths << QStringLiteral(VELKARO_MANUAL_INSTALL_DIR);
    paths.removeDuplicates();
    return paths;
}

QString ManualDirectory()
{
    for (const QString& dir : ManualSearchPaths())
        if (HoldsManual(dir))
            return dir;
    return {};
}

QUrl ManualUrl(const QString& topic, int languageOffset)
{
    const QString dir = ManualDirectory();
    if (dir.isEmpty())
        return {};
    QString page = PageIn(dir, LanguageFolder(languageOffset));
    if (!QFileInfo::exists(page))
        page = PageIn(dir, QStringLiteral("de"));
    QUrl url = QUrl::fromLocalFile(page);
    if (!topic.isEmpty())
        url.setFragment(topic);
    return url;
}

namespace {

// Tells the user where the manual is, or where it was looked for, so that
// it can be opened by hand.
void TellNotOpened(const QUrl& url)
{
    const QString where = url.isValid() ? url.toLocalFile() : ManualSearchPaths().join(QLatin1Char('\n'));
    QWidget* parent = Parent() ? Parent()() : nullptr;
    // The path is shown as it is, never as markup.
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(),
                    ToQt(FormatText(msg::ManualNotOpened, FromQt(where).c_str())), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// QDesktopServices counts the page as opened as soon as xdg-open has
// started; an xdg-open that finds no browser then fails where nobody sees
// it. Ours waits for its answer, without holding up the program: a failure,
// or no xdg-open at all, is told. The watcher has no parent, so that
// quitting the program never kills an xdg-open that waits for its browser.
bool OpenWithDesktop(const QUrl& url)
{
    auto* process = new QProcess;
    QObject::connect(process, &QProcess::finished, process, [process, url](int code, QProcess::ExitStatus status) {
        process->deleteLater();
        if (status != QProcess::NormalExit || code != 0)
            TellNotOpened(url);
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, url](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        TellNotOpened(url);
    });
    process->start(QStringLiteral("xdg-open"), { url.toString(QUrl::FullyEncoded) });
    return true;
}
#else
bool OpenWithDesktop(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
#endif

}  // namespace

bool ShowHelp(const QString& topic)
{
    const QUrl url = ManualUrl(topic, LanguageOffset());
    bool opened = false;
    if (url.isValid())
        opened = Opener() ? Opener()(url) : OpenWithDesktop(url);
    if (!opened)
        TellNotOpened(url);
    return opened;
}

bool ShowHelpForId(int helpId)
{
    return ShowHelp(HelpTopicForId(helpId));
}

void SetHelpOpener(HelpOpener opener)
{
    Opener() = std::move(opener);
}

void SetHelpParent(std::function<QWidget*()> parent)
{
    Parent() = std::move(parent);
}

}  // namespace velkaro
