#include "document/RtfReader.h"
#include "platform/TextCodec.h"

#include "DataFiles.h"
#include "RoundTripSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

using namespace tallix;
using tallix::text::toUtf8;

namespace {

// Reads RTF that must be readable.
RichContent read(std::string_view rtf) {
    RichContent c;
    const RtfReadResult r = readRtf(rtf, c);
    EXPECT_TRUE(r.ok) << r.error;
    return c;
}

std::string textOf(std::string_view rtf) { return toUtf8(read(rtf).text); }

// The format of the character at a UTF-16 position.
CharFormat formatAt(const RichContent& c, std::size_t pos) {
    std::size_t start = 0;
    for (const FormatRun& run : c.runs) {
        if (pos < start + static_cast<std::size_t>(run.length))
            return run.format;
        start += static_cast<std::size_t>(run.length);
    }
    ADD_FAILURE() << "no run covers position " << pos;
    return {};
}

// The format of the first occurrence of a piece of text.
CharFormat formatOf(const RichContent& c, std::u16string_view piece) {
    const std::size_t pos = c.text.find(piece);
    if (pos == std::u16string::npos) {
        ADD_FAILURE() << "text not found: " << toUtf8(piece);
        return {};
    }
    return formatAt(c, pos);
}

// The structural promises of RichContent, which every read must keep.
void expectWellFormed(const RichContent& c, const std::string& what) {
    long covered = 0;
    for (const FormatRun& run : c.runs) {
        ASSERT_GT(run.length, 0) << what;
        ASSERT_LE(run.format.fontName.size(), MaxFontNameLength) << what;
        covered += run.length;
    }
    ASSERT_EQ(covered, static_cast<long>(c.text.size())) << what;
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < c.text.size(); ++i) {
        const char16_t ch = c.text[i];
        if (ch == u'\r') {
            ASSERT_TRUE(i + 1 < c.text.size() && c.text[i + 1] == u'\n') << what << ": lone CR at " << i;
            ++breaks;
        } else if (ch == u'\n') {
            ASSERT_TRUE(i > 0 && c.text[i - 1] == u'\r') << what << ": lone LF at " << i;
        } else if (ch >= 0xD800 && ch <= 0xDBFF) {
            ASSERT_TRUE(i + 1 < c.text.size() && c.text[i + 1] >= 0xDC00 && c.text[i + 1] <= 0xDFFF)
                << what << ": unpaired high surrogate at " << i;
            ++i;
        } else {
            ASSERT_FALSE(ch >= 0xDC00 && ch <= 0xDFFF) << what << ": unpaired low surrogate at " << i;
            ASSERT_NE(ch, 0) << what << ": NUL at " << i;
        }
    }
    ASSERT_EQ(c.paragraphs.size(), breaks + 1) << what;
}

ParaFormat para(Alignment a, int indent = 0) { return ParaFormat{a, indent}; }

// ---------------------------------------------------------------------------
// Documents in the style of the word processors essays come from.

