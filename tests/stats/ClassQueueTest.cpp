// The class queue: listing a folder of marked files and essays by student,
// pairing essays with their marked files, the states and counts of the rows, the
// moves that pass over rows that cannot be opened, and what it remembers.
#include "stats/ClassQueue.h"

#include "document/EssayImport.h"
#include "document/RtfReader.h"
#include "platform/TextCodec.h"

#include "StatsTestSupport.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tallix;
using namespace tallix::classqueue;
using tallix::testing::EssayBuilder;
using tallix::testing::TempFolder;

namespace {

const char PlainRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 An essay about dogs.\\par}";

// A marked file with one Sp and one Art label, saved with the builder's grade.
std::string gradedFile(const TempFolder& dir, const std::string& name) {
    return EssayBuilder()
        .text(u"Teh ")
        .span(u"dog")
        .error(u"Sp")
        .text(u" ran. ")
        .span(u"A")
        .error(u"Art")
        .save(dir.file(name));
}

// A marked file with a label but no grade.
std::string markedUngraded(const TempFolder& dir, const std::string& name) {
    MarkedDocument doc;
    EssayBuilder().text(u"One ").span(u"tow").error(u"Sp").into(doc);
    EXPECT_TRUE(doc.saveTlx(dir.file(name)).ok);
    return dir.file(name);
}

std::vector<std::string> students(const ClassQueue& q) {
    std::vector<std::string> s;
    for (const QueueEntry& e : q.entries())
        s.push_back(e.student);
    return s;
}

class ClassQueueTest : public ::testing::Test {
protected:
    AnnotationSet set = AnnotationSet::builtInDefaults();
    TempFolder dir;
};

TEST_F(ClassQueueTest, ListsAFolderByStudentAndPairsEssaysWithTheirMarkedFiles) {
    gradedFile(dir, "smithjane_1001_2001_essay.tlx");
    dir.write("smithjane_1001_2001_essay.rtf", PlainRtf); // already imported: one row
    dir.write("Adams Bob_12345_assignsubmission_file_essay.docx", "not a zip at all");
    dir.write("carla.txt", "An essay.\r\n");
    dir.write("dora.odt", "");
    dir.write("evan.pdf", "%PDF-1.4\n%...");
    dir.write("notes.htm", "<p>an export</p>");
    dir.write(".hidden.rtf", PlainRtf);
    dir.write("~$lock.docx", "");
    std::filesystem::create_directory(dir.path() / "folder.tlx");

    ClassQueue q;
    std::string error;
    ASSERT_TRUE(q.listFolder(dir.path().string(), {}, error)) << error;
    EXPECT_EQ(students(q), (std::vector<std::string>{"Adams Bob", "carla", "dora", "evan", "smithjane"}));
    // Listing reads nothing.
    for (const QueueEntry& e : q.entries())
        EXPECT_EQ(e.state, EssayState::Unknown);
    const QueueEntry& jane = q.entry(4);
    EXPECT_EQ(jane.marked, dir.file("smithjane_1001_2001_essay.tlx"));
    EXPECT_EQ(jane.essay, dir.file("smithjane_1001_2001_essay.rtf"));
    EXPECT_FALSE(q.entry(1).imported());
    EXPECT_EQ(q.title(), text::fromUtf8(dir.path().filename().string()));
    EXPECT_EQ(q.progressText(), u"0 of 5 graded");
}

TEST_F(ClassQueueTest, ScanningGivesStatesAndErrorCountsAndKeepsDamagedRows) {
    gradedFile(dir, "anna.tlx");
    markedUngraded(dir, "ben.tlx");
    {
        MarkedDocument empty;
        empty.installEssay(RichContent{});
        ASSERT_TRUE(empty.saveTlx(dir.file("cy.tlx")).ok);
    }
    dir.write("dan.docx", "PK\x03\x04 but no archive behind it");
    dir.write("eve.pdf", "%PDF-1.4\n");
    dir.write("fay.rtf", PlainRtf);

    ClassQueue q;
    std::string error;
    ASSERT_TRUE(q.listFolder(dir.path().string(), {}, error));
    ASSERT_EQ(q.size(), 6);
    for (int i = q.nextUnscanned(); i >= 0; i = q.nextUnscanned(i + 1))
        q.scan(i, set);
    EXPECT_EQ(q.entry(0).state, EssayState::Graded);
    EXPECT_EQ(q.entry(0).errors, 2);
    EXPECT_EQ(q.entry(1).state, EssayState::InProgress);
    EXPECT_EQ(q.entry(1).errors, 1);
    EXPECT_EQ(q.entry(2).state, EssayState::NotStarted);
    EXPECT_EQ(q.entry(3).state, EssayState::Damaged);
    EXPECT_FALSE(q.entry(3).problem.empty());
    EXPECT_EQ(q.entry(4).state, EssayState::NotImportable);
    EXPECT_EQ(q.entry(5).state, EssayState::NotStarted);
    EXPECT_EQ(q.progressText(), u"1 of 6 graded");
    // The damaged rows stay listed, and the statistics take only marked files.
    EXPECT_EQ(q.markedFiles(),
              (std::vector<std::string>{dir.file("anna.tlx"), dir.file("ben.tlx"), dir.file("cy.tlx")}));

    // Moving passes over the rows that cannot be opened, both ways.
    q.setPosition(2);
    EXPECT_EQ(q.neighbour(1), 5);
    q.setPosition(5);
    EXPECT_EQ(q.neighbour(-1), 2);
    EXPECT_EQ(q.neighbour(1), -1);
    q.setPosition(-1);
    EXPECT_EQ(q.neighbour(1), 0);
    EXPECT_EQ(q.neighbour(-1), 5);
}

