#pragma once

// A small reader of compound files (OLE2 structured storage), as spreadsheet
// programs write them around the workbook stream: the header, the sector
// allocation table with its DIFAT chain, the directory, the mini stream and
// its allocation table. Only streams in the root storage are looked up.
//
// The file is untrusted: every offset is checked against the bytes held,
// every sector chain is checked for cycles, and no allocation is larger than
// the file itself.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkaro {

class CCompoundFile {
public:
    // True when the bytes begin with the compound-file signature.
    static bool HasSignature(std::string_view bytes);

    // Parses the header, allocation tables and directory of the file held
    // in `bytes` (which must outlive this object). False when the file is
    // damaged.
    bool Open(std::string_view bytes);

    // The contents of the stream `name` (compared without regard to case)
    // in the root storage; nothing when there is no such stream or its
    // sectors cannot be read.
    std::optional<std::string> ReadStream(std::string_view name) const;

    // Names of the streams and storages directly in the root storage
    // (Windows-1252, characters above 255 as '?').
    std::vector<std::string> RootNames() const;

private:
    struct DirEntry {
        std::string name;  // 8-bit form of the UTF-16 name
        std::uint8_t type = 0;
        std::uint32_t left = 0, right = 0, child = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    // The steps of Open: each false when its part of the file is damaged.
    bool ReadHeader();
    bool ReadFat();
    bool ReadDirectory();
    bool ReadMiniStream();

    bool ReadSector(std::uint32_t sector, std::string& out) const;
    bool Chain(const std::vector<std::uint32_t>& table, std::uint32_t start, std::vector<std::uint32_t>& out) const;
    bool ReadChain(std::uint32_t start, std::uint64_t size, std::string& out) const;
    bool ReadMiniChain(std::uint32_t start, std::uint64_t size, std::string& out) const;
    std::vector<std::uint32_t> RootChildren() const;

    std::string_view m_bytes;
    std::uint32_t m_sectorSize = 512;
    std::uint32_t m_miniSectorSize = 64;
    std::uint32_t m_miniCutoff = 4096;
    std::uint32_t m_sectorCount = 0;  // whole sectors after the header
    std::vector<std::uint32_t> m_fat;
    std::vector<std::uint32_t> m_miniFat;
    std::vector<DirEntry> m_dir;
    std::string m_miniStream;
};

}  // namespace velkaro
