#include "platform/printer.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace quorvel {

namespace {

int PosterScale(int printerDpi, int screenDpi) {
    if (screenDpi <= 0)
        screenDpi = 96;
    // A printer coarser than the screen would give 0 and print a blank page; 1 still prints.
    return std::max(1, printerDpi / screenDpi);
}

Error PrintError() {
    return Failure(QString::fromLatin1(kPrintErrorText));
}

// The plain text device's font: the desktop's own, at a size that reads well on paper.
QFont PlainTextFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(10);
    return font;
}

} // namespace

QRect PosterPrintRect(QSize picture, int printerDpiX, int printerDpiY, int screenDpiX,
                      int screenDpiY) {
    if (picture.isEmpty())
        return {};
    return QRect(0, 0, picture.width() * PosterScale(printerDpiX, screenDpiX),
                 picture.height() * PosterScale(printerDpiY, screenDpiY));
}

QtPrinter::QtPrinter() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

QtPrinter::QtPrinter(const QString& pdfOutputPath)
    : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(pdfOutputPath);
}

QtPrinter::~QtPrinter() = default;

Status QtPrinter::PrintLines(const QStringList& lines) {
    QPainter painter;
    if (!painter.begin(printer_.get()))
        return PrintError();

    const QFont font = PlainTextFont();
    painter.setFont(font);
    // Metrics of the printer, not of the screen: the two differ by the ratio of their dpi.
    const QFontMetrics metrics(font, printer_.get());
    const int lineHeight = metrics.lineSpacing();
    const int pageHeight = printer_->height();
    const int pageWidth = printer_->width();

    bool drawn = true;
    int top = 0;
    for (const QString& line : lines) {
        if (top > 0 && top + lineHeight > pageHeight) {
            if (!printer_->newPage()) {
                drawn = false;
                break;
            }
            top = 0;
        }
        // Clipped at the right margin like a line printer, never wrapped: the lines come
        // already wrapped as the text box shows them.
        painter.drawText(QRect(0, top, pageWidth, lineHeight), Qt::AlignLeft | Qt::AlignTop, line);
        top += lineHeight;
    }

    const bool closed = painter.end();
    if (!drawn || !closed || printer_->printerState() == QPrinter::Error)
        return PrintError();
    return Success();
}

Status QtPrinter::PrintPoster(const QImage& picture, int screenDpiX, int screenDpiY) {
    QPainter painter;
    if (!painter.begin(printer_.get()))
        return PrintError();
    if (!picture.isNull()) {
        const QRect target = PosterPrintRect(picture.size(), printer_->logicalDpiX(),
                                             printer_->logicalDpiY(), screenDpiX, screenDpiY);
        painter.drawImage(target, picture);
    }
    // The job is closed whatever the drawing did, or the spooler keeps a half-open document.
    const bool closed = painter.end();
    if (!closed || printer_->printerState() == QPrinter::Error)
        return PrintError();
    return Success();
}

bool QtPrinter::Setup(QWidget* parent) {
    QPrintDialog dialog(printer_.get(), parent);
    return dialog.exec() == QDialog::Accepted;
}

bool QtPrinter::ConfirmPrint(QWidget* parent, const PrintPageRange& range) {
    // A PDF file needs no printer; a real job with none installed could only fail later.
    if (printer_->outputFormat() == QPrinter::NativeFormat &&
        QPrinterInfo::availablePrinterNames().isEmpty())
        QMessageBox::warning(parent, QString(),
                             QStringLiteral("No printer is installed on this computer."));
    QPrintDialog dialog(printer_.get(), parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(range.lowest, range.highest);
    dialog.setFromTo(range.first, range.last);
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    // The range is offered, not obeyed: a job prints every line it is given.
    printer_->setPrintRange(QPrinter::AllPages);
    return confirmed;
}

QString QtPrinter::CurrentPrinterName() const {
    return printer_->printerName();
}

} // namespace quorvel
