#pragma once
// The whole application over a temporary application folder whose Options.ini points the OMDb
// address at a fake server on 127.0.0.1, with scripted desktop services.

#include "core/options.h"
#include "tests/support/fake_web_server.h"
#include "tests/support/scripted_services.h"
#include "tests/support/window_fixture.h"
#include "ui/main/application.h"
#include "ui/main/main_window.h"
#include "ui/main/picture_box.h"
#include "ui/main/search_online_tab.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include <memory>

namespace quorvel::test {

class OnlineTabTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        folder = MakeFolder();
        server.serveFixture("/posters/shawshank.jpg", "omdb/poster.jpg", "image/jpeg");
        server.serveOmdbTitle("The Shawshank Redemption", "omdb/shawshank.json");
        WriteOptions("[Settings]\r\nSavingPath=" + folder.toUtf8() +
                     "\r\nOmdbAddress=" + server.baseAddress().toUtf8() + "\r\n");
    }

    // Starts the program, then forgets what start-up asked and sent.
    void Start() {
        WindowFixture::Start();
        tab = Main().OnlineTab();
        ASSERT_NE(tab, nullptr);
        ForgetStartup();
        server.resetCounts();
    }

    // Searches the way the user does: the text into Edit1, then Search Info.
    void Search(const QString& text) {
        tab->TitleEdit()->setText(text);
        tab->Button1Click();
    }
    void SearchShawshank() {
        Search("The Shawshank Redemption");
        ASSERT_TRUE(scripted.dialogs.messages.empty()) << Messages().toStdString();
        ASSERT_FALSE(tab->ShownPoster().isNull());
        server.resetCounts();
    }

    template <typename W> W* Find(const char* name) const {
        return WindowFixture::Find<W>(tab, name);
    }
    QPushButton* ButtonNamed(const char* name) const { return Find<QPushButton>(name); }
    QPlainTextEdit* Memo1() const { return Find<QPlainTextEdit>("Memo1"); }
    QProgressBar* Bar() const { return Find<QProgressBar>("ProgressBar1"); }
    QString MemoText() const { return Memo1()->toPlainText(); }
    QStringList MemoLines() const { return MemoText().split(QLatin1Char('\n')); }
    const QImage& Image1() const { return Find<PictureBox>("Image1")->picture(); }
    QString InFolder(const QString& name) const { return folder + "/" + name; }

    // The status bar's text, whether it is shown as a message or in a label of the bar.
    QString StatusText() const {
        QStatusBar* bar = Main().findChild<QStatusBar*>();
        if (!bar)
            return {};
        if (!bar->currentMessage().isEmpty())
            return bar->currentMessage();
        for (QLabel* label : bar->findChildren<QLabel*>()) {
            if (!label->text().isEmpty())
                return label->text();
        }
        return {};
    }

    // Every button whose state the search and the info text decide, by name.
    void ExpectEnabled(std::initializer_list<const char*> names, bool enabled) const {
        for (const char* name : names)
            EXPECT_EQ(ButtonNamed(name)->isEnabled(), enabled) << name;
    }

    FakeWebServer server;
    QString folder; // the collection folder
    SearchOnlineTab* tab = nullptr;
};

} // namespace quorvel::test
