#include "document/RtfReader.h"

#include "platform/CodePages.h"
#include "document/RtfTokenizer.h"
#include "document/SymbolFonts.h"
#include "document/WordOutput.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tallix {
namespace {

using rtf::Token;
using rtf::TokenKind;

// Groups nested deeper than this get no state of their own: they share the state of
// the deepest real group, and only their braces are counted so that the structure
// still balances. No word processor nests anywhere near this deep; the cap only
// bounds the memory a damaged or hostile file can make us take, while the text in
// it is still read.
constexpr std::size_t MaxGroupDepth = 10000;

// Font names are gathered up to this length before they are trimmed and cut to
// MaxFontNameLength; the rest of an absurdly long name is dropped as it comes.
constexpr std::size_t MaxGatheredNameLength = 256;

constexpr int DefaultSizeHalfPoints = 24;
constexpr int MaxSizeHalfPoints = 3276; // 1638 points, the largest size word processors offer
constexpr int MaxIndentTwips = 31680;   // 22 inches
constexpr int MaxUnicodeSkip = 16;      // \ucN beyond this is nonsense
constexpr char16_t ReplacementChar = 0xFFFD;

// Mac Roman is not a Windows code page, so it has its own table here; \mac documents
// and fonts with the Macintosh character set use it.
constexpr int MacRomanCodePage = 10000;
constexpr char16_t kMacRoman[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

char16_t decodeByte(unsigned char byte, int codePage) {
    if (codePage == MacRomanCodePage && byte >= 0x80)
        return kMacRoman[byte - 0x80];
    return codepages::decodeByte(byte, codePage); // unknown code pages read as 1252
}

int codePageOfCharset(int charset) {
    if (charset == 77) // Macintosh
        return MacRomanCodePage;
    return codepages::codePageOfCharset(charset);
}

bool isKnownCodePage(int codePage) {
    return codePage == MacRomanCodePage || codepages::isSupported(codePage);
}

using symbolfonts::SymbolFont;
using wordfile::NumberFormat;

// ---- The control words the reader acts on ----

enum class Word : std::uint8_t {
    // document
    Ansi, Mac, Pc, AnsiCpg, Deff,
    // font and colour tables
    Font, FontCharset, FontCodePage, Red, Green, Blue,
    // character format
    Plain, Bold, Italic, Underline, UnderlineNone, Strike, Hidden, FontSize, Colour,
    Up, Down, Super, Sub, NoSuperSub, UnicodeSkip, Unicode,
    // paragraph format
    Pard, AlignLeft, AlignCenter, AlignRight, LeftIndent,
    // text
    Par, Cell, Row, Char,
    // footnotes and endnotes: the group of the note, and the automatic number
    Footnote, NoteNumber,
    // the associated fonts of right-to-left and double-byte text
    AssocFont, RtlChar, LtrChar, DbChar, SbChar,
    // lists: old paragraph numbering, the list table, and the number of a paragraph
    Pn, PnLevelBullet, PnLevelBody, PnLevel, PnFormat, PnStart, PnFont, PnTextBefore, PnTextAfter,
    PnText, ListText, ListTable, List, ListLevel, ListId, LevelFormat, LevelStart, LevelText,
    ListOverrideTable, ListOverride, ListOverrideNumber, ListLevelNumber,
    // fields and text boxes
    FieldInst, FieldResult, DrawingObject, TextBoxText, Shape, ShapeInstance, ShapeText,
    // destinations
    FontTable, ColourTable, Skip, Upr, Ud, NestTableProps,
};

struct WordInfo {
    Word word;
    char16_t ch = 0; // for Word::Char; the number format of \pndec and the others
};

const std::unordered_map<std::string_view, WordInfo>& wordTable() {
    static const std::unordered_map<std::string_view, WordInfo> table = [] {
        std::unordered_map<std::string_view, WordInfo> t{
            {"ansi", {Word::Ansi}}, {"mac", {Word::Mac}}, {"pc", {Word::Pc}}, {"pca", {Word::Pc}},
            {"ansicpg", {Word::AnsiCpg}}, {"deff", {Word::Deff}},
            {"f", {Word::Font}}, {"fcharset", {Word::FontCharset}}, {"cpg", {Word::FontCodePage}},
            {"red", {Word::Red}}, {"green", {Word::Green}}, {"blue", {Word::Blue}},
            {"plain", {Word::Plain}}, {"b", {Word::Bold}}, {"i", {Word::Italic}},
            {"ul", {Word::Underline}}, {"ulnone", {Word::UnderlineNone}},
            {"strike", {Word::Strike}}, {"striked", {Word::Strike}}, {"v", {Word::Hidden}},
            {"fs", {Word::FontSize}}, {"cf", {Word::Colour}}, {"up", {Word::Up}}, {"dn", {Word::Down}},
            {"super", {Word::Super}}, {"sub", {Word::Sub}}, {"nosupersub", {Word::NoSuperSub}},
            {"uc", {Word::UnicodeSkip}}, {"u", {Word::Unicode}},
            {"pard", {Word::Pard}}, {"ql", {Word::AlignLeft}}, {"qj", {Word::AlignLeft}},
            {"qd", {Word::AlignLeft}}, {"qc", {Word::AlignCenter}}, {"qr", {Word::AlignRight}},
            {"li", {Word::LeftIndent}}, {"lin", {Word::LeftIndent}},
            // The buffer has no soft line break, so \line ends the paragraph too.
            {"par", {Word::Par}}, {"line", {Word::Par}}, {"sect", {Word::Par}}, {"page", {Word::Par}},
            {"cell", {Word::Cell}}, {"nestcell", {Word::Cell}}, {"row", {Word::Row}}, {"nestrow", {Word::Row}},
            {"footnote", {Word::Footnote}}, {"chftn", {Word::NoteNumber}}, {"chatn", {Word::NoteNumber}},
            {"tab", {Word::Char, u'\t'}}, {"emdash", {Word::Char, 0x2014}}, {"endash", {Word::Char, 0x2013}},
            {"bullet", {Word::Char, 0x2022}}, {"lquote", {Word::Char, 0x2018}},
            {"rquote", {Word::Char, 0x2019}}, {"ldblquote", {Word::Char, 0x201C}},
            {"rdblquote", {Word::Char, 0x201D}}, {"emspace", {Word::Char, 0x2003}},
            {"enspace", {Word::Char, 0x2002}}, {"qmspace", {Word::Char, 0x2005}},
            {"zwj", {Word::Char, 0x200D}}, {"zwnj", {Word::Char, 0x200C}},
            {"ltrmark", {Word::Char, 0x200E}}, {"rtlmark", {Word::Char, 0x200F}},
            {"fonttbl", {Word::FontTable}}, {"colortbl", {Word::ColourTable}},
            {"upr", {Word::Upr}}, {"ud", {Word::Ud}}, {"nesttableprops", {Word::NestTableProps}},
            {"af", {Word::AssocFont}}, {"rtlch", {Word::RtlChar}}, {"ltrch", {Word::LtrChar}},
            {"dbch", {Word::DbChar}}, {"loch", {Word::SbChar}}, {"hich", {Word::SbChar}},
            {"pn", {Word::Pn}}, {"pnlvlblt", {Word::PnLevelBullet}}, {"pnlvlbody", {Word::PnLevelBody}},
            {"pnlvlcont", {Word::PnLevelBody}}, {"pnlvl", {Word::PnLevel}},
            {"pndec", {Word::PnFormat, char16_t(NumberFormat::Decimal)}},
            {"pnord", {Word::PnFormat, char16_t(NumberFormat::Decimal)}},
            {"pncard", {Word::PnFormat, char16_t(NumberFormat::Decimal)}},
            {"pnucrm", {Word::PnFormat, char16_t(NumberFormat::UpperRoman)}},
            {"pnlcrm", {Word::PnFormat, char16_t(NumberFormat::LowerRoman)}},
            {"pnucltr", {Word::PnFormat, char16_t(NumberFormat::UpperLetter)}},
            {"pnlcltr", {Word::PnFormat, char16_t(NumberFormat::LowerLetter)}},
            {"pnstart", {Word::PnStart}}, {"pnf", {Word::PnFont}},
            {"pntxtb", {Word::PnTextBefore}}, {"pntxta", {Word::PnTextAfter}},
            {"pntext", {Word::PnText}}, {"listtext", {Word::ListText}},
            {"listtable", {Word::ListTable}}, {"list", {Word::List}}, {"listlevel", {Word::ListLevel}},
            {"listid", {Word::ListId}}, {"levelnfc", {Word::LevelFormat}}, {"levelnfcn", {Word::LevelFormat}},
            {"levelstartat", {Word::LevelStart}}, {"leveltext", {Word::LevelText}},
            {"listoverridetable", {Word::ListOverrideTable}}, {"listoverride", {Word::ListOverride}},
            {"ls", {Word::ListOverrideNumber}}, {"ilvl", {Word::ListLevelNumber}},
            {"fldinst", {Word::FieldInst}}, {"fldrslt", {Word::FieldResult}},
            {"do", {Word::DrawingObject}}, {"dptxbxtext", {Word::TextBoxText}},
            {"shp", {Word::Shape}}, {"shpinst", {Word::ShapeInstance}}, {"shptxt", {Word::ShapeText}},
        };
        // Every underline kind reads as underline.
        for (std::string_view u : {"uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash",
                                   "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash",
                                   "ululdbwave", "ulw", "ulwave"})
            t.emplace(u, WordInfo{Word::Underline});
        // Destinations whose content is not part of the visible text.
        for (std::string_view d :
             {"info", "stylesheet", "pict", "object", "objdata", "header", "headerl", "headerr", "headerf",
              "footer", "footerl", "footerr", "footerf", "levelnumbers", "listname", "liststylename",
              "rsidtbl", "generator", "themedata", "colorschememapping", "latentstyles", "datastore",
              "xmlnstbl", "pgdsctbl", "filetbl", "revtbl", "pnseclvl",
              "nonshppict", "shprslt", "sp", "sn", "sv", "xe", "tc", "tcn", "txe",
              "rxe", "bkmkstart", "bkmkend", "template", "docvar", "userprops", "mmathPr", "listpicture",
              "protusertbl", "nonesttables", "falt", "panose", "fname", "annotation", "atnid", "atnauthor",
              "atndate", "atrfstart", "atrfend", "title", "subject", "author", "operator", "keywords",
              "comment", "doccomm", "company", "category", "manager", "hlinkbase", "ftnsep", "ftnsepc",
              "ftncn", "aftnsep", "aftnsepc", "aftncn", "formfield", "datafield", "background", "defchp",
              "defpap", "passwordhash", "wgrffmtfilter", "htmltag", "mhtmltag", "expandedcolortbl"})
            t.emplace(d, WordInfo{Word::Skip});
        return t;
    }();
    return table;
}

const WordInfo* lookup(std::string_view name) {
    const auto& table = wordTable();
    const auto it = table.find(name);
    return it == table.end() ? nullptr : &it->second;
}

// ---- Reader state ----

enum class Dest : std::uint8_t {
    Text,        // visible text
    FontTable,   // names and code pages of fonts
    ColourTable, // \red\green\blue entries
    Drop,        // read for structure only (the ANSI half of \upr, nested table properties,
                 // drawing objects and shapes around the text of their text boxes)
    ParaNumber,  // an old paragraph number's definition (\pn)
    ParaNumberText, // the text before or after that number (\pntxtb, \pntxta)
    ListTable,   // the list table and the list override table
    LevelText,   // the text of one level of a list (\leveltext)
    FieldInst,   // a field's instruction: only SYMBOL fields give text
};

enum class Script : std::uint8_t { None, Super, Sub };

// Everything a group saves and restores. Plain values only, so that opening a group
// is a cheap copy: fonts and colours are held by their table numbers.
struct State {
    Dest dest = Dest::Text;
    Dest uprOuter = Dest::Text; // what \ud returns to inside \upr
    StyleSet style = 0;
    bool hidden = false;
    Script script = Script::None;
    int uc = 1;
    int colourIndex = -1; // -1: no \cf
    int sizeHalfPoints = DefaultSizeHalfPoints;
    int fontNumber = -1; // -1: the document's default font
    int upTwips = 0;
    // The associated font (\af) that right-to-left runs (\rtlch) and
    // double-byte characters (\dbch) are written in.
    int assocFont = -1;
    bool rightToLeft = false;
    bool doubleByte = false;
    ParaFormat para;
    // The paragraph's number: an old \pn definition (an index into the reader's
    // list), and the list override (\ls) and level of the list table.
    int paraNumber = -1;
    int listOverride = 0;
    int listLevel = 0;
};

// The number or bullet of an old Word 6/95 paragraph (\pn ... {\pntxtb}{\pntxta}).
struct ParaNumberDef {
    bool bullet = false;
    int level = 0; // 1..9 for outline levels, 0 for body numbering
    NumberFormat format = NumberFormat::Decimal;
    int start = 1;
    int font = -1;
    std::u16string before, after;
};

// One level of a list of the list table, and what its text is made of: characters
// and the places of the level numbers (0..8), which \leveltext writes as the
// bytes 0x00..0x08. Bytes are kept as bytes until the level's font is known.
struct ListLevelDef {
    NumberFormat format = NumberFormat::Decimal;
    bool bullet = false;
    int start = 1;
    int font = -1;
    std::vector<std::int32_t> raw; // >= 0: a byte; < 0: -(the UTF-16 unit + 1)
    std::u16string text;           // the text with level places as U+0000..U+0008
};

struct Font {
    std::u16string name;
    int codePage = 0; // 0: the document's
    SymbolFont symbol = SymbolFont::None; // Symbol or Wingdings with \fcharset2
};

struct PendingFont {
    bool active = false;
    std::size_t depth = 0; // the group the entry began in
    int number = 0;
    int charset = -1;
    int codePage = 0;
    std::u16string name;
};

int clampInt(std::int32_t v, int lo, int hi) { return static_cast<int>(std::clamp<std::int32_t>(v, lo, hi)); }

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

class Reader {
public:
    Reader(std::string_view input, RichContent& out) : tokens_(input), out_(out) {}

    void run();

private:
    State& st() { return stack_.back(); }
    const State& st() const { return stack_.back(); }

    // Tokens
    bool handleSkipped(const Token& t); // true when the document ended
    void openGroup();
    bool closeGroup(); // true when the outermost group closed
    void handleWord(const Token& t);
    void handleSymbol(unsigned char symbol);
    void handleHex(unsigned char byte);
    void handleText(std::string_view bytes);
    void startSkip() {
        skipping_ = true;
        skipNesting_ = 0;
        ucSkip_ = 0;
    }

    // Bytes of text in the code page of their font, two at a time in the
    // double-byte code pages; characters of the picture fonts as what they show.
    void textByte(unsigned char byte);
    void fontNameByte(unsigned char byte);
    bool flushLeadByte(); // a lead byte cut off from its trail; true when there was one
    void emitChar32(char32_t c);
    void emitString(std::u16string_view s);
    char16_t mapInFont(int fontNumber, char16_t c, bool isByte);

    // Lists, fields and text boxes
    void writeParagraphNumber();
    std::u16string paraNumberLabel(const ParaNumberDef& def);
    std::u16string listLabel(int listOverride, int level);
    void listTableWord(const WordInfo& info, const Token& t);
    void finishListLevel();
    void finishFieldInst();
    void beginTextBox();

    // Tables
    void beginFont(int number);
    void commitFont();
    int pendingFontCodePage() const;
    void commitColour();
    const Font* fontOf(int number) const;
    int textFontNumber() const;
    int codePageForText();

    // Output
    void emitChar(char16_t c);
    void put(char16_t c);
    void flushHighSurrogate();
    void flushTab();
    void paragraphBreak();
    void cell();
    void endRow();
    void updateFormat();
    void flushText();
    void finish();

    // Notes
    void beginNote();
    void endNote();
    void noteNumber();
    void appendNotes();

    rtf::Tokenizer tokens_;
    RichContent& out_;
    // Where text goes: the document, or the note being read.
    RichContent* target_ = &out_;
    std::vector<State> stack_;
    std::size_t overflowDepth_ = 0; // groups open beyond MaxGroupDepth

    bool skipping_ = false;       // skipping the rest of a group
    std::size_t skipNesting_ = 0; // groups opened inside the skipped one
    bool starPending_ = false;    // \* seen; the next word decides
    int ucSkip_ = 0;              // fallback units still to skip after \uN

    int docCodePage_ = 1252;
    int defaultFont_ = 0;
    std::unordered_map<int, Font> fonts_;
    PendingFont pendingFont_;
    int cachedFontNumber_ = -2; // code page of the last font looked up
    int cachedFontCodePage_ = 0;
    SymbolFont cachedFontSymbol_ = SymbolFont::None;

    std::vector<Colour> colours_;
    bool colourHasValue_ = false;
    int red_ = 0, green_ = 0, blue_ = 0;

    // Text waits here in one format and goes to the content when the format changes.
    std::u16string pending_;
    CharFormat pendingFormat_;
    CharFormat scratchFormat_;
    bool formatDirty_ = true;
    char16_t pendingHigh_ = 0; // a high surrogate waiting for its low half
    bool pendingTab_ = false;  // a cell ended; its tab is written if another cell follows
    bool lastWasCr_ = false;   // to read CR LF written as two characters as one break
    bool paraHasText_ = false;
    ParaFormat lastTextPara_; // paragraph format in force at the last character

    // Footnotes and endnotes in the order of their groups, numbered together from
    // 1. They go to the end of the document; the text keeps each reference mark
    // as its number.
    std::vector<RichContent> notes_;
    std::size_t noteDepth_ = 0; // the depth of the note group being read; 0: none

    unsigned char leadByte_ = 0; // a lead byte of a double-byte character, waiting for its trail
    int leadCodePage_ = 0;
    unsigned char fontLeadByte_ = 0; // the same in a font's name

    // Paragraph numbers: the old definitions (\pn), the list table and its
    // overrides, and the counters of the numbers this reader writes itself.
    std::vector<ParaNumberDef> paraNumbers_;
    ParaNumberDef pnDef_;
    std::size_t pnDepth_ = 0;
    bool pnTextAfter_ = false;
    std::array<int, 10> pnCounters_{};
    struct ListDef {
        int id = 0;
        std::array<ListLevelDef, 9> levels;
        std::size_t levelCount = 0;
    };
    std::vector<ListDef> lists_;
    std::unordered_map<int, int> overrides_; // \ls -> \listid
    std::size_t listDepth_ = 0, levelDepth_ = 0, overrideDepth_ = 0;
    int overrideListId_ = 0, overrideNumber_ = 0;
    std::unordered_map<int, std::array<int, 9>> listCounters_;
    bool paraHasListText_ = false; // the paragraph wrote its own number (\listtext, \pntext)
    bool paraNumbered_ = false;
    bool lastParaNumbered_ = false;
    bool writingNumber_ = false;

    // A SYMBOL field: its instruction, and its result that the character replaces.
    std::string fieldInst_;
    std::size_t fieldInstDepth_ = 0;
    std::size_t symbolFieldDepth_ = 0;
    std::size_t textBoxDepth_ = 0;
    struct DocumentPlace {      // the document's output state while a note is read
        bool pendingTab = false;
        bool lastWasCr = false;
        bool paraHasText = false;
        ParaFormat lastTextPara;
    } documentPlace_;
};

void Reader::run() {
    for (;;) {
        Token t = tokens_.next();
        if (t.kind == TokenKind::End)
            break;
        // A double-byte character's trail is the next byte, written as itself, as
        // \'hh or escaped (\\, \{, \}); anything else cuts the lead byte off.
        if (leadByte_ && t.kind != TokenKind::HexByte && t.kind != TokenKind::Text &&
            !(t.kind == TokenKind::ControlSymbol && (t.byte == '\\' || t.byte == '{' || t.byte == '}')))
            flushLeadByte();
        if (skipping_) {
            if (handleSkipped(t))
                return finish();
            continue;
        }
        if (ucSkip_ > 0) {
            // The fallback of \uN: braces end it; each character, \'hh, control word
            // or symbol and \bin block counts as one.
            if (t.kind == TokenKind::GroupOpen || t.kind == TokenKind::GroupClose) {
                ucSkip_ = 0;
            } else if (t.kind == TokenKind::Text) {
                const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(ucSkip_), t.text.size());
                ucSkip_ -= static_cast<int>(n);
                t.text.remove_prefix(n);
                if (t.text.empty())
                    continue;
            } else {
                --ucSkip_;
                continue;
            }
        }
        if (starPending_) {
            // \* marks a destination to be ignored unless it is understood.
            starPending_ = false;
            const WordInfo* w = t.kind == TokenKind::ControlWord && !t.malformed ? lookup(t.text) : nullptr;
            const auto understood = [](Word word) {
                switch (word) {
                case Word::Ud:
                case Word::NestTableProps:
                case Word::Footnote:
                case Word::Pn:
                case Word::ListTable:
                case Word::ListOverrideTable:
                case Word::FieldInst:
                case Word::DrawingObject:
                case Word::ShapeInstance:
                    return true;
                default:
                    return false;
                }
            };
            if (!w || !understood(w->word)) {
                startSkip();
                if (handleSkipped(t))
                    return finish();
                continue;
            }
        }
        switch (t.kind) {
        case TokenKind::GroupOpen:
            openGroup();
            break;
        case TokenKind::GroupClose:
            if (closeGroup())
                return finish();
            break;
        case TokenKind::ControlWord:
            handleWord(t);
            break;
        case TokenKind::ControlSymbol:
            handleSymbol(t.byte);
            break;
        case TokenKind::HexByte:
            if (!t.malformed)
                handleHex(t.byte);
            break;
        case TokenKind::Text:
            handleText(t.text);
            break;
        case TokenKind::Binary: // picture or object data outside a skipped group
        case TokenKind::End:
            break;
        }
    }
    // The input ended before the outermost group closed: keep what was read.
    finish();
}

bool Reader::handleSkipped(const Token& t) {
    if (t.kind == TokenKind::GroupOpen) {
        ++skipNesting_;
    } else if (t.kind == TokenKind::GroupClose) {
        if (skipNesting_ > 0) {
            --skipNesting_;
        } else {
            skipping_ = false;
            return closeGroup();
        }
    }
    return false;
}

void Reader::openGroup() {
    if (stack_.empty()) {
        stack_.emplace_back();
    } else if (stack_.size() >= MaxGroupDepth) {
        ++overflowDepth_;
    } else {
        stack_.push_back(stack_.back());
    }
}

bool Reader::closeGroup() {
    if (overflowDepth_ > 0) {
        --overflowDepth_;
        return false;
    }
    if (stack_.empty())
        return true;
    const Dest dest = st().dest;
    if (dest == Dest::FontTable) {
        // An entry ends with its group, but not with a group inside it ({\*\panose}).
        if (pendingFont_.active && stack_.size() <= pendingFont_.depth)
            commitFont();
    } else if (dest == Dest::ColourTable) {
        if (colourHasValue_)
            commitColour(); // a last entry without its ';'
        formatDirty_ = true;
    }
    if (noteDepth_ != 0 && stack_.size() == noteDepth_)
        endNote();
    if (stack_.size() == 1)
        return true; // the end of the document; anything after it is ignored
    const std::size_t depth = stack_.size();
    if (levelDepth_ == depth)
        finishListLevel();
    if (overrideDepth_ == depth) {
        if (overrideNumber_ != 0 && overrides_.size() < 100000)
            overrides_[overrideNumber_] = overrideListId_;
        overrideDepth_ = 0;
    }
    if (listDepth_ == depth)
        listDepth_ = 0;
    if (symbolFieldDepth_ == depth)
        symbolFieldDepth_ = 0; // the SYMBOL field ended
    if (textBoxDepth_ == depth) {
        textBoxDepth_ = 0;
        if (paraHasText_)
            paragraphBreak(); // the text after the box goes on in a paragraph of its own
    }
    stack_.pop_back();
    formatDirty_ = true;
    if (pnDepth_ == depth) {
        pnDepth_ = 0;
        // The definition belongs to the paragraph the group is in.
        if (paraNumbers_.empty() || paraNumbers_.size() < 10000)
            paraNumbers_.push_back(pnDef_);
        st().paraNumber = int(paraNumbers_.size()) - 1;
    }
    if (fieldInstDepth_ == depth) {
        fieldInstDepth_ = 0;
        finishFieldInst();
    }
    return false;
}

void Reader::handleWord(const Token& t) {
    if (t.malformed || stack_.empty())
        return;
    const WordInfo* info = lookup(t.text);
    if (!info)
        return;
    State& s = st();
    const std::int32_t p = t.param;
    const bool on = !t.hasParam || p != 0;

    switch (s.dest) {
    case Dest::Drop:
        // Only the words that end the dropped part matter here, and the text of
        // a text box in a drawing object or shape.
        if (info->word == Word::Ud)
            s.dest = s.uprOuter;
        else if (info->word == Word::Row)
            endRow(); // \nestrow inside the nested table properties
        else if (info->word == Word::Skip || info->word == Word::FieldInst)
            startSkip();
        else if ((info->word == Word::TextBoxText || info->word == Word::ShapeText) && noteDepth_ == 0) {
            s.dest = Dest::Text;
            beginTextBox();
        }
        return;
    case Dest::FieldInst:
        if (info->word == Word::Skip)
            startSkip();
        else if (info->word == Word::Unicode)
            ucSkip_ = s.uc;
        return;
    case Dest::ParaNumber:
    case Dest::ParaNumberText:
        switch (info->word) {
        case Word::PnLevelBullet:
            pnDef_.bullet = true;
            break;
        case Word::PnLevelBody:
            pnDef_.level = 0;
            break;
        case Word::PnLevel:
            pnDef_.level = clampInt(p, 1, 9);
            break;
        case Word::PnFormat:
            pnDef_.format = NumberFormat(info->ch);
            break;
        case Word::PnStart:
            pnDef_.start = clampInt(p, 0, 32767);
            break;
        case Word::PnFont:
            pnDef_.font = p;
            break;
        case Word::PnTextBefore:
        case Word::PnTextAfter:
            s.dest = Dest::ParaNumberText;
            pnTextAfter_ = info->word == Word::PnTextAfter;
            break;
        case Word::Unicode:
            if (s.dest == Dest::ParaNumberText && t.hasParam) {
                std::u16string& to = pnTextAfter_ ? pnDef_.after : pnDef_.before;
                if (to.size() < 32)
                    to.push_back(mapInFont(pnDef_.font, char16_t(p < 0 ? p + 65536 : p), false));
                ucSkip_ = s.uc;
            }
            break;
        case Word::UnicodeSkip:
            s.uc = t.hasParam ? clampInt(p, 0, MaxUnicodeSkip) : 1;
            break;
        case Word::Skip:
            startSkip();
            break;
        default:
            break;
        }
        return;
    case Dest::ListTable:
    case Dest::LevelText:
        listTableWord(*info, t);
        return;
    default:
        break;
    }

    switch (info->word) {
    case Word::Ansi:
        docCodePage_ = 1252;
        break;
    case Word::Mac:
        docCodePage_ = MacRomanCodePage;
        break;
    case Word::Pc: // the DOS code pages are not among ours; their letters mostly agree with 1252
        docCodePage_ = 1252;
        break;
    case Word::AnsiCpg:
        if (t.hasParam && p > 0)
            docCodePage_ = p;
        break;
    case Word::Deff:
        defaultFont_ = p;
        cachedFontNumber_ = -2;
        formatDirty_ = true;
        break;

    case Word::Font:
        if (s.dest == Dest::FontTable) {
            beginFont(p);
        } else {
            s.fontNumber = p;
            formatDirty_ = true;
        }
        break;
    case Word::FontCharset:
        if (s.dest == Dest::FontTable && pendingFont_.active)
            pendingFont_.charset = p;
        break;
    case Word::FontCodePage:
        if (s.dest == Dest::FontTable && pendingFont_.active)
            pendingFont_.codePage = p;
        break;
    case Word::Red:
    case Word::Green:
    case Word::Blue:
        if (s.dest == Dest::ColourTable) {
            const int v = clampInt(p, 0, 255);
            (info->word == Word::Red ? red_ : info->word == Word::Green ? green_ : blue_) = v;
            colourHasValue_ = true;
        }
        break;

    case Word::Plain:
        s.style = 0;
        s.hidden = false;
        s.script = Script::None;
        s.colourIndex = -1;
        s.sizeHalfPoints = DefaultSizeHalfPoints;
        s.fontNumber = -1;
        s.upTwips = 0;
        s.assocFont = -1;
        s.rightToLeft = s.doubleByte = false;
        formatDirty_ = true;
        break;
    case Word::Bold:
    case Word::Italic:
    case Word::Underline:
    case Word::Strike: {
        const StyleSet flag = info->word == Word::Bold     ? fsBold
                              : info->word == Word::Italic ? fsItalic
                              : info->word == Word::Underline ? fsUnderline
                                                              : fsStrikeOut;
        s.style = on ? StyleSet(s.style | flag) : StyleSet(s.style & ~flag);
        formatDirty_ = true;
        break;
    }
    case Word::UnderlineNone:
        s.style = StyleSet(s.style & ~fsUnderline);
        formatDirty_ = true;
        break;
    case Word::Hidden:
        s.hidden = on;
        break;
    case Word::FontSize:
        s.sizeHalfPoints = (!t.hasParam || p <= 0) ? DefaultSizeHalfPoints : clampInt(p, 2, MaxSizeHalfPoints);
        formatDirty_ = true;
        break;
    case Word::Colour:
        s.colourIndex = p < 0 ? -1 : p;
        formatDirty_ = true;
        break;
    case Word::Up:
    case Word::Down: {
        // Half-points; without a number the usual 3 points.
        const int halfPoints = t.hasParam ? clampInt(p, -MaxSizeHalfPoints, MaxSizeHalfPoints) : 6;
        s.upTwips = (info->word == Word::Up ? halfPoints : -halfPoints) * 10;
        s.script = Script::None;
        formatDirty_ = true;
        break;
    }
    // \up, \dn, \super and \sub all set the one vertical position: the last wins.
    case Word::Super:
        s.script = on ? Script::Super : Script::None;
        s.upTwips = 0;
        formatDirty_ = true;
        break;
    case Word::Sub:
        s.script = on ? Script::Sub : Script::None;
        s.upTwips = 0;
        formatDirty_ = true;
        break;
    case Word::NoSuperSub:
        s.script = Script::None;
        s.upTwips = 0;
        formatDirty_ = true;
        break;
    case Word::UnicodeSkip:
        s.uc = t.hasParam ? clampInt(p, 0, MaxUnicodeSkip) : 1;
        break;
    case Word::Unicode: {
        if (!t.hasParam)
            break;
        // A signed 16-bit value; writers put characters above U+7FFF as negatives.
        std::int64_t v = p;
        if (v < 0)
            v += 65536;
        char16_t c = (v >= 0 && v <= 0xFFFF) ? static_cast<char16_t>(v) : ReplacementChar;
        if (s.dest == Dest::Text) {
            // Picture fonts are also written as U+F0xx, xx being the byte in the font.
            codePageForText();
            if (const char32_t mapped = symbolfonts::mapCharacter(cachedFontSymbol_, c))
                emitChar32(mapped);
            else
                emitChar(c);
        } else if (s.dest == Dest::FontTable && pendingFont_.active &&
                   pendingFont_.name.size() < MaxGatheredNameLength) {
            pendingFont_.name.push_back(c);
        }
        ucSkip_ = s.uc;
        break;
    }

    case Word::Pard:
        s.para = ParaFormat{};
        s.paraNumber = -1;
        s.listOverride = 0;
        s.listLevel = 0;
        break;
    case Word::AlignLeft:
        s.para.alignment = Alignment::Left;
        break;
    case Word::AlignCenter:
        s.para.alignment = Alignment::Center;
        break;
    case Word::AlignRight:
        s.para.alignment = Alignment::Right;
        break;
    case Word::LeftIndent:
        s.para.startIndentTwips = clampInt(p, -MaxIndentTwips, MaxIndentTwips);
        break;

    case Word::Par:
        if (s.dest == Dest::Text)
            paragraphBreak();
        break;
    case Word::Cell:
        if (s.dest == Dest::Text)
            cell();
        break;
    case Word::Row:
        if (s.dest == Dest::Text)
            endRow();
        break;
    case Word::Char:
        if (s.dest == Dest::Text)
            emitChar(info->ch);
        break;
    case Word::Footnote:
        // A note inside a note, or one outside the text, is not read.
        if (s.dest != Dest::Text || noteDepth_ != 0 || stack_.size() < 2)
            startSkip();
        else
            beginNote();
        break;
    case Word::NoteNumber:
        if (s.dest == Dest::Text)
            noteNumber();
        break;

    case Word::AssocFont:
        s.assocFont = p;
        cachedFontNumber_ = -2;
        break;
    case Word::RtlChar:
    case Word::LtrChar:
        s.rightToLeft = info->word == Word::RtlChar;
        break;
    case Word::DbChar:
    case Word::SbChar:
        s.doubleByte = info->word == Word::DbChar;
        break;

    case Word::Pn:
        if (s.dest == Dest::Text && pnDepth_ == 0) {
            s.dest = Dest::ParaNumber;
            pnDef_ = ParaNumberDef{};
            pnDepth_ = stack_.size();
        } else {
            startSkip();
        }
        break;
    case Word::PnText:
    case Word::ListText:
        // The number the writer put before the paragraph: it is the paragraph's own.
        if (s.dest == Dest::Text) {
            paraHasListText_ = true;
            paraNumbered_ = true;
        }
        break;
    case Word::ListTable:
    case Word::ListOverrideTable:
        s.dest = Dest::ListTable;
        break;
    case Word::ListOverrideNumber:
        s.listOverride = p;
        break;
    case Word::ListLevelNumber:
        s.listLevel = clampInt(p, 0, 8);
        break;
    case Word::FieldInst:
        if (s.dest == Dest::Text && fieldInstDepth_ == 0) {
            s.dest = Dest::FieldInst;
            fieldInst_.clear();
            fieldInstDepth_ = stack_.size();
        } else {
            startSkip();
        }
        break;
    case Word::FieldResult:
        // The result a SYMBOL field's character stands for is not read again.
        if (symbolFieldDepth_ != 0 && stack_.size() == symbolFieldDepth_ + 1)
            startSkip();
        break;
    case Word::DrawingObject:
    case Word::Shape:
    case Word::ShapeInstance:
        s.dest = Dest::Drop;
        s.uprOuter = Dest::Drop;
        break;
    case Word::TextBoxText:
    case Word::ShapeText:
    case Word::PnLevelBullet:
    case Word::PnLevelBody:
    case Word::PnLevel:
    case Word::PnFormat:
    case Word::PnStart:
    case Word::PnFont:
    case Word::PnTextBefore:
    case Word::PnTextAfter:
    case Word::List:
    case Word::ListLevel:
    case Word::ListId:
    case Word::LevelFormat:
    case Word::LevelStart:
    case Word::LevelText:
    case Word::ListOverride:
        break; // outside their own destinations they mean nothing

    case Word::FontTable:
        s.dest = Dest::FontTable;
        break;
    case Word::ColourTable:
        s.dest = Dest::ColourTable;
        colours_.clear();
        colourHasValue_ = false;
        red_ = green_ = blue_ = 0;
        break;
    case Word::Skip:
        startSkip();
        break;
    case Word::Upr:
        s.uprOuter = s.dest;
        s.dest = Dest::Drop;
        break;
    case Word::Ud: // outside \upr: an ordinary group
        break;
    case Word::NestTableProps:
        s.dest = Dest::Drop;
        break;
    }
}

void Reader::handleSymbol(unsigned char symbol) {
    if (stack_.empty())
        return;
    const Dest dest = st().dest;
    switch (symbol) {
    case '*':
        starPending_ = true;
        return;
    case '\r':
    case '\n': // a backslash before a line break is \par (TextEdit writes its breaks so)
        if (dest == Dest::Text)
            paragraphBreak();
        return;
    default:
        break;
    }
    char16_t c = 0;
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        if (leadByte_ && dest == Dest::Text) {
            textByte(symbol); // the trail byte of a double-byte character
            return;
        }
        c = symbol;
        break;
    case '~':
        c = 0x00A0; // no-break space
        break;
    case '_':
        c = 0x2011; // non-breaking hyphen
        break;
    default:
        return; // \- (optional hyphen), \| , \: and unknown symbols show nothing
    }
    if (dest == Dest::Text)
        emitChar(c);
    else if (dest == Dest::FontTable && pendingFont_.active && pendingFont_.name.size() < MaxGatheredNameLength)
        pendingFont_.name.push_back(c);
    else if (dest == Dest::FieldInst && fieldInst_.size() < 256)
        fieldInst_.push_back(static_cast<char>(c));
}

