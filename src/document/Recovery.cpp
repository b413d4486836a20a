#include "document/Recovery.h"

#include "document/Scanning.h"
#include "platform/TextCodec.h"
#include "platform/ProgramFolder.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <signal.h>
#include <unistd.h>
#define TALLIX_RECOVERY_PIDS 1
#endif

namespace fs = std::filesystem;

namespace tallix::recovery {

namespace {

constexpr std::string_view Magic = "TALLIX32 RECOVERY 1\n";
constexpr std::string_view Extension = ".recovery";

fs::path toPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

struct Stamp {
    long long size = -1;
    long long time = 0;
};

// Size and modification time of a file; size -1 when there is none.
Stamp stampOf(const std::string& path) {
    Stamp s;
    if (path.empty())
        return s;
    std::error_code ec;
    const fs::path p = toPath(path);
    const auto size = fs::file_size(p, ec);
    if (ec)
        return s;
    const auto time = fs::last_write_time(p, ec);
    if (ec)
        return s;
    s.size = static_cast<long long>(size);
    s.time = static_cast<long long>(time.time_since_epoch().count());
    return s;
}

bool parseNumber(std::string_view text, long long& out) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

struct Header {
    std::string origin;
    Stamp stamp;
    long long trailerBytes = -1;
    long long essayBytes = -1;
    std::size_t bodyAt = 0;
};

// Reads the header; false when the bytes are not a whole recovery file.
bool readHeader(std::string_view bytes, Header& h) {
    if (bytes.substr(0, Magic.size()) != Magic)
        return false;
    std::size_t at = Magic.size();
    for (;;) {
        const std::size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos)
            return false;
        const std::string_view line = bytes.substr(at, end - at);
        at = end + 1;
        if (line.empty())
            break;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            return false;
        const std::string_view key = line.substr(0, eq);
        const std::string_view value = line.substr(eq + 1);
        if (key == "origin")
            h.origin = std::string(value);
        else if (key == "origin-size" && !parseNumber(value, h.stamp.size))
            return false;
        else if (key == "origin-time" && !parseNumber(value, h.stamp.time))
            return false;
        else if (key == "trailer" && !parseNumber(value, h.trailerBytes))
            return false;
        else if (key == "essay" && !parseNumber(value, h.essayBytes))
            return false;
    }
    h.bodyAt = at;
    if (h.trailerBytes < 0 || h.essayBytes < 0)
        return false;
    const std::size_t body = bytes.size() - at;
    return static_cast<unsigned long long>(h.trailerBytes) +
               static_cast<unsigned long long>(h.essayBytes) ==
           body;
}

#ifdef TALLIX_RECOVERY_PIDS
bool processAlive(long long pid) {
    if (pid <= 0 || pid > 0x7FFFFFFF)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}
#endif

} // namespace

std::string folder() { return userProgramFolder() + "recovery/"; }

std::string ownFile() {
#ifdef TALLIX_RECOVERY_PIDS
    return folder() + std::to_string(static_cast<long long>(::getpid())) + std::string(Extension);
#else
    return folder() + "work" + std::string(Extension);
#endif
}

std::string encode(const MarkedDocument& doc) {
    const std::string trailer = text::toUtf8(doc.trailer());
    const std::string essay = doc.essay().saveRtf();
    const Stamp stamp = stampOf(doc.currentFile);
    std::string out(Magic);
    // A path holds no line break on any system we run on; keep the header whole
    // should one ever arrive.
    std::string origin = doc.currentFile;
    std::replace(origin.begin(), origin.end(), '\n', ' ');
    out += "origin=" + origin + "\n";
    out += "origin-size=" + std::to_string(stamp.size) + "\n";
    out += "origin-time=" + std::to_string(stamp.time) + "\n";
    out += "trailer=" + std::to_string(trailer.size()) + "\n";
    out += "essay=" + std::to_string(essay.size()) + "\n\n";
    out += trailer;
    out += essay;
    return out;
}

fileio::FileResult write(const MarkedDocument& doc, const std::string& path) {
    std::error_code ec;
    fs::create_directories(toPath(path).parent_path(), ec);
    return fileio::writeFileAtomic(path, encode(doc));
}

std::vector<Found> leftBehind() {
    std::vector<std::pair<fs::file_time_type, Found>> found;
    std::error_code ec;
    for (fs::directory_iterator it(toPath(folder()), ec), end; !ec && it != end;
         it.increment(ec)) {
        const fs::path p = it->path();
        if (p.extension() != Extension || !it->is_regular_file(ec))
            continue;
#ifdef TALLIX_RECOVERY_PIDS
        long long pid = 0;
        const std::string stem = utf8Of(p.stem());
        if (parseNumber(stem, pid) && (pid == ::getpid() || processAlive(pid)))
            continue; // a program still running keeps its work
#endif
        std::string bytes;
        Header h;
        if (!fileio::readFile(utf8Of(p), bytes).ok || !readHeader(bytes, h))
            continue;
        found.push_back({it->last_write_time(ec), Found{utf8Of(p), h.origin}});
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<Found> out;
    for (auto& f : found)
        out.push_back(std::move(f.second));
    return out;
}

Restored restore(MarkedDocument& doc, const std::string& path) {
    Restored r;
    std::string bytes;
    if (fileio::FileResult read = fileio::readFile(path, bytes); !read.ok) {
        r.error = text::fromUtf8(read.error);
        return r;
    }
    Header h;
    if (!readHeader(bytes, h)) {
        r.error = u"The recovery file is damaged.";
        return r;
    }
    const std::string_view body = std::string_view(bytes).substr(h.bodyAt);
    const std::string_view trailer = body.substr(0, std::size_t(h.trailerBytes));
    const std::string_view essay = body.substr(std::size_t(h.trailerBytes));
    RichTextBuffer& scratch = doc.scratch();
    if (!scratch.loadFromBytes(essay).ok) {
        scratch.clear();
        r.error = u"The recovery file is damaged.";
        return r;
    }
    TrailerParts parts = parseTrailer(text::fromUtf8(trailer));

    RichContent essayContent = scratch.content();
    scratch.clear();

    // From here on nothing can fail: the document takes the recovered work.
    doc.clear();
    // Recovered work starts a history of its own, as an opened file does.
    UndoHistory::Suspend quiet(doc.history());
    doc.essay().assign(std::move(essayContent));
    scan::removeBookmarks(doc.essay());
    doc.essay().setSelStart(0);
    doc.commentTexts = std::move(parts.comments);
    doc.feedback1Text = std::move(parts.feedback1);
    doc.feedback2Text = std::move(parts.feedback2);
    doc.grade = std::move(parts.grade);
    doc.notes.selectorMax = doc.notes.selectorValue = int(doc.commentTexts.size());
    const Stamp now = stampOf(h.origin);
    r.originUnchanged = !h.origin.empty() && h.stamp.size >= 0 && now.size == h.stamp.size &&
                        now.time == h.stamp.time;
    doc.currentFile = r.originUnchanged ? h.origin : std::string();
    // The work was made from the file as it is now: a save over it asks only when
    // something else writes it from here on.
    doc.rememberFileOnDisk();
    doc.documentChanged = true;
    r.ok = true;
    return r;
}

void discard(const std::string& path) {
    std::error_code ec;
    fs::remove(toPath(path), ec);
}

} // namespace tallix::recovery
