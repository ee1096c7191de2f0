#pragma once

// The import configuration: which column of the import file goes into which
// card line, and the three import options. The same bytes are the body of an
// import configuration file ("ICF_FILE").

#include "model/Karte.h"
#include "text/Outcome.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velkaro {

class CImportTable;
class IMessageUi;

enum class CharacterSet : uint8_t { Windows = 0, Dos = 1 };

class CImportConfig {
public:
    CImportConfig() { assignment.fill(-1); }

    // assignment[k] is the column whose text goes into card line k; -1 = none.
    std::array<int16_t, kMaxLines> assignment;
    uint8_t characterSet = 0;  // CharacterSet
    uint8_t onlyNumbers = 0;
    uint8_t skipFirst = 0;
    // Numbers as the telephone dials them: a setting of its own, not in the
    // configuration file.
    uint8_t dialable = 0;

    ImportOptions Options() const
    {
        return { characterSet == static_cast<uint8_t>(CharacterSet::Dos), onlyNumbers != 0 };
    }
    bool operator==(const CImportConfig&) const = default;
};

// Import configuration file: "ICF_FILE", version byte 1, the byte count n of
// the assignment block, n bytes of 16-bit assignments, then character set,
// only numbers and skip first record.
constexpr char kIcfMagic[] = "ICF_FILE";
constexpr uint8_t kIcfVersion = 1;
constexpr std::size_t kIcfFileSize = 78;

// Reads configuration bytes over `config`. Assignment entries the block does
// not reach, and fields after the end of a short file, keep their values.
// A file shorter than the magic, or with another magic, is of an unknown
// format (msg::UnknownFileFormat); a version other than 1 unreadable
// (msg::UnreadableVersion); a refused file changes nothing.
Outcome ParseImportConfig(const std::string& bytes, CImportConfig& config);
// The 78 bytes of a configuration file.
std::string SerializeImportConfig(const CImportConfig& config);

// The file forms; a file the system refuses is told in its words.
Outcome ReadImportConfig(const std::string& path, CImportConfig& config);
Outcome WriteImportConfig(const std::string& path, const CImportConfig& config);

// The labels of the field assignment page's combo boxes: item 0 "---", items
// 1..32 the labels of card lines 0..31.
std::vector<std::string> AssignmentItems(const CKarte* fieldNames);

// Which small picture an item carries: none, assigned or free.
enum class AssignPicture { Free = 0, Assigned = 1, None = 2 };

// The state of the field assignment page without its widgets: one combo box
// per import column, each showing an item (0 = no line, k+1 = line k).
class CFieldAssignPage {
public:
    explicit CFieldAssignPage(int columns = 0) : m_items(columns > 0 ? columns : 0, 0) {}

    int ComboCount() const { return static_cast<int>(m_items.size()); }
    int Item(int combo) const;
    // Choosing k+1 in one combo box sets every other one showing k+1 back to 0.
    void Choose(int combo, int item);

    // When the page opens: the lines the table names for its columns are
    // taken; then the columns' titles (the heading record's, else the first
    // record's) are matched to the line labels, case-insensitively, each line
    // at most once; columns that match none of the labels shown are matched
    // to the standard labels of all three languages of the lines the
    // field-names card leaves unnamed. In a contact table every other column
    // then goes to a free line.
    void AutoAssign(const CImportTable& table, const CKarte* fieldNames);
    void ClearAll();   // "Alle löschen"
    void Standard();   // column i into line i

    // direction 0: configuration into the combo boxes; 1: the combo boxes
    // into the configuration.
    void Exchange(CImportConfig& config, int direction);
    // Takes the state into the configuration; false keeps the dialog open
    // (the user declined to import without a name column).
    bool Validate(CImportConfig& config, IMessageUi& ui);

    // The picture of item `item` of any combo box, given the present state.
    AssignPicture PictureFor(int item) const;

private:
    std::vector<int> m_items;
};

// The settings page: skip first record, only numbers, character set, numbers
// made dialable.
class CImportSettingsPage {
public:
    bool skipFirst = false;
    bool onlyNumbers = false;
    int characterSet = 0;  // radio 1089 = 0 (Windows), 1090 = 1 (DOS)
    bool dialable = false;

    void Exchange(CImportConfig& config, int direction);
    // The options of a configuration file; what the file does not hold
    // (dialable) stays as chosen.
    void TakeFile(const CImportConfig& config);
    bool Validate(CImportConfig& config);
};

// "Laden...": the open dialog for an import configuration; a new
// configuration is read with messages on and, on success, taken by both
// pages (msg::ImportConfigLoaded follows). false when cancelled or refused.
bool LoadConfigIntoPages(CFieldAssignPage& assign, CImportSettingsPage& settings, IMessageUi& ui);
// "Speichern...": both pages fill a new configuration, which is written with
// messages on; msg::ImportConfigSaved on success.
bool SaveConfigFromPages(CFieldAssignPage& assign, CImportSettingsPage& settings, IMessageUi& ui);

// The card line a label names, case-insensitively: the labels shown now
// (the field-names card's when given), then the standard labels of all three
// languages; -1 when none.
int FindLineByLabel(const std::string& label, const CKarte* fieldNames);

// The record that holds the columns' titles: the one the reader knows, else
// the first of the first kHeadingSearchRecords records in which two or more
// fields are line labels (a title row or a date may stand above the
// headings); -1 when there is none.
constexpr int kHeadingSearchRecords = 10;
int FindHeadingRecord(const CImportTable& table, const CKarte* fieldNames);

// The assignment the field assignment page makes when it opens, as a
// configuration (options untouched).
void AutoAssign(const CImportTable& table, const CKarte* fieldNames, CImportConfig& config);

}  // namespace velkaro
