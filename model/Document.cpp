#include "Document.h"

#include "CardComparison.h"

#include "AtomicFile.h"
#include "History.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "text/SystemError.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

namespace velkaro {

namespace {

const char kAppName[] = "Velkaro Desktop";
const char kBackupExtension[] = "vlx";
// Enough for many damaged files on one day.
constexpr int kMaxDamagedNames = 1000;

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
    if (result)
        TakeLoaded(std::move(list), result.fileVersion);
    return result;
}

void CPcxDoc::TakeLoaded(CCardList list, uint8_t fileVersion)
{
    if (!list.FieldNames())
        list.SetFieldNames(m_cards->TakeFieldNames());
    *m_cards = std::move(list);
    if (fileVersion < kArchiveVersion)
        UpdateAllViews(UpdateHint::NewList, m_cards.get());
}

ArchiveResult CPcxDoc::Save(const std::string& path)
{
    std::error_code ec;
    auto full = std::filesystem::absolute(path, ec);
    m_lastWrittenPath = ec ? path : full.lexically_normal().string();
    return SaveCardFile(path, *m_cards);
}

std::string CPcxDoc::DamagedName(const std::string& path, const std::tm& day, int attempt)
{
    char date[16];
    std::strftime(date, sizeof date, "%Y-%m-%d", &day);
    std::string name = path + ".damaged-" + date;
    if (attempt > 1)
        name += "-" + std::to_string(attempt);
    return name;
}

bool CPcxDoc::OpenWorkingFile(const std::string& path, IMessageUi& ui)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    // Temporaries of saves that were cut off (power loss, killed program).
    RemoveLeftoversOf(path);
    if (fs::status(path, ec).type() == fs::file_type::not_found) {
        fs::path folder = fs::path(path).parent_path();
        if (!folder.empty())
            fs::create_directories(folder, ec);
        *m_cards = CCardList();
        m_workingPath = path;
        return true;
    }
    ArchiveResult result = Open(path);
    if (result) {
        m_workingPath = path;
        return true;
    }
    *m_cards = CCardList();
    m_workingPath.clear();

    // A file that was read but is not a whole archive stays as it is under
    // a new name beside it, so that nothing is lost, and the run goes on
    // with a fresh working file; starting again would only meet it again.
    if (result.error == ArchiveError::Damaged || result.error == ArchiveError::BadFormat) {
        const std::time_t now = std::time(nullptr);
        std::tm day {};
        localtime_r(&now, &day);
        // Beside the file a link points to; the link then leads to the
        // fresh file.
        const std::string damaged = ResolveWriteTarget(path);
        for (int attempt = 1; attempt <= kMaxDamagedNames; ++attempt) {
            const std::string aside = DamagedName(damaged, day, attempt);
            if (fs::symlink_status(aside, ec).type() != fs::file_type::not_found)
                continue;
            fs::rename(damaged, aside, ec);
            if (ec)
                break;
            m_workingPath = path;
            ui.Message(FormatText(msg::DamagedWorkingFileSetAside, PathForDisplay(path).c_str(), result.message.c_str(),
                                  PathForDisplay(aside).c_str(), kAppName),
                       MsgButtons::Ok, MsgIcon::Warning);
            AutoSave(false);
            return true;
        }
    }

    // A file that cannot be read, or cannot be moved aside, is left as it
    // is: the run goes on with no cards and never writes over it.
    std::string text = FormatText(msg::WorkingFileNotLoaded, PathForDisplay(path).c_str(), kAppName);
    if (!result.message.empty())
        text += "\n\n" + result.message;
    ui.Message(text, MsgButtons::Ok, MsgIcon::Warning);
    return false;
}

void CPcxDoc::BeginChange(StepLabel label)
{
    m_changeLabel = std::move(label);
    m_beforeChange = CCardSnapshot::Of(*m_cards);
    m_changePending = true;
}

void CPcxDoc::SetChangeLabel(StepLabel label)
{
    if (m_changePending)
        m_changeLabel = std::move(label);
}

void CPcxDoc::CommitChange()
{
    if (!m_changePending)
        return;
    m_changePending = false;
    // The copy taken at the start lives only while the change is open; the
    // step keeps what changed. A cancelled or empty change is no step.
    CCardChange change = CCardChange::Between(std::exchange(m_beforeChange, CCardSnapshot()), *m_cards);
    if (!change.Empty())
        m_undo.Push(std::move(m_changeLabel), std::move(change));
    m_changeLabel = StepLabel();
}

void CPcxDoc::PutBack()
{
    // Pointers the views held into the old cards are gone.
    UpdateAllViews(UpdateHint::NewList, m_cards.get());
    UpdateAllViews(UpdateHint::All);
    AutoSave(false);
}

bool CPcxDoc::Undo()
{
    CommitChange();
    if (!m_undo.CanUndo())
        return false;
    // Cards changed without a step no longer fit the steps: they are kept,
    // and the steps go.
    if (!m_undo.Undo(*m_cards)) {
        m_undo.Clear();
        return false;
    }
    PutBack();
    return true;
}

bool CPcxDoc::Redo()
{
    CommitChange();
    if (!m_undo.CanRedo())
        return false;
    if (!m_undo.Redo(*m_cards)) {
        m_undo.Clear();
        return false;
    }
    PutBack();
    return true;
}

