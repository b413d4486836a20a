#include "export/web/WebExport.h"

#include "document/RecentFiles.h"
#include "document/Scanning.h"
#include "platform/TextCodec.h"
#include "export/web/HtmlSanitizer.h"
#include "export/web/MacChars.h"
#include "library/LinkReferences.h"
#include "library/ReferenceList.h"
#include "platform/FileIO.h"
#include "platform/SettingsSource.h"

#include <algorithm>

namespace tallix::web {

namespace {

std::u16string decimal(long long v) {
    const std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
}

std::u16string u16(const std::string& utf8) { return text::fromUtf8(utf8); }

void step(const Progress& p, const char16_t* caption, int position) {
    if (p)
        p(ProgressReport{caption, position, 0});
}

std::u16string fontOpen(const OutputColours& colours, ColourRole role) {
    const std::string html = colours.html(role);
    return u"<FONT COLOR=\"#" + std::u16string(html.begin(), html.end()) + u"\">";
}

std::u16string nextButton(const OutputTitles& titles, const std::string& next) {
    return u"<CENTER><FORM><INPUT TYPE=\"button\" VALUE=\"" + titles.continuedButtonValue() +
           u"\" onClick=\"location='" + locationOf(fileNamePart(next)) +
           u"'\"></FORM></CENTER>";
}

std::u16string previousButton(const std::string& previous) {
    return u"<FORM><INPUT TYPE=\"button\" VALUE=\"&lt;---\" onClick=\"location='" +
           locationOf(fileNamePart(previous)) + u"'\"></FORM><P>";
}

// The page as written: converted for the Mac when asked, in Windows-1252 with
// numeric references for the rest, ended by CR LF.
WebPage finishPage(std::string path, std::u16string page, bool mac, const Progress& progress) {
    if (mac) {
        step(progress, u"Accented characters...", -1);
        page = webble(page);
    }
    std::string bytes = encodePage(page);
    bytes += "\r\n";
    return WebPage{std::move(path), std::move(bytes)};
}

// The number of the link that starts at `at` ("<A HREF=\"#" then digits).
int linkNumberAt(std::u16string_view body, std::size_t at) {
    std::size_t i = at + std::u16string_view(u"<A HREF=\"#").size();
    int v = 0;
    while (i < body.size() && body[i] >= u'0' && body[i] <= u'9' && v < 100000000)
        v = v * 10 + (body[i++] - u'0');
    return v;
}

} // namespace

// ============================================================================ options

int webOptionsResult(const WebOptions& o) {
    if (o.quick)
        return ResultOK;
    return ResultOK + (o.splitFiles ? ResultSplit : 0) + (o.convertMac ? ResultMac : 0);
}

WebOptions readWebOptions(const SettingsSource& s) {
    WebOptions o;
    o.quick = s.readBool(OptionsSection, "Quick", true);
    o.titleParas =
        std::clamp(s.readInteger(OptionsSection, "TitleParas", 2), MinTitleParas, MaxTitleParas);
    o.includeErrorStats = s.readBool(OptionsSection, "IncludeErrorStats", true);
    o.splitFiles = s.readBool(OptionsSection, "SplitFiles", false);
    o.convertMac = s.readBool(OptionsSection, "ConvertMac", false);
    o.links = std::clamp(s.readInteger(OptionsSection, "Links", 50), MinLinks, MaxLinks);
    return o;
}

std::vector<std::pair<std::string, std::string>> webOptionValues(const WebOptions& o) {
    auto flag = [](bool b) { return std::string(b ? "1" : "0"); };
    return {{"Quick", flag(o.quick)},
            {"TitleParas", std::to_string(o.titleParas)},
            {"IncludeErrorStats", flag(o.includeErrorStats)},
            {"ConvertMac", flag(o.convertMac)},
            {"SplitFiles", flag(o.splitFiles)},
            {"Links", std::to_string(o.links)}};
}

// =========================================================================== sections

void addTitleFormat(std::u16string& body, int titleParas) {
    if (titleParas <= 0)
        return;
    std::size_t at = body.find(u"\r\n");
    if (at == std::u16string::npos)
        return;
    // The heading ends at the break after the last title paragraph, or at the last
    // break there is when the text has fewer.
    for (int k = 1; k < titleParas; ++k) {
        const std::size_t next = body.find(u"\r\n", at + 2);
        if (next == std::u16string::npos)
            break;
        at = next;
    }
    body.insert(at, u"</H3>");
    body.insert(0, u"<H3>");
}

std::u16string formatFeedback(std::u16string_view feedback1, std::u16string_view feedback2,
                              const OutputColours& colours, const library::LinkList& links) {
    std::u16string r;
    auto add = [&](std::u16string_view text, ColourRole role) {
        if (text.empty())
            return;
        r += fontOpen(colours, role) + teacherHtml(text, links, true) + u"</FONT COLOR><BR><BR>";
    };
    add(feedback1, ColourRole::F1);
    add(feedback2, ColourRole::F2);
    if (!r.empty())
        r = u"<B>" + r + u"</B>";
    return r;
}

std::u16string formatGrade(std::u16string_view grade, std::u16string_view gradeTitle,
                           const OutputColours& colours) {
    if (grade.empty() || grade == tlx::NewGrade)
        return {};
    return u"<H3>" + fontOpen(colours, ColourRole::Grade) + sanitizeHtml(gradeTitle) + u" " +
           sanitizeHtml(grade) + u"</FONT COLOR></H3><BR><BR>";
}

std::u16string formatErrorStats(const stats::ErrorStatisticsTable& table, bool include,
                                std::u16string_view title, const OutputColours& colours) {
    if (!include || table.cell(0, 1).empty())
        return {};
    std::u16string r = u"<HR><BLOCKQUOTE><H3>" + fontOpen(colours, ColourRole::Error) +
                       sanitizeHtml(title) + u"</FONT COLOR></H3><TABLE BORDER=0>";
    // The table has 28 rows at most, one per error category.
    for (int row = 1; row <= ErrorEntryCount && !table.cell(0, row).empty(); ++row)
        r += u"<TR><TD><B>" + sanitizeHtml(table.cell(0, row)) + u"</B></TD><TD><B>" +
             sanitizeHtml(table.cell(1, row)) + u"</B></TD></TR>";
    r += u"</TABLE></BLOCKQUOTE><HR><BR><BR>";
    return r;
}

std::u16string_view pageHead() {
    return u"<HTML><HEAD><META CONTENT=\"Produced using Tallix32\">"
           u"<META CHARSET=\"windows-1252\"></HEAD><BODY BGCOLOR=\"#FFFFFF\">";
}

std::u16string_view pageEnd() { return u"</BODY></HTML>"; }

std::string splitPageName(const std::string& chosen, int k) {
    std::u16string base = u16(chosen);
    base.resize(base.size() >= 4 ? base.size() - 4 : 0);
    return text::toUtf8(base) + "_" + std::to_string(k) + ".htm";
}

std::u16string locationOf(const std::string& fileName) {
    static const char hex[] = "0123456789ABCDEF";
    std::u16string r;
    for (unsigned char c : fileName) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            r.push_back(char16_t(c));
        } else {
            r.push_back(u'%');
            r.push_back(char16_t(hex[c >> 4]));
            r.push_back(char16_t(hex[c & 15]));
        }
    }
    return escapeHtml(r);
}

