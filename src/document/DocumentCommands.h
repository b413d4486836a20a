#pragma once
// The decisions of the document commands (new, open, recent files, import, save,
// save as, closing): which questions are asked, and what happens after each
// answer. The window supplies the questions and dialogs through DocumentPrompts
// and shows the messages; everything else is decided here.
#include "document/MarkedDocument.h"

#include <optional>
#include <string>

namespace tallix {

enum class Answer { Yes, No, Cancel };

class DocumentPrompts {
public:
    virtual ~DocumentPrompts() = default;
    // "The text has changed." ... "Do you want to save the changes?"
    virtual Answer askSaveChanges() = 0;
    // The Save As dialog, filled in with the current path; nullopt when cancelled.
    virtual std::optional<std::string> askSavePath(const std::string& current) = 0;
    // A failure to show to the user.
    virtual void showMessage(const Message& m) = 0;
    // The file about to be saved over (path) was written by another program since
    // the document read or wrote it: true to overwrite it all the same.
    virtual bool askOverwriteChanged(const std::string& path) = 0;
};

// The text of the save-changes question.
inline constexpr char16_t SaveChangesQuestion[] =
    u"The text has changed.\n\nDo you want to save the changes?";

class DocumentCommands {
public:
    DocumentCommands(MarkedDocument& doc, DocumentPrompts& prompts)
        : doc_(doc), prompts_(prompts) {}

    // The save-changes question when the document has changes: true when the
    // caller may go on (saved, or the answer was No).
    bool saveChanges();
    // Saves to the current file, or asks for one. False when cancelled or failed.
    bool save();
    // Asks for a file and saves there. False when cancelled or failed.
    bool saveAs();
    // Saves to the given path. False when it failed (the message was shown), or
    // when the path is the current file, another program has written it since,
    // and the answer to the question was not to overwrite it.
    bool saveTo(const std::string& path);

    // Asks about unsaved changes, then empties the document. False when the
    // question was cancelled or the save failed: then nothing changed.
    bool newDocument();
    // A new document, then the marked file. False when stopped or the load
    // failed (the message was shown; the document is then empty and untitled).
    bool open(const std::string& path);
    // The same for recent-file entry n (1..5). An entry whose file is gone stays.
    bool openRecent(int n);
    // Import, after the window asked the first question (saveChanges) and the
    // user chose a file: a new document (which asks again while the document is
    // still marked as changed, that is after the answer No), then the essay.
    bool importEssay(const std::string& path, ImportKind kind);
    // Closing: true when the window may close.
    bool closeQuery() { return saveChanges(); }

private:
    MarkedDocument& doc_;
    DocumentPrompts& prompts_;
};

} // namespace tallix
