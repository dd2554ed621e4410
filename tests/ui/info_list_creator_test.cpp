// Info List Creator: listing, the genre and text filters, the preview, saved lists, printing and
// the three hand-overs.

#include "tests/support/list_view.h"
#include "tests/support/outside_folder.h"
#include "tests/support/window_fixture.h"
#include "ui/main/main_window.h"
#include "ui/main/picture_box.h"
#include "ui/main/search_offline_tab.h"
#include "ui/tools/album_creator.h"
#include "ui/tools/info_list_creator.h"
#include "ui/tools/info_text_editor.h"
#include "ui/tools/reader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

#include <tuple>
#include <utility>

namespace quorvel::test {
namespace {

class InfoListCreatorTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        folder = MakeFolder();
        WriteOptions("[Settings]\r\nSavingPath=" + folder.toUtf8() + "\r\n");
    }
    void TearDown() override {
        if (app)
            app->windows().form6->hide();
        WindowFixture::TearDown();
    }
    void Start() {
        WindowFixture::Start();
        form = app->windows().form12;
        ASSERT_NE(form, nullptr);
        // A user works in the window once it is open; it lists the collection then.
        form->Open();
        ForgetStartup();
    }
    // Five titles whose genre lines the genre filter must read exactly.
    void StartWithGenres() {
        Add("Musical", "GENRE", "Musical, Drama");
        Add("Alien", "GENRE", "Action, Sci-Fi", "Ridley Scott");
        Add("Lower", "Genre", "Action");
        Add("Padded", " GENRE ", "Comedy");
        Add("Heat", "GENRE", "Action, Crime, Comedy");
        Start();
    }

    void Add(const QString& title, const QString& label, const QString& genre,
             const QString& director = "N/A") {
        const QStringList lines{title, "", label, genre, "", "DIRECTOR", director, ""};
        ASSERT_TRUE(WriteFileBytes(In(title + ".txt"), (lines.join("\r\n") + "\r\n").toLatin1()));
    }
    QImage AddPoster(const QString& title) {
        QImage image(30, 40, QImage::Format_RGB32);
        image.fill(Qt::green);
        EXPECT_TRUE(image.save(In(title + ".jpg"), "JPG"));
        return image;
    }
    QString In(const QString& name) const { return folder + "/" + name; }

    template <typename W> W* Find(const char* name) const {
        return WindowFixture::Find<W>(form, name);
    }
    QListView* List() const { return Find<QListView>("MovieListExport"); }
    QString Text(const char* label) const { return Find<QLabel>(label)->text(); }
    void Click(const char* button) { Find<QPushButton>(button)->click(); }
    void Tick(const QString& entry) { SetTicked(List(), RowOf(List(), entry), true); }
    void Select(const QString& entry) { SelectRow(List(), RowOf(List(), entry)); }
    void PickGenre(const QString& genre) {
        QComboBox* box = Find<QComboBox>("ComboBox1");
        box->setCurrentIndex(box->findText(genre));
        Q_EMIT box->activated(box->currentIndex());
    }
    void TypeGenre(const QString& text) {
        QLineEdit* edit = Find<QComboBox>("ComboBox1")->lineEdit();
        edit->setText(text);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &enter);
    }
    void Search(const QString& query) {
        Find<QLineEdit>("Edit2")->setText(query);
        Click("Button10");
    }
    void LoadList(const QStringList& entries) {
        const QString path = AppFolder() + "saved.list";
        ASSERT_TRUE(WriteFileBytes(path, (entries.join("\r\n") + "\r\n").toUtf8()));
        scripted.dialogs.openAnswers.push_back(path);
        Click("Button13");
    }

    QString folder;
    TForm12* form = nullptr;
};

