#include "platform/printer.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

namespace quorvel {
namespace {

// Qt's high-resolution PDF device.
constexpr int kPdfDpi = 1200;

QString Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString PdfText(const QString& pdf) {
    return Run(QStringLiteral("/usr/bin/pdftotext"), {pdf, QStringLiteral("-")});
}

int PdfPages(const QString& pdf) {
    const QString info = Run(QStringLiteral("/usr/bin/pdfinfo"), {pdf});
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The first page as pixels at `dpi`.
QImage RenderFirstPage(const QString& pdf, int dpi) {
    const QString prefix = pdf + QStringLiteral(".page");
    Run(QStringLiteral("/usr/bin/pdftoppm"),
        {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QStringLiteral("1"),
         QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-singlefile"),
         QStringLiteral("-png"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}

// The bounding box of the strongly red pixels of a rendered page.
QRect RedExtent(const QImage& page) {
    QRect box;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QRgb p = page.pixel(x, y);
            if (qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80)
                box = box.united(QRect(x, y, 1, 1));
        }
    }
    return box;
}

QImage RedPicture(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    return image;
}

class PdfPrinterTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("printed.pdf"));
    QtPrinter printer{pdf};
};

TEST_F(PdfPrinterTest, LinesArePrintedInOrder) {
    const QStringList lines = {QStringLiteral("Heat"),     QStringLiteral("Year"),
                               QStringLiteral("1995"),     QString(),
                               QStringLiteral("Director"), QStringLiteral("Michael Mann")};
    const Status printed = printer.PrintLines(lines);
    ASSERT_TRUE(printed.ok()) << printed.error().toStdString();
    EXPECT_EQ(PdfPages(pdf), 1);

    const QStringList text = PdfText(pdf).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList expected = lines;
    expected.removeAll(QString());
    QStringList seen;
    for (const QString& line : text) {
        if (line.trimmed() != QLatin1String("\f"))
            seen << line.trimmed().remove(QLatin1Char('\f'));
    }
    seen.removeAll(QString());
    EXPECT_EQ(seen, expected);
}

TEST_F(PdfPrinterTest, ManyLinesRunOverSeveralPagesWithoutLosingOne) {
    QStringList lines;
    for (int i = 1; i <= 250; ++i)
        lines << QStringLiteral("Line %1 of the list").arg(i, 3, 10, QLatin1Char('0'));
    ASSERT_TRUE(printer.PrintLines(lines).ok());

    const int pages = PdfPages(pdf);
    EXPECT_GE(pages, 3); // 10-point lines: roughly 60 to 70 on a page
    const QString text = PdfText(pdf);
    EXPECT_EQ(text.count(QLatin1Char('\f')), pages);

    int position = 0;
    for (const QString& line : lines) {
        const int found = text.indexOf(line, position);
        ASSERT_GE(found, 0) << "missing or out of order: " << line.toStdString();
        position = found + line.size();
    }
    // A page holds whole lines: each page but the last is as full as the first.
    const QStringList pageTexts = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_EQ(pageTexts.size(), pages);
    const auto linesOn = [](const QString& page) {
        return page.count(QStringLiteral("of the list"));
    };
    for (int i = 1; i < pages - 1; ++i)
        EXPECT_EQ(linesOn(pageTexts[i]), linesOn(pageTexts[0])) << "page " << i + 1;
    // The page estimate of the print dialogs counts what a page really holds.
    EXPECT_EQ(printer.LinesPerPage(), linesOn(pageTexts[0]));
    EXPECT_EQ(PagesForLines(lines.size(), printer.LinesPerPage()), pages);
}

TEST(PagesForLinesTest, CountsWholePagesAndAtLeastOne) {
    const struct {
        qsizetype lines;
        int perPage, pages;
    } rows[] = {{0, 70, 1}, {1, 70, 1}, {70, 70, 1}, {71, 70, 2}, {141, 70, 3}, {5, 0, 5}};
    for (const auto& row : rows)
        EXPECT_EQ(PagesForLines(row.lines, row.perPage), row.pages) << row.lines;
}

// The set-up only stores the printer and its settings: its caption and its button say so.
TEST(PrinterSetupTest, IsCaptionedPrinterSetupWithAnOkButton) {
    QTemporaryDir dir;
    QtPrinter printer(dir.filePath(QStringLiteral("printed.pdf")));
    QString title;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        for (const QAbstractButton* button : dialog->findChild<QDialogButtonBox*>()->buttons())
            buttons << button->text();
        static_cast<QDialog*>(dialog)->reject();
    });
    EXPECT_FALSE(printer.Setup(nullptr));
    EXPECT_EQ(title, QStringLiteral("Printer Setup"));
    EXPECT_TRUE(buttons.contains(QStringLiteral("OK"))) << buttons.join('|').toStdString();
    EXPECT_FALSE(buttons.contains(QStringLiteral("&Print"))) << buttons.join('|').toStdString();
}

