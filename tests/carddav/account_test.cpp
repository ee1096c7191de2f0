// The account in the settings store and the password's sources: what a
// user set comes back, the password never lands in the INI file, and the
// command line takes the password from the file, the environment or the
// keyring, in that order.

#include "carddav/AccountStore.h"
#include "carddav/Secrets.h"
#include "settings/Settings.h"
#include "support/Files.h"
#include "support/ScratchConfig.h"
#include "text/MessageIds.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

using namespace velkaro;

namespace {

class AccountStoreTest : public test::ScratchConfigTest {
protected:
    AccountStoreTest()
        : ScratchConfigTest("carddav")
    {
    }
};

TEST_F(AccountStoreTest, NothingStoredGivesNoAccountAndTheDefaultFilters)
{
    CSettings settings;
    const CardDavAccount account = LoadAccount(settings);
    EXPECT_FALSE(HasAccount(account));
    EXPECT_TRUE(account.addressBooks.empty());
    EXPECT_TRUE(account.filters.onlyWithNumber);
    EXPECT_TRUE(account.filters.dialable);
    EXPECT_FALSE(account.filters.onePerNumber);
    EXPECT_TRUE(account.filters.includeCategories.empty());
}

TEST_F(AccountStoreTest, RoundTripKeepsEveryValueAndNoPassword)
{
    CardDavAccount account;
    account.url = "https://dav.example.org/remote.php/dav";
    account.user = "j\xC3\xBCrg";  // UTF-8, as typed
    account.addressBooks = { "https://dav.example.org/a/", "https://dav.example.org/b%20c/" };
    const std::string family = "\xD0\xA1\xD0\xB5\xD0\xBC\xD1\x8C\xD1\x8F";  // Cyrillic: no Windows-1252
    account.filters = { false, { "Familie", family }, { "Alt, Arbeit" }, true, false };
    {
        CSettings settings;
        SaveAccount(settings, account);
    }
    CSettings settings;
    const CardDavAccount back = LoadAccount(settings);
    EXPECT_EQ(back.url, account.url);
    EXPECT_EQ(back.user, account.user);
    EXPECT_EQ(back.addressBooks, account.addressBooks);
    EXPECT_EQ(back.filters.onlyWithNumber, false);
    EXPECT_EQ(back.filters.includeCategories, account.filters.includeCategories);
    // A comma inside a name cannot survive the comma-separated list.
    EXPECT_EQ(back.filters.excludeCategories, (std::vector<std::string> { "Alt", "Arbeit" }));
    EXPECT_TRUE(back.filters.onePerNumber);
    EXPECT_FALSE(back.filters.dialable);
    const std::string ini = test::ReadAll(UserIni());
    EXPECT_NE(ini.find("[CardDAV]"), std::string::npos);
    EXPECT_EQ(ini.find("assword"), std::string::npos);
}

TEST(Categories, SplitAsTheUserWritesThem)
{
    const std::map<std::string, std::vector<std::string>> cases = {
        { "", {} },
        { " , ,", {} },
        { "Familie", { "Familie" } },
        { " Familie ,Arbeit,, Sport Verein ", { "Familie", "Arbeit", "Sport Verein" } },
    };
    for (const auto& [text, names] : cases)
        EXPECT_EQ(SplitCategories(text), names) << text;
    EXPECT_EQ(JoinCategories({ "Familie", "Arbeit" }), "Familie, Arbeit");
}

// A keyring that holds what the test puts in, or cannot be reached.
class FakeStore : public ISecretStore {
public:
    bool reachable = true;
    std::map<std::string, std::string> passwords;

    bool Available() override { return reachable; }
    Outcome Lookup(const std::string& url, const std::string& user, std::string& password) override
    {
        if (!reachable)
            return Outcome(OutcomeKind::IoError, msg::SecretStoreUnavailable);
        auto it = passwords.find(url + " " + user);
        if (it == passwords.end())
            return Outcome(OutcomeKind::BadInput, msg::NoPasswordStored, { url });
        password = it->second;
        return {};
    }
    Outcome Store(const std::string&, const std::string&, const std::string&) override { return {}; }
    Outcome Clear(const std::string&, const std::string&) override { return {}; }
};

class PasswordTest : public test::ScratchConfigTest {
protected:
    PasswordTest()
        : ScratchConfigTest("password")
    {
    }
    void SetUp() override
    {
        ScratchConfigTest::SetUp();
        unsetenv(kPasswordVariable);
        store.passwords["https://dav.example.org jo"] = "from-keyring";
    }
    void TearDown() override
    {
        unsetenv(kPasswordVariable);
        ScratchConfigTest::TearDown();
    }
    Outcome Resolve(const std::string& file)
    {
        password.clear();
        return ResolvePassword(file, "https://dav.example.org", "jo", store, password);
    }

