// The web export driven through the marking window and its options window, as a
// teacher would use them, and compared with the command line's pages.
#include "app/TfrmTallix32.h"
#include "export/web/TfrmWebOptions.h"

#include "export/qt/ExportWindowFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
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

class WebExportWindowTest : public tallix::testing::ExportWindowFixture {
protected:
    // An essay of several paragraphs with labels, comments, feedback and a grade.
    std::string markedEssay(const TempFolder& dir) {
        EssayBuilder e;
        e.text(u"My Holiday").paragraph().text(u"by a student").paragraph();
        for (int p = 0; p < 6; ++p) {
            e.text(u"It was <great> & fun: ");
            for (int i = 0; i < 6; ++i)
                e.span(u"a apple").error(i % 2 ? u"Sp" : u"Art").text(u" and ");
            e.coloured(u"this part", clNavy).marker(u16(p + 1)).text(u".").paragraph();
            e.comment(u"Comment " + u16(p + 1) + u"\r\nsecond line");
        }
        e.text(u"The end.");
        return e.save(dir.file("holiday.tlx"));
    }
    static std::u16string u16(int n) {
        const std::string s = std::to_string(n);
        return std::u16string(s.begin(), s.end());
    }

    // Runs the export with the options window set by `choose` and answers the
    // save dialog with page.
    void exportThroughWindow(TfrmTallix32& w, const std::function<void(TfrmWebOptions&)>& choose,
                             const std::string& page) {
        files.push_back(q(page));
        QTimer::singleShot(0, [&w, choose] {
            TfrmWebOptions* o = w.frmWebOptions;
            ASSERT_NE(o, nullptr);
            ASSERT_TRUE(o->isVisible());
            choose(*o);
        });
        w.spdToWeb->click();
    }
};

} // namespace

TEST_F(WebExportWindowTest, OptionsWindowEnablesByMethodAndRemembersEveryClosing) {
    TfrmWebOptions o(settings);
    EXPECT_EQ(o.windowTitle(), QStringLiteral("Options for Web page"));
    EXPECT_TRUE(o.rbQuick->isChecked());
    EXPECT_FALSE(o.rbComplex->isChecked());
    EXPECT_EQ(o.spinTitleParas->value(), 2);
    EXPECT_TRUE(o.chkIncludeErrorStats->isChecked());
    EXPECT_EQ(o.spinLinks->value(), 50);
    EXPECT_EQ(o.spinLinks->minimum(), 20);
    EXPECT_EQ(o.spinLinks->maximum(), 150);
    EXPECT_EQ(o.spinLinks->singleStep(), 10);
    for (QWidget* c : std::initializer_list<QWidget*>{o.chkBreak, o.chkWebble, o.spinLinks, o.lblLinks})
        EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();

    QTimer::singleShot(0, [&] {
        o.rbComplex->click();
        EXPECT_TRUE(o.chkBreak->isEnabled());
        EXPECT_TRUE(o.chkWebble->isEnabled());
        EXPECT_FALSE(o.spinLinks->isEnabled());
        o.chkBreak->click();
        EXPECT_TRUE(o.spinLinks->isEnabled());
        EXPECT_TRUE(o.lblLinks->isEnabled());
        o.chkWebble->click();
        o.spinLinks->setValue(30);
        o.grab().save(QStringLiteral("/tmp/frmWebOptions.png"));
        o.btnOK->click();
    });
    o.exec();
    EXPECT_EQ(o.WebOptionsResult, 26);
    EXPECT_EQ(settings.readString("WebOptions", "Quick", "?"), QStringLiteral("0"));
    EXPECT_EQ(settings.readString("WebOptions", "SplitFiles", "?"), QStringLiteral("1"));
    EXPECT_EQ(settings.readString("WebOptions", "ConvertMac", "?"), QStringLiteral("1"));
    EXPECT_EQ(settings.readString("WebOptions", "Links", "?"), QStringLiteral("30"));

    // The quick method always gives 2; a change followed by Cancel is remembered.
    QTimer::singleShot(0, [&] {
        o.rbQuick->click();
        EXPECT_FALSE(o.chkBreak->isEnabled());
        EXPECT_TRUE(o.spinLinks->isEnabled()); // keeps its state
        o.spinTitleParas->setValue(0);
        o.btnCancel->click();
    });
    o.exec();
    EXPECT_EQ(o.WebOptionsResult, 0);
    EXPECT_EQ(settings.readString("WebOptions", "Quick", "?"), QStringLiteral("1"));
    EXPECT_EQ(settings.readString("WebOptions", "TitleParas", "?"), QStringLiteral("0"));

    // A new window starts from what was stored.
    TfrmWebOptions again(settings);
    EXPECT_TRUE(again.rbQuick->isChecked());
    EXPECT_TRUE(again.chkBreak->isChecked());
    EXPECT_FALSE(again.chkBreak->isEnabled());
    EXPECT_EQ(again.spinTitleParas->value(), 0);
    EXPECT_EQ(again.spinLinks->value(), 30);
    QTimer::singleShot(0, [&] { again.btnOK->click(); });
    again.exec();
    EXPECT_EQ(again.WebOptionsResult, 2);
}

