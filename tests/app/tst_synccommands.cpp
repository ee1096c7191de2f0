// The address-book commands: OK in the account dialog stores the account
// in the settings and the password in the keyring when the user keeps it
// there; the sync without an account asks for one first and then hands
// account and password to the runner.

#include "support/ScriptedUi.h"

#include "app/SyncCommands.h"
#include "carddav/AccountStore.h"
#include "settings/Settings.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "view/AccountDlg.h"

#include <QLineEdit>
#include <QTest>

#include <map>

using namespace velkaro;

namespace {

class FakeKeyring : public ISecretStore {
public:
    std::map<std::string, std::string>& kept;
    explicit FakeKeyring(std::map<std::string, std::string>& store) : kept(store) {}
    bool Available() override { return true; }
    Outcome Lookup(const std::string& url, const std::string& user, std::string& password) override
    {
        auto it = kept.find(url + " " + user);
        if (it == kept.end())
            return Outcome(OutcomeKind::BadInput, msg::NoPasswordStored, { url });
        password = it->second;
        return {};
    }
    Outcome Store(const std::string& url, const std::string& user, const std::string& password) override
    {
        kept[url + " " + user] = password;
        return {};
    }
    Outcome Clear(const std::string& url, const std::string& user) override
    {
        kept.erase(url + " " + user);
        return {};
    }
};

class FakeRunner : public ISyncRunner {
public:
    std::vector<std::pair<std::string, std::string>> syncs;  // url, password
    Outcome FindAddressBooks(const CardDavAccount&, const std::string&, std::vector<AddressBook>&) override
    {
        return {};
    }
    void Sync(const CardDavAccount& account, const std::string& password, QWidget*) override
    {
        syncs.emplace_back(account.url, password);
    }
};

}  // namespace

class SyncCommandsTest : public QObject {
    Q_OBJECT

    test::ScriptedUi m_ui;
    std::map<std::string, std::string> m_keyring;
    int m_dialogs = 0;

    // Fills the account dialog and takes it.
    std::function<int(QDialog&)> Fill(const QString& url, const QString& password)
    {
        return [this, url, password](QDialog& dialog) {
            ++m_dialogs;
            auto& account = static_cast<CAccountDlg&>(dialog);
            account.UrlEdit()->setText(url);
            account.UserEdit()->setText(QStringLiteral("jo"));
            account.PasswordEdit()->setText(password);
            account.accept();
            return account.result();
        };
    }

private slots:
    void init()
    {
        SetLanguageOffset(kLangGerman);
        m_keyring.clear();
        m_dialogs = 0;
        SaveAccount(CSettings::Instance(), CardDavAccount {});
    }

    void okStoresTheAccountAndKeepsThePassword()
    {
        CSyncCommands commands(CSettings::Instance(), m_ui, std::make_unique<FakeKeyring>(m_keyring), nullptr, {});
        commands.SetDialogRunner(Fill(QStringLiteral("https://dav.example.org"), QStringLiteral("geheim")));
        QVERIFY(commands.AccountSettings());
        const CardDavAccount stored = LoadAccount(CSettings::Instance());
        QCOMPARE(stored.url, std::string("https://dav.example.org"));
        QCOMPARE(stored.user, std::string("jo"));
        QCOMPARE(m_keyring.at("https://dav.example.org jo"), std::string("geheim"));
        // Without a runner the sync is not available, and says so.
        commands.OnSyncAddressBook();
        QCOMPARE(m_ui.LastText(), Text(msg::FunctionNotAvailable));
    }

    void syncWithoutAnAccountAsksForItFirst()
    {
        auto runner = std::make_shared<FakeRunner>();
        CSyncCommands commands(CSettings::Instance(), m_ui, std::make_unique<FakeKeyring>(m_keyring), runner, {});
        commands.SetDialogRunner(Fill(QStringLiteral("https://dav.example.org"), QStringLiteral("geheim")));
        commands.OnSyncAddressBook();
        QCOMPARE(m_dialogs, 1);
        // The account is set and the keyring knows the password: no dialog.
        commands.OnSyncAddressBook();
        QCOMPARE(m_dialogs, 1);
        const std::pair<std::string, std::string> expected("https://dav.example.org", "geheim");
        QCOMPARE(runner->syncs.size(), std::size_t(2));
        QCOMPARE(runner->syncs.back(), expected);
    }
};

QTEST_MAIN(SyncCommandsTest)
#include "tst_synccommands.moc"
