#include "core/options.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace quorvel {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

// An Options.ini as the Windows program left it: CR LF, keys in whatever case it wrote.
const QByteArray kWindowsIni = "[Settings]\r\n"
                               "savingpath=D:\\Movies\\\r\n"
                               "SavingFavPath=D:\\Fav\\\r\n"
                               "Tab1_Save=yes\r\n"
                               "Tab1_ReadOnly=0\r\n"
                               "Tab2_ReadOnly=2\r\n"
                               "Tab3_AutoPlay=0\r\n"
                               "Background Image=1\r\n"
                               "THEME=0x4\r\n"
                               "BckTab1=C:\\pics\\one.jpg\r\n"
                               "BckTab1Used=1\r\n"
                               "Portable Mode=0\r\n"
                               "\r\n"
                               "[HTML]\r\n"
                               "SavingPath=D:\\Album\\\r\n";

class OptionsIni : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        appFolder = dir.path() + "/";
    }
    QString iniPath() const { return OptionsFilePath(appFolder); }
    QTemporaryDir dir;
    QString appFolder;
};

TEST_F(OptionsIni, WithoutAFileEveryOptionHasItsDefaultAndNothingIsCreated) {
    OptionsFile file(iniPath());
    const Result<StoredOptions> read = ReadStoredOptions(file, appFolder);
    ASSERT_TRUE(read) << read.error().toStdString();
    const StoredOptions& o = *read;
    EXPECT_EQ(o.savingPath, appFolder);
    EXPECT_EQ(o.savingFavPath, appFolder);
    EXPECT_EQ(o.htmlSavingPath, appFolder);
    EXPECT_FALSE(o.tab1Save);
    EXPECT_TRUE(o.tab1ReadOnly);
    EXPECT_TRUE(o.tab2ReadOnly);
    EXPECT_TRUE(o.tab3AutoPlay);
    EXPECT_TRUE(o.tab3VideoOnly);
    EXPECT_TRUE(o.backgroundImage);
    EXPECT_FALSE(o.bckTab1Used);
    EXPECT_FALSE(o.bckTab2Used);
    EXPECT_FALSE(o.portableMode);
    EXPECT_EQ(o.theme, 3);
    EXPECT_TRUE(o.bckTab1.isEmpty() && o.bckTab2.isEmpty());
    EXPECT_TRUE(o.bckTab1P.isEmpty() && o.bckTab2P.isEmpty());
    EXPECT_EQ(file.readString(opt::kSettings, opt::kOmdbApiKey, "none").value(), "none");
    EXPECT_FALSE(QFileInfo::exists(iniPath()));
}

TEST_F(OptionsIni, ReadsTheFileTheWindowsProgramWrote) {
    ASSERT_TRUE(WriteFileBytes(iniPath(), kWindowsIni));
    OptionsFile file(iniPath());
    const Result<StoredOptions> read = ReadStoredOptions(file, appFolder);
    ASSERT_TRUE(read) << read.error().toStdString();
    const StoredOptions& o = *read;
    EXPECT_EQ(o.savingPath, "D:\\Movies\\");
    EXPECT_EQ(o.savingFavPath, "D:\\Fav\\");
    EXPECT_EQ(o.htmlSavingPath, "D:\\Album\\");
    EXPECT_FALSE(o.tab1Save); // "yes" is no integer: the default
    EXPECT_FALSE(o.tab1ReadOnly);
    EXPECT_TRUE(o.tab2ReadOnly); // 2 is true
    EXPECT_FALSE(o.tab3AutoPlay);
    EXPECT_TRUE(o.tab3VideoOnly); // absent
    EXPECT_TRUE(o.backgroundImage);
    EXPECT_EQ(o.theme, 4);
    EXPECT_EQ(o.bckTab1, "C:\\pics\\one.jpg");
    EXPECT_TRUE(o.bckTab1Used);
    EXPECT_FALSE(o.portableMode);
}

TEST_F(OptionsIni, ValuesParseAsTheirTypesOrFallBackToTheDefault) {
    struct Case {
        const char* value;
        bool asBool; // default true
        int asInt;   // default 3
    };
    const Case cases[] = {
        {"0", false, 0},   {"1", true, 1},   {"2", true, 2},     {"-1", true, -1},
        {"yes", true, 3},  {"", true, 3},    {"0x4", true, 4},   {"0X1f", true, 31},
        {"0x0", false, 0}, {"7", true, 7},   {"12abc", true, 3}, {"0x", true, 3},
        {"1.5", true, 3},  {" 5 ", true, 5}, {"-0", false, 0},
    };
    OptionsFile file(iniPath());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ASSERT_TRUE(WriteFileBytes(iniPath(), QByteArray("[Settings]\r\nX=") + c.value + "\r\n"));
        EXPECT_EQ(file.readBool(opt::kSettings, "X", true).value(), c.asBool);
        EXPECT_EQ(file.readInt(opt::kSettings, "X", 3).value(), c.asInt);
    }
}

