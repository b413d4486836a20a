#pragma once
// Colour values and the markup conventions of the marked essay.
//
// A colour is a 32-bit value 0x00BBGGRR (blue in the high byte). The colour of a
// run of characters is its tag: essay text is black and nothing else is.
#include <cstdint>

namespace tallix {

using Colour = std::uint32_t;

inline constexpr Colour clBlack = 0x000000;
inline constexpr Colour clMaroon = 0x000080;
inline constexpr Colour clGreen = 0x008000;
inline constexpr Colour clOlive = 0x008080;
inline constexpr Colour clNavy = 0x800000;
inline constexpr Colour clPurple = 0x800080;
inline constexpr Colour clTeal = 0x808000;
inline constexpr Colour clGray = 0x808080;
inline constexpr Colour clSilver = 0xC0C0C0;
inline constexpr Colour clRed = 0x0000FF;
inline constexpr Colour clLime = 0x00FF00;
inline constexpr Colour clYellow = 0x00FFFF;
inline constexpr Colour clBlue = 0xFF0000;
inline constexpr Colour clFuchsia = 0xFF00FF;
inline constexpr Colour clAqua = 0xFFFF00;
inline constexpr Colour clWhite = 0xFFFFFF;
// The automatic colour: text that carries no explicit colour reads as this.
inline constexpr Colour clWindowText = 0x80000008;

inline constexpr bool isAutomaticColour(Colour c) { return (c & 0xFF000000u) != 0; }
inline constexpr Colour rgbColour(int r, int g, int b) {
    return Colour(r & 0xFF) | (Colour(g & 0xFF) << 8) | (Colour(b & 0xFF) << 16);
}
inline constexpr int redOf(Colour c) { return int(c & 0xFF); }
inline constexpr int greenOf(Colour c) { return int((c >> 8) & 0xFF); }
inline constexpr int blueOf(Colour c) { return int((c >> 16) & 0xFF); }

// Character styles, combined as a bit set.
enum StyleFlag : std::uint8_t {
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
};
using StyleSet = std::uint8_t;

namespace markup {

// Body text size in points; labels and markers are sized from it.
inline constexpr int BodySize = 12;
// Labels and comment markers are raised by 60 twips (3 points).
inline constexpr int RaiseTwips = 60;

// Essay text.
inline constexpr Colour EssayColour = clBlack;
// Annotated span: blue, exactly [underline].
inline constexpr Colour AnnotatedSpanColour = clBlue;
inline constexpr StyleSet AnnotatedSpanStyle = fsUnderline;
// Error label: red; praise label: teal; both exactly [italic], BodySize - 4, raised.
inline constexpr Colour ErrorLabelColour = clRed;
inline constexpr Colour PraiseLabelColour = clTeal;
inline constexpr StyleSet LabelStyle = fsItalic;
inline constexpr int LabelSize = BodySize - 4;
// Commented span: navy, exactly [underline].
inline constexpr Colour CommentedSpanColour = clNavy;
inline constexpr StyleSet CommentedSpanStyle = fsUnderline;
// Comment marker: the bare decimal number, green, exactly [bold], BodySize - 2, raised.
inline constexpr Colour CommentMarkerColour = clGreen;
inline constexpr StyleSet CommentMarkerStyle = fsBold;
inline constexpr int CommentMarkerSize = BodySize - 2;
// Document bookmark: the literal below in silver, formatted as at the caret.
inline constexpr Colour BookmarkColour = clSilver;
inline constexpr char16_t BookmarkText[] = u"[*BM*]";
inline constexpr int BookmarkLength = 6;

} // namespace markup
} // namespace tallix
