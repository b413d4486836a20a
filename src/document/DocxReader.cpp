#include "document/DocxReader.h"

#include "document/OdtReader.h"
#include "document/SymbolFonts.h"
#include "platform/TextCodec.h"
#include "document/WordOutput.h"
#include "document/ZipXml.h"

#include <array>
#include <charconv>
#include <deque>
#include <map>
#include <optional>
#include <unordered_map>

namespace tallix {

namespace {

using zipxml::XmlAttribute;
using Attrs = std::vector<XmlAttribute>;
using wordfile::FlowWriter;
using wordfile::NumberFormat;

int toInt(std::string_view s, int fallback = 0) {
    while (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    long long v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p == s.data())
        return fallback;
    return int(std::clamp(v, -1000000000LL, 1000000000LL));
}

// w:b, w:i and the other switches: on unless their value says off.
bool switchOn(const Attrs& a) {
    const std::string_view v = zipxml::attribute(a, "w:val");
    return !(v == "0" || v == "false" || v == "off");
}

std::u16string fontName(std::string_view utf8) {
    std::u16string n = text::fromUtf8(utf8);
    if (n.size() > MaxFontNameLength)
        n.resize(MaxFontNameLength);
    return n;
}

// ------------------------------------------------------------------ properties

struct RunProps {
    std::optional<bool> bold, italic, underline, strike, hidden;
    std::optional<int> sizeHalfPoints;
    std::optional<std::u16string> font;
    std::optional<int> script; // 0 baseline, 1 superscript, -1 subscript
    std::optional<int> positionHalfPoints;

    void over(const RunProps& o) {
        auto take = [](auto& mine, const auto& theirs) {
            if (theirs)
                mine = theirs;
        };
        take(bold, o.bold);
        take(italic, o.italic);
        take(underline, o.underline);
        take(strike, o.strike);
        take(hidden, o.hidden);
        take(sizeHalfPoints, o.sizeHalfPoints);
        take(font, o.font);
        take(script, o.script);
        take(positionHalfPoints, o.positionHalfPoints);
    }
};

struct ParaProps {
    std::optional<Alignment> alignment;
    std::optional<int> indentTwips;
    std::optional<int> numId;
    std::optional<int> level;

    void over(const ParaProps& o) {
        if (o.alignment)
            alignment = o.alignment;
        if (o.indentTwips)
            indentTwips = o.indentTwips;
        if (o.numId)
            numId = o.numId;
        if (o.level)
            level = o.level;
    }
};

struct ThemeFonts {
    std::u16string major, minor;
};

void applyRunProperty(std::string_view name, const Attrs& a, RunProps& r, const ThemeFonts& theme) {
    if (name == "w:b")
        r.bold = switchOn(a);
    else if (name == "w:i")
        r.italic = switchOn(a);
    else if (name == "w:strike" || name == "w:dstrike")
        r.strike = switchOn(a);
    else if (name == "w:vanish")
        r.hidden = switchOn(a);
    else if (name == "w:u") {
        const std::string_view v = zipxml::attribute(a, "w:val");
        r.underline = !(v == "none" || v == "0" || v == "false");
    } else if (name == "w:sz") {
        if (zipxml::hasAttribute(a, "w:val"))
            r.sizeHalfPoints = std::clamp(toInt(zipxml::attribute(a, "w:val"), 24), 2, 3276);
    } else if (name == "w:rFonts") {
        const std::string_view themed = zipxml::attribute(a, "w:asciiTheme");
        const std::u16string* fromTheme = nullptr;
        if (themed.starts_with("major") && !theme.major.empty())
            fromTheme = &theme.major;
        else if (themed.starts_with("minor") && !theme.minor.empty())
            fromTheme = &theme.minor;
        if (fromTheme)
            r.font = *fromTheme;
        else if (std::string_view f = zipxml::attribute(a, "w:ascii"); !f.empty())
            r.font = fontName(f);
        else if (std::string_view h = zipxml::attribute(a, "w:hAnsi"); !h.empty())
            r.font = fontName(h);
    } else if (name == "w:vertAlign") {
        const std::string_view v = zipxml::attribute(a, "w:val");
        r.script = v == "superscript" ? 1 : v == "subscript" ? -1 : 0;
    } else if (name == "w:position") {
        r.positionHalfPoints = std::clamp(toInt(zipxml::attribute(a, "w:val")), -3276, 3276);
    }
}

void applyParaProperty(std::string_view name, const Attrs& a, ParaProps& p) {
    if (name == "w:jc") {
        const std::string_view v = zipxml::attribute(a, "w:val");
        p.alignment = v == "center"                ? Alignment::Center
                      : (v == "right" || v == "end") ? Alignment::Right
                                                     : Alignment::Left;
    } else if (name == "w:ind") {
        std::string_view v = zipxml::attribute(a, "w:left");
        if (v.empty())
            v = zipxml::attribute(a, "w:start");
        if (!v.empty())
            p.indentTwips = wordfile::clampTwips(toInt(v));
    } else if (name == "w:ilvl") {
        p.level = std::clamp(toInt(zipxml::attribute(a, "w:val")), 0, 8);
    } else if (name == "w:numId") {
        p.numId = toInt(zipxml::attribute(a, "w:val"));
    }
}

CharFormat toCharFormat(const RunProps& r) {
    CharFormat f;
    f.style = StyleSet((r.bold.value_or(false) ? fsBold : 0) | (r.italic.value_or(false) ? fsItalic : 0) |
                       (r.underline.value_or(false) ? fsUnderline : 0) |
                       (r.strike.value_or(false) ? fsStrikeOut : 0));
    // Without a size or font anywhere, Word shows 10 points in Times New Roman.
    f.sizeHalfPoints = r.sizeHalfPoints.value_or(20);
    f.fontName = r.font.value_or(u"Times New Roman");
    const int script = r.script.value_or(0);
    if (script != 0) // a third of the size, as the RTF reader raises \super
        f.offsetTwips = script * (f.sizeHalfPoints / 3 * 10);
    else
        f.offsetTwips = r.positionHalfPoints.value_or(0) * 10;
    return f;
}

ParaFormat toParaFormat(const ParaProps& p) {
    ParaFormat f;
    f.alignment = p.alignment.value_or(Alignment::Left);
    f.startIndentTwips = p.indentTwips.value_or(0);
    return f;
}

// Collects the properties inside w:rPr and w:pPr of a part, leaving out the old
// properties kept by tracked format changes.
class PropertyReader {
public:
    explicit PropertyReader(const ThemeFonts& theme) : theme_(theme) {}

