// The Options tab: themes, background pictures, Save, the folder commands, the desktop
// shortcut, and the OMDb key from the tab to the next search.

#include "core/options.h"
#include "tests/support/window_fixture.h"
#include "tests/ui/search_online_fixture.h"
#include "ui/main/background_picture.h"
#include "ui/main/main_window.h"
#include "ui/main/options_tab.h"
#include "ui/main/picture_box.h"
#include "ui/main/search_offline_tab.h"
#include "ui/main/search_online_tab.h"
#include "ui/main/themes.h"
#include "ui/tools/about_box.h"
#include "ui/tools/album_creator.h"
#include "ui/tools/backup.h"
#include "ui/tools/info_list_creator.h"
#include "ui/tools/info_text_editor.h"
#include "ui/tools/manage_favourites.h"
#include "ui/tools/portable_mode.h"
#include "ui/tools/update_check.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

namespace quorvel::test {
namespace {

const QString kSavedMessage = "Options are saved.";
const QString kKeyAdvice = "\nEnter your OMDb API key on the Options tab and press Save; a key "
                           "is had at https://www.omdbapi.com/apikey.aspx";

class OptionsTabTest : public WindowFixture {
protected:
    QWidget* Page() const { return Main().OptionsPage(); }
    template <typename W> W* On(const char* name) const { return Find<W>(Page(), name); }
    void Click(const char* button) const { On<QPushButton>(button)->click(); }
    // What the user does in the list: the item becomes current and the list says it was picked.
    void PickTheme(int index) const {
        QComboBox* list = On<QComboBox>("ComboBox2");
        list->setCurrentIndex(index);
        Q_EMIT list->activated(index);
    }
    QImage Preview() const { return On<PictureBox>("I7")->picture(); }
    QImage Background(int tab) const {
        return (tab == 1 ? Main().OnlineTab()->Background() : Main().OfflineTab()->Background())
            ->picture();
    }
    // A small picture of one colour, as a user's own background would be.
    QString MakePicture(const QString& name, const QColor& colour) {
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = AppFolder() + name;
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }

