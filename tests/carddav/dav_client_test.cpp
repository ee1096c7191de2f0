#include "DavServers.h"

#include "carddav/DavClient.h"
#include "text/MessageIds.h"

#include <gtest/gtest.h>

#include <QEventLoop>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>

using namespace velkaro;
using namespace velkaro::test;

namespace {

using Etags = std::map<std::string, std::string>;

std::set<std::string> Hrefs(const std::vector<RemoteContact>& contacts)
{
    std::set<std::string> out;
    for (const auto& c : contacts)
        out.insert(c.href);
    return out;
}

class DavClientTest : public ::testing::TestWithParam<DavServerKind> {
protected:
    void SetUp() override
    {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');
        m_server = std::make_unique<DavServer>(GetParam(), std::filesystem::path(std::getenv("VELKARO_TEST_HOME")) / "carddav" / name);
        std::string problem = m_server->Start();
        if (m_server->MissingProgram())
            GTEST_SKIP() << problem;
        ASSERT_EQ(problem, "");
    }

    DavServer& Server() { return *m_server; }
    std::string Card(int n) { return m_server->BookPath() + "u" + std::to_string(n) + ".vcf"; }

    void Seed(int count)
    {
        std::vector<std::pair<std::string, std::string>> cards;
        for (int n = 1; n <= count; ++n)
            cards.emplace_back("u" + std::to_string(n) + ".vcf", SampleCard(n));
        Server().Seed(cards);
    }

    // A fetch run to its end; hook sees the client as it starts.
    struct Run {
        Outcome outcome;
        FetchResult result;
        bool fetched = false;
        int requests = 0;
    };
    Run Fetch(const std::string& token, const Etags& known, const std::function<void(CDavClient&)>& hook = {})
    {
        Run run;
        CDavClient client(Server().Login());
        QEventLoop loop;
        QObject::connect(&client, &CDavClient::fetched, [&](FetchResult r) {
            run.result = std::move(r);
            run.fetched = true;
            loop.quit();
        });
        QObject::connect(&client, &CDavClient::failed, [&](Outcome o) {
            run.outcome = std::move(o);
            loop.quit();
        });
        if (hook)
            hook(client);
        client.Fetch(Server().BookUrl(), token, known);
        loop.exec();
        run.requests = client.RequestCount();
        return run;
    }

    // What we hold after a fetch.
    static void Apply(const FetchResult& r, Etags& known)
    {
        if (r.complete)
            std::erase_if(known, [&r](const auto& e) {
                return std::find(r.unchanged.begin(), r.unchanged.end(), e.first) == r.unchanged.end();
            });
        for (const auto& href : r.removed)
            known.erase(href);
        for (const auto& c : r.changed)
            known[c.href] = c.etag;
    }

private:
    std::unique_ptr<DavServer> m_server;
};

}  // namespace

TEST_P(DavClientTest, DiscoveryFromTheBareServerUrlFindsTheAddressBook)
{
    std::vector<AddressBook> books;
    Outcome outcome = FindAddressBooksNow(Server().Login(), books);
    ASSERT_TRUE(outcome.Ok()) << outcome.Message();
    ASSERT_EQ(books.size(), 1u);
    EXPECT_EQ(books[0].url, Server().BookUrl());
    EXPECT_EQ(books[0].displayName, GetParam() == DavServerKind::Radicale ? "Büro" : "addressbook");

    DavLogin atBook = Server().Login();
    atBook.url = Server().BookUrl();
    books.clear();
    EXPECT_TRUE(FindAddressBooksNow(atBook, books).Ok());
    ASSERT_EQ(books.size(), 1u);
    EXPECT_EQ(books[0].url, Server().BookUrl());
}

TEST_P(DavClientTest, SyncFetchesOnlyWhatChanged)
{
    // xandikos takes seconds for a multiget of a hundred; fewer keep the test short.
    const int count = GetParam() == DavServerKind::Radicale ? 1000 : 300;
    Seed(count);
    Run first = Fetch({}, {});
    ASSERT_TRUE(first.fetched) << first.outcome.Message();
    EXPECT_TRUE(first.result.complete);
    ASSERT_EQ(first.result.changed.size(), static_cast<std::size_t>(count));
    EXPECT_NE(first.result.changed.front().vcard.find("BEGIN:VCARD"), std::string::npos);
    EXPECT_LE(first.requests, 1 + count / 100);  // the listing, multigets of a hundred
    ASSERT_FALSE(first.result.syncToken.empty());
    Etags known;
    Apply(first.result, known);

    for (int n = 1; n <= 5; ++n)
        ASSERT_TRUE(Server().Put("u" + std::to_string(n) + ".vcf", SampleCard(n, " neu")));
    ASSERT_TRUE(Server().Remove("u6.vcf"));
    ASSERT_TRUE(Server().Put("u1001.vcf", SampleCard(1001)));  // a new one

    Run second = Fetch(first.result.syncToken, known);
    ASSERT_TRUE(second.fetched) << second.outcome.Message();
    EXPECT_FALSE(second.result.complete);
    EXPECT_EQ(Hrefs(second.result.changed), (std::set<std::string> { Card(1), Card(2), Card(3), Card(4), Card(5), Card(1001) }));
    EXPECT_EQ(second.result.removed, std::vector<std::string> { Card(6) });
    EXPECT_EQ(second.requests, 2);  // the sync report and one multiget
    for (const auto& c : second.result.changed)
        EXPECT_NE(c.vcard.find(c.href == Card(1001) ? "Person 1001" : " neu"), std::string::npos) << c.href;
    Apply(second.result, known);

    Run idle = Fetch(second.result.syncToken, known);
    ASSERT_TRUE(idle.fetched) << idle.outcome.Message();
    EXPECT_TRUE(idle.result.changed.empty());
    EXPECT_TRUE(idle.result.removed.empty());
    EXPECT_EQ(idle.requests, 1);
}

