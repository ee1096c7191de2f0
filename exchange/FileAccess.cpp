#include "FileAccess.h"

#include "model/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

namespace velkaro {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

FileReadResult LoadWholeFile(const std::string& path, std::string& bytes, std::size_t limit)
{
    bytes.clear();
    errno = 0;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return { FileReadResult::Outcome::NotOpened, errno ? errno : ENOENT };
    char buffer[64 * 1024];
    while (bytes.size() < limit) {
        std::size_t want = std::min(sizeof buffer, limit - bytes.size());
        std::size_t got = std::fread(buffer, 1, want, file.get());
        bytes.append(buffer, got);
        if (got < want) {
            if (std::ferror(file.get()))
                return { FileReadResult::Outcome::ReadFailed, errno ? errno : EIO };
            break;
        }
    }
    return {};
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::string& bytes, std::size_t limit)
{
    if (FileReadResult read = LoadWholeFile(path, bytes, limit); !read)
        return SystemErrorText(read.error);
    return std::nullopt;
}

std::optional<std::string> WriteWholeFile(const std::string& path, const std::string& bytes)
{
    // Through a temporary file: on a full disk the file that was there
    // stays whole instead of being cut short.
    if (int error = WriteFileAtomically(path, bytes))
        return SystemErrorText(error);
    return std::nullopt;
}

}  // namespace velkaro
