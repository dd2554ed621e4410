#pragma once
// Whole-file helpers every test folder shares: raw bytes in and out, a folder's names, and a
// small file system that can be filled to the brim. None of them calls code under test.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::test {

// The whole content of a file, empty when it cannot be read.
inline QByteArray ReadFileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces the file; false when it cannot be written.
inline bool WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

// Empty files at the paths under `root`, their folders made as needed; false when one fails.
inline bool MakeEmptyFiles(const QString& root, const QStringList& paths) {
    for (const QString& path : paths) {
        const QString full = root + QLatin1Char('/') + path;
        if (!QDir().mkpath(QFileInfo(full).path()) || !WriteFileBytes(full, {}))
            return false;
    }
    return true;
}

// Every name in the folder, hidden ones included, sorted: what a failed save must not change.
inline QStringList FolderNames(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name);
}

// A tmpfs of `kib` KiB mounted on `folder` (which must exist) for the object's lifetime: the
// one way to see what a save does when the medium is really full, since a file-size limit
// makes the first write fail at once instead of the final flush. Needs root; otherwise
// mounted() is false and skipReason() says why.
class SmallFileSystem {
public:
    SmallFileSystem(const QString& folder, int kib) : folder_(QFile::encodeName(folder)) {
        if (::geteuid() != 0) {
            reason_ = QStringLiteral("mounting a small tmpfs needs root");
            return;
        }
        const QByteArray options = "size=" + QByteArray::number(kib) + "k";
        if (::mount("tmpfs", folder_.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    options.constData()) != 0) {
            reason_ = QStringLiteral("cannot mount a tmpfs on %1: %2")
                          .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        mounted_ = true;
    }
    ~SmallFileSystem() {
        if (mounted_)
            ::umount2(folder_.constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    const QString& skipReason() const { return reason_; }

    // Fills the file system with a file `name` at its top until the system says it is full,
    // then gives back `leaveBytes` (rounded to whole pages by tmpfs). False when that failed.
    bool Fill(const QString& name, qint64 leaveBytes) const {
        const QByteArray path = folder_ + '/' + QFile::encodeName(name);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        const QByteArray block(4096, 'f');
        qint64 size = 0;
        for (;;) {
            const ssize_t n = ::write(fd, block.constData(), static_cast<size_t>(block.size()));
            if (n <= 0)
                break;
            size += n;
        }
        const bool full = errno == ENOSPC;
        const bool ok = full && ::ftruncate(fd, std::max<qint64>(0, size - leaveBytes)) == 0;
        ::close(fd);
        return ok;
    }

private:
    QByteArray folder_;
    QString reason_;
    bool mounted_ = false;
};

// Makes a folder nobody may write to, even root: as root the folder is a file system of its own
// (a SmallFileSystem), remounted read-only; otherwise its permissions are taken away.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& folder) : folder_(QFile::encodeName(folder)) {
        remounted_ = ::geteuid() == 0 && ::mount("tmpfs", folder_.constData(), "tmpfs",
                                                 MS_REMOUNT | MS_RDONLY, nullptr) == 0;
        if (!remounted_)
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    ~ReadOnlyFolder() {
        if (!remounted_)
            QFile::setPermissions(QFile::decodeName(folder_), QFileDevice::ReadOwner |
                                                                  QFileDevice::WriteOwner |
                                                                  QFileDevice::ExeOwner);
    }

private:
    QByteArray folder_;
    bool remounted_ = false;
};

} // namespace quorvel::test
