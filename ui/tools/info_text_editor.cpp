#include "ui/tools/info_text_editor.h"

#include "core/collection.h"
#include "core/infotext.h"
#include "online/omdb.h"
#include "platform/pictures.h"
#include "ui/main/connect_clicks.h"
#include "ui/main/hints.h"
#include "ui/main/list_loader.h"
#include "ui/main/list_when_shown.h"
#include "ui/main/network_wait.h"
#include "ui/main/omdb_wait.h"
#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"
#include "ui_info_text_editor.h"

#include <QFileInfo>
#include <QLocale>
#include <QScopedValueRollback>
#include <QStringListModel>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace quorvel {

namespace {

const QString kNa = QString::fromLatin1(kNotAvailable);
const QString kUpdateComplete = QStringLiteral("On Line update is complete");

// The editor's boxes of one-line values, by the label of their section; the release date, the
// plot and the notes have rules of their own.
struct LabelledEdit {
    const char* label;
    QLineEdit* Ui::TForm5::*edit;
};
constexpr LabelledEdit kLineFields[] = {
    {"TYPE", &Ui::TForm5::Edit2},         {"YEAR", &Ui::TForm5::Edit16},
    {"GENRE", &Ui::TForm5::Edit3},        {"RATED", &Ui::TForm5::Edit4},
    {"RUNTIME", &Ui::TForm5::Edit5},      {"DIRECTOR", &Ui::TForm5::Edit6},
    {"WRITER", &Ui::TForm5::Edit7},       {"ACTORS", &Ui::TForm5::Edit8},
    {"LANGUAGE", &Ui::TForm5::Edit10},    {"COUNTRY", &Ui::TForm5::Edit9},
    {"AWARDS", &Ui::TForm5::Edit11},      {"METASCORE", &Ui::TForm5::Edit12},
    {"IMDB RATING", &Ui::TForm5::Edit13}, {"IMDB VOTES", &Ui::TForm5::Edit14},
    {"IMDB ID", &Ui::TForm5::Edit15},
};

} // namespace

TForm5::TForm5(Windows& windows, Services& services, Settings& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm5>()), windows_(windows), services_(services),
      settings_(settings) {
    ui->setupUi(this);
    movieModel_ = new QStringListModel(this);
    ui->MovieListEdit->setModel(movieModel_);
    lister_ = new ListWhenShown(*this, [this] { Button1Click(); });
    ConnectHandlers();
}

TForm5::~TForm5() = default;

void TForm5::ConnectHandlers() {
    ConnectClicks(this, {{ui->Button1, &TForm5::Button1Click},
                         {ui->Button2, &TForm5::Button2Click},
                         {ui->Button3, &TForm5::Button3Click},
                         {ui->Button5, &TForm5::Button5Click},
                         {ui->Button6, &TForm5::Button6Click},
                         {ui->Button7, &TForm5::Button7Click},
                         {ui->Button8, &TForm5::Button8Click},
                         {ui->Button9, &TForm5::Button9Click}});
    connect(ui->Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(ui->Edit18, &QLineEdit::textEdited, this,
            [this](const QString& t) { Edit18Change(t); });
    connect(ui->Edit18, &QLineEdit::returnPressed, this, [this] { Button7Click(); });
    connect(ui->MovieListEdit->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] {
                if (!selectingByCode_)
                    MovieListEditClick();
            });
    connect(ui->MovieListEdit, &QListView::doubleClicked, this,
            [this] { MovieListEditDblClick(); });
    connect(ui->DateTimePicker1, &QDateEdit::dateChanged, this,
            [this] { DateTimePicker1Change(); });
}

void TForm5::FormCreate() {
    ui->Edit18->clear();
    edits_ = {ui->Edit2, ui->Edit3,  ui->Edit4,  ui->Edit5,  ui->Edit6,  ui->Edit7,  ui->Edit8,
              ui->Edit9, ui->Edit10, ui->Edit11, ui->Edit12, ui->Edit13, ui->Edit14, ui->Edit15};
}

void TForm5::Open() {
    ShowWindow(*this);
}

