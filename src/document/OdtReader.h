#pragma once
// Reads an OpenDocument text (.odt) into rich content, the same way as a Word
// document: paragraphs and headings with their alignment and left indent, spans
// with automatic and named styles, spaces, tabs and line breaks, lists, tables and
// notes. Tracked deletions are dropped and insertions kept.
#include "document/DocxReader.h"

namespace tallix {

// Parses the bytes of an .odt file into out (replacing what it held). Never expands
// more than zipxml::ExpandBudget bytes of the archive.
WordReadResult readOdt(std::string_view bytes, RichContent& out);

// True when the mimetype member names an OpenDocument text (or its template, a
// master document or a Writer/Web page).
bool isOdtMimetype(std::string_view mimetype);

} // namespace tallix
