#include "ui/main/settings.h"

#include "core/textfile.h"
#include "ui/main/shared_commands.h"

#include <QLabel>
#include <QLineEdit>

namespace quorvel {

namespace {

// An empty stored folder would be taken relative to wherever the program was started.
Result<QString> FolderOrAppFolder(Result<QString> stored, const QString& appFolder) {
    if (stored && stored->isEmpty())
        return appFolder;
    return stored;
}

const char* PortablePictureKey(int tab) {
    return tab == 1 ? opt::kBckTab1P : opt::kBckTab2P;
}

} // namespace

Settings::Settings(QString appFolder, QObject* parent)
    : QObject(parent), appFolder_(std::move(appFolder)), file_(OptionsFilePath(appFolder_)),
      service_(ReadServiceSettings(file_)), albumFolder_(appFolder_) {}

QString Settings::PortableMovieFolder() const {
    return appFolder_ + QStringLiteral("Movie");
}

QString Settings::PortableAlbumFolder() const {
    return appFolder_ + QStringLiteral("Album");
}

template <typename T, typename Arg>
void Settings::Assign(T& field, const T& value, void (Settings::*changed)(Arg)) {
    if (field == value)
        return;
    field = value;
    Q_EMIT(this->*changed)(value);
}

void ShowFolderIn(QLineEdit* box, Settings& settings, void (Settings::*changed)(const QString&),
                  std::function<void()> moved) {
    QObject::connect(&settings, changed, box, [box, moved](const QString& folder) {
        box->setText(folder);
        if (moved)
            moved();
    });
}

void ShowPortableModeIn(QLabel* label, Settings& settings) {
    const auto show = [label](bool on) { label->setText(on ? kPortableOn : kPortableOff); };
    show(settings.PortableMode());
    QObject::connect(&settings, &Settings::PortableModeChanged, label, show);
}

// ---- Options.ini ----

Result<StoredOptions> Settings::ReadStored() const {
    return ReadStoredOptions(file_, appFolder_);
}

void Settings::Apply(const StoredOptions& stored) {
    // The order of the start-up: each box shows its value, and runs its action, in turn. The
    // picture boxes are empty while the use boxes are set, so ticking loads nothing yet.
    SetCollectionFolder(stored.savingPath);
    SetFavouritesFolder(stored.savingFavPath);
    ShowTabPicture(1, QString());
    ShowTabPicture(2, QString());
    SetTab1Save(stored.tab1Save);
    SetTab3AutoPlay(stored.tab3AutoPlay);
    SetTab3VideoOnly(stored.tab3VideoOnly);
    SetBackgroundImage(stored.backgroundImage);
    SetBckTab1Used(stored.bckTab1Used);
    SetBckTab2Used(stored.bckTab2Used);
    SetTheme(stored.theme);
    SetOmdbApiKey(stored.omdbApiKey);
    SetPictures({stored.bckTab1, stored.bckTab2, stored.bckTab1P, stored.bckTab2P});
    SetAlbumFolder(stored.htmlSavingPath);
}

Result<StoredOptions> Settings::Recreate() {
    return RecreateOptionsFile(file_, appFolder_);
}

Status Settings::Save(const std::function<void(const char* key)>& afterWrite) {
    OptionValues v;
    v.savingPath = collectionFolder_;
    v.savingFavPath = favouritesFolder_;
    v.tab1Save = tab1Save_;
    v.tab1ReadOnly = tab1ReadOnly_;
    v.tab2ReadOnly = tab2ReadOnly_;
    v.tab3AutoPlay = tab3AutoPlay_;
    v.tab3VideoOnly = tab3VideoOnly_;
    v.portableMode = portableAtStart_;
    v.backgroundImage = backgroundImage_;
    v.theme = theme_;
    v.htmlSavingPath = albumFolder_;
    v.bckTab1 = pictures_.bckTab1;
    v.bckTab1P = pictures_.bckTab1P;
    v.bckTab2 = pictures_.bckTab2;
    v.bckTab2P = pictures_.bckTab2P;
    v.bckTab1Used = bckTab1Used_;
    v.bckTab2Used = bckTab2Used_;
    v.omdbApiKey = Service().omdbApiKey;
    return SaveAllOptions(file_, v, afterWrite);
}

Status Settings::SaveAlbumFolder() {
    return file_.writeString(opt::kHtml, opt::kSavingPath, albumFolder_);
}

Result<QString> Settings::StoredCollectionFolder() const {
    return FolderOrAppFolder(file_.readString(opt::kSettings, opt::kSavingPath, appFolder_),
                             appFolder_);
}

Result<QString> Settings::StoredFavouritesFolder() const {
    return FolderOrAppFolder(file_.readString(opt::kSettings, opt::kSavingFavPath, appFolder_),
                             appFolder_);
}

Result<QString> Settings::StoredAlbumFolder(const QString& fallback) const {
    return FolderOrAppFolder(file_.readString(opt::kHtml, opt::kSavingPath, fallback), appFolder_);
}

Result<bool> Settings::StoredPortableMode() const {
    return file_.readBool(opt::kSettings, opt::kPortableMode, false);
}

Result<QString> Settings::StoredPortablePicture(int tab) const {
    return file_.readString(opt::kSettings, PortablePictureKey(tab), QString());
}

Status Settings::WritePortablePicture(int tab, const QString& path) {
    return file_.writeString(opt::kSettings, PortablePictureKey(tab), path);
}

// ---- Folders and the portable mode ----

void Settings::SetCollectionFolder(const QString& folder) {
    Assign(collectionFolder_, folder, &Settings::CollectionFolderChanged);
}

void Settings::SetFavouritesFolder(const QString& folder) {
    Assign(favouritesFolder_, folder, &Settings::FavouritesFolderChanged);
}

void Settings::SetAlbumFolder(const QString& folder) {
    Assign(albumFolder_, folder, &Settings::AlbumFolderChanged);
}

void Settings::SetPortableMode(bool on) {
    Assign(portableMode_, on, &Settings::PortableModeChanged);
}

void Settings::SetPortableAtStart(bool on) {
    Assign(portableAtStart_, on, &Settings::PortableAtStartChanged);
}

void Settings::SetFoldersToReturnTo(const ReturnFolders& folders) {
    Assign(returnFolders_, folders, &Settings::FoldersToReturnToChanged);
}

// ---- Service ----

ServiceSettings Settings::Service() const {
    ServiceSettings service = service_;
    // The key in force is the box's, saved or not, like every other option of the tab.
    service.omdbApiKey = TrimBlanksAndControls(omdbApiKey_);
    return service;
}

void Settings::SetOmdbApiKey(const QString& key) {
    Assign(omdbApiKey_, key, &Settings::OmdbApiKeyChanged);
}

// ---- Looks and pictures ----

void Settings::SetTheme(int index) {
    Assign(theme_, index, &Settings::ThemeChanged);
}

void Settings::SetBackgroundImage(bool on) {
    Assign(backgroundImage_, on, &Settings::BackgroundImageChanged);
}

void Settings::SetBckTab1Used(bool on) {
    Assign(bckTab1Used_, on, &Settings::BckTab1UsedChanged);
}

void Settings::SetBckTab2Used(bool on) {
    Assign(bckTab2Used_, on, &Settings::BckTab2UsedChanged);
}

void Settings::SetPictures(const PicturePaths& pictures) {
    Assign(pictures_, pictures, &Settings::PicturesChanged);
}

void Settings::SetTabPicture(int tab, const QString& path) {
    // Only a new path is copied: the entry of the other mode may differ from the one shown.
    if (TabPicture(tab) == path)
        return;
    PicturePaths pictures = pictures_;
    if (tab == 1)
        (portableMode_ ? pictures.bckTab1P : pictures.bckTab1) = path;
    else
        (portableMode_ ? pictures.bckTab2P : pictures.bckTab2) = path;
    SetPictures(pictures);
    ShowTabPicture(tab, path);
}

void Settings::ShowTabPicture(int tab, const QString& path) {
    QString& shown = tab == 1 ? tab1Picture_ : tab2Picture_;
    if (shown == path)
        return;
    shown = path;
    Q_EMIT TabPictureChanged(tab, path);
}

// ---- Other options ----

void Settings::SetTab1Save(bool on) {
    Assign(tab1Save_, on, &Settings::Tab1SaveChanged);
}

void Settings::SetTab1ReadOnly(bool on) {
    Assign(tab1ReadOnly_, on, &Settings::Tab1ReadOnlyChanged);
}

void Settings::SetTab2ReadOnly(bool on) {
    Assign(tab2ReadOnly_, on, &Settings::Tab2ReadOnlyChanged);
}

void Settings::SetTab3AutoPlay(bool on) {
    Assign(tab3AutoPlay_, on, &Settings::Tab3AutoPlayChanged);
}

void Settings::SetTab3VideoOnly(bool on) {
    Assign(tab3VideoOnly_, on, &Settings::Tab3VideoOnlyChanged);
}

} // namespace quorvel
