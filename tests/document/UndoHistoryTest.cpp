// The essay's undo history, driven through the commands and edits that make its
// steps, on the bundled sample essay.
#include "DataFiles.h"
#include "TestFiles.h"

#include "annotations/Annotating.h"
#include "document/Comments.h"
#include "document/EditGuard.h"
#include "document/MarkedDocument.h"
#include "document/Navigation.h"
#include "document/Scanning.h"
#include "tools/TextCleanup.h"

#include <gtest/gtest.h>

#include <iostream>
#include <random>
#include <string>

using namespace tallix;
using tallix::testing::TempFolder;

namespace {

const std::string SampleEssay = std::string(TALLIX_TEST_DATA) + "/../../resources/sample/essay.tlx";

// The essay as the buffer holds it: text, character formats and paragraphs.
std::string shape(const RichTextBuffer& b) { return b.saveRtf(); }

struct Marking {
    MarkedDocument d;
    TempFolder dir;
    std::int64_t clock = 0;

    Marking() {
        d.history().setClock([this] { return clock; });
        d.history().setLimits(1 << 20, std::size_t(1) << 32);
    }
    RichTextBuffer& b() { return d.essay(); }
    UndoHistory& h() { return d.history(); }

    void load() { ASSERT_TRUE(d.loadTlxFile(SampleEssay).ok); }
    // The marked file as a save writes it now.
    std::string saved() {
        const std::string path = dir.file("saved.tlx");
        EXPECT_TRUE(d.saveTlx(path).ok);
        return TempFolder::read(path);
    }
    // A keystroke at the caret, as the essay view makes it.
    void type(std::u16string_view s, std::int64_t after = 100) {
        clock += after;
        UndoGroup step(b(), StepKind::Typing);
        if (guard::isEditable(b()))
            b().setSelText(s);
    }
    void typeEach(std::u16string_view s) {
        for (char16_t c : s)
            type(std::u16string_view(&c, 1));
    }
    void backspace(std::int64_t after = 100) {
        clock += after;
        UndoGroup step(b(), StepKind::Typing);
        const scan::CharRange r = scan::caretDeletionRange(b(), scan::CaretDeletion::Backward);
        if (b().selLength() == 0 && r.to > r.from && guard::isPlainRange(b(), r.from, r.to)) {
            b().select(r.from, r.to - r.from);
            b().setSelText(u"");
        }
    }
    int undoAll() {
        int n = 0;
        while (d.undo())
            ++n;
        return n;
    }
    int redoAll() {
        int n = 0;
        while (d.redo())
            ++n;
        return n;
    }
};

// --------------------------------------------------------------- random marking

class RandomMarker {
public:
    RandomMarker(Marking& m, unsigned seed) : m_(m), rng_(seed) {}

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    void randomSelection() {
        RichTextBuffer& b = m_.b();
        // Typing goes on where the caret is more often than not.
        if (pick(0, 9) < 6 && b.selLength() == 0)
            return;
        const int start = pick(0, b.length());
        b.select(start, pick(0, 3) == 0 ? 0 : pick(0, 60));
    }

