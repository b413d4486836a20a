#include "export/web/WebExport.h"

#include "TestFiles.h"
#include "WebTestSupport.h"
#include "library/LinkList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace tallix::testing {
namespace {

using web::WebExportResult;
using web::WebOptions;

// An essay of `paragraphs` paragraphs holding `perParagraph` error labels each.
EssayBuilder labelledEssay(int paragraphs, int perParagraph) {
    EssayBuilder e;
    e.text(u"The Title").paragraph();
    for (int p = 0; p < paragraphs; ++p) {
        if (p > 0)
            e.paragraph();
        e.text(u"Paragraph " + u16(std::to_string(p)) + u": ");
        for (int i = 0; i < perParagraph; ++i)
            e.span(u"wrong word").error(i % 2 ? u"Sp" : u"Art").text(u" then ");
    }
    return e;
}

struct Exporter {
    MarkedDocument doc;
    AnnotationSet buttons = AnnotationSet::builtInDefaults();
    OutputTitles titles;
    OutputColours colours;
    library::LinkList links;
    WebOptions options;
    TempFolder folder;

    explicit Exporter(const EssayBuilder& e) { e.into(doc); }

    WebExportResult run(const std::string& name = "essay.htm") {
        return web::exportWebPages(web::WebExportRequest{doc, buttons, titles, colours,
                                                         links, options, folder.file(name)});
    }
    static WebOptions complex(bool split, bool mac = false, int links = 50) {
        WebOptions o;
        o.quick = false;
        o.splitFiles = split;
        o.convertMac = mac;
        o.links = links;
        return o;
    }
};

std::string body(const std::string& page) {
    const std::string head = narrow(web::pageHead());
    EXPECT_EQ(page.substr(0, head.size()), head);
    return page.substr(head.size());
}

// Every link on a page leads to an anchor on the same page and every anchor is
// reached by a link there, once each.
void expectLinksMatchAnchors(const std::string& page) {
    std::vector<int> links = linksOf(page);
    std::vector<int> anchors = anchorsOf(page);
    EXPECT_EQ(std::set<int>(links.begin(), links.end()).size(), links.size());
    std::sort(links.begin(), links.end());
    std::sort(anchors.begin(), anchors.end());
    EXPECT_EQ(links, anchors);
}

// ------------------------------------------------------------------------- sections

TEST(WebSections, TitleFormatCoversTheTitleParagraphs) {
    std::u16string b = u"<P>T</P>\r\n<P>S</P>\r\n<P>Text";
    web::addTitleFormat(b, 0);
    EXPECT_EQ(b, u"<P>T</P>\r\n<P>S</P>\r\n<P>Text");
    web::addTitleFormat(b, 2);
    EXPECT_EQ(b, u"<H3><P>T</P>\r\n<P>S</P></H3>\r\n<P>Text");

    std::u16string one = u"<P>Only";
    web::addTitleFormat(one, 2);
    EXPECT_EQ(one, u"<P>Only");
    // Fewer breaks than title paragraphs: the heading ends at the last break.
    std::u16string two = u"<P>A</P>\r\n<P>B";
    web::addTitleFormat(two, 5);
    EXPECT_EQ(two, u"<H3><P>A</P></H3>\r\n<P>B");
}

TEST(WebSections, FeedbackGradeAndStatistics) {
    const OutputColours colours;
    EXPECT_EQ(web::formatFeedback(u"", u"", colours, {}), u"");
    EXPECT_EQ(web::formatFeedback(u"Well done.\r\nMore", u"", colours, {}),
              u"<B><FONT COLOR=\"#0000FF\">Well done.<BR>\r\nMore</FONT COLOR><BR><BR></B>");
    EXPECT_EQ(web::formatFeedback(u"", u"Two", colours, {}),
              u"<B><FONT COLOR=\"#FF0000\">Two</FONT COLOR><BR><BR></B>");

    EXPECT_EQ(web::formatGrade(u"??%", u"Grade: ", colours), u"");
    EXPECT_EQ(web::formatGrade(u"", u"Grade: ", colours), u"");
    EXPECT_EQ(web::formatGrade(u"B+", u"Grade: ", colours),
              u"<H3><FONT COLOR=\"#008000\">Grade:  B+</FONT COLOR></H3><BR><BR>");

    stats::ErrorStatisticsTable table;
    EXPECT_EQ(web::formatErrorStats(table, true, u"Error Statistics", colours), u"");
    table.rows.push_back({2, 3, u"Article error"});
    EXPECT_EQ(web::formatErrorStats(table, false, u"Error Statistics", colours), u"");
    EXPECT_EQ(web::formatErrorStats(table, true, u"Error Statistics", colours),
              u"<HR><BLOCKQUOTE><H3><FONT COLOR=\"#FF0000\">Error Statistics</FONT COLOR></H3>"
              u"<TABLE BORDER=0><TR><TD><B>3</B></TD><TD><B>Article error</B></TD></TR>"
              u"</TABLE></BLOCKQUOTE><HR><BR><BR>");
}

TEST(WebSections, OptionsResultAndStoredValues) {
    WebOptions o;
    EXPECT_EQ(web::webOptionsResult(o), 2);
    o.splitFiles = o.convertMac = true; // ignored with the quick method
    EXPECT_EQ(web::webOptionsResult(o), 2);
    o.quick = false;
    EXPECT_EQ(web::webOptionsResult(o), 26);
    o.convertMac = false;
    EXPECT_EQ(web::webOptionsResult(o), 10);
    o.splitFiles = false;
    o.convertMac = true;
    EXPECT_EQ(web::webOptionsResult(o), 18);
    EXPECT_EQ(web::webOptionValues(o).front(), (std::pair<std::string, std::string>{"Quick", "0"}));
    std::vector<std::string> order;
    for (const auto& [name, value] : web::webOptionValues(o))
        order.push_back(name);
    EXPECT_EQ(order, (std::vector<std::string>{"Quick", "TitleParas", "IncludeErrorStats",
                                               "ConvertMac", "SplitFiles", "Links"}));
}

TEST(WebSections, SplitNamesAndButtonLocations) {
    EXPECT_EQ(web::splitPageName("/tmp/essay.htm", 2), "/tmp/essay_2.htm");
    EXPECT_EQ(web::splitPageName("/tmp/essay.html", 3), "/tmp/essay._3.htm");
    EXPECT_EQ(web::splitPageName("/tmp/caf\xC3\xA9s.htm", 2), "/tmp/caf\xC3\xA9s_2.htm");
    EXPECT_EQ(web::locationOf("O'Brien_2.htm"), u"O%27Brien_2.htm");
    EXPECT_EQ(web::locationOf("a b&c\".htm"), u"a%20b%26c%22.htm");
}

// ----------------------------------------------------------------------- one page

TEST(WebExport, APlainPageEndsWithTheBodyAndTheNotes) {
    EssayBuilder e;
    e.text(u"Title").paragraph().text(u"Just text.");
    Exporter x(e);
    const WebExportResult r = x.run();
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_FALSE(r.split);
    EXPECT_EQ(r.pages[0].path, x.folder.file("essay.htm"));
    const std::string spacer = narrow(web::notesSpacer());
    // Two title paragraphs asked for, one break: the heading ends at that break.
    EXPECT_EQ(body(r.pages[0].bytes),
              "DO NOT PRINT THIS PAGE!<H3><P ALIGN=LEFT>Title</P></H3>\r\n<P ALIGN=LEFT>Just "
              "text.<BR>" + spacer + "</BODY></HTML>\r\n");
}

TEST(WebExport, AFullPageInTheOrderOfItsSections) {
    EssayBuilder e;
    e.text(u"Title").paragraph().text(u"Sub").paragraph().text(u"I saw ").span(u"a apple")
        .error(u"Art").text(u".");
    Exporter x(e);
    x.doc.feedback1Text = u"Good work";
    x.doc.grade = u"A";
    const std::string page = x.run().pages[0].bytes;
    const std::size_t title = page.find("<H3><P ALIGN=LEFT>Title</P>\r\n<P ALIGN=LEFT>Sub</P></H3>");
    const std::size_t feedback = page.find("Good work");
    const std::size_t grade = page.find("Grade:  A");
    const std::size_t stats = page.find("<TD><B>1</B></TD><TD><B>Article error</B></TD>");
    const std::size_t notes = page.find("<A NAME=\"1\">");
    ASSERT_NE(title, std::string::npos);
    EXPECT_LT(title, feedback);
    EXPECT_LT(feedback, grade);
    EXPECT_LT(grade, stats);
    EXPECT_LT(stats, notes);
    expectLinksMatchAnchors(page);

    x.options.includeErrorStats = false;
    EXPECT_EQ(x.run().pages[0].bytes.find("<TABLE"), std::string::npos);
}

TEST(WebExport, TheComplexMethodWithoutOptionsGivesTheQuickPage) {
    Exporter x(labelledEssay(3, 4));
    x.doc.commentTexts = {};
    x.doc.feedback2Text = u"F2";
    const std::string quick = x.run().pages[0].bytes;
    x.options = Exporter::complex(false);
    EXPECT_EQ(x.run().pages[0].bytes, quick);
    // The Mac option alone keeps quick linking and only converts characters.
    x.options = Exporter::complex(false, true);
    x.doc.feedback2Text = u"F2 \u00E9";
    const std::string mac = x.run().pages[0].bytes;
    EXPECT_EQ(linksOf(mac), linksOf(quick));
    EXPECT_NE(mac.find("F2 &eacute;"), std::string::npos);
}

TEST(WebExport, AnEssaysMarkupCharactersShowAsText) {
    EssayBuilder e;
    e.text(u"Title").paragraph().text(u"<script>alert('x')</script> and &amp; and {{Home}}");
    Exporter x(e);
    x.links.addLink(u"Home", u"http://example.org/");
    x.doc.feedback1Text = u"See {{home}} and <I>this</I>";
    const std::string page = x.run().pages[0].bytes;
    EXPECT_NE(page.find("&lt;script&gt;alert('x')&lt;/script&gt; and &amp;amp; and {{Home}}"),
              std::string::npos);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    // The teacher's formatting stays, the references expanded.
    EXPECT_NE(page.find("See <A HREF=\"http://example.org/\">home</A> and <I>this</I>"),
              std::string::npos);
}

TEST(WebExport, AnEssayEndingIndentedLeavesNoBlockQuotationOpen) {
    // Feedback, grade and statistics must not be drawn inside the essay's last
    // block quotation: every one opened before them is closed before them.
    EssayBuilder e = labelledEssay(3, 10); // 30 links, so 20 a page makes two pages
    e.paragraph().text(u"An indented ").span(u"a apple").error(u"Art").text(u" end");
    auto count = [](const std::string& s, const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
            ++n;
        return n;
    };
    for (const WebOptions& options : {WebOptions{}, Exporter::complex(true, false, 20)}) {
        Exporter x(e);
        RichContent c = e.content();
        c.paragraphs.back().startIndentTwips = 720;
        x.doc.essay().assign(c);
        x.doc.feedback1Text = u"Feedback";
        x.doc.grade = u"B";
        x.options = options;
        const WebExportResult r = x.run();
        const std::string& last = r.pages.back().bytes;
        const std::string before = last.substr(0, last.find("<B><FONT COLOR"));
        ASSERT_NE(before.find("<BLOCKQUOTE>An indented"), std::string::npos);
        EXPECT_EQ(count(before, "<BLOCKQUOTE>"), count(before, "</BLOCKQUOTE>"));
        EXPECT_NE(before.find(" end</BLOCKQUOTE>"), std::string::npos);
    }
}

TEST(WebExport, ReferencesAreExpandedBeforeTheMacConversion) {
    EssayBuilder e;
    e.text(u"T").paragraph().coloured(u"words", clNavy).marker(u"1");
    Exporter x(e);
    x.links.addLink(u"Caf\u00E9", u"http://cafe.example/");
    x.doc.commentTexts = {u"Read {{caf\u00C9}}."};
    x.options = Exporter::complex(false, true);
    const std::string page = x.run().pages[0].bytes;
    EXPECT_NE(page.find("Read <A HREF=\"http://cafe.example/\">caf&Eacute;</A>."),
              std::string::npos);
}

TEST(WebExport, CharactersOutsideWindows1252SurviveAndTheEncodingIsStated) {
    EssayBuilder e;
    e.text(u"\u0391\u03B8\u03AE\u03BD\u03B1 \u041C\u043E\u0441\u043A\u0432\u0430 \U0001F600 caf\u00E9");
    Exporter x(e);
    const std::string page = x.run().pages[0].bytes;
    EXPECT_NE(page.find("&#913;&#952;&#942;&#957;&#945; &#1052;"), std::string::npos);
    EXPECT_NE(page.find("&#128512; caf\xE9"), std::string::npos);
    EXPECT_EQ(page.rfind("<HTML><HEAD><META CONTENT=\"Produced using Tallix32\">"
                         "<META CHARSET=\"windows-1252\"></HEAD><BODY BGCOLOR=\"#FFFFFF\">", 0),
              0u);
}

TEST(WebExport, TheEndOfTheEssayIsTrimmedAndTheScratchEmptied) {
    EssayBuilder e;
    e.text(u"Text  \t").paragraph().paragraph();
    Exporter x(e);
    x.run();
    EXPECT_EQ(x.doc.essay().text(), u"Text");
    EXPECT_TRUE(x.doc.documentChanged);
    EXPECT_EQ(x.doc.scratch().length(), 0);
}

// ---------------------------------------------------------------------- split pages

// The texts of the pages between their fixed pieces, joined: the body. The last
// page's text is followed by "<BR><BR>" and the feedback.
std::string joinedTexts(const WebExportResult& r) {
    std::string all;
    for (std::size_t k = 0; k < r.pages.size(); ++k) {
        const std::string p = body(r.pages[k].bytes);
        std::size_t from = 0, to = 0;
        if (k == 0) {
            const std::string first = "DO NOT PRINT THIS PAGE!<BR>";
            EXPECT_EQ(p.substr(0, first.size()), first);
            from = first.size();
            to = p.find("<BR><CENTER><FORM>");
        } else {
            from = p.find("</FORM><P>") + 10;
            to = k + 1 < r.pages.size() ? p.find("<BR><BR><CENTER><FORM>")
                                        : p.find("<BR><BR><B><FONT COLOR");
        }
        all += p.substr(from, to - from);
    }
    return all;
}

TEST(WebSplit, ThreePagesChainedBothWays) {
    // 120 links, 50 a page: the breaks after links 50 and 100.
    Exporter x(labelledEssay(24, 5));
    x.doc.feedback1Text = u"Feedback one";
    x.doc.grade = u"C";
    x.options = Exporter::complex(true, false, 50);
    const WebExportResult r = x.run();
    ASSERT_EQ(r.pages.size(), 3u);
    EXPECT_TRUE(r.split);
    EXPECT_EQ(r.pages[1].path, x.folder.file("essay_2.htm"));
    EXPECT_EQ(r.pages[2].path, x.folder.file("essay_3.htm"));

    const std::string& p1 = r.pages[0].bytes;
    const std::string& p2 = r.pages[1].bytes;
    const std::string& p3 = r.pages[2].bytes;
    EXPECT_EQ(buttonTarget(p1, "Continued..."), "essay_2.htm");
    EXPECT_EQ(buttonTarget(p2, "&lt;---"), "essay.htm");
    EXPECT_EQ(buttonTarget(p2, "Continued..."), "essay_3.htm");
    EXPECT_EQ(buttonTarget(p3, "&lt;---"), "essay_2.htm");
    EXPECT_EQ(buttonTarget(p1, "&lt;---"), "");
    EXPECT_EQ(buttonTarget(p3, "Continued..."), "");

    // Page 1 ends its text with the paragraph holding link 50, page 2 with 100.
    EXPECT_EQ(linksOf(p1).back(), 54);
    EXPECT_EQ(linksOf(p2).front(), 55);
    EXPECT_EQ(linksOf(p2).back(), 104);
    EXPECT_EQ(linksOf(p3).back(), 119);
    for (const auto& p : r.pages)
        expectLinksMatchAnchors(p.bytes);

    EXPECT_NE(p1.find("DO NOT PRINT"), std::string::npos);
    EXPECT_EQ(p2.find("DO NOT PRINT"), std::string::npos);
    for (const std::string* p : {&p1, &p2}) {
        EXPECT_EQ(p->find("Feedback one"), std::string::npos);
        EXPECT_EQ(p->find("Grade:"), std::string::npos);
        EXPECT_EQ(p->find("<TABLE"), std::string::npos);
    }
    EXPECT_NE(p3.find("Feedback one"), std::string::npos);
    EXPECT_NE(p3.find("Grade:  C"), std::string::npos);
    EXPECT_NE(p3.find("<TABLE"), std::string::npos);
    for (const auto& p : r.pages)
        EXPECT_EQ(p.bytes.substr(p.bytes.size() - 16), "</BODY></HTML>\r\n");

    // Together the pages hold the body exactly once: the body of the same export
    // on one page.
    x.options = Exporter::complex(true, false, 150);
    const std::string single = body(x.run().pages[0].bytes);
    const std::size_t start = std::string("DO NOT PRINT THIS PAGE!").size();
    const std::string bodyText = single.substr(start, single.find("<B><FONT COLOR") - start);
    EXPECT_EQ(joinedTexts(r), bodyText);

    const web::WriteOutcome w = web::writeWebPages(r);
    EXPECT_TRUE(w.ok);
    EXPECT_EQ(w.createdList, u"The following files have been created:\r\nessay.htm, "
                             u"essay_2.htm, essay_3.htm.\r\n\r\nThe file which should be "
                             u"loaded first is essay.htm.");
    EXPECT_EQ(TempFolder::read(x.folder.file("essay_2.htm")), p2);
}

TEST(WebSplit, FiftyOneLinksStayOnOnePage) {
    Exporter x(labelledEssay(3, 17)); // 51 links
    x.options = Exporter::complex(true, false, 50);
    const WebExportResult r = x.run();
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_EQ(linksOf(r.pages[0].bytes).front(), 0); // complex numbering
    EXPECT_EQ(linksOf(r.pages[0].bytes).back(), 50);
}

TEST(WebSplit, APageEndingLinkInTheLastParagraphRunsToTheEnd) {
    Exporter x(labelledEssay(2, 40)); // links 40..79 in the last paragraph
    x.options = Exporter::complex(true, false, 20);
    const WebExportResult r = x.run();
    ASSERT_EQ(r.pages.size(), 2u);
    EXPECT_EQ(linksOf(r.pages[0].bytes).back(), 39);
    EXPECT_EQ(linksOf(r.pages[1].bytes).front(), 40);
    EXPECT_EQ(linksOf(r.pages[1].bytes).back(), 79);
    EXPECT_EQ(buttonTarget(r.pages[1].bytes, "Continued..."), "");
}

TEST(WebSplit, AParagraphWithMoreLinksThanAPageLosesAndRepeatsNothing) {
    Exporter x(labelledEssay(2, 70)); // 140 links, 70 in each paragraph, 20 a page
    x.options = Exporter::complex(true, false, 20);
    const WebExportResult r = x.run("O'Brien.htm");
    ASSERT_GE(r.pages.size(), 3u);
    std::vector<int> links, anchors;
    for (std::size_t k = 0; k < r.pages.size(); ++k) {
        const std::string& p = r.pages[k].bytes;
        expectLinksMatchAnchors(p);
        for (int n : linksOf(p))
            links.push_back(n);
        for (int n : anchorsOf(p))
            anchors.push_back(n);
        if (k > 0) {
            EXPECT_FALSE(buttonTarget(p, "&lt;---").empty()); // every page its buttons
        }
        if (k + 1 < r.pages.size()) {
            EXPECT_EQ(buttonTarget(p, "Continued..."),
                      "O%27Brien_" + std::to_string(k + 2) + ".htm");
        }
    }
    std::vector<int> all(140);
    for (int i = 0; i < 140; ++i)
        all[std::size_t(i)] = i;
    EXPECT_EQ(links, all);
    EXPECT_EQ(anchors, all);
}

// The folder's names besides the given pages: what a failed export left behind.
std::vector<std::string> namesIn(const TempFolder& folder) {
    std::vector<std::string> r;
    for (const auto& e : std::filesystem::directory_iterator(folder.path()))
        r.push_back(e.path().filename().string());
    std::sort(r.begin(), r.end());
    return r;
}

TEST(WebSplit, AFailedWriteNamesThePageAndLeavesTheOldSetAsItWas) {
    Exporter x(labelledEssay(24, 5));
    x.options = Exporter::complex(true, false, 50);
    WebExportResult old = x.run();
    ASSERT_EQ(old.pages.size(), 3u);
    ASSERT_TRUE(web::writeWebPages(old).ok);

    // The next export has more to say; its third page cannot be written.
    x.doc.feedback1Text = u"Second thoughts";
    for (int round = 0; round < 3; ++round) {
        WebExportResult r = x.run();
        std::string failing = r.pages[2].path;
        if (round == 0) { // a folder where the page should go
            failing = x.folder.file("in-the-way.htm");
            std::filesystem::create_directory(failing);
            r.pages[2].path = failing;
        } else if (round == 1) { // a page the teacher made read-only
            std::filesystem::permissions(failing, std::filesystem::perms(0444),
                                         std::filesystem::perm_options::replace);
        } else { // a folder that does not exist
            failing = x.folder.file("missing-folder/essay_3.htm");
            r.pages[2].path = failing;
        }
        const web::WriteOutcome w = web::writeWebPages(r);
        EXPECT_FALSE(w.ok);
        EXPECT_NE(w.message.text.find(u"Unable to save the file " + u16(failing) + u" ("),
                  std::u16string::npos)
            << narrow(w.message.text);
        EXPECT_NE(w.message.text.find(u"The disk may be full, or the file may be read-only."),
                  std::u16string::npos);
        EXPECT_NE(w.message.text.find(u"No page has been written"), std::u16string::npos);
        EXPECT_EQ(w.message.helpContext, 16000);
        EXPECT_TRUE(w.createdList.empty());
        for (const web::WebPage& p : old.pages)
            EXPECT_EQ(TempFolder::read(p.path), p.bytes) << p.path;
        std::vector<std::string> expected{"essay.htm", "essay_2.htm", "essay_3.htm"};
        expected.push_back("in-the-way.htm");
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(namesIn(x.folder), expected) << "round " << round;
        if (round == 1)
            std::filesystem::permissions(failing, std::filesystem::perms(0644),
                                         std::filesystem::perm_options::replace);
    }

    // A single page names its file too, without speaking of a set.
    x.options = WebOptions{};
    WebExportResult one = x.run();
    one.pages[0].path = x.folder.file("in-the-way.htm");
    const web::WriteOutcome w = web::writeWebPages(one);
    EXPECT_FALSE(w.ok);
    EXPECT_EQ(w.message.text, u"Unable to save the file " + u16(x.folder.file("in-the-way.htm")) +
                                  u" (Is a directory). The disk may be full, or the file may be "
                                  u"read-only.");
}

} // namespace
} // namespace tallix::testing
