// The progress window and its bar: the percentage, the colours of the two
// parts, the size and place of the window, the painting at every step and
// the window standing alone when there is no main window.

#include "support/ModalTestSupport.h"
#include "view/ProgressWnd.h"

#include <QDir>
#include <QEvent>
#include <QTest>

using namespace velkaro;

namespace {

QString PictureDir()
{
    QString dir = qEnvironmentVariable("VELKARO_PICTURE_DIR", QStringLiteral(VELKARO_BINARY_DIR "/view-pictures"));
    QDir().mkpath(dir);
    return dir;
}

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

}  // namespace

class ProgressTest : public QObject {
    Q_OBJECT

private slots:
    void percentage()
    {
        CProgressBar bar;
        QCOMPARE(bar.Range(), 1000);
        QCOMPARE(bar.PercentText(), QStringLiteral("0%"));
        bar.SetPos(500);
        QCOMPARE(bar.PercentText(), QStringLiteral("50%"));
        QCOMPARE(CProgressBar::Percent(999, 1000), 99);  // truncated
        QCOMPARE(CProgressBar::Percent(1000, 1000), 100);
        QCOMPARE(CProgressBar::Percent(9, 1000), 0);
        bar.SetPos(1500);
        QCOMPARE(bar.Pos(), 1000);
        bar.SetPos(-3);
        QCOMPARE(bar.Pos(), 0);
    }

    void theFilledPartIsInTheHighlightColour()
    {
        CProgressBar bar(CProgressBar::kSunken);
        bar.resize(200, 24);
        bar.SetPos(500);
        const QImage image = bar.grab().toImage();
        const QColor highlight = bar.palette().color(QPalette::Highlight);
        QCOMPARE(image.pixelColor(20, 12), highlight);
        QCOMPARE(image.pixelColor(180, 12), QColor(Qt::white));
        // The text stands in the middle, over both parts.
        bool text = false;
        for (int x = 80; x < 120 && !text; ++x)
            for (int y = 4; y < 20 && !text; ++y) {
                const QColor c = image.pixelColor(x, y);
                text = c != highlight && c != QColor(Qt::white);
            }
        QVERIFY(text);

        CProgressBar vertical(CProgressBar::kVertical | CProgressBar::kNoText);
        vertical.resize(24, 200);
        vertical.SetPos(250);
        const QImage v = vertical.grab().toImage();
        QCOMPARE(v.pixelColor(12, 190), highlight);
        QCOMPARE(v.pixelColor(12, 100), QColor(Qt::white));
        QCOMPARE(v.pixelColor(12, 12), QColor(Qt::white));
    }

    void windowIsCentredOnTheMainWindow()
    {
        QWidget main;
        main.resize(640, 480);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        CProgressWnd wnd(QStringLiteral("Importieren..."), &main);
        QCOMPARE(wnd.parentWidget(), &main);
        QVERIFY(!wnd.isWindow());
        QVERIFY(wnd.isVisible());
        QCOMPARE(wnd.size(), QSize(280, 80));
        QCOMPARE(wnd.geometry().center(), main.rect().center());
        QCOMPARE(wnd.cursor().shape(), Qt::WaitCursor);
        QCOMPARE(wnd.Bar()->Range(), 1000);
        QVERIFY(wnd.Bar()->Style() & CProgressBar::kSunken);
        // The bar: 40 pixels narrower than the inside, font height + 8 high,
        // centred (an odd leftover puts it half a pixel off, either way).
        const QRect bar = wnd.Bar()->geometry();
        QCOMPARE(bar.height(), wnd.fontMetrics().height() + 8);
        QVERIFY(qAbs(bar.center().x() - wnd.rect().center().x()) <= 1);
        QVERIFY(qAbs(bar.center().y() - wnd.rect().center().y()) <= 1);
        QVERIFY(bar.width() < 280 - 40);
        QVERIFY(bar.width() >= 280 - 40 - 8);

        wnd.SetPos(500);
        QCOMPARE(wnd.Bar()->PercentText(), QStringLiteral("50%"));
        QVERIFY(test::SavePicture(wnd, PictureDir() + QStringLiteral("/progress-window.png")));
        QVERIFY(test::SavePicture(main, PictureDir() + QStringLiteral("/progress-in-main-window.png")));
    }

    void everyStepIsPaintedBeforeItReturns()
    {
        QWidget main;
        main.resize(500, 300);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        CProgressWnd wnd(QStringLiteral("Datei laden..."), &main);
        PaintCounter counter;
        wnd.Bar()->installEventFilter(&counter);
        wnd.SetPos(100);
        QCOMPARE(counter.paints, 1);
        wnd.SetPos(200);
        QCOMPARE(counter.paints, 2);
        wnd.SetPos(200);  // nothing changed, nothing to paint
        QCOMPARE(counter.paints, 2);
    }

    void withoutAMainWindowItStandsAlone()
    {
        CProgressWnd wnd(QStringLiteral("Datei analysieren..."));
        QVERIFY(wnd.isWindow());
        QVERIFY(wnd.isVisible());
        QCOMPARE(wnd.size(), QSize(280, 80));
        wnd.SetPos(1000);
        QCOMPARE(wnd.Bar()->PercentText(), QStringLiteral("100%"));
    }
};

QTEST_MAIN(ProgressTest)
#include "tst_progress.moc"
