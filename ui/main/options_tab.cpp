#include "ui/main/options_tab.h"

#include "ui/main/hints.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace quorvel {

namespace {

const QString kPortableOff = QStringLiteral("Portable mode off");

// In the stored order: the option "Theme" is an index into this list.
const char* const kThemeNames[] = {"Antartica",  "Classic Interface", "Dark Knight",
                                   "Dark Water", "Night Erruption",   "Under the stars"};

// The hints of this tab are panel texts; a few also show as tool tips.
QString PanelOnly(const char* text) {
    return QLatin1Char('|') + QString::fromLatin1(text);
}

QLabel* Heading(const char* name, const char* caption, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QLabel* Caption(const char* name, const char* caption, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QCheckBox* Box(const char* name, const char* caption, bool ticked, const QString& hint,
               QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(ticked);
    SetHint(box, hint);
    return box;
}

QLineEdit* PathBox(const char* name, const QString& hint, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    SetHint(edit, hint);
    return edit;
}

QFrame* Separator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// A heading with the portable indicator at its right end.
QHBoxLayout* HeadingRow(QLabel* heading, QLabel* indicator = nullptr) {
    auto* row = new QHBoxLayout;
    row->addWidget(heading);
    row->addStretch(1);
    if (indicator)
        row->addWidget(indicator);
    return row;
}

} // namespace

OptionsTab::OptionsTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet4"));

    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* page = new QWidget(scroll);
    scroll->setWidget(page);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(12, 8, 12, 8);
    column->setSpacing(4);

    // Search Title On line
    Label14 = Heading("Label14", "Search Title On line", page);
    CheckBox4 =
        Box("CheckBox4",
            "Save Info and Save Poster altogether with one click of one of these buttons", false,
            PanelOnly("Tick to save Info and save Poster altogether with one click of "
                      "one of these buttons on the Search Title On Line tab."),
            page);
    CheckBox3 = Box("CheckBox3", "When program starts Movie Info Text is Read Only ", true,
                    QStringLiteral("Tick/Untick to make the Movie Info on the Search Title On "
                                   "Line read only/read and write"),
                    page);
    column->addLayout(HeadingRow(Label14));
    column->addWidget(CheckBox4);
    column->addWidget(CheckBox3);
    column->addWidget(Separator(page));

    // Search Title Off Line option
    Label13 = Heading("Label13", "Search Title Off Line option", page);
    Label23 = Caption("Label23", "Portable mode off", page);
    Label5 = Caption(
        "Label5", "Result of search Saving Path (used for the Info Search Collection List):", page);
    Edit2 = PathBox("Edit2",
                    PanelOnly("This important path is where will be saved your gathered Movie "
                              "Info and Poster."),
                    page);
    CheckBox5 = Box("CheckBox5", "When program starts Information Text is Read Only", true,
                    QStringLiteral("Tick/Untick to make the Movie Info on the Search Title Off "
                                   "Line read only/read and write."),
                    page);
    column->addLayout(HeadingRow(Label13, Label23));
    column->addWidget(Label5);
    column->addWidget(Edit2);
    column->addWidget(CheckBox5);
    column->addWidget(Separator(page));

    // Search Video On Line
    Label18 = Heading("Label18", "Search Video On Line", page);
    Label22 = Caption("Label22", "Portable mode off", page);
    Label19 = Caption("Label19", "Path of Favourite List", page);
    Edit6 = PathBox("Edit6", PanelOnly("Path of the favourite list. Always into the software path"),
                    page);
    CheckBox6 = Box("CheckBox6", "Auto load URL favourite when selected", true,
                    PanelOnly("Ticked will load the trailer into the mini browser and start to "
                              "play it if not in trailer mode only"),
                    page);
    CheckBox7 = Box("CheckBox7", " Display the video only when playing favourites", true,
                    QStringLiteral("Ticked the Selected favourite will load into the integrated "
                                   "browser in Trailer mode only - no add"),
                    page);
    column->addLayout(HeadingRow(Label18, Label22));
    column->addWidget(Label19);
    column->addWidget(Edit6);
    column->addWidget(CheckBox6);
    column->addWidget(CheckBox7);
    column->addWidget(Separator(page));

    // Theme
    Theme = Heading("Theme", "Theme", page);
    Label20 = Caption("Label20", "Select a theme", page);
    ComboBox2 = new QComboBox(page);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setEditable(false);
    for (const char* name : kThemeNames)
        ComboBox2->addItem(QString::fromLatin1(name));
    ComboBox2->setCurrentIndex(3);
    ComboBox2->setMinimumContentsLength(18);
    SetHint(ComboBox2, PanelOnly("Choose a theme for the UI of Quorvel here"));
    column->addLayout(HeadingRow(Theme));
    auto* themeRow = new QHBoxLayout;
    themeRow->addWidget(Label20);
    themeRow->addWidget(ComboBox2);
    themeRow->addStretch(1);
    column->addLayout(themeRow);
    column->addWidget(Separator(page));

    // Custom Background picture
    Label24 = Heading("Label24", "Custom Background picture", page);
    CheckBox8 = Box("CheckBox8", "Use Background picture", true,
                    PanelOnly("Untick/Tick to remove or keep original Art/Custom background from "
                              "'Search Title On Line' Tab1 and 'Search Title Off Line' Tab2"),
                    page);
    CheckBox9 = Box("CheckBox9", "Search Title On Line", false,
                    PanelOnly("Ticked uses the custom background picture on tab1, if any "
                              "selected. Untick to use original background picture for tab1."),
                    page);
    Edit7 = PathBox("Edit7", PanelOnly("Path of the selected background picture tab1 (read only)"),
                    page);
    CheckBox10 = Box("CheckBox10", "Search Title Off Line", false,
                     PanelOnly("Ticked uses the custom background picture on tab2, if any "
                               "selected. Untick to use original background picture for tab2."),
                     page);
    Edit8 = PathBox("Edit8", PanelOnly("Path of the selected background picture tab2 (read only)"),
                    page);
    column->addLayout(HeadingRow(Label24));
    column->addWidget(CheckBox8);
    auto* pictures = new QGridLayout;
    pictures->setColumnStretch(1, 1);
    pictures->addWidget(CheckBox9, 0, 0);
    pictures->addWidget(Edit7, 0, 1);
    pictures->addWidget(CheckBox10, 1, 0);
    pictures->addWidget(Edit8, 1, 1);
    column->addLayout(pictures);
    column->addStretch(1);

    connect(Edit7, &QLineEdit::textChanged, this, &OptionsTab::Edit7Change);
    connect(Edit8, &QLineEdit::textChanged, this, &OptionsTab::Edit8Change);
}

QString OptionsTab::PortableIndicator() const {
    return Label23->text();
}

QString OptionsTab::CollectionFolder() const {
    return Edit2->text();
}

QString OptionsTab::FavouritesFolder() const {
    return Edit6->text();
}

bool OptionsTab::SaveInfoAndPosterTogether() const {
    return CheckBox4->isChecked();
}

bool OptionsTab::PortableModeOff() const {
    return PortableIndicator() == kPortableOff;
}

void OptionsTab::ShowPicturePaths(const QString& tab1, const QString& tab2) {
    fillingPicturePaths_ = true;
    Edit7->setText(tab1);
    Edit8->setText(tab2);
    fillingPicturePaths_ = false;
}

void OptionsTab::SelectTheme(int index) {
    ComboBox2->setCurrentIndex(index >= 0 && index < ComboBox2->count() ? index : -1);
}

int OptionsTab::ThemeIndex() const {
    return ComboBox2->currentIndex();
}

void OptionsTab::Edit7Change(const QString& text) {
    if (fillingPicturePaths_)
        return;
    (PortableModeOff() ? pictures_.bckTab1 : pictures_.bckTab1P) = text;
}

void OptionsTab::Edit8Change(const QString& text) {
    if (fillingPicturePaths_)
        return;
    (PortableModeOff() ? pictures_.bckTab2 : pictures_.bckTab2P) = text;
}

} // namespace quorvel
