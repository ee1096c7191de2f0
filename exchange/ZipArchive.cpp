#include "ZipArchive.h"

#include <zip.h>

namespace velkaro {

struct CZipArchive::Impl {
    zip_t* archive = nullptr;
    ~Impl()
    {
        if (archive)
            zip_discard(archive);
    }
};

CZipArchive::CZipArchive() = default;
CZipArchive::~CZipArchive() = default;

bool CZipArchive::HasSignature(std::string_view bytes)
{
    return bytes.size() >= 4 && bytes[0] == 'P' && bytes[1] == 'K'
        && ((bytes[2] == '\x03' && bytes[3] == '\x04') || (bytes[2] == '\x05' && bytes[3] == '\x06'));
}

bool CZipArchive::Open(std::string_view bytes)
{
    m_impl.reset();
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return false;
    }
    // No consistency check of the local headers: writers that stream leave
    // them incomplete, and the limit on the bytes inflated guards anyway.
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source);
        return false;
    }
    auto impl = std::make_unique<Impl>();
    impl->archive = archive;  // owns the source from here
    zip_int64_t entries = zip_get_num_entries(archive, 0);
    if (entries < 0 || static_cast<std::uint64_t>(entries) > kMaxEntries)
        return false;
    m_impl = std::move(impl);
    return true;
}

bool CZipArchive::Has(const std::string& name) const
{
    return m_impl && zip_name_locate(m_impl->archive, name.c_str(), 0) >= 0;
}

CZipArchive::Status CZipArchive::Read(const std::string& name, std::size_t maxBytes, std::string& out) const
{
    out.clear();
    const Status status = Stream(name, maxBytes, [&out](std::string_view piece) {
        out.append(piece);
        return true;
    });
    if (status != Status::Ok)
        out.clear();
    return status;
}

CZipArchive::Status CZipArchive::Stream(const std::string& name, std::size_t maxBytes,
                                        const std::function<bool(std::string_view)>& take) const
{
    if (!m_impl)
        return Status::Missing;
    zip_int64_t index = zip_name_locate(m_impl->archive, name.c_str(), 0);
    if (index < 0)
        return Status::Missing;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_impl->archive, static_cast<zip_uint64_t>(index), 0, &stat) == 0
        && (stat.valid & ZIP_STAT_SIZE) && stat.size > maxBytes)
        return Status::TooLarge;
    zip_file_t* file = zip_fopen_index(m_impl->archive, static_cast<zip_uint64_t>(index), 0);
    if (!file)
        return Status::Damaged;
    // The directory's size may lie; the bytes inflated are what counts.
    std::unique_ptr<char[]> buf(new char[kPieceBytes]);
    std::size_t total = 0;
    Status status = Status::Ok;
    for (;;) {
        zip_int64_t got = zip_fread(file, buf.get(), kPieceBytes);
        if (got < 0) {
            status = Status::Damaged;
            break;
        }
        if (got == 0)
            break;
        total += static_cast<std::size_t>(got);
        if (total > maxBytes) {
            status = Status::TooLarge;
            break;
        }
        if (!take(std::string_view(buf.get(), static_cast<std::size_t>(got))))
            break;
    }
    zip_fclose(file);
    return status;
}

}  // namespace velkaro
