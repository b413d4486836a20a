#include "document/OdtReader.h"

#include "platform/TextCodec.h"
#include "document/SymbolFonts.h"
#include "document/WordOutput.h"
#include "document/ZipXml.h"

#include <charconv>
#include <cmath>
#include <deque>
#include <optional>
#include <unordered_map>

namespace tallix {

namespace {

using zipxml::XmlAttribute;
using Attrs = std::vector<XmlAttribute>;
using wordfile::FlowWriter;
using wordfile::NumberFormat;

double toNumber(std::string_view s, std::size_t& used) {
    double v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    used = ec == std::errc() ? std::size_t(p - s.data()) : 0;
    return ec == std::errc() && std::isfinite(v) ? v : 0;
}

int toInt(std::string_view s, int fallback) {
    int v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p != s.data() ? v : fallback;
}

// "0.5in", "1.27cm", "12pt" and the other units of ODF lengths, in points.
std::optional<double> lengthPoints(std::string_view s) {
    std::size_t used = 0;
    const double v = toNumber(s, used);
    if (used == 0)
        return std::nullopt;
    const std::string_view unit = s.substr(used);
    if (unit == "pt")
        return v;
    if (unit == "in")
        return v * 72;
    if (unit == "cm")
        return v * 72 / 2.54;
    if (unit == "mm")
        return v * 72 / 25.4;
    if (unit == "pc")
        return v * 12;
    if (unit == "px")
        return v * 0.75;
    return std::nullopt;
}

std::u16string fontName(std::string_view utf8) {
    // svg:font-family may quote the name: 'Liberation Serif'
    while (!utf8.empty() && (utf8.front() == '\'' || utf8.front() == '"'))
        utf8.remove_prefix(1);
    while (!utf8.empty() && (utf8.back() == '\'' || utf8.back() == '"'))
        utf8.remove_suffix(1);
    std::u16string n = text::fromUtf8(utf8);
    if (n.size() > MaxFontNameLength)
        n.resize(MaxFontNameLength);
    return n;
}

struct TextProps {
    std::optional<bool> bold, italic, underline, strike, hidden;
    std::optional<double> sizePoints;
    std::optional<double> sizePercent; // of the size beneath
    std::optional<std::u16string> font;
    std::optional<int> script;        // 1 superscript, -1 subscript, 0 baseline
    std::optional<int> positionPercent;

    void over(const TextProps& o) {
        auto take = [](auto& mine, const auto& theirs) {
            if (theirs)
                mine = theirs;
        };
        take(bold, o.bold);
        take(italic, o.italic);
        take(underline, o.underline);
        take(strike, o.strike);
        take(hidden, o.hidden);
        take(font, o.font);
        take(script, o.script);
        take(positionPercent, o.positionPercent);
        // A size in percent applies to the size beneath it, which may only come
        // when this is laid over the paragraph's own.
        if (o.sizePoints) {
            sizePoints = o.sizePoints;
            sizePercent.reset();
        } else if (o.sizePercent) {
            if (sizePoints)
                sizePoints = std::min(*sizePoints * *o.sizePercent / 100.0, 1638.0);
            else
                sizePercent = sizePercent.value_or(100.0) * *o.sizePercent / 100.0;
        }
    }
};

struct ParaProps {
    std::optional<Alignment> alignment;
    std::optional<int> indentTwips;
    void over(const ParaProps& o) {
        if (o.alignment)
            alignment = o.alignment;
        if (o.indentTwips)
            indentTwips = o.indentTwips;
    }
};

struct OdtStyle {
    std::string parent;
    std::string listStyle;
    TextProps text;
    ParaProps para;
};

struct ListLevel {
    bool bullet = false;
    std::u16string bulletChar = u"\u2022"; // as written: a picture font's bullet is U+F0xx
    std::optional<std::u16string> bulletFont;
    NumberFormat format = NumberFormat::Decimal;
    std::u16string prefix, suffix;
    int start = 1;
    int displayLevels = 1;
    std::optional<int> indentTwips;
};

struct ListStyle {
    std::array<ListLevel, 10> levels;
};

NumberFormat numberFormatOf(std::string_view f) {
    if (f == "a")
        return NumberFormat::LowerLetter;
    if (f == "A")
        return NumberFormat::UpperLetter;
    if (f == "i")
        return NumberFormat::LowerRoman;
    if (f == "I")
        return NumberFormat::UpperRoman;
    if (f.empty())
        return NumberFormat::None;
    return NumberFormat::Decimal;
}

struct Document {
    std::unordered_map<std::string, std::u16string> fontFaces;
    std::unordered_map<std::string, OdtStyle> paragraphStyles, textStyles;
    std::unordered_map<std::string, ListStyle> listStyles;
    OdtStyle defaultParagraph;

