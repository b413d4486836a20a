// The program a teacher or a script starts. The command-line options that only
// read and write files run here, with nothing of the window system and no PDF
// library loaded, so that a batch of imports or counts does not pay for loading
// them on every file; the marking window, the options that paint (a PDF, a chart
// image) and the import of a PDF essay are the work of tallix32-gui beside this
// program, which this process becomes.
#include "app/CommandLine.h"
#include "document/PdfReader.h"
#include "platform/qt/SettingsStore.h"
#include "platform/qt/StoredSettings.h"

#include <QCoreApplication>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

char** givenArguments = nullptr;

// tallix32-gui in this program's own folder (found through the link the system
// keeps to the running program, else through the name it was started by).
std::string guiProgram(const char* startedAs) {
    std::string self;
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0)
        self.assign(buffer, std::size_t(n));
    else if (startedAs)
        self = startedAs;
    const std::size_t slash = self.rfind('/');
    return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/tallix32-gui";
}

// Becomes tallix32-gui with the arguments this program was given; returns only
// when that cannot be started, with 127 after saying why.
int handOver() {
    std::cout.flush();
    const std::string gui = guiProgram(givenArguments[0]);
    ::execv(gui.c_str(), givenArguments);
    std::cerr << "tallix32: cannot start " << gui << " (" << std::strerror(errno) << ")\n";
    return 127;
}

} // namespace

// This program is linked without Poppler: this stands in for the core's reader
// of PDF pages (and keeps it out of the link), and hands the whole command over
// to the program that has it. Nothing has been written when an essay is read.
std::vector<tallix::pdf::Page> tallix::readPdfPages(std::string_view, PdfFailure&) {
    std::exit(handOver());
}

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // A command reads a file, builds its text a few times over and writes it out,
    // then ends. Memory it frees is kept for its next large block instead of
    // going back to the system and being mapped (and cleared) afresh: that
    // clearing cost more than a fifth of a large import.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
    // The arguments as given, for the program handed over to (Qt may take its
    // own out of argv).
    std::vector<char*> given(argv, argv + argc + 1);
    givenArguments = given.data();
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && !tallix::cli::needsPainting(args)) {
        // The settings the windows would start from: the options not given are
        // the stored ones.
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Tallix32"));
        tallix::SettingsStore store;
        tallix::StoredSettings settings(store);
        if (std::optional<int> status = tallix::cli::run(args, std::cout, std::cerr, &settings))
            return *status;
    }
    return handOver();
}
