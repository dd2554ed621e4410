#include "ui/main/search_online_tab.h"

#include "core/collection.h"
#include "core/infotext.h"
#include "core/options.h"
#include "online/addresses.h"
#include "online/http_client.h"
#include "online/omdb.h"
#include "online/search_record.h"
#include "ui/main/network_wait.h"
#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"
#include "ui/main/shared_dialogs.h"
#include "ui/main/visual_lines.h"
#include "ui_search_online_tab.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextCursor>

namespace quorvel {

namespace {

const QString kTitlePrompt = QStringLiteral("Title of the movie, serie or IMDB ID");
const QString kConnectFirst =
    QStringLiteral("Please, Connect to the Internet before trying a Search");
const QString kStatusOffLine = QStringLiteral("Internet Connection Status: OFF LINE");
const QString kStatusOnLine = QStringLiteral("Internet Connection Status : ON LINE");
const QString kNoPoster = QStringLiteral("No poster Found.");

// Hides the bar, puts the prompt back and restores the pointer once, however the search ends.
class SearchScope {
public:
    SearchScope(QProgressBar* bar, QLabel* label) : bar_(bar), label_(label) {
        bar_->setValue(1);
        bar_->show();
        bar_->raise();
        // The window stays usable during the wait: the pointer says busy, not blocked.
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    ~SearchScope() { end(); }
    SearchScope(const SearchScope&) = delete;
    SearchScope& operator=(const SearchScope&) = delete;

    // Called before a message box, so the box is answered with the normal pointer.
    void end() {
        if (ended_)
            return;
        ended_ = true;
        bar_->hide();
        label_->setText(kTitlePrompt);
        QApplication::restoreOverrideCursor();
    }

private:
    QProgressBar* bar_;
    QLabel* label_;
    bool ended_ = false;
};

// Why an answer that found nothing is not a plain "not found": the service's own words.
QString RefusalReason(const OmdbAnswer& answer) {
    const QString error = answer.serviceError();
    return error.isEmpty() ? QStringLiteral("the OMDb service gave no usable answer")
                           : ExplainServiceError(error);
}

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
    const std::pair<QPushButton*, void (SearchOnlineTab::*)()> clicks[] = {
        {ui->Button1, &SearchOnlineTab::Button1Click},
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
        {ui->Button56, &SearchOnlineTab::Button56Click},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this,
                [this, handler = handler] { (this->*handler)(); });
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
    SearchScope scope(ui->ProgressBar1, ui->Label1);
    const ServiceSettings settings = settings_.Service();
    const QString query = BuildOmdbQuery(settings.omdbAddress, settings.omdbApiKey, input);
    // One request for the whole record: every field below is read from this one answer.
    const std::optional<Result<OmdbAnswer>> answer =
        WaitForNetwork(window(), [query](const CancelFlag& cancel) {
            HttpSettings http;
            http.cancel = &cancel;
            return FetchOmdbAnswer(query, http);
        });
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
        ShowMessage(services_, input + QStringLiteral(": ") + RefusalReason(reply));
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
    AppendToMemo1(lines.mid(0, 2));
    ui->ProgressBar1->setValue(2);
    AppendToMemo1({lines.value(2)}); // "TYPE"
    // Section n has its value at line 3n and the next section's label at 3n + 2.
    for (int n = 1; n <= 15; ++n) {
        AppendToMemo1(lines.mid(3 * n, 2));
        ui->ProgressBar1->setValue(n + 2);
        AppendToMemo1({lines.value(3 * n + 2)});
    }
    imdbId_ = lines.value(48);
    AppendToMemo1(lines.mid(48, 2));
    ui->ProgressBar1->setValue(18);
    AppendToMemo1({lines.value(50)}); // "PLOT"
    AppendToMemo1(lines.mid(51));     // the plot, then "ANY" and the closing empty line
    ui->ProgressBar1->setValue(19);
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
    if (FirstVisualLine(*ui->Memo1).isEmpty())
        return;
    FileDialogRequest& dialog = windows_.FileDialogs().save;
    dialog.proposedName = SanitiseFileName(currentTitle_);
    const std::optional<QString> path = services_.dialogs->saveFile(dialog);
    if (path) {
        if (!ConfirmOverwrite(services_, *path))
            return;
        // The whole text as held, so wrapping never reaches the file.
        const QStringList lines = ui->Memo1->toPlainText().split(QLatin1Char('\n'));
        const Result<TextEncoding> saved = SaveInfoText(*path, lines, memo1Encoding_);
        if (!saved) {
            ReportError(services_, saved.error());
            return;
        }
        memo1Encoding_ = *saved;
    }
    if (settings_.Tab1Save())
        Button4Click();
}

void SearchOnlineTab::Button4Click() {
    FileDialogRequest& dialog = windows_.FileDialogs().savePicture;
    dialog.proposedName = SanitiseFileName(currentTitle_);
    const std::optional<QString> path = services_.dialogs->saveFile(dialog);
    if (!path || !ConfirmOverwrite(services_, *path))
        return;
    const Status saved = SavePosterFile(poster_, *path);
    if (!saved)
        ReportError(services_, saved.error());
}

void SearchOnlineTab::Button6Click() {
    PrintShownLines(services_, *ui->Memo1);
}

void SearchOnlineTab::Button5Click() {
    PrintPicture(services_, poster_.image, *this);
}

void SearchOnlineTab::Button12Click() {
    const std::optional<QString> path = services_.dialogs->openFile(windows_.FileDialogs().open);
    if (!path)
        return;
    const Result<TextFile> info = LoadInfoText(*path);
    if (!info) {
        ReportError(services_, info.error());
        return;
    }
    ShowInfo(*info);
    // A text without the label keeps the identifier it had.
    if (const std::optional<QString> id = InfoTextImdbId(info->lines)) {
        imdbId_ = *id;
        ui->Button2->setEnabled(true);
    }

    const QString posterPath = CompanionFilePath(*path, QStringLiteral("jpg"));
    if (!QFileInfo::exists(posterPath)) {
        RemovePoster();
        return;
    }
    const Result<Poster> poster = LoadPosterFile(posterPath);
    if (!poster) {
        // The poster of another title must not stay beside this text.
        RemovePoster();
        ReportError(services_, poster.error());
        return;
    }
    ShowPoster(*poster);
}

void SearchOnlineTab::Button13Click() {
    const std::optional<QString> path =
        services_.dialogs->openFile(windows_.FileDialogs().openPicture);
    if (!path)
        return;
    const Result<Poster> poster = LoadPosterFile(*path);
    if (!poster) {
        ReportError(services_, poster.error());
        return;
    }
    ShowPoster(*poster);

    const QString infoPath = CompanionFilePath(*path, QStringLiteral("txt"));
    if (!QFileInfo::exists(infoPath)) {
        ui->Memo1->clear();
        return;
    }
    const Result<TextFile> info = LoadInfoText(infoPath);
    if (!info) {
        ReportError(services_, info.error());
        return;
    }
    ShowInfo(*info);
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
