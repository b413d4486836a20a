// The button-file reader on any file.
#include "FuzzSupport.h"
#include "annotations/AnnotationSet.h"

using namespace tallix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::writeScratch(data, size, ".btn");
    AnnotationSet set = AnnotationSet::builtInDefaults();
    (void)readButtonFile(set, path);
    return 0;
}
