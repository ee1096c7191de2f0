#pragma once

// Whole-file reads and writes for the exchange formats, with the system's
// error text on failure (text/SystemError.h).

#include "text/SystemError.h"

#include <cstddef>
#include <optional>
#include <string>

namespace velkaro {

// How a whole-file read ended; error is the errno value of a failure.
struct FileReadResult {
    enum class Outcome { Read, NotOpened, ReadFailed };
    Outcome outcome = Outcome::Read;
    int error = 0;
    explicit operator bool() const { return outcome == Outcome::Read; }
};

// Reads the file into bytes, at most `limit` bytes of it (a longer file is
// cut there, so a caller that must refuse it asks for one byte more).
FileReadResult LoadWholeFile(const std::string& path, std::string& bytes, std::size_t limit);
// The same with the error text on failure.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string& bytes, std::size_t limit);
// Writes the bytes as the file's whole content through a temporary file
// (model/AtomicFile.h); the error text on failure, the file then unchanged.
std::optional<std::string> WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace velkaro
