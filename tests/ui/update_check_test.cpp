// The web update window against a fake maker's site, and its what's-new browser.

#include "tests/support/fake_web_server.h"
#include "tests/support/window_fixture.h"
#include "ui/main/main_window.h"
#include "ui/tools/update_check.h"
#include "ui/tools/whats_new.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QWebEngineView>

namespace quorvel::test {
namespace {

const QString kNoConnection =
    "No Internet connection found. Please, connect to the Internet before attemping an update.";

// A message box as the desktop shows one: the window that asked loses the activation while the
// box is up and gets it back when it closes.
class BoxTakingDialogs final : public Dialogs {
public:
    QWidget* window = nullptr;
    QStringList asked;
    Button ask(MessageKind, const QString& text, Buttons, const QString&) override {
        asked << text;
        if (!window)
            return Button::Cancel;
        QEvent away(QEvent::WindowDeactivate);
        QApplication::sendEvent(window, &away);
        return Button::Cancel;
    }
    std::optional<QString> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return {}; }
    std::optional<QString> chooseFolder(const QString&, const QString&) override { return {}; }
};

class UpdateTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        server.serveText("/json", R"({"ip": "203.0.113.7", "city": "Nowhere"})",
                         "application/json");
        WriteOptions("[Settings]\r\nUpdateSite=" + server.baseAddress().toUtf8() +
                     "/\r\nIpInfoAddress=" + server.address("/json").toUtf8() + "\r\n");
    }
    void Start() {
        WindowFixture::Start();
        ForgetStartup();
        form8 = app->windows().form8;
        ASSERT_NE(form8, nullptr);
    }
    QString Text(const char* label) const { return Find<QLabel>(form8, label)->text(); }
    bool Shown(const char* name) const { return !Find<QWidget>(form8, name)->isHidden(); }
    void Activate() const {
        QEvent active(QEvent::WindowActivate);
        QApplication::sendEvent(form8, &active);
    }

    FakeWebServer server;
    TForm8* form8 = nullptr;
};

TEST_F(UpdateTest, TheCheckComparesTheVersionAfterTheLastMarkerExactly) {
    struct Row {
        const char* name;
        std::string page; // empty: no page at all
        QString web;
        QString status;
        bool newer;
    };
    const Row rows[] = {
        {"same", "<html>\r\n<p>***version***</p>\r\n<p>1.7.1.1</p>\r\n</html>\r\n", "1.7.1.1",
         "up to date", false},
        {"older", "<p>***version***</p>\n<p>1.7.1.0</p>\n", "1.7.1.0", "out of date", true},
        {"two markers",
         "<p>***version***</p>\n<p>1.7.1.1</p>\n<p>***version***</p>\n<p>2.0.0.0</p>\n", "2.0.0.0",
         "out of date", true},
        {"marker with a trailing blank", "<p>***version***</p> \n<p>2.0.0.0</p>\n", "Unknown",
         "Unknown", false},
        {"no page", "", "Unknown", "Unknown", false},
    };
    Start();
    EXPECT_EQ(Text("Label1"), "Quorvel binary is: 64Bits");
    EXPECT_EQ(Text("Label2"), "Current version is: 1.7.1.1");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.page.empty())
            server.serveText("/QVLUpdate.html", "Not Found", "text/html", 404);
        else
            server.serveText("/QVLUpdate.html", row.page);
        // A first check that finds a newer version shows the download hint; each row's own
        // check must then hide it again or show it.
        Find<QLabel>(form8, "Label5")->show();
        Activate();
        EXPECT_EQ(Text("Label3"), "Web version is: " + row.web);
        EXPECT_EQ(Text("Label4"), "Version status: " + row.status);
        EXPECT_EQ(Shown("Label5"), row.newer);
        EXPECT_EQ(Shown("Button5"), row.newer);
        EXPECT_TRUE(Find<QPushButton>(form8, "Button4")->isEnabled());
    }
    EXPECT_EQ(server.requestCount("/QVLUpdate.html"), 5);
    EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();

    // The what's-new page opens in the window's own browser.
    Find<QPushButton>(form8, "Button5")->click();
    TForm15* form15 = app->windows().form15;
    ASSERT_TRUE(form15->isVisible());
    EXPECT_EQ(form15->Browser()->url().toString(), server.address("/QVLWhatIsNewLog.html"));
}

TEST_F(UpdateTest, DownloadAndTheUpdateLogOpenTheMakersPages) {
    Start();
    Find<QPushButton>(form8, "Button4")->click();
    QMouseEvent click(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Find<QLabel>(form8, "Label6"), &click);
    EXPECT_EQ(scripted.shell.opened, (QStringList{server.address("/Quorvel_64Bits.zip"),
                                                  server.address("/UpdateLogQVL.html")}));
}

// Off line: the warning once, the check and download disabled; the return from that very box
// is no new opening, a later one is. The connection check tells the addresses.
TEST_F(UpdateTest, OffLineTheWarningComesOncePerOpeningAndTheConnectionCheckTellsTheAddress) {
    BoxTakingDialogs boxes;
    scripted.connection.online = false;
    services = scripted.services();
    services.dialogs = &boxes;
    app = std::make_unique<Application>(services, AppFolder());
    form8 = app->windows().form8;
    boxes.window = form8;
    boxes.asked.clear(); // start-up's own off-line message

    Activate();
    Activate(); // the box closed
    EXPECT_EQ(boxes.asked, QStringList{kNoConnection});
    EXPECT_FALSE(Find<QPushButton>(form8, "Button2")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(form8, "Button4")->isEnabled());
    EXPECT_EQ(server.requestCount("/QVLUpdate.html"), 0);

    Find<QPushButton>(form8, "Button3")->click();
    ASSERT_EQ(boxes.asked.size(), 2);
    EXPECT_TRUE(boxes.asked[1].startsWith(kNoConnection + "\r\n")) << boxes.asked[1].toStdString();
    EXPECT_TRUE(boxes.asked[1].contains("IP Address")) << boxes.asked[1].toStdString();

    Activate(); // the second box closed
    EXPECT_EQ(boxes.asked.size(), 2);

    // Back on line, the user comes back to the window: a new check, no warning.
    scripted.connection.online = true;
    QEvent away(QEvent::WindowDeactivate);
    QApplication::sendEvent(form8, &away);
    Activate();
    EXPECT_EQ(server.requestCount("/QVLUpdate.html"), 1);
    Find<QPushButton>(form8, "Button3")->click();
    ASSERT_EQ(boxes.asked.size(), 3);
    EXPECT_EQ(boxes.asked[2], "Internet connection found.\r\nYour WAN IP Addres is: 203.0.113.7");
    EXPECT_TRUE(Find<QPushButton>(form8, "Button2")->isEnabled());
}

} // namespace
} // namespace quorvel::test
