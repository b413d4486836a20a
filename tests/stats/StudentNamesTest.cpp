#include "stats/StudentNames.h"

#include <gtest/gtest.h>

using tallix::stats::studentFromFileName;
using tallix::stats::studentFromFolder;

TEST(StudentNames, BulkDownloadNamesGiveThePartBeforeTheFirstUnderscore) {
    EXPECT_EQ(studentFromFileName("class/smithjane_1001_2001_essay1.tlx"), "smithjane");
    EXPECT_EQ(studentFromFileName("Jane Smith_12345_assignsubmission_file_essay.docx"),
              "Jane Smith");
    EXPECT_EQ(studentFromFileName("C:\\marks\\lee_7_essay.rtf"), "lee");
    // UTF-8 names pass through whole.
    EXPECT_EQ(studentFromFileName("/k/Zoë Müller_9_a.tlx"), "Zoë Müller");
}

TEST(StudentNames, OtherNamesGiveTheFileNameLessItsExtension) {
    EXPECT_EQ(studentFromFileName("/k/jane.tlx"), "jane");
    EXPECT_EQ(studentFromFileName("jane.smith.tlx"), "jane.smith");
    EXPECT_EQ(studentFromFileName("README"), "README");
    // Nothing before the "_" or the dot: never an empty name.
    EXPECT_EQ(studentFromFileName("/k/_draft.tlx"), "_draft");
    EXPECT_EQ(studentFromFileName("/k/.tlx"), ".tlx");
    EXPECT_EQ(studentFromFileName("/k/"), "");
}

TEST(StudentNames, OneFolderPerStudent) {
    EXPECT_EQ(studentFromFolder("class/jane/essay1.tlx"), "jane");
    EXPECT_EQ(studentFromFolder("class/jane//essay1.tlx"), "jane");
    EXPECT_EQ(studentFromFolder("D:\\class\\ali\\e.tlx"), "ali");
    EXPECT_EQ(studentFromFolder("lee_3_e.tlx"), "lee");
    EXPECT_EQ(studentFromFolder("/e_1.tlx"), "e");
}
