#include "carddav/DavClient.h"

#include "settings/QtText.h"
#include "text/MessageIds.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslError>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace velkaro {

namespace {

constexpr int kMaxRedirects = 10;
constexpr int kBatch = 100;           // vCards asked for in one multiget
constexpr int kMaxSyncRounds = 1000;  // a server that truncates its sync answers for ever
constexpr qint64 kMaxAnswerMb = 256;

const QByteArray kPropfind = "PROPFIND";
const QByteArray kReport = "REPORT";

const char kXmlHead[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
const char kProbeBody[] = "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop>"
                          "<d:resourcetype/><d:displayname/><d:current-user-principal/><c:addressbook-home-set/>"
                          "</d:prop></d:propfind>";
const char kHomeSetBody[] = "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop>"
                            "<c:addressbook-home-set/></d:prop></d:propfind>";
const char kListBooksBody[] = "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:resourcetype/><d:displayname/></d:prop>"
                              "</d:propfind>";
const char kListEtagsBody[] = "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:resourcetype/><d:getetag/><d:sync-token/>"
                              "</d:prop></d:propfind>";

QByteArray Body(const char* xml)
{
    return QByteArray(kXmlHead) + xml;
}

QByteArray XmlEscaped(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toHtmlEscaped().toUtf8();
}

QUrl ToUrl(const std::string& url)
{
    return QUrl::fromEncoded(QByteArray::fromStdString(url), QUrl::TolerantMode);
}

// The server's name as the messages give it: host and port.
std::string Host(const std::string& url)
{
    QUrl u = ToUrl(url);
    QString host = u.host() + (u.port() >= 0 ? QStringLiteral(":%1").arg(u.port()) : QString());
    return FromQt(host.isEmpty() ? QString::fromStdString(url) : host);
}

// The URL the user typed, with https:// where no scheme was typed; "" when
// it names no http(s) server.
std::string TypedUrl(const std::string& typed)
{
    QString text = QString::fromUtf8(typed.data(), static_cast<qsizetype>(typed.size())).trimmed();
    if (!text.contains(QLatin1String("://")))
        text.prepend(QLatin1String("https://"));
    QUrl url = QUrl::fromUserInput(text);
    if (!url.isValid() || url.host().isEmpty() || (url.scheme() != "http" && url.scheme() != "https"))
        return {};
    return ResolveHref(url.toString(QUrl::FullyEncoded | QUrl::RemoveUserInfo).toStdString(), url.path(QUrl::FullyEncoded).toStdString());
}

std::string LastSegment(const std::string& path)
{
    std::string p = path;
    while (!p.empty() && p.back() == '/')
        p.pop_back();
    std::string segment = p.substr(p.rfind('/') + 1);
    return QUrl::fromPercentEncoding(QByteArray::fromStdString(segment)).toStdString();
}

bool ParseAnswer(const auto& answer, Multistatus& out)
{
    return ParseMultistatus(std::string_view(answer.body.constData(), static_cast<std::size_t>(answer.body.size())), out);
}

bool Ok(int status)
{
    return status == 0 || (status >= 200 && status < 300);
}

}  // namespace

CDavClient::CDavClient(DavLogin login, QObject* parent)
    : QObject(parent)
    , m_login(std::move(login))
    , m_network(new QNetworkAccessManager(this))
    , m_ssl(QSslConfiguration::defaultConfiguration())
{
    m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    if (!m_login.caFile.empty()) {
        auto certificates = QSslCertificate::fromPath(QString::fromStdString(m_login.caFile), QSsl::Pem,
                                                      QSslCertificate::PatternSyntax::FixedString);
        if (certificates.isEmpty())
            m_setupError = Outcome(OutcomeKind::BadInput, msg::DavCaFileUnreadable,
                                   { FromQt(QString::fromStdString(m_login.caFile)) });
        m_ssl.addCaCertificates(certificates);
    }
}

CDavClient::~CDavClient()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

// A new operation: whatever ran is dropped without a word.
void CDavClient::Begin()
{
    ++m_generation;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    m_next = nullptr;
    m_answered = false;
    m_candidates.clear();
    m_homeSets.clear();
    m_probeProblem = Outcome();
    m_books.clear();
    m_seenBooks.clear();
    m_known.clear();
    m_changed.clear();
    m_removed.clear();
    m_toFetch.clear();
    m_fetchedCount = 0;
    m_syncRounds = 0;
    m_result = FetchResult();
}

void CDavClient::Cancel()
{
    Begin();
    emit failed(Outcome(OutcomeKind::Cancelled));
}

void CDavClient::Fail(Outcome outcome)
{
    Begin();
    emit failed(std::move(outcome));
}

// A failure found before any request: told from the event loop, as every
// other answer is, so a caller may connect after starting.
void CDavClient::FailLater(Outcome outcome)
{
    int generation = m_generation;
    QTimer::singleShot(0, this, [this, generation, outcome]() {
        if (generation == m_generation)
            Fail(outcome);
    });
}

void CDavClient::Send(const QByteArray& method, const std::string& url, int depth, const QByteArray& body, Next next)
{
    m_method = method;
    m_url = url;
    m_depth = depth;
    m_body = body;
    m_next = next;
    m_redirects = 0;
    Issue();
}

void CDavClient::Issue()
{
    QNetworkRequest request(ToUrl(m_url));
    request.setTransferTimeout(m_timeout);
    request.setSslConfiguration(m_ssl);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray("Velkaro Desktop"));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/xml; charset=utf-8"));
    if (m_depth >= 0)
        request.setRawHeader("Depth", QByteArray::number(m_depth));
    if (!m_login.user.empty()) {
        QByteArray pair = QByteArray::fromStdString(m_login.user + ":" + m_login.password);
        request.setRawHeader("Authorization", "Basic " + pair.toBase64());
    }
    m_sslErrors.clear();
    ++m_requests;
    m_reply = m_network->sendCustomRequest(request, m_method, m_body);
    connect(m_reply, &QNetworkReply::finished, this, &CDavClient::OnFinished);
    connect(m_reply, &QNetworkReply::sslErrors, this, [this](const QList<QSslError>& errors) {
        for (const auto& e : errors)
            m_sslErrors << e.errorString();
    });
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > kMaxAnswerMb * 1024 * 1024)
            Fail(Outcome(OutcomeKind::BadInput, msg::DavAnswerTooLarge, { Host(m_url), static_cast<int>(kMaxAnswerMb) }));
    });
}

