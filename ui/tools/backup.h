#pragma once
// TForm16, "Backup Quorvel Off Line Data": ticked info texts and posters into one ZIP archive.

#include "core/backup_plan.h"
#include "platform/services.h"
#include "ui/windows.h"

#include <QDialog>
#include <QStringList>
#include <QTimer>

#include <memory>

namespace Ui {
class TForm16;
}

namespace quorvel {

class Settings;

class CheckableListModel;
class ListWhenShown;

class TForm16 : public QDialog {
    Q_OBJECT
public:
    TForm16(Windows& windows, Services& services, Settings& settings, QWidget* parent = nullptr);
    ~TForm16() override;

    // The creation handler; Application runs it right after construction.
    void FormCreate();
    // Shows the window without blocking its opener, or brings it to the front when open.
    void Open();
    // The blink timer runs exactly while a backup is being written: what the main window
    // tests before it closes.
    bool BackupRunning() const { return tempo.isActive(); }
    // The warning that a close during a backup shows (the backup goes on).
    void WarnBackupRunning();

    void Button1Click(); // Refresh
    void CountItem();
    void ComboBox1Change();
    void Button2Click(); // Select all
    void Button3Click(); // Deselect all
    void Button4Click(); // Invert select
    void MovieListBackupClick();
    void Button5Click();  // Search
    void Button6Click();  // Load filtered list
    void Button7Click();  // Browse
    void Button8Click();  // Clear
    void Button11Click(); // Generate
    void Edit4Change(const QString& text);
    void Button10Click(); // Backup
    void tempoTimer();
    void Button9Click(); // Close

    // The entries of the list, filled first if it never was.
    QStringList ListEntries();
    QStringList TickedEntries() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ConnectHandlers();
    void SetEntries(const QStringList& entries);
    void SelectByCode(int row); // never loads the preview
    void EnterRunning();
    QList<QWidget*> LockedWhileRunning() const;
    void ShowProgressAt(int row);
    BackupOutcome RunBackup(const QString& archivePath, const BackupPlan& plan);
    void ReturnToIdle();
    void ReportBackup(const QString& archivePath, const BackupPlan& plan,
                      const BackupOutcome& outcome);

    std::unique_ptr<Ui::TForm16> ui;
    Windows& windows_;
    Services& services_;
    Settings& settings_;
    QTimer tempo;
    bool running_ = false;
    CheckableListModel* movieModel_ = nullptr;
    ListWhenShown* lister_ = nullptr;
    bool selectingByCode_ = false;
};

} // namespace quorvel
