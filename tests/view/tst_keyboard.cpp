// The dialogs and the telephone picture used from the keyboard alone: Tab
// reaches every control of the import dialog and leaves the record list, the
// page buttons keep the focus in the dialog, the focused part of the picture
// is framed, the names a screen reader reads, and mnemonics on every control
// of every dialog that do not clash within it in any language.

#include "text/Language.h"
#include "settings/Settings.h"
#include "exchange/ImportConfig.h"
#include "exchange/ImportTable.h"
#include "model/CardStructure.h"
#include "model/CardList.h"
#include "tests/support/ScriptedUi.h"
#include "device/AnrufObj.h"
#include "view/AccountDlg.h"
#include "view/CallListDlg.h"
#include "view/CallListRequestDlg.h"
#include "view/CardStructureDlg.h"
#include "view/DisplayWnd.h"
#include "view/IndexWnd.h"
#include "view/ImportDlg.h"
#include "view/ImportModeDlg.h"
#include "view/PortDlg.h"
#include "view/ReceivedCardsDlg.h"
#include "view/SelectionDlg.h"
#include "view/SheetChoiceDlg.h"
#include "view/SyncDialogs.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QTest>
#include <QVBoxLayout>

using namespace velkaro;

namespace {

// Twelve columns of which the right ones lie outside the list's width, so
// that their boxes are hidden until the list scrolls to them.
CImportTable WideTable()
{
    CImportTable table;
    for (int c = 0; c < 12; ++c) {
        table.SetField(c == 2 ? "Ort" : "", 0, c);
        table.SetField("x", 1, c);
    }
    return table;
}

// A call from the given direction ("1" incoming) on 16.03.04.
std::unique_ptr<CAnrufObj> Call(const char* direction)
{
    auto call = std::make_unique<CAnrufObj>();
    for (const char* field : { "16.03.04", "10:15", "", "0001:23", direction })
        call->AddField(field);
    return call;
}

QString AccessibleName(QAccessibleInterface* iface)
{
    return iface ? iface->text(QAccessible::Name) : QString();
}

QWidget* Focused()
{
    return QApplication::focusWidget();
}

// Presses key until the focus comes back to where it started.
QList<QWidget*> Walk(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QList<QWidget*> seen { Focused() };
    for (int step = 0; step < 100; ++step) {
        QTest::keyClick(Focused(), static_cast<Qt::Key>(key), modifiers);
        if (Focused() == seen.front())
            break;
        seen << Focused();
    }
    return seen;
}

// The mnemonic of every button, check box, group and label with a buddy.
QStringList Mnemonics(const QWidget* dialog)
{
    QStringList keys;
    for (const QGroupBox* group : dialog->findChildren<QGroupBox*>())
        keys << QKeySequence::mnemonic(group->title()).toString();
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        if (label->buddy())
            keys << QKeySequence::mnemonic(label->text()).toString();
    for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        keys << QKeySequence::mnemonic(button->text()).toString();
    keys.removeAll(QString());
    return keys;
}

// Whether all four edges of the widget's picture carry the highlight colour.
bool Framed(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    const QRgb highlight = widget->palette().color(QPalette::Active, QPalette::Highlight).rgb();
    const int right = image.width() - 1;
    const int bottom = image.height() - 1;
    for (const QPoint& p : { QPoint(0, bottom / 2), QPoint(right, bottom / 2), QPoint(right / 2, 0),
                             QPoint(right / 2, bottom) })
        if (image.pixel(p) != highlight)
            return false;
    return true;
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

private:
    CImportTable m_table = WideTable();
    CImportConfig m_config;
    test::ScriptedUi m_ui;
    CSettings m_settings;
    CCallList m_calls;

    std::unique_ptr<QWidget> MakeDialog(const QString& name)
    {
        if (name == u"import")
            return std::make_unique<CImportDlg>(m_table, m_config, nullptr, m_ui, m_settings);
        if (name == u"structure")
            return std::make_unique<CCardStructureDlg>(nullptr, true);
        if (name == u"port")
            return std::make_unique<CPortDlg>(1, false, 0, m_ui);
        if (name == u"mode")
            return std::make_unique<CImportModeDlg>(0);
        if (name == u"callListRequest")
            return std::make_unique<CCallListRequestDlg>(0, "");
        if (name == u"selection")
            return std::make_unique<CSelectionDlg>("", false);
        if (name == u"callList")
            return std::make_unique<CCallListDlg>(m_calls, m_ui);
        if (name == u"receivedCards")
            return std::make_unique<CReceivedCardsDlg>("", CardComparison {});
        if (name == u"syncPreview")
            return std::make_unique<CSyncPreviewDlg>(SyncCounts {}, std::vector<std::string> { "x" });
        if (name == u"sheetChoice")
            return std::make_unique<CSheetChoiceDlg>(std::vector<std::string> { "1", "2" });
        return std::make_unique<CAccountDlg>(CardDavAccount {}, "", true, CAccountDlg::FindBooks {}, m_ui);
    }

private slots:
    void init() { SetLanguageOffset(kLangGerman); }

    void tabWalksTheImportDialogOnceThroughEveryControl()
    {
        CImportDlg dlg(m_table, m_config, nullptr, m_ui, m_settings);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        CFieldAssignPageWnd* page = dlg.AssignPage();
        QVERIFY(!page->Combo(11)->isVisible());

        QList<QWidget*> expected { page->ClearAllButton(), page->StandardButton(), page->LoadButton(),
                                   page->SaveButton() };
        for (int i = 0; i < page->ComboCount(); ++i)
            expected << page->Combo(i);
        expected << page->List() << dlg.HelpButton() << dlg.CancelButton() << dlg.OkButton() << dlg.Tabs()->tabBar();
        page->ClearAllButton()->setFocus(Qt::TabFocusReason);
        QCOMPARE(Walk(Qt::Key_Tab), expected);

        // Shift+Tab goes the same way back; the list was left scrolled right.
        QList<QWidget*> back(expected.rbegin(), expected.rend() - 1);
        back.prepend(expected.front());
        QCOMPARE(Walk(Qt::Key_Backtab, Qt::ShiftModifier), back);
    }

    void theFocusedPartOfThePictureIsFramed()
    {
        CCardList list;
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* index = new CIndexWnd(&window);
        auto* display = new CDisplayWnd(&window);
        auto* elsewhere = new QPushButton(QStringLiteral("x"), &window);
        index->SetCardList(&list);
        display->SetCardList(&list);
        for (QWidget* w : std::initializer_list<QWidget*> { index, display, elsewhere })
            layout->addWidget(w);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        for (QWidget* focused : std::initializer_list<QWidget*> { index, display, elsewhere }) {
            focused->setFocus(Qt::TabFocusReason);
            QCOMPARE(Framed(index), focused == index);
            QCOMPARE(Framed(display), focused == display);
        }
    }

    void theImportTableAndItsBoxesAreNamedByColumn_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("titled");
        QTest::addColumn<QString>("untitled");
        QTest::newRow("de") << kLangGerman << "Spalte 3: Ort" << "Spalte 1";
        QTest::newRow("en") << kLangEnglish << "Column 3: Ort" << "Column 1";
        QTest::newRow("fr") << kLangFrench << "Colonne 3 : Ort" << "Colonne 1";
    }

