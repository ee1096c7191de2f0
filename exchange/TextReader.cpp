#include "TextReader.h"

#include "app/Cp1252.h"
#include "app/Language.h"
#include "model/Charset.h"
#include "model/UserInterface.h"
#include "resources/MessageIds.h"
#include "exchange/Transliteration.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace velkaro {

namespace {

constexpr int kEnd = -1;
constexpr unsigned char kCtrlZ = 26;
// The progress window is repainted after this many pieces.
constexpr int kProgressEveryPieces = 200;
// A message box shows at most this much of the system's error text.
constexpr std::size_t kErrorTextMax = 255;
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
    virtual bool Rewind() = 0;
    // errno of a failed read, 0 when none.
    virtual int Error() const { return 0; }
};

class FileSource : public RawSource {
public:
    explicit FileSource(std::FILE* file) : m_file(file) {}
    std::size_t Read(char* buffer, std::size_t n) override
    {
        std::size_t got = std::fread(buffer, 1, n, m_file);
        if (got < n && std::ferror(m_file) && m_error == 0)
            m_error = errno != 0 ? errno : EIO;
        return got;
    }
    bool Rewind() override
    {
        if (std::fseek(m_file, 0, SEEK_SET) != 0) {
            m_error = errno != 0 ? errno : EIO;
            return false;
        }
        std::clearerr(m_file);
        return true;
    }
    int Error() const override { return m_error; }

private:
    std::FILE* m_file;
    int m_error = 0;
};

class MemorySource : public RawSource {
public:
    explicit MemorySource(std::string_view bytes) : m_bytes(bytes) {}
    std::size_t Read(char* buffer, std::size_t n) override
    {
        std::size_t got = std::min(n, m_bytes.size() - m_pos);
        std::memcpy(buffer, m_bytes.data() + m_pos, got);
        m_pos += got;
        return got;
    }
    bool Rewind() override
    {
        m_pos = 0;
        return true;
    }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

// The file as a text-mode read delivers it: a CR LF pair arrives as one LF,
// and a Ctrl-Z ends the file (files from DOS editors carry one at the end).
class TextModeStream {
public:
    explicit TextModeStream(RawSource& source) : m_source(source) {}

    int Next()
    {
        if (m_ended)
            return kEnd;
        int c = RawNext();
        if (c == kEnd || c == kCtrlZ) {
            m_ended = true;
            return kEnd;
        }
        if (c == '\r' && RawPeek() == '\n') {
            RawNext();
            return '\n';
        }
        return c;
    }

    // Reads up to `max` characters, stopping after an LF, which stays in the
    // piece. False when nothing was left to read.
    bool ReadPiece(std::string& piece, std::size_t max)
    {
        piece.clear();
        while (piece.size() < max) {
            int c = Next();
            if (c == kEnd)
                break;
            piece.push_back(static_cast<char>(c));
            if (c == '\n')
                break;
        }
        return !piece.empty();
    }

    // Raw bytes consumed so far: the file position.
    std::uint64_t Position() const { return m_consumed; }

private:
    bool Fill()
    {
        m_begin = 0;
        m_end = m_source.Read(m_buffer.get(), kBufferSize);
        return m_end > 0;
    }
    int RawPeek()
    {
        if (m_begin == m_end && !Fill())
            return kEnd;
        return static_cast<unsigned char>(m_buffer[m_begin]);
    }
    int RawNext()
    {
        int c = RawPeek();
        if (c != kEnd) {
            ++m_begin;
            ++m_consumed;
        }
        return c;
    }

    static constexpr std::size_t kBufferSize = 64 * 1024;
    RawSource& m_source;
    std::unique_ptr<char[]> m_buffer { new char[kBufferSize] };
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    std::uint64_t m_consumed = 0;
    bool m_ended = false;
};

char DetectIn(RawSource& source)
{
    TextModeStream stream(source);
    std::string sample;
    sample.reserve(kSeparatorSampleMax);
    for (int c; sample.size() < kSeparatorSampleMax && (c = stream.Next()) != kEnd;)
        sample.push_back(static_cast<char>(c));
    return DetectSeparator(sample);
}

struct ReadProgress {
    IUserInterface* ui = nullptr;
    std::uint64_t length = 0;
};

struct Encoding {
    bool mark = false;  // begins with the UTF-8 byte-order mark
    bool utf8 = false;
};

// Looks at the whole file, as the reading will see it, for UTF-8.
Encoding DetectEncoding(RawSource& source)
{
    TextModeStream stream(source);
    Utf8Check check;
    Encoding e;
    std::size_t n = 0;
    for (int c; (c = stream.Next()) != kEnd; ++n) {
        if (n < kUtf8Mark.size() && static_cast<char>(c) == kUtf8Mark[n] && n + 1 == kUtf8Mark.size())
            e.mark = true;
        else if (n < kUtf8Mark.size() && static_cast<char>(c) != kUtf8Mark[n])
            n = kUtf8Mark.size();  // no mark: stop comparing
        check.Feed(static_cast<unsigned char>(c));
    }
    e.utf8 = e.mark || (check.Valid() && check.SawMultiByte());
    return e;
}

// Splits every piece into the table. False when the source reported an error.
bool ReadPieces(RawSource& source, char sep, CImportTable& table, const ReadProgress& progress,
                const Encoding& encoding)
{
    TextModeStream stream(source);
    std::string piece;
    int record = 0;
    table.SetTextIsUtf8(encoding.utf8);
    while (stream.ReadPiece(piece, kTextPieceMax)) {
        // A NUL byte ends the piece's text.
        if (auto nul = piece.find('\0'); nul != std::string::npos)
            piece.resize(nul);
        if (record == 0 && encoding.mark && piece.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0)
            piece.erase(0, kUtf8Mark.size());
        ParseTextPiece(piece, sep, record, table, encoding.utf8);
        ++record;
        if (progress.ui && progress.length > 0 && record % kProgressEveryPieces == 0)
            progress.ui->ProgressStep(static_cast<int>(1000 * stream.Position() / progress.length));
    }
    return source.Error() == 0;
}

void ShowSystemError(IUserInterface& ui, int error)
{
    std::string text = std::strerror(error);
    if (text.size() > kErrorTextMax)
        text.resize(kErrorTextMax);
    ui.Message(text, MsgButtons::Ok, MsgIcon::None);
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
        std::string_view text = piece.substr(fieldStart, end - fieldStart);
        if (utf8) {
            table.SetField(Utf8FieldToAnsi(text), record, column);
            table.SetRawField(std::string(text), record, column);
        } else {
            table.SetField(std::string(text), record, column);
        }
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

int ReadTextFile(const std::string& fileName, CImportTable& table, IUserInterface& ui)
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
    char sep = DetectIn(source);
    Encoding encoding;
    bool ok = source.Error() == 0 && source.Rewind();
    if (ok) {
        encoding = DetectEncoding(source);
        ok = source.Error() == 0 && source.Rewind();
    }
    ok = ok && ReadPieces(source, sep, table, { &ui, static_cast<std::uint64_t>(info.st_size) }, encoding);
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
    char sep = DetectIn(source);
    source.Rewind();
    Encoding encoding = DetectEncoding(source);
    source.Rewind();
    ReadPieces(source, sep, table, {}, encoding);
    return 1;
}

}  // namespace velkaro
