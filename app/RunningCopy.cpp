#include "RunningCopy.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QUrl>

namespace velkaro {

namespace {

// One line each way: "velkaro-desktop raise" or "velkaro-desktop open
// PATH" (the path percent-encoded, so that any file name fits a line), and
// "ok" back.
constexpr char kGreeting[] = "velkaro-desktop ";
constexpr qint64 kMaxRequest = 16 * 1024;

}  // namespace

CRunningCopy::CRunningCopy(QObject* parent)
    : QObject(parent)
{
}

CRunningCopy::~CRunningCopy() = default;

QString CRunningCopy::SocketPath(const QString& lockPath)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(lockPath), QCryptographicHash::Sha1).toHex();
    return dir + QStringLiteral("/velkaro-desktop-") + QString::fromLatin1(hash.left(16));
}

bool CRunningCopy::Listen(const QString& lockPath)
{
    delete m_server;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString path = SocketPath(lockPath);
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
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(SocketPath(lockPath));
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
