#include "ui/main/search_offline_tab.h"

#include "core/collection.h"
#include "core/filteredlist.h"
#include "core/infotext.h"
#include "ui/main/connect_clicks.h"
#include "ui/main/list_loader.h"
#include "ui/main/list_when_shown.h"
#include "ui/main/record_files.h"
#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"
#include "ui/main/shared_dialogs.h"
#include "ui/main/visual_lines.h"
#include "ui_search_offline_tab.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStringListModel>

namespace quorvel {

namespace {

const QString kNoInformation = QStringLiteral("NO INFORMATION FOUND");

} // namespace

SearchOfflineTab::SearchOfflineTab(Windows& windows, Services& services, Settings& settings,
                                   QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::SearchOfflineTab>()), windows_(windows),
      services_(services), settings_(settings) {
    ui->setupUi(this);
    // Forty thousand entries must fill in one go: a string model behind a view with uniform
    // rows does it in one reset instead of one insertion per item.
    movieModel_ = new QStringListModel(this);
    ui->MovieList->setModel(movieModel_);
    lister_ = new ListWhenShown(*this, [this] { ListIntoMovieList(); });
    ui->MovieList->viewport()->installEventFilter(this);
    ui->Button17->installEventFilter(this);
    ConnectHandlers();
}

SearchOfflineTab::~SearchOfflineTab() = default;

BackgroundPicture* SearchOfflineTab::Background() const {
    return ui->Image5;
}

void SearchOfflineTab::ConnectHandlers() {
    ConnectClicks(this, {{ui->Button17, &SearchOfflineTab::Button17Click},
                         {ui->Button52, &SearchOfflineTab::Button52Click},
                         {ui->Button18, &SearchOfflineTab::Button18Click},
                         {ui->Button19, &SearchOfflineTab::Button19Click},
                         {ui->Button20, &SearchOfflineTab::Button20Click},
                         {ui->Button23, &SearchOfflineTab::Button23Click},
                         {ui->Button24, &SearchOfflineTab::Button24Click},
                         {ui->Button25, &SearchOfflineTab::Button25Click},
                         {ui->Button26, &SearchOfflineTab::Button26Click},
                         {ui->Button37, &SearchOfflineTab::Button37Click}});
    connect(ui->MovieList->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        // A mouse press loads on its release; code that selects never loads.
        if (!selectingByCode_ && !mousePressed_)
            MovieListClick();
    });
    connect(ui->Edit3, &QLineEdit::textChanged, this, [this](const QString& t) { Edit3Change(t); });
    connect(ui->Edit3, &QLineEdit::returnPressed, this, [this] { Button18Click(); });
    connect(ui->CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    // Both searches land on the video tab.
    connect(ui->Button32, &QPushButton::clicked, this,
            [this] { Q_EMIT TrailerSearch(InfoFirstLine()); });
    connect(ui->Button55, &QPushButton::clicked, this,
            [this] { Q_EMIT SoundtrackSearch(InfoFirstLine()); });
    connect(ui->Button40, &QPushButton::clicked, this, [this] { windows_.OpenAlbumIndex(); });
}

QPushButton* SearchOfflineTab::TrailerButton() const {
    return ui->Button32;
}

QPushButton* SearchOfflineTab::SoundtrackButton() const {
    return ui->Button55;
}

QPushButton* SearchOfflineTab::LocalHtmlButton() const {
    return ui->Button40;
}

QCheckBox* SearchOfflineTab::ReadOnlyBox() const {
    return ui->CheckBox1;
}

bool SearchOfflineTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->Button17 && event->type() == QEvent::FocusIn) {
        // Coming back to the window gives the button its focus again without the user moving
        // to it: that is no reason to list the folder again.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Button17Click();
    } else if (watched == ui->MovieList->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            mousePressed_ = true;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            const bool wasPressed = mousePressed_;
            mousePressed_ = false;
            if (wasPressed && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                SelectedRow() >= 0)
                MovieListClick();
        }
    }
    return QWidget::eventFilter(watched, event);
}

QString SearchOfflineTab::CollectionFolder() const {
    return settings_.CollectionFolder();
}

