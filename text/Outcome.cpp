#include "Outcome.h"

#include "text/Language.h"

namespace velkaro {

std::string Outcome::Message() const
{
    if (m_id != kNoId)
        return FormatTextWith(m_id, m_args);
    return m_args.empty() ? std::string() : m_args.front().Text();
}

}  // namespace velkaro