bool TForm5::event(QEvent* event) {
    if (ShowHintEvent(event, ui->Panel2))
        return true;
    return QDialog::event(event);
}

QString TForm5::CollectionFolder() const {
    return settings_.CollectionFolder();
}

QStringList TForm5::ListEntries() {
    lister_->FillIfStale();
    return movieModel_->stringList();
}

QString TForm5::SelectedEntry() const {
    const QModelIndexList selected = ui->MovieListEdit->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString() : selected.first().data().toString();
}

// A loaded list may hold any line: one that names no file of the collection is an entry whose
// file cannot be read, reported as a missing one is.
Result<QString> TForm5::EntryPath(const QString& entry) const {
    return CollectionFilePath(CollectionFolder(), entry);
}

void TForm5::SetEntries(const QStringList& entries, const QString& countSuffix) {
    {
        QScopedValueRollback guard(selectingByCode_, true);
        movieModel_->setStringList(entries);
    }
    lister_->Filled();
    ui->Label3->setText(CountLabelText(entries.size(), countSuffix));
    ui->Button2->setEnabled(false);
    ui->Button6->setEnabled(false);
    ClearThumbnail();
}

void TForm5::SelectByCode(int row) {
    QScopedValueRollback guard(selectingByCode_, true);
    QItemSelectionModel* selection = ui->MovieListEdit->selectionModel();
    selection->clearSelection();
    if (row < 0)
        return;
    const QModelIndex index = movieModel_->index(row);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    ui->MovieListEdit->scrollTo(index);
}

void TForm5::ShowThumbnail(const QString& entry) {
    const Result<QString> path = EntryPath(entry);
    const QString poster = path ? CompanionFilePath(*path, QStringLiteral("jpg")) : QString();
    const Result<Poster> loaded =
        path && QFileInfo::exists(poster) ? LoadPosterFile(poster) : Result<Poster>(Failure({}));
    ui->Image1->setPicture(loaded ? loaded->image : QImage());
}

Result<TextFile> TForm5::ReadEntry(const QString& entry) const {
    const Result<QString> path = EntryPath(entry);
    if (!path)
        return Failure(path.error());
    return LoadInfoText(*path);
}

void TForm5::ClearThumbnail() {
    ui->Image1->clearPicture();
}

void TForm5::Button1Click() {
    const QStringList entries = windows_.Listing().List(CollectionFolder());
    SetEntries(InfoTextEntries(entries), {});
}

void TForm5::ReceiveFilteredList(const QStringList& entries) {
    SetEntries(entries, QStringLiteral(" (Filtered list)"));
}

void TForm5::MovieListEditClick() {
    const bool selected = !SelectedEntry().isNull();
    for (QPushButton* button : {ui->Button2, ui->Button6, ui->Button9})
        button->setEnabled(selected);
}

void TForm5::MovieListEditDblClick() {
    Button2Click();
}

void TForm5::Button2Click() {
    const QString entry = SelectedEntry();
    if (entry.isNull())
        return;
    ShowThumbnail(entry);
    const Result<TextFile> record = ReadEntry(entry);
    if (!record) {
        ReportError(services_, record.error());
        return;
    }
    memo2Encoding_ = record->encoding;
    FillFields(record->lines);
    ShowNotes(record->lines.isEmpty() ? QStringList{QString()} : InfoTextNotes(record->lines));
}

void TForm5::FillFields(const QStringList& lines) {
    // An empty file gives empty fields: there is no record to say "N/A" for.
    const auto value = [&lines](const char* label) {
        return lines.isEmpty() ? QString() : InfoFieldValue(lines, QString::fromLatin1(label));
    };
    ui->Edit1->setText(lines.value(0));
    for (const LabelledEdit& field : kLineFields)
        (ui.get()->*field.edit)->setText(value(field.label));
    // A long value is read from its beginning; setText leaves each box scrolled to its end.
    ui->Edit1->setCursorPosition(0);
    for (const LabelledEdit& field : kLineFields)
        (ui.get()->*field.edit)->setCursorPosition(0);
    ui->Memo1->setPlainText(value("PLOT"));
    ShowReleaseDate(value("RELEASED"));
}

