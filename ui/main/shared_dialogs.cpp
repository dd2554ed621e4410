#include "ui/main/shared_dialogs.h"

namespace quorvel {

SharedDialogs::SharedDialogs() {
    // Every picture kind LoadPosterFile reads.
    openPicture.picture = true;
    openPicture.filters = {
        {QStringLiteral("All pictures"),
         QStringLiteral("*.jpg *.jpeg *.png *.tif *.tiff *.bmp *.ico")},
        {QStringLiteral("JPEG Image File (*.jpg)"), QStringLiteral("*.jpg")},
        {QStringLiteral("JPEG Image File (*.jpeg)"), QStringLiteral("*.jpeg")},
        {QStringLiteral("Portable Network Graphics (*.png)"), QStringLiteral("*.png")},
        {QStringLiteral("TIFF Images (*.tif)"), QStringLiteral("*.tif *.tiff")},
        {QStringLiteral("Bitmaps (*.bmp)"), QStringLiteral("*.bmp")},
        {QStringLiteral("Icons (*.ico)"), QStringLiteral("*.ico")},
    };

    open.defaultSuffix = QStringLiteral("txt");
    open.filters = {{QStringLiteral("Text File (*.txt)"), QStringLiteral("*.txt")}};

    savePicture.picture = true;
    savePicture.defaultSuffix = QStringLiteral("jpg");
    savePicture.filters = {{QStringLiteral("JPEG Image File (*.jpg)"), QStringLiteral("*.jpg")},
                           {QStringLiteral("JPEG Image File (*.jpeg)"), QStringLiteral("*.jpeg")}};

    save.title = QStringLiteral("Save Movie info as ...");
    save.defaultSuffix = QStringLiteral("txt");
    save.filters = {{QStringLiteral("Text File (*.txt)"), QStringLiteral("*.txt")},
                    {QStringLiteral("Any File (*.*)"), QStringLiteral("*")}};

    filteredList.defaultSuffix = QStringLiteral("list");
    filteredList.filters = {{QStringLiteral("List File"), QStringLiteral("*.list")}};
}

void SharedDialogs::SetStartFolder(const QString& folder) {
    openPicture.startFolder = folder;
    open.startFolder = folder;
    savePicture.startFolder = folder;
    save.startFolder = folder;
}

} // namespace quorvel
