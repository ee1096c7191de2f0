// What a screen reader finds on the telephone front: the display read line
// by line with its page, caret and selection, the index list's rows with
// the current and the marked card, the softkey bar's cells as buttons with
// their labels, and the keys of the body as named buttons with tool tips
// and status prompts, in each of the three languages.

#include "../support/ScriptedUi.h"

#include "text/Language.h"
#include "model/CardList.h"
#include "model/Document.h"
#include "text/Menus.h"
#include "view/DisplayWnd.h"
#include "view/FieldNameWnd.h"
#include "view/IndexWnd.h"
#include "view/PcxView.h"
#include "view/SoftkeyBar.h"
#include "support/Cards.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

using namespace velkaro;
using test::Card;

namespace {

// The events the program sends to assistive programs, as type and the
// object they concern.
std::vector<std::pair<QAccessible::Event, QObject*>> g_events;
int g_caret = -1;

void RecordEvent(QAccessibleEvent* event)
{
    g_events.emplace_back(event->type(), event->object());
    if (event->type() == QAccessible::TextCaretMoved)
        g_caret = static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition();
}

bool Seen(QAccessible::Event type, QObject* object)
{
    for (const auto& [t, o] : g_events)
        if (t == type && o == object)
            return true;
    return false;
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QAccessible::installUpdateHandler(RecordEvent);
        QAccessible::setActive(true);
    }
    void init()
    {
        SetLanguageOffset(kLangGerman);
        g_events.clear();
        g_caret = -1;
    }

