// The velkaro subcommands of the device link against the simulator.

#include "tests/device/DeviceTestSupport.h"

#include "model/Archive.h"
#include "model/History.h"
#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <thread>
#include <tuple>
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
    std::string err;
};

// Runs velkaro with the arguments (shell-quoted here) and collects both
// streams. A program that hangs is ended after a minute (status 124).
CliRun Velkaro(const std::string& args)
{
    CliRun r;
    static int runs = 0;
    std::string errFile = simtest::TempDir("cli-stderr") + "/err" + std::to_string(++runs);
    std::string command = "timeout 60 '" + CliBinary() + "' --lang en " + args + " 2>'" + errFile + "'";
    std::FILE* p = ::popen(command.c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.err = simtest::ReadWholeFile(errFile);
    return r;
}

std::string Quote(const std::string& s)
{
    return "'" + s + "'";
}

// The card of the field names: the telephone sends it among the cards, the
// user does not count it as one.
void AddFieldNames(CCardList& list)
{
    auto names = std::make_unique<CKarte>();
    names->SetLine(0, ReservedName());
    names->SetLine(1, "Handy");
    list.SetFieldNames(std::move(names));
}

std::string MakeBook(const std::string& path, bool fieldNames = false)
{
    CCardList list;
    for (const char* name : { "Adler", "Meier", "Zorn" }) {
        auto c = std::make_unique<CKarte>();
        c->SetLine(0, name);
        c->SetLine(1, "0441");
        c->SetEditedByte(1);
        list.InsertSorted(std::move(c), false);
    }
    if (fieldNames)
        AddFieldNames(list);
    EXPECT_TRUE(SaveCardFile(path, list));
    return path;
}

TEST(CliE2E, SendMarksSentCardsAndWritesTheFileBack)
{
    REQUIRE_PROGRAMS();
    Phone phone({}, "cli-send");
    std::string book = MakeBook(phone.Dir() + "/mine.vlx", true);
    CliRun r = Velkaro("send " + Quote(book) + " --mark-sent --port " + Quote(phone.Device()));
    EXPECT_EQ(r.status, 0);
    // The field names go out last but are not counted.
    EXPECT_EQ(r.out, "All cards sent\nNumber of sent cards: 3\n");
    CCardList back;
    ASSERT_TRUE(LoadCardFile(book, back));
    ASSERT_EQ(back.Count(), 3);
    ASSERT_NE(back.FieldNames(), nullptr);
    std::string expected = B({ 0x00, 0x0A, 0x00, 0x02 });
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(back.At(i)->EditedByte(), 0);
        back.At(i)->EncodeForDevice(expected);
    }
    back.FieldNames()->EncodeForDevice(expected);
    expected += B({ 0x00, 0x01 });
    phone.Sim().Command("sync");
    EXPECT_EQ(Hex(phone.ProgramBytes()), Hex(expected));

    // Nothing edited is left.
    CliRun again = Velkaro("send " + Quote(book) + " --edited --port " + Quote(phone.Device()));
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(again.err, "velkaro: Nothing to send\n");
}

// Nobody reads the line: the cards go out, the result says that nothing
// confirmed them, and only --mark-sent (the user vouching) clears the marks.
TEST(CliE2E, SendWithNobodyListening)
{
    REQUIRE_PROGRAMS();
    const std::string dir = simtest::TempDir("cli-nobody");
    const std::string book = MakeBook(dir + "/mine.vlx");
    for (bool markSent : { false, true }) {
        PtyPair pty;
        CliRun r = Velkaro("send " + Quote(book) + (markSent ? " --mark-sent" : "") + " --port " + Quote(pty.Device()));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "Cards sent, but nothing on the line confirmed that the telephone received them.\n"
                         "Number of sent cards: 3\n");
        CCardList back;
        ASSERT_TRUE(LoadCardFile(book, back));
        ASSERT_EQ(back.Count(), 3);
        EXPECT_EQ(back.At(0)->EditedByte(), markSent ? 0 : 1) << markSent;
    }
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

