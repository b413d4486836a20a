// The text and RTF exports driven through the marking window and their options
// windows, and compared with the command line's files.
#include "app/TfrmTallix32.h"
#include "export/TfrmRTFOptions.h"
#include "export/TfrmTextOptions.h"
#include "stats/TfrmErrors.h"

#include "export/qt/ExportWindowFixture.h"

#include <QCheckBox>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

using namespace tallix;
using tallix::testing::EssayBuilder;
using tallix::testing::TempFolder;
using tallix::testing::q;

namespace {

class TextRtfExportWindowTest : public tallix::testing::ExportWindowFixture {
protected:
    std::string markedEssay(const TempFolder& dir) { return holidayEssay(dir); }

    template <typename Window>
    void exportThrough(Window* (TfrmTallix32::*window)(), QToolButton* button, TfrmTallix32& w,
                       const std::function<void(Window&)>& choose, const std::string& file) {
        files.push_back(q(file));
        QTimer::singleShot(0, [&w, window, choose] {
            Window* o = (w.*window)();
            ASSERT_TRUE(o->isVisible());
            choose(*o);
        });
        button->click();
    }

    ::testing::AssertionResult sameAsCommandLine(const std::string& option, const std::string& marked,
                                                 const std::string& mine) {
        std::string b;
        const tallix::testing::ProcessRun cli = commandLine(option, marked, b);
        if (cli.status != 0)
            return ::testing::AssertionFailure() << cli.err;
        const std::string a = TempFolder::read(mine);
        if (a.empty() || a != b)
            return ::testing::AssertionFailure() << "window:\n" << a << "\ncommand line:\n" << b;
        return ::testing::AssertionSuccess();
    }
};

} // namespace

TEST_F(TextRtfExportWindowTest, OptionsWindowsStartFromTheStoreAndStoreEveryClosing) {
    settings.writeString("TextOptions", "ConvertForMac", "3");
    TfrmTextOptions t(settings);
    EXPECT_EQ(t.windowTitle(), QStringLiteral("Options for Text Document"));
    EXPECT_TRUE(t.chkIncludeErrorStats->isChecked());
    EXPECT_TRUE(t.chkConvertForMac->isChecked());
    EXPECT_EQ(t.chkConvertForMac->text(), QStringLiteral("Convert &accented characters for Mac"));
    QTimer::singleShot(0, [&] {
        t.grab().save(QStringLiteral("/tmp/frmTextOptions.png"));
        t.chkIncludeErrorStats->click();
        t.btnCancel->click();
    });
    EXPECT_EQ(t.exec(), QDialog::Rejected);
    EXPECT_EQ(settings.readString("TextOptions", "IncludeErrorStats", "?"), QStringLiteral("0"));
    EXPECT_EQ(settings.readString("TextOptions", "ConvertForMac", "?"), QStringLiteral("1"));
    EXPECT_FALSE(t.chkIncludeErrorStats->isChecked()); // the window keeps it too

    TfrmRTFOptions r(settings);
    EXPECT_EQ(r.windowTitle(), QStringLiteral("Options for Rich Text Document"));
    EXPECT_TRUE(r.chkIncludeErrorStats->isChecked());
    QTimer::singleShot(0, [&] {
        r.grab().save(QStringLiteral("/tmp/frmRTFOptions.png"));
        r.chkIncludeErrorStats->click();
        r.btnOK->click();
    });
    EXPECT_EQ(r.exec(), QDialog::Accepted);
    EXPECT_EQ(settings.readString("RTFOptions", "IncludeErrorStats", "?"), QStringLiteral("0"));
}

TEST_F(TextRtfExportWindowTest, TextExportWritesAsksToViewAndMatchesTheCommandLine) {
    TempFolder dir;
    const std::string marked = markedEssay(dir);
    TfrmTallix32 w(settings);
    EXPECT_TRUE(w.spdToText->isEnabled());
    EXPECT_TRUE(w.mnuExportText->isEnabled());
    ASSERT_TRUE(w.LoadTlxFile(q(marked)));
    shown.clear();

    const std::string file = dir.file("holiday.txt");
    exportThrough<TfrmTextOptions>(&TfrmTallix32::textOptionsWindow, w.spdToText, w,
                                   [](TfrmTextOptions& o) { o.btnOK->click(); }, file);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].filter, QStringLiteral("Text files (*.txt)|*.txt"));
    EXPECT_TRUE(asked[0].confirmOverwrite);
    EXPECT_EQ(asked[0].helpContext, 18000);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("Would you like to view the document now?"));
    EXPECT_EQ(shown[0].buttons, buttons::YesNoCancel);
    EXPECT_EQ(shown[0].helpContext, 18000);
    EXPECT_FALSE(w.pnlProgress->isVisible());
    const std::string bytes = TempFolder::read(file);
    EXPECT_EQ(bytes.substr(0, bytes.find("\r\n")), "My Holiday *a apple*<Art> and *this part*{1}.");
    // The open document lost its trailing breaks and nothing else.
    EXPECT_EQ(w.document().essay().text(), u"My Holiday a appleArt and this part1.");
    // The statistics window keeps the export's descriptions.
    EXPECT_EQ(w.frmErrors->table().cell(1, 1), u"Art: Article error");
    EXPECT_TRUE(sameAsCommandLine("--export-text", marked, file));
}

