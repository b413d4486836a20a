#include "library/LinkList.h"
#include "library/TextList.h"

namespace tallix::library {

void LinkList::setLink(int link, std::u16string_view title, std::u16string_view url,
                       std::u16string_view notes) {
    setEntry(link, {oneLine(title), oneLine(url), oneLine(notes)});
}

int LinkList::addLink(std::u16string_view title, std::u16string_view url) {
    return addEntry({oneLine(title, true), oneLine(url, true), {}});
}

int LinkList::addNewLink() { return addEntry({LinksLibrary.newTitle, {}, {}}); }

std::u16string HideReturns(std::u16string_view text) {
    std::u16string r;
    r.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            r.push_back(HiddenReturn);
        } else if (c == u'\n' || c == 0x2028 || c == 0x2029) {
            r.push_back(HiddenReturn);
        } else {
            r.push_back(c);
        }
    }
    return r;
}

std::u16string RestoreReturns(std::u16string_view text) {
    std::u16string r;
    r.reserve(text.size() + text.size() / 16);
    for (char16_t c : text) {
        if (c == HiddenReturn)
            r += u"\r\n";
        else
            r.push_back(c);
    }
    return r;
}

void TextList::setSnippet(int snippet, std::u16string_view title, std::u16string_view text) {
    setEntry(snippet, {oneLine(title), HideReturns(text)});
}

int TextList::addNewSnippet() { return addEntry({TextLibrary.newTitle, {}}); }

} // namespace tallix::library
