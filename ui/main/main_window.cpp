#include "ui/main/main_window.h"

#include "core/favourites.h"
#include "ui/main/hints.h"
#include "ui/main/options_tab.h"
#include "ui/main/search_offline_tab.h"
#include "ui/main/search_online_tab.h"
#include "ui/main/video_tab.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QImageWriter>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QSaveFile>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace quorvel {

namespace {

const QString kCaption = QStringLiteral("Quorvel");
const QString kWindowHint =
    QStringLiteral("|This is where appears hints. Hover over the form, a button to know more. ");
const QString kPanelHint =
    QStringLiteral("This is where appears hints. Hover over the form, a button to know more. "
                   "Double-click to save a tab screenshot.");
const QString kProductNotice =
    QStringLiteral("Quorvel - your movie and series collection, on line and off line.");
const QString kOnLine = QStringLiteral("Internet Connection Status : ON LINE.");
const QString kOffLine = QStringLiteral("Internet Connection Status: OFF LINE.");
const QString kConnectFirst =
    QStringLiteral("Please, Connect to the Internet before trying a Search");
const QString kScreenshotTitle = QStringLiteral("Save a screenshot of Quorvel current tab");
const QString kScreenshotQuestion = QStringLiteral(
    "Do you want to create a screenshot of this current tab into the application folder?");

constexpr int kClientWidth = 713;
constexpr int kClientHeight = 688;
constexpr int kPanelHeight = 41;

HttpSettings PosterClientSettings() {
    HttpSettings settings;
    settings.maxBytes = kImageSizeCap;
    settings.cookies = true;
    return settings;
}

// The picture is written aside and renamed, so a failed write never leaves half a bitmap.
Status SaveBitmap(const QImage& image, const QString& path) {
    const QString cannot = QStringLiteral("Cannot create file \"%1\". ").arg(path);
    if (image.isNull())
        return Failure(cannot + QStringLiteral("The window could not be captured."));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Failure(cannot + file.errorString());
    QImageWriter writer(&file, "bmp");
    if (!writer.write(image)) {
        file.cancelWriting();
        return Failure(cannot + writer.errorString());
    }
    if (!file.commit())
        return Failure(cannot + file.errorString());
    return Success();
}

} // namespace

TForm1::TForm1(Windows& windows, Services& services, QString appFolder, QWidget* parent)
    : QMainWindow(parent), windows_(windows), services_(services), appFolder_(std::move(appFolder)),
      options_(OptionsFilePath(appFolder_)),
      posterClient_(std::make_unique<HttpClient>(PosterClientSettings())) {
    // The tabs reach the main window through the registry from their first handler on.
    windows_.form1 = this;
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kCaption);
    // The interface font stays the platform's own: Tahoma is a Windows font.

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    pageControl_ = new QTabWidget(central);
    pageControl_->setObjectName(QStringLiteral("PageControl1"));
    pageControl_->setDocumentMode(true);
    onlineTab_ = new SearchOnlineTab(windows_, services_, pageControl_);
    pageControl_->addTab(onlineTab_, QStringLiteral("Search Title On Line"));
    offlineTab_ = new SearchOfflineTab(windows_, services_, pageControl_);
    pageControl_->addTab(offlineTab_, QStringLiteral("Search Title Off Line"));
    videoTab_ = new VideoTab(pageControl_);
    pageControl_->addTab(videoTab_, QStringLiteral("Search Video On Line"));
    optionsTab_ = new OptionsTab(pageControl_);
    pageControl_->addTab(optionsTab_, QStringLiteral("Options"));
    pageControl_->setCurrentIndex(0);
    column->addWidget(pageControl_, 1);

    panel2_ = new QLabel(kProductNotice, central);
    panel2_->setObjectName(QStringLiteral("Panel2"));
    panel2_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel2_->setFixedHeight(kPanelHeight);
    panel2_->setWordWrap(true);
    panel2_->setMargin(4);
    panel2_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetHint(panel2_, kPanelHint);
    panel2_->installEventFilter(this);
    column->addWidget(panel2_);
    setCentralWidget(central);

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    statusText_ = new QLabel(bar);
    statusText_->setObjectName(QStringLiteral("StatusText"));
    bar->addWidget(statusText_, 1);
    setStatusBar(bar);

    resize(kClientWidth, kClientHeight);

    connect(optionsTab_->Edit2, &QLineEdit::textChanged, this,
            [this] { offlineTab_->Button17Click(); });
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    readerFromListCreator_ = false;
    optionsTab_->Pictures() = PicturePaths{};

    SetHint(this, kWindowHint);
    InstallHintHandler();

    if (services_.connection->IsOnline()) {
        SetStatusText(kOnLine);
    } else {
        SetStatusText(kOffLine);
        services_.dialogs->ask(MessageKind::Plain, kConnectFirst, Buttons::Ok);
    }

    onlineTab_->ClearImdbId();
    ApplyStoredOptions();
    dialogs_.SetStartFolder(CollectionFolder());
    offlineTab_->Button17Click();
    // A favourites file that cannot be read ends start-up here, the window as far as it got.
    if (!LoadFavouritesAtStart())
        return;

    if (layout())
        layout()->activate();
    setMinimumSize(size());
}

