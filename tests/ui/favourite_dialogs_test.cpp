#include "tests/support/list_view.h"
#include "tests/ui/video_fixture.h"
#include "ui/main/checkable_list.h"

namespace quorvel::test {
namespace {

class FavouriteDialogsTest : public VideoTest {
protected:
    QStringList ListBox1() const {
        auto* list = Find<QListWidget>(Add(), "ListBox1");
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }
    QListView* CheckList() const { return Find<QListView>(Manage(), "CheckListBox1"); }
    void Click(QWidget* window, const char* name) { Find<QPushButton>(window, name)->click(); }
    void Tick(int row) { SetTicked(CheckList(), row, true); }
    void Select(int row) { SelectRow(CheckList(), row); }
    QLineEdit* RenameBox() const { return Find<QLineEdit>(Manage(), "Edit1"); }

    const QString zulu = Entry("Zulu", "zzzzzzzzzzz");
    const QString alien = Entry("alien", "aaaaaaaaaaa");
    const QString heat = Entry("Heat", "hhhhhhhhhhh");
};

TEST_F(FavouriteDialogsTest, AddingKeepsTheListSortedAndRefusesADuplicateInOtherCase) {
    WriteFavourites({zulu, alien});
    StartWith();
    EXPECT_EQ(ListBox1(), (QStringList{alien, zulu}));
    EXPECT_EQ(ComboItems(), (QStringList{alien, zulu}));
    EXPECT_EQ(Manage()->Entries(), (QStringList{zulu, alien})); // file order
    EXPECT_FALSE(Find<QListWidget>(Add(), "ListBox1")->isVisibleTo(Add()));

    Edit4()->setText(Watch("tg1"));
    tab->SpeedButton4Click();
    auto* title = Find<QLineEdit>(Add(), "Edit2");
    EXPECT_FALSE(Find<QPushButton>(Add(), "Button1")->isEnabled());
    title->setText("Top=Gun");
    ASSERT_TRUE(Find<QPushButton>(Add(), "Button1")->isEnabled());
    Click(Add(), "Button1");

    const QStringList sorted{alien, Entry("TopGun", "tg1"), zulu};
    EXPECT_EQ(ReadFileBytes(FavouritesFile()), FileOf(sorted));
    EXPECT_EQ(ComboItems(), sorted);
    EXPECT_EQ(Messages(), "Favourite trailer added to the list");
    EXPECT_FALSE(Add()->isVisible());
    EXPECT_EQ(title->text(), ""); // emptied on closing

    ForgetStartup();
    tab->SpeedButton4Click();
    title->setText("TOP=GUN");
    Click(Add(), "Button1");
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_EQ(scripted.dialogs.messages[0].text, "TOPGUN already exists.");
    EXPECT_EQ(scripted.dialogs.messages[0].kind, MessageKind::Information);
    EXPECT_EQ(scripted.dialogs.messages[0].buttons, Buttons::Abort);
    EXPECT_TRUE(Add()->isVisible());
    EXPECT_EQ(ReadFileBytes(FavouritesFile()), FileOf(sorted));
}

TEST_F(FavouriteDialogsTest, AnAddThatCannotBeSavedSaysSoAndStaysInTheList) {
    favFolder += "/missing"; // never created: the file cannot be written
    StartWith();
    tab->SpeedButton4Click();
    Find<QLineEdit>(Add(), "Edit2")->setText("Heat");
    Click(Add(), "Button1");
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_EQ(scripted.dialogs.messages[0].text, FavouritesFile() + " cannot be save.");
    EXPECT_EQ(scripted.dialogs.messages[0].buttons, Buttons::Abort);
    EXPECT_EQ(ComboItems(), QStringList{Entry("Heat", "")});
}

TEST_F(FavouriteDialogsTest, ManageRenamesDeletesAndSavesOnlyWithASelection) {
    WriteFavourites({zulu, alien, heat});
    StartWith();
    Manage()->Open();
    EXPECT_TRUE(scripted.dialogs.messages.empty());
    EXPECT_EQ(Manage()->SaveDialog().startFolder, favFolder);

    Select(1);
    EXPECT_EQ(RenameBox()->text(), "alien");
    RenameBox()->setText("Alien=Director's cut");
    Click(Manage(), "Button6");
    const QString renamed = Entry("Alien=Director's cut", "aaaaaaaaaaa");
    EXPECT_EQ(Manage()->Entries(), (QStringList{zulu, renamed, heat}));

    Tick(0);
    Click(Manage(), "Button2"); // the selected entry stays
    EXPECT_EQ(RenameBox()->text(), "");
    Click(Manage(), "Button5");
    EXPECT_EQ(ReadFileBytes(FavouritesFile()), FileOf({renamed, heat}));
    EXPECT_EQ(Messages(), "Favourites.lst is saved");

    const QString other = AppFolder() + "Other.lst";
    ASSERT_TRUE(WriteFileBytes(other, "old"));
    scripted.dialogs.saveAnswers = {other, other};
    scripted.dialogs.answers = {Button::No, Button::Yes};
    Click(Manage(), "Button9");
    EXPECT_EQ(ReadFileBytes(other), "old");
    Click(Manage(), "Button9");
    EXPECT_EQ(ReadFileBytes(other), FileOf({renamed, heat}));
    EXPECT_EQ(scripted.dialogs.messages.back().text,
              "Other.lst exists, do you want to overwrite it?");
    EXPECT_EQ(scripted.dialogs.messages.back().kind, MessageKind::Warning);

    // Removing the selected entry leaves nothing selected: both saves do nothing.
    ForgetStartup();
    Click(Manage(), "Button3");
    Click(Manage(), "Button2");
    EXPECT_TRUE(Manage()->Entries().isEmpty());
    Click(Manage(), "Button5");
    Click(Manage(), "Button9");
    EXPECT_TRUE(scripted.dialogs.messages.empty());
    EXPECT_EQ(scripted.dialogs.saveRequests.size(), 2u);
    EXPECT_EQ(ReadFileBytes(FavouritesFile()), FileOf({renamed, heat}));

    Click(Manage(), "Button1"); // reload
    EXPECT_EQ(Manage()->Entries(), (QStringList{renamed, heat}));
}

TEST_F(FavouriteDialogsTest, CloseAndApplyReplacesBothSortedListsWithoutWriting) {
    WriteFavourites({zulu, alien});
    StartWith();
    Manage()->Open();
    // As a rename would leave it.
    static_cast<CheckableListModel*>(CheckList()->model())->SetEntries({zulu, alien, heat});
    Click(Manage(), "Button8");
    EXPECT_FALSE(Manage()->isVisible());
    EXPECT_EQ(ComboItems(), (QStringList{alien, zulu}));

    Manage()->Open();
    EXPECT_EQ(Manage()->Entries(), (QStringList{zulu, alien, heat})); // edits kept
    Click(Manage(), "Button7");
    EXPECT_FALSE(Manage()->isVisible());
    EXPECT_EQ(ComboItems(), (QStringList{alien, heat, zulu}));
    EXPECT_EQ(ListBox1(), (QStringList{alien, heat, zulu}));
    EXPECT_EQ(ReadFileBytes(FavouritesFile()), FileOf({zulu, alien}));
}

TEST_F(FavouriteDialogsTest, WithoutAFileEveryListStartsEmptyAndManageSaysSo) {
    StartWith();
    EXPECT_TRUE(ComboItems().isEmpty());
    EXPECT_TRUE(ListBox1().isEmpty());
    Manage()->Open();
    EXPECT_TRUE(Manage()->isVisible());
    EXPECT_EQ(Messages(), "They are no favourites to manage");
}

} // namespace
} // namespace quorvel::test
