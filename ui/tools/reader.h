#pragma once
// TForm6, "Quorvel Reader": one record's text and poster in a window of their own.

#include "platform/services.h"
#include "ui/windows.h"

#include <QDialog>
#include <QImage>

#include <memory>

namespace Ui {
class TForm6;
}

namespace quorvel {

class TForm6 : public QDialog {
    Q_OBJECT
public:
    TForm6(Windows& windows, Services& services, QWidget* parent = nullptr);
    ~TForm6() override;

    // The record to read; the text can be edited here but is never saved.
    void Fill(const QString& text, const QImage& picture);
    // Shows the reader without blocking its opener, or brings it to the front when open.
    void Open();

    void FormShow();
    void BitBtn1Click();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::TForm6> ui;
    Windows& windows_;
    Services& services_;
    QImage picture_;
};

} // namespace quorvel
