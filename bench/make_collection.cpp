// make_collection N FOLDER: a collection of N titles as the program saves them, for the
// benchmarks. Every title gets a 55-line info text through SaveInfoText; about one in seven has
// a plot and notes over several lines, some notes hold characters Windows-1252 lacks; about
// nine titles in ten get a real 300 x 445 JPEG poster of 30 to 80 KB. The same N gives the
// same files on every run.

#include "core/collection.h"
#include "core/infotext.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using namespace quorvel;

constexpr int kPosterWidth = 300;
constexpr int kPosterHeight = 445;
constexpr int kBaseImages = 16;
constexpr int kJpegQuality = 90;

// A small generator of our own, so that the files do not depend on the standard library's
// distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint32_t next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return static_cast<std::uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
    template <typename T, std::size_t N> const T& pick(const std::array<T, N>& items) {
        return items[static_cast<std::size_t>(below(static_cast<int>(N)))];
    }

private:
    std::uint64_t state_;
};

const std::array<const char*, 24> kWords{
    "Heat",    "Harbour", "Silence", "Empire",  "Winter",  "Echo",   "Falcon", "Garden",
    "Horizon", "Iron",    "Journey", "Kingdom", "Lantern", "Mirror", "Night",  "Orchard",
    "Paradox", "Quarry",  "River",   "Shadow",  "Thunder", "Valley", "Wolves", "Zenith"};
// Titles the save dialog has to clean before they become file names.
const std::array<const char*, 6> kAwkwardTails{
    "Face/Off: Part 2?", "Who? Me!", "A \"Quoted\" Story", "Up|Down", "Star*Fall", "Now: <Live>"};
const std::array<const char*, 10> kTypes{"movie", "movie",  "movie",  "movie",   "movie",
                                         "movie", "series", "series", "episode", "movie"};
const std::array<const char*, 18> kGenres{
    "Action",      "Adventure", "Animation", "Biography", "Comedy",   "Crime",
    "Documentary", "Drama",     "Family",    "Fantasy",   "History",  "Horror",
    "Music",       "Mystery",   "Romance",   "Sci-Fi",    "Thriller", "Western"};
const std::array<const char*, 8> kRated{"G", "PG", "PG-13", "R", "NC-17", "N/A", "TV-MA", "TV-14"};
const std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const std::array<const char*, 16> kPeople{
    "Michael Mann",  "Ridley Scott", "Agnes Varda",     "Akira Kurosawa",
    "Sofia Coppola", "Jean Renoir",  "Kathryn Bigelow", "Wong Kar-wai",
    "Greta Gerwig",  "Billy Wilder", "Claire Denis",    "Sergio Leone",
    "Jane Campion",  "Fritz Lang",   "Spike Lee",       "Lina Wertmuller"};
const std::array<const char*, 16> kActors{
    "Al Pacino",         "Robert De Niro",    "Val Kilmer",       "Sigourney Weaver",
    "Audrey Tautou",     "Toshiro Mifune",    "Cate Blanchett",   "Tony Leung",
    "Frances McDormand", "Denzel Washington", "Isabelle Huppert", "Clint Eastwood",
    "Tilda Swinton",     "Idris Elba",        "Juliette Binoche", "Song Kang-ho"};
const std::array<const char*, 10> kLanguages{"English", "French",          "Japanese", "Spanish",
                                             "German",  "Italian",         "Korean",   "Cantonese",
                                             "Polish",  "English, Spanish"};
const std::array<const char*, 10> kCountries{"USA",     "France", "Japan",       "Spain",
                                             "Germany", "Italy",  "South Korea", "Hong Kong",
                                             "Poland",  "UK, USA"};
const std::array<const char*, 6> kAwards{"N/A",
                                         "Won 1 Oscar. 10 wins & 20 nominations.",
                                         "3 wins & 7 nominations.",
                                         "Nominated for 2 Oscars.",
                                         "1 win.",
                                         "Won 2 BAFTA Film Awards."};
