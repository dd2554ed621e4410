#pragma once
// TAboutBox, "About": what the program is, its version, licence and who made it possible.

#include "platform/services.h"
#include "ui/windows.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TAboutBox;
}

namespace quorvel {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    TAboutBox(Windows& windows, Services& services, QWidget* parent = nullptr);
    ~TAboutBox() override;

    // The running executable's version and edition into the labels.
    void FormCreate();
    // Shows the window without blocking its opener, or brings it to the front when open.
    void Open();

    void Label2Click();   // the OMDb API home page
    void Button1Click();  // Email the author
    void Button2Click();  // Special thanks
    void OKButtonClick(); // OK

private:
    std::unique_ptr<Ui::TAboutBox> ui;
    Windows& windows_;
    Services& services_;
    bool placed_ = false;
};

} // namespace quorvel
