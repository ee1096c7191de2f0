#include "ImportReader.h"

#include "text/Ascii.h"
#include "text/Language.h"
#include "exchange/CompoundFile.h"
#include "exchange/FileAccess.h"
#include "exchange/TextReader.h"
#include "exchange/VCardReader.h"
#include "exchange/WorkbookReader.h"
#include "model/ImportUi.h"
#include "model/MessageUi.h"
#include "text/MessageIds.h"

#include <cstdio>
#include <memory>

namespace velkaro {

namespace {

// A zip file begins with a local file header, or with the end record when
// it holds nothing.
constexpr std::string_view kZipEntry = "PK\x03\x04";
constexpr std::string_view kZipEmpty = "PK\x05\x06";

// The first bytes of the file; empty when it cannot be opened or read (the
// chosen reader then reports that in its own way).
std::string ReadHead(const std::string& fileName)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(fileName.c_str(), "rb"), &std::fclose);
    if (!file)
        return {};
    char head[kImportFileHeadSize];
    std::size_t got = std::fread(head, 1, sizeof head, file.get());
    return std::string(head, got);
}

// The picker of a request: the named sheet, else the user's choice among
// the visible sheets when there are several, else the first visible one.
SheetPicker PickerFor(const SheetRequest& request, IMessageUi& ui)
{
    if (request.sheet.empty() && !request.chooser)
        return {};
    return [&request, &ui](const std::vector<SheetInfo>& sheets) -> std::optional<int> {
        if (!request.sheet.empty()) {
            const int found = FindSheet(sheets, request.sheet);
            if (found < 0)
                ui.Show(Outcome(OutcomeKind::BadInput, msg::SheetNotInWorkbook, { request.sheet, SheetListText(sheets) }),
                        MsgIcon::None);
            return found < 0 ? std::nullopt : std::optional<int>(found);
        }
        std::vector<int> visible;
        std::vector<std::string> names;
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            if (sheets[i].visible) {
                visible.push_back(static_cast<int>(i));
                names.push_back(sheets[i].name);
            }
        }
        if (visible.size() < 2)
            return FirstVisibleSheet(sheets);
        const std::optional<int> chosen = request.chooser->ChooseSheet(names);
        if (!chosen || *chosen < 0 || static_cast<std::size_t>(*chosen) >= visible.size())
            return std::nullopt;
        return visible[static_cast<std::size_t>(*chosen)];
    };
}

}  // namespace

bool IsSpreadsheetFileName(const std::string& fileName)
{
    std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || dot + 1 >= fileName.size())
        return false;
    return AsciiEqualNoCase(std::string_view(fileName).substr(dot + 1), "xls");
}

ImportFileKind DetectImportFileKind(const std::string& fileName, std::string_view head)
{
    if (CCompoundFile::HasSignature(head))
        return ImportFileKind::CompoundFile;
    if (head.substr(0, kZipEntry.size()) == kZipEntry || head.substr(0, kZipEmpty.size()) == kZipEmpty)
        return ImportFileKind::ZipContainer;
    if (IsVCardFileName(fileName) || LooksLikeVCard(head))
        return ImportFileKind::VCard;
    return IsSpreadsheetFileName(fileName) ? ImportFileKind::Spreadsheet : ImportFileKind::Text;
}

Outcome ReadImportFile(const std::string& fileName, CImportTable& table, IMessageUi& ui,
                       const NumberSeparators& separators, const SheetRequest& sheet)
{
    // Looked at before it is opened: opening a named pipe waits for a
    // writer, and a device such as /dev/zero never ends. A file that is
    // missing or cannot be read is reported by its reader.
    std::uint64_t size = 0;
    const FileReadResult probe = ProbeRegularFile(fileName, size);
    if (probe.status == FileReadResult::Status::NotRegular)
        return FileReadOutcome(probe);
    if (size > kMaxImportFileBytes)
        return Outcome(OutcomeKind::BadInput, msg::FileTooLarge, { static_cast<int>(kMaxImportFileBytes >> 20) });
    const ImportFileKind kind = DetectImportFileKind(fileName, ReadHead(fileName));
    if (!sheet.sheet.empty() && (kind == ImportFileKind::Text || kind == ImportFileKind::VCard))
        return Outcome(OutcomeKind::BadInput, msg::SheetOfNoWorkbook);
    const SheetPicker pick = PickerFor(sheet, ui);
    switch (kind) {
    case ImportFileKind::Text:
        return ReadTextFile(fileName, table, ui);
    case ImportFileKind::VCard:
        return ReadVCardFile(fileName, table);
    case ImportFileKind::ZipContainer:
        // An .xlsx or .ods workbook, whatever its name; any other zip
        // container is refused there as a foreign format.
        return ReadWorkbookFile(fileName, table, ui, separators, pick);
    case ImportFileKind::Spreadsheet:
    case ImportFileKind::CompoundFile:
        break;
    }
    CBiffReader reader(separators);
    reader.SetSheetPicker(pick);
    return reader.ReadSpreadsheet(fileName, table, ui);
}

}  // namespace velkaro
