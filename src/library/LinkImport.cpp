#include "library/LinkImport.h"

#include "platform/CaseFold.h"
#include "platform/TextCodec.h"
#include "platform/FileIO.h"
#include "platform/ProfileFile.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace tallix::library {

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f'; }

std::u16string trimmed(std::u16string_view s) {
    std::size_t a = 0, b = s.size();
    while (a < b && isBlank(s[a]))
        ++a;
    while (b > a && isBlank(s[b - 1]))
        --b;
    return std::u16string(s.substr(a, b - a));
}

void appendCodePoint(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(char16_t(0xD800 + (cp >> 10)));
        out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(char16_t(cp));
    }
}

// The character of the reference whose name (without "&" and ";") is name, or
// nullopt.
std::optional<char32_t> entityValue(std::u16string_view name) {
    if (name.size() >= 2 && name[0] == u'#') {
        const bool hex = name[1] == u'x' || name[1] == u'X';
        std::size_t i = hex ? 2 : 1;
        if (i >= name.size() || name.size() - i > 8)
            return std::nullopt;
        char32_t v = 0;
        for (; i < name.size(); ++i) {
            const char16_t c = name[i];
            int d;
            if (c >= u'0' && c <= u'9')
                d = c - u'0';
            else if (hex && c >= u'a' && c <= u'f')
                d = c - u'a' + 10;
            else if (hex && c >= u'A' && c <= u'F')
                d = c - u'A' + 10;
            else
                return std::nullopt;
            v = v * (hex ? 16u : 10u) + char32_t(d);
        }
        if (v == 0 || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF))
            return std::nullopt;
        return v;
    }
    struct Named {
        std::u16string_view name;
        char32_t value;
    };
    static constexpr Named named[] = {{u"amp", u'&'},   {u"lt", u'<'},     {u"gt", u'>'},
                                      {u"quot", u'"'},  {u"apos", u'\''},  {u"nbsp", 0xA0},
                                      {u"ndash", 0x2013}, {u"mdash", 0x2014}, {u"hellip", 0x2026},
                                      {u"lsquo", 0x2018}, {u"rsquo", 0x2019}, {u"ldquo", 0x201C},
                                      {u"rdquo", 0x201D}, {u"copy", 0xA9}, {u"reg", 0xAE},
                                      {u"trade", 0x2122}, {u"euro", 0x20AC}};
    for (const Named& n : named)
        if (n.name == name)
            return n.value;
    return std::nullopt;
}

struct Tag {
    std::u16string name;       // upper case; "" for comments and declarations
    std::optional<std::u16string> href;
    std::size_t end = 0;       // one past its ">"
};

char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 0x20) : c; }

// Reads the tag that starts with "<" at p.
Tag readTag(std::u16string_view s, std::size_t p) {
    Tag t;
    std::size_t i = p + 1;
    if (s.substr(i, 3) == u"!--") {
        const std::size_t e = s.find(u"-->", i + 3);
        t.end = e == std::u16string_view::npos ? s.size() : e + 3;
        return t;
    }
    while (i < s.size() && !isBlank(s[i]) && s[i] != u'>' && s[i] != u'/')
        t.name.push_back(upper(s[i++]));
    if (!t.name.empty() && t.name[0] == u'!')
        t.name.clear();
    while (i < s.size() && s[i] != u'>') {
        if (isBlank(s[i]) || s[i] == u'/') {
            ++i;
            continue;
        }
        std::u16string attr;
        while (i < s.size() && !isBlank(s[i]) && s[i] != u'=' && s[i] != u'>')
            attr.push_back(upper(s[i++]));
        while (i < s.size() && isBlank(s[i]))
            ++i;
        if (i >= s.size() || s[i] != u'=')
            continue;
        ++i;
        while (i < s.size() && isBlank(s[i]))
            ++i;
        std::u16string value;
        if (i < s.size() && (s[i] == u'"' || s[i] == u'\'')) {
            const char16_t quote = s[i++];
            const std::size_t e = s.find(quote, i);
            const std::size_t stop = e == std::u16string_view::npos ? s.size() : e;
            value = std::u16string(s.substr(i, stop - i));
            i = stop == s.size() ? stop : stop + 1;
        } else {
            while (i < s.size() && !isBlank(s[i]) && s[i] != u'>')
                value.push_back(s[i++]);
        }
        if (attr == u"HREF" && !t.href)
            t.href = std::move(value);
    }
    t.end = i < s.size() ? i + 1 : s.size();
    return t;
}

