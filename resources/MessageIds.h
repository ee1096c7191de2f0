#pragma once

// Resource ids of the messages, captions and prompts (the German ids; the
// lookup adds the language offset).

namespace velkaro::msg {

constexpr unsigned Ready = 57345;             // "Bereit"

// Import and export.
constexpr unsigned AllCardsSavedInFile = 34164;  // "Alle %i %sKarten gespeichert in Datei\n%s"
constexpr unsigned CardsLoadedFromFile = 34165;  // "%i Karten geladen aus Datei\n%s"
constexpr unsigned EmptyFile = 34166;            // "Datei ist leer"
constexpr unsigned UnknownFileFormat = 34167;    // "Falsches Datei-Format"
constexpr unsigned UnreadableVersion = 34168;    // "Diese Datei-Version kann das Programm nicht lesen"
constexpr unsigned FileTypeFiles = 34170;        // "%s-Dateien"
constexpr unsigned TabSeparated = 34171;         // "Tab-getrennt"
constexpr unsigned CommaSeparated = 34172;       // "Komma-getrennt"
constexpr unsigned ImportConfiguration = 34173;  // "Import-Konfiguration"
constexpr unsigned NoNameFieldQuestion = 34176;  // "Warnung: Der Namen-Zeile ist kein Feld zugeordnet.\n..."
constexpr unsigned ImportConfigSaved = 34177;    // "Import-Konfiguration gespeichert"
constexpr unsigned ImportConfigLoaded = 34178;   // "Import-Konfiguration geladen"
constexpr unsigned Importing = 34179;            // "Importieren..."
constexpr unsigned FileLoading = 34181;          // "Datei laden..."
constexpr unsigned LoadImportConfig = 34182;     // "Import-Parameter laden"
constexpr unsigned SaveImportConfig = 34183;     // "Import-Parameter speichern"
constexpr unsigned ImportButton = 34184;         // "Importieren"
constexpr unsigned AllFilesFilter = 61442;       // "Alle Dateien (*.*)"

}  // namespace velkaro::msg