TEST_F(InfoListCreatorTest, StartsWithTheFolderListedAndOpensFromTheOptionsTab) {
    Add("Heat", "GENRE", "Crime");
    Add("notes", "GENRE", "x");
    ASSERT_TRUE(QFile::rename(In("notes.txt"), In("notes.TXT")));
    AddPoster("Heat");
    Start();
    EXPECT_EQ(form->windowTitle(), "Info List Creator");
    EXPECT_EQ(form->size(), QSize(776, 715));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->ListEntries(), (QStringList{"Heat.txt", "notes.TXT"}));
    EXPECT_TRUE(form->TickedEntries().isEmpty());
    EXPECT_EQ(Text("Label3"), "  Collection count: 2 Text");
    EXPECT_EQ(Text("Label7"), "  No Info selected");
    EXPECT_EQ(Text("Label13"), "Portable mode off");
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), folder);
    const QComboBox* genres = Find<QComboBox>("ComboBox1");
    EXPECT_EQ(genres->count(), 23);
    EXPECT_EQ(genres->currentText(), "ANY GENRE");
    EXPECT_EQ(genres->itemText(15), "MUSICAL");
    EXPECT_EQ(genres->itemText(22), "WESTERN");
    for (const char* off : {"Button10", "Button11", "Button16"})
        EXPECT_FALSE(Find<QPushButton>(off)->isEnabled()) << off;
    EXPECT_TRUE(Find<QCheckBox>("CheckBox20")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("CheckBox19")->isChecked());
    EXPECT_TRUE(Find<QProgressBar>("ProgressBar1")->isHidden());
    EXPECT_TRUE(Find<QWidget>("Panel2"));

    FindInMain<QPushButton>("Button51")->click();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isModal());
}

TEST_F(InfoListCreatorTest, GenreFilterReadsOnlyTheLineAfterAnExactLabel) {
    StartWithGenres();
    const struct {
        QString genre;
        QStringList kept;
    } rows[] = {
        {"MUSIC", {"Musical.txt"}},             // a substring test
        {"SCI-FI", {"Alien.txt"}},              // any genre of the line
        {"ACTION", {"Alien.txt", "Heat.txt"}},  // "Genre" is no label
        {"COMEDY", {"Heat.txt", "Padded.txt"}}, // blanks around the label do not count
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.genre.toStdString());
        PickGenre("ANY GENRE");
        EXPECT_EQ(form->ListEntries().size(), 5);
        PickGenre(row.genre);
        EXPECT_EQ(form->ListEntries(), row.kept);
        EXPECT_EQ(form->TickedEntries(), row.kept); // Auto Select all
        EXPECT_EQ(Text("Label3"),
                  QString("  Filtered Collection count: %1 Text").arg(row.kept.size()));
    }
    EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();
}

TEST_F(InfoListCreatorTest, FiltersAddUpTickedTitlesCanBeProtectedAndAnyGenreRestores) {
    StartWithGenres();
    PickGenre("ACTION");
    TypeGenre("comedy");
    EXPECT_EQ(form->ListEntries(), (QStringList{"Heat.txt"}));
    PickGenre("ANY GENRE");
    EXPECT_EQ(form->ListEntries().size(), 5);
    EXPECT_EQ(form->TickedEntries().size(), 5);
    EXPECT_EQ(Text("Label3"), "  Collection count: 5 Text");

    Find<QCheckBox>("CheckBox20")->setChecked(false);
    const struct {
        bool protect;
        QStringList kept;
    } rows[] = {{true, {"Alien.txt", "Heat.txt", "Musical.txt"}},
                {false, {"Alien.txt", "Heat.txt"}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.protect);
        Click("Button1");
        Tick("Musical.txt");
        Find<QCheckBox>("CheckBox19")->setChecked(row.protect);
        TypeGenre(" ction "); // typed text counts as a genre, upper-cased and trimmed
        EXPECT_EQ(form->ListEntries(), row.kept);
        EXPECT_EQ(form->TickedEntries(), row.protect ? QStringList{"Musical.txt"} : QStringList{});
    }
}

