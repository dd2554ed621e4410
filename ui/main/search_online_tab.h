#pragma once
// TabSheet1, "Search Title On Line": one OMDb look-up shown as an info text and a poster.

#include "core/textfile.h"
#include "platform/pictures.h"
#include "platform/services.h"
#include "ui/main/record_files.h"
#include "ui/windows.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace Ui {
class SearchOnlineTab;
}

namespace quorvel {

class Settings;

class BackgroundPicture;

class OmdbAnswer;

class SearchOnlineTab : public QWidget {
    Q_OBJECT
public:
    SearchOnlineTab(Windows& windows, Services& services, Settings& settings,
                    QWidget* parent = nullptr);
    ~SearchOnlineTab() override;
    BackgroundPicture* Background() const; // Image3, behind the whole page

    void Button1Click();            // Search Info
    QLineEdit* TitleEdit() const;   // Edit1
    QCheckBox* ReadOnlyBox() const; // CheckBox2, filled by the stored options
    void ClearImdbId();             // start-up: the current IMDb identifier starts empty

    void Button44Click(); // Clear
    void Button3Click();  // Save Info
    void Button4Click();  // Save Poster
    void Button6Click();  // Print Info
    void Button5Click();  // Print Poster
    void Button12Click(); // Load Info
    void Button13Click(); // Load Poster
    void CheckBox2Click();
    void Memo1Change();
    void Button7Click();  // Google
    void Button8Click();  // Rotten Tomatoes
    void Button9Click();  // You Tube
    void Button2Click();  // IMDB
    void Button10Click(); // Exit
    void Button56Click(); // Other titles...

    // Search Info is under way (its bar shows): a second one does not start.
    bool SearchRunning() const;
    // A title chosen among the other titles: its identifier goes into Edit1 and is looked up
    // as Search Info looks it up.
    void ShowMatch(const QString& imdbId);

    // What other windows and tabs read.
    const QString& CurrentTitle() const { return currentTitle_; }
    const QString& CurrentImdbId() const { return imdbId_; }
    const Poster& ShownPoster() const { return poster_; }
    QString InfoFirstLine() const; // as Memo1 shows it
    // Trailer Search and Soundtrack: the video tab connects them.
    QPushButton* TrailerButton() const;
    QPushButton* SoundtrackButton() const;

Q_SIGNALS:
    // The trailer and soundtrack searches of the info on show, which the video tab runs.
    void TrailerSearch(const QString& firstLine);
    void SoundtrackSearch(const QString& firstLine);

private:
    void ConnectHandlers();
    void ShowPoster(const Poster& poster);
    void RemovePoster();
    void ShowInfo(const TextFile& info);
    RecordView View(); // the load commands' view of Memo1 and Image1
    void AppendToMemo1(const QStringList& lines);
    void FillRecord(const QString& input, const OmdbAnswer& answer);
    // False when the poster could not be had; a cancelled download counts as handled.
    bool FetchPoster(const QString& address);
    // Edit1 trimmed, when there is something to ask and the computer is on line; otherwise
    // empty, the user told why (off line, `forgetIdOffLine` also empties the identifier).
    QString InputToAsk(bool forgetIdOffLine);
    void SetSearchButtons(bool enabled); // Button2, Button3, Button6

    std::unique_ptr<Ui::SearchOnlineTab> ui;
    Windows& windows_;
    Services& services_;
    Settings& settings_;
    QString currentTitle_;
    QString imdbId_;
    Poster poster_;
    TextEncoding memo1Encoding_ = TextEncoding::Ansi;
    int memo1Appended_ = 0; // lines the running search has appended so far
};

} // namespace quorvel
