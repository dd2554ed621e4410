#include "ui/tools/backup.h"

#include "core/backup_plan.h"
#include "core/collection.h"
#include "core/textfile.h"
#include "platform/pictures.h"
#include "ui/main/checkable_list.h"
#include "ui/main/connect_clicks.h"
#include "ui/main/hints.h"
#include "ui/main/list_loader.h"
#include "ui/main/list_when_shown.h"
#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"
#include "ui_backup.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoopLocker>
#include <QFileInfo>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QStyle>

#include <atomic>

namespace quorvel {

namespace {

const QString kRunningWarning =
    QStringLiteral("A backup of you file is in progress. Please do not interrupt the backup to "
                   "avoid corruption of the backup file or worse.");

} // namespace

TForm16::TForm16(Windows& windows, Services& services, Settings& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm16>()), windows_(windows), services_(services),
      settings_(settings) {
    ui->setupUi(this);
    movieModel_ = new CheckableListModel(this);
    ui->MovieListBackup->setModel(movieModel_);
    lister_ = new ListWhenShown(*this, [this] { Button1Click(); });
    tempo.setObjectName(QStringLiteral("tempo"));
    tempo.setInterval(500);
    ui->Image2->setPixmap(style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(40, 40));
    ui->Edit4->installEventFilter(this);
    ConnectHandlers();
    ShowFolderIn(ui->Edit2, settings_, &Settings::CollectionFolderChanged,
                 [this] { lister_->FolderMoved(); });
    ShowPortableModeIn(ui->Label7, settings_);
}

TForm16::~TForm16() = default;

void TForm16::ConnectHandlers() {
    ConnectClicks(this, {{ui->Button1, &TForm16::Button1Click},
                         {ui->Button2, &TForm16::Button2Click},
                         {ui->Button3, &TForm16::Button3Click},
                         {ui->Button4, &TForm16::Button4Click},
                         {ui->Button5, &TForm16::Button5Click},
                         {ui->Button6, &TForm16::Button6Click},
                         {ui->Button7, &TForm16::Button7Click},
                         {ui->Button8, &TForm16::Button8Click},
                         {ui->Button9, &TForm16::Button9Click},
                         {ui->Button10, &TForm16::Button10Click},
                         {ui->Button11, &TForm16::Button11Click}});
    connect(ui->ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    // The preview follows the selection the user makes; the current row the list takes by
    // itself when it first gets the focus selects nothing and previews nothing.
    connect(ui->MovieListBackup->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] {
                if (!selectingByCode_)
                    MovieListBackupClick();
            });
    connect(ui->MovieListBackup, &QListView::clicked, this, [this] { MovieListBackupClick(); });
    connect(ui->Edit4, &QLineEdit::textChanged, this, &TForm16::Edit4Change);
    connect(&tempo, &QTimer::timeout, this, [this] { tempoTimer(); });
}

bool TForm16::event(QEvent* event) {
    if (ShowHintEvent(event, ui->Panel2))
        return true;
    return QDialog::event(event);
}

void TForm16::FormCreate() {
    ui->Edit2->setText(settings_.CollectionFolder());
    ui->Memo1->clear();
    ui->Edit4->clear();
    ui->Edit5->setText(ui->Edit2->text());
    Button11Click();
}

void TForm16::Open() {
    const bool opening = !isVisible();
    ShowWindow(*this, windows_.MainWindow());
    // Placed again once shown: only then does the frame count in the window's size.
    if (const QWidget* main = windows_.MainWindow(); opening && main && main->isVisible())
        CentreWindow(*this, main->frameGeometry());
}

QStringList TForm16::ListEntries() {
    lister_->FillIfStale();
    return movieModel_->Entries();
}

QStringList TForm16::TickedEntries() const {
    return movieModel_->TickedEntries();
}

void TForm16::SetEntries(const QStringList& entries) {
    QScopedValueRollback quiet(selectingByCode_, true);
    movieModel_->SetEntries(entries);
    lister_->Filled();
    // No current row either: the list would make its first entry current, drawn as chosen,
    // when it first gets the focus.
    ui->MovieListBackup->setCurrentIndex(QModelIndex());
}

void TForm16::Button1Click() {
    ui->Memo1->clear();
    ui->Image1->clearPicture();
    QStringList entries = windows_.Listing().List(settings_.CollectionFolder());
    // The filter looks at the exact last three characters: "Poster only" keeps HEAT.TXT.
    const int index = ui->ComboBox1->currentIndex();
    if (index == 1 || index == 2) {
        const QString removed = index == 1 ? QStringLiteral("txt") : QStringLiteral("jpg");
        entries.removeIf([&](const QString& e) { return e.endsWith(removed, Qt::CaseSensitive); });
    }
    SetEntries(entries);
    CountItem();
}

void TForm16::CountItem() {
    ui->Label3->setText(CountLabelText(CountCollection(movieModel_->Entries())));
}

void TForm16::ComboBox1Change() {
    if (movieModel_->Count() == 0)
        return;
    ui->Memo1->clear();
    ui->Image1->clearPicture();
    Button1Click();
}

void TForm16::Button2Click() {
    movieModel_->SetAllTicked(true);
}
void TForm16::Button3Click() {
    movieModel_->SetAllTicked(false);
}

void TForm16::Button4Click() {
    movieModel_->InvertTicks();
}

void TForm16::MovieListBackupClick() {
    const QModelIndex current = ui->MovieListBackup->currentIndex();
    const QString entry = current.data().toString();
    // A loaded list's line naming a path outside the collection previews as a missing file.
    if (!current.isValid() || !ui->MovieListBackup->selectionModel()->isSelected(current) ||
        !NamesFileOfFolder(entry))
        return;
    // The companions of an entry, found in any letter case of their extension as the Windows
    // folders the collections come from would; a missing or unreadable one keeps the preview.
    const QString path = JoinPath(ui->Edit2->text(), entry);
    const QString text = CompanionFilePath(path, QStringLiteral("txt"));
    if (QFileInfo(text).isFile()) {
        if (Result<TextFile> read = ReadTextFile(text))
            ui->Memo1->setPlainText(read->lines.join(QLatin1Char('\n')));
    }
    const QString poster = CompanionFilePath(path, QStringLiteral("jpg"));
    if (QFileInfo(poster).isFile()) {
        if (Result<Poster> read = LoadPosterFile(poster))
            ui->Image1->setPicture(read->image);
    }
}

void TForm16::SelectByCode(int row) {
    QScopedValueRollback quiet(selectingByCode_, true);
    QItemSelectionModel* selection = ui->MovieListBackup->selectionModel();
    if (row < 0) {
        selection->clear();
        return;
    }
    const QModelIndex index = movieModel_->index(row);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    ui->MovieListBackup->scrollTo(index);
}

void TForm16::Button5Click() {
    const QStringList& entries = movieModel_->Entries();
    const ListMatches found =
        SearchList(entries, ui->Edit1->text(), {QStringLiteral(".TXT"), QStringLiteral(".JPG")});
    SelectByCode(-1);
    if (found.whole >= 0) {
        SelectByCode(found.whole);
        ui->MovieListBackup->setFocus();
        return;
    }
    OfferPartialMatches(services_, entries, found.partial, [this](int row) { SelectByCode(row); });
}

void TForm16::Button6Click() {
    const std::optional<QStringList> entries = AskFilteredList(services_, windows_);
    if (!entries)
        return;
    SetEntries(*entries);
    ui->Label3->setText(CountLabelText(entries->size(), QStringLiteral(" (Filtered list)")));
    ui->Memo1->clear();
    ui->Image1->clearPicture();
    ui->Button2->setEnabled(false);
    ui->Button6->setEnabled(false);
}

void TForm16::Button7Click() {
    const std::optional<QString> folder =
        services_.dialogs->chooseFolder(QString(), ui->Edit5->text());
    if (!folder)
        return;
    ui->Edit5->setText(folder->isEmpty() ? ui->Edit2->text() : *folder);
}

void TForm16::Button8Click() {
    ui->Edit4->clear();
}

void TForm16::Button11Click() {
    Clock& clock = *services_.clock;
    ui->Edit4->setText(GenerateBackupName(clock.Now(), clock.ShortDateFormat(),
                                          clock.LongTimeFormat(), QLocale::system()));
}

void TForm16::Edit4Change(const QString& text) {
    ui->Button10->setEnabled(!text.isEmpty());
}

bool TForm16::eventFilter(QObject* watched, QEvent* event) {
    // Typed keys only: a pasted name is taken as it is.
    if (watched == ui->Edit4 && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() == 1 && BackupNameKey(typed.at(0)) != typed.at(0)) {
            ui->Edit4->insert(QString(BackupNameKey(typed.at(0))));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm16::tempoTimer() {
    ui->Label13->setVisible(!ui->Label13->isVisible());
}

void TForm16::Button9Click() {
    close();
}

void TForm16::WarnBackupRunning() {
    services_.dialogs->ask(MessageKind::Warning, kRunningWarning, Buttons::Abort);
}

void TForm16::keyPressEvent(QKeyEvent* event) {
    // Escape would hide the dialog without a close request, and so without the warning.
    if (event->matches(QKeySequence::Cancel)) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm16::closeEvent(QCloseEvent* event) {
    // The close is not refused: the window hides and the backup goes on to its end.
    if (BackupRunning()) {
        WarnBackupRunning();
        WarnBackupRunning();
    }
    QDialog::closeEvent(event);
}

void TForm16::Button10Click() {
    // Edit4 stays usable while a backup runs, and a change of it enables Backup again.
    if (running_ || movieModel_->Count() == 0)
        return;
    // The program does not end before the backup and its last message are done, even when the
    // main window is closed meanwhile; it ends as this returns when no window is left.
    const QEventLoopLocker keepRunning;
    if (TickedEntries().isEmpty()) {
        services_.dialogs->ask(MessageKind::Warning,
                               QStringLiteral("Nothing to archive. Please, select at least one "
                                              "item on the Info Search Collection list."),
                               Buttons::Abort);
        return;
    }
    ui->pbProgress->show();
    const QString archivePath = BackupArchivePath(ui->Edit5->text(), ui->Edit4->text());
    if (!ConfirmOverwrite(services_, archivePath,
                          ui->Edit4->text() +
                              QStringLiteral("exists, do you want to overwrite the file?"),
                          MessageKind::Warning)) {
        ui->pbProgress->hide();
        return;
    }
    const BackupPlan plan = PlanBackup(ui->Edit2->text(), movieModel_->Entries(),
                                       movieModel_->Ticks(), ui->Edit5->text());
    EnterRunning();
    const BackupOutcome outcome =
        plan.members.isEmpty() ? BackupOutcome{} : RunBackup(archivePath, plan);
    if (ui->CheckBox1->isChecked())
        QApplication::beep();
    ReturnToIdle();
    ReportBackup(archivePath, plan, outcome);
}

void TForm16::EnterRunning() {
    running_ = true;
    const int count = movieModel_->Count();
    ui->pbProgress->setRange(1, std::max(count - 1, 1));
    ShowProgressAt(0);
    ui->Label13->setText(QStringLiteral("Creating Zip file..."));
    ui->Label13->show();
    ui->Label16->show();
    ui->Button10->setEnabled(false);
    for (QWidget* control : LockedWhileRunning())
        control->setEnabled(false);
    tempo.start();
}

// What a backup disables besides Backup: every command that changes the list or starts a
// backup, the left panel as a whole. Idle enables them all, Select all and Load filtered list
// after a loaded filtered list included.
QList<QWidget*> TForm16::LockedWhileRunning() const {
    return {ui->Button1, ui->Button2, ui->Button3, ui->Button4,
            ui->Button5, ui->Button6, ui->Panel1};
}

void TForm16::ShowProgressAt(int row) {
    const BackupStep step = BackupProgressAt(row, movieModel_->Count());
    ui->pbProgress->setValue(step.position);
    ui->Label16->setText(QString::number(step.percent) + QStringLiteral("% done "));
}

// The archive is written and read back on a worker thread while this thread keeps the window
// alive; the bar follows the member being opened.
BackupOutcome TForm16::RunBackup(const QString& archivePath, const BackupPlan& plan) {
    const int members = int(plan.members.size());
    constexpr int kChecking = -2;
    // The member being opened, plus `members` once the archive is being written.
    std::atomic<int> current{-1};
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    BackupSteps steps;
    steps.opened = [&](int member, ArchiveStage stage) {
        const int offset = stage == ArchiveStage::Writing ? members : 0;
        current.store(offset + member, std::memory_order_relaxed);
    };
    steps.checking = [&] { current.store(kChecking, std::memory_order_relaxed); };
    steps.ended = [dispatcher] {
        if (dispatcher)
            dispatcher->wakeUp();
    };
    QTimer heartbeat;
    int shown = -1;
    connect(&heartbeat, &QTimer::timeout, this, [&] {
        const int opened = current.load(std::memory_order_relaxed);
        if (opened == shown)
            return;
        shown = opened;
        if (opened >= 0) {
            const ArchiveStage stage =
                opened < members ? ArchiveStage::Adding : ArchiveStage::Writing;
            ShowProgressAt(
                BackupRowAt(plan.rows.at(opened % members), stage, movieModel_->Count()));
        } else if (opened == kChecking) {
            ui->Label13->setText(QStringLiteral("Checking Zip file..."));
        }
    });
    heartbeat.start(50);
    BackupOutcome outcome = quorvel::RunBackup(archivePath, plan, steps, [] {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    });
    if (outcome.written.ok())
        ShowProgressAt(movieModel_->Count() - 1);
    return outcome;
}

void TForm16::ReturnToIdle() {
    ui->pbProgress->hide();
    ui->Label13->hide();
    ui->Label16->hide();
    for (QWidget* control : LockedWhileRunning())
        control->setEnabled(true);
    ui->Button10->setEnabled(!ui->Edit4->text().isEmpty());
    tempo.stop();
    running_ = false;
}

void TForm16::ReportBackup(const QString& archivePath, const BackupPlan& plan,
                           const BackupOutcome& outcome) {
    const QString missing =
        plan.missing.isEmpty()
            ? QString()
            : QStringLiteral("These ticked files no longer exist in the collection folder and "
                             "were left out:\n") +
                  plan.missing.join(QLatin1Char('\n'));
    if (plan.members.isEmpty()) {
        services_.dialogs->ask(MessageKind::Warning,
                               missing + QStringLiteral("\nNo archive was written."), Buttons::Ok);
        return;
    }
    if (!outcome.written) {
        ReportError(services_, QStringLiteral("Exception: ") + outcome.written.error());
        return;
    }
    if (!outcome.verified) {
        ReportError(services_, archivePath + QStringLiteral(" does not read back: ") +
                                   outcome.verified.error());
        return;
    }
    const QString done = archivePath + QStringLiteral(": ") + QString::number(*outcome.verified) +
                         QStringLiteral(" files archived, each read back and verified.");
    if (missing.isEmpty())
        services_.dialogs->ask(MessageKind::Information, done, Buttons::Ok);
    else
        services_.dialogs->ask(MessageKind::Warning, missing + QStringLiteral("\n\n") + done,
                               Buttons::Ok);
}

} // namespace quorvel