    template <typename Props>
    Props resolve(const std::unordered_map<std::string, OdtStyle>& table, const std::string& name,
                  Props OdtStyle::*member) const {
        std::vector<const OdtStyle*> chain;
        std::string at = name;
        while (!at.empty() && chain.size() < 32) {
            auto it = table.find(at);
            if (it == table.end())
                break;
            chain.push_back(&it->second);
            at = it->second.parent;
        }
        Props p;
        for (auto s = chain.rbegin(); s != chain.rend(); ++s)
            p.over((*s)->*member);
        return p;
    }
    std::string listStyleOf(const std::string& paragraphStyle) const {
        std::string at = paragraphStyle;
        for (int depth = 0; !at.empty() && depth < 32; ++depth) {
            auto it = paragraphStyles.find(at);
            if (it == paragraphStyles.end())
                break;
            if (!it->second.listStyle.empty())
                return it->second.listStyle;
            at = it->second.parent;
        }
        return {};
    }
};

CharFormat toCharFormat(const TextProps& t) {
    CharFormat f;
    f.style = StyleSet((t.bold.value_or(false) ? fsBold : 0) | (t.italic.value_or(false) ? fsItalic : 0) |
                       (t.underline.value_or(false) ? fsUnderline : 0) |
                       (t.strike.value_or(false) ? fsStrikeOut : 0));
    const double points = t.sizePoints.value_or(12.0 * t.sizePercent.value_or(100.0) / 100.0);
    f.sizeHalfPoints = int(std::clamp(std::lround(points * 2), 2L, 3276L));
    f.fontName = t.font.value_or(u"Times New Roman");
    const int script = t.script.value_or(0);
    if (script != 0)
        f.offsetTwips = script * (f.sizeHalfPoints / 3 * 10);
    else if (t.positionPercent)
        f.offsetTwips = *t.positionPercent * f.sizeHalfPoints * 10 / 100;
    return f;
}

// Reads the styles of styles.xml and content.xml, and the text of content.xml.
class OdtHandler : public zipxml::XmlHandler {
public:
    OdtHandler(Document& d, RichContent* body, std::deque<RichContent>* notes)
        : d_(d), notes_(notes) {
        if (body)
            writers_.emplace_back(*body);
    }

