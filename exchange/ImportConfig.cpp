#include "ImportConfig.h"

#include "exchange/Contacts.h"

#include "FileAccess.h"
#include "FileDialogs.h"
#include "ImportTable.h"

#include "text/Language.h"
#include "model/Charset.h"
#include "model/MessageUi.h"
#include "text/MessageIds.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace velkaro {

namespace {

constexpr std::size_t kMagicSize = 8;
constexpr std::size_t kAssignmentBytes = kMaxLines * 2;

// The standard labels of a card line in German, English and French, upper
// case.
std::array<std::string, 3> StandardLabelsUpper(int line)
{
    std::array<std::string, 3> labels;
    int k = 0;
    for (int offset : { kLangGerman, kLangEnglish, kLangFrench }) {
        std::string label;
        if (line == 0)
            label = ResolveText(msg::FieldLabelName, offset, LookupStringEntry);
        else if (line == 1)
            label = ResolveText(msg::FieldLabelTelephone, offset, LookupStringEntry);
        else
            label = FormatString(ResolveText(msg::FieldLabelLine, offset, LookupStringEntry).c_str(), line - 1);
        labels[k++] = AnsiToUpper(label);
    }
    return labels;
}

// The labels of the lines as the automatic assignment matches them: the
// labels shown now, and the standard labels of the three languages of the
// lines the field-names card leaves unnamed.
class LineLabels {
public:
    explicit LineLabels(const CKarte* fieldNames)
    {
        for (int line = 0; line < kMaxLines; ++line) {
            m_shown[line] = AnsiToUpper(GetFieldLabel(line, fieldNames));
            const bool renamed = line > 0 && fieldNames && !fieldNames->GetLine(line).empty();
            if (!renamed)
                m_standard[line] = StandardLabelsUpper(line);
        }
    }

    bool Matches(int line, const std::string& upper, bool anyLanguage) const
    {
        if (!anyLanguage)
            return m_shown[line] == upper;
        const auto& standard = m_standard[line];
        return std::find(standard.begin(), standard.end(), upper) != standard.end();
    }

    bool MatchesAny(const std::string& upper) const
    {
        for (int line = 0; line < kMaxLines; ++line)
            if (Matches(line, upper, false) || Matches(line, upper, true))
                return true;
        return false;
    }

private:
    std::array<std::string, kMaxLines> m_shown;
    std::array<std::array<std::string, 3>, kMaxLines> m_standard;
};

Outcome Failure(unsigned messageId)
{
    return Outcome(OutcomeKind::BadInput, messageId);
}

}  // namespace

namespace {

Outcome ParseInto(const std::string& bytes, CImportConfig& config)
{
    if (bytes.size() < kMagicSize || bytes.compare(0, kMagicSize, kIcfMagic, kMagicSize) != 0)
        return Failure(msg::UnknownFileFormat);
    std::size_t pos = kMagicSize;
    // Without its version byte nothing tells which layout follows: refused
    // like a version this program cannot read. After it, a file that ends
    // early leaves the fields after its end unchanged.
    if (pos >= bytes.size() || static_cast<uint8_t>(bytes[pos++]) != kIcfVersion)
        return Failure(msg::UnreadableVersion);
    if (bytes.size() - pos < 2)
        return {};
    std::size_t n = static_cast<uint8_t>(bytes[pos]) | static_cast<std::size_t>(static_cast<uint8_t>(bytes[pos + 1])) << 8;
    pos += 2;

    // The block is copied byte for byte over the little-endian assignment, so
    // a short block sets only its first entries.
    std::size_t take = std::min({ n, kAssignmentBytes, bytes.size() - pos });
    for (std::size_t i = 0; i < take; ++i) {
        auto& entry = config.assignment[i / 2];
        auto value = static_cast<uint16_t>(entry);
        auto byte = static_cast<uint16_t>(static_cast<uint8_t>(bytes[pos + i]));
        value = (i % 2 == 0) ? static_cast<uint16_t>((value & 0xFF00) | byte)
                             : static_cast<uint16_t>((value & 0x00FF) | (byte << 8));
        entry = static_cast<int16_t>(value);
    }
    // A longer block (from a later program) is skipped.
    if (bytes.size() - pos < n)
        return {};
    pos += n;

    uint8_t* options[] = { &config.characterSet, &config.onlyNumbers, &config.skipFirst };
    for (uint8_t* option : options) {
        if (pos >= bytes.size())
            break;
        *option = static_cast<uint8_t>(bytes[pos++]);
    }
    return {};
}

}  // namespace

Outcome ParseImportConfig(const std::string& bytes, CImportConfig& config)
{
    CImportConfig read = config;
    Outcome result = ParseInto(bytes, read);
    if (!result)
        return result;
    // A column is a number from 0, or -1 for none: anything else is a
    // damaged file, not a line without a column.
    if (std::any_of(read.assignment.begin(), read.assignment.end(), [](int16_t column) { return column < -1; }))
        return Failure(msg::UnknownFileFormat);
    config = read;
    return result;
}

