#include "document/MarkedDocument.h"

#include "document/DocxReader.h"
#include "document/Markup.h"
#include "document/PdfReader.h"
#include "document/RtfReader.h"
#include "document/RtfWriter.h"
#include "document/Scanning.h"
#include "platform/TextCodec.h"
#include "document/ZipXml.h"
#include "platform/CaseFold.h"
#include "platform/FileIO.h"
#include "platform/Lanes.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tallix {

namespace {

// The text between the end of the first `open` and the first `close`; empty when
// either is missing or they are out of order.
std::u16string between(std::u16string_view s, std::u16string_view open,
                       std::u16string_view close) {
    auto a = s.find(open);
    auto b = s.find(close);
    if (a == std::u16string_view::npos || b == std::u16string_view::npos)
        return {};
    a += open.size();
    if (b < a)
        return {};
    return std::u16string(s.substr(a, b - a));
}

std::u16string u16(const std::string& utf8) { return text::fromUtf8(utf8); }

Message loadFailedMessage() {
    return Message{u"Unable to load the file. It may be corrupted in some way.",
                   MessageType::Warning, tlx::HelpContext};
}

// A file that is not there, or too large to be an essay, is told as that; the
// general message stays for files that exist and cannot be read.
std::optional<Message> unreadableFileMessage(const fileio::FileResult& r, const std::string& path,
                                             int helpContext) {
    if (r.missing)
        return Message{u"The file \"" + u16(path) + u"\" does not exist.", MessageType::Warning,
                       helpContext};
    if (r.tooLarge)
        return Message{u"The file \"" + u16(path) + u"\" is too large to be an essay (more than " +
                           u16(std::to_string(tlx::MaxFileBytes >> 20)) + u" MB).",
                       MessageType::Warning, helpContext};
    return std::nullopt;
}

} // namespace

std::u16string notesCaptionText(NotesCaption c) {
    switch (c) {
    case NotesCaption::Comments:
        return u"Comments";
    case NotesCaption::Feedback1:
        return u"Feedback 1";
    case NotesCaption::Feedback2:
        return u"Feedback 2";
    case NotesCaption::Notes:
        break;
    }
    return u"Notes";
}

std::u16string buildTrailer(const TrailerParts& p) {
    std::u16string t = tlx::CommentsKey;
    for (const auto& c : p.comments) {
        t += c;
        t += tlx::Separator;
    }
    t += tlx::Feedback1Key;
    t += p.feedback1;
    t += tlx::Feedback1End;
    t += tlx::Feedback2Key;
    t += p.feedback2;
    t += tlx::Feedback2End;
    t += tlx::GradeKey;
    t += p.grade;
    t += tlx::GradeEnd;
    t += u"  ";
    return t;
}

TrailerParts parseTrailer(std::u16string_view trailer) {
    TrailerParts p;
    p.feedback1 = between(trailer, tlx::Feedback1Key, tlx::Feedback1End);
    p.feedback2 = between(trailer, tlx::Feedback2Key, tlx::Feedback2End);
    p.grade = between(trailer, tlx::GradeKey, tlx::GradeEnd);
    const std::size_t keyLength = std::char_traits<char16_t>::length(tlx::CommentsKey);
    std::u16string_view rest = trailer.substr(std::min(keyLength, trailer.size()));
    for (auto cut = rest.find(tlx::Separator); cut != std::u16string_view::npos;
         cut = rest.find(tlx::Separator)) {
        p.comments.emplace_back(rest.substr(0, cut));
        rest.remove_prefix(cut + 1);
    }
    return p;
}

MarkedDocument::MarkedDocument()
    : documentChanged(&history_), history_(essay_, commentTexts, bookmarks) {
    CharFormat defaults; // Arial, 12 points
    defaults.colour = clBlack;
    essay_.setDefaultFormat(defaults);
    essay_.resetInsertionFormat();
}

std::u16string MarkedDocument::caption() const {
    if (currentFile.empty())
        return u"Tallix32 [Untitled]";
    return u"Tallix32: '" + u16(fileNamePart(currentFile)) + u"'";
}

void MarkedDocument::stashFeedback() {
    if (notes.caption == NotesCaption::Feedback1) {
        feedback1Text = notes.memoText;
        feedback1Caret = notes.memoCaret;
    } else if (notes.caption == NotesCaption::Feedback2) {
        feedback2Text = notes.memoText;
        feedback2Caret = notes.memoCaret;
    }
}

void MarkedDocument::commitMemoToComments() {
    if (notes.caption != NotesCaption::Comments || notes.selectorMax <= 0)
        return;
    if (int(commentTexts.size()) < notes.selectorValue)
        commentTexts.push_back(notes.memoText);
    else if (notes.selectorValue >= 1)
        commentTexts[std::size_t(notes.selectorValue - 1)] = notes.memoText;
}

