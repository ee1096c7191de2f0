#include "Karte.h"

#include "Charset.h"
#include "text/Language.h"
#include "text/MessageIds.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace velkaro {

namespace {

// The bytes that steer the line and the terminal: never text of a card.
bool IsControl(unsigned char c)
{
    return c < 0x20 || c == 0x7F;
}

bool IsBlank(char ch)
{
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

std::string_view TrimRight(std::string_view s)
{
    auto end = s.find_last_not_of(" \t\n\v\f\r");
    return s.substr(0, end == std::string_view::npos ? 0 : end + 1);
}

std::string_view TrimLeft(std::string_view s)
{
    auto begin = std::find_if_not(s.begin(), s.end(), IsBlank);
    return s.substr(static_cast<std::size_t>(begin - s.begin()));
}

constexpr unsigned char kLongLength = 255;

// What a line keeps of a text: no blanks at its end, no more than fits.
std::string_view FitLine(int index, std::string_view text)
{
    return TrimRight(text).substr(0, static_cast<std::size_t>(MaxLineLength(index)));
}

std::string MapPiece(std::string piece)
{
    for (char& ch : piece)
        ch = static_cast<char>(MapToDeviceCharset(static_cast<unsigned char>(ch)));
    return piece;
}

}  // namespace

const std::string& ReservedName()
{
    static const std::string name(kShortLineLength, '\xE5');
    return name;
}

int CKarte::UsableLineCount() const
{
    return std::min(LineCount(), kMaxLines);
}

CKarte::Span CKarte::SpanAt(std::size_t at) const
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_text.data());
    std::size_t length = bytes[at];
    std::size_t head = 1;
    if (length == kLongLength) {
        length = 0;
        for (int b = 3; b >= 0; --b)
            length = (length << 8) | bytes[at + 1 + static_cast<std::size_t>(b)];
        head = 5;
    }
    return { at + head, length, at + head + length };
}

CKarte::Span CKarte::Locate(int index) const
{
    const std::size_t size = m_text.size();
    std::size_t at = 0;
    for (int i = 0; at < size; ++i) {
        const Span span = SpanAt(at);
        if (i == index)
            return span;
        at = span.next;
    }
    return { size, 0, size };
}

std::size_t CKarte::EncodedSize(std::string_view line)
{
    return line.size() + (line.size() < kLongLength ? 1 : 5);
}

char* CKarte::Encode(char* into, std::string_view line)
{
    if (line.size() < kLongLength) {
        *into++ = static_cast<char>(line.size());
    } else {
        *into++ = static_cast<char>(kLongLength);
        for (int b = 0; b < 4; ++b)
            *into++ = static_cast<char>((static_cast<uint32_t>(line.size()) >> (8 * b)) & 0xFF);
    }
    if (!line.empty())
        std::memcpy(into, line.data(), line.size());
    return into + line.size();
}

void CKarte::Rebuild(const std::vector<std::string>& lines)
{
    // Made at its size (a string reserved for it would take spare room):
    // a million cards of an import keep no slack.
    std::size_t size = 0;
    for (const auto& line : lines)
        size += EncodedSize(line);
    std::string text(size, '\0');
    char* at = text.data();
    for (const auto& line : lines)
        at = Encode(at, line);
    m_text = std::move(text);
    m_count = static_cast<uint32_t>(lines.size());
}

std::string_view CKarte::StoredLine(int index) const
{
    if (index < 0 || index >= LineCount())
        return {};
    const Span span = Locate(index);
    return std::string_view(m_text).substr(span.offset, span.length);
}

