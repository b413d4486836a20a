// The storage layers under the rich-text buffer: the gap buffer and the line
// partitioning, each against a plain model over many random edits.
#include "document/Partitioning.h"
#include "document/SplitVector.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace tallix;

namespace {

std::u16string contents(const SplitVector<char16_t>& v) {
    std::u16string s;
    v.appendRange(0, v.length(), s);
    return s;
}

SplitVector<char16_t> fromText(std::u16string_view s) {
    SplitVector<char16_t> v;
    v.insertFromArray(0, s.data(), int(s.size()));
    return v;
}

} // namespace

// ------------------------------------------------------------------ gap buffer

TEST(SplitVector, EditsAtBothEndsAndInTheMiddleMatchAPlainString) {
    std::mt19937 rng(2024);
    SplitVector<char16_t> v;
    std::u16string model;
    const std::u16string pieces[] = {u"a", u"bcd", u"\r\n", u"0123456789abcdefghijklmnopqrstuvwxyz",
                                     std::u16string(300, u'z')};
    for (int step = 0; step < 4000; ++step) {
        const int len = int(model.size());
        // Ends are picked on purpose as often as the middle.
        const int where = int(rng() % 3);
        int pos = where == 0 ? 0 : where == 1 ? len : int(rng() % std::uint32_t(len + 1));
        if (rng() % 3 != 0 || len == 0) {
            const std::u16string& p = pieces[rng() % std::size(pieces)];
            if (rng() % 2 == 0) {
                v.insertFromArray(pos, p.data(), int(p.size()));
                model.insert(std::size_t(pos), p);
            } else {
                v.insertValue(pos, int(p.size()), u'#');
                model.insert(std::size_t(pos), p.size(), u'#');
            }
        } else {
            if (where == 1)
                pos = std::max(0, len - 1 - int(rng() % 8)); // a piece off the end
            const int count = std::min(int(rng() % 40), len - pos);
            v.deleteRange(pos, count);
            model.erase(std::size_t(pos), std::size_t(count));
        }
        if (model.size() > 20'000) {
            v.deleteRange(0, 15'000);
            model.erase(0, 15'000);
        }
        ASSERT_TRUE(v.check()) << "step " << step;
        ASSERT_EQ(v.length(), int(model.size())) << "step " << step;
        ASSERT_EQ(contents(v), model) << "step " << step;
        if (!model.empty()) {
            const int at = int(rng() % model.size());
            ASSERT_EQ(v.valueAt(at), model[std::size_t(at)]) << "step " << step;
            ASSERT_EQ(v[at], model[std::size_t(at)]) << "step " << step;
        }
    }
}

TEST(SplitVector, PiecesAroundTheGapJoinToTheRange) {
    SplitVector<char16_t> v = fromText(u"abcdef\r\nghij");
    v.insertFromArray(6, u"X", 1); // the gap now sits right before the CR LF pair
    ASSERT_EQ(v.gapPosition(), 7);
    const std::u16string model = u"abcdefX\r\nghij";
    for (int pos = -2; pos <= int(model.size()) + 2; ++pos)
        for (int count = -1; count <= int(model.size()) + 3; ++count) {
            std::u16string joined;
            int pieces = 0;
            for (std::span<const char16_t> s : v.segments(pos, count)) {
                joined.append(s.begin(), s.end());
                pieces += !s.empty();
            }
            const int from = std::clamp(pos, 0, int(model.size()));
            const int n = std::clamp(count, 0, int(model.size()) - from);
            ASSERT_EQ(joined, model.substr(std::size_t(from), std::size_t(n)))
                << pos << " " << count;
            ASSERT_LE(pieces, 2);
        }
    // Moving the gap across the pair, forward and back, keeps both characters.
    v.insertFromArray(9, u"Y", 1);
    v.deleteRange(6, 1);
    v.insertFromArray(9, u"Z", 1);
    EXPECT_EQ(contents(v), u"abcdef\r\nYZghij");
    EXPECT_TRUE(v.check());
}

TEST(SplitVector, OutOfRangeReadsAreEmptyAndEditsThrowLeavingTheContents) {
    SplitVector<char16_t> v = fromText(u"abc");
    EXPECT_EQ(v.valueAt(-1), u'\0');
    EXPECT_EQ(v.valueAt(3), u'\0');
    EXPECT_THROW(v.insertValue(4, 1, u'x'), std::out_of_range);
    EXPECT_THROW(v.insertValue(-1, 1, u'x'), std::out_of_range);
    EXPECT_THROW(v.insertValue(0, -1, u'x'), std::out_of_range);
    EXPECT_THROW(v.deleteRange(2, 2), std::out_of_range);
    EXPECT_THROW(v.deleteRange(-1, 1), std::out_of_range);
    EXPECT_THROW(v.setValueAt(3, u'x'), std::out_of_range);
    EXPECT_EQ(contents(v), u"abc");
    v.deleteRange(0, 3);
    EXPECT_TRUE(v.empty());
    v.insertValue(0, 2, u'q'); // an emptied vector takes insertions again
    EXPECT_EQ(contents(v), u"qq");
    EXPECT_TRUE(v.check());
}

TEST(SplitVector, RangeAddDeltaSpansTheGap) {
    SplitVector<int> v;
    const std::vector<int> start{0, 10, 20, 30, 40};
    v.assign(start);
    v.insertValue(2, 1, 15); // gap after index 2
    v.rangeAddDelta(1, 4, 100);
    std::vector<int> got;
    v.appendRange(0, v.length(), got);
    EXPECT_EQ(got, (std::vector<int>{0, 110, 115, 120, 130, 40}));
    EXPECT_THROW(v.rangeAddDelta(4, 3, 1), std::out_of_range);
}

// ------------------------------------------------------------------ partitioning

namespace {

// A plain model of the partitioning: the starts and the length, shifted eagerly.
struct StartsModel {
    std::vector<int> starts{0};
    int length = 0;

    void insertText(int p, int delta) {
        for (std::size_t i = std::size_t(p) + 1; i < starts.size(); ++i)
            starts[i] += delta;
        length += delta;
    }
    int partitionOf(int pos) const {
        auto it = std::upper_bound(starts.begin(), starts.end(), pos);
        return std::max(0, int(it - starts.begin()) - 1);
    }
};

::testing::AssertionResult sameAs(const Partitioning& part, const StartsModel& m) {
    if (!part.check())
        return ::testing::AssertionFailure() << "check() failed";
    if (part.partitions() != int(m.starts.size()))
        return ::testing::AssertionFailure()
               << part.partitions() << " partitions, model " << m.starts.size();
    if (part.length() != m.length)
        return ::testing::AssertionFailure() << "length " << part.length() << ", model " << m.length;
    for (int p = 0; p < part.partitions(); ++p)
        if (part.positionFromPartition(p) != m.starts[std::size_t(p)])
            return ::testing::AssertionFailure() << "start of " << p << " is "
                                                 << part.positionFromPartition(p) << ", model "
                                                 << m.starts[std::size_t(p)];
    for (int pos = -1; pos <= m.length + 1; ++pos)
        if (part.partitionFromPosition(pos) != m.partitionOf(pos))
            return ::testing::AssertionFailure() << "position " << pos << " in "
                                                 << part.partitionFromPosition(pos) << ", model "
                                                 << m.partitionOf(pos);
    return ::testing::AssertionSuccess();
}

} // namespace

// Edits as the buffer makes them (text grows or shrinks inside a line; lines are
// split and merged), at places chosen so that the pending step is moved forward,
// a little back and far back.
TEST(Partitioning, LazyStepAgreesWithEagerShiftingOverRandomEdits) {
    std::mt19937 rng(77);
    Partitioning part;
    StartsModel m;
    // Start from 200 lines of 5 positions.
    std::vector<int> starts;
    for (int i = 0; i < 200; ++i)
        starts.push_back(i * 5);
    part.assign(starts, 1000);
    m.starts = starts;
    m.length = 1000;
    ASSERT_TRUE(sameAs(part, m));
    int cursor = 0; // a partition that wanders like an editing caret
    for (int step = 0; step < 3000; ++step) {
        const int lines = part.partitions();
        switch (rng() % 4) {
        case 0: cursor = std::min(lines - 1, cursor + int(rng() % 3)); break;
        case 1: cursor = std::max(0, cursor - int(rng() % (lines / 10 + 2))); break;
        case 2: cursor = int(rng() % std::uint32_t(lines)); break;
        default: break;
        }
        const int lineStart = m.starts[std::size_t(cursor)];
        const int lineEnd = cursor + 1 < lines ? m.starts[std::size_t(cursor) + 1] : m.length;
        switch (rng() % 4) {
        case 0:
        case 1: { // text typed or deleted inside the line
            int delta = int(rng() % 7) - 3;
            delta = std::max(delta, lineStart - lineEnd + (cursor + 1 < lines ? 1 : 0));
            part.insertText(cursor, delta);
            m.insertText(cursor, delta);
            break;
        }
        case 2: { // the line split in two or three by inserted breaks
            const int count = 1 + int(rng() % 2);
            part.insertText(cursor, 2 * count);
            m.insertText(cursor, 2 * count);
            std::vector<int> at;
            for (int k = 0; k < count; ++k)
                at.push_back(lineStart + 1 + 2 * k);
            part.insertPartitions(cursor + 1, at.data(), count);
            m.starts.insert(m.starts.begin() + cursor + 1, at.begin(), at.end());
            break;
        }
        default: { // lines joined to the one before
            if (lines < 3 || cursor == 0)
                break;
            const int count = std::min(1 + int(rng() % 3), lines - cursor);
            part.removePartitions(cursor, count);
            m.starts.erase(m.starts.begin() + cursor, m.starts.begin() + cursor + count);
            cursor = std::min(cursor, part.partitions() - 1);
            break;
        }
        }
        ASSERT_TRUE(sameAs(part, m)) << "step " << step;
    }
}

TEST(Partitioning, OutOfRangeReadsClampAndEditsThrow) {
    Partitioning part;
    part.assign({0, 4, 9}, 12);
    part.insertText(0, 3); // a pending step over partitions 1 and 2
    EXPECT_EQ(part.positionFromPartition(-1), -1);
    EXPECT_EQ(part.positionFromPartition(4), -1);
    EXPECT_EQ(part.positionFromPartition(3), 15); // the length
    EXPECT_EQ(part.partitionFromPosition(-5), 0);
    EXPECT_EQ(part.partitionFromPosition(99), 2);
    EXPECT_EQ(part.partitionFromPosition(7), 1);
    EXPECT_THROW(part.insertText(3, 1), std::out_of_range);
    EXPECT_THROW(part.insertPartition(0, 0), std::out_of_range);
    EXPECT_THROW(part.removePartitions(2, 2), std::out_of_range);
    EXPECT_THROW(part.removePartitions(0, 1), std::out_of_range);
    EXPECT_THROW(part.assign({1, 2}, 3), std::out_of_range);
    EXPECT_EQ(part.partitions(), 3);
    EXPECT_EQ(part.positionFromPartition(2), 12);
    EXPECT_TRUE(part.check());
}
