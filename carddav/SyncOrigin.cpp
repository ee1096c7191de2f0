#include "carddav/SyncOrigin.h"

#include "exchange/FileAccess.h"
#include "model/AtomicFile.h"
#include "text/Cp1252.h"
#include "text/MessageIds.h"
#include "text/SystemError.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace velkaro {

namespace {

constexpr std::string_view kMagic = "velkaro-sync-origin";
constexpr std::string_view kVersion = "1";
constexpr std::size_t kCardFields = 9;  // "card" and eight values
constexpr std::size_t kBookFields = 3;
// Some 200 bytes a card: a file of this size holds far more cards than any
// address book.
constexpr std::size_t kFileMax = std::size_t(64) << 20;

void AppendEscaped(std::string& out, std::string_view field)
{
    for (char c : field) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out.push_back(c); break;
        }
    }
}

void AppendRecord(std::string& out, std::initializer_list<std::string_view> fields)
{
    bool first = true;
    for (std::string_view field : fields) {
        if (!first)
            out.push_back('\t');
        AppendEscaped(out, field);
        first = false;
    }
    out.push_back('\n');
}

// The fields of one line, their escapes undone; nothing for an unknown
// escape or a line that is not UTF-8.
std::optional<std::vector<std::string>> SplitRecord(std::string_view line)
{
    Utf8Check check;
    for (char c : line)
        check.Feed(static_cast<unsigned char>(c));
    if (!check.Valid())
        return std::nullopt;
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
            continue;
        }
        if (c != '\\') {
            fields.back().push_back(c);
            continue;
        }
        if (++i == line.size())
            return std::nullopt;
        switch (line[i]) {
        case '\\': fields.back().push_back('\\'); break;
        case 't': fields.back().push_back('\t'); break;
        case 'n': fields.back().push_back('\n'); break;
        case 'r': fields.back().push_back('\r'); break;
        default: return std::nullopt;
        }
    }
    return fields;
}

bool IsDigest(const std::string& text)
{
    return text.size() == 16 && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
}

// One record into origin; false when it is damaged.
bool TakeRecord(const std::vector<std::string>& fields, SyncOrigin& origin)
{
    if (fields[0] == "mapping" && fields.size() == 2 && origin.mapping.empty() && origin.books.empty()) {
        origin.mapping = fields[1];
        return true;
    }
    if (fields[0] == "book" && fields.size() == kBookFields && !fields[1].empty()) {
        if (origin.Book(fields[1]))
            return false;
        origin.books.push_back({ fields[1], fields[2] });
        return true;
    }
    if (fields[0] != "card" || fields.size() != kCardFields || !IsDigest(fields[7]) || !IsDigest(fields[8])
        || !origin.Book(fields[1]))
        return false;
    origin.cards.push_back(
        { fields[1], fields[2], fields[3], fields[4], fields[5], Utf8ToAnsi(fields[6]), fields[7], fields[8] });
    return true;
}

}  // namespace

const OriginBook* SyncOrigin::Book(const std::string& url) const
{
    const auto found = std::find_if(books.begin(), books.end(), [&url](const OriginBook& b) { return b.url == url; });
    return found == books.end() ? nullptr : &*found;
}

void SyncOrigin::SetBook(const std::string& url, const std::string& syncToken)
{
    const auto found = std::find_if(books.begin(), books.end(), [&url](const OriginBook& b) { return b.url == url; });
    if (found != books.end())
        found->syncToken = syncToken;
    else
        books.push_back({ url, syncToken });
}

std::string CardDigest(const CKarte& card)
{
    // FNV-1a, 64 bits, over the used lines, each closed by a byte no
    // line holds.
    std::uint64_t hash = 14695981039346656037ULL;
    const auto feed = [&hash](unsigned char c) {
        hash ^= c;
        hash *= 1099511628211ULL;
    };
    for (int line = 0; line <= card.LastUsedLine(); ++line) {
        for (char c : card.GetLine(line))
            feed(static_cast<unsigned char>(c));
        feed(0);
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string SyncOriginPath(const std::string& workingPath)
{
    return workingPath + ".sync";
}

std::string SerializeSyncOrigin(const SyncOrigin& origin)
{
    std::string out;
    AppendRecord(out, { kMagic, kVersion });
    if (!origin.mapping.empty())
        AppendRecord(out, { "mapping", origin.mapping });
    for (const auto& book : origin.books)
        AppendRecord(out, { "book", book.url, book.syncToken });
    for (const auto& card : origin.cards)
        AppendRecord(out,
            { "card", card.book, card.href, card.etag, card.uid, card.numberKey, AnsiToUtf8(card.name), card.digest,
                card.madeDigest });
    return out;
}

int ParseSyncOrigin(std::string_view bytes, SyncOrigin& origin)
{
    origin = {};
    int number = 0;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        ++number;
        const auto fields = SplitRecord(line);
        const bool good = fields
            && (number == 1 ? *fields == std::vector<std::string> { std::string(kMagic), std::string(kVersion) }
                            : TakeRecord(*fields, origin));
        if (!good) {
            origin = {};
            return number;
        }
    }
    return number == 0 ? 1 : 0;
}

Outcome ReadSyncOrigin(const std::string& path, SyncOrigin& origin)
{
    origin = {};
    std::string bytes;
    const FileReadResult read = LoadWholeFile(path, bytes, kFileMax + 1);
    if (!read && read.status == FileReadResult::Status::NotOpened && read.error == ENOENT)
        return {};
    const std::string shown = PathForDisplay(path);
    if (!read)
        return Outcome(OutcomeKind::IoError, msg::SyncOriginUnreadable, { shown, FileReadOutcome(read).Message() });
    const int damaged = bytes.size() > kFileMax ? 1 : ParseSyncOrigin(bytes, origin);
    if (damaged != 0)
        return Outcome(OutcomeKind::BadInput, msg::SyncOriginDamaged, { shown, damaged });
    return {};
}

Outcome WriteSyncOrigin(const std::string& path, const SyncOrigin& origin)
{
    if (const int error = WriteFileAtomically(path, SerializeSyncOrigin(origin)); error != 0)
        return Outcome(
            OutcomeKind::IoError, msg::SyncOriginNotWritten, { PathForDisplay(path), SystemErrorText(error) });
    return {};
}

}  // namespace velkaro
