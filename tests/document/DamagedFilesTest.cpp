// Damaged and hostile files through every public loader: the buffer's loader, the
// marked-file loader, both imports and the text decoder. Each file must load, or
// fail with the loader's own message; never crash, hang, or take memory out of
// proportion to its size. Every file is loaded in a child process of its own, so
// a crash or a hang is a failure of that file and the child's peak memory can be
// measured. The table of files, times and peaks is printed as the tests run.
#include "document/DocxReader.h"
#include "document/MarkedDocument.h"
#include "document/RtfReader.h"
#include "document/ZipXml.h"
#include "platform/TextCodec.h"

#include "ChildProcess.h"
#include "DataFiles.h"
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace tallix;
using tallix::testing::ChildRun;
using tallix::testing::TempFolder;

namespace {

const std::u16string TlxFailure = u"Unable to load the file. It may be corrupted in some way.";
const std::u16string ImportRtfFailure =
    u"Unable to load the file. It may be in use by another program, or corrupted in some way.";
const std::u16string ImportTextFailure = TlxFailure;
const std::string BufferFailure = "The data is neither RTF nor text.";

// Loads the file through every loader; one line per loader: its name, then "ok"
// and what was read, or "refused" when it failed with its own message, or
// "WRONG" and what went wrong. The buffer's consistency is checked for files
// small enough that the check itself does not dominate the measurement.
std::string loadEverywhere(const std::string& path) {
    std::ostringstream out;
    std::string bytes = TempFolder::read(path);
    const bool rtf = looksLikeRtf(bytes);
    {
        RichTextBuffer b;
        const LoadResult r = b.loadFromBytes(bytes);
        if (r.ok)
            out << "buffer ok " << b.length()
                << (bytes.size() < 1000000 && !b.check() ? " WRONG inconsistent" : "") << "\n";
        else
            out << "buffer " << (r.error == BufferFailure ? "refused" : "WRONG " + r.error) << "\n";
    }
    {
        MarkedDocument d;
        const FileOutcome r = d.loadTlxFile(path);
        if (r.ok)
            out << "tlx ok " << d.essay().length() << " comments " << d.commentTexts.size() << "\n";
        else
            out << "tlx "
                << (r.message.text == TlxFailure && r.message.helpContext == tlx::HelpContext
                        ? "refused"
                        : "WRONG " + text::toUtf8(r.message.text))
                << "\n";
    }
    {
        MarkedDocument d;
        const FileOutcome r = d.importEssay(path, rtf ? ImportKind::Rtf : ImportKind::Text);
        const std::u16string& expected = rtf ? ImportRtfFailure : ImportTextFailure;
        if (r.ok)
            out << "import ok " << d.essay().length() << "\n";
        else
            out << "import " << (r.message.text == expected ? "refused" : "WRONG " + text::toUtf8(r.message.text))
                << "\n";
    }
    {
        const std::optional<std::u16string> essay = text::decodeEssayText(bytes);
        const std::u16string any = text::decodeTextFile(bytes);
        out << "decoder " << (essay ? "ok " + std::to_string(essay->size()) : std::string("refused"))
            << " " << any.size() << "\n";
    }
    return out.str();
}

// What one loader made of a file: "ok ..." or "refused" (or "WRONG ...").
std::string outcome(const std::string& output, const std::string& loader) {
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(loader + " ", 0) == 0)
            return line.substr(loader.size() + 1);
    return "missing";
}

bool loaded(const std::string& output, const std::string& loader) {
    return outcome(output, loader).rfind("ok", 0) == 0;
}

std::string shortOutcome(const std::string& output) {
    std::string s;
    for (const char* loader : {"buffer", "tlx", "import", "decoder"}) {
        if (!s.empty())
            s += " ";
        s += loaded(output, loader) ? "ok" : "refused";
    }
    return s;
}

std::string megabytes(double kilobytes) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f MB", kilobytes / 1024.0);
    return buf;
}

class DamagedFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // What the child takes before it reads anything: the test program itself.
        const ChildRun idle = tallix::testing::runInChild([] { return std::string(); }, 60);
        baseKilobytes_ = idle.peakKilobytes;
        std::printf("| file | size | buffer tlx import decoder | time | peak memory |\n");
        std::printf("|---|---|---|---|---|\n");
        std::printf("| (nothing loaded) | 0 | - | %.2f s | %s |\n", idle.seconds,
                    megabytes(double(idle.peakKilobytes)).c_str());
    }

    // Loads the file in a child and checks that it ended normally, within the time,
    // within 20 times the file's size over the program's own memory, and that no
    // loader failed with anything but its own message. Returns the child's output.
    std::string check(const std::string& path, const std::string& name) {
        const auto size = std::filesystem::file_size(path);
        const ChildRun r = tallix::testing::runInChild([&] { return loadEverywhere(path); }, 300);
        std::printf("| %s | %llu | %s | %.2f s | %s |\n", name.c_str(),
                    static_cast<unsigned long long>(size), shortOutcome(r.output).c_str(), r.seconds,
                    megabytes(double(r.peakKilobytes)).c_str());
        std::fflush(stdout);
        EXPECT_FALSE(r.timedOut) << name << " hung";
        EXPECT_TRUE(r.exited && r.exitStatus == 0) << name << " crashed, signal " << r.signal;
        EXPECT_EQ(r.output.find("WRONG"), std::string::npos) << name << ":\n" << r.output;
        const double limitKilobytes =
            double(baseKilobytes_) + FixedSlackKilobytes + 20.0 * double(size) / 1024.0;
        EXPECT_LE(double(r.peakKilobytes), limitKilobytes)
            << name << " took " << megabytes(double(r.peakKilobytes)) << " for " << size << " bytes";
        return r.output;
    }

    // Room for the allocator's own bookkeeping and stacks beyond the idle child.
    static constexpr double FixedSlackKilobytes = 8 * 1024;
    static inline long baseKilobytes_ = 0;
    TempFolder dir;
};

TEST_F(DamagedFiles, CommittedFilesLoadOrFailWithTheirMessages) {
    const std::string folder = tallix::testing::dataPath("damaged");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() != ".md")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_GE(names.size(), 15u);
    std::map<std::string, std::string> outs;
    for (const std::string& name : names) {
        const std::string& out = outs[name] = check(folder + "/" + name, name);
        if (name.ends_with(".rtf")) { // RTF of any damage reads as a document
            EXPECT_TRUE(loaded(out, "buffer") && loaded(out, "tlx") && loaded(out, "import"))
                << name << ":\n" << out;
        }
    }
    // Text with NUL bytes, and binary data, is no essay.
    EXPECT_EQ(outcome(outs["nul-bytes.txt"], "tlx"), "refused");
    EXPECT_EQ(outcome(outs["binary.txt"], "import"), "refused");
    // Malformed UTF-8 is read as Windows-1252: every byte a character.
    EXPECT_EQ(outcome(outs["invalid-utf8.txt"], "import"), "ok 75");
    // UTF-16 without its byte-order mark is still an essay of 33 characters.
    EXPECT_EQ(outcome(outs["utf16le-no-bom.txt"], "import"), "ok 33");
    EXPECT_EQ(outcome(outs["utf16be-no-bom.txt"], "import"), "ok 33");
    // Nothing at all is an empty essay, as is a bare RTF header.
    EXPECT_EQ(outcome(outs["empty.tlx"], "tlx"), "ok 0 comments 0");
    EXPECT_EQ(outcome(outs["rtf-header-only.tlx"], "tlx"), "ok 0 comments 0");
}

