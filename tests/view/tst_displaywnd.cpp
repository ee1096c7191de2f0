// The display window driven by real key and mouse events.

#include "settings/QtText.h"
#include "model/CardList.h"
#include "text/MessageIds.h"
#include "view/DisplayWnd.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace velkaro;

class DisplayWndTest : public QObject {
    Q_OBJECT

private:
    CCardList list;
    std::unique_ptr<CDisplayWnd> w;

    void AddCard(std::initializer_list<const char*> lines, uint8_t marked = 0)
    {
        auto card = std::make_unique<CKarte>();
        int i = 0;
        for (const char* l : lines)
            card->SetLine(i++, l);
        card->SetMarkByte(marked);
        list.InsertSorted(std::move(card), false);
    }
    // Typed text as the keyboard delivers it, also beyond ASCII.
    void TypeText(const QString& text)
    {
        for (QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(w.get(), &press);
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(w.get(), &release);
        }
    }
    std::string Line(int i) const { return std::string(w->WorkingCopy().GetLine(i)); }
    // The centre of a character cell, and a point px pixels into it.
    static QPoint Cell(int column, int row, int px)
    {
        int width = row < 2 ? 12 : 8;
        return { 20 + column * width + px, row * 20 + 10 };
    }

private slots:
    void init()
    {
        list.DeleteAllCards();
        w = std::make_unique<CDisplayWnd>();
        w->resize(280, 161);
        w->SetCardList(&list);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->activateWindow();
        w->setFocus();
        QGuiApplication::clipboard()->clear();
    }
    void cleanup() { w.reset(); }

    void typingANewCard()
    {
        QSignalSpy editing(w.get(), &CDisplayWnd::editingChanged);
        QSignalSpy beeps(w.get(), &CDisplayWnd::beeped);
        w->ClearCurrentIndex();
        w->StartEditing(0, 0);
        QCOMPARE(editing.count(), 1);
        QCOMPARE(editing.last().at(0).toBool(), true);
        QTest::keyClicks(w.get(), "1");
        QCOMPARE(beeps.count(), 1);
        TypeText(QString::fromUtf8("Müller"));
        QTest::keyClick(w.get(), Qt::Key_Return);
        QTest::keyClicks(w.get(), "+49 30 1234");
        QCOMPARE(Line(0), std::string("M\xFCller"));
        QCOMPARE(Line(1), std::string("+49 30 1234"));
        QCOMPARE(beeps.count(), 1);
        // A character outside Windows-1252 beeps.
        TypeText(QString::fromUtf8("\u0416"));
        QCOMPARE(beeps.count(), 2);
    }

    void insertAndOverwriteAtTheLineLimit()
    {
        AddCard({ "Abcdefghijklmnopqrst" });
        QVERIFY(w->SetCurrentIndex(0));
        QSignalSpy beeps(w.get(), &CDisplayWnd::beeped);
        QSignalSpy modes(w.get(), &CDisplayWnd::insertModeChanged);
        QTest::mouseClick(w.get(), Qt::LeftButton, {}, Cell(19, 0, 1));
        QVERIFY(w->IsEditing());
        QCOMPARE(w->Editor().CaretColumn(), 19);
        QTest::keyClicks(w.get(), "X");
        QCOMPARE(beeps.count(), 1);
        QTest::keyClick(w.get(), Qt::Key_Insert);
        QCOMPARE(modes.count(), 1);
        QVERIFY(!w->InsertMode());
        QTest::keyClicks(w.get(), "Z");
        QCOMPARE(Line(0), std::string("AbcdefghijklmnopqrsZ"));
        QTest::keyClicks(w.get(), "Y");
        QCOMPARE(beeps.count(), 2);
        QTest::keyClick(w.get(), Qt::Key_Insert);
        QVERIFY(w->InsertMode());
    }

    void halfCharacterClick()
    {
        AddCard({ "Anna", "1", "Hotel" });
        QVERIFY(w->SetCurrentIndex(0));
        QTest::mouseClick(w.get(), Qt::LeftButton, {}, Cell(2, 3, 3));
        QCOMPARE(w->Editor().CaretRow(), 3);
        QCOMPARE(w->Editor().CaretColumn(), 2);
        QTest::mouseClick(w.get(), Qt::LeftButton, {}, Cell(2, 3, 4));
        QCOMPARE(w->Editor().CaretColumn(), 3);
        QTest::mouseClick(w.get(), Qt::LeftButton, {}, Cell(2, 0, 5));
        QCOMPARE(w->Editor().CaretColumn(), 2);
        QTest::mouseClick(w.get(), Qt::LeftButton, {}, Cell(2, 0, 6));
        QCOMPARE(w->Editor().CaretColumn(), 3);
        QCOMPARE(w->Editor().CaretRow(), 0);
    }

