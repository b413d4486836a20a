#include "library/LinkReferences.h"

#include "platform/CaseFold.h"

#include <unordered_map>

namespace tallix::library {

namespace {

// Folded title -> first link with it, built only when a text holds a reference.
class TitleIndex {
public:
    explicit TitleIndex(const LinkList& links) : links_(links) {}

    int find(std::u16string_view title) {
        if (!built_) {
            for (int i = links_.count() - 1; i >= 0; --i) // the first link wins
                index_[foldedCopy(links_.title(i))] = i;
            built_ = true;
        }
        auto it = index_.find(foldedCopy(title));
        return it == index_.end() ? -1 : it->second;
    }

private:
    const LinkList& links_;
    bool built_ = false;
    std::unordered_map<std::u16string, int> index_;
};

void renderPlain(std::u16string& out, std::u16string_view title, std::u16string_view url) {
    out += u'"';
    out += title;
    out += u"\" (";
    out += url;
    out += u") ";
}

void appendEscaped(std::u16string& out, std::u16string_view s, bool attribute) {
    for (char16_t c : s) {
        switch (c) {
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"':
            if (attribute)
                out += u"&quot;";
            else
                out += c;
            break;
        case u'&':
            if (attribute)
                out += c; // an address keeps its query string as written
            else
                out += u"&amp;";
            break;
        default: out += c;
        }
    }
}

void renderWeb(std::u16string& out, std::u16string_view title, std::u16string_view url) {
    out += u"<A HREF=\"";
    appendEscaped(out, url, true);
    out += u"\">";
    appendEscaped(out, title, false);
    out += u"</A>";
}

} // namespace

std::vector<LinkReference> findLinkReferences(std::u16string_view text, const LinkList& links) {
    std::vector<LinkReference> found;
    TitleIndex titles(links);
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t p = text.find(u"{{", from);
        if (p == std::u16string_view::npos)
            break;
        const std::size_t titleStart = p + 2;
        const std::size_t reach = std::min(text.size(), titleStart + MaxReferenceReach);
        const std::size_t close = text.substr(0, reach).find(u'}', titleStart);
        if (close == std::u16string_view::npos || close + 1 >= text.size() ||
            text[close + 1] != u'}') {
            from = titleStart; // no "}}" in reach: left as written
            continue;
        }
        const std::u16string_view title = text.substr(titleStart, close - titleStart);
        const int link = titles.find(title);
        if (link >= 0)
            found.push_back(LinkReference{p, close + 2, title, link});
        from = close + 2;
    }
    return found;
}

std::u16string expandLinkReferences(std::u16string_view text, const LinkList& links,
                                    LinkRendering render) {
    if (text.find(u"{{") == std::u16string_view::npos)
        return std::u16string(text);
    const std::vector<LinkReference> refs = findLinkReferences(text, links);
    std::u16string out;
    out.reserve(text.size() + refs.size() * 32);
    std::size_t copied = 0;
    for (const LinkReference& r : refs) {
        out.append(text.substr(copied, r.start - copied));
        render(out, r.title, links.url(r.link));
        copied = r.end;
    }
    out.append(text.substr(copied));
    return out;
}

std::u16string IncludeUsefulLinks(std::u16string_view text, const LinkList& links) {
    return expandLinkReferences(text, links, renderPlain);
}

std::u16string ConvertUsefulLinks(std::u16string_view page, const LinkList& links) {
    return expandLinkReferences(page, links, renderWeb);
}

} // namespace tallix::library
