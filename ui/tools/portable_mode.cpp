#include "ui/tools/portable_mode.h"

#include "core/options.h"
#include "core/textfile.h"
#include "ui/main/main_window.h"
#include "ui/main/options_tab.h"
#include "ui/main/shared_commands.h"
#include "ui/tools/album_creator.h"
#include "ui/tools/backup.h"
#include "ui/tools/info_list_creator.h"
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
const QString kSwitchOffQuestion = QStringLiteral(
    "This operation can only be performed when portable mode is off. You are in portable mode "
    "(various portable path will be saved if needed). Do you want to switch off the portable "
    "mode?");
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

TForm9::TForm9(Windows& windows, Services& services, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm9>()), windows_(windows), services_(services) {
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, [this] { SwitchToPortablePaths(); });
    connect(ui->Button2, &QPushButton::clicked, this, [this] { SwitchToFixedPaths(); });
    connect(ui->Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
}

TForm9::~TForm9() = default;

QString TForm9::MovieFolder() const {
    return ui->Edit1->text() + QStringLiteral("Movie");
}

QString TForm9::AlbumFolder() const {
    return ui->Edit1->text() + QStringLiteral("Album");
}

void TForm9::FormCreate() {
    TForm1* main = windows_.form1;
    ui->Edit1->setText(main->AppFolder());
    ui->Edit2->setText(FolderExists(MovieFolder()) ? MovieFolder() : kNoMovieFolder);
    ui->Edit3->setText(FolderExists(AlbumFolder()) ? AlbumFolder() : kNoHtmlAlbumFolder);
    // An unreadable Options.ini ends these steps without a word; the program starts fixed.
    const Result<bool> portable =
        main->Options().readBool(opt::kSettings, opt::kPortableMode, false);
    if (portable) {
        ui->CheckBox1->setChecked(*portable);
        ui->CheckBox1->setEnabled(FolderExists(MovieFolder()) && FolderExists(AlbumFolder()));
        if (ui->CheckBox1->isChecked())
            SwitchToPortablePaths();
        RebasePicturePaths();
    }
    if (main->PortableIndicator() == kPortableOn)
        ui->Edit3->setText(AlbumFolder());
}

void TForm9::Open() {
    ShowWindow(*this, windows_.form1);
}

void TForm9::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous() && ui->Edit3->text() == kDesignAlbumText)
        ui->Edit3->setText(AlbumFolder());
}

bool TForm9::PortableAtStart() const {
    return ui->CheckBox1->isChecked();
}

bool TForm9::ConfirmPortableOff() {
    if (windows_.form1->PortableIndicator() == kPortableOff)
        return true;
    if (services_.dialogs->ask(MessageKind::Confirmation, kSwitchOffQuestion, Buttons::YesNo) !=
        Button::Yes)
        return false;
    SwitchToFixedPaths();
    return true;
}

void TForm9::ShowIndicator(const QString& caption) {
    windows_.form1->OptionsPage()->SetPortableIndicator(caption);
    if (windows_.form7)
        windows_.form7->SetPortableIndicator(caption);
    if (windows_.form16)
        windows_.form16->ShowCollectionFolder(windows_.form1->CollectionFolder(), caption);
}

void TForm9::ShowCollectionFolder(const QString& folder) {
    windows_.form1->OptionsPage()->SetCollectionFolder(folder);
    // A record saved right after the switch belongs in the collection now in force.
    windows_.form1->FileDialogs().SetStartFolder(folder);
    ShowInListCreator(folder, windows_.form1->PortableIndicator(), false);
    if (windows_.form16)
        windows_.form16->ShowCollectionFolder(folder, windows_.form1->PortableIndicator());
}

// The Info List Creator (TForm12) keeps its own copy of the collection folder and of the
// indicator; every change of either reaches it through here, both together.
void TForm9::ShowInListCreator(const QString& folder, const QString& caption, bool refresh) {
    if (!windows_.form12)
        return;
    windows_.form12->SetCollectionFolder(folder);
    windows_.form12->SetPortableIndicator(caption);
    if (refresh)
        windows_.form12->CollectionFolderMoved();
}

void TForm9::UndoPortableSwitch(bool albumToo) {
    ShowIndicator(kPortableOff);
    ShowCollectionFolder(ui->Label3->text());
    windows_.form1->OptionsPage()->SetFavouritesFolder(ui->Label4->text());
    if (albumToo && windows_.form7)
        windows_.form7->SetAlbumFolder(ui->Label6->text());
}

void TForm9::SwitchToPortablePaths() {
    TForm1* main = windows_.form1;
    OptionsTab* options = main->OptionsPage();
    // The folders to fall back to are the fixed ones. A press while portable mode is already
    // on keeps them: a portable folder remembered here would come back as a fixed folder after
    // a failed switch or "Use Fixed Path", and Save would store it.
    const bool fromFixed = main->PortableIndicator() == kPortableOff;
    if (fromFixed) {
        ui->Label3->setText(main->CollectionFolder());
        ui->Label4->setText(main->FavouritesFolder());
    }

    if (!MakeFolder(MovieFolder())) {
        ReportError(services_, kCannotCreateMovie);
        ui->Edit2->setText(kNoMovieFolder);
        UndoPortableSwitch(false);
        return;
    }
    ui->Edit2->setText(MovieFolder());
    ShowIndicator(kPortableOn);
    ShowCollectionFolder(MovieFolder());
    options->SetFavouritesFolder(main->AppFolder());
    ui->CheckBox1->setEnabled(true);

    if (fromFixed && windows_.form7)
        ui->Label6->setText(windows_.form7->AlbumFolder());
    if (!MakeFolder(AlbumFolder())) {
        ReportError(services_, kCannotCreateAlbum);
        ui->Edit3->setText(kNoAlbumFolder);
        UndoPortableSwitch(true);
        return;
    }
    ui->Edit3->setText(AlbumFolder());
    if (windows_.form7)
        windows_.form7->SetAlbumFolder(AlbumFolder());
    ui->CheckBox1->setEnabled(true);

    ShowInListCreator(MovieFolder(), kPortableOn, true);
    if (windows_.form16)
        windows_.form16->CollectionFolderMoved();
    UsePortablePictures();
}

