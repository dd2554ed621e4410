#include "ui/main/search_offline_tab.h"

#include "core/collection.h"
#include "core/filteredlist.h"
#include "core/infotext.h"
#include "ui/main/list_loader.h"
#include "ui/main/main_window.h"
#include "ui/main/visual_lines.h"
#include "ui/tools/reader.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStringListModel>
#include <QVBoxLayout>

#if __has_include("ui/main/hints.h")
#include "ui/main/hints.h"
#else
namespace quorvel {
// TEMPORARY until the shared hint helper lands.
inline void SetHint(QWidget* w, const QString& hint) {
    const int bar = hint.indexOf(QLatin1Char('|'));
    w->setToolTip(bar < 0 ? hint : hint.left(bar));
    w->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}
} // namespace quorvel
#endif

namespace quorvel {

namespace {

const QString kNoInformation = QStringLiteral("NO INFORMATION FOUND");

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

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& longHint, bool enabled = true) {
    auto* button = Make<QPushButton>(parent, name);
    button->setText(caption);
    SetHint(button, QLatin1Char('|') + longHint);
    button->setEnabled(enabled);
    return button;
}

} // namespace

SearchOfflineTab::SearchOfflineTab(Windows& windows, Services& services, QWidget* parent)
    : QWidget(parent), windows_(windows), services_(services) {
    setObjectName(QStringLiteral("TabSheet2"));

    Label6 = Make<QLabel>(this, "Label6");
    Label6->setText(QStringLiteral("Info Search Collection List"));
    Label6->setFont(LargeFont(Label6));
    Label7 = Make<QLabel>(this, "Label7");
    Label7->setText(QStringLiteral("(Text Info and Poster)"));
    Label12 = Make<QLabel>(this, "Label12");
    Label12->setText(CountLabelText(CollectionCount{}));

    // Forty thousand entries must fill in one go: a string model behind a view with uniform
    // rows does it in one reset instead of one insertion per item.
    movieModel_ = new QStringListModel(this);
    MovieList = Make<QListView>(this, "MovieList");
    MovieList->setModel(movieModel_);
    MovieList->setUniformItemSizes(true);
    MovieList->setSelectionMode(QAbstractItemView::SingleSelection);
    MovieList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MovieList->viewport()->installEventFilter(this);
    SetHint(MovieList, QStringLiteral("|Previoulsy saved data list (Movie Info. and Poster). Click "
                                      "on an element of the list to autoload Poster and Info Text "
                                      "if any"));

    Button17 = MakeButton(this, "Button17", QStringLiteral("Refresh"),
                          QStringLiteral("Reload the list of Movie Information and Poster saved "
                                         "from the path designated into the options."));
    Button17->installEventFilter(this);
    Button52 = MakeButton(this, "Button52", QStringLiteral("Load a filtered list..."),
                          QStringLiteral("Load a filtered list created with the 'Create filtered "
                                         "list' option"));
    Label11 = Make<QLabel>(this, "Label11");
    Label11->setText(QStringLiteral("Title of the Movie or Serie to search"));
    Edit3 = Make<QLineEdit>(this, "Edit3");
    SetHint(Edit3, QStringLiteral("|Input a title for searching the list above. This is not case "
                                  "sensitive."));
    Button18 = MakeButton(this, "Button18", QStringLiteral("Search the Info Collection List"),
                          QStringLiteral("Search the list with the input given in the above edit "
                                         "box. Search is whole match but not case sensitive."));
    Button18->setDefault(true);

    Label8 = Make<QLabel>(this, "Label8");
    Label8->setText(QStringLiteral("Poster"));
    Label8->setFont(LargeFont(Label8));
    Image2 = Make<PictureBox>(this, "Image2");
    Image2->setFrameShape(QFrame::StyledPanel);
    Image2->setFrameShadow(QFrame::Sunken);
    Image2->setMinimumSize(150, 200);
    SetHint(Image2, QStringLiteral("|Listed saved Poster appears here. If none shows: 'NO POSTER "
                                   "AVAILABLE'"));
    Label10 = Make<QLabel>(Image2, "Label10");
    Label10->setText(QStringLiteral("NO POSTER AVAILABLE"));
    Label10->setFont(LargeFont(Label10));
    Label10->setAlignment(Qt::AlignCenter);
    Label10->setWordWrap(true);
    auto* posterLayout = new QVBoxLayout(Image2);
    posterLayout->addWidget(Label10, 0, Qt::AlignCenter);

    Button20 = MakeButton(this, "Button20", QStringLiteral("Print Poster"),
                          QStringLiteral("Print the Poster"), false);
    Button23 = MakeButton(this, "Button23", QStringLiteral("Load Poster"),
                          QStringLiteral("Load a poster from any folder."));
    Button25 = MakeButton(this, "Button25", QStringLiteral("Save Poster as"),
                          QStringLiteral("Save poster as the name of your choice in the folder of "
                                         "your choice as a JPEG image"));
    // Opens the local HTML album; it stays disabled until the album window that it opens is
    // part of the program, so that it never offers a command that does nothing.
    Button40 = MakeButton(this, "Button40", QStringLiteral("Local HTML"),
                          QStringLiteral("Open the Local HTML album if any saved into the options "
                                         "path."),
                          false);
    Button32 = MakeButton(this, "Button32", QStringLiteral("Trailer Search"),
                          QStringLiteral("Search You Tube with the given 'Title of the Movie/Serie "
                                         "or IMDB ID'  for trailer and open the tab 'Search Video "
                                         "On Line'"),
                          false);
    Button55 = MakeButton(this, "Button55", QStringLiteral("Soundtrack"),
                          QStringLiteral("Search You Tube with the given 'Title of the Movie/Serie "
                                         "or IMDB ID'  for soundtrack and open the tab 'Search "
                                         "Video On Line'"),
                          false);

    Label9 = Make<QLabel>(this, "Label9");
    Label9->setText(QStringLiteral("Information Text"));
    Label9->setFont(LargeFont(Label9));
    CheckBox1 = Make<QCheckBox>(this, "CheckBox1");
    CheckBox1->setText(QStringLiteral("Read Only"));
    CheckBox1->setChecked(true);
    SetHint(CheckBox1, QStringLiteral("|Unticked, permits to edit the Movie Information here "
                                      "under. It is recommended to use the 'Manage Info Text' "
                                      "dialog option."));
    Memo2 = Make<QPlainTextEdit>(this, "Memo2");
    Memo2->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo2->setReadOnly(true);
    SetHint(Memo2, QStringLiteral("|Listed saved Movie Information appears here."));

    Button19 =
        MakeButton(this, "Button19", QStringLiteral("Print Info"),
                   QStringLiteral("Print the selected off line Movie/Serie Information"), false);
    Button24 = MakeButton(this, "Button24", QStringLiteral("Load Info"),
                          QStringLiteral("Load a Movie/Serie Information from the folder of your "
                                         "choice"));
    Button26 = MakeButton(this, "Button26", QStringLiteral("Save Info As"),
                          QStringLiteral("Save the Movie/Serie Information with the name of your "
                                         "choice into the folder of your choice"));
    Button37 = MakeButton(this, "Button37", QStringLiteral("Reader"),
                          QStringLiteral("Open the selected Movie/Serie information and Poster if "
                                         "any into the reader"),
                          false);

    // Left: the collection list and its search.
    auto* left = new QVBoxLayout;
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(Label6);
    titleRow->addWidget(Label7, 0, Qt::AlignBottom);
    titleRow->addStretch();
    left->addLayout(titleRow);
    left->addWidget(Label12);
    left->addWidget(MovieList, 1);
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(Button17);
    listButtons->addWidget(Button52);
    left->addLayout(listButtons);
    left->addWidget(Label11);
    left->addWidget(Edit3);
    left->addWidget(Button18);

    // Right: the poster over the info text, each with its column of buttons.
    auto* right = new QGridLayout;
    right->addWidget(Label8, 0, 0);
    right->addWidget(Image2, 1, 0);
    auto* posterButtons = new QVBoxLayout;
    for (QPushButton* b : {Button20, Button23, Button25, Button40, Button32, Button55})
        posterButtons->addWidget(b);
    posterButtons->addStretch();
    right->addLayout(posterButtons, 1, 1);
    auto* infoTitleRow = new QHBoxLayout;
    infoTitleRow->addWidget(Label9);
    infoTitleRow->addStretch();
    infoTitleRow->addWidget(CheckBox1);
    right->addLayout(infoTitleRow, 2, 0);
    right->addWidget(Memo2, 3, 0);
    auto* infoButtons = new QVBoxLayout;
    for (QPushButton* b : {Button19, Button24, Button26, Button37})
        infoButtons->addWidget(b);
    infoButtons->addStretch();
    right->addLayout(infoButtons, 3, 1);
    right->setRowStretch(1, 5);
    right->setRowStretch(3, 4);
    right->setColumnStretch(0, 1);

    auto* root = new QHBoxLayout(this);
    root->addLayout(left, 4);
    root->addSpacing(8);
    root->addLayout(right, 5);

    connect(Button17, &QPushButton::clicked, this, [this] { Button17Click(); });
    connect(Button52, &QPushButton::clicked, this, [this] { Button52Click(); });
    connect(MovieList->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        // A mouse press loads on its release; code that selects never loads.
        if (!selectingByCode_ && !mousePressed_)
            MovieListClick();
    });
    connect(Edit3, &QLineEdit::textChanged, this, [this](const QString& t) { Edit3Change(t); });
    connect(Edit3, &QLineEdit::returnPressed, this, [this] { Button18Click(); });
    connect(Button18, &QPushButton::clicked, this, [this] { Button18Click(); });
    connect(Button19, &QPushButton::clicked, this, [this] { Button19Click(); });
    connect(Button20, &QPushButton::clicked, this, [this] { Button20Click(); });
    connect(Button23, &QPushButton::clicked, this, [this] { Button23Click(); });
    connect(Button24, &QPushButton::clicked, this, [this] { Button24Click(); });
    connect(Button25, &QPushButton::clicked, this, [this] { Button25Click(); });
    connect(Button26, &QPushButton::clicked, this, [this] { Button26Click(); });
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    connect(Button37, &QPushButton::clicked, this, [this] { Button37Click(); });
}

