#include "export/ExportInputs.h"

#include "export/web/WebExport.h"
#include "platform/ProfileFile.h"
#include "platform/SettingsSource.h"
#include "platform/TextCodec.h"

#include <filesystem>

namespace tallix::exports {

std::string currentButtonFile(const SettingsSource& settings) {
    return settings.readString("FilePaths", "CurrentButtons",
                               settings.programFolder() + DefaultButtonFileName);
}

std::optional<AnnotationSet> storedButtonSet(const std::optional<std::string>& buttonFile,
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

bool loadExportInputs(LoadedExportInputs& in, const ExportInputFiles& files,
                      const SettingsSource& settings, std::vector<std::string>& errors) {
    std::optional<AnnotationSet> buttons = storedButtonSet(files.buttonFile, settings, errors);
    if (!buttons)
        return false;
    in.buttons = std::move(*buttons);
    if (files.titlesFile && !std::filesystem::is_regular_file(*files.titlesFile)) {
        errors.push_back(std::filesystem::exists(*files.titlesFile)
                             ? "Unable to read the titles file " + *files.titlesFile
                             : "The titles file " + *files.titlesFile + " does not exist");
        return false;
    }
    in.output = readOutputSettings(settings, files.titlesFile.value_or(""));
    const FileOutcome loaded = in.doc.loadTlxFile(files.marked);
    if (!loaded.ok) {
        errors.push_back(text::toUtf8(loaded.message.text));
        errors.push_back(files.marked);
        return false;
    }
    in.links = web::storedLinkList(settings);
    return true;
}

} // namespace tallix::exports