fs::path toPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string toUtf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

} // namespace

std::u16string decodeHtmlEntities(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (c == u'&') {
            // A reference is at most 12 characters from '&' to ';': looking no
            // further keeps a text full of '&' linear.
            const std::size_t semi = text.substr(0, std::min(text.size(), i + 13)).find(u';', i + 1);
            if (semi != std::u16string_view::npos) {
                if (std::optional<char32_t> v = entityValue(text.substr(i + 1, semi - i - 1))) {
                    appendCodePoint(out, *v);
                    i = semi + 1;
                    continue;
                }
            }
        }
        out.push_back(c);
        ++i;
    }
    return out;
}

std::vector<ImportedLink> parseBookmarkFile(std::u16string_view html,
                                            const ImportProgress& progress) {
    std::vector<ImportedLink> links;
    bool inItem = false; // the last tag was <DT>
    std::size_t p = html.find(u'<');
    while (p != std::u16string_view::npos) {
        const Tag tag = readTag(html, p);
        std::size_t next = tag.end;
        if (tag.name == u"DT") {
            inItem = true;
        } else if (tag.name == u"A" && inItem && tag.href) {
            const std::size_t stop = std::min(html.find(u'<', tag.end), html.size());
            links.push_back(ImportedLink{trimmed(decodeHtmlEntities(html.substr(tag.end, stop - tag.end))),
                                         trimmed(decodeHtmlEntities(*tag.href))});
            if (progress)
                progress();
            inItem = false;
            next = stop;
        } else if (!tag.name.empty()) {
            inItem = false;
        }
        p = html.find(u'<', next);
    }
    return links;
}

std::optional<std::vector<ImportedLink>> readBookmarkFile(const std::string& path,
                                                          const ImportProgress& progress) {
    std::string bytes;
    if (!fileio::readFile(path, bytes).ok)
        return std::nullopt;
    return parseBookmarkFile(text::decodeTextFile(bytes), progress);
}

std::optional<std::string> favouritesFolder() {
#ifdef _WIN32
    const char* home = std::getenv("USERPROFILE");
#else
    const char* home = std::getenv("HOME");
#endif
    if (!home || !*home)
        return std::nullopt;
    const fs::path folder = toPath(home) / "Favorites";
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return std::nullopt;
    return toUtf8(folder);
}

std::optional<std::vector<ImportedLink>> readFavouritesFolder(const std::string& folder,
                                                              const ImportProgress& progress) {
    std::error_code ec;
    fs::directory_iterator it(toPath(folder), ec);
    if (ec)
        return std::nullopt;
    struct Shortcut {
        std::u16string folded;
        std::u16string name;
        std::string path;
    };
    std::vector<Shortcut> files;
    for (const fs::directory_entry& e : it) {
        std::error_code fe;
        if (!e.is_regular_file(fe))
            continue;
        const std::u16string name = text::fromUtf8(toUtf8(e.path().filename()));
        if (name.size() < 4 || !equalsIgnoringCase(std::u16string_view(name).substr(name.size() - 4), u".url"))
            continue;
        files.push_back(Shortcut{foldedCopy(name), name, toUtf8(e.path())});
    }
    std::sort(files.begin(), files.end(), [](const Shortcut& a, const Shortcut& b) {
        return a.folded != b.folded ? a.folded < b.folded : a.name < b.name;
    });
    std::vector<ImportedLink> links;
    links.reserve(files.size());
    for (const Shortcut& f : files) {
        if (progress)
            progress();
        links.push_back(ImportedLink{f.name.substr(0, f.name.size() - 4),
                                     readProfileString(f.path, u"InternetShortcut", u"URL", u"Unknown")});
    }
    return links;
}

std::u16string noShortcutsMessage(const std::string& folder) {
    return u"There are no Internet shortcuts (\".url\" files) in the folder " +
           text::fromUtf8(folder) + u".";
}

} // namespace tallix::library
