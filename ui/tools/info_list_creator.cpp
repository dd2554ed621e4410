#include "ui/tools/info_list_creator.h"

#include "core/collection.h"
#include "core/filteredlist.h"
#include "core/info_filter.h"
#include "core/infotext.h"
#include "platform/pictures.h"
#include "ui/main/checkable_list.h"
#include "ui/main/hints.h"
#include "ui/main/list_loader.h"
#include "ui/main/list_when_shown.h"
#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"
#include "ui/main/shared_dialogs.h"
#include "ui_info_list_creator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTabWidget>

#include <algorithm>
#include <vector>

namespace quorvel {

namespace {

const QString kNoInfo = QStringLiteral("  No Info selected");
const QString kCountPrefix = QStringLiteral("  ");
const QString kFilteredPrefix = QStringLiteral("  Filtered ");
const QString kAnyGenre = QStringLiteral("ANY GENRE");
const QString kNothingToFilter = QStringLiteral("Nothing to filter, the list is empty.");

// Pending messages run at most this often during a filter: the bar and the window still move
// smoothly, and the walk spends its time reading the texts.
constexpr qint64 kMessagePaceMs = 50;

QString NothingToSendText(const char* target) {
    return QStringLiteral("Nothing is selected to export to the '") + QLatin1String(target) +
           QStringLiteral("' list. Please, select at least one title.");
}

} // namespace

TForm12::TForm12(Windows& windows, Services& services, Settings& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm12>()), windows_(windows), services_(services),
      settings_(settings) {
    ui->setupUi(this);
    movieModel_ = new CheckableListModel(this);
    ui->MovieListExport->setModel(movieModel_);
    lister_ = new ListWhenShown(*this, [this] { Button1Click(); });
    saveDialog_.defaultSuffix = QStringLiteral("list");
    saveDialog_.filters = {{QStringLiteral("List file"), QStringLiteral("*.list")},
                           {QStringLiteral("Text file"), QStringLiteral("*.txt")}};
    ui->ComboBox1->lineEdit()->installEventFilter(this);
    ConnectHandlers();
    ShowFolderIn(ui->Edit1, settings_, &Settings::CollectionFolderChanged,
                 [this] { lister_->FolderMoved(); });
    ShowPortableModeIn(ui->Label13, settings_);
}

TForm12::~TForm12() = default;

void TForm12::ConnectHandlers() {
    const std::pair<QPushButton*, void (TForm12::*)()> clicks[] = {
        {ui->Button1, &TForm12::Button1Click},   {ui->Button2, &TForm12::Button2Click},
        {ui->Button3, &TForm12::Button3Click},   {ui->Button4, &TForm12::Button4Click},
        {ui->Button5, &TForm12::Button5Click},   {ui->Button6, &TForm12::Button6Click},
        {ui->Button7, &TForm12::Button7Click},   {ui->Button9, &TForm12::Button9Click},
        {ui->Button10, &TForm12::Button10Click}, {ui->Button11, &TForm12::Button11Click},
        {ui->Button12, &TForm12::Button12Click}, {ui->Button13, &TForm12::Button13Click},
        {ui->Button14, &TForm12::Button14Click}, {ui->Button15, &TForm12::Button15Click},
        {ui->Button16, &TForm12::Button16Click}, {ui->Button17, &TForm12::Button17Click},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this,
                [this, handler = handler] { (this->*handler)(); });
    connect(ui->ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Select(); });
    connect(ui->Edit2, &QLineEdit::textChanged, this, &TForm12::Edit2Change);
    connect(ui->Edit2, &QLineEdit::returnPressed, this, [this] {
        if (ui->Button10->isEnabled())
            Button10Click();
    });
    // The selection, not the current row: the list takes a current row of its own when it
    // gets the focus, and that is no choice of the user's.
    connect(ui->MovieListExport->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] {
                if (!fillingList_)
                    MovieListExportClick();
            });
    connect(ui->CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
}

bool TForm12::event(QEvent* event) {
    if (ShowHintEvent(event, ui->Panel2))
        return true;
    return QDialog::event(event);
}

// Enter in the genre box filters by what was typed. The box itself would look the text up
// among its items first and filter a second time when it is one of them.
bool TForm12::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->ComboBox1->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ComboBox1Select();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm12::FormCreate() {
    ui->Edit1->setText(CollectionFolder());
    saveDialog_.startFolder = CollectionFolder();
}

void TForm12::Open() {
    ShowWindow(*this);
}

const QString& TForm12::CollectionFolder() const {
    return settings_.CollectionFolder();
}

QImage TForm12::ShownPoster() const {
    return ui->Image1->picture();
}

QStringList TForm12::ListEntries() {
    lister_->FillIfStale();
    return movieModel_->Entries();
}

QStringList TForm12::TickedEntries() const {
    return movieModel_->TickedEntries();
}

void TForm12::SetEntries(const QStringList& entries, const std::vector<bool>& ticks) {
    QScopedValueRollback quiet(fillingList_, true);
    movieModel_->SetEntriesAndTicks(entries, ticks);
    lister_->Filled();
}

