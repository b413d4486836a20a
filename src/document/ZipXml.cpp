#include "document/ZipXml.h"

#include <expat.h>
#include <zip.h>

#include <array>
#include <climits>
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

namespace {

constexpr char NamespaceSeparator = '\x1F';

struct KnownNamespace {
    std::string_view uri;
    std::string_view prefix;
};

constexpr KnownNamespace Namespaces[] = {
    {"http://schemas.openxmlformats.org/wordprocessingml/2006/main", "w"},
    {"http://purl.oclc.org/ooxml/wordprocessingml/main", "w"},
    {"http://schemas.openxmlformats.org/officeDocument/2006/relationships", "r"},
    {"http://purl.oclc.org/ooxml/officeDocument/relationships", "r"},
    {"http://schemas.openxmlformats.org/markup-compatibility/2006", "mc"},
    {"http://schemas.openxmlformats.org/drawingml/2006/main", "a"},
    {"http://purl.oclc.org/ooxml/drawingml/main", "a"},
    {"urn:oasis:names:tc:opendocument:xmlns:office:1.0", "office"},
    {"urn:oasis:names:tc:opendocument:xmlns:text:1.0", "text"},
    {"urn:oasis:names:tc:opendocument:xmlns:style:1.0", "style"},
    {"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0", "fo"},
    {"urn:oasis:names:tc:opendocument:xmlns:table:1.0", "table"},
    {"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0", "draw"},
    {"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0", "manifest"},
};

struct Parse {
    XmlHandler* handler = nullptr;
    XML_Parser parser = nullptr;
    bool refusedDoctype = false;
    bool tooDeep = false;
    std::size_t depth = 0;
    std::string elementName;
    std::vector<std::string> attributeNames;
    std::vector<XmlAttribute> attributes;
};

// "uri<sep>local" -> "prefix:local" in out.
void resolveName(const char* raw, std::string& out) {
    std::string_view s(raw);
    const auto cut = s.find(NamespaceSeparator);
    out.clear();
    if (cut == std::string_view::npos) {
        out.assign(s);
        return;
    }
    const std::string_view uri = s.substr(0, cut);
    std::string_view prefix = "?";
    for (const KnownNamespace& ns : Namespaces)
        if (ns.uri == uri) {
            prefix = ns.prefix;
            break;
        }
    out.reserve(prefix.size() + 1 + s.size() - cut - 1);
    out.append(prefix);
    out.push_back(':');
    out.append(s.substr(cut + 1));
}

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** atts) {
    auto* p = static_cast<Parse*>(data);
    if (++p->depth > MaxXmlDepth) {
        p->tooDeep = true;
        XML_StopParser(p->parser, XML_FALSE);
        return;
    }
    resolveName(name, p->elementName);
    std::size_t count = 0;
    while (atts[2 * count])
        ++count;
    if (p->attributeNames.size() < count)
        p->attributeNames.resize(count);
    p->attributes.clear();
    for (std::size_t i = 0; i < count; ++i) {
        resolveName(atts[2 * i], p->attributeNames[i]);
        p->attributes.push_back(XmlAttribute{p->attributeNames[i], atts[2 * i + 1]});
    }
    p->handler->startElement(p->elementName, p->attributes);
}

void XMLCALL onEnd(void* data, const XML_Char* name) {
    auto* p = static_cast<Parse*>(data);
    --p->depth;
    resolveName(name, p->elementName);
    p->handler->endElement(p->elementName);
}

void XMLCALL onText(void* data, const XML_Char* s, int len) {
    auto* p = static_cast<Parse*>(data);
    if (len > 0)
        p->handler->characters(std::string_view(s, std::size_t(len)));
}

void XMLCALL onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    auto* p = static_cast<Parse*>(data);
    p->refusedDoctype = true;
    XML_StopParser(p->parser, XML_FALSE);
}

