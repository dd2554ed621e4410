#pragma once
// TForm12, "Info List Creator": narrows the collection by genre or by any text into a list of
// titles to save, print, or hand to the off-line tab, Manage Info Text or the album creator.

#include "core/info_filter.h"
#include "core/textfile.h"
#include "platform/dialogs.h"
#include "platform/services.h"
#include "ui/windows.h"

#include <QDialog>
#include <QImage>
#include <QStringList>

#include <memory>
#include <vector>

namespace Ui {
class TForm12;
}

namespace quorvel {

class Settings;

class CheckableListModel;
class ListWhenShown;

class TForm12 : public QDialog {
    Q_OBJECT
public:
    TForm12(Windows& windows, Services& services, Settings& settings, QWidget* parent = nullptr);
    ~TForm12() override;

    // Start-up: the collection folder and the mode in force.
    void FormCreate();
    // Shows the window without blocking its opener, or brings it to the front when open.
    void Open();

    const QString& CollectionFolder() const; // shown in Edit1

    // The poster in view (Image1): what the reader shows while this window opens it.
    QImage ShownPoster() const;
    // A filter is walking the list: the commands that change the list wait for it.
    bool Filtering() const { return filtering_; }

    void Button1Click(); // Refresh
    void Button2Click(); // Select All
    void Button3Click(); // Deselect All
    void Button7Click(); // Invert Select
    // The genre filter on the text of ComboBox1: an item picked, or a text typed and Enter.
    void ComboBox1Select();
    void Edit2Change(const QString& text);
    void Button10Click(); // Search, the text filter
    void Button11Click(); // Clear
    void MovieListExportClick();
    void CheckBox1Click(); // Read Only
    void Button16Click();  // Reader
    void Button9Click();   // Save as...
    void Button4Click();   // Save all list...
    void Button5Click();   // Save Selected...
    void Button13Click();  // Load saved list
    void Button6Click();   // Print selected...
    void Button12Click();  // send to HTML Album
    void Button14Click();  // send to Search Off Line
    void Button17Click();  // send to Manage Info Txt
    void Button15Click();  // Close

    // The entries of the list, filled first if it never was.
    QStringList ListEntries();
    QStringList TickedEntries() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectHandlers();
    // Replaces the list at once; `ticks` (one per entry) may be empty for none ticked.
    void SetEntries(const QStringList& entries, const std::vector<bool>& ticks = {});
    void SetCount(const QString& prefix);
    void ClearPreview();
    // Keeps the entries whose text passes `test` with `word` (and the protected ticked ones);
    // an entry whose text cannot be read is kept and told about.
    void RunFilter(const QString& word, InfoTextTest test);
    void SaveEntries(const QStringList& entries, const QString& proposedName);
    // The ticked entries that name a file of the collection: what a send may hand over.
    QStringList SendableEntries() const;
    // Ends a send: nothing to send tells `nothingText`; otherwise this window closes.
    bool NothingToSend(bool empty, const QString& nothingText);

    std::unique_ptr<Ui::TForm12> ui;
    Windows& windows_;
    Services& services_;
    Settings& settings_;
    FileDialogRequest saveDialog_; // SaveDialog1
    TextEncoding memo1Encoding_ = TextEncoding::Ansi;
    bool filtering_ = false;
    CheckableListModel* movieModel_ = nullptr;
    ListWhenShown* lister_ = nullptr;
    bool fillingList_ = false;
};

} // namespace quorvel
