#include <QGuiApplication>
#include <gtest/gtest.h>

// Rendering pictures and decoding clips needs a GUI application object.
int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