void Reader::handleHex(unsigned char byte) {
    if (stack_.empty())
        return;
    switch (st().dest) {
    case Dest::Text:
        if (!st().hidden)
            textByte(byte);
        return;
    case Dest::FontTable:
        fontNameByte(byte);
        return;
    case Dest::ParaNumberText: {
        std::u16string& to = pnTextAfter_ ? pnDef_.after : pnDef_.before;
        if (to.size() < 32)
            to.push_back(mapInFont(pnDef_.font, byte, true));
        return;
    }
    case Dest::LevelText:
        if (!lists_.empty() && lists_.back().levelCount > 0) {
            auto& raw = lists_.back().levels[lists_.back().levelCount - 1].raw;
            if (raw.size() < 256)
                raw.push_back(byte);
        }
        return;
    case Dest::FieldInst:
        if (fieldInst_.size() < 256)
            fieldInst_.push_back(static_cast<char>(byte));
        return;
    default:
        return;
    }
}

void Reader::handleText(std::string_view bytes) {
    if (stack_.empty())
        return;
    switch (st().dest) {
    case Dest::Text: {
        if (st().hidden)
            return;
        // The font is the same for the whole piece: ASCII outside a picture font
        // goes straight on, everything else through textByte.
        codePageForText();
        const bool plain = cachedFontSymbol_ == SymbolFont::None;
        for (char ch : bytes) {
            const auto byte = static_cast<unsigned char>(ch);
            if (plain && byte < 0x80 && !leadByte_)
                emitChar(byte);
            else
                textByte(byte);
        }
        return;
    }
    case Dest::FontTable:
        for (char ch : bytes) {
            if (ch == ';')
                commitFont();
            else
                fontNameByte(static_cast<unsigned char>(ch));
        }
        return;
    case Dest::ColourTable:
        for (char ch : bytes)
            if (ch == ';')
                commitColour();
        return;
    case Dest::ParaNumberText:
        for (char ch : bytes)
            handleHex(static_cast<unsigned char>(ch));
        return;
    case Dest::LevelText:
        for (char ch : bytes)
            handleHex(static_cast<unsigned char>(ch));
        return;
    case Dest::FieldInst:
        for (char ch : bytes)
            if (fieldInst_.size() < 256)
                fieldInst_.push_back(ch);
        return;
    case Dest::Drop:
    case Dest::ParaNumber:
    case Dest::ListTable:
        return;
    }
}

