// The command line against the fake OMDb server: add, the daily limit, refresh, check, and
// the arguments themselves.

#include "cli/command_line.h"
#include "online/omdb.h"
#include "online/search_record.h"
#include "tests/support/fake_web_server.h"
#include "tests/support/outside_folder.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstring>
#include <tuple>

#include <dirent.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quorvel {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

// An input that never ends, as /dev/zero.
class EndlessInput : public QIODevice {
public:
    EndlessInput() { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 size) override {
        std::memset(data, 0, size_t(size));
        return size;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
};

// Root reads any folder whatever its permission bits. With the two capabilities that allow
// it out of force for this thread, the bits hold for it as for any user; the rest of the
// process keeps them.
class PermissionBitsHold {
public:
    PermissionBitsHold() {
        held_ = ::syscall(SYS_capget, &header_, saved_) == 0;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        held_ = held_ && ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~PermissionBitsHold() {
        if (held_)
            ::syscall(SYS_capset, &header_, saved_);
    }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool held_ = false;
};

// A file under the very bytes of its name, which need not be UTF-8.
bool WriteUnderRawName(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

// A record as the windows write it, built here line by line.
QByteArray RecordBytes(const QString& title, const QString& id, const QStringList& notes = {}) {
    QStringList lines = {title, ""};
    for (const char* label :
         {"TYPE", "YEAR", "GENRE", "RATED", "RELEASED", "RUNTIME", "DIRECTOR", "WRITER", "ACTORS",
          "LANGUAGE", "COUNTRY", "AWARDS", "METASCORE", "IMDB RATING", "IMDB VOTES"})
        lines << label << "old"
              << "";
    lines << "IMDB ID" << id << ""
          << "PLOT"
          << "old plot"
          << ""
          << "ANY" << notes << "";
    return lines.join("\r\n").toLatin1() + "\r\n";
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        appFolder = temp.path() + "/app/";
        folder = temp.path() + "/Movies";
        ASSERT_TRUE(QDir().mkpath(appFolder) && QDir().mkpath(folder));
        ASSERT_TRUE(WriteFileBytes(appFolder + "Options.ini",
                                   ("[Settings]\nSavingPath=" + folder +
                                    "\nOmdbAddress=" + server.baseAddress() + "\nOmdbApiKey=k\n")
                                       .toUtf8()));
        server.serveFixture("/posters/p.jpg", "omdb/poster.jpg", "image/jpeg");
        server.serveFixture("/posters/shawshank.jpg", "omdb/poster.jpg", "image/jpeg");
        server.serveText("/posters/broken.jpg", "<html>gone</html>");
    }

    void serveTitle(const std::string& title, const std::string& id,
                    const std::string& poster = "/posters/p.jpg") {
        const std::string body =
            test::OmdbFoundJson(title, id, server.address(poster).toStdString());
        server.routeQuery("/", "t", title, test::OmdbJson(body));
        server.routeQuery("/", "i", id, test::OmdbJson(body));
    }

    struct Run {
        int status;
        QString out, err;
    };
    Run run(QStringList arguments, const QByteArray& input = {}, bool terminal = false) {
        QByteArray inputBytes = input;
        QBuffer in(&inputBytes);
        in.open(QIODevice::ReadOnly);
        return runReading(std::move(arguments), in, terminal);
    }
    Run runReading(QStringList arguments, QIODevice& in, bool terminal = false) {
        Run result{0, {}, {}};
        QTextStream out(&result.out), err(&result.err);
        cli::Console console{&in, &out, &err, terminal};
        arguments.prepend("quorvel");
        folderAsked = false;
        result.status = cli::RunCommandLine(
            arguments,
            [this] {
                folderAsked = true;
                return appFolder;
            },
            console);
        return result;
    }

    QString list(const QByteArray& lines) {
        const QString path = temp.path() + "/titles.txt";
        EXPECT_TRUE(WriteFileBytes(path, lines));
        return path;
    }
    QString file(const QString& name) const { return folder + "/" + name; }

    QTemporaryDir temp;
    test::FakeWebServer server;
    QString appFolder, folder;
    bool folderAsked = false;
};

TEST_F(CommandLine, AddSavesWhatTheSearchTabSavesAndSkipsWhatIsThere) {
    server.serveOmdbTitle("The Shawshank Redemption", "omdb/shawshank.json");
    server.serveOmdbId("tt0211915", "omdb/amelie.json");
    server.serveOmdbTitle("Nowhere Man", "omdb/not_found.json");
    server.serveOmdbTitle("Lost", "omdb/lost_series.json");
    serveTitle("Face/Off", "tt0119094");
    serveTitle("Alien", "tt0078748");
    serveTitle("Miss Jerry", "tt0000009");
    serveTitle("Broken Poster", "tt0000010", "/posters/broken.jpg");
    // A name starting with a dot would be a hidden file.
    server.routeQuery("/", "t", "Hidden",
                      test::OmdbJson(test::OmdbFoundJson(
                          ".hidden", "tt0000011", server.address("/posters/p.jpg").toStdString())));
    const QByteArray heat = RecordBytes("Heat", "tt0113277", {"mine"});
    ASSERT_TRUE(WriteFileBytes(file("Heat.txt"), heat));

    const Run result = run({"add", list("The Shawshank Redemption\n"
                                        "tt0211915\n"
                                        "\n"
                                        "# wish list\n"
                                        "Nowhere Man\n"
                                        "Heat\n"
                                        "Face/Off\n"
                                        "  Alien  \n"
                                        "tt0000009\n"
                                        "Lost\n"
                                        "Broken Poster\n"
                                        "alien\n"
                                        "Hidden\n")});

    EXPECT_EQ(result.status, cli::kSomeFailed) << result.out.toStdString();
    // Each title's line carries its own number, although its files are written later.
    const QStringList said = result.out.split('\n');
    const QStringList starts = {"[1/11] added: The Shawshank Redemption as",
                                "[2/11] added: tt0211915 as",
                                "[3/11] failed: Nowhere Man: movie not found!",
                                "[4/11] skipped: Heat ",
                                "[5/11] added: Face/Off as FaceOff.txt",
                                "[6/11] added: Alien as",
                                "[7/11] added: tt0000009 as",
                                "[8/11] added: Lost as",
                                "[9/11] added: Broken Poster as",
                                "[10/11] skipped: alien ",
                                "[11/11] added: Hidden as hidden.txt and hidden.jpg",
                                "11 titles: 8 added (3 without a poster), 2 skipped, 1 failed, "
                                "0 left."};
    QStringList heads;
    for (qsizetype i = 0; i < starts.size(); ++i)
        heads << said.value(i).left(starts[i].size());
    EXPECT_EQ(heads.join('\n').toStdString(), starts.join('\n').toStdString());
    // One request a title looked up; nothing for a title already there or a second "alien".
    EXPECT_EQ(server.requestCount("/"), 9);
    EXPECT_EQ(server.requestCount("/posters/p.jpg"), 4);
    EXPECT_EQ(server.requestCount("/posters/shawshank.jpg"), 1);
    EXPECT_EQ(server.requestCount("/posters/broken.jpg"), 1);
    EXPECT_EQ(
        test::FolderNames(folder),
        QStringList({"Alien.jpg", "Alien.txt", "Broken Poster.txt", "FaceOff.jpg", "FaceOff.txt",
                     "Heat.txt", "Le fabuleux destin d'Amelie Poulain.txt", "Lost.txt",
                     "Miss Jerry.jpg", "Miss Jerry.txt", "The Shawshank Redemption.jpg",
                     "The Shawshank Redemption.txt", "hidden.jpg", "hidden.txt"}));
    EXPECT_EQ(ReadFileBytes(file("Heat.txt")), heat);
    EXPECT_EQ(ReadFileBytes(file("Alien.jpg")),
              QByteArray::fromStdString(test::ReadFixture("omdb/poster.jpg")));
    const QStringList alien = {"Alien",
                               "",
                               "TYPE",
                               "movie",
                               "",
                               "YEAR",
                               "1999",
                               "",
                               "GENRE",
                               "Drama",
                               "",
                               "RATED",
                               "PG",
                               "",
                               "RELEASED",
                               "01 Jan 1999",
                               "",
                               "RUNTIME",
                               "90 min",
                               "",
                               "DIRECTOR",
                               "A. Director",
                               "",
                               "WRITER",
                               "A. Writer",
                               "",
                               "ACTORS",
                               "An Actor",
                               "",
                               "LANGUAGE",
                               "English",
                               "",
                               "COUNTRY",
                               "France",
                               "",
                               "AWARDS",
                               "N/A",
                               "",
                               "METASCORE",
                               "50",
                               "",
                               "IMDB RATING",
                               "7.0",
                               "",
                               "IMDB VOTES",
                               "1,000",
                               "",
                               "IMDB ID",
                               "tt0078748",
                               "",
                               "PLOT",
                               "The story of Alien (tt0078748).",
                               "",
                               "ANY",
                               ""};
    EXPECT_EQ(ReadFileBytes(file("Alien.txt")), alien.join("\r\n").toLatin1() + "\r\n");

    // --overwrite asks after all, and replaces the file whose name differs only in case.
    server.routeQuery("/", "t", "heat",
                      test::OmdbJson(test::OmdbFoundJson(
                          "HEAT", "tt0113277", server.address("/posters/p.jpg").toStdString())));
    server.resetCounts();
    EXPECT_EQ(run({"add", "--overwrite", list("heat\n")}).status, cli::kAllDone);
    EXPECT_EQ(server.requestCount("/"), 1);
    EXPECT_TRUE(ReadFileBytes(file("Heat.txt")).startsWith("HEAT\r\n\r\nTYPE\r\nmovie\r\n"));
    EXPECT_TRUE(QFile::exists(file("Heat.jpg")));
    EXPECT_FALSE(QFile::exists(file("HEAT.txt")));
}

// A service that answers by year: "Dune" is the 2021 film, "Dune (1984)" Lynch's.
void ServeDuneByYear(test::FakeWebServer& server) {
    for (const auto& [year, fixture] :
         {std::pair{"", "omdb/dune_2021.json"}, {"1984", "omdb/dune_1984.json"}}) {
        std::string body = test::ReadFixture(fixture);
        server.routeQuery("/", {{"t", "Dune"}, {"y", year}}, test::OmdbJson(body));
    }
}

TEST_F(CommandLine, AddAsksForTheYearGivenAndSkipsThatTitleNextTime) {
    ServeDuneByYear(server);
    const Run first = run({"add", list("Dune\nDune (1984)\n")});
    EXPECT_EQ(first.status, cli::kAllDone) << first.out.toStdString();
    EXPECT_EQ(server.lastRequestTarget(), "/?t=Dune&y=1984&plot=full&r=json&apikey=k");
    // Two films of one name: the one asked by its year goes beside the other, under its year.
    EXPECT_EQ(test::FolderNames(folder), QStringList({"Dune (1984).txt", "Dune.txt"}));
    const struct {
        const char* name;
        const char* fixture;
    } saved[] = {{"Dune.txt", "omdb/dune_2021.json"}, {"Dune (1984).txt", "omdb/dune_1984.json"}};
    for (const auto& [name, fixture] : saved) {
        const Result<OmdbAnswer> answer =
            ParseOmdbAnswer(QString::fromStdString(test::ReadFixture(fixture)));
        ASSERT_TRUE(answer.ok());
        EXPECT_EQ(ReadFileBytes(file(name)),
                  SearchedInfoText(*answer).join("\r\n").toLatin1() + "\r\n")
            << name;
    }

    // Next time neither is asked for; nor is a year whose record is saved under the plain name.
    server.resetCounts();
    const Run second = run({"add", list("Dune\nDune (1984)\ndune (2021)\n")});
    EXPECT_TRUE(second.out.contains("3 titles: 0 added, 3 skipped")) << second.out.toStdString();
    EXPECT_TRUE(
        second.out.contains("skipped: dune (2021) (already in the collection as Dune.txt)"));
    EXPECT_EQ(server.totalRequests(), 0);
}

TEST_F(CommandLine, MatchesListsAPageOrSaysWhyThereIsNone) {
    server.serveOmdbSearch("Dune", 1, "omdb/search_dune_page1.json");
    server.serveOmdbSearch("Dune", 2, "omdb/search_dune_page2.json");
    for (const auto& [title, fixture] : {std::pair{"Crash", "omdb/too_many.json"},
                                         {"Nowhere", "omdb/not_found.json"},
                                         {"Locked", "omdb/invalid_key.json"}})
        server.routeQuery("/", "s", title, test::OmdbJson(test::ReadFixture(fixture)));
    const struct {
        QStringList arguments;
        int status;
        const char* out;    // the start of the output
        const char* err;    // held by the errors
        const char* target; // of the request; "" for none
    } rows[] = {
        {{"matches", "Dune"},
         cli::kAllDone,
         "tt15239678\t2024\tmovie\tDune: Part Two\ntt1160419\t2021\tmovie\tDune\n",
         "Page 1 of 3 (27 results). --page 2 gives the next.",
         "/?s=Dune&y=&page=1&r=json&apikey=k"},
        {{"matches", "Dune", "--page", "2"},
         cli::kAllDone,
         "tt0142032\t2000\tseries\tFrank Herbert's Dune\n",
         "Page 2 of 3",
         ""},
        {{"matches", "Dune (1984)"},
         cli::kAllDone,
         "tt15239678",
         "",
         "/?s=Dune&y=1984&page=1&r=json&apikey=k"},
        {{"matches", "Dune", "(2021)", "--year", "1984"},
         cli::kAllDone,
         "tt15239678",
         "",
         "/?s=Dune&y=1984&page=1&r=json&apikey=k"},
        {{"matches", "Crash"}, cli::kSomeFailed, "", "Too many titles match \"Crash\"", ""},
        {{"matches", "Nowhere"}, cli::kSomeFailed, "", "knows no title named \"Nowhere\"", ""},
        {{"matches", "Locked"},
         cli::kLimitReached,
         "",
         "the OMDb service answered \"Invalid API key!\"",
         ""},
        {{"matches"}, cli::kBadArguments, "", "matches wants a TITLE", ""},
        {{"matches", "Dune", "--year", "1869"}, cli::kBadArguments, "", "--year wants a year", ""},
        {{"matches", "Dune", "--page", "101"}, cli::kBadArguments, "", "--page wants a number", ""},
    };
    // The collection folder is not needed to ask.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        server.resetCounts();
        const Run result = run(row.arguments);
        EXPECT_EQ(result.status, row.status) << result.err.toStdString();
        const QString out = QString::fromUtf8(row.out);
        EXPECT_EQ(result.out.left(std::max(out.size(), qsizetype(1))), out);
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(row.err))) << result.err.toStdString();
        if (*row.target) {
            EXPECT_EQ(server.lastRequestTarget(), row.target);
        }
        EXPECT_EQ(server.totalRequests(), row.status == cli::kBadArguments ? 0 : 1);
    }

    // The service's own keys and texts, for a script.
    const Run json = run({"matches", "Dune", "--page", "2", "--json"});
    const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(object["totalResults"].toInt(), 27);
    const QJsonArray search = object["Search"].toArray();
    ASSERT_EQ(search.size(), 10) << json.out.toStdString();
    EXPECT_EQ(search[4].toObject(), QJsonObject({{"imdbID", "tt6807286"},
                                                 {"Title", "Dune: The Sisterhood Chronicles"},
                                                 {"Year", "2017\u20132022"},
                                                 {"Type", "series"}}));
    const Run none = run({"matches", "Nowhere", "--json"});
    EXPECT_EQ(none.status, cli::kSomeFailed);
    EXPECT_EQ(QJsonDocument::fromJson(none.out.toUtf8()).object(),
              QJsonObject(
                  {{"totalResults", 0}, {"Search", QJsonArray()}, {"Error", "Movie not found!"}}));
    server.stop();
    const Run down = run({"matches", "Dune"});
    EXPECT_EQ(down.status, cli::kSomeFailed);
    EXPECT_TRUE(down.err.contains("Dune: could not connect to the OMDb service"))
        << down.err.toStdString();
}

