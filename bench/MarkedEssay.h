#pragma once
// Deterministic generator of large marked essays for the benchmarks: paragraphs of
// black text with annotated spans and their labels, commented spans with numbered
// markers, and document bookmarks, all formatted as the marking window makes them.
#include "document/RichContent.h"

#include <cstddef>

namespace tallix::bench {

struct EssayShape {
    std::size_t targetChars = 100'000; // approximate length of the text
    int comments = -1;                 // markers to place; -1: one per ~2 KB
    unsigned seed = 42;
};

RichContent makeMarkedEssay(const EssayShape& shape);

} // namespace tallix::bench
