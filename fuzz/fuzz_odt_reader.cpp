// The OpenDocument reader on documents made of the fuzzer's bytes: the input's
// parts (cut at each separator) become content.xml and styles.xml of a zip made
// in memory with the text mimetype, so that every input reaches the XML.
#include "FuzzSupport.h"
#include "document/DocxReader.h"
#include "document/OdtReader.h"
#include "document/ZipXml.h"

#include <cstdlib>

using namespace tallix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> parts = fuzz::splitParts(fuzz::bytesOf(data, size), 2);
    std::vector<std::pair<std::string, std::string>> members{
        {"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", parts[0]}};
    if (parts.size() > 1)
        members.emplace_back("styles.xml", parts[1]);
    const std::string zip = zipxml::buildZip(members);
    if (zip.empty())
        std::abort();

    RichContent content;
    const WordReadResult r = readWordProcessorFile(zip, content);
    if (r.ok) {
        fuzz::checkContent(content);
    } else if (r.error.empty()) {
        std::abort();
    }
    return 0;
}
