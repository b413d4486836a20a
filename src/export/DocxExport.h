#pragma once
// The Word export: the marked essay as an Office Open XML document (.docx) that
// word processors and course sites' previews open. The essay keeps its fonts,
// paragraphs, colours and raised labels; each comment is a real Word comment,
// anchored on its navy span (or on its marker when the span is bare) so that it
// shows in the margin beside the words it is about, and the marker digits stay in
// the text. Feedback, grade and the error statistics (a table) follow the essay.
//
// exportDocx is the one function the window and the command line call.
#include "export/ExportInputs.h"
#include "export/HandBack.h"
#include "stats/ErrorCounting.h"

#include <string>

namespace tallix::exports {

inline constexpr int WordHelpContext = 17500;

struct DocxOptions {
    bool includeErrorStats = true;
    std::u16string author = u"Teacher"; // who signs the comments
    bool letterPaper = false;           // else A4
};

struct DocxExportResult {
    std::string bytes;
    stats::ErrorStatisticsTable statistics;
};

DocxOptions readDocxOptions(const SettingsSource& settings);

// Trims the end of the essay, builds the copy and writes the document. The bytes
// depend on nothing but the inputs (no dates, fixed times in the archive).
DocxExportResult exportDocx(const ExportSources& in, const DocxOptions& options,
                            const Progress& progress = {});

// The document's parts as the archive holds them, in order, from a hand-back copy.
std::vector<std::pair<std::string, std::string>> docxParts(const HandBack& h,
                                                           const ExportSources& in,
                                                           const DocxOptions& options);


} // namespace tallix::exports
