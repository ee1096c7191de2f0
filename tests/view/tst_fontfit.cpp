// The fonts the program really gets on this computer, measured against the
// rows and columns they are drawn in, and the painted windows checked for
// glyphs that reach across a row's rule.

#include "model/CardList.h"
#include "model/Selection.h"
#include "view/DisplayWnd.h"
#include "view/FieldNameWnd.h"
#include "view/IndexWnd.h"
#include "view/SelectionPanel.h"
#include "view/SoftkeyBar.h"
#include "view/ViewShared.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QToolTip>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <memory>

using namespace velkaro;

namespace {

struct Cell {
    const char* what;
    QFont font;
    int height;  // pixels for ascent and descent
    int width;   // pixels for `chars` characters
    int chars;
};

// Lines that use every tall capital and every tail the cards can hold.
const char* const kTallLines[] = {
    "\xC5gjpqy \xC9\xC7\xD6\xDC\x8A\x9F",  // Ågjpqy ÉÇÖÜŠŸ
    "Ida Igel Schmid_|",
    "\xC5\xC5\xC5\xC5\xC5\xC5\xC5\xC5\xC5\xC5gggggggggg",
};

// Whether a whole pixel line of the image has one colour.
bool LineIs(const QImage& image, int y, int x0, int x1, QColor color)
{
    for (int x = x0; x < x1; ++x)
        if (image.pixelColor(x, y) != color)
            return false;
    return true;
}

// The box around every pixel of `area` that is not `ground`.
QRect InkIn(const QImage& image, const QRect& area, QColor ground)
{
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) != ground)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

}  // namespace

class FontFitTest : public QObject {
    Q_OBJECT

private slots:
    // Every font, measured as designed (unhinted, as on any screen): ascent
    // plus descent within its row, every tall glyph's ink within the row on
    // the baseline the painters use, the widest characters within the column.
    void fontsFitTheirCells()
    {
        const ViewResources& res = DefaultViewResources();
        const Cell cells[] = {
            { "large", res.large, kLargeTextHeight, kDisplayTextWidth, 20 },
            { "small", res.small, kSmallTextHeight, kDisplayTextWidth, 30 },
            { "field name", res.fieldName, kLargeTextHeight, kFieldNameWidth - 4, 10 },
        };
        for (const Cell& cell : cells) {
            QFont unhinted = cell.font;
            unhinted.setHintingPreference(QFont::PreferNoHinting);
            const QFontMetrics fm(unhinted);
            const QByteArray what = QByteArray(cell.what) + " " + cell.font.family().toUtf8() + " "
                                    + QByteArray::number(cell.font.pixelSize()) + "px";
            QVERIFY2(fm.ascent() + fm.descent() <= cell.height, what.constData());
            const int baseline = BaselineIn(fm, 0, cell.height);
            for (QChar c : TallestGlyphs()) {
                const QRect ink = fm.boundingRect(c);
                const QByteArray glyph = what + " glyph U+" + QByteArray::number(c.unicode(), 16);
                QVERIFY2(baseline + ink.top() >= 0, glyph.constData());
                QVERIFY2(baseline + ink.bottom() < cell.height, glyph.constData());
            }
            for (QChar c : QStringLiteral("WM@m\u00c6\u0152")) {
                const QByteArray glyph = what + " glyph U+" + QByteArray::number(c.unicode(), 16);
                QVERIFY2(cell.chars * fm.horizontalAdvance(c) <= cell.width, glyph.constData());
            }
            // A fixed face, so the columns stand where the caret expects them.
            QCOMPARE(fm.horizontalAdvance(QStringLiteral("iiiii")), fm.horizontalAdvance(QStringLiteral("WWWWW")));
        }
    }

    // Painted, no glyph touches a row's rule: the rules stay whole from
    // edge to edge in the display, the index list and the field-name column.
    void paintedRowsKeepTheirRules()
    {
        CCardList list;
        for (const char* line : kTallLines) {
            auto card = std::make_unique<CKarte>();
            for (int i = 0; i < 8; ++i)
                card->SetLine(i, line);
            card->SetLine(0, std::string(line) + std::to_string(list.Count()));
            list.InsertSorted(std::move(card), false);
        }
        auto names = std::make_unique<CKarte>();
        for (int i = 0; i < 8; ++i)
            names->SetLine(i, "\xC5gjpqyg\xC9jy");
        list.SetFieldNames(std::move(names));

        const ViewResources& res = DefaultViewResources();
        CDisplayWnd display;
        display.resize(280, kDisplayHeight);
        display.SetCardList(&list);
        display.SetCurrentIndex(0);
        CIndexWnd index;
        index.resize(280, kDisplayHeight);
        index.SetCardList(&list);
        CFieldNameWnd field;
        field.resize(kFieldNameWidth, kDisplayHeight);
        field.SetCardList(&list);
        field.SetDisplay(&display.Editor());

        struct Painted {
            const char* what;
            QWidget* widget;
            QColor rule;
        } painted[] = {
            { "display", &display, res.Color(kColorCardLine) },
            { "index list", &index, res.Color(kColorListLine) },
            { "field names", &field, res.Color(kColorStructureLine) },
        };
        for (const Painted& p : painted) {
            const QImage image = p.widget->grab().toImage();
            const int scale = qRound(image.devicePixelRatio());
            image.save(QStringLiteral(VELKARO_BINARY_DIR "/tests/view/fontfit-%1-%2x.png")
                           .arg(QString::fromLatin1(p.what).replace(' ', '-'))
                           .arg(scale));
            for (int row = 1; row < kDisplayRows; ++row) {
                const QByteArray what = QByteArray(p.what) + " rule " + QByteArray::number(row);
                QVERIFY2(LineIs(image, kRowHeight * row * scale, 0, image.width(), p.rule), what.constData());
            }
        }
    }

