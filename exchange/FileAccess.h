#pragma once

// Whole-file reads and writes for the exchange formats, with the system's
// error text on failure (text/SystemError.h).

#include "text/Outcome.h"
#include "text/SystemError.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace velkaro {

// How a whole-file read ended; error is the errno value of a failure.
// NotRegular: a device or a named pipe, which is never read (a device may
// never end, a pipe may never be written to); a folder is a read error.
struct FileReadResult {
    enum class Status { Read, NotOpened, ReadFailed, NotRegular };
    Status status = Status::Read;
    int error = 0;
    explicit operator bool() const { return status == Status::Read; }
};

// Reads the regular file into bytes, at most `limit` bytes of it (a longer
// file is cut there, so a caller that must refuse it asks for one byte more).
FileReadResult LoadWholeFile(const std::string& path, std::string& bytes, std::size_t limit);
// The same, a failure told as FileReadOutcome tells it.
Outcome ReadWholeFile(const std::string& path, std::string& bytes, std::size_t limit);
// Whether the path names a regular file (a link is followed), and its size,
// without opening it: opening a named pipe waits for a writer.
FileReadResult ProbeRegularFile(const std::string& path, std::uint64_t& size);
// A failed read as the user is told it: the system's words, or that it is
// no regular file.
Outcome FileReadOutcome(const FileReadResult& result);
// Writes the bytes as the file's whole content through a temporary file
// (model/AtomicFile.h); on failure the system's words, the file unchanged.
Outcome WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace velkaro
