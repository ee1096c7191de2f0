// Renders the card view's children in their typical states, checks a few
// colours of the pictures and writes them to view-pictures/ in the build
// tree, where they can be looked at.

#include "text/Language.h"
#include "model/CardList.h"
#include "view/DisplayWnd.h"
#include "view/FieldNameWnd.h"
#include "view/IndexWnd.h"
#include "view/SoftkeyBar.h"
#include "support/Cards.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <memory>

using namespace velkaro;
using test::Card;

namespace {

QString OutDir()
{
    QString dir = QStringLiteral(VELKARO_BINARY_DIR "/view-pictures");
    QDir().mkpath(dir);
    return dir;
}

void Save(QWidget& w, const QString& name)
{
    QImage image = w.grab().toImage();
    // Four times the size, square pixels, so that the pixels can be judged.
    image = image.scaled(image.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QVERIFY(image.save(OutDir() + '/' + name + ".png"));
}

// The display over its softkey bar as this screen shows them, at its own
// scale, in build/screenshots/cardview-<language>-<scale>x.png.
void SaveCardView(QWidget& display, QWidget& bar, const char* language)
{
    const qreal scale = qApp->devicePixelRatio();
    QImage image(QSize(bar.width(), display.height() + bar.height()) * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::black);
    display.render(&image);
    bar.render(&image, QPoint(0, display.height()));
    const QString dir = QStringLiteral(VELKARO_BINARY_DIR "/screenshots");
    QDir().mkpath(dir);
    QVERIFY(image.save(QStringLiteral("%1/cardview-%2-%3x.png").arg(dir, language).arg(qRound(scale))));
}

}  // namespace

class WidgetPictures : public QObject {
    Q_OBJECT

private:
    CCardList list;

private slots:
    void initTestCase()
    {
        for (const char* n : { "Anna Albers", "Anton Huber", "Berta Kurz", "Hotel Sonne", "Meier Hans",
                               "Merz Optik", "Meyer Druck", "Miller Jane", "Zorn Peter" })
            list.InsertSorted(Card({ n, "030 1234567" }), false);
        list.At(4)->SetMarkByte(1);
        auto names = Card({ "", "Telefon", "Firma", "Strasse", "Ort", "E-Mail" });
        names->SetLine(0, ReservedName());
        list.SetFieldNames(std::move(names));
    }

    void display()
    {
        CDisplayWnd w;
        w.resize(280, kDisplayHeight);
        w.SetCardList(&list);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto card = Card({ "Meier Hans", "+49 30 1234567", "Meier & Co. GmbH", "Hauptstrasse 12", "10115 Berlin",
                           "hans.meier@example.org", "", "Kunde seit 1998" }, 1);
        card->SetLine(9, "Seite zwei");
        int at = list.InsertSorted(std::move(card), true);
        QVERIFY(w.SetCurrentIndex(at));
        Save(w, "display-browse-marked");
        QImage image = w.grab().toImage();
        QCOMPARE(image.pixelColor(2, 2), QColor(255, 255, 0));       // marked band
        QCOMPARE(image.pixelColor(2, 50), QColor(185, 240, 200));    // display ground
        QCOMPARE(image.pixelColor(100, 60), QColor(255, 255, 255));  // row rule

        w.SetPage(2);
        Save(w, "display-page2");
        image = w.grab().toImage();
        QCOMPARE(image.pixelColor(2, 2), QColor(64, 0, 64));

        w.SetPage(1);
        w.setFocus();
        w.StartEditing(0, 3);
        QTest::keyClick(&w, Qt::Key_End, Qt::ShiftModifier);
        QTest::keyClick(&w, Qt::Key_Down, Qt::ShiftModifier);
        Save(w, "display-editing-selection");
        w.StartSavedNotice();
        Save(w, "display-saved-notice");
    }

