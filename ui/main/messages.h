#pragma once
// What every window tells and asks the user through the dialog service, worded once.

#include "platform/services.h"

#include <QString>

namespace quorvel {

// A plain box with an OK button.
void ShowMessage(Services& services, const QString& text);
// The error box every window uses for a failure it does not handle itself.
void ReportError(Services& services, const QString& text);
// True when `path` does not exist yet or the user agrees to replace it.
bool ConfirmOverwrite(Services& services, const QString& path);
// Hands the address to the desktop's default handler; when the desktop has none for it, the
// user learns what could not be opened and why. Returns whether it was handed over.
bool OpenAddress(Services& services, const QString& address);

} // namespace quorvel
