#include "ui/tools/title_matches.h"

#include "core/infotext.h"
#include "online/http_client.h"
#include "platform/pictures.h"
#include "ui/main/connect_clicks.h"
#include "ui/main/hints.h"
#include "ui/main/network_wait.h"
#include "ui/main/omdb_wait.h"
#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"
#include "ui_title_matches.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <utility>
#include <vector>

namespace quorvel {

namespace {

// Decoded at twice the size shown, so a screen of twice the density still gets a sharp one.
const QSize kThumbnailSize(64, 96);
const QString kConnectFirst =
    QStringLiteral("Please, Connect to the Internet before trying a Search");

// The frame a row shows until its poster comes, or for good when the service has none: rows
// keep one height, whatever arrives. Faint text colour, seen on light and dark looks alike.
QIcon EmptyThumbnail(QColor line) {
    line.setAlpha(90);
    QPixmap frame(kThumbnailSize);
    frame.fill(Qt::transparent);
    QPainter painter(&frame);
    painter.setPen(QPen(line, 2));
    painter.drawRect(QRect(QPoint(0, 0), kThumbnailSize).adjusted(8, 4, -9, -5));
    return QIcon(frame);
}

bool HasPoster(const OmdbMatch& match) {
    return !match.poster.isEmpty() && match.poster != QLatin1String(kNotAvailable);
}

QString Heading(const QString& input) {
    const TitleAndYear asked = SplitTitleYear(input);
    if (asked.year.isEmpty())
        return QStringLiteral("Titles named \"%1\"").arg(asked.title);
    return QStringLiteral("Titles named \"%1\" from %2").arg(asked.title, asked.year);
}

} // namespace

TForm17::TForm17(Windows& windows, Services& services, Settings& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm17>()), windows_(windows), services_(services),
      settings_(settings) {
    ui->setupUi(this);
    QHeaderView* header = ui->ListView1->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    ui->ListView1->installEventFilter(this);
    if (QWidget* main = windows_.MainWindow())
        main->installEventFilter(this);
    ConnectClicks(this, {{ui->Button1, &TForm17::Button1Click},
                         {ui->Button2, &TForm17::Button2Click},
                         {ui->Button3, &TForm17::Button3Click}});
    connect(ui->ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { Button1Click(); });
    connect(ui->ListView1, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { ui->Button1->setEnabled(item != nullptr); });
    // Rows scrolled or resized into view get their posters too.
    QScrollBar* bar = ui->ListView1->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this] { LoadThumbnailsSoon(); });
    connect(bar, &QScrollBar::rangeChanged, this, [this] { LoadThumbnailsSoon(); });
}

TForm17::~TForm17() = default;

bool TForm17::event(QEvent* event) {
    if (ShowHintEvent(event, ui->Panel2))
        return true;
    return QDialog::event(event);
}

