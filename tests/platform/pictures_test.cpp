#include "platform/pictures.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <ostream>

namespace quorvel {
namespace {

using test::FolderNames;
using test::ReadFileBytes;
using test::WriteFileBytes;

// Four coloured quarters: enough to see a picture came back the right way round.
QImage SamplePicture(QSize size = QSize(64, 48)) {
    QImage image(size, QImage::Format_RGB32);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    QPainter painter(&image);
    painter.fillRect(0, 0, w, h, Qt::red);
    painter.fillRect(w, 0, w, h, Qt::green);
    painter.fillRect(0, h, w, h, Qt::blue);
    painter.fillRect(w, h, w, h, Qt::white);
    return image;
}

QByteArray Encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    EXPECT_TRUE(writer.write(image)) << format << ": " << writer.errorString().toStdString();
    return bytes;
}

// Qt reads GIF but cannot write it: a 1 by 1 picture made by hand.
QByteArray TinyGif() {
    return QByteArray::fromBase64("R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7");
}

bool NearColour(QRgb actual, QColor expected) {
    return qAbs(qRed(actual) - expected.red()) < 40 &&
           qAbs(qGreen(actual) - expected.green()) < 40 &&
           qAbs(qBlue(actual) - expected.blue()) < 40;
}

class PictureFilesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const QString& name) const { return dir.filePath(name); }
};

struct KindRow {
    const char* fileName;
    const char* writtenAs;
    const char* expectedFormat;
};

void PrintTo(const KindRow& row, std::ostream* out) {
    *out << row.fileName << " holding " << row.writtenAs;
}

class LoadPosterKindTest : public PictureFilesTest,
                           public ::testing::WithParamInterface<KindRow> {};

TEST_P(LoadPosterKindTest, DecodesThePictureAndKeepsTheFileBytes) {
    const KindRow row = GetParam();
    const QImage picture = SamplePicture();
    const QByteArray bytes = Encode(picture, row.writtenAs);
    const QString path = Path(QString::fromLatin1(row.fileName));
    ASSERT_TRUE(WriteFileBytes(path, bytes));

    const Result<Poster> loaded = LoadPosterFile(path);
    ASSERT_TRUE(loaded.ok()) << loaded.error().toStdString();
    EXPECT_EQ(loaded->format, QByteArray(row.expectedFormat));
    EXPECT_EQ(loaded->bytes, bytes);
    ASSERT_EQ(loaded->image.size(), picture.size());
    EXPECT_TRUE(NearColour(loaded->image.pixel(5, 5), Qt::red));
    EXPECT_TRUE(NearColour(loaded->image.pixel(60, 5), Qt::green));
    EXPECT_TRUE(NearColour(loaded->image.pixel(5, 44), Qt::blue));
}

INSTANTIATE_TEST_SUITE_P(
    EveryKindTheCollectionReads, LoadPosterKindTest,
    ::testing::Values(KindRow{"Heat.jpg", "jpeg", "jpeg"}, KindRow{"Heat.jpeg", "jpeg", "jpeg"},
                      KindRow{"HEAT.JPG", "jpeg", "jpeg"}, KindRow{"Heat.png", "png", "png"},
                      KindRow{"Heat.tif", "tiff", "tiff"}, KindRow{"Heat.tiff", "tiff", "tiff"},
                      KindRow{"Heat.bmp", "bmp", "bmp"}, KindRow{"Heat.ico", "ico", "ico"},
                      // Renamed by another program: the data decides.
                      KindRow{"Renamed.jpg", "png", "png"}, KindRow{"Renamed.png", "bmp", "bmp"},
                      KindRow{"Renamed.tif", "jpeg", "jpeg"}));