    void startElement(std::string_view name, const Attrs& a) override {
        if (skip_ > 0) {
            ++skip_;
            return;
        }
        // A frame (a text box, an image with its caption) shows nothing but the
        // text of its draw:text-box, read as a flow of its own.
        if (frame_ > 0 && box_ == 0) {
            ++frame_;
            if (name == "draw:text-box")
                beginBox();
            return;
        }
        if (box_ > 0)
            ++box_;
        if (name == "draw:frame") {
            if (box_ > 0 || writers_.empty())
                skip_ = 1; // an image in a caption's frame, or a frame among the styles
            else
                frame_ = 1;
            return;
        }
        if (name == "text:tracked-changes" || name == "text:note-citation" || name == "office:annotation" ||
            name == "text:number" || name == "text:sequence-decls" ||
            name == "text:variable-decls" || name == "office:forms" || name == "text:index-title-template" ||
            name == "text:table-of-content-source" || name == "table:table-column" ||
            name == "table:covered-table-cell" || name == "office:master-styles" ||
            name == "style:header" || name == "style:footer" || name == "office:meta" ||
            (name == "office:automatic-styles" && stylesOnly_)) {
            skip_ = 1;
            return;
        }
        // ---- styles
        if (name == "style:font-face") {
            d_.fontFaces[std::string(zipxml::attribute(a, "style:name"))] =
                fontName(zipxml::attribute(a, "svg:font-family"));
        } else if (name == "style:style" || name == "style:default-style") {
            const std::string_view family = zipxml::attribute(a, "style:family");
            style_ = nullptr;
            if (name == "style:default-style") {
                if (family == "paragraph")
                    style_ = &d_.defaultParagraph;
            } else if (family == "paragraph" || family == "text") {
                auto& table = family == "text" ? d_.textStyles : d_.paragraphStyles;
                style_ = &table[std::string(zipxml::attribute(a, "style:name"))];
                *style_ = OdtStyle{};
                style_->parent = std::string(zipxml::attribute(a, "style:parent-style-name"));
                style_->listStyle = std::string(zipxml::attribute(a, "style:list-style-name"));
            }
        } else if (name == "style:text-properties" && style_) {
            readTextProps(a, style_->text);
        } else if (name == "style:paragraph-properties" && style_) {
            readParaProps(a, style_->para);
        } else if (name == "text:list-style") {
            listStyle_ = &d_.listStyles[std::string(zipxml::attribute(a, "style:name"))];
            *listStyle_ = ListStyle{};
        } else if ((name == "text:list-level-style-number" || name == "text:list-level-style-bullet") &&
                   listStyle_) {
            level_ = &listStyle_->levels[std::size_t(std::clamp(toInt(zipxml::attribute(a, "text:level"), 1), 1, 10) - 1)];
            *level_ = ListLevel{};
            level_->bullet = name == "text:list-level-style-bullet";
            if (level_->bullet) {
                std::u16string c = text::fromUtf8(zipxml::attribute(a, "text:bullet-char"));
                if (!c.empty())
                    level_->bulletChar = c;
            } else {
                level_->format = numberFormatOf(zipxml::attribute(a, "style:num-format"));
                level_->prefix = text::fromUtf8(zipxml::attribute(a, "style:num-prefix"));
                level_->suffix = text::fromUtf8(zipxml::attribute(a, "style:num-suffix"));
                level_->start = toInt(zipxml::attribute(a, "text:start-value"), 1);
                level_->displayLevels = std::clamp(toInt(zipxml::attribute(a, "text:display-levels"), 1), 1, 10);
            }
        } else if (name == "style:text-properties" && level_) {
            TextProps t;
            readTextProps(a, t);
            if (t.font)
                level_->bulletFont = t.font;
        } else if (name == "style:list-level-label-alignment" && level_) {
            if (auto pt = lengthPoints(zipxml::attribute(a, "fo:margin-left")))
                level_->indentTwips = wordfile::clampTwips(*pt * 20);
        } else if (name == "style:list-level-properties" && level_) {
            if (auto pt = lengthPoints(zipxml::attribute(a, "text:space-before")))
                level_->indentTwips = wordfile::clampTwips(*pt * 20);
        }
        if (writers_.empty())
            return;
        // ---- text
        if (name == "text:p" || name == "text:h") {
            Paragraph p;
            p.style = std::string(zipxml::attribute(a, "text:style-name"));
            paragraphs_.push_back(p);
            spans_.clear();
            beginParagraph();
        } else if (name == "text:span") {
            spans_.push_back(std::string(zipxml::attribute(a, "text:style-name")));
            formatReady_ = false;
        } else if (name == "text:s") {
            const int n = std::clamp(toInt(zipxml::attribute(a, "text:c"), 1), 1, 1000);
            emit(std::u16string(std::size_t(n), u' '));
            lastSpace_ = false;
        } else if (name == "text:tab") {
            emit(u"\t");
            lastSpace_ = false;
        } else if (name == "text:line-break") {
            if (!paragraphs_.empty())
                writers_.back().lineBreak(format());
            lastSpace_ = true;
        } else if (name == "text:list") {
            List l;
            l.style = std::string(zipxml::attribute(a, "text:style-name"));
            if (l.style.empty() && !lists_.empty())
                l.style = lists_.back().style;
            if (lists_.empty()) {
                const bool continues = zipxml::attribute(a, "text:continue-numbering") == "true" ||
                                       zipxml::hasAttribute(a, "text:continue-list");
                if (!continues)
                    counters_.fill(0);
            }
            lists_.push_back(l);
        } else if (name == "text:list-item") {
            itemPending_ = true;
            if (!lists_.empty() && zipxml::hasAttribute(a, "text:start-value"))
                startValue_ = toInt(zipxml::attribute(a, "text:start-value"), 1);
        } else if (name == "text:list-header") {
            itemPending_ = false;
        } else if (name == "text:note") {
            if (notes_ && notes_->size() < 100000) {
                notes_->emplace_back();
                const std::string number = std::to_string(notes_->size());
                emit(std::u16string(number.begin(), number.end()));
                noteStack_.push_back(NoteReturn{paragraphs_, spans_, lists_, lastSpace_, itemPending_});
                paragraphs_.clear();
                spans_.clear();
                lists_.clear();
                writers_.emplace_back(notes_->back());
            } else {
                skip_ = 1;
            }
        }
    }

