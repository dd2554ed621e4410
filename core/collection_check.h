#pragma once
// What is broken in a collection folder, found without writing anything: texts that are not
// records, posters and texts without their partner, records sharing an IMDb identifier, names
// that another file system could not hold, and files that are not text in any encoding we read.

#include "core/result.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace quorvel {

enum class ProblemKind {
    NotARecord,      // an info text whose labels or section order are not a record's
    PosterAlone,     // a poster without an info text of the same base name
    TextAlone,       // an info text without a poster of the same base name
    SameImdbId,      // two or more records carrying one IMDb identifier
    UnportableName,  // a name Windows, FAT or a case-blind file system could not hold
    UnknownEncoding, // neither the 8-bit code page nor valid UTF-8
};
inline constexpr std::array<ProblemKind, 6> kProblemKinds{
    ProblemKind::NotARecord, ProblemKind::PosterAlone,    ProblemKind::TextAlone,
    ProblemKind::SameImdbId, ProblemKind::UnportableName, ProblemKind::UnknownEncoding,
};

// "not-a-record", "poster-without-text", ...: the names a machine reads.
QString ProblemKindId(ProblemKind kind);
// "Info texts that are not a record", ...: the headings a user reads.
QString ProblemKindHeading(ProblemKind kind);

// A record is a few KiB, its notes included; a text larger than this is not one, and is
// reported without being read.
inline constexpr qint64 kLargestRecordBytes = qint64(1) << 20;

struct Problem {
    ProblemKind kind;
    // Collection entries, in listing order, as the folder names them; a byte of a name that
    // is not UTF-8 is shown as "\xff".
    QStringList files;
    QString reason;    // empty when the kind says it all
};

struct CollectionReport {
    int texts = 0;
    int posters = 0;
    std::vector<Problem> problems; // grouped by kind, in kProblemKinds order
    int count(ProblemKind kind) const;
};

// Empty when the lines are a record: the title, an empty line, then the 18 labels in their
// order, each followed by its value lines and an empty line (a value the service sent empty
// leaves one more empty line); everything after "ANY" is the user's. Otherwise where it goes
// wrong, as 'line 6 is "GENRE" where "YEAR" belongs'.
QString RecordShapeProblem(const QStringList& lines);

// Empty when the bytes are text we read: valid in the encoding their byte-order mark names,
// else valid UTF-8, else the 8-bit code page (Windows-1252) without NUL or its five undefined
// bytes. Otherwise the first offending byte and its offset.
QString EncodingProblem(const QByteArray& bytes);

// Why another file system could not hold the name, or empty: characters Windows forbids,
// a trailing dot or blank, a reserved device name (CON, NUL, COM1 ...).
QString UnportableNameReason(const QString& name);

// Checks every collection entry of `folder`, listed as ListCollection lists it but by the
// bytes of each name, so a name that is not UTF-8 is still read (and reported as a name other
// systems could not hold). Reads every info text once, at most kLargestRecordBytes of it.
// Fails with the system's reason when the folder cannot be listed.
Result<CollectionReport> CheckCollection(const QString& folder);

} // namespace quorvel