const char* const kWordDocument = R"RTF({\rtf1\adeflang1025\ansi\ansicpg1252\uc1\adeff31507\deff0\stshfdbch31505\stshfloch31506\stshfhich31506\stshfbi31507\deflang2057\deflangfe2057\themelang2057\themelangfe0\themelangcs0{\fonttbl{\f0\fbidi \froman\fcharset0\fprq2{\*\panose 02020603050405020304}Times New Roman;}{\f3\fbidi \froman\fcharset2\fprq2{\*\panose 05050102010706020507}Symbol;}
{\f37\fbidi \fswiss\fcharset0\fprq2{\*\panose 020f0502020204030204}Calibri;}{\flominor\f31506\fbidi \fswiss\fcharset0\fprq2{\*\panose 020f0502020204030204}Calibri;}}
{\colortbl;\red0\green0\blue0;\red0\green0\blue255;\red255\green0\blue0;\red5\green99\blue193;}
{\*\defchp \f31506\fs22\lang2057\langfe1033\langfenp1033 }{\*\defpap \ql \li0\ri0\sa160\sl259\slmult1\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin0\itap0 }\noqfpromote {\stylesheet{\ql \li0\ri0\sa160\sl259\slmult1\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin0\itap0 \rtlch\fcs1 \af0\afs22\alang1025 \ltrch\fcs0 \f31506\fs22\lang2057\langfe1033\cgrid\langnp2057\langfenp1033 \snext0 \sqformat \spriority0 Normal;}{\*\cs10 \additive \ssemihidden \sunhideused \spriority1 Default Paragraph Font;}{\*\cs15 \additive \rtlch\fcs1 \af0 \ltrch\fcs0 \ul\cf4 \sbasedon10 \sunhideused \styrsid1 Hyperlink;}}
{\*\listtable{\list\listtemplateid-1\listhybrid{\listlevel\levelnfc23\levelnfcn23\leveljc0\leveljcn0\levelfollow0\levelstartat1\levelspace0\levelindent0{\leveltext\leveltemplateid134807553\'01\u-3913 ?;}{\levelnumbers;}\f3\fbias0 \fi-360\li720\lin720 }{\listname ;}\listid1}}{\*\listoverridetable{\listoverride\listid1\listoverridecount0\ls1}}
{\*\rsidtbl \rsid1343879\rsid5725184}{\mmathPr\mmathFont34\mbrkBin0\mbrkBinSub0\msmallFrac0\mdispDef1\mlMargin0\mrMargin0\mdefJc1\mwrapIndent1440\mintLim0\mnaryLim1}{\info{\title Essay}{\author A Student}{\operator A Student}{\creatim\yr2023\mo3\dy14\hr10\min2}{\version2}{\edmins1}{\nofpages1}{\nofwords12}{\nofchars70}{\vern101}}{\*\xmlnstbl {\xmlns1 http://schemas.microsoft.com/office/word/2003/wordml}}
\paperw11906\paperh16838\margl1440\margr1440\margt1440\margb1440\gutter0\ltrsect 
\widowctrl\ftnbj\aenddoc\trackmoves0\trackformatting1\donotembedsysfont1\relyonvml0\donotembedlingdata0\grfdocevents0\validatexml1\showplaceholdtext0\ignoremixedcontent0\saveinvalidxml0\showxmlerrors1{\*\wgrffmtfilter 2450}\nofeaturethrottle1\ilfomacatclnup0{\*\ftnsep \ltrpar \pard\plain \ltrpar\ql \li0\ri0\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin0\itap0 \rtlch\fcs1 \af0\afs22\alang1025 \ltrch\fcs0 \f31506\fs22\lang2057\langfe1033\cgrid\langnp2057\langfenp1033 {\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid1343879 \chftnsep 
\par }}\ltrpar \sectd \ltrsect\linex0\headery708\footery708\colsx708\endnhere\sectlinegrid360\sectdefaultcl\sftnbj {\*\pnseclvl1\pnucrm\pnstart1\pnindent720\pnhang {\pntxta .}}{\*\pnseclvl2\pnucltr\pnstart1\pnindent720\pnhang {\pntxta .}}
{\header \ltrpar \pard\plain \ltrpar\qr \li0\ri0\widctlpar\tqc\tx4513\tqr\tx9026\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin0\itap0 \rtlch\fcs1 \af0\afs22\alang1025 \ltrch\fcs0 \f31506\fs22\lang2057\langfe1033\cgrid\langnp2057\langfenp1033 {\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid1343879 Candidate 0042}{\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid1343879 
\par }}
\pard\plain \ltrpar\qc \li0\ri0\sa160\sl259\slmult1\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin0\itap0\pararsid1343879 \rtlch\fcs1 \af0\afs22\alang1025 \ltrch\fcs0 \f31506\fs22\lang2057\langfe1033\cgrid\langnp2057\langfenp1033 {\rtlch\fcs1 \ab\af0\afs28 \ltrch\fcs0 \b\fs28\insrsid1343879 My Holiday}{\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid1343879 
\par }\pard \ltrpar\ql \li0\ri0\sa160\sl259\slmult1\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin0\itap0\pararsid1343879 {\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid1343879 We went to the seaside\rquote s best hotel }{\rtlch\fcs1 \ai\af0 \ltrch\fcs0 \i\insrsid1343879 twice}{\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid1343879 , it was \ldblquote great\rdblquote .}{\rtlch\fcs1 \af0 \ltrch\fcs0 \super\insrsid1343879 \chftn {\footnote \ltrpar \pard\plain \ltrpar\s16\ql \li0\ri0\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin0\itap0 \rtlch\fcs1 \af0\afs20\alang1025 \ltrch\fcs0 \fs20\lang2057\langfe1033\cgrid\langnp2057\langfenp1033 {\rtlch\fcs1 \af0 \ltrch\fcs0 \super\insrsid1343879 \chftn }{\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid1343879  In August.}}}{\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid1343879 
\par }\pard \ltrpar\ql \fi-360\li720\ri0\sa160\sl259\slmult1\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin720\itap0\pararsid1343879 {\listtext\pard\plain\ltrpar \rtlch\fcs1 \af0\afs22 \ltrch\fcs0 \f3\fs22\insrsid1343879 \loch\af3\dbch\af0\hich\f3 \'b7\tab}{\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid1343879 Sun}{\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid1343879 
\par }\pard \ltrpar\ql \li0\ri0\sa160\sl259\slmult1\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin0\itap0\pararsid1343879 {\field{\*\fldinst {\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid1343879  HYPERLINK "https://example.org/" }{\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid1343879 {\*\datafield 00d0c9ea79f9bace118c8200aa004ba90b02000000170000001500000068007400740070007300}}}{\fldrslt {\rtlch\fcs1 \af0 \ltrch\fcs0 \cs15\ul\cf4\insrsid1343879 our hotel}}}\sectd \ltrsect\linex0\endnhere\sectlinegrid360\sectdefaultcl\sftnbj {\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid1343879 
\par }{\*\themedata 504b030414000600080000002100e9de0fbfff0000001c020000130000005b436f6e74656e745f54797065735d2e786d6cac91cb4ec3301045f748fc83e52d4a}
{\*\colorschememapping 3c3f786d6c2076657273696f6e3d22312e302220656e636f64696e673d225554462d3822207374616e64616c6f6e653d22796573223f3e}
{\*\latentstyles\lsdstimax376\lsdlockeddef0\lsdsemihiddendef0{\lsdlockedexcept \lsdqformat1 \lsdpriority0 \lsdlocked0 Normal;\lsdqformat1 \lsdpriority9 \lsdlocked0 heading 1;}}{\*\datastore 01050000
02000000180000004d73786d6c322e534158584d4c5265616465722e362e30000000000000000000000e0000}})RTF";

TEST(RtfReaderWriters, Word) {
    const RichContent c = read(kWordDocument);
    EXPECT_EQ(toUtf8(c.text), "My Holiday\r\n"
                              "We went to the seaside\u2019s best hotel twice, it was \u201Cgreat\u201D.1\r\n"
                              "\u2022\tSun\r\n"
                              "our hotel\r\n"
                              "1. In August.");
    expectWellFormed(c, "word");
    tallix::testing::expectStableRoundTrip(c, "word");

    const CharFormat title = formatOf(c, u"My Holiday");
    EXPECT_EQ(title.style, fsBold);
    EXPECT_EQ(title.sizeHalfPoints, 28);
    EXPECT_EQ(title.fontName, u"Calibri");
    EXPECT_EQ(title.colour, clWindowText);

    const CharFormat body = formatOf(c, u"We went");
    EXPECT_EQ(body.style, 0);
    EXPECT_EQ(body.sizeHalfPoints, 22);
    EXPECT_EQ(body.fontName, u"Calibri");
    EXPECT_EQ(body.offsetTwips, 0);
    EXPECT_EQ(formatOf(c, u"twice").style, fsItalic);

    // The bullet of the Symbol font is the Unicode bullet, in the document's font.
    const CharFormat bullet = formatOf(c, u"\u2022");
    EXPECT_EQ(bullet.fontName, u"Times New Roman");

    const CharFormat link = formatOf(c, u"our hotel");
    EXPECT_EQ(link.style, fsUnderline);
    EXPECT_EQ(link.colour, rgbColour(5, 99, 193));

    const std::vector<ParaFormat> expected{para(Alignment::Center), para(Alignment::Left),
                                           para(Alignment::Left, 720), para(Alignment::Left),
                                           para(Alignment::Left)};
    EXPECT_EQ(c.paragraphs, expected);
    // The reference mark keeps its raise; the note's text its own size.
    EXPECT_EQ(formatAt(c, c.text.find(u".1") + 1).offsetTwips, 70);
    EXPECT_EQ(formatOf(c, u"1. In August.").sizeHalfPoints, 20);
    EXPECT_EQ(formatOf(c, u"1. In August.").offsetTwips, 0);
}

TEST(RtfReaderWriters, WordPad) {
    const char* rtf = "{\\rtf1\\ansi\\ansicpg1250\\deff0\\nouicompat\\deflang1029{\\fonttbl{\\f0\\fnil\\fcharset238 Calibri;}"
                      "{\\f1\\fnil\\fcharset0 Calibri;}{\\f2\\fnil\\fcharset2 Symbol;}}\r\n"
                      "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green77\\blue187;}\r\n"
                      "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
                      "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang5 P\\'f8\\'edli\\'9a \\'9elu\\'9dou\\'e8k\\'fd k\\'f9\\'f2\\par\r\n"
                      "\\cf1\\b\\f1\\lang9 Red bold\\cf0\\b0 , normal\\par\r\n"
                      "{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li720 Item\\par\r\n"
                      "\\pard\\sa200\\sl276\\slmult1\\qc\\cf2\\ul Centered\\ulnone\\par\r\n"
                      "}\r\n";
    const RichContent c = read(rtf);
    EXPECT_EQ(toUtf8(c.text), "P\u0159\u00EDli\u0161 \u017Elu\u0165ou\u010Dk\u00FD k\u016F\u0148\r\n"
                              "Red bold, normal\r\n"
                              "\u2022\tItem\r\n"
                              "Centered\r\n");
    expectWellFormed(c, "wordpad");
    tallix::testing::expectStableRoundTrip(c, "wordpad");
    EXPECT_EQ(formatOf(c, u"P").fontName, u"Calibri");
    EXPECT_EQ(formatOf(c, u"P").sizeHalfPoints, 22);
    EXPECT_EQ(formatOf(c, u"Red bold").colour, clRed);
    EXPECT_EQ(formatOf(c, u"Red bold").style, fsBold);
    EXPECT_EQ(formatOf(c, u", normal").colour, clWindowText); // \cf0 is the empty first entry
    EXPECT_EQ(formatOf(c, u", normal").style, 0);
    EXPECT_EQ(formatOf(c, u"Centered").colour, rgbColour(0, 77, 187));
    EXPECT_EQ(formatOf(c, u"Centered").style, fsUnderline);
    const std::vector<ParaFormat> expected{para(Alignment::Left), para(Alignment::Left),
                                           para(Alignment::Left, 720), para(Alignment::Center),
                                           para(Alignment::Center)};
    EXPECT_EQ(c.paragraphs, expected);
}

TEST(RtfReaderWriters, LibreOffice) {
    const char* rtf = R"RTF({\rtf1\ansi\deff3\adeflang1025
{\fonttbl{\f0\froman\fprq2\fcharset0 Times New Roman;}{\f1\froman\fprq2\fcharset2 Symbol;}{\f2\fswiss\fprq2\fcharset0 Arial;}{\f3\froman\fprq2\fcharset0 Liberation Serif{\*\falt Times New Roman};}{\f4\fswiss\fprq2\fcharset0 Liberation Sans{\*\falt Arial};}{\f5\fnil\fprq2\fcharset0 OpenSymbol{\*\falt Arial Unicode MS};}{\f6\froman\fprq2\fcharset204 Liberation Serif{\*\falt Times New Roman};}}
{\colortbl;\red0\green0\blue0;\red0\green0\blue128;\red255\green0\blue0;}
{\stylesheet{\s0\snext0\rtlch\af8\afs24\alang1081\ltrch\hich\af3\loch\widctlpar\hyphpar0\ltrpar\cf0\f3\fs24\lang2057\dbch\af8\langfe2052 Normal;}
{\*\cs15\snext15 Bullets;}
{\s16\sbasedon0\snext17\rtlch\af8\afs28 \ltrch\hich\af4\loch\sb240\sa120\keepn\f4\fs28\dbch\af6 Heading;}
}{\*\generator LibreOffice/7.3.7.2$Linux_X86_64 LibreOffice_project/30$Build-2}{\info{\creatim\yr2023\mo5\dy2\hr9\min41}{\revtim\yr2023\mo5\dy2\hr9\min44}{\printim\yr0\mo0\dy0\hr0\min0}}{\*\userprops}\deftab709
\hyphauto1\viewscale100
{\*\pgdsctbl
{\pgdsc0\pgdscuse451\pgwsxn11906\pghsxn16838\marglsxn1134\margrsxn1134\margtsxn1134\margbsxn1134\pgdscnxt0 Default Page Style;}}
\formshade\paperh16838\paperw11906\margl1134\margr1134\margt1134\margb1134\sectd\sbknone\pgndec\sftnnar\saftnnrlc\sectunlocked1\pgwsxn11906\pghsxn16838\marglsxn1134\margrsxn1134\margtsxn1134\margbsxn1134\ftnbj\ftnstart1\ftnrstcont\ftnnar\aenddoc\aftnrstcont\aftnstart1\aftnnrlc
{\*\ftnsep\chftnsep}\pgndec\pard\plain \s0\widctlpar\hyphpar0\ltrpar\cf0\f3\fs24\lang2057\dbch\af8\langfe2052\dbch\af8\afs24\alang1081\loch\f3\hich\af3\qc\ltrpar{\b\rtlch \ltrch\loch
Title}
\par \pard\plain \s0\widctlpar\hyphpar0\ltrpar\cf0\f3\fs24\lang2057\dbch\af8\langfe2052\dbch\af8\afs24\alang1081\loch\f3\hich\af3\ltrpar{\rtlch \ltrch\loch
Caf\u233\'e9 na\u239\'efve }{\cf3\i\rtlch \ltrch\loch
red}{\rtlch \ltrch\loch
 H}{\sub\rtlch \ltrch\loch
2}{\rtlch \ltrch\loch
O x}{\super\rtlch \ltrch\loch
2}
\par \pard\plain \s0\widctlpar\hyphpar0\ltrpar\cf0\f6\fs24\lang1049\dbch\af8\langfe2052\dbch\af8\afs24\alang1081\loch\f6\hich\af6\li567\lin567\ltrpar{\rtlch \ltrch\loch
\'cf\'f0\'e8\'e2\'e5\'f2}
\par })RTF";
    const RichContent c = read(rtf);
    EXPECT_EQ(toUtf8(c.text), "Title\r\nCaf\u00E9 na\u00EFve red H2O x2\r\n\u041F\u0440\u0438\u0432\u0435\u0442\r\n");
    expectWellFormed(c, "libreoffice");
    tallix::testing::expectStableRoundTrip(c, "libreoffice");
    EXPECT_EQ(formatOf(c, u"Title").style, fsBold);
    EXPECT_EQ(formatOf(c, u"Title").fontName, u"Liberation Serif");
    // \cf0 names the empty first entry: automatic, not black.
    EXPECT_EQ(formatOf(c, u"Caf").colour, clWindowText);
    EXPECT_EQ(formatOf(c, u"red").colour, clRed);
    EXPECT_EQ(formatOf(c, u"red").style, fsItalic);
    EXPECT_EQ(formatAt(c, c.text.find(u"H2") + 1).offsetTwips, -80);
    EXPECT_EQ(formatAt(c, c.text.find(u"x2") + 1).offsetTwips, 80);
    EXPECT_EQ(formatOf(c, u"O x").offsetTwips, 0);
    const std::vector<ParaFormat> expected{para(Alignment::Center), para(Alignment::Left),
                                           para(Alignment::Left, 567), para(Alignment::Left, 567)};
    EXPECT_EQ(c.paragraphs, expected);
}

TEST(RtfReaderWriters, Pandoc) {
    const char* rtf = R"RTF({\rtf1\ansi\deff0{\fonttbl{\f0 \fswiss Helvetica;}{\f1 \fmodern Courier;}}
{\colortbl;\red255\green0\blue0;\red0\green0\blue255;}
\widowctrl\hyphauto

{\pard \qc \f0 \sa180 \li0 \fi0 \b \fs36 An Essay\par}
{\pard \ql \f0 \sa180 \li0 \fi0 It was {\i really} {\b good}\u8212?a {\f1 code} bit{\super 1}.\par}
{\pard \ql \f0 \sa0 \li360 \fi-360 \bullet \tx360\tab first\par}
{\pard \ql \f0 \sa0 \li360 \fi-360 \bullet \tx360\tab second\sa180\par}
{\pard \ql \f0 \sa180 \li720 \fi0 Quoted {\field{\*\fldinst{HYPERLINK "https://pandoc.org"}}{\fldrslt{\ul
link
}}}
\par}

})RTF";
    const RichContent c = read(rtf);
    EXPECT_EQ(toUtf8(c.text), "An Essay\r\nIt was really good\u2014a code bit1.\r\n\u2022\tfirst\r\n\u2022\tsecond\r\n"
                              "Quoted link\r\n");
    expectWellFormed(c, "pandoc");
    tallix::testing::expectStableRoundTrip(c, "pandoc");
    EXPECT_EQ(formatOf(c, u"An Essay").sizeHalfPoints, 36);
    EXPECT_EQ(formatOf(c, u"An Essay").fontName, u"Helvetica");
    EXPECT_EQ(formatOf(c, u"code").fontName, u"Courier");
    EXPECT_EQ(formatOf(c, u"1.").offsetTwips, 80);
    EXPECT_EQ(formatOf(c, u".").offsetTwips, 0);
    EXPECT_EQ(formatOf(c, u"link").style, fsUnderline);
    const std::vector<ParaFormat> expected{para(Alignment::Center),      para(Alignment::Left),
                                           para(Alignment::Left, 360),   para(Alignment::Left, 360),
                                           para(Alignment::Left, 720),   para(Alignment::Left)};
    EXPECT_EQ(c.paragraphs, expected);
}

TEST(RtfReaderWriters, AbiWord) {
    const char* rtf = R"RTF({\rtf1\ansi\ansicpg1252\deff0{\fonttbl
{\f0\froman\fcharset0\fprq2 Times New Roman;}
{\f1\fswiss\fcharset0\fprq2 Arial;}
{\f2\fnil\fcharset2\fprq2 Symbol;}
}
{\colortbl
\red0\green0\blue0;
\red255\green255\blue255;
\red255\green0\blue0;
}
{\stylesheet
{\s1\f1\fs32\b\cf0\rtlch\ltrch\kerning16\sbasedon2\snext2 Heading 1;}
{\s2\f0\fs24\cf0\rtlch\ltrch\snext2 Normal;}
}
\kerning0\cf0\ftnbj\fet2\ftnstart1\ftnnar\aftnnar\ftnstart1\aftnstart1\aenddoc\facingp\titlepg\revprop3{\*\aftnsep\chftnsep}{\*\aftnsepc\chftnsepc}{\*\rsidtbl\rsid1234}\sectd\sbknone\pgwsxn12240\pghsxn15840\marglsxn1800\margrsxn1800\margtsxn1440\margbsxn1440\headery720\footery720\pgnrestart\pgncont\pgndec\cols1\colsx720
\pard\plain\s1\ql\li0\ri0\sb240\sa60\keepn\sl240\slmult1\widctlpar\ltrpar\f1\fs32\b\cf0\kerning16\rtlch\ltrch My title\par
\pard\plain\s2\qr\li0\ri0\sl240\slmult1\widctlpar\ltrpar\f0\fs24\cf0\rtlch\ltrch Black {\cf2 red} text\uc1\u8364 E 
\par
})RTF";
    const RichContent c = read(rtf);
    EXPECT_EQ(toUtf8(c.text), "My title\r\nBlack red text\u20AC \r\n");
    expectWellFormed(c, "abiword");
    tallix::testing::expectStableRoundTrip(c, "abiword");
    // AbiWord's colour table starts with an explicit black, and \cf0 names it.
    EXPECT_EQ(formatOf(c, u"My title").colour, clBlack);
    EXPECT_EQ(formatOf(c, u"My title").fontName, u"Arial");
    EXPECT_EQ(formatOf(c, u"My title").sizeHalfPoints, 32);
    EXPECT_EQ(formatOf(c, u"Black").colour, clBlack);
    EXPECT_EQ(formatOf(c, u"Black").fontName, u"Times New Roman");
    EXPECT_EQ(formatOf(c, u"red").colour, clRed);
    const std::vector<ParaFormat> expected{para(Alignment::Left), para(Alignment::Right), para(Alignment::Right)};
    EXPECT_EQ(c.paragraphs, expected);
}

