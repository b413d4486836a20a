// A settings file that cannot be read: the marking window says so once, when it
// first shows, and the damaged file is kept aside.
#include "app/TfrmTallix32.h"
#include "platform/FileIO.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"

#include "TestFiles.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <filesystem>

using namespace tallix;
using tallix::testing::TempFolder;

TEST(SettingsDamage, TheWindowReportsADamagedSettingsFileOnceAtStartUp) {
    TempFolder home;
    qputenv("TALLIX32_HOME", QByteArray::fromStdString(home.path().string() + "/"));
    initResources();
    SettingsStore::takeDamageReports();
    const std::string damaged("[MainForm]\nTop=1\0\0\0\0\x7f\x01\x02", 24);
    const std::string path = home.write("settings.conf", damaged);
    std::vector<MessageRequest> shown;
    ScopedMessageHandler messages{[&](const MessageRequest& r) {
        shown.push_back(r);
        return escapeAnswer(r.buttons);
    }};
    {
        // As the program starts with a file to open: the command line's store
        // comes first and goes, then the window's.
        { SettingsStore commandLine(QString::fromStdString(path)); }
        SettingsStore settings(QString::fromStdString(path));
        for (int run = 0; run < 2; ++run) {
            TfrmTallix32 w(settings);
            w.show();
            QApplication::processEvents();
            w.document().documentChanged = false;
            w.close();
        }
    }
    qunsetenv("TALLIX32_HOME");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].type, MessageType::Warning);
    EXPECT_EQ(shown[0].text,
              QStringLiteral("The settings file \"settings.conf\" could not be read. It has been "
                             "kept as \"settings.conf.bad\", and the program starts with its "
                             "default settings."));
    EXPECT_EQ(shown[0].helpContext, fileio::SetAsideHelpContext);
    EXPECT_TRUE(shown[0].buttons.testFlag(Button::Help));
    EXPECT_EQ(TempFolder::read(path + ".bad"), damaged);
    // The window's own settings went to a new file.
    EXPECT_NE(TempFolder::read(path).find("[MainForm]"), std::string::npos);
}