    void endElement(std::string_view name) override {
        if (skip_ > 0) {
            // The element that began the skip was counted in the box.
            if (--skip_ == 0 && box_ > 0)
                --box_;
            return;
        }
        if (box_ > 0 && --box_ == 0) { // the end of draw:text-box
            endBox();
            --frame_;
            return;
        }
        if (frame_ > 0 && box_ == 0) {
            --frame_;
            return;
        }
        if (name == "style:style" || name == "style:default-style")
            style_ = nullptr;
        else if (name == "text:list-style")
            listStyle_ = nullptr;
        else if (name == "text:list-level-style-number" || name == "text:list-level-style-bullet")
            level_ = nullptr;
        if (writers_.empty())
            return;
        if (name == "text:p" || name == "text:h") {
            if (!paragraphs_.empty()) {
                writers_.back().endParagraph(paragraphFormat());
                paragraphs_.pop_back();
            }
            spans_.clear();
            formatReady_ = false;
            if (box_ == 0)
                flushBoxes();
        } else if (name == "text:span") {
            if (!spans_.empty())
                spans_.pop_back();
            formatReady_ = false;
        } else if (name == "text:list") {
            if (!lists_.empty())
                lists_.pop_back();
        } else if (name == "table:table-cell") {
            writers_.back().endCell(lastMark_);
        } else if (name == "table:table-row") {
            writers_.back().endRow(lastMark_);
        } else if (name == "text:note") {
            if (!noteStack_.empty() && writers_.size() > 1) {
                writers_.pop_back();
                NoteReturn& r = noteStack_.back();
                paragraphs_ = std::move(r.paragraphs);
                spans_ = std::move(r.spans);
                lists_ = std::move(r.lists);
                lastSpace_ = r.lastSpace;
                itemPending_ = r.itemPending;
                noteStack_.pop_back();
                formatReady_ = false;
            }
        }
    }

    void characters(std::string_view s) override {
        if (skip_ > 0 || writers_.empty() || paragraphs_.empty())
            return;
        // White space in a paragraph collapses to one space, and none at its start.
        in_.clear();
        text::appendFromUtf8(in_, s);
        out_.clear();
        format();
        if (symbol_ == symbolfonts::SymbolFont::None) {
            // Collapsing never lengthens the text: written in place of a buffer
            // of the same length.
            out_.resize(in_.size());
            char16_t* w = out_.data();
            bool last = lastSpace_;
            for (char16_t c : in_) {
                if (c > u' ') {
                    *w++ = c;
                    last = false;
                } else if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n') {
                    if (!last)
                        *w++ = u' ';
                    last = true;
                }
            }
            lastSpace_ = last;
            out_.resize(std::size_t(w - out_.data()));
            emit(out_);
            return;
        }
        out_.reserve(in_.size());
        for (char16_t c : in_) {
            if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n') {
                if (!lastSpace_)
                    out_.push_back(u' ');
                lastSpace_ = true;
            } else if (c >= 0x20) {
                // Text in a picture font is the characters the font shows.
                if (const char32_t m = symbolfonts::mapCharacter(symbol_, c))
                    symbolfonts::appendUtf16(out_, m);
                else
                    out_.push_back(c);
                lastSpace_ = false;
            }
        }
        emit(out_);
    }