// ---- Bytes of text ----

void Reader::textByte(unsigned char byte) {
    if (leadByte_) {
        const unsigned char lead = leadByte_;
        leadByte_ = 0;
        if (const char16_t c = codepages::decodePair(lead, byte, leadCodePage_)) {
            emitChar(c);
            return;
        }
        emitChar(ReplacementChar); // no character: the byte after it is read afresh
    }
    const int codePage = codePageForText();
    if (const char32_t mapped = symbolfonts::toUnicode(cachedFontSymbol_, byte)) {
        emitChar32(mapped);
        return;
    }
    if (byte < 0x80) {
        emitChar(byte);
        return;
    }
    int doubleByte = codePage;
    const State& s = st();
    if (!codepages::isDoubleByte(doubleByte) && s.doubleByte && s.assocFont >= 0) {
        // \dbch\afN: double-byte characters are in the associated font.
        if (const Font* f = fontOf(s.assocFont); f && codepages::isDoubleByte(f->codePage))
            doubleByte = f->codePage;
    }
    if (codepages::isLeadByte(byte, doubleByte)) {
        leadByte_ = byte;
        leadCodePage_ = doubleByte;
        return;
    }
    emitChar(decodeByte(byte, codePage));
}

bool Reader::flushLeadByte() {
    if (!leadByte_)
        return false;
    leadByte_ = 0;
    emitChar(ReplacementChar);
    return true;
}

