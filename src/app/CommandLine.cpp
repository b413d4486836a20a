#include "app/CommandLine.h"

#include "document/EssayImport.h"
#include "document/MarkedDocument.h"
#include "document/RtfReader.h"
#include "platform/TextCodec.h"
#include "platform/FileIO.h"
#include "cli/CommandInputs.h"
#include "cli/ExportCommands.h"
#include "cli/StatsCommands.h"
#include "export/ExportInputs.h"
#ifdef TALLIX_HAVE_QT
#include "cli/qt/PdfCommand.h"
#include "stats/qt/ChartImage.h"
#endif

#include <ostream>

namespace tallix::cli {

namespace {

void usage(std::ostream& to) {
    to << "usage: tallix32 [MARKED.tlx]\n"
          "       tallix32 FOLDER | FILE FILE...\n"
          "       tallix32 --import ESSAY MARKED.tlx\n"
          "       tallix32 --stats [--buttons FILE.btn] [-o TABLE.txt] [--csv] [--by-student]\n"
          "                [--student-folders] [--per-100-words] [--chart CHART.svg|.png]\n"
          "                [--jobs N] MARKED.tlx...\n"
          "       tallix32 --count-errors [--buttons FILE.btn] MARKED.tlx\n"
          "       tallix32 --export-web MARKED.tlx PAGE.htm [options]\n"
          "       tallix32 --export-text MARKED.tlx OUT.txt [options]\n"
          "       tallix32 --export-rtf MARKED.tlx OUT.rtf [options]\n"
          "       tallix32 --export-pdf MARKED.tlx OUT.pdf [options]\n"
          "       tallix32 --export-docx MARKED.tlx OUT.docx [options]\n"
          "       tallix32 --help | --version\n"
          "\n"
          "  MARKED.tlx                 open a marked file\n"
          "  FOLDER, FILE FILE...       open a class: its marked files and essays (.rtf,\n"
          "                             .docx, .odt, .txt, .pdf) listed by student; each\n"
          "                             essay is imported on first opening into a marked\n"
          "                             file beside it\n"
          "  --import ESSAY MARKED.tlx  import an RTF, Word (.docx), OpenDocument (.odt),\n"
          "                             PDF or text essay and save it as a marked file,\n"
          "                             without opening a window\n"
          "  --stats MARKED.tlx...      write the error statistics table of those files\n"
          "                             (one line per file, tab-separated) to standard\n"
          "                             output, or to the file given with -o\n"
          "  --csv                      write the table as CSV (UTF-8) for spreadsheets\n"
          "  --by-student               one line per student (the file name up to its\n"
          "                             first \"_\", as course sites name downloads),\n"
          "                             with the number of essays\n"
          "  --student-folders          with --by-student: the folder of each file is\n"
          "                             its student (one folder per student)\n"
          "  --per-100-words            errors per 100 words instead of counts, with a\n"
          "                             column of words\n"
          "  --chart CHART.svg|.png     also draw the class's errors per category as a\n"
          "                             bar chart (needs no display)\n"
          "  --jobs N                   count on N threads (default: one per core)\n"
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
          "  --export-pdf MARKED.tlx OUT.pdf [--stats | --no-stats]\n"
          "               [--buttons FILE.btn] [--titles FILE.cfg]\n"
          "  --export-docx MARKED.tlx OUT.docx [--stats | --no-stats] [--author NAME]\n"
          "               [--buttons FILE.btn] [--titles FILE.cfg]\n"
          "                             export a marked file as plain text, RTF, PDF or\n"
          "                             a Word document (comments in the margin, signed\n"
          "                             NAME or the stored teacher's name); options not\n"
          "                             given are the stored ones; no display is needed\n"
          "  --help                     show this help\n"
          "  --version                  show the version\n";
}

// Every export of the command line: the core's, and the PDF export where the
// program has Qt to paint with.
const std::vector<ExportCommand>& exportCommands() {
    static const std::vector<ExportCommand> commands = [] {
        std::vector<ExportCommand> all = coreExportCommands();
#ifdef TALLIX_HAVE_QT
        all.push_back(pdfExportCommand());
#endif
        return all;
    }();
    return commands;
}

bool isOption(const std::string& a) { return a.size() > 1 && a[0] == '-'; }

// The chart image of --stats --chart, drawn with Qt's painting where the program
// has it (the offscreen platform was started for it).
ChartWriter chartWriter() {
#ifdef TALLIX_HAVE_QT
    return [](const stats::CategoryChart& chart, const std::string& path) {
        return writeCategoryChart(chart, path);
    };
#else
    return {};
#endif
}

} // namespace

bool needsPainting(const std::vector<std::string>& args) {
    return statsNeedsPainting(args) || (!args.empty() && args[0] == "--export-pdf");
}

int importToMarkedFile(const std::string& essay, const std::string& marked, std::ostream& err) {
    if (!outputsSpareInputs({marked}, {essay}, err))
        return 1;
    const MarkedImportOutcome r = tallix::importToMarkedFile(essay, marked);
    if (!r.outcome.ok) {
        err << text::toUtf8(r.outcome.message.text) << "\n";
        if (r.readFailed)
            err << essay << "\n";
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
    if (const ExportCommand* command = findExportCommand(exportCommands(), first))
        return runExportCommand(*command, {args.begin() + 1, args.end()}, out, err, *settings);
    if (first == "--stats" || first == "--count-errors") {
        if (std::optional<int> status = statsCommand(args, out, err, *settings, chartWriter()))
            return *status;
        usage(err);
        return 2;
    }
    // A marked file, a class folder, or several files of a class: the window opens
    // them.
    for (const std::string& a : args)
        if (isOption(a)) {
            err << "tallix32: unknown option or wrong number of arguments\n";
            usage(err);
            return 2;
        }
    return std::nullopt;
}

} // namespace tallix::cli
