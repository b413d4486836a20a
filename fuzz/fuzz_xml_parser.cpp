// Our XML parser beside expat on any bytes. What both accept must give the same
// events; what expat accepts we must accept too, but for UTF-16 whose surrogates
// do not pair (expat takes any two units after a high surrogate as a pair). We
// may accept what expat refuses where we are knowingly lenient (names outside its
// character tables, a missing version in the declaration).
#include "document/XmlReference.h"

#include <cstdint>
#include <cstdlib>

using namespace tallix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    xmlref::EventRecord ours, theirs;
    std::string error;
    const bool weAccept = zipxml::parseXml(bytes, ours, error);
    const bool expatAccepts = xmlref::expatParse(bytes, theirs);
    if (!weAccept && error.empty())
        std::abort();
    if (expatAccepts && !weAccept && error.find("not valid UTF-16") == std::string::npos)
        std::abort();
    if (weAccept && expatAccepts && ours.lines() != theirs.lines())
        std::abort();
    return 0;
}
