#pragma once

// Runs the built `velkaro` program as a user's shell would, for the tests of
// its subcommands: the exit status and what it wrote to each stream.

#include "support/Files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace velkaro::test {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// The program in the build tree (VELKARO_BINARY_DIR).
inline std::filesystem::path CliBinary()
{
    return std::filesystem::path(VELKARO_BINARY_DIR) / "cli" / "velkaro";
}

// The shell's command that starts the program with args as they stand
// (quote paths yourself): its home and settings folders lie in scratch, and
// it runs in the C locale (English messages) unless environment, e.g.
// "LANG=de_DE.UTF-8", says otherwise; environment comes before the program.
inline std::string CliCommandLine(const std::filesystem::path& scratch, const std::string& args,
                                  const std::string& environment = {})
{
    const std::string home = (scratch / "home").string();
    std::filesystem::create_directories(home);
    return "HOME='" + home + "' XDG_CONFIG_HOME='" + home + "/.config' XDG_CONFIG_DIRS='" + home
        + "/xdg' XDG_DATA_HOME='" + home + "/.local/share' LC_ALL= LC_MESSAGES= LANGUAGE= LANG=C " + environment
        + (environment.empty() ? "" : " ") + "'" + CliBinary().string() + "' " + args;
}

// Runs the program (CliCommandLine); the streams go through files in
// scratch. redirections come last and so win over the files: ">/dev/full"
// (a full disk), ">&-" (standard output closed).
inline CliRun RunCli(const std::filesystem::path& scratch, const std::string& args,
                     const std::string& environment = {}, const std::string& redirections = {})
{
    const std::filesystem::path out = scratch / "out";
    const std::filesystem::path err = scratch / "err";
    const std::string command = CliCommandLine(scratch, args, environment) + " >'" + out.string() + "' 2>'"
        + err.string() + "' " + redirections;
    int raw = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadAll(out);
    run.err = ReadAll(err);
    return run;
}

// Runs the program between two pipes: feed is the shell's text before it
// ("printf 'x' |" writes its standard input; "cat f >fifo &" writes a named
// pipe it reads), standard output goes through `cat` so that it is a pipe
// too.
inline CliRun RunCliPiped(const std::filesystem::path& scratch, const std::string& feed, const std::string& args)
{
    const std::filesystem::path status = scratch / "status";
    const std::string command = "cd '" + scratch.string() + "'; " + feed + " { " + CliCommandLine(scratch, args)
        + " 2>'" + (scratch / "err").string() + "'; echo $? >'" + status.string() + "'; } | cat >'"
        + (scratch / "out").string() + "'";
    // The program's own status comes back through the file, not the shell's.
    const int shell = std::system(command.c_str());
    (void)shell;
    CliRun run;
    run.status = std::atoi(ReadAll(status).c_str());
    run.out = ReadAll(scratch / "out");
    run.err = ReadAll(scratch / "err");
    return run;
}

// The options named in a help text's usage line ("--into", "-o", ...).
inline std::set<std::string> UsageOptions(const std::string& help)
{
    const std::string usage = help.substr(0, help.find('\n'));
    std::set<std::string> options;
    const std::regex option(R"((^|[\s\[])(--?[a-z][a-z-]*))");
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option); it != std::sregex_iterator(); ++it)
        options.insert((*it)[2]);
    return options;
}

// A suite of tests that run the built program: each test gets a scratch
// folder of its own (named after the suite), and is skipped when the
// program is not built.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string suite = ::testing::UnitTest::GetInstance()->current_test_suite()->name();
        dir = std::filesystem::temp_directory_path() / ("velkaro-" + suite + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        if (!std::filesystem::exists(CliBinary()))
            GTEST_SKIP() << "velkaro not built";
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    CliRun Velkaro(const std::string& args, const std::string& environment = {})
    {
        return RunCli(dir, args, environment);
    }
    // A file in the scratch folder, quoted for the shell.
    std::string Quoted(const std::string& name) const { return "'" + (dir / name).string() + "'"; }

    std::filesystem::path dir;
};

}  // namespace velkaro::test
