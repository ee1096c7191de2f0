#include "History.h"

#include "AtomicFile.h"

#include "text/Language.h"
#include "text/MessageIds.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>

namespace velkaro {

namespace fs = std::filesystem;

namespace {

const char kFolderName[] = "Verlauf";
const char kExtension[] = ".itx";
constexpr std::size_t kExtensionLength = 4;
// "2026-12-09T14-03-22", the local time of an earlier version's name.
constexpr std::size_t kStampLength = 19;
// "2026-12-09T13-03-22Z" after the number.
constexpr std::size_t kUtcStampLength = 20;
constexpr std::size_t kNumberWidth = 6;
constexpr std::size_t kMaxNumberLength = 18;

bool IsDigits(const std::string& text, std::size_t from, std::size_t count)
{
    return from + count <= text.size()
        && std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from),
                       text.begin() + static_cast<std::ptrdiff_t>(from + count),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// "2026-12-09T14-03-22" at from.
bool IsStamp(const std::string& name, std::size_t from)
{
    return IsDigits(name, from, 4) && name[from + 4] == '-' && IsDigits(name, from + 5, 2) && name[from + 7] == '-'
        && IsDigits(name, from + 8, 2) && name[from + 10] == 'T' && IsDigits(name, from + 11, 2)
        && name[from + 13] == '-' && IsDigits(name, from + 14, 2) && name[from + 16] == '-'
        && IsDigits(name, from + 17, 2);
}

struct CopyName {
    std::string name;
    bool numbered = false;
    std::uint64_t number = 0;
    std::size_t actionStart = 0;  // where the step begins in the name

