#pragma once

// One record of the telephone's call list, and the list the port object
// keeps of the last call-list transfer.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace velkaro {

// Field positions the telephone uses in a call record.
namespace callfield {
constexpr int Date = 0;
constexpr int Time = 1;
constexpr int Duration = 3;
constexpr int Direction = 4;  // "1" = incoming
constexpr int Internal = 8;   // "1" = internal
constexpr int Number = 9;
constexpr int Name = 10;
constexpr int Line = 11;
}  // namespace callfield

constexpr int kMaxCallFieldLength = 30;

// A byte the telephone's line may put into a field: below the blank it is
// dropped (CR and ESC end fields and records, the rest is line noise).
constexpr bool IsCallFieldByte(unsigned char b) { return b >= 0x20; }

class CAnrufObj {
public:
    // The fields in the order received, each at most 30 characters, already
    // translated from the telephone's character codes.
    std::vector<std::string> fields;
    // The row was selected in the call-list preview; not archived.
    int32_t selected = 0;
    // The name of the card whose telephone line is this record's number;
    // set only when the telephone sent the record without a name
    // (TakeCardNames). Shown apart from what the telephone sent and saved
    // only when the user asks for it.
    std::string cardName;

    const std::string& Field(int index) const;
    void AddField(std::string text);
    int FieldCount() const { return static_cast<int>(fields.size()); }
};

// The received call list. Records are added at the head as they complete, so
// the head is the last record received and the tail the first.
class CCallList {
public:
    void AddHead(std::unique_ptr<CAnrufObj> record) { m_records.push_front(std::move(record)); }
    int Count() const { return static_cast<int>(m_records.size()); }
    bool IsEmpty() const { return m_records.empty(); }
    // Index 0 is the head.
    CAnrufObj* At(int index) const;
    CAnrufObj* Head() const { return IsEmpty() ? nullptr : m_records.front().get(); }
    CAnrufObj* Tail() const { return IsEmpty() ? nullptr : m_records.back().get(); }
    void Clear() { m_records.clear(); }
    // The records walked from the head (ascending) or from the tail.
    std::vector<CAnrufObj*> InOrder(bool fromHead) const;

private:
    std::deque<std::unique_ptr<CAnrufObj>> m_records;
};

// The date of a call record as a day number, so that dates compare: runs of
// digits are day, month and year (a run worth 0 does not count); two-digit
// years below 80 are 20xx, others 19xx; every month counts 31 days and
// every year 372. 1.1.1980 is 1; 0 means no valid date.
int DateOrdinal(const std::string& text);

}  // namespace velkaro
