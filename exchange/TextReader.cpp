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

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
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
        if (got == 0 && m_carry > 0) {
            Append(0xFFFD);  // an odd byte at the end
            m_carry = 0;
        }
        return !m_pending.empty() || got > 0;
    }

    char32_t Unit(std::size_t i) const
    {
        const auto a = static_cast<unsigned char>(m_in[i]);
        const auto b = static_cast<unsigned char>(m_in[i + 1]);
        return m_bigEndian ? (a << 8 | b) : (b << 8 | a);
    }

    void Append(char32_t code)
    {
        if (code < 0x80) {
            m_pending.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            m_pending.push_back(static_cast<char>(0xC0 | code >> 6));
            m_pending.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            m_pending.push_back(static_cast<char>(0xE0 | code >> 12));
            m_pending.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
            m_pending.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            m_pending.push_back(static_cast<char>(0xF0 | code >> 18));
            m_pending.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
            m_pending.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
            m_pending.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }

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
        std::size_t runStart = i;
        for (; i < n; ++i) {
            const char c = raw[i];
            if (c != '\r' && c != static_cast<char>(kCtrlZ))
                continue;
            m_text.append(raw + runStart, i - runStart);
            runStart = i + 1;
            if (c == static_cast<char>(kCtrlZ)) {
                m_ended = true;
                return;
            }
            if (i + 1 == n) {
                m_pendingCr = true;
            } else if (raw[i + 1] == '\n') {
                m_text.push_back('\n');
                ++i;
                runStart = i + 1;
            } else {
                m_text.push_back('\r');
            }
        }
        m_text.append(raw + runStart, n - runStart);
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

// Splits one piece into fields as ParseTextPiece describes; none when the
// piece lies wholly in quotes.
void SplitPiece(std::string_view piece, char sep, std::vector<std::string_view>& fields)
{
    int column = 0;
    bool inQuote = false;
    char quote = 0;      // the quote character opened last in this piece
    char previous = sep; // the start of a piece counts as a separator
    std::size_t fieldStart = 0;
    bool endedAtLineEnd = false;

    // The field from fieldStart up to `end`; a closing quote just before the
    // separator or line end is not part of the text.
    auto store = [&](std::size_t end) {
        if (quote != 0 && previous == quote && end > fieldStart)
            --end;
        fields.emplace_back(piece.substr(fieldStart, end - fieldStart));
        ++column;
    };

    for (std::size_t i = 0; i < piece.size(); ++i) {
        char c = piece[i];
        if (inQuote) {
            if (c == quote) {
                inQuote = false;
                previous = c;
            }
            continue;
        }
        if (previous == sep && (c == '"' || c == '\'')) {
            quote = c;
            inQuote = true;
            fieldStart = i + 1;
            previous = c;
        } else if ((sep != 0 && c == sep) || c == '\n') {
            store(i);
            fieldStart = i + 1;
            previous = sep;
            if (c == '\n')
                endedAtLineEnd = true;
        } else {
            previous = c;
        }
    }
    // The last line without a line end, or one piece of an over-long line;
    // a field still open in quotes is lost.
    if (!endedAtLineEnd && !inQuote)
        store(piece.size());
}

// Reads the whole text: the separator from its first characters, then every
// piece into the table, and at the end the conversion when the text turned
// out to be UTF-8. False when the source reported an error.
bool ReadText(RawSource& file, CImportTable& table, const ReadProgress& progress)
{
    Utf16Decoder source(file);
    TextModeStream stream(source);
    const char sep = DetectSeparator(stream.Lookahead(kSeparatorSampleMax));
    const bool mark = stream.Lookahead(kUtf8Mark.size()) == kUtf8Mark;

    Utf8Check check;
    std::string piece;
    std::vector<std::string_view> fields;
    int record = 0;
    while (stream.ReadPiece(piece, kTextPieceMax)) {
        // The whole text decides the character set, bytes after a NUL too.
        if (!mark && check.Valid())
            for (char c : piece)
                check.Feed(static_cast<unsigned char>(c));
        // A NUL byte ends the piece's text.
        if (auto nul = piece.find('\0'); nul != std::string::npos)
            piece.resize(nul);
        std::string_view text = piece;
        if (record == 0 && mark && text.substr(0, kUtf8Mark.size()) == kUtf8Mark)
            text.remove_prefix(kUtf8Mark.size());
        fields.clear();
        SplitPiece(text, sep, fields);
        if (!fields.empty())
            table.SetRecord(fields, record);
        ++record;
        if (progress.ui && progress.length > 0 && record % kProgressEveryPieces == 0)
            progress.ui->ProgressStep(
                static_cast<int>(std::min<std::uint64_t>(1000, 1000 * source.Position() / progress.length)));
    }
    if (mark || (check.Valid() && check.SawMultiByte()))
        table.ConvertUtf8Fields(&Utf8FieldToAnsi);
    else
        table.SetTextIsUtf8(false);
    return source.Error() == 0;
}

void ShowSystemError(IMessageUi& ui, int error)
{
    ui.Message(SystemErrorText(error), MsgButtons::Ok, MsgIcon::None);
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
    std::vector<std::string_view> fields;
    SplitPiece(piece, sep, fields);
    for (std::size_t c = 0; c < fields.size(); ++c) {
        if (utf8) {
            table.SetField(Utf8FieldToAnsi(fields[c]), record, static_cast<int>(c));
            table.SetRawField(fields[c], record, static_cast<int>(c));
        } else {
            table.SetField(fields[c], record, static_cast<int>(c));
        }
    }
}

bool LooksLikeUtf8(std::string_view bytes)
{
    Utf8Check check;
    for (char c : bytes)
        check.Feed(static_cast<unsigned char>(c));
    return check.Valid() && check.SawMultiByte();
}

std::string Utf8FieldToAnsi(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    // Characters with neither a Windows-1252 form nor a Latin base letter
    // (other scripts, most signs) are transliterated a run at a time.
    std::size_t runStart = 0;
    std::size_t runEnd = 0;
    const auto flush = [&] {
        if (runEnd > runStart)
            out += TransliterateToAnsi(utf8.substr(runStart, runEnd - runStart));
        runStart = runEnd = 0;
    };
    for (std::size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            flush();
            out.push_back(utf8[i++]);  // ASCII is the same in both
            continue;
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
        if (ansi >= 0)
            out.push_back(static_cast<char>(ansi));
        else
            out.push_back(base == ' ' ? ' ' : static_cast<char>(MapToDeviceCharset(static_cast<unsigned char>(base))));
    }
    flush();
    return out;
}

int ReadTextFile(const std::string& fileName, CImportTable& table, IMessageUi& ui)
{
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file) {
        ShowSystemError(ui, errno);
        return 0;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, &std::fclose);

    struct stat info {};
    if (fstat(fileno(file), &info) != 0) {
        ShowSystemError(ui, errno);
        return 0;
    }
    if (info.st_size == 0) {
        ui.Message(Text(msg::EmptyFile), MsgButtons::Ok, MsgIcon::None);
        return 0;
    }

    ui.BeginWait();
    ui.ProgressBegin(Text(msg::FileAnalyzing));
    FileSource source(file);
    bool ok = ReadText(source, table, { &ui, static_cast<std::uint64_t>(info.st_size) });
    ui.ProgressEnd();
    ui.EndWait();
    if (!ok) {
        ShowSystemError(ui, source.Error());
        return 0;
    }
    return 1;
}

int ReadTextBytes(std::string_view bytes, CImportTable& table)
{
    if (bytes.empty())
        return 0;
    MemorySource source(bytes);
    ReadText(source, table, {});
    return 1;
}

}  // namespace velkaro
