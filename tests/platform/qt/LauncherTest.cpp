#include "platform/qt/Launcher.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using tallix::LaunchFile;

namespace {

// A folder of fake desktop programs put in front of (or instead of) the PATH.
class FakePrograms {
public:
    explicit FakePrograms(bool only = false) : oldPath_(qgetenv("PATH")) {
        const QByteArray path = only ? dir_.path().toUtf8() : dir_.path().toUtf8() + ':' + oldPath_;
        qputenv("PATH", path);
    }
    ~FakePrograms() { qputenv("PATH", oldPath_); }

    // A shell script called name that records its arguments and exits with status.
    void add(const QString& name, int status) {
        QFile f(dir_.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$*\" > '%1'\nexit %2\n")
                    .arg(argsFile(name))
                    .arg(status)
                    .toUtf8());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString argsFile(const QString& name) const { return dir_.filePath(name + ".args"); }
    QString file(const QString& name) const { return dir_.filePath(name); }

    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QByteArray oldPath_;
    QTemporaryDir dir_;
};

QString makeFile(const QTemporaryDir& dir, const QString& name) {
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write("x");
    return f.fileName();
}

TEST(LaunchFileTest, MissingFileGivesTheFirstMessage) {
    const QString name = "/no/such/folder/tutor1.htm";
    EXPECT_EQ(LaunchFile(name),
              std::optional<QString>(
                  "Can't open the browser and display the file. Please start your browser "
                  "program manually and open the file  \"/no/such/folder/tutor1.htm\"."));
    // A folder is not a file to show, and neither is an empty name.
    QTemporaryDir dir;
    EXPECT_EQ(LaunchFile(dir.path()), tallix::launchMissingFileMessage(dir.path()));
    EXPECT_EQ(LaunchFile(""), tallix::launchMissingFileMessage(""));
}

TEST(LaunchFileTest, FileTypeWithNoProgramGivesTheSecondMessage) {
    QTemporaryDir dir;
    const QString file = makeFile(dir, "essay.zqx");
    FakePrograms fakes;
    fakes.add("xdg-open", 3); // xdg-open's "no method available for opening"
    EXPECT_EQ(LaunchFile(file),
              std::optional<QString>(
                  "Can't open the browser and display the file. Please start your browser "
                  "program manually and open the file No application is registered for this "
                  "file type " + file + "."));
    EXPECT_EQ(FakePrograms::read(fakes.argsFile("xdg-open")), file.toUtf8());

    fakes.add("xdg-open", 4); // the program was found but failed
    const std::optional<QString> failed = LaunchFile(file);
    ASSERT_TRUE(failed.has_value());
    EXPECT_TRUE(failed->startsWith("Can't open the browser and display the file. Please start "
                                   "your browser program manually and open the file "));
    EXPECT_TRUE(failed->endsWith(" " + file + "."));
}

TEST(LaunchFileTest, OpenerThatSucceedsIsGivenTheFullPath) {
    QTemporaryDir dir;
    const QString file = makeFile(dir, "page.htm");
    FakePrograms fakes;
    fakes.add("xdg-open", 0);
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    EXPECT_EQ(LaunchFile("page.htm"), std::nullopt);
    QDir::setCurrent(before);
    EXPECT_EQ(FakePrograms::read(fakes.argsFile("xdg-open")), QFileInfo(file).absoluteFilePath().toUtf8());
}

TEST(LaunchFileTest, NoOpenerAtAllIsTheSecondFailure) {
    QTemporaryDir dir;
    const QString file = makeFile(dir, "page.htm");
    FakePrograms nothing(true); // a PATH with no xdg-open on it
    const std::optional<QString> failed = LaunchFile(file);
    ASSERT_TRUE(failed.has_value());
    EXPECT_NE(*failed, tallix::launchMissingFileMessage(file));
    EXPECT_TRUE(failed->endsWith(" " + file + "."));
}

TEST(CharacterMapTest, StartsTheFirstCharacterMapOnThePathElseNamesTheWindowsOne) {
    {
        FakePrograms nothing(true);
        const std::optional<QString> failed = tallix::launchCharacterMap();
        ASSERT_TRUE(failed.has_value());
        EXPECT_EQ(*failed, tallix::launchMissingFileMessage(tallix::windowsFolder() + "\\charmap.exe"));
    }
    FakePrograms fakes(true);
    fakes.add("kcharselect", 0);
    EXPECT_EQ(tallix::launchCharacterMap(), std::nullopt);
    // Started on its own: wait for it to have run.
    QDeadlineTimer deadline(5000);
    while (!QFileInfo::exists(fakes.argsFile("kcharselect")) && !deadline.hasExpired())
        QThread::msleep(10);
    EXPECT_TRUE(QFileInfo::exists(fakes.argsFile("kcharselect")));
}

} // namespace
