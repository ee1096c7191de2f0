#include "carddav/AccountFetch.h"

#include "text/Cp1252.h"
#include "text/MessageIds.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace velkaro {

CAccountFetch::CAccountFetch(DavLogin login, QObject* parent) : QObject(parent), m_client(std::move(login))
{
    connect(&m_client, &CDavClient::addressBooksFound, this, &CAccountFetch::OnBooksFound);
    connect(&m_client, &CDavClient::failed, this, &CAccountFetch::failed);
    connect(&m_client, &CDavClient::fetched, this, [this](FetchResult result) {
        m_results.push_back(std::move(result));
        ++m_next;
        FetchNext();
    });
    connect(&m_client, &CDavClient::progress, this, [this](int done, int total) {
        // The address books before this one count as done.
        const AddressBook& book = m_books[m_next];
        emit progress(done, total, QString::fromStdString(book.displayName.empty() ? book.url : book.displayName));
    });
}

void CAccountFetch::Start(std::vector<std::string> books, std::string only, BookStateOf stateOf)
{
    m_only = std::move(only);
    m_stateOf = std::move(stateOf);
    m_books.clear();
    m_results.clear();
    m_next = 0;
    // The chosen address books need no search, unless one is named by its
    // display name, which only the server knows.
    if (books.empty() || !m_only.empty()) {
        m_client.FindAddressBooks();
        return;
    }
    for (std::string& url : books)
        m_books.push_back({ std::move(url), {} });
    FetchNext();
}

void CAccountFetch::OnBooksFound(const std::vector<AddressBook>& found)
{
    for (const AddressBook& book : found) {
        if (m_only.empty() || book.displayName == m_only || book.url == m_only)
            m_books.push_back(book);
    }
    if (m_books.empty()) {
        emit failed(Outcome(OutcomeKind::BadInput, msg::DavBookNotFound, { Utf8ToAnsi(m_only) }));
        return;
    }
    FetchNext();
}

void CAccountFetch::FetchNext()
{
    if (m_next == m_books.size()) {
        emit finished(std::move(m_results));
        return;
    }
    const std::string& url = m_books[m_next].url;
    BookState state = m_stateOf ? m_stateOf(url) : BookState {};
    m_client.Fetch(url, state.syncToken, state.knownEtags);
}

BookState StateOfBook(const SyncOrigin& origin, const std::string& bookUrl, const std::string& mapping)
{
    BookState state;
    if (origin.mapping != mapping)
        return state;
    if (const OriginBook* book = origin.Book(bookUrl))
        state.syncToken = book->syncToken;
    for (const OriginCard& card : origin.cards) {
        if (card.book == bookUrl)
            state.knownEtags.emplace(card.href, card.etag);
    }
    return state;
}

Outcome FetchAccountNow(const DavLogin& login, const std::vector<std::string>& books, const std::string& only,
                        const BookStateOf& stateOf, std::vector<FetchResult>& results, int* requests)
{
    int argc = 1;
    char name[] = "velkaro";
    char* argv[] = { name, nullptr };
    std::unique_ptr<QCoreApplication> app(QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv));
    CAccountFetch fetch(login);
    QEventLoop loop;
    Outcome outcome;
    QObject::connect(&fetch, &CAccountFetch::finished, &loop, [&](std::vector<FetchResult> fetched) {
        results = std::move(fetched);
        loop.quit();
    });
    QObject::connect(&fetch, &CAccountFetch::failed, &loop, [&](Outcome failure) {
        outcome = std::move(failure);
        loop.quit();
    });
    fetch.Start(books, only, stateOf);
    loop.exec();
    if (requests)
        *requests = fetch.RequestCount();
    return outcome;
}

}  // namespace velkaro
