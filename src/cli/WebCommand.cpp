#include "cli/WebCommand.h"

#include "export/web/WebExport.h"
#include "platform/TextCodec.h"

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

class WebJob : public ExportJob {
public:
    explicit WebJob(const SettingsSource& settings) : options_(readWebOptions(settings)) {}

    bool option(const std::vector<std::string>& args, std::size_t& i, std::string& why) override {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--quick" || a == "--complex") {
            quick_ = a == "--quick";
        } else if (a == "--mac") {
            mac_ = true;
        } else if (a == "--split" && hasValue) {
            split_ = number(args[++i], MinLinks, MaxLinks);
            if (!split_)
                why = "--split takes a number of links per page from 20 to 150";
        } else if (a == "--title-paras" && hasValue) {
            const std::optional<int> n = number(args[++i], MinTitleParas, MaxTitleParas);
            if (!n)
                why = "--title-paras takes a number from 0 to 5";
            else
                options_.titleParas = *n;
        } else {
            return false;
        }
        return true;
    }
    void setIncludeErrorStats(bool on) override { options_.includeErrorStats = on; }

    // Splitting and the Mac conversion belong to the complex method: asking for
    // either chooses it, and asking for it with --quick is a contradiction.
    std::string checkOptions() override {
        if ((split_ || mac_) && quick_.value_or(false))
            return "--split and --mac need the complex method, not --quick";
        if (quick_)
            options_.quick = *quick_;
        if (split_ || mac_)
            options_.quick = false;
        if (split_) {
            options_.splitFiles = true;
            options_.links = *split_;
        }
        if (mac_)
            options_.convertMac = true;
        return {};
    }

    std::vector<std::string> build(const exports::ExportSources& in,
                                   const std::string& output) override {
        pages_ = exportWebPages(
            WebExportRequest{in.doc, in.buttons, in.titles, in.colours, in.links, options_, output});
        std::vector<std::string> paths;
        for (const WebPage& p : pages_.pages)
            paths.push_back(p.path);
        return paths;
    }

    bool write(std::ostream& err) override {
        const WriteOutcome outcome = writeWebPages(pages_);
        if (outcome.ok)
            return true;
        std::string message = text::toUtf8(outcome.message.text);
        for (std::size_t at; (at = message.find("\r\n")) != std::string::npos;)
            message.erase(at, 1);
        err << message << "\n";
        return false;
    }

private:
    WebOptions options_;
    std::optional<bool> quick_;
    std::optional<int> split_;
    bool mac_ = false;
    WebExportResult pages_;
};

} // namespace

std::unique_ptr<ExportJob> startWebExport(const SettingsSource& settings) {
    return std::make_unique<WebJob>(settings);
}

} // namespace tallix::cli
