// Manage Info Text: listing, editing, saving, recycling, searching and the on-line update.

#include "tests/support/fake_web_server.h"
#include "tests/support/list_view.h"
#include "tests/support/outside_folder.h"
#include "tests/support/window_fixture.h"
#include "ui/main/main_window.h"
#include "ui/main/picture_box.h"
#include "ui/tools/info_text_editor.h"
#include "ui/windows.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <map>

namespace quorvel::test {
namespace {

const char* const kLabels[] = {"TYPE",    "YEAR",     "GENRE",     "RATED",       "RELEASED",
                               "RUNTIME", "DIRECTOR", "WRITER",    "ACTORS",      "LANGUAGE",
                               "COUNTRY", "AWARDS",   "METASCORE", "IMDB RATING", "IMDB VOTES",
                               "IMDB ID", "PLOT"};

// A record as the windows write it: every section "N/A" unless given, then the notes.
QStringList Record(const QString& title, const std::map<QString, QStringList>& values,
                   const QStringList& notes = {"N/A"}) {
    QStringList lines{title, ""};
    for (const char* label : kLabels) {
        const auto found = values.find(QString::fromLatin1(label));
        lines << label << (found == values.end() ? QStringList{"N/A"} : found->second) << "";
    }
    lines << "ANY" << notes << "";
    return lines;
}

QByteArray Bytes(const QStringList& lines) {
    return (lines.join("\r\n") + "\r\n").toLatin1();
}

class InfoTextEditorTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        folder = MakeFolder();
        trash = AppFolder() + "Trash";
        scripted.shell.trashFolder = trash;
        server.serveFixture("/posters/shawshank.jpg", "omdb/poster.jpg", "image/jpeg");
        server.serveOmdbId("tt0111161", "omdb/shawshank.json");
        server.serveOmdbId("tt0000000", "omdb/not_found.json");
        server.serveOmdbId("tt0000001", "omdb/limit_reached.json", 401);
        WriteOptions("[Settings]\r\nSavingPath=" + folder.toUtf8() +
                     "\r\nOmdbAddress=" + server.baseAddress().toUtf8() + "\r\n");
    }
    void Start() {
        WindowFixture::Start();
        form = app->windows().form5;
        ASSERT_NE(form, nullptr);
        // A user works in the window once it is open; it lists the collection then.
        form->Open();
        list = Find<QListView>("MovieListEdit");
        ForgetStartup();
    }

    template <typename W> W* Find(const char* name) const {
        return WindowFixture::Find<W>(form, name);
    }
    QString Text(const char* edit) const { return Find<QLineEdit>(edit)->text(); }
    QString Memo(const char* memo) const { return Find<QPlainTextEdit>(memo)->toPlainText(); }
    bool Enabled(const char* button) const { return Find<QPushButton>(button)->isEnabled(); }
    void Tick(const char* box, bool on) { Find<QCheckBox>(box)->setChecked(on); }
    QString InFolder(const QString& name) const { return folder + "/" + name; }
    void Put(const QString& name, const QByteArray& bytes) {
        ASSERT_TRUE(WriteFileBytes(InFolder(name), bytes));
    }
    void PutPoster(const QString& name) {
        QImage image(30, 40, QImage::Format_RGB32);
        image.fill(Qt::blue);
        ASSERT_TRUE(image.save(InFolder(name), "JPG"));
    }
    void Select(const QString& entry) {
        const int row = RowOf(list, entry);
        ASSERT_GE(row, 0) << entry.toStdString();
        SelectRow(list, row);
    }
    void EditEntry(const QString& entry) {
        Select(entry);
        form->Button2Click();
    }

    FakeWebServer server;
    QString folder;
    QString trash;
    TForm5* form = nullptr;
    QListView* list = nullptr;
};

