#pragma once

// What the benchmarks share: cards and import tables that look like a real
// address book, a user interface that answers nothing, and a scratch folder
// for the files the readers and writers work on.

#include "exchange/ImportTable.h"
#include "model/CardList.h"
#include "model/UserInterface.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace velkaro::bench {

// The names of n different people, in the order an import or a transfer
// brings them: not sorted. The same n always gives the same names.
std::vector<std::string> PeopleNames(int n);

// A card as most users keep them: name, telephone and a few lines of
// address. Marks every seventh card, as the telephone's own list does.
std::unique_ptr<CKarte> TypicalCard(const std::string& name, int i);
// A card with all 32 lines filled to their length: the most an archive or a
// transfer carries per card.
std::unique_ptr<CKarte> FullCard(const std::string& name, int i);

// n cards in the collection's order (InsertSorted, no replacing).
CCardList TypicalCollection(int n);
CCardList FullCollection(int n);

// A table as a contact export of another program gives it: a header row and
// rows of name, first name, street, post code, town, telephone, mobile,
// e-mail, company and note. Windows-1252.
CImportTable ContactTable(int rows, int columns);

// The table as a semicolon-separated file: fields holding the separator are
// quoted, lines end in CR LF.
std::string SemicolonText(const CImportTable& table);

// The benchmarks run without a window: messages are counted, every question
// is cancelled and no file is chosen.
class SilentUi : public IUserInterface {
public:
    MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon icon) override;
    std::optional<std::string> ChooseFile(FileRequest& request) override;

    int messages = 0;
};

// A folder of its own in the system's temporary folder, removed with all it
// holds when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Writes the bytes as a file; false when it could not be written.
bool WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace velkaro::bench
