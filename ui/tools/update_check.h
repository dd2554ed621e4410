#pragma once
// TForm8, "Quorvel Web Update": the running version against the one the maker's site
// publishes, the download of the current archive and the connection check.

#include "platform/services.h"
#include "ui/windows.h"

#include <QDialog>
#include <QElapsedTimer>

#include <memory>

namespace Ui {
class TForm8;
}

namespace quorvel {

class Settings;

class TForm8 : public QDialog {
    Q_OBJECT
public:
    TForm8(Windows& windows, Services& services, Settings& settings, QWidget* parent = nullptr);
    ~TForm8() override;

    // The edition and the running executable's version into the labels.
    void FormCreate();
    // Shows the window without blocking its opener, or brings it to the front when open; the
    // activation then checks for an update.
    void Open();

    // Each time the window becomes the active one: a new check when the computer is
    // connected, the off-line warning otherwise.
    void FormActivate();
    void Button2Click(); // Check for update
    void Button3Click(); // Check Internet connection
    void Button4Click(); // Download update
    void Button5Click(); // What's new
    void Label6Click();  // the update log page
    void Button1Click(); // Close

    QString WebVersion() const { return webVersion_; } // empty until a check found one

protected:
    bool event(QEvent* event) override;

private:
    // This window's own message boxes: the window becoming active again when one closes is
    // not a new opening, or the off-line warning would come back without end.
    Button AskOwn(MessageKind kind, const QString& text, Buttons buttons);
    void OpenOwnAddress(const QString& address);
    QString Site() const;
    void ShowUnknownVersion();

    std::unique_ptr<Ui::TForm8> ui;
    Windows& windows_;
    Services& services_;
    Settings& settings_;
    int edition_ = 0;
    QString currentVersion_;
    QString webVersion_;
    bool activating_ = false;
    bool waiting_ = false; // a request of this window is under way
    bool inOwnBox_ = false;
    bool leftForOwnBox_ = false;
    QElapsedTimer sinceOwnBox_;
};

} // namespace quorvel
