#pragma once
// A folder beside the collection holding a user's own files, and the lines a hand-written list
// file could use to reach them from the collection folder.

#include "tests/support/test_files.h"

#include <QByteArray>
#include <QDir>
#include <QMap>
#include <QString>
#include <QStringList>

namespace quorvel::test {

class OutsideFolder {
public:
    // Makes `path` with victim.txt (`record`), victim.jpg and victim.html in it.
    OutsideFolder(const QString& path, const QByteArray& record) : path_(path) {
        QDir().mkpath(path);
        WriteFileBytes(path + "/victim.jpg", ReadFileBytes(QUORVEL_FIXTURES "/omdb/poster.jpg"));
        WriteFileBytes(path + "/victim.txt", record);
        WriteFileBytes(path + "/victim.html", "<p>the user's own page</p>\r\n");
        for (const QString& name : FolderNames(path))
            files_.insert(name, ReadFileBytes(path + "/" + name));
    }

    // Lines naming victim.txt from `collection`: one folder up, and from there up to the root
    // and down again.
    QStringList LinesFrom(const QString& collection) const {
        const QString up = QDir(collection).relativeFilePath(path_ + "/victim.txt");
        return {up,
                QString("../").repeated(collection.count('/') + 2) + path_.mid(1) + "/victim.txt"};
    }

    // Every file as it was made, and nothing added.
    bool Untouched() const {
        QMap<QString, QByteArray> now;
        for (const QString& name : FolderNames(path_))
            now.insert(name, ReadFileBytes(path_ + "/" + name));
        return now == files_;
    }

    const QString& path() const { return path_; }

private:
    QString path_;
    QMap<QString, QByteArray> files_;
};

} // namespace quorvel::test