TEST_F(CommandLine, TheServicesRefusalStopsTheRunAndTheSameCommandDoesTheRest) {
    struct Row {
        const char* fixture;
        int status;
    };
    for (const Row& row :
         {Row{"omdb/limit_reached.json", 200}, Row{"omdb/invalid_key.json", 401}}) {
        SCOPED_TRACE(row.fixture);
        for (const QString& name : QDir(folder).entryList(QDir::Files))
            QFile::remove(file(name));
        QByteArray titles;
        for (const char* title : {"One", "Two", "Three", "Four", "Five", "Six"}) {
            serveTitle(title, std::string("tt10") + std::to_string(titles.size()));
            titles += QByteArray(title) + "\n";
        }
        server.resetCounts();
        server.refuseFrom("/", 5, test::OmdbJson(test::ReadFixture(row.fixture), row.status));

        const Run first = run({"add", list(titles)});
        EXPECT_EQ(first.status, cli::kLimitReached);
        EXPECT_TRUE(first.out.contains("nothing of it was written")) << first.out.toStdString();
        EXPECT_TRUE(first.out.contains("6 titles: 4 added, 0 skipped, 0 failed, 2 left."));
        EXPECT_EQ(test::FolderNames(folder).size(), 8);

        server.refuseFrom("/", 0, {});
        server.resetCounts();
        const Run second = run({"add", "-"}, titles, true);
        EXPECT_EQ(second.status, cli::kAllDone) << second.out.toStdString();
        EXPECT_EQ(server.requestCount("/"), 2);
        EXPECT_EQ(test::FolderNames(folder).size(), 12);
        // On a terminal the line under the results says where the run stands.
        EXPECT_TRUE(second.out.contains("\r\x1b[K[6/6] Six  0:0")) << second.out.toStdString();
    }
}

