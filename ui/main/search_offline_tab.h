#pragma once
// TabSheet2, "Search Title Off Line": browsing the collection folder without a network.

#include "core/textfile.h"
#include "platform/pictures.h"
#include "platform/services.h"
#include "ui/main/picture_box.h"
#include "ui/windows.h"

#include <QFrame>
#include <QImage>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QStringListModel;

namespace quorvel {

class SearchOfflineTab : public QWidget {
    Q_OBJECT
public:
    SearchOfflineTab(Windows& windows, Services& services, QWidget* parent = nullptr);

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

    // What other windows read.
    QStringList ListEntries() const;
    bool PosterShown() const; // Label10 hidden
    const Poster& ShownPoster() const { return poster_; }
    QString InfoText() const;      // the whole text of Memo2
    QString InfoFirstLine() const; // as Memo2 shows it
    QPushButton* TrailerButton() const { return Button32; }
    QPushButton* SoundtrackButton() const { return Button55; }
    QPushButton* LocalHtmlButton() const { return Button40; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString CollectionFolder() const;
    void ListIntoMovieList(); // the folder listing, then the count
    void SetListItems(const QStringList& items, bool filtered);
    int SelectedRow() const;
    void SelectByCode(int row); // never loads the entry
    void RemovePoster();
    void ShowPoster(const Poster& poster);
    void ShowNoPoster();
    void ShowInfo(const TextFile& info);
    bool ConfirmOverwrite(const QString& path);
    void ReportError(const QString& text);

    Windows& windows_;
    Services& services_;
    Poster poster_;
    TextEncoding memo2Encoding_ = TextEncoding::Ansi;
    bool selectingByCode_ = false;
    bool mousePressed_ = false;

    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label12 = nullptr;
    QListView* MovieList = nullptr;
    QStringListModel* movieModel_ = nullptr;
    QPushButton* Button17 = nullptr;
    QPushButton* Button52 = nullptr;
    QLabel* Label11 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QPushButton* Button18 = nullptr;
    QLabel* Label8 = nullptr;
    PictureBox* Image2 = nullptr;
    QLabel* Label10 = nullptr;
    QPushButton* Button20 = nullptr;
    QPushButton* Button23 = nullptr;
    QPushButton* Button25 = nullptr;
    QPushButton* Button40 = nullptr;
    QPushButton* Button32 = nullptr;
    QPushButton* Button55 = nullptr;
    QLabel* Label9 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QPushButton* Button19 = nullptr;
    QPushButton* Button24 = nullptr;
    QPushButton* Button26 = nullptr;
    QPushButton* Button37 = nullptr;
};

} // namespace quorvel
