#include "ui/main/record_files.h"

#include "core/collection.h"
#include "core/infotext.h"
#include "ui/main/shared_commands.h"
#include "ui/main/visual_lines.h"

#include <QFileInfo>
#include <QPlainTextEdit>

namespace quorvel {

void LoadInfoWithPoster(Services& services, const FileDialogRequest& dialog,
                        const RecordView& view) {
    const std::optional<QString> path = services.dialogs->openFile(dialog);
    if (!path)
        return;
    const Result<TextFile> info = LoadInfoText(*path);
    if (!info) {
        ReportError(services, info.error());
        return;
    }
    view.showInfo(*info);

    const QString posterPath = CompanionFilePath(*path, QStringLiteral("jpg"));
    if (!QFileInfo::exists(posterPath)) {
        view.noPoster();
        return;
    }
    const Result<Poster> poster = LoadPosterFile(posterPath);
    if (!poster) {
        // The poster of another title must not stay beside this text.
        view.noPoster();
        ReportError(services, poster.error());
        return;
    }
    view.showPoster(*poster);
}

void LoadPosterWithInfo(Services& services, const FileDialogRequest& dialog,
                        const RecordView& view) {
    const std::optional<QString> path = services.dialogs->openFile(dialog);
    if (!path)
        return;
    const Result<Poster> poster = LoadPosterFile(*path);
    if (!poster) {
        ReportError(services, poster.error());
        return;
    }
    view.showPoster(*poster);

    const QString infoPath = CompanionFilePath(*path, QStringLiteral("txt"));
    if (!QFileInfo::exists(infoPath)) {
        view.noInfo();
        return;
    }
    const Result<TextFile> info = LoadInfoText(infoPath);
    if (!info) {
        ReportError(services, info.error());
        return;
    }
    view.showInfo(*info);
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