TEST_F(InfoTextEditorTest, RefreshListsInfoTextsOfAnyCaseAndSelectionDrivesTheButtons) {
    Put("Heat.txt", Bytes(Record("Heat", {})));
    PutPoster("Heat.jpg");
    Put("notes.TXT", "x\r\n");
    Put("tx", "x\r\n");
    Start();
    EXPECT_EQ(form->ListEntries(), (QStringList{"Heat.txt", "notes.TXT"}));
    EXPECT_EQ(Find<QLabel>("Label3")->text(), "Collection count: 2 Text");
    for (const char* b : {"Button2", "Button6", "Button9"})
        EXPECT_FALSE(Enabled(b)) << b;
    Select("Heat.txt");
    for (const char* b : {"Button2", "Button6", "Button9"})
        EXPECT_TRUE(Enabled(b)) << b;
    form->Button1Click();
    EXPECT_FALSE(Enabled("Button2"));
    EXPECT_TRUE(Enabled("Button9")); // Refresh leaves the update button as it was

    form->ReceiveFilteredList({"Heat.txt", "Gone.txt", "Heat.txt"});
    EXPECT_EQ(form->ListEntries(), (QStringList{"Heat.txt", "Gone.txt", "Heat.txt"}));
    EXPECT_EQ(Find<QLabel>("Label3")->text(), "Collection count: 3 Text (Filtered list)");
    EXPECT_FALSE(Enabled("Button2"));
}

TEST_F(InfoTextEditorTest, EditFillsTheFieldsFromTheRecord) {
    struct Row {
        const char* name;
        QStringList record;
        QString plot, notes, edit17;
        bool edit17Shown;
        QDate picked;
    };
    const std::vector<Row> rows = {
        {"two-line plot",
         Record("Heat", {{"PLOT", {"Part one.", " Part two."}}}),
         "Part one. Part two.",
         "N/A",
         "N/A",
         true,
         {}},
        {"notes with an empty line",
         Record("Heat", {}, {"First note", "", "After the gap"}),
         "N/A",
         "First note\n\nAfter the gap",
         "N/A",
         true,
         {}},
        {"service date", Record("Heat", {{"RELEASED", {"13 Nov 2015"}}}), "N/A", "N/A",
         "13 Nov 2015", false, QDate(2015, 11, 13)},
        {"empty file", {}, "", "", "", true, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Put("Heat.txt", row.record.isEmpty() ? QByteArray() : Bytes(row.record));
        if (!form)
            Start();
        EditEntry("Heat.txt");
        EXPECT_EQ(Text("Edit1"), row.record.isEmpty() ? "" : "Heat");
        EXPECT_EQ(Memo("Memo1"), row.plot);
        EXPECT_EQ(Memo("Memo3"), row.notes);
        EXPECT_EQ(Text("Edit17"), row.edit17);
        EXPECT_EQ(!Find<QLineEdit>("Edit17")->isHidden(), row.edit17Shown);
        if (row.picked.isValid()) {
            EXPECT_EQ(Find<QDateEdit>("DateTimePicker1")->date(), row.picked);
        }
    }
    EXPECT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();
}

TEST_F(InfoTextEditorTest, SaveWritesTheFieldsUnderTheTitle) {
    struct Row {
        const char* name;
        std::function<void()> prepare;
        std::deque<Button> answers;
        QString file;
        QByteArray bytes; // empty: nothing written
        QStringList messages;
    };
    const QString movies = AppFolder() + "Movies/";
    const std::vector<Row> rows = {
        {"empty title, aborted",
         [this] { Find<QLineEdit>("Edit1")->setText(" \t"); },
         {Button::Abort},
         "No_Name.txt",
         {},
         {"There is no title for this Movie or Serie. Are you sure you want to save this info "
          "using the default name (No_Name)?"}},
        {"every field empty, default name",
         [this] {
             for (QLineEdit* e : form->findChildren<QLineEdit*>())
                 e->clear();
             Find<QPlainTextEdit>("Memo1")->clear();
             Find<QPlainTextEdit>("Memo3")->setPlainText("  \n ");
         },
         {Button::Yes},
         "No_Name.txt",
         Bytes(Record("No_Name", {})),
         {"There is no title for this Movie or Serie. Are you sure you want to save this info "
          "using the default name (No_Name)?",
          "No_Name.txt successfully saved to " + movies + "."}},
        {"picked date",
         [this] {
             EditEntry("Dated.txt");
             Find<QDateEdit>("DateTimePicker1")->setDate(QDate(2016, 1, 5));
         },
         {},
         "Dated.txt",
         Bytes(Record("Dated", {{"RELEASED", {"05 Jan 2016"}}, {"IMDB ID", {"tt0000007"}}},
                      {"kept"})),
         {"Dated.txt successfully saved to " + movies + "."}},
        {"slash in the title",
         [this] { Find<QLineEdit>("Edit1")->setText("Face/Off"); },
         {},
         "Face/Off.txt",
         {},
         {"Cannot save " + movies + "Face/Off.txt"}},
        {"backslash in the title",
         [this] { Find<QLineEdit>("Edit1")->setText("AC\\DC"); },
         {},
         "AC\\DC.txt",
         {},
         {"Cannot save " + movies + "AC\\DC.txt"}},
        {"dot-dot title",
         [this] { Find<QLineEdit>("Edit1")->setText(".."); },
         {},
         "...txt",
         {},
         {"Cannot save " + movies + "...txt"}},
    };
    Put("Dated.txt",
        Bytes(Record("Dated", {{"RELEASED", {"13 Nov 2015"}}, {"IMDB ID", {"tt0000007"}}},
                     {"kept"})));
    Start();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        form->Button3Click();
        row.prepare();
        scripted.dialogs.messages.clear();
        scripted.dialogs.answers = row.answers;
        EXPECT_EQ(form->Button4Click(), !row.bytes.isEmpty());
        EXPECT_EQ(scripted.dialogs.messageTexts(), row.messages);
        EXPECT_EQ(ReadFileBytes(InFolder(row.file)), row.bytes);
    }
    EXPECT_FALSE(QDir(folder + "/Face").exists());
}

