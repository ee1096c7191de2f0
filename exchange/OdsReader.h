#pragma once

// A table of an OpenDocument spreadsheet (.ods), the first one whose table
// style does not hide it or the one the picker chooses: content.xml, with
// the data styles of styles.xml and of content.xml's automatic styles.
// Cells by office:value-type (float, percentage, date and boolean through
// the number and date formatting of the BIFF reader, currency and time as
// the writer showed them, texts from their paragraphs), rows and cells
// repeated by table:number-rows-repeated and -columns-repeated, and the
// cached value of formula cells.

#include "exchange/WorkbookReader.h"

#include <string_view>

namespace velkaro {

bool IsOdsArchive(const CZipArchive& zip);

SheetResult ReadOdsArchive(const CZipArchive& zip, CImportTable& table, const NumberSeparators& separators,
                           int language, const SheetLimits& limits, const SheetPicker& pick = {});

// The same over the parts themselves; styles may be empty.
SheetResult ReadOdsContent(const CWorkbookPart& content, const CWorkbookPart& styles, CImportTable& table,
                           const NumberSeparators& separators, int language, const SheetLimits& limits,
                           const SheetPicker& pick = {});

}  // namespace velkaro
