#include "stats/MultiStats.h"

#include "StatsTestSupport.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace tallix;
using namespace tallix::stats;
using tallix::testing::EssayBuilder;
using tallix::testing::TempFolder;

namespace {

struct Counted {
    int failed = 0;
    std::vector<int> started;
    std::vector<std::u16string> warnings;
};

Counted countAll(MultiFileStatistics& m,
                 const AnnotationSet& set = AnnotationSet::builtInDefaults()) {
    Counted c;
    MultiStatsCallbacks cb;
    cb.fileStarted = [&](int f) { c.started.push_back(f); };
    cb.warn = [&](const Message& msg) {
        EXPECT_EQ(msg.type, MessageType::Warning);
        EXPECT_EQ(msg.helpContext, 35000);
        c.warnings.push_back(msg.text);
    };
    c.failed = m.count(set, cb);
    return c;
}

// Three essays of a class: two "Sp" in the first, none in the second, one "Art"
// in the third.
struct ClassFiles {
    TempFolder dir;
    std::string first, second, third;
    ClassFiles() {
        first = EssayBuilder()
                    .span(u"thier").error(u"Sp").text(u" and ").span(u"wierd").error(u"Sp")
                    .save(dir.file("anna.tlx"));
        second = EssayBuilder().text(u"A clean essay.").save(dir.file("ben.tlx"));
        third = EssayBuilder().span(u"a apple").error(u"Art").save(dir.file("cleo.tlx"));
    }
};

} // namespace

TEST(MultiStats, TotalsGridAndTableOverAClass) {
    ClassFiles c;
    MultiFileStatistics m;
    for (const auto& f : {c.first, c.second, c.third})
        m.addFile(f);
    Counted r = countAll(m);
    EXPECT_EQ(r.failed, 0);
    EXPECT_EQ(r.started, (std::vector<int>{0, 1, 2}));
    std::vector<MultiStatsRow> rows = m.rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].abbreviation, u"Art");
    EXPECT_EQ(rows[0].total, 1);
    EXPECT_EQ(rows[0].description, u"Article error");
    EXPECT_EQ(rows[1].abbreviation, u"Sp");
    EXPECT_EQ(rows[1].total, 2);
    EXPECT_EQ(rows[1].description, u"Spelling");
    EXPECT_EQ(m.compileOutText(), u"File\tArt\tSp\r\n"
                                  u"anna.tlx\t0\t2\r\n"
                                  u"ben.tlx\t0\t0\r\n"
                                  u"cleo.tlx\t1\t0\r\n"
                                  u"Total\t1\t2");
    EXPECT_EQ(m.outTextBytes(), "File\tArt\tSp\r\nanna.tlx\t0\t2\r\nben.tlx\t0\t0\r\n"
                                "cleo.tlx\t1\t0\r\nTotal\t1\t2");
}

TEST(MultiStats, TheTrailerIsNeverCounted) {
    // The essay ends in a red label, so the trailer that saving appends after it
    // is red too; its comment and feedback mention "Sp".
    TempFolder dir;
    const std::string f = EssayBuilder()
                              .span(u"wrod").error(u"Sp")
                              .comment(u"Sp means spelling; see Sp above")
                              .save(dir.file("trailer.tlx"));
    RichTextBuffer whole;
    ASSERT_TRUE(whole.loadFromFile(f).ok);
    ASSERT_EQ(countLabels(whole, u"Sp"), 5); // what counting the whole file would give
    MultiFileStatistics m;
    m.addFile(f);
    countAll(m);
    EXPECT_EQ(m.compileOutText(), u"File\tSp\r\ntrailer.tlx\t1\r\nTotal\t1");
}

