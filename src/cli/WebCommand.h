#pragma once
// The web export from the command line: no window, no display, no question.
//   tallix32 --export-web MARKED.tlx PAGE.htm [--quick | --complex] [--split N]
//            [--mac] [--title-paras N] [--stats | --no-stats] [--buttons FILE.btn]
//            [--titles FILE.cfg]
// Options not given come from the settings exactly as the options window starts;
// the button set, titles, colours and useful links are those the marking window
// starts with. The pages are byte for byte those of the window's export.
#include "platform/SettingsSource.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace tallix::cli {

// args: what follows "--export-web". Prints the names of the files written to
// out. Returns 0; 1 after a failure written to err (nothing half-written is left:
// every page is written whole or not at all; a page that would be one of the
// inputs is refused before anything is written); 2 for wrong arguments (after the
// reason on err).
int exportWebCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const SettingsSource& settings);

} // namespace tallix::cli
