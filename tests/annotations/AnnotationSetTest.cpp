#include "annotations/AnnotationSet.h"

#include "platform/ProfileFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;
using namespace tallix;

namespace {

class AnnotationSetTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return folder_.file(name); }
    std::string put(const std::string& name, const std::string& bytes) const {
        return folder_.write(name, bytes);
    }
    std::string get(const std::string& name) const { return folder_.read(path(name)); }
    tallix::testing::TempFolder folder_;
    const fs::path& dir_ = folder_.path();
    const AnnotationSet defaults_ = AnnotationSet::builtInDefaults();
};

TEST_F(AnnotationSetTest, BuiltInDefaultsMatchTheShippedTable) {
    AnnotationSet set;
    EXPECT_EQ(set.shortAnnotations(), std::vector<std::u16string>(33));
    set.assignDefaultButtons();
    EXPECT_EQ(set.title(), u"Default Buttons");
    EXPECT_EQ(set.shortAnnotations(),
              (std::vector<std::u16string>{
                  u"Default Buttons", u"S/VAgreement", u"Art", u"Capitalization", u"Conj/Trans",
                  u"Count/Non-Count", u"Cut", u"Formatting", u"Fragment", u"MissingW", u"Modifier",
                  u"Parallel", u"Paragraphing", u"Sing/Plu", u"Preposition", u"Punctuation", u"Quote",
                  u"Repetition", u"Space", u"Sp", u"Vague", u"VForm", u"VTense", u"WChoice", u"WForm",
                  u"WOrder", u"???", u"", u"", u"Good!", u"Yes!", u"", u""}));
    EXPECT_EQ(set.entry(1), (AnnotationEntry{u"Agr", u"S/VAgreement", u"Subject/verb agreement error"}));
    EXPECT_EQ(set.entry(6), (AnnotationEntry{u"Cut", u"Cut", u"Cut -- this text is not necessary"}));
    EXPECT_EQ(set.entry(10), (AnnotationEntry{u"Mod", u"Modifier", u"Mislaced or dangling modifier"}));
    EXPECT_EQ(set.entry(17).longText, u"Repetition of information or phrase");
    EXPECT_EQ(set.entry(19), (AnnotationEntry{u"Sp", u"Sp", u"Spelling"}));
    EXPECT_EQ(set.entry(26), (AnnotationEntry{u"???", u"???", u"Incomprehensible text"}));
    EXPECT_TRUE(set.entry(27) == AnnotationEntry{} && set.entry(28) == AnnotationEntry{});
    EXPECT_EQ(set.entry(29), (AnnotationEntry{u"Gd", u"Good!", u"Good!"}));
    EXPECT_EQ(set.entry(30), (AnnotationEntry{u"Yes", u"Yes!", u"Yes! I agree."}));
    EXPECT_TRUE(set.entry(31).isEmpty() && set.entry(31).caption.empty() && set.entry(31).longText.empty());
    EXPECT_TRUE(set.entry(32) == AnnotationEntry{});

    EXPECT_EQ(annotationKind(1), AnnotationKind::Error);
    EXPECT_EQ(annotationKind(28), AnnotationKind::Error);
    EXPECT_EQ(annotationKind(29), AnnotationKind::Praise);
    EXPECT_EQ(annotationLabelColour(28), clRed);
    EXPECT_EQ(annotationLabelColour(32), clTeal);
    EXPECT_EQ(annotationButtonName(28), "btnErr28");
    EXPECT_EQ(annotationButtonName(29), "btnGood1");
    EXPECT_EQ(annotationButtonName(33), "");
    EXPECT_EQ(set.caption(23), u"WCh");
    EXPECT_EQ(set.longText(23), u"Poor word choice");
    EXPECT_EQ(set.shortText(0), u"");
    EXPECT_EQ(set.shortText(33), u"");
    EXPECT_THROW(set.entry(0), std::out_of_range);
}