TEST_F(InfoListCreatorTest, TextFilterIgnoresLetterCaseAndABlankQueryKeepsOnlyProtectedTitles) {
    StartWithGenres();
    QLineEdit* query = Find<QLineEdit>("Edit2");
    query->setText("x");
    EXPECT_TRUE(Find<QPushButton>("Button10")->isEnabled());
    Click("Button11");
    EXPECT_TRUE(query->text().isEmpty());
    EXPECT_FALSE(Find<QPushButton>("Button10")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("Button11")->isEnabled());

    Search("  ridley scott ");
    EXPECT_EQ(form->ListEntries(), (QStringList{"Alien.txt"}));
    Find<QCheckBox>("CheckBox19")->setChecked(true);
    PickGenre("ANY GENRE");
    Click("Button3");
    Tick("Lower.txt");
    Search("   ");
    EXPECT_EQ(form->ListEntries(), (QStringList{"Lower.txt"}));
}

TEST_F(InfoListCreatorTest, AnEmptyListRefusesToFilterAndAnUnreadableTextStaysWithOneMessage) {
    StartWithGenres();
    ASSERT_TRUE(QFile::remove(In("Heat.txt")));
    ASSERT_TRUE(QFile::remove(In("Lower.txt")));
    PickGenre("SCI-FI");
    EXPECT_EQ(form->ListEntries(), (QStringList{"Alien.txt", "Heat.txt", "Lower.txt"}));
    EXPECT_EQ(scripted.dialogs.messageTexts(),
              (QStringList{"Unable to read Heat.txt .", "Unable to read Lower.txt ."}));
    EXPECT_EQ(scripted.dialogs.messages.front().kind, MessageKind::Error);

    for (const char* name : {"Alien.txt", "Musical.txt", "Padded.txt"})
        ASSERT_TRUE(QFile::remove(In(name)));
    scripted.dialogs.messages.clear();
    Click("Button1"); // nothing left to list
    EXPECT_EQ(Text("Label3"), "  Collection count: 0 Text");
    PickGenre("ACTION");
    Search("x");
    EXPECT_EQ(scripted.dialogs.messageTexts(),
              QStringList(2, "Nothing to filter, the list is empty."));
}

TEST_F(InfoListCreatorTest, SelectingShowsTheTitleItsOwnPosterAndOpensTheReader) {
    StartWithGenres();
    const QImage poster = AddPoster("Alien");
    Select("Alien.txt");
    EXPECT_EQ(Text("Label7"), "  Alien.txt");
    EXPECT_TRUE(Find<QPlainTextEdit>("Memo1")->toPlainText().startsWith("Alien\n\nGENRE"));
    EXPECT_EQ(form->ShownPoster().size(), poster.size());
    Click("Button16");
    TForm6* reader = app->windows().form6;
    EXPECT_TRUE(reader->isVisible());
    EXPECT_EQ(reader->findChild<PictureBox*>("Image1")->picture().size(), poster.size());

    Select("Heat.txt");
    EXPECT_TRUE(form->ShownPoster().isNull()); // never the previous title's
    ASSERT_TRUE(QFile::remove(In("Musical.txt")));
    Select("Musical.txt");
    EXPECT_EQ(scripted.dialogs.messageTexts(),
              QStringList{"Cannot open: " + In("Musical.txt") + ". Operation is aborted."});
    EXPECT_EQ(scripted.dialogs.messages.back().buttons, Buttons::Abort);
    EXPECT_EQ(Text("Label7"), "  No Info selected");
    EXPECT_FALSE(Find<QPushButton>("Button16")->isEnabled());

    Select("Heat.txt");
    PickGenre("ACTION"); // a filter empties the preview and forgets its entry
    EXPECT_EQ(Text("Label7"), "  No Info selected");
    EXPECT_TRUE(Find<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());
}

