#pragma once
// TForm9, "Make Quorvel Portable": switches the whole program between the folders stored in
// Options.ini and the portable ones beside the executable.

#include "platform/services.h"
#include "ui/windows.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TForm9;
}

namespace quorvel {

class Settings;

class TForm9 : public QDialog {
    Q_OBJECT
public:
    TForm9(Windows& windows, Services& services, Settings& settings, QWidget* parent = nullptr);
    ~TForm9() override;

    // Start-up: shows the portable folders, takes the stored "Portable Mode" and switches to
    // portable paths when it is set, then re-bases the stored portable picture paths onto this
    // application folder and writes them back.
    void FormCreate();
    // Shows the window without blocking its opener, or brings it to the front when open.
    void Open();

    void SwitchToPortablePaths(); // Button1, "Use Portable Path"
    void SwitchToFixedPaths();    // Button2, "Use Fixed Path"
    void Button3Click();          // Close

protected:
    void showEvent(QShowEvent* event) override; // FormShow

private:
    QString MovieFolder() const;
    QString AlbumFolder() const;
    // A failed switch: portable mode off, the folders in force before it back.
    void UndoPortableSwitch(bool albumToo);
    void UsePortablePictures();
    void UsePortablePicture(int tab, const QString& portable, const QString& fixed,
                            const QString& question);
    bool RebasePicturePaths();

    std::unique_ptr<Ui::TForm9> ui;
    Windows& windows_;
    Services& services_;
    Settings& settings_;
};

} // namespace quorvel
