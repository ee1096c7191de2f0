// The file commands in the desktop program: the open and save dialogs of the
// import and export with their filter lists, the export's format by the
// chosen filter, the whole import through its dialogs (Cancel in the mode
// question leaves the cards as they were), and the commands carried out
// from the main frame with reception held back while they run.

#include "../support/ScriptedUi.h"

#include "app/Application.h"
#include "app/FileCommands.h"
#include "text/Language.h"
#include "app/MainFrame.h"
#include "app/QtUserInterface.h"
#include "settings/Settings.h"
#include "device/ReceptionBlocked.h"
#include "model/Document.h"
#include "text/Menus.h"
#include "text/MessageIds.h"
#include "support/ModalTestSupport.h"
#include "view/HistoryDlg.h"
#include "model/History.h"

#include <QDir>
#include <QListWidget>
#include <QTreeWidget>
#include "view/ImportDlg.h"
#include "view/ImportModeDlg.h"
#include "view/PcxView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <iterator>
#include <memory>

using namespace velkaro;

namespace {

std::string ReadBytes(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const QString& path, const std::string& bytes)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << bytes;
}

QStringList Names(const CCardList& cards)
{
    QStringList names;
    for (int i = 0; i < cards.Count(); ++i)
        names << QString::fromLatin1(std::string(cards.At(i)->GetLine(0)).c_str());
    return names;
}

void AddCard(CCardList& cards, const char* name, const char* number)
{
    auto card = std::make_unique<CKarte>();
    card->SetLine(0, name);
    card->SetLine(1, number);
    cards.InsertSorted(std::move(card), false);
}

// Chooses path in a file dialog. The dialog reads its folder in the
// background and may put its own text into the name field meanwhile, so the
// choice is made again until the dialog takes it.
void ChooseInFileDialog(QFileDialog* dialog, const QString& path, int filterIndex = 0, int attempts = 50)
{
    if (filterIndex > 0) {
        // As the user does it: through the file type box.
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types);
        if (types->currentIndex() != filterIndex - 1) {
            types->setCurrentIndex(filterIndex - 1);
            emit types->activated(filterIndex - 1);
            emit types->textActivated(types->currentText());
        }
        QCOMPARE(dialog->selectedNameFilter(), dialog->nameFilters()[filterIndex - 1]);
    }
    dialog->selectFile(path);
    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(QFileInfo(path).fileName());
    static_cast<QDialog*>(dialog)->accept();
    if (dialog->isVisible() && attempts > 0) {
        QPointer<QFileDialog> guard(dialog);
        QTimer::singleShot(50, [guard, path, filterIndex, attempts] {
            if (guard && guard->isVisible())
                ChooseInFileDialog(guard, path, filterIndex, attempts - 1);
        });
    }
}

// A scripted interface that also notes whether reception was held back
// whenever the flow asked something.
struct WatchingUi : test::ScriptedUi {
    std::vector<int32_t> blockedAtMessage;
    std::vector<int32_t> blockedAtFile;
    MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon icon) override
    {
        blockedAtMessage.push_back(ReceptionBlocked);
        return ScriptedUi::Message(text, buttons, icon);
    }
    std::optional<std::string> ChooseFile(FileRequest& request) override
    {
        blockedAtFile.push_back(ReceptionBlocked);
        return ScriptedUi::ChooseFile(request);
    }
    std::optional<int> ChooseImportMode(int current) override
    {
        modesAsked.push_back(current);
        return modeAnswer;
    }
    std::vector<int> modesAsked;
    std::optional<int> modeAnswer = 1;
};

// The main frame over the program and the settings given, shown, with the
// scripted interface.
struct ShownFrame {
    explicit ShownFrame(CSettings& settings)
        : app(settings)
        , frame(WithUi(app, ui))
    {
        frame.show();
    }
    static CPcxApp& WithUi(CPcxApp& app, IUserInterface& ui)
    {
        app.SetUserInterface(&ui);
        return app;
    }

