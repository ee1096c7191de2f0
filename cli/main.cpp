// velkaro: the command-line companion of Velkaro Desktop.

#include "Cli.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "text/SystemError.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <clocale>
#include <map>
#include <optional>
#include <sstream>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkaro::cli {

namespace {

std::map<std::string, CliCommand>& Commands()
{
    static std::map<std::string, CliCommand> commands;
    return commands;
}

int Usage(std::FILE* out)
{
    std::fputs(GeneralHelp().c_str(), out);
    return out == stdout ? FinishOutput() : 2;
}

bool g_quiet = false;

}  // namespace

CliRegistration::CliRegistration(CliCommand command)
{
    auto name = command.name;
    Commands().emplace(std::move(name), std::move(command));
}

const CliCommand* RegisteredCommand(const std::string& name)
{
    auto it = Commands().find(name);
    return it == Commands().end() ? nullptr : &it->second;
}

bool Quiet()
{
    return g_quiet;
}

void SetQuiet(bool on)
{
    g_quiet = on;
}

void Say(const std::string& ansiText)
{
    if (!g_quiet)
        PrintLine(ansiText);
}

bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name && i + 1 < args.size()) {
            value = args[i + 1];
            args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
            return true;
        }
        if (args[i].rfind(name + "=", 0) == 0) {
            value = args[i].substr(name.size() + 1);
            args.erase(args.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

bool TakeFlag(std::vector<std::string>& args, const std::string& name)
{
    auto it = std::find(args.begin(), args.end(), name);
    if (it == args.end())
        return false;
    args.erase(it);
    return true;
}

namespace {

void AppendEscape(std::string& out, unsigned char c)
{
    static const char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
}

bool IsSteering(unsigned char c)
{
    return (c < 0x20 && c != '\n' && c != '\t') || c == 0x7F;
}

// UTF-8 text with the controls that steer a terminal escaped: the C0 ones
// but line break and tab, DEL, and the C1 ones (U+0080 to U+009F, which
// terminals take as 8-bit sequences).
std::string Utf8ForTerminal(const std::string& utf8)
{
    std::string safe;
    safe.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (IsSteering(c)) {
            AppendEscape(safe, c);
        } else if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0
                   && static_cast<unsigned char>(utf8[i + 1]) >= 0x80) {
            AppendEscape(safe, static_cast<unsigned char>(utf8[++i]));
        } else {
            safe += utf8[i];
        }
    }
    return safe;
}

}  // namespace

// A file or card name may hold bytes that steer a terminal: ESC starts a
// sequence that retitles the window or colours the output. They are written
// as escapes; the line breaks and tabs of the messages stay.
std::string ForTerminal(const std::string& ansiText)
{
    return Utf8ForTerminal(AnsiToUtf8(ansiText));
}

void ReportControlCharacters(const std::string& path, int cards)
{
    if (cards > 0)
        std::cerr << ForTerminal(FormatText(msg::CardsWithControls, cards, Utf8ToAnsi(path).c_str())) << std::endl;
}

int Fail(const std::string& ansiMessage)
{
    // One line a failure, for scripts and logs that read them line by line:
    // the lines of a message box ("... could not be opened.", the system's
    // reason) follow each other.
    std::string line = ansiMessage;
    while (!line.empty() && line.back() == '\n')
        line.pop_back();
    std::replace(line.begin(), line.end(), '\n', ' ');
    const bool prefixed = line.rfind("velkaro: ", 0) == 0;
    std::cerr << (prefixed ? "" : "velkaro: ") << ForTerminal(line) << std::endl;
    return 1;
}

std::string NamingFile(const std::string& path, const std::string& ansiMessage)
{
    const std::string name = Utf8ToAnsi(path);
    if (ansiMessage.empty())
        return "cannot read " + name;
    return ansiMessage.find(name) == std::string::npos ? name + ": " + ansiMessage : ansiMessage;
}

