#include "platform/ProfileFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;
using tallix::ProfileFile;
using tallix::ProfileLoadStatus;
using tallix::ProfileWriteError;

namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return folder_.file(name); }
    void put(const std::string& name, const std::string& bytes) const { folder_.write(name, bytes); }
    std::string get(const std::string& name) const { return folder_.read(path(name)); }
    tallix::testing::TempFolder folder_;
    const fs::path& dir_ = folder_.path();
};

const char kOddFile[] =
    "orphan=before any section\r\n"
    "; a comment\r\n"
    "[ Title ]\r\n"
    "Title = \"  Quoted Title  \" \r\n"
    "[Other]\r\n"
    "Short=other section\r\n"
    "[19]\r\n"
    "  SHORT  =   Spelling   \r\n"
    "short=second one\r\n"
    "Caption='single'\r\n"
    "Long=\"mismatched'\r\n"
    "Empty=\r\n"
    "Blank=    \r\n"
    "NoEquals\r\n"
    ";Commented=yes\r\n";

TEST_F(ProfileFileTest, ReadsHandWrittenFileByTheWindowsRules) {
    for (std::string ending : {"\r\n", "\n"}) {
        std::string text = kOddFile;
        for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;)
            text.replace(at, 2, ending), at += ending.size();
        put("odd.ini", text);
        ProfileFile f(path("odd.ini"));
        ASSERT_EQ(f.status(), ProfileLoadStatus::Loaded);
        EXPECT_EQ(f.readString(u"title", u"TITLE", u"d"), u"  Quoted Title  ");
        EXPECT_EQ(f.readString(u"19", u"Short", u"d"), u"Spelling");  // first duplicate wins
        EXPECT_EQ(f.readString(u" 19 ", u" caption ", u"d"), u"single");
        EXPECT_EQ(f.readString(u"19", u"Long", u"d"), u"\"mismatched'");
        EXPECT_EQ(f.readString(u"19", u"Empty", u"d"), u"");
        EXPECT_EQ(f.readString(u"19", u"Blank", u"d"), u"");
        EXPECT_EQ(f.readString(u"19", u"NoEquals", u"d"), u"d");
        EXPECT_EQ(f.readString(u"19", u"Commented", u"d"), u"d");
        EXPECT_EQ(f.readString(u"OTHER", u"short", u"d"), u"other section");
        EXPECT_EQ(f.readString(u"19", u"orphan", u"d"), u"d");
        EXPECT_EQ(f.readString(u"", u"orphan", u"d"), u"d");
        EXPECT_EQ(f.readString(u"20", u"Short", u"d"), u"d");
    }
}

TEST_F(ProfileFileTest, LongValuesAreCutTo1023Characters) {
    std::string longValue(1500, 'x');
    longValue[1022] = 'y';
    put("long.ini", "[S]\r\nK=" + longValue + "\r\nQ=\"" + longValue + "\"\r\n"
                    "P=" + std::string(1022, 'a') + "\xF0\x9F\x98\x80" + "tail\r\n");
    ProfileFile f(path("long.ini"));
    std::u16string expected(1022, u'x');
    expected += u'y';
    EXPECT_EQ(f.readString(u"S", u"K", u""), expected);
    EXPECT_EQ(f.readString(u"S", u"Q", u""), expected);
    // A surrogate pair straddling the limit is dropped whole, not split.
    EXPECT_EQ(f.readString(u"S", u"P", u""), std::u16string(1022, u'a'));
}

TEST_F(ProfileFileTest, MissingFileReadsDefaultsAndWritingCreatesIt) {
    ProfileFile f(path("new.ini"));
    EXPECT_EQ(f.status(), ProfileLoadStatus::Missing);
    EXPECT_EQ(f.readString(u"S", u"K", u"fallback"), u"fallback");
    f.writeString(u"Title", u"Title", u"Mine");
    f.writeString(u"1", u"Caption", u"");
    EXPECT_EQ(get("new.ini"), "[Title]\r\nTitle=Mine\r\n[1]\r\nCaption=\r\n");
    EXPECT_EQ(f.readString(u"title", u"title", u"x"), u"Mine");
    EXPECT_EQ(f.readString(u"1", u"Caption", u"x"), u"");
    EXPECT_EQ(tallix::readProfileString(path("new.ini"), u"TITLE", u"title", u""), u"Mine");
}