std::string SerializeImportConfig(const CImportConfig& config)
{
    std::string out(kIcfMagic, kMagicSize);
    out += static_cast<char>(kIcfVersion);
    out += static_cast<char>(kAssignmentBytes & 0xFF);
    out += static_cast<char>(kAssignmentBytes >> 8);
    for (int16_t entry : config.assignment) {
        auto value = static_cast<uint16_t>(entry);
        out += static_cast<char>(value & 0xFF);
        out += static_cast<char>(value >> 8);
    }
    out += static_cast<char>(config.characterSet);
    out += static_cast<char>(config.onlyNumbers);
    out += static_cast<char>(config.skipFirst);
    return out;
}

Outcome ReadImportConfig(const std::string& path, CImportConfig& config)
{
    std::string bytes;
    // A configuration file is 78 bytes; a damaged one may be anything, so
    // only as much is read as the format can use.
    constexpr std::size_t kMaxUseful = kMagicSize + 3 + 0xFFFF + 3;
    if (Outcome read = ReadWholeFile(path, bytes, kMaxUseful); !read)
        return read;
    return ParseImportConfig(bytes, config);
}

Outcome WriteImportConfig(const std::string& path, const CImportConfig& config)
{
    return WriteWholeFile(path, SerializeImportConfig(config));
}

std::vector<std::string> AssignmentItems(const CKarte* fieldNames)
{
    std::vector<std::string> items;
    items.reserve(kMaxLines + 1);
    items.emplace_back("---");
    for (int line = 0; line < kMaxLines; ++line)
        items.push_back(GetFieldLabel(line, fieldNames));
    return items;
}

int CFieldAssignPage::Item(int combo) const
{
    return combo >= 0 && combo < ComboCount() ? m_items[combo] : 0;
}

void CFieldAssignPage::Choose(int combo, int item)
{
    if (combo < 0 || combo >= ComboCount() || item < 0 || item > kMaxLines)
        return;
    if (item != 0)
        for (int other = 0; other < ComboCount(); ++other)
            if (other != combo && m_items[other] == item)
                m_items[other] = 0;
    m_items[combo] = item;
}

void CFieldAssignPage::AutoAssign(const CImportTable& table, const CKarte* fieldNames)
{
    ClearAll();
    const TableLayout& layout = table.Layout();
    const int heading = std::max(layout.headingRecord, 0);
    std::array<bool, kMaxLines> taken {};
    const auto assign = [this, &taken](int column, int line) {
        taken[line] = true;
        m_items[column] = line + 1;
    };
    // The lines the file itself names (our own vCards) come first.
    const int named = std::min(static_cast<int>(layout.columnLines.size()), ComboCount());
    for (int column = 0; column < named; ++column) {
        const int line = layout.columnLines[column];
        if (line >= 0 && line < kMaxLines && !taken[line])
            assign(column, line);
    }
    // Then the labels the user sees now; then, for the columns still free,
    // the standard labels of every language, so that a file exported in one
    // language is assigned in another. A line the field-names card names
    // answers to that name only.
    const LineLabels labels(fieldNames);
    const int columns = std::min(table.RecordLength(heading), ComboCount());
    for (bool anyLanguage : { false, true }) {
        for (int column = 0; column < columns; ++column) {
            const std::string& title = table.FieldText(heading, column);
            if (title.empty() || m_items[column] != 0)
                continue;
            const std::string upper = AnsiToUpper(title);
            for (int line = 0; line < kMaxLines; ++line) {
                if (!taken[line] && labels.Matches(line, upper, anyLanguage)) {
                    assign(column, line);
                    break;
                }
            }
        }
    }
    if (!layout.assignEveryColumn)
        return;
    // A contact's other values: a column goes to the next free line whose
    // label names its kind ("Handy" for "Mobil 2"), else to the next free
    // line whose label names no kind, so that nothing lands in a line meant
    // for something else; what finds no line stays unassigned.
    std::array<int, kMaxLines> lineKinds;
    for (int line = 0; line < kMaxLines; ++line)
        lineKinds[line] = line < 2 ? kVcName : ContactKindOfLabel(GetFieldLabel(line, fieldNames));
    for (bool byKind : { true, false }) {
        for (int column = 0; column < columns; ++column) {
            const std::string& title = table.FieldText(heading, column);
            if (title.empty() || m_items[column] != 0)
                continue;
            const int kind = byKind ? ContactKindOfLabel(title) : -1;
            if (byKind && kind < 0)
                continue;
            for (int line = 2; line < kMaxLines; ++line) {
                if (!taken[line] && lineKinds[line] == kind) {
                    assign(column, line);
                    break;
                }
            }
        }
    }
}

void CFieldAssignPage::ClearAll()
{
    std::fill(m_items.begin(), m_items.end(), 0);
}

