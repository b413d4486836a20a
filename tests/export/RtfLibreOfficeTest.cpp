// The RTF export as a word processor reads it: LibreOffice converts an exported
// file to HTML, and the colours and styles of the spans, labels, markers and
// appended sections are read back from that page. Skipped where LibreOffice is not
// installed.
#include "export/RtfExport.h"

#include "TestFiles.h"
#include "library/LinkList.h"
#include "stats/StatsTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

namespace tallix::testing {
namespace {

std::string findSoffice() {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    std::size_t from = 0;
    while (from <= dirs.size()) {
        std::size_t to = dirs.find(':', from);
        if (to == std::string::npos)
            to = dirs.size();
        const std::filesystem::path p = std::filesystem::path(dirs.substr(from, to - from)) / "soffice";
        if (!p.parent_path().empty() && std::filesystem::exists(p))
            return p.string();
        from = to + 1;
    }
    return {};
}

// What a stretch of text looks like on LibreOffice's page.
struct Look {
    std::string colour = "#000000";
    bool underline = false, italic = false, bold = false;
};
struct Piece {
    std::string text;
    Look look;
};

// The text pieces of an HTML page with the look each has, from the font colours
// and the u, i, b tags and text-decoration / font-style overrides that enclose it.
std::vector<Piece> piecesOf(const std::string& html) {
    std::vector<Piece> pieces;
    std::vector<std::pair<std::string, Look>> stack{{"", Look{}}};
    const std::size_t body = html.find("<body");
    std::size_t i = body == std::string::npos ? 0 : body;
    std::string text;
    auto flush = [&] {
        std::string t = std::regex_replace(text, std::regex("\\s+"), " ");
        t = std::regex_replace(t, std::regex("&quot;"), "\"");
        t = std::regex_replace(t, std::regex("&amp;"), "&");
        if (t.find_first_not_of(' ') != std::string::npos)
            pieces.push_back({t, stack.back().second});
        text.clear();
    };
    while (i < html.size()) {
        if (html[i] != '<') {
            text += html[i++];
            continue;
        }
        flush();
        const std::size_t end = html.find('>', i);
        const std::string tag = html.substr(i + 1, end - i - 1);
        i = end + 1;
        const bool closing = !tag.empty() && tag[0] == '/';
        std::string name = tag.substr(closing, tag.find_first_of(" />", closing) - closing);
        for (char& c : name)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        if (closing) {
            for (std::size_t k = stack.size(); k-- > 1;)
                if (stack[k].first == name) {
                    stack.resize(k);
                    break;
                }
            continue;
        }
        if (name != "font" && name != "span" && name != "u" && name != "i" && name != "b" &&
            name != "sup" && name != "p" && name != "em" && name != "strong")
            continue;
        Look look = stack.back().second;
        std::smatch m;
        if (std::regex_search(tag, m, std::regex("color=\"(#[0-9a-fA-F]{6})\"")))
            look.colour = m[1];
        if (name == "u")
            look.underline = true;
        if (name == "i" || name == "em")
            look.italic = true;
        if (name == "b" || name == "strong")
            look.bold = true;
        if (tag.find("text-decoration: none") != std::string::npos)
            look.underline = false;
        if (tag.find("font-style: normal") != std::string::npos)
            look.italic = false;
        stack.emplace_back(name, look);
    }
    return pieces;
}

TEST(RtfExportInLibreOffice, SpansLabelsMarkersAndSectionsKeepTheirColours) {
    const std::string soffice = findSoffice();
    if (soffice.empty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; install libreoffice-writer "
                        "to check the RTF export against a word processor";

    EssayBuilder e;
    e.text(u"The essay ").span(u"wrongword").error(u"Sp").text(u" and ").span(u"nicely")
        .praise(u"Good!").text(u" then ").coloured(u"commented", clNavy).marker(u"1")
        .text(u" end.");
    e.comment(u"The comment text");
    MarkedDocument doc;
    e.into(doc);
    doc.feedback1Text = u"Feedback number one";
    doc.feedback2Text = u"Feedback number two";
    doc.grade = u"B+";
    const AnnotationSet buttons = AnnotationSet::builtInDefaults();
    OutputTitles titles;
    OutputColours colours;
    colours.setIndex(ColourRole::Comment, 5);
    colours.setIndex(ColourRole::F1, 2);
    colours.setIndex(ColourRole::F2, 3);
    colours.setIndex(ColourRole::Grade, 4);
    colours.setIndex(ColourRole::Error, 6);
    const library::LinkList links;
    const std::string rtf =
        exports::exportRtf(exports::RtfExportRequest{doc, buttons, titles, colours, links, {}}).bytes;

    TempFolder dir;
    const std::string file = dir.write("essay.rtf", rtf);
    const std::string profile = (std::filesystem::temp_directory_path() /
                                 "tallix32-test-libreoffice-profile").string();
    const std::string command = "HOME=" + dir.path().string() + " '" + soffice +
                                "' -env:UserInstallation=file://" + profile +
                                " --headless --convert-to html --outdir '" + dir.path().string() +
                                "' '" + file + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string html = TempFolder::read(dir.file("essay.html"));
    ASSERT_FALSE(html.empty()) << "LibreOffice wrote no page";

    const std::vector<Piece> pieces = piecesOf(html);
    auto look = [&](const std::string& s) -> Look {
        for (const Piece& p : pieces)
            if (p.text.find(s) != std::string::npos)
                return p.look;
        ADD_FAILURE() << "not on the page: " << s;
        return {};
    };
    auto html6 = [&](ColourRole r) {
        std::string h = "#" + colours.html(r);
        for (char& c : h)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        return h;
    };
    const Look span = look("wrongword");
    EXPECT_EQ(span.colour, "#0000ff");
    EXPECT_TRUE(span.underline);
    const Look error = look("Sp");
    EXPECT_EQ(error.colour, "#ff0000");
    EXPECT_TRUE(error.italic);
    const Look praise = look("Good!");
    EXPECT_EQ(praise.colour, "#008080");
    EXPECT_TRUE(praise.italic);
    EXPECT_EQ(look("1").colour, html6(ColourRole::Comment)); // the marker, first "1" on the page
    EXPECT_EQ(look("Feedback number one").colour, html6(ColourRole::F1));
    EXPECT_TRUE(look("Feedback number one").bold);
    EXPECT_EQ(look("Feedback number two").colour, html6(ColourRole::F2));
    EXPECT_EQ(look("B+").colour, html6(ColourRole::Grade));
    EXPECT_EQ(look("Error Statistics").colour, html6(ColourRole::Error));
    EXPECT_TRUE(look("Error Statistics").underline);
    EXPECT_EQ(look("Comments").colour, html6(ColourRole::Comment));
    EXPECT_EQ(look("The comment text").colour, "#000000");
    EXPECT_FALSE(look("The comment text").underline);
}

} // namespace
} // namespace tallix::testing
