#pragma once
// The document the marking window shows: the essay with its markup, the numbered
// comments, the two feedback texts, the grade, where it was loaded from or saved
// to, and the marked-file (".tlx") format that stores all of it.
//
// A marked file is the essay's RTF whose plain text ends in a trailer:
//   "TallixComments:" (comment + U+00B6)*  "FeedbackOne:" text "EndFeedbackOne"
//   "FeedbackTwo:" text "EndFeedbackTwo" "TallixGrade:" grade "EndTallixGrade" "  "
// Nothing in the texts is escaped: files written this way have always been read by
// taking the first occurrence of each keyword, and stored files depend on that.
#include "document/Bookmarks.h"
#include "document/RecentFiles.h"
#include "document/RichTextBuffer.h"
#include "platform/Message.h"
#include "platform/FileIO.h"
#include "document/UndoHistory.h"

#include <string>
#include <string_view>
#include <vector>

namespace tallix {

// What the notes area below the essay holds. The caption stays when the area is
// hidden: it records what the memo held last.
enum class NotesCaption { Notes, Comments, Feedback1, Feedback2 };
std::u16string notesCaptionText(NotesCaption c);

// The notes area's model: the caption panel, the memo and the comment selector.
struct NotesArea {
    NotesCaption caption = NotesCaption::Notes;
    bool visible = false;
    std::u16string memoText; // CR LF line breaks
    int memoCaret = 0;
    int selectorValue = 0; // comment shown, 1..N (0 when N = 0)
    int selectorMax = 0;   // N, the number of comments
    bool commentDown = false;
    bool feedback1Down = false;
    bool feedback2Down = false;
};

struct FileOutcome {
    bool ok = true;
    Message message; // what to show when !ok
};

namespace tlx {
inline constexpr char16_t CommentsKey[] = u"TallixComments:";
inline constexpr char16_t Feedback1Key[] = u"FeedbackOne:";
inline constexpr char16_t Feedback1End[] = u"EndFeedbackOne";
inline constexpr char16_t Feedback2Key[] = u"FeedbackTwo:";
inline constexpr char16_t Feedback2End[] = u"EndFeedbackTwo";
inline constexpr char16_t GradeKey[] = u"TallixGrade:";
inline constexpr char16_t GradeEnd[] = u"EndTallixGrade";
inline constexpr char16_t Separator = 0xB6;
inline constexpr char16_t NewGrade[] = u"??%";
inline constexpr int HelpContext = 14000;
// No essay, marked or not, comes near this size; a larger file is refused before
// it is read.
inline constexpr std::size_t MaxFileBytes = std::size_t(256) << 20;
// Where the trailer of a marked file's text starts: at the first "TallixComments:",
// in any case; -1 when there is none (the file is then all essay).
int trailerStart(std::u16string_view text);
inline constexpr int ImportRtfHelpContext = 5000;
inline constexpr int ImportTextHelpContext = 6000;
// A Word or OpenDocument essay that cannot be imported: why, and what is kept.
inline constexpr int ImportWordHelpContext = 42100;
// A PDF essay that cannot be imported: no text layer, a password, damage.
inline constexpr int ImportPdfHelpContext = 42130;
} // namespace tlx

struct TrailerParts {
    std::vector<std::u16string> comments;
    std::u16string feedback1;
    std::u16string feedback2;
    std::u16string grade;
};

// Builds the trailer text from its parts.
std::u16string buildTrailer(const TrailerParts& parts);
// Reads a trailer (from "TallixComments:" to the end of the text) the way stored
// files have always been read: the first occurrence of each keyword counts, and
// every U+00B6 ends a comment.
TrailerParts parseTrailer(std::u16string_view trailer);

enum class ImportKind { Rtf, Text };

// An essay read from its file for import, before anything of the document changes.
struct EssayFile {
    FileOutcome outcome;
    RichContent content;
    // A Word or OpenDocument file (or one named so) that was refused: the open
    // document stays as it is, since a file that fails replaces nothing.
    bool keepsDocument = false;
};

// Whether the document has unsaved changes. Changes of the essay and of the
// comment list are told by the undo history (undoing back to the saved state
// leaves the document unchanged); the texts edited in the notes memo and the grade
// box, which keep their own undo, set the flag directly. Setting it false says
// that the present state is the saved one.
class ChangedFlag {
public:
    explicit ChangedFlag(UndoHistory* history) : history_(history) {}
    ChangedFlag(const ChangedFlag&) = delete;
    ChangedFlag& operator=(const ChangedFlag&) = delete;
    operator bool() const { return outside_ || !history_->atSavePoint(); }
    ChangedFlag& operator=(bool changed) {
        if (changed) {
            outside_ = true;
        } else {
            outside_ = false;
            history_->setSavePoint();
        }
        return *this;
    }

private:
    UndoHistory* history_;
    bool outside_ = false;
};

class MarkedDocument {
public:
    MarkedDocument();

