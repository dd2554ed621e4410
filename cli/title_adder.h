#pragma once
// What `add` does for one title, for every caller that adds titles the way it does: `add`,
// `scan` and the import window. One request and one poster a title, saved as the search tab
// saves it; a title the collection holds is skipped without a request.

#include "cli/batch.h"
#include "core/video_guess.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace quorvel::cli {

// One title as a line of `add` gives it: a title, "Title (Year)" or an IMDb identifier.
struct TitleToAdd {
    QString text;
    bool series = false; // asked for as a series only
};

// What a guess from a video file's name asks the service: by its identifier when it has one,
// else by its title and year.
TitleToAdd GuessToAdd(const VideoGuess& guess);

// What became of one title.
struct AddedTitle {
    enum class Kind { Added, Skipped, NotFound, Failed };
    Kind kind = Kind::Failed;
    int number = 0; // as given to Add
    QString title;  // TitleToAdd::text
    QString text;   // Added, Skipped: the info text's entry name
    QString poster; // Added: the poster's entry name; empty when the service has none
    QString reason; // NotFound, Failed: why, for the user
};

// The line `add` prints for a title: "added: Title as Title.txt and Title.jpg", "skipped: ...",
// "failed: Title: why".
QString AddedLine(const AddedTitle& outcome);

// Adds the titles one after another as `add` does, with its lines, progress and summary on the
// console (`command` is what the summary tells to run again to go on); `told` hears of each
// title too. Returns the exit status, as `add`'s.
int AddTitles(const std::vector<TitleToAdd>& titles, const AddRequest& request,
              const Collection& collection, Console& console, const QString& command,
              const std::function<void(const AddedTitle&)>& told);

class TitleAdder {
public:
    // `told` hears of every title once its files are on disk (or it failed), in the order of
    // the numbers, on the thread that calls Add and Settle.
    TitleAdder(const Collection& collection, bool overwrite, std::chrono::milliseconds delay,
               std::function<void(const AddedTitle&)> told);
    ~TitleAdder();
    TitleAdder(const TitleAdder&) = delete;
    TitleAdder& operator=(const TitleAdder&) = delete;

    // The entry of the info text the collection holds for the title, found as `add` finds it
    // before asking (by name, with the year, or by identifier); empty when none.
    QString HeldText(const QString& title);

    // Looks the title up and saves it; its files may still be written when this returns.
    // False when the run must stop before this title (the service refused, or could not be
    // reached several times in a row): StopReason() says why, and nothing of it was written.
    bool Add(int number, const TitleToAdd& title);
    // Waits for the files of the last title added and tells its outcome.
    void Settle();

    QString StopReason() const;
    bool Refused() const; // the service's limit or a refused key stopped the run

private:
    class Run;
    std::unique_ptr<Run> run_;
};

} // namespace quorvel::cli
