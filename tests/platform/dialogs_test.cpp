#include "platform/dialogs.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <ostream>

namespace quorvel {
namespace {

// Waits for the modal dialog a call is about to show, then lets the test look at it and answer
// it. A dialog that never shows fails the test instead of hanging it.
template <typename Dialog> void WhenShown(std::function<void(Dialog*)> handle) {
    auto* timer = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, tries, handle] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            dialog && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            handle(dialog);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no dialog of the expected kind was shown";
        }
    });
    timer->start();
}

struct ButtonSetRow {
    Buttons buttons;
    QMessageBox::StandardButtons shown;
    QMessageBox::StandardButton clicked;
    Button answer;
};

void PrintTo(const ButtonSetRow& row, std::ostream* out) {
    *out << "set " << int(row.buttons) << ", clicking " << int(row.clicked);
}

class MessageBoxButtonsTest : public ::testing::TestWithParam<ButtonSetRow> {};

TEST_P(MessageBoxButtonsTest, ShowsExactlyTheSetAndAnswersTheClick) {
    const ButtonSetRow row = GetParam();
    QMessageBox::StandardButtons shown;
    int buttonCount = 0;
    WhenShown<QMessageBox>([&](QMessageBox* box) {
        shown = box->standardButtons();
        buttonCount = int(box->buttons().size());
        box->button(row.clicked)->click();
    });
    QtDialogs dialogs;
    EXPECT_EQ(dialogs.ask(MessageKind::Warning, QStringLiteral("Go on?"), row.buttons), row.answer);
    EXPECT_EQ(shown, row.shown);
    EXPECT_EQ(buttonCount, row.shown == QMessageBox::Ok || row.shown == QMessageBox::Abort ||
                                   row.shown == QMessageBox::Cancel
                               ? 1
                               : 2);
}

INSTANTIATE_TEST_SUITE_P(
    EverySetTheWindowsUse, MessageBoxButtonsTest,
    ::testing::Values(
        ButtonSetRow{Buttons::Ok, QMessageBox::Ok, QMessageBox::Ok, Button::Ok},
        ButtonSetRow{Buttons::Abort, QMessageBox::Abort, QMessageBox::Abort, Button::Abort},
        ButtonSetRow{Buttons::Cancel, QMessageBox::Cancel, QMessageBox::Cancel, Button::Cancel},
        ButtonSetRow{Buttons::YesAbort, QMessageBox::Yes | QMessageBox::Abort, QMessageBox::Yes,
                     Button::Yes},
        ButtonSetRow{Buttons::YesAbort, QMessageBox::Yes | QMessageBox::Abort, QMessageBox::Abort,
                     Button::Abort},
        ButtonSetRow{Buttons::YesCancel, QMessageBox::Yes | QMessageBox::Cancel,
                     QMessageBox::Cancel, Button::Cancel},
        ButtonSetRow{Buttons::YesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
                     Button::No},
        ButtonSetRow{Buttons::YesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes,
                     Button::Yes}));

