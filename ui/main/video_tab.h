#pragma once
// TabSheet3, "Search Video On Line": a mini browser for YouTube trailers and soundtracks, with
// the list of favourite trailers.

#include "ui/windows.h"

#include <QStringList>
#include <QWidget>

#include <memory>

class QComboBox;
class QLineEdit;
class QToolButton;
class QWebEngineProfile;
class QWebEngineView;

namespace Ui {
class VideoTab;
}

namespace quorvel {

class Settings;

class VideoTab : public QWidget {
    Q_OBJECT
public:
    // The browser keeps its cookies and cache in the application folder + "Browser", so a
    // portable installation carries them along.
    VideoTab(Windows& windows, Settings& settings, QWidget* parent = nullptr);
    ~VideoTab() override;

    QComboBox* FavouritesList() const; // ComboBox1
    // Replaces the favourites by `entries`, sorted alphabetically ignoring case.
    void SetFavourites(const QStringList& entries);
    QStringList Favourites() const; // in the list's order

    QLineEdit* UrlEdit() const;    // Edit4
    QLineEdit* SearchEdit() const; // Edit5
    // WebBrowser1, started on first use; null where the browser does not run.
    QWebEngineView* Browser();

    void SpeedButton1Click(); // Navigate
    void SpeedButton2Click(); // Back
    void SpeedButton3Click(); // Forward
    void SpeedButton7Click(); // Home
    void SpeedButton5Click(); // Trailer only mode
    void SpeedButton4Click(); // Bookmark
    void SpeedButton6Click(); // Download page
    void Button27Click();     // Search
    void ComboBox1Change();   // a favourite chosen
    void Edit4Change(const QString& text);

    // The trailer and soundtrack searches of the two info tabs, for the first line of the
    // info they show.
    void Button28Click(const QString& firstLine); // Search Title On Line, Trailer Search
    void Button54Click(const QString& firstLine); // Search Title On Line, Soundtrack
    void Button32Click(const QString& firstLine); // Search Title Off Line, Trailer Search
    void Button55Click(const QString& firstLine); // Search Title Off Line, Soundtrack

Q_SIGNALS:
    // A search from an info tab: this tab comes to the front.
    void WantsFront();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectHandlers();
    void SetGlyphs();
    void ShowBrowserNotice();
    void WebBrowser1DocumentComplete();
    void NavigateTo(const QString& address);
    void SearchFromInfo(const QString& firstLine, const QString& editSuffix,
                        const QString& addressSuffix);
    QString Site() const; // the YouTube site Options.ini names

    std::unique_ptr<Ui::VideoTab> ui;
    Windows& windows_;
    Settings& settings_;
    // Deleted after the browser's page, which must never outlive its profile.
    std::unique_ptr<QWebEngineProfile> profile_;
    bool loading_ = false; // between the browser's load start and load end
};

} // namespace quorvel
