#include "export/web/HtmlSanitizer.h"

#include "export/web/WebText.h"
#include "library/LinkReferences.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_set>

namespace tallix::web {

namespace {

// The named character references of HTML 4 (and &apos;). A name outside the
// list, or one without its ";", is shown as typed.
const std::unordered_set<std::u16string_view>& namedReferences() {
    static const std::unordered_set<std::u16string_view> names{
        u"quot", u"amp", u"apos", u"lt", u"gt", u"nbsp", u"iexcl", u"cent", u"pound",
        u"curren", u"yen", u"brvbar", u"sect", u"uml", u"copy", u"ordf", u"laquo", u"not",
        u"shy", u"reg", u"macr", u"deg", u"plusmn", u"sup2", u"sup3", u"acute", u"micro",
        u"para", u"middot", u"cedil", u"sup1", u"ordm", u"raquo", u"frac14", u"frac12",
        u"frac34", u"iquest", u"Agrave", u"Aacute", u"Acirc", u"Atilde", u"Auml", u"Aring",
        u"AElig", u"Ccedil", u"Egrave", u"Eacute", u"Ecirc", u"Euml", u"Igrave", u"Iacute",
        u"Icirc", u"Iuml", u"ETH", u"Ntilde", u"Ograve", u"Oacute", u"Ocirc", u"Otilde",
        u"Ouml", u"times", u"Oslash", u"Ugrave", u"Uacute", u"Ucirc", u"Uuml", u"Yacute",
        u"THORN", u"szlig", u"agrave", u"aacute", u"acirc", u"atilde", u"auml", u"aring",
        u"aelig", u"ccedil", u"egrave", u"eacute", u"ecirc", u"euml", u"igrave", u"iacute",
        u"icirc", u"iuml", u"eth", u"ntilde", u"ograve", u"oacute", u"ocirc", u"otilde",
        u"ouml", u"divide", u"oslash", u"ugrave", u"uacute", u"ucirc", u"uuml", u"yacute",
        u"thorn", u"yuml", u"OElig", u"oelig", u"Scaron", u"scaron", u"Yuml", u"circ",
        u"tilde", u"ensp", u"emsp", u"thinsp", u"zwnj", u"zwj", u"lrm", u"rlm", u"ndash",
        u"mdash", u"lsquo", u"rsquo", u"sbquo", u"ldquo", u"rdquo", u"bdquo", u"dagger",
        u"Dagger", u"permil", u"lsaquo", u"rsaquo", u"euro", u"fnof", u"Alpha", u"Beta",
        u"Gamma", u"Delta", u"Epsilon", u"Zeta", u"Eta", u"Theta", u"Iota", u"Kappa",
        u"Lambda", u"Mu", u"Nu", u"Xi", u"Omicron", u"Pi", u"Rho", u"Sigma", u"Tau",
        u"Upsilon", u"Phi", u"Chi", u"Psi", u"Omega", u"alpha", u"beta", u"gamma", u"delta",
        u"epsilon", u"zeta", u"eta", u"theta", u"iota", u"kappa", u"lambda", u"mu", u"nu",
        u"xi", u"omicron", u"pi", u"rho", u"sigmaf", u"sigma", u"tau", u"upsilon", u"phi",
        u"chi", u"psi", u"omega", u"thetasym", u"upsih", u"piv", u"bull", u"hellip",
        u"prime", u"Prime", u"oline", u"frasl", u"weierp", u"image", u"real", u"trade",
        u"alefsym", u"larr", u"uarr", u"rarr", u"darr", u"harr", u"crarr", u"lArr", u"uArr",
        u"rArr", u"dArr", u"hArr", u"forall", u"part", u"exist", u"empty", u"nabla", u"isin",
        u"notin", u"ni", u"prod", u"sum", u"minus", u"lowast", u"radic", u"prop", u"infin",
        u"ang", u"and", u"or", u"cap", u"cup", u"int", u"there4", u"sim", u"cong", u"asymp",
        u"ne", u"equiv", u"le", u"ge", u"sub", u"sup", u"nsub", u"sube", u"supe", u"oplus",
        u"otimes", u"perp", u"sdot", u"lceil", u"rceil", u"lfloor", u"rfloor", u"lang",
        u"rang", u"loz", u"spades", u"clubs", u"hearts", u"diams"};
    return names;
}

bool isAsciiAlpha(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isHexDigit(char16_t c) {
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
int hexValue(char16_t c) {
    if (isDigit(c))
        return c - u'0';
    return (c | 0x20) - u'a' + 10;
}
char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }
// Blanks between a tag's name and its attributes, as the browser sees them.
bool isTagSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

std::u16string lowered(std::u16string_view s) {
    std::u16string r(s);
    for (char16_t& c : r)
        c = lower(c);
    return r;
}

bool validCodePoint(std::uint32_t v) {
    return v > 0 && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF);
}

// The length of the numeric character reference at text[i] ("&#" digits, or
// "&#x" hex digits; with ";" when `needSemicolon`), and its value; 0 when there
// is none.
std::size_t numericReference(std::u16string_view text, std::size_t i, bool needSemicolon,
                             std::uint32_t& value) {
    std::size_t j = i + 2;
    if (i + 2 >= text.size() || text[i] != u'&' || text[i + 1] != u'#')
        return 0;
    const bool hex = text[j] == u'x' || text[j] == u'X';
    if (hex)
        ++j;
    const std::size_t digitsFrom = j;
    std::uint64_t v = 0;
    while (j < text.size() && (hex ? isHexDigit(text[j]) : isDigit(text[j]))) {
        if (v <= 0x10FFFF)
            v = v * (hex ? 16 : 10) + std::uint64_t(hex ? hexValue(text[j]) : text[j] - u'0');
        ++j;
    }
    if (j == digitsFrom)
        return 0;
    const bool semicolon = j < text.size() && text[j] == u';';
    if (needSemicolon && !semicolon)
        return 0;
    value = v > 0x10FFFF ? 0xFFFFFFFFu : std::uint32_t(v);
    return j - i + (semicolon ? 1 : 0);
}

// The length of a complete, valid character reference at text[i] (named from the
// list, or numeric, ended by ";"); 0 when "&" starts none.
std::size_t characterReference(std::u16string_view text, std::size_t i) {
    std::uint32_t v = 0;
    if (const std::size_t n = numericReference(text, i, true, v))
        return validCodePoint(v) ? n : 0;
    std::size_t j = i + 1;
    while (j < text.size() && j - i <= 10 && (isAsciiAlpha(text[j]) || isDigit(text[j])))
        ++j;
    if (j == i + 1 || j >= text.size() || text[j] != u';')
        return 0;
    return namedReferences().count(text.substr(i + 1, j - i - 1)) ? j - i + 1 : 0;
}

void appendCodePoint(std::u16string& out, std::uint32_t v) {
    if (!validCodePoint(v)) {
        out.push_back(u'\uFFFD');
    } else if (v >= 0x10000) {
        v -= 0x10000;
        out.push_back(char16_t(0xD800 + (v >> 10)));
        out.push_back(char16_t(0xDC00 + (v & 0x3FF)));
    } else {
        out.push_back(char16_t(v));
    }
}

// An attribute's value as the browser reads it: character references decoded
// (numeric ones also without ";", as browsers take them inside attributes). Named
// references outside a few are left as written; they are written back escaped,
// so what is checked is what the page holds.
std::u16string decodeAttribute(std::u16string_view v) {
    static const std::array<std::pair<std::u16string_view, char16_t>, 10> named{{
        {u"amp", u'&'}, {u"lt", u'<'}, {u"gt", u'>'}, {u"quot", u'"'}, {u"apos", u'\''},
        {u"nbsp", u'\u00A0'}, {u"colon", u':'}, {u"Tab", u'\t'}, {u"NewLine", u'\n'},
        {u"sol", u'/'}}};
    std::u16string out;
    out.reserve(v.size());
    for (std::size_t i = 0; i < v.size();) {
        if (v[i] != u'&') {
            out.push_back(v[i++]);
            continue;
        }
        std::uint32_t code = 0;
        if (const std::size_t n = numericReference(v, i, false, code)) {
            appendCodePoint(out, code);
            i += n;
            continue;
        }
        bool done = false;
        for (const auto& [name, c] : named) {
            if (v.substr(i + 1, name.size()) == name) {
                std::size_t n = 1 + name.size();
                if (i + n < v.size() && v[i + n] == u';')
                    ++n;
                out.push_back(c);
                i += n;
                done = true;
                break;
            }
        }
        if (!done)
            out.push_back(v[i++]);
    }
    return out;
}

void appendAttributeValue(std::u16string& out, std::u16string_view v) {
    for (char16_t c : v) {
        switch (c) {
        case u'&': out += u"&amp;"; break;
        case u'"': out += u"&quot;"; break;
        case u'\'': out += u"&#39;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'\r': out += u"&#13;"; break;
        case u'\n': out += u"&#10;"; break;
        default: out.push_back(c);
        }
    }
}

// What a browser makes of an address before it looks at the scheme: no tabs or
// line breaks anywhere, no blanks or control characters at either end.
std::u16string cleanedUrl(std::u16string_view url) {
    std::u16string r;
    for (char16_t c : url)
        if (c != u'\t' && c != u'\n' && c != u'\r')
            r.push_back(c);
    auto edge = [](char16_t c) { return c <= 0x20; };
    while (!r.empty() && edge(r.back()))
        r.pop_back();
    std::size_t from = 0;
    while (from < r.size() && edge(r[from]))
        ++from;
    return r.substr(from);
}

// The scheme of an address (lower case), or empty when it has none: a letter,
// then letters, digits, "+", "-" or ".", then ":".
std::u16string schemeOf(std::u16string_view url) {
    if (url.empty() || !isAsciiAlpha(url[0]))
        return {};
    std::size_t i = 1;
    while (i < url.size() && (isAsciiAlpha(url[i]) || isDigit(url[i]) || url[i] == u'+' ||
                              url[i] == u'-' || url[i] == u'.'))
        ++i;
    if (i >= url.size() || url[i] != u':')
        return {};
    return lowered(url.substr(0, i));
}

bool isColourValue(std::u16string_view v) {
    if (!v.empty() && v[0] == u'#') {
        if (v.size() != 4 && v.size() != 7)
            return false;
        return std::all_of(v.begin() + 1, v.end(), isHexDigit);
    }
    return !v.empty() && v.size() <= 20 && std::all_of(v.begin(), v.end(), isAsciiAlpha);
}

bool isSizeValue(std::u16string_view v) {
    if (!v.empty() && (v[0] == u'+' || v[0] == u'-'))
        v.remove_prefix(1);
    return v.size() == 1 && v[0] >= u'1' && v[0] <= u'7';
}

bool isFaceValue(std::u16string_view v) {
    return !v.empty() && v.size() <= 100 && std::all_of(v.begin(), v.end(), [](char16_t c) {
               return isAsciiAlpha(c) || isDigit(c) || c == u' ' || c == u',' || c == u'-' ||
                      c == u'_';
           });
}

// The page's own back button, as a teacher may have copied it.
bool isBackButtonScript(std::u16string_view v) {
    std::u16string s(v);
    while (!s.empty() && (s.back() == u' ' || s.back() == u';'))
        s.pop_back();
    std::size_t from = 0;
    while (from < s.size() && s[from] == u' ')
        ++from;
    const std::u16string_view core = std::u16string_view(s).substr(from);
    return core == u"top.history.back()" || core == u"history.back()" ||
           core == u"history.go(-1)" || core == u"top.history.go(-1)";
}

struct Attribute {
    std::u16string name;  // lower case
    std::u16string value; // decoded
};

struct Tag {
    bool closing = false;
    std::u16string name; // lower case
    std::vector<Attribute> attributes; // the first of each name
    std::size_t end = 0; // one past its ">"
};

// The tag that starts at text[i] ("<" then a letter, or "</" then a letter),
// read as a browser reads it: quoted values may hold ">", and the tag ends at the
// first ">" outside them. None when the text ends first.
std::optional<Tag> readTag(std::u16string_view t, std::size_t i) {
    Tag tag;
    std::size_t j = i + 1;
    if (j < t.size() && t[j] == u'/') {
        tag.closing = true;
        ++j;
    }
    if (j >= t.size() || !isAsciiAlpha(t[j]))
        return std::nullopt;
    const std::size_t nameFrom = j;
    while (j < t.size() && !isTagSpace(t[j]) && t[j] != u'/' && t[j] != u'>')
        ++j;
    tag.name = lowered(t.substr(nameFrom, j - nameFrom));
    for (;;) {
        while (j < t.size() && (isTagSpace(t[j]) || t[j] == u'/'))
            ++j;
        if (j >= t.size())
            return std::nullopt;
        if (t[j] == u'>') {
            tag.end = j + 1;
            return tag;
        }
        const std::size_t attrFrom = j;
        ++j; // a name may begin with "="
        while (j < t.size() && !isTagSpace(t[j]) && t[j] != u'/' && t[j] != u'>' && t[j] != u'=')
            ++j;
        Attribute a{lowered(t.substr(attrFrom, j - attrFrom)), {}};
        std::size_t k = j;
        while (k < t.size() && isTagSpace(t[k]))
            ++k;
        if (k < t.size() && t[k] == u'=') {
            ++k;
            while (k < t.size() && isTagSpace(t[k]))
                ++k;
            if (k >= t.size())
                return std::nullopt;
            if (t[k] == u'"' || t[k] == u'\'') {
                const std::size_t close = t.find(t[k], k + 1);
                if (close == std::u16string_view::npos)
                    return std::nullopt;
                a.value = decodeAttribute(t.substr(k + 1, close - k - 1));
                j = close + 1;
            } else {
                const std::size_t from = k;
                while (k < t.size() && !isTagSpace(t[k]) && t[k] != u'>')
                    ++k;
                a.value = decodeAttribute(t.substr(from, k - from));
                j = k;
            }
        }
        const bool seen = std::any_of(tag.attributes.begin(), tag.attributes.end(),
                                      [&](const Attribute& x) { return x.name == a.name; });
        if (!seen)
            tag.attributes.push_back(std::move(a));
    }
}

const std::u16string* attribute(const Tag& tag, std::u16string_view name) {
    for (const Attribute& a : tag.attributes)
        if (a.name == name)
            return &a.value;
    return nullptr;
}

enum class Kind { None, Plain, Void, Font, Link, Form, Input };

Kind kindOf(std::u16string_view name) {
    static const std::array<std::u16string_view, 8> plain{u"b", u"i",   u"u",  u"em",
                                                          u"strong", u"p", u"sup", u"sub"};
    if (name == u"font")
        return Kind::Font;
    if (name == u"a")
        return Kind::Link;
    if (name == u"br")
        return Kind::Void;
    if (name == u"form")
        return Kind::Form;
    if (name == u"input")
        return Kind::Input;
    return std::find(plain.begin(), plain.end(), name) != plain.end() ? Kind::Plain : Kind::None;
}

std::u16string upper(std::u16string_view s) {
    std::u16string r(s);
    for (char16_t& c : r)
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - 32);
    return r;
}

// The start tag rebuilt from what may stay of it; empty when the tag is not one
// of ours (it is then shown as text).
std::u16string rebuiltStartTag(const Tag& tag, Kind kind) {
    std::u16string out = u"<" + upper(tag.name);
    switch (kind) {
    case Kind::None:
        return {};
    case Kind::Plain:
    case Kind::Void:
    case Kind::Form:
        break;
    case Kind::Font: {
        const std::u16string* colour = attribute(tag, u"color");
        const std::u16string* size = attribute(tag, u"size");
        const std::u16string* face = attribute(tag, u"face");
        if (colour && isColourValue(*colour))
            out += u" COLOR=\"" + *colour + u"\"";
        if (size && isSizeValue(*size))
            out += u" SIZE=\"" + *size + u"\"";
        if (face && isFaceValue(*face))
            out += u" FACE=\"" + *face + u"\"";
        break;
    }
    case Kind::Link:
        if (const std::u16string* href = attribute(tag, u"href"); href && isAllowedTypedUrl(*href)) {
            out += u" HREF=\"";
            appendAttributeValue(out, cleanedUrl(*href));
            out += u"\"";
        }
        break;
    case Kind::Input: {
        const std::u16string* type = attribute(tag, u"type");
        const std::u16string* click = attribute(tag, u"onclick");
        if (!type || lowered(*type) != u"button" || !click || !isBackButtonScript(*click))
            return {};
        const std::u16string* value = attribute(tag, u"value");
        out = u"<INPUT TYPE=\"button\" VALUE=\"";
        if (value)
            appendAttributeValue(out, *value);
        out += u"\" onClick=\"top.history.back()\"";
        break;
    }
    }
    out += u">";
    return out;
}

void appendText(std::u16string& out, std::u16string_view text, std::size_t i, bool lineBreaks) {
    const char16_t c = text[i];
    if (lineBreaks) {
        if (c == u'\r')
            out += u"<BR>";
        else if (c == u'\t')
            out += IndentFiller;
        else if (c == u' ' && text.size() - i >= 5 && text.compare(i, 5, u"     ") == 0)
            out += IndentFiller;
    }
    switch (c) {
    case u'<': out += u"&lt;"; break;
    case u'>': out += u"&gt;"; break;
    default: out.push_back(c);
    }
}

} // namespace

