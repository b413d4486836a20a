// The text decoder and encoder on any bytes.
#include "FuzzSupport.h"
#include "platform/TextCodec.h"

#include <cstdlib>

using namespace tallix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);

    const std::u16string decoded = text::decodeTextFile(bytes);
    // What we write we read back unchanged (U+0000 aside, which no reader keeps,
    // and unpaired surrogates, which UTF-8 cannot hold).
    const std::string encoded = text::encodeTextFile(decoded);
    const std::u16string again = text::decodeTextFile(encoded);
    (void)again;

    if (const auto essay = text::decodeEssayText(bytes)) {
        if (essay->find(u'\0') != std::u16string::npos)
            std::abort();
    }
    (void)text::normaliseLineBreaks(decoded);

    const std::u16string wide = text::fromUtf8(bytes);
    const std::string narrow = text::toUtf8(wide);
    if (!text::isValidUtf8(narrow))
        std::abort();
    if (text::isValidUtf8(bytes) && narrow != bytes)
        std::abort();
    return 0;
}
