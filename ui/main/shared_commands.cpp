#include "ui/main/shared_commands.h"

#include <QRect>
#include <QWidget>

#include "core/collection.h"

#include "ui/main/visual_lines.h"

#include <QFileInfo>
#include <QImage>
#include <QWidget>

namespace quorvel {

void ShowMessage(Services& services, const QString& text) {
    services.dialogs->ask(MessageKind::Plain, text, Buttons::Ok);
}

void ReportError(Services& services, const QString& text, Buttons buttons) {
    services.dialogs->ask(MessageKind::Error, text, buttons);
}

QString ExplainServiceError(const QString& serviceError) {
    const QString error = serviceError.trimmed();
    if (error != QLatin1String("No API key provided.") &&
        error != QLatin1String("Invalid API key!"))
        return serviceError;
    return serviceError + QStringLiteral("\nEnter your OMDb API key on the Options tab and press "
                                         "Save; a key is had at "
                                         "https://www.omdbapi.com/apikey.aspx");
}

bool ConfirmOverwrite(Services& services, const QString& path) {
    return ConfirmOverwrite(services, path, OverwriteQuestionText(path), MessageKind::Confirmation);
}

bool ConfirmOverwrite(Services& services, const QString& path, const QString& question,
                      MessageKind kind) {
    return !QFileInfo::exists(path) ||
           services.dialogs->ask(kind, question, Buttons::YesNo) == Button::Yes;
}

bool AskSearchNext(Services& services, const QString& entry) {
    return services.dialogs->ask(MessageKind::Confirmation,
                                 QStringLiteral("Found partial match: ") + entry +
                                     QStringLiteral(". Search the next one?"),
                                 Buttons::YesNo) != Button::No;
}

int OfferPartialMatches(Services& services, const QStringList& entries, const QList<int>& rows,
                        const std::function<void(int)>& select) {
    for (const int row : rows) {
        select(row);
        if (!AskSearchNext(services, entries.at(row)))
            return row;
    }
    return -1;
}

bool OpenAddress(Services& services, const QString& address) {
    if (services.shell->OpenWithDefaultHandler(address))
        return true;
    // Without a browser the desktop only writes a line on standard error, which nobody sees.
    ReportError(services, QStringLiteral("Could not open ") + address +
                              QStringLiteral(": no web browser or other program on this "
                                             "computer is set up to open it."));
    return false;
}

void PrintShownLines(Services& services, const QPlainTextEdit& box) {
    const Status printed = services.printer->PrintLines(VisualLines(box));
    if (!printed)
        ReportError(services, printed.error());
}

void PrintPicture(Services& services, const QImage& picture, const QWidget& shownOn) {
    const Status printed =
        services.printer->PrintPoster(picture, shownOn.logicalDpiX(), shownOn.logicalDpiY());
    if (!printed)
        ReportError(services, printed.error());
}

void ShowWindow(QWidget& window, const QWidget* over) {
    if (over && over->isVisible() && !window.isVisible())
        CentreWindow(window, over->frameGeometry());
    window.show();
    window.raise();
    window.activateWindow();
}

void CentreWindow(QWidget& window, const QRect& area) {
    QRect frame = window.frameGeometry();
    frame.moveCenter(area.center());
    window.move(frame.topLeft());
}

} // namespace quorvel