TEST_F(InfoListCreatorTest, SaveAsWritesTheShownTextAfterAskingAboutAnExistingFile) {
    StartWithGenres();
    Select("Heat.txt");
    Find<QCheckBox>("CheckBox1")->setChecked(false);
    QPlainTextEdit* memo = Find<QPlainTextEdit>("Memo1");
    EXPECT_FALSE(memo->isReadOnly());
    memo->setPlainText("Heat\nedited");
    const QString target = AppFolder() + "copy.txt";
    ASSERT_TRUE(WriteFileBytes(target, "old"));
    scripted.dialogs.saveAnswers = {target, target};
    scripted.dialogs.answers = {Button::No, Button::Yes};
    Click("Button9");
    EXPECT_EQ(ReadFileBytes(target), "old");
    Click("Button9");
    EXPECT_EQ(ReadFileBytes(target), "Heat\r\nedited\r\n");
    EXPECT_EQ(scripted.dialogs.saveRequests.front().proposedName, "Heat.txt");
    EXPECT_EQ(scripted.dialogs.saveRequests.front().startFolder, folder);
    EXPECT_EQ(scripted.dialogs.messages.front().text,
              "copy.txt exists. Do you want to overwritte it?");
}

TEST_F(InfoListCreatorTest, SavedListsHoldTheirEntriesAndLoadBackUnticked) {
    StartWithGenres();
    const QString all = AppFolder() + "all.list";
    const QString none = AppFolder() + "none.list";
    scripted.dialogs.saveAnswers = {all, none};
    Click("Button4");
    Click("Button5"); // nothing ticked
    EXPECT_EQ(ReadFileBytes(all),
              "Alien.txt\r\nHeat.txt\r\nLower.txt\r\nMusical.txt\r\nPadded.txt\r\n");
    EXPECT_TRUE(QFileInfo::exists(none));
    EXPECT_EQ(ReadFileBytes(none), "");
    EXPECT_EQ(scripted.dialogs.saveRequests.at(1).proposedName,
              "Movie Information List (Selection)");

    LoadList({"Heat.txt", "Gone.txt", "Heat.txt"});
    EXPECT_EQ(form->ListEntries(), (QStringList{"Heat.txt", "Gone.txt", "Heat.txt"}));
    EXPECT_TRUE(form->TickedEntries().isEmpty());
    EXPECT_EQ(Text("Label3"), "  Filtered Collection count: 3 Text");
}

TEST_F(InfoListCreatorTest, PrintPresetsThePagesThePrinterFillsAndPrintsEveryTickedEntry) {
    Start();
    Click("Button6");
    EXPECT_EQ(scripted.dialogs.messageTexts(),
              QStringList{"Nothing selected in the list, nothing to print."});
    QStringList entries;
    for (int n = 1; n <= 141; ++n)
        entries << QString("Title %1.txt").arg(n);
    LoadList(entries);
    // The pages the printer's own page holds: 70 lines a page here.
    for (const auto& [ticked, pages] :
         {std::pair{1, 1}, std::pair{70, 1}, std::pair{71, 2}, std::pair{141, 3}}) {
        SCOPED_TRACE(ticked);
        Click("Button3");
        for (int row = 0; row < ticked; ++row)
            SetTicked(List(), 140 - row, true);
        Click("Button6");
        const PrintPageRange range = scripted.printer.printDialogs.back();
        EXPECT_EQ(std::tuple(range.first, range.last, range.lowest, range.highest),
                  std::tuple(1, pages, 1, pages));
        EXPECT_EQ(scripted.printer.printedLines.back().size(), ticked);
    }
    EXPECT_EQ(scripted.printer.printedLines.back().front(), "Title 1.txt");
}

