#pragma once

// A test with configuration folders of its own: a fresh folder below the
// program's scratch home (VELKARO_TEST_HOME/<group>/<test name>) with the
// user's (config) and the machine's (etc-xdg) configuration folders in it;
// the previous ones come back after the test.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace velkaro::test {

class ScratchConfigTest : public ::testing::Test {
protected:
    explicit ScratchConfigTest(std::string group)
        : m_group(std::move(group))
    {
    }

    void SetUp() override
    {
        const char* home = std::getenv("VELKARO_TEST_HOME");
        ASSERT_NE(home, nullptr);
        root = std::filesystem::path(home) / m_group / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        m_oldConfig = std::getenv("XDG_CONFIG_HOME");
        m_oldDirs = std::getenv("XDG_CONFIG_DIRS");
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (root / "etc-xdg").c_str(), 1);
    }
    void TearDown() override
    {
        setenv("XDG_CONFIG_HOME", m_oldConfig.c_str(), 1);
        setenv("XDG_CONFIG_DIRS", m_oldDirs.c_str(), 1);
    }

    std::filesystem::path UserIni() const { return root / "config" / "Velkaro" / "Velkaro Desktop.ini"; }
    std::filesystem::path SystemIni() const { return root / "etc-xdg" / "Velkaro" / "Velkaro Desktop.ini"; }

    std::filesystem::path root;

private:
    std::string m_group;
    std::string m_oldConfig, m_oldDirs;
};

}  // namespace velkaro::test