// An empty folder would be taken relative to whatever folder the program was started in.
TEST_F(OptionsIni, AnEmptyStoredFolderIsTheApplicationFolderAndAThemeOutOfRangeIsReadAsIs) {
    ASSERT_TRUE(WriteFileBytes(iniPath(), "[Settings]\r\nSavingPath=\r\nSavingFavPath=\r\n"
                                          "Theme=7\r\n[HTML]\r\nSavingPath=\r\n"));
    OptionsFile file(iniPath());
    const Result<StoredOptions> read = ReadStoredOptions(file, appFolder);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->savingPath, appFolder);
    EXPECT_EQ(read->savingFavPath, appFolder);
    EXPECT_EQ(read->htmlSavingPath, appFolder);
    EXPECT_EQ(read->theme, 7);
}

// The parser trims values on load; a folder whose name begins or ends with a blank is still
// that folder after a restart, and the file keeps plain key=value lines for other programs.
TEST_F(OptionsIni, ValuesKeepTheirBlanksAtEitherEndThroughWritesAndReads) {
    ASSERT_TRUE(WriteFileBytes(iniPath(), "[Settings]\r\n; kept \x01 comment\r\n"
                                          "SavingFavPath= /fav\t \r\n"));
    OptionsFile file(iniPath());
    const QString values[] = {
        "/home/u/My Movies ", "  /lead",  " ",
        "\t/tabbed\t",        "mid  dle", QString("ctl\x01\x03 ") + QChar(0x01)};
    for (const QString& value : values) {
        SCOPED_TRACE(value.toStdString());
        ASSERT_TRUE(file.writeString(opt::kSettings, opt::kSavingPath, value));
        EXPECT_TRUE(ReadFileBytes(iniPath()).contains("\nSavingPath=" + value.toUtf8() + "\r\n"));
        const Result<StoredOptions> read = ReadStoredOptions(file, appFolder);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->savingPath, value);
        // Written around by other keys, the hand-made value keeps its blanks too.
        EXPECT_EQ(read->savingFavPath, " /fav\t ");
    }
    EXPECT_TRUE(ReadFileBytes(iniPath()).contains("; kept \x01 comment\r\n"));
}

TEST_F(OptionsIni, AFileHoldingNulBytesIsCorrupt) {
    ASSERT_TRUE(WriteFileBytes(iniPath(), QByteArray("[Settings]\r\nTheme=2\0\0\0\r\n", 21)));
    OptionsFile file(iniPath());
    const Result<StoredOptions> read = ReadStoredOptions(file, appFolder);
    ASSERT_FALSE(read);
    EXPECT_TRUE(read.error().contains(iniPath()));
    EXPECT_FALSE(file.readString(opt::kSettings, opt::kTheme, ""));
}

TEST_F(OptionsIni, AFolderInPlaceOfTheFileIsCorrupt) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("Options.ini"));
    OptionsFile file(iniPath());
    EXPECT_FALSE(ReadStoredOptions(file, appFolder));
}

TEST_F(OptionsIni, AWriteChangesOneKeyAndKeepsEverythingElse) {
    ASSERT_TRUE(WriteFileBytes(iniPath(), kWindowsIni));
    OptionsFile file(iniPath());
    ASSERT_TRUE(file.writeInt(opt::kSettings, opt::kTheme, -1));
    ASSERT_TRUE(file.writeBool(opt::kSettings, opt::kTab3VideoOnly, false));
    ASSERT_TRUE(file.writeString(opt::kHtml, opt::kSavingPath, "/home/u/Album"));
    const QByteArray bytes = ReadFileBytes(iniPath());
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_FALSE(bytes.contains(" = "));
    // The key keeps the spelling it had; the new key goes to the end of its section.
    EXPECT_TRUE(bytes.contains("THEME=-1")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("Background Image=1"));
    EXPECT_TRUE(bytes.contains("savingpath=D:\\Movies\\"));
    EXPECT_TRUE(bytes.contains("SavingPath=/home/u/Album"));
    const qsizetype order[] = {bytes.indexOf("savingpath="),      bytes.indexOf("Tab1_Save=yes"),
                               bytes.indexOf("THEME="),           bytes.indexOf("Portable Mode=0"),
                               bytes.indexOf("Tab3_VideoOnly=0"), bytes.indexOf("[HTML]")};
    for (std::size_t i = 0; i < std::size(order); ++i) {
        ASSERT_GE(order[i], 0) << i;
        if (i > 0) {
            EXPECT_LT(order[i - 1], order[i]) << i;
        }
    }
    EXPECT_EQ(file.readInt(opt::kSettings, "theme", 3).value(), -1);
    EXPECT_EQ(file.readString(opt::kHtml, "savingPATH", "").value(), "/home/u/Album");
}

