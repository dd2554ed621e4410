#pragma once
// The collection folder: <title>.txt and <title>.jpg paired by base name, listed afresh.

#include "core/result.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

namespace quorvel {

// Last four characters upper-cased (a to z only) are ".TXT" / ".JPG".
bool IsInfoTextEntry(const QString& name);
bool IsPosterEntry(const QString& name);
bool IsCollectionEntry(const QString& name);

// The folder's files (not sub-folders) that pass the extension test, in the order of
// QString::compare(a, b, Qt::CaseInsensitive), the exact name breaking ties. A missing, empty
// or unreadable folder gives no entries.
QStringList ListCollection(const QString& folder);
// The info texts among `entries`, in their order.
QStringList InfoTextEntries(const QStringList& entries);
// The info texts of the folder, as ListCollection orders them.
QStringList ListInfoTexts(const QString& folder);

// What a folder's own entry tells of its contents: the same inode, times, size and link count
// mean that no name was added, removed or renamed in it.
struct FolderStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 modified = 0; // nanoseconds since the epoch
    qint64 changed = 0;  // nanoseconds since the epoch
    qint64 size = 0;
    quint64 links = 0;
    bool operator==(const FolderStamp&) const = default;
};

// ListCollection that keeps its last listing: listing the same folder again gives the kept
// entries without reading the folder when the folder's stamp is unchanged. A listing is kept
// only when the folder had been left alone for two seconds before it (a change within one
// tick of the file system's clock leaves the times as they were) and when no entry's type had
// to be asked (a symbolic link can change what it names without the folder changing).
class CollectionListing {
public:
    QStringList List(const QString& folder);
    // Whether the last List gave the kept entries.
    bool LastWasReused() const { return reused_; }
    // For a caller that has just written into the folder: the next List reads it.
    void Forget();

private:
    bool kept_ = false;
    bool reused_ = false;
    QString folder_;
    FolderStamp stamp_;
    QStringList entries_;
};

// The row a list's typing search selects for `text`: the first entry after the first one that
// starts with it, ignoring case; the first entry only when no later one does; -1 for none.
int TypedSearchRow(const QStringList& entries, const QString& text);

// What a list search finds for a typed text: the row of the entry named exactly by the text
// and one of the extensions (the first extension that gives one wins), or else every row whose
// entry holds the text, in list order. Letters a to z are compared without case.
struct ListMatches {
    int whole = -1;
    QList<int> partial;
};
// With `typedExtension`, a text that already ends with an extension is itself the whole name
// looked for with that extension.
ListMatches SearchList(const QStringList& entries, const QString& text,
                       const QStringList& extensions, bool typedExtension = false);

struct CollectionCount {
    int texts = 0;
    int posters = 0;
};
CollectionCount CountCollection(const QStringList& entries);
// "Collection count: N Text Info and M Poster"
QString CountLabelText(const CollectionCount& count);
// "Collection count: N Text" + suffix, for the lists that hold info texts only.
QString CountLabelText(qsizetype texts, const QString& suffix = {});

// folder + "/" + name, without doubling a separator the folder already ends with.
QString JoinPath(const QString& folder, const QString& name);

// The entry without its last four characters, whatever they are.
QString EntryBaseName(const QString& entry);

// folder / base name + extension (".txt" or ".jpg"). When that file does not exist but the
// same base name does with the extension in other letter case, that file is returned. With
// `names` (the folder's entries, as ListCollection gives them) the names are looked up there
// instead of on the disk.
QString EntryFilePath(const QString& folder, const QString& entry, const QString& extension,
                      const QSet<QString>* names = nullptr);

// The name (or path) less its last three characters plus `extension3` ("txt" or "jpg"): the
// poster beside an info text, or the text beside a poster. Looks at no file.
QString CompanionName(const QString& name, const QString& extension3);
// CompanionName of the path, with the same letter-case fallback as EntryFilePath.
QString CompanionFilePath(const QString& path, const QString& extension3);

// Removes " * / : < > ? \ | and every control character (U+0000 to U+001F, U+007F), which
// would cut a name short (NUL) or break it over lines, then the dots the rest starts with,
// which would hide the file (".hidden") or name the folder above ("..").
QString SanitiseFileName(const QString& text);

// False when `name` would not stay a file of the folder it is joined to: it holds a "/" or a
// NUL, or it is "." or "..".
bool StaysInFolder(const QString& name);

// Whether `name`, a line of a list or a name made from one, is a file of the folder it is
// joined to: not empty (that would be the folder itself), no "/" (nor an absolute path), no "\"
// (a separator on the systems the lists come from, never in a name this program saves), no NUL,
// not "." or "..". A list is a file anyone may have written: a line that fails this is an entry
// that cannot be read, and nothing opens, writes, sends, archives or trashes what it names.
bool NamesFileOfFolder(const QString& name);

// JoinPath(folder, name) when NamesFileOfFolder(name); otherwise fails as an unreadable file
// does: "Cannot open <folder>/<name>: not the name of a file in the collection folder".
Result<QString> CollectionFilePath(const QString& folder, const QString& name);

// path + " exists. Do you want to overwrite it?"
QString OverwriteQuestionText(const QString& path);

// Writes the bytes exactly as held, through WriteFileSafely.
Status WritePosterBytes(const QString& path, const QByteArray& bytes);

} // namespace quorvel
