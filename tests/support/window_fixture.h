#pragma once
// The whole program over a temporary application folder with scripted desktop services: what a
// window test starts from. Write Options.ini and fill folders first, then Start().

#include "tests/support/scripted_services.h"
#include "tests/support/test_files.h"
#include "ui/main/application.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

namespace quorvel {
class TForm1;
}

namespace quorvel::test {

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override; // hides every window and ends the program

    // The application folder, ending with "/", as the program receives it.
    QString AppFolder() const;
    QString OptionsPath() const; // AppFolder() + "Options.ini"
    // Writes Options.ini before start-up; the contents are taken as they are (CR LF is yours).
    void WriteOptions(const QByteArray& contents);
    // Creates AppFolder() + name and returns its path without a trailing separator, the form
    // a folder picked in the folder browser has.
    QString MakeFolder(const QString& name = QStringLiteral("Movies"));

    // Builds the Application (its windows and their start-up) on the scripted services.
    // What start-up asked stays in scripted.dialogs.messages; ForgetStartup() clears it.
    void Start();
    void ForgetStartup();

    TForm1& Main() const;

    // A child of `root` by object name; a failed look-up is a test failure and gives null.
    template <typename W> W* Find(const QWidget* root, const char* name) const {
        W* widget = root ? root->findChild<W*>(QString::fromLatin1(name)) : nullptr;
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    // A child of the main window by object name.
    template <typename W> W* FindInMain(const char* name) const {
        return Find<W>(MainWidget(), name);
    }

    // The recorded message texts joined by " / ", for failure output.
    QString Messages() const;

    ScriptedServices scripted;
    Services services;
    QTemporaryDir appDir;
    std::unique_ptr<Application> app;

private:
    const QWidget* MainWidget() const;
};

} // namespace quorvel::test
