#include "tests/support/outside_folder.h"
#include "tests/ui/album_fixture.h"
#include "ui/main/picture_box.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace quorvel::test {
namespace {

const QString kCreated = "HTML Album successfully created, do you want to open the index?";

TEST_F(AlbumTest, AlbumOfTheWholeCollectionWritesIndexPagesAndTenLogLines) {
    AddInfo("A");
    AddPoster("A");
    AddInfo("B");
    AddInfo("C");
    Start();
    EXPECT_EQ(Find<QLineEdit>(creator, "Edit1")->text(), album);
    EXPECT_EQ(ListTitles(Qt::Checked), (QStringList{"A", "B", "C"}));
    SetTicked(List(), 2, false);
    scripted.dialogs.answers = {Button::Yes};
    Button("Button8")->click();

    EXPECT_EQ(PageLines("index.html").size(), 22);
    EXPECT_EQ(PageLines("A.html").size(), 11 + 4 + 4);
    EXPECT_TRUE(QFileInfo::exists(album + "/B.html"));
    EXPECT_FALSE(QFileInfo::exists(album + "/C.html"));
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 10) << log.join('\n').toStdString();
    const QLocale locale;
    const QString when = locale.toString(scripted.clock.now.date(), QLocale::ShortFormat) + " - " +
                         locale.toString(scripted.clock.now.time(), QLocale::LongFormat);
    EXPECT_EQ(log, (QStringList{"*** Starting Date-Time: " + when + " ***", "Creating Index...",
                                "Creating A entry...", "...Done.", "Creating B entry...",
                                "...Done.", "Creating pages...", "A.html created.",
                                "B.html created.", "*** Finished Date-Time: " + when + " ***"}));
    EXPECT_EQ(scripted.dialogs.messageTexts(), QStringList{kCreated});
    EXPECT_EQ(scripted.shell.opened, QStringList{IndexUrl()});
    EXPECT_FALSE(Find<QProgressBar>(creator, "ProgressBar1")->isVisible());
    EXPECT_EQ(Find<QProgressBar>(creator, "ProgressBar1")->value(), 4);
}

TEST_F(AlbumTest, NothingTickedWritesNothing) {
    AddInfo("A");
    Start();
    Button("Button5")->click();
    Button("Button8")->click();
    EXPECT_EQ(scripted.dialogs.messageTexts(),
              QStringList{"No movie/serie is selected. Please, Select at least one item on the "
                          "Movie List."});
    EXPECT_FALSE(QFileInfo::exists(album));
}

// A filtered list names its index: empty means index.html; the title pages always lead back
// to index.html. Closing the request instead cancels the album before its index is written.
TEST_F(AlbumTest, AFilteredListAsksForTheIndexName) {
    struct Row {
        std::optional<QString> answer;
        QString index; // empty: nothing written
    };
    const Row rows[] = {
        {QString(""), "index.html"}, {QString("Drama"), "Drama.html"}, {std::nullopt, ""}};
    AddInfo("A");
    AddInfo("B");
    Start();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index.toStdString());
        QDir(album).removeRecursively();
        scripted.dialogs.messages.clear();
        scripted.shell.opened.clear();
        scripted.dialogs.openAnswers = {WriteList("B.txt\r\nA.txt\r\n")};
        Button("Button14")->click();
        EXPECT_EQ(Caption(), "HTML Page creation - Movie list (Filtered list)");
        EXPECT_EQ(ListTitles(Qt::Unchecked), (QStringList{"B", "A"}));
        Button("Button4")->click();
        AnswerNameRequest(row.answer);
        scripted.dialogs.answers = {Button::Yes};
        Button("Button8")->click();

        EXPECT_FALSE(request->isVisible());
        EXPECT_FALSE(creator->Creating());
        EXPECT_FALSE(Find<QProgressBar>(creator, "ProgressBar1")->isVisible());
        if (row.index.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(album));
            EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();
            EXPECT_EQ(Log().filter("Album creation cancelled").size(), 1)
                << Log().join('\n').toStdString();
            continue;
        }
        EXPECT_EQ(QDir(album).entryList(QDir::Files), (QStringList{"A.html", "B.html", row.index}));
        EXPECT_EQ(scripted.shell.opened, QStringList{IndexUrl(row.index)});
        EXPECT_TRUE(PageLines("A.html").contains(
            "<center><form action=\"" + IndexUrl() +
            "\"> <button type=\"submit\">Back to Index</button></form></center>"));
    }
}

TEST_F(AlbumTest, AnUnreadableInfoTextLeavesThatPageEmptyAndTheOthersWhole) {
    AddInfo("A");
    AddInfo("B");
    Start();
    ASSERT_TRUE(QFile::remove(collection + "/A.txt"));
    scripted.dialogs.answers = {Button::No};
    Button("Button8")->click();
    EXPECT_EQ(PageLines("A.html").size(), 15);
    EXPECT_EQ(PageLines("B.html").size(), 19);
    EXPECT_TRUE(Log().at(7).startsWith("A.html created without its information: "))
        << Log().at(7).toStdString();
    EXPECT_EQ(Log().at(8), "B.html created.");
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_EQ(scripted.dialogs.messages[0].kind, MessageKind::Warning);
    EXPECT_TRUE(scripted.dialogs.messages[0].text.startsWith("HTML Album created, but 1 of its 2"));
    EXPECT_FALSE(Find<QProgressBar>(creator, "ProgressBar1")->isVisible());
}

