#pragma once
// What every test of an export through the marking window needs: a home folder
// with its libraries, a settings file, message boxes and file dialogs answered
// from lists, the holiday essay, and the command line run on the same home.
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"

#include "ProgramRun.h"
#include "TestFiles.h"
#include "stats/StatsTestSupport.h"

#include <QString>

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace tallix::testing {

inline QString q(const std::string& s) { return QString::fromStdString(s); }

class ExportWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TALLIX32_HOME", QByteArray::fromStdString(home.path().string() + "/"));
        initResources();
        // The libraries are there, so nothing is said about creating them.
        home.write("reflinks.mdb", "");
        home.write("reftext.mdb", "");
    }
    void TearDown() override { qunsetenv("TALLIX32_HOME"); }

    // A short marked essay: a label, a comment marker on a navy span, one comment.
    static std::string holidayEssay(const TempFolder& dir) {
        EssayBuilder e;
        e.text(u"My Holiday ").span(u"a apple").error(u"Art").text(u" and ")
            .coloured(u"this part", clNavy).marker(u"1").text(u".").paragraph().paragraph();
        e.comment(u"Comment one");
        return e.save(dir.file("holiday.tlx"));
    }

    // `tallix32 OPTION MARKED FILE` with this test's settings and home; the file's
    // bytes are put in written.
    ProcessRun commandLine(const std::string& option, const std::string& marked, std::string& written) {
        TempFolder out;
        const std::string file = out.file("cli");
        ProcessRun run = runTallix32(out, option + " " + shellQuoted(marked) + " " + shellQuoted(file),
                                     "TALLIX32_SETTINGS=" + shellQuoted(home.file("settings.ini")) +
                                         " TALLIX32_HOME=" + shellQuoted(home.path().string() + "/"));
        written = TempFolder::read(file);
        return run;
    }

    TempFolder home;
    SettingsStore settings{q(home.file("settings.ini"))};
    std::vector<MessageRequest> shown;
    ScopedMessageHandler messages{[this](const MessageRequest& r) {
        shown.push_back(r);
        return r.buttons & Button::No ? Button::No : escapeAnswer(r.buttons);
    }};
    // The answers of the file dialogs, in order; an empty list cancels.
    std::deque<QString> files;
    std::vector<FileRequest> asked;
    ScopedFileHandler fileDialogs{[this](const FileRequest& r) -> std::optional<QString> {
        asked.push_back(r);
        if (files.empty())
            return std::nullopt;
        QString a = files.front();
        files.pop_front();
        return a;
    }};
};

} // namespace tallix::testing
