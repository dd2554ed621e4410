#pragma once
// Favourites.lst: one bookmarked trailer a line, title + 39 blanks + "=" + video identifier.

#include "core/result.h"
#include "core/textfile.h"

#include <QStringList>

namespace quorvel {

// folder + a separator when it lacks one + "Favourites.lst". An empty folder names no file and
// gives "": loading it fails and saving is refused, instead of reaching "/Favourites.lst" or
// the process's current folder (stored options never hold an empty folder; see
// ReadStoredOptions).
QString FavouritesFilePath(const QString& favouritesFolder);

// An absent or unreadable file is a failure.
Result<TextFile> LoadFavourites(const QString& path);
// Replaces the file safely with the entries in list order; does not create the folder.
Status SaveFavourites(const QString& path, const QStringList& entries,
                      TextEncoding encoding = TextEncoding::Ansi);

QString MakeFavouriteEntry(const QString& title, const QString& videoId);
QString FavouriteVideoId(const QString& entry); // after the last "="; whole entry without one
QString FavouriteTitle(const QString& entry);   // less its last 51 characters; whole if <= 50
QString FavouriteIdPart(const QString& entry);  // from the first "=" on; empty without one
// Equal to an entry of `list`, compared whole and ignoring case.
bool IsDuplicateFavourite(const QStringList& list, const QString& entry);
// The order of the sorted favourites lists: alphabetical, ignoring case; equal entries keep
// their order.
QStringList SortedFavourites(QStringList entries);

} // namespace quorvel
