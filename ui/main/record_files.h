#pragma once
// The file commands of the two info tabs, in one place: a text loaded brings the poster beside
// it along, a poster the text beside it, and a save asks before it replaces a file.

#include "core/textfile.h"
#include "platform/dialogs.h"
#include "platform/pictures.h"
#include "platform/services.h"

#include <QString>

#include <functional>

class QPlainTextEdit;

namespace quorvel {

// What a tab shows of what the commands read; the commands decide when.
struct RecordView {
    std::function<void(const TextFile&)> showInfo;
    std::function<void()> noInfo; // a loaded poster has no text beside it
    std::function<void(const Poster&)> showPoster;
    std::function<void()> noPoster; // a loaded text has no readable poster beside it
};

// Load Info: the text chosen with `dialog`, then the poster beside it. A text that cannot be
// read is told and changes nothing; a poster that cannot be read is told after noPoster.
void LoadInfoWithPoster(Services& services, const FileDialogRequest& dialog,
                        const RecordView& view);
// Load Poster: the picture chosen with `dialog`, then the text beside it. A picture that cannot
// be read is told and changes nothing; so is a text beside it that cannot be read.
void LoadPosterWithInfo(Services& services, const FileDialogRequest& dialog,
                        const RecordView& view);

enum class SaveStep { Cancelled, Stopped, Saved };
struct InfoSave {
    SaveStep step = SaveStep::Stopped;
    TextEncoding written = TextEncoding::Ansi; // when Saved
};
// Save Info: the whole text of `box` (its wrapping never reaches the file) in `encoding`, under
// the path the user picks with `dialog`, which proposes `name` cleaned for a file name.
// Stopped, writing nothing, when the box shows no first line, when the user keeps an existing
// file, or when the write fails (told in the error box).
InfoSave SaveInfoAs(Services& services, FileDialogRequest& dialog, const QString& name,
                    const QPlainTextEdit& box, TextEncoding encoding);
// Save Poster: the poster's bytes as held, likewise; nothing is written for a null poster.
void SavePosterAs(Services& services, FileDialogRequest& dialog, const QString& name,
                  const Poster& poster);

} // namespace quorvel