    // The controls of each tab's background, by name.
    struct Tab {
        int number;
        const char* use;
        const char* path;
        const char* browse;
        const char* clear;
        const char* builtIn;
    };
    static constexpr Tab kTabs[] = {
        {1, "CheckBox9", "Edit7", "Button47", "Button49", ":/pictures/tab1"},
        {2, "CheckBox10", "Edit8", "Button48", "Button50", ":/pictures/tab2"},
    };
};

TEST_F(OptionsTabTest, PickingAThemeChangesOnlyThePreviewAndApplyThemeChangesTheLook) {
    Start();
    ASSERT_EQ(AppliedStyle(), "Aqua Graphite");
    ASSERT_EQ(Preview(), QImage(":/previews/I3"));
    struct Row {
        int index;
        const char* preview;
        const char* style;
    };
    const Row rows[] = {
        {0, ":/previews/I0", "Iceberg Classico"}, {1, ":/previews/i1", "Windows"},
        {2, ":/previews/i2", "TabletDark"},       {4, ":/previews/i4", "Ruby Graphite"},
        {5, ":/previews/i5", "Cyan Night"},       {3, ":/previews/I3", "Aqua Graphite"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.style);
        const QString lookBefore = AppliedStyle();
        const QString sheetBefore = qApp->styleSheet();
        PickTheme(row.index);
        EXPECT_EQ(Preview(), QImage(row.preview));
        EXPECT_FALSE(Preview().isNull());
        EXPECT_EQ(AppliedStyle(), lookBefore);
        EXPECT_EQ(qApp->styleSheet(), sheetBefore);

        Click("Button38");
        EXPECT_EQ(AppliedStyle(), row.style);
        // The classic interface is the platform's look: no sheet at all.
        EXPECT_EQ(qApp->styleSheet().isEmpty(), row.index == 1);
        EXPECT_EQ(qApp->styleSheet().contains(row.style), row.index != 1);
    }
    // Nothing was saved: the next start is in the stored look.
    EXPECT_FALSE(QFileInfo::exists(OptionsPath()));
}

TEST_F(OptionsTabTest, TheStoredThemeIsAppliedAtStartWhileThePreviewStaysDarkWater) {
    struct Row {
        const char* stored;
        int selected;
        const char* look;
    };
    // 7 selects nothing, so the start-up look stays and the next save stores -1.
    const Row rows[] = {{"0", 0, "Iceberg Classico"}, {"7", -1, "Aqua Graphite"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        WriteOptions(QByteArray("[Settings]\r\nTheme=") + row.stored + "\r\n");
        Start();
        EXPECT_EQ(On<QComboBox>("ComboBox2")->currentIndex(), row.selected);
        EXPECT_EQ(AppliedStyle(), row.look);
        EXPECT_EQ(Preview(), QImage(":/previews/I3"));
        Click("Button38");
        EXPECT_EQ(AppliedStyle(), row.look);
        Click("Button16");
        OptionsFile file(OptionsPath());
        EXPECT_EQ(file.readInt(opt::kSettings, opt::kTheme, 99).value(), row.selected);
        TearDown();
    }
}

TEST_F(OptionsTabTest, BrowseShowsThePathAndOnlyATickedUseBoxShowsThePicture) {
    Start();
    for (const Tab& tab : kTabs) {
        SCOPED_TRACE(tab.number);
        const QImage builtIn(tab.builtIn);
        ASSERT_EQ(Background(tab.number), builtIn);

        // Ticking with no path changes nothing and stays ticked.
        On<QCheckBox>(tab.use)->setChecked(true);
        EXPECT_TRUE(On<QCheckBox>(tab.use)->isChecked());
        EXPECT_EQ(Background(tab.number), builtIn);
        On<QCheckBox>(tab.use)->setChecked(false);

        const QString picture = MakePicture(QString("own%1.png").arg(tab.number), Qt::red);
        scripted.dialogs.openAnswers = {picture};
        Click(tab.browse);
        EXPECT_EQ(On<QLineEdit>(tab.path)->text(), picture);
        EXPECT_TRUE(On<QCheckBox>(tab.use)->isEnabled());
        EXPECT_FALSE(On<QCheckBox>(tab.use)->isChecked());
        EXPECT_EQ(Background(tab.number), builtIn);

        On<QCheckBox>(tab.use)->setChecked(true);
        EXPECT_EQ(Background(tab.number).pixelColor(0, 0), QColor(Qt::red));

        // Clear puts the built-in picture back and forgets the path.
        Click(tab.clear);
        EXPECT_TRUE(On<QLineEdit>(tab.path)->text().isEmpty());
        EXPECT_FALSE(On<QCheckBox>(tab.use)->isChecked());
        EXPECT_EQ(Background(tab.number), builtIn);

        // A path whose file went away asks to browse again; No forgets it.
        On<QLineEdit>(tab.path)->setText(AppFolder() + "gone.png");
        scripted.dialogs.answers = {Button::No};
        On<QCheckBox>(tab.use)->setChecked(true);
        EXPECT_TRUE(scripted.dialogs.messageTexts().last().startsWith(
            "This picture does not exist anymore."));
        EXPECT_FALSE(On<QCheckBox>(tab.use)->isChecked());
        EXPECT_TRUE(On<QLineEdit>(tab.path)->text().isEmpty());
    }
    EXPECT_EQ(app->settings().Pictures().bckTab1, "");
    // "Use Background picture" hides both pictures, custom or built-in.
    On<QCheckBox>("CheckBox8")->setChecked(false);
    EXPECT_TRUE(Main().OnlineTab()->Background()->isHidden());
    EXPECT_TRUE(Main().OfflineTab()->Background()->isHidden());
}

TEST_F(OptionsTabTest, AStoredPictureThatCannotBeLoadedIsReportedUntickedAndDisabled) {
    for (const Tab& tab : kTabs) {
        SCOPED_TRACE(tab.number);
        // Tab 1's picture was deleted; tab 2's is no picture at all.
        QString path = AppFolder() + "deleted.jpg";
        if (tab.number == 2) {
            path = AppFolder() + "broken.png";
            ASSERT_TRUE(WriteFileBytes(path, "not a picture"));
        }
        WriteOptions(QString("[Settings]\r\nBckTab%1Used=1\r\nBckTab%1=%2\r\n")
                         .arg(tab.number)
                         .arg(path)
                         .toUtf8());
        Start();
        ASSERT_EQ(scripted.dialogs.messages.size(), 1u) << Messages().toStdString();
        EXPECT_EQ(scripted.dialogs.messages[0].kind, MessageKind::Error);
        EXPECT_EQ(Messages(), QString("Unable to load tab%1 background picture. ").arg(tab.number) +
                                  path +
                                  " does not exist or is corrupted. Go to the options tab and "
                                  "browse for another background picture and/or save the options "
                                  "again to correct this error.");
        EXPECT_TRUE(On<QLineEdit>(tab.path)->text().isEmpty());
        EXPECT_FALSE(On<QCheckBox>(tab.use)->isChecked());
        EXPECT_FALSE(On<QCheckBox>(tab.use)->isEnabled());
        EXPECT_EQ(Background(tab.number), QImage(tab.builtIn));

        scripted.dialogs.openAnswers = {MakePicture("new.png", Qt::blue)};
        Click(tab.browse);
        EXPECT_TRUE(On<QCheckBox>(tab.use)->isEnabled());
        TearDown();
        scripted.dialogs.messages.clear();
    }
}

TEST_F(OptionsTabTest, SaveWritesEveryOptionOrSaysOnceThatItCannot) {
    Start();
    On<QCheckBox>("CheckBox4")->setChecked(true);
    Click("Button16");
    EXPECT_EQ(Messages(), kSavedMessage);
    OptionsFile file(OptionsPath());
    EXPECT_TRUE(file.readBool(opt::kSettings, opt::kTab1Save, false).value());
    EXPECT_EQ(file.readString(opt::kSettings, opt::kSavingPath, "").value(), AppFolder());
    EXPECT_EQ(file.readInt(opt::kSettings, opt::kTheme, 99).value(), 3);

    // Its first write fails: nothing is written and the error comes once.
    ASSERT_TRUE(QFile::remove(OptionsPath()));
    ASSERT_TRUE(QDir().mkpath(OptionsPath()));
    ForgetStartup();
    Click("Button16");
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u) << Messages().toStdString();
    EXPECT_EQ(scripted.dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(scripted.dialogs.messages[0].buttons, Buttons::Ok);
    EXPECT_TRUE(Messages().startsWith("Cannot save option to disk or media."));
    EXPECT_TRUE(FolderNames(OptionsPath()).isEmpty());
}

TEST_F(OptionsTabTest, FolderCommandsSetTheirPathOrKeepThePreviousOne) {
    const QString movies = MakeFolder("Movies");
    const QString favourites = MakeFolder("Favs");
    WriteOptions(("[Settings]\r\nSavingPath=" + movies + "\r\nSavingFavPath=" + favourites + "\r\n")
                     .toUtf8());
    Start();
    const QString chosen = MakeFolder("Chosen");
    struct Row {
        const char* button;
        const char* box;
        std::optional<QString> folderAnswer;
        QString expected;
    };
    const Row rows[] = {
        {"Button14", "Edit2", chosen, chosen},
        {"Button14", "Edit2", QString(), chosen},    // an empty choice keeps the path
        {"Button14", "Edit2", std::nullopt, chosen}, // so does Cancel
        {"Button15", "Edit2", std::nullopt, AppFolder()},
        {"Button22", "Edit2", std::nullopt, movies},
        {"Button29", "Edit6", chosen, chosen},
        {"Button30", "Edit6", std::nullopt, AppFolder()},
        {"Button31", "Edit6", std::nullopt, favourites},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.button);
        scripted.dialogs.folderAnswers = {row.folderAnswer};
        Click(row.button);
        EXPECT_EQ(On<QLineEdit>(row.box)->text(), row.expected);
    }
    EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();
    Click("Button33");
    Click("Button41");
    EXPECT_EQ(scripted.shell.foldersOpened, QStringList({movies, favourites}));
}

TEST_F(OptionsTabTest, TheDesktopShortcutIsMadeOnceAndThePrinterSetUpOpens) {
    const QString desktop = AppFolder() + "Desktop";
    scripted.shell.desktopFolder = desktop;
    Start();
    Click("Button35");
    Click("Button35");
    EXPECT_EQ(Messages(), "Link has been created ...");
    const QString program = QCoreApplication::applicationFilePath();
    EXPECT_EQ(scripted.shell.shortcuts, QStringList({program, program}));
    const QByteArray entry =
        ReadFileBytes(desktop + "/" + QFileInfo(program).fileName() + ".desktop");
    EXPECT_TRUE(entry.contains("\nType=Application\n")) << entry.toStdString();

    Click("Button21");
    EXPECT_EQ(scripted.printer.setups, 1);
    // The DVD Cover window is never made: its button is never shown.
    EXPECT_TRUE(On<QPushButton>("Button45")->isHidden());
    EXPECT_EQ(On<QPushButton>("Button46")->text(), "On Line\n   Help");
}

TEST_F(OptionsTabTest, EachWindowButtonShowsItsWindow) {
    Start();
    const WindowSet& w = app->windows();
    const struct {
        const char* button;
        QWidget* window;
    } rows[] = {{"Button36", w.form5},  {"Button39", w.form7},   {"Button51", w.form12},
                {"Button53", w.form16}, {"Button34", w.form4},   {"Button43", w.form9},
                {"Button42", w.form8},  {"Button11", w.aboutBox}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.button);
        ASSERT_NE(row.window, nullptr);
        EXPECT_FALSE(row.window->isVisible());
        EXPECT_FALSE(On<QPushButton>(row.button)->isHidden());
        Click(row.button);
        EXPECT_TRUE(row.window->isVisible());
        row.window->hide();
    }
}

TEST_F(OnlineTabTest, TheKeyOfTheOptionsTabIsSavedAndSentAndAMissingKeySaysWhereItGoes) {
    server.serveOmdbTitle("Heat", "omdb/no_api_key.json", 401);
    Start();
    Search("Heat");
    EXPECT_EQ(Messages(), "Heat: No API key provided." + kKeyAdvice);

    QWidget* options = Main().OptionsPage();
    WindowFixture::Find<QLineEdit>(options, "EditApiKey")->setText(" k3y ");
    scripted.dialogs.messages.clear();
    WindowFixture::Find<QPushButton>(options, "Button16")->click();
    EXPECT_EQ(Messages(), kSavedMessage);
    OptionsFile file(OptionsPath());
    EXPECT_EQ(file.readString(opt::kSettings, opt::kOmdbApiKey, "").value(), "k3y");

    // The next search sends the key saved, its blanks dropped.
    Search("Heat");
    EXPECT_NE(server.lastRequestTarget().find("apikey=k3y"), std::string::npos)
        << server.lastRequestTarget();
}

} // namespace
} // namespace quorvel::test
