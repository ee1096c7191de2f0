#pragma once

// Whole-file writes that never leave a half-written file behind: the new
// content goes to a hidden temporary file beside the target, is flushed to
// disk and only then renamed over the target. A reader (or the next start
// after a crash, a full disk or a killed program) finds either the old or
// the new content, never a mixture. Standard library and POSIX only.

#include <string>

namespace velkaro {

// Writes bytes as the whole new content of path. Returns 0, or the errno
// value of the step that failed; the target is then as it was.
// - A symbolic link is followed: its target gets the new content, the link
//   stays a link.
// - The owner, group and mode of the file being replaced are kept.
// - A file with more than one name (hard links) is written through: the
//   complete new content goes to disk first, under a redo name beside it,
//   then into the file itself, so that every name sees the new cards. A
//   write cut off in between is finished by RemoveLeftoverTemporaries; a
//   full disk is found before the file is touched. Should the write into
//   the file fail, this name gets the new content as a new file and the
//   error is returned (the other names may then be damaged).
// - A target that exists but may not be written (no write permission, or
//   no write bit at all, which root would otherwise ignore) is refused with
//   EACCES and left alone.
int WriteFileAtomically(const std::string& path, const std::string& bytes);

// The target a write to path goes to: path with its symbolic links followed
// (a dangling link gives where it points). path itself when it is no link.
std::string ResolveWriteTarget(const std::string& path);

// The temporary file names of a write to path: "." + file name + ".tmp" +
// process id + "-" + attempt, in the target's folder.
std::string TemporaryPrefix(const std::string& path);

// Removes the temporaries that writes to path left behind (a save killed
// between write and rename, a power cut) and finishes a write through that
// was cut off. A write in progress holds a lock on its temporary, so only
// those nobody holds are touched. Returns how many were removed.
int RemoveLeftoverTemporaries(const std::string& path);

}  // namespace velkaro