TEST_F(WebExportWindowTest, SplitExportListsThePagesAsksToViewAndMatchesTheCommandLine) {
    TempFolder dir;
    const std::string marked = markedEssay(dir);
    TfrmTallix32 w(settings);
    EXPECT_TRUE(w.spdToWeb->isEnabled());
    EXPECT_TRUE(w.mnuExportWeb->isEnabled());
    ASSERT_TRUE(w.LoadTlxFile(q(marked)));
    shown.clear(); // what start-up had to say (the links file created)

    const std::string page = dir.file("holiday.htm");
    exportThroughWindow(w, [](TfrmWebOptions& o) {
        o.rbComplex->click();
        o.chkBreak->click();
        o.spinLinks->setValue(20);
        o.btnOK->click();
    }, page);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].filter, QStringLiteral("HTML files (*.htm)|*.htm"));
    EXPECT_TRUE(asked[0].confirmOverwrite);
    EXPECT_EQ(asked[0].helpContext, 16000);

    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, MessageKind::Plain);
    EXPECT_EQ(shown[0].text,
              QStringLiteral("The following files have been created:\r\nholiday.htm, "
                             "holiday_2.htm, holiday_3.htm.\r\n\r\nThe file which should be "
                             "loaded first is holiday.htm."));
    EXPECT_EQ(shown[1].text, QStringLiteral("Would you like to view the page now?"));
    EXPECT_EQ(shown[1].type, MessageType::Confirmation);
    EXPECT_EQ(shown[1].buttons, buttons::YesNoCancel);
    EXPECT_EQ(shown[1].helpContext, 16000);
    EXPECT_FALSE(w.pnlProgress->isVisible());
    EXPECT_TRUE(w.menuBar()->isEnabled());
    EXPECT_TRUE(w.spdToWeb->isEnabled());

    // The command line with the same stored settings writes the same bytes.
    TempFolder out;
    const std::string cliPage = out.file("holiday.htm");
    tallix::testing::ProcessRun cli = tallix::testing::runTallix32(
        out, "--export-web " + tallix::testing::shellQuoted(marked) + " " +
                 tallix::testing::shellQuoted(cliPage),
        "TALLIX32_SETTINGS=" + tallix::testing::shellQuoted(home.file("settings.ini")) +
            " TALLIX32_HOME=" + tallix::testing::shellQuoted(home.path().string() + "/"));
    ASSERT_EQ(cli.status, 0) << cli.err;
    EXPECT_EQ(cli.out, cliPage + "\n" + out.file("holiday_2.htm") + "\n" +
                           out.file("holiday_3.htm") + "\n");
    for (const char* name : {"holiday.htm", "holiday_2.htm", "holiday_3.htm"}) {
        const std::string mine = TempFolder::read(dir.file(name));
        ASSERT_FALSE(mine.empty()) << name;
        EXPECT_EQ(TempFolder::read(out.file(name)), mine) << name;
    }
}

TEST_F(WebExportWindowTest, AFailedSaveWarnsAndDoesNotAskToView) {
    TempFolder dir;
    TfrmTallix32 w(settings);
    ASSERT_TRUE(w.LoadTlxFile(q(markedEssay(dir))));
    shown.clear();
    exportThroughWindow(w, [](TfrmWebOptions& o) { o.btnOK->click(); },
                        dir.file("no/such/folder/page.htm"));
    ASSERT_EQ(shown.size(), 1u);
    // The warning names the page that could not be written, and why.
    EXPECT_EQ(shown[0].text, QStringLiteral("Unable to save the file ") +
                                 q(dir.file("no/such/folder/page.htm")) +
                                 QStringLiteral(" (No such file or directory). The disk may be "
                                                "full, or the file may be read-only."));
    EXPECT_EQ(shown[0].type, MessageType::Warning);
    EXPECT_EQ(shown[0].helpContext, 16000);
    EXPECT_FALSE(w.pnlProgress->isVisible());
    EXPECT_EQ(w.pgsMakeWeb->value(), 0);

    // Cancelled options or a cancelled dialog export nothing and ask nothing.
    shown.clear();
    exportThroughWindow(w, [](TfrmWebOptions& o) { o.btnCancel->click(); }, dir.file("x.htm"));
    files.clear();
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.htm")));
}
