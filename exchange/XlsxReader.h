#pragma once

// A worksheet of an Office Open XML workbook (.xlsx): the workbook part
// named by the package relationships, its first visible <sheet> (or the one
// the picker chooses; state "hidden" and "veryHidden" hide one), the shared
// strings and the number formats of the styles part. Cells: shared and
// inline strings, numbers through their number format, booleans, errors,
// and the cached value of formula cells.

#include "exchange/WorkbookReader.h"

#include <string_view>

namespace velkaro {

bool IsXlsxArchive(const CZipArchive& zip);

SheetResult ReadXlsxArchive(const CZipArchive& zip, CImportTable& table, const NumberSeparators& separators,
                            int language, const SheetLimits& limits, const SheetPicker& pick = {});

// The same over the parts themselves; sharedStrings and styles may be empty.
// date1904: the workbook counts its dates from 1904 (workbookPr date1904).
SheetResult ReadXlsxSheet(const CWorkbookPart& sheetXml, const CWorkbookPart& sharedStringsXml,
                          const CWorkbookPart& stylesXml, CImportTable& table, const NumberSeparators& separators,
                          int language, const SheetLimits& limits, bool date1904 = false);

}  // namespace velkaro