TEST(MessageBoxTest, KindGivesTheIconAndTheTitleDefaultsToTheProgram) {
    struct Row {
        MessageKind kind;
        QString title;
        QMessageBox::Icon icon;
        QString shownTitle;
    };
    const Row rows[] = {
        {MessageKind::Plain, {}, QMessageBox::NoIcon, QStringLiteral("Quorvel")},
        {MessageKind::Information, {}, QMessageBox::Information, QStringLiteral("Quorvel")},
        {MessageKind::Warning, QStringLiteral("Backup"), QMessageBox::Warning,
         QStringLiteral("Backup")},
        {MessageKind::Error, {}, QMessageBox::Critical, QStringLiteral("Quorvel")},
        {MessageKind::Confirmation, QStringLiteral("Save a screenshot of Quorvel current tab"),
         QMessageBox::Question, QStringLiteral("Save a screenshot of Quorvel current tab")},
    };
    QtDialogs dialogs;
    for (const Row& row : rows) {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        QString text;
        WhenShown<QMessageBox>([&](QMessageBox* box) {
            icon = box->icon();
            title = box->windowTitle();
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        // Titles in messages hold "<" and "&": shown as typed, never as markup.
        const QString message = QStringLiteral("<b>Heat</b> & Co: movie not found!");
        EXPECT_EQ(dialogs.ask(row.kind, message, Buttons::Ok, row.title), Button::Ok);
        EXPECT_EQ(icon, row.icon);
        EXPECT_EQ(title, row.shownTitle);
        EXPECT_EQ(text, message);
    }
}

TEST(MessageBoxTest, EscapeAndClosingAnswerTheWayOut) {
    QtDialogs dialogs;
    const auto pressEscape = [](QMessageBox* box) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &press);
    };
    WhenShown<QMessageBox>(pressEscape);
    EXPECT_EQ(
        dialogs.ask(MessageKind::Confirmation, QStringLiteral("Screenshot?"), Buttons::YesCancel),
        Button::Cancel);
    WhenShown<QMessageBox>(pressEscape);
    EXPECT_EQ(dialogs.ask(MessageKind::Confirmation, QStringLiteral("Overwrite?"), Buttons::YesNo),
              Button::No);
    WhenShown<QMessageBox>(pressEscape);
    EXPECT_EQ(dialogs.ask(MessageKind::Warning, QStringLiteral("Backup running"), Buttons::Abort),
              Button::Abort);

    // Taken away without any button, e.g. by its window going: no answer at all.
    WhenShown<QMessageBox>([](QMessageBox* box) { box->done(QDialog::Rejected); });
    EXPECT_EQ(dialogs.ask(MessageKind::Warning, QStringLiteral("Go on?"), Buttons::YesAbort),
              Button::None);
}

class FileDialogTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QtDialogs dialogs;

    void SetUp() override {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        ASSERT_TRUE(picture.save(dir.filePath(QStringLiteral("Heat.jpg")), "jpeg"));
        ASSERT_TRUE(test::WriteFileBytes(dir.filePath(QStringLiteral("Heat.txt")), "Heat\r\n"));
    }
};

TEST_F(FileDialogTest, OpenPictureOffersThePatternsQtMatchesAndAPreview) {
    FileDialogRequest request;
    request.picture = true;
    request.startFolder = dir.path();
    request.filters = {
        {QStringLiteral("All pictures"), QStringLiteral("*.jpg *.png")},
        {QStringLiteral("JPEG Image File (*.jpg)"), QStringLiteral("*.jpg")},
        {QStringLiteral("TIFF Images (*.tif)"), QStringLiteral("*.tif *.tiff")},
    };

    QStringList filters;
    QString folder;
    QString title;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    bool previewShown = false;
    QString unreadable;
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        folder = dialog->directory().absolutePath();
        title = dialog->windowTitle();
        mode = dialog->fileMode();
        if (auto* preview = dialog->findChild<QLabel*>(QStringLiteral("picturePreview"))) {
            Q_EMIT dialog->currentChanged(dir.filePath(QStringLiteral("Heat.jpg")));
            previewShown = !preview->pixmap().isNull();
            Q_EMIT dialog->currentChanged(dir.filePath(QStringLiteral("Heat.txt")));
            unreadable = preview->text();
        }
        dialog->selectFile(dir.filePath(QStringLiteral("Heat.jpg")));
        static_cast<QDialog*>(dialog)->accept();
    });
    const std::optional<QString> chosen = dialogs.openFile(request);

    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QFileInfo(*chosen).canonicalFilePath(),
              QFileInfo(dir.filePath(QStringLiteral("Heat.jpg"))).canonicalFilePath());
    EXPECT_EQ(filters, QStringList({QStringLiteral("All pictures (*.jpg *.png)"),
                                    QStringLiteral("JPEG Image File (*.jpg)"),
                                    QStringLiteral("TIFF Images (*.tif) (*.tif *.tiff)")}));
    EXPECT_EQ(folder, QDir(dir.path()).absolutePath());
    EXPECT_EQ(mode, QFileDialog::ExistingFile);
    EXPECT_FALSE(title.isEmpty()) << "no title given: the platform's";
    EXPECT_TRUE(previewShown);
    EXPECT_FALSE(unreadable.isEmpty());
}

