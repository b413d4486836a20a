// The XML parser under the Word and OpenDocument readers.
//
// It reads a whole document held in memory in one forward pass and hands the
// handler views into that memory wherever it can: a name whose prefix is already
// the conventional one ("w:p" in a Word file) and text or an attribute value
// without references or carriage returns are passed as they stand, and only the
// rest is copied. Text runs are skipped sixteen bytes at a time.
//
// It checks what makes a document well-formed (one root, tags that match, quoted
// attributes given once, known references, valid characters and UTF-8, bound
// prefixes) but reads no document type: a declaration of one is refused, which
// is what keeps entity expansion and external entities out.
#include "document/ZipXml.h"

#include "platform/Lanes.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace tallix::zipxml {

namespace {

constexpr std::string_view XmlUri = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view XmlnsUri = "http://www.w3.org/2000/xmlns/";

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool isAsciiNameStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
}

// The ASCII characters that may continue a name, as a table: names are most of
// the bytes of a Word file.
constexpr auto NameChars = [] {
    std::array<bool, 128> t{};
    for (int c = 0; c < 128; ++c)
        t[std::size_t(c)] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' ||
                            (c >= '0' && c <= '9') || c == '.' || c == '-';
    return t;
}();

bool isAsciiNameChar(unsigned char c) { return c < 0x80 && NameChars[c]; }

// A code point XML allows in a document.
bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The length of the UTF-8 character of two to four bytes at p (whose first byte
// is not ASCII), or 0 when the bytes are not valid UTF-8 or not a character XML
// allows.
std::size_t multiByteLength(const char* p, const char* end) {
    char32_t c = 0;
    std::size_t used = 0;
    if (!text::decodeUtf8At(std::string_view(p, std::size_t(end - p)), 0, c, used) || !isXmlChar(c))
        return 0;
    return used;
}

// UTF-16 (little- or big-endian) as UTF-8; false at an unpaired surrogate or a
// character XML does not allow.
bool utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string& out) {
    if (bytes.size() % 2 != 0)
        return false;
    out.clear();
    out.reserve(bytes.size());
    const auto unit = [&](std::size_t i) {
        const auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        const auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        return char32_t((hi << 8) | lo);
    };
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 3 >= bytes.size())
                return false;
            const char32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF)
                return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
        if (!isXmlChar(c))
            return false;
        text::appendUtf8(out, c);
    }
    return true;
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes)
        text::appendUtf8(out, static_cast<unsigned char>(ch));
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// Raised on the first fault; the parse ends there. Two refusals are not damage
// and are told in words of their own.
struct Fault {
    enum Kind { Damaged, DocumentType, TooDeep };
    const char* at;
    std::string why;
    Kind kind = Damaged;
};

class Parser {
public:
    Parser(XmlHandler& handler, std::string& error) : h_(handler), error_(error) {}

    bool run(std::string_view bytes) {
        try {
            bytes = prepare(bytes);
            begin_ = p_ = bytes.data();
            end_ = bytes.data() + bytes.size();
            declaration();
            document();
            return true;
        } catch (const Fault& f) {
            if (f.kind == Fault::DocumentType) {
                error_ = "its XML declares a document type with entities, which word processors never write";
            } else if (f.kind == Fault::TooDeep) {
                error_ = "its XML nests elements more than " + std::to_string(MaxXmlDepth) +
                         " deep, far deeper than any document";
            } else {
                error_ = "its XML is damaged (line " + std::to_string(lineOf(f.at)) + ": " + f.why + ")";
            }
            return false;
        }
    }

private:
    struct Binding {
        std::string_view prefix; // empty: the default namespace
        std::string uri;         // empty: none (the default namespace undeclared)
        std::string_view conventional;
    };
    struct Open {
        std::string_view raw;
        std::size_t nameAt, nameLength; // the name handed on, in nameStore_ when stored
        bool stored;
        std::size_t bindings; // how many bindings were in scope before it
    };
    struct RawAttribute {
        std::string_view name;
        std::string_view value;
    };
    struct Declaration {
        std::string_view attribute; // "xmlns" or "xmlns:prefix"
        std::string_view prefix;
        std::string_view uri;
    };
    // A resolved name: the namespace it is in (for telling duplicates apart) and
    // the name handed on.
    struct Resolved {
        const Binding* binding = nullptr; // nullptr: no namespace, or the xml one
        bool xmlNamespace = false;
        std::string_view local;
    };

