#pragma once
// What the video tab and the what's-new window need to know before they make a browser: whether
// it may run in this process, the profile it keeps beside the program, and what to show instead.

#include <QByteArray>
#include <QString>

#include <memory>

class QLabel;
class QWebEngineProfile;
class QWidget;

namespace quorvel {

// Chromium's sandbox refuses the root user, and without it a web page would act with every right
// on the machine. So for root the browser runs only when the environment itself asks for it
// without sandbox: "--no-sandbox" among `chromiumFlags` (QTWEBENGINE_CHROMIUM_FLAGS), or
// `disableSandbox` (QTWEBENGINE_DISABLE_SANDBOX) neither empty nor "0". Any other user may run it.
bool BrowserMayRun(bool root, const QByteArray& chromiumFlags, const QByteArray& disableSandbox);
// The same for this process, its user and its environment.
bool BrowserMayRunHere();

// What the window says in place of the browser it does not run for root.
QString RootBrowserNotice();

// Deletes `browser` and puts a label with `text` into its place in its parent's layout; the
// label belongs to that parent.
QLabel* ReplaceBrowserByNotice(QWidget* browser, const QString& text);

// The browser's named profile with everything it stores in `appFolder` + "Browser", so a portable
// installation leaves nothing of it on the computer. Starts the browser engine.
std::unique_ptr<QWebEngineProfile> MakeBrowserProfile(const QString& appFolder);

} // namespace quorvel
