#include "tests/support/outside_folder.h"
#include "tests/ui/offline_fixture.h"

#include "ui/main/list_loader.h"
#include "ui/main/shared_dialogs.h"

namespace quorvel::test {
namespace {

class ListLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { services = scripted.services(); }
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.path() + "/" + name;
        EXPECT_TRUE(WriteFileBytes(path, bytes)) << path.toStdString();
        return path;
    }
    ScriptedServices scripted;
    Services services;
    QTemporaryDir dir;
    SharedDialogs dialogs;
};

TEST_F(ListLoaderTest, GivesTheLinesOfTheChosenFileAsTheyAre) {
    scripted.dialogs.openAnswers = {Write("lf.list", "Heat.txt\n\nHeat.txt\nAlien\n"),
                                    Write("crlf.list", "Heat.txt\r\n\r\nHeat.txt\r\nAlien\r\n")};
    const QStringList expected{"Heat.txt", "", "Heat.txt", "Alien"};
    EXPECT_EQ(AskFilteredList(services, dialogs.filteredList), expected);
    EXPECT_EQ(AskFilteredList(services, dialogs.filteredList), expected);
    EXPECT_TRUE(scripted.dialogs.messages.empty());
    ASSERT_EQ(scripted.dialogs.openRequests.size(), 2u);
    EXPECT_EQ(scripted.dialogs.openRequests.front().defaultSuffix, "list");
    // The next loader opens where the user last found a list.
    EXPECT_EQ(dialogs.filteredList.startFolder, dir.path());
}

TEST_F(ListLoaderTest, CancelEmptyAndUnreadableGiveNothing) {
    const QString gone = dir.path() + "/gone.list";
    scripted.dialogs.openAnswers = {std::nullopt, Write("empty.list", ""), gone};
    EXPECT_FALSE(AskFilteredList(services, dialogs.filteredList).has_value());
    EXPECT_FALSE(AskFilteredList(services, dialogs.filteredList).has_value());
    EXPECT_TRUE(scripted.dialogs.messages.empty());
    EXPECT_FALSE(AskFilteredList(services, dialogs.filteredList).has_value());
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_EQ(scripted.dialogs.messages.front().kind, MessageKind::Error);
    EXPECT_EQ(scripted.dialogs.messages.front().buttons, Buttons::Ok);
    EXPECT_FALSE(scripted.dialogs.messages.front().text.isEmpty());
}

// What the off-line tab lists for a loaded list: the poster item before the text item, the
// text item whether or not it exists, titles taken as the entry less four characters.
TEST_F(OfflineTabTest, FilteredListItemsFollowTheEntries) {
    AddInfo("Alien");
    AddPoster("Alien");
    AddPoster("A");
    AddInfo("Heat");
    const QString listPath = appDir.path() + "/odd.list";
    ASSERT_TRUE(
        WriteFileBytes(listPath, "Alien.txt\r\nAlien\r\n\r\nHeat.txt\r\nHeat.txt\r\nGone.txt\r\n"));
    Start();
    scripted.dialogs.openAnswers = {listPath};
    tab->Button52Click();
    EXPECT_EQ(Entries(), (QStringList{"Alien.jpg", "Alien.txt", "A.jpg", "A.txt", ".txt",
                                      "Heat.txt", "Heat.txt", "Gone.txt"}));
    EXPECT_EQ(CountLabel(), "Collection count: 6 Text Info and 2 Poster (Filtered list)");
}

// A line leading out of the collection is listed as its text item and shows as a missing
// record: the files it names are never read.
TEST_F(OfflineTabTest, ALineLeadingOutOfTheCollectionShowsAsAMissingRecord) {
    AddInfo("Heat");
    AddPoster("Heat");
    const OutsideFolder outside(appDir.path() + "/outside", "victim\r\n");
    QStringList lines = outside.LinesFrom(collection());
    lines << "Gone.txt";
    const QString listPath = appDir.path() + "/hostile.list";
    ASSERT_TRUE(WriteFileBytes(listPath, (lines.join("\r\n") + "\r\n").toUtf8()));
    Start();
    for (const QString& line : lines) {
        SCOPED_TRACE(line.toStdString());
        MoveTo("Heat.txt");
        scripted.dialogs.openAnswers = {listPath};
        tab->Button52Click();
        EXPECT_EQ(Entries(), lines); // no poster item for victim.jpg
        MoveTo(line);
        EXPECT_EQ(Memo2()->toPlainText(), "NO INFORMATION FOUND");
        EXPECT_TRUE(Image2().isNull());
        EXPECT_FALSE(Label10()->isHidden());
        EXPECT_EQ(Entries(), (QStringList{"Heat.jpg", "Heat.txt"}));
        EXPECT_EQ(CountLabel(), "Collection count: 1 Text Info and 1 Poster");
    }
    EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();
}

} // namespace
} // namespace quorvel::test
