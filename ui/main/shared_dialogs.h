#pragma once
// The main window's file dialogs, shared by its first two tabs. They are objects with state:
// Save Poster as moves the picture dialog's starting folder, and Save Poster keeps it.

#include "platform/dialogs.h"

namespace quorvel {

struct SharedDialogs {
    FileDialogRequest openPicture; // OpenPictureDialog1
    FileDialogRequest open;        // OpenDialog1
    FileDialogRequest savePicture; // SavePictureDialog1
    FileDialogRequest save;        // SaveDialog1

    SharedDialogs();
    // Start-up step: every dialog starts in the collection folder.
    void SetStartFolder(const QString& folder);
};

// The one open dialog the five filtered-list loaders share ("List File" *.list).
FileDialogRequest& FilteredListOpenDialog();

} // namespace quorvel
