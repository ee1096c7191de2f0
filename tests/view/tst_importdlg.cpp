// The import dialog with its real widgets: the automatic assignment, the
// combo boxes and their pictures, "Alle löschen" and "Standard", loading and
// saving configuration files, the name-line question, the placement and the
// layout rule.

#include "text/Language.h"
#include "settings/Settings.h"
#include "exchange/ImportConfig.h"
#include "exchange/ImportTable.h"
#include "model/Karte.h"
#include "text/MessageIds.h"
#include "tests/support/ScriptedUi.h"
#include "support/ModalTestSupport.h"
#include "view/ImportDlg.h"
#include "view/ImportModeDlg.h"
#include "view/SheetChoiceDlg.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <iterator>

using namespace velkaro;

namespace {

CImportTable Table(std::initializer_list<std::initializer_list<const char*>> records)
{
    CImportTable table;
    int r = 0;
    for (const auto& record : records) {
        int c = 0;
        for (const char* field : record)
            table.SetField(field, r, c++);
        ++r;
    }
    return table;
}

std::string ReadBytes(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

QString PictureDir()
{
    QString dir = qEnvironmentVariable("VELKARO_PICTURE_DIR", QStringLiteral(VELKARO_BINARY_DIR "/view-pictures"));
    QDir().mkpath(dir);
    return dir;
}

// Every item's picture in one combo box.
QList<int> Pictures(QComboBox* combo)
{
    QList<int> out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemData(i, CFieldAssignPageWnd::kPictureRole).toInt();
    return out;
}

QList<int> Items(CFieldAssignPageWnd* page)
{
    QList<int> out;
    for (int i = 0; i < page->ComboCount(); ++i)
        out << page->Combo(i)->currentIndex();
    return out;
}

constexpr int kNone = static_cast<int>(AssignPicture::None);
constexpr int kAssigned = static_cast<int>(AssignPicture::Assigned);
constexpr int kFree = static_cast<int>(AssignPicture::Free);

}  // namespace

class ImportDlgTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    void ResetPlacement(CSettings& settings)
    {
        settings.SetImportDlgLeft(kImportDlgNeverStored);
        settings.SetImportDlgTop(40);
        settings.SetImportDlgWidth(600);
        settings.SetImportDlgHeight(400);
        settings.SetImportDlgShowMax(0);
    }

private slots:
    void initTestCase()
    {
        SetLanguageOffset(kLangGerman);
        QVERIFY(m_dir.isValid());
    }

    void init()
    {
        CSettings settings;
        ResetPlacement(settings);
    }

    void automaticAssignmentMatchesTitles()
    {
        // The comparison ignores case; a second "Name" column finds the line
        // taken; "Ort" names no line.
        CImportTable table = Table({ { "NAME", "Telefon", "Ort", "Name", "zeile 3" }, { "Meier", "0301", "Berlin", "x", "y" } });
        CImportConfig config;
        test::ScriptedUi ui;
        CSettings settings;
        CImportDlg dlg(table, config, nullptr, ui, settings);
        CFieldAssignPageWnd* page = dlg.AssignPage();
        QCOMPARE(page->ComboCount(), 5);
        QCOMPARE(Items(page), QList<int>({ 1, 2, 0, 0, 5 }));  // "Zeile 3" is line 4
        QCOMPARE(page->Combo(0)->count(), kMaxLines + 1);
        QCOMPARE(page->Combo(0)->itemText(0), QStringLiteral("---"));
        QCOMPARE(page->Combo(0)->itemText(1), QStringLiteral("Name"));
        QCOMPARE(page->Combo(0)->itemText(2), QStringLiteral("Telefon"));
        QCOMPARE(page->Combo(0)->itemText(3), QStringLiteral("Zeile 1"));
        QCOMPARE(page->Combo(0)->itemText(32), QStringLiteral("Zeile 30"));
        // Every combo box shows the same pictures: lines 0, 1 and 4 are fed.
        for (int i = 0; i < page->ComboCount(); ++i) {
            QList<int> pictures = Pictures(page->Combo(i));
            QCOMPARE(pictures[0], kNone);
            QCOMPARE(pictures[1], kAssigned);
            QCOMPARE(pictures[2], kAssigned);
            QCOMPARE(pictures[3], kFree);
            QCOMPARE(pictures[4], kFree);
            QCOMPARE(pictures[5], kAssigned);
            QCOMPARE(pictures[6], kFree);
        }
        // Every record is in the list, the title record too.
        QCOMPARE(page->List()->model()->rowCount(), 2);
        QCOMPARE(page->List()->model()->columnCount(), 5);
        QCOMPARE(page->List()->model()->index(1, 2).data().toString(), QStringLiteral("Berlin"));
        QCOMPARE(page->List()->columnWidth(3), CFieldAssignPageWnd::kColumnWidth);
    }

