#include "annotations/Annotating.h"
#include "document/Comments.h"
#include "document/DocumentCommands.h"
#include "document/EditGuard.h"
#include "document/MarkedDocument.h"
#include "document/Scanning.h"
#include "platform/FileIO.h"
#include "platform/TextCodec.h"

#include "BufferTestSupport.h"
#include "DataFiles.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <filesystem>

using namespace tallix;
using tallix::testing::TempFolder;
using tallix::testing::format;

namespace {

// Marks the essay the way the marking operations do: a blue span with a red label,
// a navy span with a green marker, and a silver bookmark.
void markUp(MarkedDocument& d) {
    RichTextBuffer& b = d.essay();
    b.setText(u"Their is a cat.\r\nSecond paragraph here.");
    b.select(0, 5);
    b.setSelColour(clBlue);
    b.setSelStyle(fsUnderline);
    b.setSelStart(5);
    b.setSelText(u"WW"); // label after the span
    b.select(5, 2);
    b.setSelColour(clRed);
    b.setSelStyle(fsItalic);
    b.setSelSize(8);
    b.setSelOffset(60);
    int end = b.length();
    b.select(end - 5, 5); // "here."
    b.setSelColour(clNavy);
    b.setSelStyle(fsUnderline);
    b.setSelStart(end);
    b.setSelText(u"1");
    b.select(end, 1);
    b.setSelColour(clGreen);
    b.setSelStyle(fsBold);
    b.setSelSize(10);
    b.setSelOffset(60);
    b.setSelStart(11);
    b.setSelText(u"[*BM*]");
    b.select(11, 6);
    b.setSelColour(clSilver);
    b.setSelStart(0);
}

void setComments(MarkedDocument& d, std::vector<std::u16string> comments) {
    d.commentTexts = std::move(comments);
    d.notes.selectorMax = d.notes.selectorValue = int(d.commentTexts.size());
}

std::u16string withoutBookmarks(std::u16string s) {
    for (auto at = s.find(u"[*BM*]"); at != std::u16string::npos; at = s.find(u"[*BM*]"))
        s.erase(at, 6);
    return s;
}

struct ScriptedPrompts : DocumentPrompts {
    std::deque<Answer> answers;
    std::optional<std::string> savePath;
    int questions = 0;
    std::vector<Message> shown;
    Answer askSaveChanges() override {
        ++questions;
        Answer a = answers.empty() ? Answer::Cancel : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return a;
    }
    std::optional<std::string> askSavePath(const std::string&) override { return savePath; }
    void showMessage(const Message& m) override { shown.push_back(m); }
    std::deque<bool> overwrite; // answers to the changed-on-disk question
    std::vector<std::string> overwriteAsked;
    bool askOverwriteChanged(const std::string& path) override {
        overwriteAsked.push_back(path);
        bool a = !overwrite.empty() && overwrite.front();
        if (!overwrite.empty())
            overwrite.pop_front();
        return a;
    }
};

} // namespace

// ------------------------------------------------------------------ the file format

TEST(MarkedFileTrailer, PiecesFollowEachOtherWithNothingBetween) {
    TrailerParts p{{u"Good start", u"Check the tense"}, u"Well argued.", u"", u"65%"};
    EXPECT_EQ(buildTrailer(p), u"TallixComments:Good start\u00B6Check the tense\u00B6"
                               u"FeedbackOne:Well argued.EndFeedbackOneFeedbackTwo:"
                               u"EndFeedbackTwoTallixGrade:65%EndTallixGrade  ");
    TrailerParts none{{}, u"", u"", u"??%"};
    EXPECT_EQ(buildTrailer(none).substr(0, 27), u"TallixComments:FeedbackOne:");
}

TEST(MarkedFileTrailer, SeparatorsAndKeywordsInTextsConfuseReadingAsStoredFilesExpect) {
    // A pilcrow in a comment splits it; one in a feedback text adds a comment.
    TrailerParts p{{u"one\u00B6two"}, u"fb\u00B6x", u"", u"A"};
    TrailerParts back = parseTrailer(buildTrailer(p));
    std::vector<std::u16string> expected{u"one", u"two", u"FeedbackOne:fb"};
    EXPECT_EQ(back.comments, expected);
    // The first occurrence of a keyword counts, wherever it is.
    TrailerParts q{{u"see EndFeedbackOne"}, u"real", u"", u"B"};
    TrailerParts qb = parseTrailer(buildTrailer(q));
    EXPECT_EQ(qb.feedback1, u"");
    EXPECT_EQ(qb.grade, u"B");
}

TEST(MarkedFileTrailer, MissingKeywordsGiveEmptyTexts) {
    TrailerParts p = parseTrailer(u"TallixComments:a\u00B6FeedbackOne:cut off");
    EXPECT_EQ(p.comments, std::vector<std::u16string>{u"a"});
    EXPECT_EQ(p.feedback1, u"");
    EXPECT_EQ(p.grade, u"");
}

// ------------------------------------------------------------------ save and load

