#pragma once
// TForm13, "Local HTML Album request": the name of an index made from a filtered list.

#include "platform/services.h"
#include "ui/windows.h"

#include <QDialog>

#include <memory>
#include <optional>

namespace Ui {
class TForm13;
}

namespace quorvel {

class Settings;

class TForm13 : public QDialog {
    Q_OBJECT
public:
    TForm13(Windows& windows, Services& services, Settings& settings, QWidget* parent = nullptr);
    ~TForm13() override;

    // Start-up: Edit2 shows the album folder in force.
    void FormCreate();
    // Shows the request without blocking its opener. It ends with finished(): Accepted for
    // "OK", Rejected when the user closed it any other way.
    void Open();
    // The name typed into Edit1 (kept between uses), without blanks at either end.
    QString AlbumName() const;
    // Shows the request and waits, with every window usable, until it is answered: the name
    // for "OK", nothing when it was closed any other way.
    std::optional<QString> Ask();

    void Button1Click(); // Clear
    void Button2Click(); // OK
    void Button3Click(); // Select Folder

private:
    std::unique_ptr<Ui::TForm13> ui;
    Windows& windows_;
    Services& services_;
    Settings& settings_;
};

} // namespace quorvel
