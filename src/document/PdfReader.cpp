#include "document/PdfReader.h"

namespace tallix {

bool looksLikePdf(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    while (!bytes.empty() && (bytes.front() == ' ' || bytes.front() == '\t' || bytes.front() == '\r' ||
                              bytes.front() == '\n' || bytes.front() == '\f' || bytes.front() == '\0'))
        bytes.remove_prefix(1);
    return bytes.starts_with("%PDF-");
}

PdfReadResult readPdf(std::string_view bytes, RichContent& out) {
    out = RichContent{};
    PdfReadResult r;
    std::vector<pdf::Page> pages = readPdfPages(bytes, r.failure);
    if (r.failure != PdfFailure::None)
        return r;
    pdf::LayoutResult layout = pdf::buildParagraphs(pages);
    if (layout.words == 0) {
        r.failure = PdfFailure::NoText;
        return r;
    }
    out = std::move(layout.content);
    r.ok = true;
    return r;
}

} // namespace tallix
