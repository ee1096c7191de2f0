// The printed card list: lines per page, page breaks, the heading, field
// names, and where every piece of text goes.

#include "model/PrintLayout.h"

#include "text/Language.h"

#include <gtest/gtest.h>

#include <memory>

namespace velkaro {
namespace {

// A printer of 254 dpi (one pixel = 0.1 mm), A4 printable area 2000 x 2800,
// lines of 50 pixels, 10 pixels per character in every font.
PrintDevice TestDevice(int height = 2800, int lineHeight = 50)
{
    PrintDevice d;
    d.width = 2000;
    d.height = height;
    d.dpiX = 254;
    d.dpiY = 254;
    d.lineHeight = lineHeight;
    d.textWidth = [](PrintFont, const std::string& text) { return 10 * static_cast<int>(text.size()); };
    return d;
}

const PrintTime kWhen { 5, 3, 2024, 9, 7 };

struct Cards {
    std::vector<std::unique_ptr<CKarte>> owned;
    std::vector<const CKarte*> list;

    // A card with name, number and the given further lines (index, text).
    CKarte& Add(const std::string& name, const std::string& number,
                std::vector<std::pair<int, std::string>> lines = {})
    {
        auto card = std::make_unique<CKarte>();
        card->SetLine(0, name);
        card->SetLine(1, number);
        for (auto& [index, text] : lines)
            card->SetLine(index, text);
        owned.push_back(std::move(card));
        list.push_back(owned.back().get());
        return *owned.back();
    }
    // A card with n further lines, 2 .. n+1.
    CKarte& AddTall(const std::string& name, int n)
    {
        std::vector<std::pair<int, std::string>> lines;
        for (int i = 0; i < n; ++i)
            lines.push_back({ 2 + i, "Zeile " + std::to_string(i + 1) });
        return Add(name, "1", lines);
    }
};

using Rows = std::vector<PrintRow>;
constexpr int B = PrintRow::kBlank;

TEST(PrintLayout, LinesPerPageLeaveNineLinesForHeadingAndMargins)
{
    EXPECT_EQ(PrintLinesPerPage(2800, 50), 47);
    EXPECT_EQ(PrintLinesPerPage(2849, 50), 47);
    EXPECT_EQ(PrintLinesPerPage(500, 50), 1);
    // Under ten lines of paper still one line per page.
    EXPECT_EQ(PrintLinesPerPage(450, 50), 1);
    EXPECT_EQ(PrintLinesPerPage(10, 50), 1);
    EXPECT_EQ(PrintLinesPerPage(1000, 0), 1);
}

TEST(PrintLayout, MillimetresInDevicePixels)
{
    EXPECT_EQ(NormalFontHeight(254), 40);
    EXPECT_EQ(LabelFontHeight(254), 30);
    EXPECT_EQ(PrintLeftMargin(254), 200);
    EXPECT_EQ(NormalFontHeight(1200), 188);
    EXPECT_EQ(LabelFontHeight(1200), 141);
    EXPECT_EQ(PrintLeftMargin(600), 472);
}

TEST(PrintLayout, HeadingWithDateTimeAndPageInEachLanguage)
{
    EXPECT_EQ(PrintHeadingText(kWhen), "Karten im Velkaro R4, ausgedruckt am 5.3.2024, 09:07");
    EXPECT_EQ(PrintHeadingText({ 31, 12, 1999, 23, 59 }), "Karten im Velkaro R4, ausgedruckt am 31.12.1999, 23:59");
    EXPECT_EQ(PrintPageText(12), "Seite 12");
    SetLanguageOffset(kLangEnglish);
    EXPECT_EQ(PrintHeadingText(kWhen), "Cards in Velkaro R4, printed on 5.3.2024, 09:07");
    EXPECT_EQ(PrintPageText(3), "Page 3");
    SetLanguageOffset(kLangGerman);
}

TEST(PrintPageBreaks, NoCardsNoPages)
{
    CPrintJob job({}, nullptr, TestDevice(), kWhen);
    EXPECT_EQ(job.PageCount(), 0);
    EXPECT_TRUE(job.PageStarts().empty());
    EXPECT_TRUE(job.PageItems(1).empty());
    EXPECT_TRUE(job.PageRows(1).empty());
}

TEST(PrintPageBreaks, NameAndNumberOnlyTakeTwoLines)
{
    Cards c;
    c.Add("ANNA", "111");
    c.Add("BERT", "222");
    c.Add("CARL", "333");
    auto pages = BreakPages(c.list, 47);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], (Rows { { 0, 0 }, { 1, B }, { 1, 0 }, { 2, B }, { 2, 0 } }));
}

