#include "carddav/Multistatus.h"

#include "support/Files.h"

#include <gtest/gtest.h>

using namespace velkaro;

namespace {

Multistatus Fixture(const std::string& name)
{
    Multistatus ms;
    EXPECT_TRUE(ParseMultistatus(test::ReadAll(std::string(VELKARO_SOURCE_DIR) + "/tests/carddav/fixtures/" + name), ms))
        << name;
    return ms;
}

}  // namespace

TEST(Multistatus, ListingGivesTheBookItsTokenAndEveryCardItsEtag)
{
    for (const char* name : { "radicale_etags.xml", "xandikos_etags.xml" }) {
        Multistatus ms = Fixture(name);
        ASSERT_EQ(ms.responses.size(), 3u) << name;
        const DavResponse& book = ms.responses[0];
        EXPECT_TRUE(book.isCollection && book.isAddressBook) << name;
        EXPECT_FALSE(book.syncToken.empty()) << name;
        for (std::size_t i = 1; i < 3; ++i) {
            const DavResponse& card = ms.responses[i];
            EXPECT_FALSE(card.isCollection) << name;
            EXPECT_EQ(card.etag.front(), '"') << name;
            // The sync-token the cards lack comes in a 404 group and is not taken.
            EXPECT_EQ(card.propStatuses, (std::vector<int> { 200, 404 })) << name;
            EXPECT_TRUE(card.syncToken.empty()) << name;
        }
    }
}

TEST(Multistatus, SyncReportNamesChangedAndRemovedCardsAndTheNewToken)
{
    Multistatus ms = Fixture("radicale_sync.xml");
    EXPECT_EQ(ms.syncToken.rfind("http://radicale.org/ns/sync/", 0), 0u);
    ASSERT_EQ(ms.responses.size(), 2u);
    EXPECT_EQ(ms.responses[0].status, 404);
    EXPECT_EQ(CanonicalPath(ms.responses[0].href), "/alice/book/M%C3%BCller%20Hans%40home.vcf");
    EXPECT_EQ(ms.responses[1].status, 0);
    EXPECT_FALSE(ms.responses[1].etag.empty());

    ms = Fixture("xandikos_sync.xml");  // the token after the responses
    EXPECT_EQ(ms.syncToken.size(), 40u);
    ASSERT_EQ(ms.responses.size(), 1u);
}

TEST(Multistatus, MultigetBringsTheVcardAndMarksMissingOnes)
{
    for (const char* name : { "radicale_multiget.xml", "xandikos_multiget.xml" }) {
        Multistatus ms = Fixture(name);
        ASSERT_EQ(ms.responses.size(), 2u) << name;
        int found = 0;
        for (const auto& r : ms.responses) {
            if (CanonicalPath(r.href).ends_with("/gone.vcf")) {
                EXPECT_EQ(r.status, 404) << name;
                EXPECT_FALSE(r.hasAddressData) << name;
            } else {
                ++found;
                EXPECT_TRUE(r.hasAddressData) << name;
                EXPECT_NE(r.addressData.find("FN:Changed\n"), std::string::npos) << name;
                EXPECT_TRUE(r.addressData.starts_with("BEGIN:VCARD")) << name;
            }
        }
        EXPECT_EQ(found, 1) << name;
    }
}

TEST(Multistatus, EscapedAbsoluteHrefIsReadAsTheUrl)
{
    Multistatus ms = Fixture("xandikos_missing.xml");
    ASSERT_EQ(ms.responses.size(), 1u);
    EXPECT_EQ(ms.responses[0].status, 404);
    EXPECT_EQ(ResolveHref("http://127.0.0.1:52392/user/nobook/", ms.responses[0].href), "http://127.0.0.1:52392/user/nobook/");
}

TEST(Multistatus, NoMultistatusIsRefused)
{
    Multistatus ms;
    for (const char* text : { "", "<html><body>Login</body></html>", "<d:multistatus xmlns:d=\"DAV:\"><d:response>",
                              "<multistatus/>", "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"b\">]><x/>" })
        EXPECT_FALSE(ParseMultistatus(text, ms)) << text;
    EXPECT_TRUE(ParseMultistatus("<d:multistatus xmlns:d=\"DAV:\"/>", ms));
}

TEST(Multistatus, HrefsResolveToOneSpelling)
{
    struct Case {
        const char* base;
        const char* href;
        const char* url;
    };
    const Case cases[] = {
        { "http://h:1/a/b/", "/a/b/c.vcf", "http://h:1/a/b/c.vcf" },
        { "http://h:1/a/b/", "https://Other.example/x/", "https://other.example/x/" },
        { "https://h/a/b/", "c%20d.vcf", "https://h/a/b/c%20d.vcf" },
        { "http://h/a/", "/a/M%c3%bcller%40x.vcf", "http://h/a/M%C3%BCller%40x.vcf" },
        { "http://h/a/", "/a/M\xc3\xbcller@x.vcf", "http://h/a/M%C3%BCller%40x.vcf" },
        { "http://h/a/", "/a/%7Ejo%2Fe.vcf?x=1", "http://h/a/~jo%2Fe.vcf" },
        { "http://h/a/", "http%3a//h%3A8/z/", "http://h:8/z/" },
        { "mailto:x", "/a/", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveHref(c.base, c.href), c.url) << c.base << " + " << c.href;
    EXPECT_EQ(ParseStatusLine("HTTP/1.1 507 Insufficient Storage"), 507);
    EXPECT_EQ(ParseStatusLine("HTTP/1.1 OK"), 0);
}