    // Feeds one element; returns true when it was a property (or inside one).
    bool start(std::string_view name, const Attrs& a, RunProps* r, ParaProps* p) {
        if (ignore_ > 0) {
            ++ignore_;
            return true;
        }
        if (name == "w:rPrChange" || name == "w:pPrChange" || name == "w:tabs" ||
            name == "w:numberingChange" || name == "w:sectPr") {
            ignore_ = 1;
            return true;
        }
        if (r)
            applyRunProperty(name, a, *r, theme_);
        if (p)
            applyParaProperty(name, a, *p);
        return true;
    }
    void end() {
        if (ignore_ > 0)
            --ignore_;
    }

private:
    const ThemeFonts& theme_;
    int ignore_ = 0;
};

// ------------------------------------------------------------------ theme and styles

class ThemeHandler : public zipxml::XmlHandler {
public:
    explicit ThemeHandler(ThemeFonts& t) : t_(t) {}
    void startElement(std::string_view name, const Attrs& a) override {
        if (name == "a:majorFont")
            which_ = &t_.major;
        else if (name == "a:minorFont")
            which_ = &t_.minor;
        else if (name == "a:latin" && which_ && which_->empty())
            *which_ = fontName(zipxml::attribute(a, "typeface"));
    }
    void endElement(std::string_view name) override {
        if (name == "a:majorFont" || name == "a:minorFont")
            which_ = nullptr;
    }
    void characters(std::string_view) override {}

private:
    ThemeFonts& t_;
    std::u16string* which_ = nullptr;
};

struct Style {
    std::string basedOn;
    RunProps run;
    ParaProps para;
};

struct Styles {
    RunProps defaultRun;
    ParaProps defaultPara;
    std::unordered_map<std::string, Style> paragraph, character;
    std::string defaultParagraphStyle;

