#pragma once
// The PDF export: the marked essay as the student should see it, laid out in
// pages by Qt's own text layout and PDF writer: the essay's fonts, paragraphs,
// alignment and indents, the markup in its colours with the labels and comment
// markers small and raised, then the RTF export's sections (feedback, grade,
// error statistics, the numbered comments). Pages are A4 or Letter by the
// teacher's locale and carry page numbers; the text is real text and every font
// is embedded (PDF/A-1b).
//
// exportPdf is the one function the window and the command line call. It needs a
// QGuiApplication (the command line starts the offscreen platform for it).
#include "export/ExportInputs.h"
#include "export/HandBack.h"
#include "stats/ErrorCounting.h"

#include <string>

class QTextDocument;

namespace tallix::exports {

inline constexpr int PdfHelpContext = 17400;

struct PdfOptions {
    bool includeErrorStats = true;
    bool letterPaper = false; // else A4
    std::u16string title;     // the document's title in its properties
};

PdfOptions readPdfOptions(const SettingsSource& settings);

struct PdfExportResult {
    std::string bytes;
    stats::ErrorStatisticsTable statistics;
};

PdfExportResult exportPdf(const ExportSources& in, const PdfOptions& options,
                          const Progress& progress = {});

// The hand-back copy as a text document laid out at dpi: one block per paragraph,
// the formats of the runs. (What the PDF's pages are printed from.)
void fillTextDocument(QTextDocument& doc, const RichContent& content, double dpi);

// The title a PDF of the marked file at path carries: its file name without the
// folder and extension.
std::u16string pdfTitleFor(const std::string& path);

} // namespace tallix::exports
