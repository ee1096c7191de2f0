#pragma once

// Whole files for the tests, as bytes: read, and written (with the folders
// above them made first).

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace velkaro::test {

inline std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::filesystem::path& path, const std::string& bytes)
{
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace velkaro::test