    // A style's properties with those of the styles it is based on beneath them.
    template <typename Props>
    Props resolve(const std::unordered_map<std::string, Style>& table, const std::string& id,
                  Props Style::*member) const {
        std::vector<const Style*> chain;
        std::string at = id;
        while (!at.empty() && chain.size() < 32) { // a cycle of basedOn ends here
            auto it = table.find(at);
            if (it == table.end())
                break;
            chain.push_back(&it->second);
            at = it->second.basedOn;
        }
        Props p;
        for (auto s = chain.rbegin(); s != chain.rend(); ++s)
            p.over((*s)->*member);
        return p;
    }
};

class StylesHandler : public zipxml::XmlHandler {
public:
    StylesHandler(Styles& s, const ThemeFonts& theme) : s_(s), props_(theme) {}
    void startElement(std::string_view name, const Attrs& a) override {
        if (inProps_) {
            ++inProps_;
            props_.start(name, a, run_, para_);
            return;
        }
        if (name == "w:style") {
            const std::string_view type = zipxml::attribute(a, "w:type");
            auto& table = type == "character" ? s_.character : s_.paragraph;
            const std::string id(zipxml::attribute(a, "w:styleId"));
            if (type == "paragraph" || type == "character") {
                style_ = &table[id];
                *style_ = Style{};
                const std::string_view isDefault = zipxml::attribute(a, "w:default");
                if (type == "paragraph" && (isDefault == "1" || isDefault == "true" || isDefault == "on") &&
                    s_.defaultParagraphStyle.empty())
                    s_.defaultParagraphStyle = id;
            } else {
                style_ = nullptr;
            }
        } else if (name == "w:basedOn" && style_) {
            style_->basedOn = std::string(zipxml::attribute(a, "w:val"));
        } else if (name == "w:rPr" || name == "w:pPr") {
            run_ = nullptr;
            para_ = nullptr;
            const bool run = name == "w:rPr";
            if (style_)
                run ? void(run_ = &style_->run) : void(para_ = &style_->para);
            else if (inDefaults_)
                run ? void(run_ = &s_.defaultRun) : void(para_ = &s_.defaultPara);
            inProps_ = 1;
            return;
        } else if (name == "w:docDefaults") {
            inDefaults_ = true;
        }
    }
    void endElement(std::string_view name) override {
        if (inProps_) {
            if (--inProps_ > 0)
                props_.end();
            return;
        }
        if (name == "w:style")
            style_ = nullptr;
        else if (name == "w:docDefaults")
            inDefaults_ = false;
    }
    void characters(std::string_view) override {}

private:
    Styles& s_;
    PropertyReader props_;
    Style* style_ = nullptr;
    RunProps* run_ = nullptr;
    ParaProps* para_ = nullptr;
    int inProps_ = 0;
    bool inDefaults_ = false;
};

// ------------------------------------------------------------------ numbering

struct Level {
    int start = 1;
    NumberFormat format = NumberFormat::Decimal;
    bool bullet = false;
    std::u16string text = u"%1.";
    ParaProps para;
    RunProps run; // the number's font: a bullet may be a character of a picture font
};

struct AbstractList {
    std::array<Level, 9> levels;
};

struct ListInstance {
    std::string abstractId;
    std::array<std::optional<int>, 9> startOverride;
};

struct Numbering {
    std::unordered_map<std::string, AbstractList> abstracts;
    std::unordered_map<int, ListInstance> lists;

