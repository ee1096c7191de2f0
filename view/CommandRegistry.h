#pragma once

// The program's commands by id (the ids of text/Menus.h, which menus,
// accelerators, the toolbar, the display's context menu and the keys of the
// telephone front share): what each does, when it may and whether it shows
// checked. The main frame owns the registry; the frame, the card view, the
// file and the transfer commands each register their own. Everything that
// carries out a command goes through Dispatch.

#include <functional>
#include <map>

namespace velkaro {

struct Command {
    std::function<void()> run;
    std::function<bool()> enabled;  // empty: always
    std::function<bool()> checked;  // empty: never checked
};

class CCommandRegistry {
public:
    void Register(unsigned id, Command command);

    bool IsRegistered(unsigned id) const;
    bool IsEnabled(unsigned id) const;
    bool IsChecked(unsigned id) const;

    // Runs the command when it is enabled; an id nobody registered goes to
    // the unknown-command handler. Each dispatched command is followed by
    // the after-dispatch handler (command states, status bar).
    void Dispatch(unsigned id);
    void SetUnknownCommandHandler(std::function<void(unsigned id)> handler);
    void SetAfterDispatch(std::function<void()> handler);

private:
    const Command* Find(unsigned id) const;

    std::map<unsigned, Command> m_commands;
    std::function<void(unsigned)> m_unknown;
    std::function<void()> m_after;
};

}  // namespace velkaro
