#pragma once

// A user interface that tests script: answers and file choices are queued in
// advance, and every message shown is recorded.

#include "model/UserInterface.h"

#include <deque>
#include <stdexcept>

namespace velkaro::test {

class ScriptedUi : public IUserInterface {
public:
    struct Shown {
        std::string text;
        MsgButtons buttons;
        MsgIcon icon;
    };

    std::deque<MsgAnswer> answers;                 // for questions; Ok boxes need none
    std::deque<std::optional<std::string>> files;  // nullopt = Cancel
    std::deque<int> filterIndexes;                 // the filter the user picks, if queued
    std::deque<std::optional<int>> sheets;         // the sheet chosen (nullopt = Cancel)
    std::vector<std::vector<std::string>> sheetChoices;  // the names each sheet question offered
    std::vector<Shown> shown;
    std::vector<OutcomeKind> outcomeKinds;  // of each outcome shown
    std::vector<FileRequest> fileRequests;
    int beeps = 0;

    MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon icon) override
    {
        shown.push_back({ text, buttons, icon });
        if (buttons == MsgButtons::Ok)
            return MsgAnswer::Ok;
        if (answers.empty())
            throw std::logic_error("unexpected question: " + text);
        auto a = answers.front();
        answers.pop_front();
        return a;
    }

    void Show(const Outcome& outcome, MsgIcon icon) override
    {
        outcomeKinds.push_back(outcome.Kind());
        IUserInterface::Show(outcome, icon);
    }

    std::optional<std::string> ChooseFile(FileRequest& request) override
    {
        fileRequests.push_back(request);
        if (files.empty())
            throw std::logic_error("unexpected file dialog: " + request.filter);
        auto f = files.front();
        files.pop_front();
        if (!filterIndexes.empty()) {
            request.filterIndex = filterIndexes.front();
            filterIndexes.pop_front();
        }
        return f;
    }

    std::optional<int> ChooseSheet(const std::vector<std::string>& names) override
    {
        sheetChoices.push_back(names);
        if (sheets.empty())
            throw std::logic_error("unexpected sheet question");
        auto s = sheets.front();
        sheets.pop_front();
        return s;
    }

    void Beep() override { ++beeps; }

    const std::string& LastText() const
    {
        static const std::string none;
        return shown.empty() ? none : shown.back().text;
    }
};

// A read as the import shows it: the outcome shown through ui; 1 when read,
// 0 when not.
inline int Shown(IMessageUi& ui, const Outcome& outcome)
{
    ui.Show(outcome, MsgIcon::None);
    return outcome ? 1 : 0;
}

}  // namespace velkaro::test
