#include "platform/qt/HelpViewer.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

using namespace tallix;

namespace {

// Every help context that a menu, window or message box of the program carries.
const int kProgramContexts[] = {1000,  5000,  6000,  8000,  9000,  10000, 13000,
                                14000, 16000, 17000, 18000, 19000, 20000, 21000,
                                24000, 25000, 28000, 29000, 30000, 31000, 32000,
                                33000, 33500, 34000, 35000, 39000, 42000, 42100, 42200};

TEST(HelpIndexTest, EveryContextOfTheProgramOpensAPageThatExists) {
    const HelpIndex& index = HelpIndex::builtIn();
    EXPECT_TRUE(index.missingPages().isEmpty()) << index.missingPages().join(", ").toStdString();
    EXPECT_EQ(index.contentsPage(), "contents.html");
    for (int context : kProgramContexts) {
        const QString page = index.pageForContext(context);
        ASSERT_FALSE(page.isEmpty()) << "no topic for context " << context;
        const HelpTopic* topic = index.topic(page);
        ASSERT_NE(topic, nullptr) << page.toStdString();
        EXPECT_FALSE(topic->title.isEmpty()) << page.toStdString();
        EXPECT_TRUE(QFile::exists(":/help/" + page));
    }
    // Nothing in the map that leads nowhere.
    const QMap<int, QString> map = index.contextMap();
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        EXPECT_NE(index.topic(it.value()), nullptr) << it.key();
    EXPECT_TRUE(index.pageForContext(12345).isEmpty());
}

TEST(HelpIndexTest, EveryPageIsListedHasItsOwnTitleAndLinksOnlyToPagesThatExist) {
    const HelpIndex& index = HelpIndex::builtIn();
    QSet<QString> listed, titles;
    for (const HelpTopic& t : index.topics()) {
        listed << t.page;
        EXPECT_FALSE(titles.contains(t.title)) << "two pages titled " << t.title.toStdString();
        titles << t.title;
    }
    const QStringList files = QDir(":/help").entryList({"*.html"}, QDir::Files);
    for (const QString& f : files)
        EXPECT_TRUE(listed.contains(f)) << f.toStdString() << " is not in the contents";

    static const QRegularExpression link("href=\"([^\"#]*)");
    for (const QString& f : files) {
        QFile file(":/help/" + f);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_TRUE(target.isEmpty() || files.contains(target))
                << f.toStdString() << " links to missing " << target.toStdString();
        }
    }
}

TEST(HelpIndexTest, SearchFindsPagesHoldingAllTheWords) {
    const HelpIndex& index = HelpIndex::builtIn();
    const QStringList overlap = index.search("overlap");
    EXPECT_TRUE(overlap.contains("annotating.html"));
    EXPECT_TRUE(overlap.contains("comments.html"));
    EXPECT_FALSE(overlap.contains("word-count.html"));

    // All words must be there, in any case, and a word matches longer words it starts.
    const QStringList reflinks = index.search("REFLINKS");
    EXPECT_TRUE(reflinks.contains("useful-links.html"));
    EXPECT_FALSE(reflinks.contains("word-count.html"));
    EXPECT_TRUE(index.search("bookmark limit ten").contains("bookmarks.html"));
    EXPECT_TRUE(index.search("tab-separated spreadsheet").contains("multi-stats.html"));
    EXPECT_TRUE(index.search("zebra").isEmpty());
    EXPECT_TRUE(index.search("  ,;  ").isEmpty());

    // The pages about what the program does beyond marking are found by the words
    // a teacher would look for.
    EXPECT_EQ(index.search("crash").value(0), "recovery.html");
    EXPECT_TRUE(index.search("restore discard later").contains("recovery.html"));
    // "docx" is both read and written: both pages are found.
    EXPECT_TRUE(index.search("docx").contains("import-word.html"));
    EXPECT_TRUE(index.search("docx").contains("word-export.html"));
    EXPECT_TRUE(index.search("odt footnotes").contains("import-word.html"));
    EXPECT_TRUE(index.search(".bad").contains("files-kept-aside.html"));
    EXPECT_TRUE(index.search("--export-web").contains("command-line.html"));
    EXPECT_TRUE(index.search("count-errors").contains("command-line.html"));
    EXPECT_TRUE(index.search("exit status").contains("command-line.html"));
    EXPECT_EQ(index.search("installing").value(0), "installing.html");
    EXPECT_TRUE(index.search("TALLIX32_HOME").contains("installing.html"));

    // A topic about the word comes first.
    const QStringList colours = index.search("colours");
    ASSERT_FALSE(colours.isEmpty());
    EXPECT_EQ(colours.front(), "output-colours.html");
}

