#pragma once
// The fixed palette of eight output colours and the five colour roles that pick
// from it. The roles colour the exports and tint the matching controls of the
// marking window; only the palette indices are stored, in the settings section
// "Colours", and colour values and HTML colours are always looked up here.
#include "document/Markup.h"

#include <array>
#include <cstddef>
#include <string>

namespace tallix {

class SettingsSource;
struct NotesArea;

inline constexpr int PaletteSize = 8;

// Three parallel tables, indexed 1 to 8. Item 0 is never chosen: it is the list's
// own heading.
inline constexpr std::array<const char16_t*, PaletteSize + 1> ColourNames{
    u"Colour names", u"Black", u"Maroon", u"Green", u"Navy",
    u"Purple",       u"Red",   u"Blue",   u"Fuchsia"};
inline constexpr std::array<Colour, PaletteSize + 1> ColourTable{
    clBlack, clBlack, clMaroon, clGreen, clNavy, clPurple, clRed, clBlue, clFuchsia};
// Red-green-blue hex, as web pages write colours.
inline constexpr std::array<const char*, PaletteSize + 1> HTMLColourList{
    "HTML Colour List", "000000", "800000", "008000", "000080",
    "800080",           "FF0000", "0000FF", "FF00FF"};

constexpr bool isPaletteIndex(int index) { return index >= 1 && index <= PaletteSize; }

// Field labels in the dialog windows.
inline constexpr Colour LabelColour = clMaroon;

// In the order the roles are read, stored and shown.
enum class ColourRole { F1, F2, Grade, Comment, Error };
inline constexpr int ColourRoleCount = 5;

// The settings value name of each role, in role order.
inline constexpr std::array<const char*, ColourRoleCount> ColourRoleNames{
    "F1Col", "F2Col", "GradeCol", "ComCol", "ErrCol"};
// Blue, red, green, green, red.
inline constexpr std::array<int, ColourRoleCount> DefaultColourIndexes{7, 6, 3, 3, 6};
// The settings section of the five indices.
inline constexpr char ColoursSection[] = "Colours";

class OutputColours {
public:
    OutputColours() : indexes_(DefaultColourIndexes) {}

    // The palette index of a role; an index outside 1..8 given to setIndex
    // falls back to the role's default, so a look-up never leaves the tables.
    int index(ColourRole r) const { return indexes_[std::size_t(r)]; }
    void setIndex(ColourRole r, int index) {
        indexes_[std::size_t(r)] =
            isPaletteIndex(index) ? index : DefaultColourIndexes[std::size_t(r)];
    }
    Colour colour(ColourRole r) const { return ColourTable[std::size_t(index(r))]; }
    std::string html(ColourRole r) const { return HTMLColourList[std::size_t(index(r))]; }

    bool operator==(const OutputColours&) const = default;

private:
    std::array<int, ColourRoleCount> indexes_;
};

// The stored index of each role: decimal text from 1 to 8. Anything else stored
// (another number, a sign, letters, nothing) reads as the role's default.
OutputColours readOutputColours(const SettingsSource& settings);

// The controls of the marking window whose font colour shows a role, by object
// name: the two feedback toggles, the comment toggle and selector, the grade box
// and its label.
struct ColourTint {
    const char* control;
    ColourRole role;
};
inline constexpr std::array<ColourTint, 6> MainWindowTints{{
    {"spdFeedback1", ColourRole::F1},
    {"spdFeedback2", ColourRole::F2},
    {"spdComment", ColourRole::Comment},
    {"spinComments", ColourRole::Comment},
    {"editGrade", ColourRole::Grade},
    {"lblGrade", ColourRole::Grade},
}};

// The role whose colour the notes memo and its heading are written in: that of the
// toggle that is down (comments, feedback 1, feedback 2); with none down, that of
// the text the area last held, which its caption names.
ColourRole notesColourRole(const NotesArea& notes);

} // namespace tallix