TEST(MarkedFileRoundTrip, EverythingComesBackAndBookmarksStayOnScreenOnly) {
    TempFolder dir;
    const std::string path = dir.file("essay.tlx");
    const std::vector<std::vector<std::u16string>> commentSets = {
        {},
        {u"Only one"},
        {u"First", u"Second\r\nhas two lines", u"", u"Fourth: ünïcödé €"},
    };
    for (const auto& comments : commentSets) {
        MarkedDocument d;
        markUp(d);
        setComments(d, comments);
        d.feedback1Text = u"Well argued.\r\n\r\nBut check spelling.";
        d.feedback2Text = u"Next time: plan first.";
        d.grade = u"B+ (68%)";
        const std::u16string onScreen = d.essay().text();
        const RichContent before = d.essay().content();

        ASSERT_TRUE(d.saveTlx(path).ok);
        EXPECT_EQ(d.essay().text(), onScreen); // bookmarks still on screen
        EXPECT_EQ(d.caption(), u"Tallix32: 'essay.tlx'");
        EXPECT_FALSE(d.documentChanged);
        EXPECT_EQ(d.scratch().length(), 0);

        MarkedDocument e;
        e.clear();
        ASSERT_TRUE(e.loadTlxFile(path).ok);
        EXPECT_EQ(e.essay().text(), withoutBookmarks(onScreen));
        EXPECT_EQ(e.commentTexts, comments);
        EXPECT_EQ(e.notes.selectorMax, int(comments.size()));
        EXPECT_EQ(e.notes.selectorValue, int(comments.size()));
        EXPECT_EQ(e.feedback1Text, d.feedback1Text);
        EXPECT_EQ(e.feedback2Text, d.feedback2Text);
        EXPECT_EQ(e.grade, d.grade);
        EXPECT_EQ(e.currentFile, path);
        EXPECT_EQ(e.recentFiles.entry(1), path);
        EXPECT_FALSE(e.documentChanged);
        EXPECT_EQ(e.essay().selStart(), 0);

        // Colours and formats survive: compare every character outside the bookmark.
        RichTextBuffer expected;
        expected.assign(before);
        scan::removeBookmarks(expected);
        ASSERT_EQ(expected.length(), e.essay().length());
        for (int i = 0; i < expected.length(); ++i)
            ASSERT_EQ(expected.formatAt(i), e.essay().formatAt(i)) << "position " << i;
    }
}

TEST(MarkedFileSave, TheFileIsTheEssayWrittenThroughRtfWithItsTrailer) {
    // Saving copies the essay's content straight into the scratch buffer. Because
    // our RTF reads back exactly, that must give, byte for byte, the file that
    // copying the essay through RTF gives: random essays of every format, with
    // bookmarks, surrogate pairs, a NUL and paragraphs of every alignment.
    const std::vector<std::u16string> pieces = {
        u"word", u" ", u"\t", u"\\{}", u"\u00e9\u20ac", u"\U0001F600", u"\r\n",
        std::u16string(1, u'\0'), std::u16string(markup::BookmarkText), u"Sp", u"\u4e2d"};
    const std::vector<CharFormat> formats = {
        format(clBlack), format(clWindowText), format(clBlue, fsUnderline),
        format(clRed, fsItalic, 16, u"Arial", 60), format(clNavy, fsUnderline),
        format(clSilver), format(clGreen, fsBold, 16, u"Arial", 60),
        format(clPurple, fsBold | fsStrikeOut, 32, u"Times New Roman", -60)};
    TempFolder dir;
    const std::string path = dir.file("essay.tlx");
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&](std::size_t n) { return std::size_t(rng() % n); };
        MarkedDocument d;
        RichTextBuffer& b = d.essay();
        for (std::size_t step = pick(30); step > 0; --step) {
            b.setSelStart(b.length());
            b.setSelFormat(formats[pick(formats.size())]);
            b.setSelText(pieces[pick(pieces.size())]);
            if (pick(5) == 0)
                b.setParaAlignment(Alignment(pick(3)));
        }
        setComments(d, pick(2) ? std::vector<std::u16string>{} : std::vector<std::u16string>{u"One", u"Two"});
        d.feedback1Text = u"Good.";
        d.grade = u"B";
        b.select(int(pick(std::size_t(b.length()) + 1)), 0);

        RichTextBuffer throughRtf;
        ASSERT_TRUE(throughRtf.loadFromBytes(b.saveRtf()).ok);
        scan::removeBookmarks(throughRtf);
        throughRtf.setSelStart(throughRtf.length());
        throughRtf.setSelText(d.trailer());
        const std::string want = throughRtf.saveRtf();

        ASSERT_TRUE(d.saveTlx(path).ok);
        std::string got;
        ASSERT_TRUE(fileio::readFile(path, got).ok);
        ASSERT_EQ(got, want) << "seed " << seed;
    }
}

TEST(MarkedFileRoundTrip, AnEmptyEssayHasItsTrailerAtPositionZero) {
    TempFolder dir;
    MarkedDocument d;
    d.clear();
    d.grade = u"??%";
    ASSERT_TRUE(d.saveTlx(dir.file("empty.tlx")).ok);
    RichTextBuffer raw;
    ASSERT_TRUE(raw.loadFromFile(dir.file("empty.tlx")).ok);
    EXPECT_EQ(raw.findText(u"TallixComments:", 0, raw.length()), 0);

    MarkedDocument e;
    ASSERT_TRUE(e.loadTlxFile(dir.file("empty.tlx")).ok);
    EXPECT_EQ(e.essay().length(), 0);
    EXPECT_TRUE(e.commentTexts.empty());
    EXPECT_EQ(e.notes.selectorMax, 0);
    EXPECT_EQ(e.grade, u"??%");
}

TEST(MarkedFileRoundTrip, SavingCommitsTheMemoTheTeacherIsStillTypingIn) {
    TempFolder dir;
    MarkedDocument d;
    d.essay().setText(u"Essay.");
    setComments(d, {u"first", u""});
    d.notes.caption = NotesCaption::Comments;
    d.notes.memoText = u"typed but not committed";
    ASSERT_TRUE(d.saveTlx(dir.file("a.tlx")).ok);
    MarkedDocument e;
    ASSERT_TRUE(e.loadTlxFile(dir.file("a.tlx")).ok);
    EXPECT_EQ(e.commentTexts.back(), u"typed but not committed");

    d.notes.caption = NotesCaption::Feedback2;
    d.notes.memoText = u"feedback in the memo";
    ASSERT_TRUE(d.saveTlx(dir.file("b.tlx")).ok);
    ASSERT_TRUE(e.loadTlxFile(dir.file("b.tlx")).ok);
    EXPECT_EQ(e.feedback2Text, u"feedback in the memo");
}

