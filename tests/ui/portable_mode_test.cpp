// The portable window: switching the whole program between the stored folders and those beside
// the executable, the start in portable mode, and the question path commands ask.

#include "core/options.h"
#include "tests/support/fake_web_server.h"
#include "tests/support/window_fixture.h"
#include "ui/main/main_window.h"
#include "ui/main/options_tab.h"
#include "ui/main/portable_switch.h"
#include "ui/main/search_offline_tab.h"
#include "ui/main/search_online_tab.h"
#include "ui/tools/album_creator.h"
#include "ui/tools/backup.h"
#include "ui/tools/info_list_creator.h"
#include "ui/tools/portable_mode.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quorvel::test {
namespace {

const QString kOn = "Portable mode on";
const QString kOff = "Portable mode off";
const QString kSwitchOff =
    "This operation can only be performed when portable mode is off. You are in portable mode "
    "(various portable path will be saved if needed). Do you want to switch off the portable "
    "mode?";
const QString kCopyTab1 = "Background pictures for Search On Line Title is not in the portable "
                          "path. Do you want to copy and use this path instead? ";

class PortableTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        fixed = MakeFolder("Movies");
        album = MakeFolder("MyAlbum");
        ASSERT_TRUE(WriteFileBytes(fixed + "/Kept.txt", "Kept\r\n"));
    }
    // Options.ini holding the fixed folders, with `extra` lines in [Settings].
    void WriteStored(const QByteArray& extra = {}) {
        WriteOptions("[Settings]\r\nSavingPath=" + fixed.toUtf8() +
                     "\r\nSavingFavPath=" + fixed.toUtf8() + "\r\n" + extra +
                     "[HTML]\r\nSavingPath=" + album.toUtf8() + "\r\n");
    }
    void Start() {
        WindowFixture::Start();
        form9 = app->windows().form9;
        ASSERT_NE(form9, nullptr);
    }
    QPushButton* Button(const char* name) const { return Find<QPushButton>(form9, name); }
    QString Shown(const char* edit) const { return Find<QLineEdit>(form9, edit)->text(); }
    QCheckBox* AtStart() const { return Find<QCheckBox>(form9, "CheckBox1"); }
    QStringList Indicators() const {
        return {Main().PortableIndicator(), FindInMain<QLabel>("Label22")->text(),
                Find<QLabel>(app->windows().form7, "Label6")->text(),
                Find<QLabel>(app->windows().form16, "Label7")->text(),
                Find<QLabel>(app->windows().form12, "Label13")->text()};
    }
    QStringList Folders() const {
        return {Main().CollectionFolder(), Main().FavouritesFolder(),
                app->windows().form7->AlbumFolder(),
                Find<QLineEdit>(app->windows().form16, "Edit2")->text(),
                Find<QLineEdit>(app->windows().form12, "Edit1")->text()};
    }
    QStringList FixedFolders() const { return {fixed, fixed, album, fixed, fixed}; }
    QStringList PortableFolders() const {
        return {AppFolder() + "Movie", AppFolder(), AppFolder() + "Album", AppFolder() + "Movie",
                AppFolder() + "Movie"};
    }
    QStringList OfflineList() const { return Main().OfflineTab()->ListEntries(); }
    QString StoredKey(const char* key) const {
        return OptionsFile(OptionsPath()).readString(opt::kSettings, key, "absent").value();
    }
    void MakePicture(const QString& path) const {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(path, "JPG")) << path.toStdString();
    }

    QString fixed;
    QString album;
    TForm9* form9 = nullptr;
};

