#include "document/ZipXml.h"

#include <zip.h>

#include <array>
#include <vector>

namespace tallix::zipxml {

bool looksLikeZip(std::string_view bytes) {
    return bytes.size() >= 4 && bytes[0] == 'P' && bytes[1] == 'K' &&
           ((bytes[2] == '\x03' && bytes[3] == '\x04') || (bytes[2] == '\x05' && bytes[3] == '\x06'));
}

// ------------------------------------------------------------------ the archive

struct ZipArchive::Handle {
    zip_t* archive = nullptr;
    ~Handle() {
        if (archive)
            zip_discard(archive);
    }
};

ZipArchive::ZipArchive() = default;
ZipArchive::~ZipArchive() = default;

bool ZipArchive::open(std::string_view bytes, std::string& error) {
    handle_.reset();
    expanded_ = 0;
    zip_error_t ze;
    zip_error_init(&ze);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &ze);
    if (!source) {
        error = "it cannot be read as a zip archive";
        zip_error_fini(&ze);
        return false;
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &ze);
    if (!archive) {
        zip_source_free(source);
        error = std::string("it is not a readable zip archive (") + zip_error_strerror(&ze) + ")";
        zip_error_fini(&ze);
        return false;
    }
    zip_error_fini(&ze);
    handle_ = std::make_unique<Handle>();
    handle_->archive = archive;
    return true;
}

bool ZipArchive::has(const std::string& name) const {
    return handle_ && zip_name_locate(handle_->archive, name.c_str(), 0) >= 0;
}

bool ZipArchive::read(const std::string& name, std::string& out, std::string& error) {
    out.clear();
    if (!handle_) {
        error = "no archive is open";
        return false;
    }
    const std::string tooLarge = "it expands to more than " + std::to_string(budget_ / (1024 * 1024)) +
                                 " MB, more than any essay (" + name + ")";
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(handle_->archive, name.c_str(), 0, &st) != 0) {
        error = "the archive holds no " + name;
        return false;
    }
    // The size in the directory may lie; it is only a first check, the count of
    // what is really expanded below is the one that holds.
    if ((st.valid & ZIP_STAT_SIZE) && st.size > budget_ - expanded_) {
        error = tooLarge;
        return false;
    }
    zip_file_t* file = zip_fopen(handle_->archive, name.c_str(), 0);
    if (!file) {
        error = "the archive's " + name + " cannot be opened (" +
                zip_error_strerror(zip_get_error(handle_->archive)) + ")";
        return false;
    }
    if (st.valid & ZIP_STAT_SIZE)
        out.reserve(std::size_t(st.size));
    std::array<char, 64 * 1024> chunk;
    bool ok = true;
    for (;;) {
        const zip_int64_t n = zip_fread(file, chunk.data(), chunk.size());
        if (n < 0) {
            error = "the archive's " + name + " is damaged (" + zip_error_strerror(zip_file_get_error(file)) +
                    ")";
            ok = false;
            break;
        }
        if (n == 0)
            break;
        if (std::size_t(n) > budget_ - expanded_) {
            error = tooLarge;
            ok = false;
            break;
        }
        expanded_ += std::size_t(n);
        out.append(chunk.data(), std::size_t(n));
    }
    zip_fclose(file);
    if (!ok)
        out.clear();
    return ok;
}

std::string buildZip(const std::vector<std::pair<std::string, std::string>>& parts) {
    zip_error_t error;
    zip_error_init(&error);
    std::string bytes;
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer) {
        zip_error_fini(&error);
        return bytes;
    }
    zip_source_keep(buffer);
    if (zip_t* z = zip_open_from_source(buffer, ZIP_TRUNCATE, &error)) {
        bool ok = true;
        // 1 January 1980, the first time a zip archive can hold: the same inputs
        // give the same bytes.
        constexpr time_t Fixed = 315532800 + 12 * 3600;
        for (const auto& [name, data] : parts) {
            zip_source_t* s = zip_source_buffer(z, data.data(), data.size(), 0);
            const zip_int64_t index = s ? zip_file_add(z, name.c_str(), s, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) : -1;
            if (index < 0) {
                if (s)
                    zip_source_free(s);
                ok = false;
                break;
            }
            zip_file_set_mtime(z, zip_uint64_t(index), Fixed, 0);
            zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_DEFLATE, 6);
        }
        if (!ok || zip_close(z) != 0) {
            zip_discard(z);
        } else if (zip_source_open(buffer) == 0) {
            zip_source_seek(buffer, 0, SEEK_END);
            const zip_int64_t size = zip_source_tell(buffer);
            zip_source_seek(buffer, 0, SEEK_SET);
            if (size > 0) {
                bytes.resize(std::size_t(size));
                if (zip_source_read(buffer, bytes.data(), zip_uint64_t(size)) != size)
                    bytes.clear();
            }
            zip_source_close(buffer);
        }
    }
    zip_source_free(buffer);
    zip_error_fini(&error);
    return bytes;
}

// ------------------------------------------------------------------ XML

std::string_view attribute(const std::vector<XmlAttribute>& attributes, std::string_view name) {
    for (const XmlAttribute& a : attributes)
        if (a.name == name)
            return a.value;
    return {};
}

bool hasAttribute(const std::vector<XmlAttribute>& attributes, std::string_view name) {
    for (const XmlAttribute& a : attributes)
        if (a.name == name)
            return true;
    return false;
}

// The member is expanded whole (within the budget) and parsed in one pass: the
// parser hands on views of it, so it is read once and copied only where a
// name or text has to change.
bool ZipArchive::parse(const std::string& name, XmlHandler& handler, std::string& error, std::size_t* sizeHint) {
    if (sizeHint)
        *sizeHint = 0;
    std::string xml;
    if (!read(name, xml, error))
        return false;
    if (sizeHint)
        *sizeHint = xml.size();
    std::string why;
    if (!parseXml(xml, handler, why)) {
        error = why + " in " + name;
        return false;
    }
    return true;
}

} // namespace tallix::zipxml
