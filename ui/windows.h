#pragma once
// How one window reaches another: a window is shown by one call, and where a window hands
// entries to another, that is one named operation of the receiver. Application makes the
// windows and answers these calls; no window holds another window or reads its controls.

#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace quorvel {

class CollectionListing;
class HttpClient;
struct SharedDialogs;

// The windows a button opens with a plain show.
enum class WindowId {
    About,
    Contact,
    Thanks,
    WebUpdate,
    WhatsNew,
    PortableMode,
    InfoTextEditor,
    AlbumCreator,
    InfoListCreator,
    Backup,
    ManageFavourites,
    VideoImport,
};

class Windows {
public:
    // Shows the window without blocking its opener, or brings it to the front when open.
    virtual void Show(WindowId window) = 0;

    // The reader shows this text and picture.
    virtual void ShowInReader(const QString& text, const QImage& picture) = 0;
    // The album window shows exactly these titles, none ticked, as a filtered list.
    virtual void SendToAlbum(const QStringList& titles) = 0;
    // Manage Info Text lists these entries as a filtered list and comes up.
    virtual void SendToInfoTextEditor(const QStringList& entries) = 0;
    // The off-line tab lists these files as a filtered list and comes to the front.
    virtual void SendToOfflineTab(const QStringList& items) = 0;
    // Files were added to the collection folder behind the listing's back: the off-line tab
    // lists the folder anew.
    virtual void CollectionFilesAdded() = 0;
    // The album's index opens, or the album window offers to make one.
    virtual void OpenAlbumIndex() = 0;
    // The first tab searches the text, brought to the front.
    virtual void SearchOnline(const QString& text) = 0;
    // The other titles of the name typed, in their window.
    virtual void ShowTitleMatches(const QString& input) = 0;
    // The first tab is busy with a search: a chosen title waits.
    virtual bool OnlineSearchRunning() = 0;
    // The first tab looks up the chosen identifier.
    virtual void ShowMatch(const QString& imdbId) = 0;
    // The add-favourite window comes up for this video.
    virtual void AddFavourite(const QString& videoId) = 0;
    // The favourites as saved: the video tab's list and the add window take them.
    virtual void SetFavourites(const QStringList& entries) = 0;
    // The album name request, waited for with every window usable; nothing when it was closed
    // without "OK".
    virtual std::optional<QString> AskAlbumName() = 0;
    // A backup being written is warned about before the program ends.
    virtual void WarnIfBackupRunning() = 0;

    // What the windows share: the main window (to centre on, and to go with it), the one
    // listing of the collection, the main window's file dialogs and the poster client.
    virtual QWidget* MainWindow() = 0;
    virtual CollectionListing& Listing() = 0;
    virtual SharedDialogs& FileDialogs() = 0;
    virtual HttpClient& PosterClient() = 0;
    virtual void SetStatusText(const QString& text) = 0;

protected:
    ~Windows() = default;
};

} // namespace quorvel
