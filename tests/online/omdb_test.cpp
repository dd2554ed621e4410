#include "core/infotext.h"
#include "online/http_failure.h"
#include "online/omdb.h"
#include "tests/support/fake_web_server.h"

#include <gtest/gtest.h>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <thread>

namespace quorvel {
namespace {

using test::FakeAnswer;
using test::FakeWebServer;

bool IsAsciiText(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() > 0x7F)
            return false;
    return true;
}

TEST(OmdbQuery, TellsIdentifiersFromTitles) {
    struct Case {
        const char* input;
        bool id;
    };
    const Case cases[] = {
        {"tt0111161", true},   {"TT0111161", true},    {"tt01111610", true}, {"tt011116100", false},
        {"tt", true},          {"tt12a4", false},      {"t", false},         {"", false},
        {"Tt0111161", true},   {"tx0111161", false},   {" tt0111161", true}, {"tt0111161 ", true},
        {"tt 0111161", false}, {"The Machine", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsImdbId(QString::fromLatin1(c.input)), c.id) << c.input;
}

TEST(OmdbQuery, BuildsTheAddressOfATitleOrAnIdentifier) {
    const QString base = QStringLiteral("http://www.omdbapi.com");
    const QString rest = QStringLiteral("&y=&plot=full&r=json");
    EXPECT_EQ(BuildOmdbQuery(base, {}, QStringLiteral("tt0111161")), base + "/?i=tt0111161" + rest);
    EXPECT_EQ(BuildOmdbQuery(base, {}, QStringLiteral("TT0111161")), base + "/?i=TT0111161" + rest);
    EXPECT_EQ(BuildOmdbQuery(base, {}, QStringLiteral("tt011116100")),
              base + "/?t=tt011116100" + rest);
    EXPECT_EQ(BuildOmdbQuery(base, {}, QStringLiteral("tt12a4")), base + "/?t=tt12a4" + rest);
    EXPECT_EQ(BuildOmdbQuery(base, {}, QStringLiteral("The Machine")),
              base + "/?t=The+Machine" + rest);
    EXPECT_EQ(BuildOmdbQuery(base, {}, QStringLiteral("Fast & Furious")),
              base + "/?t=Fast+%26+Furious" + rest);
    EXPECT_EQ(BuildOmdbQuery(base, {}, QStringLiteral("Am\u00e9lie #2")),
              base + "/?t=Am%C3%A9lie+%232" + rest);
    EXPECT_EQ(BuildOmdbQuery(base, QStringLiteral("k3y"), QStringLiteral("Alien")),
              base + "/?t=Alien" + rest + "&apikey=k3y");
    EXPECT_EQ(BuildOmdbQuery(base + "/", {}, QStringLiteral("Alien")), base + "/?t=Alien" + rest);
}

// A title ending in a year in parentheses asks for that year; anything else is the title.
TEST(OmdbQuery, AYearInParenthesesAsksForThatYear) {
    const QString base = QStringLiteral("http://www.omdbapi.com");
    const struct {
        const char* input;
        const char* subject; // after "/?t=" or "/?i="
    } cases[] = {
        {"Dune (1984)", "t=Dune&y=1984"},
        {"Dune", "t=Dune&y="},
        {"Dune(1984)", "t=Dune&y=1984"},
        {"The Fly  (1958) ", "t=The+Fly&y=1958"},
        {"1984 (1956)", "t=1984&y=1956"},
        {"Dune (1984) (2021)", "t=Dune+%281984%29&y=2021"},
        {"Dune (1869)", "t=Dune+%281869%29&y="},
        {"Dune (9999)", "t=Dune+%289999%29&y="},
        {"Dune (84)", "t=Dune+%2884%29&y="},
        {"(1984)", "t=%281984%29&y="},
        {"Dune (1984) extended", "t=Dune+%281984%29+extended&y="},
        {"Dune [1984]", "t=Dune+%5B1984%5D&y="},
        {"tt0087182", "i=tt0087182&y="},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildOmdbQuery(base, {}, QString::fromUtf8(c.input)),
                  base + "/?" + c.subject + "&plot=full&r=json")
            << c.input;
    // The latest year is next year's.
    EXPECT_EQ(SplitTitleYear(QStringLiteral("Heat (2027)"), 2027).year, QStringLiteral("2027"));
    EXPECT_EQ(SplitTitleYear(QStringLiteral("Heat (2028)"), 2027).title,
              QStringLiteral("Heat (2028)"));
    EXPECT_EQ(SplitTitleYear(QStringLiteral("Heat (1870)"), 2027).year, QStringLiteral("1870"));
    // A search asks the same way, one page at a time.
    EXPECT_EQ(
        BuildOmdbSearchQuery(base, QStringLiteral("k3y"), QStringLiteral("The Fly (1986)"), 3),
        base + "/?s=The+Fly&y=1986&page=3&r=json&apikey=k3y");
}

TEST(OmdbAscii, DropsAccentsAndMarksWhatHasNoAsciiForm) {
    EXPECT_EQ(ReduceToAscii(QStringLiteral("Am\u00e9lie Poulain \u2013 L\u00e9on: \u00e7a, "
                                           "\u00c6on, Stra\u00dfe")),
              QStringLiteral("Amelie Poulain - Leon: ca, AEon, Strasse"));
    EXPECT_EQ(ReduceToAscii(QStringLiteral("2004\u20132009")), QStringLiteral("2004-2009"));
    EXPECT_EQ(ReduceToAscii(QStringLiteral("\u4e03\u4eba\u306e\u4f8d")), QStringLiteral("????"));
    // A character beyond the first plane is one "?", not two.
    EXPECT_EQ(ReduceToAscii(QStringLiteral("a\U0001F3ACb")), QStringLiteral("a?b"));
    EXPECT_EQ(ReduceToAscii(QStringLiteral("plain")), QStringLiteral("plain"));
}

// Long texts are reduced piece by piece: wherever a piece ends (in a run of accents, between a
// letter and its combining accent, inside a pair), the result is the one of each unit alone.
TEST(OmdbAscii, ALongTextGivesWhatEachOfItsPartsGives) {
    const std::pair<QString, QString> units[] = {
        {QStringLiteral("Am\u00e9lie \u2013 \u00c6on, Stra\u00dfe. "),
         QStringLiteral("Amelie - AEon, Strasse. ")},
        {QStringLiteral("e\u0301\u00e0\u00e7\u00f1\u00f8"), QStringLiteral("eacno")},
        {QStringLiteral("\u4e03\U0001F3ACx"), QStringLiteral("??x")},
        {QStringLiteral("\u00e9"), QStringLiteral("e")},
    };
    for (const auto& [unit, reduced] : units) {
        QString text;
        QString expected;
        // 3001 units: every offset of a unit meets a piece boundary somewhere.
        for (int i = 0; i < 3001; ++i) {
            text += unit;
            expected += reduced;
        }
        EXPECT_EQ(ReduceToAscii(text), expected) << reduced.toStdString();
    }
}

// The reference: ICU over the whole text at once, then "?" for each code point left over.
QString WholeTextReduction(const QString& text) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> latin(icu::Transliterator::createInstance(
        icu::UnicodeString::fromUTF8("Latin-ASCII"), UTRANS_FORWARD, status));
    icu::UnicodeString unicode(reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()));
    latin->transliterate(unicode);
    QString out;
    for (const char32_t c :
         QString(reinterpret_cast<const QChar*>(unicode.getBuffer()), unicode.length()).toUcs4())
        out += c < 0x80 ? QChar(char16_t(c)) : QChar(u'?');
    return out;
}

