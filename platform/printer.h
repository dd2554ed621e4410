#pragma once
// Printing plain lines and posters on the current printer.

#include "core/result.h"

#include <QImage>
#include <QRect>
#include <QStringList>

#include <memory>

class QPrinter;
class QWidget;

namespace quorvel {

inline constexpr const char* kPrintErrorText = "Error Printing text.";

// Where PrintPoster draws a picture of `picture` pixels, in printer dots from the printable
// area's top-left: each axis scaled by printer dpi / screen dpi, remainder dropped, at least 1.
// A screen dpi that is not positive counts as 96.
QRect PosterPrintRect(QSize picture, int printerDpiX, int printerDpiY, int screenDpiX,
                      int screenDpiY);

// The page numbers a print dialog offers and presets: from `first` to `last`, within `lowest`
// to `highest`.
struct PrintPageRange {
    int first = 1;
    int last = 1;
    int lowest = 1;
    int highest = 1;
};

// How many pages `lines` printed lines fill at `linesPerPage` a page: at least one.
int PagesForLines(qsizetype lines, int linesPerPage);

class Printer {
public:
    virtual ~Printer() = default;
    // One printed line per line, top down, a new page when full; no line for an empty list.
    // A device failure comes back as an Error whose message is kPrintErrorText.
    virtual Status PrintLines(const QStringList& lines) = 0;
    // At the page's top-left corner, scaled by printer dpi / screen dpi (whole numbers, per
    // axis), cut off where it does not fit; a null image prints an empty page.
    virtual Status PrintPoster(const QImage& picture, int screenDpiX, int screenDpiY) = 0;
    // How many lines PrintLines puts on one page of the current printer, at least one.
    virtual int LinesPerPage() const = 0;
    // Lets the user choose the current printer and its settings, printing nothing; false when
    // cancelled.
    virtual bool Setup(QWidget* parent) = 0;
    // The print dialog before a job: page numbers offered and preset to `range`, a warning
    // first when the computer has no printer installed. True when the user confirmed it; the
    // printer chosen is the one the next job prints on.
    virtual bool ConfirmPrint(QWidget* parent, const PrintPageRange& range) = 0;
    virtual QString CurrentPrinterName() const = 0;
};

// The system's printers through QPrinter; tests pass a PDF file to print into.
class QtPrinter final : public Printer {
public:
    QtPrinter();
    explicit QtPrinter(const QString& pdfOutputPath);
    ~QtPrinter() override;
    Status PrintLines(const QStringList& lines) override;
    Status PrintPoster(const QImage& picture, int screenDpiX, int screenDpiY) override;
    int LinesPerPage() const override;
    bool Setup(QWidget* parent) override;
    bool ConfirmPrint(QWidget* parent, const PrintPageRange& range) override;
    QString CurrentPrinterName() const override;

private:
    std::unique_ptr<QPrinter> printer_;
};

} // namespace quorvel
