#pragma once
// The plain-text export: the marked essay as a text file in which the markup is
// written out in characters. Every annotation label becomes its button's caption
// in angle brackets, every comment marker its number in braces, and the marked
// span before either is put between asterisks. After the essay come the two
// feedback texts, the grade, a key of the praise categories used, the error
// statistics and the numbered comments, each section closed by a separator.
//
// exportText is the one function the window and the command line call; both write
// what it returns with writeExportFile, so both produce the same bytes.
#include "annotations/AnnotationSet.h"
#include "document/MarkedDocument.h"
#include "export/OutputTitles.h"
#include "export/web/WebText.h"
#include "library/LinkList.h"
#include "stats/ErrorCounting.h"

#include <string>
#include <utility>
#include <vector>

namespace tallix {
class SettingsSource;
}

namespace tallix::exports {

using web::Progress;
using web::ProgressReport;

inline constexpr int TextHelpContext = 18000;
inline constexpr int SaveFailedHelpContext = 1000;
inline constexpr char16_t SaveFailedMessage[] =
    u"Unable to save the file. There may be a disk error.";
inline constexpr char16_t ViewQuestion[] = u"Would you like to view the document now?";

// --- options -------------------------------------------------------------------------
inline constexpr char TextOptionsSection[] = "TextOptions";

struct TextOptions {
    bool includeErrorStats = true; // "IncludeErrorStats"
    bool convertForMac = false;    // "ConvertForMac"
    friend bool operator==(const TextOptions&, const TextOptions&) = default;
};

TextOptions readTextOptions(const SettingsSource& settings);
// The stored text of each value ("1" or "0"), in the order the window writes them.
std::vector<std::pair<std::string, std::string>> textOptionValues(const TextOptions& o);

// --- the export ----------------------------------------------------------------------------
// 40 underscores and a line break: what closes every section.
inline constexpr char16_t Separator[] = u"________________________________________\r\n";

struct TextExportRequest {
    MarkedDocument& doc;
    const AnnotationSet& buttons;
    const OutputTitles& titles;
    const library::LinkList& links; // for the link references in comments and feedback
    TextOptions options;
};

struct TextExportResult {
    std::string bytes; // the file as written
    // The counts with descriptions made of caption, ": " and long text; the window
    // leaves them in the statistics window.
    stats::ErrorStatisticsTable statistics;
};

// The markup of scratch written out in characters (labels, comment markers and the
// asterisks round their spans), and the praise key. Document bookmarks must already
// be gone. scratch itself is left as it was.
struct RewrittenText {
    std::u16string text;
    std::u16string praiseKey;
};
RewrittenText rewriteMarkup(const RichTextBuffer& scratch, const AnnotationSet& buttons,
                            int commentCount);

// Trims the end of the essay (the one change to the open document), copies it into
// the scratch buffer, rewrites it and assembles the file. The scratch buffer is
// empty again afterwards.
TextExportResult exportText(const TextExportRequest& in, const Progress& progress = {});

// The 8-bit bytes of the text: Windows-1252 when it holds every character, else
// UTF-8 with a byte-order mark. With mac, the characters Windows-1252 holds above
// 0x7F are converted to the Macintosh character set (in a UTF-8 file, each as the
// character its Macintosh byte stands for in Windows-1252); others stay as they are.
std::string encodeExportText(std::u16string_view text, bool mac);

// Writes an export atomically: on failure the file that was there stays whole and
// the message is the warning to show.
FileOutcome writeExportFile(const std::string& path, std::string_view bytes);

} // namespace tallix::exports