TEST(OmdbAscii, MixedTextsGiveWhatTheWholeTextGives) {
    // Letters with and without their marks, lone and stacked marks, a mark of class 0 (U+034F),
    // Hangul jamo that compose, a decomposing singleton, other scripts, pairs, ASCII.
    const QStringList pool{
        "a",          " ",      "\u00e9",      "e\u0301", "\u0301", "\u0323\u0302",
        "\u034f",     "\u00c6", "\u00df",      "\u1100",  "\u1161", "\uac00",
        "\u212b",     "\u01c5", "\u0344",      "\u4e03",  "\u2013", "\u03ac",
        "\U0001F3AC", "9",      "\u1e0b\u0323"};
    std::mt19937 random(20261209);
    for (int round = 0; round < 20; ++round) {
        QString text;
        while (text.size() < 3000)
            text += pool[qsizetype(random() % pool.size())];
        ASSERT_EQ(ReduceToAscii(text), WholeTextReduction(text)) << "round " << round;
    }
}

TEST(OmdbParse, ReadsFieldsAsTextAndMissingOnesAsNotAvailable) {
    const Result<OmdbAnswer> answer = ParseOmdbAnswer(QStringLiteral(
        R"({"Title":"Caf\u00e9 Society","Year":"2016","totalSeasons":6,"rating":7.5,)"
        R"("Response":"True","flag":false,"nothing":null})"));
    ASSERT_TRUE(answer.ok()) << answer.error().toStdString();
    EXPECT_TRUE(answer->found());
    EXPECT_EQ(answer->title(), QStringLiteral("Cafe Society"));
    EXPECT_EQ(answer->field(QStringLiteral("totalSeasons")), QStringLiteral("6"));
    EXPECT_EQ(answer->field(QStringLiteral("rating")), QStringLiteral("7.5"));
    EXPECT_EQ(answer->field(QStringLiteral("flag")), QStringLiteral("false"));
    EXPECT_EQ(answer->field(QStringLiteral("nothing")), QStringLiteral("N/A"));
    EXPECT_EQ(answer->field(QStringLiteral("Plot")), QStringLiteral("N/A"));
    EXPECT_EQ(answer->field(QStringLiteral("title")), QStringLiteral("N/A")); // keys keep case
    EXPECT_EQ(answer->posterAddress(), QStringLiteral("N/A"));
    EXPECT_TRUE(answer->serviceError().isEmpty());

    const QStringList values = answer->infoValues();
    ASSERT_EQ(values.size(), 17);
    EXPECT_EQ(values[1], QStringLiteral("2016")); // YEAR
    EXPECT_EQ(values[0], QStringLiteral("N/A"));  // TYPE absent
}

