// velkaro table: an import file as the import command reads it, one JSON
// array of field texts per record.

#include "Cli.h"
#include "Streams.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "exchange/Contacts.h"
#include "exchange/ImportReader.h"
#include "exchange/LocaleSeparators.h"
#include "model/UserInterface.h"
#include "text/MessageIds.h"

#include <iostream>
#include <string_view>
#include <utility>
#include <vector>

namespace velkaro::cli {

namespace {

// Messages of the readers go to standard error, after the file they are
// about: the readers say only what is wrong.
class TableUi : public IUserInterface {
public:
    explicit TableUi(const CInputFile& input) : m_input(input) {}
    MsgAnswer Message(const std::string& text, MsgButtons, MsgIcon) override
    {
        FailReading(m_input.Shown(), m_input.Named(text));
        return MsgAnswer::Ok;
    }
    std::optional<std::string> ChooseFile(FileRequest&) override { return std::nullopt; }

private:
    const CInputFile& m_input;
};

bool TakeSeparator(std::vector<std::string>& args, const std::string& name, char& value, bool& bad)
{
    std::string text;
    if (!TakeOption(args, name, text))
        return false;
    // One character as typed (UTF-8), by the same rule as the locale's.
    const char byte = SeparatorByte(text, '\0');
    if (byte == '\0')
        bad = true;
    else
        value = byte;
    return true;
}

constexpr char kTableArgs[] = "FILE [--sheet NAME|N] [--decimal C] [--thousands C] [--date C] [--name-order family|given|as-is]";
const std::string kTableUsage = std::string("table ") + kTableArgs;

int RunTable(std::vector<std::string>& args)
{
    NumberSeparators seps = LocaleSeparators();
    bool bad = false;
    TakeSeparator(args, "--decimal", seps.decimal, bad);
    TakeSeparator(args, "--thousands", seps.thousands, bad);
    TakeSeparator(args, "--date", seps.date, bad);
    if (bad)
        return UsageError("--decimal, --thousands and --date take one character each", kTableUsage);
    SheetRequest sheet;
    if (TakeOption(args, "--sheet", sheet.sheet) && !IsWellFormedSheetChoice(sheet.sheet))
        return UsageError(kSheetOptionUsage, kTableUsage);
    sheet.sheet = Utf8ToAnsi(sheet.sheet);
    std::string nameOrderReason;
    if (!TakeNameOrder(args, nameOrderReason))
        return UsageError(nameOrderReason, kTableUsage);
    if (args.size() != 1)
        return UsageError(kTableUsage);

    // Standard input and pipes are read once, into a file the reader opens.
    CInputFile input(args[0]);
    if (const std::string reason = input.Open(kMaxImportFileBytes, true); !reason.empty())
        return FailReading(input.Shown(), reason);
    TableUi ui(input);
    CImportTable table;
    // The DOS character set plays no part here: a UTF-8 file's bytes need
    // not stay beside its converted fields.
    table.SetKeepsRawFields(false);
    if (const Outcome read = ReadImportFile(input.Path(), table, ui, seps, sheet); !read) {
        ui.Show(read, MsgIcon::None);
        return 1;
    }
    table.DropEmptyRecords();
    if (table.RecordCount() == 0)
        return FailReading(input.Shown(), Text(msg::EmptyFile));
    // An address book's contact export, as the import makes it a table.
    RecogniseContactExport(table, ContactNameOrder());
    // The lines go out through one buffer: a large file has hundreds of
    // thousands of them. A record's line is written into room made for the
    // longest it can be, then cut to its length.
    constexpr std::size_t kFlushAt = 1 << 20;
    std::string out;
    out.reserve(kFlushAt + 64 * 1024);
    std::vector<std::string_view> fields;
    for (int r = 0; r < table.RecordCount(); ++r) {
        table.RecordViews(r, fields);
        std::size_t room = 3 + fields.size();
        for (std::string_view field : fields)
            room += JsonStringBound(field.size());
        const std::size_t at = out.size();
        out.resize(at + room);
        char* to = out.data() + at;
        *to++ = '[';
        for (std::size_t c = 0; c < fields.size(); ++c) {
            if (c > 0)
                *to++ = ',';
            to = WriteJsonString(to, fields[c]);
        }
        *to++ = ']';
        *to++ = '\n';
        out.resize(static_cast<std::size_t>(to - out.data()));
        if (out.size() >= kFlushAt) {
            std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
            out.clear();
        }
    }
    std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
    return FinishOutput();
}

const CliRegistration kTable({ "table", &RunTable });

}  // namespace

}  // namespace velkaro::cli