TEST(MarkedFileLoad, TheMemoReceivesTheTextItsCaptionNames) {
    TempFolder dir;
    MarkedDocument d;
    d.essay().setText(u"Essay.");
    setComments(d, {u"c1", u"c2"});
    d.feedback1Text = u"one";
    d.feedback2Text = u"two";
    ASSERT_TRUE(d.saveTlx(dir.file("x.tlx")).ok);

    const std::pair<NotesCaption, std::u16string> cases[] = {
        {NotesCaption::Feedback1, u"one"},
        {NotesCaption::Feedback2, u"two"},
        {NotesCaption::Comments, u"c2"},
        {NotesCaption::Notes, u"left alone"},
    };
    for (const auto& [caption, memo] : cases) {
        MarkedDocument e;
        e.notes.caption = caption;
        e.notes.memoText = u"left alone";
        ASSERT_TRUE(e.loadTlxFile(dir.file("x.tlx")).ok);
        EXPECT_EQ(e.notes.memoText, memo);
    }
}

TEST(MarkedFileLoad, AFileWithoutTrailerIsAllEssayAndKeepsItsColours) {
    TempFolder dir;
    const std::string path = dir.write(
        "plain.rtf", "{\\rtf1\\ansi{\\colortbl ;\\red255\\green0\\blue0;}\\cf1 Red words}");
    MarkedDocument d;
    d.grade = u"old";
    setComments(d, {u"stale"});
    d.feedback1Text = u"stale";
    ASSERT_TRUE(d.loadTlxFile(path).ok);
    EXPECT_EQ(d.essay().text(), u"Red words");
    EXPECT_EQ(d.essay().colourAt(0), clRed);
    EXPECT_TRUE(d.commentTexts.empty());
    EXPECT_EQ(d.feedback1Text, u"");
    EXPECT_EQ(d.grade, u"??%");
    EXPECT_EQ(d.caption(), u"Tallix32: 'plain.rtf'");
}

TEST(MarkedFileLoad, BytesLoadAsTheFileWithThemWould) {
    TempFolder dir;
    const std::string bytes = "{\\rtf1 Essay TallixComments:one\\'b6FeedbackOne:good"
                              "EndFeedbackOneFeedbackTwo:EndFeedbackTwoTallixGrade:B"
                              "EndTallixGrade  }";
    MarkedDocument fromFile;
    ASSERT_TRUE(fromFile.loadTlxFile(dir.write("a.tlx", bytes)).ok);
    MarkedDocument fromBytes;
    ASSERT_TRUE(fromBytes.loadTlxBytes(bytes, dir.file("a.tlx")).ok);
    EXPECT_EQ(fromBytes.essay().text(), fromFile.essay().text());
    EXPECT_EQ(fromBytes.commentTexts, std::vector<std::u16string>{u"one"});
    EXPECT_EQ(fromBytes.feedback1Text, u"good");
    EXPECT_EQ(fromBytes.grade, u"B");
    EXPECT_EQ(fromBytes.currentFile, dir.file("a.tlx"));
    EXPECT_EQ(fromBytes.recentFiles, fromFile.recentFiles);
}

TEST(MarkedFileLoad, UnreadableFilesFailWithoutTouchingTheDocument) {
    TempFolder dir;
    MarkedDocument d;
    d.essay().setText(u"keep me");
    d.recentFiles.update("/some/earlier.tlx");
    const RecentFiles recent = d.recentFiles;
    // A huge file is refused by its size: nothing of it is read.
    const std::string huge = dir.file("huge.tlx");
    std::filesystem::resize_file(dir.write("huge.tlx", "{\\rtf1 "), (std::uintmax_t(2) << 30));
    const std::u16string missingText =
        u"The file \"" + text::fromUtf8(dir.file("missing.tlx")) + u"\" does not exist.";
    const std::u16string hugeText =
        u"The file \"" + text::fromUtf8(huge) + u"\" is too large to be an essay (more than 256 MB).";
    const std::u16string corrupted = u"Unable to load the file. It may be corrupted in some way.";
    const std::pair<std::string, std::u16string> cases[] = {
        {dir.file("missing.tlx"), missingText},
        {dir.path().string(), corrupted},
        {huge, hugeText},
    };
    for (const auto& [path, message] : cases) {
        FileOutcome r = d.loadTlxFile(path);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message.text, message);
        EXPECT_EQ(r.message.helpContext, 14000);
        EXPECT_EQ(d.essay().text(), u"keep me");
        EXPECT_EQ(d.recentFiles, recent);
        EXPECT_EQ(d.currentFile, "");
    }
}

TEST(MarkedFileImport, MissingAndHugeEssaysAreToldAsThatBeforeAnythingIsRead) {
    TempFolder dir;
    // 2 GB, all zeros but the name: neither a zip archive nor an essay.
    const std::string docx = dir.write("big.docx", "");
    std::filesystem::resize_file(docx, std::uintmax_t(2) << 30);
    const std::string named = dir.write("fake.docx", "");
    std::filesystem::resize_file(named, std::uintmax_t(100) << 20);
    for (ImportKind kind : {ImportKind::Rtf, ImportKind::Text}) {
        MarkedDocument d;
        FileOutcome r = d.importEssay(docx, kind);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(text::toUtf8(r.message.text).find("is too large to be an essay"), std::string::npos);
        EXPECT_EQ(r.message.helpContext, kind == ImportKind::Rtf ? 5000 : 6000);
        r = d.importEssay(named, kind);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(text::toUtf8(r.message.text).find("not a zip archive"), std::string::npos);
        r = d.importEssay(dir.file("gone.rtf"), kind);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message.text, u"The file \"" + text::fromUtf8(dir.file("gone.rtf")) + u"\" does not exist.");
    }
}

