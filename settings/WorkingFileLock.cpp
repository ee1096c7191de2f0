#include "WorkingFileLock.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "settings/QtText.h"
#include "model/AtomicFile.h"
#include "text/MessageIds.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>

namespace velkaro {

CWorkingFileLock::CWorkingFileLock(const std::string& path, const std::string& programName)
    : m_lockPath(ResolveWriteTarget(path) + ".lock")
{
    m_lock = std::make_unique<QLockFile>(QFile::decodeName(m_lockPath.c_str()));
    // The holder runs as long as it likes: only a holder that has ended
    // (its process gone) leaves a lock that may be taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return;
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
