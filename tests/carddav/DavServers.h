#pragma once

// Real CardDAV servers for the client's tests: Radicale (htpasswd sign-in,
// address book made with an extended MKCOL) and xandikos (no sign-in; its
// --defaults make a principal and an address book), each a child process
// on 127.0.0.1 with its storage, HOME and XDG folders in the test's scratch
// folder; Radicale also on https. vCards go onto them by HTTP, or by the thousand straight into
// their storage.

#include "carddav/DavClient.h"

#include <QProcess>

#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

class QCoreApplication;

namespace velkaro::test {

QCoreApplication& DavApp();

// A blocking HTTP request for the fixtures (to their own servers, whatever
// certificate they show); the status, 0 when no server answered.
int HttpRequest(const std::string& method, const std::string& url, const std::string& body,
                const std::string& contentType, const std::string& user = {}, const std::string& password = {});

enum class DavServerKind { Radicale, Xandikos };

inline void PrintTo(DavServerKind kind, std::ostream* out)
{
    *out << (kind == DavServerKind::Radicale ? "Radicale" : "xandikos");
}

class DavServer {
public:
    // tls: Radicale on https with a self-signed certificate (CaFile()).
    DavServer(DavServerKind kind, std::filesystem::path scratch, bool tls = false);
    ~DavServer();

    // Starts the server and waits until it answers: "" then, else why not.
    // A missing program is told by MissingProgram().
    std::string Start();
    bool MissingProgram() const { return m_missing; }
    void Stop();

    const char* Name() const { return m_kind == DavServerKind::Radicale ? "Radicale" : "xandikos"; }
    std::string BaseUrl() const;
    std::string BookUrl() const;  // with a trailing slash
    std::string BookPath() const;
    bool HasPasswords() const { return m_kind == DavServerKind::Radicale; }
    DavLogin Login() const;
    std::string CaFile() const { return (m_dir / "cert.pem").string(); }

    // One vCard over HTTP (name: "u7.vcf"); true when the server took it.
    bool Put(const std::string& name, const std::string& vcard);
    bool Remove(const std::string& name);
    // Many vCards at once, straight into the server's storage.
    void Seed(const std::vector<std::pair<std::string, std::string>>& cards);

private:
    std::string ConfigureRadicale();

    DavServerKind m_kind;
    std::filesystem::path m_dir;
    int m_port = 0;
    bool m_missing = false;
    bool m_tls = false;
    QProcess m_process;
};

// A small vCard: "Person <n>" with a mobile number; extra makes it differ.
std::string SampleCard(int n, const std::string& extra = {});

}  // namespace velkaro::test
