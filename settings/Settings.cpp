#include "Settings.h"

#include "settings/QtText.h"
#include "settings/SettingValues.h"
#include "device/DeviceSettings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <cstdint>
#include <limits>
#include <optional>

namespace velkaro {

namespace {

const QString kOrganisation = QStringLiteral("Velkaro");
const QString kApplication = QStringLiteral("Velkaro Desktop");

// Value names went through a 200-byte buffer: at most 199 characters.
constexpr std::size_t kMaxNameLength = 199;

QString UserConfigDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

// The machine-wide folder (read only): the first of $XDG_CONFIG_DIRS, as
// the desktop standard orders them, else /etc/xdg.
QString SystemConfigDir()
{
    const QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    for (const QString& dir : dirs.split(u':', Qt::SkipEmptyParts))
        return dir;
    return QStringLiteral("/etc/xdg");
}

QString Key(const std::string& section, const std::string& name)
{
    std::string cut = name.substr(0, kMaxNameLength);
    return ToQt(section) + u'/' + ToQt(cut);
}

std::unique_ptr<QSettings> OpenStore(QSettings::Scope scope)
{
    auto s = std::make_unique<QSettings>(QSettings::IniFormat, scope, kOrganisation, kApplication);
    s->setFallbacksEnabled(false);
    return s;
}

}  // namespace

CSettings::CSettings()
{
    // QSettings keeps its folders process-wide; take them from the
    // environment as it is now.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, UserConfigDir());
    m_systemDir = SystemConfigDir();
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, m_systemDir);
    m_user = OpenStore(QSettings::UserScope);
}

CSettings::~CSettings()
{
    Flush();
}

namespace {

// The device link's share of the store: the section "Ports" and the
// call-list request. Every program that links the store installs it before
// main, so the link reads the same values it did when it asked the store
// itself; the store is still created on first use.
class CStoreDeviceSettings final : public IDeviceSettings {
public:
    CStoreDeviceSettings() { InstallDeviceSettings(this); }
    ~CStoreDeviceSettings() override { InstallDeviceSettings(nullptr); }
    CStoreDeviceSettings(const CStoreDeviceSettings&) = delete;
    CStoreDeviceSettings& operator=(const CStoreDeviceSettings&) = delete;

    std::string PortDevice(int port) const override
    {
        return CSettings::Instance().ReadString(section::Ports, "COM" + std::to_string(port), "");
    }
    std::string CallListDate() const override { return CSettings::Instance().CallListDate(); }
    void SetCallListDate(const std::string& date) override { CSettings::Instance().SetCallListDate(date); }
    int CallListAll() const override { return CSettings::Instance().CallListAll(); }
    void SetCallListAll(int choice) override { CSettings::Instance().SetCallListAll(choice); }
};

const CStoreDeviceSettings g_deviceShare;

}  // namespace

CSettings& CSettings::Instance()
{
    static CSettings store;
    return store;
}

void CSettings::Flush()
{
    if (m_user)
        m_user->sync();  // a failed write is ignored
}

QString CSettings::UserFilePath() const
{
    return m_user->fileName();
}

QString CSettings::SystemFilePath() const
{
    return OpenStore(QSettings::SystemScope)->fileName();
}

int CSettings::ReadInt(const std::string& section, const std::string& name, int defaultValue) const
{
    const QVariant v = m_user->value(Key(section, name));
    if (!v.isValid())
        return defaultValue;
    // A 32-bit value: signed or unsigned notation, nothing wider.
    return ParseSettingInt(FromQt(v.toString().trimmed())).value_or(defaultValue);
}

void CSettings::WriteInt(const std::string& section, const std::string& name, int value)
{
    m_user->setValue(Key(section, name), value);
}

std::optional<QString> CSettings::ReadText(const std::string& section, const std::string& name) const
{
    const QVariant v = m_user->value(Key(section, name));
    if (!v.isValid())
        return std::nullopt;
    // An unquoted value with commas in a hand-edited file reads as a list.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(u',');
    if (!v.canConvert<QString>())
        return std::nullopt;
    return v.toString();
}

std::string CSettings::ReadString(const std::string& section, const std::string& name,
                                  const std::string& defaultValue) const
{
    const std::optional<QString> text = ReadText(section, name);
    return text ? FromQt(*text) : defaultValue;
}

void CSettings::WriteString(const std::string& section, const std::string& name, const std::string& value)
{
    m_user->setValue(Key(section, name), ToQt(value));
}

QString WorkingFileIn(const QString& dataDir)
{
    return dataDir + (dataDir.endsWith(u'/') ? QString() : QStringLiteral("/")) + QString::fromLatin1(kWorkingFileName);
}

std::string CSettings::ReadUtf8(const std::string& section, const std::string& name,
                                const std::string& defaultValue) const
{
    const std::optional<QString> text = ReadText(section, name);
    return text ? text->toStdString() : defaultValue;
}

void CSettings::WriteUtf8(const std::string& section, const std::string& name, const std::string& value)
{
    m_user->setValue(Key(section, name), QString::fromStdString(value));
}

QString CSettings::DefaultDataDirectoryPath()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (base.isEmpty())
        base = QDir::homePath();
    if (!base.endsWith(u'/'))
        base += u'/';
    return base + QStringLiteral("Velkaro");
}

QString CSettings::DataDirectoryPath()
{
    const QString key = Key(section::Settings, setting::DataDirectory);
    // A machine-wide value is an administrator's choice and wins; the
    // program itself never writes one, so a run as root cannot hand root's
    // folder to every user.
    const auto system = OpenStore(QSettings::SystemScope);
    for (QSettings* store : { system.get(), m_user.get() }) {
        const QString dir = store->value(key).toString();
        if (!dir.isEmpty())
            return dir;
    }
    const QString dir = DefaultDataDirectoryPath();
    QDir().mkpath(dir);
    SetDataDirectoryPath(dir);
    return dir;
}

void CSettings::SetDataDirectoryPath(const QString& dir)
{
    m_user->setValue(Key(section::Settings, setting::DataDirectory), dir);
    m_user->sync();
}

std::string CSettings::DefaultDataDirectory()
{
    return FromQt(DefaultDataDirectoryPath());
}

std::string CSettings::DataDirectory()
{
    return FromQt(DataDirectoryPath());
}

void CSettings::SetDataDirectory(const std::string& dir)
{
    SetDataDirectoryPath(ToQt(dir));
}

std::string CSettings::DefaultSelectDefault(int i)
{
    static const char* const terms[kDefaultSelectCount] = { "HOTEL", "KUNDE", "LIEFERANT", "PRIVAT", "", "" };
    return (i >= 1 && i <= kDefaultSelectCount) ? terms[i - 1] : "";
}

std::string CSettings::DefaultSelect(int i) const
{
    return ReadString(section::Settings, "DefaultSelect" + std::to_string(i), DefaultSelectDefault(i));
}

void CSettings::SetDefaultSelect(int i, const std::string& term)
{
    WriteString(section::Settings, "DefaultSelect" + std::to_string(i), term);
}

}  // namespace velkaro
