#pragma once

// The printed card list, laid out in device pixels from millimetres and text
// lines so that any printer, the preview and a PDF file give the same pages.
//
// Each card is a block: the name in bold on the left with the telephone
// number right-aligned on the same line, then its other non-empty lines, each
// preceded by its field name when the card structure is in use, then a blank
// line. Every page carries a heading with the print date and the page
// number. Standard library only; the Qt renderer measures the fonts and draws
// the items this layout gives.

#include "Karte.h"

#include <functional>
#include <string>
#include <vector>

namespace velkaro {

// The local time when printing began.
struct PrintTime {
    int day = 1;
    int month = 1;
    int year = 1980;
    int hour = 0;
    int minute = 0;
};

enum class PrintFont { Normal, Bold, Label };

// Font heights and the left margin in device pixels: 4 mm, 3 mm, 20 mm.
inline int NormalFontHeight(int dpiY) { return 40 * dpiY / 254; }
inline int LabelFontHeight(int dpiY) { return 30 * dpiY / 254; }
inline int PrintLeftMargin(int dpiX) { return 200 * dpiX / 254; }

// What the layout needs to know of the printer. Sizes in device pixels of
// the printable area.
struct PrintDevice {
    int width = 0;       // horizontal resolution
    int height = 0;      // vertical resolution
    int dpiX = 0;
    int dpiY = 0;
    int lineHeight = 0;  // text height + external leading of the normal font
    // The width of a text in one of the fonts.
    std::function<int(PrintFont, const std::string&)> textWidth;
};

// Text lines that fit below the heading: height / line height - 9, at least 1.
int PrintLinesPerPage(int height, int lineHeight);

// The heading (msg::PrintHeading) with "%i.%i.%i, %02i:%02i" (day, month, year, hour, minute).
std::string PrintHeadingText(const PrintTime& time);
// The page number, "Seite %u" (msg::PrintPage).
std::string PrintPageText(unsigned page);

// One text line of a page: a card's name line (line 0, with the telephone
// number), one of its further lines (2..31), or the blank line between two
// cards.
struct PrintRow {
    static constexpr int kBlank = -1;
    int card = 0;  // index into the list of cards to print
    int line = 0;
    bool operator==(const PrintRow&) const = default;
};

// The lines of each page. A card goes onto the page if its lines fit below
// what the page holds already, else it starts the next page. A card longer
// than a whole page (only on very small paper) goes on over the following
// pages, so that none of its lines is lost below the bottom edge.
std::vector<std::vector<PrintRow>> BreakPages(const std::vector<const CKarte*>& cards, int linesPerPage);

// A piece of text at its place: x is the left end, or the right end for
// right-aligned text; y is the top of the text line.
struct PrintItem {
    PrintFont font = PrintFont::Normal;
    int x = 0;
    int y = 0;
    bool rightAligned = false;
    std::string text;
    bool operator==(const PrintItem&) const = default;
};

// One print run: created when printing begins, dropped when it ends. Holds
// pointers to the cards, never owns them.
class CPrintJob {
public:
    // fieldNames is the collection's field-names card when the card
    // structure is active, else nullptr.
    CPrintJob(std::vector<const CKarte*> cards, const CKarte* fieldNames, const PrintDevice& device,
              const PrintTime& time);

    int PageCount() const { return static_cast<int>(m_pages.size()); }
    int LinesPerPage() const { return m_linesPerPage; }
    int LineHeight() const { return m_lineHeight; }
    int LeftMargin() const { return m_leftMargin; }
    int RightEdge() const { return m_rightEdge; }
    // Widest field name plus ": " (label font); 0 without field names.
    int LabelWidth() const { return m_labelWidth; }
    int TextColumn() const { return m_leftMargin + m_labelWidth; }
    const std::string& Heading() const { return m_heading; }
    // The index of the first card on each page.
    std::vector<int> PageStarts() const;
    // Page n, 1-based; empty for a page that does not exist.
    const std::vector<PrintRow>& PageRows(int page) const;
    // What page n shows: the heading, then the cards' lines.
    std::vector<PrintItem> PageItems(int page) const;
    const std::vector<const CKarte*>& Cards() const { return m_cards; }

private:
    std::vector<const CKarte*> m_cards;
    const CKarte* m_fieldNames = nullptr;
    std::vector<std::vector<PrintRow>> m_pages;
    std::string m_heading;
    int m_linesPerPage = 1;
    int m_lineHeight = 1;
    int m_leftMargin = 0;
    int m_rightEdge = 0;
    int m_labelWidth = 0;
};

}  // namespace velkaro
