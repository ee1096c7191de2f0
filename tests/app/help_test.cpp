// The manual: every language's page has a section for every window, Help
// opens the page of the current language at the asked section, and the
// program finds the manual where the install rules put it and in the source
// tree.

#include "app/Help.h"

#include "text/Language.h"
#include "AppTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace velkaro {
namespace {

const char* const kTopics[] = { help::Start, help::Cards, help::Selection, help::Structure, help::Backup,
                                help::Import, help::ImportMode, help::Export, help::Print, help::Port,
                                help::Send, help::Receive, help::CallList, help::Language, help::Demo,
                                help::AddressBook };

class HelpTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::StartOffscreenApplication(); }

    void SetUp() override
    {
        qunsetenv("VELKARO_MANUAL_DIR");
        SetHelpOpener([this](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
    }

    void TearDown() override
    {
        SetHelpOpener({});
        SetLanguageOffset(kLangGerman);
        qunsetenv("VELKARO_MANUAL_DIR");
    }

    static QString SourceManual() { return QStringLiteral(VELKARO_SOURCE_DIR "/resources/manual"); }

    std::vector<QUrl> opened;
};

TEST_F(HelpTest, EveryPageHasASectionForEveryWindow)
{
    for (const char* language : { "de", "en", "fr" }) {
        QFile page(SourceManual() + QStringLiteral("/%1/index.html").arg(QLatin1String(language)));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << language;
        const QString html = QString::fromUtf8(page.readAll());
        EXPECT_TRUE(html.contains(QStringLiteral("<html lang=\"%1\">").arg(QLatin1String(language)))) << language;
        for (const char* topic : kTopics) {
            EXPECT_EQ(html.count(QStringLiteral("id=\"%1\"").arg(QLatin1String(topic))), 1) << language << " #" << topic;
            EXPECT_TRUE(html.contains(QStringLiteral("href=\"#%1\"").arg(QLatin1String(topic)))) << language << " #" << topic;
        }
        // Every section the contents list points at exists.
        QRegularExpression link(QStringLiteral("href=\"#([a-z]+)\""));
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_TRUE(html.contains(QStringLiteral("id=\"%1\"").arg(target))) << language << " #" << target.toStdString();
        }
    }
}

TEST_F(HelpTest, DialogHelpIdsLeadToTheirSections)
{
    EXPECT_EQ(HelpTopicForId(101), QStringLiteral("selection"));
    EXPECT_EQ(HelpTopicForId(105), QStringLiteral("import"));
    EXPECT_EQ(HelpTopicForId(0), QStringLiteral("start"));
    EXPECT_EQ(HelpTopicForId(4711), QStringLiteral("start"));
}

TEST_F(HelpTest, OpensThePageOfTheCurrentLanguageAtTheSection)
{
    ASSERT_TRUE(ShowHelp(QString::fromLatin1(help::Import)));
    SetLanguageOffset(kLangEnglish);
    ASSERT_TRUE(ShowHelpForId(101));
    SetLanguageOffset(kLangFrench);
    ASSERT_TRUE(ShowHelp(QString::fromLatin1(help::Print)));
    ASSERT_EQ(opened.size(), 3u);

    // From the build tree the pages are the source tree's.
    const QString source = QDir::cleanPath(SourceManual());
    EXPECT_EQ(opened[0].toLocalFile(), source + QStringLiteral("/de/index.html"));
    EXPECT_EQ(opened[0].fragment(), QStringLiteral("import"));
    EXPECT_EQ(opened[1].toLocalFile(), source + QStringLiteral("/en/index.html"));
    EXPECT_EQ(opened[1].fragment(), QStringLiteral("selection"));
    EXPECT_EQ(opened[2].toLocalFile(), source + QStringLiteral("/fr/index.html"));
    EXPECT_EQ(opened[2].fragment(), QStringLiteral("print"));
    for (const QUrl& url : opened)
        EXPECT_TRUE(QFile::exists(url.toLocalFile()));
}

TEST_F(HelpTest, TheInstalledManualBesideTheProgramComesFirst)
{
    const QStringList paths = ManualSearchPathsFor(QStringLiteral("/opt/velkaro/bin"));
    ASSERT_FALSE(paths.isEmpty());
    EXPECT_EQ(paths.first(), QStringLiteral("/opt/velkaro/share/doc/velkaro-desktop/manual"));
    EXPECT_TRUE(paths.contains(QStringLiteral("/opt/velkaro/share/velkaro-desktop/manual")));
    EXPECT_TRUE(paths.contains(SourceManual()));
}

TEST_F(HelpTest, AnotherManualFolderAndTheGermanPageForAMissingLanguage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir(dir.path()).mkpath(QStringLiteral("de"));
    QFile page(dir.filePath(QStringLiteral("de/index.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html lang=\"de\"></html>");
    page.close();
    qputenv("VELKARO_MANUAL_DIR", dir.path().toLocal8Bit());

    EXPECT_EQ(ManualDirectory(), dir.path());
    const QUrl url = ManualUrl(QStringLiteral("port"), kLangFrench);
    EXPECT_EQ(url.toLocalFile(), dir.filePath(QStringLiteral("de/index.html")));
    EXPECT_EQ(url.fragment(), QStringLiteral("port"));
}

// Help hands the page to xdg-open and waits for its answer: without a
// browser xdg-open starts and then fails, and the user learns where the page
// is instead of seeing nothing happen.
TEST_F(HelpTest, TheDesktopOpenerGetsThePageAndItsFailureNamesThePage)
{
    const QString page = QDir::cleanPath(SourceManual()) + QStringLiteral("/en/index.html");
    for (int status : { 0, 3 }) {
        SCOPED_TRACE(status);
        QTemporaryDir bin;
        ASSERT_TRUE(bin.isValid());
        const QString got = bin.filePath(QStringLiteral("got"));
        QFile opener(bin.filePath(QStringLiteral("xdg-open")));
        ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
        opener.write(QStringLiteral("#!/bin/sh\necho \"$1\" > '%1'\nexit %2\n").arg(got).arg(status).toLocal8Bit());
        opener.close();
        opener.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit() + ':' + path);
        SetHelpOpener({});
        SetLanguageOffset(kLangEnglish);

        QString told;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    told = box->text();
                    box->accept();
                }
        });
        watch.start(20);
        EXPECT_TRUE(ShowHelp(QString::fromLatin1(help::Port)));
        QElapsedTimer clock;
        clock.start();
        // The answer comes when xdg-open ends; a message a moment later.
        while (clock.elapsed() < (status == 0 ? 1500 : 10000) && (status == 0 || told.isEmpty()))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        qputenv("PATH", path);

        QFile handed(got);
        ASSERT_TRUE(handed.open(QIODevice::ReadOnly));
        EXPECT_EQ(QUrl(QString::fromUtf8(handed.readAll()).trimmed()).toLocalFile(), page);
        if (status == 0) {
            EXPECT_TRUE(told.isEmpty()) << told.toStdString();
        } else {
            EXPECT_TRUE(told.startsWith(QStringLiteral("The manual could not be opened"))) << told.toStdString();
            EXPECT_TRUE(told.contains(page)) << told.toStdString();
        }
    }
}

}  // namespace
}  // namespace velkaro
