#include "core/favourites.h"

#include <QCollator>
#include <QFileInfo>

#include <algorithm>

namespace quorvel {
namespace {
constexpr int kSeparatorBlanks = 39;
// 39 blanks, the "=" and an 11-character video identifier.
constexpr int kEntryTail = 51;
} // namespace

QString FavouritesFilePath(const QString& favouritesFolder) {
    if (favouritesFolder.isEmpty())
        return QString();
    QString path = favouritesFolder;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + QStringLiteral("Favourites.lst");
}

Result<TextFile> LoadFavourites(const QString& path) {
    if (path.isEmpty())
        return Failure(QStringLiteral("No favourites folder is set"));
    if (!QFileInfo(path).isFile())
        return Failure(QStringLiteral("%1 does not exist").arg(path));
    return ReadTextFile(path);
}

Status SaveFavourites(const QString& path, const QStringList& entries, TextEncoding encoding) {
    Result<TextEncoding> written = WriteTextFile(path, entries, encoding);
    if (!written)
        return Failure(written.error());
    return Success();
}

QString MakeFavouriteEntry(const QString& title, const QString& videoId) {
    QString cleaned = title;
    cleaned.remove(QLatin1Char('='));
    return cleaned + QString(kSeparatorBlanks, QLatin1Char(' ')) + QLatin1Char('=') + videoId;
}

QString FavouriteVideoId(const QString& entry) {
    const qsizetype at = entry.lastIndexOf(QLatin1Char('='));
    return at < 0 ? entry : entry.mid(at + 1);
}

QString FavouriteTitle(const QString& entry) {
    if (entry.size() <= kEntryTail - 1)
        return entry;
    return entry.left(entry.size() - kEntryTail);
}

QString FavouriteIdPart(const QString& entry) {
    const qsizetype at = entry.indexOf(QLatin1Char('='));
    return at < 0 ? QString() : entry.mid(at);
}

bool IsDuplicateFavourite(const QStringList& list, const QString& entry) {
    return list.contains(entry, Qt::CaseInsensitive);
}

QStringList SortedFavourites(QStringList entries) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(
        entries.begin(), entries.end(),
        [&collator](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    return entries;
}

} // namespace quorvel
