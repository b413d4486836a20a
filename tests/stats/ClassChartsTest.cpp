// The class at a glance: the one-pass label count against the label-by-label
// search, the chart's data against the tables, rates, students, CSV and the
// parallel count.
#include "stats/ClassCount.h"
#include "stats/ErrorChart.h"
#include "stats/MultiStats.h"
#include "stats/StatsTables.h"
#include "stats/Students.h"
#include "document/RtfWriter.h"
#include "platform/FileIO.h"
#include "platform/TextCodec.h"
#include "stats/WordCount.h"

#include "StatsTestSupport.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>

using namespace tallix;
using namespace tallix::stats;
using tallix::testing::EssayBuilder;
using tallix::testing::TempFolder;

namespace {

// Each entry counted by the search of one short text at a time (the rule the
// one-pass count must keep).
ErrorCounts countOneByOne(RichTextBuffer& b, const AnnotationSet& set) {
    ErrorCounts c{};
    for (int n = FirstErrorEntry; n <= LastErrorEntry; ++n)
        c[std::size_t(n - 1)] = countLabels(b, set.shortText(n));
    return c;
}

// A reader of RFC 4180 CSV, written from the RFC and nothing else: records of
// fields separated by commas, ended by CR LF; quoted fields with doubled quotes.
std::vector<std::vector<std::u16string>> readCsv(const std::string& bytes) {
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    const std::u16string s = text::fromUtf8(bytes.substr(3));
    std::vector<std::vector<std::u16string>> records;
    std::vector<std::u16string> record;
    std::u16string field;
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] == u'"') {
            ++i;
            for (;;) {
                EXPECT_LT(i, s.size()) << "unterminated quote";
                if (i >= s.size())
                    return records;
                if (s[i] == u'"') {
                    if (i + 1 < s.size() && s[i + 1] == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += s[i++];
            }
        }
        while (i < s.size() && s[i] != u',' && s[i] != u'\r') {
            EXPECT_NE(s[i], u'"') << "quote inside an unquoted field";
            field += s[i++];
        }
        if (i < s.size() && s[i] == u',') {
            record.push_back(std::move(field));
            field.clear();
            ++i;
        } else if (i < s.size()) {
            EXPECT_EQ(s.substr(i, 2), u"\r\n");
            record.push_back(std::move(field));
            field.clear();
            records.push_back(std::move(record));
            record.clear();
            i += 2;
        }
    }
    EXPECT_TRUE(record.empty() && field.empty()) << "the last record has no CR LF";
    return records;
}

// The table as TAB-separated text reads back into its cells.
std::vector<std::vector<std::u16string>> readTabs(const std::u16string& t) {
    std::vector<std::vector<std::u16string>> rows(1);
    std::u16string cell;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == u'\t') {
            rows.back().push_back(std::move(cell));
            cell.clear();
        } else if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') {
            rows.back().push_back(std::move(cell));
            cell.clear();
            rows.emplace_back();
            ++i;
        } else {
            cell += t[i];
        }
    }
    rows.back().push_back(std::move(cell));
    return rows;
}

void setDate(const std::string& path, int daysAgo) {
    std::filesystem::last_write_time(
        path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * daysAgo));
}

// A class of bulk-downloaded essays: two of Jane's (the later one first in the
// list), one of John's with 20 words and one spelling error.
struct BulkClass {
    TempFolder dir;
    std::string jane2, john, jane1;
    BulkClass() {
        // 10 words, two Sp, one Art.
        jane2 = EssayBuilder()
                    .text(u"one two three four five six seven ").span(u"eihgt").error(u"Sp")
                    .text(u" ").span(u"nien").error(u"Sp").text(u" ").span(u"tenn").error(u"Art")
                    .save(dir.file("smithjane_1001_2002_essay2.tlx"));
        john = EssayBuilder()
                   .text(u"a b c d e f g h i j k l m n o p q r s ").span(u"tt").error(u"Sp")
                   .save(dir.file("doejohn_1002_2001_essay1.tlx"));
        // 5 words, one Sp.
        jane1 = EssayBuilder()
                    .text(u"one two three four ").span(u"fiev").error(u"Sp")
                    .save(dir.file("smithjane_1001_2001_essay1.tlx"));
        setDate(jane2, 1);
        setDate(john, 3);
        setDate(jane1, 5);
    }
    MultiFileStatistics counted() const {
        MultiFileStatistics m;
        for (const auto& f : {jane2, john, jane1})
            m.addFile(f);
        m.count(AnnotationSet::builtInDefaults());
        return m;
    }
};

} // namespace

