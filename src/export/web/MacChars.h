#pragma once
// Two conversions of the characters above 0x7F of Windows-1252 text:
//  - macify: to the Macintosh character set, one byte for one byte (the
//    plain-text export's Mac option);
//  - webble: to HTML entities or plain ASCII, so that a web page reads the same
//    on any browser whatever character set it assumes (the web export's Mac
//    option).
// Bytes below 0x80 pass through unchanged in both.
#include <string>
#include <string_view>

namespace tallix::web {

// The Macintosh byte for a Windows-1252 byte (the byte itself below 0x80).
unsigned char macByte(unsigned char windowsByte);

// Each byte 0x80..0xFF becomes its Macintosh byte; the result has the length of
// the input.
std::string macify(std::string_view windows1252);

// The replacement of a Windows-1252 byte 0x80..0xFF: an entity such as "&eacute;",
// an ASCII approximation, or nothing (the byte is dropped). Bytes below 0x80 give
// themselves.
std::string_view webbleReplacement(unsigned char windowsByte);

// Every byte 0x80..0xFF replaced by its webbleReplacement.
std::string webble(std::string_view windows1252);

// The same over text: a character that Windows-1252 holds at 0x80..0xFF is
// replaced as its byte is; every other character is kept (characters outside
// Windows-1252 are written as numeric references when the page is encoded).
std::u16string webble(std::u16string_view text);

} // namespace tallix::web
