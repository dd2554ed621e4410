#include "platform/pictures.h"

#include "core/textfile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

#include <array>

namespace quorvel {

namespace {

// The picture kinds the program reads. Anything else Qt happens to decode (GIF, WebP, TGA...)
// stays out: a poster is one of these or it is not a poster.
constexpr std::array<const char*, 5> kPosterFormats = {"jpeg", "png", "tiff", "bmp", "ico"};

bool IsPosterFormat(const QByteArray& format) {
    for (const char* known : kPosterFormats) {
        if (format == known)
            return true;
    }
    return false;
}

// The reader an extension asks for, or empty for an extension that is no picture of ours.
// Metafiles (.wmf, .emf) were pictures once; nothing here draws them any more.
QByteArray FormatForExtension(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return "jpeg";
    if (suffix == QLatin1String("png"))
        return "png";
    if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff"))
        return "tiff";
    if (suffix == QLatin1String("bmp"))
        return "bmp";
    if (suffix == QLatin1String("ico"))
        return "ico";
    return {};
}

// Decodes with exactly the reader named, never guessing from the content.
QImage ReadAs(const QByteArray& bytes, const QByteArray& format, QString* reason) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (image.isNull() && reason)
        *reason = reader.errorString();
    return image;
}

// The format the data says it is, when it is one of ours.
QByteArray DetectPosterFormat(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader::imageFormat(&buffer);
    return IsPosterFormat(format) ? format : QByteArray();
}

QString DisplayPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

Result<Poster> LoadPosterFile(const QString& path) {
    const QByteArray format = FormatForExtension(path);
    if (format.isEmpty()) {
        const QString suffix = QFileInfo(path).suffix();
        return Failure(QStringLiteral("Unknown picture file extension (.%1)").arg(suffix));
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Failure(QStringLiteral("Cannot open file \"%1\". %2")
                           .arg(DisplayPath(path), file.errorString()));
    }
    Poster poster;
    poster.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return Failure(QStringLiteral("Cannot read file \"%1\". %2")
                           .arg(DisplayPath(path), file.errorString()));
    }

    QString reason;
    poster.image = ReadAs(poster.bytes, format, &reason);
    poster.format = format;
    if (poster.image.isNull()) {
        // Pictures get renamed: a PNG saved as "Heat.jpg" by another program is still the
        // user's poster, so let the data say what it is before giving up.
        const QByteArray actual = DetectPosterFormat(poster.bytes);
        if (!actual.isEmpty() && actual != format) {
            poster.image = ReadAs(poster.bytes, actual, nullptr);
            poster.format = actual;
        }
    }
    if (poster.image.isNull()) {
        return Failure(
            QStringLiteral("\"%1\" is not a valid picture: %2").arg(DisplayPath(path), reason));
    }
    return poster;
}

Result<Poster> DecodeJpegPoster(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return Failure(QStringLiteral("The poster is empty."));
    QString reason;
    Poster poster;
    poster.image = ReadAs(bytes, "jpeg", &reason);
    if (poster.image.isNull())
        return Failure(QStringLiteral("The poster is not a JPEG picture: %1").arg(reason));
    poster.bytes = bytes;
    poster.format = "jpeg";
    return poster;
}

Status SavePosterFile(const Poster& poster, const QString& path) {
    if (poster.isNull())
        return Success();

    QByteArray data = poster.bytes;
    if (data.isEmpty()) {
        // A picture made in memory has no bytes of its own: encode it in the format it
        // claims, else in the kind the target's extension names, else as JPEG, the
        // collection's poster kind.
        QByteArray format = poster.format;
        if (format.isEmpty())
            format = FormatForExtension(path);
        if (format.isEmpty())
            format = "jpeg";
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        if (!writer.write(poster.image)) {
            return Failure(QStringLiteral("Cannot encode the poster as %1: %2")
                               .arg(QString::fromLatin1(format), writer.errorString()));
        }
    }

    return WriteFileSafely(path, data);
}

} // namespace quorvel
