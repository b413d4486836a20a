// The useful links and useful text windows, driven through their controls with
// the marking window they insert into.
#include "app/TfrmTallix32.h"
#include "document/qt/MarkRichEdit.h"
#include "library/LinkReferences.h"
#include "library/TfrmDatabase.h"
#include "library/TfrmUsefulText.h"
#include "platform/FileIO.h"
#include "platform/qt/HelpViewer.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"

#include "TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

using namespace tallix;
using tallix::testing::TempFolder;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

class LibraryWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TALLIX32_HOME", QByteArray::fromStdString(home.path().string() + "/"));
        initResources();
    }
    void TearDown() override {
        main.reset();
        qunsetenv("TALLIX32_HOME");
    }

    // The marking window with its library windows, as start-up makes them.
    TfrmTallix32& start() {
        main = std::make_unique<TfrmTallix32>(settings);
        main->createLibraryWindows();
        return *main;
    }
    TfrmDatabase& links() { return *main->frmDatabase; }
    TfrmUsefulText& texts() { return *main->frmUsefulText; }

    // The notes box shows feedback 1 and has the marking window's focus.
    void focusNotes() {
        main->show();
        main->spdFeedback1->click();
        main->activateWindow();
        main->mmoNotes->setFocus();
        QApplication::processEvents();
        ASSERT_EQ(main->focusWidget(), main->mmoNotes);
    }

    std::string linksFile() const { return home.file("reflinks.mdb"); }
    std::string textFile() const { return home.file("reftext.mdb"); }

    // Selects the given rows of a list box, the first of them current.
    static void selectRows(QListWidget* lb, std::initializer_list<int> rows, int current) {
        lb->clearSelection();
        lb->setCurrentRow(current, QItemSelectionModel::NoUpdate);
        for (int r : rows)
            lb->item(r)->setSelected(true);
    }

    static QStringList titles(QListWidget* lb) {
        QStringList t;
        for (int i = 0; i < lb->count(); ++i)
            t << lb->item(i)->text();
        return t;
    }

    TempFolder home;
    SettingsStore settings{q(home.file("settings.ini"))};
    std::unique_ptr<TfrmTallix32> main;
    std::vector<MessageRequest> shown;
    std::deque<Button> answers;
    std::deque<std::optional<QString>> files;
    ScopedMessageHandler messages{[this](const MessageRequest& r) {
        shown.push_back(r);
        if (answers.empty())
            return escapeAnswer(r.buttons);
        Button a = answers.front();
        answers.pop_front();
        return a;
    }};
    ScopedFileHandler fileDialogs{[this](const FileRequest&) -> std::optional<QString> {
        std::optional<QString> f;
        if (!files.empty()) {
            f = files.front();
            files.pop_front();
        }
        return f;
    }};
};

const char* const ThreeLinks = "Apostrophes\r\nhttp://a.example/\r\nits and it's\r\n"
                               "Commas\r\nhttp://c.example/\r\n\r\n"
                               "Spelling\r\nhttp://s.example/\r\n\r\n";

} // namespace

TEST_F(LibraryWindowTest, MissingFilesAreCreatedWithTheirMessages) {
    start();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, MessageKind::Plain);
    EXPECT_EQ(shown[0].text,
              QStringLiteral("Unable to load \"reflinks.mdb\", the database of helpful links. The "
                             "file may have been deleted, corrupted or moved.\r\n\r\nA new one will be created."));
    EXPECT_EQ(shown[1].text,
              QStringLiteral("Unable to load \"reftext.mdb\", the database of useful text. The "
                             "file may have been deleted, corrupted or moved.\r\n\r\nA new one will be created."));
    EXPECT_TRUE(std::filesystem::exists(linksFile()));
    EXPECT_TRUE(std::filesystem::exists(textFile()));
    EXPECT_EQ(links().lbTitles->count(), 0);
    EXPECT_FALSE(links().LinksChanged());
    EXPECT_FALSE(texts().TextChanged());
}

