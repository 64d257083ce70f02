#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char **argv)
{
    // Widgets are tested in-process, and the close requests need an application object.
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
