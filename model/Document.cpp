#include "Document.h"

#include "app/Cp1252.h"
#include "app/Language.h"
#include "resources/MessageIds.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace velkaro {

namespace {

const char kAppName[] = "Velkaro Desktop";
const char kBackupExtension[] = "vlx";

}  // namespace

CPcxDoc::CPcxDoc()
    : m_cards(std::make_unique<CCardList>())
{
}

int CPcxDoc::AddView(ViewListener listener)
{
    int handle = m_nextView++;
    m_views.emplace_back(handle, std::move(listener));
    return handle;
}

void CPcxDoc::RemoveView(int handle)
{
    std::erase_if(m_views, [handle](const auto& view) { return view.first == handle; });
}

void CPcxDoc::UpdateAllViews(UpdateHint hint, CCardList* list)
{
    // A listener may remove itself while being told.
    auto views = m_views;
    for (auto& [handle, listener] : views)
        if (listener)
            listener(hint, list);
}

ArchiveResult CPcxDoc::Open(const std::string& path)
{
    CCardList list;
    ArchiveResult result = LoadCardFile(path, list);
    m_fileVersion = result.fileVersion;
    if (!result)
        return result;
    if (!list.FieldNames())
        list.SetFieldNames(m_cards->TakeFieldNames());
    *m_cards = std::move(list);
    if (result.fileVersion < kArchiveVersion)
        UpdateAllViews(UpdateHint::NewList, m_cards.get());
    return result;
}

ArchiveResult CPcxDoc::Save(const std::string& path)
{
    std::error_code ec;
    auto full = std::filesystem::absolute(path, ec);
    m_lastWrittenPath = ec ? path : full.lexically_normal().string();
    return SaveCardFile(path, *m_cards);
}

bool CPcxDoc::OpenWorkingFile(const std::string& path, IUserInterface& ui)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::status(path, ec).type() == fs::file_type::not_found) {
        fs::path folder = fs::path(path).parent_path();
        if (!folder.empty())
            fs::create_directories(folder, ec);
        *m_cards = CCardList();
        m_workingPath = path;
        return true;
    }
    if (Open(path)) {
        m_workingPath = path;
        return true;
    }
    // Whatever kept the file from loading, it is left as it is: the run goes
    // on with no cards and never writes over it.
    *m_cards = CCardList();
    m_workingPath.clear();
    ui.Message(FormatText(msg::WorkingFileNotLoaded, PathForDisplay(path).c_str(), kAppName), MsgButtons::Ok,
               MsgIcon::Warning);
    return false;
}

bool CPcxDoc::AutoSave(bool /*forced*/)
{
    // The switch that would let the non-forced form skip the write is always
    // on, so both forms write.
    if (m_workingPath.empty())
        return true;
    ArchiveResult result = Save(m_workingPath);
    if (!result && m_ui)
        m_ui->Message(result.message, MsgButtons::Ok, MsgIcon::Warning);
    return static_cast<bool>(result);
}

void CPcxDoc::ReplaceCollection(std::unique_ptr<CCardList> newList)
{
    if (!newList)
        return;
    newList->ExtractFieldNames();
    *m_cards = std::move(*newList);
    newList.reset();
    UpdateAllViews(UpdateHint::NewList, m_cards.get());
    UpdateAllViews(UpdateHint::All);
    AutoSave(false);
}

bool CPcxDoc::NoCards(IUserInterface& ui) const
{
    if (!m_cards->IsEmpty())
        return false;
    ui.Message(Text(msg::NoCardsAvailable), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}

bool CPcxDoc::Confirm(IUserInterface& ui, unsigned messageId) const
{
    if (m_cards->IsEmpty())
        return true;
    return ui.Message(Text(messageId), MsgButtons::OkCancel, MsgIcon::Warning) == MsgAnswer::Ok;
}

void CPcxDoc::DeleteContents()
{
    m_cards->DeleteAllCards();
}

std::string CPcxDoc::BackupFilter(bool withAllFiles)
{
    std::string type = FormatText(msg::FileTypeFiles, kAppName);
    std::string filter = FormatString("%s (*.%s%s)|*.%s%s|", type.c_str(), kBackupExtension, "", kBackupExtension, "");
    if (withAllFiles)
        filter += Text(msg::AllFilesFilter) + "|*.*|";
    return filter;
}

void CPcxDoc::OnSaveBackup(IUserInterface& ui)
{
    if (NoCards(ui))
        return;
    FileRequest request;
    request.save = true;
    request.defaultExt = kBackupExtension;
    request.filter = BackupFilter(false);
    request.overwritePrompt = true;
    request.pathMustExist = true;
    auto path = ui.ChooseFile(request);
    if (!path)
        return;
    // The write goes through a temporary file, so a failure leaves the
    // chosen file as it was (an older backup there is not lost).
    ArchiveResult result = Save(*path);
    if (!result) {
        ui.Message(result.message, MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    ui.Message(FormatText(msg::AllCardsSavedInFile, m_cards->Count(), "", PathForDisplay(m_lastWrittenPath).c_str()), MsgButtons::Ok,
               MsgIcon::Information);
}

void CPcxDoc::OnLoadBackup(IUserInterface& ui)
{
    if (!Confirm(ui, msg::ConfirmReplaceCards))
        return;
    FileRequest request;
    request.save = false;
    request.defaultExt = kBackupExtension;
    request.filter = BackupFilter(true);
    request.fileMustExist = true;
    request.pathMustExist = true;
    auto path = ui.ChooseFile(request);
    if (!path)
        return;
    ArchiveResult result = Open(*path);
    if (result)
        ui.Message(FormatText(msg::CardsLoadedFromFile, m_cards->Count(), PathForDisplay(*path).c_str()), MsgButtons::Ok,
                   MsgIcon::Information);
    else
        ui.Message(result.message, MsgButtons::Ok, MsgIcon::Warning);
    UpdateAllViews(UpdateHint::All);
}

void CPcxDoc::OnDeleteAllCards(IUserInterface& ui)
{
    if (NoCards(ui))
        return;
    if (!Confirm(ui, msg::ConfirmDeleteAllCards))
        return;
    DeleteContents();
    UpdateAllViews(UpdateHint::All);
}

std::string CPcxDoc::StatusCountText() const
{
    return FormatText(msg::CardCountPane, m_cards->Count());
}

}  // namespace velkaro