TEST(RtfReaderWriters, TextEdit) {
    const char* rtf = "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2709\n"
                      "\\cocoatextscaling0\\cocoaplatform0{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;\\f1\\fswiss\\fcharset0 "
                      "Helvetica-Bold;\\f2\\fswiss\\fcharset0 Helvetica-Oblique;}\n"
                      "{\\colortbl;\\red255\\green255\\blue255;\\red251\\green2\\blue7;}\n"
                      "{\\*\\expandedcolortbl;;\\cssrgb\\c100000\\c14913\\c0;}\n"
                      "\\paperw11900\\paperh16840\\margl1440\\margr1440\\vieww11520\\viewh8400\\viewkind0\n"
                      "\\pard\\tx566\\tx1133\\tx1700\\tx2267\\pardirnatural\\qc\\partightenfactor0\n"
                      "\n"
                      "\\f1\\b\\fs36 \\cf0 Title\\\n"
                      "\\pard\\tx566\\tx1133\\pardirnatural\\partightenfactor0\n"
                      "\n"
                      "\\f0\\b0\\fs24 \\cf0 First line with \\uc0\\u8220 quotes\\uc0\\u8221  and \\cf2 red\\cf0  text.\\\n"
                      "\\\n"
                      "\\f2\\i Caf\\'e9 \n"
                      "\\f0\\i0 done}";
    const RichContent c = read(rtf);
    EXPECT_EQ(toUtf8(c.text), "Title\r\nFirst line with \u201Cquotes\u201D and red text.\r\n\r\nCaf\u00E9 done");
    expectWellFormed(c, "textedit");
    tallix::testing::expectStableRoundTrip(c, "textedit");
    EXPECT_EQ(formatOf(c, u"Title").fontName, u"Helvetica-Bold");
    EXPECT_EQ(formatOf(c, u"Title").sizeHalfPoints, 36);
    EXPECT_EQ(formatOf(c, u"Title").colour, clWindowText);
    EXPECT_EQ(formatOf(c, u"red").colour, rgbColour(251, 2, 7));
    EXPECT_EQ(formatOf(c, u"Caf").fontName, u"Helvetica-Oblique");
    EXPECT_EQ(formatOf(c, u"Caf").style, fsItalic);
    const std::vector<ParaFormat> expected{para(Alignment::Center), para(Alignment::Left), para(Alignment::Left),
                                           para(Alignment::Left)};
    EXPECT_EQ(c.paragraphs, expected);
}

