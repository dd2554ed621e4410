#include "ui/tools/portable_mode.h"

#include "core/options.h"
#include "core/textfile.h"
#include "ui/main/portable_switch.h"
#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"
#include "ui_portable_mode.h"

#include <QDir>
#include <QFileInfo>
#include <QShowEvent>

namespace quorvel {

namespace {

const QString kNoMovieFolder = QStringLiteral("Movie Folder does not exist");
const QString kNoHtmlAlbumFolder = QStringLiteral("HTML Album Folder does not exist");
const QString kNoAlbumFolder = QStringLiteral("Album Folder does not exist");
const QString kDesignAlbumText = QStringLiteral("Edit3");
const QString kCannotCreateMovie = QStringLiteral(
    "Cannot create the portable folder (Movie). Please verify if the media is not full or "
    "write/password protected. Unable to switch to portable mode. Portable mode turned off");
const QString kCannotCreateAlbum = QStringLiteral(
    "Cannot create the portable folder (Album). Please verify if the media is not full or "
    "write/password protected. Unable to switch to portable mode. Portable mode turned off");
const QString kCopyTab1Question =
    QStringLiteral("Background pictures for Search On Line Title is not in the portable path. Do "
                   "you want to copy and use this path instead? ");
const QString kCopyTab2Question =
    QStringLiteral("Background pictures for Search Off Line Title is not in the portable path. "
                   "Do you want to copy and use this path instead? ");
const QString kCannotCopyPicture =
    QStringLiteral("Unable to copy the backgound picture(s) to media. Operation aborted");

bool FolderExists(const QString& folder) {
    return QFileInfo(folder).isDir();
}

// A file of the same name in the way counts as a folder that could not be made.
bool MakeFolder(const QString& folder) {
    return FolderExists(folder) || (QDir().mkpath(folder) && FolderExists(folder));
}

} // namespace

TForm9::TForm9(Windows& windows, Services& services, Settings& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm9>()), windows_(windows), services_(services),
      settings_(settings) {
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, [this] { SwitchToPortablePaths(); });
    connect(ui->Button2, &QPushButton::clicked, this, [this] { SwitchToFixedPaths(); });
    connect(ui->Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(ui->CheckBox1, &QCheckBox::toggled, &settings_, &Settings::SetPortableAtStart);
    connect(&settings_, &Settings::PortableAtStartChanged, ui->CheckBox1, &QCheckBox::setChecked);
    // The hidden labels show the folders a switch back returns to.
    connect(&settings_, &Settings::FoldersToReturnToChanged, this,
            [this](const ReturnFolders& folders) {
                ui->Label3->setText(folders.collection);
                ui->Label4->setText(folders.favourites);
                ui->Label6->setText(folders.album);
            });
}

TForm9::~TForm9() = default;

QString TForm9::MovieFolder() const {
    return settings_.PortableMovieFolder();
}

QString TForm9::AlbumFolder() const {
    return settings_.PortableAlbumFolder();
}

void TForm9::FormCreate() {
    ui->Edit1->setText(settings_.AppFolder());
    ui->Edit2->setText(FolderExists(MovieFolder()) ? MovieFolder() : kNoMovieFolder);
    ui->Edit3->setText(FolderExists(AlbumFolder()) ? AlbumFolder() : kNoHtmlAlbumFolder);
    // An unreadable Options.ini ends these steps without a word; the program starts fixed.
    const Result<bool> portable = settings_.StoredPortableMode();
    if (portable) {
        settings_.SetPortableAtStart(*portable);
        ui->CheckBox1->setEnabled(FolderExists(MovieFolder()) && FolderExists(AlbumFolder()));
        if (settings_.PortableAtStart())
            SwitchToPortablePaths();
        RebasePicturePaths();
    }
    if (settings_.PortableMode())
        ui->Edit3->setText(AlbumFolder());
}

void TForm9::Open() {
    ShowWindow(*this, parentWidget());
}

void TForm9::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous() && ui->Edit3->text() == kDesignAlbumText)
        ui->Edit3->setText(AlbumFolder());
}

// A failed switch: portable mode off, the folders in force before it back.
void TForm9::UndoPortableSwitch(bool albumToo) {
    const ReturnFolders before = settings_.FoldersToReturnTo();
    settings_.SetPortableMode(false);
    settings_.SetCollectionFolder(before.collection);
    settings_.SetFavouritesFolder(before.favourites);
    if (albumToo)
        settings_.SetAlbumFolder(before.album);
}