void MarkedDocument::clear() {
    UndoHistory::Suspend quiet(history_);
    notes.selectorMax = 0;
    notes.selectorValue = 0;
    notes.visible = false;
    notes.commentDown = notes.feedback1Down = notes.feedback2Down = false;
    notes.memoText.clear();
    notes.memoCaret = 0;
    commentTexts.clear();
    bookmarks.clear();
    currentFile.clear();
    diskStamp_ = {};
    feedback1Text.clear();
    feedback2Text.clear();
    feedback1Caret = feedback2Caret = 0;
    essay_.clear();
    grade = tlx::NewGrade;
    documentChanged = false;
    essay_.setSelStyle(0);
    essay_.setSelColour(clBlack);
    essay_.setSelSize(markup::BodySize);
    scratch_.clear();
    scratch_.resetInsertionFormat();
    history_.clear();
}

bool MarkedDocument::undo() {
    commitNotes();
    if (!history_.undo())
        return false;
    followComments();
    return true;
}

bool MarkedDocument::redo() {
    commitNotes();
    if (!history_.redo())
        return false;
    followComments();
    return true;
}

void MarkedDocument::followComments() {
    const std::optional<int> touched = history_.lastCommentTouched();
    if (!touched)
        return;
    const int n = int(commentTexts.size());
    notes.selectorMax = n;
    if (n == 0) {
        notes.selectorValue = 0;
        // As when the last comment is deleted: the comments area goes.
        if (notes.caption == NotesCaption::Comments) {
            notes.visible = false;
            notes.memoText.clear();
        }
        notes.commentDown = false;
        return;
    }
    notes.selectorValue = std::clamp(*touched + 1, 1, n);
    if (notes.caption == NotesCaption::Comments)
        notes.memoText = commentTexts[std::size_t(notes.selectorValue - 1)];
}

std::u16string MarkedDocument::undoCaption() const {
    const std::optional<StepKind> k = history_.undoKind();
    return k ? u"Undo " + stepName(*k) : std::u16string(u"Undo");
}

std::u16string MarkedDocument::redoCaption() const {
    const std::optional<StepKind> k = history_.redoKind();
    return k ? u"Redo " + stepName(*k) : std::u16string(u"Redo");
}

DocumentStep::DocumentStep(MarkedDocument& doc, StepKind kind)
    : doc_(doc), bookmarks_(doc.bookmarks), group_(doc.essay(), kind) {}

DocumentStep::~DocumentStep() { doc_.history().recordBookmarks(bookmarks_, doc_.bookmarks); }

std::u16string MarkedDocument::trailer() const {
    TrailerParts p;
    for (int k = 0; k < notes.selectorMax; ++k)
        p.comments.push_back(std::size_t(k) < commentTexts.size() ? commentTexts[std::size_t(k)]
                                                                  : std::u16string());
    p.feedback1 = feedback1Text;
    p.feedback2 = feedback2Text;
    p.grade = grade;
    return buildTrailer(p);
}

int tlx::trailerStart(std::u16string_view text) {
    static const std::u16string key = foldedCopy(CommentsKey);
    // The characters that fold to the key's last one (the colon, which only it
    // spells), found once: the search looks for them eight at a time and
    // compares the whole key only where one ends it.
    static const std::u16string last = [] {
        std::u16string s;
        for (char32_t c = 0; c <= 0xFFFF; ++c)
            if (foldCase(char16_t(c)) == key.back())
                s.push_back(char16_t(c));
        return s;
    }();
    const std::size_t n = key.size();
    if (text.size() < n)
        return -1;
    const char16_t* t = text.data();
    const auto matchesAt = [&](std::size_t i) {
        std::size_t k = 0;
        while (k < n && foldCase(t[i + k]) == key[k])
            ++k;
        return k == n;
    };
    // A match's last character comes later the later the match starts, so the
    // first match is found at the first of its last characters that completes one.
    if (last.size() <= 2) {
        const char16_t a = last[0], b = last.back();
        for (std::size_t j = lanes::findEither(t, n - 1, text.size(), a, b); j < text.size();
             j = lanes::findEither(t, j + 1, text.size(), a, b))
            if (matchesAt(j - (n - 1)))
                return int(j - (n - 1));
        return -1;
    }
    for (std::size_t i = 0; i + n <= text.size(); ++i)
        if (matchesAt(i))
            return int(i);
    return -1;
}

FileOutcome MarkedDocument::loadTlxFile(const std::string& path) {
    std::string bytes;
    if (const fileio::FileResult r = fileio::readFile(path, bytes, tlx::MaxFileBytes); !r.ok)
        return FileOutcome{false,
                           unreadableFileMessage(r, path, tlx::HelpContext).value_or(loadFailedMessage())};
    return loadTlxBytes(bytes, path);
}