TEST(MarkedFileLoad, TruncatedAndDamagedFilesNeverCrash) {
    TempFolder dir;
    MarkedDocument d;
    markUp(d);
    setComments(d, {u"a comment", u"another"});
    d.feedback1Text = u"feedback";
    ASSERT_TRUE(d.saveTlx(dir.file("full.tlx")).ok);
    const std::string bytes = TempFolder::read(dir.file("full.tlx"));
    for (std::size_t cut = 0; cut < bytes.size(); cut += 7) {
        const std::string path = dir.write("cut.tlx", bytes.substr(0, cut));
        MarkedDocument e;
        e.loadTlxFile(path); // succeeds with what can be read, or fails cleanly
        EXPECT_TRUE(e.essay().check());
    }
    std::string garbage(5000, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919u) & 0xFF);
    MarkedDocument g;
    g.loadTlxFile(dir.write("garbage.tlx", garbage));
    g.loadTlxFile(dir.write("garbage2.tlx", "{\\rtf1 " + garbage));
    EXPECT_TRUE(g.essay().check());
}

// ------------------------------------------------------------------ saving failures

TEST(MarkedFileSave, AFailedSaveChangesNothingAndLeavesTheOldFileWhole) {
    TempFolder dir;
    MarkedDocument d;
    d.essay().setText(u"version one");
    const std::string path = dir.file("essay.tlx");
    ASSERT_TRUE(d.saveTlx(path).ok);
    const std::string saved = TempFolder::read(path);

    d.essay().setText(u"version two");
    d.documentChanged = true;
    const RecentFiles recent = d.recentFiles;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec |
                                                 std::filesystem::perms::others_read |
                                                 std::filesystem::perms::others_exec);
    FileOutcome r;
    bool unprivileged = false;
    {
        tallix::testing::AsUnprivileged user;
        unprivileged = user.effective();
        r = d.saveTlx(path);
    }
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    if (!unprivileged)
        GTEST_SKIP() << "cannot leave the privileges that ignore a read-only folder";
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message.type, MessageType::Error);
    EXPECT_TRUE(d.documentChanged);
    EXPECT_EQ(d.recentFiles, recent);
    EXPECT_EQ(TempFolder::read(path), saved);
}

