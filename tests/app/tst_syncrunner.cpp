// File > "Mit Adressbuch abgleichen" with its real windows against a real
// Radicale: the preview decides, a cancelled fetch or a refused password
// changes no card, and a taken sync is in the cards, the working file and the
// origin file beside it.

#include "support/ScriptedUi.h"

#include "DavServers.h"
#include "app/SyncRunner.h"
#include "carddav/SyncOrigin.h"
#include "model/Document.h"
#include "settings/Settings.h"
#include "text/Language.h"
#include "view/SyncDialogs.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <filesystem>

using namespace velkaro;

class SyncRunnerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::DavServer> m_server;
    test::ScriptedUi m_ui;
    CPcxDoc m_doc;
    CardDavAccount m_account;
    std::string m_password;
    int m_previews = 0;

    // Runs one sync to its end; take: the answer to the preview.
    void Sync(bool take, const std::function<void()>& whileFetching = {})
    {
        CSyncRunner runner(m_doc, CSettings::Instance(), m_ui);
        runner.SetPreviewRunner([this, take](QDialog& dialog) {
            ++m_previews;
            auto& preview = static_cast<CSyncPreviewDlg&>(dialog);
            (take ? preview.ApplyButton() : preview.CancelButton())->click();
            return 0;
        });
        runner.Sync(m_account, m_password, nullptr);
        if (whileFetching)
            whileFetching();
        QTRY_VERIFY_WITH_TIMEOUT(!runner.Busy(), 30000);
    }

private slots:
    void initTestCase()
    {
        SetLanguageOffset(kLangGerman);
        const std::filesystem::path scratch = std::filesystem::path(qgetenv("VELKARO_TEST_HOME").toStdString()) / "dav";
        // The scratch folder outlives a run: the server starts afresh.
        std::filesystem::remove_all(scratch);
        m_server = std::make_unique<test::DavServer>(test::DavServerKind::Radicale, scratch);
        const std::string problem = m_server->Start();
        if (m_server->MissingProgram())
            QSKIP(problem.c_str());
        QVERIFY2(problem.empty(), problem.c_str());
        for (int n = 1; n <= 3; ++n)
            QVERIFY(m_server->Put("u" + std::to_string(n) + ".vcf", test::SampleCard(n)));
        const DavLogin login = m_server->Login();
        m_account.url = login.url;
        m_account.user = login.user;
        m_account.filters.dialable = false;
        m_password = login.password;
        m_doc.SetWorkingPath((scratch / "Karten.itx").string());
        m_doc.SetUserInterface(&m_ui);
    }

    void aCancelledFetchOrADeclinedPreviewChangesNothing()
    {
        // Cancel in the progress window as soon as it shows.
        Sync(true, [] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* progress = qobject_cast<CSyncProgressDlg*>(window))
                    progress->CancelButton()->click();
        });
        QCOMPARE(m_previews, 0);
        QVERIFY(m_ui.shown.empty());
        Sync(false);
        QCOMPARE(m_previews, 1);
        QCOMPARE(m_doc.Cards().Count(), 0);
        QVERIFY(!std::filesystem::exists(SyncOriginPath(m_doc.WorkingPath())));
    }

    void aTakenSyncIsInTheCardsAndBesideTheWorkingFile()
    {
        Sync(true);
        QCOMPARE(m_doc.Cards().Count(), 3);
        QVERIFY(m_doc.Cards().At(0)->IsEdited());
        QVERIFY(std::filesystem::exists(SyncOriginPath(m_doc.WorkingPath())));
        QVERIFY(m_doc.CanUndo());
    }

    void aRefusedPasswordIsToldAndChangesNothing()
    {
        const int previews = m_previews;
        m_password = "falsch";
        Sync(true);
        QCOMPARE(m_previews, previews);
        QCOMPARE(m_ui.outcomeKinds.size(), std::size_t(1));
        QVERIFY(m_ui.LastText().find("abgelehnt") != std::string::npos);
        QCOMPARE(m_doc.Cards().Count(), 3);
    }
};

QTEST_MAIN(SyncRunnerTest)
#include "tst_syncrunner.moc"
