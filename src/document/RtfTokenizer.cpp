#include "document/RtfTokenizer.h"

#include <algorithm>
#include <cstdint>

namespace tallix::rtf {
namespace {

Token makeToken(TokenKind kind) {
    Token t;
    t.kind = kind;
    return t;
}

} // namespace

Token Tokenizer::next() {
    const std::size_t size = in_.size();
    while (pos_ < size) {
        switch (in_[pos_]) {
        case '{':
            ++pos_;
            return makeToken(TokenKind::GroupOpen);
        case '}':
            ++pos_;
            return makeToken(TokenKind::GroupClose);
        case '\\':
            return readControl();
        case '\r':
        case '\n':
            // Line breaks in the source only wrap long lines; they are not text.
            ++pos_;
            continue;
        default: {
            const std::size_t start = pos_;
            while (pos_ < size) {
                const char c = in_[pos_];
                if (c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n')
                    break;
                ++pos_;
            }
            Token t = makeToken(TokenKind::Text);
            t.text = in_.substr(start, pos_ - start);
            return t;
        }
        }
    }
    return makeToken(TokenKind::End);
}

Token Tokenizer::readControl() {
    const std::size_t size = in_.size();
    ++pos_; // the backslash
    if (pos_ >= size)
        return makeToken(TokenKind::End); // a backslash as the very last byte means nothing

    const char first = in_[pos_];
    if (isLetter(first)) {
        const std::size_t start = pos_;
        while (pos_ < size && isLetter(in_[pos_]))
            ++pos_;
        const std::size_t length = pos_ - start;
        Token t = makeToken(TokenKind::ControlWord);
        t.text = in_.substr(start, std::min(length, MaxWordLength));
        t.malformed = length > MaxWordLength;

        const bool negative = pos_ + 1 < size && in_[pos_] == '-' && isDigit(in_[pos_ + 1]);
        if (negative || (pos_ < size && isDigit(in_[pos_]))) {
            if (negative)
                ++pos_;
            // Saturate instead of overflowing: absurd parameters become the largest
            // int32 of their sign and the reader clamps them to what makes sense.
            std::int64_t value = 0;
            constexpr std::int64_t limit = std::int64_t(INT32_MAX) + 1;
            while (pos_ < size && isDigit(in_[pos_])) {
                value = std::min(value * 10 + (in_[pos_] - '0'), limit);
                ++pos_;
            }
            if (negative)
                value = -value;
            t.hasParam = true;
            t.param = static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
        }
        if (pos_ < size && in_[pos_] == ' ')
            ++pos_; // the delimiting space belongs to the word

        if (!t.malformed && t.hasParam && t.param > 0 && t.text == "bin") {
            // Raw bytes follow; take them whole (as many as the input still holds) so
            // that braces and backslashes among them are never read as RTF.
            const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(t.param), size - pos_);
            Token b = makeToken(TokenKind::Binary);
            b.text = in_.substr(pos_, n);
            pos_ += n;
            return b;
        }
        return t;
    }

    if (first == '\'') {
        ++pos_;
        Token t = makeToken(TokenKind::HexByte);
        const int high = pos_ < size ? hexValue(in_[pos_]) : -1;
        if (high < 0) {
            t.malformed = true;
            return t;
        }
        ++pos_;
        const int low = pos_ < size ? hexValue(in_[pos_]) : -1;
        if (low < 0) {
            t.malformed = true;
            return t;
        }
        ++pos_;
        t.byte = static_cast<unsigned char>(high * 16 + low);
        return t;
    }

    ++pos_;
    Token t = makeToken(TokenKind::ControlSymbol);
    t.byte = static_cast<unsigned char>(first);
    return t;
}

} // namespace tallix::rtf
