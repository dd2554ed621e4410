#pragma once
// TForm17, "Other titles": the titles the OMDb service finds for the search tab's title, ten a
// page, to choose the one the tab then looks up by its identifier.

#include "online/omdb.h"
#include "platform/services.h"
#include "ui/windows.h"

#include <QDialog>
#include <QIcon>
#include <QList>

#include <atomic>
#include <memory>

namespace Ui {
class TForm17;
}

namespace quorvel {

class Settings;

class TForm17 : public QDialog {
    Q_OBJECT
public:
    TForm17(Windows& windows, Services& services, Settings& settings, QWidget* parent = nullptr);
    ~TForm17() override;

    // Shows the window for `input`, the tab's title (a year may end it, "Dune (1984)"), and
    // asks for its first page. Ignored while a page is on its way.
    void Open(const QString& input);

    void Button1Click(); // Choose: the selected title looked up on the search tab
    void Button2Click(); // Next page
    void Button3Click(); // Close

    int Page() const { return page_; } // of the titles shown; 0 before any
    qint64 TotalResults() const { return total_; }
    bool Waiting() const { return waiting_; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void AskPage(int number);
    void ShowPage(const OmdbSearchPage& page, int number);
    // Fetches the posters of the rows in view that have one and were not asked for yet, one
    // wait for all of them; each shows as it arrives. Called again meanwhile, it goes on with
    // the rows then in view once the running one ends.
    void LoadThumbnails();
    void LoadThumbnailsSoon();
    void SetThumbnail(int generation, int row, const QImage& image);

    std::unique_ptr<Ui::TForm17> ui;
    Windows& windows_;
    Services& services_;
    Settings& settings_;
    QIcon noThumbnail_;
    QString input_;
    int page_ = 0;
    qint64 total_ = 0;
    QList<OmdbMatch> matches_;   // the rows shown
    QList<bool> thumbnailAsked_; // per row
    int generation_ = 0;         // of the rows shown: a thumbnail of rows gone is dropped
    bool waiting_ = false;       // a page is on its way (the bar shows)
    bool loadingThumbnails_ = false;
    bool moreThumbnails_ = false;
    std::atomic<bool> stopThumbnails_{false};
};

} // namespace quorvel
