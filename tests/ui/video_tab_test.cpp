#include "tests/ui/video_fixture.h"

#include "ui/main/embedded_browser.h"
#include "ui/main/options_tab.h"
#include "ui/main/search_offline_tab.h"
#include "ui/main/search_online_tab.h"
#include "ui/tools/whats_new.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>

#include <unistd.h>

namespace quorvel::test {
namespace {

TEST_F(VideoTest, StartsOnTheHomeAddressWithThePageButtonsOffAndNoPage) {
    StartWith();
    EXPECT_EQ(Edit4()->text(), server.baseAddress());
    EXPECT_EQ(Edit5()->text(), "Trailers");
    EXPECT_EQ(PageButtons(), "disabled");
    EXPECT_TRUE(tab->Browser()->url().isEmpty());
    EXPECT_EQ(Find<QWidget>(tab, "VideoPanel")->maximumHeight(), 121);
    EXPECT_EQ(Speed("SpeedButton1")->maximumSize(), QSize(40, 40));
    // Hint-panel texts only, but the browser's hint is its tool tip too.
    EXPECT_EQ(Speed("SpeedButton4")->statusTip(),
              "Bookmark a trailer. Trailer can be managed into the options tab.");
    EXPECT_TRUE(Speed("SpeedButton4")->toolTip().isEmpty());
    EXPECT_EQ(tab->Browser()->toolTip(), "Integrated mini browser explorer.");
}

// The page buttons follow Edit4 on the standard site: 32 characters, compared with case.
TEST_F(VideoTest, PageButtonsFollowTheUrlEdit) {
    WriteOptions("[Settings]\r\nSavingFavPath=" + favFolder.toUtf8() + "\r\n");
    Start();
    tab = Main().VideoPage();
    const struct {
        const char* text;
        const char* buttons;
    } steps[] = {
        {"https://www.youtube.com/watch?v=abc", "enabled"},
        {"https://www.youtube.com/watch?v=", "enabled"}, // 32 characters change nothing
        {"https://www.youtube.com/results?search_query=x", "disabled"},
        {"https://www.youtube.com/watch?v=", "disabled"},
        {"HTTPS://www.youtube.com/watch?v=abc", "disabled"},
        {"https://www.YouTube.com/watch?v=abc", "disabled"},
        {"https://www.youtube.com/watch?v=abc&t=30s", "enabled"},
        {"https://www.youtube.com/embed/abc", "disabled"},
    };
    for (const auto& step : steps) {
        Edit4()->setText(QString::fromLatin1(step.text));
        EXPECT_EQ(PageButtons(), step.buttons) << step.text;
    }
}

TEST_F(VideoTest, ACompletedPageShowsItsAddressAndSetsThePageButtons) {
    StartWith();
    Edit4()->setText(Watch("abc123"));
    Speed("SpeedButton1")->click();
    ASSERT_TRUE(loads->WaitFor(1));
    EXPECT_EQ(Edit4()->text(), Watch("abc123"));
    EXPECT_EQ(PageButtons(), "enabled");
    EXPECT_EQ(server.requestCount("/watch"), 1);

    Edit5()->setText("Alien & Co #2");
    Find<QPushButton>(tab, "Button27")->click();
    ASSERT_TRUE(loads->WaitFor(2));
    EXPECT_EQ(Edit4()->text(), Results("Alien+%26+Co+%232"));
    EXPECT_EQ(PageButtons(), "disabled");

    Speed("SpeedButton2")->click(); // back to the watch page
    ASSERT_TRUE(loads->WaitFor(3));
    EXPECT_EQ(Edit4()->text(), Watch("abc123"));
    EXPECT_EQ(PageButtons(), "enabled");
}

TEST_F(VideoTest, TrailerAndSoundtrackButtonsSearchTheInfoTitle) {
    const QString collection = MakeFolder();
    ASSERT_TRUE(WriteFileBytes(collection + "/Blade Runner.txt", "Blade Runner\r\n\r\nTYPE\r\n"));
    StartWith("SavingPath=" + collection.toUtf8() + "\r\n");
    auto* memo1 = Find<QPlainTextEdit>(Main().OnlineTab(), "Memo1");
    auto* list = Find<QListView>(Main().OfflineTab(), "MovieList");
    Main().OfflineTab()->ListEntries();                // as the tab does when it comes into view
    list->setCurrentIndex(list->model()->index(0, 0)); // loads Blade Runner into Memo2
    const struct {
        bool online;
        const char* button;
        const char* memo1;
        const char* edit5;
        const char* query; // empty: nothing happens
    } rows[] = {
        {true, "Button28", "Blade Runner\nYEAR", "Blade+Runner trailer", "Blade+Runner+trailer"},
        {true, "Button54", "Blade Runner", "Blade+Runner+soundtrack", "Blade+Runner+soundtrack"},
        {true, "Button28", "Fast & Furious", "Fast+&+Furious trailer", "Fast+%26+Furious+trailer"},
        {true, "Button28", "Star Wars: Episode IV - A New Hope",
         "Star+Wars:+Episode+IV+-+A+New+Hope trailer",
         "Star+Wars%3A+Episode+IV+-+A+New+Hope+trailer"},
        {true, "Button54", "Lilo + Stitch", "Lilo+++Stitch+soundtrack", "Lilo+++Stitch+soundtrack"},
        {true, "Button28", "\nBlade Runner", "", ""},
        {false, "Button32", "", "Blade+Runner+trailer", "Blade+Runner+trailer"},
        {false, "Button55", "", "Blade+Runner+soundtrack", "Blade+Runner+soundtrack"},
    };
    for (const auto& row : rows) {
        Main().Pages()->setCurrentIndex(0);
        Edit4()->setText("unchanged");
        Edit5()->setText("unchanged");
        QWidget* source = row.online ? static_cast<QWidget*>(Main().OnlineTab())
                                     : static_cast<QWidget*>(Main().OfflineTab());
        if (row.online)
            memo1->setPlainText(QString::fromUtf8(row.memo1));
        auto* button = Find<QPushButton>(source, row.button);
        ASSERT_TRUE(button->isEnabled()) << row.button;
        button->click();
        const bool searched = *row.query != '\0';
        EXPECT_EQ(Edit5()->text(), searched ? row.edit5 : "unchanged") << row.button;
        EXPECT_EQ(Edit4()->text(), searched ? Results(row.query) : "unchanged") << row.button;
        EXPECT_EQ(Main().Pages()->currentWidget(), searched ? tab : source) << row.button;
        if (searched) { // the "+" the button wrote are blanks: Search asks the same again
            Find<QPushButton>(tab, "Button27")->click();
            EXPECT_EQ(Edit4()->text(), Results(row.query)) << row.button;
        }
    }
}

TEST_F(VideoTest, ChoosingAFavouriteFollowsTheTwoOptions) {
    server.serveText("/embed/abc123", "<html><body>player</body></html>");
    WriteFavourites({Entry("Heat", "abc123")});
    StartWith("Tab3_AutoPlay=0\r\n");
    ASSERT_EQ(ComboItems(), QStringList{Entry("Heat", "abc123")});
    // The rows that only fill Edit4 come first, while the browser has shown nothing.
    const struct {
        bool autoPlay; // CheckBox6
        bool embed;    // CheckBox7
    } rows[] = {{false, true}, {false, false}, {true, false}, {true, true}};
    for (const auto& row : rows) {
        Find<QCheckBox>(Main().OptionsPage(), "CheckBox6")->setChecked(row.autoPlay);
        Find<QCheckBox>(Main().OptionsPage(), "CheckBox7")->setChecked(row.embed);
        const int before = loads->count();
        tab->FavouritesList()->setCurrentIndex(0);
        tab->ComboBox1Change();
        const QString expected = row.embed ? Embed("abc123") : Watch("abc123");
        EXPECT_EQ(Edit4()->text(), expected) << row.autoPlay << row.embed;
        if (row.autoPlay) {
            ASSERT_TRUE(loads->WaitFor(before + 1));
            EXPECT_EQ(tab->Browser()->url().toString(), expected);
        } else {
            EXPECT_TRUE(tab->Browser()->url().isEmpty());
        }
    }
}

TEST_F(VideoTest, TrailerOnlyBookmarkAndDownloadTakeTheUrlEdit) {
    server.serveText("/embed/30s", "<html><body>player</body></html>");
    StartWith();
    Edit4()->setText(Watch("abc&t=30s"));
    Speed("SpeedButton5")->click();
    EXPECT_EQ(Edit4()->text(), Embed("30s"));
    ASSERT_TRUE(loads->WaitFor(1));
    EXPECT_EQ(PageButtons(), "disabled");

    Edit4()->setText("no-equals-sign");
    tab->SpeedButton5Click();
    EXPECT_EQ(Edit4()->text(), Embed("no-equals-sign"));

    Edit4()->setText(Watch("abc123&t=90"));
    Speed("SpeedButton4")->click();
    ASSERT_TRUE(Add()->isVisible());
    EXPECT_EQ(Find<QLineEdit>(Add(), "Edit1")->text(), "abc123&t=90");
    EXPECT_EQ(Find<QLineEdit>(Add(), "Edit2")->text(), "");

    const int before = loads->count();
    Speed("SpeedButton6")->click();
    ASSERT_TRUE(loads->WaitFor(before + 1));
    EXPECT_EQ(Edit4()->text(), server.address("/?url=") + Watch("abc123&t=90"));
}

TEST(EmbeddedBrowser, RunsForRootOnlyWhenTheEnvironmentAsksForNoSandbox) {
    const struct {
        bool root;
        const char* flags;
        const char* disable;
        bool runs;
    } rows[] = {
        {false, "", "", true},
        {true, "", "", false},
        {true, "--no-sandbox", "", true},
        {true, "--disable-gpu  --no-sandbox", "", true},
        {true, "--no-sandboxing", "", false},
        {true, "", "1", true},
        {true, "", "0", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(BrowserMayRun(row.root, row.flags, row.disable), row.runs)
            << row.root << " '" << row.flags << "' '" << row.disable << "'";
}

// Were the browser engine started here, it would end the whole test program.
TEST_F(VideoTest, ForRootWithoutTheNoSandboxSettingTheWindowsSayWhyTheBrowserIsOff) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the root user is refused the browser";
    const ScopedEnvironment plain{{"QTWEBENGINE_CHROMIUM_FLAGS", std::nullopt},
                                  {"QTWEBENGINE_DISABLE_SANDBOX", std::nullopt}};
    StartWith();
    Main().show();
    Main().Pages()->setCurrentWidget(tab);
    TForm15* whatsNew = app->windows().form15;
    whatsNew->Open();
    QCoreApplication::processEvents();
    for (QWidget* window : {static_cast<QWidget*>(tab), static_cast<QWidget*>(whatsNew)}) {
        const auto* notice = window->findChild<QLabel*>("BrowserNotice");
        ASSERT_NE(notice, nullptr);
        EXPECT_TRUE(notice->isVisible());
        EXPECT_TRUE(notice->text().contains("does not run for the root user"));
        EXPECT_TRUE(notice->text().contains("start it again as your own user"));
    }
    EXPECT_TRUE(whatsNew->findChild<QLabel*>("BrowserNotice")->text().contains("QVLWhatIsNewLog"));
    EXPECT_FALSE(Find<QPushButton>(whatsNew, "Button1")->isEnabled()); // Reload

    // What only drives the browser is off; the rest still works.
    for (const char* button : {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton7"})
        EXPECT_FALSE(Speed(button)->isEnabled()) << button;
    Edit5()->setText("Heat");
    Find<QPushButton>(tab, "Button27")->click();
    EXPECT_EQ(Edit4()->text(), Results("Heat"));
    Edit4()->setText(Watch("abc123"));
    EXPECT_EQ(Speed("SpeedButton4")->isEnabled(), true);  // bookmark
    EXPECT_EQ(Speed("SpeedButton6")->isEnabled(), false); // download page, in the browser
}

TEST_F(VideoTest, TheBrowserKeepsNothingOutsideTheApplicationFolder) {
    QTemporaryDir elsewhere;
    const ScopedEnvironment xdg{{"XDG_DATA_HOME", elsewhere.filePath("data").toUtf8()},
                                {"XDG_CACHE_HOME", elsewhere.filePath("cache").toUtf8()},
                                {"XDG_CONFIG_HOME", elsewhere.filePath("config").toUtf8()}};
    StartWith();
    Edit4()->setText(Watch("abc123"));
    Speed("SpeedButton1")->click();
    ASSERT_TRUE(loads->WaitFor(1));
    EXPECT_EQ(FolderNames(elsewhere.path()).join(" "), "");
    EXPECT_TRUE(QFileInfo(AppFolder() + "Browser").isDir()); // where it keeps what it keeps
}

} // namespace
} // namespace quorvel::test
