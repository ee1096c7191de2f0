// Every test program runs with HOME and the XDG folders in a fresh temporary
// folder, so no test reads or writes the real user's settings or documents.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "velkaro-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 2;
    fs::path home(pattern);
    for (const char* sub : { "config", "data", "docs", "cache", "runtime" })
        fs::create_directories(home / sub);
    fs::permissions(home / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home / "runtime").c_str(), 1);
    setenv("XDG_DOCUMENTS_DIR", (home / "docs").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (home / "etc-xdg").c_str(), 1);
    setenv("VELKARO_TEST_HOME", home.c_str(), 1);

    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    std::error_code ec;
    fs::remove_all(home, ec);
    return result;
}