TEST_F(LibraryWindowTest, ADamagedFileIsKeptAsideAndReportedOnce) {
    const std::string damaged("Title\r\n\0\0binary", 15);
    home.write("reflinks.mdb", damaged);
    home.write("reftext.mdb", "");
    start();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("kept as \"reflinks.mdb.bad\"")));
    // Its Help (and F1) opens the page about files kept aside.
    EXPECT_EQ(shown[0].helpContext, fileio::SetAsideHelpContext);
    EXPECT_TRUE(shown[0].buttons.testFlag(Button::Help));
    EXPECT_EQ(TempFolder::read(linksFile() + ".bad"), damaged);
    EXPECT_EQ(TempFolder::read(linksFile()), "");
    EXPECT_EQ(links().lbTitles->count(), 0);
    links().btnNew->click();
    links().btnSave->click();
    EXPECT_EQ(TempFolder::read(linksFile()), "New link\r\n\r\n\r\n");
    EXPECT_EQ(TempFolder::read(linksFile() + ".bad"), damaged);
}

TEST_F(LibraryWindowTest, TheLinksWindowShowsItsControls) {
    home.write("reflinks.mdb", ThreeLinks);
    home.write("reftext.mdb", "");
    start();
    EXPECT_TRUE(shown.empty());
    TfrmDatabase& w = links();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Database of helpful links"));
    EXPECT_EQ(helpContextOf(&w), 33000);
    EXPECT_EQ(w.grpCurrent->title(), QStringLiteral("Current Link Item"));
    EXPECT_EQ(w.grpImport->title(), QStringLiteral("Import"));
    EXPECT_EQ(w.lbTitles->selectionMode(), QAbstractItemView::ExtendedSelection);
    const std::pair<QPushButton*, const char*> buttons[] = {
        {w.btnAccept, "Accept changes to the current link"},
        {w.btnCancel, "Cancel changes made to the current link"},
        {w.btnNew, "Add a new link"},
        {w.btnDelete, "Delete the selected link"},
        {w.btnBookmarks, "Import Netscape bookmarks file"},
        {w.btnFavourites, "Import Internet Explorer favorites list"},
        {w.btnSave, "Save changes to the database"},
        {w.btnHelp, "Help on using the database of useful links"},
        {w.btnUse, "Insert the current link into marking feedback"},
        {w.btnClose, "Close this screen"}};
    for (auto [b, hint] : buttons)
        EXPECT_EQ(b->toolTip(), QString::fromLatin1(hint)) << b->objectName().toStdString();
    EXPECT_EQ(w.btnAccept->text(), QStringLiteral("&OK to changes"));
    EXPECT_EQ(w.btnFavourites->text(), QStringLiteral("&Favorites"));
    EXPECT_EQ(w.btnClose->text(), QStringLiteral("C&lose"));
    EXPECT_EQ(w.lblURL->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    // The file's links, the first current and shown.
    EXPECT_EQ(titles(w.lbTitles), (QStringList{"Apostrophes", "Commas", "Spelling"}));
    EXPECT_EQ(w.lbTitles->currentRow(), 0);
    EXPECT_EQ(w.editTitle->text(), QStringLiteral("Apostrophes"));
    EXPECT_EQ(w.editURL->text(), QStringLiteral("http://a.example/"));
    EXPECT_EQ(w.editNotes->text(), QStringLiteral("its and it's"));
    w.lbTitles->setCurrentRow(2);
    EXPECT_EQ(w.editURL->text(), QStringLiteral("http://s.example/"));

    w.show();
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(QStringLiteral("/tmp/tallix-frmDatabase.png")));
    w.hide();
}