TEST(RtfReaderWriters, MacintoshCharacterSet) {
    EXPECT_EQ(textOf("{\\rtf1\\mac\\deff0{\\fonttbl\\f0\\fnil Geneva;}\\f0 Caf\\'8e \\'d2quoted\\'d3 \\'a5 done}"),
              "Caf\u00E9 \u201Cquoted\u201D \u2022 done");
    // A Mac font inside a Windows document.
    EXPECT_EQ(textOf("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset77 Geneva;}}\\f0 \\'8e\\f1 \\'8e}"),
              "\u017D\u00E9");
    EXPECT_EQ(textOf("{\\rtf1\\pc \\'e9}"), "\u00E9");
}

// ---------------------------------------------------------------------------
// Code pages

TEST(RtfReaderCodePages, DocumentCodePage) {
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1250 \\'e8\\'e1\\'f8}"), "\u010D\u00E1\u0159");
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}"),
              "\u041F\u0440\u0438\u0432\u0435\u0442");
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1253 \\'e1\\'e2\\'e3}"), "\u03B1\u03B2\u03B3");
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1252 \\'e8\\'80\\'93}"), "\u00E8\u20AC\u201C");
    // Code pages we have no table for read as 1252 rather than failing.
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1361 \\'e9}"), "\u00E9");
    // Raw 8-bit bytes in the source are decoded like \'hh.
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1251 \xcf\xf0\xe8}"), "\u041F\u0440\u0438");
}

TEST(RtfReaderCodePages, FontCharsetOverridesDocumentCodePage) {
    const char* fonts = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
                        "{\\f1\\fswiss\\fcharset238 Arial CE;}{\\f2\\fswiss\\fcharset204 Arial Cyr;}"
                        "{\\f3\\froman\\fcharset161 Times Greek;}{\\f4\\fcharset162 Arial Tur;}"
                        "{\\f5\\fcharset186 Arial Baltic;}{\\f6\\cpg1251 Explicit;}{\\f7\\fcharset130 Johab;}}";
    const auto doc = [&](const char* body) { return std::string(fonts) + body + "}"; };
    EXPECT_EQ(textOf(doc("\\f0 caf\\'e9 \\f1 \\'e8\\'e1\\'f8")), "caf\u00E9 \u010D\u00E1\u0159");
    EXPECT_EQ(textOf(doc("\\f2 \\'cf\\'f0")), "\u041F\u0440");
    EXPECT_EQ(textOf(doc("\\f3 \\'e1\\'e2")), "\u03B1\u03B2");
    EXPECT_EQ(textOf(doc("\\f4 \\'fe\\'f0\\'fd")), "\u015F\u011F\u0131");
    EXPECT_EQ(textOf(doc("\\f5 \\'e0\\'e8")), "\u0105\u010D");
    EXPECT_EQ(textOf(doc("\\f6 \\'cf")), "\u041F");
    // A character set we have no table for falls back to the document's code page.
    EXPECT_EQ(textOf(doc("\\f7 \\'e9")), "\u00E9");
    // The font's code page is group state.
    EXPECT_EQ(textOf(doc("\\f0 {\\f1 \\'e8}\\'e8{\\f2 \\'e8}\\'e8")), "\u010D\u00E8\u0438\u00E8");
    // Without \f the default font's character set applies.
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0 A;}{\\f1\\fcharset238 B;}}\\'e8}"), "\u010D");
}