TEST_F(ProfileFileTest, WritesUpdateInPlaceAndLeaveOtherLinesAlone) {
    for (std::string nl : {"\r\n", "\n"}) {
        put("w.ini", "; header" + nl + "[A]" + nl + "  Key = old" + nl + "Other=1" + nl + nl +
                         "; trailing comment" + nl + "[B]" + nl + "odd line" + nl + "x=1" + nl +
                         "x=2" + nl);
        ProfileFile f(path("w.ini"));
        f.writeString(u"a", u"KEY", u"new value");
        f.writeString(u"A", u"Added", u"v");
        f.writeString(u"b", u"X", u"3");
        f.writeString(u"C", u"K", u"c");
        EXPECT_EQ(get("w.ini"), "; header" + nl + "[A]" + nl + "  Key = new value" + nl + "Other=1" + nl +
                                    "Added=v" + nl + nl + "; trailing comment" + nl + "[B]" + nl +
                                    "odd line" + nl + "x=3" + nl + "x=2" + nl + "[C]" + nl + "K=c" + nl);
        EXPECT_EQ(f.readString(u"A", u"Key", u""), u"new value");
        EXPECT_EQ(ProfileFile(path("w.ini")).readString(u"B", u"x", u""), u"3");
    }
}

TEST_F(ProfileFileTest, WritesKeepMissingFinalLineBreakAndMixedEndings) {
    put("end.ini", "[A]\r\nk=1\n[B]\r\nk=2");
    ProfileFile f(path("end.ini"));
    f.writeString(u"B", u"j", u"3");
    f.writeString(u"A", u"k", u"9");
    EXPECT_EQ(get("end.ini"), "[A]\r\nk=9\n[B]\r\nk=2\r\nj=3");
}

TEST_F(ProfileFileTest, ValueIsWrittenAsOneLineAndBadNamesAreRefused) {
    put("v.ini", "[Title]\r\nTitle=old\r\n");
    ProfileFile f(path("v.ini"));
    f.writeString(u"Title", u"Title", u"First line\r\n[5]\r\nShort=injected");
    EXPECT_EQ(get("v.ini"), "[Title]\r\nTitle=First line\r\n");
    EXPECT_FALSE(f.hasKey(u"5", u"Short"));

    const std::string before = get("v.ini");
    EXPECT_THROW(f.writeString(u"Title", u"a=b", u"x"), ProfileWriteError);
    EXPECT_THROW(f.writeString(u"Ti]tle", u"k", u"x"), ProfileWriteError);
    EXPECT_THROW(f.writeStrings({{u"Title", u"Title", u"changed"}, {u"S", u"", u"x"}}), ProfileWriteError);
    EXPECT_EQ(get("v.ini"), before); // nothing of a failed batch reaches the file
    EXPECT_EQ(f.readString(u"Title", u"Title", u""), u"First line");
}

TEST_F(ProfileFileTest, WritesKeepTheFileEncoding) {
    put("u8.ini", "\xEF\xBB\xBF[A]\r\nName=Ren\xC3\xA9\r\n");
    ProfileFile u8(path("u8.ini"));
    EXPECT_EQ(u8.readString(u"A", u"Name", u""), u"Ren\u00E9");
    u8.writeString(u"A", u"K", u"v");
    EXPECT_EQ(get("u8.ini"), "\xEF\xBB\xBF[A]\r\nName=Ren\xC3\xA9\r\nK=v\r\n");

    put("ansi.ini", "[A]\r\nName=Ren\xE9\r\n");
    ProfileFile ansi(path("ansi.ini"));
    ansi.writeString(u"A", u"K", u"v");
    EXPECT_EQ(get("ansi.ini"), "[A]\r\nName=Ren\xE9\r\nK=v\r\n");
    ansi.writeString(u"A", u"K", u"\u0416"); // not in Windows-1252
    EXPECT_EQ(ProfileFile(path("ansi.ini")).readString(u"A", u"Name", u""), u"Ren\u00E9");
    EXPECT_EQ(ProfileFile(path("ansi.ini")).readString(u"A", u"K", u""), u"\u0416");

    const auto utf16 = [](std::string_view ascii) {
        std::string out = "\xFF\xFE";
        for (char c : ascii)
            out += std::string{c, '\0'};
        return out;
    };
    put("wide.ini", utf16("[A]\r\nK=1\r\n"));
    tallix::writeProfileString(path("wide.ini"), u"a", u"k", u"2");
    EXPECT_EQ(get("wide.ini"), utf16("[A]\r\nK=2\r\n"));
}

