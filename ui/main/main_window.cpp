#include "ui/main/main_window.h"

#include "core/favourites.h"
#include "ui/main/hints.h"
#include "ui/main/options_tab.h"
#include "ui/main/search_offline_tab.h"
#include "ui/main/search_online_tab.h"
#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"
#include "ui/main/video_tab.h"
#include "ui_main_window.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QImageWriter>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>

#include <algorithm>

namespace quorvel {

namespace {

const QString kOnLine = QStringLiteral("Internet Connection Status : ON LINE.");
const QString kOffLine = QStringLiteral("Internet Connection Status: OFF LINE.");
const QString kConnectFirst =
    QStringLiteral("Please, Connect to the Internet before trying a Search");
const QString kScreenshotTitle = QStringLiteral("Save a screenshot of Quorvel current tab");
const QString kScreenshotQuestion = QStringLiteral(
    "Do you want to create a screenshot of this current tab into the application folder?");

// Encoded in memory, then written through the one atomic write, so a failed write never leaves
// half a bitmap.
Status SaveBitmap(const QImage& image, const QString& path) {
    const QString cannot = QStringLiteral("Cannot create file \"%1\". ").arg(path);
    if (image.isNull())
        return Failure(cannot + QStringLiteral("The window could not be captured."));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(image))
        return Failure(cannot + writer.errorString());
    return WriteFileSafely(path, bytes);
}

} // namespace

TForm1::TForm1(Windows& windows, Services& services, Settings& settings, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TForm1>()), windows_(windows),
      services_(services), settings_(settings) {
    // The interface font stays the platform's own: Tahoma is a Windows font.
    ui->setupUi(this);
    AddTabs();
    ui->Panel2->installEventFilter(this);
    statusText_ = new QLabel(ui->StatusBar1);
    statusText_->setObjectName(QStringLiteral("StatusText"));
    ui->StatusBar1->addWidget(statusText_, 1);
    // A new collection lists at once, and the file dialogs start in it.
    connect(&settings_, &Settings::CollectionFolderChanged, this, [this](const QString& folder) {
        FileDialogs().SetStartFolder(folder);
        offlineTab_->CollectionFolderMoved();
    });
    connect(optionsTab_, &OptionsTab::CollectionListStale, this,
            [this] { offlineTab_->CollectionFolderMoved(); });
    connect(optionsTab_, &OptionsTab::LookApplied, this, &TForm1::FitToContents);
    const std::pair<void (OptionsTab::*)(), WindowId> opens[] = {
        {&OptionsTab::Button36Click, WindowId::InfoTextEditor},
        {&OptionsTab::Button39Click, WindowId::AlbumCreator},
        {&OptionsTab::Button51Click, WindowId::InfoListCreator},
        {&OptionsTab::Button53Click, WindowId::Backup},
        {&OptionsTab::Button57Click, WindowId::VideoImport},
        {&OptionsTab::Button34Click, WindowId::ManageFavourites},
        {&OptionsTab::Button43Click, WindowId::PortableMode},
        {&OptionsTab::Button42Click, WindowId::WebUpdate},
        {&OptionsTab::Button11Click, WindowId::About},
    };
    for (const auto& [clicked, window] : opens)
        connect(optionsTab_, clicked, this, [this, window = window] { windows_.Show(window); });
    // The searches of both info tabs land on the video tab.
    connect(onlineTab_, &SearchOnlineTab::TrailerSearch, videoTab_, &VideoTab::Button28Click);
    connect(onlineTab_, &SearchOnlineTab::SoundtrackSearch, videoTab_, &VideoTab::Button54Click);
    connect(offlineTab_, &SearchOfflineTab::TrailerSearch, videoTab_, &VideoTab::Button32Click);
    connect(offlineTab_, &SearchOfflineTab::SoundtrackSearch, videoTab_, &VideoTab::Button55Click);
    connect(videoTab_, &VideoTab::WantsFront, this,
            [this] { ui->PageControl1->setCurrentWidget(videoTab_); });
}