    const Level* level(int numId, int ilvl) const {
        auto l = lists.find(numId);
        if (l == lists.end())
            return nullptr;
        auto a = abstracts.find(l->second.abstractId);
        if (a == abstracts.end())
            return nullptr;
        return &a->second.levels[std::size_t(std::clamp(ilvl, 0, 8))];
    }
};

NumberFormat numberFormatOf(std::string_view v, bool& bullet) {
    bullet = v == "bullet";
    if (v == "decimalZero")
        return NumberFormat::DecimalZero;
    if (v == "lowerLetter")
        return NumberFormat::LowerLetter;
    if (v == "upperLetter")
        return NumberFormat::UpperLetter;
    if (v == "lowerRoman")
        return NumberFormat::LowerRoman;
    if (v == "upperRoman")
        return NumberFormat::UpperRoman;
    if (v == "none")
        return NumberFormat::None;
    return NumberFormat::Decimal;
}

class NumberingHandler : public zipxml::XmlHandler {
public:
    NumberingHandler(Numbering& n, const ThemeFonts& theme) : n_(n), props_(theme) {}
    void startElement(std::string_view name, const Attrs& a) override {
        if (inPPr_) {
            ++inPPr_;
            props_.start(name, a, inRPr_ ? &level_->run : nullptr, inRPr_ ? nullptr : &level_->para);
            return;
        }
        if (name == "w:abstractNum") {
            abstract_ = &n_.abstracts[std::string(zipxml::attribute(a, "w:abstractNumId"))];
        } else if (name == "w:num") {
            list_ = &n_.lists[toInt(zipxml::attribute(a, "w:numId"), -1)];
        } else if (name == "w:abstractNumId" && list_) {
            list_->abstractId = std::string(zipxml::attribute(a, "w:val"));
        } else if (name == "w:lvlOverride" && list_) {
            overrideLevel_ = std::clamp(toInt(zipxml::attribute(a, "w:ilvl")), 0, 8);
        } else if (name == "w:startOverride" && list_ && overrideLevel_ >= 0) {
            list_->startOverride[std::size_t(overrideLevel_)] = toInt(zipxml::attribute(a, "w:val"), 1);
        } else if (name == "w:lvl" && abstract_) {
            level_ = &abstract_->levels[std::size_t(std::clamp(toInt(zipxml::attribute(a, "w:ilvl")), 0, 8))];
        } else if (level_ && name == "w:start") {
            level_->start = toInt(zipxml::attribute(a, "w:val"), 1);
        } else if (level_ && name == "w:numFmt") {
            level_->format = numberFormatOf(zipxml::attribute(a, "w:val"), level_->bullet);
        } else if (level_ && name == "w:lvlText") {
            level_->text = text::fromUtf8(zipxml::attribute(a, "w:val"));
        } else if (level_ && (name == "w:pPr" || name == "w:rPr")) {
            inPPr_ = 1;
            inRPr_ = name == "w:rPr";
        }
    }
    void endElement(std::string_view name) override {
        if (inPPr_) {
            if (--inPPr_ > 0)
                props_.end();
            return;
        }
        if (name == "w:abstractNum")
            abstract_ = nullptr;
        else if (name == "w:num")
            list_ = nullptr;
        else if (name == "w:lvl")
            level_ = nullptr;
        else if (name == "w:lvlOverride")
            overrideLevel_ = -1;
    }
    void characters(std::string_view) override {}

private:
    Numbering& n_;
    PropertyReader props_;
    AbstractList* abstract_ = nullptr;
    ListInstance* list_ = nullptr;
    Level* level_ = nullptr;
    int overrideLevel_ = -1;
    int inPPr_ = 0; // inside the level's w:pPr, or its w:rPr when inRPr_
    bool inRPr_ = false;
};

// ------------------------------------------------------------------ the text

struct NoteKey {
    bool endnote = false;
    int id = 0;
    friend auto operator<=>(const NoteKey&, const NoteKey&) = default;
};

struct Shared {
    ThemeFonts theme;
    Styles styles;
    Numbering numbering;
    // Counters of every list instance's nine levels; 0 for a level not yet begun.
    std::unordered_map<int, std::array<int, 9>> counters;
    // Notes in the order the text refers to them, numbered together from 1.
    std::map<NoteKey, std::size_t> noteIndex;
    std::vector<RichContent> notes;
};

// Deletions, old versions, instructions and what is not text: elements whose
// content is never read. (None has a name as short as the paragraph, run and
// text elements, which pass at once.)
bool skippedElement(std::string_view name) {
    if (name.size() < 5)
        return false;
    return name == "w:del" || name == "w:moveFrom" || name == "w:delText" || name == "w:instrText" ||
           name == "w:sdtPr" || name == "w:sdtEndPr" || name == "w:object" || name == "mc:Fallback" ||
           name == "w:fldData" || name == "w:sectPr" || name == "w:tblPr" || name == "w:tblGrid" ||
           name == "w:tcPr" || name == "w:ffData" || name == "w:tblPrEx" || name == "w:customXmlPr" ||
           name == "w:smartTagPr";
}

// Reads the flow of w:body, or of every note of w:footnotes or w:endnotes.
class TextHandler : public zipxml::XmlHandler {
public:
    TextHandler(Shared& shared, RichContent* body)
        : sh_(shared), props_(shared.theme), body_(body) {
        if (body_)
            writer_.emplace(*body_);
    }

