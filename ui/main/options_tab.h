#pragma once
// TabSheet4, "Options": the controls that hold the stored options while the program runs.

#include "platform/services.h"
#include "ui/windows.h"

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

struct StoredOptions;
class BackgroundPicture;

// The custom background pictures of the first two tabs, fixed and portable forms.
struct PicturePaths {
    QString bckTab1;
    QString bckTab2;
    QString bckTab1P;
    QString bckTab2P;
};

class OptionsTab : public QWidget {
    Q_OBJECT
public:
    OptionsTab(Windows& windows, Services& services, QWidget* parent = nullptr);
    ~OptionsTab() override;

    // Room for every control: the scroll bar is for screens too small to give it.
    QSize sizeHint() const override;

    QString PortableIndicator() const;      // the caption of Label23
    QString CollectionFolder() const;       // Edit2
    QString FavouritesFolder() const;       // Edit6
    bool SaveInfoAndPosterTogether() const; // CheckBox4
    QString OmdbApiKey() const;             // EditApiKey, blanks at its ends dropped

    // Fills this tab's option controls and the picture paths from the stored options, then
    // loads the tab backgrounds of the mode stored.
    void ShowStored(const StoredOptions& stored);
    // Start-up: the pictures of the first two tabs are the ones their forms carry (Image8 and
    // Image9 keep them, so that unticking a use box can put them back).
    void KeepBuiltInBackgrounds();
    // Start-up: the path boxes take the pair of the mode in force and each ticked use box
    // loads its picture; a picture that cannot be loaded is reported, its path forgotten and
    // its use box unticked and disabled.
    void LoadTabBackgrounds(const QString& tab1, const QString& tab2);

    PicturePaths& Pictures() { return pictures_; }
    const PicturePaths& Pictures() const { return pictures_; }
    // Start-up filling of Edit7 and Edit8: the boxes show the pair of the mode in force and
    // nothing is copied back into the picture paths.
    void ShowPicturePaths(const QString& tab1, const QString& tab2);

    // Selects the theme by its stored index; an index outside the list selects nothing.
    void SelectTheme(int index);
    // The selected index, -1 when nothing is selected.
    int ThemeIndex() const;

    void Edit7Change(const QString& text);
    void Edit8Change(const QString& text);

    // What the portable window switches. A new Edit2 refreshes the off-line list; a new Edit7
    // or Edit8 goes into the picture path of the mode in force, as any change of them does.
    void SetCollectionFolder(const QString& folder);   // Edit2
    void SetFavouritesFolder(const QString& folder);   // Edit6
    void SetPortableIndicator(const QString& caption); // Label23 and its copy Label22
    void SetTab1PicturePath(const QString& path);      // Edit7
    void SetTab2PicturePath(const QString& path);      // Edit8
    QString Tab1PicturePath() const;
    QString Tab2PicturePath() const;
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
    // The text of Edit2 changed: the collection to list is another one.
    void CollectionFolderChanged();
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
        QLineEdit* path;
        BackgroundPicture* (*picture)(const Windows&);
        QImage* builtIn;
    };
    BackgroundControls Tab1Controls();
    BackgroundControls Tab2Controls();

    void ConnectHandlers();
    bool PortableModeOff() const;
    void SelectFolder(QLineEdit* box);
    void LoadSavedPath(QLineEdit* box, const char* key);
    void UseBoxClick(const BackgroundControls& tab);
    void Browse(const BackgroundControls& tab);
    void Clear(const BackgroundControls& tab);
    // Loads the file into the tab's background; a picture that cannot be read is reported.
    void ShowCustomPicture(const BackgroundControls& tab);
    void SaveOptions();

    std::unique_ptr<Ui::OptionsTab> ui;
    Windows& windows_;
    Services& services_;
    PicturePaths pictures_;
    bool fillingPicturePaths_ = false;
    QImage builtIn1_; // Image8
    QImage builtIn2_; // Image9
};

} // namespace quorvel