TEST_F(FileDialogTest, SaveProposesTheNameInTheStartFolderAndAddsTheExtension) {
    FileDialogRequest request;
    request.title = QStringLiteral("Save Movie info as ...");
    request.defaultSuffix = QStringLiteral("txt");
    request.proposedName = QStringLiteral("Blade Runner");
    request.startFolder = dir.path();
    request.filters = {{QStringLiteral("Text File (*.txt)"), QStringLiteral("*.txt")},
                       {QStringLiteral("Any File (*.*)"), QStringLiteral("*")}};

    QStringList filters;
    QString title;
    bool hasPreview = true;
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        title = dialog->windowTitle();
        hasPreview = dialog->findChild<QLabel*>(QStringLiteral("picturePreview")) != nullptr;
        static_cast<QDialog*>(dialog)->accept();
    });
    const std::optional<QString> chosen = dialogs.saveFile(request);

    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, QDir(dir.path()).absoluteFilePath(QStringLiteral("Blade Runner.txt")));
    EXPECT_EQ(title, request.title);
    // "*.*" would hide files without a dot; Qt must see the "*" the caller meant.
    EXPECT_EQ(filters, QStringList({QStringLiteral("Text File (*.txt)"),
                                    QStringLiteral("Any File (*.*) (*)")}));
    EXPECT_FALSE(hasPreview);
}

TEST_F(FileDialogTest, SavingOverAFileAsksNothingTheCallerDoesNotAsk) {
    // The windows ask their own overwrite question; a second one from Qt would ask twice.
    FileDialogRequest request;
    request.picture = true;
    request.defaultSuffix = QStringLiteral("jpg");
    request.proposedName = QStringLiteral("Heat");
    request.startFolder = dir.path();
    auto askedAgain = std::make_shared<bool>(false);
    WhenShown<QFileDialog>([askedAgain](QFileDialog* dialog) {
        // Owned by the dialog: it answers a second question if one comes, and dies with it.
        QTimer::singleShot(300, dialog, [askedAgain] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                *askedAgain = true;
                if (QAbstractButton* yes = box->button(QMessageBox::Yes))
                    yes->click();
                else
                    box->accept();
            }
        });
        static_cast<QDialog*>(dialog)->accept();
    });
    const std::optional<QString> chosen = dialogs.saveFile(request);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QFileInfo(*chosen).fileName(), QStringLiteral("Heat.jpg"));
    EXPECT_FALSE(*askedAgain);
}

TEST_F(FileDialogTest, CancellingGivesNoPath) {
    WhenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(dialogs.openFile(FileDialogRequest{}).has_value());
    WhenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(dialogs.saveFile(FileDialogRequest{}).has_value());
    WhenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(dialogs.chooseFolder(QStringLiteral("Backup folder"), dir.path()).has_value());
}

TEST_F(FileDialogTest, ChoosingAFolderStartsWhereAskedAndOffersOnlyFolders) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Album")));
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    QString title;
    QString folder;
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
        mode = dialog->fileMode();
        title = dialog->windowTitle();
        folder = dialog->directory().absolutePath();
        dialog->setDirectory(dir.filePath(QStringLiteral("Album")));
        static_cast<QDialog*>(dialog)->accept();
    });
    const std::optional<QString> chosen =
        dialogs.chooseFolder(QStringLiteral("Select the album folder"), dir.path());
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QDir(*chosen).canonicalPath(),
              QDir(dir.filePath(QStringLiteral("Album"))).canonicalPath());
    EXPECT_EQ(mode, QFileDialog::Directory);
    EXPECT_EQ(title, QStringLiteral("Select the album folder"));
    EXPECT_EQ(folder, QDir(dir.path()).absolutePath());
}

} // namespace
} // namespace quorvel