TEST_F(PdfPrinterTest, AnEmptyListPrintsAnEmptyPage) {
    ASSERT_TRUE(printer.PrintLines({}).ok());
    EXPECT_EQ(PdfPages(pdf), 1);
    EXPECT_TRUE(PdfText(pdf).trimmed().remove(QLatin1Char('\f')).isEmpty());
}

TEST(PrinterFailureTest, AnOutputThatCannotBeOpenedIsAPrintError) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("missing folder/printed.pdf"));
    QtPrinter printer(pdf);

    Status printed = printer.PrintLines({QStringLiteral("Heat")});
    ASSERT_FALSE(printed.ok());
    EXPECT_EQ(printed.error(), QString::fromLatin1(kPrintErrorText));

    printed = printer.PrintPoster(RedPicture(QSize(10, 10)), 96, 96);
    ASSERT_FALSE(printed.ok());
    EXPECT_EQ(printed.error(), QStringLiteral("Error Printing text."));
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST(PosterPrintRectTest, ScalesEachAxisByWholeDotsPerPixel) {
    // 1200 / 96 = 12.5: the half is dropped, so the poster is a little smaller than life.
    EXPECT_EQ(PosterPrintRect(QSize(300, 450), 1200, 1200, 96, 96), QRect(0, 0, 3600, 5400));
    EXPECT_EQ(PosterPrintRect(QSize(300, 450), 600, 300, 96, 96), QRect(0, 0, 1800, 1350));
    EXPECT_EQ(PosterPrintRect(QSize(300, 450), 600, 600, 120, 96), QRect(0, 0, 1500, 2700));
    // A printer coarser than the screen still prints the picture, dot for pixel.
    EXPECT_EQ(PosterPrintRect(QSize(300, 450), 72, 72, 96, 96), QRect(0, 0, 300, 450));
    // A screen that reports no resolution counts as the usual 96.
    EXPECT_EQ(PosterPrintRect(QSize(10, 10), 960, 960, 0, -5), QRect(0, 0, 100, 100));
    EXPECT_TRUE(PosterPrintRect(QSize(), 1200, 1200, 96, 96).isEmpty());
}

TEST_F(PdfPrinterTest, APosterIsDrawnAtTheTopLeftScaledToPrinterDots) {
    const QSize picture(50, 40);
    // 1200 / 96 = 12.5 across and 1200 / 160 = 7.5 down: the halves are dropped.
    ASSERT_TRUE(printer.PrintPoster(RedPicture(picture), 96, 160).ok());
    EXPECT_EQ(PdfPages(pdf), 1);

    // Four printer dots to a rendered pixel.
    constexpr int renderDpi = 300;
    const QImage page = RenderFirstPage(pdf, renderDpi);
    ASSERT_FALSE(page.isNull());
    const QRect red = RedExtent(page);
    ASSERT_FALSE(red.isEmpty());
    const double expectedWidth = 50.0 * (kPdfDpi / 96) / kPdfDpi * renderDpi;   // 150, not 156
    const double expectedHeight = 40.0 * (kPdfDpi / 160) / kPdfDpi * renderDpi; // 70, not 75
    EXPECT_NEAR(red.width(), expectedWidth, 2.0);
    EXPECT_NEAR(red.height(), expectedHeight, 2.0);
    // At the printable area's corner: inside the margins, nowhere near the middle.
    EXPECT_LT(red.left(), renderDpi);
    EXPECT_LT(red.top(), renderDpi);
}

TEST_F(PdfPrinterTest, ABigPosterIsCutOffNotFitted) {
    ASSERT_TRUE(printer.PrintPoster(RedPicture(QSize(2000, 3000)), 96, 96).ok());
    EXPECT_EQ(PdfPages(pdf), 1);
    const QImage page = RenderFirstPage(pdf, 72);
    const QRect red = RedExtent(page);
    ASSERT_FALSE(red.isEmpty());
    // It runs to the page's edges, where a fitted picture would keep its proportions inside.
    EXPECT_GE(red.right(), page.width() - 40);
    EXPECT_GE(red.bottom(), page.height() - 40);
}

TEST_F(PdfPrinterTest, NoPictureGivesAnEmptyPage) {
    ASSERT_TRUE(printer.PrintPoster(QImage(), 96, 96).ok());
    EXPECT_EQ(PdfPages(pdf), 1);
    const QImage page = RenderFirstPage(pdf, 36);
    ASSERT_FALSE(page.isNull());
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            ASSERT_EQ(page.pixel(x, y) & 0xffffff, 0xffffffu) << x << "," << y;
}

} // namespace
} // namespace quorvel
