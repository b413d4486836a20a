#pragma once
// The essay's clipboard commands, guarded: paste, cut, copy and delete.
//
// Rich text from other programs arrives on the clipboard as RTF or HTML. Paste
// reads it into formatted content (fonts, sizes and styles kept) and inserts it
// made black, so that nothing pasted reads as markup; plain text takes the
// formatting at the selection. Cut and copy put plain text only on the
// clipboard: formatting, and with it markup colour, never leaves the essay.
//
// Each command returns the refusal to show when the selection is inside markup.
#include "document/MarkedDocument.h" // Message
#include "document/RichContent.h"
#include "document/RichTextBuffer.h"

#include <optional>

class QMimeData;

namespace tallix {

// The content of clipboard (or drag) data: RTF ("text/rtf", "application/rtf",
// "text/richtext" or the Windows "Rich Text Format") through the RTF reader,
// else HTML, else plain text. Colours are left out. What the data does not say
// (plain text's format, an HTML run without a font or size) comes from base.
RichContent contentFromMimeData(const QMimeData* data, const CharFormat& base);

// PasteRTF: pastes the given data (the clipboard's when none is given).
std::optional<Message> pasteRtf(RichTextBuffer& b, const QMimeData* data = nullptr);
// CutRTF: the selected characters go to the clipboard as plain text and are deleted.
std::optional<Message> cutRtf(RichTextBuffer& b);
// CopyRTF: the selected characters go to the clipboard as plain text, unguarded.
void copyRtf(const RichTextBuffer& b);
// DeleteRTF: deletes the selection.
std::optional<Message> deleteRtf(RichTextBuffer& b);

} // namespace tallix
