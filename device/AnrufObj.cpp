#include "AnrufObj.h"

#include <algorithm>

namespace velkaro {

const std::string& CAnrufObj::Field(int index) const
{
    static const std::string none;
    if (index < 0 || index >= FieldCount())
        return none;
    return fields[static_cast<std::size_t>(index)];
}

void CAnrufObj::AddField(std::string text)
{
    if (text.size() > kMaxCallFieldLength)
        text.resize(kMaxCallFieldLength);
    fields.push_back(std::move(text));
}

CAnrufObj* CCallList::At(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return m_records[static_cast<std::size_t>(index)].get();
}

std::vector<CAnrufObj*> CCallList::InOrder(bool fromHead) const
{
    std::vector<CAnrufObj*> out;
    out.reserve(m_records.size());
    for (const auto& r : m_records)
        out.push_back(r.get());
    if (!fromHead)
        std::reverse(out.begin(), out.end());
    return out;
}

int DateOrdinal(const std::string& text)
{
    long numbers[3] = { 0, 0, 0 };
    int found = 0;
    std::size_t i = 0;
    while (i < text.size() && found < 3) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        long value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (value < 100000)  // a longer run is no valid date part anyway
                value = value * 10 + (text[i] - '0');
            ++i;
        }
        if (value != 0)
            numbers[found++] = value;
    }
    long day = numbers[0], month = numbers[1], year = numbers[2];
    if (day == 0 || month == 0)
        return 0;
    if (year < 80)
        year += 2000;
    if (year < 100)
        year += 1900;
    if (year < 1980)
        return 0;
    // Twelve months of 31 days make 372 days a year: with fewer, the last
    // days of December would come after the first days of January.
    long ordinal = (year - 1980) * 372 + (month - 1) * 31 + day;
    return ordinal > 0x7FFFFFFF ? 0 : static_cast<int>(ordinal);
}

}  // namespace velkaro
