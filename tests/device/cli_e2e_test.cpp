// The velkaro subcommands of the device link against the simulator.

#include "DeviceTestSupport.h"

#include "model/Archive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace velkaro {
namespace {

using namespace devtest;

std::string CliBinary()
{
    return std::string(VELKARO_BINARY_DIR) + "/cli/velkaro";
}

#define REQUIRE_PROGRAMS()                                                                   \
    do {                                                                                     \
        if (!SimAvailable() || ::access(CliBinary().c_str(), X_OK) != 0)                     \
            GTEST_SKIP() << "velkaro-phone-sim or velkaro is not built in " VELKARO_BINARY_DIR; \
    } while (0)

struct CliRun {
    int status = -1;
    std::string out;
};

// Runs velkaro with the arguments (shell-quoted here) and collects stdout.
CliRun Velkaro(const std::string& args)
{
    CliRun r;
    std::string command = "'" + CliBinary() + "' --lang en " + args + " 2>/dev/null";
    std::FILE* p = ::popen(command.c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

std::string Quote(const std::string& s)
{
    return "'" + s + "'";
}

std::string MakeBook(const std::string& path)
{
    CCardList list;
    for (const char* name : { "Adler", "Meier", "Zorn" }) {
        auto c = std::make_unique<CKarte>();
        c->SetLine(0, name);
        c->SetLine(1, "0441");
        c->edited = 1;
        list.InsertSorted(std::move(c), false);
    }
    EXPECT_TRUE(SaveCardFile(path, list));
    return path;
}

TEST(CliE2E, SendMarksSentCardsAndWritesTheFileBack)
{
    REQUIRE_PROGRAMS();
    Phone phone({}, "cli-send");
    std::string book = MakeBook(phone.Dir() + "/mine.vlx");
    CliRun r = Velkaro("send " + Quote(book) + " --mark-sent --port " + Quote(phone.Device()));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "All cards sent\nNumber of sent cards: 3\n");
    CCardList back;
    ASSERT_TRUE(LoadCardFile(book, back));
    ASSERT_EQ(back.Count(), 3);
    std::string expected = B({ 0x00, 0x0A, 0x00, 0x02 });
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(back.At(i)->edited, 0);
        back.At(i)->EncodeForDevice(expected);
    }
    expected += B({ 0x00, 0x01 });
    phone.Sim().Command("sync");
    EXPECT_EQ(Hex(phone.ProgramBytes()), Hex(expected));

    // Nothing edited is left.
    CliRun again = Velkaro("send " + Quote(book) + " --edited --port " + Quote(phone.Device()));
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.out, "Nothing to send\n");
}

TEST(CliE2E, SendCardAndDial)
{
    REQUIRE_PROGRAMS();
    Phone phone({}, "cli-dial");
    std::string book = MakeBook(phone.Dir() + "/mine.vlx");
    EXPECT_EQ(Velkaro("dial " + Quote(book) + " meier --port " + Quote(phone.Device())).out, "Current card dialled\n");
    CliRun sent = Velkaro("send-card " + Quote(book) + " Zorn --port " + Quote(phone.Device()));
    EXPECT_EQ(sent.status, 0);
    EXPECT_EQ(sent.out, "Current card sent\n");
    EXPECT_EQ(Velkaro("dial " + Quote(book) + " Nobody --port " + Quote(phone.Device())).status, 1);
    phone.Sim().Command("sync");
    EXPECT_EQ(phone.Sim().Status("dials"), 1);
    EXPECT_EQ(phone.Sim().Status("cards"), 1);
    // No speed offer for one card.
    EXPECT_EQ(Hex(phone.ProgramBytes().substr(0, 2)), "00 04");
}

TEST(CliE2E, ReceiveIntoANewFile)
{
    REQUIRE_PROGRAMS();
    std::string dir = simtest::TempDir("cli-receive");
    std::string theirs = MakeBook(dir + "/phone.vlx");
    Phone phone({ "--cards", theirs, "--send-on-start", "--switch-speed" }, "cli-receive");
    std::string mine = dir + "/received.vlx";
    CliRun r = Velkaro("receive --into " + Quote(mine) + " --wait 10 --port " + Quote(phone.Device()));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "3 cards received from Velkaro.\n");
    CCardList got;
    ASSERT_TRUE(LoadCardFile(mine, got));
    ASSERT_EQ(got.Count(), 3);
    EXPECT_EQ(got.At(1)->GetLine(0), "Meier");
}

TEST(CliE2E, ReceiveWithoutATransferEndsAfterTheWait)
{
    REQUIRE_PROGRAMS();
    Phone phone({}, "cli-receive-none");
    CliRun r = Velkaro("receive --into " + Quote(phone.Dir() + "/x.vlx") + " --wait 1 --port " + Quote(phone.Device()));
    EXPECT_EQ(r.status, 1);
}

TEST(CliE2E, CallListSinceADate)
{
    REQUIRE_PROGRAMS();
    std::string dir = simtest::TempDir("cli-calls");
    simtest::WriteWholeFile(dir + "/calls.txt",
                            "20.03.04;10:15;0;0001:23;1;1;0;2;0;0441234567;Meier;1\n"
                            "16.03.04;09:00;0;0000:05;0;1;0;1;1;12;Intern;2\n"
                            "15.03.04;08:00;0;0000:10;1;1;0;1;0;0815;Adler;1\n");
    Phone phone({ "--calllist", dir + "/calls.txt" }, "cli-calls");
    std::string csv = dir + "/out.csv";
    CliRun r = Velkaro("calllist -o " + Quote(csv) + " --since 15.03.2004 --port " + Quote(phone.Device()));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "2 lines of the Call List received from Velkaro.\nAll lines of the Call List saved in file\n" + csv + "\n");
    EXPECT_EQ(simtest::ReadWholeFile(csv),
              "\"16.03.04\";\"09:00\";\"0\";\"0000:05\";\"0\";\"1\";\"0\";\"1\";\"1\";\"12\";\"Intern\";\"2\"\r\n"
              "\"20.03.04\";\"10:15\";\"0\";\"0001:23\";\"1\";\"1\";\"0\";\"2\";\"0\";\"0441234567\";\"Meier\";\"1\"\r\n");

    std::string tab = dir + "/out.tab";
    EXPECT_EQ(Velkaro("calllist -o " + Quote(tab) + " --descending --port " + Quote(phone.Device())).status, 0);
    std::string text = simtest::ReadWholeFile(tab);
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "20.03.04\t10:15\t0\t0001:23\t1\t1\t0\t2\t0\t0441234567\tMeier\t1");
}

TEST(CliE2E, PortOptions)
{
    REQUIRE_PROGRAMS();
    std::string dir = simtest::TempDir("cli-ports");
    std::string book = MakeBook(dir + "/mine.vlx");
    EXPECT_EQ(Velkaro("send " + Quote(book) + " --port COM99").status, 1);
    CliRun none = Velkaro("send " + Quote(book) + " --port " + Quote(dir + "/no-such-device"));
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.out.find("Please choose first the serial port"), std::string::npos);
}

}  // namespace
}  // namespace velkaro