TEST_P(DavClientTest, WithoutAUsableTokenEtagsBringOnlyWhatChanged)
{
    Seed(150);
    Run first = Fetch({}, {});
    ASSERT_TRUE(first.fetched) << first.outcome.Message();
    Etags known;
    Apply(first.result, known);
    ASSERT_TRUE(Server().Put("u7.vcf", SampleCard(7, " neu")));
    ASSERT_TRUE(Server().Remove("u8.vcf"));

    for (const std::string token : { "", "http://example.org/ns/sync/unknown" }) {
        Run run = Fetch(token, known);
        ASSERT_TRUE(run.fetched) << token << ": " << run.outcome.Message();
        EXPECT_TRUE(run.result.complete) << token;
        EXPECT_EQ(Hrefs(run.result.changed), std::set<std::string> { Card(7) }) << token;
        EXPECT_EQ(run.result.unchanged.size(), 148u) << token;
        EXPECT_FALSE(run.result.syncToken.empty()) << token;
        EXPECT_LE(run.requests, token.empty() ? 2 : 3) << token;
    }
}

TEST_P(DavClientTest, RefusedPasswordAndMissingBookAreTold)
{
    FetchResult result;
    DavLogin login = Server().Login();
    EXPECT_EQ(FetchNow(login, Server().BaseUrl() + "/alice/nobook/", {}, {}, result).MessageId(), msg::DavBookNotFound);
    if (!Server().HasPasswords())
        return;  // xandikos lets everyone in
    login.password = "wrong";
    std::vector<AddressBook> books;
    EXPECT_EQ(FindAddressBooksNow(login, books).MessageId(), msg::DavPasswordRefused);
    EXPECT_EQ(FetchNow(login, Server().BookUrl(), {}, {}, result).MessageId(), msg::DavPasswordRefused);
}

TEST_P(DavClientTest, CancelOrAStoppedServerEndsTheFetchInAFailure)
{
    Seed(250);
    Run cancelled = Fetch({}, {}, [](CDavClient& client) {
        QObject::connect(&client, &CDavClient::progress, [&client] { client.Cancel(); });
    });
    EXPECT_FALSE(cancelled.fetched);
    EXPECT_EQ(cancelled.outcome.Kind(), OutcomeKind::Cancelled);

    Run run = Fetch({}, {}, [this](CDavClient& client) {
        QObject::connect(&client, &CDavClient::progress, [this](int done, int) {
            if (done == 100)
                Server().Stop();
        });
    });
    EXPECT_FALSE(run.fetched);
    EXPECT_EQ(run.outcome.MessageId(), msg::DavConnectionLost) << run.outcome.Message();

    Run later = Fetch({}, {});
    EXPECT_FALSE(later.fetched);
    EXPECT_EQ(later.outcome.MessageId(), msg::DavUnreachable) << later.outcome.Message();
}

INSTANTIATE_TEST_SUITE_P(Servers, DavClientTest, ::testing::Values(DavServerKind::Radicale, DavServerKind::Xandikos),
                         [](const auto& info) {
                             return std::string(info.param == DavServerKind::Radicale ? "Radicale" : "Xandikos");
                         });

TEST(DavClientTls, SelfSignedCertificateIsTrustedOnlyWhenGiven)
{
    std::filesystem::path scratch = std::filesystem::path(std::getenv("VELKARO_TEST_HOME")) / "carddav" / "tls";
    DavServer server(DavServerKind::Radicale, scratch, true);
    std::string problem = server.Start();
    if (server.MissingProgram())
        GTEST_SKIP() << problem;
    ASSERT_EQ(problem, "");
    std::vector<AddressBook> books;
    DavLogin login = server.Login();
    Outcome untrusted = FindAddressBooksNow(login, books);
    EXPECT_EQ(untrusted.MessageId(), msg::DavTlsFailed) << untrusted.Message();
    EXPECT_TRUE(books.empty());

    login.caFile = server.CaFile();
    Outcome trusted = FindAddressBooksNow(login, books);
    ASSERT_TRUE(trusted.Ok()) << trusted.Message();
    EXPECT_EQ(books.size(), 1u);

    login.caFile = (scratch / "none.pem").string();
    EXPECT_EQ(FindAddressBooksNow(login, books).MessageId(), msg::DavCaFileUnreadable);
}
