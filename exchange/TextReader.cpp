#include "TextReader.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "text/SystemError.h"
#include "model/Charset.h"
#include "model/MessageUi.h"
#include "text/MessageIds.h"
#include "exchange/Transliteration.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace velkaro {

namespace {

constexpr unsigned char kCtrlZ = 26;
// The progress window is repainted after this many pieces.
constexpr int kProgressEveryPieces = 200;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Base letters of U+0100..U+024F (Latin Extended-A and -B), blank where none.
constexpr char kBaseLatinExtended[] =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlL"
    "lLlNnNnNnnNnOoOoOo  RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs"
    "bBBb      DDd    FfG   IKkl  NnOOo  Pp     tTtTUu VYyZz         "
    "    DDdLLlNNnAaIiOoUuUuUuUuUu AaAa  GgGgKkOoOo  jDDdGg  NnAa    "
    "AaAaEeEeIiIiOoOoRrRrUuUuSsTt  Hh d    AaEeOoOoOoOoYylntj   CcLTs"
    "z  BU EeJj  RrYy";
// Base letters of U+1E00..U+1EFF (Latin Extended Additional).
constexpr char kBaseLatinAdditional[] =
    "AaBbBbBbCcDdDdDdDdDdEeEeEeEeEeFfGgHhHhHhHhHhIiIiKkKkKkLlLlLlLlMm"
    "MmMmNnNnNnNnOoOoOoOoPpPpRrRrRrRrSsSsSsSsSsTtTtTtTtUuUuUuUuUuVvVv"
    "WwWwWwWwWwXxXxYyZzZzZzhtwyas    AaAaAaAaAaAaAaAaAaAaAaAaEeEeEeEe"
    "EeEeEeEeIiIiOoOoOoOoOoOoOoOoOoOoOoOoUuUuUuUuUuUuUuYyYyYyYy      ";

// Decodes the next character of a UTF-8 text; U+FFFD for a malformed one.
char32_t NextCodePoint(std::string_view s, std::size_t& i)
{
    Utf8Check check;
    unsigned char lead = static_cast<unsigned char>(s[i]);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (i + length > s.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t code = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    for (std::size_t k = 0; k < length; ++k) {
        check.Feed(static_cast<unsigned char>(s[i + k]));
        if (k > 0)
            code = code << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    if (!check.Valid()) {
        ++i;
        return 0xFFFD;
    }
    i += length;
    return code;
}


// Where the raw bytes come from: an open file or bytes in memory.
class RawSource {
public:
    virtual ~RawSource() = default;
    // Up to n bytes; 0 at the end or on an error.
    virtual std::size_t Read(char* buffer, std::size_t n) = 0;
    // errno of a failed read, 0 when none.
    virtual int Error() const { return 0; }
    // Bytes of the file read so far.
    virtual std::uint64_t Position() const = 0;
    // Back to the first byte; false when the source cannot go back.
    virtual bool Rewind() = 0;
};

class FileSource : public RawSource {
public:
    explicit FileSource(std::FILE* file) : m_file(file) {}
    std::size_t Read(char* buffer, std::size_t n) override
    {
        std::size_t got = std::fread(buffer, 1, n, m_file);
        if (got < n && std::ferror(m_file) && m_error == 0)
            m_error = errno != 0 ? errno : EIO;
        m_position += got;
        return got;
    }
    int Error() const override { return m_error; }
    std::uint64_t Position() const override { return m_position; }
    bool Rewind() override
    {
        m_position = 0;
        if (std::fseek(m_file, 0, SEEK_SET) == 0)
            return true;
        if (m_error == 0)
            m_error = errno != 0 ? errno : EIO;
        return false;
    }

private:
    std::FILE* m_file;
    int m_error = 0;
    std::uint64_t m_position = 0;
};

class MemorySource : public RawSource {
public:
    explicit MemorySource(std::string_view bytes) : m_bytes(bytes) {}
    std::size_t Read(char* buffer, std::size_t n) override
    {
        std::size_t got = std::min(n, m_bytes.size() - m_pos);
        if (got > 0)
            std::memcpy(buffer, m_bytes.data() + m_pos, got);
        m_pos += got;
        return got;
    }
    std::uint64_t Position() const override { return m_pos; }
    bool Rewind() override
    {
        m_pos = 0;
        return true;
    }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | code >> 6));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | code >> 12));
        out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | code >> 18));
        out.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// Watches the bytes of the file as they are read, up to its Ctrl-Z, for