void CFieldAssignPage::Standard()
{
    for (int combo = 0; combo < ComboCount(); ++combo)
        m_items[combo] = combo < kMaxLines ? combo + 1 : 0;
}

void CFieldAssignPage::Exchange(CImportConfig& config, int direction)
{
    if (direction == 1) {
        config.assignment.fill(-1);
        for (int combo = 0; combo < ComboCount(); ++combo) {
            int item = m_items[combo];
            if (item >= 1 && item <= kMaxLines)
                config.assignment[item - 1] = static_cast<int16_t>(combo);
        }
        return;
    }
    ClearAll();
    // When two lines name the same column, the later line wins.
    for (int line = 0; line < kMaxLines; ++line) {
        int column = config.assignment[line];
        if (column >= 0 && column < ComboCount())
            m_items[column] = line + 1;
    }
}

bool CFieldAssignPage::Validate(CImportConfig& config, IMessageUi& ui)
{
    Exchange(config, 1);
    if (config.assignment[0] != -1)
        return true;
    return ui.Message(Text(msg::NoNameFieldQuestion), MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes;
}

AssignPicture CFieldAssignPage::PictureFor(int item) const
{
    if (item <= 0)
        return AssignPicture::None;
    return std::find(m_items.begin(), m_items.end(), item) != m_items.end() ? AssignPicture::Assigned
                                                                           : AssignPicture::Free;
}

void CImportSettingsPage::Exchange(CImportConfig& config, int direction)
{
    if (direction == 1) {
        config.skipFirst = skipFirst ? 1 : 0;
        config.onlyNumbers = onlyNumbers ? 1 : 0;
        config.characterSet = characterSet == 1 ? 1 : 0;
        config.dialable = dialable ? 1 : 0;
        return;
    }
    TakeFile(config);
    dialable = config.dialable != 0;
}

void CImportSettingsPage::TakeFile(const CImportConfig& config)
{
    skipFirst = config.skipFirst != 0;
    onlyNumbers = config.onlyNumbers != 0;
    characterSet = config.characterSet == 1 ? 1 : 0;
}

bool CImportSettingsPage::Validate(CImportConfig& config)
{
    Exchange(config, 1);
    return true;
}

bool LoadConfigIntoPages(CFieldAssignPage& assign, CImportSettingsPage& settings, IMessageUi& ui)
{
    FileRequest request = ImportConfigFileRequest(false);
    auto path = ui.ChooseFile(request);
    if (!path)
        return false;
    CImportConfig config;
    const Outcome read = ReadImportConfig(*path, config);
    ui.Show(read, MsgIcon::None);
    if (!read)
        return false;  // the pages stay as they were
    assign.Exchange(config, 0);
    settings.TakeFile(config);
    ui.Message(Text(msg::ImportConfigLoaded), MsgButtons::Ok, MsgIcon::Information);
    return true;
}

bool SaveConfigFromPages(CFieldAssignPage& assign, CImportSettingsPage& settings, IMessageUi& ui)
{
    FileRequest request = ImportConfigFileRequest(true);
    auto path = ui.ChooseFile(request);
    if (!path)
        return false;
    CImportConfig config;
    assign.Exchange(config, 1);
    settings.Exchange(config, 1);
    const Outcome written = WriteImportConfig(*path, config);
    ui.Show(written, MsgIcon::None);
    if (!written)
        return false;
    ui.Message(Text(msg::ImportConfigSaved), MsgButtons::Ok, MsgIcon::Information);
    return true;
}

int FindLineByLabel(const std::string& label, const CKarte* fieldNames)
{
    const std::string upper = AnsiToUpper(label);
    if (upper.empty())
        return -1;
    for (int line = 0; line < kMaxLines; ++line)
        if (AnsiToUpper(GetFieldLabel(line, fieldNames)) == upper)
            return line;
    for (int line = 0; line < kMaxLines; ++line) {
        const auto labels = StandardLabelsUpper(line);
        if (std::find(labels.begin(), labels.end(), upper) != labels.end())
            return line;
    }
    return -1;
}

int FindHeadingRecord(const CImportTable& table, const CKarte* fieldNames)
{
    if (table.Layout().headingRecord >= 0)
        return table.Layout().headingRecord;
    const LineLabels labels(fieldNames);
    const int rows = std::min(table.RecordCount(), kHeadingSearchRecords);
    for (int record = 0; record < rows; ++record) {
        int matches = 0;
        for (int column = 0; column < table.RecordLength(record) && matches < 2; ++column) {
            const std::string upper = AnsiToUpper(std::string(table.FieldView(record, column)));
            if (!upper.empty() && labels.MatchesAny(upper))
                ++matches;
        }
        if (matches >= 2)
            return record;
    }
    return -1;
}

void AutoAssign(const CImportTable& table, const CKarte* fieldNames, CImportConfig& config)
{
    CFieldAssignPage page(table.WidestRecord());
    page.AutoAssign(table, fieldNames);
    page.Exchange(config, 1);
}

}  // namespace velkaro
