#include "platform/printer.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

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

// The plain text device's page: the height of one printed line and of the printable area,
// in printer dots. Metrics of the printer, not of the screen: the two differ by the ratio of
// their dpi.
struct LinePage {
    int lineHeight;
    int pageHeight;
};

LinePage LinePageOf(QPrinter& printer, const QFont& font) {
    const QFontMetrics metrics(font, &printer);
    return {std::max(1, metrics.lineSpacing()), printer.height()};
}

} // namespace

int PagesForLines(qsizetype lines, int linesPerPage) {
    linesPerPage = std::max(1, linesPerPage);
    return std::max(1, int((lines + linesPerPage - 1) / linesPerPage));
}

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
    const auto [lineHeight, pageHeight] = LinePageOf(*printer_, font);
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

// A page holds the first line whatever its height, then every line that fits below it, as
// PrintLines fills it.
int QtPrinter::LinesPerPage() const {
    const auto [lineHeight, pageHeight] = LinePageOf(*printer_, PlainTextFont());
    return std::max(1, pageHeight / lineHeight);
}

// The print dialog chooses the printer and its settings, but here it prints nothing: it says
// so in its caption and its button.
bool QtPrinter::Setup(QWidget* parent) {
    QPrintDialog dialog(printer_.get(), parent);
    dialog.setWindowTitle(QStringLiteral("Printer Setup"));
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    }
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
