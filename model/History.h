#pragma once

// The history of the working file: before a step that replaces or deletes
// many cards, the working file as it was is kept in the folder "Verlauf"
// beside it, so that even a step taken in an earlier run can be taken back.
// A copy is named by its number, the time in UTC and the step
// ("000031 2026-12-09T13-03-22Z Import.itx"). The number, one more than the
// highest kept, orders the copies whatever the clock did between two steps
// (a change of time zone, the end of summer time); the time is only read,
// shown in local time. Copies that earlier versions named by local time
// alone ("2026-12-09T14-03-22 Import.itx") are older than every numbered
// one, and among themselves in the order of their names. The newest
// kHistoryKept copies stay. Standard library and the texts only.

#include <ctime>
#include <string>
#include <vector>

namespace velkaro {

constexpr int kHistoryKept = 30;

// The names of the steps in the file names (kept plain ASCII so that every
// file system takes them); HistoryStepText shows them in the program's
// language.
namespace history {
constexpr const char* DeleteAll = "Alle Karten loeschen";
constexpr const char* Import = "Import";
constexpr const char* Receive = "Empfang";
constexpr const char* LoadBackup = "Sicherung laden";
constexpr const char* Restore = "Wiederherstellen";
constexpr const char* Convert = "Umwandeln";
constexpr const char* Sync = "Abgleich";
}  // namespace history

struct HistoryEntry {
    std::string path;
    std::string time;    // local time: "2026-12-09 14:03:22"
    std::string action;  // the step that followed, as the file name has it
};

std::string HistoryFolder(const std::string& workingPath);

// The copy one step keeps of the working file before it writes. A step
// that fails after the copy was kept (its write met a full disk) takes the
// copy back, so that it leaves no trace.
class CHistoryCopy {
public:
    // Keeps the working file as it is on disk now, written atomically, and
    // removes the oldest copies beyond the limit. Nothing to keep (no
    // working file yet) is no failure, nor is a file the newest copy holds
    // already: nothing is kept then. Returns 0, or the errno value of the
    // step that failed; nothing was kept then, and a history folder made
    // for the copy is gone again.
    int Keep(const std::string& workingPath, const std::string& action, std::time_t now);
    // Removes the copy Keep kept, and the history folder if Keep made it.
    void Withdraw();

private:
    std::string m_path;
    std::string m_madeFolder;
};

// CHistoryCopy::Keep for a step that is taken whatever its write does.
int KeepHistory(const std::string& workingPath, const std::string& action, std::time_t now);

// The kept copies, newest first.
std::vector<HistoryEntry> ListHistory(const std::string& workingPath);

// The step of a copy in the program's language (Windows-1252); a name this
// version does not know as it stands.
std::string HistoryStepText(const std::string& action);

// Removes the temporaries that copies cut off by a killed program left in
// the history folder (see RemoveLeftoverTemporaries). Returns how many.
int RemoveHistoryTemporaries(const std::string& workingPath);

// What writes cut off by a killed program left of the working file: the
// temporaries of its saves (RemoveLeftoverTemporaries, which also finishes
// a write through a hard link) and of its history copies. Taken care of
// whenever the file is opened or locked.
void RemoveLeftoversOf(const std::string& workingPath);

}  // namespace velkaro