// Each command does its work on the line and then cannot tell it: standard
// output on a full disk or closed is a failure, with the reason.
TEST(CliE2E, AReportThatCannotBePrintedIsAFailure)
{
    REQUIRE_PROGRAMS();
    std::string dir = simtest::TempDir("cli-no-output");
    std::string theirs = MakeBook(dir + "/phone.vlx");
    const std::vector<std::pair<std::string, std::vector<std::string>>> commands {
        { "send BOOK", {} }, { "send-card BOOK Meier", {} }, { "dial BOOK Meier", {} },
        { "receive --into " + Quote(dir + "/new.vlx") + " --wait 10", { "--cards", theirs, "--send-on-start" } },
        { "calllist -o " + Quote(dir + "/calls.csv"), {} },
    };
    int n = 0;
    for (const char* redirection : { ">/dev/full", ">&-" }) {
        for (const auto& [command, options] : commands) {
            Phone phone(options, "cli-no-output-" + std::to_string(++n));
            std::string args = command;
            if (args.find("BOOK") != std::string::npos)
                args.replace(args.find("BOOK"), 4, Quote(MakeBook(phone.Dir() + "/mine.vlx")));
            test::CliRun r = test::RunCli(dir, args + " --port " + Quote(phone.Device()), {}, redirection);
            EXPECT_EQ(r.status, 1) << command << ' ' << redirection << ": " << r.err;
            EXPECT_NE(r.err.find("velkaro: cannot write standard output: "), std::string::npos)
                << command << ' ' << redirection << ": " << r.err;
        }
    }
}

TEST(CliE2E, ReceiveIntoANewFile)
{
    REQUIRE_PROGRAMS();
    std::string dir = simtest::TempDir("cli-receive");
    std::string theirs = MakeBook(dir + "/phone.vlx", true);
    Phone phone({ "--cards", theirs, "--send-on-start", "--switch-speed" }, "cli-receive");
    std::string mine = dir + "/received.vlx";
    CliRun r = Velkaro("receive --into " + Quote(mine) + " --wait 10 --port " + Quote(phone.Device()));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "3 cards received from Velkaro.\n");
    CCardList got;
    ASSERT_TRUE(LoadCardFile(mine, got));
    ASSERT_EQ(got.Count(), 3);
    EXPECT_EQ(got.At(1)->GetLine(0), "Meier");
    EXPECT_NE(got.FieldNames(), nullptr);
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

    // Standard output takes the same list, and nothing else.
    CliRun piped = Velkaro("calllist -o - --since 15.03.2004 --port " + Quote(phone.Device()));
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.out, simtest::ReadWholeFile(csv));

    std::string tab = dir + "/out.tab";
    EXPECT_EQ(Velkaro("calllist -o " + Quote(tab) + " --descending --port " + Quote(phone.Device())).status, 0);
    std::string text = simtest::ReadWholeFile(tab);
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "20.03.04\t10:15\t0\t0001:23\t1\t1\t0\t2\t0\t0441234567\tMeier\t1");
}