TEST(MarkedFileSave, ASaveIntoAMissingFolderFailsAndChangesNothing) {
    TempFolder dir;
    MarkedDocument d;
    d.essay().setText(u"text");
    d.documentChanged = true;
    FileOutcome r = d.saveTlx(dir.file("no/such/folder/x.tlx"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(d.documentChanged);
    EXPECT_EQ(d.currentFile, "");
    EXPECT_EQ(d.caption(), u"Tallix32 [Untitled]");
    EXPECT_EQ(d.recentFiles.entry(1), "");
}

// ------------------------------------------------------------------ recent files

TEST(RecentFilesList, KnownPathsKeepTheirPlaceAndCaseCounts) {
    RecentFiles r;
    for (const char* p : {"/a/1.tlx", "/a/2.tlx", "/a/3.tlx"})
        r.update(p);
    EXPECT_FALSE(r.update("/a/1.tlx"));
    EXPECT_EQ(r.entry(1), "/a/3.tlx");
    EXPECT_EQ(r.entry(3), "/a/1.tlx");
    EXPECT_TRUE(r.update("/A/1.tlx"));
    EXPECT_EQ(r.entry(1), "/A/1.tlx");
    for (const char* p : {"/b/4.tlx", "/b/5.tlx"})
        r.update(p);
    EXPECT_EQ(r.entry(5), "/a/2.tlx"); // "/a/1.tlx" dropped off the end
    EXPECT_EQ(r.menuText(1), "5.tlx");
    EXPECT_TRUE(r.dividerVisible());
    EXPECT_FALSE(RecentFiles().dividerVisible());
}

TEST(RecentFilesList, SavingTwiceToOnePathChangesTheListOnce) {
    TempFolder dir;
    MarkedDocument d;
    d.essay().setText(u"x");
    ASSERT_TRUE(d.saveTlx(dir.file("one.tlx")).ok);
    ASSERT_TRUE(d.saveTlx(dir.file("two.tlx")).ok);
    ASSERT_TRUE(d.saveTlx(dir.file("one.tlx")).ok);
    EXPECT_EQ(d.recentFiles.entry(1), dir.file("two.tlx"));
    EXPECT_EQ(d.recentFiles.entry(2), dir.file("one.tlx"));
}

TEST(RecentFilesList, EverySpellingOfAFileIsListedOnceByItsFullName) {
    TempFolder dir;
    std::filesystem::create_directories(dir.path() / "class" / "week1");
    MarkedDocument d;
    d.essay().setText(u"x");
    const std::string file = (dir.path() / "class" / "essay.tlx").string();
    ASSERT_TRUE(d.saveTlx(file).ok);
    const std::string full = std::filesystem::canonical(file).string();
    EXPECT_EQ(d.recentFiles.entry(1), full);

    std::error_code ec;
    std::filesystem::create_symlink(file, dir.path() / "link.tlx", ec);
    {
        struct WorkingFolder {
            std::filesystem::path before = std::filesystem::current_path();
            ~WorkingFolder() { std::filesystem::current_path(before); }
        } restore;
        std::filesystem::current_path(dir.path() / "class" / "week1");
        std::vector<std::string> spellings = {"../essay.tlx", "./../essay.tlx",
                                              "../week1/../essay.tlx"};
        if (!ec)
            spellings.push_back("../../link.tlx");
        for (const std::string& s : spellings) {
            SCOPED_TRACE(s);
            ASSERT_TRUE(d.loadTlxFile(s).ok);
            EXPECT_EQ(d.recentFiles.entry(1), full);
            EXPECT_EQ(d.recentFiles.entry(2), "");
        }
    }

    // A relative entry of an earlier run takes the full name in its place.
    RecentFiles r;
    r.setEntry(1, "/elsewhere/first.tlx");
    r.setEntry(2, (dir.path() / "class" / "week1" / ".." / "essay.tlx").string());
    EXPECT_TRUE(r.update(file));
    EXPECT_EQ(r.entry(1), "/elsewhere/first.tlx");
    EXPECT_EQ(r.entry(2), full);
    EXPECT_EQ(r.entry(3), "");
}

// ------------------------------------------------------------------ import

TEST(MarkedFileImport, ImportedEssaysAreAllBlackChangedAndUntitled) {
    TempFolder dir;
    const std::string rtf = dir.write(
        "coloured.rtf",
        "{\\rtf1\\ansi{\\colortbl ;\\red0\\green0\\blue255;\\red0\\green128\\blue0;}"
        "\\cf1 Blue \\cf2 green\\par plain}");
    MarkedDocument d;
    d.recentFiles.update("/x.tlx");
    ASSERT_TRUE(d.importEssay(rtf, ImportKind::Rtf).ok);
    EXPECT_EQ(d.essay().text(), u"Blue green\r\nplain");
    for (int i = 0; i < d.essay().length(); ++i)
        EXPECT_EQ(d.essay().colourAt(i), clBlack);
    EXPECT_TRUE(d.documentChanged);
    EXPECT_EQ(d.caption(), u"Tallix32 [Untitled]");
    EXPECT_EQ(d.recentFiles.entry(1), "/x.tlx");
    EXPECT_EQ(d.recentFiles.entry(2), "");

    // Windows-1252 text reads as such, in black.
    const std::string txt = dir.write("essay.txt", "caf\xe9\r\nna\xefve\n");
    ASSERT_TRUE(d.importEssay(txt, ImportKind::Text).ok);
    EXPECT_EQ(d.essay().text(), u"café\r\nnaïve\r\n");
    EXPECT_EQ(d.essay().colourAt(0), clBlack);

    std::filesystem::create_directory(dir.file("folder.rtf"));
    FileOutcome bad = d.importEssay(dir.file("folder.rtf"), ImportKind::Rtf);
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.message.helpContext, 5000);
    EXPECT_EQ(bad.message.text, u"Unable to load the file. It may be in use by another program, "
                                u"or corrupted in some way.");
    EXPECT_EQ(d.importEssay(dir.file("none.txt"), ImportKind::Text).message.helpContext, 6000);
}

// ------------------------------------------------------------------ the commands' decisions

TEST(DocumentCommandsDecisions, TheSaveChangesQuestion) {
    TempFolder dir;
    MarkedDocument d;
    ScriptedPrompts p;
    DocumentCommands cmd(d, p);

    EXPECT_TRUE(cmd.saveChanges()); // unchanged: no question
    EXPECT_EQ(p.questions, 0);

    d.essay().setText(u"work");
    d.documentChanged = true;
    p.answers = {Answer::Cancel};
    EXPECT_FALSE(cmd.newDocument());
    EXPECT_EQ(d.essay().text(), u"work");

    p.answers = {Answer::Yes}; // untitled: Save As, cancelled
    p.savePath.reset();
    EXPECT_FALSE(cmd.newDocument());
    EXPECT_EQ(d.essay().text(), u"work");

    p.answers = {Answer::Yes};
    p.savePath = dir.file("saved.tlx");
    EXPECT_TRUE(cmd.newDocument());
    EXPECT_EQ(d.essay().length(), 0);
    EXPECT_TRUE(std::filesystem::exists(dir.file("saved.tlx")));

    d.essay().setText(u"more");
    d.documentChanged = true;
    p.answers = {Answer::No};
    EXPECT_TRUE(cmd.newDocument());
    EXPECT_EQ(d.essay().length(), 0);
}

TEST(DocumentCommandsDecisions, OpenStopsOnCancelInsteadOfReplacingUnsavedWork) {
    TempFolder dir;
    MarkedDocument other;
    other.essay().setText(u"other essay");
    ASSERT_TRUE(other.saveTlx(dir.file("other.tlx")).ok);

    MarkedDocument d;
    ScriptedPrompts p;
    DocumentCommands cmd(d, p);
    d.essay().setText(u"unsaved");
    d.feedback1Text = u"unsaved feedback";
    d.documentChanged = true;
    p.answers = {Answer::Cancel};
    EXPECT_FALSE(cmd.open(dir.file("other.tlx")));
    EXPECT_EQ(d.essay().text(), u"unsaved");
    EXPECT_EQ(d.feedback1Text, u"unsaved feedback");

    p.answers = {Answer::No};
    EXPECT_TRUE(cmd.open(dir.file("other.tlx")));
    EXPECT_EQ(d.essay().text(), u"other essay");
    EXPECT_EQ(d.feedback1Text, u"");
}

TEST(DocumentCommandsDecisions, ImportAsksAgainAfterNoAndStopsOnCancel) {
    TempFolder dir;
    const std::string essay = dir.write("e.txt", "new essay");
    MarkedDocument d;
    ScriptedPrompts p;
    DocumentCommands cmd(d, p);
    d.essay().setText(u"unsaved");
    d.documentChanged = true;

    // The window asks first; No lets it show the dialog, then the new document
    // asks again, and Cancel there stops the import.
    p.answers = {Answer::No, Answer::Cancel};
    ASSERT_TRUE(cmd.saveChanges());
    EXPECT_FALSE(cmd.importEssay(essay, ImportKind::Text));
    EXPECT_EQ(d.essay().text(), u"unsaved");
    EXPECT_EQ(p.questions, 2);

    p.answers = {Answer::No, Answer::No};
    ASSERT_TRUE(cmd.saveChanges());
    EXPECT_TRUE(cmd.importEssay(essay, ImportKind::Text));
    EXPECT_EQ(d.essay().text(), u"new essay");
}

TEST(DocumentCommandsDecisions, ClosingNeverProceedsAfterAFailedSave) {
    TempFolder dir;
    MarkedDocument d;
    ScriptedPrompts p;
    DocumentCommands cmd(d, p);
    d.essay().setText(u"unsaved");
    d.documentChanged = true;
    d.currentFile = dir.file("gone/folder/x.tlx");
    p.answers = {Answer::Yes};
    EXPECT_FALSE(cmd.closeQuery());
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].type, MessageType::Error);
    EXPECT_TRUE(d.documentChanged);

    p.answers = {Answer::No};
    EXPECT_TRUE(cmd.closeQuery());
}