bool TForm17::eventFilter(QObject* watched, QEvent* event) {
    // The main window going away takes this one along, and a page on its way with it: the
    // program ends now, not when the service answers.
    if (watched == windows_.MainWindow() && event->type() == QEvent::Hide &&
        !event->spontaneous()) {
        close();
        return false;
    }
    if (watched == ui->ListView1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Button1Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm17::hideEvent(QHideEvent* event) {
    stopThumbnails_ = true;
    QDialog::hideEvent(event);
}

void TForm17::Open(const QString& input) {
    if (waiting_)
        return;
    input_ = input;
    ui->Label1->setText(Heading(input));
    ShowPage({}, 0);
    ui->Label2->clear();
    ShowWindow(*this, windows_.MainWindow());
    AskPage(1);
}

void TForm17::AskPage(int number) {
    if (waiting_)
        return;
    if (!services_.connection->IsOnline()) {
        ui->Label2->setText(kConnectFirst);
        return;
    }
    const QString before = ui->Label2->text();
    const ServiceSettings settings = settings_.Service();
    const QString query =
        BuildOmdbSearchQuery(settings.omdbAddress, settings.omdbApiKey, input_, number);
    std::optional<Result<OmdbSearchPage>> page;
    {
        const QScopedValueRollback waiting(waiting_, true);
        ui->ProgressBar1->show();
        ui->Button2->setEnabled(false);
        ui->Label2->setText(
            QStringLiteral("Asking the OMDb service for page %1 (Escape stops)...").arg(number));
        page = WaitForOmdb(this, &FetchOmdbSearch, query);
        ui->ProgressBar1->hide();
    }
    // Whatever went wrong, the titles shown stay and so does the way on from them.
    ui->Button2->setEnabled(page_ > 0 && page_ < OmdbSearchPages(total_));
    if (!page) {
        ui->Label2->setText(
            page_ > 0 ? before : QStringLiteral("Stopped before the OMDb service answered."));
        return;
    }
    if (!*page) {
        ui->Label2->setText(input_ + QStringLiteral(": ") + page->error());
        return;
    }
    const OmdbSearchPage& found = page->value();
    if (found.status.refused()) {
        ui->Label2->setText(ExplainServiceError(found.status.serviceError()));
        return;
    }
    if (found.empty()) {
        ui->Label2->setText(NoMatchText(found, input_, number));
        return;
    }
    ShowPage(found, number);
    // Drawn now rather than at the next frame the window system paces: the titles are what
    // the user waits for; their posters follow.
    repaint();
    LoadThumbnailsSoon();
}

void TForm17::ShowPage(const OmdbSearchPage& page, int number) {
    // Posters still coming belong to the rows going away.
    stopThumbnails_ = true;
    ++generation_;
    matches_ = page.matches;
    thumbnailAsked_ = QList<bool>(matches_.size(), false);
    page_ = number;
    total_ = page.totalResults;
    QTreeWidget* list = ui->ListView1;
    list->clear();
    // In the look chosen now, which may have changed since the last page.
    noThumbnail_ = EmptyThumbnail(list->palette().color(QPalette::Text));
    QList<QTreeWidgetItem*> rows;
    for (const OmdbMatch& match : std::as_const(matches_)) {
        auto* row = new QTreeWidgetItem(QStringList{match.title, match.year, match.type});
        row->setIcon(0, noThumbnail_);
        rows << row;
    }
    list->addTopLevelItems(rows);
    const int pages = OmdbSearchPages(total_);
    ui->Button2->setEnabled(number > 0 && number < pages);
    if (rows.isEmpty())
        return;
    list->setCurrentItem(rows.first());
    list->setFocus();
    ui->Label2->setText(
        QStringLiteral("Page %1 of %2 (%3 titles).").arg(number).arg(pages).arg(total_));
}

void TForm17::LoadThumbnailsSoon() {
    QMetaObject::invokeMethod(
        this, [this] { LoadThumbnails(); }, Qt::QueuedConnection);
}

void TForm17::LoadThumbnails() {
    if (loadingThumbnails_) {
        moreThumbnails_ = true;
        return;
    }
    const QScopedValueRollback loading(loadingThumbnails_, true);
    HttpClient& posterClient = windows_.PosterClient();
    do {
        moreThumbnails_ = false;
        stopThumbnails_ = false;
        if (!isVisible())
            return;
        QTreeWidget* list = ui->ListView1;
        const QRect view = list->viewport()->rect();
        std::vector<std::pair<int, QString>> wanted;
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            if (thumbnailAsked_.value(row, true) || !HasPoster(matches_.at(row)) ||
                !list->visualItemRect(list->topLevelItem(row)).intersects(view))
                continue;
            thumbnailAsked_[row] = true;
            wanted.emplace_back(row, matches_.at(row).poster);
        }
        if (wanted.empty())
            continue;
        const int generation = generation_;
        // Each poster is handed to the window as it arrives: the first rows need not wait
        // for the last.
        const bool finished = WaitForNetwork(this, [&](const CancelFlag& cancel) {
            for (const auto& [row, address] : wanted) {
                if (cancel.load() || stopThumbnails_.load())
                    return;
                const Result<QByteArray> bytes = DownloadPoster(posterClient, address, &cancel);
                const Result<Poster> poster =
                    bytes ? DecodeJpegPoster(*bytes) : Result<Poster>(Failure(bytes.error()));
                if (!poster)
                    continue;
                const QImage thumbnail = poster->image.scaled(kThumbnailSize, Qt::KeepAspectRatio,
                                                              Qt::SmoothTransformation);
                QMetaObject::invokeMethod(
                    this,
                    [this, generation, row = row, thumbnail] {
                        SetThumbnail(generation, row, thumbnail);
                    },
                    Qt::QueuedConnection);
            }
        });
        // Escape or the window closing: the posters not come yet stay away.
        if (!finished)
            return;
    } while (moreThumbnails_);
}

void TForm17::SetThumbnail(int generation, int row, const QImage& image) {
    if (generation != generation_ || row >= ui->ListView1->topLevelItemCount())
        return;
    ui->ListView1->topLevelItem(row)->setIcon(0, QIcon(QPixmap::fromImage(image)));
}

void TForm17::Button1Click() {
    QTreeWidget* list = ui->ListView1;
    const int row = list->currentItem() ? list->indexOfTopLevelItem(list->currentItem()) : -1;
    if (waiting_ || row < 0 || row >= matches_.size() || windows_.OnlineSearchRunning())
        return;
    const QString id = matches_.at(row).imdbId;
    // Closed first, so the tab's search is seen; a poster still coming is let go.
    stopThumbnails_ = true;
    close();
    windows_.ShowMatch(id);
}

void TForm17::Button2Click() {
    if (page_ > 0 && page_ < OmdbSearchPages(total_))
        AskPage(page_ + 1);
}

void TForm17::Button3Click() {
    close();
}

} // namespace quorvel
