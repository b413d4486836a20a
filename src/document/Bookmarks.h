#pragma once
// The names of the document bookmarks and the captions of the Bookmarks menu.
//
// A bookmark is a silver "[*BM*]" in the essay; names[k] names the k-th of them
// in document order. Bookmarks live only while a document is open: a new document
// or a load starts without any, and saving leaves the marks out of the file.
#include <array>
#include <string>

namespace tallix {

struct Bookmarks {
    static constexpr int Limit = 10;

    // Entries 1..Limit are used (entry 0 is not); entries above count are unused.
    std::array<std::u16string, Limit + 1> names;
    int count = 0;

    void clear() {
        names.fill(std::u16string());
        count = 0;
    }

    // The caption of the k-th item of the Bookmarks menu (1 <= k <= Limit):
    // "&k: name". An "&" in the name is doubled, so the menu shows it as typed.
    std::u16string caption(int k) const;
    // Whether the k-th item of the menu is shown.
    bool visible(int k) const { return k >= 1 && k <= count; }
};

} // namespace tallix