// The first switch on a fresh folder makes Movie and Album and moves every window there; a
// second press still remembers the fixed folders; "Use Fixed Path" brings back the stored
// ones, also undoing folders chosen but never saved.
TEST_F(PortableTest, UsePortablePathMovesEveryWindowAndUseFixedPathBringsTheStoredFoldersBack) {
    WriteStored();
    Start();
    ForgetStartup();
    EXPECT_EQ(Shown("Edit2"), "Movie Folder does not exist");
    EXPECT_EQ(Shown("Edit3"), "HTML Album Folder does not exist");
    EXPECT_FALSE(AtStart()->isEnabled());
    ASSERT_EQ(OfflineList(), QStringList{"Kept.txt"});

    Button("Button1")->click();
    EXPECT_TRUE(QFileInfo(AppFolder() + "Movie").isDir());
    EXPECT_TRUE(QFileInfo(AppFolder() + "Album").isDir());
    EXPECT_EQ(Shown("Edit2"), AppFolder() + "Movie");
    EXPECT_EQ(Shown("Edit3"), AppFolder() + "Album");
    EXPECT_EQ(Indicators(), QStringList(5, kOn));
    EXPECT_EQ(Folders(), PortableFolders());
    EXPECT_EQ(Main().FileDialogs().save.startFolder, AppFolder() + "Movie");
    EXPECT_TRUE(OfflineList().isEmpty()) << OfflineList().join(',').toStdString();
    EXPECT_TRUE(AtStart()->isEnabled());
    EXPECT_FALSE(AtStart()->isChecked());
    EXPECT_FALSE(app->settings().PortableAtStart());
    EXPECT_EQ(Find<QLabel>(form9, "Label3")->text(), fixed);

    Button("Button1")->click();
    EXPECT_EQ(Find<QLabel>(form9, "Label3")->text(), fixed);
    EXPECT_EQ(Find<QLabel>(form9, "Label6")->text(), album);

    struct Row {
        const char* when;
        bool portableFirst;
    };
    for (const Row& row : {Row{"from portable mode", true}, Row{"in fixed mode", false}}) {
        SCOPED_TRACE(row.when);
        if (!row.portableFirst) {
            app->settings().SetCollectionFolder(AppFolder());
            app->settings().SetFavouritesFolder("/unsaved");
            app->windows().form7->SetAlbumFolder("/unsaved");
        }
        Button("Button2")->click();
        EXPECT_EQ(Indicators(), QStringList(5, kOff));
        EXPECT_EQ(Folders(), FixedFolders());
        EXPECT_EQ(OfflineList(), QStringList{"Kept.txt"});
    }
    EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();
}

// Save in portable mode first goes back to the fixed folders: what it stores is what was in
// force before portable mode (the stored album folder, else the one the album window had),
// never a folder beside the executable, however often the switch was pressed.
TEST_F(PortableTest, SaveInPortableModeStoresOnlyFixedFolders) {
    struct Row {
        const char* name;
        bool stored;    // Options.ini holds the fixed folders; otherwise there is none
        QString chosen; // an album folder chosen and not saved before the switch
        int presses;
        QString expected; // the album folder stored, empty: AppFolder()
    };
    const Row rows[] = {
        {"fresh folder", false, {}, 1, {}},
        {"fresh folder, pressed twice", false, {}, 2, {}},
        {"album chosen, not saved", false, "/chosen/Album", 2, "/chosen/Album"},
        {"album stored", true, "/chosen/Album", 1, album},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        app.reset();
        QFile::remove(OptionsPath());
        if (row.stored)
            WriteStored();
        Start();
        if (!row.chosen.isEmpty())
            app->windows().form7->SetAlbumFolder(row.chosen);
        for (int i = 0; i < row.presses; ++i)
            Button("Button1")->click();
        AtStart()->setChecked(true);
        ForgetStartup();
        scripted.dialogs.answers = {Button::Yes};
        FindInMain<QPushButton>("Button16")->click();
        EXPECT_EQ(scripted.dialogs.messageTexts(), (QStringList{kSwitchOff, "Options are saved."}));

        const QString expected = row.expected.isEmpty() ? AppFolder() : row.expected;
        EXPECT_EQ(app->windows().form7->AlbumFolder(), expected);
        EXPECT_EQ(
            OptionsFile(OptionsPath()).readString(opt::kHtml, opt::kSavingPath, "absent").value(),
            expected);
        EXPECT_EQ(StoredKey(opt::kSavingPath), row.stored ? fixed : AppFolder());
        EXPECT_EQ(StoredKey(opt::kPortableMode), "1");
        const QByteArray file = ReadFileBytes(OptionsPath());
        for (const char* portable : {"Album\n", "Movie\n"})
            EXPECT_FALSE(file.contains((AppFolder() + portable).toUtf8())) << file.constData();
    }
}

