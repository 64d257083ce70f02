#include <QCoreApplication>

#include <gtest/gtest.h>

// Core tests run on a plain event loop: behaviour needs no display.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
