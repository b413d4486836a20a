#pragma once
// Reads a Word document (.docx, Office Open XML) into rich content: paragraphs with
// their alignment and left indent, runs with bold, italic, underline, strike-out,
// size, font and raised or lowered position, from the direct formatting and the
// paragraph and character styles with the document defaults. Tracked insertions
// are kept and deletions dropped; fields show their result; tables give each row
// one line with its cells separated by a TAB; list items begin with their bullet
// or number and a TAB; footnotes and endnotes are appended as numbered paragraphs.
#include "document/RichContent.h"

#include <string>
#include <string_view>

namespace tallix {

struct WordReadResult {
    bool ok = false;
    std::string error; // why the document could not be read, when !ok
};

// Parses the bytes of a .docx file into out (replacing what it held). Never expands
// more than zipxml::ExpandBudget bytes of the archive.
WordReadResult readDocx(std::string_view bytes, RichContent& out);

// A zip archive is a document of a word processor when it holds word/document.xml
// (Word) or content.xml with an OpenDocument text mimetype. Reads either kind by its
// content; anything else is refused with a reason.
WordReadResult readWordProcessorFile(std::string_view bytes, RichContent& out);

} // namespace tallix