// Calls listed without a name take the cards' names with --names-from,
// numbers compared as dialled from the home country: the option, the
// setting, then the locale. Without it the file is as the telephone sent it.
TEST(CliE2E, CallListNamesFromTheCards)
{
    REQUIRE_PROGRAMS();
    std::string dir = simtest::TempDir("cli-call-names");
    simtest::WriteWholeFile(dir + "/calls.txt",
                            "20.03.04;10:15;0;0001:23;1;1;0;2;0;0441234567;;1\n"
                            "18.03.04;10:00;0;0000:30;0;1;0;1;0;0041317654321;;1\n"
                            "16.03.04;09:00;0;0000:05;0;1;0;1;1;12;Intern;2\n"
                            "15.03.04;08:00;0;0000:10;1;1;0;1;0;0215550000;;1\n");
    CCardList cards;
    for (auto [name, number] : { std::pair{ "Meier Hans", "+41 44 123 45 67" }, std::pair{ "Amt Bern", "031 765 43 21" },
                                 std::pair{ "Empfang", "12" } }) {
        auto c = std::make_unique<CKarte>();
        c->SetLine(0, name);
        c->SetLine(1, number);
        cards.InsertSorted(std::move(c), false);
    }
    const std::string book = dir + "/karten.itx";
    ASSERT_TRUE(SaveCardFile(book, cards));
    const std::string asSent = "\"15.03.04\";\"08:00\";\"0\";\"0000:10\";\"1\";\"1\";\"0\";\"1\";\"0\";\"0215550000\";\"\";\"1\"\r\n"
                               "\"16.03.04\";\"09:00\";\"0\";\"0000:05\";\"0\";\"1\";\"0\";\"1\";\"1\";\"12\";\"Intern\";\"2\"\r\n"
                               "\"18.03.04\";\"10:00\";\"0\";\"0000:30\";\"0\";\"1\";\"0\";\"1\";\"0\";\"0041317654321\";\"\";\"1\"\r\n"
                               "\"20.03.04\";\"10:15\";\"0\";\"0001:23\";\"1\";\"1\";\"0\";\"2\";\"0\";\"0441234567\";\"\";\"1\"\r\n";
    std::string named = asSent;
    named.replace(named.find("\"0041317654321\";\"\"") + 16, 2, "\"Amt Bern\"");
    named.replace(named.find("\"0441234567\";\"\"") + 13, 2, "\"Meier Hans\"");

    Phone phone({ "--calllist", dir + "/calls.txt" }, "cli-call-names");
    const std::string port = " --port " + Quote(phone.Device());
    auto run = [&](const std::string& name, const std::string& options, const std::string& environment = {}) {
        const std::string out = dir + "/" + name + ".csv";
        auto r = test::RunCli(dir, "--lang en calllist -o " + Quote(out) + options + port, environment);
        EXPECT_EQ(r.status, 0) << name << ": " << r.err;
        return std::pair{ simtest::ReadWholeFile(out), r.out };
    };

    EXPECT_EQ(run("plain", "").first, asSent);
    auto [swiss, said] = run("swiss", " --names-from " + Quote(book) + " --home-country CH");
    EXPECT_EQ(swiss, named);
    EXPECT_NE(said.find("2 names taken from the cards."), std::string::npos) << said;
    // From Germany neither number is the cards'.
    auto [german, saidGerman] = run("german", " --names-from " + Quote(book) + " --home-country de");
    EXPECT_EQ(german, asSent);
    EXPECT_NE(saidGerman.find("0 names taken from the cards."), std::string::npos) << saidGerman;
    // The locale's country, and the setting before it.
    EXPECT_EQ(run("locale", " --names-from " + Quote(book), "LC_ALL=de_CH.UTF-8").first, named);
    const std::string ini = dir + "/home/.config/Velkaro/Velkaro Desktop.ini";
    std::filesystem::create_directories(std::filesystem::path(ini).parent_path());
    simtest::WriteWholeFile(ini, "[Settings]\nHomeCountry=CH\n");
    EXPECT_EQ(run("setting", " --names-from " + Quote(book), "LC_ALL=de_DE.UTF-8").first, named);
    EXPECT_EQ(run("setting-plain", "", "LC_ALL=de_DE.UTF-8").first, asSent);

    // Wrong options end before the telephone is asked.
    const std::string nowhere = " --port " + Quote(dir + "/no-such-device");
    for (const std::string& options : { std::string(" --names-from ") + Quote(book) + " --home-country Schweiz",
                                        std::string(" --home-country CH") }) {
        auto r = test::RunCli(dir, "calllist -o " + Quote(dir + "/x.csv") + options + nowhere);
        EXPECT_EQ(r.status, 2) << options;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("--home-country"), std::string::npos) << r.err;
    }
    auto missing = test::RunCli(dir, "calllist -o " + Quote(dir + "/x.csv") + " --names-from " + Quote(dir + "/none.itx")
                                         + nowhere);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.itx"), std::string::npos) << missing.err;
    EXPECT_EQ(missing.err.find("no-such-device"), std::string::npos) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(dir + "/x.csv"));
}

