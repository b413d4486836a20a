#pragma once
// The exports of the command line, as one table: no window, no display, no
// question.
//   tallix32 --export-web  MARKED.tlx PAGE.htm [--quick | --complex] [--split N]
//            [--mac] [--title-paras N] [common options]
//   tallix32 --export-text MARKED.tlx OUT.txt  [--mac] [common options]
//   tallix32 --export-rtf  MARKED.tlx OUT.rtf  [common options]
//   tallix32 --export-docx MARKED.tlx OUT.docx [--author NAME] [common options]
//   tallix32 --export-pdf  MARKED.tlx OUT.pdf  [common options]   (with Qt)
// common options: [--stats | --no-stats] [--buttons FILE.btn] [--titles FILE.cfg]
//
// Every row shares the reading of the arguments, the inputs (export/ExportInputs.h,
// as the marking window starts), the refusal of an output that is one of the
// inputs, the writing and the messages; a row adds only its own options and how
// it builds its files. Options not given come from the settings as the options
// windows start. The files are byte for byte those of the window's exports.
#include "export/ExportInputs.h"
#include "platform/SettingsSource.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tallix::cli {

// One run of one export: its own options, then its files.
class ExportJob {
public:
    virtual ~ExportJob() = default;
    // An option of this export at args[i]: takes it (and its value, moving i on)
    // and returns true; sets why when the value is wrong. False when it is none of
    // this export's.
    virtual bool option(const std::vector<std::string>& args, std::size_t& i, std::string& why);
    virtual void setIncludeErrorStats(bool on) = 0;
    // After every option: the reason when they contradict each other.
    virtual std::string checkOptions() { return {}; }
    // Builds what output asks for and returns the paths of the files to write.
    virtual std::vector<std::string> build(const exports::ExportSources& in,
                                           const std::string& output) = 0;
    // Writes the files built, all of them or none; false after the reason on err.
    virtual bool write(std::ostream& err) = 0;
};

// A job whose export is one file, written whole or not at all.
class SingleFileJob : public ExportJob {
public:
    std::vector<std::string> build(const exports::ExportSources& in,
                                   const std::string& output) override;
    bool write(std::ostream& err) override;

protected:
    virtual std::string bytes(const exports::ExportSources& in) = 0;

private:
    std::string path_, bytes_;
};

struct ExportCommand {
    std::string_view name;   // "--export-rtf"
    std::string_view output; // what the second file is, for the messages
    std::function<std::unique_ptr<ExportJob>(const SettingsSource&)> start;
};

// The exports that need no window system: web, text, RTF and Word.
const std::vector<ExportCommand>& coreExportCommands();
// The row of commands named name, or nullptr.
const ExportCommand* findExportCommand(const std::vector<ExportCommand>& commands,
                                       std::string_view name);

// args: what follows the command's name. Prints the names of the files written
// to out. Returns 0; 1 after a failure written to err (an existing file is left
// whole, and an output that is one of the inputs is refused before anything is
// written); 2 for wrong arguments (after the reason on err).
int runExportCommand(const ExportCommand& command, const std::vector<std::string>& args,
                     std::ostream& out, std::ostream& err, const SettingsSource& settings);

} // namespace tallix::cli
