#pragma once
// The web export's row of the command line's export table (ExportCommands.h):
//   tallix32 --export-web MARKED.tlx PAGE.htm [--quick | --complex] [--split N]
//            [--mac] [--title-paras N] [--stats | --no-stats] [--buttons FILE.btn]
//            [--titles FILE.cfg]
// Options not given come from the settings exactly as the options window starts.
// Every page is written whole or not at all; a page that would be one of the
// inputs is refused before anything is written.
#include "cli/ExportCommands.h"

namespace tallix::cli {

std::unique_ptr<ExportJob> startWebExport(const SettingsSource& settings);

} // namespace tallix::cli
