#pragma once
// The PDF export's row of the command line's export table (cli/ExportCommands.h):
//   tallix32 --export-pdf MARKED.tlx OUT.pdf [--stats | --no-stats]
//            [--buttons FILE.btn] [--titles FILE.cfg]
// It paints with Qt, so the program runs it inside a QGuiApplication on the
// offscreen platform: no display is needed.
#include "cli/ExportCommands.h"

namespace tallix::cli {

ExportCommand pdfExportCommand();

} // namespace tallix::cli