TEST_F(PictureFilesTest, RefusesWhatIsNoPictureOfOurs) {
    const QByteArray png = Encode(SamplePicture(), "png");
    // Metafiles are not drawn, whatever they hold.
    ASSERT_TRUE(WriteFileBytes(Path("Heat.wmf"), png));
    ASSERT_TRUE(WriteFileBytes(Path("Heat.emf"), png));
    ASSERT_TRUE(WriteFileBytes(Path("Heat.txt"), png));
    ASSERT_TRUE(WriteFileBytes(Path("Heat.gif"), TinyGif()));
    ASSERT_TRUE(WriteFileBytes(Path("Garbage.jpg"),
                               QByteArray("This is not a picture at all, only some text.\r\n")));
    ASSERT_TRUE(WriteFileBytes(Path("Empty.png"), QByteArray()));

    for (const char* name : {"Heat.wmf", "Heat.emf", "Heat.txt", "Heat.gif", "Garbage.jpg",
                             "Empty.png", "Missing.jpg"}) {
        const Result<Poster> loaded = LoadPosterFile(Path(QString::fromLatin1(name)));
        EXPECT_FALSE(loaded.ok()) << name;
        EXPECT_FALSE(loaded.error().isEmpty()) << name;
        EXPECT_FALSE(loaded.error().contains(QLatin1Char('\n'))) << name;
    }
    EXPECT_TRUE(LoadPosterFile(Path("Heat.wmf")).error().contains(QLatin1String(".wmf")));
    EXPECT_TRUE(LoadPosterFile(Path("Missing.jpg")).error().contains(QLatin1String("Missing.jpg")));
}

TEST_F(PictureFilesTest, GifDataUnderAJpegNameIsNotAPoster) {
    ASSERT_FALSE(QImage::fromData(TinyGif(), "gif").isNull());
    // The fallback trusts the data only for the kinds the collection knows.
    ASSERT_TRUE(WriteFileBytes(Path("Heat.jpg"), TinyGif()));
    EXPECT_FALSE(LoadPosterFile(Path("Heat.jpg")).ok());
}

TEST_F(PictureFilesTest, SavingWritesTheHeldBytesUnchanged) {
    // A JPEG with a comment marker: any re-encoding would drop or change it.
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(37);
        writer.setText(QStringLiteral("Description"), QStringLiteral("from OMDb"));
        ASSERT_TRUE(writer.write(SamplePicture()));
    }
    const Result<Poster> downloaded = DecodeJpegPoster(jpeg);
    ASSERT_TRUE(downloaded.ok()) << downloaded.error().toStdString();

    ASSERT_TRUE(WriteFileBytes(Path("Heat.jpg"), "an older poster"));
    ASSERT_TRUE(SavePosterFile(*downloaded, Path("Heat.jpg")).ok());
    EXPECT_EQ(ReadFileBytes(Path("Heat.jpg")), jpeg);

    // A PNG the user loaded stays PNG under whatever name it is saved.
    const QByteArray png = Encode(SamplePicture(), "png");
    ASSERT_TRUE(WriteFileBytes(Path("loaded.png"), png));
    const Result<Poster> loaded = LoadPosterFile(Path("loaded.png"));
    ASSERT_TRUE(loaded.ok());
    ASSERT_TRUE(SavePosterFile(*loaded, Path("Heat 2.jpg")).ok());
    EXPECT_EQ(ReadFileBytes(Path("Heat 2.jpg")), png);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

TEST_F(PictureFilesTest, NoPictureWritesNothing) {
    EXPECT_TRUE(SavePosterFile(Poster{}, Path("Heat.jpg")).ok());
    EXPECT_FALSE(QFile::exists(Path("Heat.jpg")));

    ASSERT_TRUE(WriteFileBytes(Path("Kept.jpg"), "old bytes"));
    EXPECT_TRUE(SavePosterFile(Poster{}, Path("Kept.jpg")).ok());
    EXPECT_EQ(ReadFileBytes(Path("Kept.jpg")), QByteArray("old bytes"));
}

TEST_F(PictureFilesTest, AFailedSaveIsReportedWithThePath) {
    const Result<Poster> poster = DecodeJpegPoster(Encode(SamplePicture(), "jpeg"));
    ASSERT_TRUE(poster.ok());
    const QString path = Path("No such folder/Heat.jpg");
    const Status saved = SavePosterFile(*poster, path);
    ASSERT_FALSE(saved.ok());
    EXPECT_TRUE(saved.error().contains(QLatin1String("No such folder")))
        << saved.error().toStdString();
    EXPECT_FALSE(QFile::exists(path));
}

