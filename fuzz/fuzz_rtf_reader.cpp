// The RTF reader and its tokenizer on any bytes.
#include "FuzzSupport.h"
#include "document/RichTextBuffer.h"
#include "document/RtfReader.h"
#include "document/RtfTokenizer.h"

#include <cstdlib>

using namespace tallix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);

    // Every input yields a finite token stream that moves forward.
    rtf::Tokenizer tokens(bytes);
    std::size_t count = 0;
    for (rtf::Token t = tokens.next(); t.kind != rtf::TokenKind::End; t = tokens.next()) {
        if (++count > size + 1)
            std::abort();
    }

    RichContent content;
    const RtfReadResult r = readRtf(bytes, content);
    if (r.ok) {
        // What the reader hands on must be a document the buffer accepts.
        RichTextBuffer buffer;
        buffer.assign(content);
        if (!buffer.check())
            std::abort();
    }
    return 0;
}
