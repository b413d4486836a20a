#include "annotations/ButtonSetEditing.h"

#include "platform/TextCodec.h"
#include "platform/ProfileFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace tallix;

namespace {

const AnnotationSet kDefaults = AnnotationSet::builtInDefaults();

std::u16string num(int n) { return text::fromUtf8(std::to_string(n)); }

// A set whose entry n is {"C<n>", "S<n>", "L<n>"}, so moves are easy to read.
AnnotationSet numbered() {
    AnnotationSet set;
    set.setTitle(u"Numbered");
    for (int n = 1; n <= AnnotationEntryCount; ++n)
        set.setEntry(n, {u"C" + num(n), u"S" + num(n), u"L" + num(n)});
    return set;
}

// The short texts of entries first..last, joined by blanks ("-" for an empty one).
std::string shorts(const AnnotationSet& set, int first, int last) {
    std::string r;
    for (int n = first; n <= last; ++n) {
        const std::u16string& s = set.shortText(n);
        r += (r.empty() ? "" : " ") + (s.empty() ? std::string("-") : std::string(s.begin(), s.end()));
    }
    return r;
}

TEST(ButtonSetEditing, InsertMakesRoomWithinTheGroupAndLosesItsLastEntry) {
    AnnotationSet set = numbered();
    int notices = 0;
    set.addListener([&](const AnnotationSet&) { ++notices; });

    insertBlankEntry(set, 5);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(set.entry(5), AnnotationEntry{});
    EXPECT_EQ(shorts(set, 1, 8), "S1 S2 S3 S4 - S5 S6 S7");
    EXPECT_EQ(set.entry(28), (AnnotationEntry{u"C27", u"S27", u"L27"})); // former 28 is gone
    EXPECT_EQ(shorts(set, 29, 32), "S29 S30 S31 S32");

    set = numbered();
    insertBlankEntry(set, 28); // the last of its group: only blanked
    EXPECT_EQ(set.entry(28), AnnotationEntry{});
    EXPECT_EQ(shorts(set, 26, 29), "S26 S27 - S29");

    set = numbered();
    insertBlankEntry(set, 29);
    EXPECT_EQ(shorts(set, 27, 32), "S27 S28 - S29 S30 S31");
    insertBlankEntry(set, 32);
    EXPECT_EQ(shorts(set, 29, 32), "- S29 S30 -");
    EXPECT_EQ(shorts(set, 1, 28), shorts(numbered(), 1, 28));
    EXPECT_THROW(insertBlankEntry(set, 33), std::out_of_range);
    EXPECT_THROW(insertBlankEntry(set, 0), std::out_of_range);
}

TEST(ButtonSetEditing, DeleteClosesUpWithinTheGroupAndBlanksItsLastEntry) {
    AnnotationSet set = numbered();
    deleteEntry(set, 1);
    EXPECT_EQ(set.entry(1), (AnnotationEntry{u"C2", u"S2", u"L2"}));
    EXPECT_EQ(shorts(set, 25, 32), "S26 S27 S28 - S29 S30 S31 S32");

    set = numbered();
    deleteEntry(set, 28);
    EXPECT_EQ(shorts(set, 26, 30), "S26 S27 - S29 S30");

    set = numbered();
    deleteEntry(set, 32);
    EXPECT_EQ(shorts(set, 28, 32), "S28 S29 S30 S31 -");
    deleteEntry(set, 29);
    EXPECT_EQ(shorts(set, 28, 32), "S28 S30 S31 - -");
    EXPECT_EQ(shorts(set, 1, 28), shorts(numbered(), 1, 28));

    // Deleting an empty set's entries changes nothing and tells no one.
    AnnotationSet empty;
    int notices = 0;
    empty.addListener([&](const AnnotationSet&) { ++notices; });
    deleteEntry(empty, 3);
    insertBlankEntry(empty, 30);
    EXPECT_EQ(notices, 0);
}

TEST(ButtonSetEditing, CheckFindsTheLastNestedPairWithinEachGroupOnly) {
    EXPECT_EQ(checkAnnotations(kDefaults),
              u"The short annotation \"Sp\" appears also INSIDE the short annotation \"Space\". "
              u"This may result in garbled HTML output and miscalculation of error statistics. "
              u"Please change one of the annotations to avoid this.");

    AnnotationSet set = kDefaults;
    set.setEntry(19, {u"Sp", u"Spell", u"Spelling"});
    EXPECT_EQ(checkAnnotations(set), u"");

    // Letter case is ignored, as counting ignores it; texts that are exactly the
    // same are not reported, and neither are empty ones.
    set.setEntry(27, {u"x", u"art", u""});
    EXPECT_NE(checkAnnotations(set).find(u"\"art\" appears also INSIDE the short annotation \"Art\""),
              std::u16string::npos);
    set.setEntry(27, {u"x", u"Art", u""});
    EXPECT_EQ(checkAnnotations(set), u"");

    // The two groups are never compared: "Yes" (error) lies inside "Yes!" (praise).
    set.setEntry(27, {u"Y", u"Yes", u""});
    EXPECT_EQ(checkAnnotations(set), u"");

    // Praise pairs alone are found. With an error pair as well, the error pair
    // (the errors are looked at last) is named, and among several the one with
    // the last outer entry: "cut" (28) inside "Cut" (6) comes after "Wor" (27)
    // inside "WOrder" (25) and after "Cut" inside "cut".
    set.setEntry(31, {u"G", u"Good", u""});
    EXPECT_NE(checkAnnotations(set).find(u"\"Good\" appears also INSIDE the short annotation \"Good!\""),
              std::u16string::npos);
    set.setEntry(27, {u"W", u"Wor", u""});
    EXPECT_NE(checkAnnotations(set).find(u"\"Wor\" appears also INSIDE the short annotation \"WOrder\""),
              std::u16string::npos);
    set.setEntry(28, {u"Cu", u"cut", u""});
    EXPECT_NE(checkAnnotations(set).find(u"\"cut\" appears also INSIDE the short annotation \"Cut\""),
              std::u16string::npos);
}

TEST(ButtonSetEditing, SelectingCommitsTheFieldsAndInsertDiscardsThem) {
    ButtonSetEditor ed;
    ed.start(kDefaults);
    EXPECT_EQ(ed.current(), 1);
    EXPECT_FALSE(ed.changed());

    ed.select(18, ed.set().entry(1)); // nothing typed
    EXPECT_TRUE(ed.set().sameContent(kDefaults));
    ed.select(19, {u"Spe", u"Spell\r\nit", u"Spelling\nerror"});
    EXPECT_EQ(ed.set().entry(18), (AnnotationEntry{u"Spe", u"Spell it", u"Spelling error"}));
    EXPECT_EQ(ed.current(), 19);

    // Insert: the entry is blank and the rest of the group moves down; nothing
    // is committed first, so what was typed meanwhile is simply not used.
    ed.insertBlank();
    EXPECT_EQ(ed.current(), 19);
    EXPECT_EQ(ed.set().entry(19), AnnotationEntry{});
    EXPECT_EQ(ed.set().entry(20), kDefaults.entry(19));
    EXPECT_TRUE(ed.changed());

    ed.deleteCurrent();
    EXPECT_EQ(ed.currentEntry(), kDefaults.entry(19));
    EXPECT_EQ(ed.set().entry(28), AnnotationEntry{});

    // Showing again starts from the set in use.
    ed.start(kDefaults);
    EXPECT_TRUE(ed.set().sameContent(kDefaults));
    EXPECT_EQ(ed.current(), 1);
    EXPECT_FALSE(ed.changed());
    EXPECT_THROW(ed.select(0, {}), std::out_of_range);
    EXPECT_TRUE(ed.set().sameContent(kDefaults));
}

class ButtonSetFiles : public ::testing::Test {
protected:
    tallix::testing::TempFolder folder;
};

TEST_F(ButtonSetFiles, ATitleOfSeveralLinesIsWrittenAndReadBackAsItsFirstLine) {
    ButtonSetEditor ed;
    ed.start(kDefaults);
    ed.setTitle(u"Year 9\nFrench");
    EXPECT_EQ(ed.set().title(), u"Year 9\r\nFrench"); // kept for this session
    const std::string path = folder.file("nine.btn");
    ASSERT_EQ(ed.write(path), std::nullopt);
    const std::string text = folder.read(path);
    EXPECT_EQ(text.rfind("[Title]\r\nTitle=Year 9\r\n[1]\r\n", 0), 0u);
    EXPECT_EQ(text.find("French"), std::string::npos);

    ButtonSetEditor other;
    other.start(AnnotationSet{});
    ASSERT_EQ(other.open(path), std::nullopt);
    EXPECT_EQ(other.set().title(), u"Year 9");
    EXPECT_EQ(other.set().entry(19), kDefaults.entry(19));
}

TEST_F(ButtonSetFiles, OpenReadsOverTheCopyAndABadFileChangesNothing) {
    ButtonSetEditor ed;
    ed.start(kDefaults);
    ed.select(5, {u"X", u"Y", u"Z"}); // entry 1 takes the fields, 5 becomes current
    ed.markChanged();

    EXPECT_EQ(ed.open(folder.file("absent.btn"))->text,
              u"The button file \"" + text::fromUtf8(folder.file("absent.btn")) + u"\" does not exist.");
    fs::create_directory(folder.path() / "dir.btn");
    std::optional<Message> m = ed.open(folder.file("dir.btn"));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->helpContext, ButtonEditorHelpContext);
    EXPECT_EQ(ed.current(), 5);
    EXPECT_TRUE(ed.changed());
    EXPECT_EQ(ed.set().entry(1).shortText, u"Y");