TEST(CliE2E, PortOptions)
{
    REQUIRE_PROGRAMS();
    std::string dir = simtest::TempDir("cli-ports");
    std::string book = MakeBook(dir + "/mine.vlx");
    // No port chosen anywhere: the command line's own hint, not the menus'.
    CliRun unset = Velkaro("send " + Quote(book));
    EXPECT_EQ(unset.status, 1);
    EXPECT_EQ(unset.out, "");
    EXPECT_NE(unset.err.find("--port"), std::string::npos) << unset.err;
    EXPECT_EQ(unset.err.find("menu"), std::string::npos) << unset.err;
    CliRun bad = Velkaro("send " + Quote(book) + " --port COM99");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("--port"), std::string::npos);
    // A device that does not open: the message names it; nothing of the
    // desktop's menus, nothing on standard output.
    std::string device = dir + "/no-such-device";
    for (const char* command : { "send BOOK", "send-card BOOK Meier", "dial BOOK Meier", "receive --into BOOK --wait 1",
                                 "calllist -o OUT.csv" }) {
        std::string args = command;
        args.replace(args.find(args.find("BOOK") != std::string::npos ? "BOOK" : "OUT"),
                     args.find("BOOK") != std::string::npos ? 4 : 3,
                     args.find("BOOK") != std::string::npos ? Quote(book) : Quote(dir + "/out"));
        CliRun none = Velkaro(args + " --port " + Quote(device));
        EXPECT_EQ(none.status, 1) << command;
        EXPECT_EQ(none.out, "") << command;
        EXPECT_NE(none.err.find(device), std::string::npos) << command << ": " << none.err;
        EXPECT_EQ(none.err.find("COM"), std::string::npos) << command << ": " << none.err;
        EXPECT_EQ(none.err.find("menu"), std::string::npos) << command << ": " << none.err;
    }
}

// Usage errors end with status 2 before any port is opened: the device here
// would not open, and no message about it may come.
TEST(CliE2E, UsageErrorsComeBeforeThePort)
{
    REQUIRE_PROGRAMS();
    std::string dir = simtest::TempDir("cli-usage");
    std::string book = MakeBook(dir + "/mine.vlx");
    std::string port = " --port " + Quote(dir + "/no-such-device");
    for (const std::string& args : std::vector<std::string> {
             "calllist -o " + Quote(dir + "/calls.csv") + " --since 32.13.2020", "calllist -o " + Quote(dir + "/calls.csv")
               + " --since 29.02.2021",
           "calllist -o " + Quote(dir + "/calls.doc"), "calllist", "receive --into " + Quote(book) + " --wait soon",
           "receive", "send", "send-card " + Quote(book), "dial " + Quote(book) + " Meier extra" }) {
        CliRun r = Velkaro(args + port);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_FALSE(r.err.empty()) << args;
        EXPECT_EQ(r.err.find("no-such-device"), std::string::npos) << args << ": " << r.err;
    }
}

