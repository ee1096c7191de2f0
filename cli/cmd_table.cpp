// velkaro table: an import file as the import command reads it, one JSON
// array of field texts per record.

#include "Cli.h"

#include "app/Cp1252.h"
#include "app/Language.h"
#include "exchange/ImportReader.h"
#include "model/UserInterface.h"
#include "resources/MessageIds.h"

#include <langinfo.h>
#include <locale.h>

#include <iostream>

namespace velkaro::cli {

namespace {

// Messages of the readers go to standard error.
class TableUi : public IUserInterface {
public:
    MsgAnswer Message(const std::string& text, MsgButtons, MsgIcon) override
    {
        Fail(text);
        return MsgAnswer::Ok;
    }
    std::optional<std::string> ChooseFile(FileRequest&) override { return std::nullopt; }
};

// The first character of a locale setting, or nothing when it has none.
std::optional<char> FirstChar(const char* setting)
{
    if (!setting || !setting[0])
        return std::nullopt;
    return setting[0];
}

// The decimal, thousands and date separators of the user's locale, without
// changing the program's own locale.
NumberSeparators LocaleSeparators()
{
    NumberSeparators seps;
    locale_t locale = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
    if (!locale)
        locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (!locale)
        return seps;
    seps.decimal = FirstChar(nl_langinfo_l(RADIXCHAR, locale)).value_or('.');
    // The C locale has no grouping character: take the one that is not the
    // decimal separator.
    seps.thousands = FirstChar(nl_langinfo_l(THOUSEP, locale)).value_or(seps.decimal == ',' ? '.' : ',');
    // The first character of the date format that is not a conversion.
    std::string format = nl_langinfo_l(D_FMT, locale);
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%') {
            ++i;
            continue;
        }
        seps.date = format[i];
        break;
    }
    freelocale(locale);
    return seps;
}

bool TakeSeparator(std::vector<std::string>& args, const std::string& name, char& value, bool& bad)
{
    std::string text;
    if (!TakeOption(args, name, text))
        return false;
    if (text.size() != 1)
        bad = true;
    else
        value = text[0];
    return true;
}

int RunTable(std::vector<std::string>& args)
{
    NumberSeparators seps = LocaleSeparators();
    bool bad = false;
    TakeSeparator(args, "--decimal", seps.decimal, bad);
    TakeSeparator(args, "--thousands", seps.thousands, bad);
    TakeSeparator(args, "--date", seps.date, bad);
    if (bad)
        return Fail("--decimal, --thousands and --date take one character each");
    if (args.size() != 1 || args[0].rfind("--", 0) == 0)
        return Fail("usage: velkaro table FILE [--decimal C] [--thousands C] [--date C]");

    TableUi ui;
    CImportTable table;
    if (!ReadImportFile(args[0], table, ui, seps))
        return 1;
    table.DropEmptyRecords();
    if (table.RecordCount() == 0)
        return Fail(Text(msg::EmptyFile));
    // The lines go out through one buffer: a large file has hundreds of
    // thousands of them.
    constexpr std::size_t kFlushAt = 1 << 20;
    std::string out;
    out.reserve(kFlushAt + 64 * 1024);
    for (int r = 0; r < table.RecordCount(); ++r) {
        out += '[';
        for (int c = 0; c < table.RecordLength(r); ++c) {
            if (c > 0)
                out += ',';
            AppendJsonString(out, table.FieldView(r, c));
        }
        out += "]\n";
        if (out.size() >= kFlushAt) {
            std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
            out.clear();
        }
    }
    std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
    std::cout.flush();
    return std::cout ? 0 : 1;
}

const CliRegistration kTable({ "table", "FILE [--decimal C] [--thousands C] [--date C]", &RunTable });

}  // namespace

}  // namespace velkaro::cli
