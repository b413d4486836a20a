// The bookmark-file import on any file.
#include "FuzzSupport.h"
#include "library/LinkImport.h"

#include <cstdlib>

using namespace tallix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::writeScratch(data, size, ".htm");
    const auto links = library::readBookmarkFile(path);
    if (!links)
        std::abort(); // the file is there and readable
    return 0;
}
