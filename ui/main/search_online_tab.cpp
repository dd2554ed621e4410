#include "ui/main/search_online_tab.h"

#include "core/textfile.h"

#include "core/collection.h"
#include "core/infotext.h"
#include "core/options.h"
#include "online/addresses.h"
#include "online/omdb.h"
#include "ui/main/hints.h"
#include "ui/main/main_window.h"
#include "ui/main/network_wait.h"
#include "ui/main/visual_lines.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace quorvel {

namespace {

const QString kTitlePrompt = QStringLiteral("Title of the movie, serie or IMDB ID");
const QString kConnectFirst =
    QStringLiteral("Please, Connect to the Internet before trying a Search");
const QString kStatusOffLine = QStringLiteral("Internet Connection Status: OFF LINE");
const QString kStatusOnLine = QStringLiteral("Internet Connection Status : ON LINE");
const QString kNoPoster = QStringLiteral("No poster Found.");

// A hint shown in the hint panel only, never as a tool tip.
QString PanelOnly(const char* text) {
    return QLatin1Char('|') + QString::fromLatin1(text);
}

QFont LargeFont(const QWidget* widget) {
    QFont font = widget->font();
    font.setPointSize(font.pointSize() + 4);
    font.setBold(true);
    return font;
}

template <typename W> W* Make(QWidget* parent, const char* name) {
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, const QString& hint,
                        bool enabled = true) {
    auto* button = Make<QPushButton>(parent, name);
    button->setText(QString::fromLatin1(caption));
    button->setAutoDefault(false);
    SetHint(button, hint);
    button->setEnabled(enabled);
    return button;
}

QFrame* MakePane(QWidget* parent) {
    auto* pane = new QFrame(parent);
    pane->setFrameShape(QFrame::StyledPanel);
    pane->setFrameShadow(QFrame::Raised);
    return pane;
}

// Hides the bar, puts the prompt back and restores the pointer once, however the search ends.
class SearchScope {
public:
    SearchScope(QProgressBar* bar, QLabel* label) : bar_(bar), label_(label) {
        bar_->setValue(1);
        bar_->show();
        bar_->raise();
        QApplication::setOverrideCursor(Qt::WaitCursor);
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

} // namespace

SearchOnlineTab::SearchOnlineTab(Windows& windows, Services& services, QWidget* parent)
    : QWidget(parent), windows_(windows), services_(services) {
    setObjectName(QStringLiteral("TabSheet1"));
    SetHint(this, PanelOnly("Search on line Movie Information and Poster given a title of "
                            "movie/serie or IMDB ID"));

    Label1 = Make<QLabel>(this, "Label1");
    Label1->setText(kTitlePrompt);
    Label1->setFont(LargeFont(Label1));

    Edit1 = Make<QLineEdit>(this, "Edit1");
    Edit1->setText(QStringLiteral("The Machine"));
    Edit1->setFont(LargeFont(Edit1));
    SetHint(Edit1, PanelOnly("Enter here the title of a movie/serie or IMDB ID then click the ' "
                             "Search Info' button to get information and poster if any exists."));

    ProgressBar1 = Make<QProgressBar>(this, "ProgressBar1");
    ProgressBar1->setRange(0, 19);
    ProgressBar1->setValue(1);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();
    SetHint(ProgressBar1, PanelOnly("This bar indicate the progress of your search."));

    Button44 = MakeButton(this, "Button44", "Clear",
                          PanelOnly("Clear the title of the movie, serie or IMDB ID in the edit "
                                    "box left of this button."));
    Button1 = MakeButton(this, "Button1", "Search Info",
                         PanelOnly("Launch a search for movie/serie information and poster with "
                                   "the given title of a movie/serie or the IMDB ID."));
    Button1->setDefault(true);

    infoPane_ = MakePane(this);
    Label3 = Make<QLabel>(infoPane_, "Label3");
    Label3->setText(QStringLiteral("Movie Info"));
    Label3->setFont(LargeFont(Label3));
    Memo1 = Make<QPlainTextEdit>(infoPane_, "Memo1");
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetHint(Memo1, PanelOnly("After a successful search, movie informations collected from the "
                             "Internet appear here."));
    Button3 = MakeButton(infoPane_, "Button3", "Save Info",
                         PanelOnly("Save the Movie Info. collected in the folder designated into "
                                   "the options (or another folder if you like) in the form of a "
                                   "text file."),
                         false);
    Button6 = MakeButton(infoPane_, "Button6", "Print Info",
                         PanelOnly("Print the Movie Information."), false);
    CheckBox2 = Make<QCheckBox>(infoPane_, "CheckBox2");
    CheckBox2->setText(QStringLiteral("Read Only Info"));
    SetHint(CheckBox2, PanelOnly("Unticked, permits to edit the Movie Information above. It is "
                                 "recommended to use the 'Manage Info Text' dialog option."));
    Button12 = MakeButton(infoPane_, "Button12", "Load Info",
                          PanelOnly("Load Movie informations previously saved."));

    posterPane_ = MakePane(this);
    Label2 = Make<QLabel>(posterPane_, "Label2");
    Label2->setText(QStringLiteral("Poster"));
    Label2->setFont(LargeFont(Label2));
    Image1 = Make<PictureBox>(posterPane_, "Image1");
    Image1->setMinimumSize(120, 160);
    Image1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    SetHint(Image1, PanelOnly("After a successful search, Poster gathered from the Internet "
                              "appears here if any."));
    Button4 = MakeButton(posterPane_, "Button4", "Save Poster",
                         PanelOnly("Save the Poster collected in the folder designated into the "
                                   "options (or another folder if you like) in the form of a JPEG "
                                   "image."),
                         false);
    Button5 =
        MakeButton(posterPane_, "Button5", "Print Poster", PanelOnly("Print the Poster"), false);
    Button13 = MakeButton(posterPane_, "Button13", "Load Poster",
                          PanelOnly("Load a previously saved Poster. Useful if a search returned "
                                    "no poster and you want to load a Poster from another "
                                    "source."));

    Label4 = Make<QLabel>(this, "Label4");
    Label4->setText(QStringLiteral("Internet Search"));
    Label4->setFont(LargeFont(Label4));
    Button7 = MakeButton(this, "Button7", "Google",
                         PanelOnly("Search Google with the given 'Title of the Movie/Serie or "
                                   "IMDB ID' "));
    Button8 = MakeButton(this, "Button8", "Rotten Tomatoes",
                         PanelOnly("Search Rotten Tomatoes with the given 'Title of the "
                                   "Movie/Serie or IMDB ID' "));
    Button9 = MakeButton(this, "Button9", "You Tube",
                         PanelOnly("Search You Tube with the given 'Title of the Movie/Serie or "
                                   "IMDB ID' (global search) "));
    Button2 =
        MakeButton(this, "Button2", "IMDB",
                   PanelOnly("Search IMDB with the IMDB ID found in the Movie Info text"), false);
    Button28 = MakeButton(this, "Button28", "Trailer Search",
                          PanelOnly("Search You Tube with the given 'Title of the Movie/Serie or "
                                    "IMDB ID'  for trailer and open the tab 'Search Video On "
                                    "Line'"),
                          false);
    Button54 = MakeButton(this, "Button54", "Soundtrack",
                          PanelOnly("Search You Tube with the given 'Title of the Movie/Serie or "
                                    "IMDB ID'  for soundtrack and open the tab 'Search Video On "
                                    "Line'"),
                          false);
    Button10 =
        MakeButton(this, "Button10", "Exit", QStringLiteral("Exit the software without prompt."));

    // The input line: the bar sits in the edit box's cell and covers it while shown.
    auto* inputLine = new QGridLayout;
    inputLine->addWidget(Edit1, 0, 0);
    inputLine->addWidget(ProgressBar1, 0, 0);
    inputLine->addWidget(Button44, 0, 1);
    inputLine->addWidget(Button1, 0, 2);
    inputLine->setColumnStretch(0, 1);
    ProgressBar1->setMinimumHeight(Edit1->sizeHint().height());
    Button44->setMinimumHeight(Edit1->sizeHint().height());
    Button1->setMinimumHeight(Edit1->sizeHint().height());

    auto* infoLayout = new QVBoxLayout(infoPane_);
    infoLayout->addWidget(Label3);
    infoLayout->addWidget(Memo1, 1);
    auto* infoButtons = new QHBoxLayout;
    infoButtons->addWidget(Button3);
    infoButtons->addWidget(Button6);
    infoButtons->addWidget(CheckBox2);
    infoButtons->addStretch();
    infoButtons->addWidget(Button12);
    infoLayout->addLayout(infoButtons);

    auto* posterLayout = new QVBoxLayout(posterPane_);
    posterLayout->addWidget(Label2);
    posterLayout->addWidget(Image1, 1);
    auto* posterButtons = new QHBoxLayout;
    posterButtons->addWidget(Button4);
    posterButtons->addWidget(Button5);
    posterButtons->addStretch();
    posterButtons->addWidget(Button13);
    posterLayout->addLayout(posterButtons);

    // Both panes share one row, so they always have the same height.
    auto* panes = new QHBoxLayout;
    panes->addWidget(infoPane_, 3);
    panes->addWidget(posterPane_, 2);

    auto* searchRow = new QHBoxLayout;
    for (QPushButton* b : {Button7, Button8, Button9, Button2, Button28, Button54, Button10})
        searchRow->addWidget(b);

    auto* root = new QVBoxLayout(this);
    root->addWidget(Label1);
    root->addLayout(inputLine);
    root->addSpacing(4);
    root->addLayout(panes, 1);
    root->addSpacing(4);
    root->addWidget(Label4);
    root->addLayout(searchRow);

    connect(Edit1, &QLineEdit::returnPressed, this, [this] { Button1Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button44, &QPushButton::clicked, this, [this] { Button44Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
    connect(Button12, &QPushButton::clicked, this, [this] { Button12Click(); });
    connect(Button13, &QPushButton::clicked, this, [this] { Button13Click(); });
    connect(Button7, &QPushButton::clicked, this, [this] { Button7Click(); });
    connect(Button8, &QPushButton::clicked, this, [this] { Button8Click(); });
    connect(Button9, &QPushButton::clicked, this, [this] { Button9Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button10, &QPushButton::clicked, this, [this] { Button10Click(); });
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] { Memo1Change(); });
    // Connected before the box is ticked, so that ticking it here already locks Memo1.
    connect(CheckBox2, &QCheckBox::toggled, this, [this] { CheckBox2Click(); });
    CheckBox2->setChecked(true);
}

QLineEdit* SearchOnlineTab::TitleEdit() const {
    return Edit1;
}

QCheckBox* SearchOnlineTab::ReadOnlyBox() const {
    return CheckBox2;
}

void SearchOnlineTab::ClearImdbId() {
    imdbId_.clear();
}

QString SearchOnlineTab::InfoFirstLine() const {
    return FirstVisualLine(*Memo1);
}

void SearchOnlineTab::Message(const QString& text) {
    services_.dialogs->ask(MessageKind::Plain, text, Buttons::Ok);
}

void SearchOnlineTab::ReportError(const QString& text) {
    services_.dialogs->ask(MessageKind::Error, text, Buttons::Ok);
}

bool SearchOnlineTab::ConfirmOverwrite(const QString& path) {
    if (!QFileInfo::exists(path))
        return true;
    return services_.dialogs->ask(MessageKind::Confirmation, OverwriteQuestionText(path),
                                  Buttons::YesNo) == Button::Yes;
}

void SearchOnlineTab::ShowPoster(const Poster& poster) {
    poster_ = poster;
    Image1->setPicture(poster.image);
    Button5->setEnabled(true);
    Button4->setEnabled(true);
}

void SearchOnlineTab::RemovePoster() {
    // The poster buttons never outlive the picture they act on.
    poster_ = Poster{};
    Image1->setPicture(QImage());
    Button5->setEnabled(false);
    Button4->setEnabled(false);
}

void SearchOnlineTab::ShowInfo(const TextFile& info) {
    Memo1->setPlainText(info.lines.join(QLatin1Char('\n')));
    memo1Encoding_ = info.encoding;
}

void SearchOnlineTab::AppendToMemo1(const QStringList& lines) {
    QString text = lines.join(QLatin1Char('\n'));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // An empty box and a box holding one empty line look alike: the count tells them apart.
    if (memo1Appended_ > 0)
        text.prepend(QLatin1Char('\n'));
    QTextCursor cursor(Memo1->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    memo1Appended_ += int(lines.size());
}

void SearchOnlineTab::SetSearchButtons(bool enabled) {
    Button2->setEnabled(enabled);
    Button3->setEnabled(enabled);
    Button6->setEnabled(enabled);
}

bool SearchOnlineTab::SearchRunning() const {
    // Shown by the search itself, whether or not the window is on screen.
    return !ProgressBar1->isHidden();
}

void SearchOnlineTab::Button1Click() {
    if (SearchRunning())
        return;
    TForm1* form1 = windows_.form1;
    const QString input = TrimBlanksAndControls(Edit1->text());
    Edit1->setText(input);
    if (input.isEmpty() || !form1)
        return;

    if (!services_.connection->IsOnline()) {
        form1->SetStatusText(kStatusOffLine);
        Message(kConnectFirst);
        imdbId_.clear();
        Button2->setEnabled(false);
        return;
    }
    form1->SetStatusText(kStatusOnLine);

    SearchScope scope(ProgressBar1, Label1);
    const ServiceSettings settings = form1->Settings();
    const QString query = BuildOmdbQuery(settings.omdbAddress, settings.omdbApiKey, input);
    // One request for the whole record: every field below is read from this one answer.
    const Result<OmdbAnswer> answer =
        RunWhileWindowsPaint([query] { return FetchOmdbAnswer(query); });

    if (answer && answer->refused()) {
        // The title may well exist: what is shown stays, and the user learns the real reason.
        scope.end();
        Message(input + QStringLiteral(": ") + answer->serviceError());
        return;
    }
    if (!answer || !answer->found()) {
        RemovePoster();
        Memo1->clear();
        SetSearchButtons(false);
        scope.end();
        Message(input + QStringLiteral(": movie not found!"));
        return;
    }

    Memo1->clear();
    memo1Appended_ = 0;
    memo1Encoding_ = TextEncoding::Ansi;
    SetSearchButtons(false);
    Label1->setText(QStringLiteral("Searching movie database for ") + input);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    ProgressBar1->setValue(1);

    // Section by section, as the fields used to arrive, so the box and the bar grow together.
    const QStringList values = answer->infoValues();
    const QString empty;
    currentTitle_ = answer->title();
    AppendToMemo1({currentTitle_, empty});
    ProgressBar1->setValue(2);
    AppendToMemo1({QString::fromLatin1(kInfoSections[0].label)});
    for (int n = 1; n <= 15; ++n) {
        AppendToMemo1({values.value(n - 1), empty});
        ProgressBar1->setValue(n + 2);
        AppendToMemo1({QString::fromLatin1(kInfoSections[size_t(n)].label)});
    }
    imdbId_ = values.value(15);
    AppendToMemo1({imdbId_, empty});
    ProgressBar1->setValue(18);
    AppendToMemo1({QString::fromLatin1(kInfoSections[16].label)});
    AppendToMemo1({values.value(16), empty, QString::fromLatin1(kInfoSections[17].label), empty});
    ProgressBar1->setValue(19);

    const QString posterAddress = answer->posterAddress();
    SetSearchButtons(true);

    RemovePoster();
    HttpClient& posterClient = form1->PosterClient();
    const Result<Poster> poster =
        RunWhileWindowsPaint([&posterClient, posterAddress]() -> Result<Poster> {
            const Result<QByteArray> bytes = DownloadPoster(posterClient, posterAddress);
            if (!bytes)
                return Failure(bytes.error());
            return DecodeJpegPoster(*bytes);
        });
    if (poster) {
        ShowPoster(*poster);
        return;
    }
    scope.end();
    Message(kNoPoster);
}

void SearchOnlineTab::Button44Click() {
    Edit1->clear();
}

void SearchOnlineTab::Button3Click() {
    TForm1* form1 = windows_.form1;
    if (FirstVisualLine(*Memo1).isEmpty() || !form1)
        return;
    FileDialogRequest& dialog = form1->FileDialogs().save;
    dialog.proposedName = SanitiseFileName(currentTitle_);
    const std::optional<QString> path = services_.dialogs->saveFile(dialog);
    if (path) {
        if (!ConfirmOverwrite(*path))
            return;
        // The whole text as held, so wrapping never reaches the file.
        const QStringList lines = Memo1->toPlainText().split(QLatin1Char('\n'));
        const Result<TextEncoding> saved = SaveInfoText(*path, lines, memo1Encoding_);
        if (!saved) {
            ReportError(saved.error());
            return;
        }
        memo1Encoding_ = *saved;
    }
    if (form1->SaveInfoAndPosterTogether())
        Button4Click();
}

void SearchOnlineTab::Button4Click() {
    TForm1* form1 = windows_.form1;
    if (!form1)
        return;
    FileDialogRequest& dialog = form1->FileDialogs().savePicture;
    dialog.proposedName = SanitiseFileName(currentTitle_);
    const std::optional<QString> path = services_.dialogs->saveFile(dialog);
    if (!path || !ConfirmOverwrite(*path))
        return;
    const Status saved = SavePosterFile(poster_, *path);
    if (!saved)
        ReportError(saved.error());
}

void SearchOnlineTab::Button6Click() {
    const Status printed = services_.printer->PrintLines(VisualLines(*Memo1));
    if (!printed)
        ReportError(printed.error());
}

void SearchOnlineTab::Button5Click() {
    const Status printed =
        services_.printer->PrintPoster(poster_.image, logicalDpiX(), logicalDpiY());
    if (!printed)
        ReportError(printed.error());
}

void SearchOnlineTab::Button12Click() {
    TForm1* form1 = windows_.form1;
    if (!form1)
        return;
    const std::optional<QString> path = services_.dialogs->openFile(form1->FileDialogs().open);
    if (!path)
        return;
    const Result<TextFile> info = LoadInfoText(*path);
    if (!info) {
        ReportError(info.error());
        return;
    }
    ShowInfo(*info);

    // The last label wins; a text without one keeps the identifier it had.
    const QStringList& lines = info->lines;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines.at(i) == QLatin1String("IMDB ID")) {
            imdbId_ = lines.at(i + 1);
            Button2->setEnabled(true);
        }
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
        ReportError(poster.error());
        return;
    }
    ShowPoster(*poster);
}

void SearchOnlineTab::Button13Click() {
    TForm1* form1 = windows_.form1;
    if (!form1)
        return;
    const std::optional<QString> path =
        services_.dialogs->openFile(form1->FileDialogs().openPicture);
    if (!path)
        return;
    const Result<Poster> poster = LoadPosterFile(*path);
    if (!poster) {
        ReportError(poster.error());
        return;
    }
    ShowPoster(*poster);

    const QString infoPath = CompanionFilePath(*path, QStringLiteral("txt"));
    if (!QFileInfo::exists(infoPath)) {
        Memo1->clear();
        return;
    }
    const Result<TextFile> info = LoadInfoText(infoPath);
    if (!info) {
        ReportError(info.error());
        return;
    }
    ShowInfo(*info);
}

void SearchOnlineTab::CheckBox2Click() {
    Memo1->setReadOnly(CheckBox2->isChecked());
}

void SearchOnlineTab::Memo1Change() {
    if (!Memo1->document()->isEmpty()) {
        for (QPushButton* b : {Button28, Button2, Button3, Button6, Button5, Button4, Button54})
            b->setEnabled(true);
        return;
    }
    for (QPushButton* b : {Button28, Button2, Button3, Button6, Button54})
        b->setEnabled(false);
    if (Image1->picture().isNull()) {
        Button5->setEnabled(false);
        Button4->setEnabled(false);
    }
}

void SearchOnlineTab::Button7Click() {
    services_.shell->OpenWithDefaultHandler(GoogleSearchAddress(Edit1->text()));
}

void SearchOnlineTab::Button8Click() {
    services_.shell->OpenWithDefaultHandler(RottenTomatoesSearchAddress(Edit1->text()));
}

void SearchOnlineTab::Button9Click() {
    services_.shell->OpenWithDefaultHandler(YouTubeSearchAddress(Edit1->text()));
}

void SearchOnlineTab::Button2Click() {
    if (imdbId_.isEmpty())
        return;
    services_.shell->OpenWithDefaultHandler(ImdbTitleAddress(imdbId_));
}

void SearchOnlineTab::Button10Click() {
    if (windows_.form1)
        windows_.form1->close();
}

} // namespace quorvel
