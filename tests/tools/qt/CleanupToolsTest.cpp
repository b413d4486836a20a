// The clean-up commands of the Tools menu, driven through the marking window.
#include "annotations/Annotating.h"
#include "app/TfrmTallix32.h"
#include "document/Comments.h"
#include "document/Navigation.h"
#include "document/qt/MarkRichEdit.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"
#include "tools/TextCleanup.h"

#include "TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

using namespace tallix;
using tallix::testing::TempFolder;

namespace {

// Throws from the next text change it hears of, once: a clean-up that fails half
// way.
struct FailOnce : BufferObserver {
    bool armed = false;
    void textReplaced(int, int, int) override {
        if (armed) {
            armed = false;
            throw std::runtime_error("out of memory");
        }
    }
    void formatChanged(int, int) override {}
    void paragraphFormatChanged(int, int) override {}
};

class CleanupToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TALLIX32_HOME", QByteArray::fromStdString(home.path().string() + "/"));
        initResources();
        w = std::make_unique<TfrmTallix32>(settings);
        w->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        w->document().documentChanged = false;
        w.reset();
        qunsetenv("TALLIX32_HOME");
    }

    RichTextBuffer& essay() { return w->document().essay(); }

    // A hard-wrapped e-mailed essay, imported, then marked: an annotation at the
    // end of a line, a comment, a bookmark, a centred paragraph.
    void markedEmail() {
        RichTextBuffer& b = essay();
        CharFormat black = b.defaultFormat();
        black.colour = clBlack;
        RichContent c;
        c.text = u"Their is a problem with\r\nthe essay  I wrote\r\nlast week.\r\n\r\n"
                 u"Second paragraph\r\nwraps here.";
        c.runs.push_back(FormatRun{int(c.text.size()), black});
        b.assign(c);
        b.select(0, 5);
        ASSERT_FALSE(annotateWithEntry(b, u"Sp", clRed));
        const int problem = int(b.text().find(u"problem"));
        b.select(problem, 7);
        ASSERT_FALSE(comments::addComment(w->document()));
        b.setSelStart(int(b.text().find(u"last")));
        navigation::addBookmark(b, w->document().bookmarks, u"last");
        b.setSelStart(int(b.text().find(u"Second")));
        b.setParaAlignment(Alignment::Center);
        QApplication::processEvents();
    }

    TempFolder home;
    SettingsStore settings{QString::fromStdString(home.file("settings.ini"))};
    std::unique_ptr<TfrmTallix32> w;
    std::vector<MessageRequest> shown;
    std::deque<Button> answers;
    ScopedMessageHandler messages{[this](const MessageRequest& r) {
        shown.push_back(r);
        if (answers.empty())
            return escapeAnswer(r.buttons);
        Button a = answers.front();
        answers.pop_front();
        return a;
    }};
};

void expectSameContent(const RichContent& a, const RichContent& b) {
    EXPECT_EQ(a.text, b.text);
    EXPECT_EQ(a.paragraphs, b.paragraphs);
    ASSERT_EQ(a.runs.size(), b.runs.size());
    for (std::size_t i = 0; i < a.runs.size(); ++i) {
        EXPECT_EQ(a.runs[i].length, b.runs[i].length) << "run " << i;
        EXPECT_EQ(a.runs[i].format, b.runs[i].format) << "run " << i;
    }
}

} // namespace

TEST_F(CleanupToolsTest, TheToolsMenuHasTheThreeCommands) {
    EXPECT_EQ(w->mnuStripReturns->text(), QStringLiteral("&Strip Returns from E-mail"));
    EXPECT_EQ(w->mnuDeMacify->text(), QStringLiteral("&Replace Mac Smart Quotes"));
    EXPECT_EQ(w->mnuConvertAllMac->text(), QStringLiteral("Convert &All Mac Characters"));
    for (QAction* a : {w->mnuStripReturns, w->mnuDeMacify, w->mnuConvertAllMac})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_EQ(w->mnuDeMacify->objectName(), QStringLiteral("mnuDeMacify"));
    EXPECT_EQ(w->mnuConvertAllMac->property("helpContext").toInt(), 34000);
}

TEST_F(CleanupToolsTest, AcceptedStripReturnsJoinsTheLinesAndCommitsTheMemo) {
    markedEmail();
    w->document().documentChanged = false;
    w->mmoNotes->setFocus();
    QTest::keyClicks(w->mmoNotes, QStringLiteral("Say which essay."));
    essay().setSelStart(3);

    answers = {Button::Yes, Button::Yes};
    w->mnuStripReturns->trigger();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].type, MessageType::Confirmation);
    EXPECT_EQ(shown[0].buttons, buttons::YesNo);
    EXPECT_TRUE(shown[0].text.startsWith(
        QStringLiteral("This routine will try to remove unwanted returns from your text. ")));
    EXPECT_EQ(shown[1].text, QStringLiteral("Would you like to accept these changes?"));
    EXPECT_EQ(shown[1].type, MessageType::Confirmation);
    EXPECT_EQ(shown[1].buttons, buttons::YesNoCancel);

    // The break before the bookmark stays; the others inside paragraphs go.
    EXPECT_EQ(essay().text(), u"TheirSp is a problem1 with the essay I wrote\r\n[*BM*]last week.\r\n"
                              u"\r\nSecond paragraph wraps here.");
    EXPECT_EQ(essay().selStart(), 3);
    EXPECT_EQ(essay().paragraphFormat(3).alignment, Alignment::Center);
    EXPECT_EQ(w->document().commentTexts, std::vector<std::u16string>{u"Say which essay."});
    EXPECT_TRUE(w->document().documentChanged);
    EXPECT_EQ(w->MarkRichEdit->document()->blockCount(), 4);
}

