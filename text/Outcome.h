#pragma once

// How a piece of work ended, as a value: success, or the kind of failure the
// caller must tell apart, with the message that says it to the user. The
// message is a string-table id with its arguments and is formatted only
// when shown, in the language of that moment.

#include "text/Format.h"

#include <string>

namespace velkaro {

enum class OutcomeKind {
    Success,
    Cancelled,    // the user chose not to go on
    BadInput,     // the file or the input is not what it must be: empty,
                  // damaged, of another format, too large
    IoError,      // the system refused a read or a write
    DeviceError,  // the serial line failed
};

class Outcome {
public:
    // Success without a message.
    Outcome() = default;
    // A failure that has nothing more to say (the user was told already).
    explicit Outcome(OutcomeKind kind) : m_kind(kind) {}
    Outcome(OutcomeKind kind, unsigned messageId, FormatArgs args = {})
        : m_kind(kind), m_id(messageId), m_args(std::move(args))
    {
    }
    // A message that is no table text (the system's own words).
    static Outcome Verbatim(OutcomeKind kind, std::string text)
    {
        return Outcome(kind, kNoId, { std::move(text) });
    }

    OutcomeKind Kind() const { return m_kind; }
    bool Ok() const { return m_kind == OutcomeKind::Success; }
    explicit operator bool() const { return Ok(); }
    bool HasMessage() const { return m_id != kNoId || !m_args.empty(); }
    unsigned MessageId() const { return m_id; }
    const FormatArgs& Args() const { return m_args; }
    // The message in the current language; "" without one.
    std::string Message() const;

private:
    static constexpr unsigned kNoId = 0;

    OutcomeKind m_kind = OutcomeKind::Success;
    unsigned m_id = kNoId;
    FormatArgs m_args;
};

}  // namespace velkaro