    ASSERT_EQ(ed.open(folder.write("few.btn", "[Title]\r\nTitle=Few\r\n[29]\r\nShort=Great\r\n")),
              std::nullopt);
    EXPECT_EQ(ed.current(), 1);
    EXPECT_FALSE(ed.changed());
    EXPECT_EQ(ed.set().title(), u"Few");
    EXPECT_EQ(ed.set().entry(29), (AnnotationEntry{u"Gd", u"Great", u"Good!"}));
    EXPECT_EQ(ed.set().entry(1).shortText, u"Y"); // not in the file: the copy's own value
}

TEST_F(ButtonSetFiles, AFailedWriteKeepsTheFileAndTheEdits) {
    const std::string path = folder.write("locked.btn", "[Title]\r\nTitle=Old\r\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    tallix::testing::AsUnprivileged unprivileged;
    if (!unprivileged.effective())
        GTEST_SKIP() << "runs as a user who may write anything";

    ButtonSetEditor ed;
    ed.start(kDefaults);
    ed.select(2, {u"Ar", u"Article", u"Article error"});
    ed.markChanged();
    std::optional<Message> m = ed.write(path);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->type, MessageType::Error);
    EXPECT_EQ(m->text.rfind(u"Unable to write to " + text::fromUtf8(path), 0), 0u);
    EXPECT_NE(m->text.find(u"your changes are still in the editor"), std::u16string::npos);
    EXPECT_TRUE(ed.changed());
    EXPECT_EQ(ed.set().entry(1).shortText, u"Article");
    EXPECT_EQ(folder.read(path), "[Title]\r\nTitle=Old\r\n");

    const std::string nowhere = folder.file("no/such/folder/x.btn");
    EXPECT_TRUE(ed.write(nowhere));
    EXPECT_FALSE(fs::exists(nowhere));
}

TEST(ButtonSetEditing, TheStatusBarShowsTheFullPath) {
    EXPECT_EQ(buttonFilePathStatusText("/home/t/sets/year9.btn"),
              u"Button File: /home/t/sets/year9.btn");
    EXPECT_EQ(annotationButtonCell(1).left, 8);
    EXPECT_EQ(annotationButtonCell(1).top, 8);
    EXPECT_EQ(annotationButtonCell(28).left, 116);
    EXPECT_EQ(annotationButtonCell(28).top, 200);
    EXPECT_EQ(annotationButtonCell(30).left, 44);
    EXPECT_EQ(annotationButtonCell(30).top, 248);
}

} // namespace
