// The help keeps up with the program. Every help context the program carries has a
// topic; every topic is a page that exists, is listed in the contents and is built
// into the program; every option that "tallix32 --help" lists is explained on the
// command-line page.
//
// The contexts are gathered from the sources themselves, in every shape the code
// gives one (a named constant, a literal handed to a window, a box or a message),
// so a new window, question or message with a context of its own fails here until
// its topic is written, and a new option fails until the command-line page tells of
// it.
#include "ProgramRun.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using tallix::testing::runTallix32;
using tallix::testing::TempFolder;
namespace fs = std::filesystem;

namespace {

const fs::path kSourceFolder = TALLIX_SOURCE_DIR;
const fs::path kResources = TALLIX_RESOURCES_DIR;
const fs::path kHelpFolder = kResources / "help";

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The code without its comments, each comment replaced by spaces (line breaks
// kept, so line numbers still hold). String and character literals are kept:
// a context may be set through a property named in one.
std::string withoutComments(const std::string& code) {
    std::string out = code;
    enum class In { Code, String, Char, LineComment, BlockComment } in = In::Code;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        const char next = i + 1 < code.size() ? code[i + 1] : '\0';
        switch (in) {
        case In::Code:
            if (c == '/' && next == '/') {
                in = In::LineComment;
                out[i] = ' ';
            } else if (c == '/' && next == '*') {
                in = In::BlockComment;
                out[i] = out[i + 1] = ' ';
                ++i;
            } else if (c == '"') {
                in = In::String;
            } else if (c == '\'' && !(i > 0 && std::isxdigit(static_cast<unsigned char>(code[i - 1])))) {
                in = In::Char; // not a digit separator (1'000)
            }
            break;
        case In::String:
        case In::Char:
            if (c == '\\')
                ++i;
            else if ((in == In::String && c == '"') || (in == In::Char && c == '\'') || c == '\n')
                in = In::Code;
            break;
        case In::LineComment:
            if (c == '\n')
                in = In::Code;
            else
                out[i] = ' ';
            break;
        case In::BlockComment:
            if (c == '*' && next == '/') {
                out[i] = out[i + 1] = ' ';
                ++i;
                in = In::Code;
            } else if (c != '\n') {
                out[i] = ' ';
            }
            break;
        }
    }
    return out;
}

// Where a help context was found: "src/app/X.cpp:12".
using ContextUses = std::map<int, std::vector<std::string>>;

// Every shape in which the code gives a help context by its number:
const std::vector<std::regex>& contextShapes() {
    static const std::vector<std::regex> shapes = {
        // a named constant, a field or a variable: "HelpContext = 14000",
        // "ImportRtfHelpContext{5000}", "r.helpContext = 1000"
        std::regex(R"(\b\w*[hH]elpContext\w*\s*(?:=|\{)\s*(\d+)\b)"),
        // a literal set on a control or shown: "setHelpContext(chkBreak, 39000)",
        // "showHelpContext(this, 35000)", "showHelpContext(16000)"
        std::regex(R"(\b(?:setHelpContext|showHelpContext)\s*\((?:[^(),;]+,\s*)?(\d+)\s*\))"),
        // the property itself: setProperty("helpContext", 34000)
        std::regex(R"("helpContext"\s*,\s*(\d+)\b)"),
        // a message of the core: Message{text, MessageType::Warning, 9000}
        std::regex(R"(\bMessageType::\w+\s*,\s*(\d+)\s*[})])"),
        // a box: showMessage(..., buttons::OkHelp, 10000), askWithCaptions(..., {...}, 42000),
        // refuseOverwriting(..., keep, 16000)
        std::regex(R"(\bbuttons::\w+\s*,\s*(\d+)\s*\))"),
        std::regex(R"(\b(?:askWithCaptions|refuseOverwriting)\s*\([^;]*[},]\s*(\d+)\s*\))"),
        // a constant built with its context last: Kind{3, ..., u"New link", 33000};
        std::regex(R"(u"[^"]*"\s*,\s*(\d+)\s*\}\s*;)"),
    };
    return shapes;
}

// The contexts in one text, 0 (no context) left out.
void collectContexts(const std::string& code, const std::string& where, ContextUses& uses) {
    const std::string text = withoutComments(code);
    for (const std::regex& shape : contextShapes()) {
        for (std::sregex_iterator it(text.begin(), text.end(), shape), end; it != end; ++it) {
            const int context = std::stoi((*it)[1].str());
            if (context == 0)
                continue;
            const auto line = 1 + std::count(text.begin(), text.begin() + it->position(), '\n');
            uses[context].push_back(where + ":" + std::to_string(line));
        }
    }
}

// Every help context of the program, with where it is given.
ContextUses programContexts() {
    ContextUses uses;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(kSourceFolder)) {
        const std::string ext = e.path().extension().string();
        if (!e.is_regular_file() || (ext != ".cpp" && ext != ".h"))
            continue;
        collectContexts(readAll(e.path()),
                        "src/" + fs::relative(e.path(), kSourceFolder).generic_string(), uses);
    }
    return uses;
}