    CPcxApp app;
    WatchingUi ui;
    CMainFrame frame;
};

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetLanguageOffset(kLangGerman);
    }

    void importOpenDialogOffersTheReadableFormats()
    {
        QtUserInterface ui;
        ui.SetUseNativeDialogs(false);
        CPcxDoc doc;
        CSettings settings;
        QStringList filters;
        QString selected;
        int32_t blocked = -1;
        test::OnModal<QFileDialog>([&](QFileDialog* dialog) {
            filters = dialog->nameFilters();
            selected = dialog->selectedNameFilter();
            blocked = ReceptionBlocked;
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
            QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
            QCOMPARE(dialog->defaultSuffix(), QStringLiteral("xls"));
            dialog->reject();
        });
        ImportOutcome outcome = ImportCommand(doc, ui, settings, false);
        QVERIFY(!outcome.imported);
        QCOMPARE(filters, QStringList({ QStringLiteral("Excel-Dateien (*.xls)"),
                                        QStringLiteral("Komma-getrennt-Dateien (*.csv)"),
                                        QStringLiteral("Tab-getrennt-Dateien (*.txt *.tab)"),
                                        QStringLiteral("Excel-Dateien (*.xlsx)"),
                                        QStringLiteral("OpenDocument-Dateien (*.ods)"),
                                        QStringLiteral("vCard-Dateien (*.vcf)"),
                                        QStringLiteral("Alle Dateien (*.*)") }));
        QCOMPARE(selected, filters.front());
        QCOMPARE(blocked, 1);
        QCOMPARE(ReceptionBlocked, 0);
    }

    // A file named like markup is shown as its name, never rendered.
    void messagesShowFileNamesAsPlainText()
    {
        QtUserInterface ui;
        const std::string name = "<h1 style=\"color:red\">FAKE: backup verified OK<!--.vlx";
        Qt::TextFormat format = Qt::RichText;
        QString shown;
        test::OnModal<QMessageBox>([&](QMessageBox* box) {
            format = box->textFormat();
            shown = box->text();
            box->accept();
        });
        ui.Message(name + ": " + Text(msg::UnknownFileFormat), MsgButtons::Ok, MsgIcon::Error);
        QCOMPARE(format, Qt::PlainText);
        QVERIFY(shown.startsWith(QString::fromStdString(name)));
    }

    void fileDialogsStartInDocumentsThenWhereTheLastEnded()
    {
        const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QVERIFY(QDir().mkpath(docs));
        QtUserInterface ui;
        ui.SetUseNativeDialogs(false);
        CPcxDoc doc;
        AddCard(doc.Cards(), "Meier", "0301");

        QString firstDir;
        test::OnModal<QFileDialog>([&](QFileDialog* dialog) {
            firstDir = dialog->directory().absolutePath();
            ChooseInFileDialog(dialog, Path("first.xls"), 1);
            test::OnModal<QMessageBox>([](QMessageBox* box) { box->accept(); });
        });
        QVERIFY(ExportCommand(doc, ui, nullptr, false).written);
        QCOMPARE(firstDir, QDir(docs).absolutePath());

        QString secondDir;
        test::OnModal<QFileDialog>([&](QFileDialog* dialog) {
            secondDir = dialog->directory().absolutePath();
            dialog->reject();
        });
        QVERIFY(!ExportCommand(doc, ui, nullptr, false).written);
        QCOMPARE(secondDir, QDir(m_dir.path()).absolutePath());
    }

    void exportFilterIndexWinsOverTheTypedExtension()
    {
        QtUserInterface ui;
        ui.SetUseNativeDialogs(false);
        CPcxDoc doc;
        AddCard(doc.Cards(), "Meier", "0301");
        AddCard(doc.Cards(), "Albers", "089");

        // The spreadsheet filter with a name ending in .csv: a spreadsheet.
        const QString sheet = Path("typed.csv");
        QStringList filters;
        QString message;
        test::OnModal<QFileDialog>([&](QFileDialog* dialog) {
            filters = dialog->nameFilters();
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
            ChooseInFileDialog(dialog, sheet, 1);
            test::OnModal<QMessageBox>([&](QMessageBox* box) {
                message = box->text();
                QCOMPARE(box->icon(), QMessageBox::Information);
                box->accept();
            });
        });
        ExportOutcome outcome = ExportCommand(doc, ui, nullptr, false);
        QCOMPARE(filters.size(), 5);
        QCOMPARE(filters[2], QStringLiteral("Tab-getrennt-Dateien (*.txt *.tab)"));
        QCOMPARE(filters[3], QStringLiteral("vCard-Dateien (*.vcf)"));
        QCOMPARE(filters[4], QStringLiteral("CSV UTF-8-Dateien (*.csv)"));
        QVERIFY(outcome.written);
        QCOMPARE(outcome.count, 2);
        const std::string bytes = ReadBytes(sheet);
        QCOMPARE(bytes.substr(0, 8), std::string("\x09\x00\x04\x00\x07\x00\x10\x00", 8));  // BOF of a worksheet
        QCOMPARE(message, QStringLiteral("Alle 2 Karten gespeichert in Datei\n") + sheet);

        // The export through the real dialogs: the file and the filter
        // chosen, the success message answered.
        auto ExportAs = [&](const QString& path, int filter) {
            test::OnModal<QFileDialog>([&](QFileDialog* dialog) {
                ChooseInFileDialog(dialog, path, filter);
                test::OnModal<QMessageBox>([](QMessageBox* box) { box->accept(); });
            });
            return ExportCommand(doc, ui, nullptr, false);
        };

        // The semicolon filter with a name ending in .xls: quoted text.
        const QString text = Path("typed.xls");
        outcome = ExportAs(text, 2);
        QVERIFY(outcome.written);
        const std::string csv = ReadBytes(text);
        QCOMPARE(csv.substr(0, 18), std::string("\"Name\";\"Telefon\";\""));
        QVERIFY(csv.find("\r\n\"Albers\";\"089\";\"\"") != std::string::npos);

        // A name typed without an extension takes the chosen type's.
        const QString bare = Path("bare");
        outcome = ExportAs(bare, 3);
        QVERIFY(outcome.written);
        QCOMPARE(QString::fromStdString(outcome.path), bare + QStringLiteral(".txt"));
        QVERIFY(ReadBytes(bare + QStringLiteral(".txt")).find("Meier\t0301\t") != std::string::npos);

        // The vCard and the CSV UTF-8 filters.
        const QString cards = Path("cards");
        outcome = ExportAs(cards, 4);
        QVERIFY(outcome.written);
        QCOMPARE(QString::fromStdString(outcome.path), cards + QStringLiteral(".vcf"));
        QVERIFY(ReadBytes(cards + QStringLiteral(".vcf")).find("FN;X-VELKARO-LINE=0:Albers\r\n") != std::string::npos);
        const QString utf8 = Path("utf8.csv");
        outcome = ExportAs(utf8, 5);
        QVERIFY(outcome.written);
        QCOMPARE(ReadBytes(utf8).substr(0, 19), std::string("\xEF\xBB\xBFName,Telefon,Zei"));
        QCOMPARE(ReceptionBlocked, 0);
    }

    void cancelInTheModeQuestionLeavesTheCards()
    {
        const QString file = Path("addresses.csv");
        WriteBytes(file, "Name;Telefon\r\nMeier;0301\r\nAlbers;089\r\n");
        CSettings settings;
        settings.SetDeleteOldCardsOnImport(2);
        settings.SetImportWithoutFirstLine(0);
        QtUserInterface ui;
        ui.SetUseNativeDialogs(false);
        CPcxDoc doc;
        AddCard(doc.Cards(), "Zorn", "1");
        AddCard(doc.Cards(), "Albers", "2");
        const QStringList before = Names(doc.Cards());

        QList<int> assigned;
        int presetMode = -1;
        bool messageShown = false;
        test::OnModal<QFileDialog>([&](QFileDialog* dialog) {
            ChooseInFileDialog(dialog, file, 2);
        });
        test::OnModal<CImportDlg>([&](CImportDlg* dialog) {
            for (int i = 0; i < dialog->AssignPage()->ComboCount(); ++i)
                assigned << dialog->AssignPage()->Combo(i)->currentIndex();
            dialog->SettingsPage()->SkipFirstBox()->setChecked(true);
            dialog->OkButton()->click();
        });
        test::OnModal<CImportModeDlg>([&](CImportModeDlg* dialog) {
            presetMode = dialog->Mode();
            dialog->ModeButton(0)->click();
            dialog->CancelButton()->click();
            test::OnModal<QMessageBox>(
                [&](QMessageBox* box) {
                    messageShown = true;
                    box->accept();
                },
                500);
        });
        ImportOutcome outcome = ImportCommand(doc, ui, settings, false);
        QTest::qWait(600);
        QVERIFY(!outcome.imported);
        QCOMPARE(assigned, QList<int>({ 1, 2 }));
        QCOMPARE(presetMode, 2);
        QVERIFY(!messageShown);
        QCOMPARE(Names(doc.Cards()), before);
        QCOMPARE(doc.Cards().At(0)->GetLine(1), std::string("2"));
        // The options were taken at OK in the import dialog; the mode stays.
        QCOMPARE(settings.ImportWithoutFirstLine(), 1);
        QCOMPARE(settings.DeleteOldCardsOnImport(), 2);
    }

    void aWholeImportThroughTheDialogs()
    {
        const QString file = Path("more.csv");
        WriteBytes(file, "Name;Telefon\r\nMeier;+49 (0)30 1234567\r\nAlbers;089\r\n");
        CSettings settings;
        settings.SetDeleteOldCardsOnImport(0);
        settings.SetImportWithoutFirstLine(1);
        settings.SetImportDialable(0);
        settings.SetHomeCountry("DE");
        settings.SetOutsideLinePrefix("");
        QtUserInterface ui;
        ui.SetUseNativeDialogs(false);
        CPcxDoc doc;
        AddCard(doc.Cards(), "Albers", "+49 89 1234567");

        bool skipPreset = false;
        bool dialablePreset = true;
        QString message;
        test::OnModal<QFileDialog>([&](QFileDialog* dialog) {
            ChooseInFileDialog(dialog, file);
        });
        test::OnModal<CImportDlg>([&](CImportDlg* dialog) {
            skipPreset = dialog->SettingsPage()->SkipFirstBox()->isChecked();
            dialablePreset = dialog->SettingsPage()->DialableBox()->isChecked();
            dialog->SettingsPage()->DialableBox()->setChecked(true);
            dialog->OkButton()->click();
        });
        test::OnModal<CImportModeDlg>([&](CImportModeDlg* dialog) {
            dialog->ModeButton(1)->click();
            dialog->OkButton()->click();
            test::OnModal<QMessageBox>([&](QMessageBox* box) {
                message = box->text();
                box->accept();
            });
        });
        ImportOutcome outcome = ImportCommand(doc, ui, settings, false);
        QVERIFY(outcome.imported);
        QVERIFY(skipPreset);
        QCOMPARE(outcome.count, 2);
        QCOMPARE(message, QStringLiteral("2 Karten geladen aus Datei\n") + file);
        QCOMPARE(doc.Cards().Count(), 3);
        QCOMPARE(settings.DeleteOldCardsOnImport(), 1);
        QCOMPARE(ReceptionBlocked, 0);
        // The new cards' numbers only, as the telephone dials them in Germany.
        QVERIFY(!dialablePreset);
        QCOMPARE(settings.ImportDialable(), 1);
        QCOMPARE(doc.Cards().At(doc.Cards().FindName("Meier").index)->GetLine(1), std::string("0301234567"));
        QCOMPARE(doc.Cards().At(0)->GetLine(1), std::string("+49 89 1234567"));
    }

    void makingNumbersDialableIsOneStepThatUndoTakesBack()
    {
        SetLanguageOffset(kLangGerman);
        CSettings settings;
        settings.SetHomeCountry("DE");
        settings.SetOutsideLinePrefix("0");
        ShownFrame shown(settings);
        CPcxApp& app = shown.app;
        WatchingUi& ui = shown.ui;
        CMainFrame& frame = shown.frame;
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.UpdateCommandUI();
        QVERIFY(!frame.CommandAction(cmd::MakeDialable)->isEnabled());
        QCOMPARE(frame.CommandAction(cmd::MakeDialable)->text(), QStringLiteral("Nu&mmern w\u00e4hlbar machen"));

        CPcxDoc& doc = app.Document();
        auto structure = std::make_unique<CKarte>();
        structure->SetLine(0, ReservedName());
        structure->SetLine(2, "Ort");
        structure->SetLine(3, "Mobil");
        doc.Cards().SetFieldNames(std::move(structure));
        const std::vector<std::string> lines = { "Meier", "+49 (0)30 1234567", "10115 Berlin", "+49 171 1234567" };
        auto meier = std::make_unique<CKarte>();
        for (int i = 0; i < 4; ++i)
            meier->SetLine(i, lines[static_cast<std::size_t>(i)]);
        doc.Cards().InsertSorted(std::move(meier), false);
        AddCard(doc.Cards(), "Albers", "23");
        doc.UpdateAllViews(UpdateHint::All);
        frame.UpdateCommandUI();
        QVERIFY(frame.CommandAction(cmd::MakeDialable)->isEnabled());

        frame.Dispatch(cmd::MakeDialable);
        QCOMPARE(ui.LastText(), FormatText(msg::NumbersMadeDialable, 2));
        const CKarte* card = doc.Cards().At(1);
        QCOMPARE(card->GetLine(1), std::string("00301234567"));
        QCOMPARE(card->GetLine(2), std::string("10115 Berlin"));
        QCOMPARE(card->GetLine(3), std::string("001711234567"));
        QVERIFY(card->IsEdited());
        QCOMPARE(doc.Cards().At(0)->GetLine(1), std::string("23"));  // an internal number
        QCOMPARE(doc.UndoLabel(), Text(msg::StepMakeDialable));

        frame.Dispatch(cmd::MakeDialable);
        QCOMPARE(ui.LastText(), Text(msg::NumbersAlreadyDialable));
        frame.Dispatch(cmd::Undo);
        QVERIFY(!doc.CanUndo());
        for (int i = 1; i < 4; ++i)
            QCOMPARE(doc.Cards().At(1)->GetLine(i), lines[static_cast<std::size_t>(i)]);
        QVERIFY(!doc.Cards().At(1)->IsEdited());

        // Without a home country nothing is guessed.
        const bool localeSet = qEnvironmentVariableIsSet("LC_ALL");
        const QByteArray locale = qgetenv("LC_ALL");
        settings.SetHomeCountry("");
        qputenv("LC_ALL", "C");
        frame.Dispatch(cmd::MakeDialable);
        if (localeSet)
            qputenv("LC_ALL", locale);
        else
            qunsetenv("LC_ALL");
        QCOMPARE(ui.LastText(), Text(msg::HomeCountryUnknown));
        QCOMPARE(doc.Cards().At(1)->GetLine(1), lines[1]);
    }

    void anEarlierStateIsChosenInTheDialogAndComesBack()
    {
        SetLanguageOffset(kLangGerman);
        CSettings settings;
        ShownFrame shown(settings);
        CPcxApp& app = shown.app;
        WatchingUi& ui = shown.ui;
        CMainFrame& frame = shown.frame;
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        CPcxDoc& doc = app.Document();
        const std::string working = Path("history/Velkaro_Desktop.itx").toStdString();
        QVERIFY(QDir().mkpath(Path("history")));
        doc.SetWorkingPath(working);
        AddCard(doc.Cards(), "Meier", "0301");
        AddCard(doc.Cards(), "Albers", "089");
        QVERIFY(doc.AutoSave(false));

        frame.Dispatch(cmd::RestoreHistory);
        QCOMPARE(ui.LastText(), Text(msg::HistoryEmpty));

        ui.answers.push_back(MsgAnswer::Ok);
        frame.Dispatch(cmd::DeleteAllCards);
        QCOMPARE(doc.Cards().Count(), 0);

        int rows = -1;
        QStringList names;
        test::OnModal<CHistoryDlg>([&](CHistoryDlg* dialog) {
            rows = dialog->List()->topLevelItemCount();
            for (int i = 0; i < dialog->Cards()->count(); ++i)
                names << dialog->Cards()->item(i)->text();
            dialog->accept();
        });
        frame.Dispatch(cmd::RestoreHistory);
        QCOMPARE(rows, 1);
        QCOMPARE(names, (QStringList { "Albers", "Meier" }));
        QCOMPARE(doc.Cards().Count(), 2);
        CCardList written;
        QVERIFY(static_cast<bool>(LoadCardFile(working, written)));
        QCOMPARE(written.Count(), 2);
        QCOMPARE(doc.UndoLabel(), Text(msg::StepRestore));
        // An empty state holds nothing to keep; the undo takes it back.
        QCOMPARE(ListHistory(working).size(), std::size_t(1));
        frame.Dispatch(cmd::Undo);
        QCOMPARE(doc.Cards().Count(), 0);
    }

    void theFrameCarriesOutTheCommands()
    {
        SetLanguageOffset(kLangGerman);
        CSettings settings;
        settings.SetImportWithoutFirstLine(0);
        ShownFrame shown(settings);
        CPcxApp& app = shown.app;
        WatchingUi& ui = shown.ui;
        CMainFrame& frame = shown.frame;
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        CCardList& cards = app.Document().Cards();
        AddCard(cards, "Meier", "0301");
        AddCard(cards, "Albers", "089");
        app.Document().UpdateAllViews(UpdateHint::All);
        frame.UpdateCommandUI();

        // Save a backup.
        const QString backup = Path("cards.vlx");
        ui.files.push_back(backup.toStdString());
        frame.Dispatch(cmd::SaveBackup);
        QCOMPARE(ui.fileRequests.back().filter, std::string("Velkaro Desktop-Dateien (*.vlx)|*.vlx|"));
        QCOMPARE(ui.LastText(), FormatText(msg::AllCardsSavedInFile, 2, "", backup.toStdString().c_str()));
        QCOMPARE(ReadBytes(backup).substr(0, 9), std::string("\x12\x0C\x04\x21\x19\x02\x61\x00\x0C", 9));

        // Export through the frame: the view's selection asks first.
        frame.View()->Selection().SetSearchText("mei");
        frame.View()->Selection().Start(false);
        const QString exported = Path("selected.txt");
        ui.answers.push_back(MsgAnswer::Ok);
        ui.files.push_back(exported.toStdString());
        ui.filterIndexes.push_back(3);
        frame.Dispatch(cmd::Export);
        QCOMPARE(ui.shown[ui.shown.size() - 2].text, FormatText(msg::SelectionConfirm, Text(msg::VerbExported).c_str()));
        QCOMPARE(ui.LastText(), FormatText(msg::AllCardsSavedInFile, 1, "selektierten ", exported.toStdString().c_str()));
        QVERIFY(ReadBytes(exported).find("Meier\t0301\t") != std::string::npos);
        QVERIFY(ReadBytes(exported).find("Albers") == std::string::npos);
        frame.View()->Selection().End();

        // Delete all cards, then load the backup.
        ui.answers.push_back(MsgAnswer::Ok);
        frame.Dispatch(cmd::DeleteAllCards);
        QCOMPARE(ui.LastText(), Text(msg::ConfirmDeleteAllCards));
        QCOMPARE(cards.Count(), 0);
        QVERIFY(!frame.CommandAction(cmd::SaveBackup)->isEnabled());

        ui.files.push_back(backup.toStdString());
        frame.Dispatch(cmd::LoadBackup);  // no cards: no question
        QCOMPARE(ui.LastText(), FormatText(msg::CardsLoadedFromFile, 2, backup.toStdString().c_str()));
        QCOMPARE(app.Document().Cards().Count(), 2);
        QVERIFY(frame.CommandAction(cmd::SaveBackup)->isEnabled());

        // Import: the mode question comes, since there are cards.
        const QString file = Path("one.csv");
        WriteBytes(file, "Name;Telefon\r\nZorn;77\r\n");
        ui.files.push_back(file.toStdString());
        ui.modeAnswer = 1;
        frame.Dispatch(cmd::Import);
        QCOMPARE(ui.LastText(), FormatText(msg::CardsLoadedFromFile, 1, file.toStdString().c_str()));
        QCOMPARE(app.Document().Cards().Count(), 3);  // the headings are no card
        QCOMPARE(ui.modesAsked.size(), std::size_t(1));

        // Every question and file choice came while reception was held back.
        for (int32_t blocked : ui.blockedAtMessage)
            QCOMPARE(blocked, 1);
        for (int32_t blocked : ui.blockedAtFile)
            QCOMPARE(blocked, 1);
        QCOMPARE(ReceptionBlocked, 0);
        frame.close();
    }
};

QTEST_MAIN(FileCommandsTest)
#include "tst_filecommands.moc"
