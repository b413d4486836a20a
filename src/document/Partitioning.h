#pragma once
// Partitioning: consecutive partitions (here the buffer's lines) over the positions
// [0, length], kept as the start of each partition in a gap buffer.
//
// Partition p covers [start(p), start(p + 1)); start(0) is 0 and start(partitions())
// is the total length, kept as a last entry. An edit shifts every later start, and
// doing that at once would cost the number of lines after the edit. Instead the
// shift is recorded as a pending step: the stored starts after stepPartition_ lack
// stepLength_, which reading adds. The next edit moves the step to its own
// partition, touching only the starts in between, so edits near each other (or
// walking through the document) cost about the same however many lines follow.
//
// Out of range: reads give -1 (positionFromPartition) or clamp (partitionFromPosition);
// edits throw std::out_of_range.
//
// Invariants (check() verifies them): at least one partition; start(0) == 0; starts
// never decrease; 0 <= stepPartition_ <= partitions().
#include "document/SplitVector.h"

#include <stdexcept>
#include <vector>

namespace tallix {

class Partitioning {
public:
    Partitioning() { assign({0}, 0); }

    int partitions() const { return body_.length() - 1; }
    int length() const { return positionFromPartition(partitions()); }

    // The start of partition p, for p in [0, partitions()] (the last giving the
    // length); -1 out of range.
    int positionFromPartition(int p) const {
        if (p < 0 || p > partitions())
            return -1;
        return body_[p] + (p > stepPartition_ ? stepLength_ : 0);
    }

    // The partition holding pos: the last one starting at or before it. A position
    // below 0 gives partition 0, one at or past the length the last partition.
    int partitionFromPosition(int pos) const {
        if (pos >= length())
            return partitions() - 1;
        int lower = 0;
        int upper = partitions(); // start(upper) > pos
        while (upper - lower > 1) {
            const int middle = lower + (upper - lower) / 2;
            if (positionFromPartition(middle) <= pos)
                lower = middle;
            else
                upper = middle;
        }
        return lower;
    }

    // Shifts the start of every partition after p, and the length, by delta.
    // Throws unless 0 <= p < partitions().
    void insertText(int p, int delta) {
        if (p < 0 || p >= partitions())
            throw std::out_of_range("Partitioning: no such partition");
        if (delta == 0)
            return;
        if (stepLength_ != 0) {
            if (p >= stepPartition_) {
                applyStep(p);
            } else if (p >= stepPartition_ - partitions() / 10) {
                backStep(p);
            } else {
                applyStep(partitions());
                stepPartition_ = p;
            }
            stepLength_ += delta;
        } else {
            stepPartition_ = p;
            stepLength_ = delta;
        }
    }

    // Makes count new partitions p, p + 1, ... starting at the ascending positions
    // given, which must lie between start(p - 1) and start(p). Throws unless
    // 1 <= p <= partitions() and count >= 0.
    void insertPartitions(int p, const int* starts, int count) {
        if (p < 1 || p > partitions() || count < 0)
            throw std::out_of_range("Partitioning: insertion outside the partitions");
        if (stepPartition_ < p)
            applyStep(p);
        body_.insertFromArray(p, starts, count);
        stepPartition_ += count;
    }
    void insertPartition(int p, int start) { insertPartitions(p, &start, 1); }

    // Removes partitions p .. p + count - 1; their positions join partition p - 1.
    // Throws unless 1 <= p and p + count <= partitions().
    void removePartitions(int p, int count) {
        if (p < 1 || count < 0 || p + count > partitions())
            throw std::out_of_range("Partitioning: removal outside the partitions");
        if (count == 0)
            return;
        if (p + count - 1 > stepPartition_)
            applyStep(p + count - 1);
        stepPartition_ -= count;
        body_.deleteRange(p, count);
    }

    // Replaces everything: starts must begin with 0 and ascend, length be at least
    // the last of them. Throws otherwise.
    void assign(const std::vector<int>& starts, int totalLength) {
        if (starts.empty() || starts.front() != 0 || starts.back() > totalLength)
            throw std::out_of_range("Partitioning: starts outside the length");
        std::vector<int> all = starts;
        all.push_back(totalLength);
        body_.assign(all);
        stepPartition_ = 0;
        stepLength_ = 0;
    }

    bool check() const {
        if (!body_.check() || body_.length() < 2 || positionFromPartition(0) != 0)
            return false;
        if (stepPartition_ < 0 || stepPartition_ > partitions())
            return false;
        for (int p = 1; p <= partitions(); ++p)
            if (positionFromPartition(p) < positionFromPartition(p - 1))
                return false;
        return true;
    }

private:
    // Adds the pending step to the stored starts up to upTo, which become exact.
    void applyStep(int upTo) {
        if (stepLength_ != 0 && upTo > stepPartition_)
            body_.rangeAddDelta(stepPartition_ + 1, upTo - stepPartition_, stepLength_);
        stepPartition_ = upTo;
        if (stepPartition_ >= partitions()) {
            stepPartition_ = partitions();
            stepLength_ = 0;
        }
    }
    // Takes the pending step back off the stored starts after downTo, so that it
    // applies from there on.
    void backStep(int downTo) {
        if (stepLength_ != 0)
            body_.rangeAddDelta(downTo + 1, stepPartition_ - downTo, -stepLength_);
        stepPartition_ = downTo;
    }

    SplitVector<int> body_;
    int stepPartition_ = 0; // stored starts after this one lack stepLength_
    int stepLength_ = 0;
};

} // namespace tallix
