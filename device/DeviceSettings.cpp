#include "DeviceSettings.h"

#include <atomic>

namespace velkaro {

namespace {

// A run without a settings store: no port is pointed anywhere else, and the
// call-list date lasts as long as the program.
class CMemoryDeviceSettings final : public IDeviceSettings {
public:
    std::string PortDevice(int /*port*/) const override { return {}; }
    std::string CallListDate() const override { return m_callListDate; }
    void SetCallListDate(const std::string& date) override { m_callListDate = date; }
    int CallListAll() const override { return m_callListAll; }
    void SetCallListAll(int choice) override { m_callListAll = choice; }

private:
    std::string m_callListDate;
    int m_callListAll = 0;
};

std::atomic<IDeviceSettings*> g_installed{ nullptr };

}  // namespace

IDeviceSettings& DeviceSettings()
{
    static CMemoryDeviceSettings memory;
    IDeviceSettings* installed = g_installed.load();
    return installed ? *installed : memory;
}

void InstallDeviceSettings(IDeviceSettings* settings)
{
    g_installed.store(settings);
}

}  // namespace velkaro
