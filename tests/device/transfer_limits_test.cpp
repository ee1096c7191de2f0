// A line that never falls silent: the telephone's transfer is stopped at
// limits no telephone reaches, with one message. And names taken from cards
// for the call list: nothing in them can break a saved record.

#include "DeviceTestSupport.h"

#include "device/CallListNames.h"
#include "device/ReceiveHandler.h"
#include "model/Archive.h"
#include "model/Document.h"
#include "support/CliRunner.h"
#include "text/Language.h"
#include "text/MessageIds.h"

#include <gtest/gtest.h>

#include <optional>

#include <filesystem>
#include <thread>
#include <unistd.h>

namespace velkaro {
namespace {

using namespace devtest;

bool ProgramsBuilt()
{
    return SimAvailable() && ::access((std::string(VELKARO_BINARY_DIR) + "/cli/velkaro").c_str(), X_OK) == 0;
}

struct EndlessCase {
    const char* command;  // to the simulator
    TransferLimits limits;
    std::optional<Received> kind;  // what the result reports, where it is certain
};

// The desktop's flow: each endless transfer ends once, at the limit it was
// given, with the result and the reason in one box; the rest is dropped.
TEST(TransferLimits, AnEndlessTransferEndsAtItsLimitWithOneMessage)
{
    if (!SimAvailable())
        GTEST_SKIP() << "velkaro-phone-sim is not built";
    const EndlessCase cases[] = {
        { "endless cards", { 50, 1 << 20, 60000 }, Received::Cards },
        { "endless cards", { 1 << 30, 1 << 30, 700 }, Received::Cards },
        { "endless noise", { 1 << 30, 30000, 60000 }, std::nullopt },
        { "endless calllist", { 50, 1 << 20, 60000 }, Received::CallList },
    };
    int run = 0;
    for (const EndlessCase& c : cases) {
        SCOPED_TRACE(c.command + std::string(" ms ") + std::to_string(c.limits.ms));
        Phone phone({}, "limits" + std::to_string(++run));
        TestUi ui;
        CPcxDoc doc;
        auto port = OpenPort(phone.Device(), ui);
        ASSERT_TRUE(port);
        CReceiveHandler handler(*port, ui, &doc, nullptr, c.limits);
        std::vector<std::pair<Received, ReceiveEnd>> done;
        QObject::connect(&handler, &CReceiveHandler::ReceptionFinished,
                         [&](Received kind, ReceiveEnd code, bool) { done.emplace_back(kind, code); });
        if (c.kind == Received::CallList) {
            phone.Sim().Command(c.command);
            ASSERT_TRUE(handler.SendCallListRequest(0));
        } else {
            ASSERT_TRUE(WaitUntil([&] { return phone.Sim().Status("lineSetUp") == 1; }));
            phone.Sim().Command(c.command);
        }
        ASSERT_TRUE(WaitUntil([&] { return !done.empty(); }, 20000));
        Spin(500);  // the line goes on sending
        ASSERT_EQ(done.size(), 1u);
        EXPECT_EQ(done[0].second, ReceiveEnd::TooLong);
        if (c.kind) {
            EXPECT_EQ(done[0].first, *c.kind);
        }
        EXPECT_EQ(ui.CountShown(Text(msg::ReceptionTooLong)), 1);
        // Nothing more is kept of what follows.
        EXPECT_EQ(port->Parser().ReceivedCardCount(), 0);
        if (c.kind == Received::CallList) {
            EXPECT_LE(port->Parser().CallRecordCount(), c.limits.records + 100);
        }
        phone.Sim().Command("endless off");
    }
}

// The command line with the limits users get: a telephone that sends cards
// or call records without end ends the command with status 1 and the reason,
// and the card file stays as it was.
TEST(TransferLimits, CommandLineReceiveAndCallListEndOnAnEndlessLine)
{
    if (!ProgramsBuilt())
        GTEST_SKIP() << "velkaro-phone-sim or velkaro is not built";
    const std::string dir = simtest::TempDir("limits-cli");
    const std::string mine = dir + "/mine.vlx";
    CCardList none;
    ASSERT_TRUE(SaveCardFile(mine, none));
    const std::string before = simtest::ReadWholeFile(mine);
    for (const char* what : { "cards", "calllist" }) {
        SCOPED_TRACE(what);
        Phone phone({}, std::string("limits-cli-") + what);
        const bool cards = std::string(what) == "cards";
        std::thread start;
        if (cards)
            start = std::thread([&] {
                for (int i = 0; i < 200 && phone.Sim().Status("lineSetUp") != 1; ++i)
                    ::usleep(50000);
                phone.Sim().Command("endless cards");
            });
        else
            phone.Sim().Command("endless calllist");
        const std::string port = " --port '" + phone.Device() + "'";
        auto r = test::RunCli(dir, std::string("--lang en ")
                                       + (cards ? "receive --into '" + mine + "' --wait 20" : "calllist -o '" + dir + "/calls.csv'")
                                       + port);
        if (start.joinable())
            start.join();
        phone.Sim().Command("endless off");
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("Reception stopped: the transfer is longer than a Velkaro can send"), std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find(cards ? " cards received from Velkaro." : " lines of the Call List received"), std::string::npos)
            << r.err;
    }
    EXPECT_EQ(simtest::ReadWholeFile(mine), before);
    EXPECT_FALSE(std::filesystem::exists(dir + "/calls.csv"));
}

// A card's name in the name field holds what a field from the line may hold:
// no control character, no double quote to end its field early, 30
// characters at most.
TEST(TransferLimits, NamesFromCardsAreSavedAsTheLineWouldBringThem)
{
    CAnrufObj record;
    for (const char* field : { "20.03.04", "10:15", "0", "0001:23", "1", "1", "0", "2", "0", "0441234567" })
        record.AddField(field);
    const std::pair<std::string, std::string> names[] = {
        { "Meier\x1B]0;owned\x07 Hans", "Meier]0;owned Hans" },
        { "Zeile\r\nzwei\x7F", "Zeilezwei\x7F" },
        { "Sagt \"Hallo\";\"x", "Sagt 'Hallo';'x" },
        { std::string(40, 'n') + "\x1B", std::string(30, 'n') },
    };
    for (const auto& [name, saved] : names) {
        record.cardName = name;
        const std::vector<std::string> fields = FieldsToSave(record, true);
        ASSERT_EQ(fields.size(), 11u);
        EXPECT_EQ(fields[callfield::Name], saved);
        EXPECT_EQ(FieldsToSave(record, false), record.fields);
    }
}

// End to end: a card file whose name holds control characters and double
// quotes gives one record a line, with the name in its own field.
TEST(TransferLimits, CallListNamesFromAHostileCardFile)
{
    if (!ProgramsBuilt())
        GTEST_SKIP() << "velkaro-phone-sim or velkaro is not built";
    const std::string dir = simtest::TempDir("limits-names");
    simtest::WriteWholeFile(dir + "/calls.txt", "20.03.04;10:15;0;0001:23;1;1;0;2;0;0441234567;;1\n");
    CCardList cards;
    auto c = std::make_unique<CKarte>();
    c->SetStoredLines({ "Mei\x1B[2J\x07\"r\";\"x", "0441234567" });
    cards.Append(std::move(c));
    ASSERT_TRUE(SaveCardFile(dir + "/cards.vlx", cards));
    Phone phone({ "--calllist", dir + "/calls.txt" }, "limits-names");
    const std::string out = dir + "/calls.csv";
    auto r = test::RunCli(dir, "--lang en calllist -o '" + out + "' --names-from '" + dir + "/cards.vlx' --home-country DE"
                                   + " --port '" + phone.Device() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(simtest::ReadWholeFile(out), "\"20.03.04\";\"10:15\";\"0\";\"0001:23\";\"1\";\"1\";\"0\";\"2\";\"0\";"
                                           "\"0441234567\";\"Mei [2J 'r';'x\";\"1\"\r\n");
}

}  // namespace
}  // namespace velkaro
