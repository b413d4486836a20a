#pragma once
// The web export from the command line: no window, no display, no question.
//   tallix32 --export-web MARKED.tlx PAGE.htm [--quick | --complex] [--split N]
//            [--mac] [--title-paras N] [--stats | --no-stats] [--buttons FILE.btn]
//            [--titles FILE.cfg]
// Options not given come from the settings exactly as the options window starts;
// the button set, titles, colours and useful links are those the marking window
// starts with. The pages are byte for byte those of the window's export.
#include "annotations/AnnotationSet.h"
#include "document/MarkedDocument.h"
#include "export/OutputTitles.h"
#include "library/LinkList.h"
#include "platform/SettingsSource.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tallix::web {

// What every command-line export starts from, as the marking window would: the
// marked file, the button set (the stored one unless buttonFile names another),
// the titles and colours (the stored titles file unless titlesFile names another)
// and the stored useful links.
struct ExportInputs {
    MarkedDocument doc;
    std::optional<AnnotationSet> buttons;
    OutputSettings output;
    library::LinkList links;
};
// Fills in from the marked file; false after the reason was written to err.
bool loadExportInputs(ExportInputs& in, const std::string& marked,
                      const std::optional<std::string>& buttonFile,
                      const std::optional<std::string>& titlesFile,
                      const SettingsSource& settings, std::ostream& err);

// args: what follows "--export-web". Prints the names of the files written to
// out. Returns 0; 1 after a failure written to err (nothing half-written is left:
// every page is written whole or not at all); 2 for wrong arguments (after the
// reason on err).
int exportWebCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const SettingsSource& settings);

} // namespace tallix::web
