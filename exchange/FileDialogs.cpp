#include "FileDialogs.h"

#include "text/Language.h"
#include "text/MessageIds.h"

namespace velkaro {

namespace {

std::string WithAllFiles(std::string filter, bool open)
{
    if (open)
        filter += Text(msg::AllFilesFilter) + "|*.*|";
    return filter;
}

FileRequest Request(bool save, const std::string& ext, std::string filter)
{
    FileRequest request;
    request.save = save;
    request.defaultExt = ext;
    request.filter = WithAllFiles(std::move(filter), !save);
    request.fileMustExist = !save;
    request.pathMustExist = true;
    request.overwritePrompt = save;
    return request;
}

}  // namespace

std::string FilterEntry(const std::string& name, const std::string& ext, const std::string& ext2)
{
    std::string shown = FormatText(msg::FileTypeFiles, name.c_str());
    std::string second = ext2.empty() ? std::string() : ", *." + ext2;
    std::string pattern2 = ext2.empty() ? std::string() : ";*." + ext2;
    return shown + " (*." + ext + second + ")|*." + ext + pattern2 + "|";
}

std::string ImportExportFilter(bool open)
{
    std::string filter = FilterEntry("Excel", "xls") + FilterEntry(Text(msg::CommaSeparated), "csv")
        + FilterEntry(Text(msg::TabSeparated), "txt", "tab");
    return WithAllFiles(std::move(filter), open);
}

FileRequest ImportExportFileRequest(bool save, int filterIndex)
{
    FileRequest request = Request(save, "xls", ImportExportFilter(false));
    request.filterIndex = filterIndex;
    return request;
}

FileRequest CardImportExportFileRequest(bool save, int filterIndex)
{
    // The new formats come after the three of old, so their filter indices
    // stay. Workbooks of current spreadsheet programs are read, not written.
    std::string filter = ImportExportFilter(false);
    if (save)
        filter += FilterEntry(Text(msg::FilterVCard), "vcf") + FilterEntry(Text(msg::FilterCsvUtf8), "csv");
    else
        filter += FilterEntry("Excel", "xlsx") + FilterEntry("OpenDocument", "ods")
            + FilterEntry(Text(msg::FilterVCard), "vcf");
    FileRequest request = Request(save, "xls", std::move(filter));
    request.filterIndex = filterIndex;
    return request;
}

FileRequest ImportConfigFileRequest(bool save)
{
    FileRequest request = Request(save, "icf", FilterEntry(Text(msg::ImportConfiguration), "icf"));
    request.title = Text(save ? msg::SaveImportConfig : msg::LoadImportConfig);
    return request;
}

}  // namespace velkaro
