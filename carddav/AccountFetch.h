#pragma once

// Fetching every address book of an account in one run: the chosen ones, or
// all the server offers when none is chosen (found first), or the one a
// command line names. What was fetched comes back whole or not at all: a
// sync is applied only when every address book was read.

#include "carddav/DavClient.h"
#include "carddav/SyncOrigin.h"
#include "carddav/SyncTypes.h"
#include "text/Outcome.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace velkaro {

// What we hold of an address book from the last sync.
struct BookState {
    std::string syncToken;
    std::map<std::string, std::string> knownEtags;  // href -> ETag
};
using BookStateOf = std::function<BookState(const std::string& bookUrl)>;

// The state of an address book as the origin file keeps it; nothing when the
// cards were made with another mapping (MappingFingerprint), so that every
// contact comes again and is mapped anew.
BookState StateOfBook(const SyncOrigin& origin, const std::string& bookUrl, const std::string& mapping);

class CAccountFetch : public QObject {
    Q_OBJECT

public:
    explicit CAccountFetch(DavLogin login, QObject* parent = nullptr);

    // books: the address books' URLs to fetch; none: every address book the
    // server offers. only: the display name or URL of the one address book
    // to fetch among those (empty: all); none of that name fails with
    // msg::DavBookNotFound. Ends in finished or failed.
    void Start(std::vector<std::string> books, std::string only, BookStateOf stateOf);
    void Cancel() { m_client.Cancel(); }
    int RequestCount() const { return m_client.RequestCount(); }

signals:
    // book: the display name or URL of the address book being fetched.
    void progress(int done, int total, QString book);
    void finished(std::vector<velkaro::FetchResult> results);
    void failed(velkaro::Outcome outcome);

private:
    void OnBooksFound(const std::vector<AddressBook>& found);
    void FetchNext();

    CDavClient m_client;
    std::string m_only;
    BookStateOf m_stateOf;
    std::vector<AddressBook> m_books;
    std::size_t m_next = 0;
    std::vector<FetchResult> m_results;
};

// The same for the command line, waiting in an event loop of its own.
Outcome FetchAccountNow(const DavLogin& login, const std::vector<std::string>& books, const std::string& only,
                        const BookStateOf& stateOf, std::vector<FetchResult>& results, int* requests = nullptr);

}  // namespace velkaro
