#include <QGuiApplication>
#include <gtest/gtest.h>

// Rendering pictures and decoding clips needs a GUI application object; run headless
// also when the binary is started by hand rather than through CTest.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
