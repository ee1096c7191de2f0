#include "AtomicFile.h"

#include <cerrno>
#include <filesystem>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkaro {

namespace {

namespace fs = std::filesystem;

// As many links as the system itself follows before giving up.
constexpr int kMaxLinks = 40;
constexpr int kMaxAttempts = 100;

fs::path FolderOf(const fs::path& file)
{
    fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// "1234-5" after the prefix: a process id and an attempt.
bool IsTemporarySuffix(const std::string& rest)
{
    std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos || dash + 1 == rest.size())
        return false;
    for (std::size_t i = 0; i < rest.size(); ++i)
        if (i != dash && (rest[i] < '0' || rest[i] > '9'))
            return false;
    return true;
}

}  // namespace

std::string ResolveWriteTarget(const std::string& path)
{
    fs::path current(path);
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current.string();
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 0) + 256, '\0');
        ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0)
            return current.string();
        target.resize(static_cast<std::size_t>(n));
        fs::path next(target);
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return current.string();
}

std::string TemporaryPrefix(const std::string& path)
{
    return "." + fs::path(path).filename().string() + ".tmp";
}

int WriteFileAtomically(const std::string& path, const std::string& bytes)
{
    const fs::path target(ResolveWriteTarget(path));
    const fs::path folder = FolderOf(target);

    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing) {
        if (S_ISDIR(old.st_mode))
            return EISDIR;
        // Root may write anything; a file without any write bit is still
        // meant to stay as it is.
        if (::access(target.c_str(), W_OK) != 0 || (old.st_mode & 0222) == 0)
            return EACCES;
    }

    // Beside the target, so that the rename cannot cross file systems. A
    // file that replaces another is private until it has the old one's
    // mode; a new one gets the usual mode.
    int fd = -1;
    std::string temp;
    const std::string prefix = TemporaryPrefix(target.string()) + std::to_string(::getpid()) + '-';
    for (int attempt = 0; attempt < kMaxAttempts && fd < 0; ++attempt) {
        temp = (folder / (prefix + std::to_string(attempt))).string();
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacing ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return errno;
    // Held until the file has its final name: a temporary that nobody
    // holds is a leftover (RemoveLeftoverTemporaries), whatever process id
    // its name carries. The system lets go of it when the writer dies.
    ::flock(fd, LOCK_EX);

    auto fail = [&](int error) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.c_str());
        return error;
    };

    if (!WriteAll(fd, bytes))
        return fail(errno);
    if (replacing) {
        // The owner first: changing it may clear set-id bits that the mode
        // then puts back. Only root (or the owner, for the group) may do
        // it; otherwise the file becomes the writer's, as any new file.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)::fchown(fd, old.st_uid, old.st_gid);
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            return fail(errno);
    }
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return fail(errno);
    // Make the rename itself durable.
    int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    // The content is on disk already (fsync above).
    ::close(fd);
    return 0;
}

int RemoveLeftoverTemporaries(const std::string& path)
{
    const fs::path target(ResolveWriteTarget(path));
    const std::string prefix = TemporaryPrefix(target.string());
    std::error_code ec;
    int removed = 0;
    for (fs::directory_iterator it(FolderOf(target), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (!IsTemporarySuffix(name.substr(prefix.size())))
            continue;
        // A write in progress holds its temporary; one nobody holds is left
        // over from a write that was cut off.
        int fd = ::open(it->path().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && ::unlink(it->path().c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

}  // namespace velkaro
