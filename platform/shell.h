#pragma once
// What the desktop opens for us: addresses, files and folders in their default handlers.

#include "core/result.h"

#include <QDateTime>
#include <QString>

namespace quorvel {

class Shell {
public:
    virtual ~Shell() = default;
    // Returns whether the desktop accepted the address (a URL or a local path).
    virtual bool OpenWithDefaultHandler(const QString& address) = 0;
    // Opens the folder in the file manager; false when it does not exist.
    virtual bool OpenFolder(const QString& folder) = 0;
    // Sends the file to the user's trash, where any desktop can restore it; true only when the
    // file really left its place.
    virtual bool RecycleFile(const QString& path) = 0;
    // Puts a launcher for the file (a page, the program) on the user's desktop, named after the
    // file's name with its extension. True when it was made; false, with nothing written, when
    // a launcher of that name is already there; a failure when it could not be written.
    virtual Result<bool> CreateDesktopShortcut(const QString& target) = 0;
};

// The user's trash as every freedesktop.org desktop keeps it: $XDG_DATA_HOME/Trash, or
// ~/.local/share/Trash when that variable is unset or not absolute.
QString UserTrashFolder();

// Moves the file (or symbolic link) into trashFolder/files under a free name and writes
// trashFolder/info/<name>.trashinfo with its absolute original path and `when`, creating the
// folders as needed. A second file of the same name becomes "name.2.ext", and so on. Across
// file systems the file is copied, then removed. Fails, leaving the file where it was and no
// stray .trashinfo, when it does not exist, is a folder, or cannot be moved.
Status MoveToTrash(const QString& path, const QString& trashFolder, const QDateTime& when);

class DesktopShell final : public Shell {
public:
    bool OpenWithDefaultHandler(const QString& address) override;
    bool OpenFolder(const QString& folder) override;
    bool RecycleFile(const QString& path) override;
    Result<bool> CreateDesktopShortcut(const QString& target) override;
};

// The user's desktop folder: XDG_DESKTOP_DIR, else the one the user's directories name, else
// ~/Desktop.
QString DesktopFolder();

// A freedesktop desktop entry in `desktopFolder` for `target`: "Type=Link" with the file's URL
// for a document, "Type=Application" for an executable file. Its file is the target's file
// name + ".desktop", marked executable (desktops refuse to launch one that is not).
Result<bool> WriteDesktopEntry(const QString& target, const QString& desktopFolder);

} // namespace quorvel
