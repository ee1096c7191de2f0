#pragma once

// Whole-file reads and writes for the exchange formats, with the system's
// error text on failure (at most 255 characters, as a message box shows it).

#include <cstddef>
#include <optional>
#include <string>

namespace velkaro {

// The system's text for errno value `error`.
std::string SystemErrorText(int error);

// Reads at most `limit` bytes of the file; the error text on failure.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string& bytes, std::size_t limit);
// Writes the bytes as the file's whole content through a temporary file
// (model/AtomicFile.h); the error text on failure, the file then unchanged.
std::optional<std::string> WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace velkaro
