#pragma once
// Link references: the text "{{" + title + "}}" that "&Use" of the useful links
// puts into comments and feedback. The exports expand them: the text and RTF
// exports to the title in quotes and the address in parentheses
// (IncludeUsefulLinks), the web export to a hyperlink (ConvertUsefulLinks, and the
// web export's sanitizer, which checks the address first). All go through the one
// scanner below.
//
// The scanner works forward through the text and never looks at what it has
// passed, so no reference is expanded twice (not even one whose expansion holds
// "{{") and every scan ends:
//   - at each "{{" it looks for a "}" among the next MaxReferenceReach characters;
//   - the reference must end in "}}"; the title is the text between;
//   - the title is looked up among the links' titles only, without regard to
//     letter case (the first match counts), and the URL is that link's;
//   - a reference with no "}}" in reach, or whose title names no link, is left as
//     written, and the scan goes on after it.
#include "library/LinkList.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tallix::library {

// How far after "{{" the first "}" of a reference may stand.
inline constexpr std::size_t MaxReferenceReach = 255;

// One reference found in a text.
struct LinkReference {
    std::size_t start = 0; // where its "{{" stands
    std::size_t end = 0;   // one past its "}}"
    std::u16string_view title; // as written in the reference
    int link = -1;             // the link it names
};

// Every reference in text that names a link, in order.
std::vector<LinkReference> findLinkReferences(std::u16string_view text, const LinkList& links);

// Writes the replacement for one reference: the title as written and the link's URL.
using LinkRendering = void (*)(std::u16string& out, std::u16string_view title,
                               std::u16string_view url);

// text with every reference that names a link replaced by render's output; all
// else is copied as it is. One forward pass.
std::u16string expandLinkReferences(std::u16string_view text, const LinkList& links,
                                    LinkRendering render);

// Plain form: "\"" + title + "\" (" + URL + ") ".
std::u16string IncludeUsefulLinks(std::u16string_view text, const LinkList& links);

// Web form: "<A HREF=\"" + URL + "\">" + title + "</A>", the URL with its double
// quotes and angle brackets escaped, the title with "<", ">" and "&" escaped.
std::u16string ConvertUsefulLinks(std::u16string_view page, const LinkList& links);

} // namespace tallix::library