// A file written by hand or by the Windows program keeps its line ends, blank lines, comments
// and odd lines; only the value set changes, or one line is added where the key belongs.
TEST_F(OptionsIni, AWriteKeepsTheFormOfTheFile) {
    struct Row {
        const char* name;
        QByteArray before;
        const char* section;
        const char* key;
        QByteArray after;
    };
    const Row rows[] = {
        {"CR LF, a key present", "[Settings]\r\n; note\r\nTheme=3\r\nstray line\r\n\r\n[HTML]\r\n",
         "settings", "THEME", "[Settings]\r\n; note\r\nTheme=new\r\nstray line\r\n\r\n[HTML]\r\n"},
        {"CR LF, a key added to its section",
         "[Settings]\r\nTheme=3\r\n\r\n[HTML]\r\nSavingPath=/a\r\n", "Settings", "Tab1_Save",
         "[Settings]\r\nTheme=3\r\nTab1_Save=new\r\n\r\n[HTML]\r\nSavingPath=/a\r\n"},
        {"CR LF, a section added", "[Settings]\r\nTheme=3\r\n", "HTML", "SavingPath",
         "[Settings]\r\nTheme=3\r\n\r\n[HTML]\r\nSavingPath=new\r\n"},
        {"a key repeated, blanks around the names",
         "[ Settings ]\nTheme = 1\nTheme=2\n[HTML]\nTheme=4\n", "Settings", "Theme",
         "[ Settings ]\nTheme =new\nTheme=new\n[HTML]\nTheme=4\n"},
        {"no line break at the end", "[HTML]\nSavingPath=/a", "HTML", "Other",
         "[HTML]\nSavingPath=/a\nOther=new"},
        {"lone CR", "[Settings]\rTheme=3\r", "HTML", "SavingPath",
         "[Settings]\rTheme=3\r\r[HTML]\rSavingPath=new\r"},
        {"no file", "", "Settings", "Theme", "[Settings]\nTheme=new\n"},
    };
    OptionsFile file(iniPath());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(iniPath());
        if (!row.before.isEmpty()) {
            ASSERT_TRUE(WriteFileBytes(iniPath(), row.before));
        }
        ASSERT_TRUE(file.writeString(row.section, row.key, "new"));
        EXPECT_EQ(ReadFileBytes(iniPath()), row.after);
        EXPECT_EQ(file.readString(row.section, row.key, "absent").value(), "new");
    }
}

TEST_F(OptionsIni, AWriteIntoAMissingFolderFailsAndCreatesNothing) {
    OptionsFile file(dir.filePath("gone/Options.ini"));
    EXPECT_FALSE(file.writeString(opt::kSettings, opt::kSavingPath, "/x"));
    EXPECT_TRUE(test::FolderNames(dir.path()).isEmpty());
}

OptionValues SampleValues() {
    OptionValues v;
    v.savingPath = "/data/Movies";
    v.savingFavPath = "/data/Fav/";
    v.tab1Save = true;
    v.tab1ReadOnly = false;
    v.tab2ReadOnly = true;
    v.tab3AutoPlay = false;
    v.tab3VideoOnly = true;
    v.portableMode = true;
    v.backgroundImage = false;
    v.theme = -1;
    v.htmlSavingPath = "/data/Album";
    v.bckTab1 = "/pics/a.jpg";
    v.bckTab1P = "/app/a.jpg";
    v.bckTab2 = "/pics/b.png";
    v.bckTab2P = "";
    v.bckTab1Used = true;
    v.bckTab2Used = false;
    v.omdbApiKey = "k3y";
    return v;
}

