#include "CommandRegistry.h"

namespace velkaro {

void CCommandRegistry::Register(unsigned id, Command command)
{
    m_commands[id] = std::move(command);
}

const Command* CCommandRegistry::Find(unsigned id) const
{
    auto it = m_commands.find(id);
    return it == m_commands.end() ? nullptr : &it->second;
}

bool CCommandRegistry::IsRegistered(unsigned id) const
{
    return Find(id) != nullptr;
}

bool CCommandRegistry::IsEnabled(unsigned id) const
{
    const Command* command = Find(id);
    return !command || !command->enabled || command->enabled();
}

bool CCommandRegistry::IsChecked(unsigned id) const
{
    const Command* command = Find(id);
    return command && command->checked && command->checked();
}

void CCommandRegistry::Dispatch(unsigned id)
{
    // Run from a copy: a command that registers its id anew while it runs
    // must not pull its own code away under it.
    const Command* command = Find(id);
    if (!command) {
        if (m_unknown)
            m_unknown(id);
    } else if (!command->enabled || command->enabled()) {
        const std::function<void()> run = command->run;
        if (run)
            run();
    } else {
        return;
    }
    if (m_after)
        m_after();
}

void CCommandRegistry::SetUnknownCommandHandler(std::function<void(unsigned id)> handler)
{
    m_unknown = std::move(handler);
}

void CCommandRegistry::SetAfterDispatch(std::function<void()> handler)
{
    m_after = std::move(handler);
}

}  // namespace velkaro
