#pragma once
// The local HTML album: an index of poster thumbnails and one page per title, built as lists of
// lines and written like every other list of the collection.

#include "core/result.h"
#include "core/textfile.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace quorvel {

// Text as it may stand in a page: "&", "<", ">" and '"' as entities, so a title or an info
// line from the service or from a file can never open a tag or end an attribute.
QString HtmlText(const QString& text);

// A file on this machine as a URL: absolute, percent-encoded ("#", "%", "?", blanks and
// letters beyond ASCII included), so nothing in a file name can end the address early.
QString FileUrl(const QString& path);

// FileUrl entity-escaped for an attribute value.
QString FileAddress(const QString& path);

// The relative link from the index to a title's page: title + ".html", percent-encoded.
QString TitlePageLink(const QString& title);

// The index page: 13 header lines, four lines per title (its link, its thumbnail from
// `collectionFolder`, its caption), and the closing line.
QStringList AlbumIndexPage(const QString& collectionFolder, const QStringList& titles);
// The same in pieces, for a caller that reports each title as it goes.
QStringList AlbumIndexHeader();
// `posters`, when given, holds the collection folder's entries (ListCollection), listed once for
// a whole album: a poster is then looked up there rather than on the disk, where a missing one
// costs a look-up for every letter case of its extension.
QStringList AlbumIndexEntry(const QString& collectionFolder, const QString& title,
                            const QSet<QString>* posters = nullptr);
QString AlbumIndexFooter();

// One title's page: its poster from `collectionFolder`, every line of `infoLines` as a
// paragraph (empty lines included), and a button back to index.html in `albumFolder`.
QStringList AlbumTitlePage(const QString& collectionFolder, const QString& albumFolder,
                           const QString& title, const QStringList& infoLines,
                           const QSet<QString>* posters = nullptr);

// The file a page of `name` (without ".html") takes in the album folder.
QString AlbumPagePath(const QString& albumFolder, const QString& name);

// Writes the lines through the one atomic write, in the 8-bit code page (UTF-8 with its mark
// when a character needs it). Fails with the reason; the old file then stays as it was. A page
// can always be made again: with `sync` it is not synced before the call returns but handed to
// `sync`, whose Sync() after the last page puts the whole album on the medium; without, it is
// synced on its own.
Status WriteAlbumPage(const QString& path, const QStringList& lines, FolderSync* sync = nullptr);

// What making one title's page came to: each failure's reason, empty when that step worked.
struct TitlePageOutcome {
    QString readFailure;  // the info text could not be read: the page has no paragraphs
    QString writeFailure; // the page was not written
};

// Reads the title's info text from `collectionFolder` (once) and writes its page into
// `albumFolder` (handed to `sync` as WriteAlbumPage does). The page is written even when the
// text cannot be read. `posters`, as above, also finds the text without looking on the disk.
TitlePageOutcome CreateTitlePage(const QString& collectionFolder, const QString& albumFolder,
                                 const QString& title, FolderSync* sync = nullptr,
                                 const QSet<QString>* posters = nullptr);

// What a whole album's creation tells its caller as it goes; every member may be left empty.
struct AlbumProgress {
    std::function<void(const QString& line)> log; // each line of the creation's log, in order
    std::function<void()> step; // one step done: each title takes two, its entry and its page
    // Asked once the index is composed, before anything is written: the index page's name
    // (empty for "index"), or nothing to give up the album. Without it the index is "index".
    std::function<std::optional<QString>()> indexName;
};

enum class AlbumEnd {
    Created,    // the index and the pages are on the medium
    Cancelled,  // no index name was given: nothing was written
    NotWritten, // the index could not be written or the album not stored: see `failure`
};

struct AlbumOutcome {
    AlbumEnd end = AlbumEnd::Created;
    QString indexName = QStringLiteral("index"); // the index page, without ".html"
    int failures = 0; // title pages missing or made without their information
    QString failure;  // NotWritten: the reason, for the user
};

// Makes the album of `titles` in `albumFolder` (made when missing) from the info texts and
// posters of `collectionFolder`: the index first, then one page per title, then all of them
// stored on the medium. A title that names no file of the collection folder gets neither an
// entry nor a page; a page whose text cannot be read is made without its information. Both
// count as failures and are logged; the creation goes on.
AlbumOutcome CreateAlbum(const QString& collectionFolder, const QString& albumFolder,
                         const QStringList& titles, const AlbumProgress& progress);

} // namespace quorvel
