#pragma once

// The messages, questions and file choices of the command flows: what nearly
// every flow needs of the user interface. The Qt layer implements it with
// message boxes and file dialogs; tests script it. All text is Windows-1252.
//
// New needs of later flows are added as virtual functions with a default
// implementation, so existing implementations keep compiling.

#include "text/Language.h"
#include "text/Outcome.h"

#include <optional>
#include <string>

namespace velkaro {

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

class IMessageUi {
public:
    virtual ~IMessageUi() = default;

    virtual MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon icon) = 0;
    // How a piece of work ended, in a box with the icon given: its message
    // formatted now; nothing for an outcome without one.
    virtual void Show(const Outcome& outcome, MsgIcon icon)
    {
        if (outcome.HasMessage())
            Message(outcome.Message(), MsgButtons::Ok, icon);
    }
    // A result with a yes/no question (a message id) after it, in one box.
    virtual MsgAnswer AskAfter(const std::string& result, unsigned question, MsgIcon icon)
    {
        return Message(result + "\n" + Text(question), MsgButtons::YesNo, icon);
    }
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
};

}  // namespace velkaro