void TForm5::ShowReleaseDate(const QString& value) {
    if (value == kNa || value.isEmpty()) {
        ShowReleaseText(value);
        return;
    }
    const std::optional<QDate> date = ParseReleaseDate(value, QLocale());
    if (!date) {
        ReportError(services_,
                    QStringLiteral("'") + value + QStringLiteral("' is not a valid date"));
        // The picker still holds the previous record's date: the record keeps its own text.
        ShowReleaseText(value);
        return;
    }
    ui->DateTimePicker1->setDate(*date);
    ui->Edit17->setText(FormatReleaseDate(*date, QLocale()));
    ui->Edit17->hide();
}

void TForm5::ShowReleaseText(const QString& text) {
    ui->Edit17->setText(text);
    ui->Edit17->show();
    ui->Edit17->raise();
}

void TForm5::ShowNotes(const QStringList& notes) {
    ui->Memo3->setPlainText(notes.join(QLatin1Char('\n')));
}

void TForm5::Button3Click() {
    ShowReleaseText(kNa);
    ui->Edit16->setText(kNa);
    for (QLineEdit* edit : std::as_const(edits_))
        edit->setText(kNa);
    ui->Edit1->setText(QStringLiteral("New Title"));
    ui->Memo1->setPlainText(kNa);
    ui->Memo3->setPlainText(kNa);
    ClearThumbnail();
}

void TForm5::DateTimePicker1Change() {
    ui->Edit17->setText(FormatReleaseDate(ui->DateTimePicker1->date(), QLocale()));
}

