#pragma once
// Crash recovery: while a document has unsaved changes the window writes it to a
// recovery file now and then; a normal save or close removes the file. After a
// crash the next start finds the file and offers the work back.
//
// A recovery file holds the document state (the essay with its markup, comments,
// feedback, grade) and the file it came from, with that file's size and time as
// they were when the recovery was written. It is written atomically, so a crash
// while writing it leaves the previous one whole. Each running program has its
// own file (named after its process), so two windows never take each other's.
//
// Format: the header lines
//   "TALLIX32 RECOVERY 1" LF
//   "origin=" path LF  "origin-size=" n LF  "origin-time=" n LF
//   "trailer=" n LF  "essay=" n LF  LF
// then n bytes of the trailer (UTF-8, as in a marked file) and n bytes of the
// essay's RTF.
#include "document/MarkedDocument.h"
#include "platform/FileIO.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tallix::recovery {

// The help topic of the question that offers work back, and of its messages.
inline constexpr int HelpContext = 42000;

// The folder recovery files are kept in: "recovery" in the user's program folder.
std::string folder();
// This program's own recovery file in that folder.
std::string ownFile();

// The bytes of a recovery file for the document as it stands. Reads the document
// only (the notes memo must have been committed by the caller).
std::string encode(const MarkedDocument& doc);
// Writes them to path atomically, creating the folder when needed.
fileio::FileResult write(const MarkedDocument& doc, const std::string& path);

struct Found {
    std::string path;      // the recovery file
    std::string origin;    // the marked file the work came from; empty when untitled
};
// Recovery files left by programs that are no longer running, newest first.
std::vector<Found> leftBehind();

struct Restored {
    bool ok = false;
    std::u16string error;  // what went wrong, in words, when !ok
    bool originUnchanged = false;
};
// Replaces the document with the recovered work: marked changed, and untitled
// unless the file it came from is unchanged since the recovery was written. On
// failure the document is left as it was.
Restored restore(MarkedDocument& doc, const std::string& path);

// Removes a recovery file; a missing one is no failure.
void discard(const std::string& path);

} // namespace tallix::recovery
