#include "PrintLayout.h"

#include "text/Language.h"
#include "text/MessageIds.h"

#include <algorithm>

namespace velkaro {

namespace {

// The lines a card prints, in order: its name line, then each non-empty
// further line.
std::vector<PrintRow> CardRows(const CKarte& card, int index)
{
    std::vector<PrintRow> rows { { index, 0 } };
    const int last = card.LastUsedLine();
    for (int line = 2; line <= last; ++line)
        if (!card.GetLine(line).empty())
            rows.push_back({ index, line });
    return rows;
}

}  // namespace

int PrintLinesPerPage(int height, int lineHeight)
{
    if (lineHeight <= 0)
        return 1;
    return std::max(1, height / lineHeight - 9);
}

std::string PrintHeadingText(const PrintTime& time)
{
    const std::string when
        = FormatString("%i.%i.%i, %02i:%02i", time.day, time.month, time.year, time.hour, time.minute);
    return FormatText(msg::PrintHeading, when.c_str());
}

std::string PrintPageText(unsigned page)
{
    return FormatText(msg::PrintPage, page);
}

std::vector<std::vector<PrintRow>> BreakPages(const std::vector<const CKarte*>& cards, int linesPerPage)
{
    const int perPage = std::max(1, linesPerPage);
    std::vector<std::vector<PrintRow>> pages;
    // As if a full page were behind us: the first card starts page 1.
    int used = perPage + 1;
    for (int i = 0; i < static_cast<int>(cards.size()); ++i) {
        if (!cards[static_cast<std::size_t>(i)])
            continue;
        const std::vector<PrintRow> rows = CardRows(*cards[static_cast<std::size_t>(i)], i);
        const int size = static_cast<int>(rows.size());
        if (size + used > perPage) {
            pages.emplace_back();
            used = 0;
        } else {
            // The blank line after the card before, already counted in used.
            pages.back().push_back({ i, PrintRow::kBlank });
        }
        for (const PrintRow& row : rows) {
            // Only a card longer than a page gets here with a full page.
            if (used >= perPage) {
                pages.emplace_back();
                used = 0;
            }
            pages.back().push_back(row);
            ++used;
        }
        ++used;  // the blank line after the card
    }
    return pages;
}

CPrintJob::CPrintJob(std::vector<const CKarte*> cards, const CKarte* fieldNames, const PrintDevice& device,
                     const PrintTime& time)
    : m_cards(std::move(cards))
    , m_fieldNames(fieldNames)
    , m_heading(PrintHeadingText(time))
{
    m_lineHeight = std::max(1, device.lineHeight);
    m_linesPerPage = PrintLinesPerPage(device.height, m_lineHeight);
    m_leftMargin = PrintLeftMargin(device.dpiX);
    m_rightEdge = device.width - m_leftMargin;

    if (m_fieldNames && device.textWidth) {
        int widest = -1;
        for (int line = 1; line < kMaxLines; ++line) {
            const std::string label(m_fieldNames->GetLine(line));
            if (!label.empty())
                widest = std::max(widest, device.textWidth(PrintFont::Label, label));
        }
        if (widest >= 0)
            m_labelWidth = widest + device.textWidth(PrintFont::Label, ": ");
    }

    m_pages = BreakPages(m_cards, m_linesPerPage);
}

std::vector<int> CPrintJob::PageStarts() const
{
    std::vector<int> starts;
    starts.reserve(m_pages.size());
    for (const std::vector<PrintRow>& page : m_pages)
        starts.push_back(page.empty() ? 0 : page.front().card);
    return starts;
}

const std::vector<PrintRow>& CPrintJob::PageRows(int page) const
{
    static const std::vector<PrintRow> none;
    if (page < 1 || page > PageCount())
        return none;
    return m_pages[static_cast<std::size_t>(page - 1)];
}

std::vector<PrintItem> CPrintJob::PageItems(int page) const
{
    std::vector<PrintItem> items;
    if (page < 1 || page > PageCount())
        return items;

    int y = 3 * m_lineHeight;
    items.push_back({ PrintFont::Normal, m_leftMargin, y, false, m_heading });
    items.push_back({ PrintFont::Normal, m_rightEdge, y, true, PrintPageText(static_cast<unsigned>(page)) });

    y = 6 * m_lineHeight;
    for (const PrintRow& row : PageRows(page)) {
        const CKarte* card = m_cards[static_cast<std::size_t>(row.card)];
        if (row.line == 0) {
            if (!card->GetLine(0).empty())
                items.push_back({ PrintFont::Bold, m_leftMargin, y, false, std::string(card->GetLine(0)) });
            if (!card->GetLine(1).empty())
                items.push_back({ PrintFont::Bold, m_rightEdge, y, true, std::string(card->GetLine(1)) });
        } else if (row.line != PrintRow::kBlank) {
            if (m_fieldNames && !m_fieldNames->GetLine(row.line).empty())
                items.push_back({ PrintFont::Label, m_leftMargin, y, false, std::string(m_fieldNames->GetLine(row.line)) + ":" });
            items.push_back({ PrintFont::Normal, TextColumn(), y, false, std::string(card->GetLine(row.line)) });
        }
        y += m_lineHeight;
    }
    return items;
}

}  // namespace velkaro