TEST(RtfReaderCodePages, FontTableNames) {
    const RichContent c = read(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0   Spaced Name  ;}"
        "{\\f1\\fcharset238 \\'8aablona;}"
        "{\\f2 Abcdefghijklmnopqrstuvwxyz0123456789;}"
        "{\\f3 NoSemicolon}"
        "{\\f4\\fnil{\\*\\panose 02020603050405020304}Panosed{\\*\\falt Other};}}"
        "\\f0 a\\f1 b\\f2 c\\f3 d\\f4 e\\f9 f}");
    EXPECT_EQ(formatOf(c, u"a").fontName, u"Spaced Name");
    EXPECT_EQ(formatOf(c, u"b").fontName, u"\u0160ablona");
    EXPECT_EQ(formatOf(c, u"c").fontName, u"Abcdefghijklmnopqrstuvwxyz01234");
    EXPECT_EQ(formatOf(c, u"c").fontName.size(), MaxFontNameLength);
    EXPECT_EQ(formatOf(c, u"d").fontName, u"NoSemicolon");
    EXPECT_EQ(formatOf(c, u"e").fontName, u"Panosed");
    // An unknown font number shows the default font.
    EXPECT_EQ(formatOf(c, u"f").fontName, u"Spaced Name");
    // No font table at all: the content's default face.
    EXPECT_EQ(formatAt(read("{\\rtf1 x}"), 0).fontName, CharFormat{}.fontName);
}

// ---------------------------------------------------------------------------
// Unicode

TEST(RtfReaderUnicode, FallbackSkipping) {
    EXPECT_EQ(textOf("{\\rtf1 caf\\u233?}"), "caf\u00E9"); // \uc1 is the default
    EXPECT_EQ(textOf("{\\rtf1\\uc1 \\u233\\'e9x}"), "\u00E9x");
    EXPECT_EQ(textOf("{\\rtf1\\uc0 \\u20320\\u22909 !}"), "\u4F60\u597D!");
    EXPECT_EQ(textOf("{\\rtf1\\uc2 \\u20320\\'c4\\'e3x}"), "\u4F60x");
    EXPECT_EQ(textOf("{\\rtf1\\uc2 \\u8364 EUR}"), "\u20ACR");
    // A control word can be the fallback, and counts as one.
    EXPECT_EQ(textOf("{\\rtf1\\uc1 \\u8364\\emdash x}"), "\u20ACx");
    // A brace ends the fallback early.
    EXPECT_EQ(textOf("{\\rtf1\\uc2 {\\u8364 E}X}"), "\u20ACX");
    // \uc is group state.
    EXPECT_EQ(textOf("{\\rtf1{\\uc2 \\u8364 ab}\\u8364 cd}"), "\u20AC\u20ACd");
    // A fallback before a cell end.
    EXPECT_EQ(textOf("{\\rtf1 a\\u8364?\\cell b}"), "a\u20AC\tb");
}

TEST(RtfReaderUnicode, NegativeValuesAndSurrogates) {
    EXPECT_EQ(read("{\\rtf1 \\u-3913?}").text, u"\uF0B7");
    // In a symbol font the same private-use character is the font's bullet.
    EXPECT_EQ(textOf("{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}}\\f1\\u-3913?\\u61623?}"), "\u2022\u2022");
    EXPECT_EQ(textOf("{\\rtf1 \\u-10179?\\u-8704?}"), "\U0001F600");
    EXPECT_EQ(textOf("{\\rtf1 \\u55357?\\u56832?}"), "\U0001F600");
    // Halves on their own would corrupt the text: they read as U+FFFD.
    EXPECT_EQ(textOf("{\\rtf1 \\u-10179?x}"), "\uFFFDx");
    EXPECT_EQ(textOf("{\\rtf1 x\\u-8704?}"), "x\uFFFD");
    EXPECT_EQ(textOf("{\\rtf1 \\u-10179?}"), "\uFFFD");
    EXPECT_EQ(textOf("{\\rtf1 \\u-10179?\\par x}"), "\uFFFD\r\nx");
    // Out of range values.
    EXPECT_EQ(textOf("{\\rtf1 \\u-99999999?\\u99999999?}"), "\uFFFD\uFFFD");
    // CR and LF written as characters are paragraph breaks. NUL keeps its place as
    // U+FFFD; vertical tab, form feed and the separators stay characters (RTF has
    // its own words for breaks).
    EXPECT_EQ(textOf("{\\rtf1 a\\u13?\\u10?b\\u10?c\\u0?d\\u8233?e}"), "a\r\nb\r\nc\uFFFDd\u2029e");
    EXPECT_EQ(read("{\\rtf1 \\u11?\\u12?\\u8232?\\'0b\\'0c\\'00}").text, u"\v\f\u2028\v\f\uFFFD");
    EXPECT_EQ(textOf("{\\rtf1 a\\'0d\\'0ab}"), "a\r\nb");
}

// ---------------------------------------------------------------------------
// Symbols, breaks and character format

TEST(RtfReaderSymbols, EverySymbolWord) {
    EXPECT_EQ(read("{\\rtf1 \\lquote\\rquote\\ldblquote\\rdblquote\\emdash\\endash\\bullet\\tab\\~\\-\\_\\{\\}\\\\}").text,
              u"\u2018\u2019\u201C\u201D\u2014\u2013\u2022\t\u00A0\u2011{}\\");
    EXPECT_EQ(textOf("{\\rtf1 hy\\-phen}"), "hyphen");
    EXPECT_EQ(textOf("{\\rtf1 a\\line b\\par c\\sect d\\page e}"), "a\r\nb\r\nc\r\nd\r\ne");
    // Line breaks in the source are not text; a backslash before one is \par.
    EXPECT_EQ(textOf("{\\rtf1 one\r\ntwo\rthree\nfour\\\nfive\\\r\nsix}"), "onetwothreefour\r\nfive\r\nsix");
    // Each \par is one break, the last one included.
    EXPECT_EQ(textOf("{\\rtf1 a\\par\\par b\\par }"), "a\r\n\r\nb\r\n");
}

TEST(RtfReaderFormat, StylesAndPlain) {
    const RichContent c =
        read("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\b b\\b0 n\\i i\\i0\\ul u\\ul0 n\\strike s\\strike0 "
             "\\b\\i\\ul\\strike\\cf1\\fs30\\up6 all\\plain plain}");
    EXPECT_EQ(formatOf(c, u"b").style, fsBold);
    EXPECT_EQ(formatOf(c, u"n").style, 0);
    EXPECT_EQ(formatOf(c, u"i").style, fsItalic);
    EXPECT_EQ(formatOf(c, u"u").style, fsUnderline);
    EXPECT_EQ(formatOf(c, u"s").style, fsStrikeOut);
    const CharFormat all = formatOf(c, u"all");
    EXPECT_EQ(all.style, fsBold | fsItalic | fsUnderline | fsStrikeOut);
    EXPECT_EQ(all.colour, clRed);
    EXPECT_EQ(all.sizeHalfPoints, 30);
    EXPECT_EQ(all.offsetTwips, 60);
    EXPECT_EQ(formatOf(c, u"plain"), CharFormat{});
}

TEST(RtfReaderFormat, UnderlineKinds) {
    for (const char* word : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth",
                             "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw",
                             "ulwave"}) {
        const std::string on = std::string("{\\rtf1\\") + word + " x}";
        EXPECT_EQ(formatAt(read(on), 0).style, fsUnderline) << word;
        const std::string off = std::string("{\\rtf1\\") + word + " x\\" + word + "0 y}";
        EXPECT_EQ(formatAt(read(off), 1).style, 0) << word;
    }
    EXPECT_EQ(formatAt(read("{\\rtf1\\uldb x\\ulnone y}"), 1).style, 0);
    EXPECT_EQ(formatAt(read("{\\rtf1\\ulc2 x}"), 0).style, 0); // underline colour, not underline
    EXPECT_EQ(formatAt(read("{\\rtf1\\striked1 x}"), 0).style, fsStrikeOut);
}