    [[noreturn]] void fail(const char* at, std::string why, Fault::Kind kind = Fault::Damaged) {
        throw Fault{at, std::move(why), kind};
    }

    std::size_t lineOf(const char* at) const {
        if (!begin_ || at < begin_ || at > end_)
            return 1;
        return 1 + std::size_t(std::count(begin_, at, '\n'));
    }

    // The bytes as UTF-8: a byte-order mark skipped, UTF-16 converted.
    std::string_view prepare(std::string_view bytes) {
        const auto starts = [&](std::string_view s) { return bytes.substr(0, s.size()) == s; };
        if (starts("\xEF\xBB\xBF"))
            return bytes.substr(3);
        const bool le = starts("\xFF\xFE") || starts(std::string_view("<\0", 2));
        const bool be = starts("\xFE\xFF") || starts(std::string_view("\0<", 2));
        if (le || be) {
            const bool bom = starts("\xFF\xFE") || starts("\xFE\xFF");
            if (!utf16ToUtf8(bytes.substr(bom ? 2 : 0), be, converted_)) {
                begin_ = nullptr;
                fail(nullptr, "not valid UTF-16");
            }
            utf16_ = true;
            return converted_;
        }
        return bytes;
    }

    // <?xml version="1.0" encoding="..." standalone="..."?> at the very start.
    void declaration() {
        const std::string_view rest(p_, std::size_t(end_ - p_));
        if (!(rest.starts_with("<?xml") && rest.size() > 5 && isSpace(rest[5])))
            return;
        const std::size_t close = rest.find("?>");
        if (close == std::string_view::npos)
            fail(p_, "unclosed XML declaration");
        const std::string_view body = rest.substr(5, close - 5);
        std::string_view encoding;
        std::size_t i = 0;
        while (i < body.size()) {
            while (i < body.size() && isSpace(body[i]))
                ++i;
            if (i == body.size())
                break;
            const std::size_t nameStart = i;
            while (i < body.size() && isAsciiNameChar(static_cast<unsigned char>(body[i])))
                ++i;
            const std::string_view name = body.substr(nameStart, i - nameStart);
            while (i < body.size() && isSpace(body[i]))
                ++i;
            if (name.empty() || i == body.size() || body[i] != '=')
                fail(p_, "damaged XML declaration");
            ++i;
            while (i < body.size() && isSpace(body[i]))
                ++i;
            if (i == body.size() || (body[i] != '"' && body[i] != '\''))
                fail(p_, "damaged XML declaration");
            const char quote = body[i++];
            const std::size_t valueEnd = body.find(quote, i);
            if (valueEnd == std::string_view::npos)
                fail(p_, "damaged XML declaration");
            const std::string_view value = body.substr(i, valueEnd - i);
            i = valueEnd + 1;
            if (name == "encoding")
                encoding = value;
            else if (name != "version" && name != "standalone")
                fail(p_, "damaged XML declaration");
        }
        const std::size_t after = std::size_t(p_ - begin_) + close + 2;
        if (!encoding.empty() && !equalsIgnoringCase(encoding, "UTF-8") && !equalsIgnoringCase(encoding, "UTF-16")) {
            const bool latin1 = equalsIgnoringCase(encoding, "ISO-8859-1") || equalsIgnoringCase(encoding, "latin1");
            const bool ascii = equalsIgnoringCase(encoding, "US-ASCII");
            if (!latin1 && !ascii)
                fail(p_, "the encoding " + std::string(encoding) + " is not one this program reads");
            if (latin1 && !utf16_) {
                // The declaration is ASCII, so it keeps its place in the converted bytes.
                converted_ = latin1ToUtf8(std::string_view(begin_, std::size_t(end_ - begin_)));
                begin_ = converted_.data();
                end_ = converted_.data() + converted_.size();
            }
        }
        p_ = begin_ + after;
    }

    void document() {
        prolog(false);
        if (p_ == end_)
            fail(p_, "no element found");
        if (*p_ != '<')
            fail(p_, "syntax error");
        element();
        prolog(true);
        if (p_ != end_)
            fail(p_, "junk after document element");
    }

