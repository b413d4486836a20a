// The titles file (".cfg") on any file.
#include "FuzzSupport.h"
#include "export/OutputTitles.h"

using namespace tallix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::writeScratch(data, size, ".cfg");
    OutputTitles titles;
    (void)readTitlesFile(titles, path);
    const OutputTitles loaded = loadTitlesFile(path);
    (void)loaded.backButtonHTML();
    (void)loaded.continuedButtonValue();
    return 0;
}