void TForm9::SwitchToPortablePaths() {
    // The folders to fall back to are the fixed ones. A press while portable mode is already
    // on keeps them: a portable folder remembered here would come back as a fixed folder after
    // a failed switch or "Use Fixed Path", and Save would store it.
    const bool fromFixed = !settings_.PortableMode();
    ReturnFolders before = settings_.FoldersToReturnTo();
    if (fromFixed) {
        before.collection = settings_.CollectionFolder();
        before.favourites = settings_.FavouritesFolder();
        settings_.SetFoldersToReturnTo(before);
    }

    if (!MakeFolder(MovieFolder())) {
        ReportError(services_, kCannotCreateMovie);
        ui->Edit2->setText(kNoMovieFolder);
        UndoPortableSwitch(false);
        return;
    }
    ui->Edit2->setText(MovieFolder());
    settings_.SetPortableMode(true);
    settings_.SetCollectionFolder(MovieFolder());
    settings_.SetFavouritesFolder(settings_.AppFolder());
    ui->CheckBox1->setEnabled(true);

    if (fromFixed) {
        before.album = settings_.AlbumFolder();
        settings_.SetFoldersToReturnTo(before);
    }
    if (!MakeFolder(AlbumFolder())) {
        ReportError(services_, kCannotCreateAlbum);
        ui->Edit3->setText(kNoAlbumFolder);
        UndoPortableSwitch(true);
        return;
    }
    ui->Edit3->setText(AlbumFolder());
    settings_.SetAlbumFolder(AlbumFolder());
    ui->CheckBox1->setEnabled(true);
    UsePortablePictures();
}

// A portable picture lives in the application folder under its own name; the fixed one is
// offered as the source of that copy. Portable mode is on already, so whatever the tabs take
// becomes the portable picture path.
void TForm9::UsePortablePictures() {
    PicturePaths paths = settings_.Pictures();
    if (paths.bckTab1P.isEmpty())
        paths.bckTab1P = paths.bckTab1;
    if (paths.bckTab2P.isEmpty())
        paths.bckTab2P = paths.bckTab2;
    settings_.SetPictures(paths);
    UsePortablePicture(1, paths.bckTab1P, paths.bckTab1, kCopyTab1Question);
    UsePortablePicture(2, paths.bckTab2P, paths.bckTab2, kCopyTab2Question);
}

void TForm9::UsePortablePicture(int tab, const QString& portable, const QString& fixed,
                                const QString& question) {
    if (portable.isEmpty())
        return;
    const QString target = RebasedPicturePath(settings_.AppFolder(), portable);
    if (QFileInfo::exists(target)) {
        settings_.SetTabPicture(tab, target);
        return;
    }
    if (services_.dialogs->ask(MessageKind::Warning, question, Buttons::YesNo) != Button::Yes) {
        settings_.SetTabPicture(tab, fixed);
        return;
    }
    if (!CopyToNewFile(fixed, target)) {
        ReportError(services_, kCannotCopyPicture);
        settings_.SetTabPicture(tab, fixed);
        return;
    }
    settings_.SetTabPicture(tab, target);
}

// The medium may sit at another mount point than at the last run: the portable pictures are
// looked for in this application folder, and the file learns where. A tab follows only when
// portable mode is really in force and the picture is there, so the fixed picture the switch
// chose (or was told to keep) stays on show.
bool TForm9::RebasePicturePaths() {
    const bool portable = settings_.PortableMode();
    for (const int tab : {2, 1}) {
        const Result<QString> stored = settings_.StoredPortablePicture(tab);
        if (!stored)
            return false;
        PicturePaths paths = settings_.Pictures();
        QString& entry = tab == 1 ? paths.bckTab1P : paths.bckTab2P;
        if (stored->isEmpty()) {
            entry.clear();
            settings_.SetPictures(paths);
            if (portable)
                settings_.SetTabPicture(tab, QString());
            continue;
        }
        const QString rebased = RebasedPicturePath(settings_.AppFolder(), *stored);
        if (portable && QFileInfo::exists(rebased))
            settings_.SetTabPicture(tab, rebased);
        paths = settings_.Pictures();
        (tab == 1 ? paths.bckTab1P : paths.bckTab2P) = rebased;
        settings_.SetPictures(paths);
        // Rewriting an unchanged value would only reformat the user's file.
        if (rebased != *stored && !settings_.WritePortablePicture(tab, rebased))
            return false;
    }
    return true;
}

void TForm9::SwitchToFixedPaths() {
    quorvel::SwitchToFixedPaths(settings_, services_);
}

void TForm9::Button3Click() {
    close();
}

} // namespace quorvel