    void setStylesOnly(bool only) { stylesOnly_ = only; }

private:
    std::u16string in_, out_; // the text of one call, decoded and collapsed
    struct Paragraph {
        std::string style;
    };
    struct List {
        std::string style;
    };
    struct NoteReturn {
        std::vector<Paragraph> paragraphs;
        std::vector<std::string> spans;
        std::vector<List> lists;
        bool lastSpace;
        bool itemPending;
    };

    void readTextProps(const Attrs& a, TextProps& t) {
        for (const XmlAttribute& at : a) {
            const std::string_view n = at.name, v = at.value;
            if (n == "fo:font-weight")
                t.bold = v == "bold" || (!v.empty() && v[0] >= '6' && v[0] <= '9' && v.size() == 3);
            else if (n == "fo:font-style")
                t.italic = v == "italic" || v == "oblique";
            else if (n == "style:text-underline-style")
                t.underline = v != "none";
            else if (n == "style:text-line-through-style")
                t.strike = v != "none";
            else if (n == "text:display")
                t.hidden = v == "none";
            else if (n == "style:font-name") {
                auto f = d_.fontFaces.find(std::string(v));
                t.font = f != d_.fontFaces.end() && !f->second.empty() ? f->second : fontName(v);
            } else if (n == "fo:font-family")
                t.font = fontName(v);
            else if (n == "fo:font-size") {
                if (v.ends_with('%')) {
                    std::size_t used = 0;
                    const double pct = toNumber(v, used);
                    if (used > 0 && pct > 0)
                        t.sizePercent = std::min(pct, 1000.0);
                } else if (auto pt = lengthPoints(v); pt && *pt > 0) {
                    t.sizePoints = std::min(*pt, 1638.0);
                }
            } else if (n == "style:text-position") {
                if (v.starts_with("super"))
                    t.script = 1;
                else if (v.starts_with("sub"))
                    t.script = -1;
                else {
                    std::size_t used = 0;
                    const double pct = toNumber(v, used);
                    t.script = 0;
                    t.positionPercent = int(std::clamp(pct, -100.0, 100.0));
                }
            }
        }
    }

    void readParaProps(const Attrs& a, ParaProps& p) {
        for (const XmlAttribute& at : a) {
            if (at.name == "fo:text-align") {
                const std::string_view v = at.value;
                p.alignment = v == "center" ? Alignment::Center
                              : (v == "end" || v == "right") ? Alignment::Right
                                                             : Alignment::Left;
            } else if (at.name == "fo:margin-left") {
                if (auto pt = lengthPoints(at.value))
                    p.indentTwips = wordfile::clampTwips(*pt * 20);
            }
        }
    }

    TextProps paragraphText() const {
        TextProps t = d_.defaultParagraph.text;
        if (!paragraphs_.empty())
            t.over(d_.resolve(d_.paragraphStyles, paragraphs_.back().style, &OdtStyle::text));
        return t;
    }

    CharFormat paragraphFormat() {
        lastMark_ = toCharFormat(paragraphText());
        return lastMark_;
    }

