#include "cli/ExportCommands.h"

#include "document/MarkedDocument.h"
#include "platform/TextCodec.h"
#include "export/OutputTitles.h"
#include "export/RtfExport.h"
#include "export/TextExport.h"
#include "cli/CommandInputs.h"

#include <optional>
#include <ostream>

namespace tallix::cli {

using namespace exports;

int exportFileCommand(ExportKind kind, const std::vector<std::string>& args, std::ostream& out,
                      std::ostream& err, const SettingsSource& settings) {
    const bool isText = kind == ExportKind::Text;
    TextOptions textOptions = readTextOptions(settings);
    RtfOptions rtfOptions = readRtfOptions(settings);
    std::optional<std::string> buttonFile, titlesFile;
    std::vector<std::string> files;
    auto bad = [&err, isText](const std::string& why) {
        err << "tallix32: " << (isText ? "--export-text" : "--export-rtf") << ": " << why << "\n";
        return 2;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--stats" || a == "--no-stats") {
            textOptions.includeErrorStats = rtfOptions.includeErrorStats = a == "--stats";
        } else if (a == "--mac" && isText) {
            textOptions.convertForMac = true;
        } else if (a == "--buttons" && hasValue) {
            buttonFile = args[++i];
        } else if (a == "--titles" && hasValue) {
            titlesFile = args[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            return bad("unknown option or missing value: " + a);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2)
        return bad("give the marked file and the file to write");

    if (!outputsSpareInputs({files[1]},
                            {files[0], buttonFile.value_or(""), titlesFile.value_or("")}, err))
        return 1;
    ExportInputs in;
    if (!loadExportInputs(in, files[0], buttonFile, titlesFile, settings, err))
        return 1;
    const std::string bytes =
        isText ? exportText(TextExportRequest{in.doc, *in.buttons, in.output.titles, in.links,
                                              textOptions})
                     .bytes
               : exportRtf(RtfExportRequest{in.doc, *in.buttons, in.output.titles,
                                            in.output.colours, in.links, rtfOptions})
                     .bytes;
    const FileOutcome written = writeExportFile(files[1], bytes);
    if (!written.ok) {
        err << text::toUtf8(written.message.text) << "\n" << files[1] << "\n";
        return 1;
    }
    out << files[1] << "\n";
    return 0;
}

} // namespace tallix::cli
