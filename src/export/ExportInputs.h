#pragma once
// What every export reads besides its own options: the marked document, the
// button set, the output titles and colours, and the useful links whose
// references it expands. The marking window hands over what it holds; the
// command line loads the same things from files and the settings store, as the
// window would start. Either way the five exports (web, RTF, text, PDF, Word)
// take them from an ExportSources.
#include "annotations/AnnotationSet.h"
#include "document/MarkedDocument.h"
#include "export/OutputTitles.h"
#include "library/LinkList.h"

#include <optional>
#include <string>
#include <vector>

namespace tallix {
class SettingsSource;
}

namespace tallix::exports {

struct ExportSources {
    MarkedDocument& doc; // the export trims the end of its essay, as the window does
    const AnnotationSet& buttons;
    const OutputTitles& titles;
    const OutputColours& colours;
    const library::LinkList& links;
};

// The current button file: "FilePaths"/"CurrentButtons" of the settings, else
// "default.btn" in the program folder.
std::string currentButtonFile(const SettingsSource& settings);

// The button set to count or export with: the built-in set with a button file
// read over it, as the marking window starts. The file is buttonFile when given
// (it must then be readable), else the current one from the settings (a missing
// one leaves the built-in set, as in the window). nullopt, with an error line,
// when a named file cannot be read.
std::optional<AnnotationSet> storedButtonSet(const std::optional<std::string>& buttonFile,
                                             const SettingsSource& settings,
                                             std::vector<std::string>& errors);

// The files an export starts from outside the window.
struct ExportInputFiles {
    std::string marked;
    std::optional<std::string> buttonFile; // else the current button file
    std::optional<std::string> titlesFile; // else the stored titles file
};

// An export's inputs loaded from files: the marked file, the button set, the
// titles and colours and the stored useful links.
struct LoadedExportInputs {
    MarkedDocument doc;
    AnnotationSet buttons;
    OutputSettings output;
    library::LinkList links;

    ExportSources sources() { return {doc, buttons, output.titles, output.colours, links}; }
};

// Fills in from the files and the settings. False after the reasons were added
// to errors (UTF-8 lines: the message, then the file it is about).
bool loadExportInputs(LoadedExportInputs& in, const ExportInputFiles& files,
                      const SettingsSource& settings, std::vector<std::string>& errors);

} // namespace tallix::exports
