#pragma once
// Character formats and a change recorder shared by the buffer tests.
#include "document/RichTextBuffer.h"

#include <string>
#include <vector>

namespace tallix::testing {

// A format as the marking operations make them: Arial, the given colour, style,
// size in points and raise in twips.
inline CharFormat fmt(Colour c, StyleSet s = 0, int points = markup::BodySize, int raise = 0) {
    CharFormat f;
    f.colour = c;
    f.style = s;
    f.sizeHalfPoints = points * 2;
    f.offsetTwips = raise;
    return f;
}

// A format with every attribute given, size in half points as RTF has it.
inline CharFormat format(Colour colour, StyleSet style = 0, int halfPoints = 24,
                         std::u16string font = u"Arial", int offset = 0) {
    CharFormat f = fmt(colour, style, markup::BodySize, offset);
    f.sizeHalfPoints = halfPoints;
    f.fontName = std::move(font);
    return f;
}

// Writes down every change notification, one line each.
struct RecordingObserver : BufferObserver {
    std::vector<std::string> events;
    void textReplaced(int pos, int removed, int added) override {
        events.push_back("text " + std::to_string(pos) + " " + std::to_string(removed) + " " +
                         std::to_string(added));
    }
    void formatChanged(int pos, int length) override {
        events.push_back("format " + std::to_string(pos) + " " + std::to_string(length));
    }
    void paragraphFormatChanged(int first, int last) override {
        events.push_back("para " + std::to_string(first) + " " + std::to_string(last));
    }
};

} // namespace tallix::testing