const std::array<const char*, 8> kPlotStarts{
    "A detective hunts a master thief across the city.",
    "Two strangers share a train compartment through the night.",
    "A family returns to the village it left decades ago.",
    "An engineer discovers that the dam will not hold.",
    "A young musician is offered the chance of a lifetime.",
    "The crew of a cargo ship answers a distress call.",
    "A retired judge reopens her most famous case.",
    "A child befriends the old man who keeps the lighthouse."};
const std::array<const char*, 8> kNotes{"Seen at the cinema with friends.",
                                        "Amélie recommended it; a little naïve but charming.",
                                        "Bought the DVD in Łódź, Polish subtitles only.",
                                        "Watch again with the director's commentary.",
                                        "Café scene is the best part.",
                                        "Lent to Zoë, not returned yet.",
                                        "Borrowed from the library.",
                                        "Ends differently from the novel."};

QString Title(int index, Random& random) {
    const QString number = QStringLiteral("%1").arg(index, 5, 10, QLatin1Char('0'));
    if (random.below(40) == 0)
        return QStringLiteral("Title %1 %2").arg(number, QLatin1String(random.pick(kAwkwardTails)));
    return QStringLiteral("Title %1 %2 %3")
        .arg(number, QLatin1String(random.pick(kWords)), QLatin1String(random.pick(kWords)));
}

QStringList InfoLines(const QString& title, Random& random) {
    const int year = 1920 + random.below(105);
    QString genre = QLatin1String(random.pick(kGenres));
    for (int extra = random.below(3); extra > 0; --extra)
        genre += QStringLiteral(", ") + QLatin1String(random.pick(kGenres));
    const QString actors =
        QStringList{QLatin1String(random.pick(kActors)), QLatin1String(random.pick(kActors)),
                    QLatin1String(random.pick(kActors))}
            .join(QStringLiteral(", "));
    const QString director = QLatin1String(random.pick(kPeople));
    const int rating = 10 + random.below(90);
    const QStringList values{
        QLatin1String(random.pick(kTypes)),
        QString::number(year),
        genre,
        QLatin1String(random.pick(kRated)),
        QStringLiteral("%1 %2 %3")
            .arg(1 + random.below(28))
            .arg(QLatin1String(random.pick(kMonths)))
            .arg(year),
        QStringLiteral("%1 min").arg(75 + random.below(110)),
        director,
        director + QStringLiteral(", ") + QLatin1String(random.pick(kPeople)),
        actors,
        QLatin1String(random.pick(kLanguages)),
        QLatin1String(random.pick(kCountries)),
        QLatin1String(random.pick(kAwards)),
        random.below(5) == 0 ? QStringLiteral("N/A") : QString::number(20 + random.below(80)),
        QStringLiteral("%1.%2").arg(rating / 10).arg(rating % 10),
        QString::number(1000 + random.below(900000)),
        QStringLiteral("tt%1").arg(100000 + random.below(9000000), 7, 10, QLatin1Char('0')),
        QLatin1String(random.pick(kPlotStarts)),
    };
    QStringList lines = ComposeInfoText(title, values);
    // Records edited by hand: a plot and notes over several lines.
    if (random.below(7) == 0) {
        const qsizetype plotValue = 51;
        lines.insert(plotValue + 1, QStringLiteral("Nothing goes as planned."));
        lines.insert(plotValue + 2, QLatin1String(random.pick(kPlotStarts)));
        const qsizetype any = lines.indexOf(QStringLiteral("ANY"), plotValue);
        const int notes = 1 + random.below(3);
        for (int i = 0; i < notes; ++i)
            lines.insert(any + 1 + i, QString::fromUtf8(random.pick(kNotes)));
    }
    return lines;
}