    RichTextBuffer& essay() { return essay_; }
    const RichTextBuffer& essay() const { return essay_; }
    // The scratch buffer saving works in; empty between uses.
    RichTextBuffer& scratch() { return scratch_; }

    // --- state ----------------------------------------------------------------------
    std::string currentFile;
    ChangedFlag documentChanged;
    std::vector<std::u16string> commentTexts;
    std::u16string feedback1Text;
    std::u16string feedback2Text;
    int feedback1Caret = 0;
    int feedback2Caret = 0;
    std::u16string grade = tlx::NewGrade;
    NotesArea notes;
    Bookmarks bookmarks;
    RecentFiles recentFiles;

    // "Tallix32 [Untitled]" or "Tallix32: 'name.tlx'".
    std::u16string caption() const;

    // --- the notes memo -------------------------------------------------------------
    // Copies the memo into the feedback text it shows, with its caret.
    void stashFeedback();
    // Copies the memo into the comment it shows (only when it shows comments and
    // there is at least one).
    void commitMemoToComments();
    // What leaving the memo does: both of the above.
    void commitNotes() {
        stashFeedback();
        commitMemoToComments();
    }

    // --- document operations (after any question has been answered) ---------------
    // Empties the document: what a new document starts as.
    void clear();
    // Reads a marked file into the document. On failure the document is left as
    // it was and the recent files are untouched.
    FileOutcome loadTlxFile(const std::string& path);
    // The same for a marked file's bytes; path is the file they were read from.
    FileOutcome loadTlxBytes(std::string_view bytes, const std::string& path);
    // Writes the document to a marked file (atomically). On failure nothing of the
    // document's state changes.
    FileOutcome saveTlx(const std::string& path);
    // Loads an essay that is not yet marked: all of it black, caret at 0, changed,
    // still untitled.
    FileOutcome importEssay(const std::string& path, ImportKind kind);
    // The two halves of importEssay: reading the file (the reader follows the
    // content: RTF, a Word or OpenDocument file, PDF, or text), which changes nothing,
    // and putting what was read in place of the essay.
    EssayFile readEssayFile(const std::string& path, ImportKind kind) const;
    void installEssay(RichContent content);

    // The trailer this document would be saved with.
    std::u16string trailer() const;

    // --- the file on disk ------------------------------------------------------------
    // Whether path names the current file (in any spelling) and another program
    // has written it since this document last loaded or saved it. False when the
    // file is gone, or when the document never read or wrote it.
    bool changedOnDisk(const std::string& path) const;
    // Takes the current file as it is now on disk for what the document last read
    // or wrote (work restored over an unchanged file).
    void rememberFileOnDisk();
    // The question asked before such a file is saved over: "<name> has been changed
    // by another program since you opened it. Overwrite it?"
    static std::u16string overwriteChangedQuestion(const std::string& path);

    // --- undo -----------------------------------------------------------------------
    // The essay's history: every change of the essay, the comment list and the
    // bookmark names. New, open and import clear it.
    UndoHistory& history() { return history_; }
    const UndoHistory& history() const { return history_; }
    // Undo or redo one step (the memo is committed first, so that a comment's text
    // survives its comment being taken out and put back); the notes area follows
    // the comment list. False when there was nothing to do.
    bool undo();
    bool redo();
    // "Undo Annotation", or "Undo" when there is nothing to undo; "Redo ..." alike.
    std::u16string undoCaption() const;
    std::u16string redoCaption() const;

private:
    // After an undo or redo: the selector, the memo and the comments area follow
    // the comment list.
    void followComments();

    fileio::FileStamp diskStamp_; // the current file as last loaded or saved
    RichTextBuffer essay_;
    RichTextBuffer scratch_;
    UndoHistory history_;
};

// Opens a step of the essay's history for a command for the life of the object;
// the bookmark names it changes are recorded with it.
class DocumentStep {
public:
    DocumentStep(MarkedDocument& doc, StepKind kind);
    ~DocumentStep();
    DocumentStep(const DocumentStep&) = delete;
    DocumentStep& operator=(const DocumentStep&) = delete;

private:
    MarkedDocument& doc_;
    Bookmarks bookmarks_;
    UndoGroup group_;
};

} // namespace tallix
