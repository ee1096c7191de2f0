#pragma once

// The questions, messages and file choices of the command flows. The Qt layer
// implements this interface with message boxes and file dialogs; tests script
// it. All text is Windows-1252.
//
// New needs of later flows are added as virtual functions with a default
// implementation, so existing implementations keep compiling.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velkaro {

class CImportConfig;
class CImportTable;
class CKarte;

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// One file dialog. filter is the platform form "Text (*.x)|*.x|Other|*.y|";
// filterIndex is 1-based, in and out.
struct FileRequest {
    bool save = false;
    std::string title;
    std::string defaultExt;   // without the dot
    std::string filter;
    int filterIndex = 1;
    std::string initialDir;
    std::string initialName;
    bool overwritePrompt = false;
    bool fileMustExist = false;
    bool pathMustExist = true;
};

class IUserInterface {
public:
    virtual ~IUserInterface() = default;

    virtual MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon icon) = 0;
    // The chosen path, or nothing on Cancel. request.filterIndex is updated.
    virtual std::optional<std::string> ChooseFile(FileRequest& request) = 0;

    // Wait cursor around long work.
    virtual void BeginWait() {}
    virtual void EndWait() {}
    // A progress window with a caption; steps are per mille.
    virtual void ProgressBegin(const std::string& /*caption*/) {}
    virtual void ProgressStep(int /*perMille*/) {}
    virtual void ProgressEnd() {}
    // A short sound for refused input.
    virtual void Beep() {}

    // The import dialog over the read table: the configuration comes in with
    // the options preloaded and the assignment the field assignment page
    // makes when it opens; true (OK) leaves the user's choices in it. Without
    // a dialog the configuration is taken as it is.
    virtual bool EditImportConfig(const CImportTable& /*table*/, CImportConfig& /*config*/,
                                  const CKarte* /*fieldNames*/)
    {
        return true;
    }
    // How imported cards join the existing ones (0 delete old cards, 1 mix,
    // 2 mix and replace duplicates), preset with the last choice; nothing on
    // Cancel.
    virtual std::optional<int> ChooseImportMode(int current) { return current; }

    // The send progress dialog of a bulk send. cancel asks the sender to stop
    // after its current card; the flow ends the dialog with SendProgressEnd.
    virtual void SendProgressBegin(const std::string& /*heading*/, const std::string& /*speedText*/,
                                   std::function<void()> /*cancel*/)
    {
    }
    virtual void SendProgressUpdate(int /*sentCount*/, int /*errorCount*/, int /*perMille*/) {}
    virtual void SendProgressEnd() {}

    // The receive progress dialog while the telephone sends cards or its
    // call list; cancel ends the reception (what arrived is kept).
    virtual void ReceiveProgressBegin(bool /*callList*/, std::function<void()> /*cancel*/) {}
    virtual void ReceiveProgressUpdate(int /*count*/, int /*errorCount*/, const std::string& /*speedText*/) {}
    virtual void ReceiveProgressEnd() {}

    // The call-list request dialog: choice 0 all entries, 1 only entries newer
    // than date ("DD.MM.YYYY", empty = no date). Preset from the settings;
    // nothing on Cancel. Without a dialog the preset is taken.
    struct CallListRange {
        int choice = 0;
        std::string date;
    };
    virtual std::optional<CallListRange> AskCallListRange(const CallListRange& preset) { return preset; }
};

}  // namespace velkaro