    // A row-2 text fills its row at every scale: drawn at 2x it takes twice
    // the pixels it takes at 1x, in both directions, and its face is not
    // shrunk below the row (a street once stood 7 pixels high on a
    // 2x screen).
    void rowTwoTextDoublesAtTwiceTheScale()
    {
        CCardList list;
        auto card = std::make_unique<CKarte>();
        card->SetLine(0, "Ida Igel");
        card->SetLine(2, "K\xF6nigsallee 12");
        list.InsertSorted(std::move(card), false);
        CDisplayWnd display;
        display.resize(280, kDisplayHeight);
        display.SetCardList(&list);
        display.SetCurrentIndex(0);

        const QColor ground = DefaultViewResources().Color(kColorCardGround);
        QRect ink[2];
        for (int scale : { 1, 2 }) {
            QImage image(display.size() * scale, QImage::Format_RGB32);
            image.setDevicePixelRatio(scale);
            display.render(&image);
            // Row 2 between its rules, which a 2x screen draws a little wider.
            const QRect row(0, (2 * kRowHeight + 1) * scale, image.width(), (kRowHeight - 2) * scale);
            ink[scale - 1] = InkIn(image, row, ground);
        }
        QVERIFY(ink[0].height() >= kSmallTextHeight - 7);
        QVERIFY2(qAbs(ink[1].height() - 2 * ink[0].height()) <= 2,
                 qPrintable(QStringLiteral("%1 px at 1x, %2 px at 2x").arg(ink[0].height()).arg(ink[1].height())));
        QVERIFY(qAbs(ink[1].width() - 2 * ink[0].width()) <= 4);
    }

    // The softkey labels of every action in every language: a face whose
    // ascenders and descenders have room in the strip, the text's bounds
    // within it, and the painted ink in it (the tails of "plus", "Enreg.",
    // "Appel" and the accents of "Wählen", "Privé" included).
    void softkeyLabelsStayInTheirStrip()
    {
        const QRect strip(10, 10, 39, kSoftkeyLabelHeight);
        const int scale = qRound(qApp->devicePixelRatio());
        for (int language = 0; language < 3; ++language) {
            for (int action = softkey::More; action <= softkey::Mark; ++action) {
                const QString text = CSoftkeyBar::LabelText(action, language);
                const QByteArray what = text.toUtf8();
                const QFontMetrics fm(CSoftkeyBar::LabelFont(text, strip.width()));
                QVERIFY2(fm.height() <= strip.height() && fm.ascent() >= 9, what.constData());
                QVERIFY2(fm.boundingRect(text).width() <= strip.width(), what.constData());
                QImage image(QSize(60, 30) * scale, QImage::Format_RGB32);
                image.setDevicePixelRatio(scale);
                image.fill(Qt::white);
                {
                    QPainter painter(&image);
                    CSoftkeyBar::DrawLabel(painter, action, language, strip, false);
                }
                const QRect inkStrip(strip.topLeft() * scale, strip.size() * scale);
                bool inked = false;
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x) {
                        if (image.pixelColor(x, y) == QColor(Qt::white))
                            continue;
                        inked = true;
                        QVERIFY2(inkStrip.contains(x, y), (what + " at " + QByteArray::number(x) + ","
                                                        + QByteArray::number(y)).constData());
                    }
                QVERIFY2(inked, what.constData());
            }
        }
    }

    // A search text too long for the selection panel is shortened there
    // and shown whole in its tool tip; a text that fits has none.
    void shortenedSelectionTextHasItsToolTip()
    {
        CSelection selection;
        const std::string text = "WWWWWWWWWWWWWWWWWWWW";
        selection.SetSearchText(text);
        CSelectionPanel panel(&selection);
        panel.resize(90, panel.sizeHint().height());
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QVERIFY(panel.TextShortened());
        QHelpEvent tip(QEvent::ToolTip, QPoint(40, 10), panel.mapToGlobal(QPoint(40, 10)));
        QApplication::sendEvent(&panel, &tip);
        QCOMPARE(QToolTip::text(), QString::fromLatin1(text.c_str()));

        selection.SetSearchText("Ab");
        QVERIFY(!panel.TextShortened());
        QApplication::sendEvent(&panel, &tip);
        QVERIFY(QToolTip::text() != QStringLiteral("Ab"));
    }
};

QTEST_MAIN(FontFitTest)
#include "tst_fontfit.moc"
