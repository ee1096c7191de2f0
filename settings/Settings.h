#pragma once

// The program's settings store. Values live in an INI file in the user's
// configuration folder ($XDG_CONFIG_HOME/Velkaro/Velkaro Desktop.ini), one
// INI group per section ("Settings", "Colors", "Ports"). The data directory
// may also be set machine-wide by an administrator in the system
// configuration folder (the first entry of $XDG_CONFIG_DIRS, else
// /etc/xdg); that file is only read, never written.
//
// A missing or unreadable value gives its default; a failed write is ignored.
// Strings are Windows-1252 at this interface, like all text of the program.

#include <QString>

#include <memory>
#include <optional>
#include <string>

class QSettings;

namespace velkaro {

namespace section {
inline constexpr const char* Settings = "Settings";
inline constexpr const char* Colors = "Colors";
inline constexpr const char* Ports = "Ports";
}  // namespace section

// The value names of section "Settings".
namespace setting {
inline constexpr const char* Language = "Language";
inline constexpr const char* DataDirectory = "DataDirectory";
inline constexpr const char* WindowPositionX = "WindowPositionX";
inline constexpr const char* WindowPositionY = "WindowPositionY";
inline constexpr const char* PortCOM = "PortCOM";
inline constexpr const char* CanSpeedChange = "CanSpeedChange";
inline constexpr const char* StructureActive = "StructureActive";
inline constexpr const char* ImportDlgLeft = "ImportDlgLeft";
inline constexpr const char* ImportDlgTop = "ImportDlgTop";
inline constexpr const char* ImportDlgWidth = "ImportDlgWidth";
inline constexpr const char* ImportDlgHeight = "ImportDlgHeight";
inline constexpr const char* ImportDlgShowMax = "ImportDlgShowMax";
inline constexpr const char* ImportWithoutFirstLine = "ImportWithoutFirstLine";
inline constexpr const char* ImportOnlyNumbers = "ImportOnlyNumbers";
inline constexpr const char* ImportCharDOS = "ImportCharDOS";
inline constexpr const char* DeleteOldCardsOnImport = "DeleteOldCardsOnImport";
inline constexpr const char* CallListAll = "CallListAll";
inline constexpr const char* CallListDate = "CallListDate";
inline constexpr const char* CallListRising = "CallListRising";
inline constexpr const char* CallListOnlySelected = "CallListOnlySelected";
inline constexpr const char* CallListNamesFromCards = "CallListNamesFromCards";
// Two-letter region the numbers of the call list and the cards are dialled
// from ("CH"); empty: the locale's.
inline constexpr const char* HomeCountry = "HomeCountry";
// What a private exchange wants dialled before an outside number ("0");
// empty: the telephone is on a line of its own.
inline constexpr const char* OutsideLinePrefix = "OutsideLinePrefix";
// Whether the import makes the numbers of its cards dialable.
inline constexpr const char* ImportDialable = "ImportDialable";
// How the name line is made of a contact's name parts when vCards and
// address books' exports are imported: "family" ("Müller Hans", the order a
// telephone book is sorted by; the default), "given" ("Hans Müller") or
// "as-is" (the full name as the address book writes it).
inline constexpr const char* NameOrder = "NameOrder";
}  // namespace setting

// Defaults of the values that other parts of the program test against.
inline constexpr int kWindowPositionDefault = 40;
inline constexpr int kWindowPositionUnknown = 5000;  // the splash window's "not stored"
inline constexpr int kPortNotChosen = 99;
inline constexpr int kImportDlgNeverStored = 10000;
inline constexpr int kDefaultSelectCount = 6;

// The working file's name in the data directory, and its path there.
inline constexpr const char* kWorkingFileName = "Velkaro_Desktop.itx";
QString WorkingFileIn(const QString& dataDir);

class CSettings {
public:
    // The files are taken from the environment at construction.
    CSettings();
    ~CSettings();  // writes pending values
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

    // The program's one store (created on first use).
    static CSettings& Instance();

    // Generic access, for the colours, the port device paths and the rest.
    // Names longer than 199 characters are cut, as the store always has.
    int ReadInt(const std::string& section, const std::string& name, int defaultValue) const;
    void WriteInt(const std::string& section, const std::string& name, int value);
    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& defaultValue) const;
    void WriteString(const std::string& section, const std::string& name, const std::string& value);
    // The same for text that comes from outside in UTF-8 (a server's
    // address, a user name, category names), which keeps every character
    // Windows-1252 lacks.
    std::string ReadUtf8(const std::string& section, const std::string& name, const std::string& defaultValue) const;
    void WriteUtf8(const std::string& section, const std::string& name, const std::string& value);

    // Writes pending values to the user's file now.
    void Flush();

    // Section "Settings".
    int Language() const { return Get(setting::Language, 0); }
    // Whether a language was chosen; a first start takes the locale's.
    bool HasLanguage() const { return Get(setting::Language, -1) != -1; }
    void SetLanguage(int v) { Put(setting::Language, v); }

    // The data directory as stored (with or without a closing slash): the
    // machine-wide value, else the user's. When neither is stored, the
    // default (documents folder + "/Velkaro") is created and stored in the
    // user's file. Setting it writes the user's file only.
    std::string DataDirectory();
    void SetDataDirectory(const std::string& dir);
    static std::string DefaultDataDirectory();
    // The same as Qt text, for file paths: a folder name with characters
    // outside Windows-1252 survives only in this form.
    QString DataDirectoryPath();
    // The working file in the data directory (the command line's default).
    QString WorkingFilePath() { return WorkingFileIn(DataDirectoryPath()); }
    void SetDataDirectoryPath(const QString& dir);
    static QString DefaultDataDirectoryPath();

