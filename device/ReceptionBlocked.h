#pragma once

// ReceptionBlocked: set while any dialog or command that works on cards or
// settings runs (send commands, import, export, selection, card structure,
// port, about and call-list dialogs, the reception result). A transfer the
// telephone starts meanwhile is read and thrown away. Touched only by the
// user-interface thread. Header-only, so libraries without the port can set it.

#include <cstdint>

namespace velkaro {

inline int32_t ReceptionBlocked = 0;

// Sets ReceptionBlocked for a scope; the value before is restored at its end,
// so blocks may nest.
class ReceptionBlock {
public:
    ReceptionBlock() : m_before(ReceptionBlocked) { ReceptionBlocked = 1; }
    ~ReceptionBlock() { ReceptionBlocked = m_before; }
    ReceptionBlock(const ReceptionBlock&) = delete;
    ReceptionBlock& operator=(const ReceptionBlock&) = delete;

private:
    int32_t m_before;
};

}  // namespace velkaro
