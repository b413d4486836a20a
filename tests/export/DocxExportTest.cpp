// The Word export: the parts of the archive, the comments anchored in the margin,
// the sections after the essay, and the document as LibreOffice reads it (skipped
// where LibreOffice is not installed).
#include "export/DocxExport.h"

#include "TestFiles.h"
#include "document/DocxReader.h"
#include "document/ZipXml.h"
#include "platform/TextCodec.h"
#include "stats/StatsTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tallix::testing {
namespace {

struct Inputs {
    MarkedDocument doc;
    AnnotationSet buttons = AnnotationSet::builtInDefaults();
    OutputTitles titles;
    OutputColours colours;
    library::LinkList links;
    exports::ExportSources sources() { return {doc, buttons, titles, colours, links}; }
};

std::string part(const std::string& docx, const std::string& name) {
    zipxml::ZipArchive zip;
    std::string error, out;
    if (!zip.open(docx, error) || !zip.has(name) || !zip.read(name, out, error))
        return {};
    return out;
}

bool hasPart(const std::string& docx, const std::string& name) {
    zipxml::ZipArchive zip;
    std::string error;
    return zip.open(docx, error) && zip.has(name);
}

int count(const std::string& s, const std::string& what) {
    int n = 0;
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

EssayBuilder commentedEssay() {
    EssayBuilder e;
    e.text(u"The essay ").span(u"wrongword").error(u"Sp").text(u" and ")
        .coloured(u"this phrase", clNavy).marker(u"1").text(u" goes on.").paragraph()
        .text(u"Second paragraph, bare").marker(u"2").text(u" end.");
    e.comment(u"About the phrase");
    e.comment(u"A bare comment");
    return e;
}

TEST(DocxExport, CommentsAreAnchoredOnTheirSpansAndTheSectionsFollow) {
    Inputs in;
    commentedEssay().into(in.doc);
    in.doc.feedback1Text = u"Well argued";
    in.doc.grade = u"B+";
    exports::DocxOptions options;
    options.author = u"Ann Teacher";
    const exports::DocxExportResult r = exports::exportDocx(in.sources(), options);
    ASSERT_FALSE(r.bytes.empty());
    EXPECT_EQ(r.statistics.rows.size(), 1u);

    const std::string document = part(r.bytes, "word/document.xml");
    const std::string comments = part(r.bytes, "word/comments.xml");
    ASSERT_FALSE(document.empty());
    ASSERT_FALSE(comments.empty());
    EXPECT_NE(part(r.bytes, "[Content_Types].xml").find("/word/comments.xml"), std::string::npos);
    EXPECT_NE(part(r.bytes, "word/_rels/document.xml.rels").find("comments.xml"), std::string::npos);

    // One comment per comment, signed, with its number and text.
    EXPECT_EQ(count(comments, "<w:comment "), 2);
    EXPECT_NE(comments.find("w:author=\"Ann Teacher\" w:initials=\"AT\""), std::string::npos);
    EXPECT_NE(comments.find("1. About the phrase"), std::string::npos);
    EXPECT_NE(comments.find("2. A bare comment"), std::string::npos);

    // Comment 1's range holds the navy span and the marker; comment 2's only its
    // marker, in the second paragraph.
    const std::size_t start1 = document.find("<w:commentRangeStart w:id=\"1\"/>");
    const std::size_t end1 = document.find("<w:commentRangeEnd w:id=\"1\"/>");
    ASSERT_NE(start1, std::string::npos);
    ASSERT_NE(end1, std::string::npos);
    const std::string range1 = document.substr(start1, end1 - start1);
    EXPECT_NE(range1.find(">this phrase<"), std::string::npos);
    EXPECT_NE(range1.find(">1<"), std::string::npos);
    EXPECT_EQ(range1.find("goes on"), std::string::npos);
    EXPECT_NE(document.find("<w:commentReference w:id=\"1\"/>", end1), std::string::npos);

    const std::size_t start2 = document.find("<w:commentRangeStart w:id=\"2\"/>");
    const std::size_t end2 = document.find("<w:commentRangeEnd w:id=\"2\"/>");
    ASSERT_NE(start2, std::string::npos);
    const std::string range2 = document.substr(start2, end2 - start2);
    EXPECT_NE(range2.find(">2<"), std::string::npos);
    EXPECT_EQ(range2.find("bare"), std::string::npos);
    EXPECT_GT(start2, document.find("Second paragraph"));

    // Colours and raised labels as in the essay; the markers in the comments colour.
    EXPECT_NE(document.find("<w:color w:val=\"0000FF\"/><w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/>"
                            "<w:u w:val=\"single\"/></w:rPr><w:t xml:space=\"preserve\">wrongword"),
              std::string::npos);
    EXPECT_NE(document.find("<w:i/><w:color w:val=\"FF0000\"/><w:position w:val=\"6\"/><w:sz w:val=\"16\"/>"),
              std::string::npos);

    // Feedback, grade and the statistics table after the essay, in that order; no
    // comment list, the comments being in the margin.
    const std::size_t feedback = document.find(">Well argued<");
    const std::size_t grade = document.find(">Grade:  B+<");
    const std::size_t table = document.find("<w:tbl>");
    ASSERT_NE(feedback, std::string::npos);
    ASSERT_NE(grade, std::string::npos);
    ASSERT_NE(table, std::string::npos);
    EXPECT_LT(document.find("goes on"), feedback);
    EXPECT_LT(feedback, grade);
    EXPECT_LT(grade, table);
    EXPECT_NE(document.find("Spelling", table), std::string::npos);
    EXPECT_EQ(document.find(">Comments<"), std::string::npos);

    // The same inputs give the same bytes.
    Inputs again;
    commentedEssay().into(again.doc);
    again.doc.feedback1Text = u"Well argued";
    again.doc.grade = u"B+";
    EXPECT_EQ(exports::exportDocx(again.sources(), options).bytes, r.bytes);
}

TEST(DocxExport, WithoutCommentsThereIsNoCommentsPartAndUnicodeSurvives) {
    Inputs in;
    EssayBuilder e;
    const std::u16string unicode =
        u"\u0391\u03B8\u03AE\u03BD\u03B1 \u041C\u043E\u0441\u043A\u0432\u0430 5\u20AC "
        u"a < b > c & d \\ \U0001F600";
    e.text(unicode);
    e.into(in.doc);
    in.doc.grade = u"??%";
    const std::string docx = exports::exportDocx(in.sources(), {}).bytes;
    EXPECT_FALSE(hasPart(docx, "word/comments.xml"));
    EXPECT_EQ(part(docx, "[Content_Types].xml").find("comments"), std::string::npos);
    EXPECT_EQ(part(docx, "word/_rels/document.xml.rels").find("comments"), std::string::npos);
    EXPECT_EQ(part(docx, "word/document.xml").find("Grade"), std::string::npos);

    // The program's own Word reader gets the text back.
    RichContent back;
    ASSERT_TRUE(readDocx(docx, back).ok);
    EXPECT_NE(back.text.find(unicode), std::u16string::npos) << text::toUtf8(back.text);
}

TEST(DocxExport, ACommentWithoutItsMarkerIsListedAfterTheEssay) {
    Inputs in;
    EssayBuilder e;
    e.text(u"No marker here");
    e.comment(u"Orphan comment");
    e.into(in.doc);
    const std::string docx = exports::exportDocx(in.sources(), {}).bytes;
    EXPECT_FALSE(hasPart(docx, "word/comments.xml"));
    const std::string document = part(docx, "word/document.xml");
    EXPECT_NE(document.find(">Comments<"), std::string::npos);
    EXPECT_NE(document.find(">1. Orphan comment<"), std::string::npos);
}

TEST(DocxExport, LetterOrA4) {
    EXPECT_TRUE(exports::territoryUsesLetter("en_US.UTF-8"));
    EXPECT_TRUE(exports::territoryUsesLetter("fr_CA"));
    EXPECT_FALSE(exports::territoryUsesLetter("en_GB.UTF-8"));
    EXPECT_FALSE(exports::territoryUsesLetter("C.UTF-8"));
    Inputs in;
    EssayBuilder().text(u"x").into(in.doc);
    exports::DocxOptions letter;
    letter.letterPaper = true;
    EXPECT_NE(part(exports::exportDocx(in.sources(), letter).bytes, "word/document.xml")
                  .find("w:w=\"12240\" w:h=\"15840\""),
              std::string::npos);
}

std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    std::size_t from = 0;
    while (from <= dirs.size()) {
        std::size_t to = dirs.find(':', from);
        if (to == std::string::npos)
            to = dirs.size();
        const std::filesystem::path p = std::filesystem::path(dirs.substr(from, to - from)) / name;
        if (!p.parent_path().empty() && std::filesystem::exists(p))
            return p.string();
        from = to + 1;
    }
    return {};
}

TEST(DocxExportInLibreOffice, EachCommentIsAMarginCommentInThePargraphOfItsMarker) {
    const std::string soffice = findProgram("soffice");
    if (soffice.empty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; install libreoffice-writer to "
                        "check the Word export against a word processor";
    Inputs in;
    EssayBuilder e;
    e.text(u"Greek \u0391\u03B8\u03AE\u03BD\u03B1, Cyrillic \u041C\u043E\u0441\u043A\u0432\u0430, "
           u"5\u20AC, a < b & c > d. ")
        .coloured(u"this phrase", clNavy).marker(u"1").text(u" goes on.").paragraph()
        .text(u"Second paragraph, bare").marker(u"2").text(u" end.");
    e.comment(u"About the phrase & <more>");
    e.comment(u"A bare comment \u20AC");
    e.into(in.doc);
    TempFolder dir;
    const std::string file = dir.write("essay.docx", exports::exportDocx(in.sources(), {}).bytes);
    const std::string profile =
        (std::filesystem::temp_directory_path() / "tallix32-test-libreoffice-docx").string();
    const std::string command = "HOME=" + dir.path().string() + " '" + soffice +
                                "' -env:UserInstallation=file://" + profile +
                                " --headless --convert-to odt --outdir '" + dir.path().string() +
                                "' '" + file + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string odt = TempFolder::read(dir.file("essay.odt"));
    ASSERT_FALSE(odt.empty()) << "LibreOffice wrote no document";
    const std::string content = part(odt, "content.xml");
    ASSERT_FALSE(content.empty());

    // The paragraph of the text that holds the comment whose text is s.
    auto paragraphWith = [&](const std::string& s) -> std::string {
        const std::size_t at = content.find(s);
        if (at == std::string::npos)
            return {};
        const std::size_t annotation = content.rfind("<office:annotation", at);
        const std::size_t start = content.rfind("<text:p", annotation);
        const std::size_t end = content.find("</text:p>", content.find("</office:annotation>", at));
        if (annotation == std::string::npos || start == std::string::npos || end == std::string::npos)
            return {};
        return content.substr(start, end - start);
    };
    EXPECT_EQ(count(content, "<office:annotation>") + count(content, "<office:annotation "), 2)
        << content;
    const std::string first = paragraphWith("About the phrase &amp; &lt;more&gt;");
    EXPECT_NE(first.find("Cyrillic \xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"), std::string::npos)
        << content;
    EXPECT_NE(first.find("this phrase"), std::string::npos);
    const std::string second = paragraphWith("A bare comment \xE2\x82\xAC");
    EXPECT_NE(second.find("Second paragraph"), std::string::npos) << content;
}

} // namespace
} // namespace tallix::testing