    int WindowPositionX(int defaultValue = kWindowPositionDefault) const { return Get(setting::WindowPositionX, defaultValue); }
    void SetWindowPositionX(int v) { Put(setting::WindowPositionX, v); }
    int WindowPositionY(int defaultValue = kWindowPositionDefault) const { return Get(setting::WindowPositionY, defaultValue); }
    void SetWindowPositionY(int v) { Put(setting::WindowPositionY, v); }

    int PortCOM() const { return Get(setting::PortCOM, kPortNotChosen); }
    void SetPortCOM(int v) { Put(setting::PortCOM, v); }
    int CanSpeedChange() const { return Get(setting::CanSpeedChange, 1); }
    void SetCanSpeedChange(int v) { Put(setting::CanSpeedChange, v); }
    int StructureActive() const { return Get(setting::StructureActive, 1); }
    void SetStructureActive(int v) { Put(setting::StructureActive, v); }

    // The six predefined selection terms, i = 1..6 ("DefaultSelect1" ..).
    std::string DefaultSelect(int i) const;
    void SetDefaultSelect(int i, const std::string& term);
    static std::string DefaultSelectDefault(int i);

    int ImportDlgLeft() const { return Get(setting::ImportDlgLeft, kImportDlgNeverStored); }
    void SetImportDlgLeft(int v) { Put(setting::ImportDlgLeft, v); }
    int ImportDlgTop() const { return Get(setting::ImportDlgTop, 40); }
    void SetImportDlgTop(int v) { Put(setting::ImportDlgTop, v); }
    int ImportDlgWidth() const { return Get(setting::ImportDlgWidth, 600); }
    void SetImportDlgWidth(int v) { Put(setting::ImportDlgWidth, v); }
    int ImportDlgHeight() const { return Get(setting::ImportDlgHeight, 400); }
    void SetImportDlgHeight(int v) { Put(setting::ImportDlgHeight, v); }
    int ImportDlgShowMax() const { return Get(setting::ImportDlgShowMax, 0); }
    void SetImportDlgShowMax(int v) { Put(setting::ImportDlgShowMax, v); }

    int ImportWithoutFirstLine() const { return Get(setting::ImportWithoutFirstLine, 0); }
    void SetImportWithoutFirstLine(int v) { Put(setting::ImportWithoutFirstLine, v); }
    int ImportOnlyNumbers() const { return Get(setting::ImportOnlyNumbers, 0); }
    void SetImportOnlyNumbers(int v) { Put(setting::ImportOnlyNumbers, v); }
    int ImportCharDOS() const { return Get(setting::ImportCharDOS, 0); }
    void SetImportCharDOS(int v) { Put(setting::ImportCharDOS, v); }
    int ImportDialable() const { return Get(setting::ImportDialable, 0); }
    void SetImportDialable(int v) { Put(setting::ImportDialable, v); }
    int DeleteOldCardsOnImport() const { return Get(setting::DeleteOldCardsOnImport, 0); }
    void SetDeleteOldCardsOnImport(int v) { Put(setting::DeleteOldCardsOnImport, v); }

    int CallListAll() const { return Get(setting::CallListAll, 0); }
    void SetCallListAll(int v) { Put(setting::CallListAll, v); }
    std::string CallListDate() const { return ReadString(section::Settings, setting::CallListDate, ""); }
    void SetCallListDate(const std::string& v) { WriteString(section::Settings, setting::CallListDate, v); }
    int CallListRising() const { return Get(setting::CallListRising, 1); }
    void SetCallListRising(int v) { Put(setting::CallListRising, v); }
    int CallListOnlySelected() const { return Get(setting::CallListOnlySelected, 0); }
    void SetCallListOnlySelected(int v) { Put(setting::CallListOnlySelected, v); }
    int CallListNamesFromCards() const { return Get(setting::CallListNamesFromCards, 0); }
    void SetCallListNamesFromCards(int v) { Put(setting::CallListNamesFromCards, v); }
    std::string HomeCountry() const { return ReadString(section::Settings, setting::HomeCountry, ""); }
    void SetHomeCountry(const std::string& v) { WriteString(section::Settings, setting::HomeCountry, v); }
    std::string OutsideLinePrefix() const { return ReadString(section::Settings, setting::OutsideLinePrefix, ""); }
    void SetOutsideLinePrefix(const std::string& v) { WriteString(section::Settings, setting::OutsideLinePrefix, v); }
    std::string NameOrder() const { return ReadString(section::Settings, setting::NameOrder, ""); }
    void SetNameOrder(const std::string& v) { WriteString(section::Settings, setting::NameOrder, v); }

    // Where the files lie (for tests and diagnostics).
    QString UserFilePath() const;
    QString SystemFilePath() const;

private:
    int Get(const char* name, int defaultValue) const { return ReadInt(section::Settings, name, defaultValue); }
    void Put(const char* name, int value) { WriteInt(section::Settings, name, value); }
    // A stored value as text; nothing when it is missing or no text.
    std::optional<QString> ReadText(const std::string& section, const std::string& name) const;

    std::unique_ptr<QSettings> m_user;
    QString m_systemDir;
};

}  // namespace velkaro
