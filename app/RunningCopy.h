#pragma once

// The copy of the desktop program that already works on a working file is
// asked by a second start (a double-click on a backup in the file manager,
// the menu entry clicked again) to come to the front and to offer the
// backup; the second copy then ends without a word instead of refusing to
// run. They meet on a local socket named after the working file's lock, so
// copies on other working files (another data directory) do not meet.
//
// The socket lies in a folder only the user can reach: the runtime folder
// when it is the user's own and private, else a folder of the program's
// own in the user's cache folder, made private. A folder in a place others
// may write (the system's temporary folder) would let another local user
// bind the name first and answer in this program's place. Without such a
// folder there is no hand-over: a later start is then refused with the
// usual message and says that its backup was not loaded.

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
    // socket could be made: the run goes on, later starts are refused.
    bool Listen(const QString& lockPath);

    // Asks the copy listening for lockPath to come forward and to offer the
    // backup (an absolute path, or empty). True once it has said it will.
    static bool HandOver(const QString& lockPath, const QString& backup, int timeoutMs = 3000);

    // The socket's path: in the private folder (above), a name from the
    // lock's path. Empty when there is no private folder.
    static QString SocketPath(const QString& lockPath);

signals:
    // A later start asked for this copy; backup is empty when it gave none.
    void requested(const QString& backup);

private:
    void OnConnection();

    QLocalServer* m_server = nullptr;
};

}  // namespace velkaro