TEST_F(DamagedFiles, RealFilesTruncatedAtEveryPosition) {
    for (const char* name : {"rtf/older-control-marked.tlx", "rtf/pandoc-notes.rtf"}) {
        const std::string whole = tallix::testing::dataFile(name);
        const std::string cut = dir.file("cut.tlx");
        // One child takes every truncation, so the table has one line per file.
        const ChildRun r = tallix::testing::runInChild(
            [&] {
                std::string wrong;
                int refused = 0;
                for (std::size_t n = 0; n <= whole.size(); ++n) {
                    std::ofstream(cut, std::ios::binary | std::ios::trunc) << whole.substr(0, n);
                    const std::string out = loadEverywhere(cut);
                    if (out.find("WRONG") != std::string::npos)
                        wrong += "at " + std::to_string(n) + ":\n" + out;
                    refused += loaded(out, "tlx") ? 0 : 1;
                }
                return wrong + "refused " + std::to_string(refused);
            },
            300);
        std::printf("| %s truncated at each of %zu positions | 0 to %zu | %s | %.2f s | %s |\n", name,
                    whole.size() + 1, whole.size(), r.output.substr(r.output.rfind("refused")).c_str(),
                    r.seconds, megabytes(double(r.peakKilobytes)).c_str());
        EXPECT_FALSE(r.timedOut) << name;
        EXPECT_TRUE(r.exited && r.exitStatus == 0) << name << " crashed, signal " << r.signal;
        EXPECT_EQ(r.output.find("WRONG"), std::string::npos) << r.output.substr(0, 2000);
        // Every cut of a text-only prefix reads as text; nothing is ever refused.
        EXPECT_EQ(r.output.substr(r.output.rfind("refused")), "refused 0");
    }
}

// Writes a large file piece by piece, so the test process itself stays small (a
// forked child starts with the parent's memory).
template <typename Piece>
std::string writeLarge(const TempFolder& dir, const std::string& name, const std::string& head,
                       std::size_t pieces, Piece piece, const std::string& tail) {
    const std::string path = dir.file(name);
    std::ofstream out(path, std::ios::binary);
    out << head;
    for (std::size_t i = 0; i < pieces; ++i)
        out << piece(i);
    out << tail;
    return path;
}

TEST_F(DamagedFiles, GroupsNestedAMillionDeep) {
    const std::string open(1000000, '{');
    const std::string close(1000000, '}');
    std::string out = check(writeLarge(dir, "nested.rtf", "{\\rtf1\\ansi " + open + "deep", 1,
                                       [&](std::size_t) { return close; }, " after}"),
                            "groups nested 1,000,000 deep");
    EXPECT_EQ(outcome(out, "buffer"), "ok 10"); // "deep after"
    out = check(writeLarge(dir, "unclosed.rtf", "{\\rtf1\\ansi " + open, 1,
                           [](std::size_t) { return std::string("never closed"); }, ""),
                "groups opened 1,000,000 deep, never closed");
    EXPECT_EQ(outcome(out, "buffer"), "ok 12");
    out = check(writeLarge(dir, "closing.rtf", "{\\rtf1\\ansi text", 1,
                           [&](std::size_t) { return close; }, "more"),
                "1,000,000 closing braces");
    EXPECT_EQ(outcome(out, "buffer"), "ok 4");
}

TEST_F(DamagedFiles, BinClaimingAGigabyteWithMegabytesOfData) {
    std::mt19937 random(18);
    std::string block(1 << 16, '\0');
    const std::string out = check(
        writeLarge(dir, "bin.rtf", "{\\rtf1\\ansi before {\\*\\pict\\bin1000000000 ", 128,
                   [&](std::size_t) {
                       for (char& c : block)
                           c = static_cast<char>(random());
                       return block;
                   },
                   "}} after}"),
        "\\bin1000000000 and 8 MB of data");
    // The data runs to the end of the file, so only the text before it is read.
    EXPECT_EQ(outcome(out, "buffer"), "ok 7");
}

TEST_F(DamagedFiles, FiftyMegabytesWithoutALineBreak) {
    const std::string words = "the quick brown fox jumps over the lazy dog ";
    const std::string chunk = [&] {
        std::string s;
        while (s.size() < 1 << 20)
            s += words;
        return s.substr(0, 1 << 20);
    }();
    std::string out = check(writeLarge(dir, "long.txt", "", 50, [&](std::size_t) { return chunk; }, ""),
                            "50 MB text, no line breaks");
    EXPECT_EQ(outcome(out, "import"), "ok " + std::to_string(50 << 20));
    // The reader at scale: one paragraph of 10 MB.
    out = check(writeLarge(dir, "long.rtf", "{\\rtf1\\ansi ", 10, [&](std::size_t) { return chunk; }, "}"),
                "10 MB RTF, one paragraph");
    EXPECT_EQ(outcome(out, "buffer"), "ok " + std::to_string(10 << 20));
}