QStringList TForm5::ComposeEditorRecord() {
    QHash<QString, QStringList> values;
    for (const LabelledEdit& field : kLineFields) {
        QLineEdit* edit = ui.get()->*field.edit;
        QString text = TrimBlanksAndControls(edit->text());
        if (text.isEmpty())
            text = kNa;
        edit->setText(text);
        values.insert(QString::fromLatin1(field.label), {text});
    }
    QString released;
    if (!ui->Edit17->isHidden())
        released = ui->Edit17->text().isEmpty() ? kNa : ui->Edit17->text();
    else
        released = FormatReleaseDate(ui->DateTimePicker1->date(), QLocale());
    values.insert(QStringLiteral("RELEASED"), {released});
    const QString plot = TrimBlanksAndControls(ui->Memo1->toPlainText());
    ui->Memo1->setPlainText(plot.isEmpty() ? kNa : plot);
    // An empty line would end the section and strand the rest of the plot outside it.
    values.insert(QStringLiteral("PLOT"),
                  ui->Memo1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    const QString notes = TrimBlanksAndControls(ui->Memo3->toPlainText());
    ui->Memo3->setPlainText(notes.isEmpty() ? kNa : notes);
    values.insert(QStringLiteral("ANY"), ui->Memo3->toPlainText().split(QLatin1Char('\n')));
    return ComposeRecord(ui->Edit1->text(), values);
}

bool TForm5::Button4Click() {
    ui->Edit1->setText(TrimBlanksAndControls(ui->Edit1->text()));
    if (ui->Edit1->text().isEmpty()) {
        const Button answer = services_.dialogs->ask(
            MessageKind::Warning,
            QStringLiteral("There is no title for this Movie or Serie. Are you sure you want to "
                           "save this info using the default name (No_Name)?"),
            Buttons::YesAbort);
        if (answer != Button::Yes)
            return false;
        ui->Edit1->setText(QStringLiteral("No_Name"));
    }
    const QString title = ui->Edit1->text();
    const QString folder = CollectionFolder();
    const QString path = JoinPath(folder, title + QStringLiteral(".txt"));
    // A "/" in the title would write into another folder, or nowhere at all; a "\" makes a
    // name that a saved list could not lead back to.
    if (!NamesFileOfFolder(title)) {
        ReportError(services_, QStringLiteral("Cannot save ") + path);
        return false;
    }
    const QStringList lines = ComposeEditorRecord();
    const Result<TextEncoding> saved = SaveInfoText(path, lines, memo2Encoding_);
    if (!saved) {
        ReportError(services_, QStringLiteral("Cannot save ") + path);
        return false;
    }
    memo2Encoding_ = *saved;
    const QFileInfo file(path);
    services_.dialogs->ask(MessageKind::Information,
                           file.fileName() + QStringLiteral(" successfully saved to ") +
                               file.absolutePath() + QStringLiteral("/."),
                           Buttons::Ok);
    return true;
}

void TForm5::Button5Click() {
    close();
}

void TForm5::Button6Click() {
    const QString entry = SelectedEntry();
    if (entry.isNull())
        return;
    const Result<QString> infoPath = EntryPath(entry);
    const QString posterName = CompanionName(entry, QStringLiteral("jpg"));
    const bool withPoster = ui->CheckBox2->isChecked();
    if (infoPath && QFileInfo::exists(*infoPath) && ui->CheckBox1->isChecked()) {
        const QString question =
            withPoster ? QStringLiteral(" exists. Are you sure you want to delete this file and "
                                        "its associated poster?")
                       : QStringLiteral(" exists. Are you sure you want to delete this file?");
        if (services_.dialogs->ask(MessageKind::Confirmation, *infoPath + question,
                                   Buttons::YesCancel) != Button::Yes)
            return;
    }
    if (!infoPath || !services_.shell->RecycleFile(*infoPath)) {
        ShowMessage(services_,
                    withPoster ? entry + QStringLiteral(" and ") + posterName +
                                     QStringLiteral("could not be moved to the recycle bin.")
                               : entry + QStringLiteral(" could not be moved to the recycle bin."));
        return;
    }
    if (withPoster) {
        const QString posterPath = CompanionFilePath(*infoPath, QStringLiteral("jpg"));
        const bool existed = QFileInfo::exists(posterPath);
        ReportRecycling(entry, posterName,
                        existed ? services_.shell->RecycleFile(posterPath) : false);
        if (existed && QFileInfo::exists(posterPath))
            ShowMessage(services_,
                        posterName + QStringLiteral(" could not be moved to the recycle bin."));
    }
    Button1Click();
}

void TForm5::ReportRecycling(const QString& entry, const QString& posterName, bool posterTrashed) {
    ShowMessage(services_, posterTrashed ? entry + QStringLiteral(" and ") + posterName +
                                               QStringLiteral(" are recycled.")
                                         : entry + QStringLiteral(" is recycled."));
}

void TForm5::Button7Click() {
    const QString text = ui->Edit18->text();
    if (text.isEmpty())
        return;
    const QStringList entries = ListEntries();
    const ListMatches found = SearchList(entries, text, {QStringLiteral(".TXT")}, true);
    if (found.whole >= 0) {
        ClearThumbnail();
        SelectByCode(found.whole);
        ui->MovieListEdit->setFocus();
        Button2Click();
        return;
    }
    SelectByCode(-1);
    if (OfferPartialMatches(services_, entries, found.partial,
                            [this](int row) { SelectByCode(row); }) >= 0) {
        Button2Click();
        ui->Button2->setEnabled(true);
        ui->Button6->setEnabled(true);
        return;
    }
    services_.dialogs->ask(MessageKind::Information,
                           QStringLiteral("No movie/serie found for ") + text + QLatin1Char('.'),
                           Buttons::Ok);
}

void TForm5::Edit18Change(const QString& text) {
    if (text.size() > 128)
        return;
    const QStringList entries = ListEntries();
    SelectByCode(TypedSearchRow(entries, text));
}

void TForm5::Button8Click() {
    const std::optional<QStringList> entries = AskFilteredList(services_, windows_);
    if (entries)
        ReceiveFilteredList(*entries);
}

void TForm5::Button9Click() {
    const QString entry = SelectedEntry();
    if (entry.isNull() || !ui->ProgressBar1->isHidden())
        return;
    if (!services_.connection->IsOnline()) {
        services_.dialogs->ask(MessageKind::Information,
                               QStringLiteral("No Internet connection found. On line update of ") +
                                   entry + QStringLiteral(" is aborted."),
                               Buttons::Ok);
        return;
    }
    const Result<TextFile> record = ReadEntry(entry);
    if (!record) {
        ReportError(services_, record.error());
        return;
    }
    const QString id = InfoFieldValue(record->lines, QStringLiteral("IMDB ID"));
    if (id.left(2).toLower() != QLatin1String("tt")) {
        services_.dialogs->ask(
            MessageKind::Information,
            QStringLiteral("This title cannot be update. It does not contain any IMDB ID."),
            Buttons::Cancel);
        return;
    }
    // The notes on screen belong to this record only when the editor holds it; otherwise the
    // record's own notes are kept, never those of whatever the editor showed.
    QStringList notes = InfoTextNotes(record->lines);
    const QString shownId = ui->Edit15->text();
    if (shownId == id) {
        notes = ui->Memo3->toPlainText().split(QLatin1Char('\n'));
    } else if (!shownId.isEmpty() && shownId != kNa) {
        const Button answer = services_.dialogs->ask(
            MessageKind::Information,
            QStringLiteral("They are informations under edition. If you proceed with the update "
                           "on line any modified/non saved information will be \r\nlost. Do you "
                           "want to proceed with the on line update of ") +
                entry,
            Buttons::YesCancel);
        if (answer != Button::Yes)
            return;
        ClearThumbnail();
    }
    memo2Encoding_ = record->encoding;
    UpdateOnLine(entry, id, notes);
}

void TForm5::UpdateOnLine(const QString& entry, const QString& id, const QStringList& notes) {
    const ServiceSettings settings = settings_.Service();
    const QString query = BuildOmdbIdQuery(settings.omdbAddress, settings.omdbApiKey, id);
    ui->Label25->setText(QStringLiteral("Updating title on line, please wait."));
    ui->Label25->show();
    BusyScope scope(ui->ProgressBar1, this, [this] { ui->Label25->hide(); });
    // One request for the whole record: every field is read from this one answer.
    const std::optional<Result<OmdbAnswer>> answer = WaitForOmdb(window(), &FetchOmdbAnswer, query);
    if (!answer)
        return; // cancelled: the editor stays as it was
    const QString failed = entry + QStringLiteral(" could not be updated: ");
    if (!*answer) {
        ReportError(services_, failed + answer->error());
        return;
    }
    if (!answer->value().found()) {
        ReportError(services_, failed + ExplainServiceError(RefusalReason(answer->value())));
        return;
    }
    try {
        ApplyUpdate(entry, id, notes, answer->value());
    } catch (const std::exception& error) {
        const std::system_error* system = dynamic_cast<const std::system_error*>(&error);
        const int code = system ? system->code().value() : errno;
        ui->Label25->setText(QStringLiteral("Error during update."));
        ReportError(services_, QStringLiteral("Caught an OS error with code: ") +
                                   QString::number(code) + QStringLiteral(". ") +
                                   QString::fromLocal8Bit(error.what()));
    }
}

void TForm5::ApplyUpdate(const QString& entry, const QString& id, const QStringList& notes,
                         const OmdbAnswer& answer) {
    const QStringList refreshed = RefreshedInfoText(answer.title(), answer.infoValues(), id, notes);
    FillFields(refreshed);
    ui->ProgressBar1->setValue(19);
    const QStringList kept = InfoTextNotes(refreshed);
    ShowNotes(kept.isEmpty() ? QStringList{kNa} : kept);
    ui->ProgressBar1->setValue(20);
    ui->Label25->setText(kUpdateComplete);
    // A save that was refused or failed has said so; the update itself did happen.
    const bool saved = ui->CheckBox3->isChecked() && Button4Click();
    services_.dialogs->ask(MessageKind::Information,
                           entry + (saved ? QStringLiteral(" has been updated and saved.")
                                          : QStringLiteral(" has been updated.")),
                           Buttons::Ok);
    ShowThumbnail(entry);
}

} // namespace quorvel
