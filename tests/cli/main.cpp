#include <QCoreApplication>

#include <gtest/gtest.h>

// The commands run under a QCoreApplication, as main() gives them.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
