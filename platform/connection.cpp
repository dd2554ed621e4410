#include "platform/connection.h"

#include <QNetworkInterface>

namespace quorvel {

bool NetworkConnection::IsOnline() {
    // No probe of any outside address: the question is only whether a way out exists.
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& networkInterface : interfaces) {
        const auto flags = networkInterface.flags();
        if (flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        if (flags.testFlag(QNetworkInterface::IsUp) &&
            flags.testFlag(QNetworkInterface::IsRunning) &&
            !networkInterface.addressEntries().isEmpty())
            return true;
    }
    return false;
}

} // namespace quorvel
