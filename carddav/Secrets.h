#pragma once

// The account's password: in the desktop's secret store (the Secret Service
// of GNOME Keyring, KWallet or KeePassXC, through libsecret), keyed by the
// server's URL and the user; for the command line also in a file or an
// environment variable. A desktop without a secret service (no session
// bus, or nobody owns the service's name) is told apart as a value, never
// waited for: every call to the service runs against a deadline.

#include "text/Outcome.h"

#include <string>

namespace velkaro {

// The environment variable the command line takes the password from.
inline constexpr const char* kPasswordVariable = "VELKARO_CARDDAV_PASSWORD";

class ISecretStore {
public:
    virtual ~ISecretStore() = default;

    // Whether a secret service answers on this desktop.
    virtual bool Available() = 0;
    // Success with the password; BadInput (msg::NoPasswordStored) when the
    // store holds none for this account; IoError when the store cannot be
    // reached or refused.
    virtual Outcome Lookup(const std::string& url, const std::string& user, std::string& password) = 0;
    virtual Outcome Store(const std::string& url, const std::string& user, const std::string& password) = 0;
    // Success also when there was nothing to clear.
    virtual Outcome Clear(const std::string& url, const std::string& user) = 0;
};

// The desktop's Secret Service, schema "org.example.velkaro.CardDAV" with
// the attributes "url" and "user".
class CSecretServiceStore final : public ISecretStore {
public:
    // timeoutMs bounds each call; the first call to a locked keyring may
    // wait for the user to unlock it.
    explicit CSecretServiceStore(int timeoutMs = kDefaultTimeoutMs);

    bool Available() override;
    Outcome Lookup(const std::string& url, const std::string& user, std::string& password) override;
    Outcome Store(const std::string& url, const std::string& user, const std::string& password) override;
    Outcome Clear(const std::string& url, const std::string& user) override;

    static constexpr int kDefaultTimeoutMs = 30000;

private:
    int m_timeoutMs;
};

// The first line of a password file, without its line end. A file that is
// missing or unreadable is an IoError, one whose first line is empty a
// BadInput; both name the file.
Outcome ReadPasswordFile(const std::string& path, std::string& password);

// The password for the command line, from the first of: the file given
// with --password-file (passwordFile not empty; its failure is final), the
// environment variable, the secret store. Without any, BadInput that says
// where a password may come from (msg::NoPasswordStored, or
// msg::NoPasswordNoStore when the store cannot be reached).
Outcome ResolvePassword(const std::string& passwordFile, const std::string& url, const std::string& user,
                        ISecretStore& store, std::string& password);

}  // namespace velkaro
