#pragma once
// XmlWriter: the one way the Word export writes XML. Elements are opened, given
// attributes and closed in order; every text and attribute value goes through
// the escaping here, so that nothing the teacher or the student wrote ("<", "&",
// quotes, control characters, broken surrogate pairs) can change the structure of
// a part. Output is UTF-8.
#include <string>
#include <string_view>
#include <vector>

namespace tallix::exports {

class XmlWriter {
public:
    // Starts the document with the XML declaration.
    XmlWriter();

    // <name  ... attributes may follow until the next call of another kind.
    XmlWriter& start(std::string_view name);
    XmlWriter& attribute(std::string_view name, std::string_view value);
    XmlWriter& attribute(std::string_view name, std::u16string_view value);
    XmlWriter& attribute(std::string_view name, long long value);
    // Closes the innermost open element (as <name/> when nothing was put in it).
    XmlWriter& end();
    // An element with no content: start(name), the attributes, end().
    XmlWriter& empty(std::string_view name) { return start(name); }
    // Character data of the open element.
    XmlWriter& text(std::u16string_view text);
    XmlWriter& text(std::string_view utf8);

    // The document so far; every element must be closed for it to be whole.
    const std::string& bytes() const { return out_; }
    std::string take() { return std::move(out_); }
    bool complete() const { return open_.empty(); }

private:
    void closeStartTag();
    void escaped(std::u16string_view text, bool inAttribute);
    void escaped(std::string_view utf8, bool inAttribute);

    std::string out_;
    std::vector<std::string> open_;
    bool inStartTag_ = false;
};

} // namespace tallix::exports
