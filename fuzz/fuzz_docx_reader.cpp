// The Word reader on documents made of the fuzzer's bytes. The input's parts
// (cut at each separator) become word/document.xml, word/styles.xml,
// word/numbering.xml, word/footnotes.xml, word/endnotes.xml and
// word/theme/theme1.xml of a zip made in memory, so that every input reaches the
// XML instead of stopping at the archive.
#include "FuzzSupport.h"
#include "document/DocxReader.h"
#include "document/ZipXml.h"

#include <cstdlib>

using namespace tallix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* const names[] = {"word/document.xml", "word/styles.xml", "word/numbering.xml",
                                        "word/footnotes.xml", "word/endnotes.xml",
                                        "word/theme/theme1.xml"};
    const std::vector<std::string> parts = fuzz::splitParts(fuzz::bytesOf(data, size), std::size(names));
    std::vector<std::pair<std::string, std::string>> members;
    for (std::size_t i = 0; i < parts.size(); ++i)
        members.emplace_back(names[i], parts[i]);
    const std::string zip = zipxml::buildZip(members);
    if (zip.empty())
        std::abort();

    RichContent content;
    const WordReadResult r = readDocx(zip, content);
    if (r.ok) {
        fuzz::checkContent(content);
    } else if (r.error.empty()) {
        std::abort(); // a refusal always says why
    }
    return 0;
}
