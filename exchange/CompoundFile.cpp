#include "CompoundFile.h"

#include "text/Ascii.h"

#include <algorithm>
#include <cstring>

namespace velkaro {

namespace {

constexpr unsigned char kSignature[8] = { 0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1 };
constexpr std::size_t kHeaderSize = 512;
constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::size_t kDirEntrySize = 128;
constexpr std::uint8_t kTypeStream = 2;
constexpr std::uint8_t kTypeRoot = 5;

std::uint16_t U16(std::string_view b, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

std::uint32_t U32(std::string_view b, std::size_t at)
{
    return static_cast<std::uint32_t>(U16(b, at)) | static_cast<std::uint32_t>(U16(b, at + 2)) << 16;
}

std::uint64_t U64(std::string_view b, std::size_t at)
{
    return static_cast<std::uint64_t>(U32(b, at)) | static_cast<std::uint64_t>(U32(b, at + 4)) << 32;
}

}  // namespace

bool CCompoundFile::HasSignature(std::string_view bytes)
{
    return bytes.size() >= sizeof kSignature && std::memcmp(bytes.data(), kSignature, sizeof kSignature) == 0;
}

bool CCompoundFile::ReadSector(std::uint32_t sector, std::string& out) const
{
    if (sector >= m_sectorCount)
        return false;
    std::uint64_t offset = (static_cast<std::uint64_t>(sector) + 1) * m_sectorSize;
    std::size_t available = static_cast<std::size_t>(std::min<std::uint64_t>(m_sectorSize, m_bytes.size() - offset));
    out.append(m_bytes.data() + offset, available);
    // Writers may leave the last sector short; what is missing reads as 0.
    out.append(m_sectorSize - available, '\0');
    return true;
}

bool CCompoundFile::Chain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                          std::vector<std::uint32_t>& out) const
{
    out.clear();
    std::vector<bool> seen(table.size());
    for (std::uint32_t s = start; s != kEndOfChain;) {
        if (s >= table.size() || seen[s])
            return false;  // a sector outside the table, or a cycle
        seen[s] = true;
        out.push_back(s);
        s = table[s];
    }
    return true;
}

bool CCompoundFile::ReadChain(std::uint32_t start, std::uint64_t size, std::string& out) const
{
    out.clear();
    std::vector<std::uint32_t> sectors;
    if (!Chain(m_fat, start, sectors))
        return false;
    if (size > static_cast<std::uint64_t>(sectors.size()) * m_sectorSize)
        return false;  // the chain holds less than the stream's size
    out.reserve(static_cast<std::size_t>(size));
    for (std::uint32_t s : sectors) {
        if (out.size() >= size)
            break;
        if (!ReadSector(s, out))
            return false;
    }
    out.resize(static_cast<std::size_t>(size));
    return true;
}

bool CCompoundFile::ReadMiniChain(std::uint32_t start, std::uint64_t size, std::string& out) const
{
    out.clear();
    std::vector<std::uint32_t> sectors;
    if (!Chain(m_miniFat, start, sectors))
        return false;
    if (size > static_cast<std::uint64_t>(sectors.size()) * m_miniSectorSize)
        return false;
    out.reserve(static_cast<std::size_t>(size));
    for (std::uint32_t s : sectors) {
        if (out.size() >= size)
            break;
        std::uint64_t offset = static_cast<std::uint64_t>(s) * m_miniSectorSize;
        if (offset + m_miniSectorSize > m_miniStream.size())
            return false;
        out.append(m_miniStream.data() + offset, m_miniSectorSize);
    }
    out.resize(static_cast<std::size_t>(size));
    return true;
}

bool CCompoundFile::ReadHeader()
{
    if (m_bytes.size() < kHeaderSize || !HasSignature(m_bytes))
        return false;
    if (U16(m_bytes, 0x1C) != 0xFFFE)
        return false;
    unsigned sectorShift = U16(m_bytes, 0x1E);
    unsigned miniShift = U16(m_bytes, 0x20);
    // 512-byte sectors in version 3 files, 4096 in version 4.
    if (sectorShift < 7 || sectorShift > 16 || miniShift < 2 || miniShift > sectorShift)
        return false;
    m_sectorSize = 1u << sectorShift;
    m_miniSectorSize = 1u << miniShift;
    m_miniCutoff = U32(m_bytes, 0x38);
    if (m_bytes.size() <= m_sectorSize)
        return false;
    // The header fills sector -1; a short last sector still counts.
    std::uint64_t sectors = (m_bytes.size() - m_sectorSize + m_sectorSize - 1) / m_sectorSize;
    m_sectorCount = static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors, kMaxRegularSector));
    return true;
}

