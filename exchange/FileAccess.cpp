#include "FileAccess.h"

#include "model/AtomicFile.h"
#include "text/Language.h"
#include "text/MessageIds.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkaro {

namespace {

struct FileHandle {
    int fd = -1;
    ~FileHandle()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

}  // namespace

FileReadResult LoadWholeFile(const std::string& path, std::string& bytes, std::size_t limit)
{
    bytes.clear();
    // Without waiting: a named pipe is refused below instead of blocking
    // the open until something writes to it.
    FileHandle file { ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) };
    if (file.fd < 0)
        return { FileReadResult::Status::NotOpened, errno ? errno : ENOENT };
    struct stat info {};
    if (::fstat(file.fd, &info) != 0)
        return { FileReadResult::Status::ReadFailed, errno ? errno : EIO };
    if (S_ISDIR(info.st_mode))
        return { FileReadResult::Status::ReadFailed, EISDIR };
    if (!S_ISREG(info.st_mode))
        return { FileReadResult::Status::NotRegular, 0 };
    char buffer[64 * 1024];
    while (bytes.size() < limit) {
        const std::size_t want = std::min(sizeof buffer, limit - bytes.size());
        const ssize_t got = ::read(file.fd, buffer, want);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return { FileReadResult::Status::ReadFailed, errno ? errno : EIO };
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return {};
}

Outcome ReadWholeFile(const std::string& path, std::string& bytes, std::size_t limit)
{
    return FileReadOutcome(LoadWholeFile(path, bytes, limit));
}

FileReadResult ProbeRegularFile(const std::string& path, std::uint64_t& size)
{
    size = 0;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return { FileReadResult::Status::NotOpened, errno ? errno : ENOENT };
    if (S_ISDIR(info.st_mode))
        return { FileReadResult::Status::ReadFailed, EISDIR };
    if (!S_ISREG(info.st_mode))
        return { FileReadResult::Status::NotRegular, 0 };
    size = static_cast<std::uint64_t>(info.st_size);
    return {};
}

Outcome FileReadOutcome(const FileReadResult& result)
{
    if (result)
        return {};
    if (result.status == FileReadResult::Status::NotRegular)
        return Outcome(OutcomeKind::BadInput, msg::NotARegularFile);
    return SystemFailure(result.error);
}

Outcome WriteWholeFile(const std::string& path, const std::string& bytes)
{
    // Through a temporary file: on a full disk the file that was there
    // stays whole instead of being cut short.
    if (int error = WriteFileAtomically(path, bytes))
        return SystemFailure(error);
    return {};
}

}  // namespace velkaro