TEST_F(AnnotationSetTest, LabelLookUpIgnoresCaseAndTakesTheFirstEntry) {
    AnnotationSet set = defaults_;
    EXPECT_EQ(set.entryOfLabel(u"art"), 2);
    EXPECT_EQ(set.entryOfLabel(u"SPACE"), 18);
    EXPECT_EQ(set.entryOfLabel(u"sp"), 19);
    EXPECT_EQ(set.entryOfLabel(u"good!"), 29);
    EXPECT_EQ(set.entryOfLabel(u"Spelling"), 0);
    EXPECT_EQ(set.entryOfLabel(u"Default Buttons"), 0);
    EXPECT_EQ(set.entryOfLabel(u""), 0); // empty entries are not labels

    set.setEntry(30, {u"A2", u"ART", u"Also article"});
    set.setEntry(12, {u"A1", u"aRt", u"Article again"});
    EXPECT_EQ(set.entryOfLabel(u"Art"), 2);
    set.setEntry(2, {});
    EXPECT_EQ(set.entryOfLabel(u"Art"), 12);
    set.setTitle(u"Art"); // the title is not an entry and does not hide one
    EXPECT_EQ(set.entryOfLabel(u"art"), 12);
}

TEST_F(AnnotationSetTest, ButtonFileWithFewKeysChangesOnlyThose) {
    AnnotationSet set = defaults_;
    EXPECT_EQ(readButtonFile(set, put("few.btn", "[19]\r\nShort=Spelling\r\n")), ProfileLoadStatus::Loaded);
    AnnotationSet expected = defaults_;
    expected.setEntry(19, {u"Sp", u"Spelling", u"Spelling"});
    EXPECT_TRUE(set.sameContent(expected));

    readButtonFile(set, put("more.btn", "[TITLE]\ntitle = My Set\n[2]\nSHORT=\n[31]\ncaption=Ex\n"
                                        "Short=Excellent\nLong=" + std::string(1500, 'L') + "\n"));
    EXPECT_EQ(set.title(), u"My Set");
    EXPECT_EQ(set.entry(2), (AnnotationEntry{u"Art", u"", u"Article error"}));
    EXPECT_EQ(set.entry(31).caption, u"Ex");
    EXPECT_EQ(set.entry(31).shortText, u"Excellent");
    EXPECT_EQ(set.entry(31).longText, std::u16string(1023, u'L'));
    EXPECT_EQ(set.entry(19).shortText, u"Spelling");
}

TEST_F(AnnotationSetTest, DamagedOrMissingFilesNeverHalfChangeTheSet) {
    AnnotationSet set = defaults_;
    int notices = 0;
    set.addListener([&](const AnnotationSet&) { ++notices; });

    EXPECT_EQ(readButtonFile(set, path("absent.btn")), ProfileLoadStatus::Missing);
    fs::create_directory(dir_ / "folder.btn");
    EXPECT_EQ(readButtonFile(set, path("folder.btn")), ProfileLoadStatus::Unreadable);
    put("huge.btn", "[1]\r\nShort=X\r\n");
    fs::resize_file(dir_ / "huge.btn", ProfileFile::MaxFileBytes + 10);
    EXPECT_EQ(readButtonFile(set, path("huge.btn")), ProfileLoadStatus::TooLarge);
    EXPECT_TRUE(set.sameContent(defaults_));
    EXPECT_EQ(notices, 0);

    // Binary junk: whatever it holds, the read finishes and every entry is sound.
    std::mt19937 rng(1234);
    std::string junk;
    for (int i = 0; i < 200000; ++i)
        junk.push_back(static_cast<char>(rng() % 7 == 0 ? "[]=\r\n\0;"[rng() % 7] : rng() & 0xFF));
    readButtonFile(set, put("junk.btn", junk));
    EXPECT_EQ(set.shortAnnotations().size(), 33u);

    // A file cut off mid-header: what came before is read, nothing leaks from
    // the broken section into the one before it.
    set = defaults_;
    readButtonFile(set, put("cut.btn", "[5]\r\nShort=Ab\r\n[6\r\nCaption=Leak\r\nLong=Le"));
    EXPECT_EQ(set.entry(5), (AnnotationEntry{u"Cou", u"Ab", u"Count/non-count error"}));
    EXPECT_TRUE(set.entry(6) == defaults_.entry(6));
}