// A telephone that does not answer, answers with an empty list or has its
// transfers locked: calllist ends, with the reason on standard error and
// status 1, and writes no file.
TEST(CliE2E, CallListFailuresEndWithTheirReason)
{
    REQUIRE_PROGRAMS();
    std::string dir = simtest::TempDir("cli-calls-fail");
    std::string out = dir + "/calls.csv";
    {
        PtyPair silent;
        CliRun r = Velkaro("calllist -o " + Quote(out) + " --port " + Quote(silent.Device()));
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("No answer from Velkaro"), std::string::npos) << r.err;
    }
    {
        simtest::WriteWholeFile(dir + "/none.txt", "# no calls\n");
        Phone phone({ "--calllist", dir + "/none.txt" }, "cli-calls-empty");
        CliRun r = Velkaro("calllist -o " + Quote(out) + " --port " + Quote(phone.Device()));
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "velkaro: The call list of Velkaro is empty.\n");
    }
    {
        Phone phone({ "--locked" }, "cli-calls-locked");
        CliRun r = Velkaro("calllist -o " + Quote(out) + " --port " + Quote(phone.Device()));
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("blocked in Velkaro"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

// The manual's own example saves the call list as a spreadsheet.
TEST(CliE2E, CallListAsSpreadsheet)
{
    REQUIRE_PROGRAMS();
    std::string dir = simtest::TempDir("cli-calls-xls");
    Phone phone({}, "cli-calls-xls");
    std::string xls = dir + "/Anrufe.xls";
    CliRun r = Velkaro("calllist -o " + Quote(xls) + " --port " + Quote(phone.Device()));
    EXPECT_EQ(r.status, 0) << r.err;
    std::string bytes = simtest::ReadWholeFile(xls);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x09u);  // a BOF record, not text
    EXPECT_NE(bytes.find("0441234567"), std::string::npos);
}

// Dial and send to a telephone whose transfers are locked: it answers
// 00 0B, which is the failure reported, not "dialled" or "sent"; the cards
// keep their edited marks in the file.
TEST(CliE2E, DialAndSendToALockedTelephone)
{
    REQUIRE_PROGRAMS();
    Phone phone({ "--locked" }, "cli-dial-locked");
    std::string book = MakeBook(phone.Dir() + "/mine.vlx");
    CliRun r = Velkaro("dial " + Quote(book) + " Meier --port " + Quote(phone.Device()));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("blocked in Velkaro"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("dialled"), std::string::npos) << r.err;

    const std::string before = simtest::ReadWholeFile(book);
    for (const char* command : { "send-card BOOK Meier --mark-sent", "send BOOK --mark-sent",
                                 "send BOOK --mark-sent --no-high-speed" }) {
        std::string args = command;
        args.replace(args.find("BOOK"), 4, Quote(book));
        r = Velkaro(args + " --port " + Quote(phone.Device()));
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_EQ(r.out, "") << command;
        EXPECT_NE(r.err.find("blocked in Velkaro"), std::string::npos) << command << ": " << r.err;
        EXPECT_EQ(r.err.find("All cards sent"), std::string::npos) << command << ": " << r.err;
        EXPECT_EQ(simtest::ReadWholeFile(book), before) << command;
    }
    phone.Sim().Command("sync");
    EXPECT_EQ(phone.Sim().Status("cards"), 0);
}

// A transfer that did not end with its end sequence leaves --into FILE as it
// was, unless --accept-partial takes what arrived; both end with status 1.
TEST(CliE2E, ReceiveKeepsTheFileAfterABrokenTransfer)
{
    REQUIRE_PROGRAMS();
    std::string dir = simtest::TempDir("cli-receive-broken");
    CCardList theirs;
    for (int i = 0; i < 200; ++i) {
        auto c = std::make_unique<CKarte>();
        c->SetLine(0, "Person " + std::to_string(1000 + i));
        c->SetLine(1, "0441");
        theirs.Append(std::move(c));
    }
    ASSERT_TRUE(SaveCardFile(dir + "/phone.vlx", theirs));
    std::string mine = MakeBook(dir + "/mine.vlx");
    const std::string before = simtest::ReadWholeFile(mine);
    {
        Phone phone({ "--cards", dir + "/phone.vlx", "--send-on-start", "--hangup-after", "600" }, "cli-rx-hangup");
        CliRun r = Velkaro("receive --into " + Quote(mine) + " --wait 10 --port " + Quote(phone.Device()));
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("left unchanged"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(phone.Device()), std::string::npos) << r.err;
        EXPECT_EQ(simtest::ReadWholeFile(mine), before);
    }
    {
        Phone phone({ "--cards", dir + "/phone.vlx", "--send-on-start", "--silence-after", "600" }, "cli-rx-silent");
        CliRun r = Velkaro("receive --into " + Quote(mine) + " --wait 10 --accept-partial --port "
                           + Quote(phone.Device()));
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("holds only what arrived"), std::string::npos) << r.err;
        CCardList got;
        ASSERT_TRUE(LoadCardFile(mine, got));
        EXPECT_GT(got.Count(), 0);
        EXPECT_LT(got.Count(), 200);
    }
    {
        // A dry run says the file stays, also when it takes what arrived.
        const std::string now = simtest::ReadWholeFile(mine);
        Phone phone({ "--cards", dir + "/phone.vlx", "--send-on-start", "--silence-after", "600" }, "cli-rx-dry-partial");
        CliRun r = Velkaro("receive --into " + Quote(mine) + " --wait 10 --accept-partial --dry-run --port "
                           + Quote(phone.Device()));
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("left unchanged"), std::string::npos) << r.err;
        EXPECT_EQ(simtest::ReadWholeFile(mine), now);
    }
    {
        // A merge of what arrived keeps every card the file held.
        CCardList held;
        ASSERT_TRUE(LoadCardFile(mine, held));
        Phone phone({ "--cards", dir + "/phone.vlx", "--send-on-start", "--silence-after", "600" }, "cli-rx-merge-partial");
        CliRun r = Velkaro("receive --into " + Quote(mine) + " --wait 10 --accept-partial --merge --port "
                           + Quote(phone.Device()));
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("has been merged into " + mine), std::string::npos) << r.err;
        CCardList got;
        ASSERT_TRUE(LoadCardFile(mine, got));
        for (const CKarte* card : held.Cards())
            EXPECT_EQ(got.FindName(card->Name()).kind, MatchKind::Equal) << card->Name();
    }
}