FileOutcome MarkedDocument::loadTlxBytes(std::string_view bytes, const std::string& path) {
    // Loading is no edit: the history starts afresh with the loaded file.
    UndoHistory::Suspend quiet(history_);
    if (!essay_.loadFromBytes(bytes).ok)
        return FileOutcome{false, loadFailedMessage()};

    // The marks went with the old text; their names go too.
    bookmarks.clear();
    currentFile = path;
    diskStamp_ = fileio::stampOf(bytes);
    // The trailer starts at the first "TallixComments:", in any case. A file
    // without one is all essay: its colours are kept, it has no comments.
    TrailerParts parts;
    const int at = tlx::trailerStart(essay_.text());
    if (at >= 0) {
        essay_.select(at, essay_.length() - at);
        parts = parseTrailer(essay_.selText());
        essay_.setSelText(u"");
    }
    feedback1Text = std::move(parts.feedback1);
    feedback2Text = std::move(parts.feedback2);
    grade = at >= 0 ? std::move(parts.grade) : std::u16string(tlx::NewGrade);
    commentTexts = std::move(parts.comments);
    notes.selectorMax = notes.selectorValue = int(commentTexts.size());

    // The memo receives the text its caption names, so that the next switch or
    // save does not stash a stale memo over what was just loaded.
    switch (notes.caption) {
    case NotesCaption::Feedback1:
        notes.memoText = feedback1Text;
        break;
    case NotesCaption::Feedback2:
        notes.memoText = feedback2Text;
        break;
    case NotesCaption::Comments:
        notes.memoText = commentTexts.empty() ? std::u16string() : commentTexts.back();
        break;
    case NotesCaption::Notes:
        break;
    }
    history_.clear();
    documentChanged = false;
    essay_.setSelStart(0);
    recentFiles.update(path);
    return {};
}

FileOutcome MarkedDocument::saveTlx(const std::string& path) {
    commitNotes();
    // The bookmarks and the trailer go into a copy, so that the essay on screen
    // keeps its marks, selection and history. Our RTF reads back exactly as it was
    // written, so copying the content itself gives the same file as copying it
    // through RTF, without writing and reading the whole essay once more. (The
    // one character the reader does not give back is NUL, read as U+FFFD.)
    RichContent copy = essay_.content();
    copy.text = text::withoutNul(std::move(copy.text));
    std::string bytes;
    if (!copy.text.empty() && !copy.runs.empty() &&
        copy.text.find(markup::BookmarkText) == std::u16string::npos) {
        // Nothing to take out: the trailer is added to the copy itself, as the
        // buffer would add it at the end, in the last character's format and
        // with its line breaks starting paragraphs in the last paragraph's.
        const std::u16string t = text::normaliseLineBreaks(trailer());
        copy.appendText(t, copy.runs.back().format);
        // Every LF of the normalised trailer ends a CR LF pair.
        const auto breaks = std::size_t(std::count(t.begin(), t.end(), u'\n'));
        copy.paragraphs.resize(copy.paragraphs.size() + breaks, copy.paragraphs.back());
        bytes = writeRtf(copy);
    } else {
        scratch_.assign(std::move(copy));
        scan::removeBookmarks(scratch_);
        scratch_.setSelStart(scratch_.length());
        scratch_.setSelText(trailer());
        bytes = scratch_.saveRtf();
        scratch_.clear();
    }
    fileio::FileResult written = fileio::writeFileAtomic(path, bytes);
    if (!written.ok)
        return FileOutcome{false, Message{u"Cannot create file \"" + u16(path) + u"\". " +
                                              u16(written.error),
                                          MessageType::Error, 0}};
    currentFile = path;
    diskStamp_ = fileio::stampOf(bytes);
    documentChanged = false;
    recentFiles.update(path);
    return {};
}

bool MarkedDocument::changedOnDisk(const std::string& path) const {
    if (currentFile.empty() || !diskStamp_.known)
        return false;
    if (path != currentFile && fileio::canonicalPath(path) != fileio::canonicalPath(currentFile))
        return false;
    return fileio::changedSince(currentFile, diskStamp_);
}

std::u16string MarkedDocument::overwriteChangedQuestion(const std::string& path) {
    return u16(fileNamePart(path)) +
           u" has been changed by another program since you opened it. Overwrite it?";
}

void MarkedDocument::rememberFileOnDisk() {
    std::string bytes;
    diskStamp_ = !currentFile.empty() && fileio::readFile(currentFile, bytes).ok
                     ? fileio::stampOf(bytes)
                     : fileio::FileStamp{};
}

