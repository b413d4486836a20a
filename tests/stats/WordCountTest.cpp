#include "stats/WordCount.h"

#include <gtest/gtest.h>

using namespace tallix::stats;

TEST(CountWords, SeparatorsAndLineBreaks) {
    EXPECT_EQ(countWords(u"one two three"), 3);
    EXPECT_EQ(countWords(u"one  two"), 2);
    EXPECT_EQ(countWords(u"one\ttwo\rthree"), 3);
    EXPECT_EQ(countWords(u"a\r\nb"), 2);
    // The line feed is not a separator: an empty line ends two runs.
    EXPECT_EQ(countWords(u"a\r\n\r\nb"), 3);
    // A leading separator counts one word more.
    EXPECT_EQ(countWords(u" one two"), 3);
    EXPECT_EQ(countWords(u"x"), 1);
}

TEST(CountWords, NothingAtTheEndAddsAWordAndEmptyTextsHaveNone) {
    EXPECT_EQ(countWords(u"one two "), 2);
    EXPECT_EQ(countWords(u"one two  "), 2);
    EXPECT_EQ(countWords(u"one two\r\n"), 2);
    EXPECT_EQ(countWords(u"one two \r\n\r\n\t"), 2);
    EXPECT_EQ(countWords(u""), 0);
    EXPECT_EQ(countWords(u"   "), 0);
    EXPECT_EQ(countWords(u"\r\n\r\n"), 0);
}

TEST(WordCountReport, HeadingsTotalsAndAverage) {
    EXPECT_EQ(wordCountReport(u"one two three", false),
              u"In complete text: \r\n\r\nTotal words: 3\r\nTotal characters: 13\r\n"
              u"Average word length: 3");
    EXPECT_EQ(wordCountReport(u"a\r\nb", true),
              u"In selected text:\r\n\r\nTotal words: 2\r\nTotal characters: 4\r\n"
              u"Average word length: 1");
    EXPECT_EQ(wordCountReport(u"", false),
              u"In complete text: \r\n\r\nTotal words: 0\r\nTotal characters: 0\r\n"
              u"Average word length: 0");
    // (11 - 2) / 2 drops the fraction.
    EXPECT_TRUE(wordCountReport(u"abcde abcde", true)
                    .ends_with(u"Total characters: 11\r\nAverage word length: 4"));
}