// Noise with an XOFF in it floods the line: the program's output is held,
// yet the reception ends 3000 ms after the last byte, and the file stays.
TEST(CliE2E, ReceiveEndsAfterANoiseFlood)
{
    REQUIRE_PROGRAMS();
    Phone phone({}, "cli-rx-flood");
    std::string mine = MakeBook(phone.Dir() + "/mine.vlx");
    const std::string before = simtest::ReadWholeFile(mine);
    std::thread flood([&] {
        for (int i = 0; i < 200 && phone.Sim().Status("lineSetUp") != 1; ++i)
            ::usleep(50000);
        phone.Sim().Command("flood 20000");
    });
    CliRun r = Velkaro("receive --into " + Quote(mine) + " --wait 2 --port " + Quote(phone.Device()));
    flood.join();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(simtest::ReadWholeFile(mine), before);
    phone.Sim().Command("sync");
    EXPECT_EQ(phone.Sim().Status("bytesOut"), 20003);
}

// The telephone holds Adler (as here), Huber with another number and Neu;
// the file holds Adler, Huber and Zorn; the telephone also sends its field
// names. A dry run counts and leaves the file;
// --json names each group; --merge brings both sides together.
struct BothSides {
    std::string dir, phoneBook, mine;

    explicit BothSides(const std::string& name) : dir(simtest::TempDir(name))
    {
        CCardList theirs, ours;
        for (auto [list, who, number] : { std::tuple{ &theirs, "Adler", "0441" }, std::tuple{ &theirs, "Huber", "0999" },
                                          std::tuple{ &theirs, "Neu", "0123" }, std::tuple{ &ours, "Adler", "0441" },
                                          std::tuple{ &ours, "Huber", "0555" }, std::tuple{ &ours, "Zorn", "0777" } }) {
            auto c = std::make_unique<CKarte>();
            c->SetLine(0, who);
            c->SetLine(1, number);
            list->InsertSorted(std::move(c), false);
        }
        AddFieldNames(theirs);
        phoneBook = dir + "/phone.vlx";
        mine = dir + "/mine.vlx";
        EXPECT_TRUE(SaveCardFile(phoneBook, theirs));
        EXPECT_TRUE(SaveCardFile(mine, ours));
    }
};