TEST(RtfReaderFormat, GroupsRestoreCharacterFormat) {
    const RichContent c = read("{\\rtf1\\fs20 a{\\b\\fs40\\super b{\\i c}d}e}");
    EXPECT_EQ(formatOf(c, u"a").sizeHalfPoints, 20);
    EXPECT_EQ(formatOf(c, u"b").style, fsBold);
    EXPECT_EQ(formatOf(c, u"c").style, fsBold | fsItalic);
    EXPECT_EQ(formatOf(c, u"d").style, fsBold);
    EXPECT_EQ(formatOf(c, u"d").offsetTwips, 130); // a third of 20 points, in whole half-points
    EXPECT_EQ(formatOf(c, u"e").style, 0);
    EXPECT_EQ(formatOf(c, u"e").sizeHalfPoints, 20);
    EXPECT_EQ(formatOf(c, u"e").offsetTwips, 0);
    // Runs are merged: "a" and "e" do not touch, so three formats in five runs.
    EXPECT_EQ(c.runs.size(), 5u);
}

TEST(RtfReaderFormat, SuperscriptSubscriptAndOffsets) {
    const RichContent c =
        read("{\\rtf1\\fs24 n\\super a\\sub b\\nosupersub c\\up6 d\\dn4 e\\up0 f\\up g\\fs30\\super h\\super0 i}");
    EXPECT_EQ(formatOf(c, u"n").offsetTwips, 0);
    EXPECT_EQ(formatOf(c, u"a").offsetTwips, 80); // a third of 12 points
    EXPECT_EQ(formatOf(c, u"b").offsetTwips, -80);
    EXPECT_EQ(formatOf(c, u"c").offsetTwips, 0);
    EXPECT_EQ(formatOf(c, u"d").offsetTwips, 60);
    EXPECT_EQ(formatOf(c, u"e").offsetTwips, -40);
    EXPECT_EQ(formatOf(c, u"f").offsetTwips, 0);
    EXPECT_EQ(formatOf(c, u"g").offsetTwips, 60); // \up alone is 3 points
    EXPECT_EQ(formatOf(c, u"h").offsetTwips, 100);
    EXPECT_EQ(formatOf(c, u"i").offsetTwips, 0);
    // The raise follows the size in force where the text is, in either order.
    EXPECT_EQ(formatAt(read("{\\rtf1\\super\\fs18 x}"), 0).offsetTwips, 60);
}

TEST(RtfReaderFormat, ColoursAutomaticAndExplicit) {
    const RichContent c = read("{\\rtf1{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;;\\red0\\green128\\blue0;}"
                               "none \\cf1 black\\cf2 red\\cf3 empty\\cf4 green\\cf0 zero\\cf99 far\\cf2{\\cf1 in}out}");
    EXPECT_EQ(formatOf(c, u"none").colour, clWindowText);
    EXPECT_EQ(formatOf(c, u"black").colour, clBlack);
    EXPECT_EQ(formatOf(c, u"red").colour, clRed);
    EXPECT_EQ(formatOf(c, u"empty").colour, clWindowText);
    EXPECT_EQ(formatOf(c, u"green").colour, clGreen);
    EXPECT_EQ(formatOf(c, u"zero").colour, clWindowText);
    EXPECT_EQ(formatOf(c, u"far").colour, clWindowText);
    EXPECT_EQ(formatOf(c, u"in").colour, clBlack);
    EXPECT_EQ(formatOf(c, u"out").colour, clRed);
    // No colour table: every colour is automatic.
    EXPECT_EQ(formatAt(read("{\\rtf1\\cf1 x}"), 0).colour, clWindowText);
    // A last entry without its ';' still counts.
    EXPECT_EQ(formatAt(read("{\\rtf1{\\colortbl;\\red0\\green0\\blue255}\\cf1 x}"), 0).colour, clBlue);
}

TEST(RtfReaderFormat, ParagraphFormats) {
    const RichContent c = read("{\\rtf1\\qc a\\par\\qr b\\par\\qj c\\par\\li720 d\\par\\pard e\\par{\\qc\\li100 f\\par}g"
                               "\\par\\qr{\\qc h}}");
    EXPECT_EQ(toUtf8(c.text), "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh");
    const std::vector<ParaFormat> expected{
        para(Alignment::Center), para(Alignment::Right),      para(Alignment::Left),
        para(Alignment::Left, 720), para(Alignment::Left),    para(Alignment::Center, 100),
        para(Alignment::Left),   para(Alignment::Center)};
    EXPECT_EQ(c.paragraphs, expected);
    // An empty last paragraph takes the format at the end of the document.
    const std::vector<ParaFormat> trailing{para(Alignment::Left), para(Alignment::Right, 40)};
    EXPECT_EQ(read("{\\rtf1 a\\par\\qr\\li40}").paragraphs, trailing);
}

TEST(RtfReaderFormat, HiddenTextIsNotShown) {
    EXPECT_EQ(textOf("{\\rtf1 shown{\\v hidden\\u233?}\\v also\\v0  again}"), "shown again");
}

// ---------------------------------------------------------------------------
// Tables, fields, lists and skipped destinations

TEST(RtfReaderStructure, TablesBecomeTabbedLines) {
    const char* rtf = "{\\rtf1 before\\par"
                      "\\trowd\\trgaph108\\cellx3000\\cellx6000\\cellx9000\\pard\\intbl A\\cell B\\cell C\\cell\\row"
                      "\\trowd\\cellx3000\\cellx6000\\cellx9000\\pard\\intbl 1\\cell \\cell 3\\par 3b\\cell"
                      "\\pard\\intbl{\\trowd\\cellx3000\\cellx6000\\cellx9000\\row}"
                      "\\pard after\\par}";
    EXPECT_EQ(textOf(rtf), "before\r\nA\tB\tC\r\n1\t\t3\r\n3b\r\nafter\r\n");
    // Nested tables: the inner row ends inside its property group.
    EXPECT_EQ(textOf("{\\rtf1\\pard\\intbl\\itap2 a\\nestcell b\\nestcell{\\*\\nesttableprops\\trowd\\cellx100"
                     "\\cellx200\\nestrow}{\\nonesttables\\par}\\pard\\intbl\\itap1 c\\cell d\\cell\\row}"),
              "a\tb\r\nc\td\r\n");
    // A row cut off at the end of the file keeps its cells without a dangling tab.
    EXPECT_EQ(textOf("{\\rtf1\\intbl x\\cell y\\cell"), "x\ty");
}

TEST(RtfReaderStructure, FieldsKeepTheirResult) {
    EXPECT_EQ(textOf("{\\rtf1 see {\\field{\\*\\fldinst {HYPERLINK \"http://x.org\"}}{\\fldrslt {\\ul the site}}}.}"),
              "see the site.");
    EXPECT_EQ(textOf("{\\rtf1 p{\\field{\\fldinst PAGE}{\\fldrslt 7}}}"), "p7");
    // A SYMBOL field's character stands in the text, its result has none.
    EXPECT_EQ(textOf("{\\rtf1 {\\field{\\*\\fldinst SYMBOL 183 \\\\f \"Symbol\"}}x}"), "\u2022x");
}

TEST(RtfReaderStructure, ListNumbersAsWritten) {
    EXPECT_EQ(textOf("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}{\\f2\\fcharset2 Wingdings;}}"
                     "{\\listtext\\pard\\plain\\f1 \\'b7\\tab}one\\par"
                     "{\\listtext\\pard\\plain\\f2 \\'a7\\tab}two\\par"
                     "{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}three\\par"
                     "{\\listtext\\pard\\plain\\u8226\\'95\\tab}four}"),
              "\u2022\tone\r\n\u25AA\ttwo\r\n1.\tthree\r\n\u2022\tfour");
}

TEST(RtfReaderStructure, SkippedDestinations) {
    std::string rtf = "{\\rtf1 a";
    for (const char* dest : {"info", "stylesheet", "pict", "object", "header", "headerl", "headerr", "headerf",
                             "footer", "footerl", "footerr", "footerf", "listtable", "listoverridetable",
                             "rsidtbl", "generator", "themedata", "colorschememapping", "latentstyles", "datastore",
                             "xmlnstbl", "pgdsctbl", "fldinst", "nonshppict", "shp", "bkmkstart", "xe", "tc"})
        rtf += std::string("{\\") + dest + " BAD{\\b BAD}\\par BAD\\tab\\u233?}";
    rtf += "b{\\*\\unknowndestination BAD{BAD}}c{\\*\\bkmkstart _Toc1}d{\\*}e}";
    EXPECT_EQ(textOf(rtf), "abcde");
}