int FailReading(const std::string& path, const std::string& ansiMessage)
{
    return Fail(NamingFile(path, ansiMessage));
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat first {}, second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

int UsageError(const std::string& usageLine)
{
    std::cerr << "usage: velkaro " << Utf8ForTerminal(usageLine) << std::endl;
    return 2;
}

int UsageError(const std::string& reason, const std::string& usageLine)
{
    std::cerr << "velkaro: " << Utf8ForTerminal(reason) << '\n';
    return UsageError(usageLine);
}

int FinishOutput()
{
    errno = 0;
    std::cout.flush();
    // A write that failed while the buffer filled leaves only the stream's
    // error mark behind.
    if (std::cout && std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    const int error = errno ? errno : EIO;
    std::cerr << "velkaro: cannot write standard output: " << ForTerminal(SystemErrorText(error)) << std::endl;
    return 1;
}

namespace {

// Descriptors 0 to 2 that the caller left closed (`velkaro ... >&-`) would
// be the next ones opened: a lock file or Qt's event descriptor would then
// receive the messages meant for the user. Each is opened on /dev/null, the
// output ones for reading only, so that every write to them fails (EBADF)
// and a message that cannot be printed is a failure, as on a full disk.
void OccupyClosedStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free descriptor is this one: those below are open.
        const int opened = ::open("/dev/null", O_RDONLY);
        if (opened != fd && opened >= 0)
            ::close(opened);
    }
}

}  // namespace

namespace {

// A JSON string literal of UTF-8 text.
std::string JsonUtf8(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string JsonArray(const std::vector<std::string>& items, bool raw)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i)
            out += ',';
        out += raw ? items[i] : JsonUtf8(items[i]);
    }
    return out + ']';
}

// Restores a stream's buffer however the command ends.
struct StreamCapture {
    std::ostream& stream;
    std::streambuf* saved;
    std::ostringstream text;
    explicit StreamCapture(std::ostream& s) : stream(s), saved(s.rdbuf(text.rdbuf())) {}
    ~StreamCapture() { stream.rdbuf(saved); }
    StreamCapture(const StreamCapture&) = delete;
    StreamCapture& operator=(const StreamCapture&) = delete;
};

}  // namespace

namespace {

// The results commands add for --json beside their messages.
std::vector<std::pair<std::string, std::string>>& JsonResults()
{
    static std::vector<std::pair<std::string, std::string>> results;
    return results;
}

}  // namespace

int RunAsJson(const CliCommand& command, std::vector<std::string>& args)
{
    int status = 0;
    std::string out, err;
    {
        StreamCapture capturedOut(std::cout);
        StreamCapture capturedErr(std::cerr);
        status = command.run(args);
        std::cout.flush();
        out = capturedOut.text.str();
        err = capturedErr.text.str();
    }
    // The messages still reach standard error, where a failure's reason goes.
    if (!err.empty()) {
        std::cerr << err;
        std::cerr.flush();
    }
    // A mistake in the command line has no result to give: standard output
    // stays empty, as without --json.
    if (status == 2)
        return status;
    const std::vector<std::string> outLines = Lines(out);
    // Commands whose output is JSON already (one object or array a line)
    // give it as records; the others' lines are messages.
    const bool records = !outLines.empty() && std::all_of(outLines.begin(), outLines.end(), [](const std::string& l) {
        return !l.empty() && (l.front() == '{' || l.front() == '[');
    });
    std::string json = "{\"command\":" + JsonUtf8(command.name) + ",\"status\":" + std::to_string(status)
        + ",\"ok\":" + (status == 0 ? "true" : "false");
    if (records)
        json += ",\"count\":" + std::to_string(outLines.size()) + ",\"records\":" + JsonArray(outLines, true);
    json += ",\"arguments\":" + JsonArray(args, false);
    json += ",\"messages\":" + JsonArray(records ? std::vector<std::string>{} : outLines, false);
    json += ",\"errors\":" + JsonArray(Lines(err), false);
    for (const auto& [name, value] : JsonResults())
        json += "," + JsonUtf8(name) + ":" + value;
    json += "}\n";
    std::cout << json;
    const int flushed = FinishOutput();
    return status != 0 ? status : flushed;
}

namespace {
bool g_jsonOutput = false;
}  // namespace

void AddJsonResult(const std::string& name, const std::string& json)
{
    JsonResults().emplace_back(name, json);
}

bool JsonOutput()
{
    return g_jsonOutput;
}

void SetJsonOutput(bool on)
{
    g_jsonOutput = on;
}

void PrintLine(const std::string& ansiText)
{
    std::cout << ForTerminal(ansiText) << '\n';
}


