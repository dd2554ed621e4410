#include "core/backup_plan.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace quorvel {
namespace {

TEST(BackupPlanTest, TakesTickedFilesOfTheFolderItselfAndNamesTheRestMissing) {
    QTemporaryDir dir;
    const QString movies = dir.filePath("Movies");
    ASSERT_TRUE(QDir().mkpath(movies + "/sub"));
    for (const char* name : {"A.txt", "B.jpg", "C.txt", "sub/D.txt"})
        ASSERT_TRUE(test::WriteFileBytes(movies + "/" + name, "x"));
    ASSERT_TRUE(test::WriteFileBytes(dir.filePath("Out.txt"), "x"));
    const QStringList entries{"A.txt", "B.jpg", "Gone.txt", "../Out.txt", "sub", "C.txt"};
    const BackupPlan plan =
        PlanBackup(movies, entries, {true, false, true, true, true, true}, dir.path());
    ASSERT_EQ(plan.members.size(), 2);
    EXPECT_EQ(plan.members[0].path, movies + "/A.txt");
    EXPECT_EQ(plan.members[1].name, "Movies/C.txt");
    EXPECT_EQ(plan.rows, (QList<int>{0, 5}));
    EXPECT_EQ(plan.missing, (QStringList{"Gone.txt", "../Out.txt", "sub"}));
    EXPECT_TRUE(PlanBackup(movies, entries, {}, movies).members.isEmpty());
}

// Every step is told from the worker, the check only after a whole archive, and the caller
// waits until the end whatever it is.
TEST(BackupPlanTest, RunWritesThenChecksAndTellsEachStep) {
    QTemporaryDir dir;
    ASSERT_TRUE(test::WriteFileBytes(dir.filePath("A.txt"), "Heat\r\n"));
    const BackupPlan plan{{{dir.filePath("A.txt"), "A.txt"}}, {0}, {}};
    struct Row {
        QString archive;
        bool written;
        const char* steps;
    };
    const Row rows[] = {{dir.filePath("out.zip"), true, "a0 w0 check end"},
                        {dir.filePath("none/out.zip"), false, "a0 end"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.archive.toStdString());
        QStringList steps; // written by the worker alone, read once it has ended
        const BackupSteps told{[&](int i, ArchiveStage stage) {
                                   steps << (stage == ArchiveStage::Adding ? "a" : "w") +
                                                QString::number(i);
                               },
                               [&] { steps << "check"; }, [&] { steps << "end"; }};
        const BackupOutcome outcome = RunBackup(row.archive, plan, told, [] {});
        EXPECT_EQ(outcome.written.ok(), row.written);
        EXPECT_EQ(outcome.verified.ok(), row.written);
        if (row.written) {
            EXPECT_EQ(*outcome.verified, 1);
        }
        EXPECT_EQ(steps.join(' ').toStdString(), row.steps);
    }
}

} // namespace
} // namespace quorvel
