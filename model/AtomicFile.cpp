#include "AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>
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

// Writes every byte: where the file stands, or from its start (pwrite) when
// it is written over in place.
bool WriteAll(int fd, const std::string& bytes, bool fromStart = false)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = fromStart ? ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done))
                                    : ::write(fd, bytes.data() + done, bytes.size() - done);
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

void SyncFolder(const fs::path& folder)
{
    int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

// The complete new content of a write through (below): the temporary,
// renamed once it is on disk. Named so, it says that the target may hold a
// mixture of old and new until the content has been copied in.
std::string RedoPrefix(const std::string& path)
{
    return "." + fs::path(path).filename().string() + ".redo";
}

// Overwrites the target in place with bytes: the same file, so every name
// it has (hard links) sees the new content. 0 or the errno value; *touched
// tells whether the old content may have been changed.
int OverwriteInPlace(const fs::path& target, const std::string& bytes, bool* touched)
{
    *touched = false;
    int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return errno;
    struct stat st {};
    int error = ::fstat(fd, &st) == 0 ? 0 : errno;
    // Room for the longer content first, so that a full disk stops the
    // write before any old byte is touched.
    if (!error && static_cast<off_t>(bytes.size()) > st.st_size
        && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size())) != 0 && errno != EOPNOTSUPP)
        error = errno;
    if (!error) {
        *touched = true;
        if (!WriteAll(fd, bytes, true) || ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0)
            error = errno;
    }
    ::close(fd);
    return error;
}