// whether they are UTF-8 (LooksLikeUtf8) and so let the text be parsed once:
// the records up to the first byte beyond ASCII are the same in both
// character sets, a multi-byte character there makes the records from it
// UTF-8's, and a byte that is no UTF-8 makes the text Windows-1252's. Only
// a text that turns out otherwise after a UTF-8 record was stored (UTF-8 for
// its first lines, not at its end) is parsed again. A byte-order mark fixes
// the answer instead.
class Utf8Watch : public RawSource {
public:
    explicit Utf8Watch(RawSource& source) : m_source(source) {}

    std::size_t Read(char* buffer, std::size_t n) override
    {
        const std::size_t got = m_source.Read(buffer, n);
        if (!m_ended && !m_check.Failed()) {
            const std::string_view block(buffer, got);
            const std::size_t ctrlZ = block.find(static_cast<char>(kCtrlZ));
            m_check.Feed(block.substr(0, ctrlZ));
            m_ended = ctrlZ != std::string_view::npos;
        }
        return got;
    }
    int Error() const override { return m_source.Error(); }
    std::uint64_t Position() const override { return m_source.Position(); }
    bool Rewind() override
    {
        m_check = {};
        m_ended = false;
        return m_source.Rewind();
    }

    // The character set is known without looking further.
    void Fix(bool utf8) { m_fixed = utf8 ? Fixed::Utf8 : Fixed::Ansi; }
    // Whether a record made of the bytes read so far is stored as UTF-8's:
    // so when a multi-byte character came, or the lead byte of one whose
    // continuation is still to be read.
    bool Utf8Now() const
    {
        if (m_fixed != Fixed::No)
            return m_fixed == Fixed::Utf8;
        return !m_check.Failed() && (m_check.SawMultiByte() || !m_check.Valid());
    }
    // The answer for the whole text, once it is read.
    bool Utf8() const
    {
        if (m_fixed != Fixed::No)
            return m_fixed == Fixed::Utf8;
        return m_check.Valid() && m_check.SawMultiByte();
    }

private:
    enum class Fixed { No, Utf8, Ansi };
    RawSource& m_source;
    Utf8Check m_check;
    bool m_ended = false;
    Fixed m_fixed = Fixed::No;
};

// What spreadsheet programs save as "Unicode text" is UTF-16 with a
// byte-order mark. Such a file is delivered as UTF-8 with the UTF-8 mark in
// front, so it is read and converted as a UTF-8 file is; any other file
// passes unchanged.
class Utf16Decoder : public RawSource {
public:
    explicit Utf16Decoder(RawSource& source) : m_source(source) {}

