// Tallix32's program entry. Options that never open a window (batch import, help,
// version) are handled first, before anything of the window system exists. Until
// the marking window is built, a file given alone is loaded and its text printed,
// so the document engine can be tried from a terminal.
#include "app/CommandLine.h"
#include "document/MarkedDocument.h"
#include "document/TextCodec.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (std::optional<int> status = tallix::cli::run(args, std::cout, std::cerr))
        return *status;
    if (args.empty()) {
        std::cerr << "usage: tallix32 [MARKED.tlx]   (see tallix32 --help)\n";
        return 2;
    }
    tallix::MarkedDocument doc;
    tallix::FileOutcome r = doc.loadTlxFile(args[0]);
    if (!r.ok) {
        std::cerr << tallix::text::toUtf8(r.message.text) << "\n" << args[0] << "\n";
        return 1;
    }
    // The buffer's line breaks are CR LF; a terminal wants LF.
    std::u16string out;
    out.reserve(doc.essay().text().size());
    for (char16_t c : doc.essay().text())
        if (c != u'\r')
            out.push_back(c);
    std::cout << tallix::text::toUtf8(out);
    if (!out.empty() && out.back() != u'\n')
        std::cout << '\n';
    for (std::size_t k = 0; k < doc.commentTexts.size(); ++k)
        std::cout << "Comment " << k + 1 << ": " << tallix::text::toUtf8(doc.commentTexts[k])
                  << "\n";
    if (!doc.grade.empty() && doc.grade != u"??%")
        std::cout << "Grade: " << tallix::text::toUtf8(doc.grade) << "\n";
    return 0;
}
