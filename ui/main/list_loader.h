#pragma once
// What every window that loads a saved filtered list does before it fills its own list.

#include "platform/services.h"
#include "ui/windows.h"

#include <QStringList>

#include <optional>

namespace quorvel {

// Shows the shared "List File" open dialog (SharedDialogs::filteredList) and reads the chosen
// file. Returns the entries
// in file order (empty lines and duplicates kept), or nothing when the user cancelled, when
// the file holds no entry, or when it could not be read; a failed read has already been
// reported to the user as an error box carrying the read's own reason. The dialog's starting
// folder moves to the folder of the chosen file, for whichever loader opens next.
std::optional<QStringList> AskFilteredList(Services& services, FileDialogRequest& dialog);
// The same through the dialog the main window holds for every list loader; nothing while there
// is no main window.
std::optional<QStringList> AskFilteredList(Services& services, Windows& windows);

} // namespace quorvel