TEST_F(InfoListCreatorTest, SendCommandsHandOverOnlyWhatExistsOrSayThereIsNothing) {
    StartWithGenres();
    form->Open();
    const struct {
        const char* button;
        QString target;
    } sends[] = {{"Button12", "Local HTML Album"},
                 {"Button14", "Search Title Off Line"},
                 {"Button17", "Manage Info Text list"}};
    for (const auto& send : sends)
        Click(send.button);
    ASSERT_EQ(scripted.dialogs.messages.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(scripted.dialogs.messages.at(i).text,
                  "Nothing is selected to export to the '" + sends[i].target +
                      "' list. Please, select at least one title.");
    EXPECT_TRUE(form->isVisible());

    AddPoster("Heat");
    AddPoster("Gone");
    LoadList({"Heat.txt", "Alien.txt", "Gone.txt"});
    Click("Button2");
    Click("Button14");
    SearchOfflineTab* tab = Main().OfflineTab();
    EXPECT_EQ(tab->ListEntries(), (QStringList{"Heat.jpg", "Heat.txt", "Alien.txt", "Gone.jpg"}));
    EXPECT_TRUE(tab->findChild<QLabel*>("Label12")->text().endsWith(" (Filtered list)"));
    EXPECT_EQ(Main().Pages()->currentWidget(), tab);
    EXPECT_FALSE(form->isVisible());

    Click("Button17");
    EXPECT_EQ(app->windows().form5->ListEntries(),
              (QStringList{"Heat.txt", "Alien.txt", "Gone.txt"}));
    Click("Button12");
    TForm7* album = app->windows().form7;
    EXPECT_TRUE(album->isVisible());
    EXPECT_EQ(album->findChild<QLabel*>("Label2")->text(),
              "HTML Page creation - Movie list (Filtered list)");
    app->windows().form5->hide();
    album->hide();
}

// Only lines naming a file of the collection are handed on: an empty line, or one leading out of
// the folder, is read by no filter and sent by no command.
TEST_F(InfoListCreatorTest, EmptyLinesAndLinesLeadingOutAreNeitherReadNorSent) {
    Add("Heat", "GENRE", "Action");
    AddPoster("Heat");
    const OutsideFolder outside(AppFolder() + "outside", "victim\r\n\r\nGENRE\r\nAction\r\n");
    const QStringList hostile = outside.LinesFrom(folder) + QStringList{"", ".."};
    Start();
    const auto albumTitles = [this] {
        QStringList titles;
        titles = RowTexts(app->windows().form7->findChild<QListView*>("MovieListEdit"));
        return titles;
    };
    const struct {
        const char* button;
        QString target;
        std::function<QStringList()> received;
        QStringList expected;
    } sends[] = {
        {"Button14",
         "Search Title Off Line",
         [this] { return Main().OfflineTab()->ListEntries(); },
         {"Heat.jpg", "Heat.txt"}},
        {"Button17",
         "Manage Info Text list",
         [this] { return app->windows().form5->ListEntries(); },
         {"Heat.txt"}},
        {"Button12", "Local HTML Album", albumTitles, {"Heat"}},
    };
    for (const auto& send : sends) {
        SCOPED_TRACE(send.button);
        form->Open();
        LoadList(QStringList{"Heat.txt"} + hostile);
        Click("Button2");
        Click(send.button);
        EXPECT_EQ(send.received(), send.expected);
        form->Open();
        LoadList(hostile);
        Click("Button2");
        scripted.dialogs.messages.clear();
        Click(send.button);
        EXPECT_EQ(scripted.dialogs.messageTexts(),
                  QStringList{"Nothing is selected to export to the '" + send.target +
                              "' list. Please, select at least one title."});
        EXPECT_EQ(send.received(), send.expected);
    }

    scripted.dialogs.messages.clear();
    PickGenre("ACTION");
    EXPECT_EQ(form->ListEntries(), hostile);
    QStringList unreadable;
    for (const QString& line : hostile)
        unreadable << "Unable to read " + line + " .";
    EXPECT_EQ(scripted.dialogs.messageTexts(), unreadable);
    scripted.dialogs.messages.clear();
    Select(hostile.front());
    EXPECT_EQ(scripted.dialogs.messageTexts(),
              QStringList{"Cannot open: " + In(hostile.front()) + ". Operation is aborted."});
    EXPECT_EQ(Text("Label7"), "  No Info selected");
    EXPECT_TRUE(outside.Untouched());
}

} // namespace
} // namespace quorvel::test
