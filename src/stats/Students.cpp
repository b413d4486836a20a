#include "stats/Students.h"

#include "stats/MultiStats.h"
#include "stats/StudentNames.h"

#include <algorithm>
#include <numeric>

namespace tallix::stats {

std::string studentOf(const std::string& path, StudentGrouping grouping) {
    return grouping == StudentGrouping::Folder ? studentFromFolder(path)
                                               : studentFromFileName(path);
}

double per100Words(int count, int words) {
    return words > 0 ? double(count) * 100.0 / double(words) : 0.0;
}

int StudentRecord::errors() const { return std::accumulate(totals.begin(), totals.end(), 0); }

std::vector<StudentRecord> groupByStudent(const MultiFileStatistics& stats,
                                          StudentGrouping grouping) {
    std::vector<StudentRecord> students;
    const std::vector<std::string>& files = stats.countedFiles();
    for (int f = 0; f < int(files.size()); ++f) {
        const FileCount& r = stats.fileResult(f);
        if (!r.loaded)
            continue;
        const std::string name = studentOf(files[std::size_t(f)], grouping);
        auto it = std::find_if(students.begin(), students.end(),
                               [&](const StudentRecord& s) { return s.name == name; });
        if (it == students.end()) {
            students.push_back(StudentRecord{name, {}, {}, 0});
            it = students.end() - 1;
        }
        it->files.push_back(f);
        for (std::size_t n = 0; n < it->totals.size(); ++n)
            it->totals[n] += r.counts[n];
        it->words += r.words;
    }
    for (StudentRecord& s : students)
        std::stable_sort(s.files.begin(), s.files.end(), [&](int a, int b) {
            return stats.fileResult(a).modified < stats.fileResult(b).modified;
        });
    return students;
}

StudentSeries studentSeries(const MultiFileStatistics& stats, const StudentRecord& student,
                            const std::vector<int>& entries) {
    StudentSeries s;
    s.student = student.name;
    for (int f : student.files)
        s.essays.push_back(stats.countedFileName(f));
    for (int n : entries) {
        if (!isErrorEntry(n))
            continue;
        StudentLine line{n, stats.abbreviation(n), stats.description(n), {}};
        for (int f : student.files) {
            const FileCount& r = stats.fileResult(f);
            line.rates.push_back(per100Words(r.counts[std::size_t(n - 1)], r.words));
        }
        s.lines.push_back(std::move(line));
    }
    return s;
}

} // namespace tallix::stats
