#include "Secrets.h"

#include "text/Cp1252.h"
#include "text/MessageIds.h"
#include "text/SystemError.h"

// GLib names a struct member "signals", which Qt defines as a keyword: this
// file includes no Qt header.
#include <libsecret/secret.h>

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>

namespace velkaro {

namespace {

constexpr const char* kServiceName = "org.freedesktop.secrets";
// Asking the bus whether the service runs needs no user: a short wait.
constexpr int kBusQueryTimeoutMs = 2000;
// A password line longer than this is no password but the wrong file.
constexpr std::size_t kMaxPasswordLength = 4096;

const SecretSchema* Schema()
{
    static const SecretSchema schema = [] {
        SecretSchema s {};
        s.name = "org.example.velkaro.CardDAV";
        s.flags = SECRET_SCHEMA_NONE;
        s.attributes[0] = { "url", SECRET_SCHEMA_ATTRIBUTE_STRING };
        s.attributes[1] = { "user", SECRET_SCHEMA_ATTRIBUTE_STRING };
        return s;
    }();
    return &schema;
}

// Cancels a GLib call that has not returned by its deadline, from a thread
// of its own (g_cancellable_cancel may be called from any thread).
class CDeadline {
public:
    explicit CDeadline(int timeoutMs)
        : m_cancellable(g_cancellable_new())
        , m_watch([this, timeoutMs] {
            std::unique_lock lock(m_mutex);
            if (!m_wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_done; }))
                g_cancellable_cancel(m_cancellable);
        })
    {
    }
    ~CDeadline()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_one();
        m_watch.join();
        g_object_unref(m_cancellable);
    }
    CDeadline(const CDeadline&) = delete;
    CDeadline& operator=(const CDeadline&) = delete;

    GCancellable* Cancellable() const { return m_cancellable; }

private:
    GCancellable* m_cancellable;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_watch;
};

// GIO finds the session bus by DBUS_SESSION_BUS_ADDRESS or the socket in
// the runtime folder; without either it would try to start a bus through
// X11, which is no answer to "is there a keyring".
bool SessionBusKnown()
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address)
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime)
        return false;
    struct stat info {};
    return stat((std::string(runtime) + "/bus").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

bool BusAnswersYes(GDBusConnection* bus, const char* method)
{
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", method, g_variant_new("(s)", kServiceName),
                                                  G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, kBusQueryTimeoutMs,
                                                  nullptr, &error);
    if (!reply) {
        g_clear_error(&error);
        return false;
    }
    gboolean yes = FALSE;
    g_variant_get(reply, "(b)", &yes);
    g_variant_unref(reply);
    return yes;
}

bool ServiceActivatable(GDBusConnection* bus)
{
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "ListActivatableNames", nullptr,
                                                  G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NONE, kBusQueryTimeoutMs,
                                                  nullptr, &error);
    if (!reply) {
        g_clear_error(&error);
        return false;
    }
    GVariantIter* names = nullptr;
    g_variant_get(reply, "(as)", &names);
    bool found = false;
    for (const gchar* name = nullptr; !found && g_variant_iter_next(names, "&s", &name);)
        found = g_strcmp0(name, kServiceName) == 0;
    g_variant_iter_free(names);
    g_variant_unref(reply);
    return found;
}

// The message of a failed call, which GLib writes in UTF-8.
Outcome Failed(GError* error)
{
    const std::string text = error && error->message ? Utf8ToAnsi(error->message) : std::string();
    g_clear_error(&error);
    return Outcome(OutcomeKind::IoError, msg::SecretStoreFailed, { text });
}

}  // namespace

CSecretServiceStore::CSecretServiceStore(int timeoutMs)
    : m_timeoutMs(timeoutMs)
{
}

bool CSecretServiceStore::Available()
{
    if (!SessionBusKnown())
        return false;
    CDeadline deadline(kBusQueryTimeoutMs);
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, deadline.Cancellable(), &error);
    if (!bus) {
        g_clear_error(&error);
        return false;
    }
    // The shared connection would end the whole program when the bus goes.
    g_dbus_connection_set_exit_on_close(bus, FALSE);
    const bool runs = BusAnswersYes(bus, "NameHasOwner") || ServiceActivatable(bus);
    g_object_unref(bus);
    return runs;
}

Outcome CSecretServiceStore::Lookup(const std::string& url, const std::string& user, std::string& password)
{
    if (!Available())
        return Outcome(OutcomeKind::IoError, msg::SecretStoreUnavailable);
    CDeadline deadline(m_timeoutMs);
    GError* error = nullptr;
    gchar* secret = secret_password_lookup_sync(Schema(), deadline.Cancellable(), &error, "url", url.c_str(), "user",
                                                user.c_str(), nullptr);
    if (error)
        return Failed(error);
    if (!secret)
        return Outcome(OutcomeKind::BadInput, msg::NoPasswordStored, { Utf8ToAnsi(url) });
    password = secret;
    secret_password_free(secret);
    return {};
}

Outcome CSecretServiceStore::Store(const std::string& url, const std::string& user, const std::string& password)
{
    if (!Available())
        return Outcome(OutcomeKind::IoError, msg::SecretStoreUnavailable);
    CDeadline deadline(m_timeoutMs);
    GError* error = nullptr;
    const std::string label = "Velkaro Desktop: " + user + " @ " + url;
    if (!secret_password_store_sync(Schema(), SECRET_COLLECTION_DEFAULT, label.c_str(), password.c_str(),
                                    deadline.Cancellable(), &error, "url", url.c_str(), "user", user.c_str(),
                                    nullptr))
        return Failed(error);
    return {};
}

Outcome CSecretServiceStore::Clear(const std::string& url, const std::string& user)
{
    if (!Available())
        return Outcome(OutcomeKind::IoError, msg::SecretStoreUnavailable);
    CDeadline deadline(m_timeoutMs);
    GError* error = nullptr;
    // FALSE without an error: there was nothing to clear.
    secret_password_clear_sync(Schema(), deadline.Cancellable(), &error, "url", url.c_str(), "user", user.c_str(),
                               nullptr);
    if (error)
        return Failed(error);
    return {};
}

Outcome ReadPasswordFile(const std::string& path, std::string& password)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int code = errno;
        return Outcome(OutcomeKind::IoError, msg::PasswordFileUnreadable,
                       { PathForDisplay(path), SystemErrorText(code) });
    }
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.empty() || line.size() > kMaxPasswordLength)
        return Outcome(OutcomeKind::BadInput, msg::PasswordFileEmpty, { PathForDisplay(path) });
    password = line;
    return {};
}

Outcome ResolvePassword(const std::string& passwordFile, const std::string& url, const std::string& user,
                        ISecretStore& store, std::string& password)
{
    if (!passwordFile.empty())
        return ReadPasswordFile(passwordFile, password);
    const char* fromEnvironment = std::getenv(kPasswordVariable);
    if (fromEnvironment && *fromEnvironment) {
        password = fromEnvironment;
        return {};
    }
    const Outcome stored = store.Lookup(url, user, password);
    if (stored.Ok() || stored.Kind() == OutcomeKind::BadInput)
        return stored;
    return Outcome(OutcomeKind::BadInput, msg::NoPasswordNoStore, { Utf8ToAnsi(url) });
}

}  // namespace velkaro
