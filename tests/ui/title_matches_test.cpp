// The year in the title box, and the window of the other titles of the same name, against the
// fake OMDb server.

#include "tests/ui/search_online_fixture.h"

#include "online/omdb.h"
#include "ui/tools/title_matches.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <QTreeWidget>

namespace quorvel::test {
namespace {

using namespace std::chrono_literals;

// The two pages of "Dune" and their posters, the film of each year, one series by identifier.
class TitleMatchesTest : public OnlineTabTest {
protected:
    void SetUp() override {
        OnlineTabTest::SetUp();
        for (int page : {1, 2}) {
            const std::string fixture = "omdb/search_dune_page" + std::to_string(page) + ".json";
            server.serveOmdbSearch("Dune", page, fixture);
            const Result<OmdbSearchPage> parsed =
                ParseOmdbSearch(QString::fromStdString(ReadFixture(fixture)));
            for (const OmdbMatch& match : parsed.value().matches)
                if (match.poster.startsWith("@BASE@"))
                    posters.push_back(match.poster.mid(6).toStdString());
        }
        for (const std::string& path : posters)
            server.serveFixture(path, "omdb/poster.jpg", "image/jpeg");
        for (const auto& [year, fixture] :
             {std::pair{"", "omdb/dune_2021.json"}, {"1984", "omdb/dune_1984.json"}})
            server.routeQuery("/", {{"t", "Dune"}, {"y", year}}, OmdbJson(ReadFixture(fixture)));
        server.routeQuery("/", "i", "tt0287839",
                          OmdbJson(OmdbFoundJson("Children of Dune", "tt0287839", "N/A")));
    }

    TForm17& Matches() const { return *app->windows().form17; }
    QTreeWidget* List() const { return Matches().findChild<QTreeWidget*>("ListView1"); }
    QString Said() const { return Matches().findChild<QLabel*>("Label2")->text(); }
    int PosterRequests() const {
        int count = 0;
        for (const std::string& path : posters)
            count += server.requestCount(path);
        return count;
    }
    void OtherTitles(const QString& text) {
        tab->TitleEdit()->setText(text);
        ButtonNamed("Button56")->click();
    }
    // Lets the posters come: they are fetched after the page shows.
    void Settle(int ms = 300) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    void Press(QWidget* widget, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(widget, &press);
    }

