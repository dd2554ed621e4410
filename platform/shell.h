#pragma once
// What the desktop opens for us: addresses, files and folders in their default handlers.

#include "core/result.h"

#include <QString>

namespace quorvel {

class Shell {
public:
    virtual ~Shell() = default;
    // Returns whether the desktop accepted the address (a URL or a local path).
    virtual bool OpenWithDefaultHandler(const QString& address) = 0;
    // Opens the folder in the file manager; false when it does not exist.
    virtual bool OpenFolder(const QString& folder) = 0;
    // Puts a launcher for the file (a page, the program) on the user's desktop, named after the
    // file's name with its extension. True when it was made; false, with nothing written, when
    // a launcher of that name is already there; a failure when it could not be written.
    virtual Result<bool> CreateDesktopShortcut(const QString& target) = 0;
};

class DesktopShell final : public Shell {
public:
    bool OpenWithDefaultHandler(const QString& address) override;
    bool OpenFolder(const QString& folder) override;
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