void TForm12::SetCount(const QString& prefix) {
    ui->Label3->setText(prefix + CountLabelText(movieModel_->Count()));
}

// The preview goes with the entry it showed: with the label kept, Save as... would write the
// emptied text over the file the user picks.
void TForm12::ClearPreview() {
    ui->Memo1->clear();
    ui->Image1->clearPicture();
    ui->Label7->setText(kNoInfo);
    ui->Button16->setEnabled(false);
}

void TForm12::Button1Click() {
    if (filtering_)
        return;
    SetEntries(InfoTextEntries(windows_.Listing().List(CollectionFolder())));
    SetCount(kCountPrefix);
}

void TForm12::Button2Click() {
    if (!filtering_)
        movieModel_->SetAllTicked(true);
}

void TForm12::Button3Click() {
    if (!filtering_)
        movieModel_->SetAllTicked(false);
}

void TForm12::Button7Click() {
    if (!filtering_)
        movieModel_->InvertTicks();
}

void TForm12::ComboBox1Select() {
    if (filtering_)
        return;
    const QString genre = AsciiUpper(TrimBlanksAndControls(ui->ComboBox1->currentText()));
    if (genre.isEmpty())
        return;
    if (genre != kAnyGenre && movieModel_->Count() == 0) {
        ShowMessage(services_, kNothingToFilter);
        return;
    }
    ClearPreview();
    if (genre == kAnyGenre) {
        Button1Click();
        if (ui->CheckBox20->isChecked())
            Button2Click();
        return;
    }
    RunFilter(genre, &InfoTextHasGenre);
}

void TForm12::Edit2Change(const QString& text) {
    ui->Button10->setEnabled(!text.isEmpty());
    ui->Button11->setEnabled(!text.isEmpty());
}

void TForm12::Button10Click() {
    if (filtering_)
        return;
    if (movieModel_->Count() == 0) {
        ShowMessage(services_, kNothingToFilter);
        return;
    }
    const QString query = TrimBlanksAndControls(AsciiUpper(ui->Edit2->text()));
    ClearPreview();
    RunFilter(query, &InfoTextContains);
}

void TForm12::Button11Click() {
    ui->Edit2->clear();
}

// The walk only marks what goes; the list is rebuilt once at the end, since taking items out
// one by one moves the rest of the list each time.
void TForm12::RunFilter(const QString& word, InfoTextTest test) {
    QScopedValueRollback busy(filtering_, true);
    ui->ProgressBar1->setRange(0, movieModel_->Count());
    ui->ProgressBar1->setValue(0);
    ui->ProgressBar1->show();
    QElapsedTimer sinceMessages;
    sinceMessages.start();
    FilterWalk walk;
    walk.reaching = [&](int row) {
        if (sinceMessages.elapsed() < kMessagePaceMs)
            return;
        ui->ProgressBar1->setValue(row);
        QCoreApplication::processEvents();
        sinceMessages.start();
    };
    walk.unreadable = [this](const QString& entry) {
        ReportError(services_, QStringLiteral("Unable to read ") + entry + QStringLiteral(" ."));
    };
    // Copies: the window lives during the walk, and nothing it does may change what is read.
    const QStringList entries = movieModel_->Entries();
    const std::vector<bool> ticks = movieModel_->Ticks();
    const std::vector<bool> kept = FilterInfoTexts(CollectionFolder(), entries, ticks,
                                                   ui->CheckBox19->isChecked(), word, test, walk);
    if (std::find(kept.begin(), kept.end(), false) != kept.end()) {
        QScopedValueRollback quiet(fillingList_, true);
        movieModel_->Keep(kept);
    }
    ui->ProgressBar1->hide();
    SetCount(kFilteredPrefix);
    filtering_ = false;
    if (ui->CheckBox20->isChecked())
        Button2Click();
}

void TForm12::MovieListExportClick() {
    const QModelIndexList selected = ui->MovieListExport->selectionModel()->selectedIndexes();
    if (movieModel_->Count() == 0 || selected.isEmpty()) {
        ui->Button16->setEnabled(false);
        return;
    }
    const QString entry = selected.first().data().toString();
    const QString path = JoinPath(CollectionFolder(), entry);
    const Result<TextFile> text =
        NamesFileOfFolder(entry) ? LoadInfoText(path) : Result<TextFile>(Failure(entry));
    if (!text) {
        ReportError(services_,
                    QStringLiteral("Cannot open: ") + path +
                        QStringLiteral(". Operation is aborted."),
                    Buttons::Abort);
        ClearPreview();
        return;
    }
    ui->Memo1->setPlainText(text->lines.join(QLatin1Char('\n')));
    memo1Encoding_ = text->encoding;
    // The poster beside the text is always this title's own: none when it has none.
    const QString poster = CompanionFilePath(path, QStringLiteral("jpg"));
    const Result<Poster> loaded =
        QFileInfo::exists(poster) ? LoadPosterFile(poster) : Result<Poster>(Failure({}));
    ui->Image1->setPicture(loaded ? loaded->image : QImage());
    ui->Label7->setText(QStringLiteral("  ") + entry);
    ui->Button16->setEnabled(true);
}

