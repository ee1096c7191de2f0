#include "DialableCards.h"

namespace velkaro {

namespace {

std::string KeypadCharacters(const std::string& text)
{
    std::string keys;
    for (char ch : text)
        if ((ch >= '0' && ch <= '9') || ch == '*' || ch == '#')
            keys += ch;
    return keys;
}

}  // namespace

CDialableNumbers::CDialableNumbers(const std::string& homeCountry, const std::string& outsideLine)
    : m_numbers(homeCountry)
    , m_outsideLine(KeypadCharacters(outsideLine))
{
}

std::string CDialableNumbers::Line(const std::string& text, int line) const
{
    // Behind a private exchange the dialled form of a number is no longer
    // one the home country knows ("00301234567" with the outside line 0
    // would read as a number in Greece): converting it again must leave it.
    if (!m_outsideLine.empty() && text.size() > m_outsideLine.size() && text.rfind(m_outsideLine, 0) == 0
        && m_numbers.Dialable(text.substr(m_outsideLine.size()), m_outsideLine) == text)
        return text;
    std::string dialled = m_numbers.Dialable(text, m_outsideLine);
    // A number cut to its line would dial someone else.
    if (dialled.size() > static_cast<std::size_t>(MaxLineLength(line)))
        return text;
    return dialled;
}

int CDialableNumbers::MakeDialable(CKarte& card, const std::vector<int>& numberLines) const
{
    int changed = 0;
    for (int line : numberLines) {
        const std::string text(card.GetLine(line));
        std::string dialled = Line(text, line);
        if (dialled == text)
            continue;
        card.SetLine(line, dialled);
        ++changed;
    }
    if (changed > 0)
        card.SetEdited(true);
    return changed;
}

int CDialableNumbers::MakeDialable(CCardList& cards, const std::vector<int>& numberLines) const
{
    int changed = 0;
    for (int i = 0; i < cards.Count(); ++i)
        changed += MakeDialable(*cards.At(i), numberLines);
    return changed;
}

int MakeDialable(CCardList& cards, const std::vector<int>& numberLines, const std::string& homeCountry,
                 const std::string& outsideLine)
{
    return CDialableNumbers(homeCountry, outsideLine).MakeDialable(cards, numberLines);
}

}  // namespace velkaro
