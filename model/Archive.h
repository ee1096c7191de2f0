#pragma once

// The archive format of the working file and of backup files: magic, version
// byte, then the collection in the class library's object framing.

#include "CardList.h"

#include <cstdint>
#include <string>

namespace velkaro {

constexpr uint8_t kArchiveVersion = 12;

enum class ArchiveError {
    None,
    BadFormat,  // no magic or a version outside 10..12 (message "Falsches Datei-Format")
    Damaged,    // end of file, unknown class, bad schema, impossible counts
    FileError,  // the file could not be opened, read or written
};

struct ArchiveResult {
    ArchiveError error = ArchiveError::None;
    uint8_t fileVersion = 0;
    std::string message;  // the text to show the user, Windows-1252
    // Cards of the file whose lines held control characters, read as blanks.
    int cardsWithControls = 0;
    explicit operator bool() const { return error == ArchiveError::None; }
};

// Reads archive bytes into a new collection: cards of older versions are
// re-sorted and numbered, the field-names card is taken out. On failure
// `into` is left as it was. name is the file named in error messages.
ArchiveResult ReadArchive(const std::string& bytes, CCardList& into, const std::string& name = {});
// The archive bytes of a collection (the field-names card is put in for the
// write and taken out again).
std::string WriteArchive(CCardList& list);

// Files: the same, with the file's errors. Writing goes through
// WriteFileAtomically (AtomicFile.h): a link is written through, owner and
// mode are kept, a read-only file is refused.
ArchiveResult LoadCardFile(const std::string& path, CCardList& into);
ArchiveResult SaveCardFile(const std::string& path, CCardList& list);

}  // namespace velkaro
