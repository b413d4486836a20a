#pragma once
// The editing guard on the essay view.
//
// EssayGuard watches the view's key presses before the view sees them (the key
// rule and the typed-character rule of the editing guard) and answers every edit
// the view asks its buffer for: typing, deleting, input-method text, pastes and
// drops. An edit goes through only when the selection is editable and, for a
// deletion next to the caret, when every character it would remove is black.
// Refusals show the guard's warning (input-method text is refused silently, as
// typed characters are).
//
// Menu shortcuts (Ctrl+C, Ctrl+F, F3, ...) act before the view sees the key, so
// they never reach the guard.
#include "document/MarkedDocument.h" // Message
#include "document/qt/MarkRichEdit.h"

#include <QObject>
#include <QPointer>

#include <optional>

class QKeyEvent;

namespace tallix {

// Whether the view may carry out an edit on buffer b.
bool allowEdit(const RichTextBuffer& b, const EditRequest& request);

class EssayGuard : public QObject {
    Q_OBJECT
public:
    // Guards view for as long as the guard lives (it is a child of the view).
    // Messages are shown over messageParent, or the view's window when null.
    explicit EssayGuard(MarkRichEdit* view, QWidget* messageParent = nullptr);
    ~EssayGuard() override;

    // The key rules for one key press in the view. True when the key was dealt
    // with here and must not reach the view.
    bool handleKeyPress(QKeyEvent* e);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool allowRequest(const EditRequest& request);
    void refuse();
    void show(const std::optional<Message>& message);
    QWidget* messageParent() const;

    QPointer<MarkRichEdit> view_;
    QPointer<QWidget> messageParent_;
};

} // namespace tallix