    void indexList()
    {
        CIndexWnd w;
        w.resize(280, kDisplayHeight);
        w.SetCardList(&list);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Save(w, "index-start");
        QImage image = w.grab().toImage();
        QCOMPARE(image.pixelColor(2, 10), QColor(149, 185, 234));
        QCOMPARE(image.pixelColor(2, 90), QColor(255, 255, 0));  // Meier Hans, row 4
        w.TypeCharacter('m');
        w.TypeCharacter('e');
        Save(w, "index-typing-me");
        w.Reset();
        w.TypeCharacter('q');
        Save(w, "index-no-entry");
        CCardList empty;
        w.SetCardList(&empty);
        Save(w, "index-empty");
    }

    void softkeys()
    {
        CLineEditor display;
        display.SetCardList(&list);
        display.ClearCurrentIndex();
        display.WorkingCopy().SetLine(0, "Meier Hans");
        display.WorkingCopy().SetLine(2, "Meier & Co. GmbH");
        display.WorkingCopy().SetLine(3, "Hauptstrasse 12");
        display.WorkingCopy().SetLine(9, "Seite zwei, Zeile zwei");
        display.WorkingCopy().SetLine(14, "Seite drei");
        CSoftkeyBar bar;
        bar.resize(kSoftkeyBarWidth, kSoftkeyBarHeight);
        bar.SetDisplay(&display);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        CDisplayWnd shown;
        shown.resize(kSoftkeyBarWidth, kDisplayHeight);
        shown.SetCardList(&list);
        shown.SetCurrentIndex(0);
        const char* languages[] = { "de", "en", "fr" };
        const int offsets[] = { kLangGerman, kLangEnglish, kLangFrench };
        for (int l = 0; l < 3; ++l) {
            SetLanguageOffset(offsets[l]);
            bar.SetSet(softkey::SetBrowse);
            Save(bar, QStringLiteral("softkeys-browse-%1").arg(languages[l]));
            SaveCardView(shown, bar, languages[l]);
            display.WorkingCopy().SetMarked(true);
            bar.SetSet(softkey::SetEdit);
            Save(bar, QStringLiteral("softkeys-edit-marked-%1").arg(languages[l]));
            display.WorkingCopy().SetMarked(false);
        }
        SetLanguageOffset(kLangGerman);
        display.SetPage(2);
        bar.SetSet(softkey::SetPages);
        Save(bar, "softkeys-pages");

        // Every symbol, large, for a close look.
        QImage sheet(6 * 45 * 4, 2 * 40 * 4, QImage::Format_RGB32);
        sheet.fill(QColor(192, 192, 192));
        QPainter p(&sheet);
        p.scale(4, 4);
        const int symbol = 34 - kSoftkeyLabelHeight;
        for (int a = 0; a <= 5; ++a) {
            CSoftkeyBar::DrawSymbol(p, a, 0, QRect(45 * a + 3, 3, 39, symbol), false);
            CSoftkeyBar::DrawLabel(p, a, 0, QRect(45 * a + 3, 3 + symbol, 39, kSoftkeyLabelHeight), false);
            p.fillRect(QRect(45 * a, 40, 45, 40), QColor(66, 66, 66));
            CSoftkeyBar::DrawSymbol(p, a, a == 5 ? 1 : 0, QRect(45 * a + 3, 43, 39, symbol), true);
            CSoftkeyBar::DrawLabel(p, a, 1, QRect(45 * a + 3, 43 + symbol, 39, kSoftkeyLabelHeight), true);
        }
        p.end();
        QVERIFY(sheet.save(OutDir() + "/softkey-symbols.png"));
    }

    void fieldNames()
    {
        CLineEditor display;
        display.SetCardList(&list);
        CFieldNameWnd w;
        w.resize(kFieldNameWidth, kDisplayHeight);
        w.SetCardList(&list);
        w.SetDisplay(&display);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.RowLabel(0), std::string("Name"));
        QCOMPARE(w.RowLabel(2), std::string("Firma"));
        Save(w, "fieldnames-page1");
        display.SetPage(2);
        QCOMPARE(w.RowLabel(2), std::string());
        Save(w, "fieldnames-page2");
    }
};

QTEST_MAIN(WidgetPictures)
#include "tst_widgetpictures.moc"
