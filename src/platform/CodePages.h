#pragma once
// Windows code pages: the single-byte European ones as small tables of our own,
// Thai, Hebrew, Arabic and Vietnamese and the double-byte ones of Japanese,
// Chinese and Korean through the system's converter (iconv), built into tables
// the first time they are used.
#include <optional>
#include <string>
#include <string_view>

namespace tallix::codepages {

// The table of characters for bytes 0x80..0xFF of a supported code page (1250 to
// 1258, 874, and the single bytes of 932, 936, 949 and 950), or nullptr for any
// other. In a double-byte code page a lead byte alone reads as U+FFFD.
const char16_t* upperHalf(int codePage);

// Japanese (932), Simplified Chinese (936), Korean (949) and Traditional
// Chinese (950): a character may take two bytes.
bool isDoubleByte(int codePage);
// True when the byte begins a two-byte character of a double-byte code page.
bool isLeadByte(unsigned char byte, int codePage);
// The character of a lead byte and its trail byte, or 0 when the pair is none.
char16_t decodePair(unsigned char lead, unsigned char trail, int codePage);

bool isSupported(int codePage);

// The character of one byte in a code page; unsupported code pages read as 1252.
// Bytes the code page leaves undefined read as the C1 control of the same value.
char16_t decodeByte(unsigned char byte, int codePage);

// The byte of a character in Windows-1252, if it has one.
std::optional<unsigned char> encode1252(char16_t c);

// The code page of an RTF font character set (\fcharsetN), or 0 when the set
// implies none we know (then the document's code page applies): 0 1252,
// 128 932, 129 949, 134 936, 136 950, 161 1253, 162 1254, 163 1258, 177 1255,
// 178 1256, 186 1257, 204 1251, 222 874, 238 1250.
int codePageOfCharset(int charset);

} // namespace tallix::codepages
