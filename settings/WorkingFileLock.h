#pragma once

// One program at a time on a working file. Two copies of the desktop
// program, or the program and a `velkaro` command, on the same file would
// each write their own cards over the other's. A lock file beside the
// working file (its name + ".lock", beside the file a link points to) is
// held for as long as the object lives; the process id, program and host
// in it name the holder in the message to the user. Whoever takes the lock
// first clears what programs cut off on the file left: the temporaries of
// its saves (and a save into a hard-linked file is finished) and the
// removal lock that Qt's lock file leaves when killed.

#include <memory>
#include <string>

class QLockFile;

namespace velkaro {

class CWorkingFileLock {
public:
    // path: the working file (file-system bytes). programName: the program
    // that is refused, named at the end of the message.
    CWorkingFileLock(const std::string& path, const std::string& programName);
    ~CWorkingFileLock();
    CWorkingFileLock(const CWorkingFileLock&) = delete;
    CWorkingFileLock& operator=(const CWorkingFileLock&) = delete;

    // False only when another running program holds the file. A folder
    // where no lock file can be made does not stop the run: the writes
    // there report their own failures.
    explicit operator bool() const { return m_message.empty(); }
    // Why the run must end (Windows-1252), empty when the lock is held.
    const std::string& Message() const { return m_message; }
    // The lock file's path.
    const std::string& LockPath() const { return m_lockPath; }

private:
    std::unique_ptr<QLockFile> m_lock;
    std::string m_lockPath;
    std::string m_message;
};

}  // namespace velkaro