TEST_F(TextRtfExportWindowTest, RtfExportMatchesTheCommandLineAndFailuresWarn) {
    TempFolder dir;
    const std::string marked = markedEssay(dir);
    TfrmTallix32 w(settings);
    EXPECT_TRUE(w.spdToRTF->isEnabled());
    EXPECT_TRUE(w.mnuExportRTF->isEnabled());
    ASSERT_TRUE(w.LoadTlxFile(q(marked)));
    shown.clear();

    const std::string file = dir.file("holiday.rtf");
    exportThrough<TfrmRTFOptions>(&TfrmTallix32::rtfOptionsWindow, w.spdToRTF, w,
                                  [](TfrmRTFOptions& o) { o.chkIncludeErrorStats->click(); o.btnOK->click(); },
                                  file);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].filter, QStringLiteral("Rich Text Format files (*.rtf)|*.rtf"));
    EXPECT_EQ(asked[0].helpContext, 17000);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].helpContext, 17000);
    EXPECT_EQ(TempFolder::read(file).substr(0, 5), "{\\rtf");
    EXPECT_EQ(settings.readString("RTFOptions", "IncludeErrorStats", "?"), QStringLiteral("0"));
    EXPECT_TRUE(sameAsCommandLine("--export-rtf", marked, file));

    // A file that cannot be written: the warning, no question; an old file stays.
    shown.clear();
    std::filesystem::create_directory(dir.file("folder.rtf"));
    exportThrough<TfrmRTFOptions>(&TfrmTallix32::rtfOptionsWindow, w.spdToRTF, w,
                                  [](TfrmRTFOptions& o) { o.btnOK->click(); }, dir.file("folder.rtf"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("Unable to save the file. There may be a disk error."));
    EXPECT_EQ(shown[0].type, MessageType::Warning);
    EXPECT_EQ(shown[0].helpContext, 1000);
    EXPECT_FALSE(w.pnlProgress->isVisible());

    // Cancelled options: nothing is asked or written.
    shown.clear();
    asked.clear();
    exportThrough<TfrmRTFOptions>(&TfrmTallix32::rtfOptionsWindow, w.spdToRTF, w,
                                  [](TfrmRTFOptions& o) { o.btnCancel->click(); }, dir.file("x.rtf"));
    files.clear();
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.rtf")));
}

TEST_F(TextRtfExportWindowTest, AnExportIsNeverWrittenOverTheOpenMarkedFile) {
    TempFolder dir;
    const std::string marked = markedEssay(dir);
    const std::string before = TempFolder::read(marked);
    std::filesystem::create_directory(dir.file("sub"));
    TfrmTallix32 w(settings);
    ASSERT_TRUE(w.LoadTlxFile(q(marked)));
    shown.clear();

    // The marked file itself, by another spelling of its path.
    exportThrough<TfrmTextOptions>(&TfrmTallix32::textOptionsWindow, w.spdToText, w,
                                   [](TfrmTextOptions& o) { o.btnOK->click(); },
                                   dir.file("sub/../holiday.tlx"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("is the marked file you are working on")))
        << shown[0].text.toStdString();
    EXPECT_EQ(shown[0].type, MessageType::Warning);
    EXPECT_EQ(TempFolder::read(marked), before);

    shown.clear();
    exportThrough<TfrmRTFOptions>(&TfrmTallix32::rtfOptionsWindow, w.spdToRTF, w,
                                  [](TfrmRTFOptions& o) { o.btnOK->click(); }, marked);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("is the marked file you are working on")));
    EXPECT_EQ(TempFolder::read(marked), before);
    EXPECT_FALSE(w.pnlProgress->isVisible());
}