void CDavClient::OnFinished()
{
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    reply->disconnect(this);
    // Qt numbers the failures of the connection itself (refused, closed,
    // timed out, TLS) below 200, those of an HTTP answer above.
    QVariant code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!code.isValid() || (reply->error() != QNetworkReply::NoError && reply->error() < 200)) {
        Fail(NetworkFailure(*reply));
        return;
    }
    int status = code.toInt();
    if (status >= 300 && status < 400 && reply->hasRawHeader("Location")) {
        if (FollowRedirect(*reply))
            Issue();
        return;
    }
    m_answered = true;
    Answer answer { status, m_url, reply->readAll() };
    Next next = m_next;
    m_next = nullptr;
    (this->*next)(answer);
}

// Follows the redirect with the same request (a PROPFIND stays one, as
// servers expect of the well-known URL). False when it failed instead.
bool CDavClient::FollowRedirect(QNetworkReply& reply)
{
    QUrl from = ToUrl(m_url);
    QUrl to = from.resolved(QUrl::fromEncoded(reply.rawHeader("Location"), QUrl::TolerantMode));
    std::string target = ResolveHref(m_url, to.toString(QUrl::FullyEncoded).toStdString());
    if (target.empty()) {
        Fail(Outcome(OutcomeKind::BadInput, msg::DavNotWebDav, { Host(m_url) }));
        return false;
    }
    if (from.scheme() == "https" && to.scheme() != "https") {
        Fail(Outcome(OutcomeKind::BadInput, msg::DavInsecureRedirect, { Host(m_url), FromQt(to.toDisplayString()) }));
        return false;
    }
    if (++m_redirects > kMaxRedirects) {
        Fail(Outcome(OutcomeKind::BadInput, msg::DavTooManyRedirects, { Host(m_url) }));
        return false;
    }
    m_url = target;
    return true;
}