void XMLCALL onEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                      const XML_Char*, const XML_Char*, const XML_Char*) {
    auto* p = static_cast<Parse*>(data);
    p->refusedDoctype = true;
    XML_StopParser(p->parser, XML_FALSE);
}

} // namespace

// One parse, fed its document in one piece or in several.
class XmlParser {
public:
    explicit XmlParser(XmlHandler& handler) {
        p_.handler = &handler;
        p_.parser = XML_ParserCreateNS(nullptr, NamespaceSeparator);
        if (!p_.parser)
            return;
        XML_SetUserData(p_.parser, &p_);
        XML_SetElementHandler(p_.parser, onStart, onEnd);
        XML_SetCharacterDataHandler(p_.parser, onText);
        XML_SetStartDoctypeDeclHandler(p_.parser, onDoctype);
        XML_SetEntityDeclHandler(p_.parser, onEntity);
        XML_SetParamEntityParsing(p_.parser, XML_PARAM_ENTITY_PARSING_NEVER);
    }
    ~XmlParser() {
        if (p_.parser)
            XML_ParserFree(p_.parser);
    }
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;

    // Parses the next piece; the last has last set. False with a reason.
    bool feed(std::string_view bytes, bool last, std::string& error) {
        if (!p_.parser) {
            error = "out of memory";
            return false;
        }
        if (bytes.size() > std::size_t(INT_MAX)) {
            error = "the XML is too large";
            return false;
        }
        const XML_Status status = XML_Parse(p_.parser, bytes.data(), int(bytes.size()), last ? XML_TRUE : XML_FALSE);
        if (p_.refusedDoctype) {
            error = "its XML declares a document type with entities, which word processors never write";
            return false;
        }
        if (p_.tooDeep) {
            error = "its XML nests elements more than " + std::to_string(MaxXmlDepth) +
                    " deep, far deeper than any document";
            return false;
        }
        if (status != XML_STATUS_OK) {
            error = std::string("its XML is damaged (line ") + std::to_string(XML_GetCurrentLineNumber(p_.parser)) +
                    ": " + XML_ErrorString(XML_GetErrorCode(p_.parser)) + ")";
            return false;
        }
        return true;
    }

private:
    Parse p_;
};

bool parseXml(std::string_view bytes, XmlHandler& handler, std::string& error) {
    XmlParser parser(handler);
    return parser.feed(bytes, true, error);
}

// The whole member is never held: each piece goes to the parser as it is
// expanded, and is counted against the budget the same way read() counts it.
bool ZipArchive::parse(const std::string& name, XmlHandler& handler, std::string& error, std::size_t* sizeHint) {
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
    if ((st.valid & ZIP_STAT_SIZE) && st.size > budget_ - expanded_) {
        error = tooLarge;
        return false;
    }
    if (sizeHint)
        *sizeHint = (st.valid & ZIP_STAT_SIZE) ? std::size_t(st.size) : 0;
    zip_file_t* file = zip_fopen(handle_->archive, name.c_str(), 0);
    if (!file) {
        error = "the archive's " + name + " cannot be opened (" + zip_error_strerror(zip_get_error(handle_->archive)) +
                ")";
        return false;
    }
    XmlParser parser(handler);
    std::vector<char> chunk(64 * 1024);
    bool ok = true;
    for (;;) {
        const zip_int64_t n = zip_fread(file, chunk.data(), chunk.size());
        if (n < 0) {
            error = "the archive's " + name + " is damaged (" + zip_error_strerror(zip_file_get_error(file)) + ")";
            ok = false;
            break;
        }
        if (std::size_t(n) > budget_ - expanded_) {
            error = tooLarge;
            ok = false;
            break;
        }
        expanded_ += std::size_t(n);
        std::string why;
        if (!parser.feed(std::string_view(chunk.data(), std::size_t(n)), n == 0, why)) {
            error = why + " in " + name;
            ok = false;
            break;
        }
        if (n == 0)
            break;
    }
    zip_fclose(file);
    return ok;
}

} // namespace tallix::zipxml