TEST_F(CommandLine, DelaySpacesEveryRequest) {
    serveTitle("One", "tt1");
    serveTitle("Two", "tt2");
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(run({"add", "--delay", "150", list("One\nTwo\n")}).status, cli::kAllDone);
    // Two answers and two posters: three gaps.
    EXPECT_GE(timer.elapsed(), 450);
    EXPECT_EQ(server.totalRequests(), 4);
}

TEST_F(CommandLine, RefreshKeepsTheNotesAndLeavesWhatItCannotRefreshAlone) {
    serveTitle("Heat", "tt0113277");
    server.serveOmdbId("tt9999999", "omdb/not_found.json");
    const QByteArray heat = "\xEF\xBB\xBF" + RecordBytes("Heat", "tt0113277", {"one", "", "two"});
    const QByteArray gone = RecordBytes("Gone", "tt9999999", {"kept"});
    const QByteArray mine = RecordBytes("Mine", "N/A");
    const QByteArray odd = "Odd\r\n\r\nYEAR\r\n1999\r\n\r\n";
    for (const auto& [name, bytes] : {std::pair{"Heat.txt", heat},
                                      {"Gone.txt", gone},
                                      {"Mine.txt", mine},
                                      {"Odd\nname.txt", odd}})
        ASSERT_TRUE(WriteFileBytes(file(name), bytes));

    const Run result = run({"refresh", "--all"});

    EXPECT_EQ(result.status, cli::kSomeFailed);
    EXPECT_TRUE(result.out.contains("failed: Gone.txt: tt9999999: movie not found!; left "
                                    "unchanged"))
        << result.out.toStdString();
    EXPECT_TRUE(result.out.contains("skipped: Mine.txt (no IMDb identifier)"));
    // A line break in a name is shown, not made.
    EXPECT_TRUE(result.out.contains("failed: Odd\\nname.txt is not a record"));
    EXPECT_TRUE(result.out.endsWith("4 records: 1 refreshed, 1 skipped, 2 failed, 0 left.\n"));
    EXPECT_EQ(server.requestCount("/"), 2);
    for (const auto& [name, bytes] :
         {std::pair{"Gone.txt", gone}, {"Mine.txt", mine}, {"Odd\nname.txt", odd}})
        EXPECT_EQ(ReadFileBytes(file(name)), bytes) << name;
    // The fetched fields, the stored identifier, the notes with their gap, the file's mark.
    const QByteArray refreshed = ReadFileBytes(file("Heat.txt"));
    EXPECT_TRUE(refreshed.startsWith("\xEF\xBB\xBFHeat\r\n\r\nTYPE\r\nmovie\r\n"));
    EXPECT_TRUE(refreshed.endsWith("PLOT\r\nThe story of Heat (tt0113277).\r\n\r\nANY\r\n"
                                   "one\r\n\r\ntwo\r\n\r\n"));
}