// A portable picture lives in the application folder under its own name; the fixed one is
// offered as the source of that copy. The indicator already reads on, so whatever the boxes
// take becomes the portable picture path.
void TForm9::UsePortablePictures() {
    OptionsTab* options = windows_.form1->OptionsPage();
    PicturePaths& paths = options->Pictures();
    if (paths.bckTab1P.isEmpty())
        paths.bckTab1P = paths.bckTab1;
    if (paths.bckTab2P.isEmpty())
        paths.bckTab2P = paths.bckTab2;
    const PicturePaths before = paths;
    UsePortablePicture(before.bckTab1P, before.bckTab1, kCopyTab1Question,
                       [options](const QString& path) { options->SetTab1PicturePath(path); });
    UsePortablePicture(before.bckTab2P, before.bckTab2, kCopyTab2Question,
                       [options](const QString& path) { options->SetTab2PicturePath(path); });
}

void TForm9::UsePortablePicture(const QString& portable, const QString& fixed,
                                const QString& question,
                                const std::function<void(const QString&)>& showPath) {
    if (portable.isEmpty())
        return;
    const QString target = RebasedPicturePath(windows_.form1->AppFolder(), portable);
    if (QFileInfo::exists(target)) {
        showPath(target);
        return;
    }
    if (services_.dialogs->ask(MessageKind::Warning, question, Buttons::YesNo) != Button::Yes) {
        showPath(fixed);
        return;
    }
    if (!CopyToNewFile(fixed, target)) {
        ReportError(services_, kCannotCopyPicture);
        showPath(fixed);
        return;
    }
    showPath(target);
}

// The medium may sit at another mount point than at the last run: the portable pictures are
// looked for in this application folder, and the file learns where. A path box follows only
// when portable mode is really in force and the picture is there, so the fixed picture the
// switch chose (or was told to keep) stays on show.
bool TForm9::RebasePicturePaths() {
    TForm1* main = windows_.form1;
    OptionsTab* options = main->OptionsPage();
    struct Tab {
        const char* key;
        QString PicturePaths::*path;
        void (OptionsTab::*show)(const QString&);
    };
    const Tab tabs[] = {
        {opt::kBckTab2P, &PicturePaths::bckTab2P, &OptionsTab::SetTab2PicturePath},
        {opt::kBckTab1P, &PicturePaths::bckTab1P, &OptionsTab::SetTab1PicturePath},
    };
    const bool portable = main->PortableIndicator() == kPortableOn;
    for (const Tab& tab : tabs) {
        const Result<QString> stored = main->Options().readString(opt::kSettings, tab.key, {});
        if (!stored)
            return false;
        if (stored->isEmpty()) {
            options->Pictures().*tab.path = QString();
            if (portable)
                (options->*tab.show)(QString());
            continue;
        }
        const QString rebased = RebasedPicturePath(main->AppFolder(), *stored);
        if (portable && QFileInfo::exists(rebased))
            (options->*tab.show)(rebased);
        options->Pictures().*tab.path = rebased;
        // Rewriting an unchanged value would only reformat the user's file.
        if (rebased != *stored && !main->Options().writeString(opt::kSettings, tab.key, rebased))
            return false;
    }
    return true;
}

void TForm9::SwitchToFixedPaths() {
    TForm1* main = windows_.form1;
    OptionsTab* options = main->OptionsPage();
    options->SetPortableIndicator(kPortableOff);
    if (windows_.form7)
        windows_.form7->SetPortableIndicator(kPortableOff);
    ShowInListCreator(main->CollectionFolder(), kPortableOff, false);

    const PicturePaths fixed = options->Pictures();
    options->SetTab1PicturePath(fixed.bckTab1);
    options->SetTab2PicturePath(fixed.bckTab2);

    // The tab's own "Load saved path" of both folders; the indicator is off by now, so they
    // do not ask about portable mode again.
    options->Button22Click();
    main->FileDialogs().SetStartFolder(main->CollectionFolder());
    options->Button31Click();
    // Without a stored album folder the one in force before portable mode comes back, never
    // the portable one.
    if (windows_.form7) {
        const QString before = ui->Label6->text();
        windows_.form7->LoadSavedFolder(before.isEmpty() ? windows_.form7->AlbumFolder() : before);
    }
    ShowInListCreator(main->CollectionFolder(), kPortableOff, true);
    if (windows_.form16)
        windows_.form16->CollectionFolderMoved();
}

void TForm9::Button3Click() {
    close();
}

} // namespace quorvel
