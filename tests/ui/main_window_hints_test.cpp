// The hint panel and the tab screenshot of the main window.

#include "tests/support/window_fixture.h"
#include "ui/main/hints.h"
#include "ui/main/main_window.h"
#include "ui/main/options_tab.h"
#include "ui/main/search_online_tab.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>

namespace quorvel::test {
namespace {

bool ActivateWindow(QWidget* window) {
    window->show();
    window->activateWindow();
    QElapsedTimer waited;
    waited.start();
    while (QApplication::activeWindow() != window && waited.elapsed() < 3000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return QApplication::activeWindow() == window;
}

void Hover(QWidget* widget) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(widget, &enter);
}

void Unhover(QWidget* widget) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
}

const QString kWindowHint =
    "This is where appears hints. Hover over the form, a button to know more. ";

class HintPanelTest : public WindowFixture {
protected:
    void Start() {
        WindowFixture::Start();
        ASSERT_TRUE(ActivateWindow(&Main()));
        panel = FindInMain<QLabel>("Panel2");
        ASSERT_NE(panel, nullptr);
    }
    QLabel* panel = nullptr;
};

TEST_F(HintPanelTest, TheLongPartGoesToThePanelAndTheShortPartIsTheToolTip) {
    Start();
    auto* saveTogether = Find<QCheckBox>(Main().OptionsPage(), "CheckBox4");
    Hover(saveTogether);
    EXPECT_EQ(panel->text(), "Tick to save Info and save Poster altogether with one click of one "
                             "of these buttons on the Search Title On Line tab.");
    EXPECT_TRUE(saveTogether->toolTip().isEmpty());

    auto* exit = Find<QPushButton>(Main().OnlineTab(), "Button10");
    Hover(exit);
    EXPECT_EQ(panel->text(), "Exit the software without prompt.");
    EXPECT_EQ(exit->toolTip(), "Exit the software without prompt.");

    // The status bar keeps the connection status while hints come and go.
    EXPECT_TRUE(FindInMain<QStatusBar>("StatusBar1")->currentMessage().isEmpty());
    EXPECT_EQ(FindInMain<QLabel>("StatusText")->text(), "Internet Connection Status : ON LINE.");
}

TEST_F(HintPanelTest, AControlWithoutAHintShowsThatOfItsPageOrElseOfTheWindow) {
    Start();
    Hover(Main().OnlineTab());
    EXPECT_EQ(panel->text(), "Search on line Movie Information and Poster given a title of "
                             "movie/serie or IMDB ID");

    auto* optionsArea = Main().OptionsPage()->findChild<QScrollArea*>();
    ASSERT_NE(optionsArea, nullptr);
    Hover(optionsArea->widget());
    EXPECT_EQ(panel->text(), kWindowHint);

    // Leaving a control puts the mouse back over its page.
    auto* exit = Find<QPushButton>(Main().OnlineTab(), "Button10");
    Hover(exit);
    Unhover(exit);
    EXPECT_EQ(panel->text(), "Search on line Movie Information and Poster given a title of "
                             "movie/serie or IMDB ID");
}

TEST_F(HintPanelTest, AnEmptyHintEmptiesThePanel) {
    Start();
    QWidget* label = Find<QLabel>(Main().OptionsPage(), "Label14");
    SetHint(label, QString());
    Hover(Find<QCheckBox>(Main().OptionsPage(), "CheckBox4"));
    ASSERT_FALSE(panel->text().isEmpty());
    Hover(label);
    EXPECT_EQ(panel->text(), "");
}

TEST_F(HintPanelTest, AnActiveWindowWithoutPanelShowsTheHintNowhere) {
    Start();
    Hover(Find<QPushButton>(Main().OnlineTab(), "Button10"));
    QWidget other;
    other.resize(200, 100);
    ASSERT_TRUE(ActivateWindow(&other));

    Hover(Find<QCheckBox>(Main().OptionsPage(), "CheckBox4"));
    EXPECT_EQ(panel->text(), "Exit the software without prompt.");
}

TEST_F(HintPanelTest, WithNoWindowActiveTheWindowUnderTheMouseShowsTheHint) {
    Start();
    QApplication::setActiveWindow(nullptr); // what a bare X server without window manager gives
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    Hover(Find<QPushButton>(Main().OnlineTab(), "Button10"));
    EXPECT_EQ(panel->text(), "Exit the software without prompt.");
}

TEST(HintText, ShortAndLongParts) {
    QWidget plain, barFirst, both;
    SetHint(&plain, "Whole text");
    SetHint(&barFirst, "|Only long");
    SetHint(&both, "Short|Long|with bar");
    EXPECT_EQ(plain.toolTip(), "Whole text");
    EXPECT_EQ(LongHintAt(&plain), "Whole text");
    EXPECT_EQ(barFirst.toolTip(), "");
    EXPECT_EQ(LongHintAt(&barFirst), "Only long");
    EXPECT_EQ(both.toolTip(), "Short");
    EXPECT_EQ(LongHintAt(&both), "Long|with bar");
}

class ScreenshotTest : public WindowFixture {
protected:
    const QString kName = "Screenshot_03-07-2016-142509";
    QString ShotPath() const { return AppFolder() + kName + ".bmp"; }
    void DoubleClickPanel() {
        QLabel* panel = FindInMain<QLabel>("Panel2");
        ASSERT_NE(panel, nullptr);
        QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(5, 5),
                          panel->mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(panel, &click);
    }
    QStringList Bitmaps() const { return QDir(AppFolder()).entryList({"*.bmp"}, QDir::Files); }
};

TEST_F(ScreenshotTest, YesSavesTheWholeWindowAsABitmapNamedByTheClock) {
    Start();
    Main().show();
    ForgetStartup();
    scripted.dialogs.answers = {Button::Yes};
    DoubleClickPanel();

    ASSERT_EQ(scripted.dialogs.messages.size(), 2u) << Messages().toStdString();
    const AskedMessage& question = scripted.dialogs.messages[0];
    EXPECT_EQ(question.kind, MessageKind::Information);
    EXPECT_EQ(question.buttons, Buttons::YesCancel);
    EXPECT_EQ(question.title, "Save a screenshot of Quorvel current tab");
    EXPECT_EQ(question.text, "Do you want to create a screenshot of this current tab into the "
                             "application folder?");
    EXPECT_EQ(scripted.dialogs.messages[1].kind, MessageKind::Plain);
    EXPECT_EQ(scripted.dialogs.messages[1].text, kName + " saved to the application folder");

    QImageReader reader(ShotPath());
    EXPECT_EQ(reader.format(), "bmp");
    const QImage shot = reader.read();
    ASSERT_FALSE(shot.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(shot.size(), Main().frameGeometry().size());
    EXPECT_TRUE(Main().isVisible());
}

TEST_F(ScreenshotTest, CancelWritesNothing) {
    Start();
    Main().show();
    ForgetStartup();
    scripted.dialogs.answers = {Button::Cancel};
    DoubleClickPanel();

    EXPECT_EQ(scripted.dialogs.messages.size(), 1u) << Messages().toStdString();
    EXPECT_TRUE(Bitmaps().isEmpty()) << Bitmaps().join(", ").toStdString();
}

TEST_F(ScreenshotTest, AFailedWriteIsReportedAndNotCalledASuccess) {
    ASSERT_TRUE(QDir().mkpath(ShotPath())); // a folder where the picture should go
    Start();
    Main().show();
    ForgetStartup();
    scripted.dialogs.answers = {Button::Yes};
    Main().TakeWindowScreenshot();

    ASSERT_EQ(scripted.dialogs.messages.size(), 2u) << Messages().toStdString();
    EXPECT_EQ(scripted.dialogs.messages[1].kind, MessageKind::Error);
    EXPECT_TRUE(scripted.dialogs.messages[1].text.contains(ShotPath())) << Messages().toStdString();
    EXPECT_FALSE(Messages().contains("saved to the application folder"));
    EXPECT_TRUE(QFileInfo(ShotPath()).isDir());
}

TEST_F(ScreenshotTest, AFullDiskIsReportedWithItsReasonAndLeavesNothingBehind) {
    SmallFileSystem disk(AppFolder(), 64);
    if (!disk.mounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    Start();
    Main().show();
    ForgetStartup();
    ASSERT_TRUE(disk.Fill("filler", 8 * 1024));
    scripted.dialogs.answers = {Button::Yes};
    Main().TakeWindowScreenshot();

    ASSERT_EQ(scripted.dialogs.messages.size(), 2u) << Messages().toStdString();
    EXPECT_EQ(scripted.dialogs.messages[1].kind, MessageKind::Error);
    EXPECT_TRUE(scripted.dialogs.messages[1].text.contains(ShotPath())) << Messages().toStdString();
    EXPECT_TRUE(Messages().contains("No space left on device")) << Messages().toStdString();
    EXPECT_EQ(QDir(AppFolder()).entryList(QDir::Files), QStringList{"filler"});
}

TEST_F(ScreenshotTest, ASecondShotInTheSameSecondReplacesTheFirst) {
    Start();
    Main().show();
    scripted.dialogs.answers = {Button::Yes};
    Main().TakeWindowScreenshot();
    ASSERT_TRUE(QFileInfo::exists(ShotPath()));
    Main().Pages()->setCurrentIndex(3);
    scripted.dialogs.answers = {Button::Yes};
    Main().TakeWindowScreenshot();
    EXPECT_EQ(Bitmaps(), QStringList{kName + ".bmp"});
}

} // namespace
} // namespace quorvel::test
