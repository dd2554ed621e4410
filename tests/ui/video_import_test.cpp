// The Import videos window against the fake OMDb server: the guesses of a folder, corrected in
// place, imported with a log; a close during the import.

#include "tests/ui/search_online_fixture.h"

#include "ui/main/options_tab.h"
#include "ui/main/search_offline_tab.h"
#include "ui/tools/video_import.h"

#include <QTimer>
#include <QTreeView>

namespace quorvel::test {
namespace {

using namespace std::chrono_literals;

class VideoImportTest : public OnlineTabTest {
protected:
    void SetUp() override {
        OnlineTabTest::SetUp();
        videos = AppFolder() + "Videos";
        ASSERT_TRUE(MakeEmptyFiles(videos, {"Alien.1979.1080p.BluRay.x264-GRP.mkv",
                                            "Films/Old.Harbour.1080p.WEB-DL.mkv",
                                            "Films/The.Matrix.1999.mkv", "Lost.S01E01.mkv"}));
        const std::string poster = server.address("/posters/shawshank.jpg").toStdString();
        for (const auto& [title, id, year] : {std::tuple{"Alien", "tt0078748", "1979"},
                                              {"Old Harbour", "tt0000101", "2003"},
                                              {"The Matrix", "tt0133093", "1999"},
                                              {"Lost", "tt0411008", "2004"}})
            server.routeQuery("/", "t", title,
                              OmdbJson(OmdbFoundJson(title, id, poster, year, "movie")));
        server.serveOmdbTitle("Harbour Lights", "omdb/not_found.json");
    }

    // Opens the window from the Options tab and reads the folder of videos.
    void OpenOnVideos() {
        Start();
        WindowFixture::Find<QPushButton>(Main().OptionsPage(), "Button57")->click();
        ASSERT_TRUE(Window().isVisible());
        scripted.dialogs.folderAnswers.push_back(videos);
        Click("Button1");
    }
    TForm18& Window() const { return *app->windows().form18; }
    VideoGuessModel& Model() const { return Window().Model(); }
    void Click(const char* name) const {
        WindowFixture::Find<QPushButton>(&Window(), name)->click();
    }
    QString Text(const char* name) const {
        return WindowFixture::Find<QWidget>(&Window(), name)->property("text").toString();
    }
    QString Log() const {
        return WindowFixture::Find<QPlainTextEdit>(&Window(), "Memo1")->toPlainText();
    }
    // Row by row: the tick, then the columns as shown.
    QStringList Rows() const {
        QStringList rows;
        for (int row = 0; row < Model().rowCount(); ++row) {
            QStringList cells{Model().IsTicked(row) ? "x" : "-"};
            for (int column = 0; column < VideoGuessModel::kColumns; ++column)
                cells << Model().index(row, column).data().toString();
            rows << cells.join(" | ");
        }
        return rows;
    }