// Gradients under noise: JPEG cannot squeeze noise, which is what gives a poster its weight.
QImage BaseImage(int seed) {
    Random random(1000 + static_cast<std::uint64_t>(seed));
    QImage image(kPosterWidth, kPosterHeight, QImage::Format_RGB32);
    const QColor top =
        QColor::fromHsv(random.below(360), 80 + random.below(150), 60 + random.below(150));
    const QColor bottom =
        QColor::fromHsv(random.below(360), 80 + random.below(150), 30 + random.below(120));
    const int noise = 18 + seed % 5 * 4;
    for (int y = 0; y < kPosterHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kPosterWidth; ++x) {
            const double t = (y + 0.3 * x) / (kPosterHeight + 0.3 * kPosterWidth);
            const int wave = static_cast<int>(18 * ((x / 23 + y / 31 + seed) % 3));
            auto channel = [&](int a, int b) {
                const int n = random.below(2 * noise + 1) - noise;
                return std::clamp(static_cast<int>(a + (b - a) * t) + wave + n, 0, 255);
            };
            row[x] = qRgb(channel(top.red(), bottom.red()), channel(top.green(), bottom.green()),
                          channel(top.blue(), bottom.blue()));
        }
    }
    return image;
}

QByteArray Poster(const std::vector<QImage>& bases, int index, const QString& title,
                  Random& random) {
    QImage image = bases[static_cast<std::size_t>(index % kBaseImages)].copy();
    QPainter painter(&image);
    for (int i = 0; i < 3; ++i) {
        painter.fillRect(random.below(kPosterWidth - 60), random.below(kPosterHeight - 60),
                         30 + random.below(120), 30 + random.below(160),
                         QColor::fromHsv(random.below(360), 160, 200, 110));
    }
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(22);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(12, 320, kPosterWidth - 24, 110), Qt::AlignCenter | Qt::TextWordWrap,
                     title);
    painter.end();

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(kJpegQuality);
    if (!writer.write(image))
        return {};
    return bytes;
}

struct Totals {
    std::atomic<qint64> bytes{0};
    std::atomic<int> texts{0};
    std::atomic<int> posters{0};
    std::atomic<int> failures{0};
};

void MakeTitles(const QString& folder, const std::vector<QImage>& bases, int first, int step,
                int count, Totals& totals) {
    for (int index = first; index <= count; index += step) {
        Random random(static_cast<std::uint64_t>(index));
        const QString title = Title(index, random);
        const QString base = SanitiseFileName(title);
        const QStringList lines = InfoLines(title, random);
        const QString textPath = JoinPath(folder, base + QStringLiteral(".txt"));
        if (!SaveInfoText(textPath, lines)) {
            ++totals.failures;
            continue;
        }
        ++totals.texts;
        totals.bytes += QFileInfo(textPath).size();
        if (random.below(10) == 0)
            continue; // no poster for this one
        const QByteArray jpeg = Poster(bases, index, title, random);
        const QString posterPath = JoinPath(folder, base + QStringLiteral(".jpg"));
        if (jpeg.isEmpty() || !WritePosterBytes(posterPath, jpeg)) {
            ++totals.failures;
            continue;
        }
        ++totals.posters;
        totals.bytes += jpeg.size();
    }
}

} // namespace

int main(int argc, char** argv) {
    // Image plugins load through the GUI application; no screen is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_collection N FOLDER\n");
        return 2;
    }
    bool ok = false;
    const int count = QString::fromLocal8Bit(argv[1]).toInt(&ok);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    if (!ok || count < 0) {
        std::fprintf(stderr, "N must be a number of titles\n");
        return 2;
    }
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", argv[2]);
        return 1;
    }
    if (!QImageWriter::supportedImageFormats().contains("jpeg")) {
        std::fprintf(stderr, "no JPEG writer plugin\n");
        return 1;
    }

    QElapsedTimer timer;
    timer.start();
    std::vector<QImage> bases;
    for (int i = 0; i < kBaseImages; ++i)
        bases.push_back(BaseImage(i));

    Totals totals;
    const int threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back(MakeTitles, folder, std::cref(bases), 1 + t, threads, count,
                             std::ref(totals));
    for (std::thread& worker : workers)
        worker.join();

    std::printf("%d info texts and %d posters in %s: %.1f MB in %.1f s%s\n", totals.texts.load(),
                totals.posters.load(), argv[2], double(totals.bytes.load()) / 1e6,
                double(timer.elapsed()) / 1e3,
                totals.failures ? " (some files could not be written)" : "");
    return totals.failures ? 1 : 0;
}
