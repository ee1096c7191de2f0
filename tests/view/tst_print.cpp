// Printing the card list into PDF files, read back with pdftotext: the lines
// of each page, the page breaks, the heading, field names, the selection
// question, the print range; the preview's pages and the reception lock.

#include "text/Language.h"
#include "device/ReceptionBlocked.h"
#include "model/Document.h"
#include "model/Selection.h"
#include "text/MessageIds.h"
#include "tests/support/ScriptedUi.h"
#include "view/Printing.h"

#include <QDialog>
#include <QFileInfo>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace velkaro;

class PrintTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<CPcxDoc> doc;
    std::unique_ptr<CSelection> selection;
    std::unique_ptr<test::ScriptedUi> ui;
    std::unique_ptr<CPrinting> printing;
    int structureActive = 0;
    int dialogs = 0;
    int blockedInDialog = -1;
    std::function<void(QDialog&)> inDialog;

    CKarte& AddCard(const std::string& name, const std::string& number,
                    std::vector<std::pair<int, std::string>> lines = {})
    {
        auto card = std::make_unique<CKarte>();
        card->SetLine(0, name);
        card->SetLine(1, number);
        for (auto& [index, text] : lines)
            card->SetLine(index, text);
        CKarte* raw = card.get();
        doc->Cards().InsertSorted(std::move(card), false);
        return *raw;
    }

    QString PdfPath(const QString& name) const { return dir->filePath(name + QStringLiteral(".pdf")); }

    void PrintTo(const QString& path)
    {
        printing->Printer().setOutputFormat(QPrinter::PdfFormat);
        printing->Printer().setOutputFileName(path);
        printing->Print(nullptr);
        // Kept for a look by eye when asked for.
        if (qEnvironmentVariableIsSet("VELKARO_PICTURES") && QFile::exists(path))
            QFile::copy(path, qEnvironmentVariable("VELKARO_PICTURES") + QStringLiteral("/print_")
                            + QFileInfo(path).fileName());
    }

    // The pages of a PDF as pdftotext sees them, each a list of its lines
    // that are not blank, with each run of blanks made one.
    static QList<QStringList> PdfPages(const QString& path)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), path, QStringLiteral("-") });
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            return {};
        QString text = QString::fromUtf8(p.readAllStandardOutput());
        QStringList pages = text.split(QChar('\f'));
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
            pages.removeLast();
        QList<QStringList> result;
        for (const QString& page : pages) {
            QStringList lines;
            for (const QString& line : page.split(QChar('\n')))
                if (!line.trimmed().isEmpty())
                    lines << line.simplified();
            result << lines;
        }
        return result;
    }

    // What the layout says a page holds, as pdftotext should read it.
    QStringList ExpectedLines(const CPrintJob& job, int page) const
    {
        QStringList lines;
        lines << QStringLiteral("%1 %2").arg(QString::fromLatin1(job.Heading().c_str()), QStringLiteral("Seite %1").arg(page));
        for (const PrintRow& row : job.PageRows(page)) {
            const CKarte* card = job.Cards()[static_cast<std::size_t>(row.card)];
            if (row.line == 0)
                lines << QStringLiteral("%1 %2").arg(QString::fromLatin1(std::string(card->GetLine(0)).c_str()),
                                                      QString::fromLatin1(std::string(card->GetLine(1)).c_str()));
            else if (row.line != PrintRow::kBlank)
                lines << QString::fromLatin1(std::string(card->GetLine(row.line)).c_str());
        }
        return lines;
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
    }

    void init()
    {
        SetLanguageOffset(kLangGerman);
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        doc = std::make_unique<CPcxDoc>();
        selection = std::make_unique<CSelection>();
        ui = std::make_unique<test::ScriptedUi>();
        structureActive = 0;
        dialogs = 0;
        blockedInDialog = -1;
        inDialog = {};
        printing = std::make_unique<CPrinting>(*doc, *selection, *ui, [this] { return structureActive; });
        printing->SetClock([] { return QDateTime(QDate(2024, 3, 5), QTime(9, 7)); });
        printing->Printer().setPageSize(QPageSize(QPageSize::A4));
        printing->SetDialogRunner([this](QDialog& dialog) {
            ++dialogs;
            blockedInDialog = ReceptionBlocked;
            if (inDialog)
                inDialog(dialog);
            return int(QDialog::Accepted);
        });
    }

    void cleanup()
    {
        printing.reset();
        doc.reset();
    }

    void pagesHoldTheLinesOfTheLayout()
    {
        for (int i = 0; i < 40; ++i)
            AddCard("KARTE " + std::to_string(100 + i), "0301 55" + std::to_string(i),
                    { { 2, "Strasse " + std::to_string(i) }, { 4, "Ort " + std::to_string(i) } });
        AddCard("M\xDCLLER", "089 1", { { 3, "Stra\xDF" "e" } });
        const QString path = PdfPath(QStringLiteral("all"));
        PrintTo(path);
        QCOMPARE(dialogs, 1);
        QCOMPARE(blockedInDialog, 1);
        QCOMPARE(ReceptionBlocked, 0);
        QVERIFY(ui->shown.empty());

        const std::unique_ptr<CPrintJob> job = printing->BeginPrinting(printing->Printer());
        QVERIFY(job->PageCount() >= 2);
        const QList<QStringList> pages = PdfPages(path);
        QCOMPARE(pages.size(), job->PageCount());
        for (int page = 1; page <= job->PageCount(); ++page)
            QCOMPARE(pages[page - 1], ExpectedLines(*job, page));
        QCOMPARE(pages[0][0], QStringLiteral("Karten im Velkaro R4, ausgedruckt am 5.3.2024, 09:07 Seite 1"));
        QVERIFY(pages.last().contains(QStringLiteral("MÜLLER 089 1")));
        QVERIFY(pages.last().contains(QStringLiteral("Straße")));
    }

    void fieldNamesOnlyWhileTheStructureIsActive()
    {
        AddCard("ANNA", "1", { { 2, "Velkaro GmbH" }, { 3, "Hauptstrasse 1" } });
        auto names = std::make_unique<CKarte>();
        names->SetLine(0, ReservedName());
        names->SetLine(2, "Firma");
        doc->Cards().SetFieldNames(std::move(names));

        PrintTo(PdfPath(QStringLiteral("off")));
        QList<QStringList> pages = PdfPages(PdfPath(QStringLiteral("off")));
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages[0].mid(1), (QStringList { "ANNA 1", "Velkaro GmbH", "Hauptstrasse 1" }));

        structureActive = 1;
        PrintTo(PdfPath(QStringLiteral("on")));
        pages = PdfPages(PdfPath(QStringLiteral("on")));
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages[0].mid(1), (QStringList { "ANNA 1", "Firma: Velkaro GmbH", "Hauptstrasse 1" }));
    }

    void selectionAsksAndPrintsOnlyItsCards()
    {
        AddCard("MEIER", "1");
        AddCard("SCHMIDT", "2", { { 2, "bei Meier" } });
        AddCard("WEBER", "3");
        selection->SetSearchText("mei");
        selection->Start(true);

        ui->answers.push_back(MsgAnswer::Cancel);
        PrintTo(PdfPath(QStringLiteral("cancel")));
        QCOMPARE(ui->shown.size(), std::size_t(1));
        QCOMPARE(QString::fromLatin1(ui->shown[0].text.c_str()),
                 QStringLiteral("Selektion eingeschaltet:\nEs werden nur die selektierten Karten gedruckt."));
        QCOMPARE(dialogs, 0);
        QVERIFY(!QFile::exists(PdfPath(QStringLiteral("cancel"))));

        ui->answers.push_back(MsgAnswer::Ok);
        PrintTo(PdfPath(QStringLiteral("ok")));
        const QList<QStringList> pages = PdfPages(PdfPath(QStringLiteral("ok")));
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages[0].mid(1), (QStringList { "MEIER 1", "SCHMIDT 2", "bei Meier" }));

        // An empty selection text passes every card and asks nothing.
        selection->SetSearchText("");
        ui->shown.clear();
        PrintTo(PdfPath(QStringLiteral("empty")));
        QVERIFY(ui->shown.empty());
        QCOMPARE(PdfPages(PdfPath(QStringLiteral("empty")))[0].size(), 5);
    }

    void printRangeChosenInTheDialog()
    {
        for (int i = 0; i < 3; ++i)
            AddCard("KARTE " + std::to_string(i), std::to_string(i));
        // Paper ten lines high: one line per page, each card on its own page.
        printing->Printer().setPageSize(QPageSize(QSizeF(210, 40), QPageSize::Millimeter));
        printing->Printer().setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        inDialog = [this](QDialog&) {
            printing->Printer().setPrintRange(QPrinter::PageRange);
            printing->Printer().setFromTo(2, 3);
        };
        PrintTo(PdfPath(QStringLiteral("range")));
        const QList<QStringList> pages = PdfPages(PdfPath(QStringLiteral("range")));
        QCOMPARE(pages.size(), 2);
        QVERIFY(pages[0][0].endsWith(QStringLiteral("Seite 2")));
        QCOMPARE(pages[0][1], QStringLiteral("KARTE 1 1"));
        QVERIFY(pages[1][0].endsWith(QStringLiteral("Seite 3")));

        // The next run offers all pages again.
        inDialog = {};
        PrintTo(PdfPath(QStringLiteral("again")));
        QCOMPARE(PdfPages(PdfPath(QStringLiteral("again"))).size(), 3);
    }

    void aCardLongerThanThePageGoesOn()
    {
        std::vector<std::pair<int, std::string>> lines;
        for (int i = 2; i < 32; ++i)
            lines.push_back({ i, "Zeile " + std::to_string(i - 1) });
        AddCard("LANG", "1", lines);
        // 100 mm high: 100 / 4 - 9 lines per page, fewer than the card's 31.
        printing->Printer().setPageSize(QPageSize(QSizeF(210, 100), QPageSize::Millimeter));
        printing->Printer().setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        PrintTo(PdfPath(QStringLiteral("long")));
        const QList<QStringList> pages = PdfPages(PdfPath(QStringLiteral("long")));
        QVERIFY(pages.size() >= 2);
        QStringList all;
        for (const QStringList& page : pages)
            all << page.mid(1);
        QCOMPARE(all.size(), 31);
        QCOMPARE(all.first(), QStringLiteral("LANG 1"));
        QCOMPARE(all.last(), QStringLiteral("Zeile 30"));
    }

    void noCardsNoPrintDialog()
    {
        PrintTo(PdfPath(QStringLiteral("none")));
        QCOMPARE(dialogs, 0);
        QCOMPARE(ui->shown.size(), std::size_t(1));
        QCOMPARE(ui->shown[0].text, Text(msg::NoCardsAvailable));
        QVERIFY(!QFile::exists(PdfPath(QStringLiteral("none"))));

        printing->PrintPreview(nullptr);
        QCOMPARE(dialogs, 0);
    }

    void anUnwritableFileIsReported()
    {
        AddCard("ANNA", "1");
        PrintTo(dir->filePath(QStringLiteral("missing/folder/out.pdf")));
        QCOMPARE(ui->shown.size(), std::size_t(1));
        QCOMPARE(ui->shown[0].text, Text(msg::PrintJobFailed));
        QCOMPARE(ui->shown[0].icon, MsgIcon::Error);
    }

    void previewShowsEveryPage()
    {
        for (int i = 0; i < 40; ++i)
            AddCard("KARTE " + std::to_string(100 + i), "0301 55" + std::to_string(i),
                    { { 2, "Strasse " + std::to_string(i) }, { 4, "Ort " + std::to_string(i) } });
        printing->Printer().setOutputFormat(QPrinter::PdfFormat);
        printing->Printer().setPrintRange(QPrinter::PageRange);
        printing->Printer().setFromTo(2, 2);
        int previewPages = -1;
        inDialog = [&](QDialog& dialog) {
            QVERIFY(qobject_cast<QPrintPreviewDialog*>(&dialog));
            dialog.resize(900, 700);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            auto* widget = dialog.findChild<QPrintPreviewWidget*>();
            QVERIFY(widget);
            QTRY_VERIFY(widget->pageCount() > 0);
            previewPages = widget->pageCount();
            if (qEnvironmentVariableIsSet("VELKARO_PICTURES"))
                dialog.grab().save(qEnvironmentVariable("VELKARO_PICTURES") + QStringLiteral("/print_preview.png"));
            dialog.reject();
        };
        printing->PrintPreview(nullptr);
        QCOMPARE(dialogs, 1);
        QCOMPARE(blockedInDialog, 1);
        QCOMPARE(ReceptionBlocked, 0);
        QCOMPARE(previewPages, printing->BeginPrinting(printing->Printer())->PageCount());
    }

    void setupRunsWithReceptionBlocked()
    {
        printing->PrintSetup(nullptr);
        QCOMPARE(dialogs, 1);
        QCOMPARE(blockedInDialog, 1);
        QCOMPARE(ReceptionBlocked, 0);
    }
};

QTEST_MAIN(PrintTest)
#include "tst_print.moc"
