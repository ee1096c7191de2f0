// The softkey bar: its sets, the more toggle, the cell edges, highlighting
// and the page thumbnails' pixels.

#include "model/Karte.h"
#include "view/LineEditor.h"
#include "view/SoftkeyBar.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace velkaro;

class SoftkeyBarTest : public QObject {
    Q_OBJECT

private:
    CCardList list;
    CLineEditor display;
    std::unique_ptr<CSoftkeyBar> bar;

    std::vector<int> Codes() const
    {
        std::vector<int> codes;
        for (int i = 0; i < 7; ++i)
            codes.push_back(bar->ActionCode(i));
        return codes;
    }
    // The working copy is the shown card while no card of the list is current.
    CKarte& Shown() { return display.WorkingCopy(); }

private slots:
    void init()
    {
        display.SetCardList(&list);
        display.ClearCurrentIndex();
        Shown().Clear();
        bar = std::make_unique<CSoftkeyBar>();
        bar->resize(kSoftkeyBarWidth, kSoftkeyBarHeight);
        bar->SetDisplay(&display);
        bar->show();
        QVERIFY(QTest::qWaitForWindowExposed(bar.get()));
    }
    void cleanup() { bar.reset(); }

    void setsAndToggle()
    {
        using V = std::vector<int>;
        QCOMPARE(Codes(), (V { 12, 12, 12, 12, 12, 12, 12 }));
        bar->SetSet(softkey::SetBrowse);
        QCOMPARE(Codes(), (V { 0, 1, 2, 12, 12, 12, 3 }));
        bar->SetSet(softkey::SetEdit);
        QCOMPARE(Codes(), (V { 0, 4, 5, 12, 12, 12, 12 }));
        bar->Toggle(softkey::SetEdit);
        QCOMPARE(Codes(), (V { 0, 7, 8, 9, 10, 11, 12 }));
        bar->Toggle(softkey::SetEdit);
        QCOMPARE(Codes(), (V { 0, 4, 5, 12, 12, 12, 12 }));
        bar->SetSet(softkey::SetList);
        QCOMPARE(Codes(), (V { 12, 12, 12, 12, 12, 12, 12 }));
        QCOMPARE(bar->ActionCode(7), 12);
        QCOMPARE(bar->ActionCode(-1), 12);
        QVERIFY(bar->CellRect(7).isEmpty());
        QCOMPARE(bar->CellRect(1), QRect(44, -1, 45, 40));
    }

    void cellEdges()
    {
        bar->SetSet(softkey::SetBrowse);
        QSignalSpy cells(bar.get(), &CSoftkeyBar::cellPressed);
        QSignalSpy actions(bar.get(), &CSoftkeyBar::actionPressed);
        QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(43, 20));
        QCOMPARE(cells.last().at(0).toInt(), 0);
        QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(44, 20));
        QCOMPARE(cells.last().at(0).toInt(), 1);
        QCOMPARE(actions.last().at(0).toInt(), softkey::List);
        QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(313, 20));
        QCOMPARE(cells.last().at(0).toInt(), 6);
        QCOMPARE(actions.last().at(0).toInt(), softkey::Delete);
        QCOMPARE(cells.count(), 3);
        QCOMPARE(bar->CellAt(QPoint(314, 20)), -1);
        QCOMPARE(bar->CellAt(QPoint(20, 39)), -1);
        QCOMPARE(bar->CellAt(QPoint(20, 38)), 0);
    }

    void ctrlFunctionKeysPressCells()
    {
        bar->SetSet(softkey::SetEdit);
        QSignalSpy actions(bar.get(), &CSoftkeyBar::actionPressed);
        QTest::keyClick(bar.get(), Qt::Key_F2, Qt::ControlModifier);
        QCOMPARE(actions.last().at(0).toInt(), softkey::Save);
        QTest::keyClick(bar.get(), Qt::Key_F3, Qt::ControlModifier);
        QCOMPARE(actions.last().at(0).toInt(), softkey::Mark);
        bar->PressCell(7);
        QCOMPARE(actions.count(), 2);
    }

    void moreIsHighlightedOnlyForUsedLinesAfterLineSeven()
    {
        bar->SetSet(softkey::SetBrowse);
        Shown().SetLine(0, "Anna");
        Shown().SetLine(7, "x");
        QVERIFY(!bar->IsHighlighted(0));
        // Stored but empty lines after line 7 do not count.
        auto lines = Shown().StoredLines();
        lines.resize(20);
        Shown().SetStoredLines(lines);
        QVERIFY(!bar->IsHighlighted(0));
        Shown().SetLine(8, "y");
        QVERIFY(bar->IsHighlighted(0));
    }

    void currentPageIsHighlighted()
    {
        bar->SetSet(softkey::SetPages);
        display.SetPage(3);
        QVERIFY(!bar->IsHighlighted(1));
        QVERIFY(bar->IsHighlighted(3));
        QVERIFY(!bar->IsHighlighted(6));
    }

    void thumbnailPixels()
    {
        bar->SetSet(softkey::SetPages);
        display.SetPage(1);
        Shown().SetLine(2, "a b");  // page 1, first line
        Shown().SetLine(7, "   ");  // blanks only
        Shown().SetLine(8, "zz");   // page 2
        // The pixels a 1x screen shows, whatever the scale of this one.
        QImage image(bar->size(), QImage::Format_RGB32);
        bar->render(&image);
        // Cell 1 (page 1, highlighted): the thumbnail starts 5 pixels into
        // the cell, 4 below its top (which is -1).
        const int left = 44 + 5;
        const int top = -1;
        auto isBlack = [&](int x, int y) { return image.pixelColor(x, y) == QColor(Qt::black); };
        QVERIFY(isBlack(left + 2 + 0, top + 6));
        QVERIFY(!isBlack(left + 2 + 1, top + 6));
        QVERIFY(isBlack(left + 2 + 2, top + 6));
        for (int c = 0; c < 30; ++c)
            QVERIFY(!isBlack(left + 2 + c, top + 6 + 2 * 5));
        // Page 2's thumbnail in cell 2.
        const int left2 = 89 + 5;
        QVERIFY(isBlack(left2 + 2, top + 6));
        QVERIFY(isBlack(left2 + 3, top + 6));
        QVERIFY(!isBlack(left2 + 4, top + 6));
        // The highlighted thumbnail is white, the others the cell colour.
        QCOMPARE(image.pixelColor(left + 20, top + 12), QColor(Qt::white));
        QCOMPARE(image.pixelColor(left2 + 20, top + 12), QColor(192, 192, 192));
    }

    void labelsInThreeLanguages()
    {
        for (int action = 0; action <= 5; ++action) {
            for (int row = 0; row < 3; ++row)
                QVERIFY(!CSoftkeyBar::LabelText(action, row).isEmpty());
        }
        QCOMPARE(CSoftkeyBar::LabelText(2, 1), QStringLiteral("Dial"));
        QVERIFY(CSoftkeyBar::LabelText(6, 0).isEmpty());
    }
};

QTEST_MAIN(SoftkeyBarTest)
#include "tst_softkeybar.moc"
