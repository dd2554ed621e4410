#pragma once
// TForm10, "Special Thank You": the testers of the earlier versions.

#include <QDialog>

#include <memory>

namespace Ui {
class TForm10;
}

namespace quorvel {

class TForm10 : public QDialog {
    Q_OBJECT
public:
    explicit TForm10(QWidget* parent = nullptr);
    ~TForm10() override;

    // Shows the window without blocking its opener, or brings it to the front when open.
    void Open();
    void Button1Click(); // Close

private:
    std::unique_ptr<Ui::TForm10> ui;
};

} // namespace quorvel
