// The index list window driven by real key and mouse events, with the
// type-ahead clock under the test's control.

#include "model/CardList.h"
#include "view/IndexWnd.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace velkaro;

class IndexWndTest : public QObject {
    Q_OBJECT

private:
    CCardList list;
    SelectionState selection;
    int64_t now = 50000;
    std::unique_ptr<CIndexWnd> w;

    void Names(std::initializer_list<const char*> names)
    {
        for (const char* n : names) {
            auto card = std::make_unique<CKarte>();
            card->SetLine(0, n);
            list.InsertSorted(std::move(card), false);
        }
        w->SetCardList(&list);
    }
    QString ShownNames() const
    {
        QStringList out;
        for (int row = 0; row < 8; ++row) {
            int card = w->RowToCard(row);
            if (card >= 0)
                out << QString::fromLatin1(std::string(list.At(card)->Name()).c_str());
        }
        return out.join(',');
    }

private slots:
    void init()
    {
        list.DeleteAllCards();
        selection = {};
        w = std::make_unique<CIndexWnd>();
        w->resize(280, 161);
        w->SetClock([this] { return now; });
        w->SetSelection(&selection);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->setFocus();
    }
    void cleanup() { w.reset(); }

    void typeAheadWithinAndAfterFourSeconds()
    {
        Names({ "Anna", "Meier", "Merz", "Miller", "Zorn" });
        QTest::keyClicks(w.get(), "m");
        QCOMPARE(ShownNames(), QStringLiteral("Meier,Merz,Miller"));
        now += 3900;
        QTest::keyClicks(w.get(), "e");
        QCOMPARE(ShownNames(), QStringLiteral("Meier,Merz"));
        now += 4100;
        QTest::keyClicks(w.get(), "z");
        QCOMPARE(ShownNames(), QStringLiteral("Zorn"));
    }

    void missThenNewSearchAfterOneSecond()
    {
        Names({ "Anna", "Berta" });
        QTest::keyClicks(w.get(), "x");
        QCOMPARE(w->List().Top(), -1);
        QCOMPARE(w->List().TimerMs(), CIndexList::kMissMs);
        now += 1000;
        QTest::keyClicks(w.get(), "b");
        QCOMPARE(ShownNames(), QStringLiteral("Berta"));
    }

    void keysStepAndEndTyping()
    {
        Names({ "Anna", "Anton", "Berta" });
        QTest::keyClicks(w.get(), "a");
        QVERIFY(w->List().IsTyping());
        QTest::keyClick(w.get(), Qt::Key_Down);
        QVERIFY(!w->List().IsTyping());
        QCOMPARE(ShownNames(), QStringLiteral("Berta"));
        QTest::keyClick(w.get(), Qt::Key_PageUp);
        QCOMPARE(ShownNames(), QStringLiteral("Anna,Anton"));
        QTest::keyClick(w.get(), Qt::Key_End);
        QCOMPARE(ShownNames(), QStringLiteral("Berta"));
        QTest::keyClick(w.get(), Qt::Key_Home);
        QCOMPARE(ShownNames(), QStringLiteral("Anna,Anton"));
    }

    void clicksGiveRowKeys()
    {
        Names({ "Anna", "Anton", "Berta" });
        QSignalSpy rows(w.get(), &CIndexWnd::rowClicked);
        QTest::mouseClick(w.get(), Qt::LeftButton, {}, QPoint(50, 45));
        QCOMPARE(rows.count(), 1);
        QCOMPARE(rows.last().at(0).toInt(), 2);
        QTest::mouseClick(w.get(), Qt::LeftButton, {}, QPoint(50, 159));
        QCOMPARE(rows.last().at(0).toInt(), 7);
        QCOMPARE(w->RowToCard(7), -1);
        QTest::mouseClick(w.get(), Qt::LeftButton, {}, QPoint(50, 160));  // below the eighth row
        QCOMPARE(rows.count(), 2);
    }

    void typingEndsASelectionThatIsNotPermanent()
    {
        Names({ "Anna Hotel", "Berta", "Carl Hotel" });
        selection.active = true;
        selection.text = "hotel";
        w->ResetForSelection();
        QCOMPARE(ShownNames(), QStringLiteral("Anna Hotel,Carl Hotel"));
        QSignalSpy ended(w.get(), &CIndexWnd::selectionEnded);
        QTest::keyClicks(w.get(), "b");
        QCOMPARE(ended.count(), 1);
        QVERIFY(!selection.active);
        QCOMPARE(ShownNames(), QStringLiteral("Berta"));
    }

    void permanentSelectionKeepsItsWay()
    {
        Names({ "Anna Hotel", "Berta", "Carl Hotel" });
        selection.active = true;
        selection.permanent = true;
        selection.text = "hotel";
        w->ResetForSelection();
        QSignalSpy ended(w.get(), &CIndexWnd::selectionEnded);
        QTest::keyClicks(w.get(), "b");
        QCOMPARE(ended.count(), 0);
        QCOMPARE(ShownNames(), QStringLiteral("Carl Hotel"));
        QTest::keyClick(w.get(), Qt::Key_Home);
        QCOMPARE(ShownNames(), QStringLiteral("Anna Hotel,Carl Hotel"));
    }

    void timerEndsTyping()
    {
        Names({ "Anna" });
        QTest::keyClicks(w.get(), "q");  // a miss: one second
        QVERIFY(w->List().IsTyping());
        QTRY_VERIFY_WITH_TIMEOUT(!w->List().IsTyping(), 3000);
    }
};

QTEST_MAIN(IndexWndTest)
#include "tst_indexwnd.moc"
