#include "SyncCommands.h"

#include "app/Application.h"
#include "app/Help.h"
#include "app/MainFrame.h"
#include "carddav/AccountStore.h"
#include "device/ReceptionBlocked.h"
#include "settings/Settings.h"
#include "text/Language.h"
#include "text/Menus.h"
#include "text/MessageIds.h"
#include "view/AccountDlg.h"
#include "view/PcxView.h"

#include <QPointer>

namespace velkaro {

CSyncCommands::CSyncCommands(CSettings& settings, IMessageUi& ui, std::unique_ptr<ISecretStore> keyring,
                             std::shared_ptr<ISyncRunner> runner, std::function<QWidget*()> owner, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_ui(ui)
    , m_keyring(std::move(keyring))
    , m_runner(std::move(runner))
    , m_owner(std::move(owner))
{
}

std::string CSyncCommands::KnownPassword(const CardDavAccount& account)
{
    if (!m_sessionPassword.empty() || !HasAccount(account))
        return m_sessionPassword;
    std::string password;
    // Nothing stored, or no keyring: the user types it.
    if (!m_keyring->Lookup(account.url, account.user, password))
        password.clear();
    return password;
}

void CSyncCommands::KeepPassword(const CardDavAccount& account, const std::string& password, bool inKeyring)
{
    m_sessionPassword = password;
    if (!m_keyring->Available()) {
        if (!password.empty())
            m_ui.Message(Text(msg::SecretStoreUnavailable), MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    // Not kept: an earlier kept password goes, as the user chose.
    const Outcome kept = inKeyring && !password.empty() ? m_keyring->Store(account.url, account.user, password)
                                                        : m_keyring->Clear(account.url, account.user);
    m_ui.Show(kept, MsgIcon::Warning);
}

bool CSyncCommands::AccountSettings()
{
    ReceptionBlock block;
    const CardDavAccount stored = LoadAccount(m_settings);
    auto find = [runner = m_runner](const CardDavAccount& account, const std::string& password,
                                    std::vector<AddressBook>& books) {
        return runner ? runner->FindAddressBooks(account, password, books)
                      : Outcome(OutcomeKind::BadInput, msg::FunctionNotAvailable);
    };
    CAccountDlg dialog(stored, KnownPassword(stored), m_keyring->Available(), find, m_ui,
                       m_owner ? m_owner() : nullptr);
    connect(&dialog, &CAccountDlg::helpRequested, this, [this] {
        if (m_help)
            m_help(help::AddressBook);
    });
    if ((m_runDialog ? m_runDialog(dialog) : dialog.exec()) != QDialog::Accepted)
        return false;
    const CardDavAccount account = dialog.Account();
    SaveAccount(m_settings, account);
    KeepPassword(account, dialog.Password(), dialog.KeepPassword());
    return true;
}

void CSyncCommands::OnSyncAddressBook()
{
    CardDavAccount account = LoadAccount(m_settings);
    std::string password = HasAccount(account) ? KnownPassword(account) : std::string();
    // Without an account, or a password for it, the account dialog first.
    if (password.empty()) {
        if (!AccountSettings())
            return;
        account = LoadAccount(m_settings);
        password = m_sessionPassword;
    }
    if (!m_runner) {
        m_ui.Message(Text(msg::FunctionNotAvailable), MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    ReceptionBlock block;
    m_runner->Sync(account, password, m_owner ? m_owner() : nullptr);
}

CSyncCommands* AttachSyncCommands(CMainFrame& frame, CPcxApp& app, std::shared_ptr<ISyncRunner> runner)
{
    QPointer<CMainFrame> guard(&frame);
    auto* commands = new CSyncCommands(app.Settings(), app.Ui(), std::make_unique<CSecretServiceStore>(),
                                       std::move(runner), [guard]() -> QWidget* { return guard.data(); }, &frame);
    commands->setObjectName(QStringLiteral("syncCommands"));
    commands->SetHelp([](const char* section) { ShowHelp(QString::fromLatin1(section)); });
    // While a card is edited, the edit refers to a card the sync could change.
    auto notEditing = [guard] { return guard && guard->View() && !guard->View()->Editing(); };
    frame.Commands().Register(cmd::AddressBookAccount, { [commands] { commands->AccountSettings(); }, {}, {} });
    frame.Commands().Register(cmd::SyncAddressBook, { [commands] { commands->OnSyncAddressBook(); }, notEditing, {} });
    return commands;
}

}  // namespace velkaro
