#include "Selection.h"

#include "Charset.h"
#include "text/Language.h"
#include "text/MessageIds.h"

namespace velkaro {

std::string LimitSelectText(const std::string& text)
{
    return text.size() > static_cast<std::size_t>(kSelectTextMax) ? text.substr(0, kSelectTextMax) : text;
}

void CSelection::SetSearchText(const std::string& text)
{
    m_text = LimitSelectText(text);
}

std::string CSelection::FilterText() const
{
    return AnsiToUpper(m_text);
}

void CSelection::Start(bool permanent)
{
    m_active = true;
    m_permanent = permanent;
    Changed();
}

void CSelection::End()
{
    m_active = false;
    m_permanent = false;
    Changed();
}

void CSelection::Allow(bool allowed)
{
    if (m_allowed == allowed)
        return;
    m_allowed = allowed;
    Changed();
}

bool CSelection::EndIfNotPermanent()
{
    if (!m_active || m_permanent)
        return false;
    End();
    return true;
}

bool CSelection::ConfirmFor(IMessageUi& ui, unsigned verbId) const
{
    if (!m_active || m_text.empty())
        return true;
    std::string question = FormatText(msg::SelectionConfirm, Text(verbId).c_str());
    return ui.Message(question, MsgButtons::OkCancel, MsgIcon::Warning) == MsgAnswer::Ok;
}

bool CSelection::Passes(const CKarte& card) const
{
    return !m_active || card.ContainsText(FilterText());
}

std::vector<const CKarte*> CSelection::Filter(const CCardList& list, bool onlyEdited) const
{
    return list.BuildSubset(onlyEdited, m_active ? FilterText() : std::string());
}

std::vector<CKarte*> CSelection::Filter(CCardList& list, bool onlyEdited) const
{
    return list.BuildSubset(onlyEdited, m_active ? FilterText() : std::string());
}

}  // namespace velkaro
