// RTF essays in every script: the code page of the document (\ansicpg) or of the
// font (\fcharset), the double-byte code pages, the picture fonts, the lists Word
// writes and old text boxes; and the text written back (RTF, text and web export)
// keeping every character. The files of tests/data/rtf-scripts are made by
// make-script-files.py there, which also lets LibreOffice confirm them.
#include "annotations/AnnotationSet.h"
#include "document/MarkedDocument.h"
#include "document/RtfReader.h"
#include "document/SymbolFonts.h"
#include "export/OutputColours.h"
#include "export/OutputTitles.h"
#include "export/RtfExport.h"
#include "export/TextExport.h"
#include "export/web/WebExport.h"
#include "library/LinkList.h"
#include "platform/CodePages.h"
#include "platform/TextCodec.h"

#include "DataFiles.h"
#include "RoundTripSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tallix;
using tallix::text::fromUtf8;
using tallix::text::toUtf8;

namespace {

RichContent read(std::string_view rtf) {
    RichContent c;
    const RtfReadResult r = readRtf(rtf, c);
    EXPECT_TRUE(r.ok) << r.error;
    return c;
}

std::string textOf(std::string_view rtf) { return toUtf8(read(rtf).text); }

// The .txt beside a file: its text with LF breaks, as CR LF. Every file ends
// with \par, so the last line is empty.
std::u16string expectedText(const std::string& name) {
    std::string t = tallix::testing::dataFile("rtf-scripts/" + name + ".txt");
    std::string crlf;
    for (char c : t) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    return fromUtf8(crlf);
}

const int CodePages[] = {874, 932, 936, 949, 950, 1250, 1251, 1253, 1254, 1255, 1256, 1257, 1258};

std::vector<std::string> scriptFiles() {
    std::vector<std::string> names;
    for (int cp : CodePages)
        for (const char* how : {"-ansicpg", "-fcharset"})
            names.push_back("cp" + std::to_string(cp) + how);
    return names;
}

// A web page's text: Windows-1252 with &#N; for every other character.
std::u16string webText(const std::string& page) {
    std::u16string out;
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '&' && i + 2 < page.size() && page[i + 1] == '#') {
            const std::size_t end = page.find(';', i);
            if (end != std::string::npos) {
                const unsigned long code = std::stoul(page.substr(i + 2, end - i - 2));
                if (code > 0xFFFF) {
                    out.push_back(char16_t(0xD800 + ((code - 0x10000) >> 10)));
                    out.push_back(char16_t(0xDC00 + ((code - 0x10000) & 0x3FF)));
                } else {
                    out.push_back(char16_t(code));
                }
                i = end;
                continue;
            }
        }
        out.push_back(codepages::decodeByte(static_cast<unsigned char>(page[i]), 1252));
    }
    return out;
}

} // namespace

TEST(RtfScripts, EveryCodePageByTheDocumentAndByTheFont) {
    for (const std::string& name : scriptFiles()) {
        SCOPED_TRACE(name);
        const RichContent c = read(tallix::testing::dataFile("rtf-scripts/" + name + ".rtf"));
        EXPECT_EQ(toUtf8(c.text), toUtf8(expectedText(name)));
        EXPECT_EQ(c.text.find(u'\uFFFD'), std::u16string::npos);
    }
}

