// The PDF and Word exports driven through the marking window (menu, toolbar,
// options window, file dialog) and compared with the command line's files.
#include "app/TfrmTallix32.h"
#include "export/TfrmHandBackOptions.h"

#include "export/qt/ExportWindowFixture.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>
#include <regex>

using namespace tallix;
using tallix::testing::EssayBuilder;
using tallix::testing::TempFolder;
using tallix::testing::q;

namespace {

// A PDF without its creation date (and the metadata dates that repeat it).
std::string withoutDates(const std::string& pdf) {
    static const std::regex dates("\\(D:[0-9+\\-Z']*\\)|xmp:[A-Za-z]*Date=\"[^\"]*\"");
    return std::regex_replace(pdf, dates, "DATE");
}

class HandBackExportWindowTest : public tallix::testing::ExportWindowFixture {
protected:
    std::string markedEssay(const TempFolder& dir) { return holidayEssay(dir); }

    void exportThrough(TfrmHandBackOptions* (TfrmTallix32::*window)(), QToolButton* button,
                       TfrmTallix32& w, bool toggleStats, const std::string& file) {
        files.push_back(q(file));
        QTimer::singleShot(0, [&w, window, toggleStats] {
            TfrmHandBackOptions* o = (w.*window)();
            ASSERT_TRUE(o->isVisible());
            if (toggleStats)
                o->chkIncludeErrorStats->click();
            o->btnOK->click();
        });
        button->click();
    }

    std::string commandLine(const std::string& option, const std::string& marked) {
        std::string written;
        const tallix::testing::ProcessRun cli = ExportWindowFixture::commandLine(option, marked, written);
        EXPECT_EQ(cli.status, 0) << cli.err;
        return written;
    }

    std::optional<QString> typed;
    ScopedInputHandler inputs{[this](const InputRequest&) { return typed; }};
};

} // namespace

TEST_F(HandBackExportWindowTest, WordExportSignsWithTheTeachersNameAndMatchesTheCommandLine) {
    TempFolder dir;
    const std::string marked = markedEssay(dir);
    TfrmTallix32 w(settings);
    EXPECT_EQ(w.mnuExportWord->text(), QStringLiteral("To &Word Document\u2026"));
    ASSERT_TRUE(w.LoadTlxFile(q(marked)));

    typed = QStringLiteral("  Ms Smith ");
    w.mnuCommentAuthor->trigger();
    EXPECT_EQ(settings.readString("WordOptions", "CommentAuthor", "?"), QStringLiteral("Ms Smith"));

    shown.clear();
    const std::string file = dir.file("holiday.docx");
    exportThrough(&TfrmTallix32::wordOptionsWindow, w.spdToWord, w, true, file);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].filter, QStringLiteral("Word documents (*.docx)|*.docx"));
    EXPECT_TRUE(asked[0].confirmOverwrite);
    // The marked file itself is refused as the export's name.
    EXPECT_EQ(asked[0].keepFiles, QStringList{q(marked)});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("Would you like to view the document now?"));
    EXPECT_EQ(settings.readString("WordOptions", "IncludeErrorStats", "?"), QStringLiteral("0"));
    const std::string bytes = TempFolder::read(file);
    ASSERT_EQ(bytes.substr(0, 2), "PK");
    EXPECT_NE(bytes.find("word/comments.xml"), std::string::npos);
    EXPECT_EQ(bytes, commandLine("--export-docx", marked));
}

TEST_F(HandBackExportWindowTest, PdfExportMatchesTheCommandLineApartFromTheDate) {
    TempFolder dir;
    const std::string marked = markedEssay(dir);
    TfrmTallix32 w(settings);
    EXPECT_EQ(w.mnuExportPDF->text(), QStringLiteral("To &PDF\u2026"));
    EXPECT_EQ(w.spdToPDF->toolTip(), QStringLiteral("Export to PDF"));
    ASSERT_TRUE(w.LoadTlxFile(q(marked)));
    shown.clear();
    const std::string file = dir.file("holiday.pdf");
    exportThrough(&TfrmTallix32::pdfOptionsWindow, w.spdToPDF, w, false, file);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].filter, QStringLiteral("PDF files (*.pdf)|*.pdf"));
    EXPECT_EQ(asked[0].keepFiles, QStringList{q(marked)});
    ASSERT_EQ(shown.size(), 1u);
    const std::string bytes = TempFolder::read(file);
    ASSERT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_NE(bytes.find("holiday"), std::string::npos); // the title
    EXPECT_EQ(withoutDates(bytes), withoutDates(commandLine("--export-pdf", marked)));

    QTimer::singleShot(0, [&w] { w.pdfOptionsWindow()->grab().save(QStringLiteral("/tmp/frmPDFOptions.png")); w.pdfOptionsWindow()->btnCancel->click(); });
    w.mnuExportPDF->trigger();
    EXPECT_EQ(asked.size(), 1u); // cancelled options: no file asked
}
