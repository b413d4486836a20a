#pragma once
// What every command of the command line starts from, as the marking window
// would: the button set, the marked file with the titles, colours and links of an
// export, and the rule that a command never writes over one of its own inputs.
#include "annotations/AnnotationSet.h"
#include "document/MarkedDocument.h"
#include "export/OutputTitles.h"
#include "library/LinkList.h"
#include "platform/SettingsSource.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tallix::cli {

// The current button file: "FilePaths"/"CurrentButtons" of the settings, else
// "default.btn" in the program folder.
std::string currentButtonFile(const SettingsSource& settings);

// The button set to count or export with: the built-in set with a button file
// read over it, as the marking window starts. The file is buttonFile when given
// (it must then be readable), else the current one from the settings (a missing
// one leaves the built-in set, as in the window). nullopt, with an error line,
// when a named file cannot be read.
std::optional<AnnotationSet> commandLineButtonSet(const std::optional<std::string>& buttonFile,
                                                  const SettingsSource& settings,
                                                  std::vector<std::string>& errors);

// An export's inputs: the marked file, the button set (the stored one unless
// buttonFile names another), the titles and colours (the stored titles file unless
// titlesFile names another) and the stored useful links.
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

// The first of inputs that output names (by any spelling, or through a link), or
// nullopt. Inputs that are not given (empty) are skipped.
std::optional<std::string> inputOverwrittenBy(const std::string& output,
                                              const std::vector<std::string>& inputs);

// Refuses a command that would write over one of its inputs: false after a line
// naming both files on err.
bool outputsSpareInputs(const std::vector<std::string>& outputs,
                        const std::vector<std::string>& inputs, std::ostream& err);

} // namespace tallix::cli
