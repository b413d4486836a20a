#pragma once
// The containers of word-processor files: a zip archive read from memory (libzip)
// and an XML parser of our own (XmlParser.cpp). Both work on bytes already in
// memory and never expand more than a fixed budget of uncompressed data, so that
// a hostile archive or document cannot take the program's memory or time.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tallix::zipxml {

// The most uncompressed bytes one import expands from its archive, all parts
// together.
inline constexpr std::size_t ExpandBudget = 50u * 1024u * 1024u;

// True when the bytes begin like a zip archive ("PK" and a local or end header).
bool looksLikeZip(std::string_view bytes);

class XmlHandler;

class ZipArchive {
public:
    ZipArchive();
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Opens the archive held by bytes (which must outlive this object). False with
    // a reason when the bytes are not a readable zip archive.
    bool open(std::string_view bytes, std::string& error);
    bool has(const std::string& name) const;
    // Expands one member into out, counted against the budget shared by every
    // read of this archive. False with a reason when the member is missing, is
    // damaged, or would pass the budget.
    bool read(const std::string& name, std::string& out, std::string& error);
    // Expands one member, counted against the budget like read(), and parses it
    // (see parseXml). The member's expanded size is told through sizeHint before
    // the parse begins (for reserving room for the text).
    // False with a reason, the member's name in it, when the member cannot be
    // read or is not XML the parser accepts.
    bool parse(const std::string& name, XmlHandler& handler, std::string& error,
               std::size_t* sizeHint = nullptr);
    // Uncompressed bytes expanded so far.
    std::size_t expanded() const { return expanded_; }
    void setBudget(std::size_t budget) { budget_ = budget; }

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
    std::size_t expanded_ = 0;
    std::size_t budget_ = ExpandBudget;
};

// A zip archive of the named members, deflated, as bytes; empty when it could not
// be built. Every member is dated 1 January 1980, so the same members give the same
// bytes (the Word export, and the files the tests and measurements make).
std::string buildZip(const std::vector<std::pair<std::string, std::string>>& members);

// One attribute of an element: its name in the form "prefix:local" (see
// XmlHandler) and its value in UTF-8.
struct XmlAttribute {
    std::string_view name;
    std::string_view value;
};

// The conventional prefix of a namespace the readers know ("w" for Word's main
// namespace, "text" for OpenDocument's, ...), or "?" for any other.
std::string_view conventionalPrefix(std::string_view uri);

// Receives the events of a parse. Element and attribute names come with the
// namespace resolved to the conventional prefix of the formats read here ("w:",
// "r:", "mc:", "text:", "style:", "fo:", "table:", "office:", ...), whatever
// prefix the file itself used; names in other namespaces come as "?:local", names
// in no namespace bare.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void startElement(std::string_view name, const std::vector<XmlAttribute>& attributes) = 0;
    virtual void endElement(std::string_view name) = 0;
    // Character data in UTF-8; one text may come in several pieces.
    virtual void characters(std::string_view text) = 0;
};

// Passes every event on to another handler and keeps the name of the root
// element, so that a reader can tell its own document from one in a namespace it
// does not know (whose elements would all come as "?:local" and give no text).
class RootRecorder : public XmlHandler {
public:
    explicit RootRecorder(XmlHandler& inner) : inner_(inner) {}
    void startElement(std::string_view name, const std::vector<XmlAttribute>& attributes) override {
        if (!started_) {
            started_ = true;
            root_ = name;
        }
        inner_.startElement(name, attributes);
    }
    void endElement(std::string_view name) override { inner_.endElement(name); }
    void characters(std::string_view text) override { inner_.characters(text); }
    const std::string& root() const { return root_; }

private:
    XmlHandler& inner_;
    bool started_ = false;
    std::string root_;
};

// The value of the attribute with the given name, or empty.
std::string_view attribute(const std::vector<XmlAttribute>& attributes, std::string_view name);
bool hasAttribute(const std::vector<XmlAttribute>& attributes, std::string_view name);

// Elements nested deeper than this are refused. Word processors nest a few dozen
// deep (a table in a table in a note); the parser and the readers keep every open
// element, so without a limit a small file of nothing but opening tags takes
// memory out of all proportion to its size.
inline constexpr std::size_t MaxXmlDepth = 10000;

// Parses a whole XML document (UTF-8, UTF-16 with or without its mark, or
// ISO-8859-1 as declared). Documents with a document type declaration are refused
// (word processors never write one, and its entities are how XML is made to
// explode), as is anything not well-formed or nested deeper than MaxXmlDepth.
// Names and values handed to the handler are views valid only during the call.
// False with a reason.
bool parseXml(std::string_view bytes, XmlHandler& handler, std::string& error);

} // namespace tallix::zipxml
