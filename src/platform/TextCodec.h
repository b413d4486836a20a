#pragma once
// Text encodings of the 8-bit text files (plain-text essays and exports, button
// files, titles files, the two libraries) and of UTF-8 for the program's own use.
#include <optional>
#include <string>
#include <string_view>

namespace tallix::text {

// Decodes the bytes of a text file: UTF-16 (LE or BE) when they begin with its
// byte-order mark; UTF-8 when they begin with the UTF-8 byte-order mark or are valid
// UTF-8 holding non-ASCII bytes; else Windows-1252. Any byte-order mark is dropped;
// malformed sequences in text read as Unicode become U+FFFD. Line breaks are left
// as they are.
std::u16string decodeTextFile(std::string_view bytes);

// What the readers make of the characters that no document of ours keeps: U+0000
// (which RTF readers drop and profile values end at) becomes U+FFFD, so that every
// later save and load keeps the text and its positions.
inline constexpr char16_t NulReplacement = 0xFFFD;
constexpr char16_t withoutNul(char16_t c) { return c == 0 ? NulReplacement : c; }
std::u16string withoutNul(std::u16string text);

// The text of a plain-text essay (the import of a text file, and a marked file
// that is not RTF): decoded as decodeTextFile does (and as UTF-16 when it was
// saved without its byte-order mark: NUL bytes in at least a quarter of the byte
// pairs, all on the same side), with U+0000 as U+FFFD, each
// vertical tab and form feed a line break, and every line break CR LF. Nothing
// when the bytes are not text in any of those encodings: a NUL byte outside
// UTF-16 text, or control characters (other than tab, line breaks and
// the DOS end-of-file mark) making up more than one character in ten
// (executables, images and other binary files).
std::optional<std::u16string> decodeEssayText(std::string_view bytes);

// Encodes text for a text file: Windows-1252 when every character has a byte there,
// else UTF-8 with a byte-order mark.
std::string encodeTextFile(std::u16string_view text);

// Makes every line break CR LF: lone CR, lone LF and CR LF all become CR LF.
std::u16string normaliseLineBreaks(std::u16string_view text);

// UTF-8 <-> UTF-16 for file names, messages and tests. Malformed input becomes
// U+FFFD; unpaired surrogates are written as U+FFFD.
std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view bytes);
// The same, appended to out (a buffer used again and again takes no new memory).
void appendFromUtf8(std::u16string& out, std::string_view bytes);
// Decodes one UTF-8 sequence starting at bytes[i] (i < size). Returns the code
// point, or false when the sequence is malformed (an overlong form, a surrogate,
// above U+10FFFF, cut short); `used` is then the length of the maximal ill-formed
// subpart, which a decoder replaces by one U+FFFD (the usual practice, so that a
// broken sequence never swallows the valid bytes after it).
bool decodeUtf8At(std::string_view bytes, std::size_t i, char32_t& cp, std::size_t& used);
// One code point (not a surrogate) appended to out in UTF-8.
void appendUtf8(std::string& out, char32_t cp);

// True when the bytes are valid UTF-8 (no overlongs, no surrogates, nothing above
// U+10FFFF).
bool isValidUtf8(std::string_view bytes);

} // namespace tallix::text
