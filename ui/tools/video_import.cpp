#include "ui/tools/video_import.h"

#include "cli/title_adder.h"
#include "core/collection.h"
#include "online/omdb.h"
#include "ui/main/connect_clicks.h"
#include "ui/main/hints.h"
#include "ui/main/network_wait.h"
#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"
#include "ui_video_import.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QStyle>

#include <utility>

namespace quorvel {

namespace {

QString HeldNote(const QString& entry) {
    return QStringLiteral("in the collection as ") + entry;
}

} // namespace

void VideoGuessModel::SetGuesses(std::vector<VideoGuess> guesses, const QStringList& held) {
    QStringList titles;
    std::vector<bool> ticks;
    notes_.clear();
    for (std::size_t row = 0; row < guesses.size(); ++row) {
        const QString entry = held.value(qsizetype(row));
        titles << guesses[row].title;
        ticks.push_back(guesses[row].sure && entry.isEmpty());
        QStringList note;
        if (!guesses[row].sure)
            note << QStringLiteral("doubtful");
        if (guesses[row].series)
            note << QStringLiteral("series");
        notes_ << (entry.isEmpty() ? note.join(QStringLiteral(", ")) : HeldNote(entry));
    }
    guesses_ = std::move(guesses);
    SetEntriesAndTicks(titles, ticks);
}

void VideoGuessModel::SetNote(int row, const QString& note) {
    if (row < 0 || row >= notes_.size())
        return;
    notes_[row] = note;
    Q_EMIT dataChanged(index(row, kNote), index(row, kNote), {Qt::DisplayRole});
}

int VideoGuessModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant VideoGuessModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const VideoGuess& guess = guesses_.at(std::size_t(index.row()));
    const bool shown = role == Qt::DisplayRole || role == Qt::EditRole;
    switch (index.column()) {
    case kTitle:
        if (role == Qt::DecorationRole && !guess.sure)
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxQuestion);
        if (role == Qt::ToolTipRole && !guess.sure)
            return QStringLiteral("A doubtful guess: correct the title or the year if needed, "
                                  "then tick it.");
        return CheckableListModel::data(index, role);
    case kYear:
        return shown && guess.year ? QVariant(QString::number(*guess.year)) : QVariant();
    case kNote:
        return shown ? QVariant(notes_.value(index.row())) : QVariant();
    default:
        return shown || role == Qt::ToolTipRole ? QVariant(guess.path) : QVariant();
    }
}

bool VideoGuessModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role == Qt::CheckStateRole)
        return index.column() == kTitle && CheckableListModel::setData(index, value, role);
    if (role != Qt::EditRole ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    VideoGuess& guess = guesses_.at(std::size_t(index.row()));
    const QString text = value.toString().simplified();
    if (index.column() == kTitle) {
        if (text.isEmpty())
            return false;
        guess.title = text;
        SetEntry(index.row(), text);
    } else if (index.column() == kYear) {
        // The years the title box takes in "Title (Year)".
        if (!text.isEmpty() && SplitTitleYear(QStringLiteral("x (") + text + u')').year != text)
            return false;
        guess.year = text.isEmpty() ? std::nullopt : std::optional<int>(text.toInt());
        Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    } else {
        return false;
    }
    // A corrected guess is asked by its title and year, no longer by the identifier the names
    // held.
    guess.imdbId.clear();
    return true;
}

Qt::ItemFlags VideoGuessModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == kTitle)
        return CheckableListModel::flags(index) | Qt::ItemIsEditable;
    const Qt::ItemFlags shown = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    return index.column() == kYear ? shown | Qt::ItemIsEditable : shown;
}

QVariant VideoGuessModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kTitle:
        return QStringLiteral("Title");
    case kYear:
        return QStringLiteral("Year");
    case kNote:
        return QStringLiteral("Note");
    default:
        return QStringLiteral("File");
    }
}

