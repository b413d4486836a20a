#pragma once
// Whole-file reading and atomic whole-file writing.
#include <cstddef>
#include <limits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tallix::fileio {

struct FileResult {
    bool ok = false;
    std::string error;     // the file system's reason, in words, when !ok
    bool missing = false;  // !ok because nothing by that name exists
    bool tooLarge = false; // !ok because the file holds more than the reader's limit
    // After a read: the file's modification time in whole seconds since the epoch
    // (0 when the system does not tell).
    std::int64_t modified = 0;
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
// The help topic of the messages that tell of a file kept aside (or left as it
// was because it could not be).
inline constexpr int SetAsideHelpContext = 42200;

// The one full name of the file at path: absolute, with "." and ".." steps and
// symbolic links resolved (as far as the path exists; the rest is kept as
// written, tidied). Every spelling of one file gives the same name.
std::string canonicalPath(const std::string& path);

// What a file held when the program last read or wrote it, so that a later look
// tells whether something else has written it since.
struct FileStamp {
    bool known = false;
    std::uint64_t size = 0;
    std::uint64_t hash = 0; // of the bytes
};
// The stamp of bytes just read from or written to a file.
FileStamp stampOf(std::string_view bytes);
// Whether the file at path now holds other bytes than those of stamp. The content
// decides, not the modification time: a rewrite within the file system's time
// resolution is caught, and a file touched or written back unchanged is not
// taken for a change. False for an unknown stamp and for a file that no longer
// exists; true for a file that exists but cannot be read.
bool changedSince(const std::string& path, const FileStamp& stamp);

} // namespace tallix::fileio
