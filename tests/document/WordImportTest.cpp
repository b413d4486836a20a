// Importing Word and OpenDocument essays: the choice of reader by content, the
// files that real word processors write, and the files that must be refused
// without touching the open document.
#include "document/DocumentCommands.h"
#include "document/DocxReader.h"
#include "document/OdtReader.h"
#include "platform/TextCodec.h"
#include "document/ZipXml.h"

#include "DataFiles.h"
#include "ProgramRun.h"
#include "WordFileBuilder.h"
#include "QuietPrompts.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

using namespace tallix;
using namespace tallix::testing;

namespace {

std::string simpleDocx(const std::string& text) {
    return makeDocx({"<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>"});
}

// A document part of n bytes that deflates to almost nothing.
std::string hugeDocument(std::size_t n) {
    std::string xml = "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>"
                      "<w:p><w:r><w:t>";
    xml.append(n, 'a');
    xml += "</w:t></w:r></w:p></w:body></w:document>";
    return xml;
}

const std::string BillionLaughs =
    "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY a \"aaaaaaaaaa\">"
    "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
    "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
    "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">"
    "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\"><!ENTITY i \"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">]>"
    "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body><w:p><w:r>"
    "<w:t>&i;</w:t></w:r></w:p></w:body></w:document>";

// The open document a refused import must leave alone.
void markUp(MarkedDocument& d) {
    d.essay().setText(u"My own essay");
    d.commentTexts = {u"a comment"};
    d.notes.selectorMax = d.notes.selectorValue = 1;
    d.grade = u"70%";
    d.currentFile = "/marked/earlier.tlx";
    d.documentChanged = true;
}

} // namespace

TEST(WordImport, TheContentChoosesTheReaderNotTheName) {
    TempFolder dir;
    MarkedDocument d;
    // A Word file named .rtf, an OpenDocument text named .txt, an RTF file named .docx.
    ASSERT_TRUE(d.importEssay(dir.write("essay.rtf", simpleDocx("from Word")), ImportKind::Rtf).ok);
    EXPECT_EQ(d.essay().text(), u"from Word");
    ASSERT_TRUE(d.importEssay(dir.write("essay.txt", makeOdt("<text:p>from Writer</text:p>")), ImportKind::Text).ok);
    EXPECT_EQ(d.essay().text(), u"from Writer");
    ASSERT_TRUE(d.importEssay(dir.write("essay.docx", "{\\rtf1 from RTF}"), ImportKind::Rtf).ok);
    EXPECT_EQ(d.essay().text(), u"from RTF");
    // The buffer's own loader reads them too.
    RichTextBuffer b;
    ASSERT_TRUE(b.loadFromBytes(simpleDocx("loaded")).ok);
    EXPECT_EQ(b.text(), u"loaded");
}

TEST(WordImport, AnImportedWordEssayIsAllBlackChangedUntitledWithTheCaretAtTheStart) {
    TempFolder dir;
    const std::string path = dir.write(
        "coloured.docx", makeDocx({"<w:p><w:r><w:rPr><w:color w:val=\"FF0000\"/><w:b/></w:rPr><w:t>Red</w:t></w:r>"
                                   "<w:r><w:t xml:space=\"preserve\"> words</w:t></w:r></w:p>"}));
    MarkedDocument d;
    QuietPrompts p;
    DocumentCommands cmd(d, p);
    d.recentFiles.update("/x.tlx");
    ASSERT_TRUE(cmd.importEssay(path, ImportKind::Rtf));
    EXPECT_EQ(d.essay().text(), u"Red words");
    for (int i = 0; i < d.essay().length(); ++i)
        EXPECT_EQ(d.essay().colourAt(i), clBlack);
    EXPECT_EQ(d.essay().selStart(), 0);
    EXPECT_EQ(d.essay().selLength(), 0);
    EXPECT_TRUE(d.documentChanged);
    EXPECT_EQ(d.caption(), u"Tallix32 [Untitled]");
    EXPECT_EQ(d.recentFiles.entry(2), "");
    EXPECT_TRUE(p.shown.empty());
}

namespace {

// The archive with one byte of a member's header changed in its local header
// (at localOffset) and its central directory entry (at centralOffset): the CRC
// at 14/16, the compression method at 8/10.
std::string withMemberField(std::string zip, const std::string& member, std::size_t localOffset,
                            std::size_t centralOffset, char value) {
    for (std::size_t at = zip.find("PK\x03\x04"); at != std::string::npos; at = zip.find("PK\x03\x04", at + 4))
        if (zip.compare(at + 30, member.size(), member) == 0) {
            zip[at + localOffset] = value;
            break;
        }
    for (std::size_t at = zip.find("PK\x01\x02"); at != std::string::npos; at = zip.find("PK\x01\x02", at + 4))
        if (zip.compare(at + 46, member.size(), member) == 0) {
            zip[at + centralOffset] = value;
            break;
        }
    return zip;
}

std::string odtOf(const std::string& text) {
    return makeOdt("<text:p>" + text + "</text:p>");
}

} // namespace

