#include "tests/ui/search_online_fixture.h"

#include "core/collection.h"
#include "core/infotext.h"
#include "ui/main/visual_lines.h"

#include <QBuffer>

namespace quorvel::test {
namespace {

QByteArray Crlf(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines)
        out += line.toLatin1() + "\r\n";
    return out;
}

QByteArray JpegBytes(QColor colour) {
    QImage image(30, 45, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

class OnlineTabFilesTest : public OnlineTabTest {
protected:
    void TickSaveTogether(bool on) {
        auto* box = app->mainWindow().findChild<QCheckBox*>("CheckBox4");
        ASSERT_NE(box, nullptr);
        box->setChecked(on);
        ASSERT_EQ(app->settings().Tab1Save(), on);
    }
    void Unlock() { tab->ReadOnlyBox()->setChecked(false); }
};

TEST_F(OnlineTabFilesTest, SaveInfoWritesTheRecordAndAsksBeforeReplacingIt) {
    Start();
    SearchShawshank();
    const QString path = InFolder("Shawshank.txt");

    scripted.dialogs.saveAnswers.push_back(path);
    tab->Button3Click();
    ASSERT_EQ(scripted.dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(scripted.dialogs.saveRequests[0].proposedName, "The Shawshank Redemption");
    EXPECT_EQ(scripted.dialogs.saveRequests[0].title, "Save Movie info as ...");
    const QByteArray saved = ReadFileBytes(path);
    EXPECT_EQ(saved, Crlf(MemoLines()));
    EXPECT_EQ(saved.count("\r\n"), kInfoTextLineCount);
    EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();

    // An edited text over the file: No keeps the file, Yes replaces it.
    Unlock();
    Memo1()->setPlainText("Edited\n\nTYPE\nmovie\n");
    scripted.dialogs.saveAnswers.push_back(path);
    scripted.dialogs.answers.push_back(Button::No);
    tab->Button3Click();
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_EQ(scripted.dialogs.messages[0].text, OverwriteQuestionText(path));
    EXPECT_EQ(scripted.dialogs.messages[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(scripted.dialogs.messages[0].buttons, Buttons::YesNo);
    EXPECT_EQ(ReadFileBytes(path), saved);

    scripted.dialogs.saveAnswers.push_back(path);
    scripted.dialogs.answers.push_back(Button::Yes);
    tab->Button3Click();
    EXPECT_EQ(ReadFileBytes(path), QByteArray("Edited\r\n\r\nTYPE\r\nmovie\r\n\r\n"));

    // Loading it back gives the same text; the identifier stays the searched one because
    // this text has no "IMDB ID" line.
    Memo1()->clear();
    scripted.dialogs.openAnswers.push_back(path);
    tab->Button12Click();
    EXPECT_EQ(MemoText(), "Edited\n\nTYPE\nmovie\n");
    EXPECT_EQ(tab->CurrentImdbId(), "tt0111161");
}

TEST_F(OnlineTabFilesTest, SaveInfoProposesTheTitleWithoutForbiddenCharacters) {
    server.serveText("/", R"({"Response":"True","Title":"Face/Off: Part 2?","Poster":"N/A"})",
                     "application/json");
    Start();
    Search("Face Off");
    ASSERT_EQ(Messages(), "No poster Found.");

    tab->Button3Click(); // cancelled
    ASSERT_EQ(scripted.dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(scripted.dialogs.saveRequests[0].proposedName, "FaceOff Part 2");
    // A value the answer lacks reads "N/A".
    EXPECT_EQ(MemoLines().at(3), "N/A");
}

TEST_F(OnlineTabFilesTest, TogetherCancellingSaveInfoStillOffersThePosterButRefusingDoesNot) {
    Start();
    SearchShawshank();
    TickSaveTogether(true);

    // Cancelled info dialog: the poster dialog follows and writes the poster as it came.
    const QString posterPath = InFolder("Shawshank.jpg");
    scripted.dialogs.saveAnswers = {std::nullopt, posterPath};
    tab->Button3Click();
    ASSERT_EQ(scripted.dialogs.saveRequests.size(), 2u);
    EXPECT_TRUE(scripted.dialogs.saveRequests[1].picture);
    EXPECT_EQ(scripted.dialogs.saveRequests[1].proposedName, "The Shawshank Redemption");
    EXPECT_EQ(ReadFileBytes(posterPath), tab->ShownPoster().bytes);

    // No to replacing the info text ends everything there.
    const QString infoPath = InFolder("Shawshank.txt");
    ASSERT_TRUE(WriteFileBytes(infoPath, "old\r\n"));
    scripted.dialogs.saveRequests.clear();
    scripted.dialogs.saveAnswers = {infoPath};
    scripted.dialogs.answers = {Button::No};
    tab->Button3Click();
    EXPECT_EQ(scripted.dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(ReadFileBytes(infoPath), QByteArray("old\r\n"));

    // Not ticked: only the info dialog.
    TickSaveTogether(false);
    scripted.dialogs.saveRequests.clear();
    tab->Button3Click();
    EXPECT_EQ(scripted.dialogs.saveRequests.size(), 1u);
}

TEST_F(OnlineTabFilesTest, AFailedWriteShowsTheErrorAndKeepsTheScreen) {
    Start();
    SearchShawshank();
    const QString before = MemoText();
    scripted.dialogs.saveAnswers.push_back(InFolder("missing/folder/Shawshank.txt"));
    tab->Button3Click();
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_EQ(scripted.dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_FALSE(scripted.dialogs.messages[0].text.isEmpty());
    EXPECT_EQ(MemoText(), before);
}

TEST_F(OnlineTabFilesTest, LoadInfoTakesTheIdentifierAndTheCompanionPosterIfAny) {
    const QStringList heat = {"Heat", "", "IMDB ID", "tt0113277", "", "ANY", ""};
    ASSERT_TRUE(WriteFileBytes(InFolder("Heat.txt"), Crlf(heat)));
    const QByteArray poster = JpegBytes(Qt::green);
    ASSERT_TRUE(WriteFileBytes(InFolder("Alien.jpg"), poster));
    ASSERT_TRUE(
        WriteFileBytes(InFolder("Alien.txt"), Crlf({"Alien", "", "IMDB ID", "tt0078748", ""})));
    Start();
    SearchShawshank();

    // Without a poster beside it the searched poster goes.
    scripted.dialogs.openAnswers.push_back(InFolder("Heat.txt"));
    tab->Button12Click();
    EXPECT_EQ(MemoLines(), heat);
    EXPECT_EQ(tab->CurrentImdbId(), "tt0113277");
    EXPECT_TRUE(tab->ShownPoster().isNull());
    EXPECT_TRUE(Image1().isNull());
    ExpectEnabled({"Button4", "Button5"}, false);
    ExpectEnabled({"Button2", "Button3", "Button6"}, true);
    // The title the search found stays the name proposed.
    EXPECT_EQ(tab->CurrentTitle(), "The Shawshank Redemption");
    tab->Button2Click();
    EXPECT_EQ(scripted.shell.opened, QStringList{"http://www.imdb.com/title/tt0113277"});

    scripted.dialogs.openAnswers.push_back(InFolder("Alien.txt"));
    tab->Button12Click();
    EXPECT_EQ(tab->CurrentImdbId(), "tt0078748");
    EXPECT_EQ(tab->ShownPoster().bytes, poster);
    ExpectEnabled({"Button4", "Button5"}, true);
    EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();

    // A file that cannot be read: the error box, the screen as it was.
    const QString before = MemoText();
    scripted.dialogs.openAnswers.push_back(InFolder("gone.txt"));
    tab->Button12Click();
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_EQ(scripted.dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(MemoText(), before);
    EXPECT_EQ(tab->ShownPoster().bytes, poster);
}

TEST_F(OnlineTabFilesTest, LoadPosterBringsItsInfoTextOrEmptiesTheBox) {
    const QByteArray alien = JpegBytes(Qt::green);
    ASSERT_TRUE(WriteFileBytes(InFolder("Alien.jpg"), alien));
    ASSERT_TRUE(
        WriteFileBytes(InFolder("Alien.txt"), Crlf({"Alien", "", "IMDB ID", "tt0078748", ""})));
    const QByteArray lone = JpegBytes(Qt::blue);
    ASSERT_TRUE(WriteFileBytes(InFolder("Lone.jpg"), lone));
    ASSERT_TRUE(WriteFileBytes(InFolder("Broken.jpg"), "not a picture"));
    Start();
    SearchShawshank();

    scripted.dialogs.openAnswers.push_back(InFolder("Alien.jpg"));
    tab->Button13Click();
    EXPECT_EQ(tab->ShownPoster().bytes, alien);
    EXPECT_EQ(MemoLines().at(0), "Alien");
    EXPECT_EQ(tab->CurrentImdbId(), "tt0111161"); // loading a poster never changes it

    scripted.dialogs.openAnswers.push_back(InFolder("Lone.jpg"));
    tab->Button13Click();
    EXPECT_EQ(tab->ShownPoster().bytes, lone);
    EXPECT_TRUE(MemoText().isEmpty());
    ExpectEnabled({"Button4", "Button5"}, true);
    ExpectEnabled({"Button3", "Button6", "Button2"}, false);
    EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();

    scripted.dialogs.openAnswers.push_back(InFolder("Broken.jpg"));
    tab->Button13Click();
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_EQ(scripted.dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(tab->ShownPoster().bytes, lone);
}

TEST_F(OnlineTabFilesTest, EmptyingTheUnlockedTextDisablesTheTextButtonsOnly) {
    Start();
    SearchShawshank();
    Memo1()->clear(); // read-only stops the user, not the program
    EXPECT_TRUE(Memo1()->isReadOnly());

    Unlock();
    EXPECT_FALSE(Memo1()->isReadOnly());
    Memo1()->setPlainText("typed");
    ExpectEnabled({"Button2", "Button3", "Button6", "Button28", "Button54"}, true);
    Memo1()->clear();
    ExpectEnabled({"Button2", "Button3", "Button6", "Button28", "Button54"}, false);
    ExpectEnabled({"Button4", "Button5"}, true);

    // The record's first visual line is empty: Save Info does nothing.
    Memo1()->setPlainText("\nsecond");
    tab->Button3Click();
    EXPECT_TRUE(scripted.dialogs.saveRequests.empty());

    tab->ReadOnlyBox()->setChecked(true);
    EXPECT_TRUE(Memo1()->isReadOnly());
}

TEST_F(OnlineTabFilesTest, PrintingSendsTheLinesAsShownAndReportsADeviceFailure) {
    Start();
    app->mainWindow().show();
    SearchShawshank();
    const QString plotLine = MemoLines().at(51);

    tab->Button6Click();
    ASSERT_EQ(scripted.printer.printedLines.size(), 1u);
    const QStringList printed = scripted.printer.printedLines[0];
    EXPECT_EQ(printed, VisualLines(*Memo1()));
    // The long plot is printed as the pieces the box wraps it into.
    EXPECT_GT(printed.size(), kInfoTextLineCount);
    EXPECT_FALSE(printed.contains(plotLine));

    tab->Button5Click();
    ASSERT_EQ(scripted.printer.printedPosters.size(), 1u);
    EXPECT_EQ(scripted.printer.printedPosters[0].size(), tab->ShownPoster().image.size());

    scripted.printer.failDevice = true;
    tab->Button6Click();
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_EQ(scripted.dialogs.messages[0].text, "Error Printing text.");
    EXPECT_EQ(scripted.dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(scripted.dialogs.messages[0].buttons, Buttons::Ok);
}

TEST_F(OnlineTabFilesTest, OutsideSearchesTakeTheTitleAsTyped) {
    Start();
    tab->TitleEdit()->setText(" Fast & Furious");
    tab->Button7Click();
    tab->Button8Click();
    tab->Button9Click();
    EXPECT_EQ(scripted.shell.opened,
              (QStringList{"https://www.google.com/#q=+Fast+%26+Furious",
                           "http://www.rottentomatoes.com/search/?search=+Fast+%26+Furious",
                           "https://www.youtube.com/results?search_query=+Fast+%26+Furious"}));
    EXPECT_EQ(server.totalRequests(), 0);

    tab->Button44Click();
    EXPECT_TRUE(tab->TitleEdit()->text().isEmpty());
}

TEST_F(OnlineTabFilesTest, ExitClosesTheMainWindow) {
    Start();
    QApplication::setQuitOnLastWindowClosed(false);
    Main().show();
    ASSERT_TRUE(Main().isVisible());
    tab->Button10Click();
    EXPECT_FALSE(Main().isVisible());
    QApplication::setQuitOnLastWindowClosed(true);
}

} // namespace
} // namespace quorvel::test
