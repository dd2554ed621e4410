#pragma once
// TabSheet1, "Search Title On Line": one OMDb look-up shown as an info text and a poster.

#include "platform/pictures.h"
#include "platform/services.h"
#include "ui/windows.h"

#include <QWidget>

class QCheckBox;
class QLineEdit;

namespace quorvel {

class SearchOnlineTab : public QWidget {
    Q_OBJECT
public:
    SearchOnlineTab(Windows& windows, Services& services, QWidget* parent = nullptr);

    void Button1Click(); // Search Info
    QLineEdit* TitleEdit() const;     // Edit1
    QCheckBox* ReadOnlyBox() const;   // CheckBox2, filled by the stored options
    void ClearImdbId();               // start-up: the current IMDb identifier starts empty

private:
    Windows& windows_;
    Services& services_;
};

} // namespace quorvel