    void startElement(std::string_view name, const Attrs& a) override {
        if (skip_ > 0) {
            ++skip_;
            return;
        }
        // A drawing or picture (a text box, a shape, an image) shows nothing but
        // the text of its text box (w:txbxContent), read as a flow of its own.
        if (drawing_ > 0 && box_ == 0) {
            ++drawing_;
            if (name == "w:txbxContent" && writer_)
                beginBox();
            return;
        }
        if (box_ > 0)
            ++box_;
        if ((name == "w:drawing" || name == "w:pict") && inProps_ == 0) {
            if (box_ > 0) { // a text box in a text box: not read
                skip_ = 1;
            } else {
                drawing_ = 1;
            }
            return;
        }
        if (inProps_ > 0) {
            ++inProps_;
            if (inParaMarkProps_ && name == "w:del")
                markDeleted_ = true;
            if (inRowProps_ && name == "w:del")
                rowDeleted_ = true;
            if (name == "w:rPr" && inPPr_) {
                inParaMarkProps_ = true;
                markDepth_ = inProps_;
                props_.start(name, a, nullptr, nullptr);
                return;
            }
            if (inParaMarkProps_)
                props_.start(name, a, &markRun_, nullptr);
            else if (inPPr_)
                props_.start(name, a, nullptr, &para_);
            else if (inRPr_)
                props_.start(name, a, &run_, nullptr);
            return;
        }
        // Deletions, old versions, instructions and what is not text.
        if (skippedElement(name) || (rowDeleted_ && name == "w:tc")) {
            skip_ = 1;
            return;
        }
        if (!writer_) { // the notes part: only the notes the text refers to
            if (name == "w:footnote" || name == "w:endnote") {
                const NoteKey key{name == "w:endnote", toInt(zipxml::attribute(a, "w:id"), -1)};
                auto it = sh_.noteIndex.find(key);
                if (it == sh_.noteIndex.end()) {
                    skip_ = 1;
                    return;
                }
                writer_.emplace(sh_.notes[it->second]);
                noteDepth_ = 1;
            }
            return;
        }
        if (noteDepth_ > 0)
            ++noteDepth_;

        if (name == "w:p") {
            para_ = ParaProps{};
            markRun_ = RunProps{};
            markDeleted_ = false;
            paraBegun_ = false;
            pStyle_.clear();
        } else if (name == "w:pPr") {
            inProps_ = 1;
            inPPr_ = true;
        } else if (name == "w:r") {
            beginParagraph();
            run_ = RunProps{};
            rStyle_.clear();
            runReady_ = false;
        } else if (name == "w:rPr") {
            inProps_ = 1;
            inRPr_ = true;
        } else if (name == "w:t") {
            inT_ = true;
        } else if (name == "w:tab" || name == "w:ptab") {
            emit(u"\t");
        } else if (name == "w:br" || name == "w:cr") {
            if (shown()) {
                beginParagraph();
                if (zipxml::attribute(a, "w:type") == "page")
                    writer_->pageBreak(runFormat());
                else
                    writer_->lineBreak(runFormat());
            }
        } else if (name == "w:sym") {
            const std::string_view hex = zipxml::attribute(a, "w:char");
            unsigned v = 0;
            std::from_chars(hex.data(), hex.data() + hex.size(), v, 16);
            const std::string_view font = zipxml::attribute(a, "w:font");
            const char32_t mapped = symbolfonts::mapCharacter(symbolfonts::named(font), v);
            if (!mapped && v >= 0xF000 && v <= 0xF0FF)
                v -= 0xF000;
            if ((mapped || (v >= 0x20 && v <= 0xFFFF && (v < 0xD800 || v > 0xDFFF))) && shown()) {
                beginParagraph();
                CharFormat f = runFormat();
                std::u16string c;
                if (mapped) {
                    // The character the picture font shows, in a font that has it.
                    symbolfonts::appendUtf16(c, mapped);
                    f.fontName = plainFontName();
                } else {
                    c.push_back(char16_t(v));
                    if (!font.empty())
                        f.fontName = fontName(font);
                }
                if (!runHidden_)
                    writer_->text(c, f);
            }
        } else if (name == "w:noBreakHyphen") {
            emit(u"\u2011");
        } else if (name == "w:fldChar") {
            const std::string_view type = zipxml::attribute(a, "w:fldCharType");
            if (type == "begin")
                fields_.push_back(false);
            else if (type == "separate" && !fields_.empty())
                fields_.back() = true;
            else if (type == "end" && !fields_.empty())
                fields_.pop_back();
        } else if (name == "w:footnoteReference" || name == "w:endnoteReference") {
            if (body_ && shown()) {
                const NoteKey key{name == "w:endnoteReference", toInt(zipxml::attribute(a, "w:id"), -1)};
                auto [it, added] = sh_.noteIndex.emplace(key, sh_.notes.size());
                if (added)
                    sh_.notes.emplace_back();
                const std::string number = std::to_string(it->second + 1);
                emit(std::u16string(number.begin(), number.end()));
            }
        } else if (name == "w:tr") {
            rowDeleted_ = false;
        } else if (name == "w:trPr") {
            inProps_ = 1;
            inRowProps_ = true;
        }
    }

    void endElement(std::string_view name) override {
        if (skip_ > 0) {
            // The element that began the skip was counted in the box.
            if (--skip_ == 0 && box_ > 0)
                --box_;
            return;
        }
        if (box_ > 0 && --box_ == 0) { // the end of w:txbxContent
            endBox();
            --drawing_;
            return;
        }
        if (drawing_ > 0 && box_ == 0) {
            --drawing_;
            return;
        }
        if (inProps_ > 0) {
            if (inParaMarkProps_ && inProps_ == markDepth_)
                inParaMarkProps_ = false;
            if (--inProps_ == 0) {
                inPPr_ = inRPr_ = inRowProps_ = inParaMarkProps_ = false;
            } else {
                props_.end();
            }
            return;
        }
        if (!writer_)
            return;
        if (noteDepth_ > 0 && --noteDepth_ == 0) {
            writer_.reset();
            return;
        }
        if (name == "w:p") {
            beginParagraph();
            if (!markDeleted_)
                writer_->endParagraph(markFormat());
            if (box_ == 0)
                flushBoxes();
        } else if (name == "w:t") {
            inT_ = false;
        } else if (name == "w:tc") {
            writer_->endCell(markFormat());
        } else if (name == "w:tr") {
            if (!rowDeleted_)
                writer_->endRow(markFormat());
            rowDeleted_ = false;
        }
    }

