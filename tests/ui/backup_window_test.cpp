#include "core/filteredlist.h"
#include "tests/support/list_view.h"
#include "tests/support/outside_folder.h"
#include "tests/support/window_fixture.h"
#include "ui/main/main_window.h"
#include "ui/main/picture_box.h"
#include "ui/tools/backup.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <unistd.h>

#include <memory>

namespace quorvel::test {
namespace {

class BackupWindowTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        scripted.connection.online = false;
        scripted.clock.now = QDateTime(QDate(2016, 12, 8), QTime(15, 4, 5));
        folder = MakeFolder();
        WriteOptions("[Settings]\r\nSavingPath=" + folder.toUtf8() + "\r\n");
    }
    void Start() {
        WindowFixture::Start();
        ForgetStartup();
        form = app->windows().form16;
        ASSERT_NE(form, nullptr);
        // A user works in the window once it is open; it lists the collection then.
        form->Open();
        list = Find<QListView>(form, "MovieListBackup");
    }
    void Put(const QString& name, const QByteArray& bytes = "Heat\r\n") {
        ASSERT_TRUE(WriteFileBytes(folder + "/" + name, bytes));
    }
    QPushButton* ButtonNamed(const char* name) const { return Find<QPushButton>(form, name); }
    void Click(const char* name) const { ButtonNamed(name)->click(); }
    QString Text(const char* name) const {
        if (auto* edit = form->findChild<QLineEdit*>(name))
            return edit->text();
        return Find<QLabel>(form, name)->text();
    }
    void Tick(const QString& entry) {
        const int row = RowOf(list, entry);
        ASSERT_GE(row, 0) << entry.toStdString();
        SetTicked(list, row, true);
    }
    QString Archive(const QString& name) const { return folder + "/" + name + ".zip"; }
    // Member names as Info-ZIP lists them, after its own test of the archive passed.
    static QStringList UnzipNames(const QString& archive) {
        QProcess test;
        test.start("unzip", {"-tq", archive});
        test.waitForFinished(30000);
        EXPECT_EQ(test.exitCode(), 0) << test.readAll().toStdString();
        QProcess names;
        names.start("unzip", {"-Z1", archive});
        names.waitForFinished(30000);
        return QString::fromUtf8(names.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    QString folder;
    TForm16* form = nullptr;
    QListView* list = nullptr;
};

TEST_F(BackupWindowTest, NameFieldIsGeneratedFilteredAndGuardsBackup) {
    Start();
    EXPECT_EQ(Text("Edit4"), "QVL_Backup_12-8-2016_3-04-05_PM");
    EXPECT_EQ(Text("Edit5"), folder);
    EXPECT_EQ(Text("Edit2"), folder);
    auto* edit4 = Find<QLineEdit>(form, "Edit4");
    Click("Button8");
    EXPECT_FALSE(ButtonNamed("Button10")->isEnabled());
    for (const char* typed : {"a", ":", "?", "b", "|"}) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromLatin1(typed));
        QApplication::sendEvent(edit4, &press);
    }
    EXPECT_EQ(edit4->text(), "a__b_");
    EXPECT_TRUE(ButtonNamed("Button10")->isEnabled());
    Click("Button11");
    EXPECT_EQ(edit4->text(), "QVL_Backup_12-8-2016_3-04-05_PM");
}

TEST_F(BackupWindowTest, FileFilterKeepsTheExtensionsItLooksFor) {
    for (const char* name : {"Heat.txt", "Heat.jpg", "HEAT.TXT", "Alien.jpg", "notes.doc"})
        Put(name);
    struct Row {
        int filter;
        QStringList entries;
        const char* count;
    };
    Start();
    for (const Row& row :
         {Row{1, {"Alien.jpg", "Heat.jpg", "HEAT.TXT"}, "2 Poster"},
          Row{2, {"HEAT.TXT", "Heat.txt"}, "2 Text Info and 0 Poster"},
          Row{0, {"Alien.jpg", "Heat.jpg", "HEAT.TXT", "Heat.txt"}, "2 Text Info and 2 Poster"}}) {
        Find<QComboBox>(form, "ComboBox1")->setCurrentIndex(row.filter);
        EXPECT_EQ(form->ListEntries(), row.entries) << row.filter;
        EXPECT_TRUE(Text("Label3").endsWith(row.count)) << Text("Label3").toStdString();
    }
}

