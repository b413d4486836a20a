#include "platform/qt/SettingsStore.h"

#include "TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

using tallix::SettingsStore;

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value.toUtf8());
    }
    ~ScopedEnv() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

class SettingsStoreTest : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("Tallix32.conf")) const {
        return dir_.filePath(name);
    }
    void put(const QByteArray& bytes) const {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray fileText() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir_;
};

TEST_F(SettingsStoreTest, MissingStoreSectionOrValueGivesTheDefault) {
    SettingsStore store(path());
    EXPECT_EQ(store.readString("FilePaths", "CurrentButtons", "/p/default.btn"), "/p/default.btn");
    EXPECT_EQ(store.readInteger("MainForm", "ClientWidth", 622), 622);
    EXPECT_TRUE(store.readBool("WebOptions", "Quick", true));
    EXPECT_FALSE(store.readBool("Fonts", "FeedbackBold", false));
    EXPECT_FALSE(store.valueExists("MainForm", "ClientWidth"));

    put("[MainForm]\nTop=10\n");
    SettingsStore other(path());
    EXPECT_EQ(other.readInteger("MainForm", "Left", 77), 77); // section there, value missing
    EXPECT_EQ(other.readInteger("MainForm", "Top", 77), 10);
}

TEST_F(SettingsStoreTest, IntegersReadDecimalAndDollarHexAndFallBackOnBadText) {
    put("[N]\n"
        "Dec=429\nNeg=-12\nBlanks=  42  \nHex=$1F\nLowerHex=$ff\nHexZeroX=0x10\n"
        "AllBits=$FFFFFFFF\nColour=$80000008\nNegHex=-$10\n"
        "Trailing=12abc\nEmpty=\nBigDec=99999999999\nLongHex=$123456789\nLoneDollar=$\n"
        "MinInt=-2147483648\nPastMax=2147483648\n");
    SettingsStore store(path());
    EXPECT_EQ(store.readInteger("N", "Dec", 0), 429);
    EXPECT_EQ(store.readInteger("N", "Neg", 0), -12);
    EXPECT_EQ(store.readInteger("N", "Blanks", 0), 42);
    EXPECT_EQ(store.readInteger("N", "Hex", 0), 31);
    EXPECT_EQ(store.readInteger("N", "LowerHex", 0), 255);
    EXPECT_EQ(store.readInteger("N", "HexZeroX", 0), 16);
    EXPECT_EQ(store.readInteger("N", "AllBits", 0), -1);
    EXPECT_EQ(static_cast<unsigned>(store.readInteger("N", "Colour", 0)), 0x80000008u);
    EXPECT_EQ(store.readInteger("N", "NegHex", 0), -16);
    EXPECT_EQ(store.readInteger("N", "MinInt", 0), std::numeric_limits<int>::min());
    for (const char* bad : {"Trailing", "Empty", "BigDec", "LongHex", "LoneDollar", "PastMax"})
        EXPECT_EQ(store.readInteger("N", bad, 7), 7) << bad;
}

TEST_F(SettingsStoreTest, BooleansAreZeroOrOneAndAnyOtherNumberIsTrue) {
    put("[B]\nOne=1\nZero=0\nFive=5\nHexOne=$1\nWord=yes\n");
    SettingsStore store(path());
    EXPECT_TRUE(store.readBool("B", "One", false));
    EXPECT_FALSE(store.readBool("B", "Zero", true));
    EXPECT_TRUE(store.readBool("B", "Five", false));
    EXPECT_TRUE(store.readBool("B", "HexOne", false));
    EXPECT_TRUE(store.readBool("B", "Word", true)); // not a number: the default
    EXPECT_FALSE(store.readBool("B", "Word", false));

    store.writeBool("Fonts", "FeedbackBold", true);
    store.writeBool("Fonts", "FeedbackItalic", false);
    store.writeInteger("MainForm", "Top", -8);
    ASSERT_TRUE(store.flush());
    const QByteArray text = fileText();
    EXPECT_TRUE(text.contains("FeedbackBold=1\n")) << text.constData();
    EXPECT_TRUE(text.contains("FeedbackItalic=0\n")) << text.constData();
    EXPECT_TRUE(text.contains("Top=-8\n")) << text.constData();
}

