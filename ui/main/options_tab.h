#pragma once
// TabSheet4, "Options": the controls that hold the stored options while the program runs.

#include <QWidget>

#include <memory>

namespace Ui {
class OptionsTab;
}

namespace quorvel {

struct StoredOptions;

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
    explicit OptionsTab(QWidget* parent = nullptr);
    ~OptionsTab() override;

    QString PortableIndicator() const;      // the caption of Label23
    QString CollectionFolder() const;       // Edit2
    QString FavouritesFolder() const;       // Edit6
    bool SaveInfoAndPosterTogether() const; // CheckBox4

    // Fills this tab's option controls and the picture paths from the stored options.
    void ShowStored(const StoredOptions& stored);

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

Q_SIGNALS:
    // The text of Edit2 changed: the collection to list is another one.
    void CollectionFolderChanged();
    // The buttons that open other windows; the main window knows the windows.
    void Button36Click(); // Manage Info Text
    void Button39Click(); // Local HTML Album
    void Button51Click(); // Create Filtered List
    void Button53Click(); // Backup
    void Button34Click(); // Manage Favourite

private:
    bool PortableModeOff() const;

    std::unique_ptr<Ui::OptionsTab> ui;
    PicturePaths pictures_;
    bool fillingPicturePaths_ = false;
};

} // namespace quorvel
