#include "ui/main/search_offline_tab.h"

namespace quorvel {

SearchOfflineTab::SearchOfflineTab(Windows& windows, Services& services, QWidget* parent)
    : QWidget(parent), windows_(windows), services_(services) {
    setObjectName(QStringLiteral("TabSheet2"));
}

void SearchOfflineTab::Button17Click() {}

} // namespace quorvel
