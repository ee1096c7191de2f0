#pragma once

// What the device link keeps between runs: the device a port number stands
// for, and the date and range of the last call-list request. The settings
// store (settings/Settings.h) installs itself here in every program that
// links it; in programs without a store, such as the fuzz targets, the
// values are held in memory for the run. All text is Windows-1252.

#include <string>

namespace velkaro {

class IDeviceSettings {
public:
    virtual ~IDeviceSettings() = default;

    // The device path set for COM<port>; empty when none is set.
    virtual std::string PortDevice(int port) const = 0;
    // The date of the newest call-list entry received ("DD.MM.YYYY" or empty).
    virtual std::string CallListDate() const = 0;
    virtual void SetCallListDate(const std::string& date) = 0;
    // The last range chosen in the call-list request (0 all, 1 newer entries).
    virtual int CallListAll() const = 0;
    virtual void SetCallListAll(int choice) = 0;
};

// The settings the device link reads and writes.
IDeviceSettings& DeviceSettings();
// settings becomes the device link's store; nullptr returns to the values in
// memory. The store must outlive its installation.
void InstallDeviceSettings(IDeviceSettings* settings);

}  // namespace velkaro