// Started from another folder with "Portable Mode" stored: the switch runs at start-up and the
// stored portable pictures are re-based onto this folder and written back; the tab-2 picture
// already here is used without a question.
TEST_F(PortableTest, APortableStartRebasesThePicturePathsAndWritesThemBack) {
    MakePicture(AppFolder() + "one.jpg");
    MakePicture(AppFolder() + "two.jpg");
    WriteStored("Portable Mode=1\r\nBckTab1=/old/one.jpg\r\nBckTab1P=/media/OLD/one.jpg\r\n"
                "BckTab2P=/media/OLD/two.jpg\r\n");
    Start();
    EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();
    EXPECT_TRUE(AtStart()->isChecked());
    EXPECT_TRUE(AtStart()->isEnabled());
    EXPECT_EQ(Indicators(), QStringList(5, kOn));
    EXPECT_EQ(Folders(), PortableFolders());
    EXPECT_EQ(Shown("Edit3"), AppFolder() + "Album");
    EXPECT_EQ(StoredKey(opt::kBckTab1P), AppFolder() + "one.jpg");
    EXPECT_EQ(StoredKey(opt::kBckTab2P), AppFolder() + "two.jpg");
    EXPECT_EQ(StoredKey(opt::kBckTab1), "/old/one.jpg");
    const PicturePaths& paths = app->settings().Pictures();
    EXPECT_EQ(paths.bckTab1P, AppFolder() + "one.jpg");
    EXPECT_EQ(paths.bckTab1, "/old/one.jpg");
    EXPECT_EQ(app->settings().TabPicture(1), AppFolder() + "one.jpg");
    EXPECT_EQ(app->settings().TabPicture(2), AppFolder() + "two.jpg");
}

