#pragma once

// One address-book card as the telephone keeps it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velkaro {

class CCardList;

constexpr int kMaxLines = 32;          // name, telephone, 30 extra lines
constexpr int kShortLineLength = 20;   // lines 0 and 1
constexpr int kLongLineLength = 30;    // lines 2..31
constexpr int kLinesPerPage = 6;
constexpr int kPages = 5;
constexpr int kMaxLabelLength = 10;
constexpr int kMaxDeviceRecord = 1008;

// Name line of the field-names card: twenty times 0xE5, which sorts last.
const std::string& ReservedName();

inline int MaxLineLength(int index) { return index < 2 ? kShortLineLength : kLongLineLength; }

// Result of a name comparison: -1/0/+1 and how the text matched.
enum class MatchKind : int { None = 0, Prefix = 1, Equal = 2 };
struct NameCompare {
    int order = 0;
    MatchKind kind = MatchKind::None;
};

struct ImportOptions {
    bool dosCharacters = false;  // fields are code page 850
    bool onlyNumbers = false;    // clean the telephone line
};

// A position in the line editor: column and line.
struct LinePos {
    int column = 0;
    int line = 0;
};

class CKarte {
public:
    CKarte() = default;

    void SetLine(int index, std::string_view text);
    // The line's text, valid until the card is next changed.
    std::string_view GetLine(int index) const;
    int LineLength(int index) const;
    int LineCount() const { return static_cast<int>(m_count); }
    int LastUsedLine() const;
    int CountUsedExtraLines() const;
    void InsertLine(int index);
    void DeleteLine(int index);
    void Clear();
    void CopyFrom(const CKarte* other);
    bool IsSameAs(const CKarte* other) const;
    // Line 0 at once, as sorting and searching ask for it: its length is
    // the first byte of the block when below 255.
    std::string_view Name() const
    {
        if (m_count == 0)
            return {};
        const auto length = static_cast<unsigned char>(m_text[0]);
        return length < 255 ? std::string_view(m_text.data() + 1, length) : GetLine(0);
    }

    NameCompare CompareName(std::string_view text) const;
    void MakeNameUnique(int k);
    // The name MakeNameUnique(k) makes of name. Trying k = 1, 2, ... on a
    // card one after the other ends in the same name as numbering its
    // original name with the last k once: the cut only ever gets shorter.
    static std::string NumberedName(std::string_view name, int k);
    // The same into a buffer, for callers that try many numbers.
    static void NumberedName(std::string_view name, int k, std::string& into);
    bool ContainsText(const std::string& upperPattern) const;
    void ToggleMark();
    bool CheckFirstLine(bool repair);
    void CleanTelephoneLine();
    // Appends the device record to buffer and returns its byte count.
    // The card's record for the telephone. A control character (below 32,
    // and 127) in a line goes out as a blank: CR ends a line on the wire,
    // ESC a card, and 00 starts a command.
    int EncodeForDevice(std::string& buffer) const;
    // Turns control characters in the lines into blanks; true when there
    // were any. Cards from the program never hold one; a file made
    // elsewhere may.
    bool ReplaceControlCharacters();
    // assignment[i] is the field index for line i; anything outside the
    // fields means no field.
    void FillFromFields(const std::vector<std::string>& fields, const int16_t assignment[kMaxLines],
                        const ImportOptions& options);

    // Line editor text operations.
    void DeleteRange(LinePos from, LinePos to);
    std::string CopyRange(LinePos from, LinePos to) const;  // clipboard text, CR LF separated, no NUL
    std::string CopyCardText() const;                       // lines 0..LastUsedLine, each + CR LF
    LinePos PasteText(LinePos at, const std::string& clipboard); // returns the cursor after the paste

    // The lines exactly as an archive stores them, for writing and reading
    // one: SetStoredLines applies no limit, so the lines of a damaged or
    // foreign file are written back as they were read.
    int StoredLineCount() const { return LineCount(); }
    std::string_view StoredLine(int index) const;
    std::vector<std::string> StoredLines() const;
    // visit(line) for each stored line in turn: a card of a damaged file
    // may have thousands, which StoredLine(i) would each walk to.
    template <typename Visit> void VisitStoredLines(Visit visit) const
    {
        for (std::size_t at = 0; at < m_text.size();) {
            const Span span = SpanAt(at);
            visit(std::string_view(m_text).substr(span.offset, span.length));
            at = span.next;
        }
    }
    void SetStoredLines(const std::vector<std::string>& lines);
    void CopyStoredLines(const CKarte& other);
    // The lines in the card's own form: two cards with the same lines have
    // the same bytes here, so they compare and hash the lines at once.
    std::string_view StoredBytes() const { return m_text; }
    // What the card holds on the heap beside itself.
    std::size_t HeapBytes() const;
    // Edited since it was last sent; marked on the telephone. Each is kept
    // as the byte a backup stores (the mark also goes over the line as a
    // letter): a damaged file or a telephone may give a value other than 0
    // and 1, which is written back as it came and counts as neither.
    bool IsEdited() const { return m_edited == 1; }
    void SetEdited(bool edited) { m_edited = edited ? 1 : 0; }
    bool IsMarked() const { return m_marked == 1; }
    void SetMarked(bool marked) { m_marked = marked ? 1 : 0; }
    uint8_t EditedByte() const { return m_edited; }
    void SetEditedByte(uint8_t value) { m_edited = value; }
    uint8_t MarkByte() const { return m_marked; }
    void SetMarkByte(uint8_t value) { m_marked = value; }

private:
    // Lines beyond 31 (only a damaged or foreign archive has them) are kept
    // for writing back but take part in nothing else.
    int UsableLineCount() const;
    // Orders the range and clamps its end to the last line; false when the
    // start is not an existing line.
    bool ClampRange(LinePos& from, LinePos& to) const;

    // Where line `index` lies in m_text; `next` is where the following
    // line's length begins. An index past the last line gives an empty
    // span at the end.
    struct Span {
        std::size_t offset = 0;
        std::size_t length = 0;
        std::size_t next = 0;
    };
    Span Locate(int index) const;
    // The line whose length begins at `at`.
    Span SpanAt(std::size_t at) const;
    // A line in the card's form: its size there, and written at `into`
    // (the end of what was written returned).
    static std::size_t EncodedSize(std::string_view line);
    static char* Encode(char* into, std::string_view line);
    // The card's lines become `lines`, as they are, in a block of their size.
    void Rebuild(const std::vector<std::string>& lines);

    // All lines in one block, each after its length: one byte below 255,
    // else 255 and four bytes, least significant first. A million imported
    // cards cost one allocation each (none for a short card), not one per
    // line.
    std::string m_text;
    uint32_t m_count = 0;
    uint8_t m_edited = 0;
    uint8_t m_marked = 0;
};

// The label of a card line: the field-names card's line when set, else
// "Name", "Telefon", "Zeile %i" in the current language.
std::string GetFieldLabel(int index, const CKarte* fieldNames);

}  // namespace velkaro