TEST_F(DamagedFiles, TrailerWithAHundredThousandSeparators) {
    const std::string out =
        check(writeLarge(dir, "separators.tlx", "{\\rtf1\\ansi The essay.TallixComments:", 100000,
                         [](std::size_t) { return std::string("\\'b6"); },
                         "FeedbackOne:EndFeedbackOneFeedbackTwo:EndFeedbackTwoTallixGrade:B"
                         "EndTallixGrade  }"),
              "trailer with 100,000 separators");
    EXPECT_EQ(outcome(out, "tlx"), "ok 10 comments 100000");
}

// ---------------------------------------------------------------------------
// Hostile Word and OpenDocument files: the import refuses them with the reason,
// or reads them, within the time and memory of the rest of the table.

// Imports the file as the window and the command line do; "ok" and the length
// read, or "refused" and the reason, or "WRONG" when it failed without the Word
// import's help page.
std::string importWordFile(const std::string& path) {
    MarkedDocument d;
    const FileOutcome r = d.importEssay(path, ImportKind::Rtf);
    if (r.ok)
        return "import ok " + std::to_string(d.essay().length()) + "\n";
    if (r.message.helpContext != tlx::ImportWordHelpContext)
        return "import WRONG " + text::toUtf8(r.message.text) + "\n";
    return "import refused " + text::toUtf8(r.message.text) + "\n";
}

const char WordNs[] = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

std::string wordDocument(const std::string& body) {
    return std::string("<w:document ") + WordNs + "><w:body>" + body + "</w:body></w:document>";
}