    std::size_t Read(char* buffer, std::size_t n) override
    {
        if (!m_started)
            Start();
        std::size_t got = TakePending(buffer, n);
        if (!m_utf16) {
            if (got < n)
                got += m_source.Read(buffer + got, n - got);
            return got;
        }
        while (got < n) {
            if (m_pending.size() == m_pendingAt && !Decode())
                break;
            got += TakePending(buffer + got, n - got);
        }
        return got;
    }
    int Error() const override { return m_source.Error(); }
    std::uint64_t Position() const override { return m_source.Position(); }
    bool Rewind() override { return false; }  // read once, after the character set is known

private:
    void Start()
    {
        m_started = true;
        char head[2] = {};
        std::size_t got = m_source.Read(head, 2);
        if (got == 1)
            got += m_source.Read(head + 1, 1);
        const auto b0 = static_cast<unsigned char>(head[0]);
        const auto b1 = static_cast<unsigned char>(head[1]);
        if (got == 2 && ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF))) {
            m_utf16 = true;
            m_bigEndian = b0 == 0xFE;
            m_pending.assign(kUtf8Mark);
        } else {
            m_pending.assign(head, got);
        }
    }

    std::size_t TakePending(char* buffer, std::size_t n)
    {
        std::size_t got = std::min(n, m_pending.size() - m_pendingAt);
        if (got > 0)
            std::memcpy(buffer, m_pending.data() + m_pendingAt, got);
        m_pendingAt += got;
        return got;
    }

    // Decodes the next block of the file into m_pending; false at its end.
    bool Decode()
    {
        m_pending.clear();
        m_pendingAt = 0;
        std::size_t got = m_source.Read(m_in.get() + m_carry, kInSize - m_carry);
        std::size_t have = m_carry + got;
        if (have == 0)
            return false;
        std::size_t i = 0;
        for (; i + 2 <= have; i += 2) {
            char32_t unit = Unit(i);
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                if (i + 4 > have) {
                    if (got > 0)
                        break;  // the low half comes with the next block
                    Append(0xFFFD);
                    continue;
                }
                char32_t low = Unit(i + 2);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    Append(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                    i += 2;
                } else {
                    Append(0xFFFD);
                }
            } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
                Append(0xFFFD);
            } else {
                Append(unit);
            }
        }
        m_carry = have - i;
        std::memmove(m_in.get(), m_in.get() + i, m_carry);
        if (got == 0 && m_carry > 0)
            m_carry = 0;  // an odd byte at the end is no character
        return !m_pending.empty() || got > 0;
    }

    char32_t Unit(std::size_t i) const
    {
        const auto a = static_cast<unsigned char>(m_in[i]);
        const auto b = static_cast<unsigned char>(m_in[i + 1]);
        return m_bigEndian ? (a << 8 | b) : (b << 8 | a);
    }

    void Append(char32_t code) { AppendUtf8(m_pending, code); }

    RawSource& m_source;
    bool m_started = false;
    bool m_utf16 = false;
    bool m_bigEndian = false;
    std::string m_pending;
    std::size_t m_pendingAt = 0;
    static constexpr std::size_t kInSize = 64 * 1024;
    std::unique_ptr<char[]> m_in { new char[kInSize] };
    std::size_t m_carry = 0;
};

// The file as a text-mode read delivers it: a CR LF pair arrives as one LF,
// and a Ctrl-Z ends the file (files from DOS editors carry one at the end).
// The characters are made a block at a time, so that the separator
// detection can look ahead at the first of them and the parse then reads
// them again from memory: the file itself is read once.
class TextModeStream {
public:
    explicit TextModeStream(RawSource& source) : m_source(source) {}

    // The first characters still to be read, at most n of them.
    std::string_view Lookahead(std::size_t n)
    {
        while (m_text.size() - m_at < n && Fill()) {
        }
        return std::string_view(m_text).substr(m_at, n);
    }

    // Reads up to `max` characters, stopping after an LF, which stays in the
    // piece. False when nothing was left to read.
    bool ReadPiece(std::string& piece, std::size_t max)
    {
        piece.clear();
        while (piece.size() < max) {
            if (m_at == m_text.size() && !Fill())
                break;
            std::size_t n = std::min(max - piece.size(), m_text.size() - m_at);
            const char* from = m_text.data() + m_at;
            const void* lf = std::memchr(from, '\n', n);
            if (lf)
                n = static_cast<std::size_t>(static_cast<const char*>(lf) - from) + 1;
            piece.append(from, n);
            m_at += n;
            if (lf)
                break;
        }
        return !piece.empty();
    }

private:
    // Appends the next block of characters; false when none came.
    bool Fill()
    {
        if (m_ended)
            return false;
        m_text.erase(0, m_at);
        m_at = 0;
        std::size_t before = m_text.size();
        while (m_text.size() == before && !m_ended) {
            std::size_t got = m_source.Read(m_raw.get(), kBufferSize);
            if (got == 0) {
                if (m_pendingCr)
                    m_text.push_back('\r');
                m_pendingCr = false;
                m_ended = true;
                break;
            }
            Translate(m_raw.get(), got);
        }
        return m_text.size() > before;
    }