namespace {

bool endsWithNoCase(std::string_view s, std::string_view end) {
    if (s.size() < end.size())
        return false;
    for (std::size_t i = 0; i < end.size(); ++i) {
        char c = s[s.size() - end.size() + i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != end[i])
            return false;
    }
    return true;
}

Message pdfRefusal(const std::string& path, PdfFailure failure) {
    const std::u16string name = u"\"" + u16(path) + u"\"";
    std::u16string why;
    switch (failure) {
    case PdfFailure::NoText:
        why = u" holds no text to mark: it may be a scanned image.";
        break;
    case PdfFailure::Password:
        why = u" is protected by a password: ask for a copy without one.";
        break;
    case PdfFailure::Damaged:
    case PdfFailure::None:
        why = u" is damaged: it cannot be read as a PDF file.";
        break;
    }
    return Message{name + why, MessageType::Warning, tlx::ImportPdfHelpContext};
}

} // namespace

EssayFile MarkedDocument::readEssayFile(const std::string& path, ImportKind kind) const {
    const bool rtf = kind == ImportKind::Rtf;
    const int helpContext = rtf ? tlx::ImportRtfHelpContext : tlx::ImportTextHelpContext;
    const Message failed{
        rtf ? u"Unable to load the file. It may be in use by another program, or corrupted in "
              u"some way."
            : u"Unable to load the file. It may be corrupted in some way.",
        MessageType::Warning, helpContext};
    EssayFile f;
    auto refuse = [&](const fileio::FileResult& r) {
        f.outcome = FileOutcome{false, unreadableFileMessage(r, path, helpContext).value_or(failed)};
        return f;
    };
    // The first bytes say what the file is before it is read whole: a file named
    // as a Word document that is no zip archive is refused without reading it.
    std::string bytes;
    if (const fileio::FileResult r = fileio::readFileHead(path, bytes, 16, tlx::MaxFileBytes); !r.ok)
        return refuse(r);
    // A PDF file is read for its text whatever its name; one that yields none is
    // refused and the open document stays.
    if (looksLikePdf(bytes)) {
        f.keepsDocument = true;
        if (const fileio::FileResult r = fileio::readFile(path, bytes, tlx::MaxFileBytes); !r.ok)
            return refuse(r);
        const PdfReadResult r = readPdf(bytes, f.content);
        if (!r.ok) {
            f.content = RichContent{};
            f.outcome = FileOutcome{false, pdfRefusal(path, r.failure)};
        }
        return f;
    }
    // Word and OpenDocument files are zip archives; one named so that is not is
    // refused rather than shown as a screen of stray characters.
    const bool zip = zipxml::looksLikeZip(bytes);
    const bool namedAsOne = endsWithNoCase(path, ".docx") || endsWithNoCase(path, ".odt");
    if (zip || (namedAsOne && !looksLikeRtf(bytes))) {
        f.keepsDocument = true;
        if (zip)
            if (const fileio::FileResult r = fileio::readFile(path, bytes, tlx::MaxFileBytes); !r.ok)
                return refuse(r);
        WordReadResult r = readWordProcessorFile(bytes, f.content);
        if (!r.ok) {
            f.content = RichContent{};
            f.outcome = FileOutcome{
                false, Message{u"Unable to import \"" + u16(path) + u"\": " + u16(r.error) + u".",
                               MessageType::Warning, tlx::ImportWordHelpContext}};
        }
        return f;
    }
    if (const fileio::FileResult r = fileio::readFile(path, bytes, tlx::MaxFileBytes); !r.ok)
        return refuse(r);
    if (!essay_.readContent(bytes, f.content).ok)
        f.outcome = FileOutcome{false, failed};
    return f;
}

void MarkedDocument::installEssay(RichContent content) {
    UndoHistory::Suspend quiet(history_);
    // An imported essay is all black: its runs are made black before the buffer
    // takes them (text the runs fall short of gets the buffer's default format,
    // made black too), rather than every character recoloured afterwards.
    std::size_t covered = 0;
    for (FormatRun& run : content.runs) {
        run.format.colour = clBlack;
        covered += std::size_t(std::max(run.length, 0));
    }
    if (covered < content.text.size()) {
        CharFormat rest = essay_.defaultFormat();
        rest.colour = clBlack;
        content.runs.push_back(FormatRun{int(content.text.size() - covered), rest});
    }
    essay_.assign(std::move(content));
    bookmarks.clear();
    essay_.setSelStart(0);
    history_.clear();
    documentChanged = true;
}

FileOutcome MarkedDocument::importEssay(const std::string& path, ImportKind kind) {
    EssayFile f = readEssayFile(path, kind);
    if (f.outcome.ok)
        installEssay(std::move(f.content));
    return f.outcome;
}

} // namespace tallix
