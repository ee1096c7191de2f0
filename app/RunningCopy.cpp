#include "RunningCopy.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QUrl>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace velkaro {

namespace {

// One line each way: "velkaro-desktop raise" or "velkaro-desktop open
// PATH" (the path percent-encoded, so that any file name fits a line), and
// "ok" back.
constexpr char kGreeting[] = "velkaro-desktop ";
constexpr qint64 kMaxRequest = 16 * 1024;
// A local socket's path, with its terminating zero, fits sun_path.
constexpr int kMaxSocketPath = int(sizeof(sockaddr_un::sun_path));

// The user's own folder that no one else may enter, list or write.
bool IsPrivateFolder(const QByteArray& folder)
{
    struct stat st {};
    return ::stat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()
           && (st.st_mode & 077) == 0;
}

}  // namespace

CRunningCopy::CRunningCopy(QObject* parent)
    : QObject(parent)
{
}

CRunningCopy::~CRunningCopy() = default;

QString CRunningCopy::SocketPath(const QString& lockPath)
{
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(QFile::encodeName(lockPath), QCryptographicHash::Sha1).toHex().left(16));
    auto usable = [](const QString& folder, const QString& name) {
        return IsPrivateFolder(QFile::encodeName(folder)) && QFile::encodeName(folder + name).size() < kMaxSocketPath;
    };
    const QString runtime = QFile::decodeName(qgetenv("XDG_RUNTIME_DIR"));
    const QString name = QStringLiteral("/velkaro-desktop-") + hash;
    if (runtime.startsWith(u'/') && usable(runtime, name))
        return runtime + name;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return QString();
    // Made private from the start; one that is there already is used only
    // when it is as it would have been made.
    QDir().mkpath(cache);
    const QString own = cache + QStringLiteral("/velkaro-desktop");
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    // The folder names the program; the name is short for a long home.
    return usable(own, u'/' + hash) ? own + u'/' + hash : QString();
}

bool CRunningCopy::Listen(const QString& lockPath)
{
    delete m_server;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString path = SocketPath(lockPath);
    if (path.isEmpty()) {
        delete m_server;
        m_server = nullptr;
        return false;
    }
    if (!m_server->listen(path)) {
        // Left by a copy that ended without removing it: this copy holds the
        // lock, so no other one listens there.
        QLocalServer::removeServer(path);
        if (!m_server->listen(path)) {
            delete m_server;
            m_server = nullptr;
            return false;
        }
    }
    connect(m_server, &QLocalServer::newConnection, this, &CRunningCopy::OnConnection);
    return true;
}

void CRunningCopy::OnConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxRequest)
                    socket->abort();
                return;
            }
            const QByteArray line = socket->readLine(kMaxRequest).trimmed();
            if (!line.startsWith(kGreeting)) {
                socket->abort();
                return;
            }
            const QByteArray request = line.mid(int(sizeof kGreeting) - 1);
            QString backup;
            if (request.startsWith("open ")) {
                backup = QUrl::fromPercentEncoding(request.mid(5));
            } else if (request != "raise") {
                socket->abort();
                return;
            }
            socket->write("ok\n");
            socket->flush();
            socket->disconnectFromServer();
            emit requested(backup);
        });
    }
}

bool CRunningCopy::HandOver(const QString& lockPath, const QString& backup, int timeoutMs)
{
    const QString path = SocketPath(lockPath);
    if (path.isEmpty())
        return false;
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    QByteArray request(kGreeting);
    request += backup.isEmpty() ? QByteArray("raise") : "open " + QUrl::toPercentEncoding(backup);
    socket.write(request + '\n');
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    return socket.readLine().trimmed() == "ok";
}

}  // namespace velkaro
