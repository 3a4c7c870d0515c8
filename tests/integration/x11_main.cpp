// Runs Qt on a private X server for the tests of this program.
#include "tests/support/virtual_display.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

int main(int argc, char** argv)
{
    // Listing the tests needs no display.
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || std::strncmp(argv[i], "--gtest_list_tests", 18) == 0;
    std::unique_ptr<ornavox::test::VirtualDisplay> display;
    if (listing)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    else {
        display = std::make_unique<ornavox::test::VirtualDisplay>();
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
