#pragma once
// The round-trip property of our RTF: whatever a read gives, writing it and
// reading it again gives exactly the same text, runs and paragraph formats.
#include "document/RichTextBuffer.h"
#include "document/RtfReader.h"
#include "document/RtfWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace tallix::testing {

inline void expectSameContent(const RichContent& got, const RichContent& want, const std::string& what) {
    EXPECT_TRUE(got.text == want.text) << what << ": text differs";
    ASSERT_EQ(got.runs.size(), want.runs.size()) << what;
    for (std::size_t i = 0; i < want.runs.size(); ++i) {
        EXPECT_EQ(got.runs[i].length, want.runs[i].length) << what << ": run " << i;
        EXPECT_TRUE(got.runs[i].format == want.runs[i].format) << what << ": format of run " << i;
    }
    EXPECT_TRUE(got.paragraphs == want.paragraphs) << what << ": paragraph formats differ";
}

// Checks the property for what a read gave, through the writer alone and through
// a buffer as saving and loading a document does.
inline void expectStableRoundTrip(const RichContent& read, const std::string& what) {
    const std::string rtf = writeRtf(read);
    RichContent again;
    ASSERT_TRUE(readRtf(rtf, again).ok) << what;
    expectSameContent(again, read, what + " (written and read again)");

    RichTextBuffer buffer;
    buffer.assign(read);
    RichTextBuffer copy;
    ASSERT_TRUE(copy.loadFromBytes(buffer.saveRtf()).ok) << what;
    EXPECT_TRUE(copy.text() == buffer.text()) << what << " (saved and loaded by a buffer)";
    expectSameContent(copy.content(), buffer.content(), what + " (saved and loaded by a buffer)");
}

// The same for the bytes of an RTF file: read, then the property.
inline void expectStableFile(const std::string& bytes, const std::string& what) {
    RichContent first;
    ASSERT_TRUE(readRtf(bytes, first).ok) << what;
    expectStableRoundTrip(first, what);
}

} // namespace tallix::testing