TEST_F(CleanupToolsTest, NoCancelOrAFailurePutTheDocumentBackExactly) {
    markedEmail();
    w->document().documentChanged = false;
    essay().select(9, 20);
    const RichContent before = essay().content();
    const std::string rtf = essay().saveRtf();

    for (Button answer : {Button::No, Button::Cancel}) {
        shown.clear();
        answers = {Button::Yes, answer};
        w->mnuStripReturns->trigger();
        QApplication::processEvents();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral(
            "This routine will try to remove unwanted returns from the selected text. ")));
        expectSameContent(essay().content(), before);
        EXPECT_EQ(essay().saveRtf(), rtf);
        EXPECT_EQ(essay().selStart(), 9);
        EXPECT_EQ(essay().selLength(), 20);
        EXPECT_FALSE(w->document().documentChanged);
        EXPECT_EQ(w->MarkRichEdit->document()->toPlainText().size(),
                  essay().length() - (essay().lineCount() - 1));
    }

    // A failure half way: the warning, then the snapshot.
    FailOnce failing;
    essay().addObserver(&failing);
    failing.armed = true;
    shown.clear();
    answers = {Button::Yes};
    w->mnuStripReturns->trigger();
    essay().removeObserver(&failing);
    QApplication::processEvents();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, QString::fromUtf16(tools::StripFailedWarning));
    EXPECT_EQ(shown[1].type, MessageType::Warning);
    expectSameContent(essay().content(), before);
    EXPECT_FALSE(w->document().documentChanged);

    // Answering No to the first question changes nothing and asks nothing more.
    shown.clear();
    answers = {Button::No};
    w->mnuStripReturns->trigger();
    EXPECT_EQ(shown.size(), 1u);
    expectSameContent(essay().content(), before);
}

TEST_F(CleanupToolsTest, TheMacCommandsKeepTheViewAndTheMarkup) {
    std::u16string text;
    for (int i = 0; i < 200; ++i)
        text += u"Line with \u00D2quotes\u00D3 and it\u00D5s caf\u017D.\r\n";
    RichTextBuffer& b = essay();
    CharFormat black = b.defaultFormat();
    black.colour = clBlack;
    RichContent c;
    c.text = text;
    c.runs.push_back(FormatRun{int(text.size()), black});
    b.assign(c);
    b.select(int(b.text().find(u"quotes")), 6);
    ASSERT_FALSE(annotateWithEntry(b, u"P\u00D5", clRed)); // a label with a Mac character
    const int caret = b.lineStart(120) + 4;
    b.setSelStart(caret);
    w->MarkRichEdit->showSelectionNow();
    w->MarkRichEdit->scrollToLine(100);
    QApplication::processEvents();
    const int top = w->MarkRichEdit->firstVisibleLine();
    ASSERT_GT(top, 50);
    auto firstLine = [&b] { return b.text().substr(0, std::size_t(b.lineStart(1) - 2)); };

    w->mnuDeMacify->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(shown.empty()); // no question
    EXPECT_EQ(firstLine(), u"Line with \"quotesP\u00D5\" and it's caf\u017D.");
    EXPECT_EQ(b.selStart(), caret);
    EXPECT_EQ(b.selLength(), 0);
    EXPECT_EQ(w->MarkRichEdit->firstVisibleLine(), top);
    EXPECT_EQ(w->MarkRichEdit->document()->toPlainText().section(QLatin1Char('\n'), 0, 0),
              QString::fromStdU16String(firstLine()));

    // The conversion of every character asks first; Cancel leaves the text.
    answers = {Button::Cancel};
    const std::u16string quoted = b.text();
    w->mnuConvertAllMac->trigger();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QString::fromUtf16(tools::ConvertAllMacWarning));
    EXPECT_EQ(shown[0].type, MessageType::Warning);
    EXPECT_EQ(shown[0].buttons, buttons::OkCancelHelp);
    EXPECT_EQ(shown[0].helpContext, 34000);
    EXPECT_EQ(b.text(), quoted);

    answers = {Button::Ok};
    w->mnuConvertAllMac->trigger();
    QApplication::processEvents();
    EXPECT_EQ(firstLine(), u"Line with \"quotesP\u00D5\" and it's caf\u00E9.");
    EXPECT_EQ(b.colourAt(int(b.text().find(u"P\u00D5")) + 1), clRed);
    EXPECT_EQ(w->MarkRichEdit->firstVisibleLine(), top);
    EXPECT_TRUE(w->document().documentChanged);
}
