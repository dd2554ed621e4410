#include "platform/shell.h"

#include <QDesktopServices>
#include <QFileInfo>
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

} // namespace

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
