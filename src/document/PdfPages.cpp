// The words of a PDF's pages through Poppler: the one file of the core that
// sees Poppler, so that a program that reads no PDF itself (the command-line
// program, which hands a PDF over to the window program) links without it.
#include "document/PdfReader.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <climits>
#include <memory>
#include <mutex>

namespace tallix {

namespace {

// Poppler reports every flaw it meets (and repairs) on the standard error; the
// reader tells the user what matters itself.
void quietPoppler() {
    static std::once_flag once;
    std::call_once(once, [] {
        poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
    });
}

std::u16string u16Of(const poppler::ustring& s) {
    std::u16string out;
    out.reserve(s.size());
    for (unsigned short c : s)
        out.push_back(char16_t(c));
    return out;
}

} // namespace

std::vector<pdf::Page> readPdfPages(std::string_view bytes, PdfFailure& failure) {
    quietPoppler();
    failure = PdfFailure::None;
    std::vector<pdf::Page> pages;
    if (bytes.size() > std::size_t(INT_MAX)) {
        failure = PdfFailure::Damaged;
        return pages;
    }
    // Poppler reads the bytes in place; they outlive the document.
    std::unique_ptr<poppler::document> doc(
        poppler::document::load_from_raw_data(bytes.data(), int(bytes.size())));
    if (!doc) {
        failure = PdfFailure::Damaged;
        return pages;
    }
    if (doc->is_locked()) {
        failure = PdfFailure::Password;
        return pages;
    }
    const int count = doc->pages();
    if (count <= 0) {
        failure = PdfFailure::Damaged;
        return pages;
    }
    pages.reserve(std::size_t(count));
    std::size_t words = 0;
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<poppler::page> page(doc->create_page(i));
        pdf::Page& out = pages.emplace_back();
        if (!page)
            continue;
        const poppler::rectf box = page->page_rect();
        out.width = box.width();
        out.height = box.height();
        std::vector<poppler::text_box> boxes = page->text_list(poppler::page::text_list_include_font);
        out.boxes.reserve(boxes.size());
        for (const poppler::text_box& b : boxes) {
            const poppler::rectf r = b.bbox();
            pdf::TextBox& t = out.boxes.emplace_back();
            t.text = u16Of(b.text());
            t.left = r.left();
            t.top = r.top();
            t.right = r.right();
            t.bottom = r.bottom();
            if (b.has_font_info()) {
                t.fontSize = b.get_font_size();
                t.fontName = b.get_font_name();
            } else {
                t.fontSize = r.height();
            }
        }
        words += out.boxes.size();
    }
    if (words == 0) {
        failure = PdfFailure::NoText;
        pages.clear();
    }
    return pages;
}

} // namespace tallix
