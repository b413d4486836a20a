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

// Trims the end of the essay (the one change to the open document), counts the
// errors, and builds the file in the scratch buffer, which is empty afterwards.
RtfExportResult exportRtf(const RtfExportRequest& in, const Progress& progress = {});

} // namespace tallix::exports
