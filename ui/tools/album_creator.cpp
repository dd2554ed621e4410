#include "ui/tools/album_creator.h"

#include "core/album.h"
#include "core/collection.h"
#include "core/infotext.h"
#include "core/options.h"
#include "core/textfile.h"
#include "platform/pictures.h"
#include "ui/main/checkable_list.h"
#include "ui/main/hints.h"
#include "ui/main/list_loader.h"
#include "ui/main/list_when_shown.h"
#include "ui/main/portable_switch.h"
#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"
#include "ui_album_creator.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocale>
#include <QScopedValueRollback>
#include <QShowEvent>

namespace quorvel {

namespace {

const QString kWholeCaption = QStringLiteral("HTML Page creation - Movie list");
const QString kFilteredCaption = QStringLiteral("HTML Page creation - Movie list (Filtered list)");
const QString kPortableQuestion = QStringLiteral(
    "This operation can only be performed when portable mode is off. You are in portable mode. "
    "Do you want to switch off the portable mode?");
const QString kNothingTicked = QStringLiteral(
    "No movie/serie is selected. Please, Select at least one item on the Movie List.");
const QString kPathSaved = QStringLiteral("Local HTML page folder path is saved.");
const QString kCannotSaveOption = QStringLiteral(
    "Cannot save option to disk or media. Quorvel save its options in an ini file inside the "
    "software (Quorvel.exe) folder. Please, verify if your media is not read only (CD, DVD, "
    "Locked USB Thumdrive, etc...), or full.");
const QString kCreated =
    QStringLiteral("HTML Album successfully created, do you want to open the index?");
const QString kShortcutMade =
    QStringLiteral("Shortcut (index.html) created on the desktop successfully");
const QString kDoesNotExist = QStringLiteral(" does not exist");

// Pending messages run at most this often during a creation: often enough for the log and
// the bar to move smoothly, rarely enough to cost nothing beside the writes.
constexpr qint64 kMessagePaceMs = 50;

} // namespace

TForm7::TForm7(Windows& windows, Services& services, Settings& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm7>()), windows_(windows), services_(services),
      settings_(settings) {
    ui->setupUi(this);
    movieModel_ = new CheckableListModel(this);
    ui->MovieListEdit->setModel(movieModel_);
    lister_ = new ListWhenShown(*this, [this] { Button3Click(); });
    ConnectHandlers();
}

TForm7::~TForm7() = default;

void TForm7::ConnectHandlers() {
    const std::pair<QPushButton*, void (TForm7::*)()> clicks[] = {
        {ui->Button1, &TForm7::Button1Click},   {ui->Button2, &TForm7::Button2Click},
        {ui->Button3, &TForm7::Button3Click},   {ui->Button6, &TForm7::Button6Click},
        {ui->Button7, &TForm7::Button7Click},   {ui->Button8, &TForm7::Button8Click},
        {ui->Button9, &TForm7::Button9Click},   {ui->Button10, &TForm7::Button10Click},
        {ui->Button11, &TForm7::Button11Click}, {ui->Button12, &TForm7::Button12Click},
        {ui->Button13, &TForm7::Button13Click}, {ui->Button14, &TForm7::Button14Click},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this,
                [this, handler = handler] { (this->*handler)(); });
    connect(ui->Button4, &QPushButton::clicked, this, [this] { movieModel_->SetAllTicked(true); });
    connect(ui->Button5, &QPushButton::clicked, this, [this] { movieModel_->SetAllTicked(false); });
    connect(ui->MovieListEdit->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] {
                if (!fillingList_)
                    MovieListEditClick();
            });
    // The album folder and the portable mode are the program's; a new album folder lists the
    // collection again (a hidden window when it is shown).
    ShowFolderIn(ui->Edit1, settings_, &Settings::AlbumFolderChanged,
                 [this] { lister_->FolderMoved(); });
    ShowPortableModeIn(ui->Label6, settings_);
}

bool TForm7::event(QEvent* event) {
    if (ShowHintEvent(event, ui->Panel2))
        return true;
    return QDialog::event(event);
}

void TForm7::FormCreate() {
    if (settings_.PortableMode())
        settings_.SetAlbumFolder(settings_.PortableAlbumFolder());
    ui->Edit1->setText(settings_.AlbumFolder());
    ui->Memo1->clear();
}

void TForm7::Open() {
    ShowWindow(*this);
}

void TForm7::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (settings_.PortableMode())
        settings_.SetAlbumFolder(settings_.PortableAlbumFolder());
    if (QWidget* main = windows_.MainWindow(); main && main->isVisible()) {
        QRect frame = frameGeometry();
        frame.moveCenter(main->frameGeometry().center());
        move(frame.topLeft());
    }
}

