#pragma once
// The web export: the marked essay as one linked HTML page, or as several pages
// chained by buttons, with the title as a heading, the feedback, the grade, the
// error statistics and the notes behind every link.
//
// One core function builds every page (name and bytes) from the document, the
// button set, the titles, the colours, the useful links and the options; the
// window and the command line both call it and write what it returns with
// writeWebPages, so both produce the same bytes.
#include "annotations/AnnotationSet.h"
#include "document/MarkedDocument.h"
#include "export/OutputColours.h"
#include "export/OutputTitles.h"
#include "export/web/WebLinks.h"
#include "export/web/WebText.h"
#include "library/LinkList.h"
#include "platform/SettingsSource.h"
#include "stats/ErrorCounting.h"

#include <functional>
#include <string>
#include <vector>

namespace tallix {
class SettingsSource;
}

namespace tallix::web {

inline constexpr int HelpContext = 16000;
// The topics of the options that have pages of their own: splitting into pages,
// and the Mac characters (the same page as the Tools menu's conversion).
inline constexpr int SplitPagesHelpContext = 39000;
inline constexpr int MacCharactersHelpContext = 34000;

// --- options -------------------------------------------------------------------------
inline constexpr char OptionsSection[] = "WebOptions";

struct WebOptions {
    bool quick = true;           // "Quick": the quick method; else the complex one
    int titleParas = 2;          // "TitleParas", 0 to 5
    bool includeErrorStats = true; // "IncludeErrorStats"
    bool splitFiles = false;     // "SplitFiles" (complex method only)
    bool convertMac = false;     // "ConvertMac" (complex method only)
    int links = 50;              // "Links", links per page, 20 to 150 in steps of 10

    friend bool operator==(const WebOptions&, const WebOptions&) = default;
};

inline constexpr int MinTitleParas = 0, MaxTitleParas = 5;
inline constexpr int MinLinks = 20, MaxLinks = 150, LinksStep = 10;

// What the options window reports: 0 cancelled, else 2, plus 8 for the split
// option and 16 for the Mac option (both only with the complex method).
inline constexpr int ResultCancelled = 0;
inline constexpr int ResultOK = 2;
inline constexpr int ResultSplit = 8;
inline constexpr int ResultMac = 16;
int webOptionsResult(const WebOptions& o);
inline bool resultSplits(int result) { return result >= ResultOK && (result & ResultSplit); }
inline bool resultConvertsMac(int result) { return result >= ResultOK && (result & ResultMac); }

// The options as stored (values outside their ranges are brought into them).
WebOptions readWebOptions(const SettingsSource& settings);
// The stored text of each value, in the order the options window writes them.
std::vector<std::pair<std::string, std::string>> webOptionValues(const WebOptions& o);

// --- what the page is made from ----------------------------------------------------------
struct WebExportRequest {
    MarkedDocument& doc;
    const AnnotationSet& buttons;
    const OutputTitles& titles;
    const OutputColours& colours;
    const library::LinkList& links; // the useful links, for the link references
    WebOptions options;
    std::string fileName; // the page chosen in the save dialog
};

struct WebPage {
    std::string path;
    std::string bytes; // the page as written, its CR LF included
};

struct WebExportResult {
    std::vector<WebPage> pages;
    bool split = false; // several pages: the list of files is shown after writing
};

// --- the sections -----------------------------------------------------------------------
// Makes the first titleParas paragraphs of the body one "<H3>" heading (through
// the break after the last of them, or the last break there is).
void addTitleFormat(std::u16string& body, int titleParas);
// The teacher's texts and titles in these sections pass through the sanitizer
// (HtmlSanitizer.h); the feedback's link references become links.
std::u16string formatFeedback(std::u16string_view feedback1, std::u16string_view feedback2,
                              const OutputColours& colours, const library::LinkList& links);
std::u16string formatGrade(std::u16string_view grade, std::u16string_view gradeTitle,
                           const OutputColours& colours);
std::u16string formatErrorStats(const stats::ErrorStatisticsTable& table, bool include,
                                std::u16string_view title, const OutputColours& colours);

std::u16string_view pageHead();
std::u16string_view pageEnd();

// The file of page k (from 2) of a split export: the chosen name less its last
// four characters, "_", k and ".htm".
std::string splitPageName(const std::string& chosen, int k);
// A file name as it goes into onClick="location='...'": percent-encoded, then
// escaped for the attribute.
std::u16string locationOf(const std::string& fileName);

// --- the export --------------------------------------------------------------------------
// Trims the end of the essay (the one change to the open document), then counts,
// tags, links and assembles. The scratch buffer is empty again afterwards.
WebExportResult exportWebPages(const WebExportRequest& in, const Progress& progress = {});

struct WriteOutcome {
    bool ok = true;
    Message message;            // the warning, when !ok
    std::u16string createdList; // after a split export: the list of the files written
};
// The warning when a page cannot be written: the file, the file system's reason,
// and for a split export that nothing of the set was changed.
std::u16string saveFailedMessage(const std::string& path, const std::string& reason,
                                 bool setUntouched);

// Writes the pages as one set, all or nothing: on a failure no page is changed
// (old pages stay as they were, no new page or temporary file is left) and the
// warning names the page that could not be written.
WriteOutcome writeWebPages(const WebExportResult& pages, const Progress& progress = {});

} // namespace tallix::web

namespace tallix::web {
// The useful links as the links file in the program folder holds them (an empty
// list when there is none). The link references of a page are expanded with these
// until the marking window keeps the list in memory itself.
library::LinkList storedLinkList(const SettingsSource& settings);
} // namespace tallix::web
