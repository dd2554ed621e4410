#pragma once
// TForm7, "Off Line Database to Local HTML Album": turns ticked titles of the collection into
// an index of thumbnails and one page per title, to open in a web browser.

#include "core/album.h"
#include "platform/services.h"
#include "ui/windows.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>

#include <memory>
#include <optional>

namespace Ui {
class TForm7;
}

namespace quorvel {

class Settings;

class CheckableListModel;
class ListWhenShown;

class TForm7 : public QDialog {
    Q_OBJECT
public:
    TForm7(Windows& windows, Services& services, Settings& settings, QWidget* parent = nullptr);
    ~TForm7() override;

    // Start-up: the album folder of the mode in force, the whole collection listed and ticked.
    void FormCreate();
    // Shows the window without blocking its opener, or brings it to the front when open.
    void Open();
    // The Info List Creator's "HTML Album": shows the window with exactly these titles, none
    // ticked, as a filtered list.
    void ReceiveTitles(const QStringList& titles);
    // The off-line tab's "Local HTML": opens the index when there is one, else offers to
    // create an album.
    void OpenIndexOrOffer();

    QString AlbumFolder() const; // shown in Edit1
    void SetAlbumFolder(const QString& folder);
    // The album folder becomes the stored one, or `fallback` when none is stored; an options
    // file that cannot be read is reported and changes nothing.
    void LoadSavedFolder(const QString& fallback);
    QString IndexPath() const; // index.html in the album folder
    bool Creating() const { return creating_; }

    void Button1Click();  // Save Path
    void Button2Click();  // Select Folder
    void Button3Click();  // Refresh, also on every change of the album folder
    void Button6Click();  // Select
    void Button7Click();  // Deselect
    void Button8Click();  // Create Local HTML Album
    void Button9Click();  // Application folder
    void Button10Click(); // Load saved path
    void Button11Click(); // Desktop Shortcut
    void Button12Click(); // Launch index.html
    void Button13Click(); // Open Folder
    void Button14Click(); // Load filtered list
    void MovieListEditClick();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ConnectHandlers();
    QString CollectionFolder() const;
    bool PortableCheck();
    void SetTitles(const QStringList& titles, bool ticked, bool filtered);
    void SetSelectedTick(bool ticked);
    QStringList TickedTitles() const;
    void ShowPreviewPoster(const QString& title);
    void ShowPreviewText(const QString& title);

    std::optional<QString> AskIndexName();
    // The log's last line and the bar hidden; a created album offers to open its index.
    void FinishCreation(const AlbumOutcome& outcome, const QString& album, int titles);
    QString DateTimeText() const;
    void Log(const QString& line);
    void Step();
    void LetMessagesRun(bool now = false);

    std::unique_ptr<Ui::TForm7> ui;
    Windows& windows_;
    Services& services_;
    Settings& settings_;
    bool creating_ = false;
    QStringList pendingLog_;
    QElapsedTimer sinceMessages_;
    CheckableListModel* movieModel_ = nullptr;
    ListWhenShown* lister_ = nullptr;
    bool fillingList_ = false;
};

} // namespace quorvel
