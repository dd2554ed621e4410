#include "tests/ui/search_online_fixture.h"

#include "core/infotext.h"
#include "online/omdb.h"
#include "ui/main/network_wait.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QThread>
#include <QTimer>

#include <functional>
#include <thread>
#include <vector>

namespace quorvel::test {
namespace {

using namespace std::chrono_literals;

const std::initializer_list<const char*> kTextButtons = {"Button2", "Button3", "Button6",
                                                         "Button28", "Button54"};

// What the record should read, composed from the fixture by the info-text rules themselves.
QStringList ExpectedShawshankLines() {
    const Result<OmdbAnswer> answer =
        ParseOmdbAnswer(QString::fromStdString(ReadFixture("omdb/shawshank.json")));
    EXPECT_TRUE(answer.ok());
    return ComposeInfoText(answer->title(), answer->infoValues());
}

TEST_F(OnlineTabTest, StartsWithTheDesignedControls) {
    Start();
    EXPECT_EQ(tab->TitleEdit()->text(), "The Machine");
    EXPECT_TRUE(Bar()->isHidden());
    EXPECT_EQ(Bar()->minimum(), 0);
    EXPECT_EQ(Bar()->maximum(), 19);
    EXPECT_TRUE(tab->ReadOnlyBox()->isChecked());
    EXPECT_TRUE(Memo1()->isReadOnly());
    EXPECT_TRUE(MemoText().isEmpty());
    ExpectEnabled({"Button2", "Button3", "Button6", "Button4", "Button5", "Button28", "Button54"},
                  false);
    ExpectEnabled({"Button1", "Button44", "Button12", "Button13", "Button7", "Button8", "Button9",
                   "Button10"},
                  true);
    // Panel-only hints have no tool tip; the Exit button's hint serves both ways.
    EXPECT_TRUE(ButtonNamed("Button1")->toolTip().isEmpty());
    EXPECT_EQ(ButtonNamed("Button10")->toolTip(), "Exit the software without prompt.");
    EXPECT_EQ(Memo1()->statusTip(), "After a successful search, movie informations collected "
                                    "from the Internet appear here.");
}

TEST_F(OnlineTabTest, OneRequestFillsTheRecordAndThePoster) {
    Start();
    std::vector<int> barSteps;
    QObject::connect(Bar(), &QProgressBar::valueChanged,
                     [&barSteps](int value) { barSteps.push_back(value); });

    Search("  The Shawshank Redemption\t ");

    EXPECT_EQ(tab->TitleEdit()->text(), "The Shawshank Redemption");
    EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();
    EXPECT_EQ(server.requestCount("/"), 1);
    EXPECT_EQ(server.requestCount("/posters/shawshank.jpg"), 1);
    EXPECT_EQ(server.totalRequests(), 2);

    const QStringList lines = MemoLines();
    ASSERT_EQ(lines.size(), kInfoTextLineCount);
    EXPECT_EQ(lines, ExpectedShawshankLines());
    EXPECT_EQ(lines.at(0), "The Shawshank Redemption");
    EXPECT_EQ(lines.at(47), "IMDB ID");
    EXPECT_EQ(lines.at(48), "tt0111161");
    EXPECT_EQ(lines.at(53), "ANY");
    EXPECT_EQ(tab->CurrentTitle(), "The Shawshank Redemption");
    EXPECT_EQ(tab->CurrentImdbId(), "tt0111161");

    EXPECT_EQ(tab->ShownPoster().bytes, QByteArray::fromStdString(ReadFixture("omdb/poster.jpg")));
    EXPECT_FALSE(Image1().isNull());
    ExpectEnabled({"Button2", "Button3", "Button6", "Button4", "Button5", "Button28", "Button54"},
                  true);

    // The bar climbed one section at a time, then went away with the busy pointer.
    std::vector<int> expectedSteps;
    for (int step = 2; step <= 19; ++step)
        expectedSteps.push_back(step);
    ASSERT_GE(barSteps.size(), expectedSteps.size());
    EXPECT_EQ(std::vector<int>(barSteps.end() - long(expectedSteps.size()), barSteps.end()),
              expectedSteps);
    EXPECT_TRUE(Bar()->isHidden());
    EXPECT_EQ(Find<QLabel>("Label1")->text(), "Title of the movie, serie or IMDB ID");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(StatusText(), "Internet Connection Status : ON LINE");
}

TEST_F(OnlineTabTest, ATitleOrIdentifierTheServiceDoesNotKnowEmptiesThePanes) {
    server.serveOmdbTitle("Nothing Such", "omdb/not_found.json");
    server.serveOmdbId("tt00000000", "omdb/incorrect_id.json");
    Start();

    for (const QString title : {"Nothing Such", "tt00000000"}) {
        SCOPED_TRACE(title.toStdString());
        scripted.dialogs.messages.clear();
        SearchShawshank();

        Search(title);

        ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
        EXPECT_EQ(scripted.dialogs.messages[0].text, title + ": movie not found!");
        EXPECT_EQ(scripted.dialogs.messages[0].kind, MessageKind::Plain);
        EXPECT_EQ(scripted.dialogs.messages[0].buttons, Buttons::Ok);
        EXPECT_TRUE(MemoText().isEmpty());
        EXPECT_TRUE(tab->ShownPoster().isNull());
        EXPECT_TRUE(Image1().isNull());
        ExpectEnabled(kTextButtons, false);
        ExpectEnabled({"Button4", "Button5"}, false);
        EXPECT_TRUE(Bar()->isHidden());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(server.requestCount("/"), 1);
    }
}

// Anything but the service saying it knows no such title says what happened, and the record
// on screen stays.
TEST_F(OnlineTabTest, EveryOtherFailureSaysWhatHappenedAndKeepsTheRecord) {
    FakeAnswer dropped;
    dropped.kind = FakeAnswer::Kind::CloseConnection;
    server.routeQuery("/", "t", "Dropped", dropped);
    server.routeQuery("/", "t", "Busy",
                      {FakeAnswer::Kind::Reply, 503, "text/html", "<html>Busy</html>"});
    server.routeQuery("/", "t", "Garbled",
                      {FakeAnswer::Kind::Reply, 200, "text/html", "<html>Hi</html>"});
    server.routeQuery("/", "t", "Wrong",
                      {FakeAnswer::Kind::Reply, 200, "application/json",
                       R"({"Response":"False","Error":"Something went wrong."})"});
    Start();
    SearchShawshank();
    const QString before = MemoText();
    const struct {
        const char* input;
        const char* message;
    } cases[] = {
        {"Dropped",
         "Dropped: the OMDb service broke the connection off before its answer was complete"},
        {"Busy", "Busy: the OMDb service answered HTTP 503"},
        {"Garbled", "Garbled: the OMDb service sent an answer that is not JSON"},
        {"Wrong", "Wrong: Something went wrong."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        scripted.dialogs.messages.clear();
        Search(c.input);
        EXPECT_EQ(Messages(), c.message);
        EXPECT_EQ(MemoText(), before);
        EXPECT_FALSE(Image1().isNull());
        EXPECT_TRUE(Bar()->isHidden());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }

    // A service that is not running at all.
    const QString stopped = server.baseAddress();
    server.stop();
    scripted.dialogs.messages.clear();
    Search("Heat");
    EXPECT_EQ(Messages(), "Heat: could not connect to the OMDb service (connection refused)")
        << stopped.toStdString();
    EXPECT_EQ(MemoText(), before);
}

TEST_F(OnlineTabTest, ARefusedQueryTellsTheServiceReasonAndKeepsTheRecord) {
    server.serveOmdbTitle("Heat", "omdb/invalid_key.json", 401);
    Start();
    SearchShawshank();
    const QString before = MemoText();
    const QByteArray posterBefore = tab->ShownPoster().bytes;

    Search("Heat");

    EXPECT_EQ(Messages(), "Heat: Invalid API key!\nEnter your OMDb API key on the Options tab and "
                          "press Save; a key is had at https://www.omdbapi.com/apikey.aspx");
    EXPECT_EQ(MemoText(), before);
    EXPECT_EQ(tab->ShownPoster().bytes, posterBefore);
    EXPECT_FALSE(Image1().isNull());
    EXPECT_EQ(tab->CurrentImdbId(), "tt0111161");
    ExpectEnabled({"Button2", "Button3", "Button6", "Button4", "Button5"}, true);
    EXPECT_TRUE(Bar()->isHidden());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(OnlineTabTest, OffLineNothingIsSentAndTheIdentifierIsForgotten) {
    Start();
    SearchShawshank();
    const QString before = MemoText();
    scripted.connection.online = false;

    Search("Heat");

    EXPECT_EQ(server.totalRequests(), 0);
    EXPECT_EQ(StatusText(), "Internet Connection Status: OFF LINE");
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_EQ(scripted.dialogs.messages[0].text,
              "Please, Connect to the Internet before trying a Search");
    EXPECT_EQ(scripted.dialogs.messages[0].kind, MessageKind::Plain);
    EXPECT_TRUE(tab->CurrentImdbId().isEmpty());
    EXPECT_FALSE(ButtonNamed("Button2")->isEnabled());
    EXPECT_EQ(MemoText(), before);
    EXPECT_FALSE(tab->ShownPoster().isNull());

    // With the identifier gone the IMDB button has nothing to open.
    tab->Button2Click();
    EXPECT_TRUE(scripted.shell.opened.isEmpty());
}

TEST_F(OnlineTabTest, NoPosterAddressShowsTheRecordWithoutAPosterRequest) {
    server.serveOmdbTitle("Amelie", "omdb/amelie.json");
    Start();
    SearchShawshank();

    Search("Amelie");

    EXPECT_EQ(Messages(), "No poster Found.");
    EXPECT_EQ(server.totalRequests(), 1);
    EXPECT_EQ(MemoLines().size(), kInfoTextLineCount);
    // Reduced to ASCII before it is shown.
    EXPECT_TRUE(MemoLines().at(0).startsWith("Le fabuleux destin d'Amelie Poulain"));
    EXPECT_TRUE(tab->ShownPoster().isNull());
    EXPECT_TRUE(Image1().isNull());
    ExpectEnabled({"Button4", "Button5"}, false);
    ExpectEnabled({"Button2", "Button3", "Button6"}, true);
}

TEST_F(OnlineTabTest, NothingStartsWhileTheBarIsShownOrTheInputIsBlank) {
    Start();
    Bar()->show();
    Search("  Heat  ");
    EXPECT_EQ(tab->TitleEdit()->text(), "  Heat  ");
    EXPECT_EQ(server.totalRequests(), 0);
    EXPECT_TRUE(scripted.dialogs.messages.empty());
    Bar()->hide();

    Search(" \t ");
    EXPECT_TRUE(tab->TitleEdit()->text().isEmpty());
    EXPECT_EQ(server.totalRequests(), 0);
    EXPECT_TRUE(scripted.dialogs.messages.empty());
    EXPECT_EQ(scripted.connection.asked, 0);
}

TEST_F(OnlineTabTest, EnterInTheTitleBoxSearches) {
    Start();
    tab->TitleEdit()->setText("The Shawshank Redemption");
    Q_EMIT tab->TitleEdit()->returnPressed();
    EXPECT_EQ(server.requestCount("/"), 1);
    EXPECT_EQ(MemoLines().size(), kInfoTextLineCount);
}

TEST_F(OnlineTabTest, TheWindowKeepsPaintingWhileTheServiceIsSlow) {
    server.setDelay(300ms);
    Start();
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(20);

    Search("The Shawshank Redemption");

    EXPECT_GT(ticks, 3);
    EXPECT_EQ(MemoLines().size(), kInfoTextLineCount);
}

void PressKey(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

// Input during a wait runs at once and is never replayed: Return while the bar shows does
// nothing, Escape or closing the window ends the wait within half a second.
TEST_F(OnlineTabTest, TheWaitStaysUsableAndCancels) {
    Start();
    SearchShawshank();
    const QString before = MemoText();
    server.setDelay(400ms);
    for (int at : {50, 100, 150})
        QTimer::singleShot(at, tab, [this] { PressKey(tab->TitleEdit(), Qt::Key_Return); });
    Search("The Shawshank Redemption");
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(server.requestCount("/"), 1);

    server.setDelay(5000ms);
    struct {
        const char* name;
        std::function<void()> cancel;
    } cancels[] = {
        {"Escape", [this] { PressKey(tab->TitleEdit(), Qt::Key_Escape); }},
        {"close", [this] { Main().close(); }},
    };
    for (const auto& c : cancels) {
        SCOPED_TRACE(c.name);
        Main().show();
        scripted.dialogs.messages.clear();
        QElapsedTimer sinceCancel;
        QTimer::singleShot(100, tab, [&] {
            sinceCancel.start();
            c.cancel();
        });
        Search("The Shawshank Redemption");
        EXPECT_LT(sinceCancel.elapsed(), 500);
        EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();
        EXPECT_EQ(MemoText(), before);
        EXPECT_TRUE(Bar()->isHidden());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_FALSE(Main().isVisible());
}

TEST_F(OnlineTabTest, TheTitleBoxHasTheFocusAtStartAndReturnSearches) {
    Start();
    Main().show();
    QApplication::processEvents();
    ASSERT_EQ(Main().focusWidget(), tab->TitleEdit());
    tab->TitleEdit()->setText("The Shawshank Redemption");
    PressKey(Main().focusWidget(), Qt::Key_Return);
    EXPECT_EQ(server.requestCount("/"), 1);
    EXPECT_EQ(MemoLines().size(), kInfoTextLineCount);
}

TEST_F(OnlineTabTest, AnAddressNothingCanOpenIsReported) {
    Start();
    scripted.shell.result = false;
    tab->Button7Click();
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_EQ(scripted.dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(scripted.dialogs.messages[0].text,
              "Could not open https://www.google.com/#q=The+Machine: no web browser or other "
              "program on this computer is set up to open it.");
}

TEST(NetworkWait, RunsTheWorkElsewhereAndHandsBackItsResult) {
    const std::thread::id uiThread = std::this_thread::get_id();
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(10);
    QWidget window;

    const auto result = WaitForNetwork(&window, [uiThread](const CancelFlag&) {
        std::this_thread::sleep_for(150ms);
        return std::pair{std::this_thread::get_id() == uiThread, QStringLiteral("answer")};
    });

    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(result->first);
    EXPECT_EQ(result->second, "answer");
    EXPECT_GT(ticks, 2);

    // Short pieces of work one after another each come back with their own result.
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(WaitForNetwork(&window, [i](const CancelFlag&) { return i * 2; }), i * 2);
}

} // namespace
} // namespace quorvel::test
