// Links from a browser's bookmark file and from a folder of shortcut files.
#include "library/LinkImport.h"

#include "platform/TextCodec.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tallix;
using namespace tallix::library;
using tallix::testing::TempFolder;

namespace {

// A bookmark file as a current browser exports it (folders, separators, icons,
// character references, UTF-8).
const char* const ExportedBookmarks = R"(<!DOCTYPE NETSCAPE-Bookmark-file-1>
<!-- This is an automatically generated file.
     It will be read and overwritten.
     DO NOT EDIT! -->
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<meta http-equiv="Content-Security-Policy"
      content="default-src 'self'; script-src 'none'; img-src data: *; object-src 'none'"></meta>
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks Menu</H1>

<DL><p>
    <DT><H3 ADD_DATE="1700000000" LAST_MODIFIED="1700000001" PERSONAL_TOOLBAR_FOLDER="true">Bookmarks Toolbar</H3>
    <DL><p>
        <DT><A HREF="https://grammar.example/apostrophes?a=1&amp;b=2" ADD_DATE="1700000002" ICON="data:image/png;base64,iVBORw0KGgo=">Apostrophes &amp; possessives</A>
        <HR>
        <DT><A HREF="https://ru.example/%D0%B3" ADD_DATE="1700000003">Грамматика &#8212; &#x41;</A>
    </DL><p>
    <DT><a href='https://lower.example/' add_date="1">  Lower case  </a>
    <DD>A description, not a link: <A HREF="https://not.example/">inline</A>
</DL>
)";

} // namespace

TEST(BookmarkImport, ReadsTheLinksOfAnExportedFile) {
    int seen = 0;
    const auto links = parseBookmarkFile(text::fromUtf8(ExportedBookmarks), [&] { ++seen; });
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0].title, u"Apostrophes & possessives");
    EXPECT_EQ(links[0].url, u"https://grammar.example/apostrophes?a=1&b=2");
    EXPECT_EQ(links[1].title, u"\u0413\u0440\u0430\u043C\u043C\u0430\u0442\u0438\u043A\u0430 \u2014 A");
    EXPECT_EQ(links[1].url, u"https://ru.example/%D0%B3");
    EXPECT_EQ(links[2].title, u"Lower case");
    EXPECT_EQ(links[2].url, u"https://lower.example/");
    EXPECT_EQ(seen, 3);
}

TEST(BookmarkImport, FilesThatAreNoBookmarkFileGiveNoLinks) {
    EXPECT_TRUE(parseBookmarkFile(u"").empty());
    EXPECT_TRUE(parseBookmarkFile(u"<html><body><a href=\"x\">x</a></body></html>").empty());
    EXPECT_TRUE(parseBookmarkFile(u"Just some text with A HREF=\" in it").empty());
    // Cut off in the middle: what is whole is read, nothing runs past the end.
    EXPECT_EQ(parseBookmarkFile(u"<DT><A HREF=\"http://a/\">A</A><DT><A HREF=\"http://b").size(), 2u);
    EXPECT_EQ(parseBookmarkFile(u"<DT><A HREF=\"http://b").back().title, u"");
}

TEST(BookmarkImport, ReadsTheFileByItsContent) {
    TempFolder dir;
    const std::string path = dir.write("my export.html", ExportedBookmarks);
    const auto links = readBookmarkFile(path);
    ASSERT_TRUE(links);
    EXPECT_EQ(links->size(), 3u);
    EXPECT_FALSE(readBookmarkFile(dir.file("missing.html")));
}

TEST(HtmlEntities, KnownReferencesAreDecodedOthersStay) {
    EXPECT_EQ(decodeHtmlEntities(u"a &lt;b&gt; &quot;c&quot; &#39;d&#39; &#x1F600;"),
              u"a <b> \"c\" 'd' \U0001F600");
    EXPECT_EQ(decodeHtmlEntities(u"AT&T &unknown; &#0; &#xD800; &#99999999; &"),
              u"AT&T &unknown; &#0; &#xD800; &#99999999; &");
    // A reference ends within twelve characters: a ';' further on closes none.
    EXPECT_EQ(decodeHtmlEntities(u"&amp;&ampxxxxxxxxx; &#0000000000038;"),
              u"&&ampxxxxxxxxx; &#0000000000038;");
}

TEST(BookmarkImport, ATitleFullOfAmpersandsIsReadInOnePass) {
    // Each '&' used to look for its ';' to the end of the text: a megabyte of them
    // took minutes.
    const std::u16string title(1u << 20, u'&');
    const auto links = parseBookmarkFile(u"<DT><A HREF=\"http://a/\">" + title + u"</A>;");
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].title, title);
}

TEST(FavouritesImport, ReadsShortcutFilesInAlphabeticalOrder) {
    TempFolder dir;
    dir.write("Grammar.url", "[InternetShortcut]\r\nURL=http://grammar.example/\r\n");
    dir.write("apostrophes.URL", "[DEFAULT]\r\nBASEURL=x\r\n[InternetShortcut]\r\nurl = http://a.example/ \r\n");
    dir.write("No address.url", "[InternetShortcut]\r\nIconIndex=0\r\n");
    dir.write("notes.txt", "not a shortcut");
    std::filesystem::create_directory(dir.file("Sub"));
    dir.write("Sub/Inner.url", "[InternetShortcut]\r\nURL=http://inner.example/\r\n");
    int seen = 0;
    const auto links = readFavouritesFolder(dir.path().string(), [&] { ++seen; });
    ASSERT_TRUE(links);
    ASSERT_EQ(links->size(), 3u);
    EXPECT_EQ((*links)[0].title, u"apostrophes");
    EXPECT_EQ((*links)[0].url, u"http://a.example/");
    EXPECT_EQ((*links)[1].title, u"Grammar");
    EXPECT_EQ((*links)[1].url, u"http://grammar.example/");
    EXPECT_EQ((*links)[2].title, u"No address");
    EXPECT_EQ((*links)[2].url, u"Unknown");
    EXPECT_EQ(seen, 3);
    EXPECT_FALSE(readFavouritesFolder(dir.file("missing")));
}

TEST(FavouritesImport, TheFolderIsFavoritesInTheHomeFolder) {
    TempFolder dir;
    const std::string old = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", dir.path().string().c_str(), 1);
    EXPECT_FALSE(favouritesFolder());
    std::filesystem::create_directory(dir.file("Favorites"));
    EXPECT_EQ(favouritesFolder(), dir.file("Favorites"));
    setenv("HOME", old.c_str(), 1);
}