Outcome CDavClient::NetworkFailure(QNetworkReply& reply) const
{
    std::string host = Host(m_url);
    switch (reply.error()) {
    case QNetworkReply::SslHandshakeFailedError: {
        QString reason = m_sslErrors.isEmpty() ? reply.errorString() : m_sslErrors.join(QLatin1String("; "));
        return Outcome(OutcomeKind::IoError, msg::DavTlsFailed, { host, FromQt(reason) });
    }
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:  // the transfer timeout; our own aborts never get here
        return Outcome(OutcomeKind::IoError, msg::DavTimeout, { host });
    case QNetworkReply::RemoteHostClosedError:
        return Outcome(OutcomeKind::IoError, msg::DavConnectionLost, { host });
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
        // The server answered a moment ago: it went away in the middle.
        return Outcome(OutcomeKind::IoError, m_answered ? msg::DavConnectionLost : msg::DavUnreachable, { host });
    default:
        return Outcome::Verbatim(OutcomeKind::IoError, FromQt(reply.errorString()));
    }
}

// The answers every step reads the same way: the password refused (and, at
// login, access forbidden), and anything else that is no success.
bool CDavClient::Refused(const Answer& a, bool forbiddenToo)
{
    if (a.status == 401 || (forbiddenToo && a.status == 403)) {
        Fail(Outcome(OutcomeKind::BadInput, msg::DavPasswordRefused, { Host(a.url) }));
        return true;
    }
    return false;
}

// The multistatus of an answer; false after failing. isBook: the request
// went to the address book itself, so "not found" means it is not there.
bool CDavClient::ReadMultistatus(const Answer& a, Multistatus& out, bool isBook)
{
    if (Refused(a, true))
        return false;
    if (a.status == 404 && isBook) {
        Fail(Outcome(OutcomeKind::BadInput, msg::DavBookNotFound, { FromQt(ToUrl(a.url).toDisplayString()) }));
        return false;
    }
    if (a.status >= 400) {
        Fail(Outcome(OutcomeKind::IoError, msg::DavServerError, { Host(a.url), a.status }));
        return false;
    }
    if (a.status != 207 || !ParseAnswer(a, out)) {
        Fail(Outcome(OutcomeKind::BadInput, msg::DavNotWebDav, { Host(a.url) }));
        return false;
    }
    return true;
}

// --- Discovery ------------------------------------------------------------

void CDavClient::FindAddressBooks()
{
    Begin();
    if (!m_setupError) {
        FailLater(m_setupError);
        return;
    }
    std::string url = TypedUrl(m_login.url);
    if (url.empty()) {
        FailLater(Outcome(OutcomeKind::BadInput, msg::DavBadUrl, { FromQt(QString::fromStdString(m_login.url)) }));
        return;
    }
    // A bare server: its well-known URL leads to the user's principal
    // (RFC 6764); many servers also answer on "/" itself.
    if (CanonicalPath(url) == "/")
        m_candidates.push_back(ResolveHref(url, "/.well-known/carddav"));
    m_candidates.push_back(url);
    m_probeProblem = Outcome(OutcomeKind::BadInput, msg::DavNoAddressBooks, { Host(url) });
    Probe();
}

void CDavClient::Probe()
{
    if (m_candidates.empty()) {
        Fail(m_probeProblem);
        return;
    }
    std::string url = m_candidates.front();
    m_candidates.pop_front();
    Send(kPropfind, url, 0, Body(kProbeBody), &CDavClient::OnProbe);
}

// The URL the user gave is an address book, a collection of them (home),
// or leads to the principal; an answer that is none of those leaves the
// next candidate to try.
void CDavClient::OnProbe(const Answer& a)
{
    if (Refused(a, true))
        return;
    Multistatus ms;
    bool read = a.status == 207 && ParseAnswer(a, ms) && !ms.responses.empty();
    int status = read && ms.responses.front().status != 0 ? ms.responses.front().status : a.status;
    if (!read || status == 404) {
        if (status == 404 && m_candidates.empty())
            m_probeProblem = Outcome(OutcomeKind::BadInput, msg::DavBookNotFound, { FromQt(ToUrl(a.url).toDisplayString()) });
        else if (status != 404 && status != 405)
            m_probeProblem = Outcome(OutcomeKind::BadInput, msg::DavNotWebDav, { Host(a.url) });
        Probe();
        return;
    }
    const DavResponse& r = ms.responses.front();
    if (r.isAddressBook) {
        std::string self = ResolveHref(a.url, r.href);
        AddressBook book { self, r.displayName.empty() ? LastSegment(CanonicalPath(self)) : r.displayName };
        Begin();
        emit addressBooksFound({ book });
        return;
    }
    for (const auto& home : r.homeSets)
        m_homeSets.push_back(ResolveHref(a.url, home));
    if (!m_homeSets.empty())
        ListHome();
    else if (!r.principal.empty())
        Send(kPropfind, ResolveHref(a.url, r.principal), 0, Body(kHomeSetBody), &CDavClient::OnPrincipal);
    else
        Probe();
}

