#pragma once
// TabSheet1, "Search Title On Line": one OMDb look-up shown as an info text and a poster.

#include "core/textfile.h"
#include "platform/pictures.h"
#include "platform/services.h"
#include "ui/main/picture_box.h"
#include "ui/windows.h"

#include <QImage>
#include <QLabel>
#include <QWidget>

class QCheckBox;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace quorvel {

class SearchOnlineTab : public QWidget {
    Q_OBJECT
public:
    SearchOnlineTab(Windows& windows, Services& services, QWidget* parent = nullptr);

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

    // What other windows and tabs read.
    const QString& CurrentTitle() const { return currentTitle_; }
    const QString& CurrentImdbId() const { return imdbId_; }
    const Poster& ShownPoster() const { return poster_; }
    QString InfoFirstLine() const; // as Memo1 shows it
    // Trailer Search and Soundtrack: the video tab connects them.
    QPushButton* TrailerButton() const { return Button28; }
    QPushButton* SoundtrackButton() const { return Button54; }

private:
    void Message(const QString& text);
    void ReportError(const QString& text);
    bool ConfirmOverwrite(const QString& path);
    void ShowPoster(const Poster& poster);
    void RemovePoster();
    void ShowInfo(const TextFile& info);
    void AppendToMemo1(const QStringList& lines);
    void SetSearchButtons(bool enabled); // Button2, Button3, Button6
    bool SearchRunning() const;

    Windows& windows_;
    Services& services_;
    QString currentTitle_;
    QString imdbId_;
    Poster poster_;
    TextEncoding memo1Encoding_ = TextEncoding::Ansi;
    int memo1Appended_ = 0; // lines the running search has appended so far

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* Button44 = nullptr;
    QPushButton* Button1 = nullptr;
    QFrame* infoPane_ = nullptr;
    QLabel* Label3 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button6 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QPushButton* Button12 = nullptr;
    QFrame* posterPane_ = nullptr;
    QLabel* Label2 = nullptr;
    PictureBox* Image1 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button13 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button8 = nullptr;
    QPushButton* Button9 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button28 = nullptr;
    QPushButton* Button54 = nullptr;
    QPushButton* Button10 = nullptr;
};

} // namespace quorvel