TEST(RtfScripts, TheTextWrittenBackKeepsEveryCharacter) {
    tallix::testing::TempFolder dir;
    const AnnotationSet buttons = AnnotationSet::builtInDefaults();
    const OutputTitles titles;
    const OutputColours colours;
    const library::LinkList links;
    for (const std::string& name : scriptFiles()) {
        SCOPED_TRACE(name);
        const std::string path = dir.write(name + ".rtf", tallix::testing::dataFile("rtf-scripts/" + name + ".rtf"));
        const std::u16string want = expectedText(name);
        tallix::testing::expectStableFile(tallix::testing::dataFile("rtf-scripts/" + name + ".rtf"), name);

        MarkedDocument doc;
        ASSERT_TRUE(doc.importEssay(path, ImportKind::Rtf).ok);
        ASSERT_EQ(doc.essay().text(), want);
        // The marked file, saved and loaded again.
        const std::string marked = dir.file(name + ".tlx");
        ASSERT_TRUE(doc.saveTlx(marked).ok);
        MarkedDocument again;
        ASSERT_TRUE(again.loadTlxFile(marked).ok);
        EXPECT_EQ(again.essay().text(), want);

        // The RTF export.
        const std::string rtf =
            exports::exportRtf(exports::RtfExportRequest{doc, buttons, titles, colours, links, exports::RtfOptions{false}})
                .bytes;
        RichContent exported;
        ASSERT_TRUE(readRtf(rtf, exported).ok);
        EXPECT_NE(exported.text.find(want), std::u16string::npos);

        // The text export (UTF-8 when the text has characters outside 1252).
        const std::string txt =
            exports::exportText(exports::TextExportRequest{doc, buttons, titles, links, exports::TextOptions{false, false}})
                .bytes;
        EXPECT_NE(text::decodeTextFile(txt).find(want), std::u16string::npos);

        // The web page.
        web::WebOptions options;
        options.titleParas = 0;
        const web::WebExportResult page =
            web::exportWebPages(web::WebExportRequest{doc, buttons, titles, colours, links, options, dir.file(name + ".htm")});
        ASSERT_FALSE(page.pages.empty());
        // Its paragraphs end in <BR>, not in the essay's CR LF.
        EXPECT_NE(webText(page.pages[0].bytes).find(want.substr(0, want.size() - 2)), std::u16string::npos);
    }
}

TEST(RtfScripts, DoubleByteCharacters) {
    const std::string head = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil MS Mincho;}}";
    const auto doc = [&](const std::string& body) { return textOf(head + body + "}"); };
    // The trail byte as \'hh, as an ASCII letter, and escaped.
    EXPECT_EQ(doc("\\'93\\'fa\\'83e\\'83\\\\\\'95\\\\"), "日テソ表");
    // Single-byte katakana between them, and plain ASCII.
    EXPECT_EQ(doc("\\'b1\\'b2 abc\\'93\\'fa"), "ｱｲ abc日");
    // A lead byte cut off by a control word, by the end of a group, or by the
    // end of the file; a pair that is no character.
    EXPECT_EQ(doc("\\'93\\par x"), "\uFFFD\r\nx");
    EXPECT_EQ(doc("{\\'93}x"), "\uFFFDx");
    EXPECT_EQ(doc("x\\'93"), "x\uFFFD");
    EXPECT_EQ(doc("\\'93\\'7f!"), "\uFFFD\x7f!");
    // \uN with the double-byte fallback that \uc2 skips.
    EXPECT_EQ(doc("\\uc2\\u26085\\'93\\'fa\\u26412\\'96\\'7b z"), "日本 z");
    // The font's name is in the font's code page too.
    const RichContent c = read("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}}\\f0 x}");
    EXPECT_EQ(toUtf8(c.runs.at(0).format.fontName), "ＭＳ 明朝");
}

TEST(RtfScripts, AssociatedFontsOfRightToLeftAndDoubleByteText) {
    const std::string fonts = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}"
                              "{\\f1\\froman\\fcharset177 David;}{\\f2\\fnil\\fcharset134 SimSun;}"
                              "{\\f3\\fnil\\fcharset178 Arial;}}";
    // Word writes a right-to-left run's font as \af after \rtlch, the last of \ltrch
    // and \rtlch saying which applies.
    EXPECT_EQ(textOf(fonts + "{\\ltrch\\fcs0 \\f0 \\rtlch\\fcs1 \\af1 \\'f2\\'e5\\'f1\\'f7} {\\rtlch\\fcs1 \\af1 \\ltrch\\fcs0 \\f0 caf\\'e9}}"),
              "עוסק café");
    EXPECT_EQ(textOf(fonts + "\\rtlch\\af3 \\'c7\\'e1}"), "ال");
    // Double-byte characters in the associated font of \dbch.
    EXPECT_EQ(textOf(fonts + "\\loch\\f0\\hich\\af0\\dbch\\af2 \\'d6\\'d0\\'ce\\'c4}"), "中文");
    // Without \dbch the same bytes are the Western letters of \f0.
    EXPECT_EQ(textOf(fonts + "\\f0\\af2 \\'d6\\'d0}"), "ÖÐ");
}