    FakeStore store;
    std::string password;
};

TEST_F(PasswordTest, FileThenEnvironmentThenKeyring)
{
    const auto file = root / "pw";
    test::WriteAll(file, "from-file\r\nsecond line\n");
    setenv(kPasswordVariable, "from-environment", 1);
    EXPECT_TRUE(Resolve(file.string()));
    EXPECT_EQ(password, "from-file");
    EXPECT_TRUE(Resolve(""));
    EXPECT_EQ(password, "from-environment");
    setenv(kPasswordVariable, "", 1);
    EXPECT_TRUE(Resolve(""));
    EXPECT_EQ(password, "from-keyring");
}

TEST_F(PasswordTest, AGivenFileThatFailsIsFinal)
{
    setenv(kPasswordVariable, "from-environment", 1);
    Outcome missing = Resolve((root / "missing").string());
    EXPECT_EQ(missing.Kind(), OutcomeKind::IoError);
    EXPECT_EQ(missing.MessageId(), msg::PasswordFileUnreadable);
    EXPECT_NE(missing.Message().find("missing"), std::string::npos);
    test::WriteAll(root / "empty", "\n");
    Outcome empty = Resolve((root / "empty").string());
    EXPECT_EQ(empty.Kind(), OutcomeKind::BadInput);
    EXPECT_EQ(empty.MessageId(), msg::PasswordFileEmpty);
    EXPECT_TRUE(password.empty());
}

TEST_F(PasswordTest, WithoutAnySourceTheMessageSaysWhereAPasswordMayComeFrom)
{
    store.passwords.clear();
    Outcome none = Resolve("");
    EXPECT_EQ(none.Kind(), OutcomeKind::BadInput);
    EXPECT_EQ(none.MessageId(), msg::NoPasswordStored);
    store.reachable = false;
    Outcome unreachable = Resolve("");
    EXPECT_EQ(unreachable.Kind(), OutcomeKind::BadInput);
    EXPECT_EQ(unreachable.MessageId(), msg::NoPasswordNoStore);
    EXPECT_NE(unreachable.Message().find(kPasswordVariable), std::string::npos);
}

TEST_F(PasswordTest, TheDesktopKeyringWithoutASessionBusIsUnavailableAtOnce)
{
    // No bus address and no bus socket in the runtime folder; then an
    // address where nothing listens.
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    std::filesystem::create_directories(root / "runtime");
    setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    CSecretServiceStore keyring(2000);
    EXPECT_FALSE(keyring.Available());
    Outcome lookup = keyring.Lookup("https://dav.example.org", "jo", password);
    EXPECT_EQ(lookup.Kind(), OutcomeKind::IoError);
    EXPECT_EQ(lookup.MessageId(), msg::SecretStoreUnavailable);
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (root / "nobus").string()).c_str(), 1);
    EXPECT_FALSE(keyring.Available());
    EXPECT_FALSE(keyring.Store("https://dav.example.org", "jo", "x"));
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

}  // namespace

namespace {

TEST(CheckAccount, OnlyHttpOrHttpsWithAHostAndAUser)
{
    const std::map<std::string, unsigned> urls = {
        { "https://dav.example.org", 0 },
        { " HTTP://dav.example.org:5232/jo/ ", 0 },
        { "https://", msg::AccountBadUrl },
        { "https://:443/", msg::AccountBadUrl },
        { "ftp://dav.example.org", msg::AccountBadUrl },
        { "dav.example.org", msg::AccountBadUrl },
        { "https://dav.example.org/my books", msg::AccountBadUrl },
        { "", msg::AccountBadUrl },
    };
    for (const auto& [url, message] : urls) {
        CardDavAccount account;
        account.url = url;
        account.user = "jo";
        const Outcome checked = CheckAccount(account);
        EXPECT_EQ(checked.Ok(), message == 0) << url;
        EXPECT_EQ(checked.MessageId(), message) << url;
    }
    CardDavAccount noUser;
    noUser.url = "https://dav.example.org";
    noUser.user = "  ";
    EXPECT_EQ(CheckAccount(noUser).MessageId(), msg::AccountNoUser);
}

}  // namespace
