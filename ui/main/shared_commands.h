#pragma once
// What every window tells and asks the user, and the commands several windows share, each in
// one place.

#include "platform/services.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QImage;
class QPlainTextEdit;
class QRect;
class QWidget;

namespace quorvel {

// The captions of the portable mode indicator and of its copies, which path commands test.
inline const QString kPortableOn = QStringLiteral("Portable mode on");
inline const QString kPortableOff = QStringLiteral("Portable mode off");

// A plain box with an OK button.
void ShowMessage(Services& services, const QString& text);
// The error box every window uses for a failure it does not handle itself; a few windows
// answer theirs with a single Abort button.
void ReportError(Services& services, const QString& text, Buttons buttons = Buttons::Ok);
// The OMDb service's refusal as the user reads it: for a missing or refused access key a second
// line says where the key goes and where one is had.
QString ExplainServiceError(const QString& serviceError);
// True when `path` does not exist yet or the user agrees to replace it.
bool ConfirmOverwrite(Services& services, const QString& path);
// The same with a window's own question, asked in a box of `kind` with Yes and No.
bool ConfirmOverwrite(Services& services, const QString& path, const QString& question,
                      MessageKind kind);
// The list searches' question at a partial match; true when the user wants the next one.
bool AskSearchNext(Services& services, const QString& entry);
// Selects each of `rows` of the list in turn, through `select`, and asks whether to go on.
// Returns the row the user stopped at, or -1 when every row was offered.
int OfferPartialMatches(Services& services, const QStringList& entries, const QList<int>& rows,
                        const std::function<void(int)>& select);
// Hands the address to the desktop's default handler; when the desktop has none for it, the
// user learns what could not be opened and why. Returns whether it was handed over.
bool OpenAddress(Services& services, const QString& address);
// Prints the box's lines as it shows them (wrapped lines as their pieces); reports a failure.
void PrintShownLines(Services& services, const QPlainTextEdit& box);
// Prints the picture scaled from the screen of `shownOn` to printer dots; reports a failure.
void PrintPicture(Services& services, const QImage& picture, const QWidget& shownOn);

// Shows a modeless window, or brings it to the front when it is shown already. With `over`
// on screen, a window not yet shown opens centred on it; a shown one stays where the user put
// it.
void ShowWindow(QWidget& window, const QWidget* over = nullptr);
// Moves the window's frame so that its centre is the centre of `area`.
void CentreWindow(QWidget& window, const QRect& area);

} // namespace quorvel