TEST(OnePassCount, EqualsTheSearchOfEachShortTextOverManyEssays) {
    // Red, black and teal pieces of label-like text in every order, with labels
    // next to labels, labels inside labels, case changed and a red run broken by
    // another colour in the middle of a short text.
    const std::vector<std::u16string> pieces = {u"Sp", u"Space", u"sP", u"Art", u"art",
                                                u"S", u"p", u"ace", u"???", u"Good!",
                                                u" ", u"VForm", u"Form", u"x"};
    const std::vector<Colour> colours = {clRed, clRed, clRed, clBlack, clTeal, clBlue};
    std::mt19937 random(28);
    AnnotationSet set = AnnotationSet::builtInDefaults();
    set.setEntry(27, AnnotationEntry{u"Fm", u"fOrM", u"Form again"});
    for (int essay = 0; essay < 300; ++essay) {
        EssayBuilder b;
        const int n = int(random() % 40);
        for (int k = 0; k < n; ++k) {
            const auto& piece = pieces[random() % pieces.size()];
            b.coloured(piece, colours[random() % colours.size()]);
            if (random() % 9 == 0)
                b.paragraph();
        }
        MarkedDocument doc;
        b.into(doc);
        const ErrorCounts expected = countOneByOne(doc.essay(), set);
        EXPECT_EQ(countErrorLabels(doc.essay(), set), expected) << "essay " << essay;
    }
}

TEST(OnePassCount, ALabelAtEitherEndAndAShortTextWithALineBreak) {
    EssayBuilder b;
    b.error(u"Sp").text(u" middle ").error(u"SpSp").paragraph().error(u"Art");
    MarkedDocument doc;
    b.into(doc);
    AnnotationSet set = AnnotationSet::builtInDefaults();
    ErrorCounts c = countErrorLabels(doc.essay(), set);
    EXPECT_EQ(c[18], 3); // Sp
    EXPECT_EQ(c[1], 1);  // Art
    // A short text across a line break still follows the search's rule.
    set.setEntry(28, AnnotationEntry{u"Br", u"Sp\r\nArt", u"Broken"});
    EXPECT_EQ(countErrorLabels(doc.essay(), set), countOneByOne(doc.essay(), set));
}

TEST(ClassChart, BarsAreTheTableRowsMostFrequentFirst) {
    BulkClass c;
    MultiFileStatistics m = c.counted();
    const CategoryChart chart = classChart(m, false);
    ASSERT_EQ(chart.bars.size(), m.rows().size());
    // Sp (4) before Art (1), although Art comes first in entry order.
    ASSERT_EQ(chart.bars.size(), 2u);
    EXPECT_EQ(chart.bars[0].abbreviation, u"Sp");
    EXPECT_EQ(chart.bars[0].count, 4);
    EXPECT_EQ(chart.bars[0].label(), u"Spelling");
    EXPECT_EQ(chart.bars[1].abbreviation, u"Art");
    EXPECT_EQ(chart.bars[1].count, 1);
    for (const MultiStatsRow& r : m.rows()) {
        auto bar = std::find_if(chart.bars.begin(), chart.bars.end(),
                                [&](const ChartBar& b) { return b.entry == r.entry; });
        ASSERT_NE(bar, chart.bars.end());
        EXPECT_EQ(bar->count, r.total);
        EXPECT_EQ(bar->description, r.description);
    }
    EXPECT_EQ(chart.essays, 3);
    EXPECT_EQ(chart.valueTitle(), u"Errors");

    // Equal counts keep entry order; a description that is empty names the bar
    // by its caption.
    ErrorStatisticsTable one;
    one.rows = {{2, 1, u"Article error"}, {19, 3, u""}, {20, 1, u"Vague reference"}};
    const CategoryChart essay = essayChart(one, AnnotationSet::builtInDefaults(), 50, true);
    ASSERT_EQ(essay.bars.size(), 3u);
    EXPECT_EQ(essay.bars[0].label(), u"Sp");
    EXPECT_EQ(essay.bars[1].entry, 2);
    EXPECT_EQ(essay.bars[2].entry, 20);
    EXPECT_DOUBLE_EQ(essay.value(essay.bars[0]), 6.0);
    EXPECT_EQ(essay.valueTitle(), u"Errors per 100 words");
}