// Finishes a write through that was cut off: the target gets the content
// of the redo file, which then goes.
bool FinishWriteThrough(const fs::path& redo, const fs::path& target)
{
    std::ifstream in(redo, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return false;
    bool touched = false;
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return ::rename(redo.c_str(), target.c_str()) == 0;
    return OverwriteInPlace(target, bytes, &touched) == 0 && ::unlink(redo.c_str()) == 0;
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

namespace {

// 0 when path may be written (or does not exist yet), else the errno value.
int CheckWritable(const fs::path& target, struct stat& old, bool& replacing)
{
    replacing = ::stat(target.c_str(), &old) == 0;
    if (!replacing)
        return 0;
    if (S_ISDIR(old.st_mode))
        return EISDIR;
    // Root may write anything; a file without any write bit is still
    // meant to stay as it is.
    if (::access(target.c_str(), W_OK) != 0 || (old.st_mode & 0222) == 0)
        return EACCES;
    return 0;
}

// The new content's file until it has its final name.
struct Temporary {
    int fd = -1;
    std::string path;

    // Closes and removes it; returns the error for the caller.
    int Fail(int error)
    {
        if (fd >= 0)
            ::close(fd);
        ::unlink(path.c_str());
        return error;
    }
};

// 0 or the errno value.
int CreateTemporary(const fs::path& target, const fs::path& folder, bool replacing, Temporary& temp)
{
    // Beside the target, so that the rename cannot cross file systems. A
    // file that replaces another is private until it has the old one's
    // mode; a new one gets the usual mode.
    const std::string prefix = TemporaryPrefix(target.string()) + std::to_string(::getpid()) + '-';
    for (int attempt = 0; attempt < kMaxAttempts && temp.fd < 0; ++attempt) {
        temp.path = (folder / (prefix + std::to_string(attempt))).string();
        temp.fd = ::open(temp.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacing ? 0600 : 0666);
        if (temp.fd < 0 && errno != EEXIST)
            break;
    }
    if (temp.fd < 0)
        return errno;
    // Held until the file has its final name: a temporary that nobody
    // holds is a leftover (RemoveLeftoverTemporaries), whatever process id
    // its name carries. The system lets go of it when the writer dies.
    ::flock(temp.fd, LOCK_EX);
    return 0;
}

// 0 or the errno value.
int TakeOwnerAndMode(int fd, const struct stat& old)
{
    // The owner first: changing it may clear set-id bits that the mode
    // then puts back. Only root (or the owner, for the group) may do
    // it; otherwise the file becomes the writer's, as any new file.
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        const int refused = ::fchown(fd, old.st_uid, old.st_gid);
        (void)refused;  // a refusal leaves the file the writer's, as said
    }
    return ::fchmod(fd, old.st_mode & 07777) != 0 ? errno : 0;
}

// A file with more than one name (hard links): a rename would give
// only this name the new content and leave the others with the
// old cards. The content is written into the file itself, after
// the complete new content is on disk under the redo name: a write
// cut off in between is finished by the next RemoveLeftoverTemporaries.
int WriteThrough(Temporary& temp, const fs::path& target, const fs::path& folder, const std::string& bytes)
{
    const std::string redo =
        (folder / (RedoPrefix(target.string()) + temp.path.substr(temp.path.rfind(".tmp") + 4))).string();
    if (::rename(temp.path.c_str(), redo.c_str()) != 0)
        return temp.Fail(errno);
    temp.path = redo;
    SyncFolder(folder);
    bool touched = false;
    if (int error = OverwriteInPlace(target, bytes, &touched)) {
        // The target may hold a mixture now: this name at least gets
        // the whole new content; the caller reports the failure.
        if (touched && ::rename(redo.c_str(), target.c_str()) == 0) {
            SyncFolder(folder);
            ::close(temp.fd);
            return error;
        }
        return temp.Fail(error);
    }
    ::unlink(redo.c_str());
    ::close(temp.fd);
    return 0;
}

}  // namespace

int WriteFileAtomically(const std::string& path, const std::string& bytes)
{
    const fs::path target(ResolveWriteTarget(path));
    const fs::path folder = FolderOf(target);

    struct stat old {};
    bool replacing = false;
    if (int error = CheckWritable(target, old, replacing))
        return error;
    Temporary temp;
    if (int error = CreateTemporary(target, folder, replacing, temp))
        return error;

    if (!WriteAll(temp.fd, bytes))
        return temp.Fail(errno);
    if (replacing) {
        if (int error = TakeOwnerAndMode(temp.fd, old))
            return temp.Fail(error);
    }
    if (::fsync(temp.fd) != 0)
        return temp.Fail(errno);
    if (replacing && S_ISREG(old.st_mode) && old.st_nlink > 1)
        return WriteThrough(temp, target, folder, bytes);
    if (::rename(temp.path.c_str(), target.c_str()) != 0)
        return temp.Fail(errno);
    // Make the rename itself durable.
    SyncFolder(folder);
    // The content is on disk already (fsync above).
    ::close(temp.fd);
    return 0;
}

int RemoveLeftoverTemporaries(const std::string& path)
{
    const fs::path target(ResolveWriteTarget(path));
    const std::string prefix = TemporaryPrefix(target.string());
    const std::string redoPrefix = RedoPrefix(target.string());
    std::error_code ec;
    int removed = 0;
    std::vector<std::pair<struct timespec, fs::path>> redos;
    std::vector<int> held;
    for (fs::directory_iterator it(FolderOf(target), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const bool redo = name.compare(0, redoPrefix.size(), redoPrefix) == 0
                          && IsTemporarySuffix(name.substr(std::min(name.size(), redoPrefix.size())));
        if (!redo && (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0
                      || !IsTemporarySuffix(name.substr(prefix.size()))))
            continue;
        // A write in progress holds its temporary; one nobody holds is left
        // over from a write that was cut off.
        int fd = ::open(it->path().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
        } else if (redo) {
            // Held until it has been copied in.
            redos.emplace_back(st.st_mtim, it->path());
            held.push_back(fd);
        } else {
            if (::unlink(it->path().c_str()) == 0)
                ++removed;
            ::close(fd);
        }
    }
    // A write through cut off after its content was safe on disk: the
    // target may hold a mixture, so it gets that content now. Should there
    // be more than one, the newest is copied last.
    std::sort(redos.begin(), redos.end(), [](const auto& a, const auto& b) {
        return std::make_pair(a.first.tv_sec, a.first.tv_nsec) < std::make_pair(b.first.tv_sec, b.first.tv_nsec);
    });
    for (const auto& redo : redos)
        if (FinishWriteThrough(redo.second, target))
            ++removed;
    for (int fd : held)
        ::close(fd);
    return removed;
}

}  // namespace velkaro