struct Topic {
    std::string page;
    std::vector<int> contexts;
    int line = 0;
};

// topics.txt: "page  context context ..." a line, "#" comments.
std::vector<Topic> readTopics() {
    std::vector<Topic> topics;
    std::istringstream in(readAll(kHelpFolder / "topics.txt"));
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        std::istringstream fields(line);
        Topic t;
        t.line = n;
        if (!(fields >> t.page) || t.page.front() == '#')
            continue;
        for (std::string field; fields >> field;)
            t.contexts.push_back(std::stoi(field));
        topics.push_back(t);
    }
    return topics;
}

std::map<int, std::string> contextPages(const std::vector<Topic>& topics) {
    std::map<int, std::string> pages;
    for (const Topic& t : topics)
        for (int c : t.contexts)
            pages.emplace(c, t.page);
    return pages;
}

std::set<std::string> matches(const std::string& text, const std::regex& re, int group = 1) {
    std::set<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
        found.insert((*it)[group].str());
    return found;
}

// The words of an HTML page, without its tags and with the few entities the pages use.
std::string pageText(const std::string& html) {
    std::string text = std::regex_replace(html, std::regex("<[^>]*>"), " ");
    for (const auto& [entity, ch] : std::vector<std::pair<std::string, std::string>>{
             {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}, {"&ndash;", "-"}, {"&nbsp;", " "}})
        for (std::size_t at; (at = text.find(entity)) != std::string::npos;)
            text.replace(at, entity.size(), ch);
    return text;
}

// The options "tallix32 --help" lists: every "-x" or "--word" it prints.
std::set<std::string> optionsOf(const std::string& usage) {
    return matches(usage, std::regex(R"((?:^|[\s\[|(])(--?[a-z][a-z0-9-]*))"));
}

bool mentionsOption(const std::string& text, const std::string& option) {
    return std::regex_search(text, std::regex("(^|[^\\w-])" + option + "($|[^\\w-])"));
}

} // namespace

TEST(HelpTopicsTest, TheScannerFindsAHelpContextInEveryShapeTheCodeGivesOne) {
    // The shapes in which the program's code gives contexts; each one must be found,
    // and none in comments.
    const std::string code = R"(
        inline constexpr int HelpContext = 14000;
        static constexpr int FileMenuHelpContext = 24000;
        inline constexpr int ImportRtfHelpContext{5000};
        r.helpContext = 35000;
        setHelpContext(chkBreak, 39000);
        showHelpContext(this, 13000);
        showHelpContext(16000);
        a->setProperty("helpContext", 34000);
        return Message{u"Text", MessageType::Warning, 9000};
        showMessage(this, text, MessageType::Warning, buttons::Ok, 1000);
        askWithCaptions(this, text, MessageType::Confirmation, {u"A", u"B"}, 42000);
        if (refuseOverwriting(parent, path, keep, 17000))
        const LibraryKind Links{3, u"reflinks.mdb", u"links", u"New link", 33000};
        int helpContext = 0;                 // no context
        // setHelpContext(x, 777);  a comment is no context
        /* showHelpContext(778); */
        const char* url = "http://example.org"; setHelpContext(y, 779);
        showExportProgress({}, 10);          // a number, but no context
    )";
    ContextUses uses;
    collectContexts(code, "sample", uses);
    std::set<int> found;
    for (const auto& [context, where] : uses)
        found.insert(context);
    EXPECT_EQ(found, (std::set<int>{1000, 5000, 9000, 13000, 14000, 16000, 17000, 24000, 33000,
                                    34000, 35000, 39000, 42000, 779}));
}