TForm18::TForm18(Windows& windows, Services& services, Settings& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm18>()), windows_(windows), services_(services),
      settings_(settings), model_(new VideoGuessModel(this)) {
    ui->setupUi(this);
    ui->ListView1->setModel(model_);
    QHeaderView* header = ui->ListView1->header();
    header->resizeSection(VideoGuessModel::kTitle, 280);
    header->resizeSection(VideoGuessModel::kYear, 60);
    header->resizeSection(VideoGuessModel::kNote, 170);
    if (QWidget* main = windows_.MainWindow())
        main->installEventFilter(this);
    ConnectClicks(this, {{ui->Button1, &TForm18::Button1Click},
                         {ui->Button2, &TForm18::Button2Click},
                         {ui->Button3, &TForm18::Button3Click},
                         {ui->Button4, &TForm18::Button4Click},
                         {ui->Button5, &TForm18::Button5Click}});
    connect(model_, &QAbstractItemModel::dataChanged, this, [this] { EnableButtons(); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { EnableButtons(); });
}

TForm18::~TForm18() = default;

bool TForm18::event(QEvent* event) {
    if (ShowHintEvent(event, ui->Panel2))
        return true;
    return QDialog::event(event);
}

bool TForm18::eventFilter(QObject* watched, QEvent* event) {
    // The program ends: the import stops after its title, without a question.
    if (watched == windows_.MainWindow() && event->type() == QEvent::Hide && !event->spontaneous() &&
        importing_) {
        stopAfterTitle_ = true;
        close();
    }
    return QDialog::eventFilter(watched, event);
}

void TForm18::closeEvent(QCloseEvent* event) {
    if (importing_ && !stopAfterTitle_) {
        if (services_.dialogs->ask(MessageKind::Confirmation,
                                   QStringLiteral("The import is still running. Stop it after "
                                                  "the title in progress and close the window?"),
                                   Buttons::YesNo) != Button::Yes) {
            closeDeclined_ = true;
            event->ignore();
            return;
        }
        stopAfterTitle_ = true;
    }
    QDialog::closeEvent(event);
}

QString TForm18::CollectionFolder() const {
    return settings_.CollectionFolder();
}

void TForm18::Open() {
    ShowWindow(*this, windows_.MainWindow());
}

void TForm18::EnableButtons() {
    const bool any = model_->Count() > 0;
    ui->Button1->setEnabled(!importing_);
    ui->Button2->setEnabled(!importing_ && std::find(model_->Ticks().begin(), model_->Ticks().end(),
                                                     true) != model_->Ticks().end());
    ui->Button4->setEnabled(!importing_ && any);
    ui->Button5->setEnabled(!importing_ && any);
}

void TForm18::Log(const QString& line) {
    ui->Memo1->appendPlainText(line);
}

void TForm18::Button1Click() {
    if (importing_)
        return;
    const QString start = ui->Edit1->text().isEmpty() ? QDir::homePath() : ui->Edit1->text();
    const std::optional<QString> folder =
        services_.dialogs->chooseFolder(QStringLiteral("Choose the folder of your videos"), start);
    if (folder && !folder->isEmpty())
        ScanFolder(*folder);
}

void TForm18::ScanFolder(const QString& folder) {
    ui->Edit1->setText(QDir::toNativeSeparators(folder));
    ui->Memo1->clear();
    const Result<VideoWalk> walk = WalkVideos(folder);
    if (!walk) {
        model_->SetGuesses({}, {});
        ui->Label2->setText(walk.error());
        return;
    }
    QStringList held;
    int sure = 0;
    {
        // What the collection holds, found as the import finds it before asking.
        cli::TitleAdder collection(
            {CollectionFolder(), settings_.Service()},
            false, {}, {});
        for (const VideoGuess& guess : walk->titles) {
            held << collection.HeldText(cli::GuessToAdd(guess).text);
            sure += guess.sure ? 1 : 0;
        }
    }
    const int titles = int(walk->titles.size());
    const int saved = int(titles - held.count(QString()));
    model_->SetGuesses(walk->titles, held);
    QString said = QStringLiteral("%1 titles in %2 video files: %3 sure, %4 doubtful (unticked), "
                                  "%5 in the collection (unticked).")
                       .arg(titles)
                       .arg(walk->videoFiles)
                       .arg(sure)
                       .arg(titles - sure)
                       .arg(saved);
    for (const QString& unread : walk->unreadableFolders)
        Log(QStringLiteral("Cannot read the folder ") + unread);
    ui->Label2->setText(said);
}

bool TForm18::CanImportInto(const QString& folder) {
    if (!services_.connection->IsOnline()) {
        ui->Label2->setText(
            QStringLiteral("Please, Connect to the Internet before trying a Search"));
        return false;
    }
    if (!QFileInfo(folder).isDir()) {
        ui->Label2->setText(
            QStringLiteral("The collection folder \"%1\" does not exist: choose it on the Options "
                           "tab first.")
                .arg(folder));
        return false;
    }
    return true;
}

void TForm18::ShowOutcome(int row, const cli::AddedTitle& outcome, ImportTally& tally) {
    switch (outcome.kind) {
    case cli::AddedTitle::Kind::Added:
        ++tally.added;
        model_->SetNote(row, QStringLiteral("added as ") + outcome.text);
        model_->SetTicked(row, false);
        break;
    case cli::AddedTitle::Kind::Skipped:
        ++tally.skipped;
        model_->SetNote(row, HeldNote(outcome.text));
        model_->SetTicked(row, false);
        break;
    case cli::AddedTitle::Kind::NotFound:
        ++tally.notFound;
        model_->SetNote(row, QStringLiteral("not found"));
        Log(QStringLiteral("not found: %1  <-  %2").arg(outcome.title, model_->Guess(row).path));
        return;
    case cli::AddedTitle::Kind::Failed:
        ++tally.failed;
        model_->SetNote(row, QStringLiteral("failed"));
        break;
    }
    Log(cli::AddedLine(outcome));
}

QAbstractItemView::EditTriggers TForm18::BeginImport(int total) {
    importing_ = true;
    stopAfterTitle_ = false;
    closeDeclined_ = false;
    EnableButtons();
    const QAbstractItemView::EditTriggers editing = ui->ListView1->editTriggers();
    ui->ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->Memo1->clear();
    ui->ProgressBar1->setRange(0, total);
    ui->ProgressBar1->setValue(0);
    ui->ProgressBar1->show();
    return editing;
}

void TForm18::EndImport(QAbstractItemView::EditTriggers editing) {
    ui->ProgressBar1->hide();
    ui->ListView1->setEditTriggers(editing);
    importing_ = false;
    EnableButtons();
}

void TForm18::Button2Click() {
    if (importing_)
        return;
    std::vector<int> rows;
    for (int row = 0; row < model_->Count(); ++row)
        if (model_->IsTicked(row))
            rows.push_back(row);
    if (rows.empty())
        return;
    const QString folder = CollectionFolder();
    if (!CanImportInto(folder))
        return;
    const int total = int(rows.size());
    const QAbstractItemView::EditTriggers editing = BeginImport(total);

    std::vector<cli::AddedTitle> told; // by the worker, read once it is joined
    cli::TitleAdder adder({folder, settings_.Service()}, false, {},
                          [&told](const cli::AddedTitle& outcome) { told.push_back(outcome); });
    ImportTally tally;
    for (int i = 0; i < total; ++i) {
        const cli::TitleToAdd title = cli::GuessToAdd(model_->Guess(rows[std::size_t(i)]));
        ui->Label2->setText(
            QStringLiteral("Looking up %1 of %2: %3").arg(i + 1).arg(total).arg(title.text));
        bool going = true;
        // The title in progress always ends whole, files and all: a close stops the next one.
        const bool finished = WaitForNetwork(this, [&](const CancelFlag&) {
            going = adder.Add(i + 1, title);
            if (going)
                adder.Settle();
        });
        for (const cli::AddedTitle& outcome : std::exchange(told, {}))
            ShowOutcome(rows.at(std::size_t(outcome.number - 1)), outcome, tally);
        ui->ProgressBar1->setValue(i + 1);
        if (!going) {
            Log(QStringLiteral("Stopped: ") + adder.StopReason());
            break;
        }
        // Escape, or a close the user confirmed.
        if (!finished && !std::exchange(closeDeclined_, false))
            stopAfterTitle_ = true;
        if (stopAfterTitle_ && i + 1 < total) {
            Log(QStringLiteral("Stopped after %1 of %2 titles; Import goes on with the titles "
                               "still ticked.")
                    .arg(i + 1)
                    .arg(total));
            break;
        }
    }
    EndImport(editing);
    ui->Label2->setText(QStringLiteral("%1 added, %2 skipped, %3 not found, %4 failed.")
                            .arg(tally.added)
                            .arg(tally.skipped)
                            .arg(tally.notFound)
                            .arg(tally.failed));
    if (tally.added > 0) {
        // The off-line tab lists the new records (at once when it is in view).
        windows_.CollectionFilesAdded();
    }
}

void TForm18::Button3Click() {
    close();
}

void TForm18::Button4Click() {
    model_->SetAllTicked(true);
}

void TForm18::Button5Click() {
    model_->SetAllTicked(false);
}

} // namespace quorvel
