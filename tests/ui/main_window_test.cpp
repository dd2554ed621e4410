// The main window's frame: start-up from Options.ini, the recreate question, the connection
// status, the minimum size, the favourites, the collection folder and closing.

#include "core/options.h"
#include "tests/support/window_fixture.h"
#include "ui/main/main_window.h"
#include "ui/main/options_tab.h"
#include "ui/main/search_offline_tab.h"
#include "ui/main/search_online_tab.h"
#include "ui/main/video_tab.h"
#include "ui/tools/album_creator.h"
#include "ui/tools/backup.h"
#include "ui/tools/info_text_editor.h"
#include "ui/tools/manage_favourites.h"
#include "ui/tools/reader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

namespace quorvel::test {
namespace {

class MainWindowTest : public WindowFixture {
protected:
    QWidget* OptionsPage() const { return Main().OptionsPage(); }
    QCheckBox* OptionsBox(const char* name) const { return Find<QCheckBox>(OptionsPage(), name); }
    QString OptionsText(const char* name) const {
        return Find<QLineEdit>(OptionsPage(), name)->text();
    }
    int ThemeIndex() const { return Find<QComboBox>(OptionsPage(), "ComboBox2")->currentIndex(); }
    QCheckBox* OnlineReadOnly() const { return Main().OnlineTab()->ReadOnlyBox(); }
    QCheckBox* OfflineReadOnly() const { return Find<QCheckBox>(Main().OfflineTab(), "CheckBox1"); }
    QString StatusText() const { return FindInMain<QLabel>("StatusText")->text(); }
};

TEST_F(MainWindowTest, FirstStartWithoutOptionsFileShowsTheDefaultsAndWritesNothing) {
    Start();

    EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();
    EXPECT_FALSE(QFileInfo::exists(OptionsPath()));
    EXPECT_EQ(Main().windowTitle(), "Quorvel");
    EXPECT_EQ(StatusText(), "Internet Connection Status : ON LINE.");

    EXPECT_EQ(OptionsText("Edit2"), AppFolder());
    EXPECT_EQ(OptionsText("Edit6"), AppFolder());
    EXPECT_EQ(Main().CollectionFolder(), AppFolder());
    EXPECT_EQ(ThemeIndex(), 3);
    EXPECT_EQ(Find<QComboBox>(OptionsPage(), "ComboBox2")->currentText(), "Dark Water");
    EXPECT_TRUE(OptionsBox("CheckBox8")->isChecked());
    EXPECT_FALSE(OptionsBox("CheckBox9")->isChecked());
    EXPECT_FALSE(OptionsBox("CheckBox10")->isChecked());
    EXPECT_FALSE(OptionsBox("CheckBox4")->isChecked());
    EXPECT_TRUE(OnlineReadOnly()->isChecked());
    EXPECT_TRUE(OfflineReadOnly()->isChecked());
    EXPECT_TRUE(OptionsText("Edit7").isEmpty());
    EXPECT_TRUE(OptionsText("Edit8").isEmpty());
    EXPECT_EQ(Main().PortableIndicator(), "Portable mode off");

    // The dialogs start in the collection folder; the first tab is in front.
    EXPECT_EQ(Main().FileDialogs().open.startFolder, AppFolder());
    EXPECT_EQ(Main().FileDialogs().savePicture.startFolder, AppFolder());
    EXPECT_EQ(Main().Pages()->currentIndex(), 0);
    EXPECT_EQ(Main().Pages()->tabText(2), "Search Video On Line");
}

TEST_F(MainWindowTest, StoredValuesFillTheControlsWhateverTheLetterCaseOfTheKeys) {
    const QString favourites = MakeFolder("Favs");
    const QByteArray ini = "[settings]\r\nsavingpath=\r\nSAVINGFAVPATH=" + favourites.toUtf8() +
                           "\r\ntab1_save=2\r\nTAB1_READONLY=0\r\ntab2_readonly=0\r\n"
                           "tab3_autoplay=0\r\nBACKGROUND IMAGE=0\r\nbcktab1used=1\r\n"
                           "Theme=7\r\nBckTab1=/fixed/one.jpg\r\nBckTab2=/fixed/two.jpg\r\n"
                           "BckTab1P=" +
                           AppFolder().toUtf8() + "one.jpg\r\n";
    WriteOptions(ini);
    Start();

    // The ticked tab-1 picture does not exist: that is the one thing start-up says.
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u) << Messages().toStdString();
    EXPECT_TRUE(Messages().startsWith("Unable to load tab1 background picture. /fixed/one.jpg "));
    EXPECT_EQ(OptionsText("Edit2"), AppFolder()); // present but empty: the application folder
    EXPECT_EQ(OptionsText("Edit6"), favourites);
    EXPECT_TRUE(OptionsBox("CheckBox4")->isChecked());
    // The stored value sets the tab's own box, and its action ran; CheckBox3 is never read.
    EXPECT_FALSE(OnlineReadOnly()->isChecked());
    EXPECT_FALSE(Find<QPlainTextEdit>(Main().OnlineTab(), "Memo1")->isReadOnly());
    EXPECT_TRUE(OptionsBox("CheckBox3")->isChecked());
    EXPECT_FALSE(OfflineReadOnly()->isChecked());
    EXPECT_TRUE(OptionsBox("CheckBox5")->isChecked());
    EXPECT_FALSE(OptionsBox("CheckBox6")->isChecked());
    EXPECT_TRUE(OptionsBox("CheckBox7")->isChecked());
    EXPECT_FALSE(OptionsBox("CheckBox8")->isChecked());
    // bcktab1used=1 ticked the box, whose picture then failed to load.
    EXPECT_FALSE(OptionsBox("CheckBox9")->isChecked());
    EXPECT_FALSE(OptionsBox("CheckBox9")->isEnabled());
    EXPECT_EQ(ThemeIndex(), -1);
    EXPECT_EQ(OptionsText("Edit7"), "");
    EXPECT_EQ(OptionsText("Edit8"), "/fixed/two.jpg");
    EXPECT_EQ(ReadFileBytes(OptionsPath()), ini);
}

TEST_F(MainWindowTest, PicturePathsFollowTheModeInForce) {
    // The portable pictures are already beside the program, so the portable start uses them
    // without a question.
    for (const char* name : {"one.jpg", "two.jpg"})
        ASSERT_TRUE(WriteFileBytes(AppFolder() + name, "picture"));
    WriteOptions("[Settings]\r\nPortable Mode=1\r\nBckTab1=/fixed/one.jpg\r\n"
                 "BckTab1P=" +
                 AppFolder().toUtf8() + "one.jpg\r\nBckTab2P=" + AppFolder().toUtf8() +
                 "two.jpg\r\n");
    Start();
    EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();
    const Settings& settings = app->settings();

    // The portable pair is shown; filling the boxes copied nothing into the fixed pair.
    EXPECT_EQ(OptionsText("Edit7"), AppFolder() + "one.jpg");
    EXPECT_EQ(OptionsText("Edit8"), AppFolder() + "two.jpg");
    EXPECT_EQ(settings.Pictures().bckTab1, "/fixed/one.jpg");
    EXPECT_EQ(settings.Pictures().bckTab2, "");

    // After start-up a change goes into the entry of the mode in force.
    ASSERT_EQ(Main().PortableIndicator(), "Portable mode on");
    Find<QLineEdit>(OptionsPage(), "Edit8")->setText("/chosen/b.jpg");
    EXPECT_EQ(settings.Pictures().bckTab2P, "/chosen/b.jpg");
    EXPECT_EQ(settings.Pictures().bckTab2, "");
    app->settings().SetPortableMode(false);
    Find<QLineEdit>(OptionsPage(), "Edit7")->setText("/chosen/a.jpg");
    EXPECT_EQ(settings.Pictures().bckTab1, "/chosen/a.jpg");
    EXPECT_EQ(settings.Pictures().bckTab1P, AppFolder() + "one.jpg");
}

// A NUL byte makes the file unreadable as settings.
const char kCorruptBytes[] = "[Settings]\r\nSavingPath=/nowhere\r\n\0\0\x01garbage";
const QByteArray kCorrupt(kCorruptBytes, sizeof(kCorruptBytes) - 1);

TEST_F(MainWindowTest, CorruptOptionsFileIsRecreatedWhenTheUserSaysYes) {
    WriteOptions(kCorrupt);
    scripted.dialogs.answers = {Button::Yes};
    Start();

    ASSERT_EQ(scripted.dialogs.messages.size(), 1u) << Messages().toStdString();
    const AskedMessage& asked = scripted.dialogs.messages.front();
    EXPECT_EQ(asked.kind, MessageKind::Information);
    EXPECT_EQ(asked.buttons, Buttons::YesNo);
    EXPECT_EQ(asked.text, "Software settings " + AppFolder() +
                              "Options.ini does not exist or corrupted. Options.ini will be "
                              "recreated with default settings values.");

    OptionsFile file(OptionsPath());
    const Result<StoredOptions> stored = ReadStoredOptions(file, AppFolder());
    ASSERT_TRUE(stored) << stored.error().toStdString();
    EXPECT_EQ(stored->savingPath, AppFolder());
    EXPECT_EQ(stored->theme, 3);
    EXPECT_TRUE(stored->tab1ReadOnly);

    EXPECT_EQ(OptionsText("Edit2"), AppFolder());
    EXPECT_EQ(OptionsText("Edit6"), AppFolder());
    EXPECT_EQ(ThemeIndex(), 3);
    EXPECT_TRUE(OnlineReadOnly()->isChecked());
    EXPECT_TRUE(OptionsBox("CheckBox8")->isChecked());
}

TEST_F(MainWindowTest, CorruptOptionsFileIsLeftAloneWhenTheUserSaysNo) {
    WriteOptions(kCorrupt);
    scripted.dialogs.answers = {Button::No};
    Start();

    EXPECT_EQ(scripted.dialogs.messages.size(), 1u) << Messages().toStdString();
    EXPECT_EQ(ReadFileBytes(OptionsPath()), kCorrupt);
    // Nothing was read, so nothing was filled.
    EXPECT_EQ(OptionsText("Edit2"), "");
    EXPECT_EQ(OptionsText("Edit6"), "");
}

TEST_F(MainWindowTest, UnwritableOptionsFileGivesTheBuiltInDefaultsWithoutAMessage) {
    ASSERT_TRUE(QDir().mkpath(OptionsPath())); // neither readable as a file nor replaceable
    scripted.dialogs.answers = {Button::Yes};
    Start();

    EXPECT_EQ(scripted.dialogs.messages.size(), 1u) << Messages().toStdString();
    EXPECT_TRUE(QFileInfo(OptionsPath()).isDir());
    EXPECT_EQ(OptionsText("Edit2"), AppFolder());
    EXPECT_EQ(OptionsText("Edit6"), AppFolder());
    EXPECT_EQ(ThemeIndex(), 3);
}

TEST_F(MainWindowTest, OffLineAtStartSaysSoBeforeTheWindowIsShown) {
    scripted.connection.online = false;
    Start();

    EXPECT_FALSE(Main().isVisible());
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u) << Messages().toStdString();
    EXPECT_EQ(scripted.dialogs.messages.front().kind, MessageKind::Plain);
    EXPECT_EQ(scripted.dialogs.messages.front().buttons, Buttons::Ok);
    EXPECT_EQ(scripted.dialogs.messages.front().text,
              "Please, Connect to the Internet before trying a Search");
    EXPECT_EQ(StatusText(), "Internet Connection Status: OFF LINE.");
}