    // One action of any kind the history records.
    void act() {
        RichTextBuffer& b = m_.b();
        MarkedDocument& d = m_.d;
        randomSelection();
        static const std::u16string Letters = u"abcdefghij klm,.\t\u00d2\u00d3\u00d4";
        switch (pick(0, 19)) {
        case 0:
        case 1:
        case 2:
            m_.type(std::u16string(1, Letters[std::size_t(pick(0, int(Letters.size()) - 1))]),
                    pick(0, 4) == 0 ? 3000 : 200);
            break;
        case 3:
            m_.type(u"\r\n");
            break;
        case 4:
            m_.backspace();
            break;
        case 5: {
            RichContent c;
            CharFormat f = b.defaultFormat();
            f.colour = clRed; // pasted text is made black
            f.style = fsItalic;
            c.appendText(u"pasted ", f);
            f.sizeHalfPoints = 30;
            ParaFormat p;
            p.alignment = Alignment::Center;
            if (pick(0, 1))
                c.appendParagraphBreak(f, p);
            c.appendText(u"words", f);
            guard::pasteContent(b, c);
            break;
        }
        case 6: {
            std::u16string cut;
            guard::cutSelection(b, cut);
            break;
        }
        case 7:
            guard::deleteSelection(b);
            break;
        case 8: {
            UndoGroup step(b, StepKind::Alignment);
            b.setParaAlignment(Alignment(pick(0, 2)));
            break;
        }
        case 9: {
            UndoGroup step(b, StepKind::Indent);
            b.setParaStartIndent(pick(0, 3) * 20);
            break;
        }
        case 10:
        case 11:
            annotateWithEntry(b, pick(0, 1) ? u"Sp" : u"Art", pick(0, 3) ? clRed : clTeal);
            break;
        case 12:
            deleteAnnotation(b);
            break;
        case 13:
            if (!comments::addComment(d)) {
                // The teacher types the new comment's text into the memo.
                comments::memoChanged(d, u"Comment text " + std::u16string(1, u'a' + char16_t(pick(0, 9))), 0);
                d.commitNotes();
            }
            break;
        case 14:
            comments::deleteComment(
                d, std::u16string(1, char16_t(u'0' + pick(1, std::min(9, d.notes.selectorMax + 1)))));
            break;
        case 15:
            if (pick(0, 1)) {
                DocumentStep step(d, StepKind::AddBookmark);
                navigation::addBookmark(b, d.bookmarks, u"mark");
            } else {
                DocumentStep step(d, StepKind::DeleteBookmark);
                navigation::deleteBookmark(b, d.bookmarks, u"1");
            }
            break;
        case 16:
            switch (pick(0, 2)) {
            case 0:
                tools::StripReturns(b);
                break;
            case 1:
                tools::DeMacify(b);
                break;
            default:
                tools::PCToMac(b);
                break;
            }
            break;
        case 17:
            if (b.selLength() > 0) {
                UndoGroup step(b, StepKind::Font);
                b.setSelFontName(u"Times New Roman");
                b.setSelSize(pick(9, 16));
                b.setSelStyle(StyleSet(pick(0, 3)));
            }
            break;
        case 18:
            scan::stripEnd(b);
            break;
        default:
            m_.typeEach(u"word ");
            break;
        }
    }

private:
    Marking& m_;
    std::mt19937 rng_;
};

} // namespace

// Thousands of random actions of every kind on a real marked file: undoing them
// all gives the file it started from byte for byte, redoing them all the file
// saved at the end.
TEST(UndoProperty, UndoingEverythingGivesTheSavedFileBackAndRedoingGivesTheLast) {
    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        Marking m;
        m.load();
        const std::string start = m.saved();
        RandomMarker r(m, seed);
        for (int i = 0; i < 2500; ++i) {
            r.act();
            if (i % 250 == 0) {
                ASSERT_TRUE(m.b().check()) << "after action " << i;
            }
        }
        const std::string end = m.saved();
        ASSERT_NE(start, end);
    
        const int undone = m.undoAll();
        EXPECT_GT(undone, 500);
        EXPECT_TRUE(m.b().check());
        EXPECT_EQ(m.saved(), start);
        EXPECT_EQ(m.redoAll(), undone);
        EXPECT_TRUE(m.b().check());
        EXPECT_EQ(m.saved(), end);
    }
}

// Undo and redo mixed with new actions: every state reached again is the state
// that was there, and a new action after undos drops the redo steps.
TEST(UndoProperty, UndoAndRedoInterleavedWithNewActionsReachTheSameStates) {
    Marking m;
    m.load();
    RandomMarker r(m, 7);
    // states[k]: the file after k steps of the present branch.
    std::vector<std::string> states{m.saved()};
    for (int i = 0; i < 700; ++i) {
        const int what = r.pick(0, 9);
        if (what < 2) {
            if (m.d.undo()) {
                ASSERT_EQ(m.saved(), states[std::size_t(m.h().index())]) << "undo at " << i;
            }
        } else if (what < 3) {
            if (m.d.redo()) {
                ASSERT_EQ(m.saved(), states[std::size_t(m.h().index())]) << "redo at " << i;
            }
        } else {
            const int redoable = m.h().stepCount() - m.h().index();
            r.act();
            const std::string now = m.saved();
            if (m.h().stepCount() == m.h().index()) {
                states.resize(std::size_t(m.h().index()) + 1);
                states.back() = now;
            } else {
                // Nothing was recorded: the redo steps are still there, unchanged.
                ASSERT_EQ(m.h().stepCount() - m.h().index(), redoable);
                ASSERT_EQ(now, states[std::size_t(m.h().index())]) << "action at " << i;
            }
        }
    }
}

