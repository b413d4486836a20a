#pragma once
// The one way a text the teacher wrote (a comment, a feedback text, the grade, a
// title, a category's description) goes into a web page.
//
// A short list of formatting elements stays markup, rebuilt fresh with only the
// attributes named here and only checked values:
//   B I U EM STRONG BR P SUP SUB
//   FONT   COLOR (#rgb, #rrggbb or a colour name), SIZE (1 to 7, or +n / -n),
//          FACE (letters, digits, blanks, commas, hyphens)
//   A      HREF with an http:, https: or mailto: address
//   FORM   (no attribute) and the page's own back button, an INPUT of type button
//          whose click goes back in the history, so that a title or comment that
//          holds one keeps it.
// Everything else is shown as the text the teacher typed: every "<" that does not
// start one of those tags becomes "&lt;", every ">" outside them "&gt;", and every
// "&" that does not start a character reference "&amp;". So no script element,
// event handler or script address can reach the page, and "x<y" reads "x<y".
// Elements still open at the end of the text are closed there, and an end tag
// with no open element of its name is dropped, so one text can neither swallow
// nor close the markup of the page around it.
//
// The text is read once from start to end; nothing of it is copied into the
// output except plain text and what the tags are rebuilt from.
#include "library/LinkList.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tallix::web {

// Markup of our own that stands for [start, end) of the text (a link reference's
// link); taken as it is, where the text is not inside a tag.
struct TrustedMarkup {
    std::size_t start = 0;
    std::size_t end = 0;
    std::u16string html;
};

struct SanitizeOptions {
    // The line breaks of a multi-line text: "<BR>" before each CR (the break
    // stays), five non-breaking spaces before each tab and before each blank that
    // starts a run of five.
    bool lineBreaks = false;
    // In order, not overlapping.
    std::vector<TrustedMarkup> trusted;
};

std::u16string sanitizeHtml(std::u16string_view text, const SanitizeOptions& options = {});

// A teacher's text as it goes on a page: sanitized, with every link reference
// ("{{title}}") that names one of the useful links made a link to its address
// (when that address is one a page may link to; else the title as text).
std::u16string teacherHtml(std::u16string_view text, const library::LinkList& links,
                           bool lineBreaks);

// Whether an address may be the target of a link the teacher typed: http:,
// https: or mailto:, after what a browser strips (blanks and control characters
// at its ends, tabs and line breaks anywhere). Character references must already
// be decoded.
bool isAllowedTypedUrl(std::u16string_view url);
// The same for the address of a useful link: also ftp:, news: and file:, and an
// address with no scheme at all (a page beside this one).
bool isAllowedLinkUrl(std::u16string_view url);

} // namespace tallix::web