    void characters(std::string_view s) override {
        if (skip_ > 0 || !inT_ || !writer_)
            return;
        scratch_.clear();
        wordfile::appendCleanUtf8(scratch_, s);
        runFormat();
        if (runSymbol_ != symbolfonts::SymbolFont::None) {
            // Text in a picture font is the characters the font shows.
            std::u16string mapped;
            for (char16_t c : scratch_) {
                if (const char32_t m = symbolfonts::mapCharacter(runSymbol_, c))
                    symbolfonts::appendUtf16(mapped, m);
                else
                    mapped.push_back(c);
            }
            scratch_.swap(mapped);
        }
        emit(scratch_);
    }

private:
    // Field instructions are hidden; their results and all other text are shown.
    bool shown() const {
        for (bool result : fields_)
            if (!result)
                return false;
        return true;
    }

    void emit(std::u16string_view s) {
        if (!shown() || s.empty())
            return;
        beginParagraph();
        const CharFormat& f = runFormat();
        if (runHidden_)
            return;
        writer_->text(s, f);
    }

    // The run properties a paragraph's style gives, kept for the style last asked
    // about: every run of a paragraph, and most paragraphs, ask for the same.
    const RunProps& paragraphRun() const {
        const std::string& style = pStyle_.empty() ? sh_.styles.defaultParagraphStyle : pStyle_;
        if (!paragraphRunKnown_ || paragraphRunStyle_ != style) {
            paragraphRun_ = sh_.styles.defaultRun;
            paragraphRun_.over(sh_.styles.resolve(sh_.styles.paragraph, style, &Style::run));
            paragraphRunStyle_ = style;
            paragraphRunKnown_ = true;
        }
        return paragraphRun_;
    }

    CharFormat markFormat() const {
        RunProps r = paragraphRun();
        r.over(markRun_);
        return toCharFormat(r);
    }

    const CharFormat& runFormat() {
        if (!runReady_) {
            RunProps r = paragraphRun();
            if (!rStyle_.empty())
                r.over(sh_.styles.resolve(sh_.styles.character, rStyle_, &Style::run));
            r.over(run_);
            runHidden_ = r.hidden.value_or(false);
            runFormat_ = toCharFormat(r);
            runSymbol_ = symbolfonts::named(runFormat_.fontName);
            if (runSymbol_ != symbolfonts::SymbolFont::None)
                runFormat_.fontName = plainFontName();
            runReady_ = true;
        }
        return runFormat_;
    }

    // The paragraph's font, for characters of a picture font.
    std::u16string plainFontName() const {
        std::u16string f = toCharFormat(paragraphRun()).fontName;
        return symbolfonts::named(f) == symbolfonts::SymbolFont::None ? f : u"Times New Roman";
    }

    // A text box: its paragraphs are read into a flow of their own, with the
    // state of the paragraph it is anchored in kept aside, and follow that
    // paragraph.
    struct ParagraphState {
        ParaProps para;
        RunProps run, markRun;
        std::string pStyle, rStyle;
        bool markDeleted = false, paraBegun = false, inT = false, runReady = false, runHidden = false;
        symbolfonts::SymbolFont runSymbol = symbolfonts::SymbolFont::None;
        CharFormat runFormat;
        std::vector<bool> fields;
    };

    void beginBox() {
        box_ = 1;
        saved_ = ParagraphState{para_, run_, markRun_, pStyle_, rStyle_, markDeleted_, paraBegun_, inT_,
                                runReady_, runHidden_, runSymbol_, runFormat_, fields_};
        savedWriter_.emplace(*writer_);
        boxes_.emplace_back();
        writer_.emplace(boxes_.back());
        para_ = ParaProps{};
        run_ = markRun_ = RunProps{};
        pStyle_.clear();
        rStyle_.clear();
        markDeleted_ = paraBegun_ = inT_ = runReady_ = runHidden_ = false;
        fields_.clear();
    }

    void endBox() {
        writer_.emplace(*savedWriter_);
        savedWriter_.reset();
        ParagraphState& s = saved_;
        para_ = s.para;
        run_ = s.run;
        markRun_ = s.markRun;
        pStyle_ = std::move(s.pStyle);
        rStyle_ = std::move(s.rStyle);
        markDeleted_ = s.markDeleted;
        paraBegun_ = s.paraBegun;
        inT_ = s.inT;
        runReady_ = s.runReady;
        runHidden_ = s.runHidden;
        runSymbol_ = s.runSymbol;
        runFormat_ = s.runFormat;
        fields_ = std::move(s.fields);
    }

    void flushBoxes() {
        for (const RichContent& box : boxes_)
            writer_->appendParagraphs(box);
        boxes_.clear();
    }

public:
    // What is left at the end of the part: boxes of a paragraph that never ended.
    void finish() {
        if (writer_ && box_ == 0)
            flushBoxes();
    }

private:

