#include "cli/batch.h"
#include "cli/title_adder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>
#include <map>

namespace quorvel::cli {

namespace {

QJsonValue OrNull(bool present, const QJsonValue& value) {
    return present ? value : QJsonValue(QJsonValue::Null);
}

QJsonObject GuessObject(const VideoGuess& guess, bool saved) {
    return {{QStringLiteral("path"), guess.path},
            {QStringLiteral("title"), guess.title},
            {QStringLiteral("year"), OrNull(guess.year.has_value(), guess.year.value_or(0))},
            {QStringLiteral("imdbID"), OrNull(!guess.imdbId.isEmpty(), guess.imdbId)},
            {QStringLiteral("series"), guess.series},
            {QStringLiteral("sure"), guess.sure},
            {QStringLiteral("saved"), saved}};
}

// The guess as the user reads it, before "  <-  " and the path.
QString GuessText(const VideoGuess& guess) {
    QString text = guess.title;
    if (guess.year)
        text += QStringLiteral(" (%1)").arg(*guess.year);
    if (!guess.imdbId.isEmpty())
        text += QStringLiteral(" [%1]").arg(guess.imdbId);
    if (guess.series)
        text += QStringLiteral(", series");
    return text;
}

// What the listing of the guesses found: the titles to add (with the guess of each) and counts.
struct GuessList {
    std::vector<TitleToAdd> toAdd;
    std::vector<const VideoGuess*> addedFrom;
    int sure = 0;
    int saved = 0;
};

// One line per guess, or one JSON array of them, in walk order.
GuessList ListGuesses(const std::vector<VideoGuess>& guesses, const ScanRequest& request,
                      const Collection& collection, QTextStream& out) {
    GuessList list;
    QJsonArray objects;
    // Asked without a request, as `add` asks before its first one.
    TitleAdder index(collection, false, request.delay, {});
    for (const VideoGuess& guess : guesses) {
        const TitleToAdd title = GuessToAdd(guess);
        const QString held = index.HeldText(title.text);
        list.sure += guess.sure ? 1 : 0;
        list.saved += held.isEmpty() ? 0 : 1;
        if (held.isEmpty()) {
            list.toAdd.push_back(title);
            list.addedFrom.push_back(&guess);
        }
        if (request.json) {
            objects.append(GuessObject(guess, !held.isEmpty()));
            continue;
        }
        out << EscapedControls(GuessText(guess) + QStringLiteral("  <-  ") + guess.path);
        if (!guess.sure)
            out << "   (doubtful)";
        if (!held.isEmpty())
            out << "   (in the collection: " << EscapedControls(held) << ")";
        out << "\n";
    }
    if (request.json)
        out << QJsonDocument(objects).toJson(QJsonDocument::Compact) << "\n";
    out.flush();
    return list;
}

} // namespace

TitleToAdd GuessToAdd(const VideoGuess& guess) {
    if (!guess.imdbId.isEmpty())
        return {guess.imdbId, guess.series};
    return {guess.year ? QStringLiteral("%1 (%2)").arg(guess.title).arg(*guess.year) : guess.title,
            guess.series};
}

int RunScan(const ScanRequest& request, const Collection& collection, Console& console) {
    const Result<VideoWalk> walk = WalkVideos(request.folder);
    if (!walk) {
        *console.err << "quorvel: " << EscapedControls(walk.error()) << "\n";
        console.err->flush();
        return kBadArguments;
    }
    QTextStream& out = *console.out;
    const GuessList list = ListGuesses(walk->titles, request, collection, out);
    const int titles = int(walk->titles.size());
    const int sure = list.sure;
    // With --json the output is the array alone: what the run says goes to the errors.
    QTextStream& said = request.json ? *console.err : out;
    for (const QString& folder : walk->unreadableFolders)
        said << "Cannot read the folder " << EscapedControls(folder) << "\n";
    said << walk->videoFiles << (walk->videoFiles == 1 ? " video file, " : " video files, ")
         << titles << (titles == 1 ? " title: " : " titles: ") << sure << " sure, " << titles - sure
         << " doubtful, " << list.saved << " already in the collection.\n";
    said.flush();
    int status = walk->unreadableFolders.isEmpty() ? kAllDone : kSomeFailed;
    if (request.dryRun) {
        said << "Nothing was looked up (--dry-run).\n";
        said.flush();
        return status;
    }

    Console adding{console.in, &said, console.err, console.terminal && !request.json};
    std::map<int, const VideoGuess*> notFound;
    status = std::max(status, AddTitles(list.toAdd, AddRequest{{}, false, request.delay}, collection,
                                        adding, QStringLiteral("quorvel scan ") + request.folder,
                                        [&](const AddedTitle& outcome) {
                                            if (outcome.kind == AddedTitle::Kind::NotFound)
                                                notFound[outcome.number] =
                                                    list.addedFrom.at(size_t(outcome.number - 1));
                                        }));
    if (!notFound.empty()) {
        said << "Not found:\n";
        for (const auto& [number, guess] : notFound)
            said << "  "
                 << EscapedControls(GuessText(*guess) + QStringLiteral("  <-  ") + guess->path)
                 << "\n";
    }
    said.flush();
    return status;
}

} // namespace quorvel::cli