TEST(WordImport, BadFilesAreRefusedByNameAndTheOpenDocumentStays) {
    TempFolder dir;
    const std::string ns = WordNamespace;
    struct Case {
        std::string name;
        std::string bytes;
        std::string because; // a piece of the message
    };
    std::string truncated = simpleDocx("cut off");
    truncated.resize(truncated.size() / 2);
    const std::vector<Case> cases = {
        {"junk.docx", "this is not a zip archive at all", "not a zip archive"},
        {"binary.odt", std::string("\x01\x02\x03\x00\x04", 5), "not a zip archive"},
        {"cut.docx", truncated, "zip archive"},
        {"photos.docx", makeZip({{"photo.jpg", "JFIF"}}), "neither a Word document"},
        {"fake.odt", makeZip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                              {"content.xml", "<x/>"}}),
         "neither a Word document"},
        {"bomb.docx", makeZip({{"word/document.xml", hugeDocument(60u * 1024 * 1024)}}), "more than 50 MB"},
        {"laughs.docx", makeZip({{"word/document.xml", BillionLaughs}}), "document type"},
        {"broken.docx", makeZip({{"word/document.xml", "<w:document " + ns + "><w:body><w:p>"}}), "damaged"},
        {"styles.docx", makeZip({{"word/document.xml", "<w:document " + ns + "/>"}, {"word/styles.xml", "<<"}}),
         "word/styles.xml"},
        {"laughs.odt", makeZip({{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", BillionLaughs}}),
         "document type"},
        // Well-formed, but in a namespace no word processor writes: no text at all.
        {"foreign.docx",
         makeZip({{"word/document.xml", "<x:document xmlns:x=\"urn:example:other\"><x:body><x:p><x:r>"
                                        "<x:t>words</x:t></x:r></x:p></x:body></x:document>"}}),
         "holds no text to import"},
        {"foreign.odt",
         makeZip({{"mimetype", "application/vnd.oasis.opendocument.text"},
                  {"content.xml", "<o:document-content xmlns:o=\"urn:example:other\"><o:body><o:text>"
                                  "words</o:text></o:body></o:document-content>"}}),
         "holds no text to import"},
        // A mimetype part that cannot be read is told as what it is.
        {"crc.odt", withMemberField(odtOf("text"), "mimetype", 14, 16, '\x5A'), "damaged"},
        {"method.odt", withMemberField(odtOf("text"), "mimetype", 8, 10, '\x61'), "not supported"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.write(c.name, c.bytes);
        MarkedDocument d;
        markUp(d);
        QuietPrompts p;
        DocumentCommands cmd(d, p);
        EXPECT_FALSE(cmd.importEssay(path, ImportKind::Rtf));
        ASSERT_EQ(p.shown.size(), 1u);
        const std::string message = text::toUtf8(p.shown[0].text);
        EXPECT_NE(message.find("\"" + path + "\""), std::string::npos) << message;
        EXPECT_NE(message.find(c.because), std::string::npos) << message;
        EXPECT_EQ(p.shown[0].type, MessageType::Warning);
        // Help on the message opens the page about Word and OpenDocument essays.
        EXPECT_EQ(p.shown[0].helpContext, tlx::ImportWordHelpContext);
        // Nothing of the open document changed, and nothing was asked.
        EXPECT_EQ(p.questions, 0);
        EXPECT_EQ(d.essay().text(), u"My own essay");
        EXPECT_EQ(d.commentTexts.size(), 1u);
        EXPECT_EQ(d.grade, u"70%");
        EXPECT_EQ(d.currentFile, "/marked/earlier.tlx");
        EXPECT_TRUE(d.documentChanged);
    }
}

TEST(WordImport, TheBudgetCountsEveryPartTogether) {
    // Each part alone is under the budget; together they pass it.
    const std::string ns = WordNamespace;
    std::string styles = "<w:styles " + ns + ">";
    styles.append(30u * 1024 * 1024, ' ');
    styles += "</w:styles>";
    RichContent c;
    WordReadResult r = readDocx(makeZip({{"word/document.xml", hugeDocument(30u * 1024 * 1024)},
                                         {"word/styles.xml", styles}}),
                                c);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("more than 50 MB"), std::string::npos) << r.error;

    zipxml::ZipArchive zip;
    std::string error, out;
    const std::string bytes = makeZip({{"a", std::string(1000, 'x')}, {"b", std::string(1000, 'y')}});
    ASSERT_TRUE(zip.open(bytes, error)) << error;
    zip.setBudget(1500);
    EXPECT_TRUE(zip.read("a", out, error));
    EXPECT_EQ(out.size(), 1000u);
    EXPECT_FALSE(zip.read("b", out, error));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(zip.read("missing", out, error));
}

TEST(WordImport, FilesWrittenByLibreOfficeAndPandoc) {
    // Made by make-test-files.sh from essay.md (pandoc) and essay.html (LibreOffice).
    struct Expect {
        const char* file;
        std::vector<std::u16string> lines;
    };
    const std::vector<Expect> files = {
        {"docx/pandoc-essay.docx",
         {u"My Holiday", u"Last summer I went to the sea with my family. It was a very good trip.",
          u"\u2022\tWe swam every day", u"\u2022\tWe ate fish", u"1.\tFirst we packed", u"2.\tThen we drove",
          u"Day\tPlace", u"Monday\tBeach", u"Tuesday\tTown", u"The end came too soon.1",
          u"1. We must go back next year."}},
        {"docx/pandoc-essay.odt",
         {u"My Holiday", u"Last summer I went to the sea with my family. It was a very good trip.",
          u"\u2022\tWe swam every day", u"\u2022\tWe ate fish", u"1.\tFirst we packed", u"2.\tThen we drove",
          u"Day\tPlace", u"Monday\tBeach", u"Tuesday\tTown", u"The end came too soon.1",
          u"1. We must go back next year."}},
        {"docx/libreoffice-essay.docx",
         {u"The Essay Title", u"First paragraph with italic and underlined words.", u"A paragraph on the right.",
          u"An indented paragraph.", u"\u2022\tApples", u"\u2022\tPears", u"1.\tOne", u"2.\tTwo", u"A1\tB1",
          u"A2\tB2", u"Last line."}},
        {"docx/libreoffice-essay.odt",
         {u"The Essay Title", u"First paragraph with italic and underlined words.", u"A paragraph on the right.",
          u"An indented paragraph.", u"\u2022\tApples", u"\u2022\tPears", u"1.\tOne", u"2.\tTwo", u"A1\tB1",
          u"A2\tB2", u"Last line."}},
    };
    for (const Expect& e : files) {
        SCOPED_TRACE(e.file);
        RichContent c;
        WordReadResult r = readWordProcessorFile(dataFile(e.file), c);
        ASSERT_TRUE(r.ok) << r.error;
        std::vector<std::u16string> lines;
        std::size_t at = 0;
        for (std::size_t cut; (cut = c.text.find(u"\r\n", at)) != std::u16string::npos; at = cut + 2)
            lines.push_back(c.text.substr(at, cut - at));
        lines.push_back(c.text.substr(at));
        std::erase_if(lines, [](const std::u16string& l) { return l.empty(); });
        EXPECT_EQ(lines, e.lines) << text::toUtf8(c.text);
    }
    RichContent lo;
    ASSERT_TRUE(readWordProcessorFile(dataFile("docx/libreoffice-essay.docx"), lo).ok);
    const std::size_t title = lo.text.find(u"The Essay Title");
    ASSERT_NE(title, std::u16string::npos);
    EXPECT_EQ(lo.paragraphs[0].alignment, Alignment::Center);
    EXPECT_TRUE(lo.runs[0].format.style & fsBold);
}

TEST(WordImport, TheCommandLineImportsWordFilesAndRefusesBadOnes) {
    TempFolder dir;
    const std::string essay = dir.write("essay.docx", simpleDocx("An essay from Word"));
    ProcessRun ok = runTallix32(dir, "--import " + shellQuoted(essay) + " " + shellQuoted(dir.file("e.tlx")));
    EXPECT_EQ(ok.status, 0) << ok.err;
    MarkedDocument d;
    ASSERT_TRUE(d.loadTlxFile(dir.file("e.tlx")).ok);
    EXPECT_EQ(d.essay().text(), u"An essay from Word");

    const std::string bad = dir.write("bad.docx", makeZip({{"word/document.xml", BillionLaughs}}));
    ProcessRun refused = runTallix32(dir, "--import " + shellQuoted(bad) + " " + shellQuoted(dir.file("b.tlx")));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(bad), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("b.tlx")));
}

TEST(WordImport, TextBoxesCaptionsAndPictureFontsAsWordAndWriterWriteThem) {
    // Made by make-box-files.py beside them, which lets LibreOffice confirm that
    // each holds what its .txt says.
    for (const char* name : {"docx/word-boxes.docx", "docx/writer-frames.odt"}) {
        SCOPED_TRACE(name);
        RichContent c;
        const WordReadResult r = readWordProcessorFile(dataFile(name), c);
        ASSERT_TRUE(r.ok) << r.error;
        std::string want = dataFile(std::string(name).substr(0, std::string(name).rfind('.')) + ".txt");
        while (!want.empty() && want.back() == '\n')
            want.pop_back();
        std::string crlf;
        for (char ch : want)
            crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
        EXPECT_EQ(text::toUtf8(c.text), crlf);
    }
}