// A poster larger than the space left on a real full medium: refused with the system's reason,
// the old poster kept byte for byte and no temporary file left beside it.
TEST(PosterOnAFullDisk, IsRefusedAndTheOldPosterStays) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    test::SmallFileSystem disk(dir.path(), 64);
    if (!disk.mounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    ASSERT_TRUE(QDir(dir.path()).mkdir("Movies"));
    const QString path = dir.filePath("Movies/Heat.jpg");
    ASSERT_TRUE(WriteFileBytes(path, "an older poster"));
    // Noise, so the JPEG data is far larger than the space left.
    QImage noise(200, 300, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, seed = seed * 1664525u + 1013904223u);
    }
    const Result<Poster> poster = DecodeJpegPoster(Encode(noise, "jpeg"));
    ASSERT_TRUE(poster.ok());
    ASSERT_GT(poster->bytes.size(), 8192);
    ASSERT_TRUE(disk.Fill("filler", 8192));

    const Status saved = SavePosterFile(*poster, path);
    ASSERT_FALSE(saved.ok());
    EXPECT_TRUE(saved.error().contains(path)) << saved.error().toStdString();
    EXPECT_TRUE(saved.error().contains("No space left on device")) << saved.error().toStdString();
    EXPECT_EQ(ReadFileBytes(path), QByteArray("an older poster"));
    EXPECT_EQ(FolderNames(dir.filePath("Movies")), QStringList{"Heat.jpg"});
}

TEST_F(PictureFilesTest, APictureMadeInMemoryIsEncoded) {
    Poster byExtension;
    byExtension.image = SamplePicture();
    ASSERT_TRUE(SavePosterFile(byExtension, Path("made.png")).ok());
    Result<Poster> back = LoadPosterFile(Path("made.png"));
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->format, QByteArray("png"));
    EXPECT_EQ(back->image.convertToFormat(QImage::Format_RGB32), byExtension.image);

    Poster withFormat = byExtension;
    withFormat.format = "bmp";
    ASSERT_TRUE(SavePosterFile(withFormat, Path("made.jpg")).ok());
    EXPECT_TRUE(ReadFileBytes(Path("made.jpg")).startsWith("BM"));

    ASSERT_TRUE(SavePosterFile(byExtension, Path("made.poster")).ok());
    back = DecodeJpegPoster(ReadFileBytes(Path("made.poster")));
    EXPECT_TRUE(back.ok()) << "an unknown extension gets the collection's JPEG";
}

TEST(DecodeJpegPosterTest, TakesOnlyJpegData) {
    const QByteArray jpeg = Encode(SamplePicture(), "jpeg");
    const Result<Poster> poster = DecodeJpegPoster(jpeg);
    ASSERT_TRUE(poster.ok()) << poster.error().toStdString();
    EXPECT_EQ(poster->bytes, jpeg);
    EXPECT_EQ(poster->format, QByteArray("jpeg"));
    EXPECT_EQ(poster->image.size(), QSize(64, 48));

    // What a server sends for a missing poster, and pictures of other kinds.
    const QByteArray html("<!DOCTYPE html>\n<html><head><title>404 Not Found</title></head>"
                          "<body><h1>Not Found</h1></body></html>\n");
    for (const QByteArray& bytes : {html, Encode(SamplePicture(), "png"),
                                    Encode(SamplePicture(), "bmp"), QByteArray(), jpeg.left(2)}) {
        const Result<Poster> refused = DecodeJpegPoster(bytes);
        EXPECT_FALSE(refused.ok()) << bytes.left(16).toHex().toStdString();
        EXPECT_FALSE(refused.error().isEmpty());
        EXPECT_FALSE(refused.error().contains(QLatin1Char('\n')));
    }
}

} // namespace
} // namespace quorvel
