#pragma once
// Makes every window once, in the program's order, owns them, and carries out the calls by
// which one window shows another or hands it entries.

#include "core/collection.h"
#include "online/http_client.h"
#include "platform/services.h"
#include "ui/main/settings.h"
#include "ui/main/shared_dialogs.h"
#include "ui/windows.h"

#include <QString>

#include <memory>

namespace quorvel {

class TForm1;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm16;
class TForm7;
class TForm12;
class TForm13;
class TAboutBox;
class TForm2;
class TForm8;
class TForm9;
class TForm10;
class TForm15;
class TForm17;
class TForm18;

// Every window, for the program's owner and for tests that drive a window directly.
struct WindowSet {
    TForm1* form1 = nullptr;       // main window
    TForm6* form6 = nullptr;       // reader
    TForm3* form3 = nullptr;       // add favourite
    TForm4* form4 = nullptr;       // manage favourites
    TForm16* form16 = nullptr;     // backup
    TForm5* form5 = nullptr;       // Manage Info Text
    TForm7* form7 = nullptr;       // album creator
    TForm12* form12 = nullptr;     // Info List Creator
    TForm13* form13 = nullptr;     // album name request
    TAboutBox* aboutBox = nullptr; // about
    TForm2* form2 = nullptr;       // contact the author
    TForm8* form8 = nullptr;       // web update
    TForm9* form9 = nullptr;       // portable mode
    TForm10* form10 = nullptr;     // special thanks
    TForm15* form15 = nullptr;     // what's new
    TForm17* form17 = nullptr;     // other titles of the same name
    TForm18* form18 = nullptr;     // import videos
};

class Application : private Windows {
public:
    // `appFolder` ends with "/". The services must outlive the Application.
    Application(Services& services, QString appFolder);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    WindowSet& windows() { return set_; }
    TForm1& mainWindow() { return *form1_; }
    Settings& settings() { return settings_; }

private:
    // Windows: the calls one window makes to reach another.
    void Show(WindowId window) override;
    void ShowInReader(const QString& text, const QImage& picture) override;
    void SendToAlbum(const QStringList& titles) override;
    void SendToInfoTextEditor(const QStringList& entries) override;
    void SendToOfflineTab(const QStringList& items) override;
    void CollectionFilesAdded() override;
    void OpenAlbumIndex() override;
    void SearchOnline(const QString& text) override;
    void ShowTitleMatches(const QString& input) override;
    bool OnlineSearchRunning() override;
    void ShowMatch(const QString& imdbId) override;
    void AddFavourite(const QString& videoId) override;
    void SetFavourites(const QStringList& entries) override;
    std::optional<QString> AskAlbumName() override;
    void WarnIfBackupRunning() override;
    QWidget* MainWindow() override;
    CollectionListing& Listing() override { return listing_; }
    SharedDialogs& FileDialogs() override { return dialogs_; }
    HttpClient& PosterClient() override { return *posterClient_; }
    void SetStatusText(const QString& text) override;

    Services& services_;
    Settings settings_;
    SharedDialogs dialogs_;
    CollectionListing listing_;
    std::unique_ptr<HttpClient> posterClient_;
    WindowSet set_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm6> form6_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TForm4> form4_;
    std::unique_ptr<TForm16> form16_;
    std::unique_ptr<TForm5> form5_;
    std::unique_ptr<TForm7> form7_;
    std::unique_ptr<TForm12> form12_;
    std::unique_ptr<TForm13> form13_;
    std::unique_ptr<TAboutBox> aboutBox_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm8> form8_;
    std::unique_ptr<TForm9> form9_;
    std::unique_ptr<TForm10> form10_;
    std::unique_ptr<TForm15> form15_;
    std::unique_ptr<TForm17> form17_;
    std::unique_ptr<TForm18> form18_;
};

} // namespace quorvel
