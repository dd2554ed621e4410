#include "platform/shell.h"

#include "core/textfile.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {

namespace {

// A web or mail address keeps its own spelling ("+" for blanks, query and all); anything else
// is a path on this machine, relative ones taken from the current folder.
QUrl AddressToUrl(const QString& address) {
    if (!address.startsWith(QLatin1Char('/'))) {
        const QUrl url(address, QUrl::TolerantMode);
        // One letter before ":" is a drive, not a scheme.
        if (url.isValid() && url.scheme().size() > 1)
            return url;
    }
    return QUrl::fromLocalFile(QFileInfo(address).absoluteFilePath());
}

// A desktop entry's string value: a backslash or a line break would otherwise be read as an
// escape or end the key.
QString EntryString(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    out.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    out.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return out;
}

// One quoted argument of an Exec line: the quoting rules first, then the string escapes, and
// "%" doubled so no field code is seen in a file name.
QString ExecArgument(const QString& path) {
    QString quoted;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return EntryString(QLatin1Char('"') + quoted + QLatin1Char('"'));
}

QByteArray DesktopEntry(const QFileInfo& target) {
    const QString path = target.absoluteFilePath();
    QStringList lines{QStringLiteral("[Desktop Entry]"), QStringLiteral("Version=1.0")};
    if (target.isFile() && target.isExecutable()) {
        lines << QStringLiteral("Type=Application") << QStringLiteral("Exec=") + ExecArgument(path)
              << QStringLiteral("Path=") + EntryString(target.absolutePath());
    } else {
        lines << QStringLiteral("Type=Link")
              << QStringLiteral("URL=") +
                     QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded(QUrl::FullyEncoded));
    }
    lines << QStringLiteral("Name=") + EntryString(target.fileName());
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

} // namespace

QString DesktopFolder() {
    const QString fromEnvironment = qEnvironmentVariable("XDG_DESKTOP_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString named = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    return named.isEmpty() ? QDir::homePath() + QStringLiteral("/Desktop") : named;
}

Result<bool> WriteDesktopEntry(const QString& target, const QString& desktopFolder) {
    const QFileInfo info(target);
    const QString entryPath =
        QDir(desktopFolder).filePath(info.fileName() + QStringLiteral(".desktop"));
    const QFileInfo entry(entryPath);
    if (entry.exists() || entry.isSymLink())
        return false;
    if (!QDir().mkpath(desktopFolder))
        return Failure(
            QStringLiteral("Cannot create the desktop folder \"%1\".").arg(desktopFolder));
    const Status written = WriteFileSafely(entryPath, DesktopEntry(info));
    if (!written)
        return Failure(written.error());
    QFile file(entryPath);
    if (!file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser))
        return Failure(QStringLiteral("Cannot mark \"%1\" as a launcher: %2")
                           .arg(entryPath, file.errorString()));
    return true;
}

Result<bool> DesktopShell::CreateDesktopShortcut(const QString& target) {
    return WriteDesktopEntry(target, DesktopFolder());
}

bool DesktopShell::OpenWithDefaultHandler(const QString& address) {
    if (address.trimmed().isEmpty())
        return false;
    return QDesktopServices::openUrl(AddressToUrl(address));
}

bool DesktopShell::OpenFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

} // namespace quorvel

namespace quorvel {

namespace {

QString SystemReason() {
    return ErrnoText(errno);
}

// "Heat.txt", "Heat.2.txt", "Heat.3.txt" ...: the extension stays last so the file manager
// still knows the kind of the trashed file.
QString TrashName(const QString& name, int n) {
    if (n == 1)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return name + QLatin1Char('.') + QString::number(n);
    return name.left(dot) + QLatin1Char('.') + QString::number(n) + name.mid(dot);
}

QByteArray TrashInfo(const QString& absolutePath, const QDateTime& when) {
    return "[Trash Info]\nPath=" + QUrl::toPercentEncoding(absolutePath, "/") +
           "\nDeletionDate=" + when.toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1() +
           "\n";
}

// Creates the .trashinfo exclusively, so two programs trashing at once never share a name.
// Returns the name reserved, or an empty one with errno set.
QString ReserveTrashName(const QString& infoFolder, const QString& name, const QByteArray& info) {
    for (int n = 1; n < 100000; ++n) {
        const QString candidate = TrashName(name, n);
        const QByteArray infoPath =
            QFile::encodeName(infoFolder + QLatin1Char('/') + candidate + ".trashinfo");
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return {};
        }
        const bool written = ::write(fd, info.constData(), size_t(info.size())) == info.size();
        const int savedErrno = errno;
        if (::close(fd) != 0 || !written) {
            ::unlink(infoPath.constData());
            errno = written ? errno : savedErrno;
            return {};
        }
        return candidate;
    }
    errno = EEXIST;
    return {};
}

// Creates `folder` and any missing parent with mode 700: the trash, and the data folder of the
// user it may have to make, are the user's own. Folders that already exist keep their mode.
bool MakePrivateFolder(const QString& folder) {
    if (QFileInfo(folder).isDir())
        return true;
    const QString parent = QFileInfo(folder).absolutePath();
    if (parent != folder && !MakePrivateFolder(parent))
        return false;
    return ::mkdir(QFile::encodeName(folder).constData(), 0700) == 0 ||
           (errno == EEXIST && QFileInfo(folder).isDir());
}

bool MoveAcrossFileSystems(const QString& from, const QString& to) {
    if (!QFile::copy(from, to))
        return false;
    if (QFile::remove(from))
        return true;
    QFile::remove(to);
    return false;
}

} // namespace

QString UserTrashFolder() {
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    const QString base = QDir::isAbsolutePath(dataHome)
                             ? dataHome
                             : QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/Trash");
}

Status MoveToTrash(const QString& path, const QString& trashFolder, const QDateTime& when) {
    const QFileInfo file(path);
    if (path.isEmpty() || (!file.exists() && !file.isSymLink()))
        return Failure(path + QStringLiteral(" does not exist."));
    if (file.isDir() && !file.isSymLink())
        return Failure(path + QStringLiteral(" is a folder."));
    if (trashFolder.isEmpty())
        return Failure(QStringLiteral("There is no trash folder."));
    const QString filesFolder = trashFolder + QStringLiteral("/files");
    const QString infoFolder = trashFolder + QStringLiteral("/info");
    if (!MakePrivateFolder(filesFolder) || !MakePrivateFolder(infoFolder))
        return Failure(QStringLiteral("Cannot create the trash folder ") + trashFolder);

    const QString absolute = file.absoluteFilePath();
    const QString name = ReserveTrashName(infoFolder, file.fileName(), TrashInfo(absolute, when));
    if (name.isEmpty())
        return Failure(QStringLiteral("Cannot write into ") + infoFolder + QStringLiteral(": ") +
                       SystemReason());
    const QString target = filesFolder + QLatin1Char('/') + name;
    bool moved = ::rename(QFile::encodeName(absolute).constData(),
                          QFile::encodeName(target).constData()) == 0;
    const QString reason = SystemReason();
    if (!moved && errno == EXDEV)
        moved = MoveAcrossFileSystems(absolute, target);
    if (!moved || QFileInfo::exists(absolute)) {
        QFile::remove(infoFolder + QLatin1Char('/') + name + QStringLiteral(".trashinfo"));
        return Failure(QStringLiteral("Cannot move ") + absolute +
                       QStringLiteral(" to the trash: ") + reason);
    }
    return Success();
}

bool DesktopShell::RecycleFile(const QString& path) {
    return MoveToTrash(path, UserTrashFolder(), QDateTime::currentDateTime()).ok();
}

} // namespace quorvel
