#pragma once
// TabSheet2, "Search Title Off Line": browsing the collection folder without a network.

#include "platform/services.h"
#include "ui/windows.h"

#include <QWidget>

namespace quorvel {

class SearchOfflineTab : public QWidget {
    Q_OBJECT
public:
    SearchOfflineTab(Windows& windows, Services& services, QWidget* parent = nullptr);

    // Refresh: run at start-up, by the Refresh button and on every change of the collection
    // folder.
    void Button17Click();

private:
    Windows& windows_;
    Services& services_;
};

} // namespace quorvel
