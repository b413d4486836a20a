#pragma once
// Whole-file reading and atomic whole-file writing.
#include <string>
#include <string_view>

namespace tallix::fileio {

struct FileResult {
    bool ok = false;
    std::string error; // the file system's reason, in words, when !ok
};

// Reads the whole file at path (UTF-8 file name) into out. Fails for a missing
// file, a folder, or a file that cannot be opened or read.
FileResult readFile(const std::string& path, std::string& out);

// Writes data as the whole content of path: into a temporary file in the same
// folder, flushed, then renamed over the target. A symbolic link is followed (the
// file it points to is replaced) and an existing target's permissions are kept.
// On failure the old file is left whole and no temporary file remains.
FileResult writeFileAtomic(const std::string& path, std::string_view data);

// Keeps a damaged file out of the way instead of writing over it: renames path to
// path + ".bad" (or path + ".2.bad", ".3.bad" ... when that is taken, so that an
// earlier damaged copy is never lost) and gives the new path in setAsidePath.
FileResult setAside(const std::string& path, std::string& setAsidePath);

} // namespace tallix::fileio
