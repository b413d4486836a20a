#include "stats/WordCount.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

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

TEST(CountWords, LongTextsCountAsTheRuleSaysAtEveryLength) {
    // The rule read straight from its statement, against the count on texts of
    // every length up to a few hundred characters and on long ones, so that the
    // ends of the eight-at-a-time loop are crossed at every offset.
    const auto byTheRule = [](std::u16string_view t) {
        const auto sep = [](char16_t c) { return c == u'\t' || c == u'\r' || c == u' '; };
        int words = 1, pending = 0;
        bool any = false;
        for (std::size_t k = 0; k < t.size(); ++k) {
            if (sep(t[k])) {
                if (k == 0 || !sep(t[k - 1]))
                    ++pending;
            } else if (t[k] != u'\n') {
                words += pending;
                pending = 0;
                any = true;
            }
        }
        return any ? words : 0;
    };
    const std::u16string alphabet = u"a  \t\r\n\u00e9x";
    std::mt19937 random(3);
    for (std::size_t length = 0; length < 400; ++length) {
        for (int round = 0; round < 4; ++round) {
            std::u16string t;
            for (std::size_t i = 0; i < length; ++i)
                t.push_back(alphabet[random() % alphabet.size()]);
            ASSERT_EQ(countWords(t), byTheRule(t)) << "length " << length;
        }
    }
    std::u16string longText;
    for (int i = 0; i < 200000; ++i)
        longText.push_back(alphabet[random() % alphabet.size()]);
    EXPECT_EQ(countWords(longText), byTheRule(longText));
    // More runs than a lane can count before it is taken out.
    std::u16string manyRuns;
    for (int i = 0; i < 150000; ++i)
        manyRuns += u"a ";
    EXPECT_EQ(countWords(manyRuns), 150000);
}
