#include "app/CommandLine.h"

#include "document/MarkedDocument.h"
#include "document/RtfReader.h"
#include "platform/TextCodec.h"
#include "platform/FileIO.h"
#include "cli/CommandInputs.h"
#include "cli/ExportCommands.h"
#include "cli/StatsCommands.h"
#include "cli/WebCommand.h"

#include <ostream>

namespace tallix::cli {

namespace {

void usage(std::ostream& to) {
    to << "usage: tallix32 [MARKED.tlx]\n"
          "       tallix32 --import ESSAY MARKED.tlx\n"
          "       tallix32 --stats [--buttons FILE.btn] [-o TABLE.txt] MARKED.tlx...\n"
          "       tallix32 --count-errors [--buttons FILE.btn] MARKED.tlx\n"
          "       tallix32 --export-web MARKED.tlx PAGE.htm [options]\n"
          "       tallix32 --export-text MARKED.tlx OUT.txt [options]\n"
          "       tallix32 --export-rtf MARKED.tlx OUT.rtf [options]\n"
          "       tallix32 --help | --version\n"
          "\n"
          "  MARKED.tlx                 open a marked file\n"
          "  --import ESSAY MARKED.tlx  import an RTF, Word (.docx), OpenDocument (.odt),\n"
          "                             PDF or text essay and save it as a marked file,\n"
          "                             without opening a window\n"
          "  --stats MARKED.tlx...      write the error statistics table of those files\n"
          "                             (one line per file, tab-separated) to standard\n"
          "                             output, or to the file given with -o\n"
          "  --count-errors MARKED.tlx  print one essay's error counts: count TAB\n"
          "                             category, one line per category found\n"
          "  --buttons FILE.btn         count with this button file instead of the\n"
          "                             current one\n"
          "  --export-web MARKED.tlx PAGE.htm [--quick | --complex] [--split N] [--mac]\n"
          "               [--title-paras N] [--stats | --no-stats] [--buttons FILE.btn]\n"
          "               [--titles FILE.cfg]\n"
          "                             export a marked file as a web page, or as pages\n"
          "                             of N links each; options not given are the\n"
          "                             stored ones; prints the files written\n"
          "  --export-text MARKED.tlx OUT.txt [--stats | --no-stats] [--mac]\n"
          "               [--buttons FILE.btn] [--titles FILE.cfg]\n"
          "  --export-rtf MARKED.tlx OUT.rtf [--stats | --no-stats]\n"
          "               [--buttons FILE.btn] [--titles FILE.cfg]\n"
          "                             export a marked file as plain text or as RTF;\n"
          "                             options not given are the stored ones\n"
          "  --help                     show this help\n"
          "  --version                  show the version\n";
}

bool isOption(const std::string& a) { return a.size() > 1 && a[0] == '-'; }

// --stats and --count-errors: their options, then the marked files.
struct StatsArguments {
    std::optional<std::string> buttons;
    std::optional<std::string> output;
    std::vector<std::string> files;
};

std::optional<StatsArguments> parseStatsArguments(const std::vector<std::string>& args,
                                                  bool allowOutput) {
    StatsArguments a;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if ((arg == "--buttons" || (allowOutput && arg == "-o")) && i + 1 < args.size()) {
            std::optional<std::string>& slot = arg == "-o" ? a.output : a.buttons;
            if (slot)
                return std::nullopt;
            slot = args[++i];
        } else if (isOption(arg)) {
            return std::nullopt;
        } else {
            a.files.push_back(arg);
        }
    }
    if (a.files.empty())
        return std::nullopt;
    return a;
}

int runStats(const std::vector<std::string>& args, bool classTable, std::ostream& out,
             std::ostream& err, const SettingsSource& settings) {
    std::optional<StatsArguments> a = parseStatsArguments(args, classTable);
    if (!a || (!classTable && a->files.size() != 1)) {
        usage(err);
        return 2;
    }
    if (a->output) {
        std::vector<std::string> inputs = a->files;
        inputs.push_back(a->buttons.value_or(""));
        if (!outputsSpareInputs({*a->output}, inputs, err))
            return 1;
    }
    std::vector<std::string> errors;
    std::optional<AnnotationSet> set = commandLineButtonSet(a->buttons, settings, errors);
    StatsCommandOutcome r;
    if (set)
        r = classTable ? classStatistics(a->files, *set) : essayStatistics(a->files[0], *set);
    else
        r.status = 1;
    errors.insert(errors.end(), r.errors.begin(), r.errors.end());
    for (const std::string& line : errors)
        err << line << "\n";
    if (!set)
        return 1;
    if (a->output) {
        fileio::FileResult written = fileio::writeFileAtomic(*a->output, r.output);
        if (!written.ok) {
            err << "Unable to save the file " << *a->output << ": " << written.error << "\n";
            return 1;
        }
    } else {
        out << r.output;
        out.flush();
    }
    return r.status;
}

} // namespace

int importToMarkedFile(const std::string& essay, const std::string& marked, std::ostream& err) {
    if (!outputsSpareInputs({marked}, {essay}, err))
        return 1;
    // The reader follows the content, not the file name; the message follows the
    // reader the content asks for. Its first bytes tell.
    std::string head;
    ImportKind kind = ImportKind::Text;
    if (fileio::readFileHead(essay, head, 64).ok && looksLikeRtf(head))
        kind = ImportKind::Rtf;

    MarkedDocument doc;
    doc.clear();
    FileOutcome loaded = doc.importEssay(essay, kind);
    if (!loaded.ok) {
        err << text::toUtf8(loaded.message.text) << "\n" << essay << "\n";
        return 1;
    }
    FileOutcome saved = doc.saveTlx(marked);
    if (!saved.ok) {
        err << text::toUtf8(saved.message.text) << "\n";
        return 1;
    }
    return 0;
}

std::optional<int> run(const std::vector<std::string>& args, std::ostream& out,
                       std::ostream& err, const SettingsSource* settings) {
    if (args.empty())
        return std::nullopt;
    const DefaultSettings nothingStored;
    if (!settings)
        settings = &nothingStored;
    const std::string& first = args[0];
    if (first == "--help" || first == "-h") {
        if (args.size() != 1) {
            usage(err);
            return 2;
        }
        usage(out);
        return 0;
    }
    if (first == "--version") {
        if (args.size() != 1) {
            usage(err);
            return 2;
        }
        out << "Tallix32 " << VersionLine << "\n";
        return 0;
    }
    if (first == "--import") {
        if (args.size() != 3) {
            usage(err);
            return 2;
        }
        return importToMarkedFile(args[1], args[2], err);
    }
    if (first == "--export-web")
        return exportWebCommand({args.begin() + 1, args.end()}, out, err, *settings);
    if (first == "--export-text" || first == "--export-rtf")
        return exportFileCommand(
            first == "--export-text" ? ExportKind::Text : ExportKind::Rtf,
            {args.begin() + 1, args.end()}, out, err, *settings);
    if (first == "--stats" || first == "--count-errors")
        return runStats(args, first == "--stats", out, err, *settings);
    if (isOption(first) || args.size() != 1) {
        err << "tallix32: unknown option or wrong number of arguments\n";
        usage(err);
        return 2;
    }
    return std::nullopt;
}

} // namespace tallix::cli