    void listShowsTheTextAsItWillStandOnTheCard()
    {
        CImportTable table = Table({ { "Name", "Telefon" }, { "Hauptstra\xDF" "e", "\x93" "1\x94" } });
        CImportConfig config;
        test::ScriptedUi ui;
        CSettings settings;
        CImportDlg dlg(table, config, nullptr, ui, settings);
        const auto* model = dlg.AssignPage()->List()->model();
        QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("Hauptstrasse"));
        QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("\"1\""));
    }

    void fieldNamesCardLabelsTheLines()
    {
        // Line 0 of the field-names card is its reserved name: the name line
        // keeps its own label.
        CKarte names;
        names.SetLine(0, "Kartenstruktur");
        names.SetLine(1, "Mobil");
        names.SetLine(2, "Strasse");
        CImportTable table = Table({ { "strasse", "MOBIL", "Name", "Telefon" } });
        CImportConfig config;
        test::ScriptedUi ui;
        CSettings settings;
        CImportDlg dlg(table, config, &names, ui, settings);
        CFieldAssignPageWnd* page = dlg.AssignPage();
        QCOMPARE(page->Combo(0)->itemText(1), QStringLiteral("Name"));
        QCOMPARE(page->Combo(0)->itemText(2), QStringLiteral("Mobil"));
        QCOMPARE(page->Combo(0)->itemText(3), QStringLiteral("Strasse"));
        QCOMPARE(page->Combo(0)->itemText(4), QStringLiteral("Zeile 2"));
        QCOMPARE(Items(page), QList<int>({ 3, 2, 1, 0 }));
    }

    void choosingALineClearsTheOtherComboBox()
    {
        CImportTable table = Table({ { "Name", "Telefon", "Ort", "PLZ" } });
        CImportConfig config;
        test::ScriptedUi ui;
        CSettings settings;
        CImportDlg dlg(table, config, nullptr, ui, settings);
        CFieldAssignPageWnd* page = dlg.AssignPage();
        QCOMPARE(Items(page), QList<int>({ 1, 2, 0, 0 }));

        page->Combo(3)->setCurrentIndex(1);  // line 0 into column 3
        QCOMPARE(Items(page), QList<int>({ 0, 2, 0, 1 }));
        QCOMPARE(Pictures(page->Combo(0))[1], kAssigned);

        page->Combo(3)->setCurrentIndex(0);  // column 3 into no line
        QCOMPARE(Items(page), QList<int>({ 0, 2, 0, 0 }));
        for (int i = 0; i < page->ComboCount(); ++i)
            QCOMPARE(Pictures(page->Combo(i))[1], kFree);

        // The choice a user makes with the keyboard goes the same way.
        page->Combo(2)->setFocus();
        page->Combo(2)->setCurrentIndex(2);
        QCOMPARE(Items(page), QList<int>({ 0, 0, 2, 0 }));
    }

    void clearAllAndStandard()
    {
        // 34 columns: "Standard" gives the first 32 their own line.
        CImportTable table;
        for (int c = 0; c < 34; ++c)
            table.SetField("x", 0, c);
        table.SetField("Name", 0, 5);
        CImportConfig config;
        test::ScriptedUi ui;
        CSettings settings;
        CImportDlg dlg(table, config, nullptr, ui, settings);
        CFieldAssignPageWnd* page = dlg.AssignPage();
        QCOMPARE(page->Combo(5)->currentIndex(), 1);

        QTest::mouseClick(page->StandardButton(), Qt::LeftButton);
        for (int i = 0; i < 34; ++i)
            QCOMPARE(page->Combo(i)->currentIndex(), i < 32 ? i + 1 : 0);
        QCOMPARE(Pictures(page->Combo(33))[32], kAssigned);

        QTest::mouseClick(page->ClearAllButton(), Qt::LeftButton);
        for (int i = 0; i < 34; ++i)
            QCOMPARE(page->Combo(i)->currentIndex(), 0);
        QCOMPARE(Pictures(page->Combo(0))[1], kFree);
    }

    void savingAndLoadingAConfiguration()
    {
        CImportTable table = Table({ { "Name", "Ort", "Telefon" } });
        CImportConfig config;
        config.onlyNumbers = 1;  // preloaded option
        test::ScriptedUi ui;
        CSettings settings;
        CImportDlg dlg(table, config, nullptr, ui, settings);
        CFieldAssignPageWnd* page = dlg.AssignPage();
        CImportSettingsPageWnd* options = dlg.SettingsPage();
        QVERIFY(options->OnlyNumbersBox()->isChecked());
        QVERIFY(!options->SkipFirstBox()->isChecked());
        QVERIFY(options->WindowsButton()->isChecked());
        options->SkipFirstBox()->setChecked(true);

        const QString path = m_dir.filePath(QStringLiteral("saved.icf"));
        ui.files.push_back(path.toStdString());
        QTest::mouseClick(page->SaveButton(), Qt::LeftButton);
        QCOMPARE(ui.fileRequests.size(), std::size_t(1));
        QVERIFY(ui.fileRequests[0].save);
        QCOMPARE(ui.fileRequests[0].title, Text(msg::SaveImportConfig));
        QCOMPARE(ui.fileRequests[0].filter, std::string("Import-Konfiguration-Dateien (*.icf)|*.icf|"));
        QCOMPARE(ui.LastText(), Text(msg::ImportConfigSaved));
        QCOMPARE(ui.shown.back().icon, MsgIcon::Information);

        std::string bytes = ReadBytes(path);
        QCOMPARE(bytes.size(), kIcfFileSize);
        QCOMPARE(bytes.substr(0, 11), std::string("ICF_FILE\x01\x40\x00", 11));
        QCOMPARE(bytes.substr(11, 6), std::string("\x00\x00\x02\x00\xFF\xFF", 6));  // line 0: column 0, line 1: column 2
        QCOMPARE(bytes.substr(75), std::string("\x00\x01\x01", 3));

        // Loading another file sets both pages.
        CImportConfig other;
        other.assignment[0] = 1;
        other.assignment[4] = 0;
        other.assignment[7] = 9;  // a column the file lacks: nothing
        other.characterSet = 1;
        other.onlyNumbers = 0;
        other.skipFirst = 0;
        const QString otherPath = m_dir.filePath(QStringLiteral("other.icf"));
        QVERIFY(WriteImportConfig(otherPath.toStdString(), other));
        ui.files.push_back(otherPath.toStdString());
        QTest::mouseClick(page->LoadButton(), Qt::LeftButton);
        QVERIFY(!ui.fileRequests.back().save);
        QCOMPARE(ui.fileRequests.back().title, Text(msg::LoadImportConfig));
        QCOMPARE(ui.LastText(), Text(msg::ImportConfigLoaded));
        QCOMPARE(Items(page), QList<int>({ 5, 1, 0 }));
        QCOMPARE(Pictures(page->Combo(2))[5], kAssigned);
        QCOMPARE(Pictures(page->Combo(2))[2], kFree);
        QVERIFY(options->DosButton()->isChecked());
        QVERIFY(!options->OnlyNumbersBox()->isChecked());
        QVERIFY(!options->SkipFirstBox()->isChecked());

        // And the saved one brings its state back.
        ui.files.push_back(path.toStdString());
        QTest::mouseClick(page->LoadButton(), Qt::LeftButton);
        QCOMPARE(Items(page), QList<int>({ 1, 0, 2 }));
        QVERIFY(options->SkipFirstBox()->isChecked());
        QVERIFY(options->OnlyNumbersBox()->isChecked());
        QVERIFY(options->WindowsButton()->isChecked());
    }

    void aRefusedConfigurationChangesNothing()
    {
        CImportTable table = Table({ { "Name", "Telefon" } });
        CImportConfig config;
        test::ScriptedUi ui;
        CSettings settings;
        CImportDlg dlg(table, config, nullptr, ui, settings);
        CFieldAssignPageWnd* page = dlg.AssignPage();

        const QString lower = m_dir.filePath(QStringLiteral("lower.icf"));
        {
            std::ofstream out(lower.toStdString(), std::ios::binary);
            std::string bytes = SerializeImportConfig(CImportConfig());
            bytes.replace(0, 8, "icf_file");
            out << bytes;
        }
        ui.files.push_back(lower.toStdString());
        QTest::mouseClick(page->LoadButton(), Qt::LeftButton);
        QCOMPARE(ui.LastText(), Text(msg::UnknownFileFormat));
        QCOMPARE(ui.shown.back().icon, MsgIcon::None);
        QCOMPARE(Items(page), QList<int>({ 1, 2 }));

        // Cancel in the file dialog: nothing at all.
        const std::size_t shown = ui.shown.size();
        ui.files.push_back(std::nullopt);
        QTest::mouseClick(page->LoadButton(), Qt::LeftButton);
        QCOMPARE(ui.shown.size(), shown);
        QCOMPARE(Items(page), QList<int>({ 1, 2 }));
    }

    void noColumnForTheNameLineAsksFirst()
    {
        CImportTable table = Table({ { "Ort", "Telefon" }, { "Berlin", "0301" } });
        CImportConfig config;
        config.onlyNumbers = 1;
        test::ScriptedUi ui;
        CSettings settings;
        CImportDlg dlg(table, config, nullptr, ui, settings);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.SettingsPage()->SkipFirstBox()->setChecked(true);

        ui.answers.push_back(MsgAnswer::No);
        QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
        QCOMPARE(ui.LastText(), Text(msg::NoNameFieldQuestion));
        QCOMPARE(ui.shown.back().buttons, MsgButtons::YesNo);
        QCOMPARE(ui.shown.back().icon, MsgIcon::Question);
        // No: the dialog stays with everything as it was; the caller's
        // configuration is untouched.
        QVERIFY(dlg.isVisible());
        QCOMPARE(Items(dlg.AssignPage()), QList<int>({ 0, 2 }));
        QVERIFY(dlg.SettingsPage()->SkipFirstBox()->isChecked());
        QCOMPARE(config.assignment[1], -1);
        QCOMPARE(config.skipFirst, 0);

        ui.answers.push_back(MsgAnswer::Yes);
        QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(config.assignment[0], -1);
        QCOMPARE(config.assignment[1], 1);
        QCOMPARE(config.skipFirst, 1);
        QCOMPARE(config.onlyNumbers, 1);
        QCOMPARE(config.characterSet, 0);
    }

    void okWithANameColumnAsksNothingAndCancelKeepsTheConfiguration()
    {
        CImportTable table = Table({ { "Name" } });
        test::ScriptedUi ui;
        CSettings settings;
        {
            CImportConfig config;
            config.characterSet = 1;
            CImportDlg dlg(table, config, nullptr, ui, settings);
            dlg.show();
            QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QVERIFY(ui.shown.empty());
            QCOMPARE(config.assignment[0], 0);
            QCOMPARE(config.characterSet, 1);
        }
        {
            CImportConfig config;
            const CImportConfig before = config;
            CImportDlg dlg(table, config, nullptr, ui, settings);
            dlg.show();
            dlg.SettingsPage()->DosButton()->setChecked(true);
            QTest::mouseClick(dlg.CancelButton(), Qt::LeftButton);
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
            QVERIFY(config == before);
        }
    }

    void dropDownShowsTwelveLines()
    {
        CImportTable table = Table({ { "a", "b" } });
        CImportConfig config;
        test::ScriptedUi ui;
        CSettings settings;
        CImportDlg dlg(table, config, nullptr, ui, settings);
        dlg.resize(600, 400);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QComboBox* combo = dlg.AssignPage()->Combo(0);
        combo->showPopup();
        QAbstractItemView* view = combo->view();
        QTRY_VERIFY(view->isVisible());
        const int row = view->sizeHintForRow(0);
        QVERIFY(row > 0);
        // Twelve rows and a scroll bar, not all 33 items over the table.
        QVERIFY2(view->viewport()->height() <= 13 * row, qPrintable(QString::number(view->viewport()->height())));
        QVERIFY(view->verticalScrollBar()->maximum() > 0);
        combo->hidePopup();
    }

    void comboBoxesFollowTheListWhenItScrolls()
    {
        CImportTable table;
        for (int c = 0; c < 12; ++c)
            table.SetField("f" + std::to_string(c), 0, c);
        CImportConfig config;
        test::ScriptedUi ui;
        CSettings settings;
        CImportDlg dlg(table, config, nullptr, ui, settings);
        dlg.resize(600, 400);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        CFieldAssignPageWnd* page = dlg.AssignPage();
        QTableView* list = page->List();
        const int frame = list->frameWidth();
        auto comboLeft = [&](int i) { return page->Combo(i)->mapTo(page, QPoint(0, 0)).x(); };
        const int listLeft = list->x();

        QCOMPARE(comboLeft(0), listLeft + frame);
        QCOMPARE(comboLeft(3), listLeft + frame + 360);
        QVERIFY(page->Combo(0)->isVisible());
        QVERIFY(!page->Combo(11)->isVisible());  // far right of the visible width
        // The combo boxes sit right above their columns.
        QVERIFY(page->Combo(0)->geometry().bottom() < page->ComboStrip()->height());
        QCOMPARE(page->ComboStrip()->mapTo(page, QPoint(0, page->ComboStrip()->height())).y() + 1, list->y());

        list->horizontalScrollBar()->setValue(130);
        QCOMPARE(comboLeft(1), listLeft + frame - 130 + 120);
        QVERIFY(!page->Combo(0)->isVisible());
        QVERIFY(page->Combo(1)->isVisible());

        // The arrow keys move through the columns; the combo boxes follow.
        list->horizontalScrollBar()->setValue(0);
        list->setFocus();
        list->setCurrentIndex(list->model()->index(0, 0));
        for (int i = 0; i < 11; ++i)
            QTest::keyClick(list, Qt::Key_Right);
        const int scrolled = list->horizontalScrollBar()->value();
        QVERIFY(scrolled > 0);
        QCOMPARE(comboLeft(11), listLeft + frame - scrolled + 1320);
        QVERIFY(page->Combo(11)->isVisible());
        QVERIFY(!page->Combo(0)->isVisible());

        // A larger page: the list fills it, the combo boxes are placed again.
        dlg.resize(900, 500);
        QCOMPARE(list->x(), page->width() - list->geometry().right() - 1);
        QCOMPARE(page->height() - list->geometry().bottom() - 1, list->x());
    }

    void layoutRuleAndMinimumSize()
    {
        CImportTable table = Table({ { "Name" } });
        CImportConfig config;
        test::ScriptedUi ui;
        CSettings settings;
        CImportDlg dlg(table, config, nullptr, ui, settings);
        QCOMPARE(dlg.size(), QSize(CImportDlg::kTemplateWidth, CImportDlg::kTemplateHeight));
        dlg.show();
        dlg.resize(300, 100);
        QCOMPARE(dlg.size(), QSize(520, 270));

        dlg.resize(700, 450);
        const int w = dlg.width(), h = dlg.height();
        const QRect ok = dlg.OkButton()->geometry();
        const int bw = ok.width(), bh = ok.height();
        QCOMPARE(ok.topLeft(), QPoint(w - bw - 6, h - bh - 6));
        QCOMPARE(dlg.CancelButton()->geometry(), QRect(w - 2 * bw - 20, h - bh - 6, bw, bh));
        QCOMPARE(dlg.HelpButton()->geometry(), QRect(w - 3 * bw - 30, h - bh - 6, bw, bh));
        QCOMPARE(dlg.Tabs()->geometry(), QRect(6, 6, w - 12, h - bh - 18));
        QCOMPARE(dlg.OkButton()->text(), QStringLiteral("&Importieren"));
        QCOMPARE(dlg.CancelButton()->text(), QStringLiteral("Abbre&chen"));
        QCOMPARE(dlg.HelpButton()->text(), QStringLiteral("&Hilfe"));
        QCOMPARE(dlg.Tabs()->tabText(0), QStringLiteral("Felder-Zuordnung"));
        QCOMPARE(dlg.Tabs()->tabText(1), QStringLiteral("Einstellungen"));

        int topic = 0;
        int signals_ = 0;
        connect(&dlg, &CImportDlg::helpRequested, this, [&] { ++signals_; });
        QTest::mouseClick(dlg.HelpButton(), Qt::LeftButton);
        QCOMPARE(signals_, 1);
        dlg.SetHelpHandler([&](int t) { topic = t; });
        QTest::mouseClick(dlg.HelpButton(), Qt::LeftButton);
        QCOMPARE(topic, 105);
        QVERIFY(dlg.isVisible());
    }

    void placementIsKeptInTheSettings()
    {
        CImportTable table = Table({ { "Name" } });
        CImportConfig config;
        test::ScriptedUi ui;
        {
            CSettings settings;
            settings.SetImportDlgLeft(30);
            settings.SetImportDlgTop(50);
            settings.SetImportDlgWidth(560);
            settings.SetImportDlgHeight(300);
            CImportDlg dlg(table, config, nullptr, ui, settings);
            QCOMPARE(dlg.geometry(), QRect(30, 50, 560, 300));
            dlg.show();
            dlg.setGeometry(40, 60, 610, 330);
            dlg.reject();
            QCOMPARE(settings.ImportDlgLeft(), 40);
            QCOMPARE(settings.ImportDlgTop(), 60);
            QCOMPARE(settings.ImportDlgWidth(), 610);
            QCOMPARE(settings.ImportDlgHeight(), 330);
            QCOMPARE(settings.ImportDlgShowMax(), 0);
        }
        {
            // Stored smaller than the minimum: enlarged. Maximised: opens so.
            CSettings settings;
            settings.SetImportDlgWidth(100);
            settings.SetImportDlgHeight(100);
            settings.SetImportDlgShowMax(1);
            CImportDlg dlg(table, config, nullptr, ui, settings);
            QCOMPARE(dlg.geometry(), QRect(40, 60, 520, 270));
            dlg.show();
            QVERIFY(dlg.isMaximized());
            dlg.reject();
            QCOMPARE(settings.ImportDlgShowMax(), 1);
            QCOMPARE(settings.ImportDlgWidth(), 520);
        }
        {
            // A place on no screen: the first-time placement.
            CSettings settings;
            settings.SetImportDlgLeft(-20000);
            settings.SetImportDlgShowMax(0);
            CImportDlg dlg(table, config, nullptr, ui, settings);
            QCOMPARE(dlg.size(), QSize(CImportDlg::kTemplateWidth, CImportDlg::kTemplateHeight));
            QVERIFY(dlg.pos().x() > -20000);
        }
    }

    void importModeDialog()
    {
        CImportModeDlg dlg(2);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Importieren"));
        QCOMPARE(dlg.Mode(), 2);
        QCOMPARE(dlg.ModeButton(0)->text(), QStringLiteral("&Alte Karten l\u00F6schen"));
        QCOMPARE(dlg.ModeButton(1)->text(), QStringLiteral("&Mischen"));
        QCOMPARE(dlg.ModeButton(2)->text(), QStringLiteral("Mischen / &Doppelte Karten ersetzen"));
        QVERIFY(dlg.Explanation(2)->text().contains(u'\n'));
        dlg.ModeButton(1)->setChecked(true);
        QCOMPARE(dlg.Mode(), 1);
        CImportModeDlg fallback(7);
        QCOMPARE(fallback.Mode(), 0);

        test::OnModal<CImportModeDlg>([](CImportModeDlg* d) {
            d->ModeButton(1)->click();
            d->OkButton()->click();
        });
        QCOMPARE(AskImportMode(0), std::optional<int>(1));
        test::OnModal<CImportModeDlg>([](CImportModeDlg* d) {
            d->ModeButton(2)->click();
            d->CancelButton()->click();
        });
        QCOMPARE(AskImportMode(0), std::optional<int>());
    }

    void sheetChoiceDialog()
    {
        const std::vector<std::string> names { "Kontakte", "Gesch\xE4" "ft" };
        CSheetChoiceDlg dlg(names);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Tabellenblatt w\u00E4hlen"));
        QCOMPARE(dlg.List()->count(), 2);
        QCOMPARE(dlg.List()->item(1)->text(), QStringLiteral("Gesch\u00E4ft"));
        QCOMPARE(dlg.Chosen(), 0);

        test::OnModal<CSheetChoiceDlg>([](CSheetChoiceDlg* d) {
            d->List()->setCurrentRow(1);
            d->OkButton()->click();
        });
        QCOMPARE(AskSheet(names), std::optional<int>(1));
        test::OnModal<CSheetChoiceDlg>([](CSheetChoiceDlg* d) { d->CancelButton()->click(); });
        QCOMPARE(AskSheet(names), std::optional<int>());
    }

    void pictures()
    {
        const QString dir = PictureDir();
        CImportTable table = Table({ { "Name", "Telefon", "Strasse", "Ort", "E-Mail" },
                                     { "Meier Hans", "030 1234567", "Hauptstr. 1", "Berlin", "hans@meier.de" },
                                     { "Albers Anna", "089 555111", "Ringweg 4", "M\xFCnchen", "" } });
        CImportConfig config;
        test::ScriptedUi ui;
        CSettings settings;
        CImportDlg dlg(table, config, nullptr, ui, settings);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(test::SavePicture(dlg, dir + QStringLiteral("/import-dialog.png")));
        dlg.Tabs()->setCurrentIndex(1);
        QVERIFY(test::SavePicture(dlg, dir + QStringLiteral("/import-settings.png")));
        dlg.Tabs()->setCurrentIndex(0);
        dlg.AssignPage()->List()->horizontalScrollBar()->setValue(150);
        QVERIFY(test::SavePicture(dlg, dir + QStringLiteral("/import-dialog-scrolled.png")));
        dlg.AssignPage()->List()->horizontalScrollBar()->setValue(0);

        QComboBox* combo = dlg.AssignPage()->Combo(3);
        combo->showPopup();
        QTest::qWait(50);
        QWidget* popup = combo->view()->window();
        QVERIFY(test::SavePicture(*popup, dir + QStringLiteral("/import-combo-popup.png")));
        combo->hidePopup();

        SetLanguageOffset(kLangEnglish);
        {
            CImportDlg english(table, config, nullptr, ui, settings);
            english.show();
            QVERIFY(QTest::qWaitForWindowExposed(&english));
            QVERIFY(test::SavePicture(english, dir + QStringLiteral("/import-dialog-en.png")));
            CImportModeDlg mode(1);
            mode.show();
            QVERIFY(test::SavePicture(mode, dir + QStringLiteral("/import-mode-en.png")));
        }
        SetLanguageOffset(kLangGerman);
        CImportModeDlg mode(0);
        mode.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mode));
        QVERIFY(test::SavePicture(mode, dir + QStringLiteral("/import-mode.png")));
    }
};

QTEST_MAIN(ImportDlgTest)
#include "tst_importdlg.moc"
