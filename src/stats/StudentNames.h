#pragma once
// Who wrote a file, as far as its name or folder tells.
//
// Course sites' bulk downloads name each student's file "Name_id_..._file"
// ("smithjane_1001_2001_essay1.tlx", "Jane Smith_12345_assignsubmission_file_essay.docx"):
// the student is the part before the first "_". A file name without "_" names its
// student whole, less the extension. When a teacher keeps one folder per student,
// the folder is the student.
#include <string>

namespace tallix::stats {

// The student's name from a path's file name (UTF-8 in and out). Never empty for a
// path with a file name: a name that starts with "_" is taken less its extension,
// and one with nothing before its extension (".tlx") whole.
std::string studentFromFileName(const std::string& path);

// The student's name from the folder that holds the file ("class/jane/essay1.tlx"
// gives "jane"); the file-name rule where the path has no folder.
std::string studentFromFolder(const std::string& path);

}  // namespace tallix::stats