TEST_F(ProfileFileTest, WritesThroughAnotherObjectAreNotLost) {
    ProfileFile a(path("shared.ini"));
    ProfileFile b(path("shared.ini"));
    b.writeString(u"S", u"FromB", u"1");
    a.writeString(u"S", u"FromA", u"2");
    ProfileFile c(path("shared.ini"));
    EXPECT_EQ(c.readString(u"S", u"FromB", u""), u"1");
    EXPECT_EQ(c.readString(u"S", u"FromA", u""), u"2");
}

TEST_F(ProfileFileTest, UnwritableTargetsRaiseTheError) {
    const std::string inMissingFolder = path("no/such/folder/x.ini");
    try {
        tallix::writeProfileString(inMissingFolder, u"S", u"K", u"v");
        FAIL() << "no error";
    } catch (const ProfileWriteError& e) {
        EXPECT_STREQ(e.what(), ("Unable to write to " + inMissingFolder).c_str());
        EXPECT_EQ(e.path(), inMissingFolder);
    }
    fs::create_directory(dir_ / "folder.ini");
    EXPECT_THROW(tallix::writeProfileString(path("folder.ini"), u"S", u"K", u"v"), ProfileWriteError);
}

TEST_F(ProfileFileTest, ReadOnlyFileOrFolderRaisesTheError) {
    put("ro.ini", "[S]\r\nK=old\r\n");
    fs::permissions(dir_ / "ro.ini", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    {
        // Root ignores permissions: write as an ordinary user.
        tallix::testing::AsUnprivileged user;
        if (std::ofstream(dir_ / "ro.ini", std::ios::app).is_open())
            GTEST_SKIP() << "running with rights that ignore file permissions";
        ProfileFile ro(path("ro.ini"));
        try {
            ro.writeString(u"S", u"K", u"new");
            FAIL() << "no error";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), ("Unable to write to " + path("ro.ini")).c_str());
        }
        EXPECT_EQ(ro.readString(u"S", u"K", u""), u"old");
    }
    EXPECT_EQ(get("ro.ini"), "[S]\r\nK=old\r\n");

    // A read-only folder: neither the file nor a new one beside it can be written.
    fs::permissions(dir_ / "ro.ini", fs::perms::owner_write, fs::perm_options::add);
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                              fs::perms::others_exec);
    {
        tallix::testing::AsUnprivileged user;
        ProfileFile ro(path("ro.ini"));
        EXPECT_THROW(ro.writeString(u"S", u"K", u"new"), ProfileWriteError);
        EXPECT_THROW(tallix::writeProfileString(path("fresh.ini"), u"S", u"K", u"v"),
                     ProfileWriteError);
    }
    fs::permissions(dir_, fs::perms::owner_all);
}

TEST_F(ProfileFileTest, OversizedFileIsNeitherReadNorOverwritten) {
    put("big.ini", "[S]\r\nK=v\r\n");
    fs::resize_file(dir_ / "big.ini", ProfileFile::MaxFileBytes + 1);
    ProfileFile f(path("big.ini"));
    EXPECT_EQ(f.status(), ProfileLoadStatus::TooLarge);
    EXPECT_EQ(f.readString(u"S", u"K", u"d"), u"d");
    EXPECT_THROW(f.writeString(u"S", u"K", u"x"), ProfileWriteError);
    EXPECT_EQ(fs::file_size(dir_ / "big.ini"), ProfileFile::MaxFileBytes + 1);
}

} // namespace