// The picker still holds the date of the record edited before: the record keeps its own text.
TEST_F(InfoTextEditorTest, AReleaseValueThatIsNoDateIsShownAndSavedAsItIs) {
    Put("Dated.txt", Bytes(Record("Dated", {{"RELEASED", {"02 Mar 1942"}}})));
    Start();
    for (const QString value : {"someday", "31 Feb 1942"}) {
        SCOPED_TRACE(value.toStdString());
        const QByteArray record = Bytes(Record("Odd", {{"RELEASED", {value}}}));
        Put("Odd.txt", record);
        form->Button1Click();
        EditEntry("Dated.txt");
        ASSERT_TRUE(Find<QLineEdit>("Edit17")->isHidden());
        scripted.dialogs.messages.clear();
        EditEntry("Odd.txt");
        EXPECT_EQ(scripted.dialogs.messageTexts(),
                  QStringList{"'" + value + "' is not a valid date"});
        EXPECT_EQ(Text("Edit1"), "Odd");
        EXPECT_FALSE(Find<QLineEdit>("Edit17")->isHidden());
        EXPECT_EQ(Text("Edit17"), value);
        ASSERT_TRUE(form->Button4Click());
        EXPECT_EQ(ReadFileBytes(InFolder("Odd.txt")), record);
    }
}

TEST_F(InfoTextEditorTest, NewInfoPutsNotAvailableEverywhere) {
    Put("Heat.txt", Bytes(Record("Heat", {{"GENRE", {"Crime"}}, {"RELEASED", {"15 Dec 1995"}}})));
    PutPoster("Heat.jpg");
    Start();
    EditEntry("Heat.txt");
    ASSERT_FALSE(Find<PictureBox>("Image1")->picture().isNull());
    form->Button3Click();
    EXPECT_EQ(Text("Edit1"), "New Title");
    for (const char* e : {"Edit2", "Edit3", "Edit9", "Edit15", "Edit16", "Edit17"})
        EXPECT_EQ(Text(e), "N/A") << e;
    EXPECT_FALSE(Find<QLineEdit>("Edit17")->isHidden());
    EXPECT_EQ(Memo("Memo1"), "N/A");
    EXPECT_EQ(Memo("Memo3"), "N/A");
    EXPECT_TRUE(Find<PictureBox>("Image1")->picture().isNull());
}

