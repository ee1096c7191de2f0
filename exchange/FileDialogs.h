#pragma once

// The file dialogs of the import and export with the program's filter lists.
// A filter text is the platform form "Shown text|pattern|...": every entry
// ends with "|".

#include "model/MessageUi.h"

#include <string>

namespace velkaro {

// Filter indices of the import and export list (1-based, as the dialog
// reports them).
constexpr int kFilterExcel = 1;
constexpr int kFilterComma = 2;
constexpr int kFilterTab = 3;
// After those, in the card import and export only: vCard (both), CSV UTF-8
// (export).
constexpr int kFilterVCard = 4;
constexpr int kFilterCsvUtf8 = 5;

// One entry: the shown text "<name>-Dateien (*.ext[, *.ext2])" (msg::FileTypeFiles
// in the current language) and the pattern "*.ext[;*.ext2]".
std::string FilterEntry(const std::string& name, const std::string& ext, const std::string& ext2 = {});

// "Excel" (xls), "Komma-getrennt" (csv), "Tab-getrennt" (txt, tab); an open
// dialog adds "Alle Dateien (*.*)".
std::string ImportExportFilter(bool open);

// The import and export file dialog: default extension "xls"; an open
// dialog wants an existing file, a save dialog asks before overwriting.
FileRequest ImportExportFileRequest(bool save, int filterIndex = kFilterExcel);

// The import and export dialog of cards: the list above, then for opening
// the workbooks "Excel" (xlsx), "OpenDocument" (ods) and "vCard" (vcf), for
// saving "vCard" (vcf) and "CSV UTF-8" (csv).
FileRequest CardImportExportFileRequest(bool save, int filterIndex = kFilterExcel);

// The dialogs for loading ("Import-Parameter laden") and saving ("Import-
// Parameter speichern") an import configuration, extension "icf".
FileRequest ImportConfigFileRequest(bool save);

}  // namespace velkaro
