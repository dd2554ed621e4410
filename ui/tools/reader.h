#pragma once
// TForm6, "Quorvel Reader": one record's text and poster in a window of their own.

#include "platform/services.h"
#include "ui/windows.h"

#include <QDialog>

namespace quorvel {

class TForm6 : public QDialog {
    Q_OBJECT
public:
    TForm6(Windows& windows, Services& services, QWidget* parent = nullptr);

private:
    Windows& windows_;
    Services& services_;
};

} // namespace quorvel