TEST_F(SettingsStoreTest, WrittenValuesReadBackInAnotherRunWithNamesAsWritten) {
    {
        SettingsStore store(path());
        store.writeString("FilePaths", "CurrentButtons", "/home/t/My Buttons/default.btn");
        store.writeString("FilePaths", "LastFile1", "");
        store.writeInteger("MainForm", "ClientWidth", 640);
        store.writeString("Fonts", "FeedbackName", "Times New Roman");
        store.writeString("Web Options", "Links per page", "60");
        store.writeString("General", "Note", "kept");
        store.writeString("Odd", "Text", "  two blanks each side  ");
        store.writeString("Odd", "Lines", "first\r\nsecond\\third");
        store.writeString("Odd", "Markup", "@Variant(x) = \"quoted\";");
        store.writeString("Odd", "Accents", QString::fromUtf8("Zoë – naïve"));
        ASSERT_TRUE(store.flush());
    }
    SettingsStore again(path());
    EXPECT_EQ(again.readString("FilePaths", "CurrentButtons", ""), "/home/t/My Buttons/default.btn");
    EXPECT_TRUE(again.valueExists("FilePaths", "LastFile1"));
    EXPECT_EQ(again.readString("FilePaths", "LastFile1", "default"), ""); // present but empty
    EXPECT_EQ(again.readInteger("MainForm", "ClientWidth", 0), 640);
    EXPECT_EQ(again.readString("Fonts", "FeedbackName", ""), "Times New Roman");
    EXPECT_EQ(again.readString("Web Options", "Links per page", ""), "60");
    EXPECT_EQ(again.readString("General", "Note", ""), "kept");
    EXPECT_EQ(again.readString("Odd", "Text", ""), "  two blanks each side  ");
    EXPECT_EQ(again.readString("Odd", "Lines", ""), "first\r\nsecond\\third");
    EXPECT_EQ(again.readString("Odd", "Markup", ""), "@Variant(x) = \"quoted\";");
    EXPECT_EQ(again.readString("Odd", "Accents", ""), QString::fromUtf8("Zoë – naïve"));

    // The file holds the names exactly as written, one value per line.
    const QByteArray text = fileText();
    EXPECT_TRUE(text.contains("[FilePaths]\n")) << text.constData();
    EXPECT_TRUE(text.contains("\nCurrentButtons=/home/t/My Buttons/default.btn\n")) << text.constData();
    EXPECT_TRUE(text.contains("[Web Options]\nLinks per page=60\n")) << text.constData();
    EXPECT_TRUE(text.contains("[General]\nNote=kept\n")) << text.constData();
    EXPECT_TRUE(text.contains("[MainForm]\nClientWidth=640\n")) << text.constData();
}

TEST_F(SettingsStoreTest, NamesMatchWithoutRegardToCaseAndKeepTheirFirstSpelling) {
    SettingsStore store(path());
    store.writeInteger("MainForm", "ClientHeight", 429);
    EXPECT_EQ(store.readInteger("MAINFORM", "clientheight", 0), 429);
    store.writeInteger("mainform", "CLIENTHEIGHT", 500); // replaces, does not add
    ASSERT_TRUE(store.flush());
    const QByteArray text = fileText();
    EXPECT_EQ(text, QByteArray("[MainForm]\nClientHeight=500\n"));
}

TEST_F(SettingsStoreTest, HandEditedFileIsReadLikeAProfile) {
    put("; written by hand\r\n"
        "[Fonts]\r\n"
        "  FeedbackName = \"Courier New\"  \r\n"
        "FeedbackSize=10\r\n"
        "FeedbackSize=99\r\n"
        "not a value line\r\n"
        "[Broken\r\n"
        "Lost=1\r\n");
    SettingsStore store(path());
    EXPECT_EQ(store.readString("Fonts", "FeedbackName", ""), "Courier New");
    EXPECT_EQ(store.readInteger("Fonts", "FeedbackSize", 0), 10); // the first one counts
    EXPECT_FALSE(store.valueExists("Broken", "Lost"));
}

TEST_F(SettingsStoreTest, EnvironmentVariableChoosesTheStore) {
    const QString file = dir_.filePath("sub/folder/settings.conf");
    ScopedEnv env("TALLIX32_SETTINGS", file);
    EXPECT_EQ(tallix::defaultSettingsLocation(), file);
    {
        SettingsStore store;
        EXPECT_EQ(store.location(), file);
        store.writeString("Configuration", "ConfigFile", "/x/default.cfg");
        ASSERT_TRUE(store.flush()); // creates the folders
    }
    ASSERT_TRUE(QFileInfo::exists(file));
    SettingsStore again;
    EXPECT_EQ(again.readString("Configuration", "ConfigFile", ""), "/x/default.cfg");
}

