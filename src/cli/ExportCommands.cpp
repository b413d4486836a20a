#include "cli/ExportCommands.h"

#include "cli/CommandInputs.h"
#include "cli/WebCommand.h"
#include "export/DocxExport.h"
#include "export/RtfExport.h"
#include "export/TextExport.h"
#include "platform/TextCodec.h"

#include <exception>
#include <optional>
#include <ostream>

namespace tallix::cli {

using namespace exports;

bool ExportJob::option(const std::vector<std::string>&, std::size_t&, std::string&) {
    return false;
}

std::vector<std::string> SingleFileJob::build(const ExportSources& in, const std::string& output) {
    path_ = output;
    bytes_ = bytes(in);
    return {path_};
}

bool SingleFileJob::write(std::ostream& err) {
    const FileOutcome written = writeExportFile(path_, bytes_);
    if (!written.ok)
        err << text::toUtf8(written.message.text) << "\n" << path_ << "\n";
    return written.ok;
}

namespace {

class TextJob : public SingleFileJob {
public:
    explicit TextJob(const SettingsSource& s) : options_(readTextOptions(s)) {}
    bool option(const std::vector<std::string>& args, std::size_t& i, std::string&) override {
        if (args[i] != "--mac")
            return false;
        options_.convertForMac = true;
        return true;
    }
    void setIncludeErrorStats(bool on) override { options_.includeErrorStats = on; }
    std::string bytes(const ExportSources& in) override {
        return exportText(TextExportRequest{in.doc, in.buttons, in.titles, in.links, options_}).bytes;
    }

private:
    TextOptions options_;
};

class RtfJob : public SingleFileJob {
public:
    explicit RtfJob(const SettingsSource& s) : options_(readRtfOptions(s)) {}
    void setIncludeErrorStats(bool on) override { options_.includeErrorStats = on; }
    std::string bytes(const ExportSources& in) override {
        return exportRtf(RtfExportRequest{in.doc, in.buttons, in.titles, in.colours, in.links,
                                          options_})
            .bytes;
    }

private:
    RtfOptions options_;
};

class DocxJob : public SingleFileJob {
public:
    explicit DocxJob(const SettingsSource& s) : options_(readDocxOptions(s)) {}
    bool option(const std::vector<std::string>& args, std::size_t& i, std::string& why) override {
        if (args[i] != "--author" || i + 1 >= args.size())
            return false;
        options_.author = text::fromUtf8(args[++i]);
        if (options_.author.empty())
            why = "--author takes the name that signs the comments";
        return true;
    }
    void setIncludeErrorStats(bool on) override { options_.includeErrorStats = on; }
    std::string bytes(const ExportSources& in) override {
        return exportDocx(in, options_).bytes;
    }

private:
    DocxOptions options_;
};

template <typename Job>
std::unique_ptr<ExportJob> start(const SettingsSource& s) {
    return std::make_unique<Job>(s);
}

} // namespace

const std::vector<ExportCommand>& coreExportCommands() {
    static const std::vector<ExportCommand> commands{
        {"--export-web", "the page to write", startWebExport},
        {"--export-text", "the file to write", start<TextJob>},
        {"--export-rtf", "the file to write", start<RtfJob>},
        {"--export-docx", "the file to write", start<DocxJob>},
    };
    return commands;
}

const ExportCommand* findExportCommand(const std::vector<ExportCommand>& commands,
                                       std::string_view name) {
    for (const ExportCommand& c : commands)
        if (c.name == name)
            return &c;
    return nullptr;
}

int runExportCommand(const ExportCommand& command, const std::vector<std::string>& args,
                     std::ostream& out, std::ostream& err, const SettingsSource& settings) {
    const std::unique_ptr<ExportJob> job = command.start(settings);
    ExportInputFiles files;
    std::vector<std::string> names;
    auto bad = [&](const std::string& why) {
        err << "tallix32: " << command.name << ": " << why << "\n";
        return 2;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        std::string why;
        if (job->option(args, i, why)) {
            if (!why.empty())
                return bad(why);
        } else if (a == "--stats" || a == "--no-stats") {
            job->setIncludeErrorStats(a == "--stats");
        } else if (a == "--buttons" && hasValue) {
            files.buttonFile = args[++i];
        } else if (a == "--titles" && hasValue) {
            files.titlesFile = args[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            return bad("unknown option or missing value: " + a);
        } else {
            names.push_back(a);
        }
    }
    if (names.size() != 2)
        return bad("give the marked file and " + std::string(command.output));
    if (const std::string why = job->checkOptions(); !why.empty())
        return bad(why);
    files.marked = names[0];
    const std::vector<std::string> inputs{files.marked, files.buttonFile.value_or(""),
                                          files.titlesFile.value_or("")};
    if (!outputsSpareInputs({names[1]}, inputs, err))
        return 1;

    LoadedExportInputs in;
    std::vector<std::string> errors;
    const bool loaded = loadExportInputs(in, files, settings, errors);
    for (const std::string& line : errors)
        err << line << "\n";
    if (!loaded)
        return 1;
    std::vector<std::string> written;
    try {
        written = job->build(in.sources(), names[1]);
    } catch (const std::exception& e) {
        err << "tallix32: " << command.name << ": " << e.what() << "\n";
        return 1;
    }
    // A split export's later pages are named only now.
    if (!outputsSpareInputs(written, inputs, err) || !job->write(err))
        return 1;
    for (const std::string& path : written)
        out << path << "\n";
    return 0;
}

} // namespace tallix::cli