TEST(DocumentCommandsDecisions, SavingOverAFileAnotherProgramWroteAsksFirst) {
    TempFolder dir;
    const std::string path = dir.file("essay.tlx");
    MarkedDocument d;
    ScriptedPrompts p;
    DocumentCommands cmd(d, p);
    d.essay().setText(u"first version");
    ASSERT_TRUE(cmd.saveTo(path));
    EXPECT_TRUE(p.overwriteAsked.empty());

    // Another program rewrites the file at once, to the same size: neither the
    // size nor (at a coarse clock) the time tells, the content does.
    std::string theirs = TempFolder::read(path);
    theirs[theirs.size() / 2] = theirs[theirs.size() / 2] == 'x' ? 'y' : 'x';
    dir.write("essay.tlx", theirs);
    d.essay().setText(u"second version");
    d.documentChanged = true;
    p.overwrite = {false};
    EXPECT_FALSE(cmd.save());
    ASSERT_EQ(p.overwriteAsked.size(), 1u);
    EXPECT_EQ(p.overwriteAsked[0], path);
    EXPECT_EQ(TempFolder::read(path), theirs);
    EXPECT_TRUE(d.documentChanged);
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(MarkedDocument::overwriteChangedQuestion(path),
              u"essay.tlx has been changed by another program since you opened it. "
              u"Overwrite it?");

    // Closing with Yes to saving, then No to overwriting, keeps the window open.
    p.answers = {Answer::Yes};
    p.overwrite = {false};
    EXPECT_FALSE(cmd.closeQuery());
    EXPECT_EQ(p.overwriteAsked.size(), 2u);
    EXPECT_EQ(TempFolder::read(path), theirs);

    p.overwrite = {true};
    EXPECT_TRUE(cmd.save());
    EXPECT_FALSE(d.documentChanged);
    EXPECT_NE(TempFolder::read(path), theirs);
    EXPECT_TRUE(cmd.save()); // our own write is no change by another program
    EXPECT_EQ(p.overwriteAsked.size(), 3u);

    // Opened rather than saved: the bytes read are what counts. A file written
    // back unchanged is no change.
    MarkedDocument e;
    ScriptedPrompts q;
    DocumentCommands ecmd(e, q);
    ASSERT_TRUE(ecmd.open(path));
    dir.write("essay.tlx", TempFolder::read(path));
    EXPECT_TRUE(ecmd.save());
    EXPECT_TRUE(q.overwriteAsked.empty());
    dir.write("essay.tlx", "{\\rtf1 someone else's work}");
    // Save As onto the same file by another spelling asks; onto another file not.
    q.savePath = dir.file("./essay.tlx");
    EXPECT_FALSE(ecmd.saveAs());
    EXPECT_EQ(q.overwriteAsked.size(), 1u);
    q.savePath = dir.file("copy.tlx");
    EXPECT_TRUE(ecmd.saveAs());
    EXPECT_EQ(q.overwriteAsked.size(), 1u);
    EXPECT_EQ(TempFolder::read(path), "{\\rtf1 someone else's work}");

    // A file deleted meanwhile is simply saved.
    std::filesystem::remove(dir.file("copy.tlx"));
    EXPECT_TRUE(ecmd.save());
    EXPECT_TRUE(std::filesystem::exists(dir.file("copy.tlx")));
    EXPECT_EQ(q.overwriteAsked.size(), 1u);
}

TEST(DocumentCommandsDecisions, ARecentEntryWhoseFileIsGoneStays) {
    MarkedDocument d;
    ScriptedPrompts p;
    DocumentCommands cmd(d, p);
    d.recentFiles.update("/nowhere/lost.tlx");
    EXPECT_FALSE(cmd.openRecent(1));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].helpContext, 14000);
    EXPECT_EQ(d.recentFiles.entry(1), "/nowhere/lost.tlx");
    EXPECT_FALSE(cmd.openRecent(2)); // unused entry: nothing to open
    EXPECT_EQ(p.shown.size(), 1u);
}

// ------------------------------------------------------------------ files from elsewhere

namespace {

// The colour, style, size and raise of the first occurrence of a piece of text.
CharFormat formatOfText(const RichTextBuffer& b, std::u16string_view piece) {
    const int at = b.findText(piece, 0, b.length(), FindOptions{true, false});
    EXPECT_GE(at, 0) << "not found";
    return at < 0 ? CharFormat{} : b.formatAt(at);
}

bool allBlack(const RichTextBuffer& b, std::u16string_view piece) {
    const int at = b.findText(piece, 0, b.length(), FindOptions{true, false});
    if (at < 0)
        return false;
    for (int i = at; i < at + int(piece.size()); ++i)
        if (b.colourAt(i) != clBlack)
            return false;
    return true;
}

} // namespace