    void Translate(const char* raw, std::size_t n)
    {
        std::size_t i = 0;
        if (m_pendingCr) {
            // The CR ended the previous block: an LF after it makes the pair.
            m_pendingCr = false;
            if (raw[0] == '\n') {
                m_text.push_back('\n');
                i = 1;
            } else {
                m_text.push_back('\r');
            }
        }
        // A Ctrl-Z ends the file: nothing after it is read.
        const void* ctrlZ = std::memchr(raw + i, kCtrlZ, n - i);
        const std::size_t end = ctrlZ ? static_cast<std::size_t>(static_cast<const char*>(ctrlZ) - raw) : n;
        while (i < end) {
            const void* cr = std::memchr(raw + i, '\r', end - i);
            const std::size_t at = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - raw) : end;
            m_text.append(raw + i, at - i);
            if (at == end)
                break;
            if (at + 1 == n) {
                m_pendingCr = true;  // the LF may begin the next block
                break;
            }
            const bool pair = raw[at + 1] == '\n';
            m_text.push_back(pair ? '\n' : '\r');
            i = at + (pair ? 2 : 1);
        }
        if (ctrlZ)
            m_ended = true;
    }

    static constexpr std::size_t kBufferSize = 64 * 1024;
    RawSource& m_source;
    std::unique_ptr<char[]> m_raw { new char[kBufferSize] };
    std::string m_text;  // characters made and not yet read, from m_at
    std::size_t m_at = 0;
    bool m_pendingCr = false;
    bool m_ended = false;
};

struct ReadProgress {
    IMessageUi* ui = nullptr;
    std::uint64_t length = 0;
};

// Builds records from the pieces of a text, one piece after the other.
//
// A piece is read as a record of its own, as files have been read all along,
// except where a field in double quotes is still open at its end: the field
// then goes on in the next piece, as the exporters of address books write a
// note or an address of several lines (RFC 4180). Within double quotes a
// doubled quote is one quote and a line end is one blank, since a card line
// has one line. A field in apostrophes never goes beyond its line.
class RecordParser {
public:
    RecordParser(char sep, CImportTable& table, int firstRecord = 0, bool utf8 = false)
        : m_sep(sep), m_table(table), m_utf8(utf8), m_record(firstRecord)
    {
    }
    // The character set of each record is asked of `watch` as it is stored.
    RecordParser(char sep, CImportTable& table, const Utf8Watch& watch)
        : m_sep(sep), m_table(table), m_watch(&watch)
    {
    }

    // Whether a record was stored converted from UTF-8.
    bool StoredUtf8() const { return m_storedUtf8; }

    void Feed(std::string_view piece)
    {
        m_openedInPiece = false;
        Parse(piece, 0, false);
        if (!m_inDouble) {
            m_saved.clear();
            return;
        }
        // Kept until the field closes: should it never close, its line is
        // read again as written.
        if (m_openedInPiece) {
            m_saved.clear();
            m_savedOpener = m_opener;
        }
        m_saved.emplace_back(piece);
    }

    // The end of the text. A double quote that never closed hides nothing:
    // the text from it to the end of its line is read as written, the quote
    // as a character and the separators as separators, and the lines after
    // it are read as the records they are. After such a quote every later
    // quote in the text stands in a pair, so a field opened later always
    // closes: the text is read again once at most.
    void Finish()
    {
        while (m_inDouble) {
            std::vector<std::string> saved = std::move(m_saved);
            m_saved.clear();
            const Opener opener = m_savedOpener;
            m_inDouble = false;
            m_text.resize(opener.textAt);
            m_ends.resize(opener.fieldCount);
            m_fieldStart = opener.textAt;
            m_lastQuote = opener.lastQuote;
            Parse(saved.front(), opener.at, true);
            for (std::size_t k = 1; k < saved.size(); ++k)
                Feed(saved[k]);
        }
    }

private:
    // Where the open double-quoted field began: its piece's offset and the
    // record as it stood.
    struct Opener {
        std::size_t at = 0;
        std::size_t textAt = 0;
        std::size_t fieldCount = 0;
        char lastQuote = 0;
    };

    bool IsFieldEnd(char c) const { return c == '\n' || (m_sep != 0 && c == m_sep); }

    // The first separator or line end from `from`, or the piece's end.
    std::size_t FieldEnd(std::string_view piece, std::size_t from) const
    {
        while (from < piece.size() && !IsFieldEnd(piece[from]))
            ++from;
        return from;
    }

