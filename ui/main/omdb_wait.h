#pragma once
// Asking the OMDb service from a window: one request the user can cancel, and the bar and busy
// pointer that say it runs.

#include "core/result.h"
#include "online/http_client.h"
#include "ui/main/network_wait.h"

#include <QString>

#include <functional>
#include <optional>

class QProgressBar;
class QWidget;

namespace quorvel {

// Shows `bar` at 1 with the busy pointer, over `pointerOver` or, when that is null, over every
// window of the program. end(), or leaving the scope, hides the bar, runs `restore` (what the
// window shows again once the wait is over) and gives the pointer back, once however the wait
// ends.
class BusyScope {
public:
    BusyScope(QProgressBar* bar, QWidget* pointerOver, std::function<void()> restore);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

    // Before a message box, so the box is answered with the normal pointer.
    void end();

private:
    QProgressBar* bar_;
    QWidget* pointerOver_;
    std::function<void()> restore_;
    bool ended_ = false;
};

// One GET of `query` through `fetch` (FetchOmdbAnswer, FetchOmdbSearch) while `window` stays
// usable; nothing when the user cancelled, otherwise what `fetch` returned.
template <typename Answer>
std::optional<Result<Answer>>
WaitForOmdb(QWidget* window, Result<Answer> (*fetch)(const QString&, const HttpSettings&),
            const QString& query) {
    return WaitForNetwork(window, [fetch, query](const CancelFlag& cancel) {
        HttpSettings http;
        http.cancel = &cancel;
        return fetch(query, http);
    });
}

} // namespace quorvel