// --------------------------------------------------------------- steps

TEST(UndoSteps, TypingCoalescesPerWordAndPauseAndStopsAtACaretJump) {
    Marking m;
    m.b().setText(u"Start. ");
    m.h().clear();
    m.b().setSelStart(7);
    m.typeEach(u"hello world");
    EXPECT_EQ(m.b().text(), u"Start. hello world");
    // " hello " is one step (a space starts no word), "world" the next.
    EXPECT_EQ(m.h().index(), 2);
    EXPECT_EQ(m.d.undoCaption(), u"Undo Typing");
    ASSERT_TRUE(m.d.undo());
    EXPECT_EQ(m.b().text(), u"Start. hello ");
    EXPECT_EQ(m.b().selStart(), 13);
    ASSERT_TRUE(m.d.undo());
    EXPECT_EQ(m.b().text(), u"Start. ");

    // A pause splits a word; so does typing somewhere else.
    m.b().setSelStart(0);
    m.type(u"a");
    m.type(u"b", UndoHistory::TypingPauseMs + 1);
    EXPECT_EQ(m.h().index(), 2);
    m.b().setSelStart(m.b().length());
    m.type(u"z");
    EXPECT_EQ(m.h().index(), 3);
    // Backspaces run back over what was typed, in the same step.
    m.type(u"y");
    m.backspace();
    m.backspace();
    EXPECT_EQ(m.h().index(), 3);
    EXPECT_EQ(m.b().text(), u"abStart. ");
    m.backspace();
    EXPECT_EQ(m.h().index(), 3);
    EXPECT_EQ(m.b().text(), u"abStart.");
    ASSERT_TRUE(m.d.undo());
    EXPECT_EQ(m.b().text(), u"abStart. ");
    ASSERT_TRUE(m.d.undo());
    EXPECT_EQ(m.b().text(), u"aStart. ");
}

TEST(UndoSteps, AnAnnotationIsOneStepAndComesBackExactly) {
    Marking m;
    m.load();
    const std::string before = shape(m.b());
    const int at = m.b().findText(u"Every evening", 0, m.b().length());
    ASSERT_GT(at, 0);
    m.b().select(at, 5);
    ASSERT_FALSE(annotateWithEntry(m.b(), u"Sp", clRed));
    const std::string after = shape(m.b());
    EXPECT_EQ(m.h().index(), 1);
    EXPECT_EQ(m.d.undoCaption(), u"Undo Annotation");
    ASSERT_TRUE(m.d.undo());
    EXPECT_EQ(shape(m.b()), before);
    EXPECT_EQ(m.b().selStart(), at);
    EXPECT_EQ(m.b().selLength(), 5);
    EXPECT_EQ(m.d.redoCaption(), u"Redo Annotation");
    ASSERT_TRUE(m.d.redo());
    EXPECT_EQ(shape(m.b()), after);
    EXPECT_FALSE(m.d.redo());

    // Deleting it is a step of its own.
    m.b().setSelStart(at + 2);
    ASSERT_TRUE(deleteAnnotation(m.b()).removed);
    EXPECT_EQ(m.d.undoCaption(), u"Undo Delete Annotation");
    EXPECT_EQ(shape(m.b()), before);
    ASSERT_TRUE(m.d.undo());
    EXPECT_EQ(shape(m.b()), after);
}

