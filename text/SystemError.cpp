#include "SystemError.h"

#include <cstring>

namespace velkaro {

namespace {

constexpr std::size_t kMaxErrorText = 255;

}  // namespace

std::string SystemErrorText(int error)
{
    std::string text = std::strerror(error);
    if (text.size() > kMaxErrorText)
        text.resize(kMaxErrorText);
    return text;
}

Outcome SystemFailure(int error)
{
    return Outcome::Verbatim(OutcomeKind::IoError, SystemErrorText(error));
}

}  // namespace velkaro
