// The layer under the Word and OpenDocument readers on any bytes: the bytes as
// an XML document, and as a zip archive whose members are expanded and read.
#include "FuzzSupport.h"
#include "document/DocxReader.h"
#include "document/ZipXml.h"

#include <cstdlib>

using namespace tallix;

namespace {

// Checks what every handler relies on: elements close in the order they opened,
// names are never empty, and text comes only inside the root element.
class Balance : public zipxml::XmlHandler {
public:
    void startElement(std::string_view name, const std::vector<zipxml::XmlAttribute>& a) override {
        if (name.empty())
            std::abort();
        for (const zipxml::XmlAttribute& at : a)
            if (at.name.empty())
                std::abort();
        open_.emplace_back(name);
    }
    void endElement(std::string_view name) override {
        if (open_.empty() || open_.back() != name)
            std::abort();
        open_.pop_back();
    }
    void characters(std::string_view text) override {
        if (open_.empty() || text.empty())
            std::abort();
    }
    bool closed() const { return open_.empty(); }

private:
    std::vector<std::string> open_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);

    Balance balance;
    std::string error;
    if (zipxml::parseXml(bytes, balance, error)) {
        if (!balance.closed())
            std::abort();
    } else if (error.empty()) {
        std::abort();
    }

    zipxml::ZipArchive zip;
    if (zip.open(bytes, error)) {
        zip.setBudget(8u * 1024 * 1024);
        std::string out;
        for (const char* name : {"mimetype", "content.xml", "word/document.xml", "word/styles.xml"}) {
            if (zip.read(name, out, error)) {
                Balance b;
                zipxml::parseXml(out, b, error);
            } else if (error.empty()) {
                std::abort();
            }
        }
        if (zip.expanded() > 8u * 1024 * 1024)
            std::abort();
    }

    RichContent content;
    const WordReadResult r = readWordProcessorFile(bytes, content);
    if (r.ok) {
        fuzz::checkContent(content);
    }
    return 0;
}
