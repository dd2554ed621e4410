#pragma once
// The whole application over a temporary collection folder, with scripted services, for the
// off-line tab and its reader.

#include "core/options.h"
#include "tests/support/window_fixture.h"
#include "ui/main/main_window.h"
#include "ui/main/picture_box.h"
#include "ui/main/search_offline_tab.h"
#include "ui/tools/reader.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QTemporaryDir>

namespace quorvel::test {

class OfflineTabTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        // Never let a search reach the network: off line, the hand-over stops at its message.
        scripted.connection.online = false;
        folder = MakeFolder();
        WriteOptions("[Settings]\r\nSavingPath=" + folder.toUtf8() + "\r\n");
    }

    // Starts the program; call once the folder holds what the test needs.
    void Start() {
        WindowFixture::Start();
        scripted.dialogs.messages.clear();
        tab = Main().OfflineTab();
        ASSERT_NE(tab, nullptr);
        list = tab->findChild<QListView*>("MovieList");
        ASSERT_NE(list, nullptr);
        // A user works on the tab once it is in view; it lists the collection then.
        Main().Pages()->setCurrentWidget(tab);
        Main().show();
        scripted.dialogs.messages.clear();
    }

    QString collection() const { return folder; }
    QString InCollection(const QString& name) const { return folder + "/" + name; }

    void AddInfo(const QString& title, const QStringList& lines = {}) {
        const QStringList text =
            lines.isEmpty() ? QStringList{title, "", "TYPE", "movie", ""} : lines;
        ASSERT_TRUE(
            WriteFileBytes(InCollection(title + ".txt"), (text.join("\r\n") + "\r\n").toLatin1()));
    }
    QImage AddPoster(const QString& title, QColor colour = Qt::red) {
        QImage image(40, 60, QImage::Format_RGB32);
        image.fill(colour);
        EXPECT_TRUE(image.save(InCollection(title + ".jpg"), "JPG"));
        return image;
    }

    template <typename W> W* Find(const char* name) const {
        return WindowFixture::Find<W>(tab, name);
    }
    QPushButton* ButtonNamed(const char* name) const { return Find<QPushButton>(name); }
    QPlainTextEdit* Memo2() const { return Find<QPlainTextEdit>("Memo2"); }
    QLabel* Label10() const { return Find<QLabel>("Label10"); }
    QString CountLabel() const { return Find<QLabel>("Label12")->text(); }
    const QImage& Image2() const { return Find<PictureBox>("Image2")->picture(); }
    QLineEdit* Edit3() const { return Find<QLineEdit>("Edit3"); }

    QStringList Entries() const { return tab->ListEntries(); }
    int Row(const QString& entry) const { return int(Entries().indexOf(entry)); }
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

    QString folder; // the collection folder
    SearchOfflineTab* tab = nullptr;
    QListView* list = nullptr;
};

} // namespace quorvel::test
