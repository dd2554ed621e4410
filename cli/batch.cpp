#include "cli/batch.h"
#include "cli/title_adder.h"

#include "core/collection.h"
#include "core/collection_check.h"
#include "core/filteredlist.h"
#include "core/infotext.h"
#include "online/omdb.h"
#include "online/search_record.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <future>
#include <optional>
#include <thread>

namespace quorvel::cli {

namespace {

// A run stops when the service cannot be reached this many times in a row: every later title
// would fail the same way, each after its own wait.
constexpr int kUnreachableInARow = 3;

QString Clock(qint64 ms) {
    const qint64 s = ms / 1000;
    const QString minutes =
        QStringLiteral("%1:%2").arg(s / 60 % 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    return s >= 3600 ? QStringLiteral("%1:%2").arg(s / 3600).arg(minutes.rightJustified(5, u'0'))
                     : minutes;
}

QString Plural(int n, const char* one, const char* many) {
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

// The start of a long text, as a line of the output has room for.
QString Cut(const QString& text) {
    constexpr qsizetype kShown = 40;
    return text.size() > kShown ? text.left(kShown - 1) + QChar(0x2026) : text;
}

// One line per title, with the title's own number; on a terminal the line under them says
// where the run stands.
class Progress {
public:
    Progress(Console& console, int total) : console_(console), total_(total) { timer_.start(); }

    void begin(int index, const QString& what) {
        index_ = index;
        what_ = EscapedControls(Cut(what));
        if (console_.terminal)
            draw();
    }

    // Told once a title is done, which may be after the next one has begun.
    void say(int index, const QString& line) {
        QTextStream& out = *console_.out;
        if (console_.terminal) {
            out << "\r\x1b[K" << EscapedControls(line) << "\n";
            draw();
        } else {
            out << "[" << index << "/" << total_ << "] " << EscapedControls(line) << "\n";
            out.flush();
        }
    }

    void end() {
        if (console_.terminal)
            *console_.out << "\r\x1b[K";
        console_.out->flush();
    }

private:
    void draw() {
        const qint64 elapsed = timer_.elapsed();
        const int finished = index_ - 1;
        const QString left = finished > 0 ? QStringLiteral("about ") +
                                                Clock(elapsed * (total_ - finished) / finished) +
                                                QStringLiteral(" left")
                                          : QStringLiteral("estimating the time left");
        *console_.out << "\r\x1b[K[" << index_ << "/" << total_ << "] " << what_ << "  "
                      << Clock(elapsed) << " elapsed, " << left;
        console_.out->flush();
    }

    Console& console_;
    int total_;
    int index_ = 0;
    QString what_;
    QElapsedTimer timer_;
};

// Spaces the requests of a run by --delay, counted from the start of the one before.
class Pacer {
public:
    explicit Pacer(std::chrono::milliseconds delay) : delay_(delay) {}
    void beforeRequest() {
        const auto now = std::chrono::steady_clock::now();
        if (asked_ && now < last_ + delay_)
            std::this_thread::sleep_until(last_ + delay_);
        last_ = std::chrono::steady_clock::now();
        asked_ = true;
    }

private:
    std::chrono::milliseconds delay_;
    bool asked_ = false;
    std::chrono::steady_clock::time_point last_{};
};

HttpSettings PosterClientSettings() {
    HttpSettings settings;
    settings.maxBytes = kImageSizeCap;
    settings.cookies = true;
    return settings;
}

// What the collection already holds: the info texts by base name (letter case aside, as the
// windows' own file system sees it) and, once asked, by IMDb identifier.
class CollectionIndex {
public:
    explicit CollectionIndex(QString folder) : folder_(std::move(folder)) {
        for (const QString& entry : ListInfoTexts(folder_))
            names_.insert(AsciiUpper(EntryBaseName(entry)), entry);
    }

    QString textNamed(const QString& base) const { return names_.value(AsciiUpper(base)); }

    // Whether the text `entry` is the record of the title with identifier `id` asked for with
    // `year`: by its identifier when it has one, else by the year it gives.
    bool holdsTitle(const QString& entry, const QString& id, const QString& year) const {
        const Result<TextFile> text = ReadTextFile(JoinPath(folder_, entry));
        if (!text)
            return false;
        const QString held = InfoTextImdbId(text->lines).value_or(QString());
        if (held.size() > 2 && IsImdbId(held))
            return !id.isEmpty() && AsciiUpper(held) == AsciiUpper(id);
        return IsOfYear(InfoFieldValue(text->lines, QStringLiteral("YEAR")), year);
    }

    // The text a line of titles names: the one under its own name, or for "Title (Year)" the
    // one named for the title alone when that record is of the year.
    QString textForLine(const QString& line) const {
        const QString named = textNamed(SanitiseFileName(line));
        const TitleAndYear asked = SplitTitleYear(line);
        if (!named.isEmpty() || asked.year.isEmpty())
            return named;
        const QString plain = textNamed(SanitiseFileName(asked.title));
        if (plain.isEmpty())
            return {};
        const Result<TextFile> text = ReadTextFile(JoinPath(folder_, plain));
        return text && IsOfYear(InfoFieldValue(text->lines, QStringLiteral("YEAR")), asked.year)
                   ? plain
                   : QString();
    }

    QString textWithId(const QString& id) {
        if (!ids_) {
            ids_.emplace();
            for (const QString& entry : std::as_const(names_)) {
                const Result<TextFile> text = ReadTextFile(JoinPath(folder_, entry));
                if (text)
                    remember(entry, InfoTextImdbId(text->lines).value_or(QString()));
            }
        }
        return ids_->value(AsciiUpper(id));
    }

    // A text that could not be written after all.
    void forget(const QString& entry) {
        names_.remove(AsciiUpper(EntryBaseName(entry)));
        if (ids_)
            ids_->removeIf([&entry](const auto& item) { return item.value() == entry; });
    }

    void added(const QString& entry, const QString& id) {
        names_.insert(AsciiUpper(EntryBaseName(entry)), entry);
        if (ids_)
            remember(entry, id);
    }

private:
    // A record's YEAR ("1984", a series' "2017-2022") begins with the four digits asked.
    static bool IsOfYear(const QString& value, const QString& year) {
        return value.startsWith(year) &&
               !(value.size() > year.size() && value[year.size()].isDigit());
    }

    void remember(const QString& entry, const QString& id) {
        if (id.size() > 2 && IsImdbId(id) && !ids_->contains(AsciiUpper(id)))
            ids_->insert(AsciiUpper(id), entry);
    }

    QString folder_;
    QHash<QString, QString> names_;
    std::optional<QHash<QString, QString>> ids_;
};

// A title the service is asked for is at most this long; no real one comes near it.
constexpr qsizetype kLongestTitle = 1000;
// A longer line is no title in any encoding, blanks around it included; only its start is kept.
constexpr qsizetype kLongestLineBytes = 8 * 1024;
// A list of titles is read whole before the first request (its count leads every line): an
// input larger than this is not one, so an endless input ends here.
constexpr qint64 kLargestListBytes = qint64(16) << 20;

// Takes a list piece by piece as it arrives and keeps each line only up to kLongestLineBytes,
// so a line without end costs no more memory than its start. Lines are counted as SplitLines
// counts them (CR LF, a lone CR, a lone LF), by 16-bit units in a list marked as UTF-16.
class ListReader {
public:
    void Feed(QByteArrayView piece) {
        pending_.append(piece);
        if (unit_ == 0) {
            if (pending_.size() < 2)
                return;
            unit_ = pending_.startsWith("\xFF\xFE") || pending_.startsWith("\xFE\xFF") ? 2 : 1;
            bigEndian_ = pending_.startsWith("\xFE\xFF");
        }
        const qsizetype whole = pending_.size() - pending_.size() % unit_;
        for (qsizetype at = 0; at < whole; at += unit_)
            Take(QByteArrayView(pending_).sliced(at, unit_));
        pending_.remove(0, whole);
    }

    // The bytes kept (a single byte or half a unit left at the end included).
    QByteArray Finish() { return kept_ + pending_; }
    bool WasCut(qsizetype line) const { return cut_.contains(line); }

private:
    void Take(QByteArrayView unit) {
        const auto byte = [&unit](qsizetype i) { return static_cast<unsigned char>(unit.at(i)); };
        const char16_t value = unit.size() == 1 ? byte(0)
                               : bigEndian_     ? char16_t(byte(0) << 8 | byte(1))
                                                : char16_t(byte(1) << 8 | byte(0));
        const bool lfAfterCr = value == u'\n' && afterCr_;
        afterCr_ = value == u'\r';
        if (value == u'\r' || value == u'\n') {
            kept_.append(unit);
            if (!lfAfterCr) {
                ++line_;
                lineBytes_ = 0;
                cutting_ = false;
            }
            return;
        }
        if (cutting_)
            return;
        if (lineBytes_ + unit.size() > kLongestLineBytes) {
            cutting_ = true;
            cut_.insert(line_);
            // A character cut in two would make the whole list fail as UTF-8.
            if (unit.size() == 1 && (value & 0xC0) == 0x80) {
                const auto* line = reinterpret_cast<const unsigned char*>(kept_.constData()) +
                                   (kept_.size() - lineBytes_);
                qsizetype keep = lineBytes_;
                while (keep > 0 && (line[keep - 1] & 0xC0) == 0x80)
                    --keep;
                if (keep > 0 && line[keep - 1] >= 0xC0)
                    --keep;
                kept_.chop(lineBytes_ - keep);
                lineBytes_ = keep;
            }
            return;
        }
        kept_.append(unit);
        lineBytes_ += unit.size();
    }

    QByteArray kept_;
    QByteArray pending_;
    QSet<qsizetype> cut_;
    int unit_ = 0;
    bool bigEndian_ = false;
    qsizetype line_ = 0;
    qsizetype lineBytes_ = 0;
    bool afterCr_ = false;
    bool cutting_ = false;
};

struct ListedTitle {
    QString text;         // trimmed; only the start of a line too long for a title
    qsizetype line = 0;   // from 1
    bool tooLong = false; // refused without a request
    bool series = false;
};

Result<std::vector<ListedTitle>> ReadTitles(const QString& path, Console& console) {
    QFile file(path);
    QIODevice* input = console.in;
    const QString name = path == QLatin1String("-") ? QStringLiteral("the input") : path;
    if (path != QLatin1String("-")) {
        if (!file.open(QIODevice::ReadOnly))
            return Failure(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
        input = &file;
    } else if (!input || !input->isReadable()) {
        return Failure(QStringLiteral("the input cannot be read"));
    }
    ListReader reader;
    QByteArray piece(64 * 1024, Qt::Uninitialized);
    for (qint64 total = 0;;) {
        const qint64 n = input->read(piece.data(), piece.size());
        if (n < 0)
            return Failure(QStringLiteral("Cannot read %1: %2").arg(name, input->errorString()));
        if (n == 0)
            break;
        total += n;
        if (total > kLargestListBytes)
            return Failure(QStringLiteral("%1 holds more than %2 MiB, more than a list of titles "
                                          "can be; nothing was looked up")
                               .arg(name)
                               .arg(kLargestListBytes >> 20));
        reader.Feed(QByteArrayView(piece.constData(), n));
    }
    const QStringList lines = DecodeText(reader.Finish()).lines;
    std::vector<ListedTitle> titles;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        ListedTitle title{TrimBlanksAndControls(lines.at(i)), i + 1, reader.WasCut(i)};
        if ((title.text.isEmpty() && !title.tooLong) || title.text.startsWith(QLatin1Char('#')))
            continue;
        title.tooLong = title.tooLong || title.text.size() > kLongestTitle;
        titles.push_back(std::move(title));
    }
    return titles;
}

struct Tally {
    int done = 0; // added or refreshed
    int withoutPoster = 0;
    int skipped = 0;
    int failed = 0;
    int left = 0;
    QString stopReason; // why the run ended early
    bool limit = false; // the service refused: exit 3
};

int Finish(Console& console, Progress& progress, const Tally& tally, int total, bool records,
           const QString& command) {
    const char* one = records ? "record" : "title";
    const char* many = records ? "records" : "titles";
    progress.end();
    QTextStream& out = *console.out;
    if (!tally.stopReason.isEmpty())
        out << "Stopped: " << tally.stopReason << "\n";
    out << Plural(total, one, many) << ": " << tally.done << (records ? " refreshed" : " added");
    if (tally.withoutPoster > 0)
        out << " (" << tally.withoutPoster << " without a poster)";
    out << ", " << tally.skipped << " skipped, " << tally.failed << " failed, " << tally.left
        << " left.\n";
    if (tally.left > 0)
        out << "Run the same command again to go on with the " << Plural(tally.left, one, many)
            << " left: " << command << "\n";
    out.flush();
    if (tally.limit)
        return kLimitReached;
    return tally.failed > 0 || tally.left > 0 ? kSomeFailed : kAllDone;
}

// Whether the answer ends the run (the service refused, or cannot be reached again and again);
// otherwise the failure is the title's own and is counted.
bool StopsTheRun(const Result<OmdbAnswer>& answer, const QString& what, int& unreachable,
                 Tally& tally) {
    if (!answer) {
        if (++unreachable < kUnreachableInARow)
            return false;
        tally.stopReason = QStringLiteral("%1 requests in a row could not reach the OMDb "
                                          "service; the last one: %2")
                               .arg(kUnreachableInARow)
                               .arg(answer.error());
        return true;
    }
    unreachable = 0;
    if (!answer->refused())
        return false;
    tally.limit = true;
    tally.stopReason = QStringLiteral("the OMDb service answered \"%1\" for %2; nothing of it "
                                      "was written.")
                           .arg(answer->serviceError(), what);
    return true;
}

// The reason a found-nothing answer gives, worded as the search tab words it.
QString NotFoundText(const OmdbAnswer& answer) {
    return answer.notFound() ? QStringLiteral("movie not found!") : RefusalReason(answer);
}

// What one added title writes: its poster (when the search would show one), then its text.
struct TitleSave {
    int number = 0; // in the list
    QString title;  // as the list gives it
    QString textPath;
    QString posterPath;
    QStringList lines;
    std::optional<QByteArray> poster;
    bool textExisted = false; // --overwrite: a failed write leaves the old text in place
};

// Empty when both files are written. The poster goes first: a text on disk is what tells a
// later run that the title is done, so a text that cannot be written takes back a new poster.
QString WriteTitle(const TitleSave& save) {
    const bool posterExisted = QFileInfo::exists(save.posterPath);
    if (save.poster) {
        if (const Status written = WritePosterBytes(save.posterPath, *save.poster); !written)
            return written.error();
    }
    if (const Result<TextEncoding> saved = SaveInfoText(save.textPath, save.lines); !saved) {
        if (save.poster && !posterExisted)
            QFile::remove(save.posterPath);
        return saved.error();
    }
    return {};
}

} // namespace

namespace {

// One run of titles, `add`'s and the import's: the titles in order, the answers' files written
// in the background.
class AddRun {
public:
    AddRun(const Collection& collection, bool overwrite, std::chrono::milliseconds delay,
           std::function<void(const AddedTitle&)> told)
        : collection_(collection), overwrite_(overwrite), index_(collection.folder),
          posterClient_(PosterClientSettings()), pacer_(delay), told_(std::move(told)) {}

    // Known before asking: the request is saved for what the collection already holds.
    QString Held(const QString& title) {
        return IsImdbId(title) ? index_.textWithId(title) : index_.textForLine(title);
    }

    // False when the run stops here (the title is left with the rest). `number` counts from 1.
    bool Add(int number, const ListedTitle& listed) {
        number_ = number;
        const QString& title = listed.text;
        // Never sent: the service could not take it, and the fault is the list's, not the
        // connection's.
        if (listed.tooLong)
            return Fail(title.isEmpty()
                            ? QStringLiteral("line %1").arg(listed.line)
                            : QStringLiteral("line %1 (%2)").arg(listed.line).arg(Cut(title)),
                        QStringLiteral("it is longer than a title can be (%1 characters); not "
                                       "looked up")
                            .arg(kLongestTitle));
        if (!overwrite_) {
            if (const QString held = Held(title); !held.isEmpty())
                return Skip(title, held);
        }
        pacer_.beforeRequest();
        const ServiceSettings& service = collection_.services;
        QString query = BuildOmdbQuery(service.omdbAddress, service.omdbApiKey, title);
        // A series of the same name as a film would otherwise give the film.
        if (listed.series)
            query += QStringLiteral("&type=series");
        const Result<OmdbAnswer> answer = FetchOmdbAnswer(query);
        if (StopsTheRun(answer, title, unreachable_, tally_))
            return false;
        if (!answer)
            return Fail(title, answer.error());
        if (!answer->found())
            return Fail(title, NotFoundText(*answer),
                        answer->notFound() ? AddedTitle::Kind::NotFound : AddedTitle::Kind::Failed);
        // The name the search tab proposes for the title the service gave.
        QString base = SanitiseFileName(answer->title());
        const QString id = answer->field(QStringLiteral("imdbID"));
        if (base.isEmpty())
            return Fail(
                title, QStringLiteral("the title \"%1\" leaves no file name").arg(answer->title()));
        QString held = index_.textNamed(base);
        const QString year = IsImdbId(title) ? QString() : SplitTitleYear(title).year;
        if (!year.isEmpty() && !held.isEmpty() && !index_.holdsTitle(held, id, year)) {
            // The name is another title's of the same name: this one goes beside it, with the
            // year asked, which is also the name the line finds it by next time.
            base = SanitiseFileName(answer->title() + QStringLiteral(" (") + year + u')');
            held = index_.textNamed(base);
        }
        if (held.isEmpty() && !overwrite_)
            held = index_.textWithId(id);
        if (!held.isEmpty() && !overwrite_)
            return Skip(title, held);
        // Over an existing text whose name differs only in letter case, not beside it.
        const QString entry = held.isEmpty() ? base + QStringLiteral(".txt") : held;
        const QString& folder = collection_.folder;
        TitleSave save{number,
                       title,
                       EntryFilePath(folder, entry, QStringLiteral(".txt")),
                       EntryFilePath(folder, entry, QStringLiteral(".jpg")),
                       SearchedInfoText(*answer),
                       std::nullopt,
                       !held.isEmpty()};
        pacer_.beforeRequest();
        const Result<QByteArray> poster = DownloadPoster(posterClient_, answer->posterAddress());
        if (poster && CheckJpegPoster(*poster))
            save.poster = *poster;

        Settle();
        index_.added(QFileInfo(save.textPath).fileName(), id);
        inFlight_ = save;
        saving_ = std::async(std::launch::async, [save] { return WriteTitle(save); });
        return true;
    }

    Tally& tally() { return tally_; }

    // One title's files are written while the next title's requests wait on the network, so
    // the disk's syncing costs no time of its own; a title's outcome is told once its files
    // are on disk, and always before anything of a later title.
    void Settle() {
        if (!inFlight_)
            return;
        const QString failure = saving_.get();
        const TitleSave save = std::move(*inFlight_);
        inFlight_.reset();
        const QString textName = QFileInfo(save.textPath).fileName();
        if (!failure.isEmpty()) {
            if (!save.textExisted)
                index_.forget(textName);
            ++tally_.failed;
            told_({AddedTitle::Kind::Failed, save.number, save.title, {}, {}, failure});
            return;
        }
        ++tally_.done;
        if (!save.poster)
            ++tally_.withoutPoster;
        told_({AddedTitle::Kind::Added,
               save.number,
               save.title,
               textName,
               save.poster ? QFileInfo(save.posterPath).fileName() : QString(),
               {}});
    }

private:
    bool Skip(const QString& title, const QString& held) {
        ++tally_.skipped;
        Tell({AddedTitle::Kind::Skipped, number_, title, held, {}, {}});
        return true;
    }
    bool Fail(const QString& title, const QString& reason,
              AddedTitle::Kind kind = AddedTitle::Kind::Failed) {
        ++tally_.failed;
        Tell({kind, number_, title, {}, {}, reason});
        return true;
    }
    void Tell(const AddedTitle& outcome) {
        Settle();
        told_(outcome);
    }

    const Collection collection_; // its own copy: a caller may hand a temporary
    bool overwrite_;
    CollectionIndex index_;
    HttpClient posterClient_;
    Pacer pacer_;
    std::function<void(const AddedTitle&)> told_;
    Tally tally_;
    int unreachable_ = 0;
    int number_ = 0; // of the title being added
    std::optional<TitleSave> inFlight_;
    std::future<QString> saving_;
};

// One record `refresh` is asked for: its file, or why a line of the list names none.
struct RefreshTarget {
    QString path; // the line itself when refused
    QString refusal;
};

// The records `refresh` is asked for, longest unchanged first: after a stop, the next run
// starts with the records left. A failure is the message for the user.
Result<QList<RefreshTarget>> RecordsToRefresh(const RefreshRequest& request,
                                              const QString& folder) {
    QList<RefreshTarget> targets;
    if (request.all) {
        for (const QString& entry : ListInfoTexts(folder))
            targets << RefreshTarget{JoinPath(folder, entry), {}};
    } else if (IsInfoTextEntry(request.file)) {
        if (!QFileInfo(request.file).isFile())
            return Failure(request.file + QStringLiteral(" does not exist"));
        targets << RefreshTarget{request.file, {}};
    } else {
        const Result<QStringList> entries = LoadFilteredList(request.file);
        if (!entries)
            return Failure(entries.error());
        for (const QString& entry : *entries) {
            if (entry.trimmed().isEmpty())
                continue;
            // A line naming a path outside the collection fails as a missing record does,
            // without a look at what it names.
            const Result<QString> inFolder = CollectionFilePath(folder, entry);
            targets << (inFolder
                            ? RefreshTarget{EntryFilePath(folder, entry, QStringLiteral(".txt")),
                                            {}}
                            : RefreshTarget{entry, inFolder.error()});
        }
    }
    std::vector<std::pair<QDateTime, RefreshTarget>> order;
    for (const RefreshTarget& target : targets)
        order.emplace_back(
            target.refusal.isEmpty() ? QFileInfo(target.path).lastModified() : QDateTime(), target);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<RefreshTarget> sorted;
    for (const auto& [time, target] : order)
        sorted << target;
    return sorted;
}

enum class Refreshed { Done, Skipped, Failed, Stopped };

// One record: its own request, then the fetched fields with the record's own notes kept.
// `line` receives what the user reads about it.
Refreshed RefreshRecord(const QString& path, const ServiceSettings& service, Pacer& pacer,
                        int& unreachable, Tally& tally, QString& line) {
    const QString name = QFileInfo(path).fileName();
    const Result<TextFile> record = ReadTextFile(path);
    if (!record) {
        line = QStringLiteral("failed: %1").arg(record.error());
        return Refreshed::Failed;
    }
    // A text that is not a record could lose lines the notes rule does not know of.
    if (const QString shape = RecordShapeProblem(record->lines); !shape.isEmpty()) {
        line = QStringLiteral("failed: %1 is not a record (%2); left unchanged").arg(name, shape);
        return Refreshed::Failed;
    }
    const QString id = InfoFieldValue(record->lines, QStringLiteral("IMDB ID"));
    if (AsciiUpper(id.left(2)) != QLatin1String("TT")) {
        line = QStringLiteral("skipped: %1 (no IMDb identifier)").arg(name);
        return Refreshed::Skipped;
    }
    pacer.beforeRequest();
    const Result<OmdbAnswer> answer =
        FetchOmdbAnswer(BuildOmdbIdQuery(service.omdbAddress, service.omdbApiKey, id));
    if (StopsTheRun(answer, name, unreachable, tally))
        return Refreshed::Stopped;
    if (!answer || !answer->found()) {
        line = QStringLiteral("failed: %1: %2: %3; left unchanged")
                   .arg(name, id, answer ? NotFoundText(*answer) : answer.error());
        return Refreshed::Failed;
    }
    const QStringList refreshed =
        RefreshedInfoText(answer->title(), answer->infoValues(), id, InfoTextNotes(record->lines));
    // Written even when nothing changed: its time tells the next run it is fresh.
    const Result<TextEncoding> saved = SaveInfoText(path, refreshed, record->encoding);
    if (!saved) {
        line = QStringLiteral("failed: %1").arg(saved.error());
        return Refreshed::Failed;
    }
    line = QStringLiteral("refreshed: %1").arg(name);
    return Refreshed::Done;
}

int BadArgument(Console& console, const QString& message) {
    *console.err << "quorvel: " << message << "\n";
    console.err->flush();
    return kBadArguments;
}

// The titles one after another, a line each on the console, then the summary.
int AddListed(const std::vector<ListedTitle>& titles, const AddRequest& request,
              const Collection& collection, Console& console, const QString& command,
              const std::function<void(const AddedTitle&)>& told) {
    const int total = int(titles.size());
    Progress progress(console, total);
    AddRun run(collection, request.overwrite, request.delay, [&](const AddedTitle& outcome) {
        progress.say(outcome.number, AddedLine(outcome));
        if (told)
            told(outcome);
    });
    for (int i = 0; i < total; ++i) {
        progress.begin(i + 1, titles.at(i).text);
        if (!run.Add(i + 1, titles.at(i))) {
            run.tally().left = total - i;
            break;
        }
    }
    run.Settle();
    return Finish(console, progress, run.tally(), total, false, command);
}

} // namespace

int RunAdd(const AddRequest& request, const Collection& collection, Console& console) {
    const Result<std::vector<ListedTitle>> titles = ReadTitles(request.listPath, console);
    if (!titles)
        return BadArgument(console, titles.error());
    return AddListed(*titles, request, collection, console,
                     QStringLiteral("quorvel add ") + request.listPath, {});
}

int AddTitles(const std::vector<TitleToAdd>& titles, const AddRequest& request,
              const Collection& collection, Console& console, const QString& command,
              const std::function<void(const AddedTitle&)>& told) {
    std::vector<ListedTitle> listed;
    for (const TitleToAdd& title : titles)
        listed.push_back({title.text, qsizetype(listed.size() + 1),
                          title.text.size() > kLongestTitle, title.series});
    return AddListed(listed, request, collection, console, command, told);
}

class TitleAdder::Run : public AddRun {
public:
    using AddRun::AddRun;
};

TitleAdder::TitleAdder(const Collection& collection, bool overwrite,
                       std::chrono::milliseconds delay, std::function<void(const AddedTitle&)> told)
    : run_(std::make_unique<Run>(collection, overwrite, delay, std::move(told))) {}

TitleAdder::~TitleAdder() {
    run_->Settle();
}

QString TitleAdder::HeldText(const QString& title) {
    return run_->Held(title);
}

bool TitleAdder::Add(int number, const TitleToAdd& title) {
    return run_->Add(number, {title.text, number, title.text.size() > kLongestTitle, title.series});
}

void TitleAdder::Settle() {
    run_->Settle();
}

QString TitleAdder::StopReason() const {
    return run_->tally().stopReason;
}

bool TitleAdder::Refused() const {
    return run_->tally().limit;
}

QString AddedLine(const AddedTitle& outcome) {
    switch (outcome.kind) {
    case AddedTitle::Kind::Added:
        return outcome.poster.isEmpty() ? QStringLiteral("added: %1 as %2 (No poster Found.)")
                                              .arg(outcome.title, outcome.text)
                                        : QStringLiteral("added: %1 as %2 and %3")
                                              .arg(outcome.title, outcome.text, outcome.poster);
    case AddedTitle::Kind::Skipped:
        return QStringLiteral("skipped: %1 (already in the collection as %2)")
            .arg(outcome.title, outcome.text);
    case AddedTitle::Kind::NotFound:
    case AddedTitle::Kind::Failed:
        break;
    }
    return QStringLiteral("failed: %1: %2").arg(outcome.title, outcome.reason);
}

int RunRefresh(const RefreshRequest& request, const Collection& collection, Console& console) {
    const Result<QList<RefreshTarget>> targets = RecordsToRefresh(request, collection.folder);
    if (!targets)
        return BadArgument(console, targets.error());
    const int total = int(targets->size());
    Pacer pacer(request.delay);
    Progress progress(console, total);
    Tally tally;
    int unreachable = 0;
    for (int i = 0; i < total; ++i) {
        const RefreshTarget& target = targets->at(i);
        const QString& path = target.path;
        const bool refused = !target.refusal.isEmpty();
        progress.begin(i + 1, refused ? path : QFileInfo(path).fileName());
        QString line = QStringLiteral("failed: ") + target.refusal;
        const Refreshed outcome =
            refused ? Refreshed::Failed
                    : RefreshRecord(path, collection.services, pacer, unreachable, tally, line);
        if (outcome == Refreshed::Stopped) {
            tally.left = total - i;
            break;
        }
        ++(outcome == Refreshed::Done      ? tally.done
           : outcome == Refreshed::Skipped ? tally.skipped
                                           : tally.failed);
        progress.say(i + 1, line);
    }
    return Finish(console, progress, tally, total, true,
                  QStringLiteral("quorvel refresh ") +
                      (request.all ? QStringLiteral("--all") : request.file));
}

} // namespace quorvel::cli
