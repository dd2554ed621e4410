#pragma once
// The collection folder: <title>.txt and <title>.jpg paired by base name, listed afresh.

#include "core/result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quorvel {

// Last four characters upper-cased (a to z only) are ".TXT" / ".JPG".
bool IsInfoTextEntry(const QString& name);
bool IsPosterEntry(const QString& name);
bool IsCollectionEntry(const QString& name);

// The folder's files (not sub-folders) that pass the extension test, sorted by name ignoring
// case, the exact name breaking ties. A missing, empty or unreadable folder gives no entries.
QStringList ListCollection(const QString& folder);

struct CollectionCount {
    int texts = 0;
    int posters = 0;
};
CollectionCount CountCollection(const QStringList& entries);
// "Collection count: N Text Info and M Poster"
QString CountLabelText(const CollectionCount& count);

// folder + "/" + name, without doubling a separator the folder already ends with.
QString JoinPath(const QString& folder, const QString& name);

// The entry without its last four characters, whatever they are.
QString EntryBaseName(const QString& entry);

// folder / base name + extension (".txt" or ".jpg"). When that file does not exist but the
// same base name does with the extension in other letter case, that file is returned.
QString EntryFilePath(const QString& folder, const QString& entry, const QString& extension);

// The path less its last three characters plus `extension3` ("txt" or "jpg"), with the same
// letter-case fallback as EntryFilePath.
QString CompanionFilePath(const QString& path, const QString& extension3);

// Removes " * / : < > ? \ | and every control character (U+0000 to U+001F, U+007F), which
// would cut a name short (NUL) or break it over lines.
QString SanitiseFileName(const QString& text);

// False when `name` would not stay a file of the folder it is joined to: it holds a "/" or a
// NUL, or it is "." or "..".
bool StaysInFolder(const QString& name);

// path + " exists. Do you want to overwrite it?"
QString OverwriteQuestionText(const QString& path);

// Writes the bytes exactly as held, through WriteFileSafely.
Status WritePosterBytes(const QString& path, const QByteArray& bytes);

} // namespace quorvel
