#include "ui/main/video_tab.h"

#include "core/favourites.h"
#include "core/options.h"
#include "online/addresses.h"
#include "ui/main/embedded_browser.h"
#include "ui/main/settings.h"
#include "ui_video_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace quorvel {

namespace {

QString BlanksToPlus(QString text) {
    return text.replace(QLatin1Char(' '), QLatin1Char('+'));
}

// The search text as the address carries it. The info tabs' buttons write a title's blanks as
// "+" into the search box, so a "+" there is a blank too: searching again asks the same.
QString SearchQuery(QString text) {
    return PlusForBlanks(text.replace(QLatin1Char('+'), QLatin1Char(' ')));
}

} // namespace

VideoTab::VideoTab(Windows& windows, Settings& settings, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::VideoTab>()), windows_(windows),
      settings_(settings) {
    ui->setupUi(this);
    SetGlyphs();
    if (BrowserMayRunHere())
        ui->WebBrowser1->installEventFilter(this);
    else
        ShowBrowserNotice();
    // Options.ini may name another site; the home address is shorter than any watch address,
    // so the page buttons stay disabled.
    ui->Edit4->setText(YouTubeHomeAddress(Site()));
    ConnectHandlers();
}

VideoTab::~VideoTab() {
    // The view takes its page with it while the profile still exists.
    delete ui->WebBrowser1;
}

bool VideoTab::eventFilter(QObject* watched, QEvent* event) {
    // Before the view itself is shown: it would start a page of its own.
    if (watched == ui->WebBrowser1 && event->type() == QEvent::Show)
        Browser();
    return QWidget::eventFilter(watched, event);
}

// The browser engine takes about a third of a second to start: it starts when the browser is
// first shown or used, not with the program.
QWebEngineView* VideoTab::Browser() {
    if (ui->WebBrowser1 && !profile_) {
        profile_ = MakeBrowserProfile(settings_.AppFolder());
        ui->WebBrowser1->setPage(new QWebEnginePage(profile_.get(), ui->WebBrowser1));
    }
    return ui->WebBrowser1;
}

void VideoTab::ShowBrowserNotice() {
    // Everything but the browser still works: searches, favourites and bookmarks fill the
    // address box; what only drives the browser is off.
    ReplaceBrowserByNotice(ui->WebBrowser1, RootBrowserNotice());
    ui->WebBrowser1 = nullptr;
    for (QToolButton* button :
         {ui->SpeedButton1, ui->SpeedButton2, ui->SpeedButton3, ui->SpeedButton7, ui->SpeedButton6})
        button->setEnabled(false);
}

void VideoTab::SetGlyphs() {
    const std::pair<QToolButton*, QStyle::StandardPixmap> glyphs[] = {
        {ui->SpeedButton1, QStyle::SP_BrowserReload},
        {ui->SpeedButton2, QStyle::SP_ArrowBack},
        {ui->SpeedButton3, QStyle::SP_ArrowForward},
        {ui->SpeedButton7, QStyle::SP_DirHomeIcon},
        {ui->SpeedButton5, QStyle::SP_MediaPlay},
        {ui->SpeedButton4, QStyle::SP_DialogSaveButton},
        {ui->SpeedButton6, QStyle::SP_ArrowDown},
    };
    for (const auto& [button, glyph] : glyphs)
        button->setIcon(style()->standardIcon(glyph));
}

void VideoTab::ConnectHandlers() {
    const std::pair<QAbstractButton*, void (VideoTab::*)()> clicks[] = {
        {ui->SpeedButton1, &VideoTab::SpeedButton1Click},
        {ui->SpeedButton2, &VideoTab::SpeedButton2Click},
        {ui->SpeedButton3, &VideoTab::SpeedButton3Click},
        {ui->SpeedButton7, &VideoTab::SpeedButton7Click},
        {ui->SpeedButton5, &VideoTab::SpeedButton5Click},
        {ui->SpeedButton4, &VideoTab::SpeedButton4Click},
        {ui->SpeedButton6, &VideoTab::SpeedButton6Click},
        {ui->Button27, &VideoTab::Button27Click},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QAbstractButton::clicked, this,
                [this, handler = handler] { (this->*handler)(); });
    connect(ui->Edit4, &QLineEdit::textChanged, this, &VideoTab::Edit4Change);
    connect(ui->Edit4, &QLineEdit::returnPressed, this, [this] { SpeedButton1Click(); });
    connect(ui->Edit5, &QLineEdit::returnPressed, this, [this] { Button27Click(); });
    connect(ui->ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    QWebEngineView* view = ui->WebBrowser1;
    if (!view)
        return;
    connect(view, &QWebEngineView::loadStarted, this, [this] { loading_ = true; });
    // A failed load shows the browser's own error page; nothing else is said.
    connect(view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        loading_ = false;
        if (ok)
            WebBrowser1DocumentComplete();
    });
    // Sites like YouTube move from video to video without loading a new document: the address
    // still follows, so the page buttons know a watch page.
    connect(view, &QWebEngineView::urlChanged, this, [this](const QUrl& url) {
        if (!loading_)
            ui->Edit4->setText(url.toString());
    });
}