    void downOnRowSevenOfPageFive()
    {
        w->ClearCurrentIndex();
        w->StartEditing(0, 7);
        QSignalSpy pages(w.get(), &CDisplayWnd::pageChanged);
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(w.get(), Qt::Key_Down);
        QCOMPARE(w->Page(), 2);
        QCOMPARE(pages.count(), 1);
        QCOMPARE(pages.last().at(0).toInt(), 2);
        for (int i = 0; i < 40; ++i)
            QTest::keyClick(w.get(), Qt::Key_Down);
        QCOMPARE(w->Page(), 5);
        QCOMPARE(w->Editor().CaretRow(), 7);
        QTest::keyClick(w.get(), Qt::Key_Down);
        QTest::keyClick(w.get(), Qt::Key_Return);
        QCOMPARE(w->Page(), 5);
        QCOMPARE(w->Editor().CaretRow(), 7);
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        QCOMPARE(w->Page(), 5);
    }

    void clipboardThroughWindows1252()
    {
        AddCard({ "Meier", "0301234" });
        QVERIFY(w->SetCurrentIndex(0));
        w->StartEditing(0, 0);
        QTest::keyClick(w.get(), Qt::Key_End, Qt::ShiftModifier);
        QVERIFY(w->HasSelection());
        QTest::keyClick(w.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Meier"));

        // Text from other programs: LF line ends, characters beyond the
        // telephone's set.
        QGuiApplication::clipboard()->setText(QString::fromUtf8("Müller\nCafé Ñ[1]"));
        QTest::keyClick(w.get(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Line(0), std::string("M\xFCller"));
        QCOMPARE(Line(1), std::string("Caf\xE9 \xD1(1)"));
        QCOMPARE(Line(2), std::string("0301234"));
        QCOMPARE(w->Editor().CaretRow(), 1);
        QCOMPARE(w->Editor().CaretColumn(), 9);

        // Cut with Shift+Delete.
        QTest::keyClick(w.get(), Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClick(w.get(), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8("Café Ñ(1)"));
        QCOMPARE(Line(1), std::string());
        QCOMPARE(Line(2), std::string("0301234"));
    }

    void pastedTextIsMadeReadableForTheTelephone()
    {
        AddCard({ "Meier", "0301234" });
        QVERIFY(w->SetCurrentIndex(0));
        w->StartEditing(0, 0);
        QTest::keyClick(w.get(), Qt::Key_End, Qt::ShiftModifier);
        // Another script, a typographic dash and apostrophe, ß.
        QGuiApplication::clipboard()->setText(QString::fromUtf8("Олег – l’Île, Straße"));
        QTest::keyClick(w.get(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(QString::fromLatin1(Line(0)), QStringLiteral("Oleg - l'Ile, Strasse").left(kShortLineLength));
    }

    void doubleClickSelectsAWord()
    {
        AddCard({ "Anna", "1", "Hotel Sonne Berlin" });
        QVERIFY(w->SetCurrentIndex(0));
        QTest::mouseClick(w.get(), Qt::LeftButton, {}, Cell(8, 2, 2));
        QTest::mouseDClick(w.get(), Qt::LeftButton, {}, Cell(8, 2, 2));
        QVERIFY(w->HasSelection());
        QCOMPARE(w->Editor().SelectionStart().column, 6);
        QCOMPARE(w->Editor().SelectionEnd().column, 11);
        w->Copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Sonne"));
    }

    void draggingSelects()
    {
        AddCard({ "Anna", "1", "Hotel Sonne" });
        QVERIFY(w->SetCurrentIndex(0));
        w->StartEditing(0, 0);
        QTest::mousePress(w.get(), Qt::LeftButton, {}, Cell(1, 2, 0));
        QMouseEvent move(QEvent::MouseMove, QPointF(Cell(4, 2, 0)), w->mapToGlobal(QPointF(Cell(4, 2, 0))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &move);
        QTest::mouseRelease(w.get(), Qt::LeftButton, {}, Cell(4, 2, 0));
        QCOMPARE(w->Editor().SelectionStart().column, 1);
        QCOMPARE(w->Editor().SelectionEnd().column, 4);
        QTest::keyClicks(w.get(), "a");
        QCOMPARE(Line(2), std::string("Hal Sonne"));
    }

    void browsingKeysAndMessages()
    {
        AddCard({ "Anna" });
        AddCard({ "Berta" });
        QVERIFY(w->SetCurrentIndex(0));
        QSignalSpy toList(w.get(), &CDisplayWnd::listModeRequested);
        QTest::keyClick(w.get(), Qt::Key_Down);
        QCOMPARE(w->CurrentIndex(), 1);
        QTest::keyClick(w.get(), Qt::Key_Right);
        QCOMPARE(w->Page(), 2);
        QTest::keyClick(w.get(), Qt::Key_Left);
        QCOMPARE(toList.count(), 0);
        QTest::keyClick(w.get(), Qt::Key_Left);
        QCOMPARE(toList.count(), 1);
        QCOMPARE(toList.last().at(0).toInt(), 0);
        QTest::keyClicks(w.get(), "b");
        QCOMPARE(toList.count(), 2);
        QCOMPARE(toList.last().at(0).toInt(), int('b'));
        QVERIFY(!w->IsEditing());
        // Delete and Backspace do nothing while browsing.
        QTest::keyClick(w.get(), Qt::Key_Delete);
        QCOMPARE(toList.count(), 2);
        QCOMPARE(list.At(1)->Name(), std::string("Berta"));
    }

    void ctrlDownAsksBeforeInsertingALine()
    {
        AddCard({ "Anna", "1", "a", "b" });
        QVERIFY(w->SetCurrentIndex(0));
        unsigned asked = 0;
        bool answer = false;
        w->SetAskFunction([&](unsigned id) {
            asked = id;
            return answer;
        });
        w->RowKey(2);
        QTest::keyClick(w.get(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(asked, msg::InsertLineQuestion);
        QCOMPARE(Line(2), std::string("a"));
        answer = true;
        QTest::keyClick(w.get(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(Line(2), std::string());
        QCOMPARE(Line(3), std::string("a"));
        QTest::keyClick(w.get(), Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(asked, msg::DeleteLineQuestion);
        QCOMPARE(Line(2), std::string("a"));
    }

    void savedNoticeStopsAtAKey()
    {
        AddCard({ "Anna" });
        QVERIFY(w->SetCurrentIndex(0));
        w->StartSavedNotice();
        QVERIFY(w->IsSavedNoticeShown());
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        QVERIFY(!w->IsSavedNoticeShown());
        w->StartSavedNotice(30);
        QTRY_VERIFY_WITH_TIMEOUT(!w->IsSavedNoticeShown(), 2000);
    }

    void contextMenuItems()
    {
        AddCard({ "Anna", "1" });
        QVERIFY(w->SetCurrentIndex(0));
        using V = std::vector<unsigned>;
        QCOMPARE(w->ContextMenuCommands(), (V { 32794, 32795, 32797 }));
        w->StartEditing(0, 0);
        QCOMPARE(w->ContextMenuCommands(), (V { 32790, 32791, 32792, 32793, 0, 32794, 32795, 32797 }));
        QGuiApplication::clipboard()->setText("x");
        QCOMPARE(w->ContextMenuCommands(), (V { 57637, 0, 32790, 32791, 32792, 32793, 0, 32794, 32795, 32797 }));
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(w.get(), Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(w->ContextMenuCommands(), (V { 57635, 57634, 0, 32790, 32791, 32792, 32793, 0, 32794, 32795, 32797 }));
        QVERIFY(!CDisplayWnd::ContextMenuText(32792).isEmpty());
        QVERIFY(!CDisplayWnd::ContextMenuText(32795).isEmpty());
    }

    void rowKeyStartsEditingThere()
    {
        AddCard({ "Anna", "1" });
        QVERIFY(w->SetCurrentIndex(0));
        w->SetPage(3);
        w->RowKey(1);
        QVERIFY(w->IsEditing());
        QCOMPARE(w->Page(), 1);
        QCOMPARE(w->Editor().CaretRow(), 1);
        QTest::keyClicks(w.get(), "0");
        QCOMPARE(Line(1), std::string("01"));
        w->RowKey(4, true);
        QVERIFY(w->HasSelection());
    }
};

QTEST_MAIN(DisplayWndTest)
#include "tst_displaywnd.moc"