    // Unnumbered names first, in their own order; then by number.
    bool operator<(const CopyName& other) const
    {
        if (numbered != other.numbered)
            return !numbered;
        return numbered ? number < other.number : name < other.name;
    }
};

bool ParseName(const std::string& name, CopyName& parsed)
{
    if (name.size() <= kExtensionLength || !name.ends_with(kExtension))
        return false;
    parsed.name = name;
    const std::size_t digits = name.find_first_not_of("0123456789");
    if (digits > 0 && digits <= kMaxNumberLength && name[digits] == ' ') {
        const std::size_t stamp = digits + 1;
        const std::size_t end = stamp + kUtcStampLength;
        if (end + 1 + kExtensionLength > name.size() || !IsStamp(name, stamp) || name[end - 1] != 'Z'
            || name[end] != ' ')
            return false;
        parsed.numbered = true;
        parsed.number = std::stoull(name.substr(0, digits));
        parsed.actionStart = end + 1;
        return true;
    }
    // An earlier version's name; a second copy in one second has "-2" after
    // the time.
    if (name.size() < kStampLength + 1 + kExtensionLength || !IsStamp(name, 0))
        return false;
    const std::size_t space = name.find(' ', kStampLength);
    parsed.numbered = false;
    parsed.actionStart = space == std::string::npos ? name.size() - kExtensionLength : space + 1;
    return true;
}

// The kept copies, oldest first.
std::vector<CopyName> HistoryNames(const fs::path& folder)
{
    std::vector<CopyName> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        CopyName parsed;
        if (ParseName(it->path().filename().string(), parsed) && it->is_regular_file(ec))
            names.push_back(std::move(parsed));
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool FileHolds(const fs::path& path, const std::string& bytes)
{
    std::error_code ec;
    if (fs::file_size(path, ec) != bytes.size() || ec)
        return false;
    std::ifstream in(path, std::ios::binary);
    const std::string held((std::istreambuf_iterator<char>(in)), {});
    return !in.bad() && held == bytes;
}

std::string ShownTime(const CopyName& copy)
{
    std::tm when {};
    if (!copy.numbered) {
        // Local time already.
        std::string time = copy.name.substr(0, kStampLength);
        time[10] = ' ';
        time[13] = ':';
        time[16] = ':';
        return time;
    }
    const std::string& n = copy.name;
    const std::size_t s = n.find(' ') + 1;
    when.tm_year = std::stoi(n.substr(s, 4)) - 1900;
    when.tm_mon = std::stoi(n.substr(s + 5, 2)) - 1;
    when.tm_mday = std::stoi(n.substr(s + 8, 2));
    when.tm_hour = std::stoi(n.substr(s + 11, 2));
    when.tm_min = std::stoi(n.substr(s + 14, 2));
    when.tm_sec = std::stoi(n.substr(s + 17, 2));
    const std::time_t utc = timegm(&when);
    std::tm local {};
    localtime_r(&utc, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace

std::string HistoryFolder(const std::string& workingPath)
{
    return (fs::path(workingPath).parent_path() / kFolderName).string();
}

int CHistoryCopy::Keep(const std::string& workingPath, const std::string& action, std::time_t now)
{
    m_path.clear();
    m_madeFolder.clear();
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
    const bool made = fs::create_directories(folder, ec);
    if (ec)
        return ec.value();

    const std::vector<CopyName> kept = HistoryNames(folder);
    if (!kept.empty() && FileHolds(folder / kept.back().name, bytes))
        return 0;
    const std::uint64_t number = !kept.empty() && kept.back().numbered ? kept.back().number + 1 : 1;
    std::string name = std::to_string(number);
    if (name.size() < kNumberWidth)
        name.insert(0, kNumberWidth - name.size(), '0');
    std::tm utc {};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H-%M-%SZ", &utc);
    const fs::path target = folder / (name + " " + stamp + " " + action + kExtension);
    if (int error = WriteFileAtomically(target.string(), bytes)) {
        // A step that failed leaves no empty folder behind.
        if (made)
            fs::remove(folder, ec);
        return error;
    }
    m_path = target.string();
    if (made)
        m_madeFolder = folder.string();

    const std::vector<CopyName> names = HistoryNames(folder);
    for (std::size_t i = 0; i + kHistoryKept < names.size(); ++i)
        fs::remove(folder / names[i].name, ec);
    return 0;
}

void CHistoryCopy::Withdraw()
{
    std::error_code ec;
    if (!m_path.empty())
        fs::remove(m_path, ec);
    // Only when empty: a step of another program may have kept a copy there
    // since.
    if (!m_madeFolder.empty())
        fs::remove(m_madeFolder, ec);
    m_path.clear();
    m_madeFolder.clear();
}

int KeepHistory(const std::string& workingPath, const std::string& action, std::time_t now)
{
    return CHistoryCopy().Keep(workingPath, action, now);
}

std::vector<HistoryEntry> ListHistory(const std::string& workingPath)
{
    const fs::path folder = HistoryFolder(workingPath);
    const std::vector<CopyName> names = HistoryNames(folder);
    std::vector<HistoryEntry> entries;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        HistoryEntry entry;
        entry.path = (folder / it->name).string();
        entry.time = ShownTime(*it);
        entry.action = it->name.substr(it->actionStart, it->name.size() - kExtensionLength - it->actionStart);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string HistoryStepText(const std::string& action)
{
    static const struct {
        const char* action;
        unsigned id;
    } kSteps[] = {
        { history::DeleteAll, msg::StepDeleteAllCards }, { history::Import, msg::HistoryStepImport },
        { history::Receive, msg::HistoryStepReceive },   { history::LoadBackup, msg::StepLoadBackup },
        { history::Restore, msg::StepRestore },          { history::Convert, msg::HistoryStepConvert },
        { history::Sync, msg::HistoryStepSync },
    };
    for (const auto& step : kSteps)
        if (action == step.action)
            return Text(step.id);
    return action;
}

int RemoveHistoryTemporaries(const std::string& workingPath)
{
    const fs::path folder = HistoryFolder(workingPath);
    // A temporary is "." + the copy's name + ".tmp" + process and attempt;
    // AtomicFile tells which of them nobody writes any more.
    std::set<std::string> targets;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::size_t tmp = name.rfind(".tmp");
        if (name.size() > 1 && name[0] == '.' && tmp != std::string::npos && tmp > 1)
            targets.insert((folder / name.substr(1, tmp - 1)).string());
    }
    int removed = 0;
    for (const std::string& target : targets)
        removed += RemoveLeftoverTemporaries(target);
    return removed;
}

void RemoveLeftoversOf(const std::string& workingPath)
{
    RemoveLeftoverTemporaries(workingPath);
    RemoveHistoryTemporaries(workingPath);
}

}  // namespace velkaro
