#include "tests/ui/offline_fixture.h"

#include "ui/main/search_online_tab.h"

#include <QMouseEvent>
#include <QTabWidget>

namespace quorvel::test {
namespace {

TEST_F(OfflineTabTest, StartsWithTheFolderListedAndNothingShown) {
    AddInfo("Heat");
    AddPoster("Heat");
    AddInfo("Alien");
    ASSERT_TRUE(WriteFileBytes(InCollection("notes.doc"), "x"));
    Start();

    EXPECT_EQ(Entries(), (QStringList{"Alien.txt", "Heat.jpg", "Heat.txt"}));
    EXPECT_EQ(CountLabel(), "Collection count: 2 Text Info and 1 Poster");
    EXPECT_EQ(SelectedRow(), -1);
    EXPECT_FALSE(Label10()->isHidden());
    EXPECT_EQ(Label10()->text(), "NO POSTER AVAILABLE");
    for (const char* name : {"Button20", "Button32", "Button55", "Button19", "Button37"})
        EXPECT_FALSE(ButtonNamed(name)->isEnabled()) << name;
    for (const char* name :
         {"Button17", "Button52", "Button18", "Button23", "Button25", "Button24", "Button26"})
        EXPECT_TRUE(ButtonNamed(name)->isEnabled()) << name;
    EXPECT_TRUE(Find<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_TRUE(Memo2()->isReadOnly());
    EXPECT_EQ(Memo2()->statusTip(), "Listed saved Movie Information appears here.");
    EXPECT_TRUE(Memo2()->toolTip().isEmpty());
}

TEST_F(OfflineTabTest, EitherEntryOfATitleShowsTheWholePair) {
    AddInfo("Heat", {"Heat", "", "TYPE", "movie", ""});
    const QImage poster = AddPoster("Heat", Qt::blue);
    Start();

    for (const QString entry : {"Heat.jpg", "Heat.txt"}) {
        MoveTo(entry);
        EXPECT_EQ(SelectedEntry(), entry);
        EXPECT_TRUE(Label10()->isHidden());
        EXPECT_EQ(Image2().size(), poster.size());
        EXPECT_EQ(Memo2()->toPlainText(), "Heat\n\nTYPE\nmovie\n");
        for (const char* name :
             {"Button19", "Button20", "Button25", "Button32", "Button55", "Button37"})
            EXPECT_TRUE(ButtonNamed(name)->isEnabled()) << name;
    }
}

TEST_F(OfflineTabTest, HalfATitleShowsWhatItHasAndUnselectsAFreshListing) {
    AddPoster("Heat");
    AddInfo("Alien");
    Start();
    // appears with the failure's refresh
    ASSERT_TRUE(WriteFileBytes(InCollection("Later.txt"), "Later\r\n"));

    MoveTo("Heat.jpg");
    EXPECT_TRUE(Label10()->isHidden());
    EXPECT_FALSE(Image2().isNull());
    EXPECT_EQ(Memo2()->toPlainText(), "NO INFORMATION FOUND");
    EXPECT_FALSE(ButtonNamed("Button19")->isEnabled());
    EXPECT_FALSE(ButtonNamed("Button32")->isEnabled());
    EXPECT_FALSE(ButtonNamed("Button55")->isEnabled());
    EXPECT_TRUE(ButtonNamed("Button20")->isEnabled());
    EXPECT_TRUE(ButtonNamed("Button37")->isEnabled());
    EXPECT_EQ(SelectedRow(), -1);
    EXPECT_EQ(Entries(), (QStringList{"Alien.txt", "Heat.jpg", "Later.txt"}));

    MoveTo("Alien.txt");
    EXPECT_FALSE(Label10()->isHidden());
    EXPECT_TRUE(Image2().isNull());
    EXPECT_FALSE(ButtonNamed("Button20")->isEnabled());
    EXPECT_FALSE(ButtonNamed("Button25")->isEnabled());
    EXPECT_EQ(Memo2()->toPlainText(), "Alien\n\nTYPE\nmovie\n");
    EXPECT_TRUE(ButtonNamed("Button19")->isEnabled());
    EXPECT_EQ(SelectedRow(), -1);
}

TEST_F(OfflineTabTest, AMouseClickLoadsTheEntryUnderIt) {
    AddInfo("Alien");
    AddPoster("Alien");
    Start();
    QWidget* viewport = list->viewport();
    const QPoint at = list->visualRect(list->model()->index(Row("Alien.txt"), 0)).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &press);
    // Loading waits for the release, so one click reads the files once.
    EXPECT_TRUE(Memo2()->toPlainText().isEmpty());
    QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &release);
    EXPECT_EQ(SelectedEntry(), "Alien.txt");
    EXPECT_TRUE(Memo2()->toPlainText().startsWith("Alien"));
}

TEST_F(OfflineTabTest, WholeMatchSearchPrefersTheTextThenThePoster) {
    AddInfo("Heat");
    AddPoster("Heat");
    AddPoster("Ronin");
    Start();

    Edit3()->setText("heat");
    ButtonNamed("Button18")->click();
    EXPECT_EQ(SelectedEntry(), "Heat.txt");
    EXPECT_TRUE(Label10()->isHidden());
    EXPECT_TRUE(Memo2()->toPlainText().startsWith("Heat"));
    EXPECT_TRUE(scripted.dialogs.messages.empty());

    Edit3()->setText("RONIN");
    Q_EMIT Edit3()->returnPressed(); // Enter in the edit box searches too
    EXPECT_TRUE(Label10()->isHidden());
    EXPECT_EQ(Memo2()->toPlainText(), "NO INFORMATION FOUND");
    EXPECT_EQ(SelectedRow(), -1);
    EXPECT_TRUE(scripted.dialogs.messages.empty());
}

TEST_F(OfflineTabTest, PartialMatchesAreOfferedOneByOne) {
    AddInfo("Heat");
    AddPoster("Heat");
    AddInfo("Alien");
    Start();
    const QString first = "Found partial match: Heat.jpg. Search the next one?";
    const QString second = "Found partial match: Heat.txt. Search the next one?";
    const QString internet =
        "eat was not found. Do you want to search the Internet for this Movie or Serie?";

    Edit3()->setText("EAT");
    scripted.dialogs.answers = {Button::No};
    tab->Button18Click();
    EXPECT_EQ(scripted.dialogs.messageTexts(),
              QStringList{"Found partial match: Heat.jpg. Search the next one?"});
    EXPECT_EQ(scripted.dialogs.messages.front().kind, MessageKind::Confirmation);
    EXPECT_EQ(scripted.dialogs.messages.front().buttons, Buttons::YesNo);
    EXPECT_EQ(SelectedEntry(), "Heat.jpg");
    EXPECT_TRUE(Memo2()->toPlainText().isEmpty()); // selected, not loaded
    EXPECT_FALSE(Label10()->isHidden());

    scripted.dialogs.messages.clear();
    Edit3()->setText("eat");
    scripted.dialogs.answers = {Button::Yes, Button::Yes, Button::No};
    tab->Button18Click();
    EXPECT_EQ(scripted.dialogs.messageTexts(), (QStringList{first, second, internet}));
    EXPECT_TRUE(Memo2()->toPlainText().isEmpty());
    EXPECT_EQ(app->mainWindow().OnlineTab()->TitleEdit()->text(), "The Machine");
}

TEST_F(OfflineTabTest, ATitleNotInTheCollectionGoesToTheOnlineSearch) {
    AddInfo("Alien");
    Start();
    app->mainWindow().Pages()->setCurrentIndex(1);

    Edit3()->setText("Heat");
    scripted.dialogs.answers = {Button::Yes};
    tab->Button18Click();
    ASSERT_FALSE(scripted.dialogs.messages.empty());
    EXPECT_EQ(scripted.dialogs.messages.front().text,
              "Heat was not found. Do you want to search the Internet for this Movie or Serie?");
    EXPECT_EQ(SelectedRow(), -1);
    EXPECT_EQ(app->mainWindow().OnlineTab()->TitleEdit()->text(), "Heat");
    EXPECT_EQ(app->mainWindow().Pages()->currentIndex(), 0);
    // Off line, the search itself stops at its connection message.
    EXPECT_TRUE(scripted.dialogs.messageTexts().contains(
        "Please, Connect to the Internet before trying a Search"));
}

TEST_F(OfflineTabTest, TypingSelectsFromTheSecondEntryWithoutLoading) {
    AddInfo("Heist");
    AddInfo("Heat");
    AddPoster("Heat");
    AddInfo("Alien");
    Start();
    ASSERT_EQ(Entries(), (QStringList{"Alien.txt", "Heat.jpg", "Heat.txt", "Heist.txt"}));

    Edit3()->setText("he");
    EXPECT_EQ(SelectedEntry(), "Heat.jpg");
    EXPECT_TRUE(Memo2()->toPlainText().isEmpty());
    EXPECT_FALSE(Label10()->isHidden());
    Edit3()->setText("HEI");
    EXPECT_EQ(SelectedEntry(), "Heist.txt");
    Edit3()->setText("al"); // only the first entry matches: found after the last
    EXPECT_EQ(SelectedEntry(), "Alien.txt");
    Edit3()->setText("");
    EXPECT_EQ(SelectedEntry(), "Heat.jpg");
    Edit3()->setText("zz");
    EXPECT_EQ(SelectedRow(), -1);

    Edit3()->setText("he");
    Edit3()->setText(QString(129, QLatin1Char('h')));
    EXPECT_EQ(SelectedEntry(), "Heat.jpg"); // too long: the selection stays
    Edit3()->setText(QString(128, QLatin1Char('h')));
    EXPECT_EQ(SelectedRow(), -1);
    EXPECT_TRUE(Memo2()->toPlainText().isEmpty());
}

TEST_F(OfflineTabTest, RefreshRunsOnClickAndWhenTheButtonTakesTheFocus) {
    AddInfo("Alien");
    Start();
    ASSERT_TRUE(WriteFileBytes(InCollection("Heat.txt"), "Heat\r\n"));
    ButtonNamed("Button17")->click();
    EXPECT_EQ(Entries(), (QStringList{"Alien.txt", "Heat.txt"}));

    ASSERT_TRUE(WriteFileBytes(InCollection("Ronin.jpg"), "not a picture"));
    QFocusEvent tabbedOnto(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(ButtonNamed("Button17"), &tabbedOnto);
    EXPECT_EQ(Entries(), (QStringList{"Alien.txt", "Heat.txt", "Ronin.jpg"}));
    EXPECT_EQ(CountLabel(), "Collection count: 2 Text Info and 1 Poster");

    QFile::remove(InCollection("Heat.txt"));
    QFocusEvent windowBack(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(ButtonNamed("Button17"), &windowBack);
    EXPECT_EQ(Entries().size(), 3);
}

TEST_F(OfflineTabTest, FilteredListReplacesTheListingUntilAFailedLoad) {
    AddInfo("Alien");
    AddPoster("Alien");
    AddInfo("Heat");
    const QString listPath = appDir.path() + "/picked.list";
    ASSERT_TRUE(WriteFileBytes(listPath, "Heat.txt\nAlien.txt\nAlien.txt\nGone.txt\n"));
    Start();

    scripted.dialogs.openAnswers = {listPath};
    ButtonNamed("Button52")->click();
    EXPECT_EQ(Entries(), (QStringList{"Heat.txt", "Alien.jpg", "Alien.txt", "Alien.jpg",
                                      "Alien.txt", "Gone.txt"}));
    EXPECT_EQ(CountLabel(), "Collection count: 4 Text Info and 2 Poster (Filtered list)");
    ASSERT_EQ(scripted.dialogs.openRequests.size(), 1u);
    EXPECT_EQ(scripted.dialogs.openRequests.front().filters.front().pattern, "*.list");

    MoveTo("Alien.jpg"); // a whole pair keeps the filtered list
    EXPECT_EQ(Entries().size(), 6);
    MoveTo("Heat.txt"); // no poster: back to the folder
    EXPECT_EQ(Entries(), (QStringList{"Alien.jpg", "Alien.txt", "Heat.txt"}));
    EXPECT_EQ(CountLabel(), "Collection count: 2 Text Info and 1 Poster");
    EXPECT_TRUE(Memo2()->toPlainText().startsWith("Heat"));
}

TEST_F(OfflineTabTest, LoadingAFilteredListThatGivesNothingChangesNothing) {
    AddInfo("Alien");
    const QString empty = appDir.path() + "/empty.list";
    ASSERT_TRUE(WriteFileBytes(empty, ""));
    Start();
    const QStringList before = Entries();
    const QString label = CountLabel();

    scripted.dialogs.openAnswers = {std::nullopt, empty, appDir.path() + "/gone.list"};
    for (int i = 0; i < 3; ++i)
        tab->Button52Click();
    EXPECT_EQ(Entries(), before);
    EXPECT_EQ(CountLabel(), label);
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u); // only the unreadable file is reported
    EXPECT_EQ(scripted.dialogs.messages.front().kind, MessageKind::Error);
    EXPECT_FALSE(scripted.dialogs.messages.front().text.isEmpty());
}

TEST_F(OfflineTabTest, SaveInfoAsWritesWhatTheBoxShows) {
    AddPoster("Heat");
    Start();
    const QString target = appDir.path() + "/saved.txt";

    tab->Button26Click(); // nothing shown: no dialog
    EXPECT_TRUE(scripted.dialogs.saveRequests.empty());

    MoveTo("Heat.jpg");
    scripted.dialogs.saveAnswers = {target};
    ButtonNamed("Button26")->click();
    ASSERT_EQ(scripted.dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(scripted.dialogs.saveRequests.front().proposedName, "Info");
    EXPECT_EQ(ReadFileBytes(target), "NO INFORMATION FOUND\r\n");

    scripted.dialogs.saveAnswers = {target};
    scripted.dialogs.answers = {Button::No};
    Find<QCheckBox>("CheckBox1")->setChecked(false);
    EXPECT_FALSE(Memo2()->isReadOnly());
    Memo2()->setPlainText("Edited");
    tab->Button26Click();
    EXPECT_EQ(scripted.dialogs.messageTexts(),
              QStringList{target + " exists. Do you want to overwrite it?"});
    EXPECT_EQ(ReadFileBytes(target), "NO INFORMATION FOUND\r\n");

    scripted.dialogs.saveAnswers = {target};
    scripted.dialogs.answers = {Button::Yes};
    tab->Button26Click();
    EXPECT_EQ(ReadFileBytes(target), "Edited\r\n");
}

TEST_F(OfflineTabTest, SaveInfoAsKeepsTheEncodingTheBoxRead) {
    ASSERT_TRUE(WriteFileBytes(InCollection("Amelie.txt"), "\xEF\xBB\xBF"
                                                           "Am\xC3\xA9lie\r\n"));
    Start();
    MoveTo("Amelie.txt");
    const QString target = appDir.path() + "/again.txt";
    scripted.dialogs.saveAnswers = {target};
    tab->Button26Click();
    EXPECT_EQ(ReadFileBytes(target), QByteArray("\xEF\xBB\xBF"
                                                "Am\xC3\xA9lie\r\n"));
}

TEST_F(OfflineTabTest, SavePosterAsStartsInTheCollectionAndWritesTheBytesRead) {
    AddPoster("Heat");
    Start();
    MoveTo("Heat.jpg");
    const QString target = appDir.path() + "/copy.jpg";
    app->mainWindow().FileDialogs().savePicture.startFolder = "/somewhere/else";
    scripted.dialogs.saveAnswers = {target};
    ButtonNamed("Button25")->click();
    ASSERT_EQ(scripted.dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(scripted.dialogs.saveRequests.front().startFolder, collection());
    EXPECT_EQ(scripted.dialogs.saveRequests.front().proposedName, "Poster");
    EXPECT_EQ(app->mainWindow().FileDialogs().savePicture.startFolder, collection());
    EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(InCollection("Heat.jpg")));
}

TEST_F(OfflineTabTest, LoadInfoAndLoadPosterBringTheirCompanions) {
    QTemporaryDir elsewhere;
    const QString info = elsewhere.path() + "/Ronin.txt";
    const QString picture = elsewhere.path() + "/Ronin.jpg";
    ASSERT_TRUE(WriteFileBytes(info, "Ronin\r\n"));
    QImage image(30, 30, QImage::Format_RGB32);
    image.fill(Qt::green);
    ASSERT_TRUE(image.save(picture, "JPG"));
    ASSERT_TRUE(WriteFileBytes(elsewhere.path() + "/Lonely.txt", "Lonely\r\n"));
    ASSERT_TRUE(WriteFileBytes(elsewhere.path() + "/Broken.png", "not a picture"));
    Start();

    scripted.dialogs.openAnswers = {info};
    ButtonNamed("Button24")->click();
    EXPECT_EQ(Memo2()->toPlainText(), "Ronin");
    EXPECT_TRUE(Label10()->isHidden());
    EXPECT_EQ(Image2().size(), QSize(30, 30));
    for (const char* name : {"Button19", "Button26", "Button32", "Button37", "Button20"})
        EXPECT_TRUE(ButtonNamed(name)->isEnabled()) << name;

    scripted.dialogs.openAnswers = {elsewhere.path() + "/Lonely.txt"};
    tab->Button24Click();
    EXPECT_EQ(Memo2()->toPlainText(), "Lonely");
    EXPECT_FALSE(Label10()->isHidden());
    EXPECT_TRUE(Image2().isNull());
    EXPECT_FALSE(ButtonNamed("Button20")->isEnabled());

    scripted.dialogs.openAnswers = {picture};
    ButtonNamed("Button23")->click();
    EXPECT_TRUE(Label10()->isHidden());
    EXPECT_EQ(Memo2()->toPlainText(), "Ronin");

    scripted.dialogs.openAnswers = {elsewhere.path() + "/Broken.png"};
    tab->Button23Click();
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_EQ(scripted.dialogs.messages.front().kind, MessageKind::Error);
    EXPECT_EQ(Image2().size(), QSize(30, 30)); // the step stopped: the poster stays
    EXPECT_EQ(scripted.dialogs.openRequests.back().picture, true);
}

TEST_F(OfflineTabTest, PrintingReportsADeviceFailure) {
    AddInfo("Heat");
    AddPoster("Heat");
    Start();
    MoveTo("Heat.txt");
    ButtonNamed("Button19")->click();
    ButtonNamed("Button20")->click();
    ASSERT_EQ(scripted.printer.printedLines.size(), 1u);
    EXPECT_EQ(scripted.printer.printedLines.front(),
              (QStringList{"Heat", "", "TYPE", "movie", ""}));
    ASSERT_EQ(scripted.printer.printedPosters.size(), 1u);
    EXPECT_EQ(scripted.printer.printedPosters.front().size(), QSize(40, 60));

    scripted.printer.failDevice = true;
    tab->Button19Click();
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_EQ(scripted.dialogs.messages.front().text, "Error Printing text.");
    EXPECT_EQ(scripted.dialogs.messages.front().kind, MessageKind::Error);
    EXPECT_EQ(scripted.dialogs.messages.front().buttons, Buttons::Ok);
}

} // namespace
} // namespace quorvel::test