// ============================================================================= export

WebExportResult exportWebPages(const WebExportRequest& in, const Progress& progress) {
    MarkedDocument& doc = in.doc;
    // A step of the essay's history, which also tells that the document changed.
    scan::stripEnd(doc.essay());
    doc.scratch().clear();

    const int choice = webOptionsResult(in.options);
    const bool split = resultSplits(choice);
    const bool mac = resultConvertsMac(choice);

    step(progress, u"Counting errors...", 1);
    const stats::ErrorStatisticsTable table =
        stats::countErrors(doc.essay(), doc.scratch(), in.buttons);

    step(progress, u"Formatting paragraphs...", 2);
    htmlParaFormat(doc.essay(), doc.scratch(), progress);

    // Every text the teacher wrote goes through the sanitizer on its way in. Link
    // references are the teacher's: they are expanded in the teacher's texts only,
    // so the essay's own "{{" stays as it is.
    std::vector<std::u16string> comments;
    comments.reserve(doc.commentTexts.size());
    for (const std::u16string& c : doc.commentTexts)
        comments.push_back(teacherHtml(c, in.links, true));
    // The categories' descriptions come from a button file, which may have come
    // from anyone.
    AnnotationSet described(in.buttons);
    for (int n = 1; n <= AnnotationEntryCount; ++n) {
        AnnotationEntry e = described.entry(n);
        e.longText = sanitizeHtml(e.longText);
        described.setEntry(n, std::move(e));
    }

    step(progress, u"Making links...", 3);
    NoteStyle style{u16(in.colours.html(ColourRole::Error)),
                    u16(in.colours.html(ColourRole::Comment)), sanitizeHtml(in.titles.errorTypeTitle),
                    sanitizeHtml(in.titles.commentTitle), in.titles.backButtonHTML()};
    const LinkSources sources{described, comments, style};
    LinkResult links = split ? makeHtmlLinks(doc.scratch(), sources, progress)
                             : quickHtmlLinks(doc.scratch(), sources, progress);
    doc.scratch().clear();

    step(progress, u"Formatting title...", 4);
    addTitleFormat(links.body, in.options.titleParas);
    step(progress, u"Adding feedback...", 5);
    const std::u16string feedback =
        formatFeedback(doc.feedback1Text, doc.feedback2Text, in.colours, in.links);
    step(progress, u"Adding grade...", 6);
    const std::u16string grade = formatGrade(doc.grade, in.titles.gradeTitle, in.colours);
    step(progress, u"Adding statistics...", 7);
    const std::u16string stats =
        formatErrorStats(table, in.options.includeErrorStats, in.titles.errorStatsTitle, in.colours);

    const std::u16string noPrint = sanitizeHtml(in.titles.noPrintTitle);

    WebExportResult result;
    step(progress, u"Compiling page...", 8);
    const std::u16string_view body = links.body;

    // The cuts between pages: after the paragraph that holds link L x k. A link
    // that should end a page in the last paragraph lets that page run to the end.
    std::vector<std::size_t> cuts{0};
    std::vector<int> lastLinks; // the last link of each page but the last
    if (split && in.options.links > 0 && in.options.links < links.lastAnchorNumber) {
        const int pages = links.lastAnchorNumber / in.options.links + 1;
        for (int k = 1; k < pages; ++k) {
            const std::u16string marker = u"<A HREF=\"#" + decimal(in.options.links * k) + u"\"";
            // Each search starts at the previous cut. A link that lies before it
            // shares its paragraph with the page before: this page's cut is the
            // same, and the page has its buttons but no text or notes of its own.
            const std::size_t link = body.find(marker, cuts.back());
            const std::size_t cut =
                link == std::u16string_view::npos ? cuts.back() : body.find(u"\r\n", link);
            if (cut == std::u16string_view::npos)
                break;
            const std::size_t last = body.rfind(u"<A HREF=\"#", cut);
            lastLinks.push_back(last == std::u16string_view::npos ? -1 : linkNumberAt(body, last));
            cuts.push_back(cut);
        }
    }

    if (cuts.size() == 1) {
        std::u16string page(pageHead());
        page += noPrint;
        page += body;
        page += feedback + grade + stats;
        page += notesText(links.notes);
        page += pageEnd();
        result.pages.push_back(finishPage(in.fileName, std::move(page), mac, progress));
        return result;
    }

    result.split = true;
    const int pageCount = int(cuts.size());
    auto nameOf = [&](int k) { return k == 1 ? in.fileName : splitPageName(in.fileName, k); };
    std::size_t nextNote = 0;
    for (int k = 1; k <= pageCount; ++k) {
        const std::size_t from = cuts[std::size_t(k - 1)];
        const std::size_t to = k < pageCount ? cuts[std::size_t(k)] : body.size();
        const std::u16string_view text = body.substr(from, to - from);
        std::u16string page(pageHead());
        if (k == 1) {
            page += noPrint;
            page += u"<BR>";
            page += text;
            page += u"<BR>";
        } else {
            page += previousButton(nameOf(k - 1));
            page += text;
            page += u"<BR><BR>";
        }
        if (k < pageCount) {
            page += nextButton(in.titles, nameOf(k + 1));
            // The notes of the links on this page: entries up to its last link.
            const int lastLink = lastLinks[std::size_t(k - 1)];
            while (nextNote < links.notes.size() && links.notes[nextNote].number <= lastLink)
                page += links.notes[nextNote++].html;
            page += notesSpacer();
        } else {
            page += feedback + grade + stats;
            while (nextNote < links.notes.size())
                page += links.notes[nextNote++].html;
            page += notesSpacer();
        }
        page += pageEnd();
        result.pages.push_back(finishPage(nameOf(k), std::move(page), mac, progress));
    }
    return result;
}

