#pragma once
// Opening a file with the program the desktop associates with it (exported pages,
// the tutorial), and starting the character map.
//
// On Linux and other X11/Wayland desktops the file is given to xdg-open, run as a
// process whose exit status is waited for (a bounded time) and checked: a file type
// with no program registered for it is then reported instead of passing silently.
// On Windows and macOS the desktop's own opener is asked.
#include <QString>

#include <optional>

namespace tallix {

// The two failure texts. The first (no such file) has two blanks before the quoted
// name; the second holds the system's reason and then the name.
QString launchMissingFileMessage(const QString& fileName);
QString launchFailedMessage(const QString& systemMessage, const QString& fileName);

// Opens fileName with its associated program. Returns nothing when it was opened;
// otherwise the text to show the user (callers give it to the application's error
// report): the first text when no file exists under that name, the second when no
// program could open it.
std::optional<QString> LaunchFile(const QString& fileName);

// The Windows folder (no trailing separator): the system's on Windows; elsewhere
// $WINDIR, or C:\Windows.
QString windowsFolder();

// Starts a character map. On Windows, the Windows folder's charmap.exe through
// LaunchFile. Elsewhere the first of gucharmap, kcharselect and gnome-characters
// found on the PATH, started on its own; when there is none, the failure is
// LaunchFile's first text for the Windows folder's charmap.exe. Returns the failure
// text, as LaunchFile does.
std::optional<QString> launchCharacterMap();

} // namespace tallix