    // The paragraph begins at its first content or at its end: the pending break
    // or TAB is written and the list item's number.
    void beginParagraph() {
        if (paraBegun_ || !writer_)
            return;
        paraBegun_ = true;
        ParaProps p = sh_.styles.defaultPara;
        const std::string& style = pStyle_.empty() ? sh_.styles.defaultParagraphStyle : pStyle_;
        ParaProps fromStyle = sh_.styles.resolve(sh_.styles.paragraph, style, &Style::para);
        p.over(fromStyle);
        const int numId = para_.numId.value_or(fromStyle.numId.value_or(0));
        const int ilvl = para_.level.value_or(fromStyle.level.value_or(0));
        const Level* level = numId != 0 ? sh_.numbering.level(numId, ilvl) : nullptr;
        if (level && level->para.indentTwips)
            p.indentTwips = level->para.indentTwips;
        p.over(para_);
        writer_->beginParagraph(toParaFormat(p));
        if (level && (level->bullet || level->format != NumberFormat::None))
            writer_->text(listLabel(numId, ilvl, *level) + u"\t", markFormat());
    }

    std::u16string listLabel(int numId, int ilvl, const Level& level) {
        auto& counts = sh_.counters[numId];
        const ListInstance& list = sh_.numbering.lists[numId];
        auto startOf = [&](int l) {
            const Level* lv = sh_.numbering.level(numId, l);
            const auto& o = list.startOverride[std::size_t(l)];
            return o ? *o : lv ? lv->start : 1;
        };
        counts[std::size_t(ilvl)] = counts[std::size_t(ilvl)] == 0 ? startOf(ilvl) : counts[std::size_t(ilvl)] + 1;
        for (int deeper = ilvl + 1; deeper < 9; ++deeper)
            counts[std::size_t(deeper)] = 0;
        if (level.bullet) {
            const auto font = level.run.font ? symbolfonts::named(*level.run.font) : symbolfonts::SymbolFont::None;
            std::u16string b;
            for (char16_t c : level.text) {
                if (const char32_t m = symbolfonts::mapCharacter(font, c))
                    symbolfonts::appendUtf16(b, m);
                else
                    b.push_back(wordfile::visibleBullet(c));
            }
            return b.empty() ? u"\u2022" : b;
        }
        std::u16string label;
        for (std::size_t i = 0; i < level.text.size(); ++i) {
            const char16_t c = level.text[i];
            if (c == u'%' && i + 1 < level.text.size() && level.text[i + 1] >= u'1' && level.text[i + 1] <= u'9') {
                const int l = level.text[i + 1] - u'1';
                const Level* lv = sh_.numbering.level(numId, l);
                const int n = counts[std::size_t(l)] == 0 ? startOf(l) : counts[std::size_t(l)];
                label += wordfile::formatNumber(n, lv ? lv->format : NumberFormat::Decimal);
                ++i;
            } else {
                label.push_back(c);
            }
        }
        return label;
    }

public:
    // Called for w:pStyle and w:rStyle, which sit inside the properties.
    void styleReference(std::string_view name, const Attrs& a) {
        if (skip_ > 0)
            return;
        if (name == "w:pStyle" && inPPr_ && !inParaMarkProps_)
            pStyle_ = std::string(zipxml::attribute(a, "w:val"));
        else if (name == "w:rStyle" && inRPr_)
            rStyle_ = std::string(zipxml::attribute(a, "w:val"));
    }

private:
    Shared& sh_;
    PropertyReader props_;
    RichContent* body_;
    std::optional<FlowWriter> writer_;
    int skip_ = 0;
    int noteDepth_ = 0;
    int inProps_ = 0;
    int markDepth_ = 0;
    bool inPPr_ = false, inRPr_ = false, inRowProps_ = false, inParaMarkProps_ = false;
    bool markDeleted_ = false, rowDeleted_ = false;
    bool paraBegun_ = false;
    bool inT_ = false;
    ParaProps para_;
    RunProps run_, markRun_;
    std::string pStyle_, rStyle_;
    bool runReady_ = false, runHidden_ = false;
    symbolfonts::SymbolFont runSymbol_ = symbolfonts::SymbolFont::None;
    CharFormat runFormat_;
    std::vector<bool> fields_; // open fields: true once their result began
    std::u16string scratch_;
    mutable RunProps paragraphRun_;
    mutable std::string paragraphRunStyle_;
    mutable bool paragraphRunKnown_ = false;
    int drawing_ = 0; // depth inside a w:drawing or w:pict
    int box_ = 0;     // depth inside the w:txbxContent being read
    ParagraphState saved_;
    std::optional<FlowWriter> savedWriter_;
    std::deque<RichContent> boxes_; // text boxes of the current paragraph
};

// Passes the style references to the text handler before the properties.
class StyleAwareText : public zipxml::XmlHandler {
public:
    explicit StyleAwareText(TextHandler& t) : t_(t) {}
    void startElement(std::string_view name, const Attrs& a) override {
        if (name == "w:pStyle" || name == "w:rStyle")
            t_.styleReference(name, a);
        t_.startElement(name, a);
    }
    void endElement(std::string_view name) override { t_.endElement(name); }
    void characters(std::string_view s) override { t_.characters(s); }

private:
    TextHandler& t_;
};

WordReadResult failed(std::string why) { return WordReadResult{false, std::move(why)}; }

// Reads an optional part; a part that is missing is no fault, a damaged one is.
// The part is expanded within the archive's budget and parsed in one pass.
bool readPart(zipxml::ZipArchive& zip, const std::string& name, zipxml::XmlHandler& h, std::string& error,
              RichContent* into = nullptr) {
    if (!zip.has(name))
        return true;
    std::size_t size = 0;
    // Text is a fraction of its markup; room for it at once spares the copies of
    // a growing buffer. The room is taken when the size is known, before the
    // text comes.
    struct Reserving : zipxml::XmlHandler {
        zipxml::XmlHandler& inner;
        RichContent* into;
        std::size_t* size;
        bool done = false;
        Reserving(zipxml::XmlHandler& i, RichContent* c, std::size_t* s) : inner(i), into(c), size(s) {}
        void startElement(std::string_view n, const std::vector<zipxml::XmlAttribute>& a) override {
            if (!done && into) {
                done = true;
                into->text.reserve(*size / 3);
            }
            inner.startElement(n, a);
        }
        void endElement(std::string_view n) override { inner.endElement(n); }
        void characters(std::string_view t) override { inner.characters(t); }
    } reserving(h, into, &size);
    return zip.parse(name, reserving, error, &size);
}

} // namespace

WordReadResult readDocx(std::string_view bytes, RichContent& out) {
    out = RichContent{};
    zipxml::ZipArchive zip;
    std::string error;
    if (!zip.open(bytes, error))
        return failed(error);
    if (!zip.has("word/document.xml"))
        return failed("it is a zip archive without word/document.xml, so not a Word document");

    Shared shared;
    ThemeHandler theme(shared.theme);
    StylesHandler styles(shared.styles, shared.theme);
    NumberingHandler numbering(shared.numbering, shared.theme);
    if (!readPart(zip, "word/theme/theme1.xml", theme, error) ||
        !readPart(zip, "word/styles.xml", styles, error) ||
        !readPart(zip, "word/numbering.xml", numbering, error))
        return failed(error);

    RichContent body;
    {
        TextHandler text(shared, &body);
        StyleAwareText handler(text);
        zipxml::RootRecorder root(handler);
        if (!readPart(zip, "word/document.xml", root, error, &body))
            return failed(error);
        text.finish();
        if (root.root() != "w:document")
            return failed("its word/document.xml is not a Word document in a namespace this program "
                          "knows, so it holds no text to import");
    }
    if (!shared.notes.empty()) {
        for (const char* part : {"word/footnotes.xml", "word/endnotes.xml"}) {
            TextHandler text(shared, nullptr);
            StyleAwareText handler(text);
            if (!readPart(zip, part, handler, error))
                return failed(error);
        }
        CharFormat fallback = body.runs.empty() ? toCharFormat(shared.styles.defaultRun) : body.runs.back().format;
        appendNotes(body, std::move(shared.notes), fallback);
    }
    out = std::move(body);
    return WordReadResult{true, {}};
}

WordReadResult readWordProcessorFile(std::string_view bytes, RichContent& out) {
    out = RichContent{};
    if (!zipxml::looksLikeZip(bytes))
        return failed("it is not a zip archive, so neither a Word (.docx) nor an OpenDocument (.odt) file");
    zipxml::ZipArchive zip;
    std::string error;
    if (!zip.open(bytes, error))
        return failed(error);
    if (zip.has("word/document.xml"))
        return readDocx(bytes, out);
    if (zip.has("content.xml")) {
        std::string mimetype;
        zip.setBudget(4096);
        if (zip.has("mimetype")) {
            // A mimetype that cannot be read (encrypted, damaged, compressed in a way
            // the archive library does not know) is told as that, not as a missing part.
            if (!zip.read("mimetype", mimetype, error))
                return failed(error);
            if (isOdtMimetype(mimetype))
                return readOdt(bytes, out);
        }
    }
    return failed("it is a zip archive that holds neither a Word document (word/document.xml) nor an "
                  "OpenDocument text (content.xml)");
}

} // namespace tallix
