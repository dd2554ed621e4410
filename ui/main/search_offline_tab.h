#pragma once
// TabSheet2, "Search Title Off Line": browsing the collection folder without a network.

#include "core/collection.h"
#include "core/textfile.h"
#include "platform/pictures.h"
#include "platform/services.h"
#include "ui/main/record_files.h"
#include "ui/windows.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QPushButton;
class QStringListModel;

namespace Ui {
class SearchOfflineTab;
}

namespace quorvel {

class Settings;

class BackgroundPicture;
class ListWhenShown;

class SearchOfflineTab : public QWidget {
    Q_OBJECT
public:
    SearchOfflineTab(Windows& windows, Services& services, Settings& settings,
                     QWidget* parent = nullptr);
    ~SearchOfflineTab() override;
    BackgroundPicture* Background() const; // Image5, behind the whole page

    // Refresh: run at start-up, by the Refresh button and on every change of the collection
    // folder.
    void Button17Click();
    // Shows the poster and the info text of the selected entry.
    void MovieListClick();
    void Edit3Change(const QString& text);
    void Button18Click(); // list search
    void Button19Click(); // Print Info
    void Button20Click(); // Print Poster
    void Button23Click(); // Load Poster
    void Button24Click(); // Load Info
    void Button25Click(); // Save Poster as
    void Button26Click(); // Save Info As
    void CheckBox1Click();
    void Button37Click(); // Reader
    void Button52Click(); // Load a filtered list...

    // Replaces MovieList by items that did not come from the folder listing (a filtered list),
    // recounts them and marks the count label " (Filtered list)".
    void ShowFilteredList(const QStringList& items);

    // Start-up, a new collection folder and a saved option list the folder: at once when the
    // tab is in view, else when it comes into view.
    void CollectionFolderMoved();

    // What other windows read; the list is filled first if it never was.
    QStringList ListEntries();
    bool PosterShown() const; // Label10 hidden
    const Poster& ShownPoster() const { return poster_; }
    QString InfoText() const;      // the whole text of Memo2
    QString InfoFirstLine() const; // as Memo2 shows it
    QPushButton* TrailerButton() const;
    QPushButton* SoundtrackButton() const;
    QPushButton* LocalHtmlButton() const;
    QCheckBox* ReadOnlyBox() const; // CheckBox1, filled by the stored options

Q_SIGNALS:
    // The trailer and soundtrack searches of the info on show, which the video tab runs.
    void TrailerSearch(const QString& firstLine);
    void SoundtrackSearch(const QString& firstLine);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectHandlers();
    QString CollectionFolder() const;
    void ListIntoMovieList(); // the folder listing, then the count
    void SetListItems(const QStringList& items, bool filtered);
    int SelectedRow() const;
    void SelectByCode(int row); // never loads the entry
    void RemovePoster();
    void ShowPoster(const Poster& poster);
    void ShowNoPoster();
    void ShowInfo(const TextFile& info);
    RecordView View(); // the load commands' view of Memo2 and Image2

    std::unique_ptr<Ui::SearchOfflineTab> ui;
    Windows& windows_;
    Services& services_;
    Settings& settings_;
    QStringListModel* movieModel_ = nullptr;
    Poster poster_;
    TextEncoding memo2Encoding_ = TextEncoding::Ansi;
    bool selectingByCode_ = false;
    bool mousePressed_ = false;
    quorvel::ListWhenShown* lister_ = nullptr;
};

} // namespace quorvel
