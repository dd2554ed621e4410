#include "ui/main/embedded_browser.h"

#include <QLabel>
#include <QLayout>
#include <QList>
#include <QWebEngineProfile>
#include <QWidget>

#include <unistd.h>

namespace quorvel {

namespace {

// Sets an environment variable for its own lifetime and then puts back what was there.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), saved_(qgetenv(name)) {
        qputenv(name_, value);
    }
    ~ScopedEnvironment() {
        if (wasSet_)
            qputenv(name_, saved_);
        else
            qunsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    bool wasSet_;
    QByteArray saved_;
};

} // namespace

bool BrowserMayRun(bool root, const QByteArray& chromiumFlags, const QByteArray& disableSandbox) {
    if (!root)
        return true;
    // The engine splits its flags at blanks; only the whole word turns the sandbox off.
    const QList<QByteArray> flags = chromiumFlags.split(' ');
    return flags.contains("--no-sandbox") || (!disableSandbox.isEmpty() && disableSandbox != "0");
}

bool BrowserMayRunHere() {
    return BrowserMayRun(::getuid() == 0 || ::geteuid() == 0, qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"),
                         qgetenv("QTWEBENGINE_DISABLE_SANDBOX"));
}

QString RootBrowserNotice() {
    return QStringLiteral(
        "The built-in browser does not run for the root user (the system administrator): a web "
        "page would have every right on this computer.\n\n"
        "To use it, close Quorvel and start it again as your own user: from your desktop's menu, "
        "or from a terminal where you are not root (no sudo, no su).");
}

QLabel* ReplaceBrowserByNotice(QWidget* browser, const QString& text) {
    QWidget* parent = browser->parentWidget();
    auto* notice = new QLabel(text, parent);
    notice->setObjectName(QStringLiteral("BrowserNotice"));
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignCenter);
    notice->setMargin(24);
    notice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (QLayout* layout = parent ? parent->layout() : nullptr)
        delete layout->replaceWidget(browser, notice);
    delete browser;
    return notice;
}

std::unique_ptr<QWebEngineProfile> MakeBrowserProfile(const QString& appFolder) {
    std::unique_ptr<QWebEngineProfile> profile;
    {
        // Qt 6.4 opens a named profile's preference file in the user's data folder the moment
        // the profile is made, before any other place can be given, and writes it there. With
        // the data folder pointed where no folder can be made, those first preferences stay in
        // memory (Qt warns once that it cannot make that folder); the ones that last are set up
        // in the profile's own place below.
        const ScopedEnvironment nowhere("XDG_DATA_HOME", "/dev/null");
        profile = std::make_unique<QWebEngineProfile>(QStringLiteral("Quorvel"));
    }
    profile->setPersistentStoragePath(appFolder + QStringLiteral("Browser"));
    profile->setCachePath(appFolder + QStringLiteral("Browser/Cache"));
    return profile;
}

} // namespace quorvel