    std::vector<std::string> posters; // of both pages: five on the first
};

TEST_F(TitleMatchesTest, AYearInTheTitleBoxReachesTheRecordOfThatYear) {
    Start();
    for (const auto& [typed, id] : {std::pair{"Dune", "tt1160419"}, {"Dune (1984)", "tt0087182"}}) {
        Search(typed);
        EXPECT_EQ(tab->TitleEdit()->text(), typed);
        EXPECT_EQ(tab->CurrentImdbId(), id) << typed;
        EXPECT_EQ(MemoLines().value(0), "Dune");
    }
    EXPECT_EQ(server.requestCount("/"), 2);
}

TEST_F(TitleMatchesTest, APageAtATimeAndTheChosenTitleFillsTheTabAsItsIdentifierDoes) {
    Start();
    Main().show();
    SearchShawshank();
    OtherTitles("Dune");
    ASSERT_TRUE(Matches().isVisible());
    EXPECT_EQ(Matches().findChild<QLabel*>("Label1")->text(), "Titles named \"Dune\"");
    EXPECT_EQ(Said(), "Page 1 of 3 (27 titles).");
    const QTreeWidgetItem* seventh = List()->topLevelItem(6);
    EXPECT_EQ(QStringList({seventh->text(0), seventh->text(1), seventh->text(2)}),
              QStringList({"Die D\u00fcne/La dune", "2004", "movie"}));
    EXPECT_EQ(server.requestCount("/"), 1);
    // The five posters of the page shown, each once; the empty frame where there is none.
    Settle();
    EXPECT_EQ(PosterRequests(), 5);
    for (int row = 0; row < 10; ++row) {
        const QImage icon = List()->topLevelItem(row)->icon(0).pixmap(28, 42).toImage();
        EXPECT_EQ(icon.pixelColor(icon.width() / 2, icon.height() / 2).alpha(), row < 5 ? 255 : 0)
            << row;
    }

    Matches().findChild<QPushButton*>("Button2")->click();
    EXPECT_EQ(Said(), "Page 2 of 3 (27 titles).");
    EXPECT_EQ(List()->topLevelItem(4)->text(1), "2017\u20132022");
    EXPECT_EQ(List()->topLevelItem(2)->text(2), "game");
    EXPECT_EQ(server.requestCount("/"), 2);
    // Nothing on the tab has changed yet.
    EXPECT_EQ(tab->CurrentImdbId(), "tt0111161");

    server.resetCounts();
    List()->setCurrentItem(List()->topLevelItem(1));
    Press(List(), Qt::Key_Return);
    EXPECT_FALSE(Matches().isVisible());
    EXPECT_EQ(server.lastRequestTarget(), "/?i=tt0287839&y=&plot=full&r=json");
    EXPECT_EQ(server.requestCount("/"), 1);
    const QString chosen = MemoText();
    scripted.dialogs.saveAnswers.push_back(InFolder("chosen.txt"));
    tab->Button3Click();

    // The same identifier typed and searched gives the same record, byte for byte.
    Search("tt0287839");
    EXPECT_EQ(MemoText(), chosen);
    EXPECT_EQ(tab->CurrentImdbId(), "tt0287839");
    scripted.dialogs.saveAnswers.push_back(InFolder("typed.txt"));
    tab->Button3Click();
    EXPECT_EQ(ReadFileBytes(InFolder("chosen.txt")), ReadFileBytes(InFolder("typed.txt")));
    EXPECT_TRUE(ReadFileBytes(InFolder("chosen.txt")).startsWith("Children of Dune\r\n"));
}

// A small window asks only for the posters of the rows in view, and for each other one once it
// is scrolled into view.
TEST_F(TitleMatchesTest, PostersComeForTheRowsInView) {
    Start();
    Main().show();
    Matches().setMinimumSize(0, 0);
    Matches().resize(560, 250);
    OtherTitles("Dune");
    Settle();
    const int first = PosterRequests();
    EXPECT_GT(first, 0);
    EXPECT_LT(first, 5);
    for (int row = 0; row < List()->topLevelItemCount(); ++row) {
        List()->scrollToItem(List()->topLevelItem(row));
        Settle(60);
    }
    EXPECT_EQ(PosterRequests(), 5);
}

// Whatever keeps the matches away is said in the window in the user's words; the tab stays.
TEST_F(TitleMatchesTest, NoMatchesAreSaidInTheWindowAndTheTabStays) {
    server.routeQuery("/", "s", "Crash", OmdbJson(ReadFixture("omdb/too_many.json")));
    server.routeQuery("/", "s", "Nowhere", OmdbJson(ReadFixture("omdb/not_found.json")));
    server.routeQuery("/", "s", "Locked", OmdbJson(ReadFixture("omdb/invalid_key.json"), 401));
    FakeAnswer dropped;
    dropped.kind = FakeAnswer::Kind::CloseConnection;
    server.routeQuery("/", "s", "Dropped", dropped);
    Start();
    SearchShawshank();
    const QString before = MemoText();
    const std::pair<const char*, const char*> cases[] = {
        {"Crash", "Too many titles match \"Crash\" for the OMDb service to list them: type more "
                  "of the title, or its year as in \"Dune (1984)\"."},
        {"Nowhere (1999)", "The OMDb service knows no title named \"Nowhere (1999)\"."},
        {"Locked", "Invalid API key!\nEnter your OMDb API key on the Options tab and press Save; "
                   "a key is had at https://www.omdbapi.com/apikey.aspx"},
        {"Dropped", "Dropped: the OMDb service broke the connection off before its answer was "
                    "complete"},
    };
    for (const auto& [typed, said] : cases) {
        SCOPED_TRACE(typed);
        OtherTitles(typed);
        EXPECT_EQ(Said(), said);
        EXPECT_EQ(List()->topLevelItemCount(), 0);
        EXPECT_FALSE(Matches().findChild<QPushButton*>("Button2")->isEnabled());
    }
    EXPECT_EQ(server.lastRequestTarget(), "/?s=Dropped&y=&page=1&r=json");
    EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();
    EXPECT_EQ(MemoText(), before);
    EXPECT_EQ(tab->CurrentImdbId(), "tt0111161");

    // Off line nothing is asked, as for Search Info.
    scripted.connection.online = false;
    server.resetCounts();
    OtherTitles("Dune");
    EXPECT_EQ(Messages(), "Please, Connect to the Internet before trying a Search");
    EXPECT_EQ(server.totalRequests(), 0);
    EXPECT_EQ(tab->CurrentImdbId(), "tt0111161");
}

// The wait lets the program work: a second press is ignored, Escape stops it at once, and
// nothing pressed meanwhile runs afterwards.
TEST_F(TitleMatchesTest, TheWaitIsUsableAndEscapeStopsIt) {
    Start();
    Main().show();
    server.setDelay(5000ms);
    QElapsedTimer sinceEscape;
    QTimer::singleShot(100, tab, [this] { OtherTitles("Dune"); });
    QTimer::singleShot(150, tab, [this] { Matches().findChild<QPushButton*>("Button2")->click(); });
    QTimer::singleShot(200, tab, [&] {
        sinceEscape.start();
        Press(List(), Qt::Key_Escape);
    });
    OtherTitles("Dune");
    EXPECT_LT(sinceEscape.elapsed(), 500);
    EXPECT_EQ(Said(), "Stopped before the OMDb service answered.");
    EXPECT_TRUE(Matches().isVisible());
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    server.setDelay(0ms);
    Settle(200);
    EXPECT_EQ(server.requestCount("/"), 1);
    EXPECT_EQ(List()->topLevelItemCount(), 0);

    // Closing the window, or the main window with it, stops the wait as well.
    server.setDelay(5000ms);
    for (QWidget* closed : {static_cast<QWidget*>(&Matches()), static_cast<QWidget*>(&Main())}) {
        Main().show();
        QElapsedTimer sinceClose;
        QTimer::singleShot(100, tab, [&] {
            sinceClose.start();
            closed->close();
        });
        OtherTitles("Dune");
        EXPECT_LT(sinceClose.elapsed(), 500) << closed->objectName().toStdString();
        EXPECT_FALSE(Matches().isVisible());
    }
}

} // namespace
} // namespace quorvel::test
