// The collection windows list the folder when they are first shown, not at start-up, and a
// folder change reaches a hidden window's list by the time it is shown or read.

#include "tests/support/list_view.h"
#include "tests/support/window_fixture.h"
#include "ui/main/main_window.h"
#include "ui/tools/album_creator.h"
#include "ui/tools/backup.h"
#include "ui/tools/info_list_creator.h"
#include "ui/tools/info_text_editor.h"
#include "ui/tools/portable_mode.h"

#include <QDir>
#include <QLabel>
#include <QListView>

#include <functional>

namespace quorvel::test {
namespace {

class CollectionListsTest : public WindowFixture {
protected:
    struct Window {
        const char* name;
        std::function<QWidget*(WindowSet&)> window;
        const char* list;
        QStringList listed; // what the list shows of the titles A and B
        const char* countLabel;
        QString count;
    };
    const std::vector<Window> windows{
        {"Manage Info Text",
         [](WindowSet& w) -> QWidget* { return w.form5; },
         "MovieListEdit",
         {"A.txt", "B.txt"},
         "Label3",
         "Collection count: 2 Text"},
        {"album",
         [](WindowSet& w) -> QWidget* { return w.form7; },
         "MovieListEdit",
         {"A", "B"},
         "Label2",
         "HTML Page creation - Movie list"},
        {"Info List Creator",
         [](WindowSet& w) -> QWidget* { return w.form12; },
         "MovieListExport",
         {"A.txt", "B.txt"},
         "Label3",
         "  Collection count: 2 Text"},
        {"backup",
         [](WindowSet& w) -> QWidget* { return w.form16; },
         "MovieListBackup",
         {"A.jpg", "A.txt", "B.txt"},
         "Label3",
         "Collection count: 2 Text Info and 1 Poster"},
    };
    void Put(const QString& folder, const QString& name) {
        ASSERT_TRUE(WriteFileBytes(folder + "/" + name, "x\r\n"));
    }
};

TEST_F(CollectionListsTest, AWindowListsTheFolderWhenFirstShownAndAfterAMoveOfIt) {
    const QString folder = MakeFolder();
    for (const char* name : {"A.txt", "A.jpg", "B.txt"})
        Put(folder, name);
    WriteOptions("[Settings]\r\nSavingPath=" + folder.toUtf8() + "\r\n");
    Start();
    for (const Window& w : windows) {
        SCOPED_TRACE(w.name);
        QWidget* window = w.window(app->windows());
        const auto* list = Find<QListView>(window, w.list);
        EXPECT_EQ(RowCount(list), 0) << "listed before anyone could see it";
        window->show();
        EXPECT_EQ(RowTexts(list), w.listed);
        EXPECT_EQ(Find<QLabel>(window, w.countLabel)->text(), w.count);
        window->hide();
    }

    // Portable mode moves the collection while the windows are hidden.
    app->windows().form9->SwitchToPortablePaths();
    const QString portable = AppFolder() + "Movie";
    ASSERT_TRUE(QDir(portable).exists());
    Put(portable, "C.txt");
    EXPECT_EQ(app->windows().form12->ListEntries(), QStringList{"C.txt"});
    EXPECT_EQ(app->windows().form16->ListEntries(), QStringList{"C.txt"});
    app->windows().form7->show();
    EXPECT_EQ(RowTexts(Find<QListView>(app->windows().form7, "MovieListEdit")), QStringList{"C"});
}

} // namespace
} // namespace quorvel::test
