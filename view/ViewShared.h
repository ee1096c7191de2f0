#pragma once

// What the card view shares with its child windows: the five fonts, the
// colour table by numbered role, the selection state and the display
// geometry.

#include "settings/Colors.h"

#include <QColor>
#include <QFont>
#include <QStringList>

#include <array>
#include <memory>
#include <string>

class QFontMetrics;
class QIcon;
class QWidget;
class QPainter;
class QRect;

class QBoxLayout;
class QDialog;
class QPushButton;

namespace velkaro {

// The twenty colours of section "Colors", by index. The numbers are the
// indices of the stored table (settings/Colors.h: value names and defaults),
// so every painter and the colour store agree.
enum ColorRole : int {
    kColorBackground = 0,         // "Background": the desk behind the telephone
    kColorDisplay = 1,            // "Display": the telephone body
    kColorListGround = 2,         // "ListGround"
    kColorListLine = 3,           // "ListLine"
    kColorListFont = 4,           // "ListFont"
    kColorListPrivat = 5,         // "ListPrivat": marked cards, list and display
    kColorListAlpha = 6,          // "ListAlpha": the typed-text band
    kColorListAlphaPriv = 7,      // "ListAlphaPriv": the band on a marked card
    kColorCardGround = 8,         // "CardGround"
    kColorCardLine = 9,           // "CardLine"
    kColorCardFont = 10,          // "CardFont"
    kColorCardGroundPage = 11,    // "CardGroundPage": rows 0-1 on pages 2-5
    kColorPageNumber = 12,        // "PageNumber"
    kColorStructureGround = 13,   // "StructureGround"
    kColorStructureLine = 14,     // "StructureLine"
    kColorStructureFont = 15,     // "StructureFont"
    kColorSoftkeyBackground = 16, // "SoftkeyBackground"
    kColorSoftkeyGround = 17,     // "SoftkeyGround"
    kColorSoftkeySelected = 18,   // "SoftkeySelected"
    kColorUnusedMargin = 19,      // "UnusedMargin"
    kColorCount = kColorEntries
};

inline QColor ToQColor(ColorRef c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

// Fonts and colours handed to the children by the view; the view owns it and
// keeps it alive as long as the children.
// The fixed faces are chosen by what they measure on this computer (see
// FitFont), so every glyph, accents and tails included, stays in its cell.
struct ViewResources {
    QFont large;      // display rows 0-1 and the index list: 20 characters of 12 pixels
    QFont small;      // display rows 2-7 and messages: 30 characters of 8 pixels
    QFont label;      // body labels, page digit of the thumbnails: "Arial" 14
    QFont bold;       // page number in the display and field-name column: "Arial" 22, 700
    QFont fieldName;  // field-name column: 10 characters in the column
    std::array<QColor, kColorCount> colors;

    QColor Color(int role) const;
};

// The five fonts and the default colours. Children that were given no
// resources use these.
ViewResources MakeDefaultViewResources();
const ViewResources& DefaultViewResources();

// The selection of cards by text: the data of the selection panel that the
// index list and the display read. `permanent` is the option value: 0 ends
// the selection at Stop and when a name is typed in the index list.
struct SelectionState {
    bool active = false;
    bool permanent = false;
    std::string text;  // Windows-1252, at most 20 characters

    void End()
    {
        active = false;
        permanent = false;
    }
};

// Display geometry: eight rows of 20 pixels; text 240 pixels wide.
constexpr int kDisplayRows = 8;
constexpr int kRowHeight = 20;
constexpr int kDisplayHeight = kDisplayRows * kRowHeight + 1;
constexpr int kDisplayTextWidth = 240;
constexpr int kDisplayMaxMargin = 20;
constexpr int kLargeCharWidth = 12;
constexpr int kSmallCharWidth = 8;

// Softkey bar geometry: seven cells of 45 x 40 pixels.
constexpr int kSoftkeyCells = 7;
constexpr int kSoftkeyCellWidth = 45;
constexpr int kSoftkeyBarHeight = 40;
constexpr int kSoftkeyBarWidth = kSoftkeyCells * kSoftkeyCellWidth;
// The label strip under a softkey's symbol: high enough for a legible face
// with its accents and tails (13 pixels hold an 11-pixel sans face).
constexpr int kSoftkeyLabelHeight = 13;

// Width of the field-name column.
constexpr int kFieldNameWidth = 78;

// Where the text of a row stands. A row's rule is drawn on its first pixel
// line (the row above's bottom), so text starts below it and ends before the
// next rule. The small rows leave a little more room above, as the
// telephone's display does.
constexpr int kLargeTextTop = 1;
constexpr int kLargeTextHeight = kRowHeight - kLargeTextTop;
constexpr int kSmallTextTop = 3;
constexpr int kSmallTextHeight = kRowHeight - kSmallTextTop;
constexpr int kLargeRowChars = kDisplayTextWidth / kLargeCharWidth;  // 20
constexpr int kSmallRowChars = kDisplayTextWidth / kSmallCharWidth;  // 30
// The field-name column: labels of up to ten characters from x = 4, one
// pixel kept free before the display's edge.
constexpr int kFieldNameLeft = 4;
constexpr int kFieldNameChars = 10;
constexpr int kFieldNameTextWidth = kFieldNameWidth - kFieldNameLeft - 1;

// The first of `families` this computer has (else the platform's face for
// `hint`), at the largest pixel size up to `maxPixelSize` whose ascent plus
// descent fit `height`, whose tallest glyphs' ink stays in a box of `height`
// on the baseline BaselineIn gives, and whose `chars` characters of the
// widest glyph fit `width`. Faces are measured, not trusted by name: a
// substitute face with taller accents or longer tails gets a smaller size
// instead of cut glyphs. The measure is the unhinted outline in
// device-independent pixels, so a screen at 2x gets the same size as one at
// 1x, drawn at twice the pixels.
QFont FitFont(const QStringList& families, QFont::StyleHint hint, int weight, int maxPixelSize, int height,
              int width, int chars);

// The fixed faces tried, best first.
QStringList FixedFamilies();

// The glyphs that reach highest and lowest in the Windows-1252 set; a font
// fits its row when all of them do.
QString TallestGlyphs();

// The baseline of text in a box of `height` pixels from `top`: the font's
// ascent plus descent centred in the box.
int BaselineIn(const QFontMetrics& metrics, int top, int height);

// The telephone's three-step raised edge: black outside, then light grey
// over dark grey, then white over dark grey.
void DrawEdge3D(QPainter& painter, const QRect& rect);

// Shows which part of the telephone picture takes the keys: a frame of two
// pixels in the palette's highlight colour along the widget's edge while it
// has the keyboard focus, nothing without. Painted last, over the content.
void DrawFocusFrame(QPainter& painter, const QWidget& widget);

// A window that shows at least as wide as its title needs (with room for
// the title bar's icon and buttons), so the window manager does not shorten
// the title. Windows that may not grow are left as they are. A message box
// is asked once its text, icon and buttons are set.
void KeepTitleWhole(QWidget* window);

// The program's icon, at every size the icon theme installs.
QIcon ProgramIcon();

// The OK and Cancel buttons at the right end of a dialog's last row, OK the
// default, each closing the dialog its way; named "ok" and "cancel".
struct OkCancel {
    QPushButton* ok;
    QPushButton* cancel;
};
OkCancel AddOkCancelRow(QDialog* dialog, QBoxLayout* layout);

// The button box at the foot of a dialog: OK, Cancel and, when withHelp,
// Help; OK accepts the dialog, Cancel rejects it. Returns the Help button
// (for the dialog's own help signal), or nullptr without one.
QPushButton* AddOkCancelHelpBox(QDialog* dialog, QBoxLayout* layout, bool withHelp);

// A window over `parent` that lists `text` read only, in a fixed font and
// without wrapping, with a Close button: the details a question box offers.
// The window is named windowName, its list listName.
std::unique_ptr<QDialog> MakeDetailsWindow(QWidget* parent, const QString& title, const QString& text,
                                           const QString& windowName, const QString& listName);

// The language row of the pictures' label strips: 0 German, 1 English,
// 2 French.
int LanguageRow();

}  // namespace velkaro
