#pragma once
// TForm2, "Contact the author of this software": an e-mail to the author, handed to the
// desktop's e-mail program.

#include "platform/services.h"
#include "ui/windows.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TForm2;
}

namespace quorvel {

// Where the contact window's e-mails go.
inline constexpr const char* kAuthorAddress = "author@quorvel.org";

class TForm2 : public QDialog {
    Q_OBJECT
public:
    TForm2(Windows& windows, Services& services, QWidget* parent = nullptr);
    ~TForm2() override;

    // Once, at start-up: the body's date line and the subject with this version.
    void FormCreate();
    // Shows the window without blocking its opener, or brings it to the front when open; what
    // the user typed is still there.
    void Open();

    void Button1Click(); // Send
    void Button2Click(); // Close

private:
    std::unique_ptr<Ui::TForm2> ui;
    Windows& windows_;
    Services& services_;
};

} // namespace quorvel
