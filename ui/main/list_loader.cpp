#include "ui/main/list_loader.h"

#include "core/filteredlist.h"
#include "ui/main/shared_commands.h"
#include "ui/main/shared_dialogs.h"

#include <QFileInfo>

namespace quorvel {

std::optional<QStringList> AskFilteredList(Services& services, FileDialogRequest& dialog) {
    const std::optional<QString> path = services.dialogs->openFile(dialog);
    if (!path || path->isEmpty())
        return std::nullopt;
    dialog.startFolder = QFileInfo(*path).absolutePath();

    Result<QStringList> entries = LoadFilteredList(*path);
    if (!entries) {
        ReportError(services, entries.error());
        return std::nullopt;
    }
    if (entries->isEmpty())
        return std::nullopt;
    return std::move(entries).value();
}

std::optional<QStringList> AskFilteredList(Services& services, Windows& windows) {
    return AskFilteredList(services, windows.FileDialogs().filteredList);
}

} // namespace quorvel
