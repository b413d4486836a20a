#include "document/qt/EssayGuard.h"

#include "document/EditGuard.h"
#include "document/Scanning.h"
#include "document/qt/EssayClipboard.h"
#include "document/qt/KeyCodes.h"
#include "platform/qt/MessageBoxes.h"

#include <QChar>
#include <QEvent>
#include <QKeyEvent>

namespace tallix {

namespace {

// A key that types a character into the text.
bool typesCharacter(const QKeyEvent* e) {
    const QString text = e->text();
    if (text.isEmpty())
        return false;
    for (char32_t c : text.toUcs4())
        if (!QChar::isPrint(c))
            return false;
    return true;
}

} // namespace

bool allowEdit(const RichTextBuffer& b, const EditRequest& r) {
    if (!guard::isEditable(b))
        return false;
    if (b.selLength() > 0)
        return true; // the whole selection is black
    // The test looks at the character before the caret only; a deletion must not
    // reach into markup on either side of it. Black text before the caret says
    // nothing about the character after it, which may be a label's first.
    const int caret = b.selStart();
    switch (r.action) {
    case EditRequest::Action::DeleteBackward:
        return guard::isPlainRange(b, scan::caretDeletionRange(b, scan::CaretDeletion::Backward).from,
                                   caret);
    case EditRequest::Action::DeleteWordBackward:
        return guard::isPlainRange(
            b, scan::caretDeletionRange(b, scan::CaretDeletion::WordBackward).from, caret);
    case EditRequest::Action::DeleteForward:
        return guard::isPlainRange(b, caret,
                                   scan::caretDeletionRange(b, scan::CaretDeletion::Forward).to);
    case EditRequest::Action::InsertText:
    case EditRequest::Action::DeleteSelection:
        return true;
    }
    return false;
}

EssayGuard::EssayGuard(MarkRichEdit* view, QWidget* messageParent)
    : QObject(view), view_(view), messageParent_(messageParent) {
    view->installEventFilter(this);
    view->setEditGuard([this](const EditRequest& r) { return allowRequest(r); });
}

EssayGuard::~EssayGuard() {
    if (view_)
        view_->setEditGuard({});
}

QWidget* EssayGuard::messageParent() const {
    if (messageParent_)
        return messageParent_;
    return view_ ? view_->window() : nullptr;
}

void EssayGuard::refuse() { showMessage(messageParent(), guard::refusalMessage(), buttons::Ok); }

void EssayGuard::show(const std::optional<Message>& message) {
    if (message)
        showMessage(messageParent(), *message, buttons::Ok);
}

bool EssayGuard::allowRequest(const EditRequest& r) {
    const RichTextBuffer* b = view_ ? view_->buffer() : nullptr;
    if (!b)
        return false;
    if (allowEdit(*b, r))
        return true;
    // Text from an input method is a typed character: swallowed without a word.
    if (r.origin != EditRequest::Origin::InputMethod)
        refuse();
    return false;
}

bool EssayGuard::handleKeyPress(QKeyEvent* e) {
    RichTextBuffer* b = view_ ? view_->buffer() : nullptr;
    if (!b)
        return false;
    const bool editable = guard::isEditable(*b);
    switch (guard::keyDownAction(editable, windowsVirtualKey(*e), guardModifiers(e->modifiers()))) {
    case guard::KeyAction::Refuse:
        refuse();
        return true;
    case guard::KeyAction::Paste:
        show(pasteRtf(*b));
        return true;
    case guard::KeyAction::Cut:
        show(cutRtf(*b));
        return true;
    case guard::KeyAction::Pass:
        break;
    }
    // The typed character of a key that passed (Space, punctuation) goes nowhere
    // inside markup.
    return typesCharacter(e) && !guard::acceptsTypedCharacter(editable);
}

bool EssayGuard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (handleKeyPress(key)) {
            key->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tallix
