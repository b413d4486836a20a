#pragma once
// Runs the built program as a process, as a teacher's script would, with no
// display, and collects its exit status and output.
#include "TestFiles.h"

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace tallix::testing {

struct ProcessRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string shellQuoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs a program with args (already quoted as the shell needs), its output kept in
// files of dir. extraEnv is put before the program ("NAME=value ...").
inline ProcessRun runProgram(const TempFolder& dir, const std::string& program, const std::string& args,
                             const std::string& extraEnv = {}) {
    const std::string out = dir.file("stdout.txt");
    const std::string err = dir.file("stderr.txt");
    // No display: the batch options must not need one.
    std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY " + extraEnv + " " + shellQuoted(program) + " " + args +
                      " >" + shellQuoted(out) + " 2>" + shellQuoted(err) + " </dev/null";
    int raw = std::system(cmd.c_str());
    ProcessRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = TempFolder::read(out);
    r.err = TempFolder::read(err);
    return r;
}

// Runs the built tallix32 the same way.
inline ProcessRun runTallix32(const TempFolder& dir, const std::string& args,
                              const std::string& extraEnv = {}) {
    return runProgram(dir, TALLIX32_EXE, args, extraEnv);
}

} // namespace tallix::testing
