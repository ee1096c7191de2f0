#include "Streams.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "text/SystemError.h"
#include "exchange/ImportReader.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkaro::cli {

namespace {

// Reads the descriptor to its end, at most limit bytes (one more tells it
// is too large). 0, or the errno of the failure.
int ReadAll(int fd, std::string& bytes, std::size_t limit)
{
    char buffer[65536];
    while (bytes.size() <= limit) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            return 0;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return 0;
}

int WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return errno;
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return 0;
}

// The extension the readers know the bytes by; a text keeps the one typed.
std::string ExtensionFor(const std::string& typed, const std::string& bytes, bool importFile)
{
    if (!importFile)
        return ".itx";
    const std::string head = bytes.substr(0, kImportFileHeadSize);
    switch (DetectImportFileKind(typed, head)) {
    case ImportFileKind::CompoundFile:
    case ImportFileKind::Spreadsheet:
        return ".xls";
    case ImportFileKind::ZipContainer:
        return ".xlsx";
    case ImportFileKind::VCard:
        return ".vcf";
    case ImportFileKind::Text:
        break;
    }
    const std::string ext = std::filesystem::path(typed).extension().string();
    return ext.size() > 1 && typed != "-" ? ext : ".txt";
}

// "-", a name that is no regular file, and the names of descriptors
// (/dev/stdout, /dev/fd/N, /proc/self/fd/N), which lead to a regular file
// when the shell redirected to one: writing there must not rename over
// what the link points to.
bool IsStream(const std::string& typed)
{
    if (typed == "-" || typed.rfind("/dev/", 0) == 0 || typed.rfind("/proc/", 0) == 0)
        return true;
    struct stat info {};
    return ::stat(typed.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

}  // namespace

CScratchFolder::CScratchFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/velkaro-XXXXXX";
    if (::mkdtemp(pattern.data()))
        m_path = pattern;
}

CScratchFolder::~CScratchFolder()
{
    std::error_code ignored;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ignored);
}

std::string CScratchFolder::PathOf(const std::string& name) const
{
    return m_path.empty() ? std::string() : m_path + "/" + name;
}

std::string CInputFile::Open(std::size_t limit, bool importFile)
{
    if (!IsStream(m_typed))
        return {};
    const int fd = m_typed == "-" ? STDIN_FILENO : ::open(m_typed.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return SystemErrorText(errno);
    std::string bytes;
    const int error = ReadAll(fd, bytes, limit);
    if (fd != STDIN_FILENO)
        ::close(fd);
    if (error)
        return SystemErrorText(error);
    if (bytes.size() > limit)
        return FormatText(msg::FileTooLarge, static_cast<int>(limit >> 20));
    m_path = m_scratch.PathOf("input" + ExtensionFor(m_typed, bytes, importFile));
    std::FILE* out = m_path.empty() ? nullptr : std::fopen(m_path.c_str(), "wb");
    const bool written = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (out && std::fclose(out) != 0)
        return SystemErrorText(errno);
    return written ? std::string() : SystemErrorText(errno ? errno : EIO);
}

std::string CInputFile::Shown() const
{
    return m_typed == "-" ? AnsiToUtf8(Text(msg::CliStandardInput)) : m_typed;
}

std::string CInputFile::Named(const std::string& ansiMessage) const
{
    std::string text = ansiMessage;
    if (m_path.empty())
        return text;
    const std::string shown = Utf8ToAnsi(Shown());
    for (std::size_t at; (at = text.find(m_path)) != std::string::npos;)
        text.replace(at, m_path.size(), shown);
    return text;
}

bool IsStreamOutput(const std::string& typed)
{
    return IsStream(typed);
}

int CopyIntoStream(const std::string& path, const std::string& typed)
{
    std::string bytes;
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    const int readError = ReadAll(in, bytes, std::string::npos - 1);
    ::close(in);
    if (readError)
        return readError;
    const int out = typed == "-" ? STDOUT_FILENO : ::open(typed.c_str(), O_WRONLY | O_CLOEXEC);
    if (out < 0)
        return errno;
    const int error = WriteAll(out, bytes.data(), bytes.size());
    if (out != STDOUT_FILENO && ::close(out) != 0 && !error)
        return errno;
    return error;
}

}  // namespace velkaro::cli