std::vector<std::string> CKarte::StoredLines() const
{
    std::vector<std::string> lines;
    lines.reserve(m_count);
    VisitStoredLines([&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

void CKarte::SetStoredLines(const std::vector<std::string>& lines)
{
    Rebuild(lines);
}

std::size_t CKarte::HeapBytes() const
{
    // A short card's lines lie inside the string object itself.
    const char* data = m_text.data();
    const char* self = reinterpret_cast<const char*>(&m_text);
    const bool inside = data >= self && data < self + sizeof m_text;
    return inside ? 0 : m_text.capacity() + 1;
}

void CKarte::CopyStoredLines(const CKarte& other)
{
    m_text = std::string(other.m_text);
    m_count = other.m_count;
}

void CKarte::SetLine(int index, std::string_view text)
{
    if (index < 0 || index >= kMaxLines)
        return;
    const std::string_view line = FitLine(index, text);
    // The card's new form is made whole, at its size: `text` may be one of
    // its own lines.
    const bool exists = index < LineCount();
    const Span span = Locate(index);
    const std::size_t keepFrom = exists ? span.next : m_text.size();
    const std::size_t headEnd = exists ? span.offset - (span.length < kLongLength ? 1 : 5) : m_text.size();
    const std::size_t added = exists ? 0 : static_cast<std::size_t>(index - LineCount());
    std::string rebuilt(headEnd + added + EncodedSize(line) + (m_text.size() - keepFrom), '\0');
    char* at = rebuilt.data();
    std::memcpy(at, m_text.data(), headEnd);
    at += headEnd + added;  // empty lines up to this one: a zero length each
    at = Encode(at, line);
    std::memcpy(at, m_text.data() + keepFrom, m_text.size() - keepFrom);
    m_text = std::move(rebuilt);
    m_count += static_cast<uint32_t>(exists ? 0 : added + 1);
}

std::string_view CKarte::GetLine(int index) const
{
    if (index < 0 || index >= UsableLineCount())
        return {};
    return StoredLine(index);
}

int CKarte::LineLength(int index) const
{
    return static_cast<int>(GetLine(index).size());
}

int CKarte::LastUsedLine() const
{
    for (int i = UsableLineCount() - 1; i >= 0; --i)
        if (!GetLine(i).empty())
            return i;
    return -1;
}

int CKarte::CountUsedExtraLines() const
{
    int n = 0;
    for (int i = 2; i < UsableLineCount(); ++i)
        if (!GetLine(i).empty())
            ++n;
    return n;
}

void CKarte::InsertLine(int index)
{
    if (index < 0 || index >= LineCount())
        return;
    std::vector<std::string> lines = StoredLines();
    lines.insert(lines.begin() + index, std::string());
    if (static_cast<int>(lines.size()) > kMaxLines)
        lines.pop_back();
    Rebuild(lines);
}

void CKarte::DeleteLine(int index)
{
    if (index < 0 || index >= LineCount())
        return;
    std::vector<std::string> lines = StoredLines();
    lines.erase(lines.begin() + index);
    Rebuild(lines);
}

void CKarte::Clear()
{
    m_text = std::string();
    m_count = 0;
    m_marked = 0;
}

void CKarte::CopyFrom(const CKarte* other)
{
    if (!other) {
        Clear();
        return;
    }
    int last = other->LastUsedLine();
    // Its lines up to the last used one: the front of its block.
    m_text = other->m_text.substr(0, last >= 0 ? other->Locate(last).next : 0);
    m_count = static_cast<uint32_t>(last + 1);
    m_marked = other->m_marked;
}

bool CKarte::IsSameAs(const CKarte* other) const
{
    if (!other)
        return false;
    int last = LastUsedLine();
    if (last != other->LastUsedLine())
        return false;
    for (int i = 0; i <= last; ++i)
        if (GetLine(i) != other->GetLine(i))
            return false;
    return true;
}

NameCompare CKarte::CompareName(std::string_view text) const
{
    const std::string_view name = Name();
    std::size_t i = 0;
    while (i < name.size() && i < text.size()
           && CharOrder(static_cast<unsigned char>(name[i])) == CharOrder(static_cast<unsigned char>(text[i])))
        ++i;
    if (i < text.size()) {
        if (i >= name.size())
            return { -1, MatchKind::None };
        bool below = CharOrder(static_cast<unsigned char>(name[i])) < CharOrder(static_cast<unsigned char>(text[i]));
        return { below ? -1 : 1, MatchKind::None };
    }
    if (i < name.size())
        return { 1, MatchKind::Prefix };
    return { 0, MatchKind::Equal };
}

void CKarte::NumberedName(std::string_view name, int k, std::string& into)
{
    // The number ends in column 20, where the telephone's display ends.
    char digits[16];
    const int length = std::snprintf(digits, sizeof digits, "%i", k);
    const std::size_t count = length > 0 ? static_cast<std::size_t>(length) : 0;
    const std::size_t width = count < static_cast<std::size_t>(kShortLineLength) ? kShortLineLength - count : 0;
    into.assign(name, 0, width);
    into.resize(width, ' ');
    into.append(digits, count);
}

std::string CKarte::NumberedName(std::string_view name, int k)
{
    std::string numbered;
    NumberedName(name, k, numbered);
    return numbered;
}

void CKarte::MakeNameUnique(int k)
{
    // A numbered name ends in its number and fits the line as it is.
    SetLine(0, NumberedName(Name(), k));
}

bool CKarte::ContainsText(const std::string& upperPattern) const
{
    for (int i = 0; i < UsableLineCount(); ++i)
        if (AnsiToUpper(std::string(GetLine(i))).find(upperPattern) != std::string::npos)
            return true;
    return false;
}

void CKarte::ToggleMark()
{
    if (m_marked == 0)
        m_marked = 1;
    else if (m_marked == 1)
        m_marked = 0;
}

bool CKarte::CheckFirstLine(bool repair)
{
    const std::string_view name = Name();
    if (!name.empty() && IsNameLetter(static_cast<unsigned char>(name[0])))
        return true;
    if (repair)
        SetLine(0, "A" + std::string(name));
    return false;
}

void CKarte::CleanTelephoneLine()
{
    std::string line(GetLine(1));
    if (line.empty())
        return;
    for (char& ch : line)
        if (!((ch >= '0' && ch <= '9') || ch == ' ' || ch == '#' || ch == '*' || ch == '+'))
            ch = ' ';
    SetLine(1, line);
}

bool CKarte::ReplaceControlCharacters()
{
    bool replaced = false;
    // Lines past the telephone's are kept as read: SetLine leaves them.
    for (int i = 0; i < UsableLineCount(); ++i) {
        std::string line(StoredLine(i));
        bool changed = false;
        for (char& ch : line)
            if (IsControl(static_cast<unsigned char>(ch))) {
                ch = ' ';
                changed = true;
            }
        if (changed) {
            SetLine(i, line);
            replaced = true;
        }
    }
    return replaced;
}

int CKarte::EncodeForDevice(std::string& buffer) const
{
    std::size_t start = buffer.size();
    for (int i = 0; i < UsableLineCount(); ++i) {
        const std::string_view line = GetLine(i);
        if (line.empty())
            continue;
        buffer += static_cast<char>('1' + i);
        for (char ch : line) {
            unsigned char c = static_cast<unsigned char>(ch);
            buffer += static_cast<char>((c & 0x80) ? AnsiToDevice(c) : IsControl(c) ? ' ' : c);
        }
        buffer += '\r';
    }
    if (m_marked != 0) {
        buffer += 'Q';
        buffer += static_cast<char>('a' + m_marked);
        buffer += '\r';
    }
    buffer += '\x1B';
    return static_cast<int>(buffer.size() - start);
}

void CKarte::FillFromFields(const std::vector<std::string>& fields, const int16_t assignment[kMaxLines],
                            const ImportOptions& options)
{
    // The lines are put together first and the card made once, at its size.
    std::vector<std::string> lines = StoredLines();
    for (int i = 0; i < kMaxLines; ++i) {
        int field = assignment[i];
        if (field < 0 || static_cast<std::size_t>(field) >= fields.size())
            continue;
        std::string text = fields[static_cast<std::size_t>(field)].substr(0, static_cast<std::size_t>(MaxLineLength(i)));
        if (options.dosCharacters)
            text = OemToAnsi(text);
        if (lines.size() <= static_cast<std::size_t>(i))
            lines.resize(static_cast<std::size_t>(i) + 1);
        lines[static_cast<std::size_t>(i)] = FitLine(i, MapPiece(std::move(text)));
    }
    if (!lines.empty())
        lines[0] = TrimLeft(lines[0]);
    Rebuild(lines);
    CheckFirstLine(true);
    if (options.onlyNumbers)
        CleanTelephoneLine();
    m_edited = 1;
}

bool CKarte::ClampRange(LinePos& from, LinePos& to) const
{
    if (to.line < from.line || (to.line == from.line && to.column < from.column))
        std::swap(from, to);
    if (from.line < 0 || from.line >= UsableLineCount())
        return false;
    from.column = std::max(from.column, 0);
    to.column = std::max(to.column, 0);
    int last = UsableLineCount() - 1;
    if (to.line > last) {
        to.line = last;
        to.column = LineLength(last);
    }
    return true;
}

void CKarte::DeleteRange(LinePos from, LinePos to)
{
    if (!ClampRange(from, to))
        return;
    std::vector<std::string> lines = StoredLines();
    const std::string& first = lines[static_cast<std::size_t>(from.line)];
    const std::string& end = lines[static_cast<std::size_t>(to.line)];
    std::string joined = first.substr(0, std::min<std::size_t>(static_cast<std::size_t>(from.column), first.size()));
    if (static_cast<std::size_t>(to.column) < end.size())
        joined += end.substr(static_cast<std::size_t>(to.column));
    if (to.line > from.line) {
        lines.erase(lines.begin() + from.line + 1, lines.begin() + to.line + 1);
        Rebuild(lines);
    }
    SetLine(from.line, joined);
}

std::string CKarte::CopyRange(LinePos from, LinePos to) const
{
    if (!ClampRange(from, to))
        return {};
    auto c0 = static_cast<std::size_t>(from.column);
    auto c1 = static_cast<std::size_t>(to.column);
    if (from.line == to.line) {
        const std::string_view line = GetLine(from.line);
        if (c0 >= line.size())
            return {};
        return std::string(line.substr(c0, std::min(c1, line.size()) - c0));
    }
    std::string text;
    for (int l = from.line; l <= to.line; ++l) {
        const std::string_view line = GetLine(l);
        if (l == from.line)
            text += c0 < line.size() ? line.substr(c0) : std::string_view();
        else if (l == to.line)
            text += line.substr(0, std::min(c1, line.size()));
        else
            text += line;
        text += "\r\n";
    }
    return text;
}

std::string CKarte::CopyCardText() const
{
    std::string text;
    for (int i = 0; i <= LastUsedLine(); ++i)
        text.append(GetLine(i)).append("\r\n");
    return text;
}

LinePos CKarte::PasteText(LinePos at, const std::string& clipboard)
{
    // Clipboard text ends at its first NUL.
    std::string text = clipboard.substr(0, clipboard.find('\0'));
    if (text.empty() || at.line < 0 || at.line >= kMaxLines)
        return at;
    auto column = static_cast<std::size_t>(std::max(at.column, 0));
    std::string line(GetLine(at.line));
    if (line.size() < column)
        line.resize(column, ' ');
    std::string left = line.substr(0, column);
    std::string right = line.substr(column);

    // Pieces end at CR, CR LF or a lone LF (text from other programs on this
    // platform often has LF only).
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            pieces.emplace_back();
        } else if (pieces.back().size() < static_cast<std::size_t>(kLongLineLength)) {
            pieces.back() += static_cast<char>(MapToDeviceCharset(static_cast<unsigned char>(ch)));
        }
    }

    LinePos cursor = at;
    int l = at.line;
    for (std::size_t p = 0; p < pieces.size(); ++p, ++l) {
        if (l >= kMaxLines)
            break;
        std::string stored = p == 0 ? left + pieces[p] : pieces[p];
        if (p > 0)
            InsertLine(l);
        int pastedEnd = static_cast<int>(stored.size());
        if (p + 1 == pieces.size())
            stored += right;
        SetLine(l, stored);
        cursor = { std::min(pastedEnd, MaxLineLength(l)), l };
    }
    return cursor;
}

std::string GetFieldLabel(int index, const CKarte* fieldNames)
{
    // Line 0 of the field-names card is the reserved name, never a label.
    if (index > 0 && fieldNames && !fieldNames->GetLine(index).empty())
        return std::string(fieldNames->GetLine(index));
    if (index == 0)
        return Text(msg::FieldLabelName);
    if (index == 1)
        return Text(msg::FieldLabelTelephone);
    if (index >= 2)
        return FormatText(msg::FieldLabelLine, index - 1);
    return {};
}

}  // namespace velkaro