TEST_F(BackupWindowTest, TickedEntriesGoIntoAnArchiveEveryUnzipReads) {
    const QByteArray heat = QByteArray("Heat\r\nTYPE\r\nmovie\r\n").repeated(40);
    Put("Heat.txt", heat);
    Put("Heat.jpg", "not really a picture");
    Put(QString::fromUtf8("千と千尋.txt"));
    Put("Zodiac.txt");
    struct Row {
        QStringList ticked;
        const char* name;
        QStringList members;
    };
    Start();
    for (const Row& row : {Row{{"Heat.jpg", "Heat.txt", QString::fromUtf8("千と千尋.txt")},
                               "old.zip",
                               {"Heat.jpg", "Heat.txt", QString::fromUtf8("千と千尋.txt")}},
                           Row{{"Zodiac.txt"}, "one", {"Zodiac.txt"}}}) {
        Click("Button3");
        for (const QString& entry : row.ticked)
            Tick(entry);
        Find<QLineEdit>(form, "Edit4")->setText(row.name);
        scripted.dialogs.messages.clear();
        Click("Button10");
        const QString archive = Archive(row.name);
        EXPECT_EQ(Messages(), archive + ": " + QString::number(row.members.size()) +
                                  " files archived, each read back and verified.");
        EXPECT_EQ(UnzipNames(archive), row.members);
        EXPECT_TRUE(ButtonNamed("Button10")->isEnabled());
        EXPECT_FALSE(Find<QLabel>(form, "Label16")->isVisible());
        EXPECT_FALSE(form->BackupRunning());
    }
    EXPECT_TRUE(QFileInfo::exists(folder + "/old.zip.zip"));
}

TEST_F(BackupWindowTest, NothingTickedOrOverwriteRefusedWritesNothing) {
    Put("Heat.txt");
    Put("QVL.zip", "the older archive");
    Start();
    Find<QLineEdit>(form, "Edit4")->setText("QVL");
    Click("Button10");
    Tick("Heat.txt");
    scripted.dialogs.answers = {Button::No};
    Click("Button10");
    ASSERT_EQ(scripted.dialogs.messages.size(), 2u) << Messages().toStdString();
    EXPECT_EQ(scripted.dialogs.messages[0].text,
              "Nothing to archive. Please, select at least one item on the Info Search "
              "Collection list.");
    EXPECT_EQ(scripted.dialogs.messages[0].buttons, Buttons::Abort);
    EXPECT_EQ(scripted.dialogs.messages[1].text, "QVLexists, do you want to overwrite the file?");
    EXPECT_EQ(ReadFileBytes(folder + "/QVL.zip"), "the older archive");
    EXPECT_FALSE(Find<QWidget>(form, "pbProgress")->isVisible());
}

TEST_F(BackupWindowTest, ReadOnlyDestinationReportsTheFailureAndLeavesNothing) {
    Put("Heat.txt");
    const QString destination = MakeFolder("Backups");
    std::unique_ptr<SmallFileSystem> own;
    if (::geteuid() == 0) {
        own = std::make_unique<SmallFileSystem>(destination, 64);
        ASSERT_TRUE(own->mounted()) << own->skipReason().toStdString();
    }
    const ReadOnlyFolder readOnly(destination);
    Start();
    scripted.dialogs.folderAnswers = {destination};
    Click("Button7");
    Tick("Heat.txt");
    Click("Button10");
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u) << Messages().toStdString();
    EXPECT_EQ(scripted.dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(scripted.dialogs.messages[0].text.startsWith("Exception: " + destination))
        << Messages().toStdString();
    EXPECT_EQ(FolderNames(destination), QStringList());
    EXPECT_TRUE(ButtonNamed("Button1")->isEnabled());
}