    // Before the root (after false) or after it: spaces, comments and processing
    // instructions.
    void prolog(bool after) {
        for (;;) {
            while (p_ < end_ && isSpace(*p_))
                ++p_;
            if (p_ == end_ || *p_ != '<')
                return;
            if (startsWith("<!--")) {
                comment();
            } else if (startsWith("<?")) {
                instruction();
            } else if (startsWith("<!DOCTYPE")) {
                fail(p_, "document type", Fault::DocumentType);
            } else {
                if (after)
                    fail(p_, "junk after document element");
                return;
            }
        }
    }

    bool startsWith(std::string_view s) const {
        return std::size_t(end_ - p_) >= s.size() && std::string_view(p_, s.size()) == s;
    }

    // The root and everything in it, without recursion: the open elements are a
    // stack of their own.
    void element() {
        startTag();
        while (!open_.empty()) {
            text();
            if (p_ == end_)
                fail(p_, "the document ends inside <" + std::string(open_.back().raw) + ">");
            // p_ is at '<'.
            if (p_ + 1 < end_ && p_[1] == '/') {
                endTag();
            } else if (startsWith("<!--")) {
                comment();
            } else if (startsWith("<![CDATA[")) {
                cdata();
            } else if (startsWith("<?")) {
                instruction();
            } else if (startsWith("<!")) {
                fail(p_, "not well-formed (invalid token)",
                     startsWith("<!DOCTYPE") ? Fault::DocumentType : Fault::Damaged);
            } else {
                startTag();
            }
        }
    }

    // The length of the multi-byte character at q, which must be valid UTF-8 and
    // a character XML allows.
    std::size_t checkedMultiByte(const char* q, const char* end) {
        const std::size_t n = multiByteLength(q, end);
        if (n == 0)
            fail(q, "not well-formed (invalid token)");
        return n;
    }

    // ---------------------------------------------------------------- names

    // A name at p_; p_ moves past it.
    std::string_view name() {
        const char* start = p_;
        if (p_ < end_ && static_cast<unsigned char>(*p_) < 0x80 && !isAsciiNameStart(static_cast<unsigned char>(*p_)))
            fail(p_, "not well-formed (invalid token)");
        while (p_ < end_) {
            const auto c = static_cast<unsigned char>(*p_);
            if (c < 0x80) {
                if (!NameChars[c])
                    break;
                ++p_;
            } else {
                p_ += checkedMultiByte(p_, end_);
            }
        }
        if (p_ == start)
            fail(p_, "not well-formed (invalid token)");
        return std::string_view(start, std::size_t(p_ - start));
    }

    const Binding* lookup(std::string_view prefix) {
        if (cacheValid_ && cachedPrefix_ == prefix)
            return cachedBinding_;
        const Binding* found = nullptr;
        for (auto b = bindings_.rbegin(); b != bindings_.rend(); ++b)
            if (b->prefix == prefix) {
                found = &*b;
                break;
            }
        cacheValid_ = true;
        cachedPrefix_ = prefix;
        cachedBinding_ = found;
        return found;
    }

    // Splits a qualified name and finds its namespace. Element names without a
    // prefix are in the default namespace, attribute names in none.
    Resolved resolve(std::string_view qname, bool attribute, const char* at) {
        Resolved r;
        const std::size_t colon = qname.find(':');
        if (colon == std::string_view::npos) {
            r.local = qname;
            if (!attribute) {
                const Binding* b = lookup({});
                if (b && !b->uri.empty())
                    r.binding = b;
            }
            return r;
        }
        const std::string_view prefix = qname.substr(0, colon);
        r.local = qname.substr(colon + 1);
        if (prefix.empty() || r.local.empty() || r.local.find(':') != std::string_view::npos)
            fail(at, "not well-formed (invalid token)");
        if (prefix == "xml") {
            r.xmlNamespace = true;
            return r;
        }
        if (prefix == "xmlns")
            fail(at, "reserved prefix (xmlns) must not be declared or undeclared");
        r.binding = lookup(prefix);
        if (!r.binding)
            fail(at, "unbound prefix");
        return r;
    }

