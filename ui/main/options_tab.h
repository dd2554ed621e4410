#pragma once
// TabSheet4, "Options": the controls that hold the stored options while the program runs.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace quorvel {

class TForm1;

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

    QString PortableIndicator() const;      // the caption of Label23
    QString CollectionFolder() const;       // Edit2
    QString FavouritesFolder() const;       // Edit6
    bool SaveInfoAndPosterTogether() const; // CheckBox4

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

private:
    friend class TForm1; // start-up fills the option controls

    bool PortableModeOff() const;

    PicturePaths pictures_;
    bool fillingPicturePaths_ = false;

    QLabel* Label14 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label23 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label22 = nullptr;
    QLabel* Label19 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QCheckBox* CheckBox6 = nullptr;
    QCheckBox* CheckBox7 = nullptr;
    QLabel* Theme = nullptr;
    QLabel* Label20 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QLabel* Label24 = nullptr;
    QCheckBox* CheckBox8 = nullptr;
    QCheckBox* CheckBox9 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QCheckBox* CheckBox10 = nullptr;
    QLineEdit* Edit8 = nullptr;
};

} // namespace quorvel