void Reader::fontNameByte(unsigned char byte) {
    if (!pendingFont_.active || pendingFont_.name.size() >= MaxGatheredNameLength)
        return;
    const int codePage = pendingFontCodePage();
    if (fontLeadByte_) {
        const char16_t c = codepages::decodePair(fontLeadByte_, byte, codePage);
        fontLeadByte_ = 0;
        pendingFont_.name.push_back(c ? c : ReplacementChar);
        return;
    }
    if (byte >= 0x80 && codepages::isLeadByte(byte, codePage)) {
        fontLeadByte_ = byte;
        return;
    }
    pendingFont_.name.push_back(decodeByte(byte, codePage));
}

void Reader::emitChar32(char32_t c) {
    std::u16string units;
    symbolfonts::appendUtf16(units, c);
    for (char16_t u : units)
        emitChar(u);
}

void Reader::emitString(std::u16string_view text) {
    for (char16_t c : text)
        emitChar(c);
}

// A character of a list's number or bullet in the font the list gives it.
char16_t Reader::mapInFont(int fontNumber, char16_t c, bool isByte) {
    const Font* font = fontNumber >= 0 ? fontOf(fontNumber) : nullptr;
    const SymbolFont symbol = font ? font->symbol : SymbolFont::None;
    const char32_t mapped = isByte ? symbolfonts::toUnicode(symbol, static_cast<unsigned char>(c))
                                   : symbolfonts::mapCharacter(symbol, c);
    if (mapped && mapped <= 0xFFFF)
        return static_cast<char16_t>(mapped);
    if (mapped)
        return 0x2022; // a picture outside the 16-bit range in a bullet
    if (isByte && c >= 0x80)
        return decodeByte(static_cast<unsigned char>(c), font && font->codePage ? font->codePage : docCodePage_);
    return wordfile::visibleBullet(c);
}

