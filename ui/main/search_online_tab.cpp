#include "ui/main/search_online_tab.h"

#include "core/collection.h"
#include "core/infotext.h"
#include "core/options.h"
#include "online/addresses.h"
#include "online/http_client.h"
#include "online/omdb.h"
#include "online/search_record.h"
#include "ui/main/connect_clicks.h"
#include "ui/main/network_wait.h"
#include "ui/main/omdb_wait.h"
#include "ui/main/record_files.h"
#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"
#include "ui/main/shared_dialogs.h"
#include "ui/main/visual_lines.h"
#include "ui_search_online_tab.h"

#include <QApplication>
#include <QTextCursor>

namespace quorvel {

namespace {

const QString kTitlePrompt = QStringLiteral("Title of the movie, serie or IMDB ID");
const QString kConnectFirst =
    QStringLiteral("Please, Connect to the Internet before trying a Search");
const QString kStatusOffLine = QStringLiteral("Internet Connection Status: OFF LINE");
const QString kStatusOnLine = QStringLiteral("Internet Connection Status : ON LINE");
const QString kNoPoster = QStringLiteral("No poster Found.");

} // namespace

SearchOnlineTab::SearchOnlineTab(Windows& windows, Services& services, Settings& settings,
                                 QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::SearchOnlineTab>()), windows_(windows),
      services_(services), settings_(settings) {
    ui->setupUi(this);
    ConnectHandlers();
}

SearchOnlineTab::~SearchOnlineTab() = default;

BackgroundPicture* SearchOnlineTab::Background() const {
    return ui->Image3;
}

void SearchOnlineTab::ConnectHandlers() {
    ConnectClicks(this, {{ui->Button1, &SearchOnlineTab::Button1Click},
                         {ui->Button44, &SearchOnlineTab::Button44Click},
                         {ui->Button3, &SearchOnlineTab::Button3Click},
                         {ui->Button4, &SearchOnlineTab::Button4Click},
                         {ui->Button5, &SearchOnlineTab::Button5Click},
                         {ui->Button6, &SearchOnlineTab::Button6Click},
                         {ui->Button12, &SearchOnlineTab::Button12Click},
                         {ui->Button13, &SearchOnlineTab::Button13Click},
                         {ui->Button7, &SearchOnlineTab::Button7Click},
                         {ui->Button8, &SearchOnlineTab::Button8Click},
                         {ui->Button9, &SearchOnlineTab::Button9Click},
                         {ui->Button2, &SearchOnlineTab::Button2Click},
                         {ui->Button10, &SearchOnlineTab::Button10Click},
                         {ui->Button56, &SearchOnlineTab::Button56Click}});
    connect(ui->Edit1, &QLineEdit::returnPressed, this, [this] { Button1Click(); });
    connect(ui->Memo1, &QPlainTextEdit::textChanged, this, [this] { Memo1Change(); });
    connect(ui->CheckBox2, &QCheckBox::toggled, this, [this] { CheckBox2Click(); });
    // Both searches land on the video tab.
    connect(ui->Button28, &QPushButton::clicked, this,
            [this] { Q_EMIT TrailerSearch(InfoFirstLine()); });
    connect(ui->Button54, &QPushButton::clicked, this,
            [this] { Q_EMIT SoundtrackSearch(InfoFirstLine()); });
}

QLineEdit* SearchOnlineTab::TitleEdit() const {
    return ui->Edit1;
}

QCheckBox* SearchOnlineTab::ReadOnlyBox() const {
    return ui->CheckBox2;
}

QPushButton* SearchOnlineTab::TrailerButton() const {
    return ui->Button28;
}

QPushButton* SearchOnlineTab::SoundtrackButton() const {
    return ui->Button54;
}

void SearchOnlineTab::ClearImdbId() {
    imdbId_.clear();
}

QString SearchOnlineTab::InfoFirstLine() const {
    return FirstVisualLine(*ui->Memo1);
}

void SearchOnlineTab::ShowPoster(const Poster& poster) {
    poster_ = poster;
    ui->Image1->setPicture(poster.image);
    ui->Button5->setEnabled(true);
    ui->Button4->setEnabled(true);
}

void SearchOnlineTab::RemovePoster() {
    // The poster buttons never outlive the picture they act on.
    poster_ = Poster{};
    ui->Image1->setPicture(QImage());
    ui->Button5->setEnabled(false);
    ui->Button4->setEnabled(false);
}

void SearchOnlineTab::ShowInfo(const TextFile& info) {
    ui->Memo1->setPlainText(info.lines.join(QLatin1Char('\n')));
    memo1Encoding_ = info.encoding;
}

void SearchOnlineTab::AppendToMemo1(const QStringList& lines) {
    QString text = lines.join(QLatin1Char('\n'));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // An empty box and a box holding one empty line look alike: the count tells them apart.
    if (memo1Appended_ > 0)
        text.prepend(QLatin1Char('\n'));
    QTextCursor cursor(ui->Memo1->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    memo1Appended_ += int(lines.size());
}

void SearchOnlineTab::SetSearchButtons(bool enabled) {
    ui->Button2->setEnabled(enabled);
    ui->Button3->setEnabled(enabled);
    ui->Button6->setEnabled(enabled);
}

bool SearchOnlineTab::SearchRunning() const {
    // Shown by the search itself, whether or not the window is on screen.
    return !ui->ProgressBar1->isHidden();
}

QString SearchOnlineTab::InputToAsk(bool forgetIdOffLine) {
    if (SearchRunning())
        return {};
    const QString input = TrimBlanksAndControls(ui->Edit1->text());
    ui->Edit1->setText(input);
    if (input.isEmpty())
        return {};
    if (!services_.connection->IsOnline()) {
        windows_.SetStatusText(kStatusOffLine);
        ShowMessage(services_, kConnectFirst);
        if (forgetIdOffLine) {
            imdbId_.clear();
            ui->Button2->setEnabled(false);
        }
        return {};
    }
    windows_.SetStatusText(kStatusOnLine);
    return input;
}

void SearchOnlineTab::Button1Click() {
    const QString input = InputToAsk(true);
    if (input.isEmpty())
        return;
    BusyScope scope(ui->ProgressBar1, nullptr, [this] { ui->Label1->setText(kTitlePrompt); });
    const ServiceSettings settings = settings_.Service();
    // One request for the whole record: every field below is read from this one answer.
    const std::optional<Result<OmdbAnswer>> answer =
        WaitForOmdb(window(), &FetchOmdbAnswer,
                    BuildOmdbQuery(settings.omdbAddress, settings.omdbApiKey, input));
    if (!answer)
        return; // cancelled: the record on screen stays
    if (!*answer) {
        scope.end();
        ShowMessage(services_, input + QStringLiteral(": ") + answer->error());
        return;
    }
    const OmdbAnswer& reply = answer->value();
    if (reply.notFound()) {
        RemovePoster();
        ui->Memo1->clear();
        SetSearchButtons(false);
        scope.end();
        ShowMessage(services_, input + QStringLiteral(": movie not found!"));
        return;
    }
    if (!reply.found()) {
        // The title may well exist: what is shown stays, and the user learns the real reason.
        scope.end();
        ShowMessage(services_,
                    input + QStringLiteral(": ") + ExplainServiceError(RefusalReason(reply)));
        return;
    }
    FillRecord(input, reply);
    if (!FetchPoster(reply.posterAddress())) {
        scope.end();
        ShowMessage(services_, kNoPoster);
    }
}

void SearchOnlineTab::FillRecord(const QString& input, const OmdbAnswer& answer) {
    ui->Memo1->clear();
    memo1Appended_ = 0;
    memo1Encoding_ = TextEncoding::Ansi;
    SetSearchButtons(false);
    ui->Label1->setText(QStringLiteral("Searching movie database for ") + input);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    ui->ProgressBar1->setValue(1);

    // Section by section, as the fields used to arrive, so the box and the bar grow together;
    // the lines are those the command line's add saves.
    const QStringList lines = SearchedInfoText(answer);
    currentTitle_ = answer.title();
    imdbId_ = lines.value(ComposedLabelLine(u"IMDB ID") + 1);
    AppendToMemo1(lines.mid(0, 2)); // the title and its empty line
    ui->ProgressBar1->setValue(2);
    // Each section with a value: its label, the value and the empty line after it; the last
    // one brings the notes' label and the closing line along.
    const std::size_t valued = kInfoSections.size() - 1;
    for (std::size_t i = 0; i < valued; ++i) {
        const qsizetype from = ComposedLabelLine(kInfoSections[i].label);
        const qsizetype to =
            i + 1 < valued ? ComposedLabelLine(kInfoSections[i + 1].label) : lines.size();
        AppendToMemo1(lines.mid(from, to - from));
        ui->ProgressBar1->setValue(int(i) + 3);
    }
    SetSearchButtons(true);
}

bool SearchOnlineTab::FetchPoster(const QString& address) {
    RemovePoster();
    HttpClient& posterClient = windows_.PosterClient();
    const std::optional<Result<Poster>> poster = WaitForNetwork(
        window(), [&posterClient, address](const CancelFlag& cancel) -> Result<Poster> {
            const Result<QByteArray> bytes = DownloadPoster(posterClient, address, &cancel);
            if (!bytes)
                return Failure(bytes.error());
            return DecodeJpegPoster(*bytes);
        });
    // A cancelled download leaves the record without a poster and says nothing more.
    if (!poster)
        return true;
    if (!*poster)
        return false;
    ShowPoster(poster->value());
    return true;
}

void SearchOnlineTab::Button44Click() {
    ui->Edit1->clear();
}

void SearchOnlineTab::Button3Click() {
    const InfoSave save =
        SaveInfoAs(services_, windows_.FileDialogs().save, currentTitle_, *ui->Memo1, memo1Encoding_);
    if (save.step == SaveStep::Stopped)
        return;
    if (save.step == SaveStep::Saved)
        memo1Encoding_ = save.written;
    if (settings_.Tab1Save())
        Button4Click();
}

void SearchOnlineTab::Button4Click() {
    SavePosterAs(services_, windows_.FileDialogs().savePicture, currentTitle_, poster_);
}

void SearchOnlineTab::Button6Click() {
    PrintShownLines(services_, *ui->Memo1);
}

void SearchOnlineTab::Button5Click() {
    PrintPicture(services_, poster_.image, *this);
}

RecordView SearchOnlineTab::View() {
    return {[this](const TextFile& info) { ShowInfo(info); }, [this] { ui->Memo1->clear(); },
            [this](const Poster& poster) { ShowPoster(poster); }, [this] { RemovePoster(); }};
}

void SearchOnlineTab::Button12Click() {
    RecordView view = View();
    view.showInfo = [this](const TextFile& info) {
        ShowInfo(info);
        // A text without the label keeps the identifier it had.
        if (const std::optional<QString> id = InfoTextImdbId(info.lines)) {
            imdbId_ = *id;
            ui->Button2->setEnabled(true);
        }
    };
    LoadInfoWithPoster(services_, windows_.FileDialogs().open, view);
}

void SearchOnlineTab::Button13Click() {
    LoadPosterWithInfo(services_, windows_.FileDialogs().openPicture, View());
}

void SearchOnlineTab::CheckBox2Click() {
    ui->Memo1->setReadOnly(ui->CheckBox2->isChecked());
}

void SearchOnlineTab::Memo1Change() {
    const QList<QPushButton*> textButtons = {ui->Button28, ui->Button2, ui->Button3, ui->Button6,
                                             ui->Button54};
    const bool hasText = !ui->Memo1->document()->isEmpty();
    for (QPushButton* b : textButtons)
        b->setEnabled(hasText);
    if (hasText || ui->Image1->picture().isNull()) {
        ui->Button5->setEnabled(hasText);
        ui->Button4->setEnabled(hasText);
    }
}

void SearchOnlineTab::Button7Click() {
    OpenAddress(services_, GoogleSearchAddress(ui->Edit1->text()));
}

void SearchOnlineTab::Button8Click() {
    OpenAddress(services_, RottenTomatoesSearchAddress(ui->Edit1->text()));
}

void SearchOnlineTab::Button9Click() {
    OpenAddress(services_, YouTubeSearchAddress(ui->Edit1->text()));
}

void SearchOnlineTab::Button2Click() {
    if (imdbId_.isEmpty())
        return;
    OpenAddress(services_, ImdbTitleAddress(imdbId_));
}

void SearchOnlineTab::Button56Click() {
    // Nothing on the tab changes: the matches and whatever goes wrong with them are told in
    // their own window.
    const QString input = InputToAsk(false);
    if (!input.isEmpty())
        windows_.ShowTitleMatches(input);
}

void SearchOnlineTab::ShowMatch(const QString& imdbId) {
    ui->Edit1->setText(imdbId);
    Button1Click();
}

void SearchOnlineTab::Button10Click() {
    window()->close();
}

} // namespace quorvel