TEST_F(MainWindowTest, WindowCannotShrinkBelowItsStartUpSize) {
    Start();
    Main().show();

    const QSize startSize = Main().size();
    EXPECT_GE(startSize.width(), 713);
    EXPECT_GE(startSize.height(), 688);
    EXPECT_EQ(Main().minimumSize(), startSize);
    EXPECT_EQ(Main().maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    Main().resize(300, 200);
    EXPECT_EQ(Main().size(), startSize);
}

TEST_F(MainWindowTest, FavouritesFileFillsTheListSortedIgnoringCase) {
    const QString favourites = MakeFolder("Favs");
    WriteOptions("[Settings]\r\nSavingFavPath=" + favourites.toUtf8() + "\r\n");
    const QByteArray blanks(39, ' ');
    ASSERT_TRUE(WriteFileBytes(favourites + "/Favourites.lst",
                               "zorro" + blanks + "=aaaaaaaaaaa\r\nAlien" + blanks +
                                   "=bbbbbbbbbbb\r\nbatman" + blanks + "=ccccccccccc\r\n"));
    Start();

    const QStringList entries = Main().VideoPage()->Favourites();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_TRUE(entries[0].startsWith("Alien"));
    EXPECT_TRUE(entries[1].startsWith("batman"));
    EXPECT_TRUE(entries[2].startsWith("zorro"));
    EXPECT_EQ(Main().FavouritesList()->count(), 3);
}

TEST_F(MainWindowTest, ChangingTheCollectionFolderRefreshesTheOffLineList) {
    const QString first = MakeFolder("First");
    const QString second = MakeFolder("Second");
    ASSERT_TRUE(WriteFileBytes(first + "/Alpha.txt", "Alpha\r\n"));
    ASSERT_TRUE(WriteFileBytes(second + "/Beta.txt", "Beta\r\n"));
    ASSERT_TRUE(WriteFileBytes(second + "/Beta.jpg", "not a picture"));
    WriteOptions("[Settings]\r\nSavingPath=" + first.toUtf8() + "\r\n");
    Start();

    EXPECT_EQ(Main().OfflineTab()->ListEntries(), QStringList{"Alpha.txt"});
    EXPECT_EQ(Main().FileDialogs().save.startFolder, first);
    Find<QLineEdit>(OptionsPage(), "Edit2")->setText(second);
    EXPECT_EQ(Main().OfflineTab()->ListEntries(), (QStringList{"Beta.jpg", "Beta.txt"}));
}

TEST_F(MainWindowTest, ClosingTheMainWindowTakesTheOtherWindowsWithIt) {
    Start();
    Main().show();
    app->windows().form6->show();
    ASSERT_TRUE(app->windows().form6->isVisible());

    EXPECT_TRUE(Main().close());
    EXPECT_FALSE(app->windows().form6->isVisible());
    EXPECT_FALSE(QFileInfo::exists(OptionsPath())); // nothing is saved at exit
}

TEST_F(MainWindowTest, TheOptionsTabButtonsOpenTheirWindows) {
    Start();
    Main().show();
    const struct {
        const char* button;
        QWidget* window;
    } cases[] = {
        {"Button36", app->windows().form5},
        {"Button39", app->windows().form7},
        {"Button53", app->windows().form16},
        {"Button34", app->windows().form4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        ASSERT_NE(c.window, nullptr);
        EXPECT_FALSE(c.window->isVisible());
        Find<QPushButton>(OptionsPage(), c.button)->click();
        EXPECT_TRUE(c.window->isVisible());
    }
}

} // namespace
} // namespace quorvel::test