// ---- Font and colour tables ----

void Reader::beginFont(int number) {
    if (pendingFont_.active)
        commitFont(); // the previous entry had no ';'
    pendingFont_ = PendingFont{};
    fontLeadByte_ = 0;
    pendingFont_.active = true;
    pendingFont_.depth = stack_.size();
    pendingFont_.number = number;
}

int Reader::pendingFontCodePage() const {
    if (isKnownCodePage(pendingFont_.codePage))
        return pendingFont_.codePage;
    if (pendingFont_.charset >= 0) {
        if (const int cp = codePageOfCharset(pendingFont_.charset))
            return cp;
    }
    return docCodePage_;
}

void Reader::commitFont() {
    if (!pendingFont_.active)
        return;
    pendingFont_.active = false;
    fontLeadByte_ = 0; // a lead byte at the end of a name has no character
    std::u16string& name = pendingFont_.name;
    const auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    while (!name.empty() && isBlank(name.back()))
        name.pop_back();
    std::size_t lead = 0;
    while (lead < name.size() && isBlank(name[lead]))
        ++lead;
    name.erase(0, lead);
    if (name.size() > MaxFontNameLength) {
        name.resize(MaxFontNameLength);
        if (isHighSurrogate(name.back()))
            name.pop_back(); // never keep half a character
        while (!name.empty() && isBlank(name.back()))
            name.pop_back();
    }

    Font font;
    font.name = std::move(name);
    if (isKnownCodePage(pendingFont_.codePage))
        font.codePage = pendingFont_.codePage;
    else if (pendingFont_.charset >= 0)
        font.codePage = codePageOfCharset(pendingFont_.charset);
    // Only with the symbol character set: the program's own files name any font
    // with \fcharset0, and their text is already the characters it shows.
    if (pendingFont_.charset == 2)
        font.symbol = symbolfonts::named(font.name);
    fonts_.insert_or_assign(pendingFont_.number, std::move(font));
    pendingFont_.name.clear();
    cachedFontNumber_ = -2;
    formatDirty_ = true;
}

