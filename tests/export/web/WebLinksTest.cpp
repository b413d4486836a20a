#include "export/web/WebLinks.h"

#include "WebTestSupport.h"

#include <gtest/gtest.h>

namespace tallix::testing {
namespace {

using web::LinkResult;

const web::NoteStyle& style() {
    static const web::NoteStyle s{u"FF0000", u"008000", u"Error type", u"Comment", u"[back]"};
    return s;
}

struct Linked {
    LinkResult complex;
    LinkResult quick;
};

Linked linkBoth(const EssayBuilder& e, const AnnotationSet& set,
                const std::vector<std::u16string>& comments = {}) {
    RichTextBuffer essay, copy;
    essay.assign(e.content());
    web::htmlParaFormat(essay, copy);
    const web::LinkSources sources{set, comments, style()};
    return {web::makeHtmlLinks(copy, sources), web::quickHtmlLinks(copy, sources)};
}

const AnnotationSet& defaults() {
    static const AnnotationSet s = AnnotationSet::builtInDefaults();
    return s;
}

std::u16string spacer() { return std::u16string(web::notesSpacer()); }

TEST(WebLinks, AnEssayWithoutMarkupIsLeftAsItWas) {
    EssayBuilder e;
    e.text(u"Nothing marked here.");
    const Linked r = linkBoth(e, defaults());
    EXPECT_EQ(r.complex.body, u"<P ALIGN=LEFT>Nothing marked here.<BR><BR>");
    EXPECT_EQ(web::notesText(r.complex.notes), spacer());
    EXPECT_EQ(r.complex.lastAnchorNumber, -1);
    EXPECT_EQ(r.quick.body, u"<P ALIGN=LEFT>Nothing marked here.<BR>");
    EXPECT_EQ(web::notesText(r.quick.notes), spacer());
    EXPECT_EQ(spacer().size(), 144u);
}

TEST(WebLinks, LabelsAndMarkersBecomeLinksToTheirNotes) {
    EssayBuilder e;
    e.text(u"I saw ").span(u"a apple").error(u"Art").text(u" and ").coloured(u"this", clNavy)
        .marker(u"1").text(u" end.");
    // The comments come as they go on the page: their notes take them unchanged.
    const Linked r = linkBoth(e, defaults(), {u"Line one<BR>\r\nline two"});
    EXPECT_EQ(r.complex.body, u"<P ALIGN=LEFT>I saw <A HREF=\"#0\">a apple</A> and "
                              u"<A HREF=\"#1\">this{1}</A> end.<BR><BR>");
    EXPECT_EQ(r.complex.lastAnchorNumber, 1);
    EXPECT_EQ(r.quick.body, u"<P ALIGN=LEFT>I saw <A HREF=\"#1\">a apple</A> and "
                            u"<A HREF=\"#2\">this{1}</A> end.<BR>");
    ASSERT_EQ(r.complex.notes.size(), 2u);
    EXPECT_EQ(r.complex.notes[0].html,
              spacer() + u"<A NAME=\"0\"></A><HR><P><FONT COLOR=\"#FF0000\"><B>Error type:</B>"
                         u"</FONT COLOR><P>Article error<P>[back]<P><HR>");
    EXPECT_EQ(r.complex.notes[1].html,
              spacer() + u"<A NAME=\"1\"></A><HR><P><FONT COLOR=\"#008000\"><B>Comment:</B>"
                         u"</FONT COLOR><P>Line one<BR>\r\nline two<P>[back]<P><HR>");
    EXPECT_EQ(r.quick.notes[1].html.substr(144, 21), u"<A NAME=\"2\"></A><HR><");
}

TEST(WebLinks, PraiseHasNoHeading) {
    EssayBuilder e;
    e.text(u"A ").span(u"fine point").praise(u"Good!").text(u".");
    const Linked r = linkBoth(e, defaults());
    ASSERT_EQ(r.complex.notes.size(), 1u);
    EXPECT_EQ(r.complex.notes[0].html,
              spacer() + u"<A NAME=\"0\"></A><HR><P>Good!<P>[back]<P><HR>");
    EXPECT_EQ(r.quick.notes[0].html,
              spacer() + u"<A NAME=\"1\"></A><HR><P>Good!<P>[back]<P><HR>");
}

TEST(WebLinks, AOneCharacterSpanStaysBeforeAStarLink) {
    EssayBuilder e;
    e.text(u"Wait").span(u",").error(u"Punctuation").text(u" then.");
    const Linked r = linkBoth(e, defaults());
    EXPECT_EQ(r.complex.body, u"<P ALIGN=LEFT>Wait,<A HREF=\"#0\">***</A> then.<BR><BR>");
    EXPECT_EQ(r.quick.body, u"<P ALIGN=LEFT>Wait,<A HREF=\"#1\">***</A> then.<BR>");
}

TEST(WebLinks, AMarkerRightAfterALabelLinksItsNumberOnly) {
    EssayBuilder e;
    e.text(u"See ").span(u"thier").error(u"Sp").marker(u"1").text(u" here.");
    const Linked r = linkBoth(e, defaults(), {u"Look it up."});
    EXPECT_EQ(r.complex.body, u"<P ALIGN=LEFT>See <A HREF=\"#0\">thier</A>"
                              u"<A HREF=\"#1\">{1}</A> here.<BR><BR>");
    EXPECT_EQ(r.quick.body, u"<P ALIGN=LEFT>See <A HREF=\"#1\">thier</A>"
                            u"<A HREF=\"#2\">{1}</A> here.<BR>");
}

TEST(WebLinks, ALabelOfAnotherSetIsLinkedOnlyByColour) {
    EssayBuilder e;
    e.text(u"Odd ").span(u"words").error(u"Zzz").text(u".");
    const Linked r = linkBoth(e, defaults());
    EXPECT_EQ(r.complex.body, u"<P ALIGN=LEFT>Odd <A HREF=\"#0\">words</A>.<BR><BR>");
    ASSERT_EQ(r.complex.notes.size(), 1u);
    EXPECT_NE(r.complex.notes[0].html.find(u"Error type:</B></FONT COLOR><P><P>[back]"),
              std::u16string::npos); // the heading, and no description
    EXPECT_EQ(r.quick.body, u"<P ALIGN=LEFT>Odd wordsZzz.<BR>");
    EXPECT_TRUE(r.quick.notes.empty());
}

TEST(WebLinks, TwoCommentsAreNumberedByEachMethodItsOwnWay) {
    EssayBuilder e;
    e.text(u"First ").coloured(u"point", clNavy).marker(u"1").text(u" second ")
        .coloured(u"point", clNavy).marker(u"2");
    const Linked r = linkBoth(e, defaults(), {u"one", u"two"});
    EXPECT_EQ(linksOf(narrow(r.complex.body)), (std::vector<int>{0, 1}));
    EXPECT_EQ(linksOf(narrow(r.quick.body)), (std::vector<int>{1, 2}));
    for (const LinkResult* l : {&r.complex, &r.quick}) {
        EXPECT_NE(l->body.find(u"point{1}</A>"), std::u16string::npos);
        EXPECT_NE(l->body.find(u"point{2}</A>"), std::u16string::npos);
    }
}

TEST(WebLinks, AMarkerAtTheVeryEndIsLinkedAndKeepsItsNote) {
    EssayBuilder e;
    e.text(u"Last ").coloured(u"words", clNavy).marker(u"1");
    const Linked r = linkBoth(e, defaults(), {u"The end."});
    EXPECT_EQ(r.complex.body, u"<P ALIGN=LEFT>Last <A HREF=\"#0\">words{1}</A><BR><BR>");
    ASSERT_EQ(r.complex.notes.size(), 1u);
    EXPECT_NE(r.complex.notes[0].html.find(u"The end."), std::u16string::npos);
    EXPECT_EQ(r.quick.body, u"<P ALIGN=LEFT>Last <A HREF=\"#1\">words{1}</A><BR>");
}

TEST(WebLinks, AMarkerWithoutACommentTextGetsAnEmptyDescription) {
    EssayBuilder e;
    e.text(u"Damaged ").marker(u"7").text(u" file.");
    const Linked r = linkBoth(e, defaults(), {u"only one"});
    EXPECT_EQ(r.complex.body, u"<P ALIGN=LEFT>Damaged <A HREF=\"#0\">{7}</A> file.<BR><BR>");
    ASSERT_EQ(r.complex.notes.size(), 1u);
    EXPECT_NE(r.complex.notes[0].html.find(u"Comment:</B></FONT COLOR><P><P>"),
              std::u16string::npos);
}

TEST(WebLinks, QuickLinkingGroupsByEntryAndTakesEachEntryFromTheEnd) {
    EssayBuilder e;
    e.span(u"ab").error(u"Sp").text(u" ").span(u"cd").error(u"Art").text(u" ").span(u"ef")
        .error(u"Sp").text(u" ").coloured(u"gh", clNavy).marker(u"1");
    const Linked r = linkBoth(e, defaults(), {u"c"});
    // Art (entry 2) first, then Sp (entry 19) from the end backwards, then the comment.
    EXPECT_EQ(r.quick.body, u"<P ALIGN=LEFT><A HREF=\"#3\">ab</A> <A HREF=\"#1\">cd</A> "
                            u"<A HREF=\"#2\">ef</A> <A HREF=\"#4\">gh{1}</A><BR>");
    EXPECT_EQ(anchorsOf(narrow(web::notesText(r.quick.notes))), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(linksOf(narrow(r.complex.body)), (std::vector<int>{0, 1, 2, 3}));
}

TEST(WebLinks, AShortTextInsideALaterOnesLabelIsTakenByTheEarlierEntry) {
    AnnotationSet set;
    set.setEntry(1, AnnotationEntry{u"S", u"Sp", u"Spelling"});
    set.setEntry(2, AnnotationEntry{u"Spa", u"Space", u"Missing space"});
    EssayBuilder e;
    e.text(u"x ").span(u"nospace").error(u"Space").text(u" y");
    const Linked r = linkBoth(e, set);
    EXPECT_EQ(r.quick.body, u"<P ALIGN=LEFT>x <A HREF=\"#1\">nospace</A>ace y<BR>");
    EXPECT_NE(r.quick.notes[0].html.find(u"Spelling"), std::u16string::npos);
    // Complex linking takes the whole run.
    EXPECT_EQ(r.complex.body, u"<P ALIGN=LEFT>x <A HREF=\"#0\">nospace</A> y<BR><BR>");
    EXPECT_NE(r.complex.notes[0].html.find(u"Missing space"), std::u16string::npos);
}

TEST(WebLinks, QuickLinkingNeverTakesWhatItInsertedForALabel) {
    // Short texts that occur in the tags and stars the links insert.
    AnnotationSet set;
    set.setEntry(1, AnnotationEntry{u"W", u"Wd", u"Word"});
    set.setEntry(2, AnnotationEntry{u"A", u"A", u"Letter A"});
    set.setEntry(3, AnnotationEntry{u"H", u"HREF", u"Href"});
    set.setEntry(4, AnnotationEntry{u"S", u"*", u"Star"});
    EssayBuilder e;
    e.text(u"one").span(u"x").error(u"Wd").text(u" two ").span(u"yy").error(u"A");
    const Linked r = linkBoth(e, set);
    EXPECT_EQ(r.quick.body, u"<P ALIGN=LEFT>onex<A HREF=\"#1\">***</A> two "
                            u"<A HREF=\"#2\">yy</A><BR>");
    EXPECT_EQ(r.quick.notes.size(), 2u);
}

TEST(WebLinks, AMissingMarkerDoesNotStopTheLaterOnes) {
    EssayBuilder e;
    e.text(u"a ").coloured(u"bb", clNavy).marker(u"1").text(u" c ").coloured(u"dd", clNavy)
        .marker(u"3");
    const Linked r = linkBoth(e, defaults(), {u"one", u"two", u"three"});
    EXPECT_EQ(r.quick.body, u"<P ALIGN=LEFT>a <A HREF=\"#1\">bb{1}</A> c "
                            u"<A HREF=\"#2\">dd{3}</A><BR>");
}

TEST(WebLinks, ASpanNeverReachesBackIntoTheLinkBeforeIt) {
    // A one-letter error label straight after its span, then a praise label: the
    // praise finds no span of its own and the first link's text is not repeated.
    EssayBuilder e;
    e.text(u"go ").span(u"span").error(u"P").praise(u"Good!").text(u" on");
    AnnotationSet set = defaults();
    set.setEntry(1, AnnotationEntry{u"P", u"P", u"Pee"});
    const Linked r = linkBoth(e, set);
    EXPECT_EQ(r.complex.body, u"<P ALIGN=LEFT>go <A HREF=\"#0\">span</A>"
                              u"<A HREF=\"#1\">***</A> on<BR><BR>");
    EXPECT_EQ(r.quick.body, u"<P ALIGN=LEFT>go <A HREF=\"#1\">span</A>"
                            u"<A HREF=\"#2\">***</A> on<BR>");
}

TEST(WebLinks, LabelDescriptionsFollowTheKindOfTheLabel) {
    const AnnotationSet& set = defaults();
    EXPECT_EQ(web::labelDescription(set, u"art", web::NoteKind::Error), u"Article error");
    EXPECT_EQ(web::labelDescription(set, u"Good!", web::NoteKind::Error), u"");
    EXPECT_EQ(web::labelDescription(set, u"Art", web::NoteKind::Praise), u"");
    EXPECT_EQ(web::labelDescription(set, u"Default Buttons", web::NoteKind::Error), u"");
}

} // namespace
} // namespace tallix::testing