std::string odt(const std::string& content) {
    return zipxml::buildZip({{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", content}});
}

// A zip archive whose members are encrypted with a password (AES-256).
std::string encryptedZip(const std::vector<std::pair<std::string, std::string>>& members) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    std::string bytes;
    zip_source_keep(buffer);
    if (zip_t* z = zip_open_from_source(buffer, ZIP_TRUNCATE, &error)) {
        for (const auto& [name, data] : members) {
            zip_source_t* s = zip_source_buffer(z, data.data(), data.size(), 0);
            const zip_int64_t at = zip_file_add(z, name.c_str(), s, ZIP_FL_OVERWRITE);
            if (at >= 0 && name != "mimetype")
                zip_file_set_encryption(z, zip_uint64_t(at), ZIP_EM_AES_256, "secret");
        }
        if (zip_close(z) == 0 && zip_source_open(buffer) == 0) {
            zip_source_seek(buffer, 0, SEEK_END);
            bytes.resize(std::size_t(zip_source_tell(buffer)));
            zip_source_seek(buffer, 0, SEEK_SET);
            zip_source_read(buffer, bytes.data(), bytes.size());
            zip_source_close(buffer);
        }
    }
    zip_source_free(buffer);
    zip_error_fini(&error);
    return bytes;
}

TEST_F(DamagedFiles, HostileWordAndOpenDocumentFiles) {
    struct Case {
        std::string name;
        std::function<std::string()> bytes; // made when its turn comes: a forked child starts with
                                             // the test's own memory
        std::string outcome;                 // a piece of the child's line
    };
    // A reader may use at most 20 times the file's size in memory, or for a deeply
    // nested document 20 times its XML, of which a file of a few kilobytes holds megabytes.
    std::size_t xmlSize = 0;
    const auto deep = [&xmlSize](const std::string& head, const std::string& open, const std::string& middle,
                         const std::string& close, const std::string& tail) {
        std::string xml = head;
        xml.reserve(head.size() + 1000000 * (open.size() + close.size()) + middle.size() + tail.size());
        for (int i = 0; i < 1000000; ++i)
            xml += open;
        xml += middle;
        for (int i = 0; close.size() && i < 1000000; ++i)
            xml += close;
        xml += tail;
        xmlSize = xml.size();
        return xml;
    };
    const std::string wordHead = std::string("<w:document ") + WordNs + "><w:body>";
    const std::string odtHead =
        "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:text>";
    const std::string essay = wordDocument("<w:p><w:r><w:t>The essay.</w:t></w:r></w:p>");
    const std::vector<Case> cases = {
        {"zip bomb: 60 MB of one letter",
         [] {
             std::string bomb = wordDocument("<w:p><w:r><w:t>");
             bomb.append(60u << 20, 'a');
             return zipxml::buildZip({{"word/document.xml", bomb + "</w:t></w:r></w:p></w:body></w:document>"}});
         },
         "more than 50 MB"},
        {"entities expanding to 10 MB",
         [] {
             return zipxml::buildZip(
                 {{"word/document.xml",
                   "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY a \"aaaaaaaaaa\">"
                   "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                   "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
                   "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>" +
                       wordDocument("<w:p><w:r><w:t>&g;</w:t></w:r></w:p>")}});
         },
         "document type"},
        {"an external entity",
         [] {
             return zipxml::buildZip({{"word/document.xml",
                                       "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY x SYSTEM "
                                       "\"file:///etc/passwd\">]>" +
                                           wordDocument("<w:p><w:r><w:t>&x;</w:t></w:r></w:p>")}});
         },
         "document type"},
        {"a Word document nested 1,000,000 deep",
         [&] { return zipxml::buildZip({{"word/document.xml", deep(wordHead, "<w:p>", "", "", "")}}); },
         "nests elements more than"},
        {"Word content controls nested 1,000,000 deep and closed",
         [&] {
             return zipxml::buildZip({{"word/document.xml", deep(wordHead, "<w:sdt>", "<w:p><w:r><w:t>deep</w:t></w:r></w:p>",
                                                                 "</w:sdt>", "</w:body></w:document>")}});
         },
         "nests elements more than"},
        {"an OpenDocument text nested 1,000,000 deep",
         [&] { return odt(deep(odtHead, "<text:span>", "", "", "")); }, "nests elements more than"},
        {"members named ../ around the document",
         [&] {
             return zipxml::buildZip(
                 {{"../../outside.xml", "<x/>"}, {"word/document.xml", essay}, {"/etc/passwd", "x"}});
         },
         "import ok 10"},
        {"an encrypted Word document", [&] { return encryptedZip({{"word/document.xml", essay}}); }, "refused"},
        {"an encrypted OpenDocument text",
         [] {
             return encryptedZip(
                 {{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", "<x/>"}});
         },
         "refused"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("hostile.docx");
        // The file is made in a child of its own too, so that this process (and
        // so the child that reads it) never holds its megabytes.
        xmlSize = 0;
        const ChildRun made = tallix::testing::runInChild(
            [&] {
                const std::string bytes = c.bytes();
                std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
                return std::to_string(xmlSize) + (bytes.empty() ? " empty" : "");
            },
            300);
        ASSERT_TRUE(made.exited && made.output.find("empty") == std::string::npos) << made.output;
        xmlSize = std::stoul(made.output);
        const auto size = std::filesystem::file_size(path);
        const ChildRun r = tallix::testing::runInChild([&] { return importWordFile(path); }, 300);
        std::printf("| %s | %llu (XML %zu) | %s | %.2f s | %s |\n", c.name.c_str(),
                    static_cast<unsigned long long>(size), xmlSize,
                    r.output.substr(0, r.output.find('\n')).c_str(), r.seconds,
                    megabytes(double(r.peakKilobytes)).c_str());
        std::fflush(stdout);
        EXPECT_FALSE(r.timedOut);
        EXPECT_TRUE(r.exited && r.exitStatus == 0) << "signal " << r.signal;
        EXPECT_EQ(r.output.find("WRONG"), std::string::npos) << r.output;
        EXPECT_NE(r.output.find(c.outcome), std::string::npos) << r.output;
        const double bound = double(std::max<std::size_t>(size, xmlSize));
        EXPECT_LE(double(r.peakKilobytes), double(baseKilobytes_) + FixedSlackKilobytes + 20.0 * bound / 1024.0)
            << "took " << megabytes(double(r.peakKilobytes)) << " for " << size << " bytes";
    }
}

} // namespace