TEST_F(OptionsIni, SaveAllOptionsWritesEveryKeyInItsOrder) {
    OptionsFile file(iniPath());
    std::vector<std::string> written;
    const Status status =
        SaveAllOptions(file, SampleValues(), [&](const char* key) { written.emplace_back(key); });
    ASSERT_TRUE(status) << status.error().toStdString();
    const std::vector<std::string> expected{
        "SavingPath",    "SavingFavPath",  "Tab1_Save",     "Tab1_ReadOnly",    "Tab2_ReadOnly",
        "Tab3_AutoPlay", "Tab3_VideoOnly", "Portable Mode", "Background Image", "Theme",
        "SavingPath",    "BckTab1",        "BckTab1P",      "BckTab2",          "BckTab2P",
        "BckTab1Used",   "BckTab2Used",    "OmdbApiKey"};
    EXPECT_EQ(written, expected);
    EXPECT_EQ(ReadFileBytes(iniPath()), QByteArray("[Settings]\n"
                                                   "SavingPath=/data/Movies\n"
                                                   "SavingFavPath=/data/Fav/\n"
                                                   "Tab1_Save=1\n"
                                                   "Tab1_ReadOnly=0\n"
                                                   "Tab2_ReadOnly=1\n"
                                                   "Tab3_AutoPlay=0\n"
                                                   "Tab3_VideoOnly=1\n"
                                                   "Portable Mode=1\n"
                                                   "Background Image=0\n"
                                                   "Theme=-1\n"
                                                   "BckTab1=/pics/a.jpg\n"
                                                   "BckTab1P=/app/a.jpg\n"
                                                   "BckTab2=/pics/b.png\n"
                                                   "BckTab2P=\n"
                                                   "BckTab1Used=1\n"
                                                   "BckTab2Used=0\n"
                                                   "OmdbApiKey=k3y\n"
                                                   "\n"
                                                   "[HTML]\n"
                                                   "SavingPath=/data/Album\n"));

    const Result<StoredOptions> back = ReadStoredOptions(file, appFolder);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->savingPath, "/data/Movies");
    EXPECT_EQ(back->htmlSavingPath, "/data/Album");
    EXPECT_TRUE(back->tab1Save);
    EXPECT_FALSE(back->tab1ReadOnly);
    EXPECT_TRUE(back->portableMode);
    EXPECT_FALSE(back->backgroundImage);
    EXPECT_EQ(back->theme, -1);
    EXPECT_EQ(back->bckTab2, "/pics/b.png");
    EXPECT_EQ(back->omdbApiKey, "k3y");
}

TEST_F(OptionsIni, SaveAllOptionsStopsAtTheFirstFailingWrite) {
    OptionsFile file(dir.filePath("missing/Options.ini"));
    int calls = 0;
    const Status status = SaveAllOptions(file, SampleValues(), [&](const char*) { ++calls; });
    EXPECT_FALSE(status);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(test::FolderNames(dir.path()).isEmpty());
}

TEST_F(OptionsIni, RecreationWritesTheDefaultsAndKeepsThePathsItMustKeep) {
    ASSERT_TRUE(WriteFileBytes(iniPath(), "[Settings]\r\nSavingPath=/old\r\nSavingFavPath=/fav\r\n"
                                          "Portable Mode=1\r\nTheme=9\r\nTab1_Save=1\r\n"
                                          "BckTab1=/p.jpg\r\nBckTab2Used=1\r\n"
                                          "[HTML]\r\nSavingPath=/album\r\n"));
    OptionsFile file(iniPath());
    const Result<StoredOptions> o = RecreateOptionsFile(file, appFolder);
    ASSERT_TRUE(o) << o.error().toStdString();
    EXPECT_EQ(o->savingPath, appFolder);
    EXPECT_EQ(o->savingFavPath, "/fav");
    EXPECT_TRUE(o->portableMode);
    EXPECT_EQ(o->htmlSavingPath, "/album");
    EXPECT_EQ(o->theme, 3);
    EXPECT_FALSE(o->tab1Save);
    EXPECT_TRUE(o->bckTab1.isEmpty());
    EXPECT_FALSE(o->bckTab2Used);
    EXPECT_TRUE(o->tab1ReadOnly && o->tab2ReadOnly && o->tab3AutoPlay && o->tab3VideoOnly);
    EXPECT_TRUE(o->backgroundImage);
}

TEST_F(OptionsIni, RecreationReplacesACorruptFile) {
    ASSERT_TRUE(WriteFileBytes(iniPath(), QByteArray("\0\x01garbage\0", 10)));
    OptionsFile file(iniPath());
    ASSERT_FALSE(ReadStoredOptions(file, appFolder));
    const Result<StoredOptions> o = RecreateOptionsFile(file, appFolder);
    ASSERT_TRUE(o) << o.error().toStdString();
    EXPECT_EQ(o->savingPath, appFolder);
    EXPECT_EQ(o->savingFavPath, appFolder);
    EXPECT_FALSE(ReadFileBytes(iniPath()).contains('\0'));
    EXPECT_TRUE(ReadStoredOptions(file, appFolder));
}

