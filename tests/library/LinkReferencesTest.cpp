// Expanding link references for the plain exports and for web pages.
#include "library/LinkReferences.h"

#include <gtest/gtest.h>

#include <string>

using namespace tallix::library;

namespace {

LinkList sampleLinks() {
    LinkList links;
    links.addLink(u"Apostrophes", u"http://grammar.example/apos.html");
    links.addLink(u"Commas", u"http://grammar.example/commas?a=1&b=2");
    return links;
}

} // namespace

TEST(IncludeUsefulLinks, ExpandsEveryReferenceAndKeepsTheRest) {
    const LinkList links = sampleLinks();
    EXPECT_EQ(IncludeUsefulLinks(u"See {{Apostrophes}}for more.", links),
              u"See \"Apostrophes\" (http://grammar.example/apos.html) for more.");
    EXPECT_EQ(IncludeUsefulLinks(u"{{Commas}}{{Apostrophes}}", links),
              u"\"Commas\" (http://grammar.example/commas?a=1&b=2) "
              u"\"Apostrophes\" (http://grammar.example/apos.html) ");
    EXPECT_EQ(IncludeUsefulLinks(u"no references here", links), u"no references here");
    EXPECT_EQ(IncludeUsefulLinks(u"", links), u"");
}

TEST(IncludeUsefulLinks, TitleInOtherCaseTakesTheStoredUrlAndKeepsItsCase) {
    EXPECT_EQ(IncludeUsefulLinks(u"{{aPOSTROPHES}}", sampleLinks()),
              u"\"aPOSTROPHES\" (http://grammar.example/apos.html) ");
    LinkList cyrillic;
    cyrillic.addLink(u"\u0413\u0440\u0430\u043C\u043C\u0430\u0442\u0438\u043A\u0430", u"http://ru.example/");
    EXPECT_EQ(IncludeUsefulLinks(u"{{\u0433\u0420\u0410\u041C\u041C\u0410\u0422\u0418\u041A\u0410}}", cyrillic),
              u"\"\u0433\u0420\u0410\u041C\u041C\u0410\u0422\u0418\u041A\u0410\" (http://ru.example/) ");
}

TEST(IncludeUsefulLinks, UnknownOrUnclosedReferencesStayAsWritten) {
    const LinkList links = sampleLinks();
    // No such link: left alone, and the scan goes on to the next reference.
    EXPECT_EQ(IncludeUsefulLinks(u"{{Nothing}} and {{Commas}}", links),
              u"{{Nothing}} and \"Commas\" (http://grammar.example/commas?a=1&b=2) ");
    // One "}" only is no closing.
    EXPECT_EQ(IncludeUsefulLinks(u"{{Commas} x", links), u"{{Commas} x");
    EXPECT_EQ(IncludeUsefulLinks(u"end {{Commas}", links), u"end {{Commas}");
    EXPECT_EQ(IncludeUsefulLinks(u"{{", links), u"{{");
    EXPECT_EQ(IncludeUsefulLinks(u"{{{{}}", links), u"{{{{}}");
}

TEST(IncludeUsefulLinks, TitlesAreLookedUpAmongTitlesOnly) {
    LinkList links;
    links.addLink(u"Spelling", u"http://a.example/");
    links.setLink(0, u"Spelling", u"http://a.example/", u"Commas");
    links.addLink(u"Commas", u"http://b.example/");
    // "Commas" is first found as the notes of link 0, but only titles count.
    EXPECT_EQ(IncludeUsefulLinks(u"{{Commas}}", links), u"\"Commas\" (http://b.example/) ");
    // A URL is no title either: nothing follows it to be taken as its address.
    EXPECT_EQ(IncludeUsefulLinks(u"{{http://b.example/}}", links), u"{{http://b.example/}}");
    // The first of two links with the same title wins.
    links.addLink(u"commas", u"http://c.example/");
    EXPECT_EQ(IncludeUsefulLinks(u"{{COMMAS}}", links), u"\"COMMAS\" (http://b.example/) ");
}

TEST(IncludeUsefulLinks, TheClosingBraceMustBeInReach) {
    LinkList links;
    const std::u16string longest(254, u'x');
    links.addLink(longest, u"http://long.example/");
    // A title of 254 characters puts its "}" 255 characters after "{{": in reach.
    EXPECT_EQ(IncludeUsefulLinks(u"{{" + longest + u"}}", links),
              u"\"" + longest + u"\" (http://long.example/) ");
    // 300 characters away: left as it is, with its "{{".
    const std::u16string far = u"{{" + std::u16string(298, u'y') + u"}} tail";
    EXPECT_EQ(IncludeUsefulLinks(far, links), far);
    // An unclosed "{{" does not swallow a later reference.
    EXPECT_EQ(IncludeUsefulLinks(u"{{" + std::u16string(300, u'z') + u"{{" + longest + u"}}", links),
              u"{{" + std::u16string(300, u'z') + u"\"" + longest + u"\" (http://long.example/) ");
}

TEST(IncludeUsefulLinks, AnExpansionIsNeverScannedAgain) {
    LinkList links;
    links.addLink(u"Loop", u"{{Loop}}");
    links.addLink(u"Other", u"{{");
    EXPECT_EQ(IncludeUsefulLinks(u"{{Loop}}{{Other}}!", links), u"\"Loop\" ({{Loop}}) \"Other\" ({{) !");
}

TEST(ConvertUsefulLinks, MakesHyperlinksWithEscapedUrlAndTitle) {
    LinkList links = sampleLinks();
    links.addLink(u"Q&A <1>", u"http://x.example/?q=\"a\"<b>");
    EXPECT_EQ(ConvertUsefulLinks(u"<P>See {{apostrophes}} and {{Commas}}.</P>", links),
              u"<P>See <A HREF=\"http://grammar.example/apos.html\">apostrophes</A> and "
              u"<A HREF=\"http://grammar.example/commas?a=1&b=2\">Commas</A>.</P>");
    EXPECT_EQ(ConvertUsefulLinks(u"{{q&a <1>}}", links),
              u"<A HREF=\"http://x.example/?q=&quot;a&quot;&lt;b&gt;\">q&amp;a &lt;1&gt;</A>");
    EXPECT_EQ(ConvertUsefulLinks(u"{{Unknown}} end", links), u"{{Unknown}} end");
}

TEST(FindLinkReferences, ReportsWhereEachReferenceStands) {
    const std::u16string text = u"ab{{Commas}}cd{{x}}{{APOSTROPHES}}";
    const auto refs = findLinkReferences(text, sampleLinks());
    ASSERT_EQ(refs.size(), 2u);
    EXPECT_EQ(refs[0].start, 2u);
    EXPECT_EQ(refs[0].end, 12u);
    EXPECT_EQ(refs[0].title, u"Commas");
    EXPECT_EQ(refs[0].link, 1);
    EXPECT_EQ(refs[1].start, 19u);
    EXPECT_EQ(refs[1].end, text.size());
    EXPECT_EQ(refs[1].link, 0);
}
