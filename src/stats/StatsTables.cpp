#include "stats/StatsTables.h"

#include "platform/TextCodec.h"
#include "stats/MultiStats.h"

#include <charconv>

namespace tallix::stats {

std::u16string rateText(double rate) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, rate, std::chars_format::fixed, 2);
    return std::u16string(buf, r.ptr);
}

namespace {

using Row = std::vector<std::u16string>;

// The cells of one line's counts: the columns' counts, or their rates.
void addCounts(Row& row, const std::vector<int>& columns, const ErrorCounts& counts, int words,
               const TableOptions& o) {
    if (o.per100Words)
        row.push_back(decimal(words));
    for (int n : columns) {
        const int c = counts[std::size_t(n - 1)];
        if (!o.per100Words)
            row.push_back(decimal(c));
        else
            row.push_back(words > 0 ? rateText(per100Words(c, words)) : u"");
    }
}

bool looksLikeFormula(const std::u16string& cell) {
    return !cell.empty() && (cell[0] == u'=' || cell[0] == u'+' || cell[0] == u'-' ||
                             cell[0] == u'@' || cell[0] == u'\t' || cell[0] == u'\r');
}

} // namespace

StatsTable statsTable(const MultiFileStatistics& stats, const TableOptions& o) {
    std::vector<int> columns;
    ErrorCounts totals{};
    for (int n = FirstErrorEntry; n <= LastErrorEntry; ++n) {
        totals[std::size_t(n - 1)] = stats.total(n);
        if (stats.total(n) > 0)
            columns.push_back(n);
    }
    StatsTable t;
    Row head;
    if (o.byStudent) {
        head.push_back(u"Student");
        head.push_back(u"Essays");
    } else {
        head.push_back(u"File");
    }
    if (o.per100Words)
        head.push_back(u"Words");
    for (int n : columns)
        head.push_back(stats.abbreviation(n));
    t.push_back(std::move(head));

    int essays = 0;
    if (o.byStudent) {
        for (const StudentRecord& s : groupByStudent(stats, o.grouping)) {
            Row row{text::fromUtf8(s.name), decimal(int(s.files.size()))};
            essays += int(s.files.size());
            addCounts(row, columns, s.totals, s.words, o);
            t.push_back(std::move(row));
        }
    } else {
        for (int f = 0; f < stats.countedFileCount(); ++f) {
            Row row{text::fromUtf8(stats.countedFileName(f))};
            const FileCount& r = stats.fileResult(f);
            addCounts(row, columns, r.counts, r.words, o);
            t.push_back(std::move(row));
        }
    }
    Row foot{u"Total"};
    if (o.byStudent)
        foot.push_back(decimal(essays));
    addCounts(foot, columns, totals, stats.totalWords(), o);
    t.push_back(std::move(foot));
    return t;
}

std::u16string tabText(const StatsTable& table) {
    std::u16string out;
    for (std::size_t r = 0; r < table.size(); ++r) {
        if (r > 0)
            out += u"\r\n";
        for (std::size_t c = 0; c < table[r].size(); ++c) {
            if (c > 0)
                out += u'\t';
            out += table[r][c];
        }
    }
    return out;
}

std::string csvBytes(const StatsTable& table) {
    std::u16string out;
    for (const Row& row : table) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0)
                out += u',';
            std::u16string cell = row[c];
            if (looksLikeFormula(cell))
                cell.insert(cell.begin(), u'\'');
            if (cell.find_first_of(u",\"\r\n") == std::u16string::npos) {
                out += cell;
                continue;
            }
            out += u'"';
            for (char16_t ch : cell) {
                if (ch == u'"')
                    out += u'"';
                out += ch;
            }
            out += u'"';
        }
        out += u"\r\n";
    }
    return "\xEF\xBB\xBF" + text::toUtf8(out);
}

} // namespace tallix::stats