    // The display reads the card's rows as lines of text, tells the page,
    // and follows the caret and the selection.
    void displayReadsTheCardLineByLine()
    {
        CCardList list;
        list.InsertSorted(Card({ "Ida Igel", "030 1234", "Hauptstrasse 12", "", "10115 Berlin" }), false);
        CDisplayWnd w;
        w.resize(280, kDisplayHeight);
        w.SetCardList(&list);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.SetCurrentIndex(0));

        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&w);
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::EditableText);
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Anzeige"));
        QCOMPARE(iface->text(QAccessible::Description), QStringLiteral("Seite 1 von 5"));
        const QString text = QStringLiteral("Ida Igel\n030 1234\nHauptstrasse 12\n\n10115 Berlin\n\n\n");
        QCOMPARE(iface->text(QAccessible::Value), text);

        QAccessibleTextInterface* t = iface->textInterface();
        QVERIFY(t);
        QCOMPARE(t->characterCount(), static_cast<int>(text.size()));
        int start = -1;
        int end = -1;
        // Line by line, as a reader steps through them.
        QCOMPARE(t->textAtOffset(text.indexOf(QStringLiteral("strasse")), QAccessible::LineBoundary, &start, &end)
                     .trimmed(),
                 QStringLiteral("Hauptstrasse 12"));
        QCOMPARE(t->textAtOffset(0, QAccessible::LineBoundary, &start, &end).trimmed(), QStringLiteral("Ida Igel"));

        // Editing: a click in row 2, column 4 puts the caret there, and the
        // reader hears where it went.
        w.setFocus();
        QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(w.Editor().Margin() + 4 * 8 + 2, 2 * kRowHeight + 10));
        QVERIFY(w.IsEditing());
        const int caret = text.indexOf(QStringLiteral("Hauptstrasse")) + 4;
        QCOMPARE(t->cursorPosition(), caret);
        // The notices reach assistive programs only where the platform has
        // an accessibility bridge (not on the offscreen platform).
        const bool bridge = QAccessible::isActive();
        if (bridge) {
            QVERIFY(Seen(QAccessible::TextCaretMoved, &w));
            QCOMPARE(g_caret, caret);
        }
        QTest::keyClick(&w, Qt::Key_Right);
        QCOMPARE(t->cursorPosition(), caret + 1);
        if (bridge)
            QCOMPARE(g_caret, caret + 1);
        QVERIFY(iface->state().focused);
        QVERIFY(iface->state().editable);

        // Shift+Right twice selects "st".
        QTest::keyClick(&w, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(&w, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(t->selectionCount(), 1);
        t->selection(0, &start, &end);
        QCOMPARE(t->text(start, end), QStringLiteral("st"));

        // Typing changes the text read out.
        QTest::keyClicks(&w, "X");
        if (bridge)
            QVERIFY(Seen(QAccessible::ValueChanged, &w));
        QVERIFY(iface->text(QAccessible::Value).contains(QStringLiteral("HauptX")));

        // Another page: the description says so, the rows follow.
        w.SetPage(2);
        QCOMPARE(iface->text(QAccessible::Description), QStringLiteral("Seite 2 von 5"));

        SetLanguageOffset(kLangFrench);
        QCOMPARE(iface->text(QAccessible::Name), QString::fromUtf8("Écran"));
        QCOMPARE(iface->text(QAccessible::Description), QStringLiteral("Page 2 sur 5"));
    }

    // The index list is a list of its rows: the top row is the current
    // card, marked cards say so, and moving tells the reader.
    void indexListRowsCurrentAndMarked()
    {
        CCardList list;
        for (const char* n : { "Anna Albers", "Berta Kurz", "Hotel Sonne", "Meier Hans", "Merz Optik", "Meyer Druck",
                               "Miller Jane", "Nora Blum", "Otto Rand", "Paul Stein" })
            list.InsertSorted(Card({ n }, std::string(n) == "Berta Kurz" ? 1 : 0), false);
        CIndexWnd w;
        w.resize(280, kDisplayHeight);
        w.SetCardList(&list);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        w.setFocus();

        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&w);
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::List);
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Kartenliste"));
        QCOMPARE(iface->childCount(), 8);
        QStringList names;
        for (int i = 0; i < iface->childCount(); ++i) {
            QAccessibleInterface* row = iface->child(i);
            QCOMPARE(row->role(), QAccessible::ListItem);
            QCOMPARE(row->parent(), iface);
            QCOMPARE(iface->indexOfChild(row), i);
            names << row->text(QAccessible::Name);
        }
        QCOMPARE(names.mid(0, 4), (QStringList { "Anna Albers", "Berta Kurz", "Hotel Sonne", "Meier Hans" }));
        QVERIFY(iface->child(0)->state().selected);
        QVERIFY(!iface->child(1)->state().selected);
        QVERIFY(iface->child(1)->state().checked);
        QVERIFY(iface->child(1)->text(QAccessible::Description).contains(QStringLiteral("markiert")));
        QVERIFY(!iface->child(2)->text(QAccessible::Description).contains(QStringLiteral("markiert")));
        QCOMPARE(iface->childAt(w.mapToGlobal(QPoint(30, kRowHeight * 2 + 5)).x(),
                                w.mapToGlobal(QPoint(30, kRowHeight * 2 + 5)).y()),
                 iface->child(2));

        // The next group of rows: the reader hears the new top row.
        QTest::keyClick(&w, Qt::Key_Down);
        QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("Otto Rand"));
        QCOMPARE(iface->child(0)->text(QAccessible::Name), QStringLiteral("Otto Rand"));
        QTest::keyClick(&w, Qt::Key_Up);
        QCOMPARE(iface->child(1)->text(QAccessible::Name), QStringLiteral("Berta Kurz"));
        QVERIFY(iface->child(0)->state().focused);
        QCOMPARE(iface->focusChild(), iface->child(0));
        if (QAccessible::isActive()) {
            bool focusOnRow = false;
            for (const auto& [type, object] : g_events)
                focusOnRow = focusOnRow || (type == QAccessible::Focus && object == nullptr);
            QVERIFY(focusOnRow);
        }
        // Focus elsewhere: no row has it.
        w.clearFocus();
        QVERIFY(!iface->child(0)->state().focused);
        QCOMPARE(iface->focusChild(), nullptr);

        SetLanguageOffset(kLangEnglish);
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Card list"));
        QVERIFY(iface->child(1)->text(QAccessible::Description).contains(QStringLiteral("marked")));
    }

    // The softkey bar: seven buttons with the labels the cells show, which
    // press their cell.
    void softkeyCellsAreButtonsWithTheirLabels()
    {
        CCardList list;
        CLineEditor display;
        display.SetCardList(&list);
        CSoftkeyBar bar;
        bar.resize(kSoftkeyBarWidth, kSoftkeyBarHeight);
        bar.SetDisplay(&display);
        bar.SetSet(softkey::SetBrowse);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&bar);
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::ToolBar);
        QCOMPARE(iface->childCount(), 7);
        QStringList labels;
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(iface->child(i)->role(), QAccessible::Button);
            labels << iface->child(i)->text(QAccessible::Name);
        }
        QCOMPARE(labels, (QStringList { "mehr", "Liste", QString::fromUtf8("Wählen"), "leer", "leer", "leer",
                                        QString::fromUtf8("Löschen") }));
        QVERIFY(iface->child(3)->state().disabled);
        QCOMPARE(iface->child(1)->text(QAccessible::Accelerator), QStringLiteral("Ctrl+F2"));

        QSignalSpy pressed(&bar, &CSoftkeyBar::actionPressed);
        QAccessibleActionInterface* action = iface->child(2)->actionInterface();
        QVERIFY(action);
        action->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(pressed.first().at(0).toInt(), softkey::Dial);

        bar.SetSet(softkey::SetPages);
        QCOMPARE(iface->child(1)->text(QAccessible::Name), QStringLiteral("Seite 1"));
        SetLanguageOffset(kLangFrench);
        QCOMPARE(iface->child(1)->text(QAccessible::Name), QStringLiteral("Page 1"));
        bar.SetSet(softkey::SetBrowse);
        QCOMPARE(iface->child(2)->text(QAccessible::Name), QStringLiteral("Appel"));
    }

    // Every key of the body is a named button with a tool tip and a status
    // prompt, in each language; the field-name column has a name too.
    void keysOfTheBodyAreNamedButtons()
    {
        CPcxDoc doc;
        test::ScriptedUi ui;
        CCommandRegistry commands;
        CPcxView view(&doc, ui, nullptr, commands);
        view.resize(view.sizeHint());
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        struct Expect {
            unsigned id;
            const char* de;
            const char* en;
            const char* fr;
        };
        const Expect keys[] = {
            { cmd::RowKey1 + 2, "Zeile 3 (F3)", "Row 3 (F3)", "Ligne 3 (F3)" },
            { cmd::RowKey1 + 7, "Zeile 8 (F8)", "Row 8 (F8)", "Ligne 8 (F8)" },
            { cmd::ArrowUp, "Pfeil nach oben", "Up arrow", "Flèche vers le haut" },
            { cmd::NewCard, "Neue Karte (Ctrl+P)", "New card (Ctrl+P)", "Nouvelle fiche (Ctrl+P)" },
            { cmd::Softkey1 + 6, "Softkey 7 (Ctrl+F7)", "Softkey 7 (Ctrl+F7)", "Touche programmable 7 (Ctrl+F7)" },
        };
        const int languages[] = { kLangGerman, kLangEnglish, kLangFrench };
        for (int language : languages) {
            SetLanguageOffset(language);
            view.ApplyLanguage();
            for (const Expect& key : keys) {
                CFrontButton* b = view.Button(key.id);
                QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(b);
                QCOMPARE(iface->role(), QAccessible::Button);
                const char* want = language == kLangGerman ? key.de : language == kLangEnglish ? key.en : key.fr;
                QCOMPARE(iface->text(QAccessible::Name), QString::fromUtf8(want));
                QCOMPARE(b->toolTip(), QString::fromUtf8(want));
                QVERIFY(!b->statusTip().isEmpty());
                QCOMPARE(iface->text(QAccessible::Description), b->statusTip());
            }
            // No key without a name, and no two keys with the same one.
            QStringList names;
            for (CFrontButton* b : view.findChildren<CFrontButton*>()) {
                QVERIFY(!b->accessibleName().isEmpty());
                names << b->accessibleName();
            }
            names.removeDuplicates();
            QCOMPARE(names.size(), static_cast<int>(view.findChildren<CFrontButton*>().size()));
            QVERIFY(!QAccessible::queryAccessibleInterface(view.FieldNames())->text(QAccessible::Name).isEmpty());
        }
        SetLanguageOffset(kLangGerman);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