TEST(OlderControlMarkedFile, PlainTextIsEssayTextThatTakesMarking) {
    // Black is colour 0 of its table and its plain text has \plain and no \cf.
    MarkedDocument d;
    ASSERT_TRUE(d.loadTlxFile(tallix::testing::dataPath("rtf/older-control-marked.tlx")).ok);
    RichTextBuffer& b = d.essay();
    EXPECT_EQ(b.text(), u"My Holiday\r\n"
                        u"Every year we goesTense to the seaside.\r\n"
                        u"The hotel was very nice1 and the staff were well organisedGood.\r\n"
                        u"The End\r\n");
    EXPECT_TRUE(allBlack(b, u"My Holiday"));
    EXPECT_TRUE(allBlack(b, u" to the seaside."));
    EXPECT_TRUE(allBlack(b, u"The End"));
    EXPECT_EQ(formatOfText(b, u"goes").colour, clBlue);
    EXPECT_EQ(formatOfText(b, u"goes").style, fsUnderline);
    const CharFormat label = formatOfText(b, u"Tense");
    EXPECT_EQ(label.colour, clRed);
    EXPECT_EQ(label.style, fsItalic);
    EXPECT_EQ(label.sizePoints(), 8);
    EXPECT_EQ(label.offsetTwips, 60);
    EXPECT_EQ(formatOfText(b, u"very nice").colour, clNavy);
    EXPECT_EQ(formatOfText(b, u"1").colour, clGreen);
    EXPECT_EQ(formatOfText(b, u"1").offsetTwips, 60);
    EXPECT_EQ(formatOfText(b, u"Good").colour, clTeal);
    EXPECT_EQ(b.paragraphFormat(0).alignment, Alignment::Center);
    EXPECT_EQ(b.paragraphFormat(1).startIndentTwips, 720);
    EXPECT_EQ(b.paragraphFormat(3).alignment, Alignment::Center);
    EXPECT_EQ(d.commentTexts, std::vector<std::u16string>{u"Which hotel?"});
    EXPECT_EQ(d.feedback1Text, u"A lively account.\r\nKeep it up.");
    EXPECT_EQ(d.feedback2Text, u"Check your tenses.");
    EXPECT_EQ(d.grade, u"62%");

    // Typing in its plain text is allowed.
    b.setSelStart(b.findText(u"seaside", 0, b.length()) + 3);
    EXPECT_TRUE(guard::isEditable(b));
    // An annotation on plain text is not an overlap.
    b.select(b.findText(u"seaside", 0, b.length()), 7);
    EXPECT_EQ(addAnnotation(b, clRed, u"Sp"), std::nullopt);
    EXPECT_NE(b.findText(u"seasideSp", 0, b.length(), FindOptions{true, false}), -1);
    // Nor is a comment on plain text; it is numbered before the one after it.
    b.select(b.findText(u"Every", 0, b.length()), 5);
    EXPECT_EQ(comments::addComment(d), std::nullopt);
    EXPECT_EQ(d.commentTexts.size(), 2u);
    EXPECT_NE(b.findText(u"Every1", 0, b.length(), FindOptions{true, false}), -1);
    EXPECT_NE(b.findText(u"nice2", 0, b.length(), FindOptions{true, false}), -1);

    // Saved again, its essay text is still black text.
    TempFolder dir;
    ASSERT_TRUE(d.saveTlx(dir.file("again.tlx")).ok);
    MarkedDocument again;
    ASSERT_TRUE(again.loadTlxFile(dir.file("again.tlx")).ok);
    EXPECT_TRUE(allBlack(again.essay(), u" to the "));
    EXPECT_TRUE(allBlack(again.essay(), u"My Holiday"));
    EXPECT_TRUE(allBlack(again.essay(), u"The End"));
    EXPECT_EQ(again.essay().text(), b.text());
}

TEST(OlderControlMarkedFile, AnEmptyFirstColourStillMeansAutomatic) {
    TempFolder dir;
    const std::string path = dir.write(
        "auto.tlx", "{\\rtf1\\ansi{\\colortbl;\\red0\\green0\\blue255;}\\plain Plain \\cf1 blue\\plain  again"
                    "TallixComments:FeedbackOne:EndFeedbackOneFeedbackTwo:EndFeedbackTwo"
                    "TallixGrade:EndTallixGrade  }");
    MarkedDocument d;
    ASSERT_TRUE(d.loadTlxFile(path).ok);
    EXPECT_EQ(d.essay().text(), u"Plain blue again");
    EXPECT_EQ(d.essay().colourAt(0), clWindowText);
    EXPECT_EQ(d.essay().colourAt(6), clBlue);
    EXPECT_EQ(d.essay().colourAt(11), clWindowText);
}

namespace {

// Files that are neither RTF nor text, as a teacher might pick them by mistake.
std::vector<std::pair<std::string, std::string>> binaryFiles() {
    std::string elf("\x7F" "ELF\x02\x01\x01", 7);
    elf.append(9, '\0');
    elf += "\x02\x00\x3E\x00";
    std::string png("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x01\0", 20);
    std::string controls; // no NUL, but hardly a letter
    for (int i = 0; i < 400; ++i)
        controls.push_back(static_cast<char>(1 + i % 8));
    controls += "A few words.";
    return {{"program", elf}, {"picture.png", png}, {"controls.txt", controls},
            {"nuls.txt", std::string(1 << 20, '\0')}};
}

} // namespace

