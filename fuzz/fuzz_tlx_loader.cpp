// The marked-file loader, trailer included, on any bytes.
#include "FuzzSupport.h"
#include "document/MarkedDocument.h"

#include <cstdlib>

using namespace tallix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MarkedDocument doc;
    const FileOutcome r = doc.loadTlxBytes(fuzz::bytesOf(data, size), "essay.tlx");
    if (r.ok && !doc.essay().check())
        std::abort();
    return 0;
}