TEST(PrintPageBreaks, EmptyLinesAreSkipped)
{
    Cards c;
    c.Add("ANNA", "111", { { 2, "Firma" }, { 5, "Strasse" }, { 31, "Letzte" } });
    auto pages = BreakPages(c.list, 47);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], (Rows { { 0, 0 }, { 0, 2 }, { 0, 5 }, { 0, 31 } }));
}

TEST(PrintPageBreaks, ACardThatDoesNotFitStartsTheNextPage)
{
    // Ten lines per page: 4 + blank + 4 fill nine; a card of 2 lines would
    // need twelve and goes to page 2; one of 1 line after 8 fits exactly.
    Cards c;
    c.AddTall("A", 3);   // 4 lines
    c.AddTall("B", 3);   // 4 lines: 4 + blank + 4 = 9
    c.AddTall("C", 1);   // 2 lines: 9 + blank + 2 > 10
    c.AddTall("D", 7);   // 8 lines: C's 2 + blank + 8 = 11 > 10
    c.AddTall("E", 0);   // 1 line: 8 + blank + 1 = 10 fits
    auto pages = BreakPages(c.list, 10);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0], (Rows { { 0, 0 }, { 0, 2 }, { 0, 3 }, { 0, 4 }, { 1, B }, { 1, 0 }, { 1, 2 }, { 1, 3 }, { 1, 4 } }));
    EXPECT_EQ(pages[1], (Rows { { 2, 0 }, { 2, 2 } }));
    EXPECT_EQ(pages[2].front(), (PrintRow { 3, 0 }));
    EXPECT_EQ(pages[2].size(), 10u);
    EXPECT_EQ(pages[2].back(), (PrintRow { 4, 0 }));

    CPrintJob job(c.list, nullptr, TestDevice(750), kWhen);  // 750 / 50 - 9 = 6 lines
    EXPECT_EQ(job.LinesPerPage(), 6);
}

TEST(PrintPageBreaks, PageStartsAreTheFirstCardOfEachPage)
{
    Cards c;
    for (int i = 0; i < 30; ++i)
        c.AddTall("K" + std::to_string(100 + i), 2);  // 3 lines + blank
    // 47 lines: cards take 4 lines each, the last needs only 3 -> 12 per page.
    CPrintJob job(c.list, nullptr, TestDevice(), kWhen);
    EXPECT_EQ(job.LinesPerPage(), 47);
    EXPECT_EQ(job.PageCount(), 3);
    EXPECT_EQ(job.PageStarts(), (std::vector<int> { 0, 12, 24 }));
}

TEST(PrintPageBreaks, OneLinePerPageGivesEveryCardItsOwnPage)
{
    Cards c;
    c.Add("ANNA", "1");
    c.Add("BERT", "2");
    c.Add("CARL", "3");
    CPrintJob job(c.list, nullptr, TestDevice(450), kWhen);
    EXPECT_EQ(job.LinesPerPage(), 1);
    EXPECT_EQ(job.PageCount(), 3);
    EXPECT_EQ(job.PageStarts(), (std::vector<int> { 0, 1, 2 }));
}

TEST(PrintPageBreaks, ACardLongerThanAPageGoesOnOverTheNextPages)
{
    Cards c;
    c.AddTall("LANG", 7);  // 8 lines on pages of 5
    c.Add("KURZ", "2");
    auto pages = BreakPages(c.list, 5);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], (Rows { { 0, 0 }, { 0, 2 }, { 0, 3 }, { 0, 4 }, { 0, 5 } }));
    // The rest of the long card, its blank line, then the short card.
    EXPECT_EQ(pages[1], (Rows { { 0, 6 }, { 0, 7 }, { 0, 8 }, { 1, B }, { 1, 0 } }));

    auto single = BreakPages(c.list, 1);
    EXPECT_EQ(single.size(), 9u);
    for (const auto& page : single)
        EXPECT_EQ(page.size(), 1u);
}

