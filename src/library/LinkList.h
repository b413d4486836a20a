#pragma once
// The useful links: every link is three strings in a row of one list (title, URL,
// notes), kept in "reflinks.mdb" in the program folder.
#include "library/ReferenceList.h"

#include <string>
#include <string_view>

namespace tallix::library {

class LinkList : public ReferenceList {
public:
    static constexpr int Fields = 3;
    LinkList() : ReferenceList(Fields) {}

    const std::u16string& url(int link) const { return field(link, 1); }
    const std::u16string& notes(int link) const { return field(link, 2); }

    // A link edited by the teacher; each field is made one line.
    void setLink(int link, std::u16string_view title, std::u16string_view url,
                 std::u16string_view notes);
    // AddLink: a link from an import, with empty notes; line breaks and tabs in the
    // title and URL become blanks. Duplicates are not looked for. Returns its index.
    int addLink(std::u16string_view title, std::u16string_view url);
    // A new link as "&New" makes it: the title "New link", no URL, no notes.
    int addNewLink();
};

inline constexpr char16_t LinksFileName[] = u"reflinks.mdb";

} // namespace tallix::library