void TForm1::ApplyStoredOptions() {
    const Result<StoredOptions> stored = ReadStoredOptions(options_, appFolder_);
    if (!stored) {
        RecreateOptions();
        return;
    }
    ShowStoredOptions(*stored);
}

void TForm1::ShowStoredOptions(const StoredOptions& stored) {
    OptionsTab& tab = *optionsTab_;
    tab.Edit2->setText(stored.savingPath);
    tab.Edit6->setText(stored.savingFavPath);
    // Each box runs its own action when its state changes, as a click would.
    tab.CheckBox4->setChecked(stored.tab1Save);
    onlineTab_->ReadOnlyBox()->setChecked(stored.tab1ReadOnly);
    if (auto* readOnly = offlineTab_->findChild<QCheckBox*>(QStringLiteral("CheckBox1")))
        readOnly->setChecked(stored.tab2ReadOnly);
    tab.CheckBox6->setChecked(stored.tab3AutoPlay);
    tab.CheckBox7->setChecked(stored.tab3VideoOnly);
    tab.CheckBox8->setChecked(stored.backgroundImage);
    tab.CheckBox9->setChecked(stored.bckTab1Used);
    tab.CheckBox10->setChecked(stored.bckTab2Used);
    tab.SelectTheme(stored.theme);
    tab.Pictures() = {stored.bckTab1, stored.bckTab2, stored.bckTab1P, stored.bckTab2P};
    if (stored.portableMode)
        tab.ShowPicturePaths(stored.bckTab1P, stored.bckTab2P);
    else
        tab.ShowPicturePaths(stored.bckTab1, stored.bckTab2);
}

void TForm1::RecreateOptions() {
    const QString question = QStringLiteral("Software settings ") + appFolder_ +
                             QStringLiteral("Options.ini") +
                             QStringLiteral(" does not exist or corrupted. Options.ini will be "
                                            "recreated with default settings values.");
    if (services_.dialogs->ask(MessageKind::Information, question, Buttons::YesNo) != Button::Yes)
        return;
    const Result<StoredOptions> readBack = RecreateOptionsFile(options_, appFolder_);
    // When even the new file cannot be written or read, the built-in values are shown.
    const StoredOptions shown = readBack ? *readBack : DefaultOptions(appFolder_);

    OptionsTab& tab = *optionsTab_;
    tab.Edit2->setText(shown.savingPath);
    tab.Edit6->setText(shown.savingFavPath);
    tab.ShowPicturePaths(QString(), QString());
    tab.CheckBox9->setChecked(false);
    tab.CheckBox10->setChecked(false);
    tab.CheckBox4->setChecked(shown.tab1Save);
    onlineTab_->ReadOnlyBox()->setChecked(shown.tab1ReadOnly);
    if (auto* readOnly = offlineTab_->findChild<QCheckBox*>(QStringLiteral("CheckBox1")))
        readOnly->setChecked(shown.tab2ReadOnly);
    tab.CheckBox6->setChecked(shown.tab3AutoPlay);
    tab.CheckBox7->setChecked(shown.tab3VideoOnly);
    tab.CheckBox8->setChecked(shown.backgroundImage);
    tab.SelectTheme(shown.theme);
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

QString TForm1::CollectionFolder() const {
    return optionsTab_->CollectionFolder();
}

QString TForm1::FavouritesFolder() const {
    return optionsTab_->FavouritesFolder();
}

QString TForm1::PortableIndicator() const {
    return optionsTab_->PortableIndicator();
}

bool TForm1::SaveInfoAndPosterTogether() const {
    return optionsTab_->SaveInfoAndPosterTogether();
}

QComboBox* TForm1::FavouritesList() const {
    return videoTab_->FavouritesList();
}

void TForm1::SetStatusText(const QString& text) {
    statusText_->setText(text);
}

void TForm1::SearchOnline(const QString& text) {
    pageControl_->setCurrentWidget(onlineTab_);
    onlineTab_->TitleEdit()->setText(text);
    onlineTab_->Button1Click();
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
    const Status saved = SaveBitmap(shot, appFolder_ + name + QStringLiteral(".bmp"));
    if (saved)
        services_.dialogs->ask(MessageKind::Plain,
                               name + QStringLiteral(" saved to the application folder"),
                               Buttons::Ok);
    else
        services_.dialogs->ask(MessageKind::Error, saved.error(), Buttons::Ok);
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
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == panel2_ && event->type() == QEvent::MouseButtonDblClick) {
        TakeWindowScreenshot();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::showEvent(QShowEvent* event) {
    if (!centred_) {
        centred_ = true;
        if (QScreen* desktop = screen()) {
            QRect placed = frameGeometry();
            placed.moveCenter(desktop->availableGeometry().center());
            move(placed.topLeft());
        }
    }
    QMainWindow::showEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Every other window goes with the main one; nothing is saved at exit.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible())
            window->hide();
    }
    event->accept();
}

} // namespace quorvel
