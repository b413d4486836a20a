#pragma once
// The marked copy handed back to the student as a PDF or a Word document: the
// essay as the RTF export prepares it (document bookmarks removed, comment markers
// in the comments colour) and the sections the RTF export appends, with the
// pieces a Word document lays out on its own (comments, feedback, grade and the
// error statistics).
#include "document/RichContent.h"
#include "export/ExportInputs.h"
#include "export/RtfExport.h"
#include "stats/ErrorCounting.h"

#include <string>
#include <vector>

namespace tallix {
class SettingsSource;
}

namespace tallix::exports {

struct HandBack {
    // The RTF export's text: the essay, then from essayLength on its sections
    // (feedback 1 and 2, grade, error statistics, the numbered comments).
    RichContent content;
    int essayLength = 0;
    std::vector<CommentMark> marks;    // the essay's comment markers, in text order
    std::vector<std::u16string> comments; // comment k is item k - 1, links expanded
    std::u16string feedback1, feedback2;  // links expanded
    std::u16string grade;                 // empty when there is none ("??%" is none)
    stats::ErrorStatisticsTable statistics; // as CountErrors leaves it
    bool includeErrorStats = true;
};

// Trims the end of the essay (the one change to the open document) and builds the
// copy; the scratch buffer is empty afterwards. Progress as the RTF export's, to
// "Comments...", position 8.
HandBack buildHandBack(const ExportSources& in, bool includeErrorStats,
                       const Progress& progress = {});

// The options of both exports: whether the error statistics are included, kept
// per export like the RTF export's ("IncludeErrorStats", default on).
inline constexpr char PdfOptionsSection[] = "PDFOptions";
inline constexpr char WordOptionsSection[] = "WordOptions";
bool readIncludeErrorStats(const SettingsSource& settings, const char* section);

// The teacher's name with which Word comments are signed: "WordOptions" /
// "CommentAuthor", else the user's login name, else "Teacher".
inline constexpr char CommentAuthorName[] = "CommentAuthor";
std::u16string loginName();
std::u16string storedCommentAuthor(const SettingsSource& settings);

} // namespace tallix::exports

namespace tallix::exports {
// Whether the teacher's locale prints on Letter paper rather than A4: the
// territory of LC_ALL, else LC_PAPER, else LANG (the United States, Canada and
// the Americas that follow them). Both hand-back exports ask this one question,
// so the window and the command line lay out the same pages.
bool usesLetterPaper();
bool territoryUsesLetter(std::string_view locale);
} // namespace tallix::exports