bool SearchOfflineTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Button17 && event->type() == QEvent::FocusIn) {
        // Coming back to the window gives the button its focus again without the user moving
        // to it: that is no reason to list the folder again.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Button17Click();
    } else if (MovieList && watched == MovieList->viewport()) {
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
    return windows_.form1 ? windows_.form1->CollectionFolder() : QString();
}

void SearchOfflineTab::Button17Click() {
    ListIntoMovieList();
}

void SearchOfflineTab::ListIntoMovieList() {
    SetListItems(ListCollection(CollectionFolder()), false);
}

void SearchOfflineTab::SetListItems(const QStringList& items, bool filtered) {
    QScopedValueRollback guard(selectingByCode_, true);
    if (items == movieModel_->stringList()) {
        // The refreshes after a failed load usually find the folder as it was: keeping the
        // model spares a reset of tens of thousands of rows; only the selection goes.
        MovieList->selectionModel()->clear();
    } else {
        movieModel_->setStringList(items);
    }
    QString label = CountLabelText(CountCollection(items));
    if (filtered)
        label += QStringLiteral(" (Filtered list)");
    Label12->setText(label);
}

void SearchOfflineTab::ShowFilteredList(const QStringList& items) {
    SetListItems(items, true);
}

QStringList SearchOfflineTab::ListEntries() const {
    return movieModel_->stringList();
}