TEST(OmdbParse, ControlCharactersInValuesBecomeBlanks) {
    const Result<OmdbAnswer> answer = ParseOmdbAnswer(QStringLiteral(
        R"({"Response":"True","Title":"Ronin\u0000.txt\tx\ny","Plot":"One\r\ntwo\u001fthree\u007f",)"
        R"("Genre":["A\nB"]})"));
    ASSERT_TRUE(answer.ok()) << answer.error().toStdString();
    EXPECT_EQ(answer->title(), QStringLiteral("Ronin .txt x y"));
    EXPECT_EQ(answer->field(QStringLiteral("Plot")), QStringLiteral("One  two three "));
    EXPECT_EQ(answer->field(QStringLiteral("Genre")), QStringLiteral(R"(["A B"])"));
    const QStringList record = ComposeInfoText(answer->title(), answer->infoValues());
    EXPECT_EQ(record.size(), kInfoTextLineCount);
    for (const QString& line : record)
        for (const QChar c : line)
            EXPECT_FALSE(c.unicode() < 0x20 || c.unicode() == 0x7F) << line.toStdString();
}

TEST(OmdbParse, NotFoundOnlyWhenTheServiceFoundNothing) {
    struct Case {
        const char* response; // nullptr: no member
        const char* error;    // nullptr: no member
        bool notFound;
    };
    const Case cases[] = {
        {"False", "Movie not found!", true},
        {"False", "Series or episode not found!", true},
        {"False", "Series or season not found!", true},
        {"False", "Incorrect IMDb ID.", true},
        {"False", nullptr, true},
        {"False", "", true},
        {"False", "Something went wrong.", false},
        {"False", "Invalid API key!", false},
        {"False", "Request limit reached!", false},
        {"False", "Too many results.", false},
        {"True", "Movie not found!", false},
        {nullptr, "Movie not found!", false},
        {"false", "Movie not found!", false},
    };
    for (const Case& c : cases) {
        QJsonObject object;
        if (c.response)
            object.insert("Response", c.response);
        if (c.error)
            object.insert("Error", c.error);
        EXPECT_EQ(OmdbAnswer(object).notFound(), c.notFound)
            << (c.response ? c.response : "-") << " / " << (c.error ? c.error : "-");
    }
}

