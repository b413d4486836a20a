// Writes the seeds of the PDF layout fuzz target: the words of each PDF file
// named, as Poppler places them, in the target's input form.
//   make_pdf_layout_seeds OUT_FOLDER FILE.pdf...
#include "PdfBoxCodec.h"
#include "document/PdfReader.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: make_pdf_layout_seeds OUT_FOLDER FILE.pdf...\n";
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        tallix::PdfFailure failure;
        const std::vector<tallix::pdf::Page> pages = tallix::readPdfPages(bytes.str(), failure);
        if (pages.empty())
            continue;
        const std::filesystem::path out =
            std::filesystem::path(argv[1]) / (std::filesystem::path(argv[i]).stem().string() + ".boxes");
        std::ofstream(out, std::ios::binary) << tallix::fuzz::encodePdfBoxes(pages);
    }
    return 0;
}
