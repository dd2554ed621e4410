#include "core/backup_plan.h"

#include "core/collection.h"

#include <QFileInfo>

#include <atomic>
#include <optional>
#include <thread>

namespace quorvel {

BackupPlan PlanBackup(const QString& collectionFolder, const QStringList& entries,
                      const std::vector<bool>& ticks, const QString& baseFolder) {
    BackupPlan plan;
    for (qsizetype row = 0; row < entries.size(); ++row) {
        if (std::size_t(row) >= ticks.size() || !ticks[std::size_t(row)])
            continue;
        // A file gone since the list was made is named at the end instead, as is a loaded
        // list's line that leads out of the folder.
        const QString& entry = entries.at(row);
        const QString path = JoinPath(collectionFolder, entry);
        if (!NamesFileOfFolder(entry) || !QFileInfo(path).isFile()) {
            plan.missing << entry;
            continue;
        }
        plan.members << ArchiveMember{path, StoredEntryName(path, baseFolder)};
        plan.rows << int(row);
    }
    return plan;
}

BackupOutcome RunBackup(const QString& archivePath, const BackupPlan& plan,
                        const BackupSteps& steps, const std::function<void()>& wait) {
    std::atomic<bool> done{false};
    std::optional<Result<int>> written;
    std::optional<Result<int>> verified;
    std::thread worker([&] {
        written.emplace(WriteZipArchive(archivePath, plan.members, steps.opened));
        if (*written) {
            if (steps.checking)
                steps.checking();
            verified.emplace(VerifyZipArchive(archivePath));
        }
        done.store(true, std::memory_order_release);
        if (steps.ended)
            steps.ended();
    });
    while (!done.load(std::memory_order_acquire)) {
        if (wait)
            wait();
        else
            std::this_thread::yield();
    }
    worker.join();
    BackupOutcome outcome;
    outcome.written = std::move(*written);
    if (verified)
        outcome.verified = std::move(*verified);
    return outcome;
}

} // namespace quorvel
