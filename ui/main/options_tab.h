#pragma once
// TabSheet4, "Options": shows the options in force and changes them; Save stores them.

#include "core/result.h"
#include "platform/services.h"

#include <QImage>
#include <QWidget>

#include <memory>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace Ui {
class OptionsTab;
}

namespace quorvel {

class Settings;
struct SharedDialogs;

struct StoredOptions;
class BackgroundPicture;

class OptionsTab : public QWidget {
    Q_OBJECT
public:
    // `tab1` and `tab2` are the backgrounds of the first two tabs, which this tab chooses.
    OptionsTab(Services& services, Settings& settings, SharedDialogs& dialogs,
               BackgroundPicture* tab1, BackgroundPicture* tab2, QWidget* parent = nullptr);
    ~OptionsTab() override;

    // Room for every control: the scroll bar is for screens too small to give it.
    QSize sizeHint() const override;

    QString PortableCaption() const; // Label23

    // Fills the tab backgrounds of the mode stored (start-up and a recreated file).
    void ShowStored(const StoredOptions& stored);
    // Start-up: the pictures of the first two tabs are the ones their forms carry (Image8 and
    // Image9 keep them, so that unticking a use box can put them back).
    void KeepBuiltInBackgrounds();
    // Start-up: the path boxes take the pair of the mode in force and each ticked use box
    // loads its picture; a picture that cannot be loaded is reported, its path forgotten and
    // its use box unticked and disabled.
    void LoadTabBackgrounds(const QString& tab1, const QString& tab2);

    // True when the command may go on: at once in fixed mode, else after the user agreed.
    bool ConfirmPortableOff();
    void Button14Click();            // collection folder: Select folder
    void Button15Click();            // Application folder
    void Button22Click();            // Load saved path
    void Button33Click();            // Open folder
    void Button29Click();            // favourites folder: Select folder
    void Button30Click();            // Application folder
    void Button31Click();            // Load saved path
    void Button41Click();            // Open folder
    void Button16Click();            // Save
    void ComboBox2Change(int index); // a theme picked by the user
    void Button38Click();            // Apply Theme
    void CheckBox8Click();
    void CheckBox9Click();
    void CheckBox10Click();
    void Button47Click(); // Browse, tab 1
    void Button48Click(); // Browse, tab 2
    void Button49Click(); // Clear, tab 1
    void Button50Click(); // Clear, tab 2
    void Button35Click(); // Desktop Shortcut
    void Button21Click(); // Printer Setup
    void Button46Click(); // Online help

Q_SIGNALS:
    // Save has written an option the off-line list shows: it lists the collection again.
    void CollectionListStale();
    // A look was applied: the window may need more room.
    void LookApplied();
    // The buttons that open other windows; the main window knows the windows.
    void Button36Click(); // Manage Info Text
    void Button39Click(); // Local HTML Album
    void Button51Click(); // Create Filtered List
    void Button53Click(); // Backup
    void Button57Click(); // Import videos
    void Button34Click(); // Manage Favourite
    void Button43Click(); // Portable Mode On/Off
    void Button42Click(); // Check for Update
    void Button11Click(); // About

private:
    // What one tab's background is made of; the two tabs differ only in these.
    struct BackgroundControls {
        int tab;
        QCheckBox* use;
        BackgroundPicture* picture;
        QImage* builtIn;
    };
    BackgroundControls Tab1Controls();
    BackgroundControls Tab2Controls();

    void ConnectHandlers();
    // Each option control shows its value of the settings and gives them the user's changes.
    void FollowSettings();
    void FollowCheckBoxes();
    void SelectFolder(const QString& (Settings::*get)() const,
                      void (Settings::*set)(const QString&));
    void LoadSavedPath(Result<QString> (Settings::*stored)() const,
                       void (Settings::*set)(const QString&));
    void UseBoxClick(const BackgroundControls& tab);
    void Browse(const BackgroundControls& tab);
    void Clear(const BackgroundControls& tab);
    // Loads the file into the tab's background; a picture that cannot be read is reported.
    void ShowCustomPicture(const BackgroundControls& tab);
    void SaveOptions();

    std::unique_ptr<Ui::OptionsTab> ui;
    Services& services_;
    Settings& settings_;
    SharedDialogs& dialogs_;
    BackgroundPicture* tab1_;
    BackgroundPicture* tab2_;
    QImage builtIn1_; // Image8
    QImage builtIn2_; // Image9
};

} // namespace quorvel