    // An apostrophe opens a quoted field only when the next apostrophe of
    // its line comes before the field's separator, or stands just before a
    // separator or the line end; otherwise it is part of the text
    // ('s-Hertogenbosch, 't Hart). npos when it is text.
    std::size_t ApostropheClose(std::string_view piece, std::size_t open) const
    {
        bool passedSeparator = false;
        for (std::size_t i = open + 1; i < piece.size() && piece[i] != '\n'; ++i) {
            if (piece[i] == '\'') {
                if (!passedSeparator || i + 1 == piece.size() || IsFieldEnd(piece[i + 1]))
                    return i;
                return std::string_view::npos;
            }
            if (m_sep != 0 && piece[i] == m_sep)
                passedSeparator = true;
        }
        return std::string_view::npos;
    }

    // Ends the field that began at m_fieldStart. A closing quote just before
    // the separator or line end is not part of the text; that is the quote
    // opened last in the record, whichever field it opened.
    void StoreField()
    {
        if (m_lastQuote != 0 && m_text.size() > m_fieldStart && m_text.back() == m_lastQuote)
            m_text.pop_back();
        m_ends.push_back(static_cast<std::uint32_t>(m_text.size()));
        m_fieldStart = m_text.size();
    }

    void StoreRecord()
    {
        if (m_watch ? m_watch->Utf8Now() : m_utf8) {
            m_storedUtf8 = true;
            m_table.SetUtf8Record(m_text, m_ends, m_record, &AppendUtf8FieldAsAnsi);
        } else {
            m_views.clear();
            std::size_t begin = 0;
            for (std::size_t end : m_ends) {
                m_views.emplace_back(m_text.data() + begin, end - begin);
                begin = end;
            }
            m_table.SetRecord(m_views, m_record);
        }
        ++m_record;
        m_text.clear();
        m_ends.clear();
        m_fieldStart = 0;
        m_lastQuote = 0;
    }

    // Parses the piece from `i`, either at the start of a field or within
    // the open double-quoted field. asWritten reads quotes as text.
    void Parse(std::string_view piece, std::size_t i, bool asWritten)
    {
        const std::size_t n = piece.size();
        while (i < n) {
            if (m_inDouble) {
                std::size_t j = i;
                while (j < n && piece[j] != '"' && piece[j] != '\n')
                    ++j;
                m_text.append(piece.substr(i, j - i));
                if (j == n)
                    return;  // the field goes on in the next piece
                if (piece[j] == '\n') {
                    m_text.push_back(' ');
                    i = j + 1;
                    continue;
                }
                if (j + 1 < n && piece[j + 1] == '"') {
                    m_text.push_back('"');
                    i = j + 2;
                    continue;
                }
                // The closing quote: it and what follows up to the separator
                // belong to the field.
                m_inDouble = false;
                i = j;
            } else if (!asWritten && piece[i] == '"') {
                m_opener = { i, m_text.size(), m_ends.size(), m_lastQuote };
                m_openedInPiece = true;
                m_lastQuote = '"';
                m_inDouble = true;
                ++i;
                continue;
            } else if (!asWritten && piece[i] == '\'') {
                const std::size_t close = ApostropheClose(piece, i);
                if (close != std::string_view::npos) {
                    m_lastQuote = '\'';
                    m_text.append(piece.substr(i + 1, close - i - 1));
                    i = close;
                }
            }
            const std::size_t end = FieldEnd(piece, i);
            m_text.append(piece.substr(i, end - i));
            StoreField();
            if (end == n || piece[end] == '\n') {
                StoreRecord();
                return;
            }
            i = end + 1;
        }
        // The piece ended just after a separator (or was empty): the last
        // field is empty.
        if (!m_inDouble) {
            StoreField();
            StoreRecord();
        }
    }

    const char m_sep;
    CImportTable& m_table;
    const bool m_utf8 = false;
    const Utf8Watch* m_watch = nullptr;
    bool m_storedUtf8 = false;
    int m_record = 0;
    std::string m_text;               // the record's fields one after another
    std::vector<std::uint32_t> m_ends;  // where each field ends in m_text
    std::vector<std::string_view> m_views;
    std::size_t m_fieldStart = 0;
    char m_lastQuote = 0;
    bool m_inDouble = false;
    bool m_openedInPiece = false;
    Opener m_opener;
    Opener m_savedOpener;
    std::vector<std::string> m_saved;  // the open field's pieces from its opener's
};