TEST(PrintPageItems, HeadingAndCardsAtTheirPlaces)
{
    Cards c;
    c.Add("ANNA", "0301 1234", { { 3, "Hauptstrasse 1" } });
    c.Add("BERT", "");
    CPrintJob job(c.list, nullptr, TestDevice(), kWhen);
    EXPECT_EQ(job.LeftMargin(), 200);
    EXPECT_EQ(job.RightEdge(), 1800);
    EXPECT_EQ(job.LabelWidth(), 0);
    EXPECT_EQ(job.TextColumn(), 200);

    const std::vector<PrintItem> expected {
        { PrintFont::Normal, 200, 150, false, "Karten im Velkaro R4, ausgedruckt am 5.3.2024, 09:07" },
        { PrintFont::Normal, 1800, 150, true, "Seite 1" },
        { PrintFont::Bold, 200, 300, false, "ANNA" },
        { PrintFont::Bold, 1800, 300, true, "0301 1234" },
        { PrintFont::Normal, 200, 350, false, "Hauptstrasse 1" },
        // blank line at 400
        { PrintFont::Bold, 200, 450, false, "BERT" },
    };
    EXPECT_EQ(job.PageItems(1), expected);
    EXPECT_TRUE(job.PageItems(2).empty());
}

TEST(PrintPageItems, FieldNamesBeforeTheLines)
{
    CKarte names;
    names.SetLine(0, ReservedName());
    names.SetLine(1, "Tel.");
    names.SetLine(2, "Firma");
    names.SetLine(7, "Geburtstag");  // the widest: 10 characters
    Cards c;
    c.Add("ANNA", "1", { { 2, "Velkaro GmbH" }, { 4, "ohne Namen" }, { 7, "1.4." } });

    CPrintJob job(c.list, &names, TestDevice(), kWhen);
    EXPECT_EQ(job.LabelWidth(), 100 + 20);
    EXPECT_EQ(job.TextColumn(), 320);
    const std::vector<PrintItem> items = job.PageItems(1);
    const std::vector<PrintItem> lines(items.begin() + 4, items.end());
    const std::vector<PrintItem> expected {
        { PrintFont::Label, 200, 350, false, "Firma:" },
        { PrintFont::Normal, 320, 350, false, "Velkaro GmbH" },
        // line 4 has no field name of its own: no label, text in the column
        { PrintFont::Normal, 320, 400, false, "ohne Namen" },
        { PrintFont::Label, 200, 450, false, "Geburtstag:" },
        { PrintFont::Normal, 320, 450, false, "1.4." },
    };
    EXPECT_EQ(lines, expected);
}

TEST(PrintPageItems, LabelWidthCountsTheTelephoneLabelAndIsZeroForEmptyNames)
{
    CKarte names;
    names.SetLine(0, ReservedName());
    CPrintJob none({}, &names, TestDevice(), kWhen);
    EXPECT_EQ(none.LabelWidth(), 0);

    names.SetLine(1, "Telefonnr.");
    names.SetLine(2, "Ort");
    CPrintJob some({}, &names, TestDevice(), kWhen);
    EXPECT_EQ(some.LabelWidth(), 100 + 20);
}

TEST(PrintPageItems, EveryPageHasItsHeadingAndNumber)
{
    Cards c;
    c.Add("ANNA", "1");
    c.Add("BERT", "2");
    CPrintJob job(c.list, nullptr, TestDevice(450), kWhen);
    ASSERT_EQ(job.PageCount(), 2);
    const std::vector<PrintItem> page2 = job.PageItems(2);
    ASSERT_EQ(page2.size(), 4u);
    EXPECT_EQ(page2[0].text, job.Heading());
    EXPECT_EQ(page2[1], (PrintItem { PrintFont::Normal, 1800, 150, true, "Seite 2" }));
    EXPECT_EQ(page2[2], (PrintItem { PrintFont::Bold, 200, 300, false, "BERT" }));
}

}  // namespace
}  // namespace velkaro
