#include "Archive.h"

#include "AtomicFile.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "text/SystemError.h"
#include "text/MessageIds.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkaro {

namespace {

constexpr char kMagic[8] = { 0x12, 0x0C, 0x04, 0x21, 0x19, 0x02, 0x61, 0x00 };
constexpr std::size_t kHeaderSize = sizeof kMagic + 1;
constexpr uint8_t kOldestVersion = 10;

// The class library's object framing.
constexpr uint16_t kNullTag = 0;
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint32_t kBigClassTag = 0x80000000;
constexpr std::size_t kMaxClassNameLength = 64;
const char kCardClassName[] = "CKarte";
constexpr uint16_t kCardSchema = 2;

// What a card costs in memory, roughly: the card itself, and per line the
// string and its bytes. Only a second reference to a card already read makes
// more than the file holds, by copying it.
constexpr std::size_t kCardCost = 64;
constexpr std::size_t kLineCost = 32;
// A collection never holds one card twice, so no archive of one needs
// references at all; a damaged file of references to one large card would
// otherwise multiply it without end. The copies may cost this many times the
// file's size.
constexpr std::size_t kCopyCostPerFileByte = 16;

std::size_t CardCost(const CKarte& card)
{
    std::size_t cost = kCardCost;
    card.VisitStoredLines([&cost](std::string_view line) { cost += kLineCost + line.size(); });
    return cost;
}

// A damaged archive: the message to show.
struct ArchiveFault {
    unsigned messageId;
};

class ArchiveReader {
public:
    ArchiveReader(const std::string& bytes, std::size_t pos, uint8_t fileVersion)
        : m_bytes(bytes), m_pos(pos), m_fileVersion(fileVersion),
          m_copyBudget(bytes.size() * kCopyCostPerFileByte)
    {
        // Slot 0 of the load map is the null object.
        m_map.push_back({});
    }

    CCardList ReadCollection()
    {
        CCardList list;
        // Every entry takes at least its 2-byte tag.
        uint32_t n = ReadCount(2);
        for (uint32_t i = 0; i < n; ++i) {
            // A null entry holds no card; it is left out.
            if (auto card = ReadObject())
                list.Append(std::move(card));
        }
        return list;
    }

private:
    struct LoadEntry {
        bool isClass = false;
        uint16_t schema = 0;
        const CKarte* card = nullptr;
    };

    std::size_t Left() const { return m_bytes.size() - m_pos; }

    void Need(std::size_t n) const
    {
        if (n > Left())
            throw ArchiveFault { msg::ArchiveEndOfFile };
    }

    static void Bad() { throw ArchiveFault { msg::ArchiveBadFormat }; }

    uint8_t Byte()
    {
        Need(1);
        return static_cast<uint8_t>(m_bytes[m_pos++]);
    }

    uint16_t Word()
    {
        Need(2);
        auto lo = static_cast<uint8_t>(m_bytes[m_pos]);
        auto hi = static_cast<uint8_t>(m_bytes[m_pos + 1]);
        m_pos += 2;
        return static_cast<uint16_t>(lo | (hi << 8));
    }

    uint32_t Dword()
    {
        uint32_t lo = Word();
        uint32_t hi = Word();
        return lo | (hi << 16);
    }

    std::string Bytes(std::size_t n)
    {
        Need(n);
        std::string s = m_bytes.substr(m_pos, n);
        m_pos += n;
        return s;
    }

    // An element count. No count may claim more elements than the bytes
    // left could hold, so a damaged file cannot make us allocate.
    uint32_t ReadCount(std::size_t minBytesEach)
    {
        uint32_t n = Word();
        if (n == 0xFFFF)
            n = Dword();
        if (n > Left() / minBytesEach)
            throw ArchiveFault { msg::ArchiveEndOfFile };
        return n;
    }

    std::string ReadString()
    {
        uint32_t length = Byte();
        if (length < 0xFF)
            return Bytes(length);
        length = Word();
        if (length == 0xFFFE) {
            // The class library's mark of a UTF-16 string; the length follows.
            length = Byte();
            if (length == 0xFF) {
                length = Word();
                if (length == 0xFFFF)
                    length = Dword();
            }
            if (length > Left() / 2)
                throw ArchiveFault { msg::ArchiveEndOfFile };
            std::string wide = Bytes(std::size_t { length } * 2);
            std::string ansi;
            ansi.reserve(length);
            for (std::size_t i = 0; i < wide.size(); i += 2) {
                auto u = static_cast<char32_t>(static_cast<uint8_t>(wide[i]) | (static_cast<uint8_t>(wide[i + 1]) << 8));
                int c = UnicodeToCp1252(u);
                ansi += static_cast<char>(c < 0 ? '?' : c);
            }
            return ansi;
        }
        if (length == 0xFFFF)
            length = Dword();
        return Bytes(length);
    }