TEST(UndoSteps, CommentAddAndDeleteWithTheirRenumberingAndListAreOneStepEach) {
    Marking m;
    m.load();
    const int comments = m.d.notes.selectorMax;
    ASSERT_GE(comments, 2);
    const std::vector<std::u16string> list = m.d.commentTexts;
    const std::string before = shape(m.b());

    // A new comment before every other: all markers go up by one.
    m.b().select(0, 3);
    ASSERT_FALSE(comments::addComment(m.d));
    comments::memoChanged(m.d, u"A new first comment", 5);
    EXPECT_EQ(m.h().index(), 1);
    EXPECT_EQ(m.d.undoCaption(), u"Undo Add Comment");
    ASSERT_TRUE(m.d.undo());
    EXPECT_EQ(shape(m.b()), before);
    EXPECT_EQ(m.d.commentTexts, list);
    EXPECT_EQ(m.d.notes.selectorMax, comments);
    // Redone, the comment comes back with the text typed into it.
    ASSERT_TRUE(m.d.redo());
    ASSERT_EQ(int(m.d.commentTexts.size()), comments + 1);
    EXPECT_EQ(m.d.commentTexts[0], u"A new first comment");
    EXPECT_EQ(m.d.notes.selectorValue, 1);
    EXPECT_EQ(m.d.notes.memoText, u"A new first comment");

    const std::string withNew = shape(m.b());
    const std::vector<std::u16string> listWithNew = m.d.commentTexts;
    ASSERT_FALSE(comments::deleteComment(m.d, u"2"));
    EXPECT_EQ(m.d.undoCaption(), u"Undo Delete Comment");
    ASSERT_TRUE(m.d.undo());
    EXPECT_EQ(shape(m.b()), withNew);
    EXPECT_EQ(m.d.commentTexts, listWithNew);
    EXPECT_EQ(m.d.notes.selectorValue, 2);

    // Undoing the only comments away hides the comments area.
    MarkedDocument& d = m.d;
    d.clear();
    d.essay().setText(u"One two three.");
    d.essay().select(0, 3);
    ASSERT_FALSE(comments::addComment(d));
    EXPECT_TRUE(d.notes.visible);
    ASSERT_TRUE(d.undo());
    EXPECT_TRUE(d.commentTexts.empty());
    EXPECT_EQ(d.notes.selectorMax, 0);
    EXPECT_FALSE(d.notes.visible);
    EXPECT_FALSE(d.notes.commentDown);
}

TEST(UndoSteps, BookmarksComeBackWithTheirNames) {
    Marking m;
    m.b().setText(u"First line\r\nSecond line");
    m.b().setSelStart(5);
    {
        DocumentStep step(m.d, StepKind::AddBookmark);
        navigation::addBookmark(m.b(), m.d.bookmarks, u"here");
    }
    EXPECT_EQ(m.d.undoCaption(), u"Undo Add Bookmark");
    ASSERT_TRUE(m.d.undo());
    EXPECT_EQ(m.d.bookmarks.count, 0);
    EXPECT_EQ(m.b().text(), u"First line\r\nSecond line");
    ASSERT_TRUE(m.d.redo());
    EXPECT_EQ(m.d.bookmarks.count, 1);
    EXPECT_EQ(m.d.bookmarks.names[1], u"here");
    EXPECT_EQ(navigation::bookmarkPosition(m.b(), 1), 5);
}

TEST(UndoSteps, CleanUpAndParagraphFormatsAreUndoneWhole) {
    Marking m;
    m.b().setText(u"One line\r\nwent on\r\nhere.\r\n\r\nNext \u00d2quoted\u00d3.");
    m.h().clear();
    const std::string before = shape(m.b());
    m.b().select(0, 3);
    {
        UndoGroup step(m.b(), StepKind::Alignment);
        m.b().setParaAlignment(Alignment::Right);
    }
    // Aligning an aligned paragraph is no step.
    {
        UndoGroup step(m.b(), StepKind::Alignment);
        m.b().setParaAlignment(Alignment::Right);
    }
    EXPECT_EQ(m.h().index(), 1);
    m.b().setSelStart(0);
    tools::StripReturns(m.b());
    tools::DeMacify(m.b());
    EXPECT_EQ(m.b().text(), u"One line went on here.\r\n\r\nNext \"quoted\".");
    EXPECT_EQ(m.h().index(), 3);
    EXPECT_EQ(m.d.undoCaption(), u"Undo Replace Mac Smart Quotes");
    m.undoAll();
    EXPECT_EQ(shape(m.b()), before);
    EXPECT_TRUE(m.b().check());
}

// --------------------------------------------------------------- the changed flag

