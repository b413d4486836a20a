// The teacher's texts on their way into a page: what stays markup, what reads as
// typed, and a corpus of script-injection vectors put through the whole export
// and checked on the page it writes.
#include "export/web/HtmlSanitizer.h"

#include "TestFiles.h"
#include "WebTestSupport.h"
#include "library/LinkList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace tallix::testing {
namespace {

using web::sanitizeHtml;

std::u16string lines(std::u16string_view s) {
    web::SanitizeOptions o;
    o.lineBreaks = true;
    return sanitizeHtml(s, o);
}

// ------------------------------------------------------------------ the sanitizer

TEST(HtmlSanitizer, TextReadsAsTyped) {
    EXPECT_EQ(sanitizeHtml(u"x<y"), u"x&lt;y");
    EXPECT_EQ(sanitizeHtml(u"a&b > c"), u"a&amp;b &gt; c");
    EXPECT_EQ(sanitizeHtml(u"3 < 4 & 5 > 2"), u"3 &lt; 4 &amp; 5 &gt; 2");
    EXPECT_EQ(sanitizeHtml(u"if a<b and b>c"), u"if a<B>c</B>") // a tag, as a browser reads it
        << "the attributes of a tag the teacher typed never survive";
    EXPECT_EQ(sanitizeHtml(u"<3 <= 4 </ 5 <!-- x"), u"&lt;3 &lt;= 4 &lt;/ 5 &lt;!-- x");
    EXPECT_EQ(sanitizeHtml(u"AT&T, R&D; &copy; &#233; &#xE9; &eacute;"),
              u"AT&amp;T, R&amp;D; &copy; &#233; &#xE9; &eacute;");
    // Not complete, not known, or no character at all: shown as typed.
    EXPECT_EQ(sanitizeHtml(u"&copy &bogus; &#0; &#xD800; &#1114112; &#; &"),
              u"&amp;copy &amp;bogus; &amp;#0; &amp;#xD800; &amp;#1114112; &amp;#; &amp;");
    EXPECT_EQ(sanitizeHtml(u"\"quoted\" 'single'"), u"\"quoted\" 'single'");
    EXPECT_EQ(sanitizeHtml(u""), u"");
}

TEST(HtmlSanitizer, FormattingStaysRebuiltInCapitals) {
    EXPECT_EQ(sanitizeHtml(u"<b>bold</b> <I>it</I> <u>u</u> <em>e</em> <strong>s</strong>"),
              u"<B>bold</B> <I>it</I> <U>u</U> <EM>e</EM> <STRONG>s</STRONG>");
    EXPECT_EQ(sanitizeHtml(u"x<sup>2</sup> H<sub>2</sub>O<br>line<BR/>end<p>para</p>"),
              u"x<SUP>2</SUP> H<SUB>2</SUB>O<BR>line<BR>end<P>para</P>");
    EXPECT_EQ(sanitizeHtml(u"<font color=\"#FF0000\" size=+1 face='Times New Roman'>r</font>"),
              u"<FONT COLOR=\"#FF0000\" SIZE=\"+1\" FACE=\"Times New Roman\">r</FONT>");
    EXPECT_EQ(sanitizeHtml(u"<FONT COLOR=red>r</FONT> <font color=#0f0 size=3>g</font>"),
              u"<FONT COLOR=\"red\">r</FONT> <FONT COLOR=\"#0f0\" SIZE=\"3\">g</FONT>");
    EXPECT_EQ(sanitizeHtml(u"<a href=\"https://example.org/a?b=1&amp;c=2\">x</a>"),
              u"<A HREF=\"https://example.org/a?b=1&amp;c=2\">x</A>");
    EXPECT_EQ(sanitizeHtml(u"<A HREF=mailto:t@school.example>mail</A>"),
              u"<A HREF=\"mailto:t@school.example\">mail</A>");
}

TEST(HtmlSanitizer, AttributesAndValuesOutsideTheListGo) {
    EXPECT_EQ(sanitizeHtml(u"<b class=x style=\"color:red\" onclick=\"alert(1)\">x</b>"),
              u"<B>x</B>");
    EXPECT_EQ(sanitizeHtml(u"<font color=\"red;background:url(x)\" size=9 face=\"a&quot;b\">x</font>"),
              u"<FONT>x</FONT>");
    EXPECT_EQ(sanitizeHtml(u"<p align=center>x</p>"), u"<P>x</P>");
    for (const char16_t* bad :
         {u"javascript:alert(1)", u"JAVASCRIPT:alert(1)", u"jav&#x61;script:alert(1)",
          u"jav&#97script:alert(1)", u"java\tscript:alert(1)", u" \u0001javascript:alert(1)",
          u"javascript&colon;alert(1)", u"vbscript:msgbox(1)", u"data:text/html,x",
          u"page.htm", u"#top", u"//evil.example/", u"ftp://x/"}) {
        EXPECT_EQ(sanitizeHtml(u"<a href=\"" + std::u16string(bad) + u"\">x</a>"), u"<A>x</A>")
            << narrow(bad);
    }
    // The first of two attributes of one name counts, as in a browser.
    EXPECT_EQ(sanitizeHtml(u"<a href=\"javascript:x\" href=\"http://ok/\">x</a>"), u"<A>x</A>");
}

TEST(HtmlSanitizer, OpenElementsAreClosedAndStrayEndTagsDropped) {
    EXPECT_EQ(sanitizeHtml(u"<b>bold <i>both"), u"<B>bold <I>both</I></B>");
    EXPECT_EQ(sanitizeHtml(u"<b><i>x</b>y</i>"), u"<B><I>x</I></B>y");
    // End tags of elements outside the list are text like their start tags.
    EXPECT_EQ(sanitizeHtml(u"text</p></font></b></td></body>"),
              u"text&lt;/td&gt;&lt;/body&gt;");
    EXPECT_EQ(sanitizeHtml(u"<a href=\"http://x/\">open"), u"<A HREF=\"http://x/\">open</A>");
    // A tag that never ends is text.
    EXPECT_EQ(sanitizeHtml(u"<b class=\"x>never"), u"&lt;b class=\"x&gt;never");
    EXPECT_EQ(sanitizeHtml(u"<b"), u"&lt;b");
}

TEST(HtmlSanitizer, TheBackButtonOfThePagesIsKept) {
    const std::u16string button =
        u"<FORM><INPUT TYPE=\"button\" VALUE=\"Go back\" onClick=\"top.history.back()\"></FORM>";
    EXPECT_EQ(sanitizeHtml(button), button);
    EXPECT_EQ(sanitizeHtml(u"<form><input type=button value='\"Back\"' onclick='history.back();'>"),
              u"<FORM><INPUT TYPE=\"button\" VALUE=\"&quot;Back&quot;\" "
              u"onClick=\"top.history.back()\"></FORM>");
    // Any other input, or another handler, is text.
    EXPECT_EQ(sanitizeHtml(u"<input type=button onclick=\"alert(1)\">"),
              u"&lt;input type=button onclick=\"alert(1)\"&gt;");
    EXPECT_EQ(sanitizeHtml(u"<input type=text>"), u"&lt;input type=text&gt;");
    EXPECT_EQ(sanitizeHtml(u"<form action=\"http://x/\">f</form>"), u"<FORM>f</FORM>");
}

TEST(HtmlSanitizer, LineBreaksOfTheTextOnly) {
    EXPECT_EQ(lines(u"one\r\ntwo\tthree     four"),
              u"one<BR>\r\ntwo" + std::u16string(web::IndentFiller) + u"\tthree" +
                  std::u16string(web::IndentFiller) + u"     four");
    // Blanks and breaks inside a tag belong to the tag.
    EXPECT_EQ(lines(u"<font\r\n     color=red>x</font>"), u"<FONT COLOR=\"red\">x</FONT>");
    EXPECT_EQ(lines(u"a <\r\nb"), u"a &lt;<BR>\r\nb");
}

TEST(HtmlSanitizer, LinkReferencesBecomeLinksWhereTheirAddressMayBeOne) {
    library::LinkList links;
    links.addLink(u"Grammar", u"http://grammar.example/?a=1&b=2");
    links.addLink(u"Notes", u"notes/week1.htm");
    links.addLink(u"Evil", u"javascript:alert(1)");
    links.addLink(u"R&D <lab>", u"https://lab.example/");
    EXPECT_EQ(web::teacherHtml(u"<b>See {{grammar}} now</b>", links, false),
              u"<B>See <A HREF=\"http://grammar.example/?a=1&amp;b=2\">grammar</A> now</B>");
    EXPECT_EQ(web::teacherHtml(u"{{Notes}} {{Evil}} {{Unknown}}", links, false),
              u"<A HREF=\"notes/week1.htm\">Notes</A> Evil {{Unknown}}");
    EXPECT_EQ(web::teacherHtml(u"{{R&D <lab>}}", links, false),
              u"<A HREF=\"https://lab.example/\">R&amp;D &lt;lab&gt;</A>");
    EXPECT_EQ(web::teacherHtml(u"x\r\n{{Notes}}", links, true),
              u"x<BR>\r\n<A HREF=\"notes/week1.htm\">Notes</A>");
}

// ----------------------------------------------------- the page, checked structurally

// A small reader of the tags of a finished page, independent of the sanitizer:
// every "<" must open a tag of the page's vocabulary, and every attribute must be
// one the page itself writes, with a harmless value.
struct PageTag {
    bool closing = false;
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
};

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

// Attribute values as a browser reads them: character references decoded.
std::string decoded(const std::string& v) {
    std::string out;
    for (std::size_t i = 0; i < v.size();) {
        if (v[i] == '&' && i + 1 < v.size() && v[i + 1] == '#') {
            std::size_t j = i + 2;
            const bool hex = j < v.size() && (v[j] == 'x' || v[j] == 'X');
            if (hex)
                ++j;
            long code = 0;
            const std::size_t from = j;
            while (j < v.size() && (hex ? std::isxdigit(static_cast<unsigned char>(v[j]))
                                        : std::isdigit(static_cast<unsigned char>(v[j])))) {
                code = std::min<long>(code * (hex ? 16 : 10) +
                                          (std::isdigit(static_cast<unsigned char>(v[j]))
                                               ? v[j] - '0'
                                               : (v[j] | 0x20) - 'a' + 10),
                                      0x110000);
                ++j;
            }
            if (j > from) {
                if (j < v.size() && v[j] == ';')
                    ++j;
                out.push_back(code < 0x80 ? char(code) : '?');
                i = j;
                continue;
            }
        }
        bool named = false;
        for (const auto& [name, c] : std::vector<std::pair<std::string, char>>{
                 {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&colon;", ':'},
                 {"&tab;", '\t'}, {"&newline;", '\n'}, {"&#39;", '\''}}) {
            if (lowerAscii(v.substr(i, name.size())) == name) {
                out.push_back(c);
                i += name.size();
                named = true;
                break;
            }
        }
        if (!named)
            out.push_back(v[i++]);
    }
    return out;
}

// The scheme a browser would see in an address, lower case ("" for none).
std::string schemeSeen(const std::string& raw) {
    std::string url;
    for (char c : decoded(raw))
        if (c != '\t' && c != '\n' && c != '\r')
            url.push_back(c);
    std::size_t from = 0;
    while (from < url.size() && static_cast<unsigned char>(url[from]) <= 0x20)
        ++from;
    url = lowerAscii(url.substr(from));
    const std::size_t colon = url.find(':');
    if (colon == std::string::npos)
        return {};
    const std::string scheme = url.substr(0, colon);
    const bool valid = !scheme.empty() && std::isalpha(static_cast<unsigned char>(scheme[0])) &&
                       std::all_of(scheme.begin(), scheme.end(), [](char c) {
                           return std::isalnum(static_cast<unsigned char>(c)) || c == '+' ||
                                  c == '-' || c == '.';
                       });
    return valid ? scheme : std::string();
}

// What is wrong with a page; empty when nothing is.
std::vector<std::string> unsafeParts(const std::string& page) {
    static const std::set<std::string> elements{
        "html", "head", "meta", "body", "p",  "h3",  "a",     "font",  "b",      "i",
        "u",    "em",   "strong", "br", "hr", "sup", "sub",   "blockquote", "table", "tbody",
        "tr",   "td",   "form", "input", "center"};
    static const std::set<std::string> attributes{"href", "name",  "color", "size", "face",
                                                  "align", "bgcolor", "content", "charset",
                                                  "border", "type", "value", "onclick"};
    std::vector<std::string> wrong;
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
    for (std::size_t i = page.find('<'); i != std::string::npos; i = page.find('<', i)) {
        PageTag tag;
        std::size_t j = i + 1;
        if (j < page.size() && page[j] == '/') {
            tag.closing = true;
            ++j;
        }
        if (j >= page.size() || !std::isalpha(static_cast<unsigned char>(page[j]))) {
            wrong.push_back("a \"<\" that is no tag: " + page.substr(i, 30));
            i = j;
            continue;
        }
        const std::size_t nameFrom = j;
        while (j < page.size() && !space(page[j]) && page[j] != '/' && page[j] != '>')
            ++j;
        tag.name = lowerAscii(page.substr(nameFrom, j - nameFrom));
        bool ended = false;
        while (j < page.size()) {
            while (j < page.size() && (space(page[j]) || page[j] == '/'))
                ++j;
            if (j >= page.size())
                break;
            if (page[j] == '>') {
                ended = true;
                ++j;
                break;
            }
            const std::size_t an = j++;
            while (j < page.size() && !space(page[j]) && page[j] != '/' && page[j] != '>' &&
                   page[j] != '=')
                ++j;
            std::string name = lowerAscii(page.substr(an, j - an)), value;
            while (j < page.size() && space(page[j]))
                ++j;
            if (j < page.size() && page[j] == '=') {
                ++j;
                while (j < page.size() && space(page[j]))
                    ++j;
                if (j < page.size() && (page[j] == '"' || page[j] == '\'')) {
                    const std::size_t close = page.find(page[j], j + 1);
                    if (close == std::string::npos)
                        break;
                    value = page.substr(j + 1, close - j - 1);
                    j = close + 1;
                } else {
                    const std::size_t from = j;
                    while (j < page.size() && !space(page[j]) && page[j] != '>')
                        ++j;
                    value = page.substr(from, j - from);
                }
            }
            tag.attributes.emplace_back(name, value);
        }
        if (!ended) {
            wrong.push_back("a tag that does not end: " + page.substr(i, 40));
            break;
        }
        if (!elements.count(tag.name))
            wrong.push_back("element " + tag.name);
        if (tag.closing) {
            i = j;
            continue;
        }
        std::string type;
        for (const auto& [name, value] : tag.attributes)
            if (name == "type")
                type = lowerAscii(value);
        for (const auto& [name, value] : tag.attributes) {
            if (!attributes.count(name)) {
                wrong.push_back("attribute " + name + " of " + tag.name);
            } else if (name == "onclick") {
                // The page's own buttons: back, and to another page of the set.
                const std::string v = decoded(value);
                const bool back = v == "top.history.back()";
                const bool next = v.rfind("location='", 0) == 0 && v.back() == '\'' &&
                                  std::all_of(v.begin() + 10, v.end() - 1, [](char c) {
                                      return std::isalnum(static_cast<unsigned char>(c)) ||
                                             c == '%' || c == '.' || c == '_' || c == '-' ||
                                             c == '~';
                                  });
                if (tag.name != "input" || type != "button" || !(back || next))
                    wrong.push_back("handler " + value);
            } else if (name == "href") {
                const std::string scheme = schemeSeen(value);
                if (!(scheme == "http" || scheme == "https" || scheme == "mailto" ||
                      (scheme.empty() && !value.empty() && value[0] == '#')))
                    wrong.push_back("address " + value);
            } else if (name == "type" && tag.name == "input" && type != "button") {
                wrong.push_back("input of type " + type);
            }
        }
        i = j;
    }
    return wrong;
}

// Known vectors, with "alert(1)" where the script would go.
const std::vector<std::u16string>& injectionVectors() {
    static const std::vector<std::u16string> v{
        u"<script>alert(1)</script>",
        u"<SCRIPT SRC=http://evil.example/x.js></SCRIPT>",
        u"<ScRiPt>alert(1)</sCrIpT>",
        u"<img src=x onerror=alert(1)>",
        u"<IMG SRC=\"javascript:alert(1);\">",
        u"<img src=x onerror=\"alert(1)\"//",
        u"<img src=x:alert(alt) onerror=eval(src) alt=0>",
        u"<IMG \"\"\"><SCRIPT>alert(1)</SCRIPT>\">",
        u"<svg onload=alert(1)>",
        u"<svg/onload=alert(1)>",
        u"<svg><script>alert(1)</script></svg>",
        u"<svg><a xlink:href=\"javascript:alert(1)\"><text>x</text></a></svg>",
        u"<body onload=alert(1)>",
        u"<body/onload=alert(1)>",
        u"<frameset onload=alert(1)>",
        u"<iframe src=\"javascript:alert(1)\"></iframe>",
        u"<iframe srcdoc=\"<script>alert(1)</script>\">",
        u"<iframe src=data:text/html,<script>alert(1)</script>>",
        u"<a href=\"javascript:alert(1)\">x</a>",
        u"<a href=javascript:alert(1)>x</a>",
        u"<a href='javascript:alert(1)'>x</a>",
        u"<A HREF=\"JaVaScRiPt:alert(1)\">x</A>",
        u"<a href=\"jav&#x61;script:alert(1)\">x</a>",
        u"<a href=\"jav&#97;script:alert(1)\">x</a>",
        u"<a href=\"&#106;&#97;&#118;&#97;&#115;&#99;&#114;&#105;&#112;&#116;&#58;alert(1)\">x</a>",
        u"<a href=\"&#x6A&#x61&#x76&#x61&#x73&#x63&#x72&#x69&#x70&#x74&#x3A;alert(1)\">x</a>",
        u"<a href=\"&#0000106&#0000097&#0000118&#0000097&#0000115&#0000099&#0000114&#0000105"
        u"&#0000112&#0000116&#0000058alert(1)\">x</a>",
        u"<a href=\"java\tscript:alert(1)\">x</a>",
        u"<a href=\"java\r\nscript:alert(1)\">x</a>",
        u"<a href=\"java&#x09;script:alert(1)\">x</a>",
        u"<a href=\"java&Tab;script:alert(1)\">x</a>",
        u"<a href=\" \u0001javascript:alert(1)\">x</a>",
        u"<a href=\"javascript&colon;alert(1)\">x</a>",
        u"<a/href=\"javascript:alert(1)\">x</a>",
        u"<a href = 'javascript:alert(1)' >x</a>",
        u"<a href=\"javascript:alert(1)\" href=\"http://ok.example/\">x</a>",
        u"<a href=\"vbscript:msgbox(1)\">x</a>",
        u"<a href=\"data:text/html;base64,PHNjcmlwdD5hbGVydCgxKTwvc2NyaXB0Pg==\">x</a>",
        u"<a href=\"data:text/html,<script>alert(1)</script>\">x</a>",
        u"<a href=\"http://ok.example/\" onclick=\"alert(1)\">x</a>",
        u"<A HREF=\"mailto:x@y.example\" ONMOUSEOVER=alert(1)>x</A>",
        u"<a href=\"http://ok.example/\" style=\"x:expression(alert(1))\">x</a>",
        u"<b onmouseover=alert(1)>x</b>",
        u"<b/onclick=alert(1)>x</b>",
        u"<p onclick=alert(1)>x</p>",
        u"<font color=\"red\" onmouseover=\"alert(1)\">x</font>",
        u"<font color=\"red;background:url(javascript:alert(1))\">x</font>",
        u"<font face=\"x&quot; onmouseover=&quot;alert(1)\">x</font>",
        u"<font size=\"7 onmouseover=alert(1)\">x</font>",
        u"<p style=\"background:url(javascript:alert(1))\">x</p>",
        u"<div style=\"width: expression(alert(1))\">x</div>",
        u"<style>body{background:url(\"javascript:alert(1)\")}</style>",
        u"<link rel=stylesheet href=\"javascript:alert(1)\">",
        u"<meta http-equiv=\"refresh\" content=\"0;url=javascript:alert(1)\">",
        u"<base href=\"javascript:alert(1)//\">",
        u"<object data=\"javascript:alert(1)\"></object>",
        u"<embed src=\"javascript:alert(1)\">",
        u"<form action=\"javascript:alert(1)\"><input type=submit></form>",
        u"<input onfocus=alert(1) autofocus>",
        u"<input type=\"button\" value=\"x\" onclick=\"alert(1)\">",
        u"<isindex action=javascript:alert(1) type=image>",
        u"<details open ontoggle=alert(1)>",
        u"<marquee onstart=alert(1)>",
        u"<video><source onerror=\"alert(1)\"></video>",
        u"<math><mtext><table><mglyph><style><img src=x onerror=alert(1)>",
        u"<table background=\"javascript:alert(1)\"><td background=\"javascript:alert(1)\">",
        u"<x onclick=alert(1)>click",
        u"<<script>alert(1)//<</script>",
        u"<scr<script>ipt>alert(1)</scr</script>ipt>",
        u"<!--<script>alert(1)</script>-->",
        u"<![CDATA[<script>alert(1)</script>]]>",
        u"</p></font></b></td></tr></table></body><script>alert(1)</script>",
        u"\"><script>alert(1)</script>",
        u"'><img src=x onerror=alert(1)>",
        u"\" onclick=\"alert(1)",
        u"<a href=\"http://ok.example/\">unclosed <b>bold <i>and",
        u"<b>x</b\r\n><script\r\n>alert(1)</script\r\n>",
    };
    return v;
}

struct PageExport {
    MarkedDocument doc;
    AnnotationSet buttons = AnnotationSet::builtInDefaults();
    OutputTitles titles;
    OutputColours colours;
    library::LinkList links;
    web::WebOptions options;
    TempFolder folder;

    // An essay with 25 error labels and one comment, so that both the notes and
    // (split by 20) the page buttons are there.
    PageExport() {
        EssayBuilder e;
        e.text(u"Title").paragraph().text(u"Sub").paragraph();
        for (int p = 0; p < 5; ++p) {
            for (int i = 0; i < 5; ++i)
                e.span(u"a apple").error(u"Art").text(u" ");
            e.paragraph();
        }
        e.coloured(u"this part", clNavy).marker(u"1").text(u".");
        e.into(doc);
    }
    // Every text of the teacher holds the vector.
    void everywhere(const std::u16string& v) {
        doc.commentTexts = {u"Comment: " + v};
        doc.feedback1Text = u"First " + v;
        doc.feedback2Text = v + u"\r\nsecond";
        doc.grade = v;
        for (const TitleField& f : TitleFields)
            titles.*f.member = v;
        AnnotationEntry art = buttons.entry(1);
        art.longText = u"Article " + v;
        buttons.setEntry(1, art);
    }
    web::WebExportResult run(bool split) {
        options = web::WebOptions{};
        if (split) {
            options.quick = false;
            options.splitFiles = true;
            options.links = 20;
        }
        return web::exportWebPages(web::WebExportRequest{doc, buttons, titles, colours, links,
                                                         options, folder.file("page.htm")});
    }
};

TEST(SafePages, NoInjectionVectorReachesThePage) {
    ASSERT_GE(injectionVectors().size(), 50u);
    for (const std::u16string& v : injectionVectors()) {
        for (bool split : {false, true}) {
            PageExport x;
            x.everywhere(v);
            const web::WebExportResult r = x.run(split);
            ASSERT_EQ(r.pages.size(), split ? 2u : 1u);
            for (const web::WebPage& p : r.pages) {
                const std::vector<std::string> wrong = unsafeParts(p.bytes);
                EXPECT_TRUE(wrong.empty()) << narrow(v) << (split ? " (split)" : "") << ": "
                                           << (wrong.empty() ? "" : wrong.front());
            }
        }
    }
}

TEST(SafePages, TheCheckerSeesWhatItLooksFor) {
    // Without the sanitizer these would pass: the checker must catch each.
    const std::string head = narrow(web::pageHead());
    for (const char* bad : {"<script>x</script>", "<img src=x onerror=y>",
                            "<a href=\"jav&#x61;script:x\">", "<a href=' data:x'>",
                            "<b onclick=x>", "<input type=button onclick=\"alert(1)\">",
                            "x < y", "<font style=x>", "<b"})
        EXPECT_FALSE(unsafeParts(head + bad + "</BODY></HTML>").empty()) << bad;
    EXPECT_TRUE(unsafeParts(head + "<A HREF=\"#3\">x</A></BODY></HTML>").empty());
}

TEST(SafePages, TextsReadAsTypedAndFormattingStays) {
    PageExport x;
    x.doc.commentTexts = {u"x<y and <i>this</i>"};
    x.doc.feedback1Text = u"a&b > c, <b>well</b> done";
    x.doc.feedback2Text = u"<font color=red>red</font> <a href=\"https://ok.example/\">see</a>";
    x.doc.grade = u"3 < 4 & 5 > 2";
    x.titles.noPrintTitle = u"<FONT COLOR=\"#FF0000\">Do not print</FONT> & <b>keep";
    x.titles.gradeTitle = u"Mark<sup>1</sup>:";
    const std::string page = x.run(false).pages[0].bytes;
    EXPECT_TRUE(unsafeParts(page).empty());
    for (const char* s : {"x&lt;y and <I>this</I>", "a&amp;b &gt; c, <B>well</B> done",
                          "<FONT COLOR=\"red\">red</FONT> <A HREF=\"https://ok.example/\">see</A>",
                          "Mark<SUP>1</SUP>: 3 &lt; 4 &amp; 5 &gt; 2",
                          "<FONT COLOR=\"#FF0000\">Do not print</FONT> &amp; <B>keep</B><H3>"})
        EXPECT_NE(page.find(s), std::string::npos) << s;
    // The page's own back buttons still go back.
    EXPECT_NE(page.find("<INPUT TYPE=\"button\" VALUE=\"Go back to the text\" "
                        "onClick=\"top.history.back()\">"),
              std::string::npos);
}

// --------------------------------------------------------- the page in a browser

std::string quoted(const std::string& s) {
    std::string r = "'";
    for (char c : s)
        r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

// The page as a browser builds it, or empty when there is no browser to ask.
std::string renderedDom(const std::string& file) {
    for (const char* browser : {"chromium", "chromium-browser", "google-chrome"}) {
        const std::string probe = std::string("command -v ") + browser + " >/dev/null 2>&1";
        if (std::system(probe.c_str()) != 0)
            continue;
        TempFolder profile;
        const std::string out = profile.file("dom.html");
        const std::string command =
            std::string("timeout 120 ") + browser +
            " --headless --no-sandbox --disable-gpu --disable-extensions --no-first-run"
            " --user-data-dir=" + quoted(profile.file("profile")) + " --dump-dom " +
            quoted("file://" + file) + " > " + quoted(out) + " 2>/dev/null";
        if (std::system(command.c_str()) != 0)
            return {};
        return TempFolder::read(out);
    }
    return {};
}

TEST(SafePages, ABrowserRunsNoneOfTheVectorsAndShowsTheTextAsTyped) {
    // Each vector marks the page when its script runs.
    auto armed = [](std::u16string v) {
        const std::u16string payload = u"document.documentElement.setAttribute(`data-ran`,1)";
        for (std::size_t at; (at = v.find(u"alert(1)")) != std::u16string::npos;)
            v.replace(at, 8, payload);
        return v;
    };
    PageExport x;
    EssayBuilder e;
    e.text(u"Title").paragraph();
    std::u16string all;
    const std::vector<std::u16string>& vectors = injectionVectors();
    for (std::size_t k = 0; k < vectors.size(); ++k) {
        const std::string n = std::to_string(k + 1);
        e.coloured(u"see here", clNavy).marker(std::u16string(n.begin(), n.end())).text(u" ");
        e.comment(armed(vectors[k]));
        all += armed(vectors[k]) + u"\r\n";
    }
    e.paragraph().text(u"end");
    e.into(x.doc);
    x.doc.feedback1Text = all;
    x.doc.feedback2Text = u"3 < 4 & 5 > 2; x<y; a&b > c";
    x.doc.grade = u"<img src=x onerror=alert(1)>";
    x.titles.noPrintTitle = armed(u"<svg onload=alert(1)>no print");
    const web::WebExportResult r = x.run(false);
    ASSERT_TRUE(web::writeWebPages(r).ok);

    const std::string dom = renderedDom(r.pages[0].path);
    if (dom.empty())
        GTEST_SKIP() << "no headless browser here";
    // The same payload, left to run, does mark the page: the test can see it.
    const std::string control = x.folder.write(
        "control.htm", "<HTML><BODY><img src=x onerror=\"" + narrow(armed(u"alert(1)")) +
                           "\"></BODY></HTML>");
    EXPECT_NE(renderedDom(control).find("data-ran=\"1\""), std::string::npos);
    // The payload's own words are on the page as text; the attribute is not.
    const std::size_t root = lowerAscii(dom).find("<html");
    ASSERT_NE(root, std::string::npos);
    EXPECT_EQ(dom.substr(root, dom.find('>', root) - root).find("data-ran"), std::string::npos)
        << dom.substr(root, 200);
    const std::string lower = lowerAscii(dom);
    for (const char* element : {"<script", "<img", "<svg", "<iframe", "<style", "<object",
                                "<embed", "<link", "<base", "<video", "<math", "<details"})
        EXPECT_EQ(lower.find(element), std::string::npos) << element;
    // What the browser built is as harmless as what we wrote.
    const std::vector<std::string> wrong = unsafeParts(dom);
    EXPECT_TRUE(wrong.empty()) << (wrong.empty() ? "" : wrong.front());
    // The browser reads the comparisons as text: serialized, its "<", "&" and ">"
    // come back as references.
    EXPECT_NE(dom.find("3 &lt; 4 &amp; 5 &gt; 2; x&lt;y; a&amp;b &gt; c"), std::string::npos);
}

} // namespace
} // namespace tallix::testing
