#pragma once
// The RTF export: the marked essay as a Rich Text Format file that keeps the
// markup as it is shown (spans, labels, comment markers), without the document
// bookmarks, with the comment markers in the comments colour, and with the
// feedback, the grade, the error statistics and the comment list appended in the
// output colours under the output titles.
//
// exportRtf is the one function the window and the command line call.
#include "annotations/AnnotationSet.h"
#include "document/MarkedDocument.h"
#include "export/OutputColours.h"
#include "export/OutputTitles.h"
#include "export/TextExport.h"
#include "library/LinkList.h"
#include "stats/ErrorCounting.h"

#include <string>
#include <utility>
#include <vector>

namespace tallix::exports {

inline constexpr int RtfHelpContext = 17000;

inline constexpr char RtfOptionsSection[] = "RTFOptions";

struct RtfOptions {
    bool includeErrorStats = true; // "IncludeErrorStats"
    friend bool operator==(const RtfOptions&, const RtfOptions&) = default;
};

RtfOptions readRtfOptions(const SettingsSource& settings);
std::vector<std::pair<std::string, std::string>> rtfOptionValues(const RtfOptions& o);

struct RtfExportRequest {
    MarkedDocument& doc;
    const AnnotationSet& buttons;
    const OutputTitles& titles;
    const OutputColours& colours;
    const library::LinkList& links;
    RtfOptions options;
};

struct RtfExportResult {
    std::string bytes;
    stats::ErrorStatisticsTable statistics; // as CountErrors leaves it
};

// Gives every run of comment-marker green in b the colour c (nothing is examined
// when c is that green).
void recolourCommentMarkers(RichTextBuffer& b, Colour c);

// A comment marker of the essay as the export finds it: its number, its digits,
// and the navy span before it (spanStart == start when the marker is bare).
struct CommentMark {
    int number = 0;
    int start = 0;
    int length = 0;
    int spanStart = 0;
};
// The comment markers of b (green runs of digits), in text order.
std::vector<CommentMark> findCommentMarks(const RichTextBuffer& b);

// The export's text as it stands in the scratch buffer before it is saved, with
// what the PDF and Word exports build on it.
struct RtfBuild {
    stats::ErrorStatisticsTable statistics;
    std::vector<CommentMark> marks; // in the scratch buffer's essay
    int essayLength = 0;            // where the appended sections begin
};
// Trims the end of the essay (the one change to the open document), counts the
// errors, and builds the export's text in the scratch buffer, leaving it there.
// Progress runs to "Comments...", position 8.
RtfBuild buildRtfText(const RtfExportRequest& in, const Progress& progress = {});

// buildRtfText, then the scratch buffer saved as RTF and emptied.
RtfExportResult exportRtf(const RtfExportRequest& in, const Progress& progress = {});

} // namespace tallix::exports
