#include "core/infotext.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace quorvel {
namespace {

using test::ReadFileBytes;

QStringList HeatValues() {
    return {"movie",
            "1995",
            "Crime, Drama",
            "R",
            "15 Dec 1995",
            "170 min",
            "Michael Mann",
            "Michael Mann",
            "Al Pacino, Robert De Niro",
            "English, Spanish",
            "USA",
            "N/A",
            "76",
            "8.3",
            "650,000",
            "tt0113277",
            "A group of thieves..."};
}

TEST(ComposeInfoText, GivesFiftyFiveLinesWithLabelsAtTheirFixedPositions) {
    const QStringList values = HeatValues();
    const QStringList lines = ComposeInfoText("Heat", values);
    ASSERT_EQ(lines.size(), kInfoTextLineCount);
    EXPECT_EQ(lines.at(0), "Heat");
    EXPECT_EQ(lines.at(1), "");
    for (int n = 1; n <= 17; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(lines.at(3 * n - 1), QString::fromLatin1(kInfoSections[n - 1].label));
        EXPECT_EQ(lines.at(3 * n), values.at(n - 1));
        EXPECT_EQ(lines.at(3 * n + 1), "");
    }
    EXPECT_EQ(lines.at(53), "ANY");
    EXPECT_EQ(lines.at(54), "");
    EXPECT_EQ(lines.at(47), "IMDB ID");
    EXPECT_EQ(lines.at(50), "PLOT");
}

TEST(ComposeInfoText, MissingValuesBecomeEmptyValueLines) {
    const QStringList lines = ComposeInfoText("Short", {"movie", "2001"});
    ASSERT_EQ(lines.size(), kInfoTextLineCount);
    EXPECT_EQ(lines.at(6), "2001");
    EXPECT_EQ(lines.at(9), "");
    EXPECT_EQ(lines.at(51), "");
    EXPECT_EQ(lines.at(53), "ANY");
}

// Every section in table order, whatever order the values come in; a label the table lacks
// adds nothing, a label given no lines stands with its closing empty line only.
TEST(ComposeRecord, LaysOutTheGivenValueLinesUnderTheirLabelsInTableOrder) {
    const QStringList none = ComposeRecord("Heat", {});
    EXPECT_EQ(none.mid(0, 5), (QStringList{"Heat", "", "TYPE", "", "YEAR"}));
    EXPECT_EQ(none.mid(34), (QStringList{"PLOT", "", "ANY", ""}));
    const QStringList edited = ComposeRecord(
        "Heat", {{"ANY", {"a", "", "b"}}, {"PLOT", {"1", "2"}}, {"X", {"x"}}, {"TYPE", {"m"}}});
    EXPECT_EQ(edited.mid(2, 4), (QStringList{"TYPE", "m", "", "YEAR"}));
    EXPECT_EQ(edited.mid(35), (QStringList{"PLOT", "1", "2", "", "ANY", "a", "", "b", ""}));
}

TEST(ComposeRecord, ComposedLabelLinesAreThoseOfARecordFreshFromASearch) {
    const std::pair<const char*, qsizetype> cases[] = {{"TYPE", 2}, {"IMDB ID", 47}, {"PLOT", 50},
                                                       {"ANY", 53}, {"Plot", -1},    {" TYPE", -1}};
    for (const auto& [label, line] : cases)
        EXPECT_EQ(ComposedLabelLine(label), line) << label;
}

TEST(InfoTextImdbId, TakesTheLineAfterTheLastExactLabelAndSaysWhenThereIsNone) {
    struct Case {
        const char* name;
        QStringList lines;
        QString id;
        bool found; // false: no line is the label
    };
    const Case cases[] = {
        {"composed", ComposeInfoText("Heat", HeatValues()), "tt0113277", true},
        {"twice: the second wins", {"IMDB ID", "tt1", "", "IMDB ID", "tt2", ""}, "tt2", true},
        {"other letter case is no label", {"imdb id", "tt1", "Imdb Id", "tt2"}, "", false},
        {"blanks make no label", {" IMDB ID", "tt1", "IMDB ID ", "tt2"}, "", false},
        {"label on the last line", {"IMDB ID", "tt1", "IMDB ID"}, "", true},
        {"no label", {"Heat", "", "YEAR", "1995"}, "", false},
        {"empty value line", {"IMDB ID", "", "PLOT"}, "", true},
        {"nothing", {}, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<QString> id = InfoTextImdbId(c.lines);
        EXPECT_EQ(id.has_value(), c.found);
        EXPECT_EQ(id.value_or(QString()), c.id);
    }
}

TEST(InfoTextFilters, GenreIsLookedForOnlyOnTheLineAfterAnExactLabel) {
    const struct {
        QStringList lines;
        const char* genre;
        bool has;
    } rows[] = {
        {{"GENRE", "Musical, Drama"}, "MUSIC", true},
        {{"GENRE", "Action, Sci-Fi"}, "SCI-FI", true},
        {{"GENRE", "Action, Sci-Fi"}, "ACTION", true},
        {{"Genre", "Action"}, "ACTION", false},
        {{" GENRE ", "Comedy"}, "COMEDY", true},
        {{"\tGENRE\r", "comedy"}, "COMEDY", true},
        {{"Comedy", "GENRE"}, "COMEDY", false},          // a last label has nothing after it
        {{"GENRE", "Drama", "Comedy"}, "COMEDY", false}, // the one line after the label
        {{"GENRE", "Drama", "", "GENRE", "War"}, "WAR", true},
        {{"GENRE", "Ação"}, "AÇÃO", false}, // only a to z change case
        {{"GENRE", "Drama"}, "", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lines.join('|').toStdString() + " / " + row.genre);
        EXPECT_EQ(InfoTextHasGenre(row.lines, QString::fromUtf8(row.genre)), row.has);
    }
}

TEST(InfoTextFilters, AQueryIsFoundInAnyUpperCasedLineButNeverWhenEmpty) {
    const QStringList lines{"Alien", "", "DIRECTOR", "Ridley Scott", "élan vital "};
    const struct {
        const char* query;
        bool found;
    } rows[] = {
        {"RIDLEY SCOTT", true}, {"DLEY SC", true}, {"ALIEN", true},       {"", false},
        {"ÉLAN", false},        {"VITAL ", true},  {"SCOTT ÉLAN", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.query);
        EXPECT_EQ(InfoTextContains(lines, QString::fromUtf8(row.query)), row.found);
    }
}

TEST(InfoFieldValue, JoinsTheValueLinesOfEverySectionUpToTheEmptyLine) {
    const QStringList record{"Heat", "",     "PLOT", "First half", " second half.", "",
                             "ANY",  "note", "",     "PLOT",       "again",         ""};
    EXPECT_EQ(InfoFieldValue(record, "PLOT"), "First half second half.again");
    EXPECT_EQ(InfoFieldValue(record, "ANY"), "note");
    EXPECT_EQ(InfoFieldValue(record, "GENRE"), "N/A");
    EXPECT_EQ(InfoFieldValue(record, "plot"), "N/A");
    // A label whose value runs to the end of the lines, and one with no value at all.
    EXPECT_EQ(InfoFieldValue({"ANY", "a", "b"}, "ANY"), "ab");
    EXPECT_EQ(InfoFieldValue({"ANY", "", "x"}, "ANY"), "N/A");
    EXPECT_EQ(InfoFieldValue({"ANY"}, "ANY"), "N/A");
}

TEST(InfoText, AComposedRecordIsSavedAsFiftyFiveCrLfLinesAndLoadsBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Heat.txt");
    const QStringList lines = ComposeInfoText("Heat", HeatValues());
    const Result<TextEncoding> saved = SaveInfoText(path, lines);
    ASSERT_TRUE(saved) << saved.error().toStdString();
    EXPECT_EQ(*saved, TextEncoding::Ansi);
    const QByteArray bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.count("\r\n"), kInfoTextLineCount);
    EXPECT_EQ(bytes.count('\n'), kInfoTextLineCount);
    EXPECT_TRUE(bytes.endsWith("ANY\r\n\r\n"));

    const Result<TextFile> loaded = LoadInfoText(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->lines, lines);
    EXPECT_EQ(loaded->encoding, TextEncoding::Ansi);
}

TEST(InfoText, AFileWithUtf8MarkIsSavedAgainWithTheMark) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Amelie.txt");
    ASSERT_TRUE(test::WriteFileBytes(path, "\xEF\xBB\xBF"
                                           "Amelie\r\n\r\nANY\r\n\r\n"));
    Result<TextFile> loaded = LoadInfoText(path);
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->encoding, TextEncoding::Utf8Bom);
    QStringList lines = loaded->lines;
    lines[2] = "ANY";
    lines.insert(3, "seen twice");
    ASSERT_TRUE(SaveInfoText(path, lines, loaded->encoding));
    EXPECT_EQ(ReadFileBytes(path), QByteArray("\xEF\xBB\xBF"
                                              "Amelie\r\n\r\nANY\r\nseen twice\r\n\r\n"));
}

TEST(InfoText, SavingIntoAMissingFolderFailsAndCreatesNoFolder) {
    QTemporaryDir dir;
    const Result<TextEncoding> saved =
        SaveInfoText(dir.filePath("Movies/Heat.txt"), ComposeInfoText("Heat", {}));
    EXPECT_FALSE(saved);
    EXPECT_TRUE(test::FolderNames(dir.path()).isEmpty());
    EXPECT_FALSE(LoadInfoText(dir.filePath("Movies/Heat.txt")));
}

} // namespace
} // namespace quorvel