TEST_F(ClassQueueTest, RemembersTheOpenRowAndTheImportsItMade) {
    dir.write("jane.rtf", PlainRtf);
    dir.write("jane.docx", "PK\x03\x04");
    gradedFile(dir, "jane.tlx"); // the teacher's own file of that name
    dir.write("kim.rtf", PlainRtf);

    ClassQueue q;
    std::string error;
    ASSERT_TRUE(q.listFolder(dir.path().string(), {}, error));
    // jane.tlx pairs with the first essay of its name; the other stays a row.
    ASSERT_EQ(q.size(), 3);
    const int other = q.find(dir.file("jane.rtf")) == q.find(dir.file("jane.tlx"))
                          ? q.find(dir.file("jane.docx"))
                          : q.find(dir.file("jane.rtf"));
    ASSERT_GE(other, 0);
    ASSERT_FALSE(q.entry(other).imported());

    // Importing it picks a free name beside it; the essay is only read.
    const std::string essay = q.entry(other).essay;
    const std::string before = TempFolder::read(essay);
    const std::string marked = freeMarkedFileName(essay);
    EXPECT_EQ(std::filesystem::path(marked).filename(), "jane (2).tlx");
    q.setMarked(other, marked);
    q.setPosition(q.find(dir.file("kim.rtf")));
    const QueueMemory memory = q.memory();
    EXPECT_EQ(memory.current, dir.file("kim.rtf"));
    ASSERT_EQ(memory.imported.size(), 2u); // jane.tlx's pair and the new one
    EXPECT_EQ(TempFolder::read(essay), before);

    // Listed again with that memory (and the file written), the import pairs with
    // its own marked file, and the queue starts where it was.
    dir.write("jane (2).tlx", TempFolder::read(dir.file("jane.tlx")));
    ClassQueue again;
    ASSERT_TRUE(again.listFolder(dir.path().string(), memory, error));
    EXPECT_EQ(again.size(), 3);
    const int row = again.find(essay);
    ASSERT_GE(row, 0);
    EXPECT_EQ(again.entry(row).marked, dir.file("jane (2).tlx"));
    EXPECT_EQ(again.startRow(), again.find(dir.file("kim.rtf")));
    EXPECT_EQ(ClassQueue::memorySection(q.key()), ClassQueue::memorySection(again.key()));
    EXPECT_NE(ClassQueue::memorySection(q.key()), ClassQueue::memorySection(q.key() + "x"));
}

TEST_F(ClassQueueTest, AListOfFilesKeepsMissingOnesAsDamagedRows) {
    const std::string a = gradedFile(dir, "a.tlx");
    const std::string b = dir.write("b.rtf", PlainRtf);
    ClassQueue q;
    q.listFiles({b, dir.file("gone.tlx"), a}, {});
    ASSERT_EQ(q.size(), 3);
    EXPECT_EQ(students(q), (std::vector<std::string>{"a", "b", "gone"}));
    EXPECT_EQ(q.entry(2).state, EssayState::Damaged);
    EXPECT_EQ(q.startRow(), 0);
    EXPECT_EQ(q.title(), u"3 files");
    ClassQueue sameFiles;
    sameFiles.listFiles({a, dir.file("gone.tlx"), b}, {});
    EXPECT_EQ(sameFiles.key(), q.key());
}

TEST_F(ClassQueueTest, AFolderThatCannotBeListedSaysWhy) {
    ClassQueue q;
    std::string error;
    EXPECT_FALSE(q.listFolder(dir.file("no such folder"), {}, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(q.empty());
}

TEST_F(ClassQueueTest, TheStatusOfADocumentFollowsItsMarksAndGrade) {
    MarkedDocument doc;
    EssayBuilder().text(u"Plain text only.").into(doc);
    EXPECT_EQ(statusOf(doc, set).state, EssayState::NotStarted);
    doc.feedback2Text = u"Well argued.";
    EXPECT_EQ(statusOf(doc, set).state, EssayState::InProgress);
    doc.grade = u"  ";
    EXPECT_EQ(statusOf(doc, set).state, EssayState::InProgress);
    doc.grade = u"A-";
    EXPECT_EQ(statusOf(doc, set).state, EssayState::Graded);
}

TEST(EssayImportTest, ImportsByContentBesideTheEssayAndRefusesPdfFiles) {
    TempFolder dir;
    // An RTF essay named as text is read as RTF: its content decides.
    const std::string essay = dir.write("named-wrongly.txt", PlainRtf);
    const MarkedImportOutcome r = importToMarkedFile(essay, dir.file("out.tlx"));
    ASSERT_TRUE(r.outcome.ok);
    MarkedDocument doc;
    ASSERT_TRUE(doc.loadTlxFile(dir.file("out.tlx")).ok);
    EXPECT_EQ(doc.essay().text().substr(0, 20), u"An essay about dogs.");
    EXPECT_EQ(TempFolder::read(essay), PlainRtf);

    const std::string pdf = dir.write("scan.pdf", "%PDF-1.4\n1 0 obj\n");
    const MarkedImportOutcome refused = importToMarkedFile(pdf, dir.file("scan.tlx"));
    EXPECT_FALSE(refused.outcome.ok);
    EXPECT_TRUE(refused.readFailed);
    EXPECT_FALSE(std::filesystem::exists(dir.file("scan.tlx")));

    EXPECT_EQ(std::filesystem::path(freeMarkedFileName(dir.file("scan.pdf"))).filename(), "scan.tlx");
    EXPECT_EQ(std::filesystem::path(freeMarkedFileName(dir.file("out.rtf"))).filename(), "out (2).tlx");
}

} // namespace
