#pragma once
// The text and RTF exports from the command line: no window, no display, no
// question.
//   tallix32 --export-text MARKED.tlx OUT.txt [--stats | --no-stats] [--mac]
//            [--buttons FILE.btn] [--titles FILE.cfg]
//   tallix32 --export-rtf MARKED.tlx OUT.rtf [--stats | --no-stats]
//            [--buttons FILE.btn] [--titles FILE.cfg]
// Options not given come from the settings as the options windows start; the
// button set, titles, colours and useful links are those the marking window starts
// with. The files are byte for byte those of the window's exports.
#include "platform/SettingsSource.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace tallix::cli {

enum class ExportKind { Text, Rtf };

// args: what follows "--export-text" or "--export-rtf". Prints the name of the
// file written to out. Returns 0; 1 after a failure written to err (an existing
// file is left whole, and an output that is one of the inputs is refused); 2 for wrong arguments (after the reason on err).
int exportFileCommand(ExportKind kind, const std::vector<std::string>& args, std::ostream& out,
                      std::ostream& err, const SettingsSource& settings);

} // namespace tallix::cli
