#include "Karte.h"

#include "Charset.h"
#include "text/Language.h"
#include "text/MessageIds.h"

#include <algorithm>
#include <cstdio>

namespace velkaro {

namespace {

const std::string kEmpty;

// The bytes that steer the line and the terminal: never text of a card.
bool IsControl(unsigned char c)
{
    return c < 0x20 || c == 0x7F;
}

bool IsBlank(char ch)
{
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

std::string TrimRight(std::string s)
{
    auto end = s.find_last_not_of(" \t\n\v\f\r");
    s.erase(end == std::string::npos ? 0 : end + 1);
    return s;
}

std::string TrimLeft(const std::string& s)
{
    auto begin = std::find_if_not(s.begin(), s.end(), IsBlank);
    return std::string(begin, s.end());
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

void CKarte::SetLine(int index, const std::string& text)
{
    if (index < 0 || index >= kMaxLines)
        return;
    if (index >= LineCount())
        m_lines.resize(static_cast<std::size_t>(index) + 1);
    std::string line = TrimRight(text);
    if (line.size() > static_cast<std::size_t>(MaxLineLength(index)))
        line.resize(static_cast<std::size_t>(MaxLineLength(index)));
    m_lines[static_cast<std::size_t>(index)] = std::move(line);
}

const std::string& CKarte::GetLine(int index) const
{
    if (index < 0 || index >= UsableLineCount())
        return kEmpty;
    return m_lines[static_cast<std::size_t>(index)];
}

int CKarte::LineLength(int index) const
{
    return static_cast<int>(GetLine(index).size());
}

int CKarte::LastUsedLine() const
{
    for (int i = UsableLineCount() - 1; i >= 0; --i)
        if (!m_lines[static_cast<std::size_t>(i)].empty())
            return i;
    return -1;
}

int CKarte::CountUsedExtraLines() const
{
    int n = 0;
    for (int i = 2; i < UsableLineCount(); ++i)
        if (!m_lines[static_cast<std::size_t>(i)].empty())
            ++n;
    return n;
}

void CKarte::InsertLine(int index)
{
    if (index < 0 || index >= LineCount())
        return;
    m_lines.insert(m_lines.begin() + index, std::string());
    if (LineCount() > kMaxLines)
        m_lines.pop_back();
}

void CKarte::DeleteLine(int index)
{
    if (index < 0 || index >= LineCount())
        return;
    m_lines.erase(m_lines.begin() + index);
}

void CKarte::Clear()
{
    m_lines.clear();
    m_marked = 0;
}

void CKarte::CopyFrom(const CKarte* other)
{
    if (!other) {
        Clear();
        return;
    }
    int last = other->LastUsedLine();
    std::vector<std::string> lines(other->m_lines.begin(), other->m_lines.begin() + (last + 1));
    m_lines = std::move(lines);
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

NameCompare CKarte::CompareName(const std::string& text) const
{
    const std::string& name = Name();
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

void CKarte::NumberedName(const std::string& name, int k, std::string& into)
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

std::string CKarte::NumberedName(const std::string& name, int k)
{
    std::string numbered;
    NumberedName(name, k, numbered);
    return numbered;
}

void CKarte::MakeNameUnique(int k)
{
    std::string name = NumberedName(Name(), k);
    if (m_lines.empty())
        m_lines.resize(1);
    m_lines[0] = std::move(name);
}

bool CKarte::ContainsText(const std::string& upperPattern) const
{
    for (int i = 0; i < UsableLineCount(); ++i)
        if (AnsiToUpper(m_lines[static_cast<std::size_t>(i)]).find(upperPattern) != std::string::npos)
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
    const std::string& name = Name();
    if (!name.empty() && IsNameLetter(static_cast<unsigned char>(name[0])))
        return true;
    if (repair)
        SetLine(0, name.empty() ? std::string("A") : "A" + name);
    return false;
}

void CKarte::CleanTelephoneLine()
{
    std::string line = GetLine(1);
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
    for (int i = 0; i < static_cast<int>(m_lines.size()); ++i) {
        std::string line = m_lines[static_cast<std::size_t>(i)];
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
        const std::string& line = m_lines[static_cast<std::size_t>(i)];
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
    // The lines come one after another: room for the last at once, so that
    // a million imported cards do not each keep the spare room of doubling.
    int last = -1;
    for (int i = 0; i < kMaxLines; ++i)
        if (assignment[i] >= 0 && static_cast<std::size_t>(assignment[i]) < fields.size())
            last = i;
    m_lines.reserve(static_cast<std::size_t>(std::max(last + 1, LineCount())));
    for (int i = 0; i < kMaxLines; ++i) {
        int field = assignment[i];
        if (field < 0 || static_cast<std::size_t>(field) >= fields.size())
            continue;
        std::string text = fields[static_cast<std::size_t>(field)].substr(0, static_cast<std::size_t>(MaxLineLength(i)));
        if (options.dosCharacters)
            text = OemToAnsi(text);
        SetLine(i, MapPiece(std::move(text)));
    }
    if (LineCount() > 0)
        SetLine(0, TrimLeft(GetLine(0)));
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
    const std::string& first = GetLine(from.line);
    const std::string& end = GetLine(to.line);
    std::string joined = first.substr(0, std::min<std::size_t>(static_cast<std::size_t>(from.column), first.size()));
    if (static_cast<std::size_t>(to.column) < end.size())
        joined += end.substr(static_cast<std::size_t>(to.column));
    if (to.line > from.line)
        m_lines.erase(m_lines.begin() + from.line + 1, m_lines.begin() + to.line + 1);
    SetLine(from.line, joined);
}

std::string CKarte::CopyRange(LinePos from, LinePos to) const
{
    if (!ClampRange(from, to))
        return {};
    auto c0 = static_cast<std::size_t>(from.column);
    auto c1 = static_cast<std::size_t>(to.column);
    if (from.line == to.line) {
        const std::string& line = GetLine(from.line);
        if (c0 >= line.size())
            return {};
        return line.substr(c0, std::min(c1, line.size()) - c0);
    }
    std::string text;
    for (int l = from.line; l <= to.line; ++l) {
        const std::string& line = GetLine(l);
        if (l == from.line)
            text += c0 < line.size() ? line.substr(c0) : std::string();
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
        text += GetLine(i) + "\r\n";
    return text;
}

LinePos CKarte::PasteText(LinePos at, const std::string& clipboard)
{
    // Clipboard text ends at its first NUL.
    std::string text = clipboard.substr(0, clipboard.find('\0'));
    if (text.empty() || at.line < 0 || at.line >= kMaxLines)
        return at;
    auto column = static_cast<std::size_t>(std::max(at.column, 0));
    std::string line = GetLine(at.line);
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
        return fieldNames->GetLine(index);
    if (index == 0)
        return Text(msg::FieldLabelName);
    if (index == 1)
        return Text(msg::FieldLabelTelephone);
    if (index >= 2)
        return FormatText(msg::FieldLabelLine, index - 1);
    return {};
}

}  // namespace velkaro
