#include <QCoreApplication>

#include <gtest/gtest.h>

// The core layer needs an application object only for the code-page decoders and the
// executable's folder; no event loop runs.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