TEST(RebasedPicturePath, KeepsOnlyTheFileNameWhateverTheSeparator) {
    EXPECT_EQ(RebasedPicturePath("/media/usb/", "E:\\Quorvel\\back.jpg"), "/media/usb/back.jpg");
    EXPECT_EQ(RebasedPicturePath("/media/usb/", "/old/place/back.jpg"), "/media/usb/back.jpg");
    EXPECT_EQ(RebasedPicturePath("/media/usb/", "E:\\mixed/dir\\b.png"), "/media/usb/b.png");
    EXPECT_EQ(RebasedPicturePath("/media/usb/", "back.jpg"), "/media/usb/back.jpg");
    EXPECT_EQ(RebasedPicturePath("/media/usb/", ""), "/media/usb/");
}

TEST_F(OptionsIni, ServiceSettingsHaveDefaultsThatTheFileOverrides) {
    OptionsFile file(iniPath());
    const ServiceSettings defaults = ReadServiceSettings(file);
    EXPECT_EQ(defaults.omdbAddress, "http://www.omdbapi.com");
    EXPECT_EQ(defaults.omdbApiKey, "");
    EXPECT_EQ(defaults.updateSite, "http://www.quorvel.org");
    EXPECT_EQ(defaults.videoDownloadSite, "http://www.savevideo.me");
    EXPECT_EQ(defaults.ipInfoAddress, "http://ipinfo.io/json");
    EXPECT_EQ(defaults.youTubeSite, "https://www.youtube.com");

    // A key typed by hand with blanks around it is still the key.
    ASSERT_TRUE(WriteFileBytes(iniPath(), "[Settings]\r\nOmdbAddress=http://127.0.0.1:8080\r\n"
                                          "omdbapikey = abc123 \r\nIpInfoAddress=\r\n"
                                          "YouTubeSite=http://127.0.0.1:9\r\n"));
    const ServiceSettings set = ReadServiceSettings(file);
    EXPECT_EQ(set.omdbAddress, "http://127.0.0.1:8080");
    EXPECT_EQ(set.omdbApiKey, "abc123");
    EXPECT_EQ(set.updateSite, "http://www.quorvel.org");
    EXPECT_EQ(set.ipInfoAddress, "");
    EXPECT_EQ(set.youTubeSite, "http://127.0.0.1:9");

    ASSERT_TRUE(WriteFileBytes(iniPath(), QByteArray("\0", 1)));
    EXPECT_EQ(ReadServiceSettings(file).omdbAddress, "http://www.omdbapi.com");
}

TEST(OptionsFilePath, IsTheFolderAndTheFileName) {
    EXPECT_EQ(OptionsFilePath("/opt/quorvel/"), "/opt/quorvel/Options.ini");
}

// Installed under /usr the executable's folder cannot be written, so every save of
// Options.ini would fail there; the user's data folder takes its place.
TEST(ApplicationFolderChoice, IsTheExecutableFolderOnlyWhenItCanBeWritten) {
    QTemporaryDir exe, home, xdg;
    const QString exeFolder = exe.path() + '/';
    EXPECT_EQ(ChooseApplicationFolder(exe.path(), xdg.path(), home.path()), exeFolder);
    // Root may write to /usr/bin, yet a system install keeps its users' data out of it.
    EXPECT_EQ(ChooseApplicationFolder("/usr/bin", xdg.path(), home.path()),
              xdg.path() + "/Quorvel/");

    test::SmallFileSystem mount(exe.path(), 64);
    std::unique_ptr<test::ReadOnlyFolder> readOnly;
    if (::geteuid() == 0 && !mount.mounted())
        GTEST_SKIP() << mount.skipReason().toStdString();
    readOnly = std::make_unique<test::ReadOnlyFolder>(exe.path());
    const struct {
        QString xdgDataHome, expected;
    } rows[] = {
        {xdg.path(), xdg.path() + "/Quorvel/"},
        {xdg.path() + "/", xdg.path() + "/Quorvel/"},
        {"", home.path() + "/.local/share/Quorvel/"},
        {"relative/data", home.path() + "/.local/share/Quorvel/"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.xdgDataHome.toStdString());
        EXPECT_EQ(ChooseApplicationFolder(exe.path(), row.xdgDataHome, home.path()), row.expected);
        EXPECT_TRUE(QFileInfo(row.expected).isDir());
    }
}

} // namespace
} // namespace quorvel
