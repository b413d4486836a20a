// The two libraries' lists and their files.
#include "library/LinkList.h"
#include "library/TextList.h"
#include "platform/FileIO.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tallix;
using namespace tallix::library;
using tallix::testing::TempFolder;

TEST(LibraryFile, LinksRoundTripWithNonLatinText) {
    TempFolder dir;
    LinkList links;
    links.addLink(u"Apostrophes", u"http://grammar.example/apos.html");
    links.setLink(0, u"Apostrophes", u"http://grammar.example/apos.html", u"");
    links.addLink(u"\u0413\u0440\u0430\u043C\u043C\u0430\u0442\u0438\u043A\u0430 \u6587\u6CD5",
                  u"http://ru.example/\u00E9");
    links.setLink(1, links.title(1), links.url(1), u"notes \u2014 \U0001F600");
    const std::string path = dir.file("reflinks.mdb");
    ASSERT_TRUE(writeListFile(path, links));
    // Not every character has a Windows-1252 byte: UTF-8 with a byte-order mark.
    EXPECT_EQ(TempFolder::read(path).substr(0, 3), "\xEF\xBB\xBF");
    LinkList back;
    ASSERT_EQ(readListFile(path, back).status, ListLoadStatus::Loaded);
    EXPECT_EQ(back.items(), links.items());
}

TEST(LibraryFile, LatinTextIsWrittenInWindows1252WithCrLfLines) {
    TempFolder dir;
    LinkList links;
    links.addLink(u"Caf\u00E9 \u201Cquotes\u201D", u"http://a.example/");
    const std::string path = dir.file("reflinks.mdb");
    ASSERT_TRUE(writeListFile(path, links));
    EXPECT_EQ(TempFolder::read(path), "Caf\xE9 \x93quotes\x94\r\nhttp://a.example/\r\n\r\n");
    LinkList back;
    readListFile(path, back);
    EXPECT_EQ(back.items(), links.items());
}

TEST(LibraryFile, SnippetsRoundTripWithTheirLineBreaks) {
    TempFolder dir;
    TextList snippets;
    snippets.addNewSnippet();
    snippets.setSnippet(0, u"Three lines", u"One\r\n\tTwo \u0416\r\nThree");
    EXPECT_EQ(snippets.storedText(0), u"One\x1A\tTwo \u0416\x1AThree");
    const std::string path = dir.file("reftext.mdb");
    ASSERT_TRUE(writeListFile(path, snippets));
    TextList back;
    ASSERT_EQ(readListFile(path, back).status, ListLoadStatus::Loaded);
    ASSERT_EQ(back.count(), 1);
    EXPECT_EQ(back.text(0), u"One\r\n\tTwo \u0416\r\nThree");
    // In a Windows-1252 file 0x1A is a plain byte, not the end of the file.
    TextList plain;
    plain.addNewSnippet();
    plain.setSnippet(0, u"T", u"a\r\nb");
    ASSERT_TRUE(writeListFile(path, plain));
    EXPECT_EQ(TempFolder::read(path), "T\r\na\x1A" "b\r\n");
    TextList again;
    readListFile(path, again);
    EXPECT_EQ(again.text(0), u"a\r\nb");
}

TEST(LibraryFile, AnyLineEndingEndsALineAndShortEntriesArePadded) {
    TempFolder dir;
    const std::string path = dir.write("reflinks.mdb", "A\rhttp://a\nnote\r\nB\r\nhttp://b");
    LinkList links;
    ASSERT_EQ(readListFile(path, links).status, ListLoadStatus::Loaded);
    ASSERT_EQ(links.count(), 2);
    EXPECT_EQ(links.notes(0), u"note");
    EXPECT_EQ(links.title(1), u"B");
    EXPECT_EQ(links.url(1), u"http://b");
    EXPECT_EQ(links.notes(1), u"");
    EXPECT_EQ(links.items().size(), 6u);

    dir.write("reftext.mdb", "Only a title\r\n");
    TextList snippets;
    readListFile(dir.file("reftext.mdb"), snippets);
    ASSERT_EQ(snippets.count(), 1);
    EXPECT_EQ(snippets.storedText(0), u"");
    // Reading past the end of the list yields empty fields, never garbage.
    EXPECT_EQ(snippets.title(5), u"");
}