TEST(NeitherRtfNorText, OpenAndImportRefuseWithTheirMessageAndLeaveANewDocument) {
    TempFolder dir;
    for (const auto& [name, bytes] : binaryFiles()) {
        SCOPED_TRACE(name);
        const std::string path = dir.write(name, bytes);
        struct Command {
            std::u16string text;
            int helpContext;
        };
        const Command open{u"Unable to load the file. It may be corrupted in some way.", 14000};
        const Command rtf{u"Unable to load the file. It may be in use by another program, or corrupted "
                          u"in some way.",
                          5000};
        const Command text{u"Unable to load the file. It may be corrupted in some way.", 6000};
        for (int which = 0; which < 3; ++which) {
            MarkedDocument d;
            d.recentFiles.update("/marked/earlier.tlx");
            markUp(d);
            d.commentTexts = {u"old"};
            d.notes.selectorMax = d.notes.selectorValue = 1;
            d.grade = u"70%";
            d.currentFile = "/marked/earlier.tlx";
            d.documentChanged = false; // as saved: no question comes first
            ScriptedPrompts p;
            DocumentCommands cmd(d, p);
            const bool ok = which == 0   ? cmd.open(path)
                            : which == 1 ? cmd.importEssay(path, ImportKind::Rtf)
                                         : cmd.importEssay(path, ImportKind::Text);
            EXPECT_FALSE(ok);
            const Command& want = which == 0 ? open : which == 1 ? rtf : text;
            ASSERT_EQ(p.shown.size(), 1u);
            EXPECT_EQ(p.shown[0].text, want.text);
            EXPECT_EQ(p.shown[0].type, MessageType::Warning);
            EXPECT_EQ(p.shown[0].helpContext, want.helpContext);
            // As the new document left it: empty, untitled, unchanged.
            EXPECT_EQ(d.essay().length(), 0);
            EXPECT_TRUE(d.commentTexts.empty());
            EXPECT_EQ(d.grade, u"??%");
            EXPECT_EQ(d.currentFile, "");
            EXPECT_FALSE(d.documentChanged);
            EXPECT_EQ(d.caption(), u"Tallix32 [Untitled]");
            EXPECT_EQ(d.recentFiles.entry(1), "/marked/earlier.tlx");
            EXPECT_EQ(d.recentFiles.entry(2), "");
        }
    }
}

TEST(NeitherRtfNorText, TextInEveryAcceptedEncodingStillImports) {
    TempFolder dir;
    MarkedDocument d;
    // UTF-16 is full of NUL bytes and is text all the same; a U+0000 in it keeps
    // its place as U+FFFD.
    std::string utf16("\xFF\xFE", 2);
    for (char c : std::string_view("Hello there\0!", 13))
        utf16 += std::string{c, '\0'};
    ASSERT_TRUE(d.importEssay(dir.write("u16.txt", utf16), ImportKind::Text).ok);
    EXPECT_EQ(d.essay().text(), u"Hello there\uFFFD!");
    // Page and line feeds of a printed text become paragraph breaks; tabs and the
    // old end-of-file mark are text.
    ASSERT_TRUE(d.importEssay(dir.write("ff.txt", "Page one\fPage\vtwo\tend\x1A"), ImportKind::Text).ok);
    EXPECT_EQ(d.essay().text(), u"Page one\r\nPage\r\ntwo\tend\x1A");
    // A stray control among many words does not make a file binary.
    std::string words(200, 'w');
    words[100] = '\x07';
    EXPECT_TRUE(d.importEssay(dir.write("bell.txt", words), ImportKind::Text).ok);
    EXPECT_TRUE(d.importEssay(dir.write("empty.txt", ""), ImportKind::Text).ok);
    EXPECT_EQ(d.essay().length(), 0);
    // Opening a text file as a marked file reads it as text, as before.
    EXPECT_TRUE(d.loadTlxFile(dir.write("plain.tlx", "Just text.")).ok);
    EXPECT_EQ(d.essay().text(), u"Just text.");
}

TEST(MarkedFileTrailer, FoundWhereTheBufferFindsItInAnyCaseAtAnyPlace) {
    // The trailer's start is the buffer's own case-blind find of the key, at
    // every offset around the eight-at-a-time search and in every spelling,
    // capital I with a dot included (it folds to i).
    const std::vector<std::u16string> keys = {u"TallixComments:", u"tallixcomments:", u"TALLIXCOMMENTS:",
                                              u"Tall\u0130xComments:", u"TallixComments;", u"Tallix"};
    std::mt19937 random(5);
    const std::u16string filler = u"tTaA l\r\nx\u00e9";
    RichTextBuffer b;
    for (int round = 0; round < 600; ++round) {
        std::u16string text;
        for (std::size_t i = 0, n = random() % 60; i < n; ++i)
            text.push_back(filler[random() % filler.size()]);
        for (std::size_t k = 0, n = random() % 3; k < n; ++k)
            text.insert(random() % (text.size() + 1), keys[random() % keys.size()]);
        b.setText(text);
        ASSERT_EQ(tlx::trailerStart(b.text()), b.findText(tlx::CommentsKey, 0, b.length()))
            << "round " << round;
    }
}

TEST(MarkedFileImport, InstalledContentIsBlackEvenWhereItsRunsFallShort) {
    // Runs of every colour, a run longer than the text, and text past the last run
    // (which the buffer gives its default format): every character comes out black
    // and the other attributes stay.
    RichContent c;
    c.text = u"Red blue\r\nrest";
    c.runs = {FormatRun{3, format(clRed, fsBold)}, FormatRun{0, format(clTeal)},
              FormatRun{5, format(clBlue, fsUnderline, 16, u"Times New Roman")}};
    MarkedDocument d;
    d.installEssay(c);
    ASSERT_EQ(d.essay().text(), c.text);
    for (int i = 0; i < d.essay().length(); ++i)
        EXPECT_EQ(d.essay().colourAt(i), clBlack) << "position " << i;
    EXPECT_EQ(d.essay().formatAt(0).style, fsBold);
    EXPECT_EQ(d.essay().formatAt(4).fontName, u"Times New Roman");
    EXPECT_EQ(d.essay().formatAt(12).fontName, d.essay().defaultFormat().fontName);
    EXPECT_EQ(d.essay().selStart(), 0);
    EXPECT_TRUE(d.documentChanged);

    RichContent longRun;
    longRun.text = u"ab";
    longRun.runs = {FormatRun{10, format(clRed)}};
    d.installEssay(longRun);
    EXPECT_EQ(d.essay().colourAt(0), clBlack);
    EXPECT_EQ(d.essay().colourAt(1), clBlack);
    EXPECT_TRUE(d.essay().check());
}