TEST_F(LibraryWindowTest, EditingLinks) {
    home.write("reflinks.mdb", ThreeLinks);
    start();
    TfrmDatabase& w = links();
    // OK to changes writes the fields and empties them; a second press changes nothing.
    w.lbTitles->setCurrentRow(1);
    w.editURL->setText(QStringLiteral("http://commas.example/"));
    QTest::keyClicks(w.editTitle, QStringLiteral("!"));
    w.btnAccept->click();
    EXPECT_EQ(w.linkList().title(1), u"Commas!");
    EXPECT_EQ(w.linkList().url(1), u"http://commas.example/");
    EXPECT_EQ(w.lbTitles->item(1)->text(), QStringLiteral("Commas!"));
    EXPECT_TRUE(w.editTitle->text().isEmpty());
    EXPECT_TRUE(w.LinksChanged());
    w.btnAccept->click();
    EXPECT_EQ(w.linkList().title(1), u"Commas!");
    EXPECT_EQ(w.linkList().url(1), u"http://commas.example/");
    // Cancel changes shows the stored fields again.
    QTest::keyClicks(w.editNotes, QStringLiteral("typed"));
    w.btnCancel->click();
    EXPECT_EQ(w.editTitle->text(), QStringLiteral("Commas!"));
    EXPECT_TRUE(w.editNotes->text().isEmpty());
    // New adds "New link", the only selected and current item.
    w.lbTitles->item(0)->setSelected(true);
    w.btnNew->click();
    EXPECT_EQ(w.lbTitles->count(), 4);
    EXPECT_EQ(w.lbTitles->currentRow(), 3);
    EXPECT_EQ(w.lbTitles->selectedItems().size(), 1);
    EXPECT_EQ(w.editTitle->text(), QStringLiteral("New link"));
    EXPECT_EQ(w.linkList().items().size(), 12u);
}

TEST_F(LibraryWindowTest, DeletingTheFirstRunOfSelectedLinks) {
    home.write("reflinks.mdb",
               "1\r\nu1\r\n\r\n2\r\nu2\r\n\r\n3\r\nu3\r\n\r\n4\r\nu4\r\n\r\n5\r\nu5\r\n\r\n");
    start();
    TfrmDatabase& w = links();
    selectRows(w.lbTitles, {1, 2, 4}, 1);
    w.btnDelete->click();
    EXPECT_EQ(titles(w.lbTitles), (QStringList{"1", "4", "5"}));
    EXPECT_EQ(w.linkList().items().size(), 9u);
    EXPECT_EQ(w.lbTitles->currentRow(), 1);
    EXPECT_TRUE(w.lbTitles->item(1)->isSelected());
    EXPECT_EQ(w.editURL->text(), QStringLiteral("u4"));
    // The last link: the new last becomes current.
    selectRows(w.lbTitles, {2}, 2);
    w.btnDelete->click();
    EXPECT_EQ(titles(w.lbTitles), (QStringList{"1", "4"}));
    EXPECT_EQ(w.lbTitles->currentRow(), 1);
    // The current item not selected: refused.
    selectRows(w.lbTitles, {}, 0);
    w.btnDelete->click();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, QStringLiteral("Please select a title to delete."));
    EXPECT_EQ(w.lbTitles->count(), 2);
}

TEST_F(LibraryWindowTest, SavingAndClosing) {
    home.write("reflinks.mdb", ThreeLinks);
    start();
    TfrmDatabase& w = links();
    w.show();
    w.btnNew->click();
    // Cancel keeps the window open; No closes and keeps the changes in memory.
    answers = {Button::Cancel};
    w.btnClose->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(shown.back().text, QStringLiteral("Do you want to save the changes?"));
    EXPECT_EQ(shown.back().type, MessageType::Confirmation);
    EXPECT_EQ(shown.back().helpContext, 33000);
    answers = {Button::No};
    w.btnClose->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(main->usefulLinks().count(), 4);
    EXPECT_EQ(TempFolder::read(linksFile()), ThreeLinks);
    // Yes saves and closes.
    w.show();
    answers = {Button::Yes};
    w.btnClose->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.LinksChanged());
    EXPECT_EQ(TempFolder::read(linksFile()), std::string(ThreeLinks) + "New link\r\n\r\n\r\n");
    // Nothing changed: no question.
    w.show();
    const std::size_t before = shown.size();
    w.btnClose->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(shown.size(), before);
}