    // The name handed on for a resolved name: the qualified name itself when its
    // prefix is already the conventional one, else built in store.
    std::string_view handedName(std::string_view qname, const Resolved& r, std::string& store, bool& stored) {
        stored = false;
        std::string_view prefix;
        if (r.xmlNamespace)
            prefix = "?";
        else if (r.binding)
            prefix = r.binding->conventional;
        else
            return qname;
        if (qname.size() == prefix.size() + 1 + r.local.size() && qname.starts_with(prefix) &&
            qname[prefix.size()] == ':')
            return qname;
        stored = true;
        const std::size_t at = store.size();
        store.append(prefix);
        store.push_back(':');
        store.append(r.local);
        return std::string_view(store).substr(at);
    }

    // ---------------------------------------------------------------- tags

    void skipSpaces() {
        while (p_ < end_ && isSpace(*p_))
            ++p_;
    }

    void startTag() {
        const char* tagStart = p_;
        ++p_; // '<'
        if (open_.size() >= MaxXmlDepth)
            fail(tagStart, "too deep", Fault::TooDeep);
        const std::string_view qname = name();
        rawAttributes_.clear();
        declarations_.clear();
        std::size_t valueSlot = 0;
        bool empty = false;
        for (;;) {
            const char* beforeSpace = p_;
            skipSpaces();
            if (p_ == end_)
                fail(tagStart, "unclosed token");
            if (*p_ == '>') {
                ++p_;
                break;
            }
            if (*p_ == '/') {
                if (p_ + 1 >= end_ || p_[1] != '>')
                    fail(p_, "not well-formed (invalid token)");
                p_ += 2;
                empty = true;
                break;
            }
            if (p_ == beforeSpace)
                fail(p_, "not well-formed (invalid token)");
            const char* attributeAt = p_;
            const std::string_view attributeName = name();
            skipSpaces();
            if (p_ == end_ || *p_ != '=')
                fail(p_, "not well-formed (invalid token)");
            ++p_;
            skipSpaces();
            if (p_ == end_ || (*p_ != '"' && *p_ != '\''))
                fail(p_, "not well-formed (invalid token)");
            const std::string_view value = attributeValue(valueSlot);
            for (const RawAttribute& a : rawAttributes_)
                if (a.name == attributeName)
                    fail(attributeAt, "duplicate attribute");
            for (const Declaration& d : declarations_)
                if (d.attribute == attributeName)
                    fail(attributeAt, "duplicate attribute");
            if (attributeName == "xmlns") {
                declarations_.push_back(Declaration{attributeName, {}, value});
            } else if (attributeName.starts_with("xmlns:")) {
                const std::string_view prefix = attributeName.substr(6);
                if (prefix.empty() || prefix.find(':') != std::string_view::npos)
                    fail(attributeAt, "not well-formed (invalid token)");
                declarations_.push_back(Declaration{attributeName, prefix, value});
            } else {
                rawAttributes_.push_back(RawAttribute{attributeName, value});
            }
        }

        const std::size_t bindingsBefore = bindings_.size();
        for (const Declaration& d : declarations_)
            declare(d, tagStart);

        // The element's name and its attributes' names, resolved.
        const Resolved element = resolve(qname, false, tagStart);
        bool stored = false;
        const std::string_view handed = handedName(qname, element, nameStore_, stored);
        Open o{qname, stored ? std::size_t(handed.data() - nameStore_.data()) : 0, handed.size(), stored,
               bindingsBefore};
        if (!stored)
            o.nameAt = std::size_t(handed.data() - begin_);

        attributeStore_.clear();
        resolvedAttributes_.clear();
        attributes_.clear();
        bool anyStored = false;
        for (const RawAttribute& a : rawAttributes_) {
            const Resolved r = resolve(a.name, true, tagStart);
            for (const Resolved& other : resolvedAttributes_)
                if (other.local == r.local && other.xmlNamespace == r.xmlNamespace &&
                    (other.binding == r.binding ||
                     (other.binding && r.binding && other.binding->uri == r.binding->uri)))
                    fail(tagStart, "duplicate attribute");
            resolvedAttributes_.push_back(r);
            bool s = false;
            const std::string_view n = handedName(a.name, r, attributeStore_, s);
            anyStored = anyStored || s;
            attributes_.push_back(XmlAttribute{s ? std::string_view() : n, a.value});
        }
        if (anyStored) {
            // The store may have grown while names went into it: the views are
            // taken once it is complete.
            std::size_t at = 0;
            for (std::size_t i = 0; i < rawAttributes_.size(); ++i) {
                if (!attributes_[i].name.empty())
                    continue;
                const Resolved& r = resolvedAttributes_[i];
                const std::string_view prefix = r.xmlNamespace ? "?" : r.binding->conventional;
                const std::size_t length = prefix.size() + 1 + r.local.size();
                attributes_[i].name = std::string_view(attributeStore_).substr(at, length);
                at += length;
            }
        }

        open_.push_back(o);
        h_.startElement(openName(open_.back()), attributes_);
        if (empty)
            close();
    }

