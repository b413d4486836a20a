#pragma once
// Whole-file reading and atomic whole-file writing.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

// One file of a set written together.
struct FileData {
    std::string path;
    std::string_view data;
};

struct FileSetResult {
    bool ok = false;
    std::string error;     // the file system's reason, in words, when !ok
    std::size_t failed = 0; // when !ok: the index of the file that could not be written
    bool untouched = true;  // when !ok: every file of the set is as it was before
};

// Writes a set of files all or nothing (the pages of one export). Every file is
// written to a temporary file beside its target first; the set is flushed to disk
// at once after all writes; only then are the temporaries renamed into place
// (the last file first, so that the first, the one a reader opens, is the last to
// change), and each folder is flushed once. On any failure the new temporaries
// are removed and every file that was there is as it was: a file already replaced
// is put back from a link kept to its old content, a file that was new is
// removed. Targets are checked as writeFileAtomic checks them.
FileSetResult writeFileSetAtomic(const std::vector<FileData>& files);

// Keeps a damaged file out of the way instead of writing over it: renames path to
// path + ".bad" (or path + ".2.bad", ".3.bad" ... when that is taken, so that an
// earlier damaged copy is never lost) and gives the new path in setAsidePath.
FileResult setAside(const std::string& path, std::string& setAsidePath);

} // namespace tallix::fileio