// Makes room in the table for the whole file, as its first characters
// promise: its blocks then grow in place rather than by copying. A room too
// large costs address space only, as its pages are never touched.
void ReserveFromSample(CImportTable& table, std::string_view sample, char sep, std::uint64_t length)
{
    if (sample.empty() || length > (std::uint64_t { 1 } << 40))
        return;
    std::size_t lines = 1;
    std::size_t seps = 0;
    for (char c : sample) {
        lines += c == '\n';
        seps += sep != 0 && c == sep;
    }
    const auto size = static_cast<std::size_t>(length);
    // A quarter more than the sample's rate, for a file whose later lines
    // are longer.
    const auto scaled = [&](std::size_t count) {
        return std::min(size + 1, size / sample.size() * count * 5 / 4 + count);
    };
    table.Reserve(size, scaled(lines + seps), scaled(lines));
}

// One pass over the text: the separator from its first characters, then
// every piece into the table, each record in the character set `watch`
// knows as it is stored. False when the source reported an error;
// `storedUtf8` tells whether a record was converted from UTF-8.
bool ParseText(Utf8Watch& watch, CImportTable& table, const ReadProgress& progress, bool& storedUtf8)
{
    Utf16Decoder source(watch);
    TextModeStream stream(source);
    const char sep = DetectSeparator(stream.Lookahead(kSeparatorSampleMax));
    // UTF-8's byte-order mark, or UTF-16's, whose text arrives in UTF-8
    // behind UTF-8's mark.
    const bool mark = stream.Lookahead(kUtf8Mark.size()) == kUtf8Mark;
    if (mark) {
        watch.Fix(true);
        table.SetTextIsUtf8(true);
    }
    if (progress.length > 0)
        ReserveFromSample(table, stream.Lookahead(kSeparatorSampleMax), sep, progress.length);

    std::string piece;
    RecordParser parser(sep, table, watch);
    int pieces = 0;
    while (stream.ReadPiece(piece, kTextPieceMax)) {
        // A NUL byte ends the piece's text.
        if (auto nul = piece.find('\0'); nul != std::string::npos)
            piece.resize(nul);
        std::string_view text = piece;
        if (pieces == 0 && mark && text.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
            text.remove_prefix(kUtf8Mark.size());
            // A file of nothing but its byte-order mark holds no line.
            if (text.empty()) {
                ++pieces;
                continue;
            }
        }
        parser.Feed(text);
        ++pieces;
        if (progress.ui && progress.length > 0 && pieces % kProgressEveryPieces == 0)
            progress.ui->ProgressStep(
                static_cast<int>(std::min<std::uint64_t>(1000, 1000 * source.Position() / progress.length)));
    }
    parser.Finish();
    storedUtf8 = parser.StoredUtf8();
    return source.Error() == 0;
}

// Reads the whole text, once unless a text taken for UTF-8 proves not to be
// after a record was converted: it is then read again as Windows-1252 (the
// records before the bad byte would read differently). False when the
// source reported an error.
bool ReadText(RawSource& file, CImportTable& table, const ReadProgress& progress)
{
    Utf8Watch watch(file);
    bool storedUtf8 = false;
    if (!ParseText(watch, table, progress, storedUtf8))
        return false;
    const bool utf8 = watch.Utf8();
    if (utf8 || !storedUtf8) {
        table.SetTextIsUtf8(utf8);
        return true;
    }
    if (!watch.Rewind())
        return false;
    table.RemoveAll();
    watch.Fix(false);
    return ParseText(watch, table, progress, storedUtf8);
}

}  // namespace

char DetectSeparator(std::string_view sample)
{
    static constexpr char kCandidates[] = { '\t', ';', ',', '|' };
    std::size_t counts[4] = {};
    for (char c : sample)
        for (int i = 0; i < 4; ++i)
            if (c == kCandidates[i])
                ++counts[i];
    char chosen = 0;
    std::size_t best = 0;
    for (int i = 0; i < 4; ++i) {
        if (counts[i] > best) {
            best = counts[i];
            chosen = kCandidates[i];
        }
    }
    return chosen;
}

void ParseTextPiece(std::string_view piece, char sep, int record, CImportTable& table, bool utf8)
{
    RecordParser parser(sep, table, record, utf8);
    parser.Feed(piece);
    parser.Finish();
}

bool LooksLikeUtf8(std::string_view bytes)
{
    Utf8Check check;
    check.Feed(bytes);
    return check.Valid() && check.SawMultiByte();
}

