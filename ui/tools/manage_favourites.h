#pragma once
// TForm4, "Manage Favourite": the favourites with tick boxes, to delete, rename, reload, save,
// export and apply.

#include "core/textfile.h"
#include "platform/dialogs.h"
#include "platform/services.h"
#include "ui/windows.h"

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class TForm4;
}

namespace quorvel {

class Settings;

class CheckableListModel;

class TForm4 : public QDialog {
    Q_OBJECT
public:
    TForm4(Windows& windows, Services& services, Settings& settings, QWidget* parent = nullptr);
    ~TForm4() override;

    void FormCreate(); // Reload list
    // The Options tab's Manage Favourite: shows the window without blocking its opener.
    void Open();
    void FormShow();

    QStringList Entries() const; // CheckListBox1, in its order

    void CheckListBox1Click();
    void Button1Click(); // Reload list
    void Button2Click(); // Delete checked favourite
    void Button3Click(); // Select all favourite
    void Button4Click(); // Deselect all favourite
    void Button5Click(); // Save list
    void Button9Click(); // Save list as...
    void Button6Click(); // Rename
    void Button7Click(); // Close and Apply
    void Button8Click(); // Close

    const FileDialogRequest& SaveDialog() const { return saveDialog_; } // SaveDialog1

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ConnectHandlers();
    void SetEntries(const QStringList& entries); // all unticked
    int SelectedRow() const;                     // -1 when no entry is selected

    std::unique_ptr<Ui::TForm4> ui;
    Windows& windows_;
    Services& services_;
    Settings& settings_;
    FileDialogRequest saveDialog_;
    QString idPart_;                             // of the entry last selected, from its first "="
    TextEncoding encoding_ = TextEncoding::Ansi; // of the file the list last read
    CheckableListModel* model_ = nullptr;
};

} // namespace quorvel