// A fixed picture not yet beside the executable: No keeps using it where it is, Yes copies it,
// a copy that cannot be made says so and keeps the fixed one.
TEST_F(PortableTest, ThePictureQuestionCopiesOnlyWhenAskedAndWhenItCan) {
    const QString source = MakeFolder("pictures") + "/one.jpg";
    struct Row {
        const char* name;
        quorvel::Button answer;
        bool sourceThere;
        QString shown; // empty: the target
        QStringList messages;
    };
    const Row rows[] = {
        {"No", Button::No, true, source, {kCopyTab1}},
        {"Yes", Button::Yes, true, "", {kCopyTab1}},
        {"Yes, source gone",
         Button::Yes,
         false,
         source,
         {kCopyTab1, "Unable to copy the backgound picture(s) to media. Operation aborted"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        app.reset();
        QFile::remove(AppFolder() + "one.jpg");
        QFile::remove(source);
        if (row.sourceThere)
            MakePicture(source);
        WriteStored("BckTab1=" + source.toUtf8() + "\r\n");
        Start();
        ForgetStartup();
        scripted.dialogs.answers = {row.answer};
        Button("Button1")->click();
        EXPECT_EQ(scripted.dialogs.messageTexts(), row.messages);
        const QString target = AppFolder() + "one.jpg";
        const QString shown = row.shown.isEmpty() ? target : row.shown;
        EXPECT_EQ(app->settings().TabPicture(1), shown);
        EXPECT_EQ(app->settings().Pictures().bckTab1P, shown);
        EXPECT_EQ(app->settings().Pictures().bckTab1, source);
        EXPECT_EQ(QFileInfo::exists(target), row.shown.isEmpty());
    }
}

// A portable folder that cannot be made (a file of that name is in the way): the error box,
// portable mode stays off and the folders in force before are back.
TEST_F(PortableTest, AFolderThatCannotBeMadeLeavesPortableModeOff) {
    struct Row {
        const char* blocked;
        QString message;
        const char* edit;
        QString edited;
    };
    const Row rows[] = {
        {"Movie",
         "Cannot create the portable folder (Movie). Please verify if the media is not full or "
         "write/password protected. Unable to switch to portable mode. Portable mode turned off",
         "Edit2", "Movie Folder does not exist"},
        {"Album",
         "Cannot create the portable folder (Album). Please verify if the media is not full or "
         "write/password protected. Unable to switch to portable mode. Portable mode turned off",
         "Edit3", "Album Folder does not exist"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.blocked);
        app.reset();
        QDir(AppFolder() + "Movie").removeRecursively();
        ASSERT_TRUE(WriteFileBytes(AppFolder() + row.blocked, "in the way"));
        WriteStored();
        Start();
        ForgetStartup();
        Button("Button1")->click();
        EXPECT_EQ(scripted.dialogs.messageTexts(), QStringList{row.message});
        EXPECT_EQ(Shown(row.edit), row.edited);
        EXPECT_EQ(Indicators(), QStringList(5, kOff));
        EXPECT_EQ(Folders(), FixedFolders());
        QFile::remove(AppFolder() + row.blocked);
    }
}

// The question of the path commands: nothing asked in fixed mode; in portable mode No keeps it,
// Yes switches to the fixed folders first. The album window asks its own wording likewise.
TEST_F(PortableTest, PathCommandsAskToLeavePortableMode) {
    WriteStored();
    Start();
    struct Row {
        const char* name;
        bool portable;
        quorvel::Button answer;
        bool goesOn;
        QStringList asked;
    };
    const Row rows[] = {
        {"fixed mode", false, Button::Yes, true, {}},
        {"No", true, Button::No, false, {kSwitchOff}},
        {"Yes", true, Button::Yes, true, {kSwitchOff}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.portable)
            Button("Button1")->click();
        ForgetStartup();
        scripted.dialogs.answers = {row.answer};
        EXPECT_EQ(ConfirmPortableOff(app->settings(), services, kPortableOffQuestion), row.goesOn);
        EXPECT_EQ(scripted.dialogs.messageTexts(), row.asked);
        EXPECT_EQ(Indicators(), QStringList(5, row.goesOn ? kOff : kOn));
        EXPECT_EQ(Folders(), row.goesOn ? FixedFolders() : PortableFolders());
    }

    // The album window's "Load saved path" in portable mode, answered Yes.
    Button("Button1")->click();
    ForgetStartup();
    scripted.dialogs.answers = {Button::Yes};
    Find<QPushButton>(app->windows().form7, "Button10")->click();
    EXPECT_EQ(scripted.dialogs.messageTexts(),
              QStringList{"This operation can only be performed when portable mode is off. You "
                          "are in portable mode. Do you want to switch off the portable mode?"});
    EXPECT_EQ(Indicators(), QStringList(5, kOff));
    EXPECT_EQ(Folders(), FixedFolders());
}

// A whole run: portable mode switched on and kept for the next start, a title searched and
// saved where the save dialog now opens, and the next start in portable mode finds it.
TEST_F(PortableTest, ATitleSavedInPortableModeIsThereAtTheNextPortableStart) {
    FakeWebServer server;
    server.serveFixture("/posters/shawshank.jpg", "omdb/poster.jpg", "image/jpeg");
    server.serveOmdbTitle("The Shawshank Redemption", "omdb/shawshank.json");
    WriteStored("OmdbAddress=" + server.baseAddress().toUtf8() + "\r\n");
    Start();
    Button("Button1")->click();
    AtStart()->setChecked(true);
    // What the Options tab's Save stores from this window.
    ASSERT_TRUE(
        OptionsFile(OptionsPath())
            .writeBool(opt::kSettings, opt::kPortableMode, app->settings().PortableAtStart()));

    SearchOnlineTab* online = Main().OnlineTab();
    online->TitleEdit()->setText("The Shawshank Redemption");
    online->Button1Click();
    ASSERT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();
    const FileDialogRequest& save = Main().FileDialogs().save;
    ASSERT_EQ(save.startFolder, AppFolder() + "Movie");
    scripted.dialogs.saveAnswers = {save.startFolder + "/The Shawshank Redemption.txt"};
    online->Button3Click();
    ASSERT_EQ(scripted.dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(scripted.dialogs.saveRequests[0].proposedName, "The Shawshank Redemption");
    ASSERT_EQ(FolderNames(AppFolder() + "Movie"), QStringList{"The Shawshank Redemption.txt"});

    app.reset();
    Start();
    EXPECT_EQ(Indicators(), QStringList(5, kOn));
    EXPECT_EQ(OfflineList(), QStringList{"The Shawshank Redemption.txt"});
    EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();
}

} // namespace
} // namespace quorvel::test