void SearchOfflineTab::Button17Click() {
    ListIntoMovieList();
}

void SearchOfflineTab::ListIntoMovieList() {
    // Start-up lists the folder twice in a row, and the other windows list it too; an unchanged
    // folder is not read again.
    SetListItems(windows_.Listing().List(CollectionFolder()), false);
}

void SearchOfflineTab::CollectionFolderMoved() {
    lister_->FolderMoved();
}

void SearchOfflineTab::SetListItems(const QStringList& items, bool filtered) {
    lister_->Filled();
    QScopedValueRollback guard(selectingByCode_, true);
    if (items == movieModel_->stringList()) {
        // The refreshes after a failed load usually find the folder as it was: keeping the
        // model spares a reset of tens of thousands of rows; only the selection goes.
        ui->MovieList->selectionModel()->clear();
    } else {
        movieModel_->setStringList(items);
    }
    QString label = CountLabelText(CountCollection(items));
    if (filtered)
        label += QStringLiteral(" (Filtered list)");
    ui->Label12->setText(label);
}

void SearchOfflineTab::ShowFilteredList(const QStringList& items) {
    SetListItems(items, true);
}

QStringList SearchOfflineTab::ListEntries() {
    lister_->FillIfStale();
    return movieModel_->stringList();
}

int SearchOfflineTab::SelectedRow() const {
    const QModelIndexList rows = ui->MovieList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void SearchOfflineTab::SelectByCode(int row) {
    QScopedValueRollback guard(selectingByCode_, true);
    QItemSelectionModel* selection = ui->MovieList->selectionModel();
    if (row < 0) {
        selection->clear();
        return;
    }
    const QModelIndex index = movieModel_->index(row);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    ui->MovieList->scrollTo(index);
}

void SearchOfflineTab::RemovePoster() {
    poster_ = Poster{};
    ui->Image2->clearPicture();
}

void SearchOfflineTab::ShowPoster(const Poster& poster) {
    poster_ = poster;
    ui->Image2->setPicture(poster.image);
    ui->Label10->hide();
    ui->Button20->setEnabled(true);
    ui->Button25->setEnabled(true);
}

void SearchOfflineTab::ShowNoPoster() {
    RemovePoster();
    ui->Label10->show();
    ui->Button20->setEnabled(false);
    ui->Button25->setEnabled(false);
}

void SearchOfflineTab::ShowInfo(const TextFile& info) {
    ui->Memo2->setPlainText(info.lines.join(QLatin1Char('\n')));
    memo2Encoding_ = info.encoding;
}

bool SearchOfflineTab::PosterShown() const {
    return ui->Label10->isHidden();
}

QString SearchOfflineTab::InfoText() const {
    return ui->Memo2->toPlainText();
}

QString SearchOfflineTab::InfoFirstLine() const {
    return FirstVisualLine(*ui->Memo2);
}

void SearchOfflineTab::MovieListClick() {
    const QStringList entries = movieModel_->stringList();
    const int row = SelectedRow();
    if (entries.isEmpty() || row < 0)
        return;
    ui->Button37->setEnabled(true);

    // Both paths are fixed before anything can refill the list.
    const QString entry = entries.at(row);
    const QString folder = CollectionFolder();
    const QString posterPath = EntryFilePath(folder, entry, QStringLiteral(".jpg"));
    const QString infoPath = EntryFilePath(folder, entry, QStringLiteral(".txt"));

    // A loaded list may name a path outside the collection: shown as an entry whose files
    // are missing, never read.
    const bool inFolder = NamesFileOfFolder(entry);

    RemovePoster();
    Result<Poster> poster = inFolder ? LoadPosterFile(posterPath) : Result<Poster>(Failure({}));
    if (poster) {
        ShowPoster(*poster);
    } else {
        ShowNoPoster();
        ListIntoMovieList();
    }

    ui->Memo2->clear();
    Result<TextFile> info = inFolder ? LoadInfoText(infoPath) : Result<TextFile>(Failure({}));
    const bool hasInfo = info.ok();
    if (hasInfo)
        ShowInfo(*info);
    else
        ui->Memo2->setPlainText(kNoInformation);
    ui->Button19->setEnabled(hasInfo);
    ui->Button32->setEnabled(hasInfo);
    ui->Button55->setEnabled(hasInfo);
    if (!hasInfo)
        ListIntoMovieList();
}

void SearchOfflineTab::Edit3Change(const QString& text) {
    if (text.size() > 128)
        return;
    const QStringList entries = movieModel_->stringList();
    SelectByCode(TypedSearchRow(entries, text));
}

void SearchOfflineTab::Button18Click() {
    const QString text = ui->Edit3->text();
    if (text.isEmpty())
        return;
    const QStringList entries = movieModel_->stringList();
    const ListMatches found =
        SearchList(entries, text, {QStringLiteral(".TXT"), QStringLiteral(".JPG")});
    SelectByCode(-1);
    if (found.whole >= 0) {
        // The info text first, then the poster, of exactly the name typed; loaded when found.
        if (IsInfoTextEntry(entries.at(found.whole)))
            RemovePoster();
        else
            ui->Memo2->clear();
        SelectByCode(found.whole);
        ui->MovieList->setFocus();
        MovieListClick();
        return;
    }
    if (OfferPartialMatches(services_, entries, found.partial,
                            [this](int row) { SelectByCode(row); }) >= 0)
        return;
    const Button answer = services_.dialogs->ask(
        MessageKind::Confirmation,
        text + QStringLiteral(" was not found. Do you want to search the Internet for this Movie "
                              "or Serie?"),
        Buttons::YesNo);
    if (answer == Button::Yes)
        windows_.SearchOnline(text);
}

void SearchOfflineTab::Button19Click() {
    PrintShownLines(services_, *ui->Memo2);
}

void SearchOfflineTab::Button20Click() {
    PrintPicture(services_, poster_.image, *this);
}

RecordView SearchOfflineTab::View() {
    return {[this](const TextFile& info) { ShowInfo(info); },
            [this] { ui->Button32->setEnabled(false); },
            [this](const Poster& poster) { ShowPoster(poster); }, [this] { ShowNoPoster(); }};
}

void SearchOfflineTab::Button23Click() {
    RecordView view = View();
    view.showInfo = [this](const TextFile& info) {
        ShowInfo(info);
        ui->Button19->setEnabled(true);
        ui->Button32->setEnabled(true);
    };
    LoadPosterWithInfo(services_, windows_.FileDialogs().openPicture, view);
}

void SearchOfflineTab::Button24Click() {
    RecordView view = View();
    view.showInfo = [this](const TextFile& info) {
        ShowInfo(info);
        for (QPushButton* b : {ui->Button19, ui->Button26, ui->Button32, ui->Button37})
            b->setEnabled(true);
    };
    LoadInfoWithPoster(services_, windows_.FileDialogs().open, view);
}

void SearchOfflineTab::Button25Click() {
    FileDialogRequest& dialog = windows_.FileDialogs().savePicture;
    dialog.startFolder = CollectionFolder();
    SavePosterAs(services_, dialog, QStringLiteral("Poster"), poster_);
}

void SearchOfflineTab::Button26Click() {
    SaveInfoAs(services_, windows_.FileDialogs().save, QStringLiteral("Info"), *ui->Memo2,
               memo2Encoding_);
}

void SearchOfflineTab::CheckBox1Click() {
    ui->Memo2->setReadOnly(ui->CheckBox1->isChecked());
}

void SearchOfflineTab::Button37Click() {
    const QString text = ui->Memo2->toPlainText();
    if (text.isEmpty() && !PosterShown()) {
        services_.dialogs->ask(MessageKind::Information,
                               QStringLiteral("No Poster neither Movie/Series Info to show."),
                               Buttons::Cancel);
        return;
    }
    windows_.ShowInReader(text, PosterShown() ? poster_.image : QImage());
}

void SearchOfflineTab::Button52Click() {
    const std::optional<QStringList> entries = AskFilteredList(services_, windows_);
    if (!entries)
        return;
    ShowFilteredList(OfflineListItems(*entries, CollectionFolder()));
}

} // namespace quorvel