// A line of the list leading out of the collection fails as a missing record does: the file it
// names is neither looked up nor rewritten.
TEST_F(CommandLine, RefreshOfAListLeavesLinesLeadingOutOfTheCollectionAlone) {
    serveTitle("Heat", "tt0113277");
    serveTitle("Victim", "tt0000666");
    ASSERT_TRUE(WriteFileBytes(file("Heat.txt"), RecordBytes("Heat", "tt0113277")));
    const test::OutsideFolder outside(temp.path() + "/outside", RecordBytes("Victim", "tt0000666"));
    const QStringList up = outside.LinesFrom(folder);
    const QString listPath = temp.path() + "/hostile.list";
    ASSERT_TRUE(
        WriteFileBytes(listPath, ("Heat.txt\r\n" + up.join("\r\n") + "\r\nGone.txt\r\n").toUtf8()));

    const Run result = run({"refresh", listPath});

    EXPECT_EQ(result.status, cli::kSomeFailed);
    for (const QString& line : up)
        EXPECT_TRUE(result.out.contains("] failed: Cannot open " + folder + "/" + line +
                                        ": not the name of a file in the collection folder\n"))
            << result.out.toStdString();
    EXPECT_TRUE(result.out.contains("] failed: Cannot open " + file("Gone.txt") +
                                    ": No such file or directory\n"));
    EXPECT_TRUE(result.out.endsWith("4 records: 1 refreshed, 0 skipped, 3 failed, 0 left.\n"));
    EXPECT_EQ(server.requestCount("/"), 1);
    EXPECT_TRUE(outside.Untouched());
}

