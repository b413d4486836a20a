#include "cli/WebCommand.h"

#include "document/MarkedDocument.h"
#include "platform/TextCodec.h"
#include "export/OutputTitles.h"
#include "export/web/WebExport.h"
#include "cli/CommandInputs.h"

#include <filesystem>
#include <optional>
#include <ostream>

namespace tallix::cli {

using namespace web;

namespace {

std::optional<int> number(const std::string& s, int low, int high) {
    if (s.empty() || s.size() > 6)
        return std::nullopt;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v < low || v > high)
        return std::nullopt;
    return v;
}

} // namespace

int exportWebCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const SettingsSource& settings) {
    WebOptions options = readWebOptions(settings);
    std::optional<std::string> buttonFile, titlesFile;
    std::vector<std::string> files;
    std::optional<bool> quick;
    std::optional<int> split;
    bool mac = false;
    auto bad = [&err](const std::string& why) {
        err << "tallix32: --export-web: " << why << "\n";
        return 2;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--quick") {
            quick = true;
        } else if (a == "--complex") {
            quick = false;
        } else if (a == "--mac") {
            mac = true;
        } else if (a == "--stats") {
            options.includeErrorStats = true;
        } else if (a == "--no-stats") {
            options.includeErrorStats = false;
        } else if (a == "--split" && hasValue) {
            std::optional<int> n = number(args[++i], MinLinks, MaxLinks);
            if (!n)
                return bad("--split takes a number of links per page from 20 to 150");
            split = *n;
        } else if (a == "--title-paras" && hasValue) {
            std::optional<int> n = number(args[++i], MinTitleParas, MaxTitleParas);
            if (!n)
                return bad("--title-paras takes a number from 0 to 5");
            options.titleParas = *n;
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
        return bad("give the marked file and the page to write");
    // Splitting and the Mac conversion belong to the complex method: asking for
    // either chooses it, and asking for it with --quick is a contradiction.
    if ((split || mac) && quick.value_or(false))
        return bad("--split and --mac need the complex method, not --quick");
    if (quick)
        options.quick = *quick;
    if (split || mac)
        options.quick = false;
    if (split) {
        options.splitFiles = true;
        options.links = *split;
    }
    if (mac)
        options.convertMac = true;

    ExportInputs in;
    if (!loadExportInputs(in, files[0], buttonFile, titlesFile, settings, err))
        return 1;
    const WebExportResult pages =
        exportWebPages(WebExportRequest{in.doc, *in.buttons, in.output.titles,
                                        in.output.colours, in.links, options, files[1]});
    std::vector<std::string> written;
    for (const WebPage& p : pages.pages)
        written.push_back(p.path);
    if (!outputsSpareInputs(written, {files[0], buttonFile.value_or(""), titlesFile.value_or("")},
                            err))
        return 1;
    const WriteOutcome outcome = writeWebPages(pages);
    if (!outcome.ok) {
        std::string message = text::toUtf8(outcome.message.text);
        for (std::size_t at; (at = message.find("\r\n")) != std::string::npos;)
            message.erase(at, 1);
        err << message << "\n";
        return 1;
    }
    for (const WebPage& p : pages.pages)
        out << p.path << "\n";
    return 0;
}

} // namespace tallix::cli
