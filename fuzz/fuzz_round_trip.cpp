// Load, save, load again: the second load must give back what the first one had.
#include "FuzzSupport.h"
#include "document/MarkedDocument.h"
#include "document/Scanning.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace tallix;

namespace {

// Whether a trailer text survives a save: the stored format escapes nothing, so a
// text holding a keyword or the comment separator is read back differently by
// design (the first occurrence of each keyword counts).
bool storable(std::u16string_view s) {
    std::u16string folded(s);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; });
    for (std::u16string_view key : {u"tallixcomments:", u"feedbackone:", u"endfeedbackone",
                                    u"feedbacktwo:", u"endfeedbacktwo", u"tallixgrade:",
                                    u"endtallixgrade"})
        if (folded.find(key) != std::u16string::npos)
            return false;
    return folded.find(tlx::Separator) == std::u16string::npos;
}

void fail(const char* what) {
    std::fprintf(stderr, "round trip changed the %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MarkedDocument first;
    if (!first.loadTlxBytes(fuzz::bytesOf(data, size), "essay.tlx").ok)
        return 0;
    const std::string path = fuzz::scratchPath(".tlx");
    if (!first.saveTlx(path).ok)
        std::abort();
    MarkedDocument second;
    if (!second.loadTlxFile(path).ok)
        fail("file into one that cannot be loaded");

    // The save leaves out the document bookmarks; so does the comparison.
    scan::removeBookmarks(first.essay());
    const RichContent a = first.essay().content();
    const RichContent b = second.essay().content();
    if (a.text != b.text)
        fail("text");
    if (a.paragraphs != b.paragraphs)
        fail("paragraphs");
    if (a.runs.size() != b.runs.size())
        fail("number of runs");
    for (std::size_t i = 0; i < a.runs.size(); ++i)
        if (a.runs[i].length != b.runs[i].length || !(a.runs[i].format == b.runs[i].format))
            fail("runs");

    bool comparable = storable(first.feedback1Text) && storable(first.feedback2Text) &&
                      storable(first.grade);
    for (const auto& c : first.commentTexts)
        comparable = comparable && storable(c);
    if (comparable) {
        if (first.commentTexts != second.commentTexts)
            fail("comments");
        if (first.feedback1Text != second.feedback1Text ||
            first.feedback2Text != second.feedback2Text)
            fail("feedback");
        if (first.grade != second.grade)
            fail("grade");
    }
    return 0;
}
