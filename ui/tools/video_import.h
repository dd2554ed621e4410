#pragma once
// TForm18, "Import videos": the movies and series guessed from the names of a folder of video
// files, checked and corrected by the user, then looked up and saved as `quorvel add` saves them.

#include "core/video_guess.h"
#include "platform/services.h"
#include "ui/main/checkable_list.h"
#include "ui/windows.h"

#include <QAbstractItemView>
#include <QDialog>

#include <memory>
#include <vector>

namespace Ui {
class TForm18;
}

namespace quorvel {

namespace cli {
struct AddedTitle;
}
class Settings;

// The guesses with a tick each: the title (editable) in the first column, then the year
// (editable), a note (doubtful, in the collection, what the import made of it) and the path.
class VideoGuessModel : public CheckableListModel {
    Q_OBJECT
public:
    enum Column { kTitle, kYear, kNote, kPath, kColumns };
    using CheckableListModel::CheckableListModel;

    // Doubtful guesses and those the collection holds (`held`: its entry, or empty) come
    // unticked.
    void SetGuesses(std::vector<VideoGuess> guesses, const QStringList& held);
    const VideoGuess& Guess(int row) const { return guesses_.at(std::size_t(row)); }
    void SetNote(int row, const QString& note);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<VideoGuess> guesses_; // the title of each is the entry of its row
    QStringList notes_;
};

class TForm18 : public QDialog {
    Q_OBJECT
public:
    TForm18(Windows& windows, Services& services, Settings& settings, QWidget* parent = nullptr);
    ~TForm18() override;

    void Open();
    // Reads the folder's video files and lists the guesses.
    void ScanFolder(const QString& folder);

    void Button1Click(); // Choose folder...
    void Button2Click(); // Import
    void Button3Click(); // Close
    void Button4Click(); // Tick all
    void Button5Click(); // Untick all

    VideoGuessModel& Model() { return *model_; }
    bool Importing() const { return importing_; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The one place this window learns which collection it fills.
    QString CollectionFolder() const;
    struct ImportTally {
        int added = 0;
        int skipped = 0;
        int notFound = 0;
        int failed = 0;
    };
    // Says in the window why an import cannot start.
    bool CanImportInto(const QString& folder);
    // The list is locked and the bar shown while an import runs; the end gives the list's
    // editing back.
    QAbstractItemView::EditTriggers BeginImport(int total);
    void EndImport(QAbstractItemView::EditTriggers editing);
    // One title's outcome in its row, the log and the tally.
    void ShowOutcome(int row, const cli::AddedTitle& outcome, ImportTally& tally);
    void EnableButtons();
    void Log(const QString& line);

    std::unique_ptr<Ui::TForm18> ui;
    Windows& windows_;
    Services& services_;
    Settings& settings_;
    VideoGuessModel* model_;
    bool importing_ = false;
    bool stopAfterTitle_ = false;
    bool closeDeclined_ = false; // the user chose to go on when asked at a close
};

} // namespace quorvel