void TForm7::ReceiveTitles(const QStringList& titles) {
    // Shown first: a showing may move the album folder, and that refresh must not replace the
    // titles just received.
    Open();
    SetTitles(titles, false, true);
}

QString TForm7::AlbumFolder() const {
    return settings_.AlbumFolder();
}

void TForm7::SetAlbumFolder(const QString& folder) {
    settings_.SetAlbumFolder(folder);
}

QString TForm7::IndexPath() const {
    return AlbumPagePath(AlbumFolder(), QStringLiteral("index"));
}

QString TForm7::CollectionFolder() const {
    return settings_.CollectionFolder();
}

bool TForm7::PortableCheck() {
    return ConfirmPortableOff(settings_, services_, kPortableQuestion);
}

void TForm7::Button3Click() {
    QStringList titles;
    for (const QString& entry : InfoTextEntries(windows_.Listing().List(CollectionFolder())))
        titles << EntryBaseName(entry);
    SetTitles(titles, true, false);
}

void TForm7::SetTitles(const QStringList& titles, bool ticked, bool filtered) {
    {
        QScopedValueRollback quiet(fillingList_, true);
        movieModel_->SetEntries(titles, ticked);
    }
    lister_->Filled();
    ui->Button6->setEnabled(false);
    ui->Button7->setEnabled(false);
    ui->Label2->setText(filtered ? kFilteredCaption : kWholeCaption);
}

void TForm7::SetSelectedTick(bool ticked) {
    const QModelIndex current = ui->MovieListEdit->currentIndex();
    if (current.isValid())
        movieModel_->SetTicked(current.row(), ticked);
}

void TForm7::Button6Click() {
    SetSelectedTick(true);
}

void TForm7::Button7Click() {
    SetSelectedTick(false);
}

QStringList TForm7::TickedTitles() const {
    return movieModel_->TickedEntries();
}

void TForm7::MovieListEditClick() {
    const QModelIndex current = ui->MovieListEdit->currentIndex();
    if (!current.isValid()) {
        ui->Button6->setEnabled(false);
        ui->Button7->setEnabled(false);
        return;
    }
    const QString title = current.data().toString();
    ShowPreviewPoster(title);
    ShowPreviewText(title);
    ui->Button6->setEnabled(true);
    ui->Button7->setEnabled(true);
}

void TForm7::ShowPreviewPoster(const QString& title) {
    const QString name = title + QStringLiteral(".jpg");
    const QString path = EntryFilePath(CollectionFolder(), name, QStringLiteral(".jpg"));
    if (!NamesFileOfFolder(name) || !QFileInfo::exists(path)) {
        ui->Image1->clearPicture();
        return;
    }
    const Result<Poster> poster = LoadPosterFile(path);
    if (poster)
        ui->Image1->setPicture(poster->image);
    else
        ReportError(services_, poster.error());
}

void TForm7::ShowPreviewText(const QString& title) {
    const QString name = title + QStringLiteral(".txt");
    const QString path = EntryFilePath(CollectionFolder(), name, QStringLiteral(".txt"));
    if (!NamesFileOfFolder(name) || !QFileInfo::exists(path))
        return;
    const Result<TextFile> info = LoadInfoText(path);
    if (info)
        ui->Memo1->setPlainText(info->lines.join(QLatin1Char('\n')));
    else
        ReportError(services_, info.error());
}

void TForm7::Button2Click() {
    if (!PortableCheck())
        return;
    const std::optional<QString> folder = services_.dialogs->chooseFolder(QString(), AlbumFolder());
    if (folder && !folder->isEmpty())
        SetAlbumFolder(*folder);
}

void TForm7::Button9Click() {
    SetAlbumFolder(settings_.AppFolder());
}

void TForm7::Button10Click() {
    if (PortableCheck())
        LoadSavedFolder(AlbumFolder());
}

void TForm7::LoadSavedFolder(const QString& fallback) {
    const Result<QString> stored = settings_.StoredAlbumFolder(fallback);
    if (!stored) {
        ReportError(services_, stored.error());
        return;
    }
    SetAlbumFolder(*stored);
}

void TForm7::Button1Click() {
    if (!PortableCheck())
        return;
    const Status saved = settings_.SaveAlbumFolder();
    if (saved)
        ShowMessage(services_, kPathSaved);
    else
        ReportError(services_, kCannotSaveOption);
}

void TForm7::Button13Click() {
    services_.shell->OpenFolder(AlbumFolder());
}

void TForm7::Button14Click() {
    const std::optional<QStringList> entries = AskFilteredList(services_, windows_);
    if (!entries)
        return;
    QStringList titles;
    titles.reserve(entries->size());
    for (const QString& entry : *entries)
        titles << EntryBaseName(entry);
    SetTitles(titles, false, true);
}

