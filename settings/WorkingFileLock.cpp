#include "WorkingFileLock.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "settings/QtText.h"
#include "model/AtomicFile.h"
#include "model/History.h"
#include "text/MessageIds.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkaro {

namespace {

// An empty removal lock younger than this may be one whose holder is still
// writing its first line.
constexpr time_t kFreshSeconds = 60;

// Qt's lock takes a second lock file, the lock's name + ".rmlock", while it
// removes a lock whose holder has ended; a program killed in that moment
// leaves it behind, and nothing else ever removes it. Its holder keeps it
// locked (flock) and names itself in it: process id, program, computer. One
// that nobody locks and whose process on this computer is gone is a
// leftover; one of another computer (a shared folder) is not ours to judge.
void RemoveLeftoverRemovalLock(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return;
    struct stat st {};
    bool leftover = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (leftover) {
        char head[512];
        const ssize_t n = ::pread(fd, head, sizeof head, 0);
        const QList<QByteArray> lines = QByteArray(head, n > 0 ? int(n) : 0).split('\n');
        const qint64 pid = lines.value(0).toLongLong();
        const QByteArray host = lines.value(2);
        if (pid > 0)
            leftover = (host.isEmpty() || QString::fromUtf8(host) == QSysInfo::machineHostName())
                       && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
        else
            leftover = std::time(nullptr) - st.st_mtime > kFreshSeconds;
    }
    if (leftover)
        ::unlink(path.c_str());
    ::close(fd);
}

}  // namespace

CWorkingFileLock::CWorkingFileLock(const std::string& path, const std::string& programName)
    : m_lockPath(ResolveWriteTarget(path) + ".lock")
{
    m_lock = std::make_unique<QLockFile>(QFile::decodeName(m_lockPath.c_str()));
    // The holder runs as long as it likes: only a holder that has ended
    // (its process gone) leaves a lock that may be taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        // What programs cut off on this file left behind, before anyone
        // reads it.
        RemoveLeftoverRemovalLock(m_lockPath + ".rmlock");
        RemoveLeftoversOf(path);
        return;
    }
    if (m_lock->error() != QLockFile::LockFailedError) {
        m_lock.reset();
        return;
    }
    qint64 pid = 0;
    QString host, program;
    m_lock->getLockInfo(&pid, &host, &program);
    m_lock.reset();
    m_message = FormatText(msg::WorkingFileInUse, PathForDisplay(path).c_str(),
                           FromQt(QFileInfo(program).fileName()).c_str(), static_cast<int>(pid),
                           FromQt(host).c_str(), programName.c_str());
}

CWorkingFileLock::~CWorkingFileLock() = default;

}  // namespace velkaro
