// The program a teacher or a script starts. The command-line options that only
// read and write files run here, with nothing of the window system loaded, so
// that a batch of imports or counts does not pay for loading it on every file;
// the marking window, and the options that paint (a PDF, a chart image), are the
// work of tallix32-gui beside this program, which this process becomes.
#include "app/CommandLine.h"
#include "platform/qt/SettingsStore.h"
#include "platform/qt/StoredSettings.h"

#include <QCoreApplication>

#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

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

} // namespace

int main(int argc, char** argv) {
    // The arguments as given, for the program handed over to (Qt may take its
    // own out of argv).
    std::vector<char*> given(argv, argv + argc + 1);
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
    std::cout.flush();
    const std::string gui = guiProgram(given[0]);
    ::execv(gui.c_str(), given.data());
    std::cerr << "tallix32: cannot start " << gui << " (" << std::strerror(errno) << ")\n";
    return 127;
}
