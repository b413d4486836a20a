#include "cli/qt/PdfCommand.h"

#include "export/qt/PdfExport.h"

namespace tallix::cli {

namespace {

class PdfJob : public SingleFileJob {
public:
    explicit PdfJob(const SettingsSource& s) : options_(exports::readPdfOptions(s)) {}
    void setIncludeErrorStats(bool on) override { options_.includeErrorStats = on; }
    std::string bytes(const exports::ExportSources& in) override {
        exports::PdfOptions o = options_;
        o.title = exports::pdfTitleFor(in.doc.currentFile);
        return exports::exportPdf(in, o).bytes;
    }

private:
    exports::PdfOptions options_;
};

} // namespace

ExportCommand pdfExportCommand() {
    return {"--export-pdf", "the file to write",
            [](const SettingsSource& s) { return std::unique_ptr<ExportJob>(new PdfJob(s)); }};
}

} // namespace tallix::cli
