// Every window in each of the six looks: no caption cut, no button squeezed below its size,
// every hint whole in its window's hint panel; and long field values shown from their start.

#include "core/infotext.h"
#include "tests/support/list_view.h"
#include "tests/support/window_fixture.h"
#include "ui/main/main_window.h"
#include "ui/main/themes.h"
#include "ui/tools/about_box.h"
#include "ui/tools/add_favourite.h"
#include "ui/tools/album_creator.h"
#include "ui/tools/album_name_request.h"
#include "ui/tools/backup.h"
#include "ui/tools/contact.h"
#include "ui/tools/info_list_creator.h"
#include "ui/tools/info_text_editor.h"
#include "ui/tools/manage_favourites.h"
#include "ui/tools/portable_mode.h"
#include "ui/tools/reader.h"
#include "ui/tools/thanks.h"
#include "ui/tools/update_check.h"
#include "ui/tools/whats_new.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>

#include <functional>

namespace quorvel::test {
namespace {

// What does not fit in `window`: "name: text" for each visible button smaller than its size
// hint and each one-line label narrower than its text, and each hint its panel cannot show.
QStringList CutParts(QWidget* window) {
    QStringList cut;
    QLabel* panel = nullptr;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->window() != window)
            continue;
        if (widget->objectName() == QLatin1String("Panel2"))
            panel = qobject_cast<QLabel*>(widget);
        if (!widget->isVisible())
            continue;
        const QSize hint = widget->sizeHint();
        const auto* label = qobject_cast<QLabel*>(widget);
        const bool oneLine = label && !label->wordWrap() && label->pixmap().isNull();
        if ((qobject_cast<QAbstractButton*>(widget) &&
             (hint.width() > widget->width() || hint.height() > widget->height())) ||
            (oneLine && hint.width() > widget->width()))
            cut << widget->objectName() + ": " + widget->property("text").toString();
    }
    if (!panel)
        return cut;
    const QRect room = panel->contentsRect();
    QLabel probe;
    probe.setFont(panel->font());
    probe.setWordWrap(panel->wordWrap());
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        const QString hint = widget->statusTip();
        if (widget->window() != window || hint.isEmpty())
            continue;
        probe.setText(hint);
        const bool fits = panel->wordWrap()
                              ? probe.heightForWidth(room.width()) <= room.height()
                              : probe.fontMetrics().horizontalAdvance(hint) <= room.width();
        if (!fits)
            cut << "hint of " + widget->objectName();
    }
    return cut;
}

class LooksTest : public WindowFixture {};

TEST_F(LooksTest, NothingIsCutInAnyWindowOfAnyLook) {
    // Something to list, so that lists and previews are not empty.
    const QString title = "A title long enough to be cut in several windows of the program";
    ASSERT_TRUE(WriteFileBytes(AppFolder() + title + ".txt",
                               ComposeInfoText(title, {}).join("\r\n").toUtf8()));
    Start();
    Main().show();
    const WindowSet& w = app->windows();
    struct Shown {
        QString name;
        std::function<QWidget*()> open;
    };
    std::vector<Shown> windows;
    for (int tab = 0; tab < Main().Pages()->count(); ++tab)
        windows.push_back({Main().Pages()->tabText(tab), [this, tab] {
                               Main().Pages()->setCurrentIndex(tab);
                               return static_cast<QWidget*>(&Main());
                           }});
    const auto add = [&windows](const char* name, auto* window) {
        windows.push_back({name, [window] {
                               window->Open();
                               return static_cast<QWidget*>(window);
                           }});
    };
    add("about", w.aboutBox);
    add("contact", w.form2);
    add("add favourite", w.form3);
    add("manage favourites", w.form4);
    add("Manage Info Text", w.form5);
    add("reader", w.form6);
    add("album", w.form7);
    add("update", w.form8);
    add("portable", w.form9);
    add("thanks", w.form10);
    add("Info List Creator", w.form12);
    add("album name", w.form13);
    add("what's new", w.form15);
    add("backup", w.form16);

    for (const char* look : {"Windows", "Aqua Graphite", "Cyan Night", "Iceberg Classico",
                             "Ruby Graphite", "TabletDark"}) {
        SCOPED_TRACE(look);
        ASSERT_TRUE(ApplyStyle(look));
        Main().FitToContents();
        for (const Shown& shown : windows) {
            SCOPED_TRACE(shown.name.toStdString());
            QWidget* window = shown.open();
            QCoreApplication::processEvents();
            EXPECT_EQ(CutParts(window).join(" | ").toStdString(), "");
            if (window != &Main())
                window->hide();
        }
        // The style's least button height must not undo the form's own.
        EXPECT_EQ(Find<QPushButton>(w.form10, "Button1")->height(), 48);
    }
}

TEST_F(LooksTest, ALoadedRecordShowsEachFieldFromItsStart) {
    const QString longValue(300, QLatin1Char('x'));
    QStringList values(17, "a value long enough to run past the end of its box: " + longValue);
    values[4] = "02 Mar 1942";
    ASSERT_TRUE(WriteFileBytes(AppFolder() + "Long.txt",
                               ComposeInfoText("Long " + longValue, values).join("\r\n").toUtf8()));
    Start();
    TForm5* form = app->windows().form5;
    form->Open();
    SelectRow(Find<QListView>(form, "MovieListEdit"), 0);
    Find<QPushButton>(form, "Button2")->click();
    int fields = 0;
    for (const QLineEdit* edit : form->findChildren<QLineEdit*>()) {
        if (edit->text().size() < 300)
            continue;
        ++fields;
        EXPECT_EQ(edit->cursorPosition(), 0) << edit->objectName().toStdString();
    }
    EXPECT_EQ(fields, 16); // the title and every one-line field but the date
}

} // namespace
} // namespace quorvel::test