// A loaded line leading out of the collection is previewed as a title without files and gets
// neither an index entry nor a page: the user's own page of that name out there stays as it was.
TEST_F(AlbumTest, ALoadedLineLeadingOutGetsNoPageAndNoEntry) {
    AddInfo("A");
    AddPoster("A");
    const OutsideFolder outside(AppFolder() + "outside", "victim\r\nprivate notes\r\n");
    const QStringList up = outside.LinesFrom(collection);
    Start();
    scripted.dialogs.openAnswers = {WriteList(("A.txt\r\n" + up.join("\r\n") + "\r\n").toUtf8())};
    Button("Button14")->click();
    for (int row : {0, 1, 2})
        SelectRow(List(), row);
    EXPECT_EQ(Find<QPlainTextEdit>(creator, "Memo1")->toPlainText(), "A\n\nTYPE\nmovie");
    EXPECT_TRUE(Find<PictureBox>(creator, "Image1")->picture().isNull());

    Button("Button4")->click();
    AnswerNameRequest(QString());
    scripted.dialogs.answers = {Button::No};
    Button("Button8")->click();
    EXPECT_TRUE(outside.Untouched());
    EXPECT_EQ(QDir(album).entryList(QDir::Files), (QStringList{"A.html", "index.html"}));
    EXPECT_EQ(PageLines("index.html").size(), 13 + 4 + 1);
    const QStringList log = Log();
    for (const QString& line : up) {
        SCOPED_TRACE(line.toStdString());
        const QString title = line.chopped(4);
        const QString reason = "Cannot open " + collection + "/" + line +
                               ": not the name of a file in the collection folder";
        const qsizetype entry = log.indexOf("Creating " + title + " entry...");
        ASSERT_GE(entry, 0) << log.join('\n').toStdString();
        EXPECT_EQ(log.value(entry + 1), "...left out: " + reason);
        EXPECT_TRUE(log.contains(title + ".html not created: " + reason));
    }
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_TRUE(scripted.dialogs.messages[0].text.startsWith("HTML Album created, but 2 of its 3"));
}

TEST_F(AlbumTest, ChangingTheAlbumFolderRefreshesAndTicksTheWholeCollection) {
    AddInfo("A");
    AddInfo("B");
    Start();
    scripted.dialogs.openAnswers = {WriteList("B.txt\r\n")};
    Button("Button14")->click();
    ASSERT_EQ(ListTitles(Qt::Unchecked), QStringList{"B"});
    scripted.dialogs.folderAnswers = {AppFolder() + "Elsewhere"};
    Button("Button2")->click();
    EXPECT_EQ(creator->AlbumFolder(), AppFolder() + "Elsewhere");
    EXPECT_EQ(ListTitles(Qt::Checked), (QStringList{"A", "B"}));
    EXPECT_EQ(Caption(), "HTML Page creation - Movie list");

    // Selecting previews and enables the single ticks; a cancelled pick changes nothing.
    SelectRow(List(), 0);
    EXPECT_EQ(Find<QPlainTextEdit>(creator, "Memo1")->toPlainText(), "A\n\nTYPE\nmovie");
    Button("Button7")->click();
    EXPECT_EQ(ListTitles(Qt::Checked), QStringList{"B"});
    Button("Button2")->click();
    EXPECT_EQ(ListTitles(Qt::Checked), QStringList{"B"});
}

TEST_F(AlbumTest, SavePathStoresTheFolderAndLoadSavedPathReadsIt) {
    Start();
    Button("Button9")->click();
    EXPECT_EQ(creator->AlbumFolder(), AppFolder());
    Button("Button1")->click();
    Button("Button2")->click(); // cancelled
    creator->SetAlbumFolder("/elsewhere");
    Button("Button10")->click();
    EXPECT_EQ(creator->AlbumFolder(), AppFolder());
    EXPECT_EQ(scripted.dialogs.messageTexts(),
              QStringList{"Local HTML page folder path is saved."});
    EXPECT_TRUE(ReadFileBytes(OptionsPath()).contains("SavingPath=" + AppFolder().toUtf8()));
}

// Launch, Desktop Shortcut and the off-line tab's "Local HTML" before and after an album.
TEST_F(AlbumTest, OpeningCommandsNeedTheIndex) {
    Start();
    const QString index = album + "/index.html";
    Button("Button12")->click();
    Button("Button11")->click();
    scripted.dialogs.answers = {Button::Yes};
    FindInMain<QPushButton>("Button40")->click();
    EXPECT_EQ(scripted.dialogs.messageTexts(),
              (QStringList{index + " does not exist", index + " does not exist",
                           index + " does not exist. Do you want to create a local HTML album?"}));
    EXPECT_TRUE(creator->isVisible());
    EXPECT_TRUE(scripted.shell.opened.isEmpty());

    ASSERT_TRUE(QDir().mkpath(album));
    ASSERT_TRUE(WriteFileBytes(index, "<html></html>\r\n"));
    scripted.dialogs.messages.clear();
    Button("Button12")->click();
    FindInMain<QPushButton>("Button40")->click();
    EXPECT_EQ(scripted.shell.opened, (QStringList{IndexUrl(), IndexUrl()}));
    struct Row {
        Result<bool> made;
        QStringList said;
    };
    const Row rows[] = {
        {true, {"Shortcut (index.html) created on the desktop successfully"}},
        {false, {}},
        {Failure("Cannot create the desktop folder"), {"Cannot create the desktop folder"}},
    };
    for (const Row& row : rows) {
        scripted.dialogs.messages.clear();
        scripted.shell.shortcutResult = row.made;
        Button("Button11")->click();
        EXPECT_EQ(scripted.dialogs.messageTexts(), row.said);
    }
    EXPECT_EQ(scripted.shell.shortcuts, (QStringList{index, index, index}));
}

} // namespace
} // namespace quorvel::test