TEST(RtfScripts, UnknownCodePagesReadAsWestern) {
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg9999 \\'e9}"), "\u00E9");
    EXPECT_EQ(textOf("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset130 Johab;}}\\f0 \\'e9}"), "\u00E9");
}

TEST(RtfPictureFonts, SymbolAndWingdingsBecomeTheirCharacters) {
    const std::string fonts = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}"
                              "{\\f1\\ftech\\fcharset2 Symbol;}{\\f2\\fnil\\fcharset2 Wingdings;}"
                              "{\\f3\\fnil\\fcharset0 Symbol;}}";
    // Bytes, \'hh and U+F0xx alike; 0xDB is the double arrow, 0xDA the logical or.
    const RichContent c = read(fonts + "\\f1 abg\\'db\\'da\\u-3877?\\'b3 \\f2 J\\'fc\\'e8\\f0  \\'e9}");
    EXPECT_EQ(toUtf8(c.text), "αβγ⇔∨⇔≥ ☺✓\U0001F87A é");
    // The characters take the document's font, which can show them.
    EXPECT_EQ(c.runs.size(), 1u);
    EXPECT_EQ(c.runs[0].format.fontName, u"Times New Roman");
    // A font named Symbol without the symbol character set (as the program's
    // own files name every font) holds ordinary text.
    EXPECT_EQ(textOf(fonts + "\\f3 ab\\'e9}"), "abé");
    // Bytes the font leaves empty read as the document's letters.
    EXPECT_EQ(textOf(fonts + "\\f1 \\'80}"), "€");
}

TEST(RtfPictureFonts, OneTableForEveryReader) {
    using symbolfonts::SymbolFont;
    EXPECT_EQ(symbolfonts::named(u" symbol "), SymbolFont::Symbol);
    EXPECT_EQ(symbolfonts::named(std::string_view("WINGDINGS")), SymbolFont::Wingdings);
    EXPECT_EQ(symbolfonts::named(u"Wingdings 2"), SymbolFont::None);
    EXPECT_EQ(symbolfonts::toUnicode(SymbolFont::Symbol, 0xDB), U'\u21D4');
    EXPECT_EQ(symbolfonts::toUnicode(SymbolFont::Symbol, 0xB7), U'\u2022');
    EXPECT_EQ(symbolfonts::toUnicode(SymbolFont::Symbol, 0x90), 0u);
    EXPECT_EQ(symbolfonts::mapCharacter(SymbolFont::Wingdings, 0xF0A7), U'\u25AA');
    EXPECT_EQ(symbolfonts::mapCharacter(SymbolFont::Symbol, 0x3B1), 0u); // not a byte of the font
    EXPECT_EQ(symbolfonts::mapCharacter(SymbolFont::None, 0xF0B7), 0u);
    // Every byte from 0x20 of Wingdings has a picture, and none is a control.
    for (int b = 0x20; b <= 0xFF; ++b)
        EXPECT_GE(symbolfonts::toUnicode(SymbolFont::Wingdings, static_cast<unsigned char>(b)), 0x20u) << b;
}

TEST(RtfLists, WhatWordWritesForLists) {
    const RichContent c = read(tallix::testing::dataFile("rtf-scripts/lists-and-symbols.rtf"));
    EXPECT_EQ(toUtf8(c.text), toUtf8(expectedText("lists-and-symbols")));
    tallix::testing::expectStableRoundTrip(c, "lists-and-symbols");
}

