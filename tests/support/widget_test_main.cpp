#include <QApplication>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

// Widgets and pictures need a QApplication; it runs headless also when started by hand. CTest
// only lists the cases, which needs no application at all.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::optional<QApplication> app;
    if (argc < 2 || std::strcmp(argv[1], "--gtest_list_tests") != 0)
        app.emplace(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
