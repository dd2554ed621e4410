#include "platform/shell.h"

#include "core/textfile.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

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
