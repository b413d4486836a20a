#pragma once
// The class queue: the essays of one class in the order of their students, where
// each stands (not started, in progress, graded, or not to be opened), its error
// count, and which one is open.
//
// A queue is made from a folder (every marked file in it, and every essay not
// yet imported: RTF, Word, OpenDocument, text and PDF files) or from a list of
// files. Making it only lists names; nothing is read until a row is looked at
// (scan) or opened, so a folder of hundreds of essays lists at once.
//
// An essay is listed once: when a marked file was imported from it (the queue
// remembers which), or when a marked file of the same name stands beside it
// ("jane.docx" and "jane.tlx"), the row is that marked file. An essay is imported
// on its first opening into a marked file beside it; the essay itself is never
// changed. A row that cannot be opened (a damaged file, or a kind of file this
// version cannot import) stays in the list, shown as such, and moving to the next
// or previous essay passes over it.
//
// The queue is plain data: the window shows it, opens its files through the
// ordinary open path and keeps its memory (the open row, the imports) in the
// settings store, one section per folder.
#include "annotations/AnnotationSet.h"
#include "document/MarkedDocument.h"

#include <string>
#include <utility>
#include <vector>

namespace tallix::classqueue {

enum class EssayState {
    Unknown,       // not looked at yet
    NotStarted,    // not imported yet, or marked with nothing
    InProgress,    // marks, comments or feedback, but no grade
    Graded,        // it has a grade
    Damaged,       // the file cannot be read
    NotImportable, // a kind of file this version cannot import
};

// "…", "not started", "in progress", "graded", "damaged", "cannot be imported".
std::u16string stateText(EssayState s);

struct QueueEntry {
    std::string essay;  // the essay it comes from, when not imported (or imported here)
    std::string marked; // the marked file; empty until the essay is imported
    std::string student;
    EssayState state = EssayState::Unknown;
    int errors = -1;        // error labels counted; -1 while not known
    std::u16string problem; // why it cannot be opened

    // The file the row stands for: the marked file when there is one.
    const std::string& file() const { return marked.empty() ? essay : marked; }
    bool imported() const { return !marked.empty(); }
    bool openable() const {
        return state != EssayState::Damaged && state != EssayState::NotImportable;
    }
};

// What the queue of one folder remembers from one session to the next: the row
// that was open, and the marked file each essay was imported into.
struct QueueMemory {
    std::string current;
    std::vector<std::pair<std::string, std::string>> imported; // essay, marked file
};

// The status of an open or scanned document.
struct EssayStatus {
    EssayState state = EssayState::NotStarted;
    int errors = 0;
};
// Graded when the grade is filled in (not empty and not the new document's "??%");
// in progress when it has an annotation, a comment, feedback or a grade of any
// kind; else not started. errors: the error labels of set in the essay.
EssayStatus statusOf(MarkedDocument& doc, const AnnotationSet& set);

// Whether a file name is one the queue lists (by its extension: .tlx, .rtf,
// .docx, .odt, .txt, .pdf, in any case). Hidden files and office lock files
// ("~$...") are not.
bool listedFileName(const std::string& name);

class ClassQueue {
public:
    ClassQueue() = default;
    // The queue of a folder. False (error set, the queue empty) when the folder
    // cannot be listed.
    bool listFolder(const std::string& folder, const QueueMemory& memory, std::string& error);
    // The queue of the given files (marked files and essays), wherever they are.
    // Files that are not there are listed as damaged.
    void listFiles(const std::vector<std::string>& files, const QueueMemory& memory);

    // What the queue is remembered by: the folder, or the list of files.
    const std::string& key() const { return key_; }
    // The folder's name, or "N files".
    std::u16string title() const;
    bool empty() const { return entries_.empty(); }
    int size() const { return int(entries_.size()); }
    const QueueEntry& entry(int i) const { return entries_[std::size_t(i)]; }
    const std::vector<QueueEntry>& entries() const { return entries_; }

    // The row that is open, or -1.
    int position() const { return position_; }
    void setPosition(int i) { position_ = (i >= 0 && i < size()) ? i : -1; }
    // The row of a file (its marked file or its essay, in any spelling), or -1.
    int find(const std::string& path) const;

    // The nearest row after (step 1) or before (step -1) the open one that can be
    // opened; from the top (or the bottom) when none is open. -1 when none.
    int neighbour(int step) const { return neighbourOf(position_, step); }
    // The same from row from (-1: from the top or the bottom).
    int neighbourOf(int from, int step) const;
    // The first row that can be opened, starting at the remembered one.
    int startRow() const;

    // Reads row i's file to learn its state and error count (a damaged file is
    // marked as such). Nothing is written.
    void scan(int i, const AnnotationSet& set);
    // Rows not scanned yet, in order.
    int nextUnscanned(int from = 0) const;
    void setStatus(int i, EssayStatus s);
    void setProblem(int i, EssayState s, std::u16string problem);
    void setMarked(int i, std::string marked);

    int gradedCount() const;
    // "12 of 28 graded".
    std::u16string progressText() const;
    // The marked files of the queue, in its order (for the class statistics).
    std::vector<std::string> markedFiles() const;
    // What to remember of the queue now.
    QueueMemory memory() const;

    // The keys a folder's queue and a list's queue are remembered by (what key()
    // gives once listed).
    static std::string folderKey(const std::string& folder);
    static std::string filesKey(const std::vector<std::string>& files);
    // The name of the settings section that holds the memory of the queue key.
    static std::string memorySection(const std::string& key);

private:
    void build(std::vector<std::string> markedFiles, std::vector<std::string> essays,
               const QueueMemory& memory, const std::vector<std::string>& missing);

    std::string key_;
    std::u16string title_;
    std::vector<QueueEntry> entries_;
    int position_ = -1;
    int remembered_ = -1;
};

} // namespace tallix::classqueue
