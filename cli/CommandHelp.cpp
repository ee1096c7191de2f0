// The help of each velkaro command: what it does, every option, an example.
// Printed by `velkaro help COMMAND` and `velkaro COMMAND --help`.

#include "Cli.h"

#include <map>

namespace velkaro::cli {

namespace {

constexpr char kPortHelp[] =
    "  --port PORT     the serial port: COM1..COM20 (the port of that number\n"
    "                  in the desktop program's settings) or a device path\n"
    "                  such as /dev/ttyUSB0; default: the desktop program's port\n";

constexpr char kCommonHelp[] =
    "  --json          print the result as one JSON object on standard output\n"
    "  --help          this text\n"
    "\n"
    "Exit status: 0 success, 1 failure (the reason on standard error), 2 a\n"
    "mistake in the command line.\n";

const std::map<std::string, std::string>& HelpTexts()
{
    static const std::map<std::string, std::string> texts = {
        { "cards",
          "Prints the cards of a working file (.itx) or a backup (.vlx), one JSON\n"
          "object a card: {\"edited\":E,\"marked\":M,\"lines\":[...]}.\n"
          "\n"
          "Options:\n"
          "  FILE            the card file\n"
          "\n"
          "Example:\n"
          "  velkaro cards Velkaro_Desktop.itx\n" },
        { "convert",
          "Reads a card file of any version the program reads and writes it as\n"
          "the program writes its working file (version 12).\n"
          "\n"
          "Options:\n"
          "  IN              the card file to read\n"
          "  OUT             the card file to write\n"
          "\n"
          "Example:\n"
          "  velkaro convert old.vlx new.vlx\n" },
        { "history",
          "Lists the earlier states of a card file that its history keeps (the\n"
          "folder Verlauf beside it): before a step that deletes or replaces many\n"
          "cards the file is copied there; the newest 30 copies stay. One line a\n"
          "copy, newest first: its number, the time, the card count and the step\n"
          "that followed; a file without copies says so. A file that does not exist\n"
          "(and left no copies) is a failure.\n"
          "\n"
          "Options:\n"
          "  FILE            the card file (.itx or .vlx)\n"
          "\n"
          "Example:\n"
          "  velkaro history Velkaro_Desktop.itx\n" },
        { "restore",
          "Puts an earlier state of a card file back: copy N of the history list.\n"
          "The cards the file holds now are kept in the history first.\n"
          "\n"
          "Options:\n"
          "  FILE            the card file (.itx or .vlx)\n"
          "  N               the number the history list shows\n"
          "\n"
          "Example:\n"
          "  velkaro restore Velkaro_Desktop.itx 1\n" },
        { "import",
          "Adds the addresses of a spreadsheet (.xls, .xlsx, .ods), text (.csv, .txt)\n"
          "or vCard file (.vcf) to the cards of an archive, as the desktop program's\n"
          "import does. Columns whose heading is a line's label are assigned by\n"
          "themselves; the headings may stand below a title. vCards and the contact\n"
          "exports of Google Contacts, Outlook and Thunderbird give one column per\n"
          "value (a second mobile number is \"Mobil 2\"), and every column goes to the\n"
          "line of its label or the next free line. What could not be kept whole\n"
          "(values longer than their line, records without a name, columns no line\n"
          "takes) is said after the count, and with --json as \"report\".\n"
          "\n"
          "Options:\n"
          "  FILE            the file to import\n"
          "  --into ARCHIVE  the card file (.itx or .vlx) that takes the cards\n"
          "  --mode MODE     add (default: a name that exists gets a number),\n"
          "                  replace (the existing cards are deleted first) or\n"
          "                  add-replace (a new card replaces the one of its name);\n"
          "                  0, 1 and 2 are accepted too\n"
          "  --config FILE   the column assignment of an import configuration file\n"
          "                  (.icf) saved by the desktop program\n"
          "  --map LINE=COLUMN[,...]\n"
          "                  assign columns: the line by its label or number\n"
          "                  (1 = name, 2 = telephone number), the column by its\n"
          "                  heading or number (from 1; - for none)\n"
          "  --sheet NAME|N  the sheet of a workbook to import, by its name or its\n"
          "                  number from 1 (hidden sheets count); default: the\n"
          "                  first visible sheet\n"
          "  --skip-first    the first row holds headings, not an address\n"
          "  --only-numbers  clean the telephone numbers: only what a telephone dials\n"
          "  --dos           the text file is in the DOS character set\n"
          "  --structure     the lines' labels are the field names of the card structure\n"
          "  --name-order ORDER\n"
          "                  how a contact's name line is made of its parts: family\n"
          "                  (\"Mueller Hans\", the default), given (\"Hans Mueller\") or\n"
          "                  as-is (as the address book writes it); default: the\n"
          "                  setting NameOrder\n"
          "  --dialable      write the numbers of the new cards as the telephone dials\n"
          "                  them: only digits, national form for the home country,\n"
          "                  its international prefix for others (\"+49 30 1234567\"\n"
          "                  is 0301234567 in Germany); the telephone line and the\n"
          "                  lines labelled with a kind of number (Mobil, Fax, ...)\n"
          "  --home-country CC  with --dialable: the country the numbers are dialled\n"
          "                  from (CH, DE, ...); default: the setting HomeCountry,\n"
          "                  else the locale (LC_ALL, LC_TELEPHONE, LANG)\n"
          "  --outside-line DIGITS  with --dialable: what a private exchange wants\n"
          "                  before an outside number (0); default: the setting\n"
          "                  OutsideLinePrefix\n"
          "\n"
          "Example:\n"
          "  velkaro import addresses.csv --into cards.itx --skip-first --map \"Line 1=Ort\"\n" },
        { "export",
          "Writes the cards of an archive to a spreadsheet, text or vCard file, as the\n"
          "desktop program's export does.\n"
          "\n"
          "Options:\n"
          "  ARCHIVE         the card file (.itx or .vlx)\n"
          "  -o, --output OUT  the file to write; never ARCHIVE itself, under any\n"
          "                  of its names\n"
          "  --format FORMAT xls, csv (semicolons), tab (tab-separated), vcf (vCard 3.0)\n"
          "                  or csv-utf8 (commas, UTF-8)\n"
          "  --select TEXT   only the cards the search for TEXT finds\n"
          "  --structure     the headings are the field names of the card structure\n"
          "\n"
          "Example:\n"
          "  velkaro export cards.itx -o list.csv --format csv\n" },
        { "table",
          "Shows an import file as the import reads it: one JSON array of fields\n"
          "a row. Numbers and dates of spreadsheets appear with the separators of\n"
          "the user's locale unless the options name others.\n"
          "\n"
          "Options:\n"
          "  FILE            the file to read\n"
          "  --sheet NAME|N  the sheet of a workbook, by its name or its number from 1\n"
          "                  (hidden sheets count); default: the first visible sheet\n"
          "  --decimal C     the decimal separator\n"
          "  --thousands C   the grouping separator\n"
          "  --date C        the separator of dates\n"
          "  --name-order ORDER  as for import: family, given or as-is\n"
          "\n"
          "Example:\n"
          "  velkaro table addresses.xlsx --decimal ,\n" },
        { "send",
          "Sends the cards of an archive to the telephone.\n"
          "\n"
          "Options:\n"
          "  FILE            the card file (.itx or .vlx)\n"
          "  --edited        only the cards edited since they were last sent\n"
          "  --select TEXT   only the cards the search for TEXT finds\n"
          "  --no-high-speed stay at 9600 baud\n"
          "  --mark-sent     mark the sent cards as sent in FILE: you vouch that the\n"
          "                  telephone received them, as it confirms no card\n"
          "\n"
          "When nothing on the line showed the telephone (its answer to the offer of\n"
          "high speed, or DSR, CTS or DCD up), the result says so.\n" },
        { "send-card",
          "Sends one card, found by its name, to the telephone.\n"
          "\n"
          "Options:\n"
          "  FILE            the card file (.itx or .vlx)\n"
          "  NAME            the name of the card\n"
          "  --mark-sent     mark the card as sent in FILE\n" },
        { "dial",
          "Has the telephone dial the number of a card, found by its name.\n"
          "\n"
          "Options:\n"
          "  FILE            the card file (.itx or .vlx)\n"
          "  NAME            the name of the card\n" },
        { "receive",
          "Waits for the cards the telephone sends (started on the telephone) and\n"
          "stores them in a card file, replacing its cards.\n"
          "\n"
          "Options:\n"
          "  --into FILE     the card file (.itx or .vlx) that takes the cards\n"
          "  --wait SECONDS  how long to wait for the telephone (default 60)\n"
          "  --accept-partial  keep what arrived of a broken transfer\n"
          "  --dry-run       only count what the cards would change (new, changed,\n"
          "                  only here, unchanged); FILE stays as it is; with\n"
          "                  --json the names of each group\n"
          "  --merge         take the telephone's new and changed cards and keep\n"
          "                  the cards only FILE holds, marked as edited\n" },
        { "sync",
          "Brings the cards in step with the address book on a CardDAV server\n"
          "(Nextcloud, Radicale, Baikal, Fastmail, iCloud, ...): the account set\n"
          "in the desktop program, or for this run the one --url and --user name.\n"
          "The first sync fetches every contact, later ones only what changed.\n"
          "Contacts become cards as a vCard import makes them, with the account's\n"
          "filters, their numbers as the telephone dials them (settings\n"
          "HomeCountry and OutsideLinePrefix). The sync is merged: a card that came\n"
          "from the server and is gone there is removed only when it was not\n"
          "changed here since; cards typed here or received from the telephone\n"
          "stay. New and changed cards are marked as edited. Prints the counts\n"
          "(with --json as \"counts\"); the earlier cards go to the history first.\n"
          "Status 1 also for a vCard the reader refuses (it is named; the others\n"
          "are synced); when the server cannot be read whole nothing changes.\n"
          "\n"
          "Options:\n"
          "  --into FILE     the card file; default: the desktop program's working file\n"
          "  --url URL       the server, instead of the account's\n"
          "  --user USER     the user name, instead of the account's\n"
          "  --password-file FILE  the password: the first line of FILE; else the\n"
          "                  variable VELKARO_CARDDAV_PASSWORD, else the secret store\n"
          "  --ca-file FILE  PEM certificates to trust besides the system's\n"
          "  --addressbook NAME  only the address book of this name or URL\n"
          "  --dry-run       only print the counts; nothing changes\n"
          "  --send          then send the edited cards to the telephone and mark\n"
          "                  them as sent when the line showed the telephone\n"
          "  --port PORT     the telephone's port for --send (COM1..COM20 or a\n"
          "                  device path); default: the desktop program's port\n"
          "  --name-order family|given|as-is  how names are built (default: the\n"
          "                  setting NameOrder)\n"
          "\n"
          "Example:\n"
          "  velkaro sync --into cards.itx --send --port /dev/ttyUSB0\n" },
        { "calllist",
          "Fetches the telephone's call list and saves it.\n"
          "\n"
          "Options:\n"
          "  -o, --output OUT  the file to write: .xls, .csv, .txt or .tab\n"
          "  --since DD.MM.YYYY  only the calls from that day on\n"
          "  --descending    newest first\n"
          "  --names-from FILE  calls listed without a name take the name of the\n"
          "                  card in FILE (.itx or .vlx) with the same number,\n"
          "                  compared as telephone numbers\n"
          "  --home-country CC  the country the numbers are dialled from (CH, DE,\n"
          "                  ...); default: the setting HomeCountry, else the\n"
          "                  locale (LC_ALL, LC_TELEPHONE, LANG)\n" },
    };
    return texts;
}

const std::map<std::string, std::string>& Examples()
{
    static const std::map<std::string, std::string> examples = {
        { "send", "  velkaro send cards.itx --edited --port /dev/ttyUSB0\n" },
        { "send-card", "  velkaro send-card cards.itx Alt --port COM1\n" },
        { "dial", "  velkaro dial cards.itx Alt --port /dev/ttyUSB0\n" },
        { "receive", "  velkaro receive --into cards.itx --wait 120 --port /dev/ttyUSB0\n" },
        { "calllist", "  velkaro calllist -o calls.csv --since 01.12.2026 --port /dev/ttyUSB0\n" },
    };
    return examples;
}

}  // namespace

std::string CommandHelp(const std::string& name, const std::string& usage)
{
    // Some usage lines carry a short description after two blanks.
    std::string text = "usage: velkaro " + name + ' ' + usage.substr(0, usage.find("  ")) + " [--json]\n\n";
    auto it = HelpTexts().find(name);
    if (it == HelpTexts().end())
        return text + kCommonHelp;
    text += it->second;
    auto example = Examples().find(name);
    if (example != Examples().end()) {
        // The telephone's commands share the port option.
        text += kPortHelp;
        text += kCommonHelp;
        text += "\nExample:\n" + example->second;
        return text;
    }
    // The example closes the text; the common options go before it.
    text.insert(text.rfind("\nExample:\n"), kCommonHelp);
    return text;
}

}  // namespace velkaro::cli