TEST_F(InfoTextEditorTest, DeleteSendsTheRecordAndMaybeItsPosterToTheTrash) {
    struct Row {
        const char* name;
        bool warn, withPoster, posterExists;
        std::deque<Button> answers;
        QStringList messages;
        QStringList trashed;
        QStringList left;
    };
    const QString path = AppFolder() + "Movies/Heat.txt";
    const std::vector<Row> rows = {
        {"warned, cancelled",
         true,
         false,
         true,
         {Button::Cancel},
         {path + " exists. Are you sure you want to delete this file?"},
         {},
         {"Heat.jpg", "Heat.txt"}},
        {"warned, text only",
         true,
         false,
         true,
         {Button::Yes},
         {path + " exists. Are you sure you want to delete this file?"},
         {"Heat.txt"},
         {"Heat.jpg"}},
        {"no warning, both",
         false,
         true,
         true,
         {},
         {"Heat.txt and Heat.jpg are recycled."},
         {"Heat.jpg", "Heat.txt"},
         {}},
        {"warned, both, no poster",
         true,
         true,
         false,
         {Button::Yes},
         {path + " exists. Are you sure you want to delete this file and its associated poster?",
          "Heat.txt is recycled."},
         {"Heat.txt"},
         {}},
    };
    Start();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QDir(trash).removeRecursively();
        for (const QString& name : FolderNames(folder))
            QFile::remove(InFolder(name));
        Put("Heat.txt", Bytes(Record("Heat", {})));
        if (row.posterExists)
            PutPoster("Heat.jpg");
        form->Button1Click();
        Tick("CheckBox1", row.warn);
        Tick("CheckBox2", row.withPoster);
        scripted.dialogs.messages.clear();
        scripted.dialogs.answers = row.answers;
        Select("Heat.txt");
        form->Button6Click();
        EXPECT_EQ(scripted.dialogs.messageTexts(), row.messages);
        EXPECT_EQ(FolderNames(trash + "/files"), row.trashed);
        EXPECT_EQ(FolderNames(folder), row.left);
        EXPECT_EQ(form->ListEntries(),
                  row.left.contains("Heat.txt") ? QStringList{"Heat.txt"} : QStringList{});
    }
    EXPECT_EQ(ReadFileBytes(trash + "/info/Heat.txt.trashinfo"),
              "[Trash Info]\nPath=" + QUrl::toPercentEncoding(path, "/") +
                  "\nDeletionDate=2016-03-07T14:25:09\n");
}

TEST_F(InfoTextEditorTest, SearchFindsWholeMatchesThenOffersPartialOnes) {
    struct Row {
        QString text;
        std::deque<Button> answers;
        QStringList messages;
        QString selected, edit1;
    };
    const std::vector<Row> rows = {
        {"heat", {}, {}, "Heat.txt", "Heat"},
        {"eat",
         {Button::No},
         {"Found partial match: Heat.txt. Search the next one?"},
         "Heat.txt",
         "Heat"},
        {"eat",
         {Button::Yes, Button::Yes},
         {"Found partial match: Heat.txt. Search the next one?",
          "Found partial match: Wheat.txt. Search the next one?", "No movie/serie found for eat."},
         "Wheat.txt",
         "New Title"},
        {"zzz", {}, {"No movie/serie found for zzz."}, "", "New Title"},
    };
    Put("Heat.txt", Bytes(Record("Heat", {})));
    Put("Alien.txt", Bytes(Record("Alien", {})));
    Put("Wheat.txt", Bytes(Record("Wheat", {})));
    Start();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        form->Button3Click();
        scripted.dialogs.messages.clear();
        scripted.dialogs.answers = row.answers;
        Find<QLineEdit>("Edit18")->setText(row.text);
        form->Button7Click();
        EXPECT_EQ(scripted.dialogs.messageTexts(), row.messages);
        EXPECT_EQ(SelectedTexts(list).value(0), row.selected);
        EXPECT_EQ(Text("Edit1"), row.edit1);
    }
}

