#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

// Core tests run on a plain event loop: behaviour needs no display. CTest only lists the cases,
// which needs no application at all.
int main(int argc, char **argv)
{
    std::optional<QCoreApplication> app;
    if (argc < 2 || std::strcmp(argv[1], "--gtest_list_tests") != 0)
        app.emplace(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
