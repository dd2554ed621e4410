// The program's settings: one change signal per value, sent once and only for a new value;
// Options.ini read into them at start and written from them by Save.

#include "core/options.h"
#include "tests/support/test_files.h"
#include "ui/main/settings.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace quorvel {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    QString AppFolder() const { return dir.path() + QStringLiteral("/"); }
    QTemporaryDir dir;
};

TEST_F(SettingsTest, EachSetterSignalsOnceAndOnlyForANewValue) {
    Settings settings(AppFolder());
    struct Row {
        const char* value;
        std::shared_ptr<QSignalSpy> spy;
        std::function<void()> set;
    };
    auto spy = [&settings](auto signal) { return std::make_shared<QSignalSpy>(&settings, signal); };
    const PicturePaths pictures{"/a.jpg", "/b.jpg", "/c.jpg", "/d.jpg"};
    const Row rows[] = {
        {"collection folder", spy(&Settings::CollectionFolderChanged),
         [&] { settings.SetCollectionFolder("/movies"); }},
        {"favourites folder", spy(&Settings::FavouritesFolderChanged),
         [&] { settings.SetFavouritesFolder("/favs"); }},
        {"album folder", spy(&Settings::AlbumFolderChanged),
         [&] { settings.SetAlbumFolder("/album"); }},
        {"portable mode", spy(&Settings::PortableModeChanged),
         [&] { settings.SetPortableMode(true); }},
        {"portable at start", spy(&Settings::PortableAtStartChanged),
         [&] { settings.SetPortableAtStart(true); }},
        {"folders to return to", spy(&Settings::FoldersToReturnToChanged),
         [&] {
             settings.SetFoldersToReturnTo({"/m", "/f", "/a"});
         }},
        {"key", spy(&Settings::OmdbApiKeyChanged), [&] { settings.SetOmdbApiKey("k3y"); }},
        {"theme", spy(&Settings::ThemeChanged), [&] { settings.SetTheme(0); }},
        {"background image", spy(&Settings::BackgroundImageChanged),
         [&] { settings.SetBackgroundImage(false); }},
        {"tab 1 picture used", spy(&Settings::BckTab1UsedChanged),
         [&] { settings.SetBckTab1Used(true); }},
        {"tab 2 picture used", spy(&Settings::BckTab2UsedChanged),
         [&] { settings.SetBckTab2Used(true); }},
        {"picture paths", spy(&Settings::PicturesChanged), [&] { settings.SetPictures(pictures); }},
        {"picture in use", spy(&Settings::TabPictureChanged),
         [&] { settings.ShowTabPicture(2, "/shown.jpg"); }},
        {"save together", spy(&Settings::Tab1SaveChanged), [&] { settings.SetTab1Save(true); }},
        {"tab 1 read only", spy(&Settings::Tab1ReadOnlyChanged),
         [&] { settings.SetTab1ReadOnly(false); }},
        {"tab 2 read only", spy(&Settings::Tab2ReadOnlyChanged),
         [&] { settings.SetTab2ReadOnly(false); }},
        {"auto play", spy(&Settings::Tab3AutoPlayChanged),
         [&] { settings.SetTab3AutoPlay(false); }},
        {"video only", spy(&Settings::Tab3VideoOnlyChanged),
         [&] { settings.SetTab3VideoOnly(false); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        row.set();
        EXPECT_EQ(row.spy->count(), 1);
        row.set(); // the same value again
        EXPECT_EQ(row.spy->count(), 1);
    }
    // No setter sent another value's signal.
    for (const Row& row : rows)
        EXPECT_EQ(row.spy->count(), 1) << row.value;
}

TEST_F(SettingsTest, APicturePathInUseGoesIntoTheEntryOfTheModeInForce) {
    Settings settings(AppFolder());
    settings.SetPictures({"/fixed1.jpg", "/fixed2.jpg", "/port1.jpg", "/port2.jpg"});
    settings.ShowTabPicture(1, "/shown.jpg"); // start-up filling: copies nothing
    EXPECT_EQ(settings.Pictures().bckTab1, "/fixed1.jpg");
    settings.SetTabPicture(1, "/new1.jpg");
    settings.SetPortableMode(true);
    settings.SetTabPicture(2, "/new2.jpg");
    const PicturePaths expected{"/new1.jpg", "/fixed2.jpg", "/port1.jpg", "/new2.jpg"};
    EXPECT_EQ(settings.Pictures(), expected);
    EXPECT_EQ(settings.TabPicture(1), "/new1.jpg");
    EXPECT_EQ(settings.TabPicture(2), "/new2.jpg");
}

TEST_F(SettingsTest, StartReadsOptionsIniAndSaveWritesWhatTheSettingsHold) {
    ASSERT_TRUE(test::WriteFileBytes(OptionsFilePath(AppFolder()),
                                     "[Settings]\r\nSavingPath=/movies\r\nSavingFavPath=/favs\r\n"
                                     "Tab1_Save=1\r\nTab3_AutoPlay=0\r\nBackground Image=0\r\n"
                                     "BckTab2Used=1\r\nTheme=0x4\r\nBckTab2=/b.jpg\r\n"
                                     "OmdbApiKey=abc\r\nOmdbAddress=http://127.0.0.1:1\r\n"
                                     "[HTML]\r\nSavingPath=/album\r\n"));
    Settings settings(AppFolder());
    const Result<StoredOptions> stored = settings.ReadStored();
    ASSERT_TRUE(stored);
    settings.Apply(*stored);
    EXPECT_EQ(settings.CollectionFolder(), "/movies");
    EXPECT_EQ(settings.FavouritesFolder(), "/favs");
    EXPECT_EQ(settings.AlbumFolder(), "/album");
    EXPECT_TRUE(settings.Tab1Save());
    EXPECT_FALSE(settings.Tab3AutoPlay());
    EXPECT_TRUE(settings.Tab3VideoOnly());
    EXPECT_FALSE(settings.BackgroundImage());
    EXPECT_TRUE(settings.BckTab2Used());
    EXPECT_EQ(settings.Theme(), 4);
    EXPECT_EQ(settings.Pictures().bckTab2, "/b.jpg");
    EXPECT_EQ(settings.Service().omdbApiKey, "abc");
    EXPECT_EQ(settings.Service().omdbAddress, "http://127.0.0.1:1");

    // What the user changed since, and nothing else, is what Save stores.
    settings.SetCollectionFolder("/elsewhere");
    settings.SetTab1ReadOnly(false);
    settings.SetPortableAtStart(true);
    settings.SetOmdbApiKey(" new ");
    ASSERT_TRUE(settings.Save());
    const Result<StoredOptions> saved =
        ReadStoredOptions(OptionsFile(OptionsFilePath(AppFolder())), AppFolder());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->savingPath, "/elsewhere");
    EXPECT_EQ(saved->savingFavPath, "/favs");
    EXPECT_EQ(saved->htmlSavingPath, "/album");
    EXPECT_FALSE(saved->tab1ReadOnly);
    EXPECT_TRUE(saved->portableMode);
    EXPECT_EQ(saved->theme, 4);
    EXPECT_EQ(saved->bckTab2, "/b.jpg");
    EXPECT_EQ(saved->omdbApiKey, "new");
}

} // namespace
} // namespace quorvel
