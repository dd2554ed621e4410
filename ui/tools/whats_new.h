#pragma once
// TForm15, "What's new in Quorvel": the maker's what's-new page in a browser of its own.

#include "ui/windows.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TForm15;
}

class QLabel;
class QWebEngineView;

namespace quorvel {

class Settings;

class TForm15 : public QDialog {
    Q_OBJECT
public:
    TForm15(Windows& windows, Settings& settings, QWidget* parent = nullptr);
    ~TForm15() override;

    // Shows the window without blocking its opener, or brings it to the front when open.
    void Open();
    void Button1Click(); // Reload
    void Button2Click(); // Close

    QString PageAddress() const;     // the what's-new page on the maker's site
    QWebEngineView* Browser() const; // null where the browser does not run

protected:
    void showEvent(QShowEvent* event) override; // FormShow

private:
    void Navigate();

    std::unique_ptr<Ui::TForm15> ui;
    Windows& windows_;
    Settings& settings_;
    bool placed_ = false;
    QLabel* notice_ = nullptr; // in place of the browser where it does not run
};

} // namespace quorvel