    std::vector<std::string> ReadStringArray()
    {
        // Each string takes at least its length byte.
        uint32_t n = ReadCount(1);
        std::vector<std::string> lines;
        lines.reserve(n);
        for (uint32_t i = 0; i < n; ++i)
            lines.push_back(ReadString());
        return lines;
    }

    void ReadCardBody(CKarte& card, uint16_t schema)
    {
        if (schema == 2) {
            card.SetEditedByte(Byte());
            card.SetMarkByte(Byte());
            card.SetStoredLines(ReadStringArray());
        } else if (schema == 1) {
            // The first form kept the name apart, and had no mark before
            // file version 11.
            card.SetEditedByte(Byte());
            std::string name = ReadString();
            card.SetMarkByte(m_fileVersion > 10 ? Byte() : 0);
            std::vector<std::string> lines = ReadStringArray();
            lines.insert(lines.begin(), std::move(name));
            card.SetStoredLines(std::move(lines));
        } else {
            Bad();
        }
    }

    std::unique_ptr<CKarte> ReadObject()
    {
        uint16_t wordTag = Word();
        uint32_t tag = wordTag == kBigObjectTag
            ? Dword()
            : (static_cast<uint32_t>(wordTag & kClassTag) << 16) | (wordTag & ~kClassTag & 0xFFFF);

        if (!(tag & kBigClassTag)) {
            if (tag == kNullTag)
                return nullptr;
            if (tag >= m_map.size() || m_map[tag].isClass)
                Bad();
            // A second reference to a card already read: the collection owns
            // each of its cards, so it gets a copy, within what the file's
            // size allows.
            const CKarte& original = *m_map[tag].card;
            std::size_t cost = CardCost(original);
            if (cost > m_copyBudget)
                Bad();
            m_copyBudget -= cost;
            return std::make_unique<CKarte>(original);
        }

        uint16_t schema = 0;
        if (wordTag == kNewClassTag) {
            schema = Word();
            std::size_t nameLength = Word();
            if (nameLength >= kMaxClassNameLength)
                Bad();
            if (Bytes(nameLength) != kCardClassName)
                Bad();
            m_map.push_back({ true, schema, nullptr });
        } else {
            uint32_t classIndex = tag & ~kBigClassTag;
            if (classIndex == 0 || classIndex >= m_map.size() || !m_map[classIndex].isClass)
                Bad();
            schema = m_map[classIndex].schema;
        }
        auto card = std::make_unique<CKarte>();
        m_map.push_back({ false, 0, card.get() });
        ReadCardBody(*card, schema);
        return card;
    }

    const std::string& m_bytes;
    std::size_t m_pos;
    uint8_t m_fileVersion;
    std::size_t m_copyBudget;
    std::vector<LoadEntry> m_map;
};

class ArchiveWriter {
public:
    void Byte(uint8_t b) { m_out += static_cast<char>(b); }
    void Word(uint16_t w)
    {
        Byte(static_cast<uint8_t>(w & 0xFF));
        Byte(static_cast<uint8_t>(w >> 8));
    }
    void Dword(uint32_t d)
    {
        Word(static_cast<uint16_t>(d & 0xFFFF));
        Word(static_cast<uint16_t>(d >> 16));
    }

    void Count(std::size_t n)
    {
        if (n < 0xFFFF) {
            Word(static_cast<uint16_t>(n));
        } else {
            Word(0xFFFF);
            Dword(static_cast<uint32_t>(n));
        }
    }

    void String(std::string_view s)
    {
        std::size_t n = s.size();
        if (n < 0xFF) {
            Byte(static_cast<uint8_t>(n));
        } else if (n < 0xFFFE) {
            Byte(0xFF);
            Word(static_cast<uint16_t>(n));
        } else {
            Byte(0xFF);
            Word(0xFFFF);
            Dword(static_cast<uint32_t>(n));
        }
        m_out += s;
    }

    void Card(const CKarte& card)
    {
        if (m_cardClass == 0) {
            Word(kNewClassTag);
            Word(kCardSchema);
            Word(static_cast<uint16_t>(std::strlen(kCardClassName)));
            m_out += kCardClassName;
            m_cardClass = m_nextNumber++;
        } else if (m_cardClass < kBigObjectTag) {
            Word(static_cast<uint16_t>(kClassTag | m_cardClass));
        } else {
            Word(kBigObjectTag);
            Dword(kBigClassTag | m_cardClass);
        }
        ++m_nextNumber;  // the card's own object number

        Byte(card.EditedByte());
        Byte(card.MarkByte());
        Count(static_cast<std::size_t>(card.StoredLineCount()));
        card.VisitStoredLines([this](std::string_view line) { String(line); });
    }

