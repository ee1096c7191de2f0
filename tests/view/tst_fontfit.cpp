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

}  // namespace

class FontFitTest : public QObject {
    Q_OBJECT

private slots:
    // Every font: ascent plus descent within its row, every tall glyph's ink
    // within ascent and descent, the widest characters within the column.
    void fontsFitTheirCells()
    {
        const ViewResources& res = DefaultViewResources();
        const Cell cells[] = {
            { "large", res.large, kLargeTextHeight, kDisplayTextWidth, 20 },
            { "small", res.small, kSmallTextHeight, kDisplayTextWidth, 30 },
            { "field name", res.fieldName, kLargeTextHeight, kFieldNameWidth - 4, 10 },
        };
        for (const Cell& cell : cells) {
            const QFontMetrics fm(cell.font);
            const QByteArray what = QByteArray(cell.what) + " " + cell.font.family().toUtf8() + " "
                                    + QByteArray::number(cell.font.pixelSize()) + "px";
            QVERIFY2(fm.ascent() + fm.descent() <= cell.height, what.constData());
            for (QChar c : TallestGlyphs()) {
                const QRect ink = fm.boundingRect(c);
                const QByteArray glyph = what + " glyph U+" + QByteArray::number(c.unicode(), 16);
                QVERIFY2(ink.top() >= -fm.ascent(), glyph.constData());
                QVERIFY2(ink.bottom() < fm.descent(), glyph.constData());
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
            image.save(QStringLiteral(VELKARO_BINARY_DIR "/tests/view/fontfit-%1.png").arg(p.what).replace(' ', '-'));
            for (int row = 1; row < kDisplayRows; ++row) {
                const QByteArray what = QByteArray(p.what) + " rule " + QByteArray::number(row);
                QVERIFY2(LineIs(image, kRowHeight * row, 0, image.width(), p.rule), what.constData());
            }
        }
    }

    // The softkey labels of every action in every language: their ink stays
    // in the 39 x 9 strip (the tails of "plus", "Enreg.", "Appel" and the
    // accents of "Wählen", "Privé" included).
    void softkeyLabelsStayInTheirStrip()
    {
        const QRect strip(10, 10, 39, 9);
        for (int language = 0; language < 3; ++language) {
            for (int action = softkey::More; action <= softkey::Mark; ++action) {
                QImage image(60, 30, QImage::Format_RGB32);
                image.fill(Qt::white);
                {
                    QPainter painter(&image);
                    CSoftkeyBar::DrawLabel(painter, action, language, strip, false);
                }
                const QByteArray what = CSoftkeyBar::LabelText(action, language).toUtf8();
                bool inked = false;
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x) {
                        if (image.pixelColor(x, y) == QColor(Qt::white))
                            continue;
                        inked = true;
                        QVERIFY2(strip.contains(x, y), (what + " at " + QByteArray::number(x) + ","
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