bool CCompoundFile::ReadFat()
{
    // The sectors of the allocation table: 109 in the header, the rest in
    // the DIFAT chain. Only as many as can describe the sectors present.
    const std::uint32_t perSector = m_sectorSize / 4;
    std::uint64_t fatSectorsNeeded = (static_cast<std::uint64_t>(m_sectorCount) + perSector - 1) / perSector;
    std::uint64_t fatSectorCount = std::min<std::uint64_t>(U32(m_bytes, 0x2C), fatSectorsNeeded);
    std::vector<std::uint32_t> fatSectors;
    for (std::size_t i = 0; i < kHeaderDifatEntries && fatSectors.size() < fatSectorCount; ++i)
        fatSectors.push_back(U32(m_bytes, 0x4C + 4 * i));
    std::vector<bool> seenDifat(m_sectorCount);
    std::string difat;
    for (std::uint32_t s = U32(m_bytes, 0x44); fatSectors.size() < fatSectorCount && s != kEndOfChain && s != kFreeSector;) {
        if (s >= m_sectorCount || seenDifat[s])
            return false;
        seenDifat[s] = true;
        difat.clear();
        ReadSector(s, difat);
        for (std::uint32_t i = 0; i + 1 < perSector && fatSectors.size() < fatSectorCount; ++i)
            fatSectors.push_back(U32(difat, 4 * i));
        s = U32(difat, 4 * (perSector - 1));
    }
    if (fatSectors.size() < fatSectorCount)
        return false;
    std::string fatBytes;
    for (std::uint32_t s : fatSectors)
        if (!ReadSector(s, fatBytes))
            return false;
    m_fat.resize(std::min<std::size_t>(fatBytes.size() / 4, m_sectorCount));
    for (std::size_t i = 0; i < m_fat.size(); ++i)
        m_fat[i] = U32(fatBytes, 4 * i);
    return true;
}

bool CCompoundFile::ReadDirectory()
{
    std::string dirBytes;
    std::vector<std::uint32_t> dirSectors;
    if (!Chain(m_fat, U32(m_bytes, 0x30), dirSectors) || dirSectors.empty())
        return false;
    for (std::uint32_t s : dirSectors)
        ReadSector(s, dirBytes);
    bool largeSizes = m_sectorSize > 512;  // version 3 leaves the upper 32 size bits undefined
    for (std::size_t at = 0; at + kDirEntrySize <= dirBytes.size(); at += kDirEntrySize) {
        DirEntry e;
        unsigned nameBytes = std::min<unsigned>(U16(dirBytes, at + 0x40), 64);
        for (unsigned i = 0; i + 2 <= nameBytes; i += 2) {
            std::uint16_t ch = U16(dirBytes, at + i);
            if (ch == 0)
                break;
            e.name.push_back(ch < 256 ? static_cast<char>(ch) : '?');
        }
        e.type = static_cast<std::uint8_t>(dirBytes[at + 0x42]);
        e.left = U32(dirBytes, at + 0x44);
        e.right = U32(dirBytes, at + 0x48);
        e.child = U32(dirBytes, at + 0x4C);
        e.start = U32(dirBytes, at + 0x74);
        e.size = largeSizes ? U64(dirBytes, at + 0x78) : U32(dirBytes, at + 0x78);
        m_dir.push_back(std::move(e));
    }
    return !m_dir.empty() && m_dir[0].type == kTypeRoot;
}

bool CCompoundFile::ReadMiniStream()
{
    // The mini stream lives in the root entry's chain; its allocation table
    // has a chain of its own. A file without small streams has neither.
    const DirEntry& root = m_dir[0];
    if (root.size > 0 && !ReadChain(root.start, root.size, m_miniStream))
        return false;
    std::uint32_t miniFatStart = U32(m_bytes, 0x3C);
    if (miniFatStart != kEndOfChain && miniFatStart != kFreeSector && U32(m_bytes, 0x40) > 0) {
        std::vector<std::uint32_t> miniFatSectors;
        if (!Chain(m_fat, miniFatStart, miniFatSectors))
            return false;
        std::string miniFatBytes;
        for (std::uint32_t s : miniFatSectors)
            ReadSector(s, miniFatBytes);
        m_miniFat.resize(miniFatBytes.size() / 4);
        for (std::size_t i = 0; i < m_miniFat.size(); ++i)
            m_miniFat[i] = U32(miniFatBytes, 4 * i);
    }
    return true;
}

bool CCompoundFile::Open(std::string_view bytes)
{
    m_bytes = bytes;
    m_fat.clear();
    m_miniFat.clear();
    m_dir.clear();
    m_miniStream.clear();
    return ReadHeader() && ReadFat() && ReadDirectory() && ReadMiniStream();
}

std::vector<std::uint32_t> CCompoundFile::RootChildren() const
{
    std::vector<std::uint32_t> found;
    if (m_dir.empty())
        return found;
    // The children of a storage form a tree through the left and right
    // links; a damaged file may link an entry twice.
    std::vector<bool> seen(m_dir.size());
    std::vector<std::uint32_t> pending { m_dir[0].child };
    while (!pending.empty()) {
        std::uint32_t id = pending.back();
        pending.pop_back();
        if (id == kNoStream || id >= m_dir.size() || seen[id] || id == 0)
            continue;
        seen[id] = true;
        found.push_back(id);
        pending.push_back(m_dir[id].left);
        pending.push_back(m_dir[id].right);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::string> CCompoundFile::RootNames() const
{
    std::vector<std::string> names;
    for (std::uint32_t id : RootChildren())
        names.push_back(m_dir[id].name);
    return names;
}

std::optional<std::string> CCompoundFile::ReadStream(std::string_view name) const
{
    for (std::uint32_t id : RootChildren()) {
        const DirEntry& e = m_dir[id];
        if (e.type != kTypeStream || !AsciiEqualNoCase(e.name, name))
            continue;
        std::string data;
        bool ok = e.size < m_miniCutoff ? ReadMiniChain(e.start, e.size, data) : ReadChain(e.start, e.size, data);
        if (!ok)
            return std::nullopt;
        return data;
    }
    return std::nullopt;
}

}  // namespace velkaro
