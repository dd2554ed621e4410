#include "ui/main/application.h"

#include "ui/main/main_window.h"
#include "ui/main/search_offline_tab.h"
#include "ui/main/search_online_tab.h"
#include "ui/main/themes.h"
#include "ui/main/video_tab.h"
#include "ui/tools/about_box.h"
#include "ui/tools/add_favourite.h"
#include "ui/tools/album_creator.h"
#include "ui/tools/album_name_request.h"
#include "ui/tools/backup.h"
#include "ui/tools/contact.h"
#include "ui/tools/info_list_creator.h"
#include "ui/tools/info_text_editor.h"
#include "ui/tools/manage_favourites.h"
#include "ui/tools/portable_mode.h"
#include "ui/tools/reader.h"
#include "ui/tools/thanks.h"
#include "ui/tools/title_matches.h"
#include "ui/tools/update_check.h"
#include "ui/tools/video_import.h"
#include "ui/tools/whats_new.h"

namespace quorvel {

// The windows are made in this order, each after those it may use when it is created: TForm1,
// TAboutBox, TForm2 to TForm8, TForm9 (portable paths), TForm10, TForm12 to TForm18.
namespace {

HttpSettings PosterClientSettings() {
    HttpSettings settings;
    settings.maxBytes = kImageSizeCap;
    settings.cookies = true;
    return settings;
}

// A window not made yet (during start-up) is not shown.
template <typename W> void OpenIfMade(const std::unique_ptr<W>& window) {
    if (window)
        window->Open();
}

} // namespace

Application::Application(Services& services, QString appFolder)
    : services_(services), settings_(std::move(appFolder)),
      posterClient_(std::make_unique<HttpClient>(PosterClientSettings())) {
    Windows& windows = *this;
    // The look every window is made in; the main window's start-up applies the stored theme.
    ApplyStyle(QString::fromLatin1(kStartStyle));
    form1_ = std::make_unique<TForm1>(windows, services_, settings_);
    set_.form1 = form1_.get();
    form1_->FormCreate();

    aboutBox_ = std::make_unique<TAboutBox>(windows, services_, form1_.get());
    set_.aboutBox = aboutBox_.get();
    aboutBox_->FormCreate();
    form2_ = std::make_unique<TForm2>(windows, services_, form1_.get());
    set_.form2 = form2_.get();
    form2_->FormCreate();

    form3_ = std::make_unique<TForm3>(windows, services_, settings_, form1_.get());
    set_.form3 = form3_.get();
    form3_->FormCreate();
    form4_ = std::make_unique<TForm4>(windows, services_, settings_, form1_.get());
    set_.form4 = form4_.get();
    form4_->FormCreate();
    form5_ = std::make_unique<TForm5>(windows, services_, settings_, form1_.get());
    set_.form5 = form5_.get();
    form5_->FormCreate();

    form6_ = std::make_unique<TForm6>(windows, services_, form1_.get());
    set_.form6 = form6_.get();

    form7_ = std::make_unique<TForm7>(windows, services_, settings_, form1_.get());
    set_.form7 = form7_.get();
    form7_->FormCreate();
    form8_ = std::make_unique<TForm8>(windows, services_, settings_, form1_.get());
    set_.form8 = form8_.get();
    form8_->FormCreate();
    form9_ = std::make_unique<TForm9>(windows, services_, settings_, form1_.get());
    set_.form9 = form9_.get();
    form9_->FormCreate();
    form10_ = std::make_unique<TForm10>(form1_.get());
    set_.form10 = form10_.get();

    form12_ = std::make_unique<TForm12>(windows, services_, settings_, form1_.get());
    set_.form12 = form12_.get();
    form12_->FormCreate();

    form13_ = std::make_unique<TForm13>(windows, services_, settings_, form1_.get());
    set_.form13 = form13_.get();
    form13_->FormCreate();
    form15_ = std::make_unique<TForm15>(windows, settings_, form1_.get());
    set_.form15 = form15_.get();
    form16_ = std::make_unique<TForm16>(windows, services_, settings_, form1_.get());
    set_.form16 = form16_.get();
    form16_->FormCreate();
    form17_ = std::make_unique<TForm17>(windows, services_, settings_, form1_.get());
    set_.form17 = form17_.get();
    form18_ = std::make_unique<TForm18>(windows, services_, settings_, form1_.get());
    set_.form18 = form18_.get();
}

Application::~Application() {
    // The secondary windows are Qt children of the main window: each goes before it, or the
    // main window would delete them a second time.
    form18_.reset();
    set_.form18 = nullptr;
    form17_.reset();
    set_.form17 = nullptr;
    form16_.reset();
    set_.form16 = nullptr;
    form15_.reset();
    set_.form15 = nullptr;
    form13_.reset();
    set_.form13 = nullptr;
    form12_.reset();
    set_.form12 = nullptr;
    form10_.reset();
    set_.form10 = nullptr;
    form9_.reset();
    set_.form9 = nullptr;
    form8_.reset();
    set_.form8 = nullptr;
    form7_.reset();
    set_.form7 = nullptr;
    form6_.reset();
    set_.form6 = nullptr;
    form5_.reset();
    set_.form5 = nullptr;
    form4_.reset();
    set_.form4 = nullptr;
    form3_.reset();
    set_.form3 = nullptr;
    form2_.reset();
    set_.form2 = nullptr;
    aboutBox_.reset();
    set_.aboutBox = nullptr;
    form1_.reset();
    set_.form1 = nullptr;
}

void Application::Show(WindowId window) {
    switch (window) {
    case WindowId::About:
        OpenIfMade(aboutBox_);
        break;
    case WindowId::Contact:
        OpenIfMade(form2_);
        break;
    case WindowId::Thanks:
        OpenIfMade(form10_);
        break;
    case WindowId::WebUpdate:
        OpenIfMade(form8_);
        break;
    case WindowId::WhatsNew:
        OpenIfMade(form15_);
        break;
    case WindowId::PortableMode:
        OpenIfMade(form9_);
        break;
    case WindowId::InfoTextEditor:
        OpenIfMade(form5_);
        break;
    case WindowId::AlbumCreator:
        OpenIfMade(form7_);
        break;
    case WindowId::InfoListCreator:
        OpenIfMade(form12_);
        break;
    case WindowId::Backup:
        OpenIfMade(form16_);
        break;
    case WindowId::ManageFavourites:
        OpenIfMade(form4_);
        break;
    case WindowId::VideoImport:
        OpenIfMade(form18_);
        break;
    }
}

void Application::ShowInReader(const QString& text, const QImage& picture) {
    // Filled first: a reader already open is not shown anew.
    form6_->Fill(text, picture);
    form6_->Open();
}

void Application::SendToAlbum(const QStringList& titles) {
    form7_->ReceiveTitles(titles);
}

void Application::SendToInfoTextEditor(const QStringList& entries) {
    form5_->ReceiveFilteredList(entries);
    form5_->Open();
}

void Application::SendToOfflineTab(const QStringList& items) {
    form1_->ShowFilteredList(items);
}

void Application::CollectionFilesAdded() {
    listing_.Forget();
    form1_->OfflineTab()->CollectionFolderMoved();
}

void Application::OpenAlbumIndex() {
    form7_->OpenIndexOrOffer();
}

void Application::SearchOnline(const QString& text) {
    form1_->SearchOnline(text);
}

void Application::ShowTitleMatches(const QString& input) {
    form17_->Open(input);
}

bool Application::OnlineSearchRunning() {
    return form1_->OnlineTab()->SearchRunning();
}

void Application::ShowMatch(const QString& imdbId) {
    form1_->OnlineTab()->ShowMatch(imdbId);
}

void Application::AddFavourite(const QString& videoId) {
    form3_->SetVideoId(videoId);
    form3_->Open();
}

void Application::SetFavourites(const QStringList& entries) {
    form1_->VideoPage()->SetFavourites(entries);
    if (form3_)
        form3_->SetFavourites(entries);
}

std::optional<QString> Application::AskAlbumName() {
    return form13_->Ask();
}

void Application::WarnIfBackupRunning() {
    // Once as the close is asked and once as it happens; the backup goes on to its end.
    if (form16_ && form16_->BackupRunning()) {
        form16_->WarnBackupRunning();
        form16_->WarnBackupRunning();
    }
}

QWidget* Application::MainWindow() {
    return form1_.get();
}

void Application::SetStatusText(const QString& text) {
    form1_->SetStatusText(text);
}

} // namespace quorvel
