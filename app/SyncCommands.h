#pragma once

// The address-book commands: Options > "Adressbuch-Konto..." (the account
// dialog; the account goes to the settings store, the password to the
// desktop's keyring when the user keeps it there, else it holds for this
// run) and File > "Mit Adressbuch abgleichen", which asks for an account
// when none is set and hands the sync itself to a runner.

#include "carddav/Secrets.h"
#include "carddav/SyncTypes.h"
#include "text/Outcome.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace velkaro {

class CMainFrame;
class CPcxApp;
class CSettings;
class IMessageUi;

// The sync's work over the network and the cards: finding an account's
// address books, and fetching, previewing and applying a sync.
class ISyncRunner {
public:
    virtual ~ISyncRunner() = default;

    virtual Outcome FindAddressBooks(const CardDavAccount& account, const std::string& password,
                                     std::vector<AddressBook>& books)
        = 0;
    // Fetches the account's contacts, shows the preview over owner and
    // applies the sync when the user takes it.
    virtual void Sync(const CardDavAccount& account, const std::string& password, QWidget* owner) = 0;
};

class CSyncCommands : public QObject {
    Q_OBJECT
public:
    // runner may be null: the sync is then "not available in this version".
    CSyncCommands(CSettings& settings, IMessageUi& ui, std::unique_ptr<ISecretStore> keyring,
                  std::shared_ptr<ISyncRunner> runner, std::function<QWidget*()> owner, QObject* parent = nullptr);

    // Options > "Adressbuch-Konto...": true when the user took the dialog.
    bool AccountSettings();
    // File > "Mit Adressbuch abgleichen".
    void OnSyncAddressBook();

    // Runs a modal dialog (tests answer it); exec() by default.
    void SetDialogRunner(std::function<int(QDialog&)> run) { m_runDialog = std::move(run); }
    // Opens the manual at a section (the Help buttons).
    void SetHelp(std::function<void(const char* section)> help) { m_help = std::move(help); }

private:
    // The password of this run, else the keyring's; "" when neither knows one.
    std::string KnownPassword(const CardDavAccount& account);
    void KeepPassword(const CardDavAccount& account, const std::string& password, bool inKeyring);

    CSettings& m_settings;
    IMessageUi& m_ui;
    std::unique_ptr<ISecretStore> m_keyring;
    std::shared_ptr<ISyncRunner> m_runner;
    std::function<QWidget*()> m_owner;
    std::function<int(QDialog&)> m_runDialog;
    std::function<void(const char*)> m_help;
    std::string m_sessionPassword;
};

// Registers both commands with the frame, over the application's settings
// and user interface and the desktop's keyring. The sync stays "not
// available" until a runner is given.
CSyncCommands* AttachSyncCommands(CMainFrame& frame, CPcxApp& app, std::shared_ptr<ISyncRunner> runner);

}  // namespace velkaro
