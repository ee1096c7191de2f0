#pragma once

// A zip container held in memory (an .xlsx or .ods workbook), read through
// libzip. Only what the sheet readers need: is an entry there, and its
// uncompressed bytes up to a limit. The limit is enforced on the bytes
// actually inflated, not on the size the directory claims, so a zip bomb
// stops at the limit.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace velkaro {

class CZipArchive {
public:
    enum class Status { Ok, Missing, TooLarge, Damaged };

    // A directory with more entries than this is no workbook.
    static constexpr std::size_t kMaxEntries = 10000;

    CZipArchive();
    ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // True when the bytes start as a zip container does (a local file
    // header, or the end record of an empty archive).
    static bool HasSignature(std::string_view bytes);

    // Opens the archive over `bytes`, which must outlive this object.
    // False when libzip finds no valid central directory, or it lists more
    // than kMaxEntries entries.
    bool Open(std::string_view bytes);

    bool Has(const std::string& name) const;
    // The entry's bytes in `out`; TooLarge when it inflates to more than
    // maxBytes (out is then cleared).
    Status Read(const std::string& name, std::size_t maxBytes, std::string& out) const;
    // The entry's bytes as they inflate, to `take` a piece at a time (at
    // most kPieceBytes each), so that the entry is never whole in memory;
    // take returns false when it needs no more. TooLarge once more than
    // maxBytes have inflated, after the pieces within them.
    static constexpr std::size_t kPieceBytes = 256 * 1024;
    Status Stream(const std::string& name, std::size_t maxBytes,
                  const std::function<bool(std::string_view)>& take) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace velkaro