int SearchOfflineTab::SelectedRow() const {
    const QModelIndexList rows = MovieList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void SearchOfflineTab::SelectByCode(int row) {
    QScopedValueRollback guard(selectingByCode_, true);
    QItemSelectionModel* selection = MovieList->selectionModel();
    if (row < 0) {
        selection->clear();
        return;
    }
    const QModelIndex index = movieModel_->index(row);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    MovieList->scrollTo(index);
}

void SearchOfflineTab::RemovePoster() {
    poster_ = Poster{};
    Image2->clearPicture();
}

void SearchOfflineTab::ShowPoster(const Poster& poster) {
    poster_ = poster;
    Image2->setPicture(poster.image);
    Label10->hide();
    Button20->setEnabled(true);
    Button25->setEnabled(true);
}

void SearchOfflineTab::ShowNoPoster() {
    RemovePoster();
    Label10->show();
    Button20->setEnabled(false);
    Button25->setEnabled(false);
}

void SearchOfflineTab::ShowInfo(const TextFile& info) {
    Memo2->setPlainText(info.lines.join(QLatin1Char('\n')));
    memo2Encoding_ = info.encoding;
}

bool SearchOfflineTab::PosterShown() const {
    return Label10->isHidden();
}

QString SearchOfflineTab::InfoText() const {
    return Memo2->toPlainText();
}

QString SearchOfflineTab::InfoFirstLine() const {
    return FirstVisualLine(*Memo2);
}

void SearchOfflineTab::ReportError(const QString& text) {
    services_.dialogs->ask(MessageKind::Error, text, Buttons::Ok);
}

bool SearchOfflineTab::ConfirmOverwrite(const QString& path) {
    if (!QFileInfo::exists(path))
        return true;
    return services_.dialogs->ask(MessageKind::Confirmation, OverwriteQuestionText(path),
                                  Buttons::YesNo) == Button::Yes;
}

void SearchOfflineTab::MovieListClick() {
    const QStringList entries = movieModel_->stringList();
    const int row = SelectedRow();
    if (entries.isEmpty() || row < 0)
        return;
    Button37->setEnabled(true);

    // Both paths are fixed before anything can refill the list.
    const QString entry = entries.at(row);
    const QString folder = CollectionFolder();
    const QString posterPath = EntryFilePath(folder, entry, QStringLiteral(".jpg"));
    const QString infoPath = EntryFilePath(folder, entry, QStringLiteral(".txt"));

    RemovePoster();
    Result<Poster> poster = LoadPosterFile(posterPath);
    if (poster) {
        ShowPoster(*poster);
    } else {
        ShowNoPoster();
        ListIntoMovieList();
    }

    Memo2->clear();
    Result<TextFile> info = LoadInfoText(infoPath);
    const bool hasInfo = info.ok();
    if (hasInfo)
        ShowInfo(*info);
    else
        Memo2->setPlainText(kNoInformation);
    Button19->setEnabled(hasInfo);
    Button32->setEnabled(hasInfo);
    Button55->setEnabled(hasInfo);
    if (!hasInfo)
        ListIntoMovieList();
}

void SearchOfflineTab::Edit3Change(const QString& text) {
    if (text.size() > 128)
        return;
    const QStringList entries = movieModel_->stringList();
    int found = -1;
    for (int i = 1; i < entries.size() && found < 0; ++i) {
        if (entries.at(i).startsWith(text, Qt::CaseInsensitive))
            found = i;
    }
    if (found < 0 && !entries.isEmpty() && entries.first().startsWith(text, Qt::CaseInsensitive))
        found = 0;
    SelectByCode(found);
}

void SearchOfflineTab::Button18Click() {
    const QString text = Edit3->text();
    if (text.isEmpty())
        return;
    const QStringList entries = movieModel_->stringList();
    QStringList upper;
    upper.reserve(entries.size());
    for (const QString& entry : entries)
        upper << AsciiUpper(entry);
    const QString wanted = AsciiUpper(text);

    for (const char* extension : {".TXT", ".JPG"}) {
        SelectByCode(-1);
        const int row = upper.indexOf(wanted + QLatin1String(extension));
        if (row < 0)
            continue;
        if (qstrcmp(extension, ".TXT") == 0)
            RemovePoster();
        else
            Memo2->clear();
        SelectByCode(row);
        MovieList->setFocus();
        MovieListClick();
        return;
    }

    SelectByCode(-1);
    for (int row = 0; row < upper.size(); ++row) {
        if (!upper.at(row).contains(wanted))
            continue;
        SelectByCode(row);
        const Button answer =
            services_.dialogs->ask(MessageKind::Confirmation,
                                   QStringLiteral("Found partial match: ") + entries.at(row) +
                                       QStringLiteral(". Search the next one?"),
                                   Buttons::YesNo);
        if (answer == Button::No)
            return;
    }

    const Button answer = services_.dialogs->ask(
        MessageKind::Confirmation,
        text + QStringLiteral(" was not found. Do you want to search the Internet for this Movie "
                              "or Serie?"),
        Buttons::YesNo);
    if (answer == Button::Yes && windows_.form1)
        windows_.form1->SearchOnline(text);
}

void SearchOfflineTab::Button19Click() {
    const Status printed = services_.printer->PrintLines(VisualLines(*Memo2));
    if (!printed)
        ReportError(printed.error());
}

void SearchOfflineTab::Button20Click() {
    const Status printed =
        services_.printer->PrintPoster(poster_.image, logicalDpiX(), logicalDpiY());
    if (!printed)
        ReportError(printed.error());
}

void SearchOfflineTab::Button23Click() {
    if (!windows_.form1)
        return;
    const std::optional<QString> path =
        services_.dialogs->openFile(windows_.form1->FileDialogs().openPicture);
    if (!path)
        return;
    Result<Poster> poster = LoadPosterFile(*path);
    if (!poster) {
        ReportError(poster.error());
        return;
    }
    ShowPoster(*poster);

    const QString infoPath = CompanionFilePath(*path, QStringLiteral("txt"));
    if (!QFileInfo::exists(infoPath)) {
        Button32->setEnabled(false);
        return;
    }
    Result<TextFile> info = LoadInfoText(infoPath);
    if (!info) {
        ReportError(info.error());
        return;
    }
    ShowInfo(*info);
    Button19->setEnabled(true);
    Button32->setEnabled(true);
}

void SearchOfflineTab::Button24Click() {
    if (!windows_.form1)
        return;
    const std::optional<QString> path =
        services_.dialogs->openFile(windows_.form1->FileDialogs().open);
    if (!path)
        return;
    Result<TextFile> info = LoadInfoText(*path);
    if (!info) {
        ReportError(info.error());
        return;
    }
    ShowInfo(*info);
    for (QPushButton* b : {Button19, Button26, Button32, Button37})
        b->setEnabled(true);

    const QString posterPath = CompanionFilePath(*path, QStringLiteral("jpg"));
    if (!QFileInfo::exists(posterPath)) {
        ShowNoPoster();
        return;
    }
    Result<Poster> poster = LoadPosterFile(posterPath);
    if (!poster) {
        // The poster of another title must not stay beside this text.
        ShowNoPoster();
        ReportError(poster.error());
        return;
    }
    ShowPoster(*poster);
}

void SearchOfflineTab::Button25Click() {
    if (!windows_.form1)
        return;
    FileDialogRequest& dialog = windows_.form1->FileDialogs().savePicture;
    dialog.startFolder = CollectionFolder();
    dialog.proposedName = SanitiseFileName(QStringLiteral("Poster"));
    const std::optional<QString> path = services_.dialogs->saveFile(dialog);
    if (!path || !ConfirmOverwrite(*path))
        return;
    const Status saved = SavePosterFile(poster_, *path);
    if (!saved)
        ReportError(saved.error());
}

void SearchOfflineTab::Button26Click() {
    if (FirstVisualLine(*Memo2).isEmpty() || !windows_.form1)
        return;
    FileDialogRequest& dialog = windows_.form1->FileDialogs().save;
    dialog.proposedName = SanitiseFileName(QStringLiteral("Info"));
    const std::optional<QString> path = services_.dialogs->saveFile(dialog);
    if (!path || !ConfirmOverwrite(*path))
        return;
    // The whole text as held, so wrapping never reaches the file.
    const QStringList lines = Memo2->toPlainText().split(QLatin1Char('\n'));
    const Result<TextEncoding> saved = SaveInfoText(*path, lines, memo2Encoding_);
    if (!saved)
        ReportError(saved.error());
}

void SearchOfflineTab::CheckBox1Click() {
    Memo2->setReadOnly(CheckBox1->isChecked());
}

void SearchOfflineTab::Button37Click() {
    const QString text = Memo2->toPlainText();
    if (text.isEmpty() && !PosterShown()) {
        services_.dialogs->ask(MessageKind::Information,
                               QStringLiteral("No Poster neither Movie/Series Info to show."),
                               Buttons::Cancel);
        return;
    }
    TForm6* reader = windows_.form6;
    if (!reader)
        return;
    reader->Fill(text, PosterShown() ? poster_.image : QImage());
    reader->Open();
}

void SearchOfflineTab::Button52Click() {
    const std::optional<QStringList> entries = AskFilteredList(services_);
    if (!entries)
        return;
    ShowFilteredList(OfflineListItems(*entries, CollectionFolder()));
}

} // namespace quorvel