TEST_F(BackupWindowTest, StaleFilteredListEntryIsNamedAndTheRestArchived) {
    Put("Heat.txt");
    MakeFolder("Movies/Sub");
    Put("Sub/Gone.txt"); // a file of that name in a sub-folder is never taken instead
    const QString listPath = AppFolder() + "stale.list";
    ASSERT_TRUE(SaveFilteredList(listPath, {"Heat.txt", "Gone.txt"}));
    Start();
    scripted.dialogs.openAnswers = {listPath};
    Click("Button6");
    EXPECT_EQ(Text("Label3"), "Collection count: 2 Text (Filtered list)");
    EXPECT_FALSE(ButtonNamed("Button2")->isEnabled());
    EXPECT_FALSE(ButtonNamed("Button6")->isEnabled());
    Click("Button4");
    EXPECT_EQ(form->TickedEntries(), (QStringList{"Heat.txt", "Gone.txt"}));
    Click("Button10");
    const QString archive = Archive(Text("Edit4"));
    EXPECT_EQ(Messages(), "These ticked files no longer exist in the collection folder and were "
                          "left out:\nGone.txt\n\n" +
                              archive + ": 1 files archived, each read back and verified.");
    EXPECT_EQ(UnzipNames(archive), QStringList{"Heat.txt"});
    EXPECT_TRUE(ButtonNamed("Button2")->isEnabled());
    EXPECT_TRUE(ButtonNamed("Button6")->isEnabled());
}

// A loaded line leading out of the collection previews nothing and is left out of the archive
// and named as a missing file is: no member comes from outside the collection folder.
TEST_F(BackupWindowTest, LoadedLinesLeadingOutAreLeftOutAsMissingFiles) {
    Put("Heat.txt");
    const OutsideFolder outside(AppFolder() + "outside", "victim\r\n");
    const QStringList lines =
        outside.LinesFrom(folder) + QStringList{"../outside/victim.jpg", "..", "", "Gone.txt"};
    const QString listPath = AppFolder() + "hostile.list";
    ASSERT_TRUE(SaveFilteredList(listPath, QStringList{"Heat.txt"} + lines));
    Start();
    scripted.dialogs.openAnswers = {listPath};
    Click("Button6");
    for (int row = 1; row <= 3; ++row)
        SelectRow(list, row);
    EXPECT_TRUE(Find<QPlainTextEdit>(form, "Memo1")->toPlainText().isEmpty());
    EXPECT_TRUE(Find<PictureBox>(form, "Image1")->picture().isNull());
    Click("Button4");
    Click("Button10");
    const QString archive = Archive(Text("Edit4"));
    EXPECT_EQ(Messages(), "These ticked files no longer exist in the collection folder and were "
                          "left out:\n" +
                              lines.join('\n') + "\n\n" + archive +
                              ": 1 files archived, each read back and verified.");
    EXPECT_EQ(UnzipNames(archive), QStringList{"Heat.txt"});
    EXPECT_TRUE(outside.Untouched());
}

// Answers as the scripted dialogs do, after a nested event loop has run for as long as the user
// reads the box: what a real message box does meanwhile.
class ReadingDialogs final : public Dialogs {
public:
    explicit ReadingDialogs(ScriptedDialogs& scripted) : scripted_(scripted) {}
    Button ask(MessageKind kind, const QString& text, Buttons buttons,
               const QString& title) override {
        QElapsedTimer shown;
        shown.start();
        QEventLoop box;
        QTimer::singleShot(text == kRunning ? warningMs : 300, &box, &QEventLoop::quit);
        box.exec();
        readFor.push_back(shown.elapsed());
        return scripted_.ask(kind, text, buttons, title);
    }
    std::optional<QString> openFile(const FileDialogRequest& request) override {
        return scripted_.openFile(request);
    }
    std::optional<QString> saveFile(const FileDialogRequest& request) override {
        return scripted_.saveFile(request);
    }
    std::optional<QString> chooseFolder(const QString& title, const QString& start) override {
        return scripted_.chooseFolder(title, start);
    }

    static inline const QString kRunning =
        "A backup of you file is in progress. Please do not interrupt the backup to avoid "
        "corruption of the backup file or worse.";
    int warningMs = 0;
    std::vector<qint64> readFor; // how long each box stayed up

private:
    ScriptedDialogs& scripted_;
};

