#pragma once
// The two picture fonts that essays use for bullets, arrows and mathematics:
// Symbol and Wingdings put their pictures on byte values (written by word
// processors as the byte itself or as U+F0xx, the byte in the private-use
// area). Every reader turns them into the Unicode characters they show, so the
// essay reads the same in any font.
#include <cstdint>
#include <string>
#include <string_view>

namespace tallix::symbolfonts {

enum class SymbolFont : std::uint8_t { None, Symbol, Wingdings };

// The picture font of that name (any case, surrounding blanks ignored), or None.
SymbolFont named(std::u16string_view fontName);
SymbolFont named(std::string_view utf8FontName);

// The character the font shows for a byte (0x20..0xFF), or 0 when the font has
// none there (the byte is then read as an ordinary letter).
char32_t toUnicode(SymbolFont font, unsigned char byte);

// A character of text in the font: a byte value or U+F020..U+F0FF gives the
// character the font shows; anything else, or a byte the font leaves empty, is
// itself. Returns 0 when the character is not the font's.
char32_t mapCharacter(SymbolFont font, char32_t c);

// Appends a character as UTF-16.
void appendUtf16(std::u16string& to, char32_t c);

} // namespace tallix::symbolfonts