    const CharFormat& format() {
        if (!formatReady_) {
            TextProps t = paragraphText();
            for (const std::string& span : spans_)
                t.over(d_.resolve(d_.textStyles, span, &OdtStyle::text));
            hidden_ = t.hidden.value_or(false);
            format_ = toCharFormat(t);
            symbol_ = symbolfonts::named(format_.fontName);
            if (symbol_ != symbolfonts::SymbolFont::None) {
                // Its characters go in the paragraph's font, which can show them.
                const std::u16string plain = toCharFormat(paragraphText()).fontName;
                format_.fontName =
                    symbolfonts::named(plain) == symbolfonts::SymbolFont::None ? plain : u"Times New Roman";
            }
            formatReady_ = true;
        }
        return format_;
    }

    void beginParagraph() {
        const std::string& style = paragraphs_.back().style;
        ParaProps p = d_.defaultParagraph.para;
        ParaProps own = d_.resolve(d_.paragraphStyles, style, &OdtStyle::para);
        const ListLevel* level = nullptr;
        const int depth = int(lists_.size());
        if (!lists_.empty()) {
            std::string ls = lists_.back().style;
            if (ls.empty())
                ls = d_.listStyleOf(style);
            auto it = d_.listStyles.find(ls);
            if (it != d_.listStyles.end())
                level = &it->second.levels[std::size_t(std::min(depth, 10) - 1)];
            if (level && level->indentTwips)
                p.indentTwips = level->indentTwips;
        }
        p.over(own);
        ParaFormat f;
        f.alignment = p.alignment.value_or(Alignment::Left);
        f.startIndentTwips = p.indentTwips.value_or(0);
        writers_.back().beginParagraph(f);
        formatReady_ = false;
        lastSpace_ = true;
        if (itemPending_ && depth > 0) {
            itemPending_ = false;
            const std::size_t at = std::size_t(std::min(depth, 10) - 1);
            if (startValue_) {
                counters_[at] = *startValue_;
                startValue_.reset();
            } else {
                counters_[at] = counters_[at] == 0 ? (level ? level->start : 1) : counters_[at] + 1;
            }
            for (std::size_t deeper = at + 1; deeper < counters_.size(); ++deeper)
                counters_[deeper] = 0;
            std::u16string label;
            if (!level || level->bullet) {
                label = level ? bulletOf(*level) : u"\u2022";
            } else if (level->format != NumberFormat::None || !level->prefix.empty() || !level->suffix.empty()) {
                label = level->prefix;
                const std::size_t first = at + 1 >= std::size_t(level->displayLevels)
                                              ? at + 1 - std::size_t(level->displayLevels)
                                              : 0;
                auto it = d_.listStyles.find(lists_.back().style.empty() ? d_.listStyleOf(style)
                                                                          : lists_.back().style);
                for (std::size_t l = first; l <= at; ++l) {
                    if (l > first)
                        label += u".";
                    const NumberFormat fmt = it != d_.listStyles.end() ? it->second.levels[l].format
                                                                       : NumberFormat::Decimal;
                    label += wordfile::formatNumber(counters_[l] == 0 ? 1 : counters_[l], fmt);
                }
                label += level->suffix;
            }
            writers_.back().text(label + u"\t", paragraphFormat());
        }
    }

    std::u16string bulletOf(const ListLevel& level) const {
        const auto font = level.bulletFont ? symbolfonts::named(*level.bulletFont) : symbolfonts::SymbolFont::None;
        std::u16string b;
        for (char16_t c : level.bulletChar) {
            if (const char32_t m = symbolfonts::mapCharacter(font, c))
                symbolfonts::appendUtf16(b, m);
            else
                b.push_back(wordfile::visibleBullet(c));
        }
        return b;
    }

    // A frame's text box: its paragraphs are read into a flow of their own, with
    // the state of the paragraph it is anchored in kept aside, and follow that
    // paragraph.
    void beginBox() {
        box_ = 1;
        boxReturn_ = NoteReturn{paragraphs_, spans_, lists_, lastSpace_, itemPending_};
        paragraphs_.clear();
        spans_.clear();
        lists_.clear();
        itemPending_ = false;
        boxes_.emplace_back();
        writers_.emplace_back(boxes_.back());
    }

