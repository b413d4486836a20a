#pragma once
// Whole-file reading and atomic whole-file writing.
#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

namespace tallix::fileio {

struct FileResult {
    bool ok = false;
    std::string error;     // the file system's reason, in words, when !ok
    bool missing = false;  // !ok because nothing by that name exists
    bool tooLarge = false; // !ok because the file holds more than the reader's limit
};

inline constexpr std::size_t NoLimit = std::numeric_limits<std::size_t>::max();

// Reads the whole file at path (UTF-8 file name) into out. Fails for a missing
// file, a folder, or a file that cannot be opened or read, and (tooLarge) for a
// file of more than limit bytes, found by its size before anything is read.
FileResult readFile(const std::string& path, std::string& out, std::size_t limit = NoLimit);

// Reads the first count bytes of the file (fewer when it is shorter), with the
// same refusals as readFile; limit applies to the file's whole size.
FileResult readFileHead(const std::string& path, std::string& out, std::size_t count,
                        std::size_t limit = NoLimit);

// True when both paths exist and name one file: the same spelling or another one
// ("./a", "../dir/a"), a symbolic link to it or a hard link of it.
bool sameFile(const std::string& a, const std::string& b);

// Writes data as the whole content of path: into a temporary file in the same
// folder, flushed, then renamed over the target. A symbolic link is followed (the
// file it points to is replaced) and an existing target's permissions are kept.
// On failure the old file is left whole and no temporary file remains.
FileResult writeFileAtomic(const std::string& path, std::string_view data);

// Keeps a damaged file out of the way instead of writing over it: renames path to
// path + ".bad" (or path + ".2.bad", ".3.bad" ... when that is taken, so that an
// earlier damaged copy is never lost) and gives the new path in setAsidePath.
FileResult setAside(const std::string& path, std::string& setAsidePath);
// The help topic of the messages that tell of a file kept aside (or left as it
// was because it could not be).
inline constexpr int SetAsideHelpContext = 42200;

} // namespace tallix::fileio
