#pragma once
// The options of the command line that never open a window: batch import of
// essays into marked files, error statistics of a class or of one essay, help and
// version. They run before any window exists,
// so they work without a display.
#include "platform/SettingsSource.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tallix::cli {

// The version line of the about box.
inline constexpr char VersionLine[] = "Version 1.3: July 1998";

// Handles the options in args (the arguments after the program name). Returns the
// exit status when the command line was fully handled here (an option, or a usage
// error), or nullopt when the program should start as usual (no arguments, or one
// argument that is not an option: a marked file to open). Options not given on the
// command line come from settings (nothing stored when it is null).
std::optional<int> run(const std::vector<std::string>& args, std::ostream& out,
                       std::ostream& err, const SettingsSource* settings = nullptr);

// True when the command line draws an image (a chart), for which the program
// starts Qt's offscreen platform: it needs painting, not a display.
bool needsPainting(const std::vector<std::string>& args);

// Imports an essay (RTF, Word, OpenDocument, PDF or text, chosen by its content)
// and saves it as a marked file. Returns 0, or 1 after writing the failure to err.
int importToMarkedFile(const std::string& essay, const std::string& marked, std::ostream& err);

} // namespace tallix::cli
