// English string table, keyed by the German resource id.
#include "StringTable.h"

namespace velkaro {

namespace {
const StringEntry kEntries[] = {
    { 57345, "Ready" },
    // Import and export.
    { 34164, "All %i %scards saved in file\n%s" },
    { 34165, "%i cards loaded from file\n%s" },
    { 34166, "Empty file" },
    { 34167, "Unknown file format" },
    { 34168, "This file version cannot be read by this program" },
    { 34170, "%s Files" },
    { 34171, "Tab Separated" },
    { 34172, "Comma Separated" },
    { 34173, "Import Configuration" },
    { 34176, "Warning: You have not assigned a data field to the name line.\nDo you want to load the file, though?" },
    { 34177, "Import Configuration saved" },
    { 34178, "Import Configuration loaded" },
    { 34179, "Importing..." },
    { 34181, "File loading..." },
    { 34182, "Load Import Configuration" },
    { 34183, "Save Import Configuration" },
    { 34184, "Import" },
    { 61442, "All Files (*.*)" },
};
}  // namespace

StringTableSpan EnglishStrings()
{
    return { kEntries, sizeof kEntries / sizeof kEntries[0] };
}

}  // namespace velkaro
