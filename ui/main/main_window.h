#pragma once
// TForm1, the main window: four tabs, the hint panel, the status bar, start-up and close.

#include "core/collection.h"
#include "core/options.h"
#include "platform/services.h"
#include "ui/main/shared_dialogs.h"
#include "ui/windows.h"

#include <QMainWindow>

#include <memory>

class QComboBox;
class QImage;
class QLabel;
class QTabWidget;

namespace Ui {
class TForm1;
}

namespace quorvel {

class Settings;
class SearchOnlineTab;
class SearchOfflineTab;
class OptionsTab;
class VideoTab;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Options.ini, screenshots and the default collection live in the settings' AppFolder().
    TForm1(Windows& windows, Services& services, Settings& settings, QWidget* parent = nullptr);
    ~TForm1() override;

    // The start-up sequence; Application runs it right after construction.
    void FormCreate();
    // Grows the window, never shrinks it, to show every tab whole (the Options tab without its
    // scroll bar), as far as the screen allows: the platform's fonts and the looks' paddings
    // need more room than the design's.
    void FitToContents();

    const QString& AppFolder() const;
    const QString& CollectionFolder() const;
    const QString& FavouritesFolder() const;
    QString PortableIndicator() const; // the caption of Label23, as the Options tab shows it
    SharedDialogs& FileDialogs() { return windows_.FileDialogs(); }
    // The one listing of the collection folder that every window showing it takes.
    CollectionListing& Listing() { return windows_.Listing(); }
    void SetStatusText(const QString& text);

    // The off-line tab's hand-over: the text goes into Edit1, the first tab comes to the
    // front and Search Info runs.
    void SearchOnline(const QString& text);
    // The Info List Creator's hand-over: the off-line tab lists these files as a filtered
    // list, and the window comes to the front on that tab.
    void ShowFilteredList(const QStringList& items);

    SearchOnlineTab* OnlineTab() const { return onlineTab_; }
    SearchOfflineTab* OfflineTab() const { return offlineTab_; }
    VideoTab* VideoPage() const { return videoTab_; }
    OptionsTab* OptionsPage() const { return optionsTab_; }
    QComboBox* FavouritesList() const; // ComboBox1 on the video tab
    QTabWidget* Pages() const;

    // Double-click on the hint panel.
    void TakeWindowScreenshot();

    // Fills the option controls and the picture paths from Options.ini; on a read failure asks
    // whether to recreate the file.
    void ApplyStoredOptions();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void AddTabs();
    // The one place the stored options reach the controls: start-up and a recreated file.
    void ShowStoredOptions(const StoredOptions& stored);
    void RecreateOptions();
    bool LoadFavouritesAtStart();
    QImage CaptureWindow();

    std::unique_ptr<Ui::TForm1> ui;
    Windows& windows_;
    Services& services_;
    Settings& settings_;

    SearchOnlineTab* onlineTab_ = nullptr;
    SearchOfflineTab* offlineTab_ = nullptr;
    VideoTab* videoTab_ = nullptr;
    OptionsTab* optionsTab_ = nullptr;
    QLabel* statusText_ = nullptr; // the one text of StatusBar1
    bool centred_ = false;
};

} // namespace quorvel
