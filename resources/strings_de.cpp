// German string table, keyed by the German resource id.
#include "StringTable.h"

namespace velkaro {

namespace {
const StringEntry kEntries[] = {
    { 57345, "Bereit" },
    // Import and export.
    { 34164, "Alle %i %sKarten gespeichert in Datei\n%s" },
    { 34165, "%i Karten geladen aus Datei\n%s" },
    { 34166, "Datei ist leer" },
    { 34167, "Falsches Datei-Format" },
    { 34168, "Diese Datei-Version kann das Programm nicht lesen" },
    { 34170, "%s-Dateien" },
    { 34171, "Tab-getrennt" },
    { 34172, "Komma-getrennt" },
    { 34173, "Import-Konfiguration" },
    { 34176, "Warnung: Der Namen-Zeile ist kein Feld zugeordnet.\nWollen Sie die Datei trotzdem importieren?" },
    { 34177, "Import-Konfiguration gespeichert" },
    { 34178, "Import-Konfiguration geladen" },
    { 34179, "Importieren..." },
    { 34181, "Datei laden..." },
    { 34182, "Import-Parameter laden" },
    { 34183, "Import-Parameter speichern" },
    { 34184, "Importieren" },
    { 61442, "Alle Dateien (*.*)" },
};
}  // namespace

StringTableSpan GermanStrings()
{
    return { kEntries, sizeof kEntries / sizeof kEntries[0] };
}

}  // namespace velkaro