std::string Utf16ToUtf8(std::string_view units, bool bigEndian)
{
    std::string out;
    out.reserve(units.size() * 3 / 2);
    const auto unit = [units, bigEndian](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(units[i]);
        const auto b = static_cast<unsigned char>(units[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    for (std::size_t i = 0; i + 2 <= units.size(); i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 4 <= units.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u);
    }
    return out;
}

void AppendUtf8FieldAsAnsi(std::string& out, std::string_view utf8)
{
    // The field begins at `base`: what is before it is another field.
    const std::size_t base = out.size();
    // Characters with neither a Windows-1252 form nor a Latin base letter
    // (other scripts, most signs) are transliterated a run at a time.
    std::size_t runStart = 0;
    std::size_t runEnd = 0;
    // A run that came to nothing (an emoji) takes a blank beside it along,
    // so that none is doubled.
    bool dropped = false;
    const auto flush = [&] {
        if (runEnd > runStart) {
            const std::string latin = TransliterateToAnsi(utf8.substr(runStart, runEnd - runStart));
            dropped = latin.empty();
            out += latin;
        }
        runStart = runEnd = 0;
    };
    for (std::size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            flush();
            std::size_t ascii = i;
            while (ascii < utf8.size() && static_cast<unsigned char>(utf8[ascii]) < 0x80)
                ++ascii;
            while (i < ascii && utf8[i] == ' ' && dropped && (out.size() == base || out.back() == ' '))
                ++i;
            if (i < ascii)
                dropped = false;
            out.append(utf8.substr(i, ascii - i));  // ASCII is the same in both
            i = ascii;
            continue;
        }
        // Latin-1's letters (U+00A0..U+00FF, the umlauts and accents of
        // most names) are the same bytes in Windows-1252: taken directly.
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            if (next >= (lead == 0xC2 ? 0xA0 : 0x80) && next <= 0xBF) {
                flush();
                dropped = false;
                out.push_back(static_cast<char>(lead == 0xC2 ? next : next + 0x40));
                i += 2;
                continue;
            }
        }
        const std::size_t start = i;
        char32_t code = NextCodePoint(utf8, i);
        int ansi = UnicodeToCp1252(code);
        char base = ' ';
        if (ansi < 0 && code >= 0x100 && code < 0x250)
            base = kBaseLatinExtended[code - 0x100];
        else if (ansi < 0 && code >= 0x1E00 && code < 0x1F00)
            base = kBaseLatinAdditional[code - 0x1E00];
        if (ansi < 0 && base == ' ' && code != 0xFFFD) {
            if (runEnd != start) {
                flush();
                runStart = start;
            }
            runEnd = i;
            continue;
        }
        flush();
        dropped = false;
        if (ansi >= 0)
            out.push_back(static_cast<char>(ansi));
        else
            out.push_back(base == ' ' ? ' ' : static_cast<char>(MapToDeviceCharset(static_cast<unsigned char>(base))));
    }
    flush();
    if (dropped && out.size() > base && out.back() == ' ')
        out.pop_back();
}

std::string Utf8FieldToAnsi(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    AppendUtf8FieldAsAnsi(out, utf8);
    return out;
}

Outcome ReadTextFile(const std::string& fileName, CImportTable& table, IMessageUi& ui)
{
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file)
        return SystemFailure(errno);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, &std::fclose);

    struct stat info {};
    if (fstat(fileno(file), &info) != 0)
        return SystemFailure(errno);
    if (info.st_size == 0)
        return Outcome(OutcomeKind::BadInput, msg::EmptyFile);

    ui.BeginWait();
    ui.ProgressBegin(Text(msg::FileAnalyzing));
    FileSource source(file);
    bool ok = ReadText(source, table, { &ui, static_cast<std::uint64_t>(info.st_size) });
    ui.ProgressEnd();
    ui.EndWait();
    if (!ok)
        return SystemFailure(source.Error());
    return {};
}

Outcome ReadTextBytes(std::string_view bytes, CImportTable& table)
{
    if (bytes.empty())
        return Outcome(OutcomeKind::BadInput, msg::EmptyFile);
    MemorySource source(bytes);
    ReadText(source, table, {});
    return {};
}

}  // namespace velkaro