TEST_F(SettingsStoreTest, FlushReportsAStoreThatCannotBeWritten) {
    // The store's folder cannot be made: a file stands where it should be.
    put("not a folder");
    SettingsStore store(path() + "/Tallix32.conf");
    store.writeInteger("MainForm", "State", 1);
    EXPECT_FALSE(store.flush());
    EXPECT_EQ(store.readInteger("MainForm", "State", 0), 1); // still there in memory
}

// ---------------------------------------------------------------------------

TEST(ProgramFolderTest, HomeVariableIsTheProgramFolderWithTrailingSeparator) {
    QTemporaryDir home;
    ScopedEnv env("TALLIX32_HOME", home.path());
    const QString folder = tallix::programFolder();
    EXPECT_TRUE(folder.endsWith(QDir::separator()));
    EXPECT_EQ(QDir(folder).canonicalPath(), QDir(home.path()).canonicalPath());
}

TEST(ProgramFolderTest, ShippedFilesComeFromTheProgramFolderElseFromTheBuiltInCopy) {
    QTemporaryDir home;
    ScopedEnv env("TALLIX32_HOME", home.path());

    // Not in the folder: the built-in tutorial is written out, with its second page.
    const QString tutorial = tallix::findShippedFile("tutorial\\tutor1.htm");
    ASSERT_FALSE(tutorial.isEmpty());
    EXPECT_EQ(QFileInfo(tutorial).canonicalFilePath(),
              QFileInfo(home.filePath("tutorial/tutor1.htm")).canonicalFilePath());
    QFile written(tutorial);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    QFile builtIn(":/tutorial/tutor1.htm");
    ASSERT_TRUE(builtIn.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), builtIn.readAll());
    EXPECT_TRUE(QFileInfo(written).isWritable());
    EXPECT_TRUE(QFileInfo::exists(home.filePath("tutorial/tutor2.htm")));

    // A copy of the user's own is preferred and left alone.
    QDir().mkpath(home.filePath("help"));
    QFile own(home.filePath("help/contents.html"));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write("<html><title>Own</title></html>");
    own.close();
    const QString found = tallix::findShippedFile("help/contents.html");
    EXPECT_EQ(QFileInfo(found).canonicalFilePath(), QFileInfo(own).canonicalFilePath());
    ASSERT_TRUE(own.open(QIODevice::ReadOnly));
    EXPECT_EQ(own.readAll(), QByteArray("<html><title>Own</title></html>"));

    EXPECT_TRUE(tallix::findShippedFile("tutorial/no-such-page.htm").isEmpty());
    EXPECT_TRUE(tallix::findShippedFile("../outside.htm").isEmpty());
    EXPECT_TRUE(tallix::findShippedFile("").isEmpty());
}

TEST(ProgramFolderTest, FilesNotYetInTheProgramFolderAreReadFromTheInstalledCopy) {
    QTemporaryDir home;
    ScopedEnv env("TALLIX32_HOME", home.path());
    const QString name = QStringLiteral("installed-%1.btn").arg(QCoreApplication::applicationPid());
    const QString own = tallix::programFolder() + name;
    // Nothing anywhere: the path itself, to be written later.
    EXPECT_EQ(tallix::readableFile(own), own);

    // A copy installed beside the program serves until the teacher has one.
    const QString installed = QCoreApplication::applicationDirPath() + u'/' + name;
    {
        QFile f(installed);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Title]\r\nTitle=Shipped\r\n");
    }
    EXPECT_EQ(QFileInfo(tallix::readableFile(own)).canonicalFilePath(),
              QFileInfo(installed).canonicalFilePath());
    {
        QFile f(own);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Title]\r\nTitle=Mine\r\n");
    }
    EXPECT_EQ(tallix::readableFile(own), own);
    // A file outside the program folder is never swapped for another.
    const QString elsewhere = home.path() + QStringLiteral("/../elsewhere/") + name;
    EXPECT_EQ(tallix::readableFile(elsewhere), elsewhere);
    QFile::remove(installed);
}

TEST(ProgramFolderTest, WithoutTheHomeVariableItIsThePerUserDataFolder) {
    QTemporaryDir data;
    ScopedEnv env("TALLIX32_HOME", QString());
    ScopedEnv xdg("XDG_DATA_HOME", data.path());
    const QString folder = tallix::programFolder();
    EXPECT_EQ(QDir(folder).canonicalPath(), QDir(data.path() + "/Tallix32").canonicalPath());
    EXPECT_FALSE(folder.startsWith(QCoreApplication::applicationDirPath()));
}

} // namespace