TEST(MultiStats, AFileThatFailsContributesZerosAfterItsWarning) {
    ClassFiles c;
    const std::string broken = c.dir.file("broken.tlx");
    std::filesystem::create_directory(broken); // a folder cannot be read
    MultiFileStatistics m;
    m.addFile(c.first);
    m.addFile(c.dir.file("gone.tlx"));
    m.addFile(broken);
    m.addFile(c.third);
    Counted r = countAll(m);
    EXPECT_EQ(r.failed, 2);
    EXPECT_EQ(r.warnings, (std::vector<std::u16string>{
                              u"Unable to load gone.tlx. It may be corrupted.",
                              u"Unable to load broken.tlx. It may be corrupted."}));
    EXPECT_EQ(m.compileOutText(), u"File\tArt\tSp\r\n"
                                  u"anna.tlx\t0\t2\r\n"
                                  u"gone.tlx\t0\t0\r\n"
                                  u"broken.tlx\t0\t0\r\n"
                                  u"cleo.tlx\t1\t0\r\n"
                                  u"Total\t1\t2");
}

TEST(MultiStats, PlainRtfEssaysDuplicatesAndAnEmptyList) {
    ClassFiles c;
    const std::string rtf = c.dir.write("plain.rtf", "{\\rtf1\\ansi An essay without marks.}");
    MultiFileStatistics m;
    countAll(m);
    EXPECT_TRUE(m.rows().empty());
    EXPECT_EQ(m.compileOutText(), u"File\r\nTotal");

    m.addFile(c.first);
    m.addFile(rtf);
    m.addFile(c.first);
    countAll(m);
    EXPECT_EQ(m.compileOutText(),
              u"File\tSp\r\nanna.tlx\t2\r\nplain.rtf\t0\r\nanna.tlx\t2\r\nTotal\t4");
}

TEST(MultiStats, TheListAndTheResultsStayInStep) {
    ClassFiles c;
    MultiFileStatistics m;
    EXPECT_TRUE(m.resultsMatchList());
    m.addFile(c.first);
    m.addFile(c.third);
    EXPECT_FALSE(m.resultsMatchList());
    countAll(m);
    EXPECT_TRUE(m.resultsMatchList());
    EXPECT_FALSE(m.removeFile(2));
    EXPECT_FALSE(m.removeFile(-1));
    EXPECT_TRUE(m.removeFile(0));
    EXPECT_EQ(m.files(), (std::vector<std::string>{c.third}));
    EXPECT_FALSE(m.resultsMatchList());
    // Until the next count the table is that of the files counted.
    EXPECT_EQ(m.countedFileCount(), 2);
    countAll(m);
    EXPECT_EQ(m.compileOutText(), u"File\tArt\r\ncleo.tlx\t1\r\nTotal\t1");

    m.clear();
    EXPECT_TRUE(m.files().empty());
    EXPECT_TRUE(m.rows().empty());
    EXPECT_EQ(m.abbreviation(2), u"");
    EXPECT_EQ(m.compileOutText(), u"File\r\nTotal");
}

TEST(MultiStats, TheSetTakenAtTheStartOfACountIsUsedThroughout) {
    ClassFiles c;
    AnnotationSet set = AnnotationSet::builtInDefaults();
    set.setEntry(19, AnnotationEntry{u"Spl", u"Sp", u"Spelling mistake"});
    set.setEntry(2, AnnotationEntry{u"Art", u"", u"Article error"});
    MultiFileStatistics m;
    m.addFile(c.first);
    m.addFile(c.third);
    MultiStatsCallbacks cb;
    // A change of the set while counting (events are let through) does not reach
    // the count under way, and a second count is refused meanwhile.
    cb.fileStarted = [&](int f) {
        if (f == 1) {
            set.setEntry(19, AnnotationEntry{u"X", u"X", u"X"});
            EXPECT_EQ(m.count(set, {}), -1);
        }
    };
    EXPECT_EQ(m.count(set, cb), 0);
    EXPECT_EQ(m.compileOutText(), u"File\tSpl\r\nanna.tlx\t2\r\ncleo.tlx\t0\r\nTotal\t2");
    EXPECT_EQ(m.description(19), u"Spelling mistake");
}
