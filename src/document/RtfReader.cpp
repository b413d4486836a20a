#include "document/RtfReader.h"

#include "platform/CodePages.h"
#include "document/RtfTokenizer.h"
#include "platform/TextCodec.h"

#include <algorithm>
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

// Symbol fonts put their pictures on byte values; the bullets that list numbering
// writes in them (\listtext, \pntext) are mapped to the characters a reader sees.
enum class SymbolFont : std::uint8_t { None, Symbol, Wingdings };

bool symbolChar(SymbolFont font, unsigned char byte, char16_t& c) {
    switch (font) {
    case SymbolFont::Symbol:
        if (byte == 0xB7) {
            c = 0x2022; // bullet
            return true;
        }
        return false;
    case SymbolFont::Wingdings:
        switch (byte) {
        case 0xA7: c = 0x25AA; return true; // small square
        case 0xD8: c = 0x27A2; return true; // arrowhead
        case 0xFC: c = 0x2713; return true; // check mark
        default: return false;
        }
    case SymbolFont::None:
        break;
    }
    return false;
}

bool equalsAsciiNoCase(std::u16string_view a, std::string_view b) {
    if (a.size() < b.size())
        return false;
    for (std::size_t i = 0; i < b.size(); ++i) {
        char16_t x = a[i];
        if (x >= u'A' && x <= u'Z')
            x = static_cast<char16_t>(x - u'A' + u'a');
        char y = b[i];
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != static_cast<unsigned char>(y))
            return false;
    }
    return true;
}

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
    // destinations
    FontTable, ColourTable, Skip, Upr, Ud, NestTableProps,
};

struct WordInfo {
    Word word;
    char16_t ch = 0; // for Word::Char
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
        };
        // Every underline kind reads as underline.
        for (std::string_view u : {"uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash",
                                   "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash",
                                   "ululdbwave", "ulw", "ulwave"})
            t.emplace(u, WordInfo{Word::Underline});
        // Destinations whose content is not part of the visible text.
        for (std::string_view d :
             {"info", "stylesheet", "pict", "object", "objdata", "header", "headerl", "headerr", "headerf",
              "footer", "footerl", "footerr", "footerf", "listtable", "listoverridetable",
              "rsidtbl", "generator", "themedata", "colorschememapping", "latentstyles", "datastore",
              "xmlnstbl", "pgdsctbl", "fldinst", "filetbl", "revtbl", "pn", "pnseclvl", "pntxta", "pntxtb",
              "nonshppict", "shp", "shpinst", "shprslt", "sp", "sn", "sv", "do", "xe", "tc", "tcn", "txe",
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
    Drop,        // read for structure only (the ANSI half of \upr, nested table properties)
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
    ParaFormat para;
};

struct Font {
    std::u16string name;
    int codePage = 0; // 0: the document's
    SymbolFont symbol = SymbolFont::None;
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

    // Tables
    void beginFont(int number);
    void commitFont();
    int pendingFontCodePage() const;
    void commitColour();
    const Font* fontOf(int number) const;
    int codePageForText();
    char16_t decodeTextByte(unsigned char byte);

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
            if (!w || (w->word != Word::Ud && w->word != Word::NestTableProps && w->word != Word::Footnote)) {
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
    stack_.pop_back();
    formatDirty_ = true;
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

    if (s.dest == Dest::Drop) {
        // Only the words that end the dropped part matter here.
        if (info->word == Word::Ud)
            s.dest = s.uprOuter;
        else if (info->word == Word::Row)
            endRow(); // \nestrow inside the nested table properties
        else if (info->word == Word::Skip)
            startSkip();
        return;
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
            // Symbol fonts are also written as U+F0xx, xx being the byte in the font.
            if (c >= 0xF000 && c <= 0xF0FF) {
                codePageForText();
                char16_t mapped = 0;
                if (symbolChar(cachedFontSymbol_, static_cast<unsigned char>(c & 0xFF), mapped))
                    c = mapped;
            }
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
}

void Reader::handleHex(unsigned char byte) {
    if (stack_.empty())
        return;
    const Dest dest = st().dest;
    if (dest == Dest::Text) {
        emitChar(decodeTextByte(byte));
    } else if (dest == Dest::FontTable && pendingFont_.active &&
               pendingFont_.name.size() < MaxGatheredNameLength) {
        pendingFont_.name.push_back(decodeByte(byte, pendingFontCodePage()));
    }
}

void Reader::handleText(std::string_view bytes) {
    if (stack_.empty())
        return;
    switch (st().dest) {
    case Dest::Text:
        if (st().hidden)
            return;
        for (char ch : bytes) {
            const auto byte = static_cast<unsigned char>(ch);
            emitChar(byte < 0x80 ? char16_t(byte) : decodeTextByte(byte));
        }
        return;
    case Dest::FontTable:
        for (char ch : bytes) {
            if (ch == ';') {
                commitFont();
            } else if (pendingFont_.active && pendingFont_.name.size() < MaxGatheredNameLength) {
                pendingFont_.name.push_back(decodeByte(static_cast<unsigned char>(ch), pendingFontCodePage()));
            }
        }
        return;
    case Dest::ColourTable:
        for (char ch : bytes)
            if (ch == ';')
                commitColour();
        return;
    case Dest::Drop:
        return;
    }
}

// ---- Font and colour tables ----

void Reader::beginFont(int number) {
    if (pendingFont_.active)
        commitFont(); // the previous entry had no ';'
    pendingFont_ = PendingFont{};
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
    if (pendingFont_.charset == 2) {
        if (equalsAsciiNoCase(font.name, "symbol") && font.name.size() == 6)
            font.symbol = SymbolFont::Symbol;
        else if (equalsAsciiNoCase(font.name, "wingdings"))
            font.symbol = SymbolFont::Wingdings;
    }
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

int Reader::codePageForText() {
    const int number = st().fontNumber;
    if (number != cachedFontNumber_) {
        const Font* font = fontOf(number);
        cachedFontNumber_ = number;
        cachedFontCodePage_ = font ? font->codePage : 0;
        cachedFontSymbol_ = font ? font->symbol : SymbolFont::None;
    }
    return cachedFontCodePage_ ? cachedFontCodePage_ : docCodePage_;
}

char16_t Reader::decodeTextByte(unsigned char byte) {
    const int codePage = codePageForText();
    char16_t c = 0;
    if (cachedFontSymbol_ != SymbolFont::None && symbolChar(cachedFontSymbol_, byte, c))
        return c;
    return decodeByte(byte, codePage);
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
    paraHasText_ = false;
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