    std::string_view openName(const Open& o) const {
        return o.stored ? std::string_view(nameStore_).substr(o.nameAt, o.nameLength)
                        : std::string_view(begin_ + o.nameAt, o.nameLength);
    }

    void declare(const Declaration& d, const char* at) {
        const bool isXmlUri = d.uri == XmlUri;
        if (d.prefix == "xml") {
            if (!isXmlUri)
                fail(at, "reserved prefix (xml) must not be undeclared or bound to another namespace name");
            return; // already bound, to the same
        }
        if (d.prefix == "xmlns")
            fail(at, "reserved prefix (xmlns) must not be declared or undeclared");
        if (isXmlUri || d.uri == XmlnsUri)
            fail(at, "prefix must not be bound to one of the reserved namespace names");
        if (!d.prefix.empty() && d.uri.empty())
            fail(at, "cannot undeclare a prefix");
        bindings_.push_back(Binding{d.prefix, std::string(d.uri), conventionalPrefix(d.uri)});
        cacheValid_ = false;
    }

    // The innermost open element ends.
    void close() {
        const Open o = open_.back();
        h_.endElement(openName(o));
        open_.pop_back();
        if (bindings_.size() != o.bindings) {
            bindings_.resize(o.bindings);
            cacheValid_ = false;
        }
        // A stored name is the last in the store: its children's are gone.
        if (o.stored)
            nameStore_.resize(o.nameAt);
    }

    void endTag() {
        const char* tagStart = p_;
        p_ += 2;
        const std::string_view qname = name();
        skipSpaces();
        if (p_ == end_ || *p_ != '>')
            fail(p_, "not well-formed (invalid token)");
        ++p_;
        if (qname != open_.back().raw)
            fail(tagStart, "mismatched tag");
        close();
    }

    // A quoted attribute value at p_; p_ moves past the closing quote. The value
    // is a view of the document unless it holds references or white space that
    // normalising changes; then it is decoded into the next value slot.
    std::string_view attributeValue(std::size_t& slot) {
        const char quote = *p_++;
        const char* start = p_;
        std::string* out = nullptr;
        const char* copied = start;
        const auto decoding = [&]() -> std::string& {
            if (!out) {
                if (values_.size() <= slot)
                    values_.resize(slot + 1);
                out = &values_[slot++];
                out->clear();
            }
            out->append(copied, p_);
            return *out;
        };
        for (;;) {
            if (p_ == end_)
                fail(start, "unclosed token");
            const auto c = static_cast<unsigned char>(*p_);
            if (c == static_cast<unsigned char>(quote))
                break;
            if (c >= 0x80) {
                p_ += checkedMultiByte(p_, end_);
            } else if (c == '<') {
                fail(p_, "not well-formed (invalid token)");
            } else if (c == '&') {
                std::string& s = decoding();
                reference(s);
                copied = p_;
            } else if (c == '\t' || c == '\n' || c == '\r') {
                std::string& s = decoding();
                s.push_back(' ');
                p_ += (c == '\r' && p_ + 1 < end_ && p_[1] == '\n') ? 2 : 1;
                copied = p_;
            } else if (c < 0x20) {
                fail(p_, "not well-formed (invalid token)");
            } else {
                ++p_;
            }
        }
        std::string_view value;
        if (out) {
            out->append(copied, p_);
            value = *out;
        } else {
            value = std::string_view(start, std::size_t(p_ - start));
        }
        ++p_; // the closing quote
        return value;
    }

