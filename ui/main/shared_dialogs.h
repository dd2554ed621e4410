#pragma once
// The main window's file dialogs, shared by its tabs and by every filtered-list loader. They are
// objects with state: Save Poster as moves the picture dialog's starting folder, Save Poster
// keeps it, and the list dialog opens where a list was last found.

#include "platform/dialogs.h"

namespace quorvel {

struct SharedDialogs {
    FileDialogRequest openPicture; // OpenPictureDialog1
    FileDialogRequest open;        // OpenDialog1
    FileDialogRequest savePicture; // SavePictureDialog1
    FileDialogRequest save;        // SaveDialog1
    // "List File" *.list: one dialog for the five loaders, so the folder a user last chose is
    // where every loader opens next.
    FileDialogRequest filteredList;

    SharedDialogs();
    // Start-up step: every dialog starts in the collection folder.
    void SetStartFolder(const QString& folder);
};

} // namespace quorvel
