// Importing PDF essays: files that LibreOffice and AbiWord wrote (tests/data/pdf,
// see make-pdf.sh there) against the essays they were made from, the choice of
// reader by content, and the files that must be refused.
#include "document/DocumentCommands.h"
#include "document/OdtReader.h"
#include "document/PdfReader.h"
#include "platform/TextCodec.h"

#include "DataFiles.h"
#include "ProgramRun.h"
#include "QuietPrompts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace tallix;
using namespace tallix::testing;

namespace {

// The paragraphs of a text as a reader sees them: soft hyphens gone, every run of
// blanks and TABs one blank, empty paragraphs left out.
std::vector<std::string> paragraphsOf(const std::u16string& text) {
    std::vector<std::string> out;
    std::u16string para;
    auto flush = [&] {
        while (!para.empty() && para.back() == u' ')
            para.pop_back();
        if (!para.empty())
            out.push_back(text::toUtf8(para));
        para.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            flush();
        } else if (c == u' ' || c == u'\t' || c == 0x00A0) {
            if (!para.empty() && para.back() != u' ')
                para.push_back(u' ');
        } else if (c != 0x00AD) {
            para.push_back(c);
        }
    }
    flush();
    return out;
}

std::vector<std::string> odtParagraphs(const std::string& file) {
    RichContent c;
    EXPECT_TRUE(readOdt(dataFile(file), c).ok) << file;
    return paragraphsOf(c.text);
}

RichContent importedPdf(const std::string& file) {
    MarkedDocument d;
    const FileOutcome r = d.importEssay(dataPath(file), ImportKind::Rtf);
    EXPECT_TRUE(r.ok) << file << ": " << text::toUtf8(r.message.text);
    return d.essay().content();
}

void expectSameParagraphs(const std::vector<std::string>& got, const std::vector<std::string>& want) {
    EXPECT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < std::min(got.size(), want.size()); ++i)
        EXPECT_EQ(got[i], want[i]) << "paragraph " << i + 1;
}

// The alignment of the paragraph that begins with the given text.
Alignment alignmentOf(const RichContent& c, std::u16string_view start) {
    std::size_t para = 0, at = 0;
    while (at < c.text.size()) {
        if (c.text.compare(at, start.size(), start) == 0)
            return c.paragraphs[para].alignment;
        const std::size_t end = c.text.find(u"\r\n", at);
        if (end == std::u16string::npos)
            break;
        at = end + 2;
        ++para;
    }
    ADD_FAILURE() << "no paragraph begins so";
    return Alignment::Left;
}

// The open document a refused import must leave alone.
void markUp(MarkedDocument& d) {
    d.essay().setText(u"My own essay");
    d.commentTexts = {u"a comment"};
    d.grade = u"70%";
    d.currentFile = "/marked/earlier.tlx";
    d.documentChanged = true;
}

} // namespace

TEST(PdfImport, TheThreePageEssayComesBackAsItsOwnParagraphs) {
    // The essay as written, from the ODF file the PDF was printed from: the
    // header and the page numbers are no part of it, the broken words are whole.
    const std::vector<std::string> essay = odtParagraphs("pdf/sources/canals-essay.odt");
    ASSERT_EQ(essay.size(), 15u); // title, byline, ten paragraphs, a quotation, two notes
    for (const char* file : {"pdf/libreoffice-canals-essay.pdf", "pdf/abiword-canals-essay.pdf"}) {
        SCOPED_TRACE(file);
        const RichContent c = importedPdf(file);
        expectSameParagraphs(paragraphsOf(c.text), essay);
        EXPECT_EQ(c.text.find(u"History 101"), std::u16string::npos);
        EXPECT_EQ(c.text.find(u"Page "), std::u16string::npos);
        EXPECT_EQ(alignmentOf(c, u"The Canals of Birmingham"), Alignment::Center);
        EXPECT_EQ(alignmentOf(c, u"An essay by"), Alignment::Center);
        EXPECT_EQ(alignmentOf(c, u"When the first canal"), Alignment::Left);
    }
}

TEST(PdfImport, NotesAndScriptsAsTheOtherReadersKeepThem) {
    std::vector<std::string> essay = odtParagraphs("pdf/sources/notes-essay.odt");
    const RichContent lo = importedPdf("pdf/libreoffice-notes-essay.pdf");
    expectSameParagraphs(paragraphsOf(lo.text), essay);
    EXPECT_EQ(alignmentOf(lo, u"A Visit to Krak\u00F3w"), Alignment::Center);
    EXPECT_EQ(lo.paragraphs[2].startIndentTwips, 720);
    // AbiWord, with no font for Japanese here, prints the codes of the characters
    // in little boxes; the rest is the same.
    const RichContent abi = importedPdf("pdf/abiword-notes-essay.pdf");
    std::vector<std::string> abiParagraphs = paragraphsOf(abi.text);
    ASSERT_EQ(abiParagraphs.size(), essay.size());
    const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
    const std::size_t at = essay[2].find(japanese);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(abiParagraphs[2].substr(0, at), essay[2].substr(0, at));
    EXPECT_TRUE(abiParagraphs[2].ends_with(" on the board2."));
    abiParagraphs[2] = essay[2];
    expectSameParagraphs(abiParagraphs, essay);
    EXPECT_EQ(abi.paragraphs[2].startIndentTwips, 720);
}