class HelpViewerTest : public ::testing::Test {
protected:
    void TearDown() override { viewer.hide(); }
    HelpViewer viewer;
};

TEST_F(HelpViewerTest, ContextShowsItsTopicAndUnknownContextsShowTheContents) {
    EXPECT_TRUE(viewer.showContext(14000));
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_EQ(viewer.currentPage(), "files.html");
    EXPECT_EQ(viewer.currentTitle(), "Marked files: new, open and save");
    EXPECT_TRUE(viewer.windowTitle().endsWith("Marked files: new, open and save"));
    EXPECT_TRUE(viewer.browser()->toPlainText().contains(".tlx"));

    EXPECT_TRUE(viewer.showContext(25000));
    EXPECT_EQ(viewer.currentTitle(), "The Edit menu");

    EXPECT_TRUE(viewer.showContext(42000));
    EXPECT_EQ(viewer.currentTitle(), "Getting your work back after a crash");

    EXPECT_FALSE(viewer.showContext(4242));
    EXPECT_EQ(viewer.currentPage(), "contents.html");
    EXPECT_EQ(viewer.currentTitle(), "Tallix32 Help");
}

TEST_F(HelpViewerTest, ContentsListLinksAndBackWork) {
    viewer.showContents();
    EXPECT_EQ(viewer.lbTopics->count(), HelpIndex::builtIn().topics().size());
    EXPECT_EQ(viewer.tabsNavigation->currentIndex(), 0);

    // Choose a topic in the list, then follow a link on its page.
    QListWidgetItem* bookmarks = viewer.lbTopics->findItems("Bookmarks", Qt::MatchExactly).value(0);
    ASSERT_NE(bookmarks, nullptr);
    emit viewer.lbTopics->itemClicked(bookmarks);
    EXPECT_EQ(viewer.currentPage(), "bookmarks.html");
    viewer.browser()->setSource(QUrl("menu-edit.html"));
    EXPECT_EQ(viewer.currentPage(), "menu-edit.html");
    EXPECT_EQ(viewer.lbTopics->currentItem()->text(), "The Edit menu");

    ASSERT_TRUE(viewer.btnBack->isEnabled());
    QTest::mouseClick(viewer.btnBack, Qt::LeftButton);
    EXPECT_EQ(viewer.currentPage(), "bookmarks.html");
    ASSERT_TRUE(viewer.btnForward->isEnabled());
    QTest::mouseClick(viewer.btnForward, Qt::LeftButton);
    EXPECT_EQ(viewer.currentPage(), "menu-edit.html");
}

TEST_F(HelpViewerTest, SearchBoxListsMatchingTopicsAndMarksTheWords) {
    viewer.showSearch();
    EXPECT_EQ(viewer.tabsNavigation->currentIndex(), 1);
    QTest::keyClicks(viewer.editSearch, "garbled accents");
    QTest::keyClick(viewer.editSearch, Qt::Key_Return);
    const QStringList titles = viewer.searchResultTitles();
    ASSERT_FALSE(titles.isEmpty());
    EXPECT_TRUE(titles.contains("Text from a Macintosh"));
    EXPECT_EQ(viewer.currentTitle(), titles.front()); // the first result is shown
    EXPECT_FALSE(viewer.browser()->extraSelections().isEmpty()); // the words are marked

    viewer.editSearch->setText("xylophone");
    QTest::mouseClick(viewer.btnSearch, Qt::LeftButton);
    EXPECT_TRUE(viewer.searchResultTitles().isEmpty());
    EXPECT_EQ(viewer.lblResults->text(), "No topic contains all of those words.");
}

TEST(HelpContextTest, ControlsFindTheNearestContextUpTheirParents) {
    QWidget window;
    auto* panel = new QWidget(&window);
    auto* button = new QPushButton(panel);
    EXPECT_EQ(helpContextOf(button), 0);
    setHelpContext(&window, 24000);
    EXPECT_EQ(helpContextOf(button), 24000);
    setHelpContext(panel, 9000);
    EXPECT_EQ(helpContextOf(button), 9000);
    EXPECT_EQ(helpContextOf(&window), 24000);

    showHelpFor(button);
    EXPECT_EQ(HelpViewer::instance()->currentPage(), "annotating.html");
    HelpViewer::instance()->hide();
}

} // namespace
