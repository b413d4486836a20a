#pragma once
// Builds small Word and OpenDocument files in memory for the reader tests.
#include "document/ZipXml.h"

#include <string>
#include <utility>
#include <vector>

namespace tallix::testing {

using ZipMembers = std::vector<std::pair<std::string, std::string>>;

inline std::string makeZip(const ZipMembers& members) { return zipxml::buildZip(members); }

inline constexpr char WordNamespace[] =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

struct DocxParts {
    DocxParts(std::string b, std::string s = {}, std::string n = {}, std::string f = {}, std::string e = {})
        : body(std::move(b)), styles(std::move(s)), numbering(std::move(n)), footnotes(std::move(f)),
          endnotes(std::move(e)) {}
    std::string body;      // what goes inside w:body
    std::string styles;    // inside w:styles
    std::string numbering; // inside w:numbering
    std::string footnotes; // inside w:footnotes
    std::string endnotes;  // inside w:endnotes
};

inline std::string makeDocx(const DocxParts& p) {
    const std::string ns = WordNamespace;
    ZipMembers m{{"[Content_Types].xml", "<Types/>"},
                 {"word/document.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document " + ns +
                                           "><w:body>" + p.body + "</w:body></w:document>"}};
    if (!p.styles.empty())
        m.emplace_back("word/styles.xml", "<w:styles " + ns + ">" + p.styles + "</w:styles>");
    if (!p.numbering.empty())
        m.emplace_back("word/numbering.xml", "<w:numbering " + ns + ">" + p.numbering + "</w:numbering>");
    if (!p.footnotes.empty())
        m.emplace_back("word/footnotes.xml", "<w:footnotes " + ns + ">" + p.footnotes + "</w:footnotes>");
    if (!p.endnotes.empty())
        m.emplace_back("word/endnotes.xml", "<w:endnotes " + ns + ">" + p.endnotes + "</w:endnotes>");
    return makeZip(m);
}

inline constexpr char OdtNamespaces[] =
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
    "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
    "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
    "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
    "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\"";

// An .odt of a text body, automatic styles of content.xml and named styles of
// styles.xml.
inline std::string makeOdt(const std::string& text, const std::string& automatic = {},
                           const std::string& named = {}) {
    const std::string ns = OdtNamespaces;
    return makeZip({{"mimetype", "application/vnd.oasis.opendocument.text"},
                    {"content.xml", "<office:document-content " + ns + "><office:automatic-styles>" +
                                        automatic + "</office:automatic-styles><office:body><office:text>" +
                                        text + "</office:text></office:body></office:document-content>"},
                    {"styles.xml", "<office:document-styles " + ns + "><office:styles>" + named +
                                       "</office:styles></office:document-styles>"}});
}

} // namespace tallix::testing
