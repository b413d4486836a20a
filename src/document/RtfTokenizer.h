#pragma once
// Splits RTF bytes into tokens: group braces, control words, control symbols, hex
// bytes, runs of plain text and \bin data. It knows nothing of what the words mean
// (that is the reader's business) except \binN, whose raw bytes must never be read
// as RTF. Every input, however damaged, yields a finite token stream ending in End.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tallix::rtf {

// Control word names longer than this are not RTF; they come out as malformed words.
inline constexpr std::size_t MaxWordLength = 32;
// Parameters with more digits than this are clamped to the int32 range.
inline constexpr std::size_t MaxParamDigits = 10;

constexpr bool isLetter(char c) { return unsigned((c | 0x20) - 'a') < 26; }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
// The value of a hex digit, or -1.
constexpr int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

enum class TokenKind : std::uint8_t {
    End,           // no more input
    GroupOpen,     // {
    GroupClose,    // }
    ControlWord,   // \name or \nameN
    ControlSymbol, // \ followed by one non-letter (\~ \- \_ \* \\ \{ \} ...)
    HexByte,       // \'hh
    Text,          // plain bytes, never holding \ { } CR or LF
    Binary,        // the data of \binN
};

struct Token {
    TokenKind kind = TokenKind::End;
    // ControlWord: the name; Text and Binary: the bytes.
    std::string_view text;
    bool hasParam = false;
    std::int32_t param = 0;
    // ControlSymbol: the symbol character; HexByte: the byte.
    unsigned char byte = 0;
    // A word name over MaxWordLength letters, or \' without two hex digits.
    bool malformed = false;
};

class Tokenizer {
public:
    explicit Tokenizer(std::string_view input) : in_(input) {}

    Token next();

    std::size_t position() const { return pos_; }
    bool atEnd() const { return pos_ >= in_.size(); }

private:
    Token readControl();

    std::string_view in_;
    std::size_t pos_ = 0;
};

} // namespace tallix::rtf