TEST(ClassChart, RatesPer100WordsFromKnownWordCounts) {
    BulkClass c;
    MultiFileStatistics m = c.counted();
    EXPECT_EQ(m.fileResult(0).words, 10);
    EXPECT_EQ(m.fileResult(1).words, 20);
    EXPECT_EQ(m.fileResult(2).words, 5);
    EXPECT_EQ(m.totalWords(), 35);
    const CategoryChart chart = classChart(m, true);
    EXPECT_DOUBLE_EQ(chart.bars[0].rate, 4 * 100.0 / 35);
    EXPECT_DOUBLE_EQ(per100Words(1, 0), 0.0);

    TableOptions rates;
    rates.per100Words = true;
    EXPECT_EQ(tabText(statsTable(m, rates)),
              u"File\tWords\tArt\tSp\r\n"
              u"smithjane_1001_2002_essay2.tlx\t10\t10.00\t20.00\r\n"
              u"doejohn_1002_2001_essay1.tlx\t20\t0.00\t5.00\r\n"
              u"smithjane_1001_2001_essay1.tlx\t5\t0.00\t20.00\r\n"
              u"Total\t35\t2.86\t11.43");
    EXPECT_EQ(rateText(0.125), u"0.12");
    EXPECT_EQ(rateText(2.0 / 3.0), u"0.67");
}

TEST(Students, BulkDownloadNamesGroupedAndOrderedByDate) {
    BulkClass c;
    MultiFileStatistics m = c.counted();
    const std::vector<StudentRecord> s = groupByStudent(m, StudentGrouping::FileName);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].name, "smithjane");
    EXPECT_EQ(s[0].files, (std::vector<int>{2, 0})); // essay 1 is older
    EXPECT_EQ(s[0].words, 15);
    EXPECT_EQ(s[0].errors(), 4);
    EXPECT_DOUBLE_EQ(s[0].rate(), 400.0 / 15);
    EXPECT_EQ(s[1].name, "doejohn");
    EXPECT_EQ(s[1].files, (std::vector<int>{1}));

    const StudentSeries jane = studentSeries(m, s[0], {19, 2, 99});
    EXPECT_EQ(jane.essays, (std::vector<std::string>{"smithjane_1001_2001_essay1.tlx",
                                                     "smithjane_1001_2002_essay2.tlx"}));
    ASSERT_EQ(jane.lines.size(), 2u);
    EXPECT_EQ(jane.lines[0].abbreviation, u"Sp");
    EXPECT_EQ(jane.lines[0].rates, (std::vector<double>{20.0, 20.0}));
    EXPECT_EQ(jane.lines[1].rates, (std::vector<double>{0.0, 10.0}));

    TableOptions byStudent;
    byStudent.byStudent = true;
    EXPECT_EQ(tabText(statsTable(m, byStudent)), u"Student\tEssays\tArt\tSp\r\n"
                                                 u"smithjane\t2\t1\t3\r\n"
                                                 u"doejohn\t1\t0\t1\r\n"
                                                 u"Total\t3\t1\t4");
    byStudent.per100Words = true;
    EXPECT_EQ(tabText(statsTable(m, byStudent)), u"Student\tEssays\tWords\tArt\tSp\r\n"
                                                 u"smithjane\t2\t15\t6.67\t20.00\r\n"
                                                 u"doejohn\t1\t20\t0.00\t5.00\r\n"
                                                 u"Total\t3\t35\t2.86\t11.43");
}