// The whole program, its event loop running: closed during a backup, it lets the backup end,
// shows its result for as long as the user reads it, and only then ends.
TEST_F(BackupWindowTest, ClosingTheMainWindowDuringABackupEndsTheProgramAfterItsLastMessage) {
    struct Row {
        bool exitButton; // else the window's own close
        int warningMs;   // reading the warnings slowly lets the backup end meanwhile
        int bigFile;     // a big file keeps the backup running after the close
    };
    for (const Row& row : {Row{true, 600, 0}, Row{false, 0, 48 << 20}}) {
        SCOPED_TRACE(row.exitButton ? "Exit button" : "close box");
        Put("Heat.jpg", QByteArray(row.bigFile, '\0') + "poster");
        Start();
        ReadingDialogs boxes(scripted.dialogs);
        boxes.warningMs = row.warningMs;
        services.dialogs = &boxes;
        Main().show();
        form->Open();
        Tick("Heat.jpg");
        bool runningAtClose = false;
        int answeredAtQuit = -1;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, form,
                         [&] { answeredAtQuit = int(boxes.readFor.size()); });
        QTimer::singleShot(0, form, [&] {
            QTimer::singleShot(0, &Main(), [&] {
                runningAtClose = form->BackupRunning();
                if (row.exitButton)
                    FindInMain<QPushButton>("Button10")->click();
                else
                    Main().close();
            });
            Click("Button10");
        });
        QTimer watchdog;
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        watchdog.start(30000);
        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_TRUE(runningAtClose);
        EXPECT_EQ(answeredAtQuit, 3);
        const QStringList asked = scripted.dialogs.messageTexts();
        ASSERT_EQ(asked.size(), 3) << Messages().toStdString();
        EXPECT_EQ(asked.mid(0, 2), QStringList(2, ReadingDialogs::kRunning));
        EXPECT_TRUE(asked[2].endsWith("1 files archived, each read back and verified."));
        EXPECT_GE(boxes.readFor.back(), 250) << "the result box closed before it was read";
        const QString archive = Archive(Text("Edit4"));
        EXPECT_EQ(UnzipNames(archive), QStringList{"Heat.jpg"});
        for (QWidget* window : QApplication::topLevelWidgets())
            EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
        TearDown();
        QFile::remove(archive);
    }
}

// Escape asks to close the window as every other request does: during a backup it warns and the
// backup goes on; when no backup runs, the window closes silently.
TEST_F(BackupWindowTest, EscapeDuringABackupWarns) {
    // Big enough that the backup is still running when the key arrives.
    Put("Heat.txt", QByteArray(48 << 20, '\0'));
    Start();
    for (bool duringBackup : {true, false}) {
        form->Open();
        scripted.dialogs.messages.clear();
        const auto escape = [this] {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(form, &key);
        };
        if (duringBackup) {
            Tick("Heat.txt");
            QTimer::singleShot(0, form, escape);
            Click("Button10");
        } else {
            escape();
        }
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(scripted.dialogs.messageTexts().count(ReadingDialogs::kRunning),
                  duringBackup ? 2 : 0)
            << Messages().toStdString();
    }
}

// The window opens centred on the main window, nothing selected and nothing previewed.
TEST_F(BackupWindowTest, OpensCentredWithNothingSelected) {
    Put("Alien.txt", "Alien\r\nTYPE\r\nmovie\r\n");
    Put("Heat.txt");
    Start();
    form->hide(); // opened again once the main window is on screen
    Main().show();
    form->Open();
    QApplication::processEvents();
    // The default placement is 10 and 40 pixels off; the small offscreen screen, narrower than
    // the window, may shift it by its frame.
    const QPoint off = form->frameGeometry().center() - Main().frameGeometry().center();
    EXPECT_LE(off.manhattanLength(), 2) << off.x() << "," << off.y();
    EXPECT_TRUE(SelectedTexts(list).isEmpty());
    EXPECT_EQ(CurrentRow(list), -1);
    EXPECT_EQ(Find<QPlainTextEdit>(form, "Memo1")->toPlainText(), "");
}

} // namespace
} // namespace quorvel::test
