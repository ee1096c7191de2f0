#pragma once

// The files of a command line that are streams: "-" for standard input or
// output, and the names of pipes, terminals and /dev/fd/N (`<(...)`). The
// readers and writers want a regular file they may open, measure and
// rename over; a stream can be read only once and not renamed over. So an
// input stream is read once into a scratch file the reader opens, and an
// output goes to a scratch file first and is then copied into the stream.

#include <string>

namespace velkaro::cli {

// A scratch folder of its own, removed with everything in it.
class CScratchFolder {
public:
    CScratchFolder();
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;
    // A path in it; empty when the folder could not be made.
    std::string PathOf(const std::string& name) const;

private:
    std::string m_path;
};

// An input as typed. A regular file is read where it is; a stream is read
// once (at most limit bytes) into a scratch file named by what its bytes
// are: a workbook, a spreadsheet, vCards or text.
class CInputFile {
public:
    explicit CInputFile(std::string typed) : m_typed(std::move(typed)) {}
    // Empty on success, else the reason (Windows-1252): the system's, or that
    // the input is larger than limit.
    std::string Open(std::size_t limit, bool importFile);
    // What the reader opens.
    const std::string& Path() const { return m_path.empty() ? m_typed : m_path; }
    // How messages name it (UTF-8): the name typed, or "standard input".
    std::string Shown() const;
    // A reader's message with the scratch file's name put back to Shown().
    std::string Named(const std::string& ansiMessage) const;

private:
    std::string m_typed;
    std::string m_path;
    CScratchFolder m_scratch;
};

// Whether an output is written to as a stream: "-", or a name that exists
// and is no regular file (a pipe, /dev/stdout, a terminal).
bool IsStreamOutput(const std::string& typed);
// Copies the file at path into the output typed (standard output for "-").
// 0, or the errno of the failure.
int CopyIntoStream(const std::string& path, const std::string& typed);

}  // namespace velkaro::cli
