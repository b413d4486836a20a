#pragma once
// Reads an RTF document into rich content.
#include "document/RichContent.h"

#include <string>
#include <string_view>

namespace tallix {

struct RtfReadResult {
    bool ok = false;
    std::string error; // why the document could not be read, when !ok
};

// Parses bytes that begin with "{\rtf" into out (replacing what it held). Text with
// no explicit colour gets clWindowText; the font, size and style without explicit
// settings are those of the document's default font (\deff), 12 points, no style.
// Never crashes, hangs or recurses on malformed input.
RtfReadResult readRtf(std::string_view bytes, RichContent& out);

// True when the bytes are RTF (they start with "{\rtf"); anything else is plain text.
bool looksLikeRtf(std::string_view bytes);

} // namespace tallix
