#include "document/RichContent.h"

#include <algorithm>

namespace tallix {

namespace {

// Drops the first n characters of content, with their runs.
void dropFront(RichContent& c, std::size_t n) {
    c.text.erase(0, n);
    auto run = c.runs.begin();
    while (n > 0 && run != c.runs.end()) {
        const std::size_t take = std::min(n, static_cast<std::size_t>(run->length));
        run->length -= static_cast<int>(take);
        n -= take;
        if (run->length == 0)
            ++run;
    }
    c.runs.erase(c.runs.begin(), run);
}

// Drops the last n characters of content, with their runs.
void dropBack(RichContent& c, std::size_t n) {
    c.text.resize(c.text.size() - n);
    while (n > 0 && !c.runs.empty()) {
        const std::size_t take = std::min(n, static_cast<std::size_t>(c.runs.back().length));
        c.runs.back().length -= static_cast<int>(take);
        n -= take;
        if (c.runs.back().length == 0)
            c.runs.pop_back();
    }
}

} // namespace

void appendContent(RichContent& out, RichContent&& c) {
    out.text += c.text;
    for (FormatRun& run : c.runs) {
        if (!out.runs.empty() && out.runs.back().format == run.format)
            out.runs.back().length += run.length;
        else
            out.runs.push_back(std::move(run));
    }
    out.paragraphs.back() = c.paragraphs.front();
    out.paragraphs.insert(out.paragraphs.end(), c.paragraphs.begin() + 1, c.paragraphs.end());
}

void appendNotes(RichContent& out, std::vector<RichContent>&& notes, const CharFormat& numberFallback) {
    std::size_t number = 0;
    for (RichContent& note : notes) {
        ++number;
        std::size_t lead = 0;
        while (lead < note.text.size() &&
               (note.text[lead] == u' ' || note.text[lead] == u'\t' || note.text[lead] == 0x00A0))
            ++lead;
        dropFront(note, lead);
        while (note.text.size() >= 2 && note.text.ends_with(u"\r\n")) {
            dropBack(note, 2);
            note.paragraphs.pop_back();
        }
        const CharFormat numberFormat = note.runs.empty() ? numberFallback : note.runs.front().format;
        if (!out.text.empty() && !out.text.ends_with(u"\r\n")) {
            const CharFormat last = out.runs.back().format;
            out.appendParagraphBreak(last, ParaFormat{});
        }
        RichContent numbered; // the number joins the note's first paragraph
        std::u16string mark;
        for (char c : std::to_string(number))
            mark.push_back(char16_t(c));
        mark += u". ";
        numbered.appendText(mark, numberFormat);
        appendContent(numbered, std::move(note));
        appendContent(out, std::move(numbered));
    }
}

} // namespace tallix
