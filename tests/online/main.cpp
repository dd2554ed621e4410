#include <QCoreApplication>

#include <gtest/gtest.h>

// One application object for the run: the version tests ask it for the test binary's path.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