// The tabs are windows of their own making (they need the registry and the services), so they
// join the form's tab control here.
void TForm1::AddTabs() {
    QTabWidget* pages = ui->PageControl1;
    onlineTab_ = new SearchOnlineTab(windows_, services_, settings_, pages);
    pages->addTab(onlineTab_, QStringLiteral("Search Title On Line"));
    offlineTab_ = new SearchOfflineTab(windows_, services_, settings_, pages);
    pages->addTab(offlineTab_, QStringLiteral("Search Title Off Line"));
    videoTab_ = new VideoTab(windows_, settings_, pages);
    pages->addTab(videoTab_, QStringLiteral("Search Video On Line"));
    optionsTab_ = new OptionsTab(services_, settings_, FileDialogs(), onlineTab_->Background(),
                                 offlineTab_->Background(), pages);
    pages->addTab(optionsTab_, QStringLiteral("Options"));
    pages->setCurrentIndex(0);
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    optionsTab_->KeepBuiltInBackgrounds();
    settings_.SetPictures(PicturePaths{});

    InstallHintHandler();

    if (services_.connection->IsOnline()) {
        SetStatusText(kOnLine);
    } else {
        SetStatusText(kOffLine);
        services_.dialogs->ask(MessageKind::Plain, kConnectFirst, Buttons::Ok);
    }

    onlineTab_->ClearImdbId();
    ApplyStoredOptions();
    FileDialogs().SetStartFolder(CollectionFolder());
    offlineTab_->CollectionFolderMoved();
    // A favourites file that cannot be read ends start-up here, the window as far as it got.
    if (!LoadFavouritesAtStart())
        return;
    optionsTab_->Button38Click();

    FitToContents();
    setMinimumSize(size());
}

void TForm1::FitToContents() {
    QSize wanted;
    if (isVisible()) {
        // A new look changes the tab bar and the margins: the page's area is measured once
        // the layouts have taken it in.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        // Every page has the area of the page on show. The Options tab wants all its controls,
        // the others their minimum (the browser's page would take whatever it is given).
        QSize need = optionsTab_->sizeHint();
        for (int i = 0; i < ui->PageControl1->count(); ++i)
            need = need.expandedTo(ui->PageControl1->widget(i)->minimumSizeHint());
        const QSize area = ui->PageControl1->currentWidget()->size();
        wanted = size() + QSize(std::max(0, need.width() - area.width()),
                                std::max(0, need.height() - area.height()));
    } else {
        // Before the first showing no page has its area yet: the layout measures them all.
        if (layout()) {
            layout()->invalidate();
            layout()->activate();
        }
        wanted = sizeHint();
    }
    if (const QScreen* desktop = screen()) {
        const QSize frame = frameGeometry().size() - size();
        wanted = wanted.boundedTo(desktop->availableGeometry().size() - frame);
    }
    resize(size().expandedTo(wanted));
}

void TForm1::ApplyStoredOptions() {
    const Result<StoredOptions> stored = settings_.ReadStored();
    if (!stored) {
        RecreateOptions();
        return;
    }
    ShowStoredOptions(*stored);
}

void TForm1::ShowStoredOptions(const StoredOptions& stored) {
    settings_.Apply(stored);
    optionsTab_->ShowStored(stored);
    onlineTab_->ReadOnlyBox()->setChecked(stored.tab1ReadOnly);
    offlineTab_->ReadOnlyBox()->setChecked(stored.tab2ReadOnly);
}

void TForm1::RecreateOptions() {
    const QString question = QStringLiteral("Software settings ") + AppFolder() +
                             QStringLiteral("Options.ini") +
                             QStringLiteral(" does not exist or corrupted. Options.ini will be "
                                            "recreated with default settings values.");
    if (services_.dialogs->ask(MessageKind::Information, question, Buttons::YesNo) != Button::Yes)
        return;
    const Result<StoredOptions> readBack = settings_.Recreate();
    // When even the new file cannot be written or read, the built-in values are shown.
    ShowStoredOptions(readBack ? *readBack : DefaultOptions(AppFolder()));
}

