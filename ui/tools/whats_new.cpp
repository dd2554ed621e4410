#include "ui/tools/whats_new.h"

#include "online/update.h"
#include "ui/main/embedded_browser.h"
#include "ui/main/settings.h"
#include "ui_whats_new.h"

#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QUrl>
#include <QWebEngineView>

namespace quorvel {

TForm15::TForm15(Windows& windows, Settings& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm15>()), windows_(windows), settings_(settings) {
    ui->setupUi(this);
    if (!BrowserMayRunHere()) {
        notice_ = ReplaceBrowserByNotice(ui->WebBrowser1, RootBrowserNotice());
        ui->WebBrowser1 = nullptr;
        ui->Button1->setEnabled(false);
    }
    connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(ui->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

TForm15::~TForm15() = default;

void TForm15::Open() {
    show();
    raise();
    activateWindow();
}

QString TForm15::PageAddress() const {
    return WhatsNewAddress(settings_.Service().updateSite);
}

QWebEngineView* TForm15::Browser() const {
    return ui->WebBrowser1;
}

void TForm15::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (!placed_) {
        placed_ = true;
        if (QScreen* desktop = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(desktop->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    Navigate();
}

void TForm15::Navigate() {
    if (ui->WebBrowser1)
        ui->WebBrowser1->setUrl(QUrl(PageAddress()));
    else // the page can still be read in the user's own browser
        notice_->setText(RootBrowserNotice() + QStringLiteral("\n\nThe page is at ") +
                         PageAddress());
}

void TForm15::Button1Click() {
    Navigate();
}

void TForm15::Button2Click() {
    close();
}

} // namespace quorvel