void CDavClient::OnPrincipal(const Answer& a)
{
    Multistatus ms;
    if (!ReadMultistatus(a, ms, false))
        return;
    for (const auto& r : ms.responses)
        for (const auto& home : r.homeSets)
            m_homeSets.push_back(ResolveHref(a.url, home));
    if (m_homeSets.empty()) {
        Fail(Outcome(OutcomeKind::BadInput, msg::DavNoAddressBooks, { Host(a.url) }));
        return;
    }
    ListHome();
}

void CDavClient::ListHome()
{
    if (!m_homeSets.empty()) {
        std::string home = m_homeSets.front();
        m_homeSets.pop_front();
        Send(kPropfind, home, 1, Body(kListBooksBody), &CDavClient::OnHome);
        return;
    }
    if (m_books.empty()) {
        Fail(Outcome(OutcomeKind::BadInput, msg::DavNoAddressBooks, { Host(m_url) }));
        return;
    }
    std::vector<AddressBook> books = std::move(m_books);
    Begin();
    emit addressBooksFound(std::move(books));
}

void CDavClient::OnHome(const Answer& a)
{
    Multistatus ms;
    if (!ReadMultistatus(a, ms, false))
        return;
    for (const auto& r : ms.responses) {
        std::string url = ResolveHref(a.url, r.href);
        if (!r.isAddressBook || !Ok(r.status) || !m_seenBooks.insert(url).second)
            continue;
        m_books.push_back({ url, r.displayName.empty() ? LastSegment(CanonicalPath(url)) : r.displayName });
    }
    ListHome();
}

// --- Fetching ---------------------------------------------------------------

void CDavClient::Fetch(const std::string& bookUrl, const std::string& syncToken,
                       const std::map<std::string, std::string>& knownEtags)
{
    Begin();
    if (!m_setupError) {
        FailLater(m_setupError);
        return;
    }
    m_book = TypedUrl(bookUrl);
    if (m_book.empty()) {
        FailLater(Outcome(OutcomeKind::BadInput, msg::DavBadUrl, { FromQt(QString::fromStdString(bookUrl)) }));
        return;
    }
    m_bookPath = CanonicalPath(m_book);
    m_result.book = m_book;
    for (const auto& [href, etag] : knownEtags)
        m_known[CanonicalPath(href)] = etag;
    if (syncToken.empty())
        ListEtags();
    else
        SyncReport(syncToken);
}

void CDavClient::SyncReport(const std::string& token)
{
    QByteArray body = Body("<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>") + XmlEscaped(token)
        + "</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop></d:sync-collection>";
    Send(kReport, m_book, 0, body, &CDavClient::OnSync);
}

// What changed since the token. A server that no longer knows the token
// (403 or 409 with DAV:valid-sync-token), has no sync reports, or fails at
// one otherwise leaves the full listing by ETags.
void CDavClient::OnSync(const Answer& a)
{
    Multistatus ms;
    if (Refused(a, false))
        return;
    if (a.status == 404) {
        ReadMultistatus(a, ms, true);
        return;
    }
    if (a.status != 207 || !ParseAnswer(a, ms)) {
        m_changed.clear();
        m_removed.clear();
        ListEtags();
        return;
    }
    bool truncated = false;
    for (const auto& r : ms.responses) {
        std::string path = CanonicalPath(ResolveHref(a.url, r.href));
        if (path == m_bookPath) {
            truncated = truncated || r.status == 507;  // more to come with the new token
        } else if (r.status == 404) {
            m_changed.erase(path);
            m_removed.insert(path);
        } else if (!r.etag.empty()) {
            m_removed.erase(path);
            auto known = m_known.find(path);
            if (known == m_known.end() || known->second != r.etag)
                m_changed[path] = r.etag;
        }
    }
    if (truncated && !ms.syncToken.empty() && ++m_syncRounds < kMaxSyncRounds) {
        SyncReport(ms.syncToken);
        return;
    }
    m_result.syncToken = ms.syncToken;
    m_result.removed.assign(m_removed.begin(), m_removed.end());
    for (const auto& entry : m_changed)
        m_toFetch.push_back(entry.first);
    Multiget();
}

