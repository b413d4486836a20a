#pragma once
// The committed test files under tests/data.
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace tallix::testing {

inline std::string dataPath(const std::string& relative) {
    return std::string(TALLIX_TEST_DATA) + "/" + relative;
}

// The bytes of a data file; a missing file fails the test that asked.
inline std::string dataFile(const std::string& relative) {
    const std::string bytes = TempFolder::read(dataPath(relative));
    if (bytes.empty())
        ADD_FAILURE() << "missing test data: " << relative;
    return bytes;
}

// The word-processor files of tests/data/rtf (see make-rtf.sh there).
inline const char* const WordProcessorFiles[] = {
    "rtf/libreoffice-notes.rtf",
    "rtf/abiword-notes.rtf",
    "rtf/pandoc-notes.rtf",
};

} // namespace tallix::testing
