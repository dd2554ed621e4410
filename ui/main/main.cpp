// Quorvel's entry point: a command when one is asked for (no display needed), otherwise the
// real desktop services, then every window, then the event loop.

#include "cli/command_line.h"
#include "core/options.h"
#include "platform/services.h"
#include "ui/main/application.h"
#include "ui/main/main_window.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

namespace {

// With QUORVEL_QUIT_WHEN_SHOWN set, the program says "shown" once its main window is first
// painted, and ends: the start-up benchmark times what a user waits for, and nothing after.
class QuitWhenShown : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool done_ = false;
};

} // namespace

int main(int argc, char** argv) {
    // Before any QApplication: the commands run where there is no display at all.
    if (quorvel::cli::IsCommandLine(argc, argv))
        return quorvel::cli::RunFromMain(argc, argv);

    // The video tab's browser shares its graphics context with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Its view draws through Qt Quick, which would keep compiled shaders in the user's cache
    // folder: nothing of the browser stays outside the application folder.
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    // The desktop matches the windows to the menu entry by this name, and shows its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvel.Quorvel"));
    // No display name: the window system would append it to every window's own caption.

    quorvel::QtDialogs dialogs;
    quorvel::DesktopShell shell;
    quorvel::QtPrinter printer;
    quorvel::NetworkConnection connection;
    quorvel::SystemClock clock;
    quorvel::Services services{&dialogs, &shell, &printer, &connection, &clock};

    quorvel::Application app(services, quorvel::ApplicationFolder());
    // The resources are in place once the windows are made; every window without an icon of
    // its own takes the application's.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/quorvel-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    // Start-up's questions come before the main window exists on screen; later ones sit on it.
    dialogs.setParent(&app.mainWindow());
    QuitWhenShown quitWhenShown;
    if (qEnvironmentVariableIsSet("QUORVEL_QUIT_WHEN_SHOWN"))
        app.mainWindow().installEventFilter(&quitWhenShown);
    app.mainWindow().show();
    return qtApp.exec();
}
