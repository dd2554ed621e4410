#pragma once
// TForm9, "Make Quorvel Portable": switches the whole program between the folders stored in
// Options.ini and the portable ones beside the executable.

#include "platform/services.h"
#include "ui/windows.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class TForm9;
}

namespace quorvel {

class TForm9 : public QDialog {
    Q_OBJECT
public:
    TForm9(Windows& windows, Services& services, QWidget* parent = nullptr);
    ~TForm9() override;

    // Start-up: shows the portable folders, takes the stored "Portable Mode" and switches to
    // portable paths when it is set, then re-bases the stored portable picture paths onto this
    // application folder and writes them back.
    void FormCreate();
    // Shows the window without blocking its opener, or brings it to the front when open.
    void Open();

    // The question every path-changing command asks while portable mode is on: true at once
    // in fixed mode; in portable mode true only after the user agreed and the fixed paths
    // are back in force.
    bool ConfirmPortableOff();
    // CheckBox1, what the Options tab's Save stores as "Portable Mode".
    bool PortableAtStart() const;

    void SwitchToPortablePaths(); // Button1, "Use Portable Path"
    void SwitchToFixedPaths();    // Button2, "Use Fixed Path"
    void Button3Click();          // Close

protected:
    void showEvent(QShowEvent* event) override; // FormShow

private:
    QString MovieFolder() const;
    QString AlbumFolder() const;
    // The five labels that tell every window the mode in force.
    void ShowIndicator(const QString& caption);
    // The collection folder of the main window and of the windows that keep a copy of it.
    void ShowCollectionFolder(const QString& folder);
    void ShowInListCreator(const QString& folder, const QString& caption, bool refresh);
    // A failed switch: portable mode off, the folders in force before it back.
    void UndoPortableSwitch(bool albumToo);
    void UsePortablePictures();
    void UsePortablePicture(const QString& portable, const QString& fixed, const QString& question,
                            const std::function<void(const QString&)>& showPath);
    bool RebasePicturePaths();

    std::unique_ptr<Ui::TForm9> ui;
    Windows& windows_;
    Services& services_;
};

} // namespace quorvel