    // A reference at p_ ('&'), appended to out decoded; p_ moves past its ';'.
    void reference(std::string& out) {
        const char* at = p_;
        ++p_;
        const char* semi = p_;
        // A name or a number, however long (leading zeros are allowed).
        while (semi < end_ && (isAsciiNameChar(static_cast<unsigned char>(*semi)) || *semi == '#' ||
                               static_cast<unsigned char>(*semi) >= 0x80))
            ++semi;
        if (semi == end_ || *semi != ';')
            fail(at, "not well-formed (invalid token)");
        const std::string_view body(p_, std::size_t(semi - p_));
        p_ = semi + 1;
        if (body == "lt")
            out.push_back('<');
        else if (body == "gt")
            out.push_back('>');
        else if (body == "amp")
            out.push_back('&');
        else if (body == "quot")
            out.push_back('"');
        else if (body == "apos")
            out.push_back('\'');
        else if (body.size() >= 2 && body[0] == '#') {
            const bool hex = body[1] == 'x';
            const std::string_view digits = body.substr(hex ? 2 : 1);
            if (digits.empty())
                fail(at, "not well-formed (invalid token)");
            std::uint32_t v = 0;
            for (char d : digits) {
                int k;
                if (d >= '0' && d <= '9')
                    k = d - '0';
                else if (hex && d >= 'a' && d <= 'f')
                    k = d - 'a' + 10;
                else if (hex && d >= 'A' && d <= 'F')
                    k = d - 'A' + 10;
                else
                    fail(at, "not well-formed (invalid token)");
                v = v * (hex ? 16u : 10u) + std::uint32_t(k);
                if (v > 0x10FFFF)
                    fail(at, "reference to invalid character number");
            }
            if (!isXmlChar(v))
                fail(at, "reference to invalid character number");
            text::appendUtf8(out, v);
        } else if (!body.empty() && (isAsciiNameStart(static_cast<unsigned char>(body[0])) ||
                                     static_cast<unsigned char>(body[0]) >= 0x80)) {
            fail(at, "undefined entity");
        } else {
            fail(at, "not well-formed (invalid token)");
        }
    }

    // ---------------------------------------------------------------- content

    // Character data up to the next '<' (or the end), handed on in one piece.
    void text() {
        const char* start = p_;
        const char* copied = start;
        bool decoded = false;
        text_.clear();
        for (;;) {
            // Plain ASCII, sixteen bytes at a time: anything below a space (which as
            // signed bytes takes in every byte of a multi-byte character) but TAB
            // and LF, and '<', '&' and ']' stop the run.
            while (end_ - p_ >= std::ptrdiff_t(lanes::ByteWidth)) {
                lanes::ByteMask s;
                std::memcpy(&s, p_, sizeof s);
                const lanes::ByteMask stop = ((s < 0x20) & (s != '\n') & (s != '\t')) | (s == '<') | (s == '&') |
                                             (s == ']');
                if (lanes::any(stop)) {
                    p_ += lanes::firstSet(stop);
                    break;
                }
                p_ += lanes::ByteWidth;
            }
            if (p_ == end_)
                break;
            const auto c = static_cast<unsigned char>(*p_);
            if (c == '<')
                break;
            if (c >= 0x80) {
                p_ += checkedMultiByte(p_, end_);
            } else if (c == '&') {
                text_.append(copied, p_);
                reference(text_);
                copied = p_;
                decoded = true;
            } else if (c == '\r') {
                lineEnd(p_, end_, copied);
                decoded = true;
            } else if (c == ']') {
                if (startsWith("]]>"))
                    fail(p_, "not well-formed (invalid token)");
                ++p_;
            } else if (c == '\n' || c == '\t' || c >= 0x20) {
                ++p_;
            } else {
                fail(p_, "not well-formed (invalid token)");
            }
        }
        handOn(start, p_, copied, decoded);
    }

    // Checks the characters of [from, to) and hands them on when inside the root,
    // carriage returns made line feeds.
    void checkedCharacters(const char* from, const char* to, bool inRoot) {
        const char* copied = from;
        bool decoded = false;
        text_.clear();
        for (const char* q = from; q < to;) {
            const auto c = static_cast<unsigned char>(*q);
            if (c >= 0x80) {
                q += checkedMultiByte(q, to);
            } else if (c == '\r') {
                lineEnd(q, to, copied);
                decoded = true;
            } else if (c >= 0x20 || c == '\n' || c == '\t') {
                ++q;
            } else {
                fail(q, "not well-formed (invalid token)");
            }
        }
        if (inRoot)
            handOn(from, to, copied, decoded);
    }