TEST(RtfReaderStructure, UnknownWordsAndBinaryData) {
    EXPECT_EQ(textOf("{\\rtf1 a\\madeupword42 b\\zzz c}"), "abc");
    // \bin data is raw: braces and backslashes in it are not RTF.
    EXPECT_EQ(textOf("{\\rtf1 a{\\*\\blob\\bin6 }}}{{{}b\\bin3 {\\}c}"), "abc");
    EXPECT_EQ(textOf("{\\rtf1 a{\\pict\\wmetafile8\\bin4 \\par}b}"), "ab");
    // \upr holds the same text twice; the Unicode half wins.
    EXPECT_EQ(textOf("{\\rtf1 {\\upr{caf\\'e9}{\\*\\ud{caf\\u233?}}}!}"), "caf\u00E9!");
}

// ---------------------------------------------------------------------------
// Malformed input

TEST(RtfReaderMalformed, NotRtf) {
    for (const char* bad : {"", "hello", "{\\rtf", " {\\rtf1 x}", "{\\RTF1 x}", "\xEF\xBB\xBF{\\rtf1 x}", "{rtf1}"}) {
        RichContent c;
        c.text = u"old";
        const std::string input = bad;
        const bool rtf = looksLikeRtf(input);
        const RtfReadResult r = readRtf(input, c);
        EXPECT_EQ(r.ok, rtf) << input;
        if (!rtf) {
            EXPECT_FALSE(r.error.empty());
            EXPECT_TRUE(c.text.empty()) << "the output is replaced, even on failure";
            expectWellFormed(c, input);
        }
    }
    EXPECT_TRUE(looksLikeRtf("{\\rtf1\\ansi}"));
    EXPECT_TRUE(looksLikeRtf("{\\rtf"));
    EXPECT_FALSE(looksLikeRtf("{\\rt"));
}

TEST(RtfReaderMalformed, UnbalancedBraces) {
    // Missing closing braces: everything read so far is kept.
    const RichContent open = read("{\\rtf1 a{\\b bold{\\i both");
    EXPECT_EQ(toUtf8(open.text), "aboldboth");
    EXPECT_EQ(formatOf(open, u"both").style, fsBold | fsItalic);
    // Extra closing braces end the document; so does the outermost group's end.
    EXPECT_EQ(textOf("{\\rtf1 a}}b}"), "a");
    EXPECT_EQ(textOf("{\\rtf1 a{b}}c{\\rtf1 d}"), "ab");
    EXPECT_EQ(textOf("{\\rtf1 a} trailing text"), "a");
}

TEST(RtfReaderMalformed, TruncationAtEveryByte) {
    const std::string full =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fcharset238 Arial CE;}}"
        "{\\colortbl;\\red255\\green0\\blue0;}{\\*\\generator Test}{\\info{\\title T}}"
        "\\pard\\qc\\b\\fs28 Title\\b0\\par\\pard\\li360 Caf\\'e9 \\f1\\'e8\\f0  {\\cf1\\i red}\\rquote s\\tab x\\par"
        "\\trowd\\cellx100\\cellx200\\intbl A\\cell B\\cell\\row"
        "{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}{\\pict\\bin3 {}\\}{\\super 2}\\line end\\par}";
    const RichContent whole = read(full);
    const std::u16string expected = u"Title\r\nCaf\u00E9 \u010D red\u2019s\tx\r\nA\tB\r\nlink2\r\nend\r\n";
    ASSERT_EQ(whole.text, expected);
    const auto withoutBreaks = [](std::u16string t) {
        std::erase_if(t, [](char16_t ch) { return ch == u'\r' || ch == u'\n'; });
        return t;
    };
    const std::u16string expectedText = withoutBreaks(expected);
    for (std::size_t n = 5; n <= full.size(); ++n) {
        const std::string prefix = full.substr(0, n);
        RichContent c;
        const RtfReadResult r = readRtf(prefix, c);
        ASSERT_TRUE(r.ok) << "prefix of " << n << " bytes";
        expectWellFormed(c, "prefix of " + std::to_string(n) + " bytes");
        // A cut file reads as the start of the whole one. Line breaks are left out of
        // the comparison: a cut through "\\pard" leaves "\\par", a real break.
        const std::u16string got = withoutBreaks(c.text);
        ASSERT_EQ(expectedText.compare(0, got.size(), got), 0)
            << "prefix of " << n << " bytes read as " << toUtf8(c.text);
    }
}

TEST(RtfReaderMalformed, DeepNesting) {
    const std::size_t depth = 100000;
    // Opened and never closed.
    EXPECT_EQ(textOf("{\\rtf1 " + std::string(depth, '{') + "deep"), "deep");
    // Balanced: the braces still pair up beyond the depth limit.
    EXPECT_EQ(textOf("{\\rtf1 " + std::string(depth, '{') + "x" + std::string(depth, '}') + "after}"), "xafter");
    // Formatting set outside the deep part is restored when it closes.
    const RichContent c =
        read("{\\rtf1 {\\b " + std::string(20000, '{') + "x" + std::string(20000, '}') + "y} z}");
    EXPECT_EQ(toUtf8(c.text), "xy z");
    EXPECT_EQ(formatOf(c, u"x").style, fsBold);
    EXPECT_EQ(formatOf(c, u"y").style, fsBold);
    EXPECT_EQ(formatOf(c, u" z").style, 0);
    // A skipped destination with deep nesting inside it.
    EXPECT_EQ(textOf("{\\rtf1 {\\*\\junk " + std::string(depth, '{') + "BAD" + std::string(depth, '}') + "} ok}"),
              " ok");
    // Skipping started beyond the depth limit ends with its own group.
    EXPECT_EQ(textOf("{\\rtf1 " + std::string(20000, '{') + "{\\*\\junk BAD}x" + std::string(20000, '}') + "y}"),
              "xy");
}

TEST(RtfReaderMalformed, AbsurdNumbers) {
    const RichContent c = read("{\\rtf1{\\colortbl;\\red99999999999\\green-5\\blue256;}"
                               "\\fs99999999999 a\\fs-5 b\\fs0 c\\cf99999999999 d\\cf1 e\\up99999999999 f"
                               "\\li99999999999 g\\f99999999999 h\\uc99999999999 \\u-99999999 0123456789012345678X"
                               "\\ansicpg-99999999999 \\'e9}");
    EXPECT_EQ(toUtf8(c.text), "abcdefgh\uFFFD678X\u00E9");
    EXPECT_EQ(formatOf(c, u"a").sizeHalfPoints, 3276);
    EXPECT_EQ(formatOf(c, u"b").sizeHalfPoints, 24);
    EXPECT_EQ(formatOf(c, u"c").sizeHalfPoints, 24);
    EXPECT_EQ(formatOf(c, u"d").colour, clWindowText);
    EXPECT_EQ(formatOf(c, u"e").colour, rgbColour(255, 0, 255));
    EXPECT_EQ(formatOf(c, u"f").offsetTwips, 32760);
    EXPECT_EQ(c.paragraphs.back().startIndentTwips, 31680);
    EXPECT_EQ(formatOf(c, u"h").fontName, CharFormat{}.fontName);
    // Parameters beyond ten digits saturate, names beyond 32 letters mean nothing.
    EXPECT_EQ(textOf("{\\rtf1 \\uc0\\u12345678901234567890 x}"), "\uFFFDx");
    EXPECT_EQ(textOf("{\\rtf1 a\\abcdefghijklmnopqrstuvwxyzabcdefghijklmnop b}"), "ab");
    EXPECT_EQ(textOf("{\\rtf1 a\\parparparparparparparparparparparparpar b}"), "ab");
    // \bin longer than the input takes what there is.
    EXPECT_EQ(textOf("{\\rtf1 a\\bin999999999 xyz}"), "a");
    EXPECT_EQ(textOf("{\\rtf1 a\\bin-5 b\\bin0 c}"), "abc");
}

