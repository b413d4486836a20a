#pragma once
// The fixed palette of eight output colours and the five colour roles that pick
// from it. The roles colour the exports and tint the matching controls of the
// marking window.
#include "document/Markup.h"

#include <array>
#include <string>

namespace tallix {

inline constexpr int PaletteSize = 8;

struct PaletteColour {
    const char16_t* name;
    Colour colour;
    const char* html; // red-green-blue hex
};

// Index 1..8; item 0 is unused.
inline constexpr std::array<PaletteColour, PaletteSize + 1> ColourPalette{{
    {u"Colour names", clBlack, "HTML Colour List"},
    {u"Black", clBlack, "000000"},
    {u"Maroon", clMaroon, "800000"},
    {u"Green", clGreen, "008000"},
    {u"Navy", clNavy, "000080"},
    {u"Purple", clPurple, "800080"},
    {u"Red", clRed, "FF0000"},
    {u"Blue", clBlue, "0000FF"},
    {u"Fuchsia", clFuchsia, "FF00FF"},
}};

// Field labels in the dialog windows.
inline constexpr Colour LabelColour = clMaroon;

enum class ColourRole { F1, F2, Grade, Comment, Error };
inline constexpr int ColourRoleCount = 5;

// The settings value name of each role, in role order.
inline constexpr std::array<const char*, ColourRoleCount> ColourRoleNames{
    "F1Col", "F2Col", "GradeCol", "ComCol", "ErrCol"};
inline constexpr std::array<int, ColourRoleCount> DefaultColourIndexes{7, 6, 3, 3, 6};

class OutputColours {
public:
    OutputColours() : indexes_(DefaultColourIndexes) {}

    // The palette index of a role; an index outside 1..8 given to setIndex
    // falls back to the role's default.
    int index(ColourRole r) const { return indexes_[std::size_t(r)]; }
    void setIndex(ColourRole r, int index) {
        indexes_[std::size_t(r)] =
            index >= 1 && index <= PaletteSize ? index : DefaultColourIndexes[std::size_t(r)];
    }
    Colour colour(ColourRole r) const { return ColourPalette[std::size_t(index(r))].colour; }
    std::string html(ColourRole r) const { return ColourPalette[std::size_t(index(r))].html; }

private:
    std::array<int, ColourRoleCount> indexes_;
};

} // namespace tallix
