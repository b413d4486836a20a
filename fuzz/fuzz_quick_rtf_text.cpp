// The quick reader of our own RTF against the full reader: on any bytes it either
// refuses or gives exactly the text and red runs the full reader gives.
#include "FuzzSupport.h"
#include "document/QuickRtfText.h"
#include "document/RtfReader.h"

#include <cstdlib>

using namespace tallix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    QuickRtfText quick;
    if (!readQuickRtfText(bytes, clRed, quick))
        return 0;
    RichContent full;
    if (!readRtf(bytes, full).ok || full.text != quick.text())
        std::abort();
    // The full reader's red characters, paragraph breaks left out, must be the runs.
    std::size_t run = 0;
    int pos = 0;
    bool open = false;
    for (const FormatRun& r : full.runs) {
        for (int i = pos; i < pos + r.length; ++i) {
            const char16_t c = full.text[std::size_t(i)];
            if (r.format.colour != clRed || c == u'\r' || c == u'\n') {
                if (open) // the quick run goes on where the red ends
                    std::abort();
                continue;
            }
            if (run >= quick.runs.size() || (!open && quick.runs[run].start != i) ||
                i >= quick.runs[run].end)
                std::abort();
            open = true;
            if (i + 1 == quick.runs[run].end) {
                ++run;
                open = false;
            }
        }
        pos += r.length;
    }
    if (open || run != quick.runs.size())
        std::abort();
    return 0;
}
