#pragma once
// One title's record: the title line, an empty line, then 18 labelled sections.

#include "core/result.h"
#include "core/textfile.h"

#include <QAnyStringView>
#include <QDate>
#include <QHash>
#include <QStringList>

#include <array>
#include <optional>

namespace quorvel {

struct InfoSection {
    const char* label;   // the label line, exactly
    const char* omdbKey; // the answer's key; nullptr for "ANY" (the user's own notes)
};

// The order composing, reading, editing and filtering all rely on.
inline constexpr std::array<InfoSection, 18> kInfoSections{{
    {"TYPE", "Type"},
    {"YEAR", "Year"},
    {"GENRE", "Genre"},
    {"RATED", "Rated"},
    {"RELEASED", "Released"},
    {"RUNTIME", "Runtime"},
    {"DIRECTOR", "Director"},
    {"WRITER", "Writer"},
    {"ACTORS", "Actors"},
    {"LANGUAGE", "Language"},
    {"COUNTRY", "Country"},
    {"AWARDS", "Awards"},
    {"METASCORE", "Metascore"},
    {"IMDB RATING", "imdbRating"},
    {"IMDB VOTES", "imdbVotes"},
    {"IMDB ID", "imdbID"},
    {"PLOT", "Plot"},
    {"ANY", nullptr},
}};

inline constexpr int kInfoTextLineCount = 55;
inline constexpr const char* kNotAvailable = "N/A";

// title + the 17 values in table order (missing values count as empty) -> the 55 lines.
QStringList ComposeInfoText(const QString& title, const QStringList& values);

// The one layout of a record: the title, an empty line, then every section in table order as
// its label, the value lines `values` holds for that label (none when it holds none) and an
// empty line. Labels the table does not have are left out. Search, editor and refresh all
// compose through this, so a record is laid out the same whoever writes it.
QStringList ComposeRecord(const QString& title, const QHash<QString, QStringList>& values);

// The line that holds `label` in a record of ComposeInfoText, its one value line right after
// it; -1 for a label the table does not have.
qsizetype ComposedLabelLine(QAnyStringView label);

// The line after the last line that is exactly "IMDB ID" (case and blanks count); "" when that
// label is the last line; std::nullopt when no line is the label.
std::optional<QString> InfoTextImdbId(const QStringList& lines);

// For every line equal to `label`, the following lines up to the first empty one, joined with
// nothing between them; "N/A" when nothing was gathered.
QString InfoFieldValue(const QStringList& lines, const QString& label);

// The genre filter's test: some line that is exactly "GENRE" once blanks and control
// characters around it are gone (letter case counts) is followed by a line holding `genre`
// once its letters a to z are upper-cased. Only the one line after each label is looked at; a
// label on the last line has nothing after it and does not match. An empty genre matches
// nothing.
bool InfoTextHasGenre(const QStringList& lines, QStringView genre);

// The text filter's test: some line, its letters a to z upper-cased and nothing trimmed, holds
// `query` (already upper-case and trimmed by the caller). An empty query is found nowhere.
bool InfoTextContains(const QStringList& lines, QStringView query);

// The user's own notes: every line after the first "ANY" label that starts a section (it
// follows an empty line), the record's closing empty
// lines dropped. Empty lines inside the notes are kept: they are the user's, not a section end.
QStringList InfoTextNotes(const QStringList& lines);

// A record refreshed from the service: the fetched title and the 17 fetched values (in table
// order) replace the record's, except "IMDB ID", which stays `storedId` (the identifier that
// was asked for, as the user stored it); the notes follow the "ANY" label unchanged. The
// window's on-line update and the command line's refresh both build records with this.
QStringList RefreshedInfoText(const QString& title, const QStringList& values,
                              const QString& storedId, const QStringList& notes);

// A release date as the service sends it ("13 Nov 2015", English month names) or as the
// locale writes it; nothing when the text is neither.
std::optional<QDate> ParseReleaseDate(const QString& text, const QLocale& locale);
// "05 Jan 2016" with the locale's short month name.
QString FormatReleaseDate(const QDate& date, const QLocale& locale);

// The lines and the encoding found, which the caller keeps for a later save.
Result<TextFile> LoadInfoText(const QString& path);

// Replaces the file safely (see WriteTextFile); returns the encoding written.
Result<TextEncoding> SaveInfoText(const QString& path, const QStringList& lines,
                                  TextEncoding encoding = TextEncoding::Ansi);

} // namespace quorvel