bool isAllowedTypedUrl(std::u16string_view url) {
    const std::u16string scheme = schemeOf(cleanedUrl(url));
    return scheme == u"http" || scheme == u"https" || scheme == u"mailto";
}

bool isAllowedLinkUrl(std::u16string_view url) {
    const std::u16string clean = cleanedUrl(url);
    if (clean.empty())
        return false;
    const std::u16string scheme = schemeOf(clean);
    return scheme.empty() || scheme == u"http" || scheme == u"https" || scheme == u"mailto" ||
           scheme == u"ftp" || scheme == u"news" || scheme == u"file";
}

std::u16string sanitizeHtml(std::u16string_view text, const SanitizeOptions& options) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 8 + 16);
    std::vector<std::u16string> open; // element names, lower case
    std::size_t nextTrusted = 0;
    const auto& trusted = options.trusted;

    for (std::size_t i = 0; i < text.size();) {
        while (nextTrusted < trusted.size() && trusted[nextTrusted].start < i)
            ++nextTrusted; // inside a tag: the tag's reading took it
        if (nextTrusted < trusted.size() && trusted[nextTrusted].start == i) {
            out += trusted[nextTrusted].html;
            i = std::max(trusted[nextTrusted].end, i + 1);
            ++nextTrusted;
            continue;
        }
        const char16_t c = text[i];
        if (c == u'&') {
            if (const std::size_t n = characterReference(text, i)) {
                out.append(text.substr(i, n));
                i += n;
            } else {
                out += u"&amp;";
                ++i;
            }
            continue;
        }
        if (c == u'<') {
            if (std::optional<Tag> tag = readTag(text, i)) {
                const Kind kind = kindOf(tag->name);
                if (tag->closing && kind != Kind::None) {
                    // Closes the innermost open element of its name and those
                    // opened inside it; an end tag with none open is dropped.
                    const auto at = std::find(open.rbegin(), open.rend(), tag->name);
                    if (at != open.rend()) {
                        const std::size_t keep = std::size_t(open.rend() - at) - 1;
                        while (open.size() > keep) {
                            out += u"</" + upper(open.back()) + u">";
                            open.pop_back();
                        }
                    }
                    i = tag->end;
                    continue;
                }
                if (!tag->closing) {
                    const std::u16string rebuilt = rebuiltStartTag(*tag, kind);
                    if (!rebuilt.empty()) {
                        out += rebuilt;
                        if (kind != Kind::Void && kind != Kind::Input)
                            open.push_back(tag->name);
                        i = tag->end;
                        continue;
                    }
                }
            }
        }
        appendText(out, text, i, options.lineBreaks);
        ++i;
    }
    while (!open.empty()) {
        out += u"</" + upper(open.back()) + u">";
        open.pop_back();
    }
    return out;
}

std::u16string teacherHtml(std::u16string_view text, const library::LinkList& links,
                           bool lineBreaks) {
    SanitizeOptions options;
    options.lineBreaks = lineBreaks;
    if (text.find(u"{{") != std::u16string_view::npos) {
        for (const library::LinkReference& r : library::findLinkReferences(text, links)) {
            const std::u16string& url = links.url(r.link);
            std::u16string html;
            if (isAllowedLinkUrl(url)) {
                html = u"<A HREF=\"";
                appendAttributeValue(html, cleanedUrl(url));
                html += u"\">" + escapeHtml(r.title) + u"</A>";
            } else {
                html = escapeHtml(r.title);
            }
            options.trusted.push_back(TrustedMarkup{r.start, r.end, std::move(html)});
        }
    }
    return sanitizeHtml(text, options);
}

} // namespace tallix::web