// ---------------------------------------------------------------------------
// Damaged settings files and atomic writes.

namespace {

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void setMode(const QString& path, int mode) {
    std::filesystem::permissions(path.toStdString(), std::filesystem::perms(mode),
                                 std::filesystem::perm_options::replace);
}

QByteArray contents(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST_F(SettingsStoreTest, AFileThatIsNotTextIsKeptAsideReportedOnceAndNeverWrittenOver) {
    SettingsStore::takeDamageReports(); // what earlier tests left
    const QByteArray damaged("[MainForm]\nTop=10\n\0\0\0\x01\x02\x03\x04garbage", 30);
    put(damaged);
    {
        SettingsStore store(path());
        EXPECT_EQ(store.readInteger("MainForm", "Top", 7), 7); // the defaults
        store.writeInteger("MainForm", "Left", 5);
        EXPECT_TRUE(store.flush());
    }
    EXPECT_EQ(contents(path() + ".bad"), damaged);
    EXPECT_EQ(fileText(), QByteArray("[MainForm]\nLeft=5\n"));
    const std::vector<tallix::Message> reports = SettingsStore::takeDamageReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].type, tallix::MessageType::Warning);
    EXPECT_EQ(reports[0].text,
              u"The settings file \"Tallix32.conf\" could not be read. It has been kept as "
              u"\"Tallix32.conf.bad\", and the program starts with its default settings.");
    // Once only: the new file reads without a word.
    SettingsStore again(path());
    EXPECT_EQ(again.readInteger("MainForm", "Left", 0), 5);
    EXPECT_TRUE(SettingsStore::takeDamageReports().empty());
    // A second damaged file keeps the first one kept aside.
    put(damaged + "2");
    { SettingsStore third(path()); }
    EXPECT_EQ(contents(path() + ".bad"), damaged);
    EXPECT_EQ(contents(path() + ".2.bad"), damaged + "2");
    EXPECT_EQ(SettingsStore::takeDamageReports().size(), 1u);
}

TEST_F(SettingsStoreTest, ADamagedFileThatCannotBeKeptAsideIsLeftAsItIs) {
    SettingsStore::takeDamageReports();
    const QByteArray damaged("\0\0\0\0binary", 10);
    put(damaged);
    setMode(path(), 0666);
    setMode(dir_.path(), 0555);
    bool flushed = true;
    {
        tallix::testing::AsUnprivileged user;
        if (!user.effective()) {
            setMode(dir_.path(), 0700);
            GTEST_SKIP() << "cannot drop root privileges";
        }
        SettingsStore store(path());
        store.writeInteger("MainForm", "Top", 3);
        EXPECT_EQ(store.readInteger("MainForm", "Top", 0), 3); // kept in memory
        flushed = store.flush();
    }
    setMode(dir_.path(), 0700);
    EXPECT_FALSE(flushed);
    EXPECT_EQ(fileText(), damaged);
    EXPECT_EQ(entries(dir_.path()), QStringList{QStringLiteral("Tallix32.conf")});
    const std::vector<tallix::Message> reports = SettingsStore::takeDamageReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].text.find(u"left as it is"), std::u16string::npos);
}

TEST_F(SettingsStoreTest, TheFileIsReplacedWholeAndNeverWrittenInPlace) {
    put("[MainForm]\nTop=10\n");
    {
        SettingsStore store(path());
        store.writeInteger("MainForm", "Left", 4);
        EXPECT_TRUE(store.flush());
    }
    EXPECT_EQ(fileText(), QByteArray("[MainForm]\nLeft=4\nTop=10\n"));
    EXPECT_EQ(entries(dir_.path()), QStringList{QStringLiteral("Tallix32.conf")}); // nothing left over

    // The file may be written but its folder may not: a write in place would
    // succeed, a whole replacement cannot, and the old file stays as it was.
    setMode(path(), 0666);
    setMode(dir_.path(), 0555);
    bool flushed = true;
    {
        tallix::testing::AsUnprivileged user;
        if (!user.effective()) {
            setMode(dir_.path(), 0700);
            GTEST_SKIP() << "cannot drop root privileges";
        }
        SettingsStore store(path());
        store.writeInteger("MainForm", "Left", 99);
        flushed = store.flush();
    }
    setMode(dir_.path(), 0700);
    EXPECT_FALSE(flushed);
    EXPECT_EQ(fileText(), QByteArray("[MainForm]\nLeft=4\nTop=10\n"));
}