TEST_F(LibraryWindowTest, AFailedSaveKeepsTheChangesToAskAbout) {
    home.write("reflinks.mdb", ThreeLinks);
    start();
    TfrmDatabase& w = links();
    w.show();
    w.btnNew->click();
    std::filesystem::remove(linksFile());
    std::filesystem::create_directory(linksFile()); // a folder cannot be written over
    w.btnSave->click();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text,
              QStringLiteral("Unable to save the database to file.\r\nThe file \"reflinks.mdb\" may "
                             "be reconstructed when you restart the program."));
    EXPECT_EQ(shown.back().type, MessageType::Warning);
    EXPECT_TRUE(shown.back().buttons.testFlag(Button::Help));
    EXPECT_TRUE(w.LinksChanged());
    // Yes on closing tries again, fails again, and the window stays.
    answers = {Button::Yes};
    w.btnClose->click();
    EXPECT_TRUE(w.isVisible());
    answers = {Button::No};
    w.btnClose->click();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(LibraryWindowTest, UseInsertsAReferenceOnlyIntoTheFocusedNotesBox) {
    home.write("reflinks.mdb", ThreeLinks);
    start();
    TfrmDatabase& w = links();
    // The focus is in the essay: refused, nothing inserted.
    main->show();
    main->MarkRichEdit->setFocus();
    w.show();
    w.btnUse->click();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text,
              QStringLiteral("The cursor in the main marking form is not in the comment or "
                             "feedback box, so the program does not know where to insert your "
                             "link.\r\n\r\nPlease go back to the marking screen and place your "
                             "cursor where you would like the link to appear."));
    EXPECT_EQ(shown.back().helpContext, 33000);
    EXPECT_TRUE(w.isVisible());

    w.hide();
    focusNotes();
    QTest::keyClicks(main->mmoNotes, QStringLiteral("See  here."));
    QTextCursor c = main->mmoNotes->textCursor();
    c.setPosition(4);
    main->mmoNotes->setTextCursor(c);
    w.show(); // the dialog takes the application's focus; the marking window keeps its own
    w.lbTitles->setCurrentRow(1);
    w.btnUse->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(main->mmoNotes->toPlainText(), QStringLiteral("See {{Commas}} here."));
    EXPECT_EQ(main->document().notes.memoText, u"See {{Commas}} here.");
    // What the exports make of it.
    EXPECT_EQ(library::IncludeUsefulLinks(main->document().notes.memoText, main->usefulLinks()),
              u"See \"Commas\" (http://c.example/)  here.");
}

TEST_F(LibraryWindowTest, UseWithAnEmptyListSaysSo) {
    start();
    shown.clear();
    focusNotes();
    links().show();
    links().btnUse->click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("There is no link to insert."));
    texts().show();
    texts().btnUse->click();
    EXPECT_EQ(shown.back().text, QStringLiteral("There is no text to insert."));
    EXPECT_TRUE(main->mmoNotes->toPlainText().isEmpty());
}

TEST_F(LibraryWindowTest, SnippetsKeepTheirLinesAndUseInsertsTheStoredText) {
    home.write("reflinks.mdb", "");
    home.write("reftext.mdb", "Thanks\r\nThank you.\x1AWell done.\r\n");
    start();
    TfrmUsefulText& w = texts();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Database of commonly-used text"));
    EXPECT_EQ(helpContextOf(&w), 33500);
    EXPECT_EQ(w.grpCurrent->title(), QStringLiteral("Current Item"));
    EXPECT_EQ(w.mmoText->toPlainText(), QStringLiteral("Thank you.\nWell done."));
    EXPECT_FALSE(w.mmoText->tabChangesFocus());

    // A snippet of three lines typed into the box.
    w.btnNew->click();
    EXPECT_EQ(w.editTitle->text(), QStringLiteral("New text"));
    w.editTitle->setText(QStringLiteral("Three"));
    w.mmoText->setFocus();
    QTest::keyClicks(w.mmoText, QStringLiteral("one"));
    QTest::keyClick(w.mmoText, Qt::Key_Return);
    QTest::keyClicks(w.mmoText, QStringLiteral("\ttwo"));
    QTest::keyClick(w.mmoText, Qt::Key_Return);
    QTest::keyClicks(w.mmoText, QStringLiteral("three"));
    w.btnAccept->click();
    EXPECT_EQ(w.textList().storedText(1), u"one\x1A\ttwo\x1Athree");
    EXPECT_TRUE(w.TextChanged());
    w.btnSave->click();
    EXPECT_EQ(TempFolder::read(textFile()),
              "Thanks\r\nThank you.\x1AWell done.\r\nThree\r\none\x1A\ttwo\x1Athree\r\n");

    // Edited but not accepted: Use inserts the stored text.
    focusNotes();
    w.show();
    w.lbTitles->setCurrentRow(0);
    w.mmoText->setPlainText(QStringLiteral("edited"));
    w.btnUse->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(main->mmoNotes->toPlainText(), QStringLiteral("Thank you.\nWell done."));
    EXPECT_EQ(main->document().notes.memoText, u"Thank you.\r\nWell done.");

    // Refused with the text's own message.
    main->MarkRichEdit->setFocus();
    w.show();
    w.btnUse->click();
    EXPECT_TRUE(shown.back().text.contains(QStringLiteral("where to insert your text.")));
    EXPECT_EQ(shown.back().helpContext, 33500);
    w.hide();

    w.show();
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(QStringLiteral("/tmp/tallix-frmUsefulText.png")));
    w.hide();
}