TEST(OmdbParse, RefusesWhatIsNotAJsonObject) {
    for (const char* text : {"", "[1,2]", "\"True\"", "<html>Service down</html>", "{\"Title\":"}) {
        const Result<OmdbAnswer> answer = ParseOmdbAnswer(QString::fromLatin1(text));
        EXPECT_FALSE(answer.ok()) << text;
        EXPECT_FALSE(answer.error().isEmpty()) << text;
    }
}

TEST(OmdbParse, FoundOnlyForResponseTrue) {
    for (const char* text : {R"({"Response":"true"})", R"({"Response":true})", R"({"Title":"X"})",
                             R"({"Response":"True "})"}) {
        const Result<OmdbAnswer> answer = ParseOmdbAnswer(QString::fromLatin1(text));
        ASSERT_TRUE(answer.ok()) << text;
        EXPECT_FALSE(answer->found()) << text;
    }
}

TEST(OmdbParse, TellsRefusalsFromUnknownTitles) {
    struct Case {
        const char* error;
        bool refused;
    };
    const Case cases[] = {
        {"No API key provided.", true},
        {"Invalid API key!", true},
        {"Request limit reached!", true},
        {"This key is not activated", true},
        {"Movie not found!", false},
        {"Incorrect IMDb ID.", false},
        {"Series or season not found!", false},
        {"Too many results.", false},
        {"", false},
    };
    for (const Case& c : cases) {
        QJsonObject object{{"Response", "False"}};
        if (*c.error)
            object.insert("Error", c.error);
        const OmdbAnswer answer(object);
        EXPECT_EQ(answer.refused(), c.refused) << c.error;
        EXPECT_EQ(answer.serviceError(), QString::fromLatin1(c.error));
    }
    // A found answer is never a refusal, whatever else it carries.
    EXPECT_FALSE(
        OmdbAnswer(QJsonObject{{"Response", "True"}, {"Error", "Invalid API key!"}}).refused());
}

// An answer that found nothing is told in the service's own words, or plainly when it has none.
TEST(OmdbParse, TheRefusalReasonIsTheServicesOwnWords) {
    const QString none = "the OMDb service gave no usable answer";
    const std::pair<QJsonObject, QString> cases[] = {
        {{{"Response", "False"}, {"Error", "Invalid API key!"}}, "Invalid API key!"},
        {{{"Response", "False"}, {"Error", QJsonValue()}}, none},
        {{{"Response", "False"}}, none},
    };
    for (const auto& [object, reason] : cases)
        EXPECT_EQ(RefusalReason(OmdbAnswer(object)), reason) << reason.toStdString();
}

