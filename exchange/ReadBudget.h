#pragma once

// What a read may build from a file. The cells of a workbook may all show
// one text (a shared string, a repeated cell, a count of blanks), so that a
// file of a few kilobytes stands for gigabytes of text; a reader counts the
// bytes of every cell it stores, each repeat again, against a budget that
// grows with the file's size, and refuses the file once it is spent.

#include <algorithm>
#include <cstddef>

namespace velkaro {

// A real address list builds a few times its file's size: a cell of an
// .xlsx takes three or four of the file's compressed bytes and holds a
// dozen bytes of text, a cell of an .xls some fifteen bytes. The budget
// leaves a wide margin above that and room for a small file of long
// repeated cells (a template of a few thousand rows), and stops at what a
// desktop can hold: a 100 000-row sheet of 20 columns takes some 40 MB.
constexpr std::size_t kBuildBytesPerFileByte = 64;
constexpr std::size_t kBuildBytesFloor = std::size_t { 8 } << 20;
constexpr std::size_t kBuildBytesCeiling = std::size_t { 512 } << 20;
// What a cell costs beside its text, its place in its record: repeated
// empty cells count too. The first cell of a row costs its record as well.
constexpr std::size_t kBuildBytesPerCell = 8;
constexpr std::size_t kBuildBytesPerRecord = 96;

// The budget of a read from a file of `fileBytes` bytes.
constexpr std::size_t BuildBudget(std::size_t fileBytes)
{
    if (fileBytes > kBuildBytesCeiling / kBuildBytesPerFileByte)
        return kBuildBytesCeiling;
    return std::max(fileBytes * kBuildBytesPerFileByte, kBuildBytesFloor);
}

class CBuildBudget {
public:
    explicit CBuildBudget(std::size_t bytes)
        : m_size(bytes)
        , m_left(bytes)
    {
    }
    // Takes n bytes; false, from then on, once they are more than is left.
    bool Spend(std::size_t n)
    {
        if (m_exceeded || n > m_left) {
            m_exceeded = true;
            return false;
        }
        m_left -= n;
        return true;
    }
    // n bytes more may be taken: the input the budget grows with has grown.
    void Grow(std::size_t n)
    {
        m_size += n;
        m_left += n;
    }
    bool Exceeded() const { return m_exceeded; }
    // The budget in whole megabytes, as the message of a refusal gives it.
    int Megabytes() const { return static_cast<int>(m_size >> 20); }

private:
    std::size_t m_size;
    std::size_t m_left;
    bool m_exceeded = false;
};

}  // namespace velkaro
