#pragma once
// Posters as the program holds them: the decoded picture and the bytes it came from.

#include "core/result.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace quorvel {

struct Poster {
    QImage image;
    QByteArray bytes;  // exactly as downloaded or read; written back unchanged
    QByteArray format; // "jpeg", "png", "tiff", "bmp", "ico"
    bool isNull() const { return image.isNull(); }
};

// Reader chosen by extension (.jpg/.jpeg, .png, .tif/.tiff, .bmp, .ico); when that reader
// fails, the data's own format is tried. Metafiles and unknown kinds fail.
Result<Poster> LoadPosterFile(const QString& path);
// A downloaded poster: JPEG data, else a failure.
Result<Poster> DecodeJpegPoster(const QByteArray& bytes);
// The bytes as held, through WriteFileSafely (its failures and messages); a null poster
// writes nothing and succeeds.
Status SavePosterFile(const Poster& poster, const QString& path);

} // namespace quorvel
