#pragma once
// Windows single-byte code pages, as small tables of our own.
#include <optional>
#include <string>
#include <string_view>

namespace tallix::codepages {

// The table of characters for bytes 0x80..0xFF of a supported code page (1250,
// 1251, 1252, 1253, 1254, 1257), or nullptr for any other.
const char16_t* upperHalf(int codePage);

bool isSupported(int codePage);

// The character of one byte in a code page; unsupported code pages read as 1252.
// Bytes the code page leaves undefined read as the C1 control of the same value.
char16_t decodeByte(unsigned char byte, int codePage);

// The byte of a character in Windows-1252, if it has one.
std::optional<unsigned char> encode1252(char16_t c);

// The code page of an RTF font character set (\fcharsetN), or 0 when the set
// implies none we know (then the document's code page applies).
int codePageOfCharset(int charset);

} // namespace tallix::codepages
