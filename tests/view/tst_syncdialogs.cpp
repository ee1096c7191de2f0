// The windows of an address-book sync: the preview says the counts (kept
// and damaged contacts only when there are any) and lists the details; the
// progress window's Cancel only asks the fetch to stop, once, and the window
// stays until the fetch has ended.

#include "text/Language.h"
#include "view/SyncDialogs.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace velkaro;

class SyncDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { SetLanguageOffset(kLangGerman); }

    void previewSaysTheCountsAndListsTheDetails()
    {
        SyncCounts counts;
        counts.added = 2;
        counts.changed = 1;
        counts.unchanged = 7;
        CSyncPreviewDlg dialog(counts, { "+ Adler Hans", "~ M\xFCller Eva" });
        QVERIFY(dialog.text().endsWith(QStringLiteral("2 neu, 1 geändert, 0 entfernt, 7 unverändert")));
        QCOMPARE(dialog.ApplyButton()->text(), QStringLiteral("Ü&bernehmen"));
        QVERIFY(dialog.ApplyButton()->isDefault());
        counts.keptChangedHere = 1;
        counts.damaged = 3;
        QCOMPARE(QString::fromLatin1(CSyncPreviewDlg::CountsText(counts).c_str()).count(u'\n'), 2);

        QString listed;
        connect(&dialog, &CSyncPreviewDlg::detailsShown, this, [&listed](QDialog* details) {
            listed = details->findChild<QPlainTextEdit*>()->toPlainText();
            QTimer::singleShot(0, details, &QDialog::reject);
        });
        dialog.DetailsButton()->click();
        QCOMPARE(listed, QStringLiteral("+ Adler Hans\n~ Müller Eva\n"));
        QVERIFY(!dialog.Applied());
        QTimer::singleShot(0, dialog.ApplyButton(), &QPushButton::click);
        dialog.exec();
        QVERIFY(dialog.Applied());
    }

    void cancelAsksTheFetchToStopOnceAndWaitsForIt()
    {
        int cancels = 0;
        CSyncProgressDlg dialog([&cancels] { ++cancels; });
        dialog.show();
        dialog.SetStep("Privat");
        dialog.SetProgress(3, 10);
        QCOMPARE(dialog.StepText(), QStringLiteral("Privat"));
        QCOMPARE(dialog.Bar()->value(), 3);
        dialog.CancelButton()->click();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(cancels, 1);
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.CancelButton()->isEnabled());
        dialog.Finish();
        QVERIFY(!dialog.isVisible());
    }
};

QTEST_MAIN(SyncDialogsTest)
#include "tst_syncdialogs.moc"
