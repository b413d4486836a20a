#pragma once
// Reads the text of a PDF file through Poppler: the positioned words of every
// page (PdfLayout rebuilds the paragraphs from them). Poppler's C++ interface is
// the only part of the program that sees the library.
#include "document/PdfLayout.h"
#include "document/RichContent.h"

#include <string>
#include <string_view>
#include <vector>

namespace tallix {

// Why a PDF file gave no essay.
enum class PdfFailure {
    None,
    NoText,    // no page holds a word: a scanned image, most likely
    Password,  // it opens only with a password
    Damaged,   // Poppler cannot read it as a PDF file
};

struct PdfReadResult {
    bool ok = false;
    PdfFailure failure = PdfFailure::None;
};

// "%PDF-" at the start, after blanks or a byte-order mark at most.
bool looksLikePdf(std::string_view bytes);

// The words of every page of the file's bytes, as Poppler places them; empty on
// failure, with the failure told.
std::vector<pdf::Page> readPdfPages(std::string_view bytes, PdfFailure& failure);

// Reads a PDF file's bytes into out (replacing what it held).
PdfReadResult readPdf(std::string_view bytes, RichContent& out);

} // namespace tallix
