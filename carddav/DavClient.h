#pragma once

// The client side of CardDAV (RFC 6352 over WebDAV, RFC 4918): finding the
// address books of an account from whatever URL the user typed, and fetching
// an address book's vCards, only those that changed where it can (a sync
// token, RFC 6578, or the ETags of what we hold). One operation at a time,
// driven by Qt's network events; the answers come as signals.
//
// Credentials go with every request as HTTP Basic authentication, not only
// after a challenge: the servers all take it, and it saves a round trip per
// request. They also go along a redirect, except one from https to http,
// which is refused. A certificate is always verified; the account may name
// a PEM file of certificates trusted besides the system's.

#include "carddav/Multistatus.h"
#include "carddav/SyncTypes.h"
#include "text/Outcome.h"

#include <QByteArray>
#include <QObject>
#include <QSslConfiguration>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

namespace velkaro {

// Where and as whom to sign in. Texts in UTF-8.
struct DavLogin {
    std::string url;  // as typed: "https://dav.example.org", a principal's or an address book's URL
    std::string user;
    std::string password;
    std::string caFile;  // PEM certificates trusted besides the system's; "" for none
};

class CDavClient : public QObject {
    Q_OBJECT

public:
    explicit CDavClient(DavLogin login, QObject* parent = nullptr);
    ~CDavClient() override;

    // Finds the address books: RFC 6764's well-known URL where the user gave
    // only the server, the user's principal, its address-book home, and the
    // address books in it. Ends in addressBooksFound or failed.
    void FindAddressBooks();
    // Fetches the address book at bookUrl. With a sync token only what
    // changed since (when the server still knows the token); else the list
    // of ETags, and the vCards of those not in knownEtags (href -> ETag of
    // what we hold) or with another ETag there. Ends in fetched or failed.
    void Fetch(const std::string& bookUrl, const std::string& syncToken,
               const std::map<std::string, std::string>& knownEtags);
    // Ends the running operation: failed with a Cancelled outcome.
    void Cancel();

    // The HTTP requests sent so far (a redirect followed counts as one more).
    int RequestCount() const { return m_requests; }
    // How long one request may go without a byte moving; 5 minutes by default, as
    // a server may build the whole answer for ten thousand contacts first.
    void SetTimeout(int milliseconds) { m_timeout = milliseconds; }

signals:
    void addressBooksFound(std::vector<velkaro::AddressBook> books);
    void fetched(velkaro::FetchResult result);
    void failed(velkaro::Outcome outcome);
    // Of the vCards to fetch, how many have arrived.
    void progress(int done, int total);

private:
    struct Answer {
        int status = 0;
        std::string url;  // where the request ended, after redirects
        QByteArray body;
    };
    using Next = void (CDavClient::*)(const Answer&);

    void Begin();
    void Send(const QByteArray& method, const std::string& url, int depth, const QByteArray& body, Next next);
    void Issue();
    void OnFinished();
    bool FollowRedirect(QNetworkReply& reply);
    Outcome NetworkFailure(QNetworkReply& reply) const;
    void Fail(Outcome outcome);
    void FailLater(Outcome outcome);
    bool Refused(const Answer& a, bool forbiddenToo);
    bool ReadMultistatus(const Answer& a, Multistatus& out, bool isBook);

    // Discovery.
    void Probe();
    void OnProbe(const Answer& a);
    void OnPrincipal(const Answer& a);
    void ListHome();
    void OnHome(const Answer& a);

    // Fetching.
    void SyncReport(const std::string& token);
    void OnSync(const Answer& a);
    void ListEtags();
    void OnListing(const Answer& a);
    void Multiget();
    void OnMultiget(const Answer& a);

    DavLogin m_login;
    QNetworkAccessManager* m_network;
    QSslConfiguration m_ssl;
    Outcome m_setupError;
    int m_timeout = 300000;
    int m_requests = 0;
    int m_generation = 0;  // counts operations, so a signal's slot may cancel or start one

    // The request on the way.
    QNetworkReply* m_reply = nullptr;
    QByteArray m_method, m_body;
    std::string m_url;
    int m_depth = -1;
    int m_redirects = 0;
    Next m_next = nullptr;
    QStringList m_sslErrors;
    bool m_answered = false;  // a request of this operation has been answered

    // Discovery.
    std::deque<std::string> m_candidates, m_homeSets;
    Outcome m_probeProblem;
    std::vector<AddressBook> m_books;
    std::set<std::string> m_seenBooks;

    // Fetching.
    std::string m_book, m_bookPath;
    std::map<std::string, std::string> m_known;    // canonical path -> ETag
    std::map<std::string, std::string> m_changed;  // canonical path -> ETag, from a sync report
    std::set<std::string> m_removed;
    std::vector<std::string> m_toFetch;
    std::size_t m_fetchedCount = 0;
    int m_syncRounds = 0;
    FetchResult m_result;
};

// The same operations for the command line, waiting in an event loop of
// their own until the answer is there.
Outcome FindAddressBooksNow(const DavLogin& login, std::vector<AddressBook>& books);
Outcome FetchNow(const DavLogin& login, const std::string& bookUrl, const std::string& syncToken,
                 const std::map<std::string, std::string>& knownEtags, FetchResult& result, int* requests = nullptr);

}  // namespace velkaro
