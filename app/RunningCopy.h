#pragma once

// The copy of the desktop program that already works on a working file is
// asked by a second start (a double-click on a backup in the file manager,
// the menu entry clicked again) to come to the front and to offer the
// backup; the second copy then ends without a word instead of refusing to
// run. They meet on a local socket among the user's runtime files, named
// after the working file's lock, so copies on other working files (another
// data directory) do not meet.

#include <QObject>
#include <QString>

class QLocalServer;

namespace velkaro {

class CRunningCopy : public QObject {
    Q_OBJECT
public:
    explicit CRunningCopy(QObject* parent = nullptr);
    ~CRunningCopy() override;

    // Listens for later starts; the caller holds the working file's lock, so
    // a socket left by a copy that crashed is taken over. False when no
    // socket could be made: the run goes on, later starts are refused as
    // before.
    bool Listen(const QString& lockPath);

    // Asks the copy listening for lockPath to come forward and to offer the
    // backup (an absolute path, or empty). True once it has said it will.
    static bool HandOver(const QString& lockPath, const QString& backup, int timeoutMs = 3000);

    // The socket's path: in the runtime folder, a name from the lock's path.
    static QString SocketPath(const QString& lockPath);

signals:
    // A later start asked for this copy; backup is empty when it gave none.
    void requested(const QString& backup);

private:
    void OnConnection();

    QLocalServer* m_server = nullptr;
};

}  // namespace velkaro
