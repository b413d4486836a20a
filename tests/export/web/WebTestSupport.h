#pragma once
// Helpers for the web export tests: marked essays (through the statistics tests'
// builder), the tagged copy, and reading pages back.
#include "export/web/WebExport.h"
#include "export/web/WebText.h"

#include "stats/StatsTestSupport.h"

#include <map>
#include <regex>
#include <string>
#include <vector>

namespace tallix::testing {

inline std::u16string u16(std::string_view s) { return std::u16string(s.begin(), s.end()); }
inline std::string narrow(std::u16string_view s) {
    std::string r;
    for (char16_t c : s)
        r.push_back(c < 0x80 ? char(c) : '?');
    return r;
}

// The essay with paragraph formats given per paragraph (missing ones are left).
inline RichContent withParagraphs(RichContent c, const std::vector<ParaFormat>& paras) {
    for (std::size_t i = 0; i < paras.size() && i < c.paragraphs.size(); ++i)
        c.paragraphs[i] = paras[i];
    return c;
}
inline ParaFormat aligned(Alignment a) { return ParaFormat{a, 0}; }
inline ParaFormat indented(int points = 36) { return ParaFormat{Alignment::Left, points * 20}; }

// The tagged copy of an essay, as text.
inline std::u16string tagged(const RichContent& c) {
    RichTextBuffer essay, scratch;
    essay.assign(c);
    web::htmlParaFormat(essay, scratch);
    return scratch.text();
}

// Every number after a pattern's prefix in a page, in order of appearance.
inline std::vector<int> numbersAfter(const std::string& page, const std::string& prefix) {
    std::vector<int> r;
    for (std::size_t at = page.find(prefix); at != std::string::npos;
         at = page.find(prefix, at + 1)) {
        std::size_t i = at + prefix.size();
        int v = 0;
        bool any = false;
        while (i < page.size() && page[i] >= '0' && page[i] <= '9') {
            v = v * 10 + (page[i++] - '0');
            any = true;
        }
        if (any)
            r.push_back(v);
    }
    return r;
}
inline std::vector<int> linksOf(const std::string& page) {
    return numbersAfter(page, "<A HREF=\"#");
}
inline std::vector<int> anchorsOf(const std::string& page) {
    return numbersAfter(page, "<A NAME=\"");
}

// The file named by a page's button whose onClick follows the given VALUE.
inline std::string buttonTarget(const std::string& page, const std::string& value) {
    const std::string key = "VALUE=\"" + value + "\" onClick=\"location='";
    std::size_t at = page.find(key);
    if (at == std::string::npos)
        return {};
    at += key.size();
    return page.substr(at, page.find('\'', at) - at);
}

} // namespace tallix::testing
