#include "app/CommandLine.h"

#include "document/MarkedDocument.h"
#include "document/RtfReader.h"
#include "document/TextCodec.h"
#include "platform/FileIO.h"

#include <ostream>

namespace tallix::cli {

namespace {

void usage(std::ostream& to) {
    to << "usage: tallix32 [MARKED.tlx]\n"
          "       tallix32 --import ESSAY MARKED.tlx\n"
          "       tallix32 --help | --version\n"
          "\n"
          "  MARKED.tlx                 open a marked file\n"
          "  --import ESSAY MARKED.tlx  import an RTF or text essay and save it as a\n"
          "                             marked file, without opening a window\n"
          "  --help                     show this help\n"
          "  --version                  show the version\n";
}

bool isOption(const std::string& a) { return a.size() > 1 && a[0] == '-'; }

} // namespace

int importToMarkedFile(const std::string& essay, const std::string& marked, std::ostream& err) {
    // The reader follows the content, not the file name; the message follows the
    // reader the content asks for.
    std::string bytes;
    ImportKind kind = ImportKind::Text;
    if (fileio::readFile(essay, bytes).ok && looksLikeRtf(bytes))
        kind = ImportKind::Rtf;
    bytes.clear();

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
    (void)settings;
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
    if (isOption(first) || args.size() != 1) {
        err << "tallix32: unknown option or wrong number of arguments\n";
        usage(err);
        return 2;
    }
    return std::nullopt;
}

} // namespace tallix::cli
