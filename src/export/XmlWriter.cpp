#include "export/XmlWriter.h"

namespace tallix::exports {

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Characters XML 1.0 cannot hold at all, even as references.
bool allowedInXml(char32_t c) {
    if (c < 0x20)
        return c == 0x09 || c == 0x0A || c == 0x0D;
    return c != 0xFFFE && c != 0xFFFF;
}

void appendEscaped(std::string& out, char32_t c, bool inAttribute) {
    switch (c) {
    case U'&': out += "&amp;"; return;
    case U'<': out += "&lt;"; return;
    case U'>': out += "&gt;"; return;
    case U'"':
        out += inAttribute ? "&quot;" : "\"";
        return;
    case U'\t': case U'\n': case U'\r':
        // Kept as characters in text; in an attribute a reference keeps them from
        // being read as blanks.
        if (inAttribute) {
            out += "&#" + std::to_string(unsigned(c)) + ";";
            return;
        }
        break;
    default: break;
    }
    if (allowedInXml(c))
        appendUtf8(out, c);
}

} // namespace

XmlWriter::XmlWriter() {
    out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
}

void XmlWriter::closeStartTag() {
    if (inStartTag_) {
        out_ += '>';
        inStartTag_ = false;
    }
}

XmlWriter& XmlWriter::start(std::string_view name) {
    closeStartTag();
    out_ += '<';
    out_ += name;
    open_.emplace_back(name);
    inStartTag_ = true;
    return *this;
}

XmlWriter& XmlWriter::attribute(std::string_view name, std::string_view value) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    escaped(value, true);
    out_ += '"';
    return *this;
}

XmlWriter& XmlWriter::attribute(std::string_view name, std::u16string_view value) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    escaped(value, true);
    out_ += '"';
    return *this;
}

XmlWriter& XmlWriter::attribute(std::string_view name, long long value) {
    return attribute(name, std::string_view(std::to_string(value)));
}

XmlWriter& XmlWriter::end() {
    if (open_.empty())
        return *this;
    if (inStartTag_) {
        out_ += "/>";
        inStartTag_ = false;
    } else {
        out_ += "</";
        out_ += open_.back();
        out_ += '>';
    }
    open_.pop_back();
    return *this;
}

XmlWriter& XmlWriter::text(std::u16string_view t) {
    closeStartTag();
    escaped(t, false);
    return *this;
}

XmlWriter& XmlWriter::text(std::string_view utf8) {
    closeStartTag();
    escaped(utf8, false);
    return *this;
}

void XmlWriter::escaped(std::u16string_view t, bool inAttribute) {
    for (std::size_t i = 0; i < t.size(); ++i) {
        char32_t c = t[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < t.size() && t[i + 1] >= 0xDC00 &&
            t[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(t[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD; // half of a pair: shown as the replacement character
        }
        appendEscaped(out_, c, inAttribute);
    }
}

void XmlWriter::escaped(std::string_view utf8, bool inAttribute) {
    // Only ASCII needs looking at: the bytes of longer sequences pass as they are.
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80)
            out_ += ch;
        else
            appendEscaped(out_, c, inAttribute);
    }
}

} // namespace tallix::exports