TEST_F(LibraryWindowTest, ImportingBookmarks) {
    home.write("reflinks.mdb", "Old\r\nhttp://old/\r\n\r\n");
    const std::string exported = home.write(
        "bookmarks.html",
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
        "CONTENT=\"text/html; charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n"
        "<DL><p>\n    <DT><H3>Grammar</H3>\n    <DL><p>\n"
        "        <DT><A HREF=\"https://a.example/?x=1&amp;y=2\" ADD_DATE=\"1\">Tom &amp; Jerry</A>\n"
        "        <DT><A HREF=\"https://b.example/\">Caf\xC3\xA9</A>\n    </DL><p>\n</DL><p>\n");
    start();
    TfrmDatabase& w = links();
    // Cancel at the question: nothing happens.
    answers = {Button::Cancel};
    w.btnBookmarks->click();
    EXPECT_EQ(shown.back().text,
              QStringLiteral("Tallix32 will try to find your Netscape bookmarks and load them into the program."));
    EXPECT_EQ(shown.back().buttons, buttons::OkCancel);
    EXPECT_EQ(w.lbTitles->count(), 1);

    files = {q(exported)};
    answers = {Button::Ok};
    w.btnBookmarks->click();
    EXPECT_EQ(titles(w.lbTitles), (QStringList{"Old", "Tom & Jerry", QString::fromUtf8("Caf\xC3\xA9")}));
    EXPECT_EQ(w.linkList().url(1), u"https://a.example/?x=1&y=2");
    EXPECT_EQ(w.lbTitles->currentRow(), 0);
    EXPECT_EQ(w.editTitle->text(), QStringLiteral("Old"));
    EXPECT_TRUE(w.LinksChanged());
    // The same file again gives every link twice.
    files = {q(exported)};
    answers = {Button::Ok};
    w.btnBookmarks->click();
    EXPECT_EQ(w.lbTitles->count(), 5);

    // A file without bookmark links.
    const std::string other = home.write("bookmark.htm", "<html><body>Nothing</body></html>");
    files = {q(other)};
    answers = {Button::Ok};
    w.btnBookmarks->click();
    EXPECT_EQ(shown.back().text, QStringLiteral("Sorry! Unable to find the bookmark file."));
    EXPECT_EQ(shown.back().type, MessageType::Warning);
    EXPECT_EQ(shown.back().helpContext, 33000);
    EXPECT_EQ(w.lbTitles->count(), 5);
    EXPECT_EQ(w.editTitle->text(), QStringLiteral("Old"));
    // The dialog cancelled: the fields come back, nothing else.
    files = {std::nullopt};
    answers = {Button::Ok};
    const std::size_t before = shown.size();
    w.btnBookmarks->click();
    EXPECT_EQ(shown.size(), before + 1);
    EXPECT_EQ(w.editTitle->text(), QStringLiteral("Old"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(LibraryWindowTest, ImportingFavourites) {
    home.write("reflinks.mdb", "");
    home.write("reftext.mdb", "");
    TempFolder favourites;
    favourites.write("Grammar.url", "[InternetShortcut]\r\nURL=http://grammar.example/\r\n");
    favourites.write("Apostrophes.url", "[InternetShortcut]\r\nURL=http://apos.example/\r\n");
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(home.path().string())); // no Favorites there
    start();
    TfrmDatabase& w = links();
    // No folder chosen: the message and the normal cursor.
    w.chooseFavouritesFolder = [] { return std::optional<QString>(); };
    answers = {Button::Ok};
    w.btnFavourites->click();
    EXPECT_EQ(shown.front().text,
              QStringLiteral("Tallix32 will try to find your Internet Explorer Favorites and load them into the program."));
    EXPECT_EQ(shown.back().text, QStringLiteral("Unable to find your Favorites folder."));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(w.lbTitles->count(), 0);
    EXPECT_FALSE(w.LinksChanged());

    w.chooseFavouritesFolder = [&] { return std::optional<QString>(q(favourites.path().string())); };
    answers = {Button::Ok};
    w.btnFavourites->click();
    EXPECT_EQ(titles(w.lbTitles), (QStringList{"Apostrophes", "Grammar"}));
    EXPECT_EQ(w.linkList().url(1), u"http://grammar.example/");
    EXPECT_TRUE(w.LinksChanged());

    // The Favorites folder in the home folder is read without asking.
    std::filesystem::create_directory(home.file("Favorites"));
    home.write("Favorites/Spelling.url", "[InternetShortcut]\r\nURL=http://spell.example/\r\n");
    w.chooseFavouritesFolder = [] {
        ADD_FAILURE() << "asked for a folder";
        return std::optional<QString>();
    };
    answers = {Button::Ok};
    w.btnFavourites->click();
    EXPECT_EQ(w.lbTitles->count(), 3);
    EXPECT_EQ(w.lbTitles->item(2)->text(), QStringLiteral("Spelling"));
    qputenv("HOME", oldHome);
}

TEST_F(LibraryWindowTest, TheMarkingWindowOpensBothWindows) {
    home.write("reflinks.mdb", ThreeLinks);
    home.write("reftext.mdb", "");
    main = std::make_unique<TfrmTallix32>(settings);
    EXPECT_TRUE(main->mnuUsefulLinks->isEnabled());
    EXPECT_TRUE(main->mnuUsefulText->isEnabled());
    EXPECT_EQ(main->mnuUsefulLinks->shortcut(), QKeySequence(QStringLiteral("Ctrl+U")));
    EXPECT_EQ(main->mnuUsefulText->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
    ASSERT_TRUE(main->popUsefulLinks);
    EXPECT_TRUE(main->NotesPopUp->actions().contains(main->popUsefulLinks));
    main->show();
    // Made at first use when start-up has not made it yet.
    bool linksShown = false, textShown = false, popShown = false;
    QTimer::singleShot(0, [&] {
        linksShown = main->frmDatabase && main->frmDatabase->isVisible() &&
                     main->frmDatabase->isModal();
        main->frmDatabase->close();
    });
    main->mnuUsefulLinks->trigger();
    EXPECT_TRUE(linksShown);
    QTimer::singleShot(0, [&] {
        textShown = main->frmUsefulText && main->frmUsefulText->isVisible();
        main->frmUsefulText->close();
    });
    main->mnuUsefulText->trigger();
    EXPECT_TRUE(textShown);
    QTimer::singleShot(0, [&] {
        popShown = main->frmDatabase->isVisible();
        main->frmDatabase->close();
    });
    main->popUsefulLinks->trigger();
    EXPECT_TRUE(popShown);
    // The exports read the links in memory, unsaved ones too.
    main->frmDatabase->AddLink(u"Unsaved", u"http://u.example/");
    EXPECT_EQ(library::ConvertUsefulLinks(u"{{unsaved}}", main->usefulLinks()),
              u"<A HREF=\"http://u.example/\">unsaved</A>");
    main->document().documentChanged = false;
}

TEST_F(LibraryWindowTest, EscapeAsksLikeClose) {
    home.write("reflinks.mdb", "");
    home.write("reftext.mdb", "");
    start();
    TfrmUsefulText& w = texts();
    w.show();
    w.btnNew->click();
    answers = {Button::Cancel};
    QTest::keyClick(w.lbTitles, Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(shown.back().text, QStringLiteral("Do you want to save the changes?"));
    EXPECT_EQ(shown.back().helpContext, 33500);
    answers = {Button::Yes};
    QTest::keyClick(w.lbTitles, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(TempFolder::read(textFile()), "New text\r\n\r\n");
}