TEST(PdfImport, ListsTablesAndAlignment) {
    std::vector<std::string> essay = odtParagraphs("docx/libreoffice-essay.odt");
    for (const char* file : {"pdf/libreoffice-lists-essay.pdf", "pdf/abiword-lists-essay.pdf"}) {
        SCOPED_TRACE(file);
        const RichContent c = importedPdf(file);
        if (std::string(file).find("abiword") != std::string::npos) {
            // AbiWord prints the numbers of the list without their points.
            std::replace(essay.begin(), essay.end(), std::string("1. One"), std::string("1 One"));
            std::replace(essay.begin(), essay.end(), std::string("2. Two"), std::string("2 Two"));
        }
        expectSameParagraphs(paragraphsOf(c.text), essay);
        EXPECT_EQ(alignmentOf(c, u"The Essay Title"), Alignment::Center);
        EXPECT_EQ(alignmentOf(c, u"A paragraph on the right."), Alignment::Right);
    }
}

TEST(PdfImport, TheContentChoosesTheReaderNotTheName) {
    TempFolder dir;
    const std::string pdf = dataFile("pdf/libreoffice-lists-essay.pdf");
    MarkedDocument d;
    ASSERT_TRUE(d.importEssay(dir.write("essay.rtf", pdf), ImportKind::Rtf).ok);
    EXPECT_EQ(d.essay().text().substr(0, 15), u"The Essay Title");
    ASSERT_TRUE(d.importEssay(dir.write("essay.txt", pdf), ImportKind::Text).ok);
    EXPECT_EQ(d.essay().text().substr(0, 15), u"The Essay Title");
    // an essay named .pdf that is text is read as text
    ASSERT_TRUE(d.importEssay(dir.write("essay.pdf", "Just words."), ImportKind::Text).ok);
    EXPECT_EQ(d.essay().text(), u"Just words.");
    // The buffer's own loader reads PDF too.
    RichTextBuffer b;
    ASSERT_TRUE(b.loadFromBytes(pdf).ok);
    EXPECT_EQ(b.text().substr(0, 15), u"The Essay Title");
    EXPECT_TRUE(looksLikePdf("\xEF\xBB\xBF\r\n%PDF-1.7"));
    EXPECT_FALSE(looksLikePdf("PDF-1.7"));
    EXPECT_FALSE(looksLikePdf("%PDF"));
}

TEST(PdfImport, AnImportedPdfIsAllBlackChangedUntitledWithTheCaretAtTheStart) {
    MarkedDocument d;
    QuietPrompts p;
    DocumentCommands cmd(d, p);
    ASSERT_TRUE(cmd.importEssay(dataPath("pdf/libreoffice-notes-essay.pdf"), ImportKind::Rtf));
    for (int i = 0; i < d.essay().length(); ++i)
        ASSERT_EQ(d.essay().colourAt(i), clBlack) << i;
    EXPECT_EQ(d.essay().selStart(), 0);
    EXPECT_TRUE(d.documentChanged);
    EXPECT_EQ(d.caption(), u"Tallix32 [Untitled]");
    EXPECT_TRUE(p.shown.empty());
}

TEST(PdfImport, FilesWithoutReadableTextAreRefusedByNameAndTheOpenDocumentStays) {
    TempFolder dir;
    std::string cut = dataFile("pdf/libreoffice-lists-essay.pdf");
    cut.resize(400);
    struct Case {
        std::string path;
        std::string message; // after the quoted path
    };
    const std::vector<Case> cases = {
        {dataPath("pdf/scanned-essay.pdf"), " holds no text to mark: it may be a scanned image."},
        {dataPath("pdf/password-essay.pdf"), " is protected by a password: ask for a copy without one."},
        {dir.write("garbage.pdf", "%PDF-1.4\nnothing of a PDF file follows\n"),
         " is damaged: it cannot be read as a PDF file."},
        {dir.write("cut.pdf", cut), " is damaged: it cannot be read as a PDF file."},
        {dir.write("header.pdf", "%PDF-"), " is damaged: it cannot be read as a PDF file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        MarkedDocument d;
        markUp(d);
        QuietPrompts p;
        DocumentCommands cmd(d, p);
        EXPECT_FALSE(cmd.importEssay(c.path, ImportKind::Rtf));
        ASSERT_EQ(p.shown.size(), 1u);
        EXPECT_EQ(text::toUtf8(p.shown[0].text), "\"" + c.path + "\"" + c.message);
        EXPECT_EQ(p.shown[0].type, MessageType::Warning);
        EXPECT_EQ(p.shown[0].helpContext, tlx::ImportPdfHelpContext);
        EXPECT_EQ(p.questions, 0);
        EXPECT_EQ(d.essay().text(), u"My own essay");
        EXPECT_EQ(d.grade, u"70%");
        EXPECT_EQ(d.currentFile, "/marked/earlier.tlx");
    }
}

TEST(PdfImport, TheCommandLineImportsAndRefusesWithoutAMarkedFile) {
    TempFolder dir;
    const std::string marked = dir.file("essay.tlx");
    ProcessRun r = runTallix32(dir, "--import " + shellQuoted(dataPath("pdf/libreoffice-canals-essay.pdf")) +
                                        " " + shellQuoted(marked));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    MarkedDocument d;
    ASSERT_TRUE(d.loadTlxFile(marked).ok);
    EXPECT_EQ(d.essay().text().substr(0, 24), u"The Canals of Birmingham");

    const std::string refused = dir.file("scan.tlx");
    r = runTallix32(dir, "--import " + shellQuoted(dataPath("pdf/scanned-essay.pdf")) + " " + shellQuoted(refused));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("holds no text to mark: it may be a scanned image."), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(refused));
    // Poppler's own complaints about a damaged file stay out of the program's output.
    r = runTallix32(dir, "--import " + shellQuoted(dir.write("bad.pdf", "%PDF-1.4\ngarbage")) + " " +
                             shellQuoted(refused));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.find("poppler"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(refused));
}
