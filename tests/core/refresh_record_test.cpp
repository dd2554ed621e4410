// The rule a refresh from the service follows, and the release dates records carry.

#include "core/collection.h"
#include "core/infotext.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace quorvel {
namespace {

TEST(InfoTextNotes, AreTheLinesAfterTheSectionLabelWithTheClosingEmptyLinesDropped) {
    struct Row {
        const char* name;
        QStringList lines, notes;
    };
    const std::vector<Row> rows = {
        {"fresh from a search", {"T", "", "PLOT", "p", "", "ANY", ""}, {}},
        {"with a gap", {"T", "", "ANY", "one", "", "two", "", ""}, {"one", "", "two"}},
        {"a note reading ANY", {"T", "", "ANY", "x", "", "ANY", "y", ""}, {"x", "", "ANY", "y"}},
        {"title ANY, no section", {"ANY", "", "TYPE", "movie", ""}, {}},
        {"no label", {"T", "", "TYPE", "movie", ""}, {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(InfoTextNotes(row.lines), row.notes) << row.name;
}

TEST(RefreshedInfoText, TakesEveryFetchedFieldButTheStoredIdentifierAndKeepsTheNotes) {
    QStringList values;
    for (int i = 1; i <= 17; ++i)
        values << QString("v%1").arg(i);
    const QStringList lines = RefreshedInfoText("New", values, "tt0000042", {"a", "", "b"});
    const QStringList expected = {
        "New", "", "TYPE",      "v1",        "", "YEAR",        "v2",  "", "GENRE",
        "v3",  "", "RATED",     "v4",        "", "RELEASED",    "v5",  "", "RUNTIME",
        "v6",  "", "DIRECTOR",  "v7",        "", "WRITER",      "v8",  "", "ACTORS",
        "v9",  "", "LANGUAGE",  "v10",       "", "COUNTRY",     "v11", "", "AWARDS",
        "v12", "", "METASCORE", "v13",       "", "IMDB RATING", "v14", "", "IMDB VOTES",
        "v15", "", "IMDB ID",   "tt0000042", "", "PLOT",        "v17", "", "ANY",
        "a",   "", "b",         ""};
    EXPECT_EQ(lines, expected);
    // Without notes the record is exactly what a search gives: 55 lines.
    EXPECT_EQ(RefreshedInfoText("New", values, "tt0000042", {}).size(), 55);
}

TEST(ReleaseDate, ReadsTheServicesAndTheLocalesMonthNamesAndWritesTheLocales) {
    const QLocale french(QLocale::French, QLocale::France);
    struct Row {
        QString text;
        QLocale locale;
        QDate date; // invalid: not a date
    };
    const std::vector<Row> rows = {
        {"13 Nov 2015", QLocale::c(), QDate(2015, 11, 13)},
        {"13 Nov 2015", french, QDate(2015, 11, 13)},
        {"5 Jan 2016", QLocale::c(), QDate(2016, 1, 5)},
        {"05 janv. 2016", french, QDate(2016, 1, 5)},
        {"2015", QLocale::c(), {}},
        {"31 Feb 2015", QLocale::c(), {}},
        {"N/A", QLocale::c(), {}},
    };
    for (const Row& row : rows) {
        const std::optional<QDate> date = ParseReleaseDate(row.text, row.locale);
        EXPECT_EQ(date.value_or(QDate()), row.date) << row.text.toStdString();
    }
    EXPECT_EQ(FormatReleaseDate(QDate(2016, 1, 5), QLocale::c()), "05 Jan 2016");
    EXPECT_EQ(FormatReleaseDate(QDate(2016, 1, 5), french), "05 janv. 2016");
}

TEST(StaysInFolder, RefusesNamesThatLeaveTheFolder) {
    for (const char* name : {"Face/Off", ".", "..", "/abs", "a/"})
        EXPECT_FALSE(StaysInFolder(QString::fromLatin1(name))) << name;
    for (const char* name : {"Heat", "...", ".hidden", "Face\\Off", "No_Name"})
        EXPECT_TRUE(StaysInFolder(QString::fromLatin1(name))) << name;
}

} // namespace
} // namespace quorvel