TEST_F(CommandLine, RefreshAfterAStopStartsWithTheRecordsItDidNotReach) {
    const QDateTime day(QDate(2020, 1, 1), QTime(12, 0));
    int age = 3;
    for (const char* name : {"A", "B", "C"}) {
        const std::string id = std::string("tt00") + name;
        serveTitle(name, id);
        ASSERT_TRUE(WriteFileBytes(file(QString(name) + ".txt"),
                                   RecordBytes(name, QString::fromStdString(id))));
        QFile record(file(QString(name) + ".txt"));
        ASSERT_TRUE(record.open(QIODevice::ReadWrite) &&
                    record.setFileTime(day.addDays(-age--), QFileDevice::FileModificationTime));
    }
    server.refuseFrom("/", 2, test::OmdbJson(test::ReadFixture("omdb/limit_reached.json")));
    const Run first = run({"refresh", "--all"});
    EXPECT_EQ(first.status, cli::kLimitReached);
    EXPECT_TRUE(first.out.contains("[1/3] refreshed: A.txt\nStopped: the OMDb service answered "
                                   "\"Request limit reached!\" for B.txt"))
        << first.out.toStdString();
    EXPECT_TRUE(first.out.contains("3 records: 1 refreshed, 0 skipped, 0 failed, 2 left."));

    server.refuseFrom("/", 0, {});
    const Run second = run({"refresh", "--all"});
    EXPECT_EQ(second.status, cli::kAllDone);
    EXPECT_TRUE(second.out.startsWith("[1/3] refreshed: B.txt\n[2/3] refreshed: C.txt\n"))
        << second.out.toStdString();
}

TEST_F(CommandLine, CheckFindsOneCaseOfEachKindAndWritesNothing) {
    const QByteArray jpg = QByteArray::fromStdString(test::ReadFixture("omdb/poster.jpg"));
    // 0x81: undefined in Windows-1252, and no UTF-8 either.
    const QByteArray badBytes = RecordBytes("Bad", "tt3", {"cafe"}).replace("cafe", "caf\x81");
    const std::pair<QByteArray, QByteArray> files[] = {
        {"Heat.txt", RecordBytes("Heat", "tt1")},
        {"Heat.jpg", jpg},
        {"Heat (1995).txt", RecordBytes("Heat (1995)", "tt1")},
        {"Heat (1995).jpg", jpg},
        {"Broken.txt", "Broken\r\n\r\nYEAR\r\n1995\r\n\r\nTYPE\r\nmovie\r\n\r\n"},
        {"Broken.jpg", jpg},
        {"Lonely.jpg", jpg},
        {"Bare.txt", RecordBytes("Bare", "tt2")},
        {"Why?.txt", RecordBytes("Why?", "tt4")},
        {"Why?.jpg", jpg},
        {"Bad.txt", badBytes},
        {"Bad.jpg", jpg},
        // Names as the folder holds them: bytes that are not UTF-8, a line break.
        {"bad\xff\xfename.txt", RecordBytes("bad name", "tt5")},
        {"bad\xff\xfename.jpg", jpg},
        {"two\nlines.txt", RecordBytes("two lines", "tt6")},
        {"two\nlines.jpg", jpg},
        // Zeros, which would also be found not to be text if the file were read.
        {"Huge.txt", QByteArray((1 << 20) + 1, '\0')},
        {"Huge.jpg", jpg},
    };
    for (const auto& [name, bytes] : files)
        ASSERT_TRUE(WriteUnderRawName(QFile::encodeName(folder) + '/' + name, bytes))
            << name.toStdString();
    const QStringList before = test::FolderNames(folder);

    const Run text = run({"check"});
    const Run json = run({"check", "--json"});

    EXPECT_EQ(text.status, cli::kSomeFailed);
    EXPECT_EQ(json.status, cli::kSomeFailed);
    EXPECT_EQ(test::FolderNames(folder), before);
    EXPECT_EQ(ReadFileBytes(file("Bad.txt")), badBytes);
    struct Expected {
        const char* kind;
        QStringList files; // of each problem of the kind
    };
    const std::vector<Expected> expected = {
        {"not-a-record", {"Broken.txt", "Huge.txt"}},
        {"poster-without-text", {"Lonely.jpg"}},
        {"text-without-poster", {"Bare.txt"}},
        {"same-imdb-id", {"Heat (1995).txt,Heat.txt"}},
        {"unportable-name",
         {"bad\\xff\\xfename.jpg", "bad\\xff\\xfename.txt", "two\nlines.jpg", "two\nlines.txt",
          "Why?.jpg", "Why?.txt"}},
        {"unknown-encoding", {"Bad.txt"}},
    };
    const QJsonArray kinds = QJsonDocument::fromJson(json.out.toUtf8())["kinds"].toArray();
    ASSERT_EQ(kinds.size(), qsizetype(expected.size())) << json.out.toStdString();
    for (size_t i = 0; i < expected.size(); ++i) {
        const QJsonObject kind = kinds.at(qsizetype(i)).toObject();
        EXPECT_EQ(kind["kind"].toString(), expected[i].kind);
        QStringList found;
        for (const QJsonValue item : kind["items"].toArray())
            found << item["files"].toVariant().toStringList().join(",");
        EXPECT_EQ(found.join(" | ").toStdString(), expected[i].files.join(" | ").toStdString())
            << expected[i].kind;
        EXPECT_EQ(kind["count"].toInt(), expected[i].files.size());
    }
    for (const char* line :
         {"Info texts that are not a record: 2\n  Broken.txt: line 3 is \"YEAR\" where \"TYPE\" "
          "belongs\n  Huge.txt: it is larger than a record can be (more than 1 MiB)\n",
          "\n  bad\\xff\\xfename.txt: its name holds bytes that are not UTF-8\n",
          "\n  two\\nlines.txt: it holds a control character\n"})
        EXPECT_TRUE(text.out.contains(line)) << line;
    EXPECT_TRUE(text.out.endsWith("12 problems found.\n")) << text.out.toStdString();
    for (const auto& [name, bytes] : files) // which QTemporaryDir cannot name to remove
        ::unlink((QFile::encodeName(folder) + '/' + name).constData());
}

