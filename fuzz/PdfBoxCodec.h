#pragma once
// The positioned words of PDF pages as bytes, for the fuzz target of the
// paragraph builder and the seeds made from real files. Each word is a record:
//   flags (1 byte: bit 0 a new page begins; bits 1-2 the font: plain, bold,
//   italic, bold italic), left, top (signed 16 bits, tenths of a point), width,
//   height (unsigned 16 bits, tenths of a point), size (1 byte, half points),
//   length (1 byte) and that many UTF-16 code units (16 bits each).
// All numbers little-endian; a record cut short ends the input.
#include "document/PdfLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace tallix::fuzz {

inline const char* const PdfFonts[] = {"ABCDEF+Serif", "ABCDEF+Serif-Bold", "ABCDEF+Serif-Italic",
                                       "ABCDEF+Serif-BoldItalic"};

inline std::vector<pdf::Page> decodePdfBoxes(const std::uint8_t* data, std::size_t size) {
    std::vector<pdf::Page> pages(1);
    std::size_t at = 0;
    auto u16 = [&](std::size_t i) { return unsigned(data[i]) | (unsigned(data[i + 1]) << 8); };
    auto s16 = [&](std::size_t i) { return double(std::int16_t(std::uint16_t(u16(i)))); };
    while (at + 11 <= size) {
        const std::uint8_t flags = data[at];
        const std::size_t length = data[at + 10];
        if (at + 11 + 2 * length > size)
            break;
        if ((flags & 1) && !pages.back().boxes.empty())
            pages.emplace_back();
        pdf::TextBox b;
        b.left = s16(at + 1) / 10;
        b.top = s16(at + 3) / 10;
        b.right = b.left + double(u16(at + 5)) / 10;
        b.bottom = b.top + double(u16(at + 7)) / 10;
        b.fontSize = double(data[at + 9]) / 2;
        b.fontName = PdfFonts[(flags >> 1) & 3];
        for (std::size_t i = 0; i < length; ++i)
            b.text.push_back(char16_t(u16(at + 11 + 2 * i)));
        pages.back().boxes.push_back(std::move(b));
        at += 11 + 2 * length;
    }
    return pages;
}

inline std::string encodePdfBoxes(const std::vector<pdf::Page>& pages) {
    std::string out;
    auto put16 = [&](long v) {
        out.push_back(char(v & 0xFF));
        out.push_back(char((v >> 8) & 0xFF));
    };
    auto tenths = [](double v, long lo, long hi) {
        return std::clamp(std::isfinite(v) ? std::lround(v * 10) : 0L, lo, hi);
    };
    for (std::size_t p = 0; p < pages.size(); ++p)
        for (std::size_t i = 0; i < pages[p].boxes.size(); ++i) {
            const pdf::TextBox& b = pages[p].boxes[i];
            const StyleSet style = pdf::styleOfFontName(b.fontName);
            out.push_back(char((i == 0 && p > 0 ? 1 : 0) | ((style & fsBold) ? 2 : 0) | ((style & fsItalic) ? 4 : 0)));
            put16(tenths(b.left, -32768, 32767));
            put16(tenths(b.top, -32768, 32767));
            put16(tenths(b.right - b.left, 0, 65535));
            put16(tenths(b.bottom - b.top, 0, 65535));
            out.push_back(char(std::clamp(std::lround(b.fontSize * 2), 0L, 255L)));
            const std::size_t n = std::min<std::size_t>(b.text.size(), 255);
            out.push_back(char(n));
            for (std::size_t k = 0; k < n; ++k)
                put16(long(b.text[k]));
        }
    return out;
}

} // namespace tallix::fuzz
