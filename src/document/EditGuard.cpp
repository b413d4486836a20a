#include "document/EditGuard.h"

#include <algorithm>

namespace tallix::guard {

Message refusalMessage() { return Message{RefusalText, MessageType::Warning, HelpContext}; }

bool isEditable(const RichTextBuffer& b) {
    return b.selColourConsistent() && b.selColour() == clBlack;
}

bool isPlainRange(const RichTextBuffer& b, int from, int to) {
    from = std::max(from, 0);
    to = std::min(to, b.length());
    for (int i = from; i < to; ++i)
        if (b.colourAt(i) != clBlack)
            return false;
    return true;
}

KeyAction keyDownAction(bool editable, int virtualKey, KeyModifiers modifiers) {
    const bool menuChord = ((modifiers & AltKey) && !(modifiers & CtrlKey)) || (modifiers & MetaKey);
    if (menuChord)
        return KeyAction::Pass;
    if (!editable) {
        const bool refused = virtualKey <= 13 || (virtualKey >= 46 && virtualKey <= 112);
        return refused ? KeyAction::Refuse : KeyAction::Pass;
    }
    if (modifiers == CtrlKey && virtualKey == 'V')
        return KeyAction::Paste;
    if (modifiers == CtrlKey && virtualKey == 'X')
        return KeyAction::Cut;
    return KeyAction::Pass;
}

std::optional<Message> pasteContent(RichTextBuffer& b, const RichContent& content) {
    if (!isEditable(b))
        return refusalMessage();
    if (content.text.empty())
        return std::nullopt;
    UndoGroup step(b, StepKind::Paste);
    const int start = b.selStart();
    b.insertContent(content);
    const int end = b.selStart();
    // Colours that came with the text would read as markup.
    b.select(start, end - start);
    b.setSelColour(clBlack);
    b.setSelStart(end);
    return std::nullopt;
}

std::optional<Message> cutSelection(RichTextBuffer& b, std::u16string& cutText) {
    if (!isEditable(b))
        return refusalMessage();
    cutText = b.selText();
    UndoGroup step(b, StepKind::Cut);
    if (b.selLength() > 0)
        b.setSelText(u"");
    return std::nullopt;
}

std::optional<Message> deleteSelection(RichTextBuffer& b) {
    if (!isEditable(b))
        return refusalMessage();
    UndoGroup step(b, StepKind::Delete);
    if (b.selLength() > 0)
        b.setSelText(u"");
    return std::nullopt;
}

PopupMenuState popupMenuState(const RichTextBuffer& b, bool inAnnotation) {
    PopupMenuState s;
    const bool selected = b.selLength() > 0;
    s.deleteAnnotation = inAnnotation;
    s.cut = s.del = selected && !inAnnotation;
    s.copy = selected;
    return s;
}

} // namespace tallix::guard
