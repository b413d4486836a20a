// Tallix32's program entry. Until the marking window is built this is a small
// loader: it reads an essay or a marked file (RTF or plain text) and prints its
// text, so the document engine can be tried from a terminal.
#include "document/RichTextBuffer.h"
#include "document/TextCodec.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace {

void usage(std::FILE* to) {
    std::fputs("usage: tallix32 FILE\n"
               "Loads an essay or a marked file (RTF or plain text) and prints its text.\n",
               to);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        usage(stdout);
        return 0;
    }
    if (argc != 2) {
        usage(stderr);
        return 2;
    }
    tallix::RichTextBuffer buffer;
    tallix::CharFormat black;
    black.colour = tallix::clBlack;
    buffer.setDefaultFormat(black);
    tallix::LoadResult r = buffer.loadFromFile(argv[1]);
    if (!r.ok) {
        std::cerr << "Unable to load the file. It may be corrupted in some way.\n"
                  << argv[1] << ": " << r.error << "\n";
        return 1;
    }
    // The buffer's line breaks are CR LF; a terminal wants LF.
    std::u16string out;
    out.reserve(buffer.text().size());
    for (char16_t c : buffer.text())
        if (c != u'\r')
            out.push_back(c);
    std::cout << tallix::text::toUtf8(out);
    if (!out.empty() && out.back() != u'\n')
        std::cout << '\n';
    return 0;
}
