#pragma once
// Marked essays for the statistics tests, written piece by piece as the marking
// window leaves them: black essay text, blue spans, red error labels, teal praise
// labels, green comment markers.
#include "document/MarkedDocument.h"

#include "BufferTestSupport.h"

#include <string>
#include <vector>

namespace tallix::testing {

class EssayBuilder {
public:
    EssayBuilder& text(std::u16string_view s) { return add(s, fmt(clBlack)); }
    EssayBuilder& span(std::u16string_view s) {
        return add(s, fmt(markup::AnnotatedSpanColour, markup::AnnotatedSpanStyle));
    }
    EssayBuilder& error(std::u16string_view label) {
        return add(label, fmt(clRed, fsItalic, markup::LabelSize, markup::RaiseTwips));
    }
    EssayBuilder& praise(std::u16string_view label) {
        return add(label, fmt(clTeal, fsItalic, markup::LabelSize, markup::RaiseTwips));
    }
    EssayBuilder& marker(std::u16string_view n) {
        return add(n, fmt(clGreen, fsBold, markup::CommentMarkerSize, markup::RaiseTwips));
    }
    EssayBuilder& paragraph() {
        content_.appendParagraphBreak(fmt(clBlack), ParaFormat{});
        return *this;
    }
    EssayBuilder& coloured(std::u16string_view s, Colour c) { return add(s, fmt(c)); }
    EssayBuilder& comment(std::u16string c) {
        comments_.push_back(std::move(c));
        return *this;
    }

    const RichContent& content() const { return content_; }

    // Loads the essay into a document (with its comments).
    void into(MarkedDocument& doc) const {
        doc.essay().assign(content_);
        doc.commentTexts = comments_;
        doc.notes.selectorMax = doc.notes.selectorValue = int(comments_.size());
    }
    // Saves the essay as a marked file; returns the path.
    std::string save(const std::string& path) const {
        MarkedDocument doc;
        into(doc);
        doc.feedback1Text = u"Feedback with a red Sp in it";
        doc.grade = u"B+";
        if (!doc.saveTlx(path).ok)
            return {};
        return path;
    }

private:
    EssayBuilder& add(std::u16string_view s, const CharFormat& f) {
        content_.appendText(s, f);
        return *this;
    }
    RichContent content_;
    std::vector<std::u16string> comments_;
};

} // namespace tallix::testing
