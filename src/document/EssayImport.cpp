#include "document/EssayImport.h"

#include "document/RtfReader.h"
#include "platform/FileIO.h"

#include <filesystem>
#include <system_error>

namespace tallix {

ImportKind importKindOf(const std::string& essay) {
    std::string head;
    if (fileio::readFileHead(essay, head, 64).ok && looksLikeRtf(head))
        return ImportKind::Rtf;
    return ImportKind::Text;
}

MarkedImportOutcome importToMarkedFile(const std::string& essay, const std::string& marked) {
    MarkedDocument doc;
    doc.clear();
    MarkedImportOutcome r;
    r.outcome = doc.importEssay(essay, importKindOf(essay));
    if (!r.outcome.ok) {
        r.readFailed = true;
        return r;
    }
    r.outcome = doc.saveTlx(marked);
    return r;
}

std::string freeMarkedFileName(const std::string& essay) {
    namespace fs = std::filesystem;
    const fs::path source(std::u8string(essay.begin(), essay.end()));
    const fs::path folder = source.parent_path();
    const std::u8string stem = source.stem().u8string();
    std::error_code ec;
    for (int n = 1; n < 1000; ++n) {
        std::string name(stem.begin(), stem.end());
        if (n > 1)
            name += " (" + std::to_string(n) + ")";
        name += ".tlx";
        const fs::path candidate = folder / fs::path(std::u8string(name.begin(), name.end()));
        // Anything there, a dangling link or a name that cannot be looked at, is
        // taken.
        if (fs::symlink_status(candidate, ec).type() == fs::file_type::not_found) {
            const std::u8string s = candidate.u8string();
            return std::string(s.begin(), s.end());
        }
        ec.clear();
    }
    return {};
}

} // namespace tallix
