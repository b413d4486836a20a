#include "document/Bookmarks.h"

namespace tallix {

std::u16string Bookmarks::caption(int k) const {
    std::u16string s = u"&";
    for (char c : std::to_string(k))
        s.push_back(char16_t(c));
    s += u": ";
    if (k >= 1 && k <= Limit) {
        for (char16_t c : names[std::size_t(k)]) {
            if (c == u'&')
                s.push_back(u'&');
            s.push_back(c);
        }
    }
    return s;
}

} // namespace tallix