bool TForm1::LoadFavouritesAtStart() {
    const QString path = FavouritesFilePath(FavouritesFolder());
    if (!QFileInfo::exists(path))
        return true;
    const Result<TextFile> favourites = LoadFavourites(path);
    if (!favourites)
        return false;
    videoTab_->SetFavourites(favourites->lines);
    return true;
}

const QString& TForm1::AppFolder() const {
    return settings_.AppFolder();
}

const QString& TForm1::CollectionFolder() const {
    return settings_.CollectionFolder();
}

const QString& TForm1::FavouritesFolder() const {
    return settings_.FavouritesFolder();
}

QString TForm1::PortableIndicator() const {
    return optionsTab_->PortableCaption();
}

QComboBox* TForm1::FavouritesList() const {
    return videoTab_->FavouritesList();
}

void TForm1::SetStatusText(const QString& text) {
    statusText_->setText(text);
}

QTabWidget* TForm1::Pages() const {
    return ui->PageControl1;
}

void TForm1::SearchOnline(const QString& text) {
    ui->PageControl1->setCurrentWidget(onlineTab_);
    onlineTab_->TitleEdit()->setText(text);
    onlineTab_->Button1Click();
}

void TForm1::ShowFilteredList(const QStringList& items) {
    // The tab first: a page change may move the focus onto its Refresh, which lists the folder.
    ui->PageControl1->setCurrentWidget(offlineTab_);
    offlineTab_->ShowFilteredList(items);
    show();
    raise();
    activateWindow();
}

void TForm1::TakeWindowScreenshot() {
    if (services_.dialogs->ask(MessageKind::Information, kScreenshotQuestion, Buttons::YesCancel,
                               kScreenshotTitle) != Button::Yes)
        return;
    // Let the question's box leave the screen before the window is captured.
    QCoreApplication::processEvents();
    const QImage shot = CaptureWindow();
    const QString name = QStringLiteral("Screenshot_") +
                         services_.clock->Now().toString(QStringLiteral("MM-dd-yyyy-hhmmss"));
    const Status saved = SaveBitmap(shot, AppFolder() + name + QStringLiteral(".bmp"));
    if (saved)
        services_.dialogs->ask(MessageKind::Plain,
                               name + QStringLiteral(" saved to the application folder"),
                               Buttons::Ok);
    else
        ReportError(services_, saved.error());
    show();
    raise();
}

// The window with its frame and title bar where the screen can give them; the window's own
// rendering of its client area otherwise (offscreen, or a platform that refuses to grab).
QImage TForm1::CaptureWindow() {
    QScreen* shown = screen();
    if (shown && isVisible()) {
        const QRect frame = frameGeometry();
        const QPoint origin = frame.topLeft() - shown->geometry().topLeft();
        const QPixmap grabbed =
            shown->grabWindow(0, origin.x(), origin.y(), frame.width(), frame.height());
        if (!grabbed.isNull() && grabbed.size() == frame.size())
            return grabbed.toImage();
    }
    return grab().toImage();
}

bool TForm1::event(QEvent* event) {
    // Long hints go to the hint panel; the status bar keeps the connection status.
    if (ShowHintEvent(event, ui->Panel2))
        return true;
    return QMainWindow::event(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->Panel2 && event->type() == QEvent::MouseButtonDblClick) {
        TakeWindowScreenshot();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::showEvent(QShowEvent* event) {
    if (!centred_) {
        centred_ = true;
        // A title typed right after start-up goes into the title box, and Return searches.
        onlineTab_->TitleEdit()->setFocus();
        if (QScreen* desktop = screen()) {
            QRect placed = frameGeometry();
            placed.moveCenter(desktop->availableGeometry().center());
            move(placed.topLeft());
        }
    }
    QMainWindow::showEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A running backup is warned about, once as the close is asked and once as it happens, and
    // goes on to its end before the program ends.
    windows_.WarnIfBackupRunning();
    // Every other window goes with the main one; nothing is saved at exit.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible())
            window->hide();
    }
    event->accept();
}

} // namespace quorvel
