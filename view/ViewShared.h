#pragma once

// What the card view shares with its child windows: the five fonts, the
// colour table by numbered role, the selection state, the display geometry
// and the commands the children hand back to the view.

#include <QColor>
#include <QFont>

#include <array>
#include <string>

class QPainter;
class QRect;

namespace velkaro {

// The twenty colours of section "Colors", by index. The numbers are the
// indices of the stored table, so every painter and the colour store agree.
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
    kColorCount = 20
};

// The value name and default of each colour, in index order.
struct ColorDefault {
    const char* name;
    int red, green, blue;
};
const std::array<ColorDefault, kColorCount>& ColorDefaults();

// Fonts and colours handed to the children by the view; the view owns it and
// keeps it alive as long as the children.
struct ViewResources {
    QFont large;      // display rows 0-1: "Courier New" 22 / 12, fixed
    QFont small;      // display rows 2-7 and messages: "Courier New" 16 / 8, fixed
    QFont label;      // body labels, page digit of the thumbnails: "Arial" 14
    QFont bold;       // page number in the display and field-name column: "Arial" 22, 700
    QFont fieldName;  // field-name column: "Courier New" 15 / 7, fixed
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

// Width of the field-name column.
constexpr int kFieldNameWidth = 78;

// Command identifiers the children send back to the view or the frame
// (menu, accelerators and context menu share them).
namespace viewcmd {
constexpr int ToggleInsert = 32770;
constexpr int InsertLine = 32790;
constexpr int DeleteLine = 32791;
constexpr int InsertLineOnPage = 32792;
constexpr int DeleteLineOnPage = 32793;
constexpr int CopyCard = 32794;
constexpr int NewCard = 32795;
constexpr int Stop = 32797;
constexpr int Selection = 32800;
constexpr int SoftkeyFirst = 32904;  // 32904..32910: softkey cells 1..7
constexpr int RowKeyFirst = 32916;   // 32916..32923: row keys F1..F8
constexpr int EditCopy = 57634;
constexpr int EditCut = 57635;
constexpr int EditPaste = 57637;
}  // namespace viewcmd

// The telephone's three-step raised edge: black outside, then light grey
// over dark grey, then white over dark grey.
void DrawEdge3D(QPainter& painter, const QRect& rect);

// The language row of the pictures' label strips: 0 German, 1 English,
// 2 French.
int LanguageRow();

}  // namespace velkaro