void CDavClient::ListEtags()
{
    Send(kPropfind, m_book, 1, Body(kListEtagsBody), &CDavClient::OnListing);
}

// Every vCard of the book with its ETag: those we hold with the same ETag
// stay as they are, the others are fetched.
void CDavClient::OnListing(const Answer& a)
{
    Multistatus ms;
    if (!ReadMultistatus(a, ms, true))
        return;
    m_result.complete = true;
    for (const auto& r : ms.responses) {
        std::string path = CanonicalPath(ResolveHref(a.url, r.href));
        if (path == m_bookPath) {
            if (r.status == 404 || (r.isCollection && !r.isAddressBook)) {
                Fail(Outcome(OutcomeKind::BadInput, msg::DavBookNotFound, { FromQt(ToUrl(m_book).toDisplayString()) }));
                return;
            }
            m_result.syncToken = r.syncToken;
            continue;
        }
        if (r.isCollection || !Ok(r.status) || r.etag.empty())
            continue;
        auto known = m_known.find(path);
        if (known != m_known.end() && known->second == r.etag)
            m_result.unchanged.push_back(path);
        else
            m_toFetch.push_back(path);
    }
    Multiget();
}

void CDavClient::Multiget()
{
    if (m_fetchedCount >= m_toFetch.size()) {
        FetchResult result = std::move(m_result);
        Begin();
        emit fetched(std::move(result));
        return;
    }
    QByteArray body = Body("<c:addressbook-multiget xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\">"
                           "<d:prop><d:getetag/><c:address-data/></d:prop>");
    std::size_t end = std::min(m_toFetch.size(), m_fetchedCount + kBatch);
    for (std::size_t i = m_fetchedCount; i < end; ++i)
        body += "<d:href>" + XmlEscaped(m_toFetch[i]) + "</d:href>";
    body += "</c:addressbook-multiget>";
    Send(kReport, m_book, 1, body, &CDavClient::OnMultiget);
}

void CDavClient::OnMultiget(const Answer& a)
{
    Multistatus ms;
    if (!ReadMultistatus(a, ms, true))
        return;
    for (auto& r : ms.responses) {
        std::string path = CanonicalPath(ResolveHref(a.url, r.href));
        if (r.hasAddressData && Ok(r.status))
            m_result.changed.push_back({ path, r.etag, std::move(r.addressData) });
        else if (r.status == 404 && !m_result.complete)
            m_result.removed.push_back(path);  // gone since the sync report
    }
    m_fetchedCount = std::min(m_toFetch.size(), m_fetchedCount + kBatch);
    int generation = m_generation;
    emit progress(static_cast<int>(m_fetchedCount), static_cast<int>(m_toFetch.size()));
    if (generation == m_generation)
        Multiget();
}

// --- Blocking -------------------------------------------------------------

namespace {

// Runs one operation of a client to its end in a local event loop.
Outcome RunNow(CDavClient& client, const std::function<void()>& start)
{
    QEventLoop loop;
    Outcome outcome;
    bool done = false;
    auto finish = [&](Outcome o) {
        outcome = std::move(o);
        done = true;
        loop.quit();
    };
    QObject::connect(&client, &CDavClient::failed, &loop, finish);
    QObject::connect(&client, &CDavClient::addressBooksFound, &loop, [&] { finish(Outcome()); });
    QObject::connect(&client, &CDavClient::fetched, &loop, [&] { finish(Outcome()); });
    start();
    if (!done)
        loop.exec();
    return outcome;
}

}  // namespace

Outcome FindAddressBooksNow(const DavLogin& login, std::vector<AddressBook>& books)
{
    CDavClient client(login);
    QObject::connect(&client, &CDavClient::addressBooksFound, [&books](std::vector<AddressBook> found) {
        books = std::move(found);
    });
    return RunNow(client, [&client] { client.FindAddressBooks(); });
}

Outcome FetchNow(const DavLogin& login, const std::string& bookUrl, const std::string& syncToken,
                 const std::map<std::string, std::string>& knownEtags, FetchResult& result, int* requests)
{
    CDavClient client(login);
    QObject::connect(&client, &CDavClient::fetched, [&result](FetchResult fetched) { result = std::move(fetched); });
    Outcome outcome = RunNow(client, [&] { client.Fetch(bookUrl, syncToken, knownEtags); });
    if (requests)
        *requests = client.RequestCount();
    return outcome;
}

}  // namespace velkaro
