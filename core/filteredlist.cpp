#include "core/filteredlist.h"

#include "core/collection.h"
#include "core/textfile.h"

#include <QFileInfo>

namespace quorvel {

Status SaveFilteredList(const QString& path, const QStringList& entries) {
    Result<TextEncoding> written = WriteTextFile(path, entries, TextEncoding::Ansi);
    if (!written)
        return Failure(written.error());
    return Success();
}

Result<QStringList> LoadFilteredList(const QString& path) {
    Result<TextFile> file = ReadTextFile(path);
    if (!file)
        return Failure(file.error());
    return std::move(file).value().lines;
}

QStringList OfflineListItems(const QStringList& entries, const QString& folder) {
    QStringList items;
    items.reserve(entries.size() * 2);
    for (const QString& entry : entries) {
        const QString title = EntryBaseName(entry);
        const QString poster = title + QStringLiteral(".jpg");
        // A line naming a path outside the folder lists its text item, which then shows as
        // missing; what lies out there is not even looked at.
        if (NamesFileOfFolder(poster) &&
            QFileInfo::exists(EntryFilePath(folder, poster, QStringLiteral(".jpg"))))
            items << poster;
        items << title + QStringLiteral(".txt");
    }
    return items;
}

} // namespace quorvel