std::u16string saveFailedMessage(const std::string& path, const std::string& reason,
                                 bool setUntouched) {
    std::u16string m = u"Unable to save the file " + u16(path);
    if (!reason.empty())
        m += u" (" + u16(reason) + u")";
    m += u". The disk may be full, or the file may be read-only.";
    if (setUntouched)
        m += u"\r\n\r\nNo page has been written; the pages that were there are as they were.";
    return m;
}

WriteOutcome writeWebPages(const WebExportResult& r, const Progress& progress) {
    WriteOutcome out;
    step(progress, r.split ? u"Saving..." : u"Saving file...", 9);
    std::vector<fileio::FileData> files;
    files.reserve(r.pages.size());
    for (const WebPage& p : r.pages)
        files.push_back(fileio::FileData{p.path, p.bytes});
    const fileio::FileSetResult written = fileio::writeFileSetAtomic(files);
    if (!written.ok) {
        out.ok = false;
        const std::string& path =
            written.failed < r.pages.size() ? r.pages[written.failed].path : std::string();
        out.message = Message{saveFailedMessage(path, written.error, r.split && written.untouched),
                              MessageType::Warning, HelpContext};
        return out;
    }
    if (r.split && !r.pages.empty()) {
        std::u16string names;
        for (std::size_t i = 0; i < r.pages.size(); ++i) {
            if (i > 0)
                names += u", ";
            names += u16(fileNamePart(r.pages[i].path));
        }
        out.createdList = u"The following files have been created:\r\n" + names +
                          u".\r\n\r\nThe file which should be loaded first is " +
                          u16(fileNamePart(r.pages.front().path)) + u".";
    }
    return out;
}

} // namespace tallix::web

namespace tallix::web {

library::LinkList storedLinkList(const SettingsSource& settings) {
    library::LinkList links;
    library::readListFile(
        settings.readablePath(settings.programFolder() + text::toUtf8(library::LinksFileName)),
        links);
    return links;
}

} // namespace tallix::web
