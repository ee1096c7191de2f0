#include "settings/SettingValues.h"
#include "settings/Settings.h"
#include "support/Files.h"
#include "support/ScratchConfig.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using velkaro::CSettings;

namespace {

using velkaro::test::ReadAll;

// Every test gets its own configuration folders below the temporary home.
class SettingsTest : public velkaro::test::ScratchConfigTest {
protected:
    SettingsTest()
        : ScratchConfigTest("settings")
    {
    }
};

TEST_F(SettingsTest, DefaultsOfTheSettingsTable)
{
    CSettings s;
    EXPECT_EQ(s.Language(), 0);
    EXPECT_EQ(s.WindowPositionX(), 40);
    EXPECT_EQ(s.WindowPositionY(), 40);
    EXPECT_EQ(s.WindowPositionX(velkaro::kWindowPositionUnknown), 5000);
    EXPECT_EQ(s.PortCOM(), 99);
    EXPECT_EQ(s.CanSpeedChange(), 1);
    EXPECT_EQ(s.StructureActive(), 1);
    EXPECT_EQ(s.DefaultSelect(1), "HOTEL");
    EXPECT_EQ(s.DefaultSelect(2), "KUNDE");
    EXPECT_EQ(s.DefaultSelect(3), "LIEFERANT");
    EXPECT_EQ(s.DefaultSelect(4), "PRIVAT");
    EXPECT_EQ(s.DefaultSelect(5), "");
    EXPECT_EQ(s.DefaultSelect(6), "");
    EXPECT_EQ(s.ImportDlgLeft(), 10000);
    EXPECT_EQ(s.ImportDlgTop(), 40);
    EXPECT_EQ(s.ImportDlgWidth(), 600);
    EXPECT_EQ(s.ImportDlgHeight(), 400);
    EXPECT_EQ(s.ImportDlgShowMax(), 0);
    EXPECT_EQ(s.ImportWithoutFirstLine(), 0);
    EXPECT_EQ(s.ImportOnlyNumbers(), 0);
    EXPECT_EQ(s.ImportCharDOS(), 0);
    EXPECT_EQ(s.DeleteOldCardsOnImport(), 0);
    EXPECT_EQ(s.CallListAll(), 0);
    EXPECT_EQ(s.CallListDate(), "");
    EXPECT_EQ(s.CallListRising(), 1);
    EXPECT_EQ(s.CallListOnlySelected(), 0);
    // Reading writes nothing.
    s.Flush();
    EXPECT_FALSE(fs::exists(UserIni()));
}

TEST_F(SettingsTest, RoundTripThroughTheUserIniFile)
{
    {
        CSettings s;
        EXPECT_EQ(s.UserFilePath().toStdString(), UserIni().string());
        s.SetLanguage(256);
        s.SetPortCOM(3);
        s.SetCanSpeedChange(0);
        s.SetDefaultSelect(2, "");
        s.SetDefaultSelect(4, "M\xFCller \xE9t\xE9");  // Windows-1252
        s.SetCallListDate("01.02.2003");
        s.WriteString(velkaro::section::Colors, "ListGround", "149,185,234");
        s.WriteString(velkaro::section::Ports, "COM3", "/dev/ttyUSB0");
        s.WriteInt(velkaro::section::Settings, "Negative", -7);
    }
    const std::string ini = ReadAll(UserIni());
    EXPECT_NE(ini.find("[Settings]"), std::string::npos);
    EXPECT_NE(ini.find("Language=256"), std::string::npos);
    EXPECT_NE(ini.find("[Colors]"), std::string::npos);
    EXPECT_NE(ini.find("[Ports]"), std::string::npos);

    CSettings s;
    EXPECT_EQ(s.Language(), 256);
    EXPECT_EQ(s.PortCOM(), 3);
    EXPECT_EQ(s.CanSpeedChange(), 0);
    EXPECT_EQ(s.DefaultSelect(2), "");  // an emptied term keeps its emptiness
    EXPECT_EQ(s.DefaultSelect(4), "M\xFCller \xE9t\xE9");
    EXPECT_EQ(s.CallListDate(), "01.02.2003");
    EXPECT_EQ(s.ReadString(velkaro::section::Colors, "ListGround", ""), "149,185,234");
    EXPECT_EQ(s.ReadString(velkaro::section::Ports, "COM3", ""), "/dev/ttyUSB0");
    EXPECT_EQ(s.ReadInt(velkaro::section::Settings, "Negative", 0), -7);
    // The sections are apart.
    EXPECT_EQ(s.ReadString(velkaro::section::Settings, "ListGround", "none"), "none");
}

TEST_F(SettingsTest, HandEditedValues)
{
    fs::create_directories(UserIni().parent_path());
    std::ofstream(UserIni()) << "[Settings]\nLanguage=abc\nPortCOM= 4 \nCanSpeedChange=4294967295\n"
                                "StructureActive=99999999999\n[Colors]\nBackground=12,34,56\n";
    CSettings s;
    EXPECT_EQ(s.Language(), 0);  // not a number: the default
    EXPECT_EQ(s.PortCOM(), 4);
    EXPECT_EQ(s.CanSpeedChange(), -1);   // a DWORD 0xFFFFFFFF
    EXPECT_EQ(s.StructureActive(), 1);   // wider than 32 bits: the default
    EXPECT_EQ(s.ReadString(velkaro::section::Colors, "Background", ""), "12,34,56");
}

TEST(SettingValues, IntegersAsAHandEditedFileHoldsThem)
{
    EXPECT_EQ(velkaro::ParseSettingInt("4"), 4);
    EXPECT_EQ(velkaro::ParseSettingInt(" \t-7 "), -7);
    EXPECT_EQ(velkaro::ParseSettingInt("+40"), 40);
    EXPECT_EQ(velkaro::ParseSettingInt("2147483647"), 2147483647);
    EXPECT_EQ(velkaro::ParseSettingInt("-2147483648"), INT_MIN);
    EXPECT_EQ(velkaro::ParseSettingInt("2147483648"), INT_MIN);  // a DWORD: wraps
    EXPECT_EQ(velkaro::ParseSettingInt("4294967295"), -1);
    for (const char* bad : { "", " ", "-", "+", "4294967296", "-2147483649", "99999999999999999999999", "1 2",
                             "0x10", "12a", "--1", "1.5" })
        EXPECT_EQ(velkaro::ParseSettingInt(bad), std::nullopt) << bad;
}

TEST_F(SettingsTest, LongValueNamesAreCutTo199Characters)
{
    CSettings s;
    const std::string longName(250, 'N');
    s.WriteInt(velkaro::section::Settings, longName, 5);
    EXPECT_EQ(s.ReadInt(velkaro::section::Settings, std::string(199, 'N'), 0), 5);
    EXPECT_EQ(s.ReadInt(velkaro::section::Settings, std::string(199, 'N') + "X", 0), 5);
}

TEST_F(SettingsTest, DataDirectoryIsComputedCreatedAndStoredForTheUserOnly)
{
    // The machine-wide folder could be written (as by root): still only read.
    fs::create_directories(SystemIni().parent_path());
    std::string dir;
    {
        CSettings s;
        dir = s.DataDirectory();
        s.SetDataDirectory(dir);
    }
    const fs::path docs = fs::path(std::getenv("HOME")) / "Documents" / "Velkaro";
    EXPECT_EQ(dir, docs.string());
    EXPECT_TRUE(fs::is_directory(docs));
    EXPECT_FALSE(fs::exists(SystemIni()));
    ASSERT_TRUE(fs::exists(UserIni()));
    EXPECT_NE(ReadAll(UserIni()).find("DataDirectory="), std::string::npos);

    // A machine-wide value wins over the user's file.
    {
        QSettings sys(QString::fromStdString(SystemIni().string()), QSettings::IniFormat);
        sys.setValue("Settings/DataDirectory", "/srv/velkaro-data");
    }
    {
        QSettings user(QString::fromStdString(UserIni().string()), QSettings::IniFormat);
        user.setValue("Settings/DataDirectory", "/home/other");
    }
    CSettings s;
    EXPECT_EQ(s.DataDirectory(), "/srv/velkaro-data");
}

TEST_F(SettingsTest, DataDirectoryFallsBackToTheUserFile)
{
    // A machine-wide folder that cannot be created, even by root: below a file.
    std::ofstream(root / "blocker") << "x";
    setenv("XDG_CONFIG_DIRS", (root / "blocker" / "xdg").c_str(), 1);
    {
        CSettings s;
        EXPECT_EQ(s.DataDirectory(), CSettings::DefaultDataDirectory());
    }
    ASSERT_TRUE(fs::exists(UserIni()));
    EXPECT_NE(ReadAll(UserIni()).find("DataDirectory="), std::string::npos);

    CSettings s;
    s.SetDataDirectory("/tmp/elsewhere");
    CSettings again;
    EXPECT_EQ(again.DataDirectory(), "/tmp/elsewhere");
}

TEST_F(SettingsTest, StoredDataDirectoryIsNotRecomputed)
{
    {
        QSettings sys(QString::fromStdString(SystemIni().string()), QSettings::IniFormat);
        sys.setValue("Settings/DataDirectory", QString::fromStdString((root / "missing").string()));
    }
    CSettings s;
    EXPECT_EQ(s.DataDirectory(), (root / "missing").string());
    // The store does not create it; start-up does when it opens the working file.
    EXPECT_FALSE(fs::exists(root / "missing"));
}

}  // namespace

// The predefined selection terms before the user ever stored any
// ("DefaultSelect1".."DefaultSelect6").
TEST(SettingsDefaults, PredefinedSelectionTerms)
{
    EXPECT_EQ(CSettings::DefaultSelectDefault(1), "HOTEL");
    EXPECT_EQ(CSettings::DefaultSelectDefault(2), "KUNDE");
    EXPECT_EQ(CSettings::DefaultSelectDefault(3), "LIEFERANT");
    EXPECT_EQ(CSettings::DefaultSelectDefault(4), "PRIVAT");
    EXPECT_EQ(CSettings::DefaultSelectDefault(5), "");
    EXPECT_EQ(CSettings::DefaultSelectDefault(6), "");
    EXPECT_EQ(CSettings::DefaultSelectDefault(0), "");
    EXPECT_EQ(CSettings::DefaultSelectDefault(7), "");
}