QComboBox* VideoTab::FavouritesList() const {
    return ui->ComboBox1;
}

QLineEdit* VideoTab::UrlEdit() const {
    return ui->Edit4;
}

QLineEdit* VideoTab::SearchEdit() const {
    return ui->Edit5;
}

void VideoTab::SetFavourites(const QStringList& entries) {
    ui->ComboBox1->clear();
    ui->ComboBox1->addItems(SortedFavourites(entries));
    // A drop-down list shows no choice until the user makes one.
    ui->ComboBox1->setCurrentIndex(-1);
}

QStringList VideoTab::Favourites() const {
    QStringList entries;
    for (int i = 0; i < ui->ComboBox1->count(); ++i)
        entries << ui->ComboBox1->itemText(i);
    return entries;
}

QString VideoTab::Site() const {
    return settings_.Service().youTubeSite;
}

void VideoTab::NavigateTo(const QString& address) {
    const QUrl url = QUrl::fromUserInput(address);
    if (url.isValid() && Browser())
        Browser()->setUrl(url);
}

void VideoTab::SpeedButton1Click() {
    NavigateTo(ui->Edit4->text());
    // The page starts to load and the window repaints before the handler ends.
    QCoreApplication::processEvents();
}

void VideoTab::SpeedButton2Click() {
    if (Browser())
        Browser()->back();
}

void VideoTab::SpeedButton3Click() {
    if (Browser())
        Browser()->forward();
}

void VideoTab::SpeedButton7Click() {
    NavigateTo(YouTubeHomeAddress(Site()));
    QCoreApplication::processEvents();
}

void VideoTab::Button27Click() {
    ui->Edit4->setText(YouTubeResultsPrefix(Site()) + SearchQuery(ui->Edit5->text()));
    SpeedButton1Click();
}

void VideoTab::SpeedButton5Click() {
    const QString text = ui->Edit4->text();
    const qsizetype at = text.lastIndexOf(QLatin1Char('='));
    ui->Edit4->setText(YouTubeEmbedPrefix(Site()) + (at < 0 ? text : text.mid(at + 1)));
    SpeedButton1Click();
}

void VideoTab::SpeedButton4Click() {
    const QString text = ui->Edit4->text();
    const qsizetype prefix = YouTubeWatchPrefix(Site()).size();
    windows_.AddFavourite(text.size() > prefix ? text.mid(prefix) : QString());
}

void VideoTab::SpeedButton6Click() {
    NavigateTo(VideoDownloadAddress(settings_.Service().videoDownloadSite, ui->Edit4->text()));
}

void VideoTab::ComboBox1Change() {
    if (ui->ComboBox1->currentIndex() < 0)
        return;
    const QString id = FavouriteVideoId(ui->ComboBox1->currentText());
    const QString prefix =
        settings_.Tab3VideoOnly() ? YouTubeEmbedPrefix(Site()) : YouTubeWatchPrefix(Site());
    ui->Edit4->setText(prefix + id);
    if (settings_.Tab3AutoPlay())
        SpeedButton1Click();
}

void VideoTab::Edit4Change(const QString& text) {
    const QString prefix = YouTubeWatchPrefix(Site());
    if (text.size() <= prefix.size())
        return;
    const bool watchPage = text.startsWith(prefix, Qt::CaseSensitive);
    for (QToolButton* button : {ui->SpeedButton4, ui->SpeedButton5})
        button->setEnabled(watchPage);
    // The download page opens in the browser alone.
    ui->SpeedButton6->setEnabled(watchPage && ui->WebBrowser1);
}

void VideoTab::WebBrowser1DocumentComplete() {
    ui->Edit4->setText(ui->WebBrowser1->url().toString());
    QCoreApplication::processEvents();
    ui->WebBrowser1->page()->runJavaScript(
        QStringLiteral("window.scrollBy(0, -40); window.scrollTo(0, window.scrollY);"));
}

void VideoTab::SearchFromInfo(const QString& firstLine, const QString& editSuffix,
                              const QString& addressSuffix) {
    if (firstLine.isEmpty())
        return;
    ui->Edit5->setText(BlanksToPlus(firstLine) + editSuffix);
    // "&", "#" and "%" escaped too, so "Fast & Furious" is searched whole.
    ui->Edit4->setText(YouTubeResultsPrefix(Site()) + SearchQuery(firstLine) + addressSuffix);
    Q_EMIT WantsFront();
    SpeedButton1Click();
}

void VideoTab::Button28Click(const QString& firstLine) {
    SearchFromInfo(firstLine, QStringLiteral(" trailer"), QStringLiteral("+trailer"));
}

void VideoTab::Button54Click(const QString& firstLine) {
    SearchFromInfo(firstLine, QStringLiteral("+soundtrack"), QStringLiteral("+soundtrack"));
}

void VideoTab::Button32Click(const QString& firstLine) {
    SearchFromInfo(firstLine, QStringLiteral("+trailer"), QStringLiteral("+trailer"));
}

void VideoTab::Button55Click(const QString& firstLine) {
    SearchFromInfo(firstLine, QStringLiteral("+soundtrack"), QStringLiteral("+soundtrack"));
}

} // namespace quorvel