TEST(CliE2E, ReceiveDryRunCountsWithoutTouchingTheFile)
{
    REQUIRE_PROGRAMS();
    BothSides both("cli-rx-dry");
    const std::string before = simtest::ReadWholeFile(both.mine);
    {
        Phone phone({ "--cards", both.phoneBook, "--send-on-start" }, "cli-rx-dry");
        CliRun r = Velkaro("receive --into " + Quote(both.mine) + " --dry-run --wait 10 --port " + Quote(phone.Device()));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "3 cards received from Velkaro.\n1 new, 1 changed, 1 only here, 1 unchanged\n");
        EXPECT_EQ(simtest::ReadWholeFile(both.mine), before);
    }
    {
        Phone phone({ "--cards", both.phoneBook, "--send-on-start" }, "cli-rx-dry-json");
        CliRun r = Velkaro("receive --into " + Quote(both.mine) + " --dry-run --wait 10 --port " + Quote(phone.Device())
                           + " --json");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("\"records\":[{\"new\":[\"Neu\"],\"changed\":[{\"name\":\"Huber\","
                             "\"here\":{\"marked\":0,\"lines\":[\"Huber\",\"0555\"]},"
                             "\"telephone\":{\"marked\":0,\"lines\":[\"Huber\",\"0999\"]}}],"
                             "\"onlyHere\":[\"Zorn\"],\"unchanged\":[\"Adler\"]}]"),
                  std::string::npos)
            << r.out;
        EXPECT_EQ(simtest::ReadWholeFile(both.mine), before);
    }
    EXPECT_EQ(Velkaro("receive --into " + Quote(both.mine) + " --dry-run --merge").status, 2);
}

TEST(CliE2E, ReceiveMergeKeepsTheCardsOnlyTheFileHoldsAsEdited)
{
    REQUIRE_PROGRAMS();
    BothSides both("cli-rx-merge");
    Phone phone({ "--cards", both.phoneBook, "--send-on-start" }, "cli-rx-merge");
    CliRun r = Velkaro("receive --into " + Quote(both.mine) + " --merge --wait 10 --port " + Quote(phone.Device()));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "3 cards received from Velkaro.\n"
                     "Cards merged: 1 new, 1 changed, 1 kept only here (marked as edited).\n");
    CCardList got;
    ASSERT_TRUE(LoadCardFile(both.mine, got));
    std::vector<std::string> cards;
    for (const CKarte* card : got.Cards())
        cards.emplace_back(std::string(card->Name()) + " " + std::string(card->GetLine(1)) + " " + std::to_string(card->EditedByte()));
    EXPECT_EQ(cards, std::vector<std::string>({ "Adler 0441 0", "Huber 0999 0", "Neu 0123 0", "Zorn 0777 1" }));
    // The file as it was before the merge is kept in its history.
    const std::vector<HistoryEntry> kept = ListHistory(both.mine);
    ASSERT_EQ(kept.size(), 1u);
    CCardList old;
    ASSERT_TRUE(LoadCardFile(kept[0].path, old));
    EXPECT_EQ(old.Count(), 3);
}

TEST(CliE2E, ReceiveWithoutDryRunOrMergeStillReplacesTheFile)
{
    REQUIRE_PROGRAMS();
    BothSides both("cli-rx-replace");
    Phone phone({ "--cards", both.phoneBook, "--send-on-start" }, "cli-rx-replace");
    CliRun r = Velkaro("receive --into " + Quote(both.mine) + " --wait 10 --port " + Quote(phone.Device()));
    EXPECT_EQ(r.status, 0) << r.err;
    CCardList got;
    ASSERT_TRUE(LoadCardFile(both.mine, got));
    ASSERT_EQ(got.Count(), 3);
    EXPECT_EQ(got.At(2)->Name(), "Neu");
}

}  // namespace
}  // namespace velkaro