    // The CR, or CR LF, at q (before to) as one LF at the end of text_, after what
    // came since copied; q and copied move past it.
    void lineEnd(const char*& q, const char* to, const char*& copied) {
        text_.append(copied, q);
        text_.push_back('\n');
        q += (q + 1 < to && q[1] == '\n') ? 2 : 1;
        copied = q;
    }

    // Hands on the text of [from, to): as it stands, or (decoded) as text_ holds
    // it up to copied followed by the rest.
    void handOn(const char* from, const char* to, const char* copied, bool decoded) {
        if (decoded) {
            text_.append(copied, to);
            if (!text_.empty())
                h_.characters(text_);
        } else if (to > from) {
            h_.characters(std::string_view(from, std::size_t(to - from)));
        }
    }

    const char* find(std::string_view what, const char* from) const {
        const std::string_view rest(from, std::size_t(end_ - from));
        const std::size_t at = rest.find(what);
        return at == std::string_view::npos ? nullptr : from + at;
    }

    void comment() {
        const char* start = p_;
        const char* body = p_ + 4;
        const char* dashes = find("--", body);
        if (!dashes)
            fail(start, "unclosed token");
        if (dashes + 2 >= end_ || dashes[2] != '>')
            fail(dashes, "not well-formed (invalid token)");
        checkedCharacters(body, dashes, false);
        p_ = dashes + 3;
    }

    void cdata() {
        const char* start = p_;
        const char* body = p_ + 9;
        const char* close = find("]]>", body);
        if (!close)
            fail(start, "unclosed CDATA section");
        checkedCharacters(body, close, true);
        p_ = close + 3;
    }

    void instruction() {
        const char* start = p_;
        p_ += 2;
        const std::string_view target = name();
        if (equalsIgnoringCase(target, "xml"))
            fail(start, "XML or text declaration not at start of entity");
        const char* close = find("?>", p_);
        if (!close)
            fail(start, "unclosed token");
        if (close != p_ && !isSpace(*p_))
            fail(p_, "not well-formed (invalid token)");
        checkedCharacters(p_, close, false);
        p_ = close + 2;
    }

    XmlHandler& h_;
    std::string& error_;
    std::string converted_;
    bool utf16_ = false;
    const char* begin_ = nullptr;
    const char* p_ = nullptr;
    const char* end_ = nullptr;

    std::vector<Binding> bindings_;
    bool cacheValid_ = false;
    std::string_view cachedPrefix_;
    const Binding* cachedBinding_ = nullptr;

    std::vector<Open> open_;
    std::string nameStore_;
    std::vector<RawAttribute> rawAttributes_;
    std::vector<Declaration> declarations_;
    std::vector<Resolved> resolvedAttributes_;
    std::vector<XmlAttribute> attributes_;
    std::string attributeStore_;
    std::deque<std::string> values_; // growing keeps the earlier ones in place
    std::string text_;
};

} // namespace

std::string_view conventionalPrefix(std::string_view uri) {
    struct KnownNamespace {
        std::string_view uri;
        std::string_view prefix;
    };
    static constexpr KnownNamespace Namespaces[] = {
        {"http://schemas.openxmlformats.org/wordprocessingml/2006/main", "w"},
        {"http://purl.oclc.org/ooxml/wordprocessingml/main", "w"},
        {"http://schemas.openxmlformats.org/officeDocument/2006/relationships", "r"},
        {"http://purl.oclc.org/ooxml/officeDocument/relationships", "r"},
        {"http://schemas.openxmlformats.org/markup-compatibility/2006", "mc"},
        {"http://schemas.openxmlformats.org/drawingml/2006/main", "a"},
        {"http://purl.oclc.org/ooxml/drawingml/main", "a"},
        {"urn:oasis:names:tc:opendocument:xmlns:office:1.0", "office"},
        {"urn:oasis:names:tc:opendocument:xmlns:text:1.0", "text"},
        {"urn:oasis:names:tc:opendocument:xmlns:style:1.0", "style"},
        {"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0", "fo"},
        {"urn:oasis:names:tc:opendocument:xmlns:table:1.0", "table"},
        {"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0", "draw"},
        {"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0", "manifest"},
    };
    for (const KnownNamespace& ns : Namespaces)
        if (ns.uri == uri)
            return ns.prefix;
    return "?";
}

bool parseXml(std::string_view bytes, XmlHandler& handler, std::string& error) {
    Parser parser(handler, error);
    return parser.run(bytes);
}

} // namespace tallix::zipxml