    void endBox() {
        writers_.pop_back();
        paragraphs_ = std::move(boxReturn_.paragraphs);
        spans_ = std::move(boxReturn_.spans);
        lists_ = std::move(boxReturn_.lists);
        lastSpace_ = boxReturn_.lastSpace;
        itemPending_ = boxReturn_.itemPending;
        formatReady_ = false;
        if (paragraphs_.empty())
            flushBoxes(); // a frame outside any paragraph: its text goes here
    }

    void flushBoxes() {
        for (const RichContent& box : boxes_)
            writers_.back().appendParagraphs(box);
        boxes_.clear();
    }

    void emit(std::u16string_view s) {
        if (s.empty() || paragraphs_.empty() || writers_.empty())
            return;
        const CharFormat& f = format();
        if (hidden_)
            return;
        writers_.back().text(s, f);
    }

    Document& d_;
    std::deque<RichContent>* notes_;
    std::vector<FlowWriter> writers_; // the body, then the note being read
    bool stylesOnly_ = false;
    int skip_ = 0;
    OdtStyle* style_ = nullptr;
    ListStyle* listStyle_ = nullptr;
    ListLevel* level_ = nullptr;

    std::vector<Paragraph> paragraphs_;
    std::vector<std::string> spans_;
    std::vector<List> lists_;
    std::array<int, 10> counters_{};
    std::optional<int> startValue_;
    bool itemPending_ = false;
    bool lastSpace_ = true;
    std::vector<NoteReturn> noteStack_;
    bool formatReady_ = false, hidden_ = false;
    symbolfonts::SymbolFont symbol_ = symbolfonts::SymbolFont::None;
    CharFormat format_, lastMark_;
    int frame_ = 0; // depth inside a draw:frame
    int box_ = 0;   // depth inside the draw:text-box being read
    NoteReturn boxReturn_{};
    std::deque<RichContent> boxes_; // text boxes of the current paragraph
};

WordReadResult failed(std::string why) { return WordReadResult{false, std::move(why)}; }

// The part is expanded within the archive's budget and parsed in one pass.
bool readPart(zipxml::ZipArchive& zip, const std::string& name, zipxml::XmlHandler& h, std::string& error) {
    return zip.parse(name, h, error);
}

} // namespace

bool isOdtMimetype(std::string_view m) {
    while (!m.empty() && (m.back() == '\n' || m.back() == '\r' || m.back() == ' '))
        m.remove_suffix(1);
    // Templates, master documents and Writer/Web pages hold the same office:text.
    return m == "application/vnd.oasis.opendocument.text" ||
           m == "application/vnd.oasis.opendocument.text-template" ||
           m == "application/vnd.oasis.opendocument.text-master" ||
           m == "application/vnd.oasis.opendocument.text-web";
}

WordReadResult readOdt(std::string_view bytes, RichContent& out) {
    out = RichContent{};
    zipxml::ZipArchive zip;
    std::string error;
    if (!zip.open(bytes, error))
        return failed(error);
    if (!zip.has("content.xml"))
        return failed("it is a zip archive without content.xml, so not an OpenDocument text");
    Document doc;
    if (zip.has("styles.xml")) {
        OdtHandler styles(doc, nullptr, nullptr);
        styles.setStylesOnly(true);
        if (!readPart(zip, "styles.xml", styles, error))
            return failed(error);
    }
    RichContent body;
    std::deque<RichContent> notes;
    {
        OdtHandler content(doc, &body, &notes);
        zipxml::RootRecorder root(content);
        if (!readPart(zip, "content.xml", root, error))
            return failed(error);
        if (root.root() != "office:document-content")
            return failed("its content.xml is not an OpenDocument text in a namespace this program "
                          "knows, so it holds no text to import");
    }
    if (!notes.empty()) {
        const CharFormat fallback = body.runs.empty() ? toCharFormat(doc.defaultParagraph.text)
                                                      : body.runs.back().format;
        appendNotes(body, std::vector<RichContent>(std::make_move_iterator(notes.begin()),
                                                   std::make_move_iterator(notes.end())),
                    fallback);
    }
    out = std::move(body);
    return WordReadResult{true, {}};
}

} // namespace tallix
