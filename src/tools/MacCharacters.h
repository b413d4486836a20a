#pragma once
// The character tables of the Macintosh clean-up commands, as data.
//
// Characters are matched by their Windows-1252 byte: the buffer holds Unicode, so a
// character takes part only when Windows-1252 has a byte for it.
#include <array>
#include <cstdint>
#include <optional>

namespace tallix::tools {

// For each Mac OS Roman code 0x80..0xFF (index code - 0x80), the Windows-1252 byte
// of the character it stands for. Mac characters Windows-1252 lacks become 0x80.
extern const std::array<std::uint8_t, 128> MacToWindows1252;

// The smart-quote repairs, in the order they are made: the Windows-1252 byte of the
// character replaced and its replacement.
struct QuoteRepair {
    std::uint8_t byte;
    char16_t replacement;
};
extern const std::array<QuoteRepair, 5> SmartQuoteRepairs;

// The character that a Mac character read as Windows-1252 stands for, or nothing
// when c has no Windows-1252 byte of 0x80 or above.
std::optional<char16_t> macCharacter(char16_t c);

// The straight quote for a garbled smart quote, or nothing.
std::optional<char16_t> straightQuote(char16_t c);

} // namespace tallix::tools
