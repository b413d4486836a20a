#pragma once
// Where the program keeps the files a teacher changes: the button files, the
// titles file and the two libraries. Never the folder the program is installed in
// (that may be read-only, or shared by every user of the machine).
#include <string>

namespace tallix {

// $TALLIX32_HOME when it is set; else the per-user data folder "Tallix32" (under
// $XDG_DATA_HOME or ~/.local/share on Linux and other Unix systems,
// %LOCALAPPDATA% on Windows, ~/Library/Application Support on macOS). UTF-8,
// with a trailing separator; the folder is not created here.
std::string userProgramFolder();

} // namespace tallix
