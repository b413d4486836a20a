#pragma once
// expat, with namespaces, as the reference our XML parser is compared with: the
// same document through both gives the same events or is refused by both. Used
// by the parser's tests and its fuzz target.
#include "document/ZipXml.h"

#include <expat.h>

#include <string>
#include <string_view>
#include <vector>

namespace tallix::xmlref {

// Every event of a parse as one line ("<name a=v ...", ">name", "'text"), the
// pieces of one text joined, so that two parsers' records compare equal.
class EventRecord : public zipxml::XmlHandler {
public:
    void startElement(std::string_view name, const std::vector<zipxml::XmlAttribute>& attributes) override {
        flushText();
        lines_ += "<";
        lines_.append(name);
        for (const zipxml::XmlAttribute& a : attributes) {
            lines_ += " ";
            lines_.append(a.name);
            lines_ += "=";
            lines_.append(a.value);
            lines_ += "|";
        }
        lines_ += "\n";
    }
    void endElement(std::string_view name) override {
        flushText();
        lines_ += ">";
        lines_.append(name);
        lines_ += "\n";
    }
    void characters(std::string_view text) override { text_.append(text); }
    const std::string& lines() {
        flushText();
        return lines_;
    }

private:
    void flushText() {
        if (text_.empty())
            return;
        lines_ += "'" + text_ + "\n";
        text_.clear();
    }
    std::string lines_, text_;
};

namespace detail {

inline std::string resolve(const char* raw) {
    const std::string_view s(raw);
    const auto cut = s.find('\x1F');
    if (cut == std::string_view::npos)
        return std::string(s);
    return std::string(zipxml::conventionalPrefix(s.substr(0, cut))) + ":" + std::string(s.substr(cut + 1));
}

struct State {
    zipxml::XmlHandler* handler;
    XML_Parser parser;
    bool refused = false;
    std::size_t depth = 0;
};

} // namespace detail

// Parses with expat the way the readers once did: namespaces resolved to the
// conventional prefixes, no document type, MaxXmlDepth. True when expat accepts.
inline bool expatParse(std::string_view bytes, zipxml::XmlHandler& handler) {
    using namespace detail;
    State st{&handler, XML_ParserCreateNS(nullptr, '\x1F')};
    if (!st.parser)
        return false;
    XML_SetUserData(st.parser, &st);
    XML_SetElementHandler(
        st.parser,
        [](void* d, const XML_Char* name, const XML_Char** atts) {
            auto* s = static_cast<State*>(d);
            if (++s->depth > zipxml::MaxXmlDepth) {
                s->refused = true;
                XML_StopParser(s->parser, XML_FALSE);
                return;
            }
            std::vector<std::string> names, values;
            for (std::size_t i = 0; atts[i]; i += 2) {
                names.push_back(resolve(atts[i]));
                values.emplace_back(atts[i + 1]);
            }
            std::vector<zipxml::XmlAttribute> a;
            for (std::size_t i = 0; i < names.size(); ++i)
                a.push_back({names[i], values[i]});
            s->handler->startElement(resolve(name), a);
        },
        [](void* d, const XML_Char* name) {
            auto* s = static_cast<State*>(d);
            --s->depth;
            s->handler->endElement(resolve(name));
        });
    XML_SetCharacterDataHandler(st.parser, [](void* d, const XML_Char* t, int len) {
        auto* s = static_cast<State*>(d);
        if (len > 0)
            s->handler->characters(std::string_view(t, std::size_t(len)));
    });
    XML_SetStartDoctypeDeclHandler(st.parser, [](void* d, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        auto* s = static_cast<State*>(d);
        s->refused = true;
        XML_StopParser(s->parser, XML_FALSE);
    });
    XML_SetParamEntityParsing(st.parser, XML_PARAM_ENTITY_PARSING_NEVER);
    const bool ok = bytes.size() < (1u << 30) &&
                    XML_Parse(st.parser, bytes.data(), int(bytes.size()), XML_TRUE) == XML_STATUS_OK && !st.refused;
    XML_ParserFree(st.parser);
    return ok;
}

} // namespace tallix::xmlref