    std::string& Bytes() { return m_out; }

private:
    std::string m_out;
    uint32_t m_cardClass = 0;
    uint32_t m_nextNumber = 1;
};

// Cards of older files, and of files in the current version that are not in
// order (written by hand or by another program), are filed again by the
// current order; equal names are numbered.
CCardList Resort(CCardList&& read)
{
    CCardList sorted;
    sorted.InsertAllSorted(read.TakeAll(), false);
    sorted.SetFieldNames(read.TakeFieldNames());
    // In a file out of order the search before the sort may have missed the
    // field-names card; in the sorted collection it is found.
    if (!sorted.FieldNames())
        sorted.ExtractFieldNames();
    return sorted;
}


ArchiveResult FileFailure(unsigned messageId, const std::string& path, int error)
{
    ArchiveResult result;
    result.error = ArchiveError::FileError;
    result.message = FormatText(messageId, PathForDisplay(path).c_str());
    if (error) {
        result.message += '\n';
        result.message += SystemErrorText(error);
    }
    return result;
}

}  // namespace

ArchiveResult ReadArchive(const std::string& bytes, CCardList& into, const std::string& name)
{
    ArchiveResult result;
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
        result.error = ArchiveError::BadFormat;
        result.message = Text(msg::UnknownFileFormat);
        return result;
    }
    result.fileVersion = static_cast<uint8_t>(bytes[sizeof kMagic]);
    if (result.fileVersion < kOldestVersion || result.fileVersion > kArchiveVersion) {
        result.error = ArchiveError::BadFormat;
        result.message = Text(msg::UnknownFileFormat);
        return result;
    }
    try {
        ArchiveReader reader(bytes, kHeaderSize, result.fileVersion);
        CCardList list = reader.ReadCollection();
        // Control characters would steer the telephone's line and the
        // terminal; the program never puts one in a card, a file made
        // elsewhere may hold them.
        for (int i = 0; i < list.Count(); ++i)
            result.cardsWithControls += list.At(i)->ReplaceControlCharacters() ? 1 : 0;
        // The program writes its own files in order with unique names; only
        // then can the collection be taken as stored.
        const bool resort = result.fileVersion < kArchiveVersion || !list.IsStrictlySorted();
        list.ExtractFieldNames();
        if (resort)
            list = Resort(std::move(list));
        into = std::move(list);
    } catch (const ArchiveFault& fault) {
        result.error = ArchiveError::Damaged;
        result.message = FormatText(fault.messageId, name.c_str());
    } catch (const std::bad_alloc&) {
        result.error = ArchiveError::Damaged;
        result.message = FormatText(msg::ArchiveBadFormat, name.c_str());
    }
    return result;
}

std::string WriteArchive(CCardList& list)
{
    // The field-names card goes into the array for the write, replacing any
    // card with the reserved name, and is taken out afterwards.
    list.InsertFieldNames();
    struct TakeOutAgain {
        CCardList& list;
        ~TakeOutAgain() { list.ExtractFieldNames(); }
    } takeOut { list };

    // Room for the whole file at once: a string that doubles as it grows
    // would hold twice a large book's bytes, and copy them, while it is made.
    std::size_t size = kHeaderSize + 6;
    for (const auto& card : list.Cards())
        size += 20 + card->StoredBytes().size() + 2 * static_cast<std::size_t>(card->StoredLineCount());
    ArchiveWriter out;
    out.Bytes().reserve(size);
    out.Bytes().append(kMagic, sizeof kMagic);
    out.Byte(kArchiveVersion);
    out.Count(list.Cards().size());
    for (const auto& card : list.Cards())
        out.Card(*card);
    return std::move(out.Bytes());
}

ArchiveResult LoadCardFile(const std::string& path, CCardList& into)
{
    // Without waiting: a named pipe given as a card file would otherwise
    // hold the program until someone writes into it.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return FileFailure(msg::FileOpenFailed, path, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return FileFailure(msg::FileOpenFailed, path, error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        ArchiveResult result = FileFailure(msg::FileOpenFailed, path, 0);
        result.message += '\n' + Text(msg::NotARegularFile);
        return result;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    // The header first, so that a file of another kind is not read whole.
    std::string bytes;
    char buffer[65536];
    std::size_t want = kHeaderSize;
    for (;;) {
        ssize_t n = ::read(fd, buffer, std::min(want, sizeof buffer));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int error = errno;
            ::close(fd);
            return FileFailure(msg::FileReadFailed, path, error);
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() == kHeaderSize) {
            if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
                break;
        }
        want = bytes.size() < kHeaderSize ? kHeaderSize - bytes.size() : sizeof buffer;
    }
    ::close(fd);
    return ReadArchive(bytes, into, path);
}

ArchiveResult SaveCardFile(const std::string& path, CCardList& list)
{
    if (int error = WriteFileAtomically(path, WriteArchive(list)))
        return FileFailure(msg::FileWriteFailed, path, error);
    ArchiveResult result;
    result.fileVersion = kArchiveVersion;
    return result;
}

}  // namespace velkaro
