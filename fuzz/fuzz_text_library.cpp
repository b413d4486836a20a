// The text library file on any file: read, written and read back.
#include "FuzzSupport.h"
#include "library/ReferenceList.h"

#include <cstdlib>

using namespace tallix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::writeScratch(data, size, ".mdb");
    library::ReferenceList list(library::TextLibrary.fields);
    if (library::readListFile(path, list).status != library::ListLoadStatus::Loaded)
        return 0;
    if (list.items().size() % std::size_t(list.fieldsPerEntry()) != 0)
        std::abort();
    // A list we write reads back with the same entries.
    if (!library::writeListFile(path, list))
        std::abort();
    library::ReferenceList reread(list.fieldsPerEntry());
    if (library::readListFile(path, reread).status != library::ListLoadStatus::Loaded ||
        reread.count() != list.count())
        std::abort();
    return 0;
}
