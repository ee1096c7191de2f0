#include "History.h"

#include "AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace velkaro {

namespace fs = std::filesystem;

namespace {

const char kFolderName[] = "Verlauf";
const char kExtension[] = ".itx";
// "2026-12-09T14-03-22": sorts by time as text.
constexpr std::size_t kStampLength = 19;

bool IsHistoryName(const std::string& name)
{
    if (name.size() < kStampLength + 1 + 4 || name.compare(name.size() - 4, 4, kExtension) != 0)
        return false;
    return name[4] == '-' && name[7] == '-' && name[10] == 'T' && name[13] == '-' && name[16] == '-';
}

// Names of the kept copies, oldest first.
std::vector<std::string> HistoryNames(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (IsHistoryName(name) && it->is_regular_file(ec))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::string HistoryFolder(const std::string& workingPath)
{
    return (fs::path(workingPath).parent_path() / kFolderName).string();
}

int KeepHistory(const std::string& workingPath, const std::string& action, std::time_t now)
{
    std::string bytes;
    {
        std::ifstream in(workingPath, std::ios::binary);
        if (!in) {
            std::error_code ec;
            // A working file not written yet holds no cards to keep.
            return fs::exists(workingPath, ec) ? EACCES : 0;
        }
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        if (in.bad())
            return EIO;
    }
    const fs::path folder = HistoryFolder(workingPath);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        return ec.value();

    std::tm local {};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H-%M-%S", &local);
    // Two steps in one second: the second copy gets a number, which sorts
    // after the first.
    const std::vector<std::string> kept = HistoryNames(folder);
    auto taken = [&kept](const std::string& prefix) {
        return std::any_of(kept.begin(), kept.end(), [&prefix](const std::string& name) { return name.starts_with(prefix); });
    };
    std::string prefix = std::string(stamp) + " ";
    for (int n = 2; taken(prefix); ++n)
        prefix = std::string(stamp) + "-" + std::to_string(n) + " ";
    const fs::path target = folder / (prefix + action + kExtension);
    if (int error = WriteFileAtomically(target.string(), bytes))
        return error;

    std::vector<std::string> names = HistoryNames(folder);
    for (std::size_t i = 0; i + kHistoryKept < names.size(); ++i)
        fs::remove(folder / names[i], ec);
    return 0;
}

std::vector<HistoryEntry> ListHistory(const std::string& workingPath)
{
    const fs::path folder = HistoryFolder(workingPath);
    std::vector<std::string> names = HistoryNames(folder);
    std::vector<HistoryEntry> entries;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        const std::string& name = *it;
        HistoryEntry entry;
        entry.path = (folder / name).string();
        entry.time = name.substr(0, kStampLength);
        entry.time[10] = ' ';
        entry.time[13] = ':';
        entry.time[16] = ':';
        const std::size_t space = name.find(' ', kStampLength);
        if (space != std::string::npos)
            entry.action = name.substr(space + 1, name.size() - space - 1 - 4);
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace velkaro
