#pragma once
// The paragraph and character conversion of the web export: the tagged copy of
// the essay that the linking step works on, the line-break conversion of the
// teacher's texts, and the encoding of a finished page.
#include "document/RichTextBuffer.h"

#include <functional>
#include <string>
#include <string_view>

namespace tallix::web {

// Progress of the export: a step's caption and the bar's position (0 to 10), and
// how much of the step is done. An empty caption or a negative position leaves
// what is shown. Long steps report every few thousand characters, never per
// character.
struct ProgressReport {
    std::u16string caption;
    int position = -1;
    double done = 0; // share of the current step, 0 to 1
};
using Progress = std::function<void(const ProgressReport&)>;

// Reports a share of the current step, when there is anyone to tell.
inline void reportDone(const Progress& p, double done) {
    if (p)
        p(ProgressReport{{}, -1, done});
}

// Five non-breaking spaces: what a tab or a run of blanks turns into.
inline constexpr char16_t IndentFiller[] = u"&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;";

// "<", ">" and "&" as the entities that show them, everything else as it is.
std::u16string escapeHtml(std::u16string_view text);
// Appends escapeHtml(c) to out.
void appendEscaped(std::u16string& out, char16_t c);

// The essay copied into scratch and rewritten as the body of a page: document
// bookmarks removed, the essay's own "<", ">" and "&" escaped (a student's text
// can neither break the page nor run in it; labels and comment markers stay as
// they are), and every paragraph's alignment and start indent turned into tags.
//
// Each paragraph opens with "<P ALIGN=LEFT>", "<P ALIGN=CENTER>" or
// "<P ALIGN=RIGHT>" and closes with "</P>" before its line break; the last one is
// not closed, unless it is indented: every block quotation is closed, the last
// one at the end of the text. An indented paragraph (a start indent of a whole
// point or more) opens with "<BLOCKQUOTE>" instead and closes with
// "</BLOCKQUOTE>"; indented
// paragraphs that follow each other share one block, separated by "<BR>" with no
// line break. The first paragraph always opens with its alignment tag, followed by
// "<BLOCKQUOTE>" when it is indented. A paragraph that is not indented and starts
// with a tab or five blanks gets IndentFiller after its first character.
//
// Every inserted tag is black, so the linking step never takes it for markup; the
// essay's characters keep their formats. The copy is built in one pass.
void htmlParaFormat(const RichTextBuffer& essay, RichTextBuffer& scratch,
                    const Progress& progress = {});

// A comment or feedback text made ready for a page: "<BR>" before each CR (the
// line break itself stays), IndentFiller before each tab, and before each blank
// that starts a run of five. Nothing is escaped: the web export takes the
// teacher's texts through teacherHtml (HtmlSanitizer.h), which applies the same
// rules to their text and makes their markup safe.
std::u16string htmlReturns(std::u16string_view text);

// The bytes of a page: Windows-1252, every character it lacks written as a
// numeric character reference ("&#937;", "&#128512;"), so nothing is lost.
std::string encodePage(std::u16string_view page);

} // namespace tallix::web