    void theImportTableAndItsBoxesAreNamedByColumn()
    {
        QFETCH(int, language);
        QFETCH(QString, titled);
        QFETCH(QString, untitled);
        SetLanguageOffset(language);
        CImportDlg dlg(m_table, m_config, nullptr, m_ui, m_settings);
        CFieldAssignPageWnd* page = dlg.AssignPage();
        QCOMPARE(page->Combo(2)->accessibleName(), titled);
        QCOMPARE(page->Combo(0)->accessibleName(), untitled);
        QCOMPARE(page->List()->model()->headerData(2, Qt::Horizontal).toString(), titled);
        QVERIFY(!page->List()->accessibleName().isEmpty());
        QVERIFY(!page->List()->tabKeyNavigation());
    }

    void spaceOnNextAtTheLastPageKeepsTheStructureDialogOpen()
    {
        CCardStructureDlg dlg(nullptr, true);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        dlg.NextButton()->setFocus(Qt::TabFocusReason);
        for (int page = 1; page < kPages; ++page)
            QTest::keyClick(Focused(), Qt::Key_Space);
        QVERIFY(!dlg.NextButton()->isEnabled());
        QCOMPARE(Focused(), dlg.PreviousButton());
        QTest::keyClick(Focused(), Qt::Key_Space);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.NextButton()->accessibleName(), QStringLiteral("Nächste Seite"));
        QCOMPARE(dlg.PreviousButton()->accessibleName(), QStringLiteral("Vorige Seite"));
    }

    // Every label and button the dialog takes from the string tables has its
    // letter, and no letter serves two of them.
    void mnemonicsAreUniqueWithinEachDialog_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("count");
        const std::pair<const char*, int> dialogs[] = {
            { "import", 14 },       { "structure", 2 },     { "port", 4 },       { "mode", 4 },
            { "callListRequest", 4 }, { "selection", 5 },   { "callList", 6 },   { "receivedCards", 2 },
            { "syncPreview", 3 },   { "sheetChoice", 2 },   { "account", 13 },
        };
        for (const auto& [dialog, count] : dialogs)
            for (const auto& [tag, language] : { std::pair { "de", kLangGerman }, std::pair { "en", kLangEnglish },
                                                 std::pair { "fr", kLangFrench } })
                QTest::addRow("%s-%s", dialog, tag) << QString::fromLatin1(dialog) << language << count;
    }

    void mnemonicsAreUniqueWithinEachDialog()
    {
        QFETCH(QString, dialog);
        QFETCH(int, language);
        QFETCH(int, count);
        SetLanguageOffset(language);
        const std::unique_ptr<QWidget> shown = MakeDialog(dialog);
        const QStringList keys = Mnemonics(shown.get());
        QVERIFY2(keys.size() == QSet<QString>(keys.begin(), keys.end()).size(), qPrintable(keys.join(u' ')));
        QCOMPARE(keys.size(), count);
    }

    void screenReaderTellsThePresetTermsAndTheCallDirectionsApart_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("firstTerm");
        QTest::addColumn<QString>("sixthTerm");
        QTest::addColumn<QString>("incoming");
        QTest::addColumn<QString>("outgoing");
        QTest::newRow("de") << kLangGerman << "Vordefinierter Begriff 1" << "Vordefinierter Begriff 6"
                            << "Eingehend, 16.03.04" << "Ausgehend, 16.03.04";
        QTest::newRow("en") << kLangEnglish << "Default selection 1" << "Default selection 6"
                            << "Incoming, 16.03.04" << "Outgoing, 16.03.04";
        QTest::newRow("fr") << kLangFrench << "Sélection préparée 1" << "Sélection préparée 6"
                            << "Entrant, 16.03.04" << "Sortant, 16.03.04";
    }

    void screenReaderTellsThePresetTermsAndTheCallDirectionsApart()
    {
        QFETCH(int, language);
        QFETCH(QString, incoming);
        QFETCH(QString, outgoing);
        SetLanguageOffset(language);
        CSelectionDlg selection("", false);
        QTEST(AccessibleName(QAccessible::queryAccessibleInterface(selection.TermEdit(1))), "firstTerm");
        QTEST(AccessibleName(QAccessible::queryAccessibleInterface(selection.TermEdit(6))), "sixthTerm");

        m_calls.Clear();
        m_calls.AddHead(Call("1"));
        m_calls.AddHead(Call("0"));
        CCallListDlg calls(m_calls, m_ui);
        QAccessibleTableInterface* table = QAccessible::queryAccessibleInterface(calls.List())->tableInterface();
        QVERIFY(table);
        QStringList directions;
        for (int row = 0; row < 2; ++row)
            directions << AccessibleName(table->cellAt(row, 0));
        QStringList expected { incoming, outgoing };
        directions.sort();
        expected.sort();
        QCOMPARE(directions, expected);
    }
};

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