TEST_F(CommandLine, ACollectionFolderThatCannotBeReadStopsEveryCommand) {
    ASSERT_TRUE(WriteFileBytes(file("Heat.txt"), RecordBytes("Heat", "tt1")));
    ASSERT_TRUE(QFile::setPermissions(folder, {}));
    {
        PermissionBitsHold hold;
        if (DIR* dir = ::opendir(QFile::encodeName(folder).constData())) {
            ::closedir(dir);
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            GTEST_SKIP() << "this process reads the folder whatever its permissions";
        }
        for (const QStringList& arguments :
             {QStringList{"check"}, {"check", "--json"}, {"refresh", "--all"}, {"add", "-"}}) {
            const Run result = run(arguments, "Heat\n");
            EXPECT_EQ(result.status, cli::kBadArguments) << arguments.join(' ').toStdString();
            EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
            EXPECT_TRUE(result.err.contains("the collection folder \"" + folder +
                                            "\" cannot be read: Permission denied"))
                << result.err.toStdString();
        }
    }
    ASSERT_TRUE(
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    EXPECT_EQ(server.totalRequests(), 0);
}

TEST_F(CommandLine, AddRefusesLinesLongerThanATitleWithoutAskingAndEndsAnEndlessInput) {
    serveTitle("One", "tt1");
    serveTitle("Two", "tt2");
    serveTitle("Am\xC3\xA9lie", "tt3");
    // Three refusals in a row, which must not pass for a service out of reach; the euro signs
    // are cut in the middle of one, which must not make the list's other lines read as 8-bit.
    const Run result = run({"add", list("One\n" + QByteArray(10'000'000, 'x') + "\n" +
                                        QByteArray("\xE2\x82\xAC").repeated(3000) + "\n" +
                                        QByteArray(1001, 'y') + "\r\nAm\xC3\xA9lie\nTwo\n")});
    EXPECT_EQ(result.status, cli::kSomeFailed);
    const QString refused = QStringLiteral(": it is longer than a title can be (1000 characters); "
                                           "not looked up\n");
    for (const QString& line :
         {"[2/6] failed: line 2 (" + QString(39, 'x') + "\u2026)" + refused,
          "[3/6] failed: line 3 (" + QString(39, QChar(0x20AC)) + "\u2026)" + refused,
          "[4/6] failed: line 4 (" + QString(39, 'y') + "\u2026)" + refused,
          QString("[5/6] added: Am\u00e9lie as Amelie.txt")})
        EXPECT_TRUE(result.out.contains(line)) << line.toStdString();
    EXPECT_TRUE(result.out.endsWith("6 titles: 3 added, 0 skipped, 3 failed, 0 left.\n"))
        << result.out.left(4000).toStdString();
    EXPECT_LT(result.out.size(), 2000);
    EXPECT_EQ(server.requestCount("/"), 3);

    // A list in UTF-16 is cut by its 16-bit units (One and Two are there by now).
    QStringEncoder toUtf16(QStringEncoder::Utf16LE);
    const QByteArray utf16 =
        "\xFF\xFE" + QByteArray(toUtf16("One\r\n" + QString(5000, 'z') + "\r\nTwo\r\n"));
    const Run wide = run({"add", list(utf16)});
    EXPECT_TRUE(
        wide.out.contains("[2/3] failed: line 2 (" + QString(39, 'z') + "\u2026)" + refused));
    EXPECT_TRUE(wide.out.endsWith("3 titles: 0 added, 2 skipped, 1 failed, 0 left.\n"))
        << wide.out.toStdString();

    // An input without end is not a list: it is refused once it passes what a list can be.
    EndlessInput endless;
    const Run stream = runReading({"add", "-"}, endless);
    EXPECT_EQ(stream.status, cli::kBadArguments);
    EXPECT_TRUE(stream.err.contains("the input holds more than 16 MiB"))
        << stream.err.toStdString();
    EXPECT_EQ(server.requestCount("/"), 3);
}

TEST_F(CommandLine, ArgumentsAreCheckedBeforeAnythingIsDone) {
    struct Row {
        QStringList arguments;
        int status;
        const char* says; // on the output or the errors
        bool asksFolder;  // finding the application folder may create it
    };
    const std::vector<Row> rows = {
        {{"--version"}, cli::kAllDone, "Quorvel " QUORVEL_VERSION_TEXT "\n", false},
        {{"--help"}, cli::kAllDone, "refresh --all|FILE", false},
        {{"add", "--help"}, cli::kAllDone, "Usage: quorvel add [options] FILE", false},
        {{}, cli::kBadArguments, "no command given", false},
        {{"fetch"}, cli::kBadArguments, "unknown command \"fetch\"", false},
        {{"add"}, cli::kBadArguments, "add wants one FILE", false},
        {{"add", "--bogus", "x"}, cli::kBadArguments, "Unknown option 'bogus'", false},
        {{"add", "--delay", "soon", "x"}, cli::kBadArguments, "--delay wants a number", false},
        {{"add", temp.path() + "/none.txt"}, cli::kBadArguments, "none.txt", true},
        {{"refresh"}, cli::kBadArguments, "either --all or one FILE", false},
        {{"refresh", "--all", "x.list"}, cli::kBadArguments, "either --all or one FILE", false},
        {{"check", "x"}, cli::kBadArguments, "check takes no FILE", false},
        {{"scan"}, cli::kBadArguments, "scan wants one FOLDER", false},
        {{"scan", temp.path() + "/none"}, cli::kBadArguments, "Cannot read the folder", true},
        {{"add", "-"}, cli::kAllDone, "0 titles: 0 added", true},
    };
    for (const Row& row : rows) {
        const Run result = run(row.arguments, "# nothing yet\n");
        EXPECT_EQ(result.status, row.status) << row.arguments.join(' ').toStdString();
        EXPECT_TRUE((result.out + result.err).contains(row.says))
            << row.arguments.join(' ').toStdString() << ": "
            << (result.out + result.err).toStdString();
        EXPECT_EQ(folderAsked, row.asksFolder) << row.arguments.join(' ').toStdString();
    }
    EXPECT_EQ(server.totalRequests(), 0);

    const std::vector<std::pair<std::vector<const char*>, bool>> mains = {
        {{"quorvel"}, false},
        {{"quorvel", "add", "x"}, true},
        {{"quorvel", "--help"}, true},
        {{"quorvel", "-v"}, true},
        {{"quorvel", "-platform", "offscreen"}, false},
    };
    for (auto [argv, commands] : mains) {
        argv.push_back(nullptr);
        EXPECT_EQ(cli::IsCommandLine(int(argv.size()) - 1, const_cast<char**>(argv.data())),
                  commands)
            << argv.size();
    }
}

// A folder of videos named as people name them, and a service that knows most of them.
class Scan : public CommandLine {
protected:
    void SetUp() override {
        CommandLine::SetUp();
        videos = temp.path() + "/Videos";
        ASSERT_TRUE(test::MakeEmptyFiles(
            videos, {"Casablanca.1942.CD1.avi", "Casablanca.1942.CD2.avi",
                     "Films/Old.Harbour.1080p.BluRay.x264-GRP.mkv",
                     "Films/The.Matrix.1999.1080p.BluRay.x264-GROUP.mkv", "Heat (1995)/Heat.mkv",
                     "Heat (1995)/Sample/heat-sample.mkv", "Nowhere.Film.2010.mkv",
                     "Show.Name.S01E02.720p.HDTV.x264-GRP.mkv", "Show.Name.S01E03.mkv",
                     "The.Shawshank.Redemption.1994.tt0111161.mkv", ".hidden/Secret.2000.mkv",
                     "notes.txt"}));
        // Heat of 1995 is saved already, under its plain name.
        ASSERT_TRUE(WriteFileBytes(
            file("Heat.txt"), RecordBytes("Heat", "N/A").replace("YEAR\r\nold", "YEAR\r\n1995")));
        const std::string poster = server.address("/posters/p.jpg").toStdString();
        for (const auto& [title, id, year, type] :
             {std::tuple{"Casablanca", "tt0034583", "1942", "movie"},
              {"Old Harbour", "tt0000101", "2003", "movie"},
              {"The Matrix", "tt0133093", "1999", "movie"},
              {"Show Name", "tt0000102", "2011\u20132014", "series"}})
            server.routeQuery("/", "t", title,
                              test::OmdbJson(test::OmdbFoundJson(title, id, poster, year, type)));
        server.serveOmdbId("tt0111161", "omdb/shawshank.json");
        server.serveOmdbTitle("Nowhere Film", "omdb/not_found.json");
    }
    QString videos;
};

TEST_F(Scan, DryRunListsTheGuessesInWalkOrderAndAsksNothing) {
    const Run text = run({"scan", "--dry-run", videos});
    EXPECT_EQ(text.status, cli::kAllDone) << text.err.toStdString();
    EXPECT_EQ(text.out.toStdString(),
              "Casablanca (1942)  <-  Casablanca.1942.CD1.avi\n"
              "Old Harbour  <-  Films/Old.Harbour.1080p.BluRay.x264-GRP.mkv   (doubtful)\n"
              "The Matrix (1999)  <-  Films/The.Matrix.1999.1080p.BluRay.x264-GROUP.mkv\n"
              "Heat (1995)  <-  Heat (1995)/Heat.mkv   (doubtful)   (in the collection: Heat.txt)\n"
              "Nowhere Film (2010)  <-  Nowhere.Film.2010.mkv\n"
              "Show Name, series  <-  Show.Name.S01E02.720p.HDTV.x264-GRP.mkv   (doubtful)\n"
              "The Shawshank Redemption (1994) [tt0111161]  <-  "
              "The.Shawshank.Redemption.1994.tt0111161.mkv\n"
              "10 video files, 7 titles: 4 sure, 3 doubtful, 1 already in the collection.\n"
              "Nothing was looked up (--dry-run).\n");

    const Run json = run({"scan", "--dry-run", "--json", videos});
    const QJsonArray titles = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(titles.size(), 7) << json.out.toStdString();
    // One word with its year from the folder is doubtful; parts and episodes are one title.
    const std::pair<int, const char*> rows[] = {
        {3, R"({"imdbID":null,"path":"Heat (1995)/Heat.mkv","saved":true,"series":false,)"
            R"("sure":false,"title":"Heat","year":1995})"},
        {5, R"({"imdbID":null,"path":"Show.Name.S01E02.720p.HDTV.x264-GRP.mkv","saved":false,)"
            R"("series":true,"sure":false,"title":"Show Name","year":null})"},
        {6, R"({"imdbID":"tt0111161","path":"The.Shawshank.Redemption.1994.tt0111161.mkv",)"
            R"("saved":false,"series":false,"sure":true,"title":"The Shawshank Redemption",)"
            R"("year":1994})"},
    };
    for (const auto& [row, object] : rows)
        EXPECT_EQ(QJsonDocument(titles[row].toObject()).toJson(QJsonDocument::Compact), object);
    EXPECT_TRUE(json.err.contains("7 titles: 4 sure")) << json.err.toStdString();
    EXPECT_EQ(server.totalRequests(), 0);
}

TEST_F(Scan, AddsWhatIsNotSavedStopsAtTheLimitAndGoesOnNextTime) {
    server.refuseFrom("/", 5, test::OmdbJson(test::ReadFixture("omdb/limit_reached.json")));
    const Run first = run({"scan", videos});
    EXPECT_EQ(first.status, cli::kLimitReached) << first.out.toStdString();
    for (const char* line :
         {"[1/6] added: Casablanca (1942) as Casablanca.txt and Casablanca.jpg\n",
          "[2/6] added: Old Harbour as Old Harbour.txt and Old Harbour.jpg\n",
          "[3/6] added: The Matrix (1999) as The Matrix.txt and The Matrix.jpg\n",
          "[4/6] failed: Nowhere Film (2010): movie not found!\n",
          "Stopped: the OMDb service answered \"Request limit reached!\" for Show Name",
          "6 titles: 3 added, 0 skipped, 1 failed, 2 left.\n"
          "Run the same command again to go on with the 2 titles left: quorvel scan ",
          "Not found:\n  Nowhere Film (2010)  <-  Nowhere.Film.2010.mkv\n"})
        EXPECT_TRUE(first.out.contains(line)) << line << "\n" << first.out.toStdString();
    // The series was asked for as one.
    EXPECT_NE(server.lastRequestTarget().find("t=Show+Name&y=&"), std::string::npos);
    EXPECT_NE(server.lastRequestTarget().find("&type=series"), std::string::npos);

    server.refuseFrom("/", 0, {});
    server.resetCounts();
    const Run second = run({"scan", videos});
    EXPECT_EQ(second.status, cli::kSomeFailed) << second.out.toStdString();
    EXPECT_TRUE(second.out.contains("[2/3] added: Show Name as Show Name.txt and Show Name.jpg\n"
                                    "[3/3] added: tt0111161 as The Shawshank Redemption.txt"))
        << second.out.toStdString();
    EXPECT_TRUE(second.out.contains("3 titles: 2 added, 0 skipped, 1 failed, 0 left.\n"));
    // Only what was not saved is asked: the one not found, the series, the identifier.
    EXPECT_EQ(server.requestCount("/"), 3);
    EXPECT_EQ(test::FolderNames(folder),
              QStringList({"Casablanca.jpg", "Casablanca.txt", "Heat.txt", "Old Harbour.jpg",
                           "Old Harbour.txt", "Show Name.jpg", "Show Name.txt", "The Matrix.jpg",
                           "The Matrix.txt", "The Shawshank Redemption.jpg",
                           "The Shawshank Redemption.txt"}));
    EXPECT_EQ(run({"scan", "--dry-run", videos}).out.count("(in the collection: "), 6);
}

} // namespace
} // namespace quorvel