TEST(LibraryFile, MissingAndDamagedFilesAtStartup) {
    TempFolder dir;
    const std::string path = dir.file("reflinks.mdb");
    LinkList links;
    StartupLoad r = loadAtStartup(LinksLibrary, path, links);
    EXPECT_EQ(r.status, ListLoadStatus::Missing);
    EXPECT_TRUE(r.created);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text,
              u"Unable to load \"reflinks.mdb\", the database of helpful links. The file may have "
              u"been deleted, corrupted or moved.\r\n\r\nA new one will be created.");
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(TempFolder::read(path), "");
    // Now it is there (and empty): no message.
    r = loadAtStartup(LinksLibrary, path, links);
    EXPECT_EQ(r.status, ListLoadStatus::Loaded);
    EXPECT_TRUE(r.messages.empty());

    // A file that is there but is no list is kept aside, reported once with the
    // name it is kept under, and a new empty file takes its place.
    const std::string damaged = std::string("Title\r\n\0\0\0binary", 16);
    dir.write("reftext.mdb", damaged);
    TextList snippets;
    r = loadAtStartup(TextLibrary, dir.file("reftext.mdb"), snippets);
    EXPECT_EQ(r.status, ListLoadStatus::Damaged);
    EXPECT_TRUE(r.created);
    EXPECT_EQ(r.setAsidePath, dir.file("reftext.mdb.bad"));
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text,
              u"Unable to load \"reftext.mdb\", the database of useful text. The file may have "
              u"been deleted, corrupted or moved.\r\n\r\nThe damaged file has been kept as "
              u"\"reftext.mdb.bad\". A new one will be created.");
    EXPECT_EQ(r.messages[0].helpContext, fileio::SetAsideHelpContext);
    EXPECT_EQ(snippets.count(), 0);
    EXPECT_EQ(TempFolder::read(dir.file("reftext.mdb.bad")), damaged);
    EXPECT_EQ(TempFolder::read(dir.file("reftext.mdb")), "");
    r = loadAtStartup(TextLibrary, dir.file("reftext.mdb"), snippets);
    EXPECT_EQ(r.status, ListLoadStatus::Loaded);
    EXPECT_TRUE(r.messages.empty());
    // A second damaged file never replaces the first one kept aside.
    dir.write("reftext.mdb", damaged + "again");
    r = loadAtStartup(TextLibrary, dir.file("reftext.mdb"), snippets);
    EXPECT_EQ(r.setAsidePath, dir.file("reftext.mdb.2.bad"));
    EXPECT_EQ(TempFolder::read(dir.file("reftext.mdb.bad")), damaged);
    EXPECT_EQ(TempFolder::read(dir.file("reftext.mdb.2.bad")), damaged + "again");

    // A folder where the file should be.
    std::filesystem::create_directory(dir.file("folder.mdb"));
    r = loadAtStartup(TextLibrary, dir.file("folder.mdb"), snippets);
    EXPECT_EQ(r.status, ListLoadStatus::Unreadable);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.mdb")));
}

TEST(LibraryFile, ADamagedFileThatCannotBeKeptAsideIsLeftAsItIs) {
    TempFolder dir;
    const std::string damaged = std::string("Title\r\n\0binary", 13);
    const std::string path = dir.write("reflinks.mdb", damaged);
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0555),
                                 std::filesystem::perm_options::replace);
    LinkList links;
    StartupLoad r;
    {
        tallix::testing::AsUnprivileged user;
        if (!user.effective())
            GTEST_SKIP() << "cannot drop root privileges";
        r = loadAtStartup(LinksLibrary, path, links);
    }
    EXPECT_EQ(r.status, ListLoadStatus::Damaged);
    EXPECT_FALSE(r.created);
    EXPECT_TRUE(r.setAsidePath.empty());
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_NE(r.messages[0].text.find(u"left as it is"), std::u16string::npos);
    EXPECT_EQ(TempFolder::read(path), damaged);
}

TEST(LibraryFile, CreationAndSaveFailuresAreReported) {
    TempFolder dir;
    LinkList links;
    const std::string path = dir.file("no-such-folder/reflinks.mdb");
    StartupLoad r = loadAtStartup(LinksLibrary, path, links);
    EXPECT_FALSE(r.created);
    ASSERT_EQ(r.messages.size(), 2u);
    EXPECT_EQ(r.messages[1].text,
              u"Unable to save the database to file.\r\nThe file \"reflinks.mdb\" may be "
              u"reconstructed when you restart the program.");
    EXPECT_EQ(r.messages[1].helpContext, 33000);
    std::optional<Message> m = saveLibrary(TextLibrary, path, links);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->helpContext, 33500);
    EXPECT_NE(m->text.find(u"\"reftext.mdb\""), std::u16string::npos);
    EXPECT_FALSE(saveLibrary(TextLibrary, dir.file("reftext.mdb"), links));
}

