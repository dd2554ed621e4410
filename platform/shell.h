#pragma once
// What the desktop opens for us: addresses, files and folders in their default handlers.

#include <QString>

namespace quorvel {

class Shell {
public:
    virtual ~Shell() = default;
    // Returns whether the desktop accepted the address (a URL or a local path).
    virtual bool OpenWithDefaultHandler(const QString& address) = 0;
    // Opens the folder in the file manager; false when it does not exist.
    virtual bool OpenFolder(const QString& folder) = 0;
};

class DesktopShell final : public Shell {
public:
    bool OpenWithDefaultHandler(const QString& address) override;
    bool OpenFolder(const QString& folder) override;
};

} // namespace quorvel