void TForm12::CheckBox1Click() {
    ui->Memo1->setReadOnly(ui->CheckBox1->isChecked());
}

void TForm12::Button16Click() {
    const QString text = ui->Memo1->toPlainText();
    if (ui->Label7->text() == kNoInfo || text.isEmpty())
        return;
    windows_.ShowInReader(text, ShownPoster());
}

void TForm12::Button9Click() {
    if (ui->Label7->text() == kNoInfo)
        return;
    const QString entry = ui->Label7->text().mid(2);
    FileDialogRequest& dialog = windows_.FileDialogs().save;
    dialog.startFolder = CollectionFolder();
    dialog.proposedName = entry;
    const std::optional<QString> path = services_.dialogs->saveFile(dialog);
    if (!path)
        return;
    const QFileInfo chosen(*path);
    if (!ConfirmOverwrite(services_, *path,
                          chosen.fileName() +
                              QStringLiteral(" exists. Do you want to overwritte it?"),
                          MessageKind::Warning))
        return;
    // The whole text as held, so wrapping never reaches the file.
    const QStringList lines = ui->Memo1->toPlainText().split(QLatin1Char('\n'));
    const Result<TextEncoding> saved = SaveInfoText(*path, lines, memo1Encoding_);
    if (!saved)
        ReportError(services_, QStringLiteral("Cannot save ") + entry + QStringLiteral(" to ") +
                                   chosen.absolutePath() + QStringLiteral("/."));
}

void TForm12::Button4Click() {
    SaveEntries(ListEntries(), QStringLiteral("Movie Information List"));
}

void TForm12::Button5Click() {
    SaveEntries(TickedEntries(), QStringLiteral("Movie Information List (Selection)"));
}

void TForm12::SaveEntries(const QStringList& entries, const QString& proposedName) {
    saveDialog_.proposedName = proposedName;
    const std::optional<QString> path = services_.dialogs->saveFile(saveDialog_);
    if (!path || !ConfirmOverwrite(services_, *path))
        return;
    saveDialog_.startFolder = QFileInfo(*path).absolutePath();
    const Status saved = SaveFilteredList(*path, entries);
    if (!saved)
        ReportError(services_, saved.error());
}

void TForm12::Button13Click() {
    if (filtering_)
        return;
    const std::optional<QStringList> entries = AskFilteredList(services_, windows_);
    if (!entries)
        return;
    SetEntries(*entries);
    SetCount(kFilteredPrefix);
}

void TForm12::Button6Click() {
    const QStringList ticked = TickedEntries();
    if (ticked.isEmpty()) {
        services_.dialogs->ask(MessageKind::Information,
                               QStringLiteral("Nothing selected in the list, nothing to print."),
                               Buttons::Abort);
        return;
    }
    // Counted on the page PrintLines will fill, so the dialog offers the pages really printed.
    const int pages = PagesForLines(ticked.size(), services_.printer->LinesPerPage());
    if (!services_.printer->ConfirmPrint(this, PrintPageRange{1, pages, 1, pages}))
        return;
    const Status printed = services_.printer->PrintLines(ticked);
    if (!printed)
        ReportError(services_, printed.error());
}

// An empty line of a loaded list, or one naming a path, is no title of the collection: it
// would reach the other windows as the collection folder itself or as a file outside it.
QStringList TForm12::SendableEntries() const {
    QStringList entries = TickedEntries();
    entries.removeIf([](const QString& entry) { return !NamesFileOfFolder(entry); });
    return entries;
}

bool TForm12::NothingToSend(bool empty, const QString& nothingText) {
    if (!empty)
        return false;
    services_.dialogs->ask(MessageKind::Information, nothingText, Buttons::Abort);
    return true;
}

void TForm12::Button12Click() {
    if (filtering_)
        return;
    QStringList titles;
    for (const QString& entry : SendableEntries())
        titles << EntryBaseName(entry);
    if (NothingToSend(titles.isEmpty(), NothingToSendText("Local HTML Album")))
        return;
    windows_.SendToAlbum(titles);
    close();
}

void TForm12::Button14Click() {
    if (filtering_)
        return;
    const QString folder = CollectionFolder();
    QStringList items;
    for (const QString& entry : SendableEntries()) {
        const QString poster = CompanionName(entry, QStringLiteral("jpg"));
        if (QFileInfo::exists(JoinPath(folder, poster)))
            items << poster;
        if (QFileInfo::exists(JoinPath(folder, entry)))
            items << entry;
    }
    if (NothingToSend(items.isEmpty(), NothingToSendText("Search Title Off Line")))
        return;
    windows_.SendToOfflineTab(items);
    close();
}

void TForm12::Button17Click() {
    if (filtering_)
        return;
    const QStringList entries = SendableEntries();
    if (NothingToSend(entries.isEmpty(), NothingToSendText("Manage Info Text list")))
        return;
    windows_.SendToInfoTextEditor(entries);
    close();
}

void TForm12::Button15Click() {
    close();
}

} // namespace quorvel
