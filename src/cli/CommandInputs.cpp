#include "cli/CommandInputs.h"

#include "export/web/WebExport.h"
#include "platform/FileIO.h"
#include "platform/ProfileFile.h"
#include "platform/TextCodec.h"

#include <filesystem>
#include <ostream>

namespace tallix::cli {

std::string currentButtonFile(const SettingsSource& settings) {
    return settings.readString("FilePaths", "CurrentButtons",
                               settings.programFolder() + DefaultButtonFileName);
}

std::optional<AnnotationSet> commandLineButtonSet(const std::optional<std::string>& buttonFile,
                                                  const SettingsSource& settings,
                                                  std::vector<std::string>& errors) {
    AnnotationSet set = AnnotationSet::builtInDefaults();
    const std::string path = buttonFile ? *buttonFile : currentButtonFile(settings);
    const ProfileLoadStatus status =
        readButtonFile(set, buttonFile ? path : settings.readablePath(path));
    if (buttonFile && status != ProfileLoadStatus::Loaded) {
        errors.push_back(std::filesystem::exists(path)
                             ? "Unable to read the button file " + path
                             : "The button file " + path + " does not exist");
        return std::nullopt;
    }
    return set;
}

bool loadExportInputs(ExportInputs& in, const std::string& marked,
                      const std::optional<std::string>& buttonFile,
                      const std::optional<std::string>& titlesFile,
                      const SettingsSource& settings, std::ostream& err) {
    std::vector<std::string> errors;
    in.buttons = commandLineButtonSet(buttonFile, settings, errors);
    for (const std::string& line : errors)
        err << line << "\n";
    if (!in.buttons)
        return false;
    if (titlesFile && !std::filesystem::is_regular_file(*titlesFile)) {
        if (std::filesystem::exists(*titlesFile))
            err << "Unable to read the titles file " << *titlesFile << "\n";
        else
            err << "The titles file " << *titlesFile << " does not exist\n";
        return false;
    }
    in.output = readOutputSettings(settings, titlesFile.value_or(""));
    const FileOutcome loaded = in.doc.loadTlxFile(marked);
    if (!loaded.ok) {
        err << text::toUtf8(loaded.message.text) << "\n" << marked << "\n";
        return false;
    }
    in.links = web::storedLinkList(settings);
    return true;
}

std::optional<std::string> inputOverwrittenBy(const std::string& output,
                                              const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs)
        if (!input.empty() && fileio::sameFile(output, input))
            return input;
    return std::nullopt;
}

bool outputsSpareInputs(const std::vector<std::string>& outputs,
                        const std::vector<std::string>& inputs, std::ostream& err) {
    for (const std::string& output : outputs) {
        if (const std::optional<std::string> input = inputOverwrittenBy(output, inputs)) {
            err << "tallix32: " << output << " is the same file as the input " << *input
                << ": nothing was written, and the input is left as it was\n";
            return false;
        }
    }
    return true;
}

} // namespace tallix::cli