TEST_F(InfoTextEditorTest, OnLineUpdateReplacesTheFetchedFieldsAndKeepsTheNotes) {
    const QStringList old =
        Record("Shawshank", {{"IMDB ID", {"tt0111161"}}, {"RELEASED", {"01 Jan 1990"}}},
               {"My note", "", "second paragraph"});
    const QStringList unknown = Record("Ghost", {{"IMDB ID", {"tt0000000"}}});
    const QStringList limited = Record("Limit", {{"IMDB ID", {"tt0000001"}}});
    const QStringList noId = Record("Plain", {});
    const QStringList updated =
        Record("The Shawshank Redemption",
               {{"TYPE", {"movie"}},
                {"YEAR", {"1994"}},
                {"GENRE", {"Drama"}},
                {"RATED", {"R"}},
                {"RELEASED", {"14 Oct 1994"}},
                {"RUNTIME", {"142 min"}},
                {"DIRECTOR", {"Frank Darabont"}},
                {"WRITER", {"Stephen King, Frank Darabont"}},
                {"ACTORS", {"Tim Robbins, Morgan Freeman, Bob Gunton"}},
                {"LANGUAGE", {"English"}},
                {"COUNTRY", {"United States"}},
                {"AWARDS", {"Nominated for 7 Oscars. 21 wins & 42 nominations total"}},
                {"METASCORE", {"82"}},
                {"IMDB RATING", {"9.3"}},
                {"IMDB VOTES", {"2,811,440"}},
                {"IMDB ID", {"tt0111161"}},
                {"PLOT",
                 {"Over the course of several years, two convicts form a friendship, seeking "
                  "consolation and, eventually, redemption through basic compassion."}}},
               {"My note", "", "edited"});
    struct Row {
        const char* name;
        QString entry;
        bool editFirst, autoSave;
        QStringList messages;
        QString edit1;
        QByteArray file;
    };
    const QString movies = AppFolder() + "Movies/";
    const std::vector<Row> rows = {
        {"no identifier",
         "Plain.txt",
         false,
         false,
         {"This title cannot be update. It does not contain any IMDB ID."},
         "New Title",
         Bytes(noId)},
        {"unknown identifier",
         "Ghost.txt",
         false,
         true,
         {"Ghost.txt could not be updated: Movie not found!"},
         "New Title",
         Bytes(unknown)},
        {"daily limit",
         "Limit.txt",
         false,
         true,
         {"Limit.txt could not be updated: Request limit reached!"},
         "New Title",
         Bytes(limited)},
        {"same record, auto save",
         "Shawshank.txt",
         true,
         true,
         {"The Shawshank Redemption.txt successfully saved to " + movies + ".",
          "Shawshank.txt has been updated and saved."},
         "The Shawshank Redemption",
         Bytes(old)},
    };
    Put("Shawshank.txt", Bytes(old));
    Put("Ghost.txt", Bytes(unknown));
    Put("Limit.txt", Bytes(limited));
    Put("Plain.txt", Bytes(noId));
    Start();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        form->Button3Click();
        if (row.editFirst) {
            EditEntry(row.entry);
            Find<QPlainTextEdit>("Memo3")->setPlainText("My note\n\nedited");
        }
        Tick("CheckBox3", row.autoSave);
        Select(row.entry);
        scripted.dialogs.messages.clear();
        form->Button9Click();
        EXPECT_EQ(scripted.dialogs.messageTexts(), row.messages);
        EXPECT_EQ(Text("Edit1"), row.edit1);
        EXPECT_EQ(ReadFileBytes(InFolder(row.entry)), row.file);
        EXPECT_TRUE(Find<QProgressBar>("ProgressBar1")->isHidden());
        EXPECT_TRUE(Find<QLabel>("Label25")->isHidden());
    }
    EXPECT_EQ(ReadFileBytes(InFolder("The Shawshank Redemption.txt")), Bytes(updated));
    EXPECT_TRUE(Find<QLineEdit>("Edit17")->isHidden());
    EXPECT_EQ(Find<QDateEdit>("DateTimePicker1")->date(), QDate(1994, 10, 14));
}

