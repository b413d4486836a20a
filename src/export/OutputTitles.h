#pragma once
// The eight titles and prompts with which the exports introduce what they add to
// the essay (grade, statistics, comments, definitions, page buttons, a warning),
// and the titles-and-prompts file (".cfg") that keeps a set of them: a profile
// file with the one section "Configuration", one key per title.
//
// The exports and the command line read the titles as plain values; the marking
// window holds the set in use, and the titles window edits, loads and saves sets.
#include "export/OutputColours.h"

#include <array>
#include <string>
#include <string_view>

namespace tallix {

class SettingsSource;
enum class ProfileLoadStatus;

// The set of titles in use. Default-constructed it holds the titles the program
// starts with before any titles file is read.
struct OutputTitles {
    std::u16string commentTitle = u"Comment";
    std::u16string commentListTitle = u"Comments";
    std::u16string errorTypeTitle = u"Error type";
    std::u16string errorStatsTitle = u"Error Statistics";
    std::u16string gradeTitle = u"Grade: ";
    std::u16string continuedTitle = u"Continued...";
    std::u16string goBackTitle = u"Go back to the text";
    std::u16string noPrintTitle = u"DO NOT PRINT THIS PAGE!";

    // The titles a loaded file falls back on for the keys it lacks. They differ
    // from the start-up set in one letter: "Error statistics".
    static OutputTitles loadedFileDefaults();

    // The web pages' back button: a form button captioned goBackTitle whose click
    // goes back in the browser's history. It is composed from the current title
    // whenever it is asked for, so a caption applied in the titles window reaches
    // the next export at once.
    std::u16string backButtonHTML() const;
    // continuedTitle made safe as the VALUE of the next-page button.
    std::u16string continuedButtonValue() const;

    bool operator==(const OutputTitles&) const = default;
};

// One title as the file and the titles window know it, in the file's key order
// (the order of the window's rows).
struct TitleField {
    std::u16string OutputTitles::*member;
    const char16_t* key;   // under section "Configuration"
    const char16_t* label; // the row's label in the titles window
    const char16_t* hint;  // the row's hint
};
inline constexpr int TitleCount = 8;
extern const std::array<TitleField, TitleCount> TitleFields;

inline constexpr char16_t TitlesSection[] = u"Configuration";
inline constexpr char DefaultConfigFileName[] = "default.cfg";
inline constexpr char16_t ConfigFileExtension[] = u".cfg";

// Reads the eight keys of the titles file at path over titles, each keeping its
// current value when the file lacks the key. A missing, unreadable or oversized
// file leaves every title as it was. Never throws for anything in the file.
ProfileLoadStatus readTitlesFile(OutputTitles& titles, const std::string& path);
// The titles of a file loaded in the titles window: its values, and for the keys
// it lacks the loaded-file defaults.
OutputTitles loadTitlesFile(const std::string& path);
// The titles the program starts with: the start-up defaults with the file at path
// read over them.
OutputTitles startupTitles(const std::string& path);

// Writes the eight titles to the file at path, in key order, with one rewrite of
// the file: either all of them are written or none. Lines of the file that are not
// these keys stay as they were. Throws ProfileWriteError ("Unable to write to "
// and the path) when the file cannot be written; the file then keeps its content.
void writeTitlesFile(const OutputTitles& titles, const std::string& path);

// path with ".cfg" appended when its file-name part holds ".cfg" nowhere, without
// regard to case ("exam" -> "exam.cfg"; "exam.CFG" and "exam.cfg.old" stay).
std::string withConfigExtension(const std::string& path);

// The default titles file: programFolder followed by "default.cfg".
std::string defaultConfigFilePath(std::string_view programFolder);
// "Config: " and the file name part of path, for the status bar.
std::u16string configStatusText(std::string_view path);

// Text made safe inside a double-quoted HTML attribute value: quotes, "<", ">"
// and "&" become character references.
std::u16string htmlAttributeValue(std::u16string_view text);

// What the exports read: the titles file in use, its titles and the colours.
struct OutputSettings {
    std::string configFile;
    OutputTitles titles;
    OutputColours colours;
};

// The path of the titles file stored under "Configuration"/"ConfigFile", or the
// default titles file in the program folder.
std::string storedConfigFile(const SettingsSource& settings);
// The output settings the program starts with: the stored titles file (or
// titlesFile when one is given) read over the start-up titles, and the stored
// colour indices. The marking window and the command line both start from this.
OutputSettings readOutputSettings(const SettingsSource& settings,
                                  const std::string& titlesFile = {});

} // namespace tallix
