#pragma once
// SplitVector: a gap buffer, the storage layer under the rich-text buffer.
//
// The elements are kept in one array with a gap of unused slots at the place of
// the last edit: [0, part1) hold elements 0..part1-1, then the gap, then the rest.
// An edit first moves the gap to its position, which costs the distance from the
// previous edit, not the length of what follows; edits that walk through a
// document front to back or stay in one place therefore cost about the same in a
// long document as in a short one.
//
// Positions are element indexes in [0, length()]. Reads out of range give T{};
// edits out of range throw std::out_of_range (they are faults of the caller and
// would otherwise corrupt the contents).
//
// Invariants (check() verifies them): 0 <= part1 <= length; part1 + gap + the
// elements after the gap fill the array exactly.
#include <algorithm>
#include <array>
#include <span>
#include <stdexcept>
#include <vector>

namespace tallix {

template <typename T> class SplitVector {
public:
    // Elements held, not counting the gap.
    int length() const { return int(body_.size()) - gap_; }
    bool empty() const { return length() == 0; }

    // The element at pos; T{} out of [0, length).
    T valueAt(int pos) const {
        if (pos < 0 || pos >= length())
            return T{};
        return pos < part1_ ? body_[std::size_t(pos)] : body_[std::size_t(pos + gap_)];
    }
    // The element at pos, which must lie in [0, length) (unchecked, for loops that
    // already know their range).
    const T& operator[](int pos) const {
        return pos < part1_ ? body_[std::size_t(pos)] : body_[std::size_t(pos + gap_)];
    }
    // Overwrites the element at pos; throws out of [0, length).
    void setValueAt(int pos, const T& v) {
        requireRange(pos, 1);
        (pos < part1_ ? body_[std::size_t(pos)] : body_[std::size_t(pos + gap_)]) = v;
    }

    // Inserts count copies of v before position pos; throws when pos is outside
    // [0, length] or count is negative.
    void insertValue(int pos, int count, const T& v) {
        requireInsert(pos, count);
        if (count == 0)
            return;
        prepareInsert(pos, count);
        std::fill_n(body_.begin() + part1_, count, v);
        part1_ += count;
        gap_ -= count;
    }
    // Inserts the count elements at s before position pos; throws as insertValue.
    void insertFromArray(int pos, const T* s, int count) {
        requireInsert(pos, count);
        if (count == 0)
            return;
        prepareInsert(pos, count);
        std::copy_n(s, count, body_.begin() + part1_);
        part1_ += count;
        gap_ -= count;
    }
    // Removes [pos, pos + count); throws when the range is not inside [0, length].
    void deleteRange(int pos, int count) {
        requireRange(pos, count);
        if (count == 0)
            return;
        if (pos == 0 && count == length()) {
            clear();
            return;
        }
        gapTo(pos);
        gap_ += count;
    }
    // Replaces the whole contents; the gap goes to the end.
    template <typename Range> void assign(const Range& r) {
        body_.assign(std::begin(r), std::end(r));
        part1_ = int(body_.size());
        gap_ = 0;
    }
    void clear() {
        body_.clear();
        part1_ = 0;
        gap_ = 0;
    }

    // Adds delta to each of the count elements from pos (for arithmetic T); throws
    // when the range is not inside [0, length].
    void rangeAddDelta(int pos, int count, T delta) {
        requireRange(pos, count);
        int i = pos;
        const int end = pos + count;
        for (; i < std::min(end, part1_); ++i)
            body_[std::size_t(i)] += delta;
        for (; i < end; ++i)
            body_[std::size_t(i + gap_)] += delta;
    }

    // The range [pos, pos + count), clamped to [0, length], as at most two
    // contiguous pieces in order (the second empty when the gap is not inside).
    std::array<std::span<const T>, 2> segments(int pos, int count) const {
        pos = std::clamp(pos, 0, length());
        const int end = pos + std::clamp(count, 0, length() - pos);
        const T* p = body_.data();
        std::array<std::span<const T>, 2> out{};
        if (end <= part1_) {
            out[0] = std::span<const T>(p + pos, std::size_t(end - pos));
        } else if (pos >= part1_) {
            out[0] = std::span<const T>(p + pos + gap_, std::size_t(end - pos));
        } else {
            out[0] = std::span<const T>(p + pos, std::size_t(part1_ - pos));
            out[1] = std::span<const T>(p + part1_ + gap_, std::size_t(end - part1_));
        }
        return out;
    }
    // Appends the range [pos, pos + count), clamped like segments(), to out.
    template <typename Container> void appendRange(int pos, int count, Container& out) const {
        for (std::span<const T> s : segments(pos, count))
            out.insert(out.end(), s.begin(), s.end());
    }

    // Where the gap starts and how long it is; for tests.
    int gapPosition() const { return part1_; }
    int gapLength() const { return gap_; }

    bool check() const {
        return part1_ >= 0 && gap_ >= 0 && part1_ + gap_ <= int(body_.size());
    }

private:
    void requireRange(int pos, int count) const {
        if (pos < 0 || count < 0 || pos > length() - count)
            throw std::out_of_range("SplitVector: range outside the contents");
    }
    void requireInsert(int pos, int count) const {
        if (pos < 0 || pos > length() || count < 0)
            throw std::out_of_range("SplitVector: insertion outside the contents");
    }
    // Moves the gap so that it starts at pos, moving only the elements between.
    void gapTo(int pos) {
        if (pos == part1_)
            return;
        if (gap_ > 0) {
            auto b = body_.begin();
            if (pos < part1_)
                std::move_backward(b + pos, b + part1_, b + part1_ + gap_);
            else
                std::move(b + part1_ + gap_, b + pos + gap_, b + part1_);
        }
        part1_ = pos;
    }
    // Moves the gap to pos and makes it at least count long. The array grows by a
    // share of its length so that a run of insertions costs amortised O(1) each.
    void prepareInsert(int pos, int count) {
        if (gap_ < count) {
            gapTo(length());
            const std::size_t grow =
                std::max<std::size_t>(std::size_t(count - gap_) + body_.size() / 8, 64);
            body_.resize(body_.size() + grow);
            gap_ += int(grow);
        }
        gapTo(pos);
    }

    std::vector<T> body_;
    int part1_ = 0; // elements before the gap
    int gap_ = 0;   // unused slots
};

} // namespace tallix
