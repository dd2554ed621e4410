#include "tests/ui/offline_fixture.h"

namespace quorvel::test {
namespace {

class ReaderTest : public OfflineTabTest {
protected:
    TForm6* Reader() const { return app->windows().form6; }
    QString ReaderText() const {
        return Reader()->findChild<QPlainTextEdit*>("Memo1")->toPlainText();
    }
    QImage ReaderPicture() const { return Reader()->findChild<PictureBox*>("Image1")->picture(); }
    void TearDown() override {
        if (app && Reader())
            Reader()->hide();
        OfflineTabTest::TearDown();
    }
};

TEST_F(ReaderTest, IsAFixedModelessWindow) {
    Start();
    ASSERT_NE(Reader(), nullptr);
    EXPECT_EQ(Reader()->windowTitle(), "Quorvel Reader");
    EXPECT_EQ(Reader()->size(), QSize(803, 606));
    EXPECT_EQ(Reader()->minimumSize(), Reader()->maximumSize());
    EXPECT_FALSE(Reader()->isModal());
    EXPECT_EQ(Reader()->findChild<QPlainTextEdit*>("Memo1")->font().pixelSize(), 16);
    EXPECT_FALSE(Reader()->findChild<QPlainTextEdit*>("Memo1")->isReadOnly());
    EXPECT_NE(Reader()->findChild<QWidget*>("Panel2"), nullptr);
}

TEST_F(ReaderTest, ShowsTheTextWithoutAPictureWhenTheTitleHasNoPoster) {
    AddInfo("Alien");
    Start();
    MoveTo("Alien.txt");
    ButtonNamed("Button37")->click();
    EXPECT_TRUE(Reader()->isVisible());
    EXPECT_EQ(ReaderText(), "Alien\n\nTYPE\nmovie\n");
    EXPECT_TRUE(ReaderPicture().isNull());
    EXPECT_TRUE(scripted.dialogs.messages.empty());

    Reader()->findChild<QPushButton*>("BitBtn1")->click();
    EXPECT_FALSE(Reader()->isVisible());
}

TEST_F(ReaderTest, AnOpenReaderTakesTheNextRecord) {
    AddInfo("Alien");
    AddInfo("Heat");
    const QImage poster = AddPoster("Heat");
    Start();
    MoveTo("Alien.txt");
    tab->Button37Click();
    ASSERT_TRUE(Reader()->isVisible());

    MoveTo("Heat.txt");
    tab->Button37Click();
    EXPECT_TRUE(Reader()->isVisible());
    EXPECT_TRUE(ReaderText().startsWith("Heat"));
    EXPECT_EQ(ReaderPicture().size(), poster.size());

    // Reopened after closing, it copies the tab's poster again.
    Reader()->close();
    Reader()->findChild<PictureBox*>("Image1")->clearPicture();
    Reader()->show();
    EXPECT_EQ(ReaderPicture().size(), poster.size());
}

TEST_F(ReaderTest, RefusesWhenThereIsNeitherTextNorPoster) {
    AddInfo("Alien");
    Start();
    MoveTo("Alien.txt");
    Find<QCheckBox>("CheckBox1")->setChecked(false);
    Memo2()->clear(); // the unlocked box emptied by the user
    ButtonNamed("Button37")->click();
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_EQ(scripted.dialogs.messages.front().text,
              "No Poster neither Movie/Series Info to show.");
    EXPECT_EQ(scripted.dialogs.messages.front().kind, MessageKind::Information);
    EXPECT_EQ(scripted.dialogs.messages.front().buttons, Buttons::Cancel);
    EXPECT_FALSE(Reader()->isVisible());
}

} // namespace
} // namespace quorvel::test
