#include "MarkedEssay.h"

#include "document/Markup.h"

#include <random>
#include <string>

namespace tallix::bench {

namespace {

const char16_t* const kWords[] = {
    u"the",      u"essay",   u"argues",   u"that",     u"students", u"often",   u"write",
    u"with",     u"clarity", u"however",  u"evidence", u"is",       u"missing", u"in",
    u"several",  u"places",  u"and",      u"a",        u"few",      u"sentences",
    u"ramble",   u"on",      u"without",  u"purpose",  u"écrit",    u"naïve",   u"café",
};
const char16_t* const kLabels[] = {u"Art", u"Sp", u"Gr", u"WW", u"P", u"Good", u"VG"};

CharFormat body(Colour c, StyleSet s = 0, int size = markup::BodySize, int raise = 0) {
    CharFormat f;
    f.colour = c;
    f.style = s;
    f.sizeHalfPoints = size * 2;
    f.offsetTwips = raise;
    return f;
}

std::u16string number(int n) {
    std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

} // namespace

RichContent makeMarkedEssay(const EssayShape& shape) {
    std::mt19937 rng(shape.seed);
    RichContent c;
    c.text.reserve(shape.targetChars + 64);
    const CharFormat black = body(clBlack);
    const CharFormat span = body(markup::AnnotatedSpanColour, markup::AnnotatedSpanStyle);
    const CharFormat error = body(clRed, fsItalic, markup::LabelSize, markup::RaiseTwips);
    const CharFormat praise = body(clTeal, fsItalic, markup::LabelSize, markup::RaiseTwips);
    const CharFormat navy = body(markup::CommentedSpanColour, markup::CommentedSpanStyle);
    const CharFormat marker =
        body(clGreen, fsBold, markup::CommentMarkerSize, markup::RaiseTwips);
    const CharFormat silver = body(clSilver);

    const int comments = shape.comments >= 0 ? shape.comments
                                             : int(shape.targetChars / 2000) + 1;
    // Spread the comments evenly over the text.
    const std::size_t commentEvery =
        comments > 0 ? std::max<std::size_t>(shape.targetChars / std::size_t(comments), 1) : 0;
    std::size_t nextComment = commentEvery / 2;
    int commentNo = 0;

    auto word = [&] { return std::u16string(kWords[rng() % std::size(kWords)]); };
    while (c.text.size() < shape.targetChars) {
        int sentences = 3 + int(rng() % 5);
        for (int s = 0; s < sentences; ++s) {
            int words = 6 + int(rng() % 12);
            for (int w = 0; w < words; ++w) {
                auto roll = unsigned(rng() % 100);
                std::u16string wd = word() + u" ";
                if (roll < 6) {
                    c.appendText(word() + u" " + word(), span);
                    bool good = roll == 0;
                    c.appendText(kLabels[good ? 5 + rng() % 2 : rng() % 5],
                                 good ? praise : error);
                    c.appendText(u" ", black);
                } else if (commentEvery && commentNo < comments &&
                           c.text.size() >= nextComment) {
                    c.appendText(word(), navy);
                    c.appendText(number(++commentNo), marker);
                    c.appendText(u" ", black);
                    nextComment += commentEvery;
                } else if (roll == 99) {
                    c.appendText(markup::BookmarkText, silver);
                    c.appendText(wd, black);
                } else {
                    c.appendText(wd, black);
                }
            }
            c.appendText(u". ", black);
        }
        c.appendParagraphBreak(black, ParaFormat{});
    }
    while (commentNo < comments) {
        c.appendText(u"x", navy);
        c.appendText(number(++commentNo), marker);
    }
    return c;
}

} // namespace tallix::bench
