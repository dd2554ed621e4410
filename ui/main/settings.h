#pragma once
// The program's settings while it runs: the folders, the portable mode, the service settings,
// the looks and every other option of Options.ini. Windows show these values and change them
// here; none of them keeps its own copy or reads another window's controls.

#include "core/options.h"

#include <QObject>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;

namespace quorvel {

// The custom background pictures of the first two tabs, fixed and portable forms.
struct PicturePaths {
    QString bckTab1;
    QString bckTab2;
    QString bckTab1P;
    QString bckTab2P;
    bool operator==(const PicturePaths&) const = default;
};

// The folders in force before the last switch to portable paths: where a failed switch and
// "Use Fixed Path" come back to.
struct ReturnFolders {
    QString collection;
    QString favourites;
    QString album;
    bool operator==(const ReturnFolders&) const = default;
};

class Settings;

// A box that shows a folder of the settings from now on (`changed` is its signal); `moved`
// runs after each change, for the list the box's window keeps of that folder.
void ShowFolderIn(QLineEdit* box, Settings& settings, void (Settings::*changed)(const QString&),
                  std::function<void()> moved);
// A label that shows the portable mode from now on: "Portable mode on" or "Portable mode off".
void ShowPortableModeIn(QLabel* label, Settings& settings);

class Settings : public QObject {
    Q_OBJECT
public:
    // `appFolder` ends with "/". The values start as a window shows them before Options.ini is
    // applied; the service settings are read from the file at once.
    explicit Settings(QString appFolder, QObject* parent = nullptr);

    const QString& AppFolder() const { return appFolder_; }
    QString PortableMovieFolder() const; // AppFolder() + "Movie"
    QString PortableAlbumFolder() const; // AppFolder() + "Album"

    // ---- Options.ini ----
    // Reads every stored option and applies it in the start-up order; a file that cannot be
    // read changes nothing and gives the failure.
    Result<StoredOptions> ReadStored() const;
    void Apply(const StoredOptions& stored);
    // Writes the defaults (keeping the favourites folder, the portable mode and the album
    // folder the file holds) and reads them back.
    Result<StoredOptions> Recreate();
    // Save: every option in its fixed order; `afterWrite` hears each key written.
    Status Save(const std::function<void(const char* key)>& afterWrite = {});
    // The album window's "Save Path".
    Status SaveAlbumFolder();
    // The values stored now, read from the file at the moment of asking ("Load saved path",
    // the portable start). An empty stored folder means the application folder.
    Result<QString> StoredCollectionFolder() const;
    Result<QString> StoredFavouritesFolder() const;
    Result<QString> StoredAlbumFolder(const QString& fallback) const;
    Result<bool> StoredPortableMode() const;
    Result<QString> StoredPortablePicture(int tab) const;
    Status WritePortablePicture(int tab, const QString& path);

    // ---- Folders and the portable mode ----
    const QString& CollectionFolder() const { return collectionFolder_; }
    void SetCollectionFolder(const QString& folder);
    const QString& FavouritesFolder() const { return favouritesFolder_; }
    void SetFavouritesFolder(const QString& folder);
    const QString& AlbumFolder() const { return albumFolder_; }
    void SetAlbumFolder(const QString& folder);
    bool PortableMode() const { return portableMode_; }
    void SetPortableMode(bool on);
    // "Always use portable path at startup of Quorvel", saved as "Portable Mode".
    bool PortableAtStart() const { return portableAtStart_; }
    void SetPortableAtStart(bool on);
    const ReturnFolders& FoldersToReturnTo() const { return returnFolders_; }
    void SetFoldersToReturnTo(const ReturnFolders& folders);

    // ---- Service ----
    // The addresses of Options.ini and the key in force (blanks at its ends dropped).
    ServiceSettings Service() const;
    // The key as typed in the Options tab.
    const QString& OmdbApiKey() const { return omdbApiKey_; }
    void SetOmdbApiKey(const QString& key);

    // ---- Looks and pictures ----
    int Theme() const { return theme_; } // -1: nothing selected
    void SetTheme(int index);
    bool BackgroundImage() const { return backgroundImage_; }
    void SetBackgroundImage(bool on);
    bool BckTab1Used() const { return bckTab1Used_; }
    void SetBckTab1Used(bool on);
    bool BckTab2Used() const { return bckTab2Used_; }
    void SetBckTab2Used(bool on);
    const PicturePaths& Pictures() const { return pictures_; }
    void SetPictures(const PicturePaths& pictures);
    // The picture path in use on tab 1 or 2 (Edit7, Edit8). Setting a new one also sets the
    // entry of the mode in force; showing it (the start-up filling) sets nothing else.
    const QString& TabPicture(int tab) const { return tab == 1 ? tab1Picture_ : tab2Picture_; }
    void SetTabPicture(int tab, const QString& path);
    void ShowTabPicture(int tab, const QString& path);

    // ---- Other options ----
    bool Tab1Save() const { return tab1Save_; }
    void SetTab1Save(bool on);
    bool Tab1ReadOnly() const { return tab1ReadOnly_; }
    void SetTab1ReadOnly(bool on);
    bool Tab2ReadOnly() const { return tab2ReadOnly_; }
    void SetTab2ReadOnly(bool on);
    bool Tab3AutoPlay() const { return tab3AutoPlay_; }
    void SetTab3AutoPlay(bool on);
    bool Tab3VideoOnly() const { return tab3VideoOnly_; }
    void SetTab3VideoOnly(bool on);

Q_SIGNALS:
    void CollectionFolderChanged(const QString& folder);
    void FavouritesFolderChanged(const QString& folder);
    void AlbumFolderChanged(const QString& folder);
    void PortableModeChanged(bool on);
    void PortableAtStartChanged(bool on);
    void FoldersToReturnToChanged(const ReturnFolders& folders);
    void OmdbApiKeyChanged(const QString& key);
    void ThemeChanged(int index);
    void BackgroundImageChanged(bool on);
    void BckTab1UsedChanged(bool on);
    void BckTab2UsedChanged(bool on);
    void PicturesChanged(const PicturePaths& pictures);
    void TabPictureChanged(int tab, const QString& path);
    void Tab1SaveChanged(bool on);
    void Tab1ReadOnlyChanged(bool on);
    void Tab2ReadOnlyChanged(bool on);
    void Tab3AutoPlayChanged(bool on);
    void Tab3VideoOnlyChanged(bool on);

private:
    template <typename T, typename Arg>
    void Assign(T& field, const T& value, void (Settings::*changed)(Arg));

    QString appFolder_;
    OptionsFile file_;
    ServiceSettings service_;

    QString collectionFolder_;
    QString favouritesFolder_;
    QString albumFolder_;
    bool portableMode_ = false;
    bool portableAtStart_ = false;
    ReturnFolders returnFolders_;
    QString omdbApiKey_;
    int theme_ = opt::kDefaultTheme;
    bool backgroundImage_ = true;
    bool bckTab1Used_ = false;
    bool bckTab2Used_ = false;
    PicturePaths pictures_;
    QString tab1Picture_;
    QString tab2Picture_;
    bool tab1Save_ = false;
    bool tab1ReadOnly_ = true;
    bool tab2ReadOnly_ = true;
    bool tab3AutoPlay_ = true;
    bool tab3VideoOnly_ = true;
};

} // namespace quorvel
