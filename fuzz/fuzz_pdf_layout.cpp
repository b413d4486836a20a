// The paragraph builder of the PDF reader on any words at any places (what
// Poppler hands it comes from outside files). See PdfBoxCodec.h for the input.
#include "PdfBoxCodec.h"

#include <cstdlib>

using namespace tallix;

namespace {

// What the buffer takes for granted of rich content: runs that cover the text
// exactly with no empty run, no lone CR or LF, one paragraph format per line.
bool wellFormed(const RichContent& c) {
    std::size_t covered = 0;
    for (const FormatRun& r : c.runs) {
        if (r.length <= 0)
            return false;
        covered += std::size_t(r.length);
    }
    if (covered != c.text.size())
        return false;
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < c.text.size(); ++i) {
        if (c.text[i] == u'\r') {
            if (i + 1 == c.text.size() || c.text[i + 1] != u'\n')
                return false;
            ++breaks;
            ++i;
        } else if (c.text[i] == u'\n') {
            return false;
        }
    }
    return c.paragraphs.size() == breaks + 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<pdf::Page> pages = fuzz::decodePdfBoxes(data, size);
    const pdf::LayoutResult r = pdf::buildParagraphs(pages);
    std::size_t words = 0;
    for (const pdf::Page& p : pages)
        words += p.boxes.size();
    if (r.words > words || !wellFormed(r.content))
        std::abort();
    return 0;
}
