#include "ui/main/record_files.h"

#include "core/collection.h"
#include "core/infotext.h"
#include "ui/main/shared_commands.h"
#include "ui/main/visual_lines.h"

#include <QFileInfo>
#include <QPlainTextEdit>

namespace quorvel {

namespace {

template <typename T> using Loader = Result<T> (*)(const QString&);

// The file the user picks with `dialog`, read by `load`; nothing when the user cancelled or the
// file could not be read (told in the error box).
template <typename T>
std::optional<std::pair<QString, T>> PickAndRead(Services& services,
                                                 const FileDialogRequest& dialog, Loader<T> load) {
    const std::optional<QString> path = services.dialogs->openFile(dialog);
    if (!path)
        return std::nullopt;
    Result<T> read = load(*path);
    if (!read) {
        ReportError(services, read.error());
        return std::nullopt;
    }
    return std::pair{*path, std::move(read).value()};
}

// The file beside `path` with the other extension, read by `load`; nothing when there is none.
template <typename T>
std::optional<Result<T>> ReadCompanion(const QString& path, const QString& extension3,
                                       Loader<T> load) {
    const QString companion = CompanionFilePath(path, extension3);
    if (!QFileInfo::exists(companion))
        return std::nullopt;
    return load(companion);
}

} // namespace

void LoadInfoWithPoster(Services& services, const FileDialogRequest& dialog,
                        const RecordView& view) {
    const auto info = PickAndRead<TextFile>(services, dialog, &LoadInfoText);
    if (!info)
        return;
    view.showInfo(info->second);
    const auto poster = ReadCompanion<Poster>(info->first, QStringLiteral("jpg"), &LoadPosterFile);
    if (poster && *poster) {
        view.showPoster(**poster);
        return;
    }
    // The poster of another title must not stay beside this text.
    view.noPoster();
    if (poster)
        ReportError(services, poster->error());
}

void LoadPosterWithInfo(Services& services, const FileDialogRequest& dialog,
                        const RecordView& view) {
    const auto poster = PickAndRead<Poster>(services, dialog, &LoadPosterFile);
    if (!poster)
        return;
    view.showPoster(poster->second);
    const auto info = ReadCompanion<TextFile>(poster->first, QStringLiteral("txt"), &LoadInfoText);
    if (!info)
        view.noInfo();
    else if (!*info)
        ReportError(services, info->error());
    else
        view.showInfo(**info);
}

InfoSave SaveInfoAs(Services& services, FileDialogRequest& dialog, const QString& name,
                    const QPlainTextEdit& box, TextEncoding encoding) {
    if (FirstVisualLine(box).isEmpty())
        return {};
    dialog.proposedName = SanitiseFileName(name);
    const std::optional<QString> path = services.dialogs->saveFile(dialog);
    if (!path)
        return {SaveStep::Cancelled};
    if (!ConfirmOverwrite(services, *path))
        return {};
    const QStringList lines = box.toPlainText().split(QLatin1Char('\n'));
    const Result<TextEncoding> saved = SaveInfoText(*path, lines, encoding);
    if (!saved) {
        ReportError(services, saved.error());
        return {};
    }
    return {SaveStep::Saved, *saved};
}

void SavePosterAs(Services& services, FileDialogRequest& dialog, const QString& name,
                  const Poster& poster) {
    dialog.proposedName = SanitiseFileName(name);
    const std::optional<QString> path = services.dialogs->saveFile(dialog);
    if (!path || !ConfirmOverwrite(services, *path))
        return;
    const Status saved = SavePosterFile(poster, *path);
    if (!saved)
        ReportError(services, saved.error());
}

} // namespace quorvel