TEST_F(AnnotationSetTest, WrittenFileHasTheStandardLayoutAndReadsBack) {
    writeButtonFile(defaults_, path("new.btn"));
    const std::string text = get("new.btn");
    EXPECT_EQ(text.rfind("[Title]\r\nTitle=Default Buttons\r\n[1]\r\nCaption=Agr\r\nShort=S/VAgreement\r\n"
                         "Long=Subject/verb agreement error\r\n[2]\r\n", 0), 0u);
    EXPECT_NE(text.find("[27]\r\nCaption=\r\nShort=\r\nLong=\r\n[28]"), std::string::npos);
    EXPECT_NE(text.find("Long=Mislaced or dangling modifier\r\n"), std::string::npos);

    AnnotationSet edited = defaults_;
    edited.setTitle(u"Year 9 \u00E9");
    edited.setEntry(27, {u"Reg", u"Register", u"Wrong register"});
    writeButtonFile(edited, path("new.btn"));
    AnnotationSet readBack;
    readButtonFile(readBack, path("new.btn"));
    EXPECT_TRUE(readBack.sameContent(edited));
}

TEST_F(AnnotationSetTest, WritingOverAFileKeepsItsOtherLinesAndFailsWhole) {
    const std::string file = put("mine.btn", "; my notes\r\n[Extra]\r\nfoo=bar\r\n[19]\r\nshort=Old\r\nNote=keep\r\n");
    writeButtonFile(defaults_, file);
    const std::string text = get("mine.btn");
    EXPECT_EQ(text.rfind("; my notes\r\n[Extra]\r\nfoo=bar\r\n[19]\r\nshort=Sp\r\nNote=keep\r\nCaption=Sp\r\n"
                         "Long=Spelling\r\n[Title]\r\n", 0), 0u);

    const std::string target = path("missing/dir/x.btn");
    try {
        writeButtonFile(defaults_, target);
        FAIL() << "no error";
    } catch (const ProfileWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + target);
    }
}

TEST_F(AnnotationSetTest, ListenersHearEachRealChangeOnce) {
    AnnotationSet set;
    std::vector<std::u16string> heard;
    auto id = set.addListener([&](const AnnotationSet& s) { heard.push_back(s.title()); });

    set.assignDefaultButtons();
    set.assignDefaultButtons(); // no change, no notice
    readButtonFile(set, put("t.btn", "[Title]\r\nTitle=T\r\n[1]\r\nShort=A\r\n[2]\r\nShort=B\r\n"));
    EXPECT_EQ(heard, (std::vector<std::u16string>{u"Default Buttons", u"T"}));

    AnnotationSet copy = set; // a working copy: no listeners of its own
    copy.setTitle(u"Edited");
    EXPECT_EQ(heard.size(), 2u);
    set = copy; // accepting the copy notifies the set's listeners
    EXPECT_EQ(heard.back(), u"Edited");

    int second = 0;
    AnnotationSet::ListenerId selfId = 0;
    selfId = set.addListener([&](const AnnotationSet&) {
        ++second;
        set.removeListener(selfId);
    });
    set.removeListener(id);
    set.setEntry(3, {});
    set.setEntry(4, {});
    EXPECT_EQ(second, 1);
    EXPECT_EQ(heard.size(), 3u);
}

TEST_F(AnnotationSetTest, DefaultButtonFileLivesInTheProgramFolder) {
    EXPECT_EQ(defaultButtonFilePath("/opt/tallix"), "/opt/tallix/default.btn");
    EXPECT_EQ(defaultButtonFilePath("/opt/tallix/"), "/opt/tallix/default.btn");
    EXPECT_EQ(buttonFileStatusText("/home/t/sets/year9.btn"), u"Button File: year9.btn");

    const char* old = std::getenv("TALLIX32_HOME");
    const std::string saved = old ? old : "";
    setenv("TALLIX32_HOME", dir_.string().c_str(), 1);
    EXPECT_EQ(defaultButtonFilePath(), path("default.btn"));
    if (old)
        setenv("TALLIX32_HOME", saved.c_str(), 1);
    else
        unsetenv("TALLIX32_HOME");
}

} // namespace

TEST_F(AnnotationSetTest, ANulInAValueSurvivesWritingBack) {
    // Read as U+FFFD, which the written file keeps; a NUL would end the value.
    AnnotationSet set = defaults_;
    readButtonFile(set, put("nul.btn", std::string("[3]\r\nShort=\0Gap\r\nLong=Half\0way\r\n", 32)));
    EXPECT_EQ(set.entry(3).shortText, u"\uFFFDGap");
    EXPECT_EQ(set.entry(3).longText, u"Half\uFFFDway");
    writeButtonFile(set, path("nul.btn"));
    AnnotationSet back = defaults_;
    readButtonFile(back, path("nul.btn"));
    EXPECT_EQ(back.entry(3), set.entry(3));
    EXPECT_TRUE(back.sameContent(set));
}
