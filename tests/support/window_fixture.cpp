#include "tests/support/window_fixture.h"

#include "ui/main/main_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdlib>

namespace quorvel::test {

namespace {

// The browser engine goes on writing into its profile in the application folder until it shuts
// down with the QApplication: the folders go once the tests' main has returned.
QStringList& FoldersToRemoveAtExit() {
    static QStringList folders;
    return folders;
}

void RemoveFoldersAtExit() {
    for (const QString& folder : FoldersToRemoveAtExit())
        QDir(folder).removeRecursively();
}

} // namespace

void WindowFixture::SetUp() {
    ASSERT_TRUE(appDir.isValid());
    appDir.setAutoRemove(false);
    if (FoldersToRemoveAtExit().isEmpty())
        std::atexit(RemoveFoldersAtExit);
    FoldersToRemoveAtExit() << appDir.path();
}

void WindowFixture::TearDown() {
    if (!app)
        return;
    for (QWidget* top : QApplication::topLevelWidgets())
        top->hide();
    app.reset();
}

QString WindowFixture::AppFolder() const {
    return appDir.path() + QLatin1Char('/');
}

QString WindowFixture::OptionsPath() const {
    return AppFolder() + QStringLiteral("Options.ini");
}

void WindowFixture::WriteOptions(const QByteArray& contents) {
    ASSERT_TRUE(WriteFileBytes(OptionsPath(), contents)) << OptionsPath().toStdString();
}

QString WindowFixture::MakeFolder(const QString& name) {
    const QString path = AppFolder() + name;
    EXPECT_TRUE(QDir().mkpath(path)) << path.toStdString();
    return path;
}

void WindowFixture::Start() {
    services = scripted.services();
    app = std::make_unique<Application>(services, AppFolder());
}

void WindowFixture::ForgetStartup() {
    scripted.dialogs.messages.clear();
    scripted.connection.asked = 0;
}

TForm1& WindowFixture::Main() const {
    return app->mainWindow();
}

const QWidget* WindowFixture::MainWidget() const {
    return app ? &app->mainWindow() : nullptr;
}

QString WindowFixture::Messages() const {
    return scripted.dialogs.messageTexts().join(QStringLiteral(" / "));
}

} // namespace quorvel::test