TEST(Students, OneFolderPerStudentAndFilesThatFailToLoad) {
    TempFolder dir;
    std::filesystem::create_directories(dir.file("class/Zoë"));
    std::filesystem::create_directories(dir.file("class/Ali"));
    const std::string a = EssayBuilder().span(u"x").error(u"Sp").save(dir.file("class/Zoë/essay1.tlx"));
    const std::string b = EssayBuilder().span(u"x").error(u"Art").save(dir.file("class/Ali/essay1.tlx"));
    const std::string c = EssayBuilder().span(u"x").error(u"Sp").save(dir.file("class/Zoë/essay2.tlx"));
    MultiFileStatistics m;
    for (const auto& f : {a, b, c, dir.file("class/Ali/gone.tlx")})
        m.addFile(f);
    EXPECT_EQ(m.count(AnnotationSet::builtInDefaults()), 1);
    TableOptions o;
    o.byStudent = true;
    o.grouping = StudentGrouping::Folder;
    // The file that is gone is no essay of Ali's.
    EXPECT_EQ(tabText(statsTable(m, o)), u"Student\tEssays\tArt\tSp\r\n"
                                         u"Zoë\t2\t0\t2\r\n"
                                         u"Ali\t1\t1\t0\r\n"
                                         u"Total\t3\t1\t2");
    // By file name the two essays of Zoë are two students ("essay1", "essay2")
    // and the two "essay1" files one.
    o.grouping = StudentGrouping::FileName;
    const auto byName = groupByStudent(m, StudentGrouping::FileName);
    ASSERT_EQ(byName.size(), 2u);
    EXPECT_EQ(byName[0].name, "essay1");
    EXPECT_EQ(byName[0].files.size(), 2u);
}

TEST(StatsTables, CsvReadsBackAsTheTabTable) {
    TempFolder dir;
    const std::string odd = EssayBuilder().span(u"x").error(u"Sp").error(u"Art")
                                .save(dir.file("Zoë, \"the\" best_1_essay.tlx"));
    const std::string plain = EssayBuilder().span(u"x").error(u"Sp").save(dir.file("ben.tlx"));
    AnnotationSet set = AnnotationSet::builtInDefaults();
    set.setEntry(2, AnnotationEntry{u"A,rt", u"Art", u"Article error"});
    MultiFileStatistics m;
    m.addFile(odd);
    m.addFile(plain);
    m.count(set);
    for (bool byStudent : {false, true})
        for (bool rates : {false, true}) {
            TableOptions o;
            o.byStudent = byStudent;
            o.per100Words = rates;
            const StatsTable t = statsTable(m, o);
            EXPECT_EQ(readCsv(csvBytes(t)), readTabs(tabText(t)));
            EXPECT_EQ(readCsv(csvBytes(t)), t);
        }
    EXPECT_EQ(m.compileOutText(), tabText(statsTable(m, TableOptions{})));
    const std::string csv = csvBytes(statsTable(m, TableOptions{}));
    EXPECT_NE(csv.find("\"Zoë, \"\"the\"\" best_1_essay.tlx\""), std::string::npos) << csv;
    EXPECT_NE(csv.find("\"A,rt\""), std::string::npos);
}

TEST(StatsTables, ACellASpreadsheetWouldRunIsKeptAsText) {
    const StatsTable t = {{u"File", u"Sp"}, {u"=HYPERLINK(\"x\")_1.tlx", u"1"}, {u"Total", u"1"}};
    const auto back = readCsv(csvBytes(t));
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[1][0], u"'=HYPERLINK(\"x\")_1.tlx");
    EXPECT_EQ(back[1][1], u"1");
}