TEST(RtfLists, NumbersFromTheListTableAndOldDefinitions) {
    const std::string table =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}"
        "{\\*\\listtable{\\list{\\listlevel\\levelnfc1\\levelstartat4{\\leveltext\\'03(\\'00);}}\\listid7}"
        "{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\'b7;}\\f1}\\listid8}}"
        "{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}{\\listoverride\\listid8\\ls2}}";
    // Upper roman from 4, and a list written with its own \listtext in between.
    EXPECT_EQ(textOf(table + "\\pard\\ls1 a\\par\\pard\\ls1 b\\par{\\listtext (VI)\\tab}\\pard\\ls1 c\\par"
                             "\\pard\\ls2 d\\par\\pard plain}"),
              "(IV)\ta\r\n(V)\tb\r\n(VI)\tc\r\n\u2022\td\r\nplain");
    // An override with no list, and a list with no levels, give no number.
    EXPECT_EQ(textOf(table + "\\pard\\ls9 a\\par}"), "a\r\n");
    // Old definitions: a number counts on while the paragraphs are numbered, and
    // starts again after one that is not.
    const std::string pn = "{\\*\\pn\\pnlvlbody\\pnucltr\\pnstart2{\\pntxtb [}{\\pntxta ]}}";
    EXPECT_EQ(textOf("{\\rtf1 \\pard" + pn + "a\\par\\pard" + pn + "b\\par\\pard c\\par\\pard" + pn + "d}"),
              "[B]\ta\r\n[C]\tb\r\nc\r\n[B]\td");
    // A paragraph without \pard keeps the number of the one before.
    EXPECT_EQ(textOf("{\\rtf1 \\pard" + pn + "a\\par b}"), "[B]\ta\r\n[C]\tb");
    // A bullet definition in a picture font.
    EXPECT_EQ(textOf("{\\rtf1{\\fonttbl{\\f0 A;}{\\f2\\fcharset2 Wingdings;}}\\pard{\\*\\pn\\pnlvlblt\\pnf2{\\pntxtb \\'d8}}x}"),
              "\u27A2\tx");
}

TEST(RtfFields, SymbolFieldsGiveTheirCharacter) {
    const auto field = [](const std::string& inst, const std::string& result = "") {
        return textOf("{\\rtf1 [{\\field{\\*\\fldinst " + inst + "}{\\fldrslt " + result + "}}]}");
    };
    EXPECT_EQ(field("SYMBOL 183 \\\\f \"Symbol\" \\\\s 10"), "[•]");
    EXPECT_EQ(field("SYMBOL 0xDB \\\\f \"Symbol\"", "{\\f1 X}"), "[⇔]"); // the result is not read again
    EXPECT_EQ(field("SYMBOL 74 \\\\f Wingdings"), "[☺]");
    EXPECT_EQ(field("SYMBOL 8730 \\\\u"), "[√]");
    EXPECT_EQ(field("SYMBOL 233"), "[é]");
    EXPECT_EQ(field(" symbol 0x93FA \\\\j"), "[日]");
    // Other fields keep their result; a SYMBOL field with no number shows nothing.
    EXPECT_EQ(field("PAGE", "7"), "[7]");
    EXPECT_EQ(field("SYMBOL \\\\f Symbol", "x"), "[x]");
}

TEST(RtfTextBoxes, OldDrawingObjectsAndShapesKeepTheirText) {
    EXPECT_EQ(textOf("{\\rtf1 before {\\*\\do\\dobxcolumn\\dptxbx{\\dptxbxtext\\pard in the box\\par second\\par}"
                     "\\dpx0\\dpy0}after}"),
              "before \r\nin the box\r\nsecond\r\nafter");
    // A box whose text does not end its paragraph still ends it.
    EXPECT_EQ(textOf("{\\rtf1 a{\\*\\do{\\dptxbxtext boxed}}b}"), "a\r\nboxed\r\nb");
    // Word 97 shapes: the text of \shptxt, and not the drawing object of the
    // result that repeats it for older readers.
    EXPECT_EQ(textOf("{\\rtf1 a{\\shp{\\*\\shpinst\\shpleft0{\\sp{\\sn shapeType}{\\sv 202}}{\\shptxt shape text\\par}}"
                     "{\\shprslt{\\*\\do{\\dptxbxtext shape text\\par}}}}b}"),
              "a\r\nshape text\r\nb");
    // A drawing object without a text box shows nothing.
    EXPECT_EQ(textOf("{\\rtf1 a{\\*\\do\\dobxpage\\dpline\\dpx0}b}"), "ab");
}
