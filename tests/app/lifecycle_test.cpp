// The built desktop program, started as a user would start it (in its own
// scratch home), ended by a signal: what it writes at exit must be there.
// While it runs, `velkaro` may not write its working file.

#include "settings/WorkingFileLock.h"
#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using velkaro::test::ReadAll;

const std::string kMagic("\x12\x0C\x04\x21\x19\x02\x61\x00", 8);
const std::string kEmptyArchive = kMagic + std::string("\x0C\x00\x00", 3);

fs::path DesktopBinary()
{
    return fs::path(VELKARO_BINARY_DIR) / "app" / "velkaro-desktop";
}

// Only a guard against a hung test; nothing is measured.
constexpr auto kPatience = std::chrono::seconds(60);

class DesktopProgram {
public:
    explicit DesktopProgram(const fs::path& home)
        : m_home(home)
    {
        for (const char* sub : { "config", "etc-xdg", "data", "cache", "runtime" })
            fs::create_directories(home / sub);
        fs::permissions(home / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    }
    ~DesktopProgram()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    // Every folder the program might write is in the scratch home.
    std::string Environment() const
    {
        return "HOME='" + m_home.string() + "' XDG_CONFIG_HOME='" + (m_home / "config").string()
            + "' XDG_CONFIG_DIRS='" + (m_home / "etc-xdg").string() + "' XDG_DATA_HOME='" + (m_home / "data").string()
            + "' XDG_CACHE_HOME='" + (m_home / "cache").string() + "' XDG_RUNTIME_DIR='"
            + (m_home / "runtime").string() + "' QT_QPA_PLATFORM=offscreen";
    }

    void Start()
    {
        std::vector<std::string> env = { "HOME=" + m_home.string(),
                                         "XDG_CONFIG_HOME=" + (m_home / "config").string(),
                                         "XDG_CONFIG_DIRS=" + (m_home / "etc-xdg").string(),
                                         "XDG_DATA_HOME=" + (m_home / "data").string(),
                                         "XDG_CACHE_HOME=" + (m_home / "cache").string(),
                                         "XDG_RUNTIME_DIR=" + (m_home / "runtime").string(),
                                         "QT_QPA_PLATFORM=offscreen",
                                         "PATH=/usr/bin:/bin" };
        const std::string program = DesktopBinary().string();
        m_pid = ::fork();
        if (m_pid == 0) {
            std::vector<char*> envp;
            for (auto& e : env)
                envp.push_back(e.data());
            envp.push_back(nullptr);
            char* argv[] = { const_cast<char*>(program.c_str()), nullptr };
            ::execve(program.c_str(), argv, envp.data());
            ::_exit(127);
        }
    }

    pid_t Pid() const { return m_pid; }

    // Waits until the program holds its working file (the lock file beside
    // it); false when it ended or never got there.
    bool WaitUntilRunning(const fs::path& lockFile)
    {
        const auto end = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < end) {
            if (::waitpid(m_pid, &m_status, WNOHANG) == m_pid) {
                m_pid = -1;
                return false;
            }
            if (fs::exists(lockFile))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // The exit status, -1 when it did not end normally (killed, or hung).
    int WaitForExit()
    {
        const auto end = std::chrono::steady_clock::now() + kPatience;
        while (m_pid > 0 && std::chrono::steady_clock::now() < end) {
            if (::waitpid(m_pid, &m_status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -1;
    }

private:
    fs::path m_home;
    pid_t m_pid = -1;
    int m_status = 0;
};

class LifecycleTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = info->name();
        for (char& c : name)
            if (c == '/')
                c = '_';
        home = fs::path(std::getenv("VELKARO_TEST_HOME")) / "lifecycle" / name;
        fs::remove_all(home);
        fs::create_directories(home);
        dataDir = home / "Documents" / "Velkaro";
        workingFile = dataDir / "Velkaro_Desktop.itx";
        lockFile = dataDir / "Velkaro_Desktop.itx.lock";
        userIni = home / "config" / "Velkaro" / "Velkaro Desktop.ini";
    }

    fs::path home, dataDir, workingFile, lockFile, userIni;
};

TEST_P(LifecycleTest, EndingBySignalWritesWhatExitWrites)
{
    DesktopProgram program(home);
    program.Start();
    ASSERT_TRUE(program.WaitUntilRunning(lockFile));
    ASSERT_EQ(::kill(program.Pid(), GetParam()), 0);
    EXPECT_EQ(program.WaitForExit(), 0);

    // The working file (new in this run, so written only at exit), the
    // colours and the window position, which only the exit writes.
    EXPECT_EQ(ReadAll(workingFile), kEmptyArchive);
    const std::string ini = ReadAll(userIni);
    EXPECT_NE(ini.find("[Colors]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Background=\"170,170,170\""), std::string::npos) << ini;
    EXPECT_NE(ini.find("WindowPositionX="), std::string::npos) << ini;
    EXPECT_NE(ini.find("Language=0"), std::string::npos) << ini;
    EXPECT_FALSE(fs::exists(lockFile));
    // Nothing written machine-wide.
    EXPECT_TRUE(fs::is_empty(home / "etc-xdg"));
}

INSTANTIATE_TEST_SUITE_P(Signals, LifecycleTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == SIGTERM ? std::string("SIGTERM")
                                 : info.param == SIGINT   ? std::string("SIGINT")
                                                          : std::string("SIGHUP");
                         });

TEST_F(LifecycleTest, SignalWhileAStartUpMessageIsOpenEndsTheRun)
{
    // A damaged working file: the start shows why and where it was kept.
    fs::create_directories(dataDir);
    std::ofstream(workingFile, std::ios::binary) << "garbage";
    DesktopProgram program(home);
    program.Start();
    ASSERT_TRUE(program.WaitUntilRunning(lockFile));
    const auto setAside = [&] {
        for (const auto& entry : fs::directory_iterator(dataDir))
            if (entry.path().filename().string().rfind("Velkaro_Desktop.itx.damaged-", 0) == 0)
                return true;
        return false;
    };
    const auto end = std::chrono::steady_clock::now() + kPatience;
    while (!setAside() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(setAside());
    ASSERT_EQ(::kill(program.Pid(), SIGTERM), 0);
    // The box closes as cancelled, and the run ends instead of going on.
    EXPECT_EQ(program.WaitForExit(), 0);
    EXPECT_EQ(ReadAll(workingFile), kEmptyArchive);
    EXPECT_NE(ReadAll(userIni).find("WindowPositionX="), std::string::npos);
    EXPECT_FALSE(fs::exists(lockFile));
}

TEST_F(LifecycleTest, CommandsDoNotWriteTheWorkingFileOfARunningProgram)
{
    DesktopProgram program(home);
    program.Start();
    ASSERT_TRUE(program.WaitUntilRunning(lockFile));

    // A backup to convert, and a text to import.
    const fs::path scratch = home / "cli";
    fs::create_directories(scratch);
    {
        std::ofstream(scratch / "backup.vlx", std::ios::binary) << kEmptyArchive;
        std::ofstream(scratch / "names.txt", std::ios::binary) << "Name;Telefon\r\nAnna;123\r\n";
    }
    const std::string working = "'" + workingFile.string() + "'";
    const auto convert = velkaro::test::RunCli(scratch, "convert '" + (scratch / "backup.vlx").string() + "' " + working,
                                               program.Environment());
    EXPECT_EQ(convert.status, 1);
    EXPECT_NE(convert.err.find(workingFile.string()), std::string::npos) << convert.err;
    EXPECT_NE(convert.err.find(std::to_string(program.Pid())), std::string::npos) << convert.err;
    const auto import = velkaro::test::RunCli(scratch, "import '" + (scratch / "names.txt").string() + "' --into "
                                                  + working + " --mode 1 --skip-first",
                                              program.Environment());
    EXPECT_EQ(import.status, 1);
    EXPECT_NE(import.err.find(std::to_string(program.Pid())), std::string::npos) << import.err;
    EXPECT_FALSE(fs::exists(workingFile));  // the program has not written it yet; nor has anyone else

    ASSERT_EQ(::kill(program.Pid(), SIGTERM), 0);
    EXPECT_EQ(program.WaitForExit(), 0);
    EXPECT_EQ(ReadAll(workingFile), kEmptyArchive);

    // Once it has ended, the commands may write.
    const auto after = velkaro::test::RunCli(scratch, "import '" + (scratch / "names.txt").string() + "' --into "
                                                 + working + " --mode 1 --skip-first",
                                             program.Environment());
    EXPECT_EQ(after.status, 0) << after.err;
    EXPECT_FALSE(fs::exists(lockFile));
}

TEST_F(LifecycleTest, DeviceCommandsThatWriteAHeldFileAreRefused)
{
    fs::create_directories(dataDir);
    std::ofstream(workingFile, std::ios::binary) << kEmptyArchive;
    velkaro::CWorkingFileLock held(workingFile.string(), "velkaro-desktop");
    ASSERT_TRUE(held);
    const fs::path scratch = home / "cli";
    fs::create_directories(scratch);
    DesktopProgram environment(home);
    const auto run = velkaro::test::RunCli(scratch, "receive --into '" + workingFile.string()
                                               + "' --port /nonexistent/velkaro-line --wait 0",
                                           environment.Environment());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(std::to_string(::getpid())), std::string::npos) << run.err;
    // Marking sent cards writes the file back too; the lock is asked for
    // before any port is opened.
    for (const std::string& command : { "send '" + workingFile.string() + "' --mark-sent",
                                       "send-card '" + workingFile.string() + "' Anna --mark-sent" }) {
        const auto send = velkaro::test::RunCli(scratch, command + " --port /nonexistent/velkaro-line",
                                                environment.Environment());
        EXPECT_EQ(send.status, 1) << command;
        EXPECT_NE(send.err.find(std::to_string(::getpid())), std::string::npos) << command << send.err;
    }
    EXPECT_EQ(ReadAll(workingFile), kEmptyArchive);
}

}  // namespace