TEST(ParallelCount, TheSameResultsInListOrderForAnyNumberOfWorkers) {
    TempFolder dir;
    std::vector<std::string> files;
    const std::string damaged = TALLIX_TEST_DATA "/damaged";
    std::vector<std::string> bad;
    for (const auto& e : std::filesystem::directory_iterator(damaged))
        bad.push_back(e.path().string());
    std::sort(bad.begin(), bad.end());
    std::mt19937 random(7);
    for (int i = 0; i < 60; ++i) {
        if (i % 3 == 1 && !bad.empty()) {
            files.push_back(bad[std::size_t(i) % bad.size()]);
            continue;
        }
        EssayBuilder b;
        for (unsigned k = 0, n = unsigned(random() % 30); k < n; ++k)
            b.text(u"word and ").span(u"wrod").error(random() % 2 ? u"Sp" : u"Art");
        files.push_back(b.save(dir.file("essay" + std::to_string(i) + ".tlx")));
    }
    files.push_back(dir.file("missing.tlx"));

    const AnnotationSet set = AnnotationSet::builtInDefaults();
    std::vector<FileCount> serial;
    MarkedDocument doc;
    for (const auto& f : files)
        serial.push_back(countFile(f, set, doc));
    for (int jobs : {1, 2, 3, 8}) {
        std::vector<int> order;
        ClassCountCallbacks cb;
        cb.fileDone = [&](int f, const FileCount& r) {
            order.push_back(f);
            EXPECT_EQ(r, serial[std::size_t(f)]);
        };
        EXPECT_EQ(countFiles(files, set, jobs, cb), serial) << jobs << " jobs";
        ASSERT_EQ(order.size(), files.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            EXPECT_EQ(order[i], int(i));
    }

    // The class table and its warnings, in list order, whatever the workers.
    auto table = [&](int jobs, std::vector<std::u16string>& warnings) {
        MultiFileStatistics m;
        m.setJobs(jobs);
        for (const auto& f : files)
            m.addFile(f);
        MultiStatsCallbacks cb;
        cb.warn = [&](const Message& msg) { warnings.push_back(msg.text); };
        m.count(set, cb);
        return m.compileOutText();
    };
    std::vector<std::u16string> one, four;
    EXPECT_EQ(table(1, one), table(4, four));
    EXPECT_EQ(one, four);
    EXPECT_GE(one.size(), 1u);
    EXPECT_EQ(one.back(), u"Unable to load missing.tlx. It may be corrupted.");
}

TEST(ParallelCount, AQuickReadCountsAsOpeningTheFileWould) {
    // Each file counted by countFile must give what opening it gives: the essay
    // up to its trailer (found in any case, or absent), its words and its labels,
    // whichever reader took the file.
    TempFolder dir;
    std::mt19937 random(11);
    const std::vector<std::u16string> words = {u"word ", u"\t", u"\r\n", u"Sp", u"ART", u"\u0130t ",
                                               u"tallixcomments:", u"\U0001F600", u"caf\u00e9 "};
    std::vector<std::string> files;
    for (int i = 0; i < 80; ++i) {
        EssayBuilder b;
        for (unsigned k = 0, n = unsigned(random() % 40); k < n; ++k) {
            const std::u16string& w = words[random() % words.size()];
            switch (random() % 4) {
            case 0:
                b.error(random() % 2 ? u"Sp" : u"ArtSp");
                break;
            case 1:
                b.span(w);
                break;
            case 2:
                b.coloured(w, clRed);
                break;
            default:
                b.text(w);
                break;
            }
        }
        files.push_back(b.save(dir.file("essay" + std::to_string(i) + ".tlx")));
    }
    // Without a trailer, and the trailer key in capitals.
    RichContent bare;
    bare.appendText(u"No trailer Sp", tallix::testing::fmt(clRed));
    ASSERT_TRUE(fileio::writeFileAtomic(dir.file("bare.tlx"), writeRtf(bare)).ok);
    files.push_back(dir.file("bare.tlx"));
    RichContent upper;
    upper.appendText(u"Sp Sp TALLIXCOMMENTS:Sp", tallix::testing::fmt(clRed));
    ASSERT_TRUE(fileio::writeFileAtomic(dir.file("upper.tlx"), writeRtf(upper)).ok);
    files.push_back(dir.file("upper.tlx"));

    AnnotationSet withBreak = AnnotationSet::builtInDefaults();
    withBreak.setEntry(5, AnnotationEntry{u"Two", u"Sp\r\nSp", u"Two lines"});
    for (const AnnotationSet& set : {AnnotationSet::builtInDefaults(), withBreak}) {
        MarkedDocument worker;
        for (const std::string& f : files) {
            const FileCount got = countFile(f, set, worker);
            MarkedDocument opened;
            ASSERT_TRUE(opened.loadTlxFile(f).ok) << f;
            EXPECT_TRUE(got.loaded) << f;
            EXPECT_EQ(got.counts, countErrorLabels(opened.essay(), set)) << f;
            EXPECT_EQ(got.words, countWords(opened.essay().text())) << f;
        }
    }
}
