#pragma once
// What a title search makes of the service's answer: the record the Search Title On Line tab
// shows and saves, and whether a downloaded poster is one it would show. The tab and the
// command line's add both go through these, so a title added either way is the same file.

#include "core/result.h"
#include "online/omdb.h"

#include <QByteArray>
#include <QStringList>

namespace quorvel {

// The 55 lines of a record fresh from a search: the answer's title and its 17 values.
QStringList SearchedInfoText(const OmdbAnswer& answer);

// Success when the bytes are a JPEG picture that decodes (a cut-off end is tolerated, as the
// picture readers do); otherwise the reason, "The poster is not a JPEG picture: ...". Pictures
// declaring more than 256 MiB of pixels are refused without being decoded.
Status CheckJpegPoster(const QByteArray& bytes);

} // namespace quorvel
