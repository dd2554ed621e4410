#pragma once
// TForm3, "Favourites": gives the bookmarked video a title and adds it to the favourites.

#include "core/textfile.h"
#include "platform/services.h"
#include "ui/windows.h"

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class TForm3;
}

namespace quorvel {

class Settings;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    TForm3(Windows& windows, Services& services, Settings& settings, QWidget* parent = nullptr);
    ~TForm3() override;

    void FormCreate(); // ListBox1 from the favourites file
    // The bookmark button's hand-over: the identifier into Edit1.
    void SetVideoId(const QString& id);
    // Shows the window without blocking its opener, or brings it to the front when open.
    void Open();

    // ListBox1, the full sorted list the add command tests, extends and writes.
    QStringList Favourites() const { return entries_; }
    void SetFavourites(const QStringList& entries); // sorted here

    void Edit2Change(const QString& text);
    void Button1Click(); // Add to favourite
    void Button2Click(); // Close

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void ShowEntries();

    std::unique_ptr<Ui::TForm3> ui;
    Windows& windows_;
    Services& services_;
    Settings& settings_;
    QStringList entries_;
    TextEncoding encoding_ = TextEncoding::Ansi; // of the file ListBox1 last read
};

} // namespace quorvel