void TForm7::Button12Click() {
    const QString index = IndexPath();
    if (QFileInfo::exists(index))
        OpenAddress(services_, FileUrl(index));
    else
        ShowMessage(services_, index + kDoesNotExist);
}

void TForm7::OpenIndexOrOffer() {
    const QString index = IndexPath();
    if (QFileInfo::exists(index)) {
        OpenAddress(services_, FileUrl(index));
        return;
    }
    const QString question =
        index + kDoesNotExist + QStringLiteral(". Do you want to create a local HTML album?");
    if (services_.dialogs->ask(MessageKind::Warning, question, Buttons::YesNo) == Button::Yes)
        Open();
}

void TForm7::Button11Click() {
    const QString index = IndexPath();
    if (!QFileInfo::exists(index)) {
        ShowMessage(services_, index + kDoesNotExist);
        return;
    }
    const Result<bool> made = services_.shell->CreateDesktopShortcut(index);
    if (!made)
        ReportError(services_, made.error());
    else if (*made)
        services_.dialogs->ask(MessageKind::Information, kShortcutMade, Buttons::Ok);
}

void TForm7::Button8Click() {
    if (creating_)
        return;
    QScopedValueRollback busy(creating_, true);
    ui->Memo3->clear();
    pendingLog_.clear();
    // Taken when the creation starts, so that the list, the ticks or the folders changing
    // meanwhile cannot pull titles out from under it.
    const QStringList titles = TickedTitles();
    if (titles.isEmpty()) {
        services_.dialogs->ask(MessageKind::Information, kNothingTicked, Buttons::Abort);
        return;
    }
    const QString album = AlbumFolder();
    ui->ProgressBar1->setRange(0, 2 * int(titles.size()));
    ui->ProgressBar1->setValue(0);
    ui->ProgressBar1->show();
    sinceMessages_.start();
    Log(QStringLiteral("*** Starting Date-Time: ") + DateTimeText() + QStringLiteral(" ***"));
    AlbumProgress progress;
    progress.log = [this](const QString& line) { Log(line); };
    progress.step = [this] { Step(); };
    progress.indexName = [this]() -> std::optional<QString> {
        if (ui->Label2->text() != kFilteredCaption)
            return QString();
        return AskIndexName();
    };
    const AlbumOutcome outcome = CreateAlbum(CollectionFolder(), album, titles, progress);
    FinishCreation(outcome, album, int(titles.size()));
    if (outcome.end == AlbumEnd::NotWritten)
        ReportError(services_, outcome.failure);
}

// Waits, with every window usable, until the request is answered; nothing when it was closed
// without "OK".
std::optional<QString> TForm7::AskIndexName() {
    LetMessagesRun(true);
    return windows_.AskAlbumName();
}

void TForm7::FinishCreation(const AlbumOutcome& outcome, const QString& album, int titles) {
    Log(QStringLiteral("*** Finished Date-Time: ") + DateTimeText() + QStringLiteral(" ***"));
    LetMessagesRun(true);
    ui->ProgressBar1->hide();
    if (outcome.end != AlbumEnd::Created)
        return;
    QString question = kCreated;
    MessageKind kind = MessageKind::Confirmation;
    if (outcome.failures > 0) {
        question = QStringLiteral("HTML Album created, but %1 of its %2 title pages are "
                                  "incomplete or missing (see the output messages). Do you "
                                  "want to open the index?")
                       .arg(outcome.failures)
                       .arg(titles);
        kind = MessageKind::Warning;
    }
    if (services_.dialogs->ask(kind, question, Buttons::YesNo) == Button::Yes)
        OpenAddress(services_, FileUrl(AlbumPagePath(album, outcome.indexName)));
}

QString TForm7::DateTimeText() const {
    const QDateTime now = services_.clock->Now();
    const QLocale locale;
    return locale.toString(now.date(), QLocale::ShortFormat) + QStringLiteral(" - ") +
           locale.toString(now.time(), QLocale::LongFormat);
}

void TForm7::Log(const QString& line) {
    pendingLog_ << line;
}

void TForm7::Step() {
    ui->ProgressBar1->setValue(ui->ProgressBar1->value() + 1);
    LetMessagesRun();
}

// The log takes what gathered since the last time in one piece: a line at a time would cost
// more than the pages themselves on a large album.
void TForm7::LetMessagesRun(bool now) {
    if (!now && sinceMessages_.isValid() && sinceMessages_.elapsed() < kMessagePaceMs)
        return;
    if (!pendingLog_.isEmpty()) {
        ui->Memo3->appendPlainText(pendingLog_.join(QLatin1Char('\n')));
        pendingLog_.clear();
    }
    QCoreApplication::processEvents();
    sinceMessages_.start();
}

} // namespace quorvel
