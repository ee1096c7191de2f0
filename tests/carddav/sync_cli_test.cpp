// `velkaro sync` as a timer runs it: against a real Radicale in scratch, the
// counts it prints, the cards and the origin file it leaves, and a file left
// alone whenever the server could not be read whole.

#include "DavServers.h"

#include "support/CliRunner.h"
#include "tests/device/DeviceTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace velkaro::test {
namespace {

class SyncCliTest : public CliTest {
protected:
    void SetUp() override
    {
        CliTest::SetUp();
        if (IsSkipped())
            return;
        m_server = std::make_unique<DavServer>(DavServerKind::Radicale, dir / "server");
        const std::string problem = m_server->Start();
        if (m_server->MissingProgram())
            GTEST_SKIP() << problem;
        ASSERT_EQ(problem, "");
        const DavLogin login = m_server->Login();
        std::ofstream(dir / "password") << login.password << "\n";
        // Numbers dialled from Germany.
        std::filesystem::create_directories(dir / "home/.config/Velkaro");
        std::ofstream(dir / "home/.config/Velkaro/Velkaro Desktop.ini") << "[Settings]\nHomeCountry=DE\n";
        m_account = "--into '" + (dir / "cards.itx").string() + "' --url " + login.url + " --user " + login.user
            + " --password-file '" + (dir / "password").string() + "'";
        for (int n = 1; n <= 3; ++n)
            ASSERT_TRUE(m_server->Put("u" + std::to_string(n) + ".vcf", SampleCard(n)));
    }

    CliRun Sync(const std::string& more = {}) { return Velkaro("sync " + m_account + more); }
    std::string Cards() { return Velkaro("cards '" + (dir / "cards.itx").string() + "'").out; }

    std::unique_ptr<DavServer> m_server;
    std::string m_account;
};

TEST_F(SyncCliTest, SyncsThenFetchesOnlyWhatChanged)
{
    CliRun run = Sync();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Synced: 3 new, 0 changed, 0 removed, 0 unchanged.\n");
    // The telephone dials the mobile numbers from Germany; the new cards are
    // the edited ones, for "send changed cards".
    EXPECT_NE(Cards().find("{\"edited\":1,\"marked\":0,\"lines\":[\"Person 1\",\"01701000001\"]}"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir / "cards.itx.sync"));

    ASSERT_TRUE(m_server->Put("u2.vcf", SampleCard(2, " Neu")));
    ASSERT_TRUE(m_server->Remove("u3.vcf"));
    run = Sync(" --json");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"counts\":{\"new\":0,\"changed\":1,\"removed\":1,\"unchanged\":1,"), std::string::npos) << run.out;
    EXPECT_NE(Cards().find("Person 2 Neu"), std::string::npos);
    EXPECT_EQ(Cards().find("Person 3"), std::string::npos);
}

TEST_F(SyncCliTest, SendsWhatTheSyncChangedToTheTelephone)
{
    REQUIRE_SIM();
    devtest::Phone phone({}, "sync-send");
    CliRun run = Sync(" --send --port '" + phone.Device() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    phone.Sim().Command("sync");
    EXPECT_EQ(phone.Sim().Status("cards"), 3);
    // Sent, so no longer edited: the next sync sends only what it changes.
    EXPECT_EQ(Cards().find("\"edited\":1"), std::string::npos);
    ASSERT_TRUE(m_server->Put("u2.vcf", SampleCard(2, " Neu")));
    run = Sync(" --send --port '" + phone.Device() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    phone.Sim().Command("sync");
    EXPECT_EQ(phone.Sim().Status("cards"), 4);
}

// The sync's send marks the cards as sent only when the line showed the
// telephone: on a line nobody reads they stay edited.
TEST_F(SyncCliTest, SendToALineNobodyReadsKeepsTheCardsEdited)
{
    devtest::PtyPair pty;
    CliRun run = Sync(" --send --port '" + pty.Device() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("nothing on the line confirmed"), std::string::npos) << run.out;
    EXPECT_NE(Cards().find("\"edited\":1"), std::string::npos);
}

TEST_F(SyncCliTest, ADryRunChangesNothing)
{
    CliRun run = Sync(" --dry-run");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "The sync would give: 3 new, 0 changed, 0 removed, 0 unchanged (nothing changed).\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "cards.itx"));
    EXPECT_FALSE(std::filesystem::exists(dir / "cards.itx.sync"));
}

TEST_F(SyncCliTest, AFailureLeavesTheCardsAsTheyWere)
{
    ASSERT_EQ(Sync().status, 0);
    const std::string before = ReadAll(dir / "cards.itx");
    ASSERT_TRUE(m_server->Put("u4.vcf", SampleCard(4)));

    std::ofstream(dir / "password") << "wrong\n";
    CliRun run = Sync();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("refused"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");

    m_server->Stop();
    run = Sync();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot be reached"), std::string::npos) << run.err;
    EXPECT_EQ(ReadAll(dir / "cards.itx"), before);
}

TEST_F(SyncCliTest, AVCardTheReaderRefusesIsNamedAndTheOthersSynced)
{
    // xandikos serves what its store holds, even a vCard without its BEGIN.
    DavServer server(DavServerKind::Xandikos, dir / "xandikos");
    const std::string problem = server.Start();
    if (server.MissingProgram())
        GTEST_SKIP() << problem;
    ASSERT_EQ(problem, "");
    server.Seed({ { "broken.vcf", "VERSION:3.0\r\nFN:Kaputt\r\n" },
                  { "u1.vcf", SampleCard(1) } });
    const CliRun run = Velkaro("sync --into '" + (dir / "cards.itx").string() + "' --url " + server.BookUrl()
                               + " --user x --password-file '" + (dir / "password").string() + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Synced: 1 new, 0 changed, 0 removed, 0 unchanged.\n");
    EXPECT_NE(run.err.find("broken.vcf"), std::string::npos) << run.err;
    EXPECT_NE(Cards().find("Person 1"), std::string::npos);
}

TEST_F(SyncCliTest, MistakesInTheCommandLineTouchNothing)
{
    for (const std::string& args : { "sync " + m_account + " --dry-run --send", "sync " + m_account + " --port /dev/null",
                                    std::string("sync --url ftp://example.org --user hans") }) {
        const CliRun run = Velkaro(args);
        EXPECT_EQ(run.status, 2) << args << ": " << run.err;
        EXPECT_EQ(run.out, "") << args;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "cards.itx"));
}

}  // namespace
}  // namespace velkaro::test
