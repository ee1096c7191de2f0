#pragma once

// Resource ids of the messages, captions and prompts (the German ids; the
// lookup adds the language offset).

namespace velkaro::msg {

constexpr unsigned Ready = 57345;             // "Bereit"

}  // namespace velkaro::msg