TEST(RtfReaderMalformed, BrokenEscapes) {
    EXPECT_EQ(textOf("{\\rtf1 a\\'zzb\\'4"), "azzb");
    EXPECT_EQ(textOf("{\\rtf1 a\\'4gb}"), "agb");
    EXPECT_EQ(textOf("{\\rtf1 a\\"), "a");
    EXPECT_EQ(textOf("{\\rtf1 a\\u"), "a");
    EXPECT_EQ(textOf("{\\rtf1 a\\u-"), "a-");
    EXPECT_EQ(textOf("{\\rtf1 a\\u233"), "a\u00E9");
    EXPECT_EQ(textOf("{\\rtf1 a\\li-x}"), "a-x");
    EXPECT_EQ(textOf(std::string("{\\rtf1 a") + '\0' + "b\x01" "c}"), "a\uFFFDb\x01" "c");
}

TEST(RtfReaderMalformed, RandomBytesNeverBreakTheContent) {
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 300; ++round) {
        std::string rtf = "{\\rtf1 ";
        const int n = 1 + round * 7;
        for (int i = 0; i < n; ++i)
            rtf.push_back(static_cast<char>(byte(rng)));
        RichContent c;
        ASSERT_TRUE(readRtf(rtf, c).ok);
        expectWellFormed(c, "random round " + std::to_string(round));
    }
}

TEST(RtfReaderMalformed, RandomRtfFragmentsNeverBreakTheContent) {
    // Random sequences of real RTF pieces reach far more of the reader than bytes do.
    const std::vector<std::string> pieces{
        "{", "}", "{", "}", "text ", "\\par ", "\\line ", "\\cell ", "\\row ", "\\nestcell ", "\\tab ",
        "\\u-10179?", "\\u-8704?", "\\u233?", "\\uc0 ", "\\uc2 ", "\\'e9", "\\'0d", "\\'0a", "\\'", "\\*",
        "\\bin3 ", "\\fonttbl", "\\colortbl", ";", "\\f1 ", "\\fcharset238 ", "\\cf2 ", "\\red9", "\\super ",
        "\\b ", "\\plain ", "\\pard ", "\\qc ", "\\v ", "\\upr ", "\\ud ", "\\field", "\\fldinst ", "\\fldrslt ",
        "\\pict ", "\r\n", "\\\n", "\\~", "\\_", "\\-", "\\\\", "\\{", "\\u13 ", "\xff",
        "\\nesttableprops ", "\\nestrow ", "\\fs99999999999 ", std::string(1, '\0')};
    std::mt19937 rng(42);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    for (int round = 0; round < 400; ++round) {
        std::string rtf = "{\\rtf1 ";
        for (int i = 0; i < 60; ++i)
            rtf += pieces[pick(rng)];
        RichContent c;
        ASSERT_TRUE(readRtf(rtf, c).ok);
        expectWellFormed(c, "fragments round " + std::to_string(round) + ": " + rtf);
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Footnotes and endnotes, in files the word processors wrote (tests/data/rtf).

TEST(RtfReaderNotes, WordProcessorFilesKeepMarksAndNoteTexts) {
    const std::string body =
        "A Visit to Krak\u00F3w\r\n"
        "We travelled by train1 and stayed near the old square, where a caf\u00E9 sold pierogi.\r\n"
        "The guide said: \u201EWitamy w Krakowie\u201D and wrote \u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC, "
        "\u0440\u0443\u0441\u0441\u043A\u0438\u0439 and \u65E5\u672C\u8A9E on the board2.\r\n";
    const std::string notes = "1. The night train from Berlin.\r\n"
                              "2. She spoke five languages.\r\n"
                              "3. Although it rained every day.";
    for (const char* file : {"rtf/libreoffice-notes.rtf", "rtf/abiword-notes.rtf"}) {
        SCOPED_TRACE(file);
        const RichContent c = read(tallix::testing::dataFile(file));
        expectWellFormed(c, file);
        tallix::testing::expectStableRoundTrip(c, file);
        EXPECT_EQ(toUtf8(c.text), body +
                                      "Marks\u00B6 and\ttabs,\r\na line break, {braces} and \\backslashes\\.\r\n"
                                      "In the end it was worth it3.\r\n" +
                                      notes);
        // The marks stay raised where they stood; the numbers of the notes are not.
        EXPECT_GT(formatAt(c, c.text.find(u"train1") + 5).offsetTwips, 0);
        EXPECT_GT(formatAt(c, c.text.find(u"it3.") + 2).offsetTwips, 0);
        EXPECT_EQ(formatOf(c, u"1. The night").offsetTwips, 0);
        EXPECT_EQ(formatOf(c, u"1. The night").sizeHalfPoints, 20);
        EXPECT_EQ(c.paragraphs.front().alignment, Alignment::Center);
        EXPECT_EQ(c.paragraphs[2].startIndentTwips, 720);
    }

    const RichContent p = read(tallix::testing::dataFile("rtf/pandoc-notes.rtf"));
    expectWellFormed(p, "pandoc");
    tallix::testing::expectStableRoundTrip(p, "pandoc notes");
    EXPECT_EQ(toUtf8(p.text), body +
                                  "In the end it was worth it,3 and {braces} and \\backslashes\\ came through.\r\n"
                                  "1. The night train from Berlin.\r\n"
                                  "2. She spoke five languages.\r\n"
                                  "A second paragraph of the same note.\r\n"
                                  "3. Although it rained every day.");
    EXPECT_EQ(p.paragraphs[2].startIndentTwips, 720);
    EXPECT_EQ(formatAt(p, p.text.find(u"train1") + 5).offsetTwips, 80);
}

TEST(RtfReaderNotes, MarksNumbersAndPlacement) {
    // Word's way: the mark in the text, then the note group with the mark again.
    EXPECT_EQ(textOf("{\\rtf1 One{\\super\\chftn}{\\footnote{\\super\\chftn} First.} two"
                     "{\\super\\chftn}{\\footnote\\ftnalt\\pard\\qc{\\super\\chftn}\\~Second\\par}.}"),
              "One1 two2.\r\n1. First.\r\n2. Second");
    // A document that already ends in an empty paragraph takes the notes there;
    // notes of several paragraphs keep their inner breaks; an empty note keeps
    // its number; a note in a note is not read.
    EXPECT_EQ(textOf("{\\rtf1 Text\\chftn{\\*\\footnote\\chftn A\\par B{\\footnote inner}}\\chftn{\\footnote}\\par}"),
              "Text12\r\n1. A\r\nB\r\n2. ");
    // The note's own paragraph format and character format come with it.
    const RichContent c = read("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}x\\chftn{\\footnote\\pard\\qc\\li360"
                               "\\cf1\\i\\chftn\\tab Red}\\par y}");
    EXPECT_EQ(toUtf8(c.text), "x1\r\ny\r\n1. Red");
    const std::vector<ParaFormat> expected{para(Alignment::Left), para(Alignment::Left),
                                           para(Alignment::Center, 360)};
    EXPECT_EQ(c.paragraphs, expected);
    EXPECT_EQ(formatOf(c, u"1. Red").colour, clRed);
    EXPECT_EQ(formatOf(c, u"1. Red").style, fsItalic);
    EXPECT_EQ(formatOf(c, u"y").colour, clWindowText);
    // A file cut off inside a note keeps what was read of it.
    EXPECT_EQ(textOf("{\\rtf1 a\\chftn{\\footnote\\chftn cut"), "a1\r\n1. cut");
    // Notes in skipped parts (a header here) are not read.
    EXPECT_EQ(textOf("{\\rtf1 {\\header h{\\footnote n}}body}"), "body");
}