void Reader::commitColour() {
    // An entry without any component is the automatic colour (usually the first).
    colours_.push_back(colourHasValue_ ? rgbColour(red_, green_, blue_) : clWindowText);
    colourHasValue_ = false;
    red_ = green_ = blue_ = 0;
}

const Font* Reader::fontOf(int number) const {
    if (const auto it = fonts_.find(number < 0 ? defaultFont_ : number); it != fonts_.end())
        return &it->second;
    if (number >= 0 && number != defaultFont_) {
        if (const auto it = fonts_.find(defaultFont_); it != fonts_.end())
            return &it->second;
    }
    return nullptr;
}

// A right-to-left run is in its associated font (\rtlch\afN), other text in \fN.
int Reader::textFontNumber() const {
    const State& s = st();
    return s.rightToLeft && s.assocFont >= 0 ? s.assocFont : s.fontNumber;
}

int Reader::codePageForText() {
    const int number = textFontNumber();
    if (number != cachedFontNumber_) {
        const Font* font = fontOf(number);
        cachedFontNumber_ = number;
        cachedFontCodePage_ = font ? font->codePage : 0;
        cachedFontSymbol_ = font ? font->symbol : SymbolFont::None;
    }
    return cachedFontCodePage_ ? cachedFontCodePage_ : docCodePage_;
}

// ---- Output ----

// Every character of visible text comes through here.
void Reader::emitChar(char16_t c) {
    if (st().hidden)
        return;
    switch (c) {
    case 0:
        c = text::withoutNul(c); // kept in its place, as a character a save can keep
        break;
    case u'\r':
        paragraphBreak();
        lastWasCr_ = true;
        return;
    case u'\n':
        if (lastWasCr_) {
            lastWasCr_ = false; // the LF of a CR LF already taken
            return;
        }
        paragraphBreak();
        return;
    // Vertical tab, form feed and the line and paragraph separators stay what
    // they are: RTF writes its breaks as \line, \page and \par, so a writer that
    // spells one of these characters out (ours does, for a character the essay
    // holds) means the character itself, and turning it into a break would move
    // every later position of a document saved and loaded again.
    default:
        break;
    }
    lastWasCr_ = false;
    if (isHighSurrogate(c)) {
        flushHighSurrogate();
        pendingHigh_ = c;
        return;
    }
    if (isLowSurrogate(c)) {
        if (pendingHigh_) {
            const char16_t high = pendingHigh_;
            pendingHigh_ = 0;
            put(high);
            put(c);
        } else {
            put(ReplacementChar); // a low half on its own
        }
        return;
    }
    put(c);
}

