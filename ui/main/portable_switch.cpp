#include "ui/main/portable_switch.h"

#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"

namespace quorvel {

const QString kPortableOffQuestion = QStringLiteral(
    "This operation can only be performed when portable mode is off. You are in portable mode "
    "(various portable path will be saved if needed). Do you want to switch off the portable "
    "mode?");

bool ConfirmPortableOff(Settings& settings, Services& services, const QString& question) {
    if (!settings.PortableMode())
        return true;
    if (services.dialogs->ask(MessageKind::Confirmation, question, Buttons::YesNo) != Button::Yes)
        return false;
    SwitchToFixedPaths(settings, services);
    return true;
}

void SwitchToFixedPaths(Settings& settings, Services& services) {
    settings.SetPortableMode(false);
    const PicturePaths fixed = settings.Pictures();
    settings.SetTabPicture(1, fixed.bckTab1);
    settings.SetTabPicture(2, fixed.bckTab2);

    auto restore = [&](const Result<QString>& stored, void (Settings::*set)(const QString&)) {
        if (stored)
            (settings.*set)(*stored);
        else
            ReportError(services, stored.error());
    };
    restore(settings.StoredCollectionFolder(), &Settings::SetCollectionFolder);
    restore(settings.StoredFavouritesFolder(), &Settings::SetFavouritesFolder);
    // Without a stored album folder the one in force before portable mode comes back, never
    // the portable one.
    const QString before = settings.FoldersToReturnTo().album;
    restore(settings.StoredAlbumFolder(before.isEmpty() ? settings.AlbumFolder() : before),
            &Settings::SetAlbumFolder);
}

} // namespace quorvel
