#pragma once
// Writes rich content as one RTF 1.x document.
#include "document/RichContent.h"

#include <string>
#include <string_view>

namespace tallix {

// How every document the writer writes begins, up to its font table's entries.
inline constexpr std::string_view RtfWriterHeader = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";

// \ansi\ansicpg1252, a font table, a colour table, \uc1. Characters above 0x7F are
// written as \'hh where Windows-1252 has them, else as \uN?. An explicit colour
// (black included) gets a colour-table entry; clWindowText is written as the
// automatic colour \cf0. Paragraph alignment and start indent, bold, italic,
// underline, strike-out, size, font name and vertical offset are all kept.
std::string writeRtf(const RichContent& content);

} // namespace tallix