void Reader::put(char16_t c) {
    flushHighSurrogate();
    flushTab();
    if (!paraHasText_ && !writingNumber_)
        writeParagraphNumber();
    if (formatDirty_)
        updateFormat();
    pending_.push_back(c);
    paraHasText_ = true;
    lastTextPara_ = st().para;
}

void Reader::flushHighSurrogate() {
    if (pendingHigh_) {
        pendingHigh_ = 0;
        put(ReplacementChar); // a high half without its low half
    }
}

void Reader::flushTab() {
    if (pendingTab_) {
        pendingTab_ = false;
        put(u'\t');
    }
}

void Reader::paragraphBreak() {
    flushHighSurrogate();
    flushTab();
    if (formatDirty_)
        updateFormat();
    flushText();
    target_->paragraphs.back() = st().para;
    target_->appendParagraphBreak(pendingFormat_, ParaFormat{});
    if (paraHasText_)
        lastParaNumbered_ = paraNumbered_;
    paraHasText_ = false;
    paraHasListText_ = paraNumbered_ = false;
    lastWasCr_ = false;
}

// Cells are separated by tabs; the tab of the last cell of a row is never written.
void Reader::cell() {
    flushHighSurrogate();
    flushTab();
    pendingTab_ = true;
    lastWasCr_ = false;
}

void Reader::endRow() {
    flushHighSurrogate();
    pendingTab_ = false;
    paragraphBreak();
}

void Reader::updateFormat() {
    const State& s = st();
    CharFormat& f = scratchFormat_;
    // Text without \cf (after \plain, or from the start) has the colour of entry 0,
    // as \cf0 does: an empty entry is the automatic colour, but older rich-text
    // controls list black there and write their plain text with no \cf at all.
    const std::size_t colourIndex = s.colourIndex < 0 ? 0 : static_cast<std::size_t>(s.colourIndex);
    f.colour = colourIndex < colours_.size() ? colours_[colourIndex] : clWindowText;
    f.style = s.style;
    f.sizeHalfPoints = s.sizeHalfPoints;
    static const std::u16string defaultFontName = CharFormat{}.fontName;
    const Font* font = fontOf(s.fontNumber);
    if (font && font->symbol != SymbolFont::None) {
        // Its characters are read as the Unicode characters they show, which
        // the picture font has not: they take the document's own font.
        const Font* plain = fontOf(-1);
        font = plain && plain->symbol == SymbolFont::None ? plain : nullptr;
    }
    f.fontName = (font && !font->name.empty()) ? font->name : defaultFontName;
    // A third of the size, in whole half-points as RTF keeps offsets, so that
    // writing the offset and reading it back gives the same.
    switch (s.script) {
    case Script::Super:
        f.offsetTwips = s.sizeHalfPoints / 3 * 10;
        break;
    case Script::Sub:
        f.offsetTwips = -(s.sizeHalfPoints / 3 * 10);
        break;
    case Script::None:
        f.offsetTwips = s.upTwips;
        break;
    }
    if (f != pendingFormat_) {
        flushText();
        std::swap(pendingFormat_, scratchFormat_);
    }
    formatDirty_ = false;
}

void Reader::flushText() {
    if (pending_.empty())
        return;
    target_->appendText(pending_, pendingFormat_);
    pending_.clear();
}

void Reader::finish() {
    if (!stack_.empty())
        flushLeadByte();
    if (noteDepth_ != 0)
        endNote(); // the document was cut off inside a note
    if (!stack_.empty()) {
        flushHighSurrogate();
        pendingTab_ = false; // a row cut off before its \row
        flushText();
        // The last paragraph has no \par: it takes the format in force at its last
        // character, or at the end of the document when it is empty.
        out_.paragraphs.back() = paraHasText_ ? lastTextPara_ : st().para;
    }
    appendNotes();
}

// ---- Lists, SYMBOL fields and text boxes ----

// At a paragraph's first character: the number or bullet of an old \pn
// definition or of the list table, unless the writer put it there itself.
void Reader::writeParagraphNumber() {
    if (paraHasListText_)
        return;
    const State& s = st();
    std::u16string label;
    if (s.paraNumber >= 0 && std::size_t(s.paraNumber) < paraNumbers_.size())
        label = paraNumberLabel(paraNumbers_[std::size_t(s.paraNumber)]);
    else if (s.listOverride > 0)
        label = listLabel(s.listOverride, s.listLevel);
    else
        return;
    paraNumbered_ = true;
    if (label.empty())
        return;
    writingNumber_ = true;
    emitString(label);
    emitChar(u'\t');
    writingNumber_ = false;
}

std::u16string Reader::paraNumberLabel(const ParaNumberDef& def) {
    if (def.bullet)
        return def.before.empty() ? std::u16string(1, u'\u2022') : def.before;
    if (!lastParaNumbered_)
        pnCounters_.fill(0);
    const std::size_t at = std::size_t(std::clamp(def.level, 0, 9));
    pnCounters_[at] = pnCounters_[at] == 0 ? def.start : pnCounters_[at] + 1;
    for (std::size_t deeper = at + 1; deeper < pnCounters_.size(); ++deeper)
        pnCounters_[deeper] = 0;
    return def.before + wordfile::formatNumber(pnCounters_[at], def.format) + def.after;
}

std::u16string Reader::listLabel(int listOverride, int level) {
    const auto o = overrides_.find(listOverride);
    if (o == overrides_.end())
        return {};
    const auto list = std::find_if(lists_.begin(), lists_.end(), [&](const ListDef& l) { return l.id == o->second; });
    if (list == lists_.end())
        return {};
    const ListLevelDef& def = list->levels[std::size_t(std::clamp(level, 0, 8))];
    auto& counts = listCounters_[listOverride];
    const std::size_t at = std::size_t(std::clamp(level, 0, 8));
    counts[at] = counts[at] == 0 ? def.start : counts[at] + 1;
    for (std::size_t deeper = at + 1; deeper < counts.size(); ++deeper)
        counts[deeper] = 0;
    std::u16string label;
    for (char16_t c : def.text) {
        if (c < 9) {
            if (def.bullet)
                continue;
            const ListLevelDef& of = list->levels[c];
            label += wordfile::formatNumber(counts[c] == 0 ? of.start : counts[c], of.format);
        } else {
            label.push_back(c);
        }
    }
    if (def.bullet && label.empty())
        label = u"\u2022";
    return label;
}

