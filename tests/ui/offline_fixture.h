#pragma once
// The whole application over a temporary collection folder, with scripted services, for the
// off-line tab and its reader.

#include "core/options.h"
#include "tests/support/scripted_services.h"
#include "ui/main/application.h"
#include "ui/main/main_window.h"
#include "ui/main/search_offline_tab.h"
#include "ui/tools/reader.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QTemporaryDir>

#include <memory>

namespace quorvel::test {

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

class OfflineTabTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(appDir.isValid() && collectionDir.isValid());
        // Never let a search reach the network: off line, the hand-over stops at its message.
        scripted.connection.online = false;
        WriteBytes(appDir.path() + "/Options.ini",
                   "[Settings]\r\nSavingPath=" + collection().toUtf8() + "\r\n");
    }

    void TearDown() override {
        if (app)
            app->mainWindow().OfflineTab()->window()->hide();
    }

    // Starts the program; call once the folder holds what the test needs.
    void Start() {
        services = scripted.services();
        app = std::make_unique<Application>(services, appDir.path() + "/");
        scripted.dialogs.messages.clear();
        tab = app->mainWindow().OfflineTab();
        ASSERT_NE(tab, nullptr);
        list = tab->findChild<QListView*>("MovieList");
        ASSERT_NE(list, nullptr);
    }

    QString collection() const { return collectionDir.path(); }
    QString InCollection(const QString& name) const { return collection() + "/" + name; }

    void AddInfo(const QString& title, const QStringList& lines = {}) {
        const QStringList text =
            lines.isEmpty() ? QStringList{title, "", "TYPE", "movie", ""} : lines;
        WriteBytes(InCollection(title + ".txt"), (text.join("\r\n") + "\r\n").toLatin1());
    }
    QImage AddPoster(const QString& title, QColor colour = Qt::red) {
        QImage image(40, 60, QImage::Format_RGB32);
        image.fill(colour);
        EXPECT_TRUE(image.save(InCollection(title + ".jpg"), "JPG"));
        return image;
    }

    template <typename W> W* Find(const char* name) const {
        W* widget = tab->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QPushButton* ButtonNamed(const char* name) const { return Find<QPushButton>(name); }
    QPlainTextEdit* Memo2() const { return Find<QPlainTextEdit>("Memo2"); }
    QLabel* Label10() const { return Find<QLabel>("Label10"); }
    QString CountLabel() const { return Find<QLabel>("Label12")->text(); }
    const QImage& Image2() const { return Find<PictureBox>("Image2")->picture(); }
    QLineEdit* Edit3() const { return Find<QLineEdit>("Edit3"); }

    QStringList Entries() const { return tab->ListEntries(); }
    int Row(const QString& entry) const { return Entries().indexOf(entry); }
    int SelectedRow() const {
        const QModelIndexList rows = list->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }
    QString SelectedEntry() const {
        const int row = SelectedRow();
        return row < 0 ? QString() : Entries().at(row);
    }
    // What a keyboard move onto the entry does.
    void MoveTo(const QString& entry) {
        const int row = Row(entry);
        ASSERT_GE(row, 0) << entry.toStdString();
        list->setCurrentIndex(list->model()->index(row, 0));
    }

    ScriptedServices scripted;
    Services services;
    QTemporaryDir appDir;
    QTemporaryDir collectionDir;
    std::unique_ptr<Application> app;
    SearchOfflineTab* tab = nullptr;
    QListView* list = nullptr;
};

} // namespace quorvel::test
