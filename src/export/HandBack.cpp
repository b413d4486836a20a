#include "export/HandBack.h"

#include "document/MarkedDocument.h"
#include "library/LinkReferences.h"
#include "platform/SettingsSource.h"
#include "platform/TextCodec.h"

#include <cstdlib>

namespace tallix::exports {

HandBack buildHandBack(const ExportSources& in, bool includeErrorStats, const Progress& progress) {
    RtfBuild built = buildRtfText(
        RtfExportRequest{in.doc, in.buttons, in.titles, in.colours, in.links,
                         RtfOptions{includeErrorStats}},
        progress);
    HandBack h;
    h.content = in.doc.scratch().content();
    in.doc.scratch().clear();
    h.essayLength = built.essayLength;
    h.marks = std::move(built.marks);
    h.statistics = std::move(built.statistics);
    h.includeErrorStats = includeErrorStats;
    auto expand = [&](std::u16string_view s) { return library::IncludeUsefulLinks(s, in.links); };
    const MarkedDocument& doc = in.doc;
    h.comments.reserve(doc.commentTexts.size());
    for (const std::u16string& c : doc.commentTexts)
        h.comments.push_back(expand(c));
    h.feedback1 = expand(doc.feedback1Text);
    h.feedback2 = expand(doc.feedback2Text);
    if (doc.grade != tlx::NewGrade)
        h.grade = doc.grade;
    return h;
}

bool readIncludeErrorStats(const SettingsSource& settings, const char* section) {
    return settings.readBool(section, "IncludeErrorStats", true);
}

std::u16string loginName() {
    for (const char* name : {"USER", "LOGNAME", "USERNAME"})
        if (const char* v = std::getenv(name); v && *v)
            return text::fromUtf8(v);
    return u"Teacher";
}

std::u16string storedCommentAuthor(const SettingsSource& settings) {
    const std::string stored = settings.readString(WordOptionsSection, CommentAuthorName, "");
    return stored.empty() ? loginName() : text::fromUtf8(stored);
}

} // namespace tallix::exports

namespace tallix::exports {

bool territoryUsesLetter(std::string_view locale) {
    const std::size_t underscore = locale.find('_');
    if (underscore == std::string_view::npos)
        return false;
    std::string_view territory = locale.substr(underscore + 1, 2);
    for (std::string_view t : {"US", "CA", "MX", "PH", "CL", "CO", "VE", "PR", "CR", "GT", "SV",
                               "NI", "PA", "DO", "BZ"})
        if (territory == t)
            return true;
    return false;
}

bool usesLetterPaper() {
    for (const char* name : {"LC_ALL", "LC_PAPER", "LANG"})
        if (const char* v = std::getenv(name); v && *v)
            return territoryUsesLetter(v);
    return false;
}

} // namespace tallix::exports