// The list table: lists of nine levels each, and the overrides that paragraphs
// name with \ls.
void Reader::listTableWord(const WordInfo& info, const Token& t) {
    const std::int32_t p = t.param;
    ListLevelDef* level =
        !lists_.empty() && lists_.back().levelCount > 0 && levelDepth_ != 0
            ? &lists_.back().levels[lists_.back().levelCount - 1]
            : nullptr;
    switch (info.word) {
    case Word::List:
        if (lists_.size() < 10000) {
            lists_.emplace_back();
            listDepth_ = stack_.size();
        }
        break;
    case Word::ListLevel:
        if (listDepth_ != 0 && !lists_.empty() && lists_.back().levelCount < 9) {
            ++lists_.back().levelCount;
            levelDepth_ = stack_.size();
        }
        break;
    case Word::ListId:
        if (overrideDepth_ != 0)
            overrideListId_ = p;
        else if (listDepth_ != 0 && !lists_.empty())
            lists_.back().id = p;
        break;
    case Word::ListOverride:
        overrideDepth_ = stack_.size();
        overrideListId_ = overrideNumber_ = 0;
        break;
    case Word::ListOverrideNumber:
        if (overrideDepth_ != 0)
            overrideNumber_ = p;
        break;
    case Word::LevelFormat:
        if (level) {
            level->bullet = p == 23;
            level->format = p == 1    ? NumberFormat::UpperRoman
                            : p == 2  ? NumberFormat::LowerRoman
                            : p == 3  ? NumberFormat::UpperLetter
                            : p == 4  ? NumberFormat::LowerLetter
                            : p == 22 ? NumberFormat::DecimalZero
                            : p == 255 ? NumberFormat::None
                                       : NumberFormat::Decimal;
        }
        break;
    case Word::LevelStart:
        if (level)
            level->start = clampInt(p, 0, 32767);
        break;
    case Word::Font:
        if (level)
            level->font = p;
        break;
    case Word::LevelText:
        if (level) {
            st().dest = Dest::LevelText;
            level->raw.clear();
        }
        break;
    case Word::Unicode:
        if (st().dest == Dest::LevelText && level && t.hasParam) {
            if (level->raw.size() < 256)
                level->raw.push_back(-(std::int32_t(p < 0 ? p + 65536 : p) + 1));
            ucSkip_ = st().uc;
        }
        break;
    case Word::UnicodeSkip:
        st().uc = t.hasParam ? clampInt(p, 0, MaxUnicodeSkip) : 1;
        break;
    case Word::Skip:
        startSkip();
        break;
    default:
        break;
    }
}

// The level's text: its first unit is its length; bytes are read in the level's
// font, the places of the level numbers stay as U+0000..U+0008.
void Reader::finishListLevel() {
    levelDepth_ = 0;
    if (lists_.empty() || lists_.back().levelCount == 0)
        return;
    ListLevelDef& level = lists_.back().levels[lists_.back().levelCount - 1];
    level.text.clear();
    if (level.raw.empty())
        return;
    const std::int32_t first = level.raw[0];
    const std::size_t length = first >= 0 ? std::size_t(first) : std::size_t(-first - 1);
    for (std::size_t i = 1; i < level.raw.size() && i <= length; ++i) {
        const std::int32_t v = level.raw[i];
        if (v >= 0 && v < 9)
            level.text.push_back(char16_t(v));
        else if (v >= 0)
            level.text.push_back(mapInFont(level.font, char16_t(v), true));
        else
            level.text.push_back(mapInFont(level.font, char16_t(-v - 1), false));
    }
    level.raw.clear();
    level.raw.shrink_to_fit();
}

// SYMBOL 183 \f "Symbol" \s 10: the character the field shows, in the text in
// place of the field's result (which writers often leave empty).
void Reader::finishFieldInst() {
    std::string_view in = fieldInst_;
    auto skipBlanks = [&] {
        while (!in.empty() && (in.front() == ' ' || in.front() == '\t'))
            in.remove_prefix(1);
    };
    skipBlanks();
    static constexpr std::string_view Symbol = "SYMBOL";
    if (in.size() < Symbol.size())
        return;
    for (std::size_t i = 0; i < Symbol.size(); ++i)
        if ((in[i] & ~0x20) != Symbol[i])
            return;
    in.remove_prefix(Symbol.size());
    skipBlanks();
    std::uint32_t number = 0;
    bool any = false;
    if (in.size() > 2 && in[0] == '0' && (in[1] == 'x' || in[1] == 'X')) {
        in.remove_prefix(2);
        while (!in.empty() && std::isxdigit(static_cast<unsigned char>(in.front())) && number < 0x110000) {
            const char h = in.front();
            number = number * 16 + std::uint32_t(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
            in.remove_prefix(1);
            any = true;
        }
    } else {
        while (!in.empty() && in.front() >= '0' && in.front() <= '9' && number < 0x110000) {
            number = number * 10 + std::uint32_t(in.front() - '0');
            in.remove_prefix(1);
            any = true;
        }
    }
    if (!any || number == 0 || number >= 0x110000)
        return;
    // The switches: \f "font", \u (Unicode), \j (Shift-JIS), \a and \h, \s size.
    std::string font;
    bool unicode = false, shiftJis = false;
    while (!in.empty()) {
        skipBlanks();
        if (in.size() >= 2 && in[0] == '\\') {
            const char sw = char(in[1] | 0x20);
            in.remove_prefix(2);
            if (sw == 'u')
                unicode = true;
            else if (sw == 'j')
                shiftJis = true;
            else if (sw == 'f') {
                skipBlanks();
                if (!in.empty() && in.front() == '"') {
                    const std::size_t end = in.find('"', 1);
                    font = std::string(in.substr(1, end == std::string_view::npos ? in.npos : end - 1));
                    in.remove_prefix(end == std::string_view::npos ? in.size() : end + 1);
                } else {
                    const std::size_t end = std::min(in.find(' '), in.size());
                    font = std::string(in.substr(0, end));
                    in.remove_prefix(end);
                }
            }
        } else if (!in.empty()) {
            in.remove_prefix(1);
        }
    }
    char32_t c = 0;
    if (unicode)
        c = number;
    else if (const SymbolFont symbol = symbolfonts::named(font); symbol != SymbolFont::None)
        c = symbolfonts::mapCharacter(symbol, number);
    else if (shiftJis && number > 0xFF)
        c = codepages::decodePair(static_cast<unsigned char>(number >> 8), static_cast<unsigned char>(number), 932);
    else if (number <= 0xFF)
        c = decodeByte(static_cast<unsigned char>(number), docCodePage_);
    else
        c = number;
    if (c == 0 || (c >= 0xD800 && c <= 0xDFFF))
        return;
    if (st().dest == Dest::Text)
        emitChar32(c);
    symbolFieldDepth_ = stack_.size();
}

// The text of a text box goes in paragraphs of its own where its drawing object
// or shape is anchored.
void Reader::beginTextBox() {
    if (textBoxDepth_ != 0)
        return;
    if (paraHasText_)
        paragraphBreak();
    textBoxDepth_ = stack_.size();
}

// ---- Footnotes and endnotes ----

void Reader::beginNote() {
    flushHighSurrogate();
    if (formatDirty_)
        updateFormat();
    flushText();
    documentPlace_ = DocumentPlace{pendingTab_, lastWasCr_, paraHasText_, lastTextPara_};
    pendingTab_ = lastWasCr_ = paraHasText_ = false;
    notes_.emplace_back();
    target_ = &notes_.back();
    noteDepth_ = stack_.size();
}

void Reader::endNote() {
    flushHighSurrogate();
    pendingTab_ = false;
    if (formatDirty_)
        updateFormat();
    flushText();
    target_->paragraphs.back() = paraHasText_ ? lastTextPara_ : st().para;
    target_ = &out_;
    noteDepth_ = 0;
    pendingTab_ = documentPlace_.pendingTab;
    lastWasCr_ = documentPlace_.lastWasCr;
    paraHasText_ = documentPlace_.paraHasText;
    lastTextPara_ = documentPlace_.lastTextPara;
    formatDirty_ = true;
}

// The automatic number of a note. In the text it is the reference mark, written
// as the number of the note that follows it; inside the note it only repeats the
// mark, which appendNotes writes as "n. " instead.
void Reader::noteNumber() {
    if (noteDepth_ != 0)
        return;
    for (char c : std::to_string(notes_.size() + 1))
        emitChar(static_cast<char16_t>(c));
}

// Each note becomes a paragraph at the end of the document (see appendNotes).
void Reader::appendNotes() { tallix::appendNotes(out_, std::move(notes_), pendingFormat_); }

} // namespace

RtfReadResult readRtf(std::string_view bytes, RichContent& out) {
    out = RichContent{};
    if (!looksLikeRtf(bytes))
        return RtfReadResult{false, "The data is not RTF: it does not begin with {\\rtf."};
    Reader reader(bytes, out);
    reader.run();
    return RtfReadResult{true, {}};
}

bool looksLikeRtf(std::string_view bytes) { return bytes.substr(0, 5) == "{\\rtf"; }

} // namespace tallix