TEST(UndoSavePoint, UndoingBackToTheSavedStateLeavesTheDocumentUnchanged) {
    Marking m;
    m.load();
    EXPECT_FALSE(m.d.documentChanged); // loading is not an edit
    EXPECT_FALSE(m.h().canUndo());
    m.b().setSelStart(0);
    m.typeEach(u"Hi ");
    EXPECT_TRUE(m.d.documentChanged);
    ASSERT_TRUE(m.d.undo());
    EXPECT_FALSE(m.d.documentChanged);
    ASSERT_TRUE(m.d.redo());
    EXPECT_TRUE(m.d.documentChanged);

    // After a save, typing on does not join the step before it: one undo goes
    // back to exactly what was saved.
    const std::string saved = m.saved();
    EXPECT_FALSE(m.d.documentChanged);
    m.type(u"x");
    EXPECT_TRUE(m.d.documentChanged);
    ASSERT_TRUE(m.d.undo());
    EXPECT_FALSE(m.d.documentChanged);
    EXPECT_EQ(m.saved(), saved);
    ASSERT_TRUE(m.d.undo());
    EXPECT_TRUE(m.d.documentChanged); // before the save

    // A new step where the saved state could only be redone makes it unreachable.
    m.b().setSelStart(0);
    m.type(u"q", 5000);
    ASSERT_TRUE(m.d.undo());
    EXPECT_TRUE(m.d.documentChanged);
    m.redoAll();
    EXPECT_TRUE(m.d.documentChanged);

    // The memo and the grade box keep their own undo: their edits stay changes.
    Marking n;
    n.load();
    n.b().setSelStart(0);
    n.type(u"a");
    comments::memoChanged(n.d, u"feedback", 0);
    ASSERT_TRUE(n.d.undo());
    EXPECT_TRUE(n.d.documentChanged);
}

TEST(UndoSavePoint, NewOpenAndImportClearTheHistory) {
    Marking m;
    m.load();
    m.b().setSelStart(0);
    m.type(u"a");
    ASSERT_TRUE(m.h().canUndo());
    m.d.clear();
    EXPECT_FALSE(m.h().canUndo());
    EXPECT_FALSE(m.d.documentChanged);
    m.type(u"b");
    m.load();
    EXPECT_FALSE(m.h().canUndo());
    m.type(u"c");
    const std::string text = m.dir.write("essay.txt", "An imported essay.");
    ASSERT_TRUE(m.d.importEssay(text, ImportKind::Text).ok);
    EXPECT_FALSE(m.h().canUndo());
    EXPECT_TRUE(m.d.documentChanged); // an import is unsaved work
}

TEST(UndoLimits, TheOldestStepsGoFirstByCountAndByMemory) {
    Marking m;
    m.b().setText(u"Some essay text here.");
    m.h().clear();
    m.h().setLimits(3, std::size_t(1) << 30);
    for (int i = 0; i < 5; ++i) {
        m.b().setSelStart(0);
        m.type(u"x", 5000);
    }
    EXPECT_EQ(m.h().stepCount(), 3);
    EXPECT_EQ(m.undoAll(), 3);
    EXPECT_EQ(m.b().text(), u"xxSome essay text here.");
    // The saved state went with the oldest steps.
    EXPECT_TRUE(m.d.documentChanged);

    Marking big;
    big.b().setText(std::u16string(100000, u'a'));
    big.h().clear();
    big.h().setLimits(1000, 500000);
    for (int i = 0; i < 5; ++i) {
        big.b().select(i, 90000);
        guard::deleteSelection(big.b());
        big.b().setSelStart(0);
        big.type(std::u16string(90000, u'b'), 5000);
    }
    EXPECT_LE(big.h().bytes(), std::size_t(500000));
    EXPECT_GE(big.h().stepCount(), 1);
    // The newest step is kept whatever its size.
    big.h().setLimits(1000, 10);
    EXPECT_EQ(big.h().stepCount(), 1);
    EXPECT_TRUE(big.d.undo());
}

TEST(UndoLimits, AnOpenStepCannotBeUndone) {
    Marking m;
    m.b().setText(u"Text");
    m.h().clear();
    m.b().setSelStart(4);
    m.type(u"!");
    UndoGroup step(m.b(), StepKind::Annotation);
    EXPECT_FALSE(m.h().canUndo());
    EXPECT_FALSE(m.d.undo());
}

TEST(UndoCaptions, EveryStepHasAName) {
    EXPECT_EQ(stepName(StepKind::Typing), u"Typing");
    EXPECT_EQ(stepName(StepKind::DeleteComment), u"Delete Comment");
    EXPECT_EQ(stepName(StepKind::StripReturns), u"Strip Returns");
    MarkedDocument d;
    EXPECT_EQ(d.undoCaption(), u"Undo");
    EXPECT_EQ(d.redoCaption(), u"Redo");
}
