#pragma once
// The current user's settings, kept from one run to the next.
//
// Sections hold named values, and every value is stored as text: integers in
// decimal, booleans as "0" or "1". Reading an integer also accepts hexadecimal
// written with a leading "$" (or "0x"); text that is not a number, and a missing
// section or value, yield the caller's default. Section and value names are kept
// exactly as written (spaces and case included) and are looked up without regard
// to case, as the Windows registry does.
//
// Where the settings live:
//   - Windows: the registry key HKEY_CURRENT_USER\Software\Tallix32 itself, one
//     subkey per section;
//   - elsewhere: the text file Tallix32/Tallix32.conf in the per-user settings
//     folder (for example ~/.config/Tallix32/Tallix32.conf), "[Section]" lines
//     followed by "Name=Value" lines;
//   - anywhere: the file named by the environment variable TALLIX32_SETTINGS when
//     it is set, or the file given to the constructor (tests and scripts use these).
//
// Writes reach the store when flush() is called, when the object is destroyed, or
// when the event loop next runs, whichever comes first. A settings file is always
// written whole, through a temporary file renamed over it.
//
// A settings file that cannot be read as one (QSettings reports a format error,
// or the file holds bytes that are not text) is never written over: it is renamed
// with a ".bad" suffix and the store starts empty, or, when it cannot be renamed,
// it is left as it is and the store keeps its values in memory only. Either way a
// message says so, once: takeDamageReports() hands it to the window. So does a
// settings file that cannot be written (it is a folder, or the file or its folder
// is read-only), found when the store opens or when a flush fails: reported once
// a run, the values kept in memory.
#include "platform/Message.h"

#include <QString>

#include <memory>
#include <vector>

class QSettings;

namespace tallix {

// The help topic of the warning that the settings file cannot be written.
inline constexpr int SettingsHelpContext = 42300;

class SettingsStore {
public:
    // The current user's store: $TALLIX32_SETTINGS when set, else the platform's.
    SettingsStore();
    // A settings file at filePath, whatever the platform.
    explicit SettingsStore(const QString& filePath);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The file path, or on Windows (by default) the registry key's path.
    QString location() const;

    QString readString(const QString& section, const QString& name,
                       const QString& defaultValue) const;
    int readInteger(const QString& section, const QString& name, int defaultValue) const;
    // Any non-zero integer reads as true.
    bool readBool(const QString& section, const QString& name, bool defaultValue) const;
    bool valueExists(const QString& section, const QString& name) const;

    void writeString(const QString& section, const QString& name, const QString& value);
    void writeInteger(const QString& section, const QString& name, int value);
    void writeBool(const QString& section, const QString& name, bool value);

    // Writes pending changes now. False when the store could not be written (a
    // read-only file or folder, for instance); the values stay pending in memory.
    bool flush();

    // The messages about damaged settings files that the stores of this run found
    // (and kept aside), each handed out once; the window shows them at start-up.
    static std::vector<Message> takeDamageReports();

private:
    void openFile();

    QString resolvedKey(const QString& section, const QString& name) const;

    std::unique_ptr<QSettings> settings_;
    QString location_;
};

// Where the current user's store is when nothing else is asked for.
QString defaultSettingsLocation();

// An integer as the store reads it: optional blanks around, an optional sign, then
// decimal digits, or "$"/"0x" and up to eight hexadecimal digits (taken as a 32-bit
// pattern, so "$FFFFFFFF" is -1). Anything else, or a decimal value out of range,
// yields defaultValue.
int parseStoredInteger(const QString& text, int defaultValue);

// The folder the program's own files live in (button files, titles file, the two
// libraries, help and tutorial), with a trailing separator: $TALLIX32_HOME when set,
// else the per-user data folder (created when missing); never the folder the
// program is installed in (see platform/ProgramFolder.h).
QString programFolder();

// The file to read for path: path itself when it exists or lies outside the
// program folder; else the copy of the same name shipped with the program (beside
// it, or in ../share/tallix32), so the teacher's own copy, once written, comes
// first and the installed defaults serve until then. Writes always go to path.
QString readableFile(const QString& path);

// The path of a file shipped with the program, relativePath being relative to the
// program folder (for example "tutorial/tutor1.htm"): the copy in the program
// folder when there is one, else the installed copy beside or below the program
// file, else the copy built into the program, written out (with the other files
// of its folder) into the program folder. Empty when there is none of these.
QString findShippedFile(const QString& relativePath);

} // namespace tallix
