#pragma once

// The history of the working file: before a step that replaces or deletes
// many cards, the working file as it was is kept in the folder "Verlauf"
// beside it, named by the time and the step ("2026-12-09T14-03-22
// Import.itx"), so that even a step taken in an earlier run can be taken
// back. The newest kHistoryKept copies stay. Standard library only.

#include <ctime>
#include <string>
#include <vector>

namespace velkaro {

constexpr int kHistoryKept = 30;

// The names of the steps in the file names (kept plain ASCII so that every
// file system takes them).
namespace history {
constexpr const char* DeleteAll = "Alle Karten loeschen";
constexpr const char* Import = "Import";
constexpr const char* Receive = "Empfang";
constexpr const char* LoadBackup = "Sicherung laden";
constexpr const char* Restore = "Wiederherstellen";
constexpr const char* Convert = "Umwandeln";
}  // namespace history

struct HistoryEntry {
    std::string path;
    std::string time;    // "2026-12-09 14:03:22"
    std::string action;  // the step that followed
};

std::string HistoryFolder(const std::string& workingPath);

// Keeps the working file as it is on disk now, written atomically, and
// removes the oldest copies beyond the limit. Nothing to keep (no working
// file yet) is no failure. Returns 0, or the errno value of the step that
// failed; nothing was kept then.
int KeepHistory(const std::string& workingPath, const std::string& action, std::time_t now);

// The kept copies, newest first.
std::vector<HistoryEntry> ListHistory(const std::string& workingPath);

}  // namespace velkaro