    QString videos;
};

TEST_F(VideoImportTest, TheGuessesAreCorrectedInPlaceImportedAndListedOffLine) {
    OpenOnVideos();
    EXPECT_EQ(Rows(), QStringList({
                          "x | Alien | 1979 |  | Alien.1979.1080p.BluRay.x264-GRP.mkv",
                          "- | Old Harbour |  | doubtful | Films/Old.Harbour.1080p.WEB-DL.mkv",
                          "x | The Matrix | 1999 |  | Films/The.Matrix.1999.mkv",
                          "- | Lost |  | doubtful, series | Lost.S01E01.mkv",
                      }));
    EXPECT_EQ(Text("Label2"), "4 titles in 4 video files: 2 sure, 2 doubtful (unticked), 0 in the "
                              "collection (unticked).");
    EXPECT_FALSE(Model().index(0, 0).data(Qt::DecorationRole).isValid());
    EXPECT_TRUE(Model().index(1, 0).data(Qt::DecorationRole).isValid());

    // A year must be one the title box takes; a title must say something.
    const struct {
        int row, column;
        const char* value;
        bool taken;
    } edits[] = {{1, VideoGuessModel::kYear, "1492", false},
                 {1, VideoGuessModel::kYear, "2003", true},
                 {3, VideoGuessModel::kTitle, "  ", false},
                 {3, VideoGuessModel::kTitle, "Harbour  Lights", true},
                 {3, VideoGuessModel::kNote, "mine", false},
                 {3, VideoGuessModel::kPath, "elsewhere.mkv", false}};
    for (const auto& edit : edits)
        EXPECT_EQ(Model().setData(Model().index(edit.row, edit.column), edit.value, Qt::EditRole),
                  edit.taken)
            << edit.value;
    Model().SetTicked(1, true);
    Model().SetTicked(3, true);
    // Read before the import: the off-line tab's list must be told of the new records.
    const QStringList before = Main().OfflineTab()->ListEntries();

    Click("Button2");

    EXPECT_EQ(Log(), "added: Alien (1979) as Alien.txt and Alien.jpg\n"
                     "added: Old Harbour (2003) as Old Harbour.txt and Old Harbour.jpg\n"
                     "added: The Matrix (1999) as The Matrix.txt and The Matrix.jpg\n"
                     "not found: Harbour Lights  <-  Lost.S01E01.mkv");
    EXPECT_EQ(Text("Label2"), "3 added, 0 skipped, 1 not found, 0 failed.");
    EXPECT_EQ(Rows().value(1), "- | Old Harbour | 2003 | added as Old Harbour.txt | "
                               "Films/Old.Harbour.1080p.WEB-DL.mkv");
    EXPECT_EQ(Rows().value(3), "x | Harbour Lights |  | not found | Lost.S01E01.mkv");
    EXPECT_EQ(server.requestCount("/"), 4);
    EXPECT_EQ(server.requestCount("/posters/shawshank.jpg"), 3);
    EXPECT_FALSE(before.contains("Alien.txt"));
    EXPECT_EQ(Main().OfflineTab()->ListEntries(),
              QStringList({"Alien.jpg", "Alien.txt", "Old Harbour.jpg", "Old Harbour.txt",
                           "The Matrix.jpg", "The Matrix.txt"}));

    // Read again, the folder's titles are in the collection and left unticked.
    scripted.dialogs.folderAnswers.push_back(videos);
    Click("Button1");
    EXPECT_EQ(Model().TickedEntries(), QStringList());
    EXPECT_EQ(Rows().value(0), "- | Alien | 1979 | in the collection as Alien.txt | "
                               "Alien.1979.1080p.BluRay.x264-GRP.mkv");
}

TEST_F(VideoImportTest, ClosingDuringTheImportAsksAndStopsAfterTheTitleInProgress) {
    server.setDelay(150ms);
    const struct {
        Button answer;
        int added;
        bool visible;
    } rows[] = {{Button::No, 4, true}, {Button::Yes, 1, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.answer));
        for (const QString& name : QDir(folder).entryList(QDir::Files))
            QFile::remove(InFolder(name));
        if (!app)
            OpenOnVideos();
        else
            Window().show();
        scripted.dialogs.folderAnswers.push_back(videos);
        Click("Button1");
        Click("Button4");
        scripted.dialogs.answers.push_back(row.answer);
        scripted.dialogs.messages.clear();
        QTimer::singleShot(100, &Window(), [this] { Click("Button3"); });
        Click("Button2");
        EXPECT_EQ(Messages(), "The import is still running. Stop it after the title in progress "
                              "and close the window?");
        EXPECT_EQ(QDir(folder).entryList({"*.txt"}).size(), row.added) << Log().toStdString();
        EXPECT_EQ(Window().isVisible(), row.visible);
        EXPECT_FALSE(Window().Importing());
    }
    EXPECT_TRUE(Log().endsWith("Stopped after 1 of 4 titles; Import goes on with the titles still "
                               "ticked."))
        << Log().toStdString();
}

} // namespace
} // namespace quorvel::test
