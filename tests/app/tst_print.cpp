// The main frame's printing and help commands: print goes to the shared
// printer through the print dialog, the Help menu opens the manual at the
// main window's section, and the dialogs' Help buttons at their own.

#include "../support/ScriptedUi.h"

#include "app/Application.h"
#include "app/Help.h"
#include "text/Language.h"
#include "app/MainFrame.h"
#include "settings/Settings.h"
#include "app/TransferCommands.h"
#include "view/PcxView.h"
#include "text/Menus.h"
#include "view/Printing.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace velkaro;

namespace {

// Presses the dialog's Help button, then cancels the dialog.
int PressHelp(QDialog& dialog)
{
    int pressed = 0;
    for (auto* box : dialog.findChildren<QDialogButtonBox*>()) {
        for (QAbstractButton* button : box->buttons()) {
            if (box->buttonRole(button) == QDialogButtonBox::HelpRole) {
                button->click();
                ++pressed;
            }
        }
    }
    if (pressed != 1)
        qWarning("%s has %d Help buttons", dialog.metaObject()->className(), pressed);
    return QDialog::Rejected;
}

}  // namespace

class AppPrintTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CSettings> settings;
    std::unique_ptr<CPcxApp> app;
    std::unique_ptr<CMainFrame> frame;
    test::ScriptedUi ui;

private slots:
    void init()
    {
        ui = test::ScriptedUi();
        SetLanguageOffset(kLangGerman);
        settings = std::make_unique<CSettings>();
        app = std::make_unique<CPcxApp>(*settings);
        app->SetUserInterface(&ui);
        frame = std::make_unique<CMainFrame>(*app);
    }
    void cleanup()
    {
        SetHelpOpener({});
        frame.reset();
        app.reset();
        settings.reset();
        SetLanguageOffset(kLangGerman);
    }

    void printCommandPrintsThroughThePrintDialog()
    {
        auto card = std::make_unique<CKarte>();
        card->SetLine(0, "ANNA");
        card->SetLine(1, "0301 1234");
        app->Document().Cards().InsertSorted(std::move(card), false);

        auto* printing = frame->findChild<CPrinting*>(QStringLiteral("printing"));
        QVERIFY(printing);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cards.pdf"));
        printing->Printer().setOutputFormat(QPrinter::PdfFormat);
        printing->Printer().setOutputFileName(path);
        QStringList dialogs;
        printing->SetDialogRunner([&dialogs](QDialog& dialog) {
            dialogs << QString::fromLatin1(dialog.metaObject()->className());
            return int(QDialog::Accepted);
        });

        QVERIFY(frame->IsCommandEnabled(cmd::Print));
        frame->Dispatch(cmd::Print);
        QCOMPARE(dialogs, QStringList { QStringLiteral("QPrintDialog") });
        QVERIFY(QFile(path).size() > 0);
        QVERIFY(ui.shown.empty());

        frame->Dispatch(cmd::PrintPreview);
        frame->Dispatch(cmd::PrintSetup);
        QCOMPARE(dialogs.size(), 3);
        QCOMPARE(dialogs[1], QStringLiteral("QPrintPreviewDialog"));
    }

    void helpMenuOpensTheManualAtTheMainWindow()
    {
        std::vector<QUrl> opened;
        SetHelpOpener([&opened](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
        app->SetLanguage(kLangEnglish, false);
        frame->Dispatch(cmd::HelpIndex);
        QCOMPARE(opened.size(), std::size_t(1));
        QVERIFY(opened[0].toLocalFile().endsWith(QStringLiteral("/en/index.html")));
        QCOMPARE(opened[0].fragment(), QStringLiteral("start"));
    }

    void dialogHelpButtonsOpenTheirSections()
    {
        QStringList sections;
        SetHelpOpener([&sections](const QUrl& url) {
            sections << url.fragment();
            return true;
        });
        app->SetLanguage(kLangFrench, false);

        CTransferCommands transfers(app->Document(), ui);
        transfers.SetDialogRunner(PressHelp);
        transfers.PortSettings();
        transfers.Ui().AskCallListRange({});

        frame->View()->SetDialogRunner([](QDialog& dialog) { return PressHelp(dialog) == QDialog::Accepted; });
        frame->View()->OnSelection();

        QCOMPARE(sections, (QStringList { QStringLiteral("port"), QStringLiteral("calllist"),
                                          QStringLiteral("selection") }));
        QVERIFY(ui.shown.empty());
    }
};

QTEST_MAIN(AppPrintTest)
#include "tst_print.moc"