TEST_F(InfoTextEditorTest, UpdateOfAnotherRecordAsksAndKeepsThatRecordsOwnNotes) {
    Put("Other.txt", Bytes(Record("Other", {{"IMDB ID", {"tt9999999"}}}, {"other notes"})));
    Put("Shawshank.txt",
        Bytes(Record("Shawshank", {{"IMDB ID", {"tt0111161"}}}, {"mine", "", "too"})));
    Start();
    EditEntry("Other.txt");
    Select("Shawshank.txt");
    scripted.dialogs.answers = {Button::Cancel};
    form->Button9Click();
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    EXPECT_TRUE(
        scripted.dialogs.messages[0].text.startsWith("They are informations under edition."));
    EXPECT_EQ(Text("Edit1"), "Other");
    EXPECT_EQ(server.totalRequests(), 0);

    scripted.dialogs.answers = {Button::Yes};
    form->Button9Click();
    EXPECT_EQ(Text("Edit1"), "The Shawshank Redemption");
    EXPECT_EQ(Memo("Memo3"), "mine\n\ntoo");
    EXPECT_EQ(server.totalRequests(), 1);
}

// A loaded line that names no file of the collection acts as a missing record: Edit and the
// update report that it cannot be read, Delete that it cannot be recycled, without a question.
TEST_F(InfoTextEditorTest, ALoadedLineNamingNoFileOfTheCollectionActsAsAMissingRecord) {
    const OutsideFolder outside(AppFolder() + "outside", Bytes(Record("victim", {})));
    const QStringList up = outside.LinesFrom(folder);
    const QString notAFile = ": not the name of a file in the collection folder";
    const struct {
        QString line, poster, reason;
    } rows[] = {
        {up[0], "../outside/victim.jpg", notAFile},
        {up[1], QString(up[1]).replace(".txt", ".jpg"), notAFile},
        {"..", "jpg", notAFile},
        {"", "jpg", notAFile},
        {"Gone.txt", "Gone.jpg", ": No such file or directory"},
    };
    Put("Heat.txt", Bytes(Record("Heat", {})));
    const QString listPath = AppFolder() + "hostile.list";
    QStringList lines{"Heat.txt"};
    for (const auto& row : rows)
        lines << row.line;
    ASSERT_TRUE(WriteFileBytes(listPath, (lines.join("\r\n") + "\r\n").toUtf8()));
    Start();
    scripted.dialogs.openAnswers = {listPath};
    form->Button8Click();
    ASSERT_EQ(form->ListEntries(), lines);
    Tick("CheckBox1", false);
    Tick("CheckBox2", true);
    scripted.connection.online = true;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line.toStdString());
        EditEntry("Heat.txt");
        const QString unreadable = "Cannot open " + InFolder(row.line) + row.reason;
        scripted.dialogs.messages.clear();
        EditEntry(row.line);
        form->Button9Click();
        form->Button6Click();
        EXPECT_EQ(scripted.dialogs.messageTexts(),
                  (QStringList{unreadable, unreadable,
                               row.line + " and " + row.poster +
                                   "could not be moved to the recycle bin."}));
        EXPECT_EQ(Text("Edit1"), "Heat");
        EXPECT_TRUE(Find<PictureBox>("Image1")->picture().isNull());
    }
    // Only the missing record is handed to the trash, which finds nothing to move.
    EXPECT_EQ(scripted.shell.recycled, QStringList{InFolder("Gone.txt")});
    EXPECT_TRUE(outside.Untouched());
    EXPECT_EQ(FolderNames(folder), QStringList{"Heat.txt"});
    EXPECT_EQ(server.totalRequests(), 0);
}

} // namespace
} // namespace quorvel::test
