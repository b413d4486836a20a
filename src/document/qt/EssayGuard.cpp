#include "document/qt/EssayGuard.h"

#include "document/EditGuard.h"
#include "document/qt/EssayClipboard.h"
#include "document/qt/KeyCodes.h"
#include "platform/qt/MessageBoxes.h"

#include <QChar>
#include <QEvent>
#include <QKeyEvent>

namespace tallix {

namespace {

bool isLineBreakAt(const std::u16string& t, int i) {
    return i >= 0 && i + 1 < int(t.size()) && t[std::size_t(i)] == u'\r' &&
           t[std::size_t(i) + 1] == u'\n';
}

bool isSurrogatePairAt(const std::u16string& t, int i) {
    return i >= 0 && i + 1 < int(t.size()) && QChar::isHighSurrogate(t[std::size_t(i)]) &&
           QChar::isLowSurrogate(t[std::size_t(i) + 1]);
}

bool isWordChar(char16_t c) { return QChar(c).isLetterOrNumber() || c == u'_'; }

// The characters [from, caret) that a deletion next to the caret removes: one
// character, a CR LF pair or a surrogate pair, or for a word deletion the blanks
// before the caret and the word before them (the view deletes the same).
int deletionStart(const std::u16string& t, int caret, EditRequest::Action action) {
    if (caret <= 0)
        return caret;
    if (isLineBreakAt(t, caret - 2) || isSurrogatePairAt(t, caret - 2))
        return caret - 2;
    if (action != EditRequest::Action::DeleteWordBackward)
        return caret - 1;
    int from = caret;
    while (from > 0 && (t[std::size_t(from) - 1] == u' ' || t[std::size_t(from) - 1] == u'\t'))
        --from;
    if (from > 0 && isWordChar(t[std::size_t(from) - 1])) {
        while (from > 0 && isWordChar(t[std::size_t(from) - 1]))
            --from;
    } else if (from == caret) {
        from = caret - 1;
    }
    return from;
}

int deletionEnd(const std::u16string& t, int caret) {
    if (caret >= int(t.size()))
        return caret;
    return isLineBreakAt(t, caret) || isSurrogatePairAt(t, caret) ? caret + 2 : caret + 1;
}

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
    const int caret = b.selStart();
    const std::u16string& t = b.text();
    switch (r.action) {
    case EditRequest::Action::DeleteBackward:
    case EditRequest::Action::DeleteWordBackward:
        // The test looks at the character before the caret only; a deletion must
        // not reach further back into markup.
        return guard::isPlainRange(b, deletionStart(t, caret, r.action), caret);
    case EditRequest::Action::DeleteForward:
        // Black text before the caret says nothing about the character after it,
        // which may be the first character of a label.
        return guard::isPlainRange(b, caret, deletionEnd(t, caret));
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