// Recorded search answers: texts kept as the service wrote them, the count of all pages.
TEST(OmdbSearchParse, ReadsRecordedPagesAndTheAnswersWithoutMatches) {
    const struct {
        const char* fixture;
        qsizetype matches;
        qint64 total;
        const char* row; // "id|title|year|type" of the row at `at`, or the shown text
        int at;
        bool notFound, refused;
    } cases[] = {
        {"search_dune_page1.json", 10, 27, "tt1160419|Dune|2021|movie", 1, false, false},
        {"search_dune_page1.json", 10, 27, "tt0398432|Die D\u00fcne/La dune|2004|movie", 6, false,
         false},
        {"search_dune_page1.json", 10, 27, "tt0165327|Dunes d'\u00c9gypte|1998|movie", 9, false,
         false},
        {"search_dune_page2.json", 10, 27, "tt0270520|Dune II: The Building of a Dynasty|1992|game",
         2, false, false},
        {"search_dune_page2.json", 10, 27,
         "tt6807286|Dune: The Sisterhood Chronicles|2017\u20132022|series", 4, false, false},
        {"too_many.json", 0, 0,
         "Too many titles match \"Dune\" for the OMDb service to list "
         "them: type more of the title, or its year as in \"Dune (1984)\".",
         -1, false, false},
        {"not_found.json", 0, 0, "The OMDb service knows no title named \"Dune\".", -1, true,
         false},
        {"invalid_key.json", 0, 0, "Invalid API key!", -1, false, true},
        {"limit_reached.json", 0, 0, "Request limit reached!", -1, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        const Result<OmdbSearchPage> page = ParseOmdbSearch(
            QString::fromStdString(test::ReadFixture(std::string("omdb/") + c.fixture)));
        ASSERT_TRUE(page.ok()) << page.error().toStdString();
        EXPECT_EQ(page->matches.size(), c.matches);
        EXPECT_EQ(page->totalResults, c.total);
        EXPECT_EQ(page->status.notFound(), c.notFound);
        EXPECT_EQ(page->status.refused(), c.refused);
        if (c.at < 0) {
            EXPECT_EQ(NoMatchText(*page, QStringLiteral("Dune"), 1), QString::fromUtf8(c.row));
            continue;
        }
        const OmdbMatch& m = page->matches.at(c.at);
        EXPECT_EQ(QStringList({m.imdbId, m.title, m.year, m.type}).join(u'|'),
                  QString::fromUtf8(c.row));
    }
}

TEST(OmdbSearchParse, LeavesOutWhatCannotBeLookedUp) {
    const Result<OmdbSearchPage> page = ParseOmdbSearch(QStringLiteral(
        R"({"Search":[{"Title":"No id","Year":"1999"},{"Title":"Bad id","imdbID":"nm0000001"},)"
        R"({"Title":"Two\nlines","Year":1999,"imdbID":" tt0000001 ","Type":"movie"},7],)"
        R"("totalResults":"many","Response":"True"})"));
    ASSERT_TRUE(page.ok());
    ASSERT_EQ(page->matches.size(), 1);
    const OmdbMatch& m = page->matches.first();
    EXPECT_EQ(QStringList({m.imdbId, m.title, m.year, m.type, m.poster}).join(u'|'),
              QStringLiteral("tt0000001|Two lines|1999|movie|N/A"));
    EXPECT_EQ(page->totalResults, 1);
    // A found page past the last one holds nothing: said as such.
    const Result<OmdbSearchPage> empty =
        ParseOmdbSearch(QStringLiteral(R"({"Search":[],"totalResults":"27","Response":"True"})"));
    EXPECT_EQ(NoMatchText(*empty, QStringLiteral("Dune"), 4),
              QStringLiteral("The OMDb service has no more titles named \"Dune\" after page 3."));
    EXPECT_FALSE(ParseOmdbSearch(QStringLiteral("<html>down</html>")).ok());
}

class OmdbService : public ::testing::Test {
protected:
    QString query(const QString& input, const QString& key = {}) const {
        return BuildOmdbQuery(server.baseAddress(), key, input);
    }

    FakeWebServer server;
};

TEST_F(OmdbService, OneRequestGivesTheWholeRecordAndThePoster) {
    server.serveOmdbTitle("The Shawshank Redemption", "omdb/shawshank.json");
    server.serveFixture("/posters/shawshank.jpg", "omdb/poster.jpg", "image/jpeg");

    const Result<OmdbAnswer> answer =
        FetchOmdbAnswer(query(QStringLiteral("The Shawshank Redemption"), QStringLiteral("k3y")));
    ASSERT_TRUE(answer.ok()) << answer.error().toStdString();
    EXPECT_EQ(server.requestCount("/"), 1);
    EXPECT_EQ(server.lastRequestTarget(),
              "/?t=The+Shawshank+Redemption&y=&plot=full&r=json&apikey=k3y");
    EXPECT_TRUE(answer->found());
    EXPECT_FALSE(answer->refused());
    EXPECT_EQ(answer->title(), QStringLiteral("The Shawshank Redemption"));

    const QStringList expected{
        "movie",
        "1994",
        "Drama",
        "R",
        "14 Oct 1994",
        "142 min",
        "Frank Darabont",
        "Stephen King, Frank Darabont",
        "Tim Robbins, Morgan Freeman, Bob Gunton",
        "English",
        "United States",
        "Nominated for 7 Oscars. 21 wins & 42 nominations total",
        "82",
        "9.3",
        "2,811,440",
        "tt0111161",
        "Over the course of several years, two convicts form a friendship, seeking consolation "
        "and, eventually, redemption through basic compassion."};
    EXPECT_EQ(answer->infoValues(), expected);
    EXPECT_EQ(ComposeInfoText(answer->title(), answer->infoValues()).size(), kInfoTextLineCount);
    EXPECT_EQ(server.requestCount("/"), 1);

    HttpClient posterClient(HttpSettings{.maxBytes = kImageSizeCap, .cookies = true});
    const Result<QByteArray> poster = DownloadPoster(posterClient, answer->posterAddress());
    ASSERT_TRUE(poster.ok()) << poster.error().toStdString();
    EXPECT_EQ(*poster, QByteArray::fromStdString(test::ReadFixture("omdb/poster.jpg")));
    EXPECT_EQ(server.totalRequests(), 2);
}

TEST_F(OmdbService, AnIdentifierQueryIsAnsweredTheSameWay) {
    server.serveOmdbId("tt0111161", "omdb/shawshank.json");
    server.serveOmdbId("tt9999999", "omdb/incorrect_id.json");
    const Result<OmdbAnswer> known = FetchOmdbAnswer(query(QStringLiteral("tt0111161")));
    ASSERT_TRUE(known.ok()) << known.error().toStdString();
    EXPECT_EQ(known->field(QStringLiteral("imdbID")), QStringLiteral("tt0111161"));

    const Result<OmdbAnswer> unknown = FetchOmdbAnswer(query(QStringLiteral("tt9999999")));
    ASSERT_TRUE(unknown.ok());
    EXPECT_FALSE(unknown->found());
    EXPECT_FALSE(unknown->refused());
    EXPECT_EQ(unknown->serviceError(), QStringLiteral("Incorrect IMDb ID."));
}

TEST_F(OmdbService, NotFoundAndRefusalsKeepTheServiceText) {
    server.serveOmdbTitle("Nothing Like It", "omdb/not_found.json");
    server.serveOmdbTitle("No Key", "omdb/no_api_key.json", 401);
    server.serveOmdbTitle("Bad Key", "omdb/invalid_key.json", 401);
    server.serveOmdbTitle("Too Often", "omdb/limit_reached.json", 401);

    const Result<OmdbAnswer> missing = FetchOmdbAnswer(query(QStringLiteral("Nothing Like It")));
    ASSERT_TRUE(missing.ok()) << missing.error().toStdString();
    EXPECT_FALSE(missing->found());
    EXPECT_FALSE(missing->refused());
    EXPECT_EQ(missing->serviceError(), QStringLiteral("Movie not found!"));

    const std::pair<const char*, const char*> refusals[] = {
        {"No Key", "No API key provided."},
        {"Bad Key", "Invalid API key!"},
        {"Too Often", "Request limit reached!"},
    };
    for (const auto& [title, error] : refusals) {
        const Result<OmdbAnswer> answer = FetchOmdbAnswer(query(QString::fromLatin1(title)));
        ASSERT_TRUE(answer.ok()) << title << ": " << answer.error().toStdString();
        EXPECT_FALSE(answer->found()) << title;
        EXPECT_TRUE(answer->refused()) << title;
        EXPECT_EQ(answer->serviceError(), QString::fromLatin1(error));
    }
    EXPECT_EQ(server.requestCount("/"), 4);
}

TEST_F(OmdbService, AnswersThatCannotBeReadFail) {
    server.routeQuery("/", "t", "Broken", FakeAnswer{.status = 500, .body = "Internal error"});
    server.routeQuery("/", "t", "Html", FakeAnswer{.body = "<html><body>Hello</body></html>"});
    FakeAnswer silent;
    silent.kind = FakeAnswer::Kind::NeverAnswer;
    server.routeQuery("/", "t", "Silent", silent);
    FakeAnswer flood;
    flood.kind = FakeAnswer::Kind::Flood;
    flood.floodBytes = kPageSizeCap + 1;
    server.routeQuery("/", "t", "Sized Flood", flood);
    flood.chunked = true;
    server.routeQuery("/", "t", "Chunked Flood", flood);

    const HttpSettings shortWait{.connectTimeoutMs = 500, .totalTimeoutMs = 500};
    for (const char* title : {"Broken", "Html", "Silent", "Sized Flood", "Chunked Flood"}) {
        const Result<OmdbAnswer> answer =
            FetchOmdbAnswer(query(QString::fromLatin1(title)), shortWait);
        EXPECT_FALSE(answer.ok()) << title;
        EXPECT_FALSE(answer.error().isEmpty()) << title;
    }
    EXPECT_TRUE(
        FetchOmdbAnswer(query(QStringLiteral("Broken"))).error().contains(QStringLiteral("500")));
}

// What the window shows after "<input>: " for each way a search can fail.
TEST_F(OmdbService, EachFailureSaysWhatHappened) {
    QString refusedAddress;
    {
        FakeWebServer gone;
        refusedAddress = BuildOmdbQuery(gone.baseAddress(), {}, QStringLiteral("Alien"));
    }
    server.routeQuery("/", "t", "Down", FakeAnswer{.status = 503, .body = "<h1>Unavailable</h1>"});
    server.routeQuery("/", "t", "Html", FakeAnswer{.body = "<html><body>Hello</body></html>"});
    server.routeQuery("/", "t", "List",
                      FakeAnswer{.contentType = "application/json", .body = "[]"});
    server.routeQuery("/", "t", "Odd", FakeAnswer{.contentType = "application/json", .body = "{}"});
    server.routeQuery("/", "t", "Odd Down", FakeAnswer{.status = 500, .body = "{\"a\":1}"});
    FakeAnswer silent;
    silent.kind = FakeAnswer::Kind::NeverAnswer;
    server.routeQuery("/", "t", "Silent", silent);
    FakeAnswer flood;
    flood.kind = FakeAnswer::Kind::Flood;
    flood.floodBytes = kPageSizeCap + 1;
    flood.chunked = true;
    server.routeQuery("/", "t", "Flood", flood);

    const std::pair<QString, const char*> cases[] = {
        {refusedAddress, "could not connect to the OMDb service (connection refused)"},
        {query(QStringLiteral("Down")), "the OMDb service answered HTTP 503"},
        {query(QStringLiteral("Html")), "the OMDb service sent an answer that is not JSON"},
        {query(QStringLiteral("List")),
         "the OMDb service sent an answer that is not a JSON object"},
        {query(QStringLiteral("Odd")), "the OMDb service sent an answer without a result"},
        {query(QStringLiteral("Odd Down")), "the OMDb service answered HTTP 500"},
        {query(QStringLiteral("Silent")), "the OMDb service did not answer within 0.5 seconds"},
        {query(QStringLiteral("Flood")), "the answer of the OMDb service is larger than 8 MiB"},
    };
    const HttpSettings shortWait{.connectTimeoutMs = 500, .totalTimeoutMs = 500};
    for (const auto& [address, message] : cases) {
        const Result<OmdbAnswer> answer = FetchOmdbAnswer(address, shortWait);
        EXPECT_FALSE(answer.ok()) << message;
        EXPECT_EQ(answer.error(), QString::fromLatin1(message));
    }
    EXPECT_EQ(DurationText(30'000), QStringLiteral("30 seconds"));
    EXPECT_EQ(DurationText(1'000), QStringLiteral("1 second"));

    // The service's own errors are answers, whatever the status, for the window to show.
    server.routeQuery(
        "/", "t", "Wrong",
        FakeAnswer{.status = 503,
                   .body = R"({"Response":"False","Error":"Something went wrong."})"});
    const Result<OmdbAnswer> wrong = FetchOmdbAnswer(query(QStringLiteral("Wrong")));
    ASSERT_TRUE(wrong.ok()) << wrong.error().toStdString();
    EXPECT_FALSE(wrong->notFound());
    EXPECT_EQ(wrong->serviceError(), QStringLiteral("Something went wrong."));
}

TEST_F(OmdbService, ACancelledSearchOrPosterSaysSo) {
    server.setDelay(std::chrono::seconds(5));
    server.serveOmdbTitle("Alien", "omdb/shawshank.json");
    server.serveFixture("/posters/p.jpg", "omdb/poster.jpg", "image/jpeg");
    std::atomic<bool> flag{false};
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        flag = true;
    });
    const Result<OmdbAnswer> answer =
        FetchOmdbAnswer(query(QStringLiteral("Alien")), HttpSettings{.cancel = &flag});
    canceller.join();
    EXPECT_EQ(answer.error(), QString::fromLatin1(kCancelledText));

    HttpClient posterClient(HttpSettings{.cookies = true});
    const Result<QByteArray> poster =
        DownloadPoster(posterClient, server.address("/posters/p.jpg"), &flag);
    EXPECT_EQ(poster.error(), QString::fromLatin1(kCancelledText));
}

TEST_F(OmdbService, AccentsAndDashesReachTheRecordAsAscii) {
    server.serveOmdbTitle("Amelie", "omdb/amelie.json");
    server.serveOmdbTitle("Lost", "omdb/lost_series.json");

    const Result<OmdbAnswer> amelie = FetchOmdbAnswer(query(QStringLiteral("Amelie")));
    ASSERT_TRUE(amelie.ok()) << amelie.error().toStdString();
    EXPECT_EQ(amelie->title(), QStringLiteral("Le fabuleux destin d'Amelie Poulain"));
    // Escaped and curly-quoted text both arrive reduced, and the quotes do not break the answer.
    EXPECT_EQ(amelie->field(QStringLiteral("Plot")),
              QStringLiteral("Amelie, an innocent and naive girl in Paris, says \"merci\" to the "
                             "cafe and decides to help those around her."));
    for (const QString& value : amelie->infoValues())
        EXPECT_TRUE(IsAsciiText(value)) << value.toStdString();
    EXPECT_EQ(amelie->field(QStringLiteral("BoxOffice")), QStringLiteral("N/A"));

    const Result<OmdbAnswer> lost = FetchOmdbAnswer(query(QStringLiteral("Lost")));
    ASSERT_TRUE(lost.ok()) << lost.error().toStdString();
    EXPECT_EQ(lost->field(QStringLiteral("Year")), QStringLiteral("2004-2010"));
    EXPECT_EQ(lost->field(QStringLiteral("totalSeasons")), QStringLiteral("6"));
}

TEST_F(OmdbService, PosterAddressesThatMustNotBeRequested) {
    HttpClient posterClient(HttpSettings{.maxBytes = kImageSizeCap, .cookies = true});
    for (const char* address :
         {"N/A", "", "file:///etc/passwd", "ftp://127.0.0.1/p.jpg", "/posters/p.jpg"}) {
        const Result<QByteArray> poster =
            DownloadPoster(posterClient, QString::fromLatin1(address));
        EXPECT_FALSE(poster.ok()) << address;
        EXPECT_FALSE(poster.error().isEmpty()) << address;
    }
    EXPECT_EQ(server.totalRequests(), 0);
}

TEST_F(OmdbService, PosterFailuresOnTheServer) {
    FakeAnswer toFile;
    toFile.kind = FakeAnswer::Kind::Redirect;
    toFile.location = "file:///etc/passwd";
    server.route("/posters/moved.jpg", toFile);
    FakeAnswer huge;
    huge.kind = FakeAnswer::Kind::Flood;
    huge.floodBytes = kImageSizeCap + 1;
    huge.chunked = true;
    huge.contentType = "image/jpeg";
    server.route("/posters/huge.jpg", huge);
    server.serveFixture("/posters/fine.jpg", "omdb/poster.jpg", "image/jpeg");

    // A client built with a larger cap still stops a poster at the image cap.
    HttpClient posterClient(HttpSettings{.maxBytes = 4 * kImageSizeCap, .cookies = true});
    for (const char* path : {"/posters/missing.jpg", "/posters/moved.jpg", "/posters/huge.jpg"}) {
        const Result<QByteArray> poster = DownloadPoster(posterClient, server.address(path));
        EXPECT_FALSE(poster.ok()) << path;
    }
    // ... and the long-lived client goes on serving.
    const Result<QByteArray> fine =
        DownloadPoster(posterClient, server.address("/posters/fine.jpg"));
    ASSERT_TRUE(fine.ok()) << fine.error().toStdString();
    EXPECT_FALSE(fine->isEmpty());
}

} // namespace
} // namespace quorvel