bool CPcxDoc::AutoSave(bool /*forced*/)
{
    CommitChange();
    // The switch that would let the non-forced form skip the write is always
    // on, so both forms write.
    if (m_workingPath.empty())
        return true;
    ArchiveResult result = Save(m_workingPath);
    if (!result && m_ui)
        m_ui->Message(result.message, MsgButtons::Ok, MsgIcon::Warning);
    return static_cast<bool>(result);
}

bool CPcxDoc::KeepHistory(IMessageUi& ui, const char* action)
{
    // No cards held: nothing that a step could destroy.
    if (m_workingPath.empty() || m_cards->IsEmpty())
        return true;
    const int error = m_historyCopy.Keep(m_workingPath, action, std::time(nullptr));
    if (error == 0)
        return true;
    ui.Message(FormatText(msg::HistoryWriteFailed, SystemErrorText(error).c_str()), MsgButtons::Ok, MsgIcon::Warning);
    return false;
}

void CPcxDoc::WithdrawHistory()
{
    m_historyCopy.Withdraw();
}

bool CPcxDoc::RestoreHistory(IMessageUi& ui, const std::string& entryPath)
{
    CCardList list;
    ArchiveResult result = LoadCardFile(entryPath, list);
    if (!result) {
        ui.Message(result.message, MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    if (!KeepHistory(ui, history::Restore))
        return false;
    BeginChange(StepLabel::Message(msg::StepRestore));
    if (!list.FieldNames())
        list.SetFieldNames(m_cards->TakeFieldNames());
    *m_cards = std::move(list);
    UpdateAllViews(UpdateHint::NewList, m_cards.get());
    UpdateAllViews(UpdateHint::All);
    return AutoSave(false);
}

bool CPcxDoc::ReplaceCollection(std::unique_ptr<CCardList> newList)
{
    if (!newList)
        return false;
    newList->ExtractFieldNames();
    const int received = newList->Count();
    return TakeReceived(std::move(newList), StepLabel::Counted(msg::StepReceivedCards, received));
}

bool CPcxDoc::TakeReceived(std::unique_ptr<CCardList> newList, StepLabel step)
{
    if (m_ui && !KeepHistory(*m_ui, history::Receive))
        return false;
    BeginChange(std::move(step));
    *m_cards = std::move(*newList);
    newList.reset();
    UpdateAllViews(UpdateHint::NewList, m_cards.get());
    UpdateAllViews(UpdateHint::All);
    // The cards are shown either way; a file that could not be written has
    // said why, and the caller must not report them as kept.
    return AutoSave(false);
}

bool CPcxDoc::MergeCollection(std::unique_ptr<CCardList> received)
{
    if (!received)
        return false;
    // The step names what the telephone sent; the merge holds more.
    received->ExtractFieldNames();
    const int count = received->Count();
    MergeInto(*received, *m_cards);
    return TakeReceived(std::move(received), StepLabel::Counted(msg::StepMergedCards, count));
}

bool CPcxDoc::NoCards(IMessageUi& ui) const
{
    if (!m_cards->IsEmpty())
        return false;
    ui.Message(Text(msg::NoCardsAvailable), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}

bool CPcxDoc::Confirm(IMessageUi& ui, unsigned messageId) const
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

void CPcxDoc::OnSaveBackup(IMessageUi& ui)
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

void CPcxDoc::OnLoadBackup(IMessageUi& ui)
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
    ReadBackup(ui, *path);
}

void CPcxDoc::LoadBackupFrom(IMessageUi& ui, const std::string& path)
{
    if (!Confirm(ui, msg::ConfirmReplaceCards))
        return;
    ReadBackup(ui, path);
}

void CPcxDoc::ReadBackup(IMessageUi& ui, const std::string& path)
{
    // Read first: a backup that cannot be read changes nothing, and so
    // takes no place in the history.
    CCardList list;
    ArchiveResult result = LoadCardFile(path, list);
    m_fileVersion = result.fileVersion;
    if (!result) {
        ui.Message(result.message, MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    if (!KeepHistory(ui, history::LoadBackup))
        return;
    BeginChange(StepLabel::Message(msg::StepLoadBackup));
    TakeLoaded(std::move(list), result.fileVersion);
    // The working file always holds the cards shown.
    AutoSave(false);
    std::string loaded = FormatText(msg::CardsLoadedFromFile, m_cards->Count(), PathForDisplay(path).c_str());
    if (result.cardsWithControls > 0)
        loaded += "\n\n" + FormatText(msg::CardsWithControls, result.cardsWithControls, PathForDisplay(path).c_str());
    ui.Message(loaded, MsgButtons::Ok, MsgIcon::Information);
    UpdateAllViews(UpdateHint::All);
}

void CPcxDoc::OnDeleteAllCards(IMessageUi& ui)
{
    if (NoCards(ui))
        return;
    if (!Confirm(ui, msg::ConfirmDeleteAllCards))
        return;
    if (!KeepHistory(ui, history::DeleteAll))
        return;
    BeginChange(StepLabel::Message(msg::StepDeleteAllCards));
    DeleteContents();
    UpdateAllViews(UpdateHint::All);
    // Written at once: deleted cards must not come back at the next start.
    AutoSave(false);
}

std::string CPcxDoc::StatusCountText() const
{
    return FormatText(msg::CardCountPane, m_cards->Count());
}

}  // namespace velkaro
