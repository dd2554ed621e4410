#pragma once
// Saved selections of collection entries (*.list), one entry per line.

#include "core/result.h"

#include <QStringList>

namespace quorvel {

// Replaces the file safely; each entry followed by CR LF; an empty list gives 0 bytes.
Status SaveFilteredList(const QString& path, const QStringList& entries);

// The lines as entries, in file order, untrimmed, duplicates and empty lines kept.
Result<QStringList> LoadFilteredList(const QString& path);

// What the off-line tab lists for the loaded entries: per entry, title + ".jpg" when that
// poster exists in `folder`, then title + ".txt" always.
QStringList OfflineListItems(const QStringList& entries, const QString& folder);

} // namespace quorvel