namespace {

// The language --lang names; false for none of the three.
bool SetLanguageByName(const std::string& lang)
{
    if (lang == "de")
        SetLanguageOffset(kLangGerman);
    else if (lang == "en")
        SetLanguageOffset(kLangEnglish);
    else if (lang == "fr")
        SetLanguageOffset(kLangFrench);
    else
        return false;
    return true;
}

constexpr char kGlobalUsage[] = "[--lang de|en|fr] [--json] [--quiet] COMMAND [ARGS]";

// The options before the command, taken out of args; a status when the
// program ends with them (--version, --help, a mistake).
std::optional<int> TakeGlobalOptions(std::vector<std::string>& args)
{
    while (!args.empty() && args[0].size() > 1 && args[0][0] == '-') {
        const std::string arg = args[0];
        args.erase(args.begin());
        if (arg == "--")
            break;
        std::string lang;
        if (arg == "--lang" || arg.rfind("--lang=", 0) == 0) {
            if (arg == "--lang" && args.empty())
                return UsageError(FormatText(msg::CliOptionNeedsValue, "--lang", "LANG"), kGlobalUsage);
            lang = arg == "--lang" ? args[0] : arg.substr(7);
            if (arg == "--lang")
                args.erase(args.begin());
            if (!SetLanguageByName(lang))
                return UsageError("unknown language: " + lang + " (de, en or fr)", kGlobalUsage);
        } else if (arg == "--json") {
            SetJsonOutput(true);
        } else if (arg == "--quiet") {
            SetQuiet(true);
        } else if (arg == "--version") {
            std::cout << "Velkaro Desktop " VELKARO_VERSION "\n";
            return FinishOutput();
        } else if (arg == "--help" || arg == "-h") {
            return Usage(stdout);
        } else {
            return UsageError(AnsiToUtf8(FormatText(msg::CliUnknownOption, Utf8ToAnsi(arg).c_str())), kGlobalUsage);
        }
    }
    return std::nullopt;
}

int UnknownCommand(const std::string& name)
{
    std::cerr << "velkaro: " << ForTerminal(FormatText(msg::CliUnknownCommand, Utf8ToAnsi(name).c_str())) << '\n';
    return Usage(stderr);
}

// `velkaro help [COMMAND]`.
int RunHelp(const std::vector<std::string>& args)
{
    if (args.size() == 1)
        return Usage(stdout);
    const CommandEntry* command = args.size() == 2 ? FindCommand(args[1]) : nullptr;
    if (args.size() > 2)
        return UsageError("help [COMMAND]");
    if (!command)
        return UnknownCommand(args[1]);
    std::cout << CommandHelp(*command);
    return FinishOutput();
}

// The command's own options checked and its common ones taken; then it runs.
int RunCommand(const CommandEntry& entry, std::vector<std::string>& args)
{
    std::string reason;
    if (!NormalizeArguments(entry, args, reason))
        return UsageError(AnsiToUtf8(reason), UsageLine(entry));
    if (TakeFlag(args, "--help")) {
        std::cout << CommandHelp(entry);
        return FinishOutput();
    }
    std::string lang;
    if (TakeOption(args, "--lang", lang) && !SetLanguageByName(lang))
        return UsageError("unknown language: " + lang + " (de, en or fr)", UsageLine(entry));
    if (TakeFlag(args, "--quiet"))
        SetQuiet(true);
    if (TakeFlag(args, "--json"))
        SetJsonOutput(true);
    const CliCommand* command = RegisteredCommand(entry.name);
    if (!command)
        return UnknownCommand(entry.name);
    return JsonOutput() ? RunAsJson(*command, args) : command->run(args);
}

}  // namespace

}  // namespace velkaro::cli

int main(int argc, char** argv)
{
    using namespace velkaro;
    cli::OccupyClosedStandardDescriptors();
    // The system's messages (strerror) in the user's language where the
    // locale is installed; numbers keep the C form the output is read in.
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    std::vector<std::string> args(argv + 1, argv + argc);

    // Messages and labels follow the user's language unless --lang says.
    // The user's messages in the locale's language; English for any but
    // German and French.
    SetLanguageOffset(LanguageOfLocale(kLangEnglish));
    // What the shell completion asks.
    if (const int listed = cli::RunListing(args); listed >= 0)
        return listed;
    if (const std::optional<int> status = cli::TakeGlobalOptions(args))
        return *status;
    if (args.empty())
        return cli::Usage(stderr);
    if (args[0] == "help")
        return cli::RunHelp(args);
    const cli::CommandEntry* entry = cli::FindCommand(args[0]);
    if (!entry)
        return cli::UnknownCommand(args[0]);
    args.erase(args.begin());
    return cli::RunCommand(*entry, args);
}
