#pragma once
// Importing an essay that is not yet marked into a marked file of its own, chosen
// by what the file holds (RTF, a Word or OpenDocument file, text), not by its name.
// The command line's --import and the class queue's first opening of an essay go
// through here, so both write the same marked file from the same essay.
#include "document/MarkedDocument.h"

#include <string>

namespace tallix {

// Which import an essay's content asks for: RTF when its first bytes are RTF,
// else text (the reader then tells Word and OpenDocument files by their content).
// The kind decides the wording of a failure.
ImportKind importKindOf(const std::string& essay);

struct MarkedImportOutcome {
    FileOutcome outcome;
    // True when the essay could not be read (false: it was read, and writing the
    // marked file failed).
    bool readFailed = false;
};

// Imports the essay exactly as the Import command does and saves it as the marked
// file at marked. The essay is only read. Nothing is written when it cannot be read.
MarkedImportOutcome importToMarkedFile(const std::string& essay, const std::string& marked);

// The marked file to import an essay into, beside it: its name with ".tlx" for
// its extension ("jane.docx" gives "jane.tlx"), or, while that name is taken,
// "jane (2).tlx", "jane (3).tlx", ... Empty when no free name is found.
std::string freeMarkedFileName(const std::string& essay);

} // namespace tallix