TEST(HelpTopicsTest, EveryHelpContextOfTheProgramOpensATopic) {
    const ContextUses uses = programContexts();
    // The scan sees the program: the files' context, the menus', the recovery
    // question's, a window's, a library's.
    for (int known : {14000, 24000, 42000, 35000, 33000})
        EXPECT_TRUE(uses.count(known)) << "the scan of src/ misses context " << known;
    EXPECT_GE(uses.size(), 25u);

    const std::map<int, std::string> pages = contextPages(readTopics());
    for (const auto& [context, where] : uses) {
        std::string places;
        for (const std::string& w : where)
            places += " " + w;
        EXPECT_TRUE(pages.count(context))
            << "help context " << context << " (" << places
            << " ) has no topic: write its page and give it the context in "
               "resources/help/topics.txt";
    }
}

TEST(HelpTopicsTest, EveryTopicIsAPageThatExistsIsInTheContentsAndClaimsItsContextsAlone) {
    const std::vector<Topic> topics = readTopics();
    ASSERT_FALSE(topics.empty());
    EXPECT_EQ(topics.front().page, "contents.html") << "the first topic is the contents";

    const std::string contents = readAll(kHelpFolder / "contents.html");
    const std::set<std::string> linked = matches(contents, std::regex(R"(href="([^"#]+))"));
    std::map<int, std::string> claimed;
    std::set<std::string> listed;
    for (const Topic& t : topics) {
        EXPECT_TRUE(listed.insert(t.page).second) << t.page << " is listed twice in topics.txt";
        const std::string html = readAll(kHelpFolder / t.page);
        EXPECT_TRUE(fs::is_regular_file(kHelpFolder / t.page))
            << "topics.txt line " << t.line << ": " << t.page << " does not exist";
        EXPECT_TRUE(std::regex_search(html, std::regex("<title>[^<]+</title>")))
            << t.page << " has no title for the contents list";
        if (t.page != "contents.html") {
            EXPECT_TRUE(linked.count(t.page)) << t.page << " is not linked from contents.html";
        }
        for (int c : t.contexts) {
            const auto [at, added] = claimed.emplace(c, t.page);
            EXPECT_TRUE(added) << "help context " << c << " is claimed by " << at->second
                               << " and by " << t.page;
        }
    }

    // Every page of the folder is a topic, so the contents list and the search
    // reach it.
    for (const fs::directory_entry& e : fs::directory_iterator(kHelpFolder)) {
        if (e.path().extension() == ".html") {
            EXPECT_TRUE(listed.count(e.path().filename().string()))
                << e.path().filename() << " is not a topic in topics.txt";
        }
    }
}

TEST(HelpTopicsTest, EveryHelpFileIsBuiltIntoTheProgram) {
    const std::string qrc = readAll(kResources / "tallix32.qrc");
    const std::set<std::string> built = matches(qrc, std::regex(R"(<file>help/([^<]+)</file>)"));
    for (const fs::directory_entry& e : fs::directory_iterator(kHelpFolder)) {
        const std::string name = e.path().filename().string();
        EXPECT_TRUE(built.count(name)) << "help/" << name << " is not in tallix32.qrc";
    }
    for (const std::string& name : built)
        EXPECT_TRUE(fs::is_regular_file(kHelpFolder / name))
            << "tallix32.qrc lists help/" << name << ", which does not exist";
}

TEST(HelpTopicsTest, EveryCommandLineOptionIsExplainedOnTheCommandLinePage) {
    TempFolder dir;
    const tallix::testing::ProcessRun help = runTallix32(dir, "--help");
    ASSERT_EQ(help.status, 0) << help.err;
    const std::set<std::string> options = optionsOf(help.out);
    // The list is read from the program: its commands are all there.
    for (const char* command : {"--import", "--export-web", "--export-text", "--export-rtf",
                                "--export-pdf", "--export-docx", "--author",
                                "--stats", "--count-errors", "--help", "--version"})
        EXPECT_TRUE(options.count(command)) << command << " is not in the --help text";

    // The page is a topic of its own.
    const std::vector<Topic> topics = readTopics();
    EXPECT_TRUE(std::any_of(topics.begin(), topics.end(),
                            [](const Topic& t) { return t.page == "command-line.html"; }));
    const std::string page = pageText(readAll(kHelpFolder / "command-line.html"));
    ASSERT_FALSE(page.empty());
    for (const std::string& option : options)
        EXPECT_TRUE(mentionsOption(page, option))
            << "tallix32 --help lists " << option
            << ", which resources/help/command-line.html does not explain";

    // The exit statuses a script tests.
    for (const char* status : {"0", "1", "2"})
        EXPECT_TRUE(std::regex_search(page, std::regex(std::string("\\s") + status + "\\s*:")))
            << "exit status " << status << " is not explained";
}
