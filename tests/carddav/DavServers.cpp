#include "DavServers.h"

#include "support/Files.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>
#include <QTimer>

namespace velkaro::test {

namespace {

const std::string kUser = "alice";
const std::string kPassword = "secret";

int FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QString Path(const std::filesystem::path& p)
{
    return QString::fromStdString(p.string());
}

}  // namespace

QCoreApplication& DavApp()
{
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "velkaro_carddav_tests";
        static char* argv[] = { name, nullptr };
        new QCoreApplication(argc, argv);  // lives as long as the test program
    }
    return *QCoreApplication::instance();
}

int HttpRequest(const std::string& method, const std::string& url, const std::string& body,
                const std::string& contentType, const std::string& user, const std::string& password)
{
    DavApp();
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl::fromEncoded(QByteArray::fromStdString(url)));
    request.setTransferTimeout(10000);
    if (!contentType.empty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray::fromStdString(contentType));
    if (!user.empty())
        request.setRawHeader("Authorization", "Basic " + QByteArray::fromStdString(user + ":" + password).toBase64());
    QNetworkReply* reply = network.sendCustomRequest(request, QByteArray::fromStdString(method),
                                                     QByteArray::fromStdString(body));
    reply->ignoreSslErrors();
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    delete reply;
    return status;
}

DavServer::DavServer(DavServerKind kind, std::filesystem::path scratch, bool tls)
    : m_kind(kind), m_dir(std::move(scratch)), m_tls(tls && kind == DavServerKind::Radicale)
{
}

DavServer::~DavServer()
{
    Stop();
}

std::string DavServer::Start()
{
    DavApp();
    const QString program = m_kind == DavServerKind::Radicale ? "radicale" : "xandikos";
    QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        m_missing = true;
        return program.toStdString() + " is not installed (scripts/install-test-deps.sh installs it)";
    }
    std::filesystem::create_directories(m_dir / "home");
    m_port = FreePort();
    QStringList args;
    if (m_kind == DavServerKind::Radicale) {
        std::string problem = ConfigureRadicale();
        if (!problem.empty())
            return problem;
        args << "--config" << Path(m_dir / "radicale.conf");
    } else {
        args << "--defaults" << "-d" << Path(m_dir / "xandikos") << "-l" << "127.0.0.1" << "-p"
             << QString::number(m_port);
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* var : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" })
        env.insert(var, Path(m_dir / "home"));
    env.insert("XDG_CONFIG_DIRS", Path(m_dir / "home" / "etc-xdg"));
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(Path(m_dir / "server.log"));
    m_process.start(path, args);
    if (!m_process.waitForStarted(5000))
        return program.toStdString() + " did not start";
    for (int i = 0; i < 150; ++i) {
        if (HttpRequest("OPTIONS", BaseUrl() + "/", {}, {}) != 0)
            break;
        if (m_process.state() != QProcess::Running)
            return program.toStdString() + " ended at once";
        QThread::msleep(100);
    }
    if (m_kind == DavServerKind::Radicale) {
        const std::string mkcol = "<?xml version=\"1.0\"?><d:mkcol xmlns:d=\"DAV:\" "
                                  "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:set><d:prop><d:resourcetype>"
                                  "<d:collection/><c:addressbook/></d:resourcetype><d:displayname>Büro</d:displayname>"
                                  "</d:prop></d:set></d:mkcol>";
        if (HttpRequest("MKCOL", BookUrl(), mkcol, "application/xml", kUser, kPassword) != 201)
            return "Radicale made no address book";
    }
    return {};
}

// Radicale's users, configuration, and with TLS a self-signed certificate.
std::string DavServer::ConfigureRadicale()
{
    WriteAll(m_dir / "users", kUser + ":" + kPassword + "\n");
    std::string tls;
    if (m_tls) {
        QProcess openssl;
        openssl.setStandardOutputFile(QProcess::nullDevice());
        openssl.setStandardErrorFile(QProcess::nullDevice());
        openssl.start("openssl", { "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
                                   "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", Path(m_dir / "key.pem"), "-out",
                                   Path(m_dir / "cert.pem") });
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
            return "openssl made no certificate";
        tls = "ssl = True\ncertificate = " + CaFile() + "\nkey = " + (m_dir / "key.pem").string() + "\n";
    }
    WriteAll(m_dir / "radicale.conf", "[server]\nhosts = 127.0.0.1:" + std::to_string(m_port) + "\n" + tls
                 + "[auth]\ntype = htpasswd\nhtpasswd_filename = " + (m_dir / "users").string()
                 + "\nhtpasswd_encryption = plain\n[storage]\nfilesystem_folder = " + (m_dir / "collections").string()
                 + "\n[logging]\nlevel = warning\n");
    return {};
}

void DavServer::Stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

std::string DavServer::BaseUrl() const
{
    return (m_tls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(m_port);
}

std::string DavServer::BookPath() const
{
    return m_kind == DavServerKind::Radicale ? "/alice/book/" : "/user/contacts/addressbook/";
}

std::string DavServer::BookUrl() const
{
    return BaseUrl() + BookPath();
}

DavLogin DavServer::Login() const
{
    return { BaseUrl(), kUser, kPassword, {} };
}

bool DavServer::Put(const std::string& name, const std::string& vcard)
{
    int status = HttpRequest("PUT", BookUrl() + name, vcard, "text/vcard; charset=utf-8", kUser, kPassword);
    return status == 201 || status == 204;
}

bool DavServer::Remove(const std::string& name)
{
    int status = HttpRequest("DELETE", BookUrl() + name, {}, {}, kUser, kPassword);
    return status == 200 || status == 204;
}

void DavServer::Seed(const std::vector<std::pair<std::string, std::string>>& cards)
{
    if (m_kind == DavServerKind::Radicale) {
        // Radicale reads its folders afresh; a file put there is an item.
        for (const auto& [name, vcard] : cards)
            WriteAll(m_dir / "collections" / "collection-root" / "alice" / "book" / name, vcard);
        return;
    }
    // xandikos serves a git repository: what is committed is there.
    std::filesystem::path repo = m_dir / "xandikos" / "user" / "contacts" / "addressbook";
    for (const auto& [name, vcard] : cards)
        WriteAll(repo / name, vcard);
    QProcess git;
    git.setWorkingDirectory(Path(repo));
    git.setProcessEnvironment(m_process.processEnvironment());
    git.start("git", { "add", "." });
    git.waitForFinished(30000);
    git.start("git", { "-c", "user.name=Test", "-c", "user.email=test@example.org", "commit", "-q", "-m", "seed" });
    git.waitForFinished(30000);
}

std::string SampleCard(int n, const std::string& extra)
{
    std::string id = std::to_string(n);
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u" + id + "\r\nFN:Person " + id + extra + "\r\nN:Person " + id + extra
        + ";;;;\r\nTEL;TYPE=CELL:+49 170 " + std::to_string(1000000 + n) + "\r\nEND:VCARD\r\n";
}

}  // namespace velkaro::test
