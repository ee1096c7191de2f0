// The command-line examples of the README and of the three manuals, run as
// written against the simulated telephone.

#include "support/Files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::WriteAll;

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

class CliExamples : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* home = std::getenv("VELKARO_TEST_HOME");
        dir = fs::path(home ? home : "/tmp") / ("velkaro-examples-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "home");
        bin = VELKARO_BINARY_DIR;
        if (!fs::exists(bin / "cli" / "velkaro") || !fs::exists(bin / "sim" / "velkaro-phone-sim"))
            GTEST_SKIP() << "velkaro or velkaro-phone-sim not built";
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    // Runs the script in the scratch folder with the home and settings
    // folders there; the exit status, with standard error for messages.
    int Run(const std::string& script, const std::string& lang, std::string& err)
    {
        WriteAll(dir / "example.sh", script);
        const std::string home = (dir / "home").string();
        const std::string command = "cd '" + dir.string() + "' && env HOME='" + home + "' XDG_CONFIG_HOME='" + home
            + "/.config' XDG_CONFIG_DIRS='" + home + "/xdg' XDG_DATA_HOME='" + home
            + "/.local/share' LC_ALL= LC_MESSAGES= LANGUAGE= LANG=" + lang + " PATH='" + (bin / "cli").string()
            + "':\"$PATH\" bash -e example.sh >out.txt 2>err.txt";
        const int raw = std::system(command.c_str());
        err = ReadAll(dir / "err.txt");
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    // The simulator's link may take a moment to appear after it starts.
    std::string WaitForLink(const std::string& link)
    {
        return "for i in $(seq 200); do [ -e '" + link + "' ] && break; sleep 0.05; done\n";
    }

    fs::path dir;
    fs::path bin;
};

TEST_F(CliExamples, ReadmeSession)
{
    const std::string readme = ReadAll(fs::path(VELKARO_SOURCE_DIR) / "README.md");
    const std::size_t intro = readme.find("A session against the simulated telephone");
    ASSERT_NE(intro, std::string::npos);
    // The indented block after the paragraph.
    std::string script;
    std::size_t at = readme.find("\n\n", intro) + 2;
    while (at < readme.size() && readme.compare(at, 4, "    ") == 0) {
        const std::size_t end = readme.find('\n', at);
        script += readme.substr(at + 4, end - at - 4) + "\n";
        at = end + 1;
    }
    ASSERT_NE(script.find("velkaro-phone-sim"), std::string::npos) << script;
    // From the top of the tree: here the build folder and a link of our own.
    const std::string link = (dir / "phone").string();
    ReplaceAll(script, "build/", bin.string() + "/");
    ReplaceAll(script, "/tmp/velkaro-phone", link);
    const std::size_t afterSim = script.find('\n') + 1;
    // The telephone is ended and waited for, so that its link is gone before
    // the scratch folder is cleared.
    script.insert(afterSim, "trap 'kill %1 2>/dev/null; wait 2>/dev/null || true' EXIT\n" + WaitForLink(link));

    std::string err;
    EXPECT_EQ(Run(script, "C", err), 0) << script << err;
    EXPECT_FALSE(ReadAll(dir / "list.csv").empty());
    EXPECT_FALSE(ReadAll(dir / "calls.csv").empty());
    EXPECT_EQ(err.find("velkaro:"), std::string::npos) << err;
}

struct ManualCase {
    const char* lang;
    const char* locale;
    const char* input;    // the file the manual's text describes
    const char* heading;  // its first line, as the manual gives it
};

TEST_F(CliExamples, ManualSessions)
{
    for (const ManualCase& c : { ManualCase { "en", "en_US.UTF-8", "addresses.csv", "Name;Telefon;Ort" },
                                 ManualCase { "de", "de_DE.UTF-8", "adressen.csv", "Name;Telefon;Ort" },
                                 ManualCase { "fr", "fr_FR.UTF-8", "adresses.csv",
                                              "Nom;Num\xC3\xA9ro de t\xC3\xA9l\xC3\xA9phone;Ville" } }) {
        SCOPED_TRACE(c.lang);
        const std::string manual
            = ReadAll(fs::path(VELKARO_SOURCE_DIR) / "resources" / "manual" / c.lang / "index.html");
        ASSERT_NE(manual.find(std::string("<code>") + c.input + "</code>"), std::string::npos);
        ASSERT_NE(manual.find(std::string("<code>") + c.heading + "</code>"), std::string::npos);
        std::smatch pre;
        ASSERT_TRUE(std::regex_search(manual, pre, std::regex("<pre>([^<]*)</pre>")));
        std::string commands = pre[1].str();
        ReplaceAll(commands, "&quot;", "\"");
        ReplaceAll(commands, "&lt;", "<");
        ReplaceAll(commands, "&gt;", ">");
        ReplaceAll(commands, "&amp;", "&");

        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().filename() != "home")
                fs::remove_all(entry.path());
        fs::remove_all(dir / "home");
        WriteAll(dir / c.input, std::string(c.heading) + "\nAlt;0301234;Bonn\nBerg;0407654;Kiel\n");
        // COM1 leads to the simulated telephone, as the settings file allows.
        const std::string link = (dir / "phone").string();
        WriteAll(dir / "home" / ".config" / "Velkaro" / "Velkaro Desktop.ini", "[Ports]\nCOM1=" + link + "\n");
        const std::string script = "'" + (bin / "sim" / "velkaro-phone-sim").string() + "' --link '" + link
            + "' --sample-cards --quiet &\ntrap 'kill %1 2>/dev/null; wait 2>/dev/null || true' EXIT\n" + WaitForLink(link) + commands
            + "\n";
        std::string err;
        EXPECT_EQ(Run(script, c.locale, err), 0) << script << err;
        EXPECT_EQ(err, "");
        EXPECT_NE(ReadAll(dir / "out.txt").find("Alt"), std::string::npos);
    }
}

}  // namespace
}  // namespace velkaro