TEST(LibraryLists, FieldsAreKeptOnOneLine) {
    LinkList links;
    links.addLink(u"Two\r\nlines\tand a tab", u"http://a\n.example/\u2029");
    EXPECT_EQ(links.title(0), u"Two  lines and a tab");
    EXPECT_EQ(links.url(0), u"http://a .example/ ");
    links.setLink(0, u"A\rB", u"u", u"n1\nn2");
    EXPECT_EQ(links.title(0), u"A B");
    EXPECT_EQ(links.notes(0), u"n1 n2");
    TextList snippets;
    snippets.addNewSnippet();
    snippets.setSnippet(0, u"T\r\n", u"x");
    EXPECT_EQ(snippets.title(0), u"T  ");
}

TEST(HideReturns, EveryKindOfLineBreakIsHiddenAndComesBackAsCrLf) {
    EXPECT_EQ(HideReturns(u""), u"");
    EXPECT_EQ(RestoreReturns(u""), u"");
    EXPECT_EQ(HideReturns(u"one\r\ntwo\r\nthree"), u"one\x1Atwo\x1Athree");
    EXPECT_EQ(RestoreReturns(u"one\x1Atwo\x1Athree"), u"one\r\ntwo\r\nthree");
    // Text boxes hand over LF or U+2029; a lone CR is a line break too.
    EXPECT_EQ(HideReturns(u"a\nb\u2029c\rd\r\n\r\n"), u"a\x1A" u"b\x1A" u"c\x1A" u"d\x1A\x1A");
    EXPECT_EQ(RestoreReturns(HideReturns(u"a\nb")), u"a\r\nb");
}

TEST(LibraryLists, DeleteRemovesTheCurrentOrTheFirstRunOfSelected) {
    auto list = [] {
        LinkList l;
        for (char16_t c : std::u16string(u"12345"))
            l.addLink(std::u16string(1, c), u"u");
        return l;
    };
    auto titles = [](const LinkList& l) {
        std::u16string t;
        for (int i = 0; i < l.count(); ++i)
            t += l.title(i);
        return t;
    };
    // One selected: the one that followed becomes current.
    LinkList l = list();
    DeleteOutcome d = deleteSelected(l, 1, {false, true, false, false, false});
    EXPECT_EQ(titles(l), u"1345");
    EXPECT_EQ(d.newCurrent, 1);
    EXPECT_EQ(l.items().size(), 12u);
    // The last: the new last becomes current.
    d = deleteSelected(l, 3, {false, false, false, true});
    EXPECT_EQ(titles(l), u"134");
    EXPECT_EQ(d.newCurrent, 2);
    // Links 2, 3 and 5 selected, 2 current: 2 and 3 go.
    l = list();
    d = deleteSelected(l, 1, {false, true, true, false, true});
    EXPECT_EQ(titles(l), u"145");
    EXPECT_EQ(d.firstRemoved, 1);
    EXPECT_EQ(d.removed, 2);
    EXPECT_EQ(d.newCurrent, 1);
    // The run starts at the first selected item even when the current one is later.
    l = list();
    d = deleteSelected(l, 4, {false, false, false, true, true});
    EXPECT_EQ(titles(l), u"123");
    EXPECT_EQ(d.newCurrent, 2);
    // The current item not selected, or none: refused, nothing removed.
    l = list();
    d = deleteSelected(l, 0, {false, true});
    ASSERT_TRUE(d.message);
    EXPECT_EQ(d.message->text, u"Please select a title to delete.");
    d = deleteSelected(l, -1, {});
    EXPECT_TRUE(d.message);
    EXPECT_EQ(l.count(), 5);
    // Deleting everything leaves no current item.
    LinkList one;
    one.addNewLink();
    d = deleteSelected(one, 0, {true});
    EXPECT_EQ(d.newCurrent, -1);
    EXPECT_TRUE(one.empty());
    // Two strings per snippet.
    TextList t;
    t.addNewSnippet();
    t.addNewSnippet();
    t.setSnippet(1, u"B", u"b");
    deleteSelected(t, 0, {true, false});
    ASSERT_EQ(t.count(), 1);
    EXPECT_EQ(t.items(), (std::vector<std::u16string>{u"B", u"b"}));
}
