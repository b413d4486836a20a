#pragma once
// Every box the program shows the user goes through these functions: message boxes
// with a type, a set of buttons and a help context, the plain message box, the
// error report for unexpected failures, the one-line input box and the file
// dialogs.
//
// A box's Help button opens the help topic of the box's help context and leaves
// the box open. Message texts are shown as plain text, never as markup, so a file
// name or a student's text with "<" in it reads as it is.
//
// Tests (and scripts) replace the boxes with handlers: a handler receives a
// description of the box that would have been shown and returns the answer, so
// no modal loop runs and what was asked can be recorded.
#include "platform/Message.h"

#include <QFlags>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace tallix {

enum class Button : unsigned {
    None = 0,
    Ok = 1u << 0,
    Cancel = 1u << 1,
    Yes = 1u << 2,
    No = 1u << 3,
    Help = 1u << 4, // never an answer: it opens help and the box stays open
};
Q_DECLARE_FLAGS(Buttons, Button)
Q_DECLARE_OPERATORS_FOR_FLAGS(Buttons)

namespace buttons {
inline constexpr Buttons Ok{Button::Ok};
inline constexpr Buttons OkHelp = Button::Ok | Button::Help;
inline constexpr Buttons OkCancel = Button::Ok | Button::Cancel;
inline constexpr Buttons OkCancelHelp = Button::Ok | Button::Cancel | Button::Help;
inline constexpr Buttons YesNo = Button::Yes | Button::No;
inline constexpr Buttons YesNoCancel = Button::Yes | Button::No | Button::Cancel;
inline constexpr Buttons YesNoCancelHelp =
    Button::Yes | Button::No | Button::Cancel | Button::Help;
} // namespace buttons

// What a box would have shown.
enum class MessageKind {
    Message,     // showMessage: typed box with buttons and a help context
    Plain,       // showPlainMessage: no icon, OK, the program's title
    ErrorReport, // reportError: the default report of an unexpected failure
};

struct MessageRequest {
    MessageKind kind = MessageKind::Message;
    QString title; // "Warning", "Error", "Information", "Confirm" or "Tallix32"
    QString text;
    MessageType type = MessageType::Information;
    Buttons buttons = buttons::Ok;
    int helpContext = 0;
    // Captions that replace the standard ones of Yes, No and Cancel, in that
    // order, where a question's answers need their own words; empty keeps them.
    QStringList captions;
};

// The answer given when a box is closed without pressing a button (Escape or the
// window's close button): Cancel when the box has it, else No, else OK.
Button escapeAnswer(Buttons buttons);

// Shows a message box and returns the button pressed: one of Ok, Cancel, Yes, No
// (Help keeps the box open and is never returned). The first of Yes and OK is the
// default button. parent may be null (the active window is used).
Button showMessage(QWidget* parent, const QString& text, MessageType type, Buttons buttons,
                   int helpContext);
// A question whose Yes, No and Cancel answers carry their own captions (for
// example "Restore", "Discard", "Later"); the answer is still Yes, No or Cancel.
Button askWithCaptions(QWidget* parent, const QString& text, MessageType type,
                       const QStringList& yesNoCancelCaptions, int helpContext = 0);
// The same for a message prepared by the core (its text, type and help context).
Button showMessage(QWidget* parent, const Message& message, Buttons buttons);

// A box with no icon, the program's title and an OK button.
void showPlainMessage(QWidget* parent, const QString& text);

// The application's default error report: the message of an unexpected failure
// (a number box that holds no number, a file that could not be written) in an
// error box with an OK button.
void reportError(QWidget* parent, const QString& text);

using MessageHandler = std::function<Button(const MessageRequest&)>;
// Replaces the boxes by handler (an empty function restores them). Returns the
// handler that was in place.
MessageHandler setMessageHandler(MessageHandler handler);

// The one-line input box: a title, a prompt and a default answer. Returns the text
// entered on OK, nullopt on Cancel.
struct InputRequest {
    QString title;
    QString prompt;
    QString defaultText;
};
std::optional<QString> askText(QWidget* parent, const QString& title, const QString& prompt,
                               const QString& defaultText);

using InputHandler = std::function<std::optional<QString>(const InputRequest&)>;
InputHandler setInputHandler(InputHandler handler);

// The file dialogs. filter is written "Description|*.ext|Description|*.a;*.b";
// defaultExtension may be given as "tlx", ".tlx" or "*.tlx" and is added to a typed
// name that has none.
struct FileRequest {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString title;
    QString filter;
    QString defaultExtension;
    QString initialPath; // a file or a folder
    bool confirmOverwrite = false; // Save only
    int helpContext = 0;
    bool multiple = false; // Open only: several existing files may be chosen
    bool folder = false;   // Open only: an existing folder is chosen, not a file
    // Save only: files the answer must not write over, by any spelling or link
    // (an export is never written over the marked file it comes from).
    QStringList keepFiles;
};
// A save answer that names one of keepFiles is refused with a warning and comes
// back as nullopt, as if cancelled.
std::optional<QString> askFileName(QWidget* parent, const FileRequest& request);

// True (after a warning naming the file) when path is one of keepFiles.
bool refuseOverwriting(QWidget* parent, const QString& path, const QStringList& keepFiles,
                       int helpContext);
// An open dialog in which several existing files may be chosen: the files in the
// order the dialog gives them, nullopt when cancelled. A handler answers it with
// the paths one a line (the request it receives has multiple set).
std::optional<QStringList> askFileNames(QWidget* parent, const FileRequest& request);

using FileHandler = std::function<std::optional<QString>(const FileRequest&)>;
FileHandler setFileHandler(FileHandler handler);

// "Tallix files (*.tlx)|*.tlx" -> "Tallix files (*.tlx)", one filter per pair.
QString qtFileFilter(const QString& filter);

// Keeps a handler in place for one scope (a test), then puts back the one before.
class ScopedMessageHandler {
public:
    explicit ScopedMessageHandler(MessageHandler h) : previous_(setMessageHandler(std::move(h))) {}
    ~ScopedMessageHandler() { setMessageHandler(std::move(previous_)); }
    ScopedMessageHandler(const ScopedMessageHandler&) = delete;
    ScopedMessageHandler& operator=(const ScopedMessageHandler&) = delete;

private:
    MessageHandler previous_;
};

class ScopedInputHandler {
public:
    explicit ScopedInputHandler(InputHandler h) : previous_(setInputHandler(std::move(h))) {}
    ~ScopedInputHandler() { setInputHandler(std::move(previous_)); }
    ScopedInputHandler(const ScopedInputHandler&) = delete;
    ScopedInputHandler& operator=(const ScopedInputHandler&) = delete;

private:
    InputHandler previous_;
};

class ScopedFileHandler {
public:
    explicit ScopedFileHandler(FileHandler h) : previous_(setFileHandler(std::move(h))) {}
    ~ScopedFileHandler() { setFileHandler(std::move(previous_)); }
    ScopedFileHandler(const ScopedFileHandler&) = delete;
    ScopedFileHandler& operator=(const ScopedFileHandler&) = delete;

private:
    FileHandler previous_;
};

} // namespace tallix
